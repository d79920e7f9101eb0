#pragma once

#include <QString>

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
