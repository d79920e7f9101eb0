#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

// The program's file dialogs: Qt's own dialog, which never reads a file to
// tell its type. Naming types by content blocks for good on files that never
// end, such as those of /proc, and a frozen dialog loses every open chart.

/// The chart file to open, or an empty text when the user cancels.
QString AskOpenFileName(QWidget* parent, const QString& caption, const QString& filter);

/// The file to save to, starting at `suggested`, with `extension` (".osw")
/// added to a name that does not end in it; the user confirms replacing a
/// file that exists. An empty text when the user cancels.
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter, const QString& extension);

/// A file type offered by AskExportFileName: the filter the dialog lists
/// ("Obraz PNG (*.png)") and the extension its files end in (".png").
struct FileType
{
    QString filter;
    QString extension;
};

/// The file to export to and the index of its type in `types`: a name that
/// ends in one of the types' extensions is of that type; any other gets the
/// extension of the type chosen in the dialog. The user confirms replacing
/// a file that exists. An empty text when the user cancels.
QString AskExportFileName(QWidget* parent, const QString& caption, const QString& suggested,
                          const std::vector<FileType>& types, int* chosen);
