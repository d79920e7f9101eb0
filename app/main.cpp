#include "app/zeltra20app.h"
#include "views/graphview.h"

#include <QApplication>
#include <QTimer>

#include <clocale>

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

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Numbers in files and formulas are read and written the C way.
    std::setlocale(LC_NUMERIC, "C");
    QuitAfterFirstChart quitter;
    if (qEnvironmentVariableIsSet("OSIOWIEC_QUIT_AFTER_FIRST_CHART"))
        application.installEventFilter(&quitter);
    CZeltra20App app;
    QStringList files = QApplication::arguments();
    files.removeFirst();
    if (!app.InitInstance(files))
        return 1;
    return QApplication::exec();
}
