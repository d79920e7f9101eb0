// Qt's own minimum for the start-up benchmark: an empty QMainWindow, ended
// once it has been painted.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

namespace {

class QuitAfterFirstPaint : public QObject
{
public:
    explicit QuitAfterFirstPaint(QObject* window) : m_window(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched == m_window)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return false;
    }

private:
    QObject* m_window;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    QuitAfterFirstPaint quitter(&window);
    application.installEventFilter(&quitter);
    window.resize(1024, 768);
    window.show();
    return QApplication::exec();
}
