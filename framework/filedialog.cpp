#include "framework/filedialog.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace {

/// Types and icons from the file name alone.
class NameOnlyIconProvider : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo& info) const override
    {
        return QFileIconProvider::icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    QString type(const QFileInfo& info) const override
    {
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }
};

QString Ask(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
            QFileDialog::AcceptMode mode)
{
    NameOnlyIconProvider provider; // outlives the dialog
    QFileDialog dialog(parent, caption, start, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setIconProvider(&provider);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    return Ask(parent, caption, QString(), filter, QFileDialog::AcceptOpen);
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter)
{
    return Ask(parent, caption, suggested, filter, QFileDialog::AcceptSave);
}
