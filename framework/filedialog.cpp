#include "framework/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeDatabase>

#include <algorithm>

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

// Given extensions ("Zapisz jako", the export), puts the chosen type's on a
// typed name that ends in none of them before the dialog checks the name, so
// that the question about replacing a file is asked about the file that will
// be written. A name with a dot of its own ("zadanie 3.2") gets it too: the
// open dialog lists only names that end in it.
class FileDialog : public QFileDialog
{
public:
    FileDialog(QWidget* parent, const QString& caption, const QString& start,
               const std::vector<::FileType>& types)
        : QFileDialog(parent, caption, start), m_types(types)
    {
        QStringList filters;
        for (const ::FileType& type : types)
            filters << type.filter;
        setNameFilters(filters);
    }

    /// The type of the accepted name.
    int ChosenType() const { return m_nChosen; }

    void accept() override
    {
        // An absolute path into a folder that does not exist comes back from
        // the dialog appended to its current folder: the path typed is taken
        // as it is, and the save names it when it fails.
        m_nChosen = std::max<int>(0, static_cast<int>(nameFilters().indexOf(selectedNameFilter())));
        const auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = field != nullptr ? field->text().trimmed() : QString();
        if (acceptMode() == AcceptSave && QDir::isAbsolutePath(typed) &&
            !QFileInfo(typed).absoluteDir().exists()) {
            m_typedPath = QDir::cleanPath(typed);
            const int named = TypeOf(m_typedPath);
            if (named >= 0)
                m_nChosen = named;
            else
                m_typedPath += ChosenExtension();
            QDialog::accept();
            return;
        }
        const QStringList files = selectedFiles();
        if (files.size() == 1 && !QFileInfo(files.front()).isDir()) {
            const int named = TypeOf(files.front());
            if (named >= 0) {
                m_nChosen = named;
            } else if (!ChosenExtension().isEmpty()) {
                // The dialog leaves its name field alone while the field has
                // the keyboard, as it has when the user confirms with Enter.
                if (QWidget* focused = focusWidget())
                    focused->clearFocus();
                selectFile(files.front() + ChosenExtension());
            }
        }
        QFileDialog::accept();
    }

    /// The typed path that the dialog could not take as it is; empty when
    /// its selection holds the answer.
    const QString& TypedPath() const { return m_typedPath; }

private:
    int TypeOf(const QString& name) const
    {
        for (std::size_t i = 0; i < m_types.size(); ++i) {
            if (!m_types[i].extension.isEmpty() && name.endsWith(m_types[i].extension, Qt::CaseInsensitive))
                return static_cast<int>(i);
        }
        return -1;
    }

    QString ChosenExtension() const
    {
        return m_nChosen < static_cast<int>(m_types.size())
                   ? m_types[static_cast<std::size_t>(m_nChosen)].extension
                   : QString();
    }

    std::vector<::FileType> m_types;
    int m_nChosen = 0;
    QString m_typedPath;
};

QString Ask(QWidget* parent, const QString& caption, const QString& start,
            const std::vector<FileType>& types, QFileDialog::AcceptMode mode, int* chosen = nullptr)
{
    NameOnlyIconProvider provider; // outlives the dialog
    FileDialog dialog(parent, caption, start, types);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setIconProvider(&provider);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (chosen != nullptr)
        *chosen = dialog.ChosenType();
    if (!dialog.TypedPath().isEmpty())
        return dialog.TypedPath();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    return Ask(parent, caption, QString(), {{filter, QString()}}, QFileDialog::AcceptOpen);
}

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter, const QString& extension)
{
    return Ask(parent, caption, suggested, {{filter, extension}}, QFileDialog::AcceptSave);
}

QString AskExportFileName(QWidget* parent, const QString& caption, const QString& suggested,
                          const std::vector<FileType>& types, int* chosen)
{
    return Ask(parent, caption, suggested, types, QFileDialog::AcceptSave, chosen);
}
