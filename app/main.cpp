#include "app/programcommandline.h"
#include "app/zeltra20app.h"
#include "views/graphview.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <cstdio>

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
    // Help and the version need no window system: they work on a machine
    // without a display, in scripts and over ssh.
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication core(argc, argv);
        return PrintOnly(ParseProgramCommandLine(QCoreApplication::arguments(), QStringLiteral(OSIOWIEC_VERSION)));
    }
    QApplication application(argc, argv);
    // Qt's own options (-platform, -style, ...) are gone from the arguments now.
    const ProgramCommandLine commandLine =
        ParseProgramCommandLine(QApplication::arguments(), QStringLiteral(OSIOWIEC_VERSION));
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
