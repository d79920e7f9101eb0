#include "app/programcommandline.h"
#include "app/zeltra20app.h"
#include "views/graphview.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <vector>

namespace {

// For the start-up benchmark: ends the program once the first chart has been
// painted, so that a run measures the start as the user sees it.
class QuitAfterFirstChart : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<CZeltra20View*>(watched) != nullptr)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }
};

// Prints the help, the version or a mistake; the program's exit status.
int PrintOnly(const ProgramCommandLine& commandLine)
{
    const bool mistake = commandLine.action == ProgramCommandLine::Action::kError;
    std::fputs(commandLine.text.toLocal8Bit().constData(), mistake ? stderr : stdout);
    return mistake ? 1 : 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString version = QStringLiteral(OSIOWIEC_VERSION);
    // Options are read before any window system is loaded: help, the
    // version and a mistake then work on a machine without a display, in
    // scripts and over ssh. Qt's own options are left to the application
    // object below.
    if (NamesAnOption(argc, argv)) {
        // The core application may take arguments of its own out of what it
        // is given: it gets a copy, and the real application the original.
        std::vector<char*> copy(argv, argv + argc + 1);
        int count = argc;
        QCoreApplication core(count, copy.data());
        const ProgramCommandLine early =
            ParseProgramCommandLine(WithoutWindowSystemOptions(QCoreApplication::arguments()), version);
        if (early.action != ProgramCommandLine::Action::kRun)
            return PrintOnly(early);
    }
    QApplication application(argc, argv);
    // Qt's own options (-platform, -style, ...) are gone from the arguments now.
    const ProgramCommandLine commandLine = ParseProgramCommandLine(QApplication::arguments(), version);
    if (commandLine.action != ProgramCommandLine::Action::kRun)
        return PrintOnly(commandLine);
    // Numbers in files and formulas are read and written the C way.
    std::setlocale(LC_NUMERIC, "C");
    QuitAfterFirstChart quitter;
    if (qEnvironmentVariableIsSet("OSIOWIEC_QUIT_AFTER_FIRST_CHART"))
        application.installEventFilter(&quitter);
    CZeltra20App app;
    if (!app.InitInstance(commandLine.files))
        return 1;
    return QApplication::exec();
}
