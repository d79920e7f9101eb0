#include "app/zeltra20app.h"

#include <QApplication>

#include <clocale>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Numbers in files and formulas are read and written the C way.
    std::setlocale(LC_NUMERIC, "C");
    CZeltra20App app;
    QStringList files = QApplication::arguments();
    files.removeFirst();
    if (!app.InitInstance(files))
        return 1;
    return QApplication::exec();
}
