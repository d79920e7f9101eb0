#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

/// What the program's command line asks for: to start with the charts it
/// names, or only a text (help, the version, a mistake) and no window.
struct ProgramCommandLine
{
    enum class Action { kRun, kHelp, kVersion, kError };

    Action action = Action::kRun;
    QStringList files; ///< the charts to open, in order (kRun)
    QString text;      ///< what to print: on standard output for kHelp and kVersion, on standard error for kError
};

/// True when an argument before "--" starts with "-": an option of ours or
/// of Qt's, or a mistake, which the program then reads before it loads any
/// window system, so that help, the version and a mistake need no display.
bool NamesAnOption(int argc, const char* const* argv);

/// The arguments without the options that Qt's window system takes for
/// itself (-platform NAME, -style=NAME, -reverse, ... also with "--"), as
/// the application object would take them out: what is left is what
/// ParseProgramCommandLine reads once the window system is loaded.
QStringList WithoutWindowSystemOptions(const QStringList& arguments);

/// Reads the arguments (the program's name first, Qt's own options already
/// taken out by the application object, which must exist). Qt's words in the
/// help and in error texts are Polish where Qt's translations are installed.
ProgramCommandLine ParseProgramCommandLine(const QStringList& arguments, const QString& version);

/// Loads Qt's Polish texts for its own dialogs and messages into `translator`;
/// false when Qt's translations are not installed.
bool LoadQtTranslation(QTranslator& translator);
