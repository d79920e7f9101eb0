#include "framework/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
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

// Given an extension ("Zapisz jako"), puts it on a typed name that lacks it
// before the dialog checks the name, so that the question about replacing a file is asked about the
// file that will be written. A name with a dot of its own ("zadanie 3.2")
// gets it too: the open dialog lists only names that end in it.
class FileDialog : public QFileDialog
{
public:
    FileDialog(QWidget* parent, const QString& caption, const QString& start,
               const QString& filter, const QString& extension)
        : QFileDialog(parent, caption, start, filter), m_extension(extension)
    {
    }

    void accept() override
    {
        // An absolute path into a folder that does not exist comes back from
        // the dialog appended to its current folder: the path typed is taken
        // as it is, and the save names it when it fails.
        const auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = field != nullptr ? field->text().trimmed() : QString();
        if (acceptMode() == AcceptSave && QDir::isAbsolutePath(typed) &&
            !QFileInfo(typed).absoluteDir().exists()) {
            m_typedPath = QDir::cleanPath(typed);
            if (!m_extension.isEmpty() && !m_typedPath.endsWith(m_extension, Qt::CaseInsensitive))
                m_typedPath += m_extension;
            QDialog::accept();
            return;
        }
        const QStringList files = selectedFiles();
        if (!m_extension.isEmpty() && files.size() == 1 && !QFileInfo(files.front()).isDir() &&
            !files.front().endsWith(m_extension, Qt::CaseInsensitive)) {
            // The dialog leaves its name field alone while the field has
            // the keyboard, as it has when the user confirms with Enter.
            if (QWidget* field = focusWidget())
                field->clearFocus();
            selectFile(files.front() + m_extension);
        }
        QFileDialog::accept();
    }

    /// The typed path that the dialog could not take as it is; empty when
    /// its selection holds the answer.
    const QString& TypedPath() const { return m_typedPath; }

private:
    QString m_extension;
    QString m_typedPath;
};

QString Ask(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
            QFileDialog::AcceptMode mode, const QString& extension = QString())
{
    NameOnlyIconProvider provider; // outlives the dialog
    FileDialog dialog(parent, caption, start, filter, extension);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setIconProvider(&provider);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (!dialog.TypedPath().isEmpty())
        return dialog.TypedPath();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    return Ask(parent, caption, QString(), filter, QFileDialog::AcceptOpen);
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter, const QString& extension)
{
    return Ask(parent, caption, suggested, filter, QFileDialog::AcceptSave, extension);
}
