#include "app/icons/commandicons.h"

#include "framework/commandids.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

namespace {

const int kToolbarCommands[] = {
    Cmd::kFileNew,  Cmd::kFileOpen,    Cmd::kFileSave,  Cmd::kFilePrint, Cmd::kFilePrintPreview,
    Cmd::kAddFunction, Cmd::kProperties, Cmd::kZoomIn,  Cmd::kZoomOut,   Cmd::kUndoZoom,
    Cmd::kModePoint, Cmd::kModePan,    Cmd::kModeZoom,  Cmd::kToggleTable, Cmd::kGuides,
    Cmd::kServer,   Cmd::kClient,      Cmd::kAppAbout,  Cmd::kContextHelp,
};

QImage At(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The icon has an image of exactly this size that shows a drawing: neither
// empty nor a filled square.
bool HasDrawing(const QIcon& icon, int size)
{
    if (!icon.availableSizes().contains(QSize(size, size)))
        return false;
    const QImage image = At(icon, size);
    int visible = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            visible += qAlpha(image.pixel(x, y)) >= 128;
    return image.width() == size && visible >= size * size / 8 && visible < size * size;
}

} // namespace

class CommandIconsTest : public QObject
{
    Q_OBJECT

private slots:
    void toolbarIcon_data()
    {
        QTest::addColumn<int>("command");
        for (int command : kToolbarCommands)
            QTest::addRow("%d", command) << command;
    }

    // The images come out of the library's own resource, so a resource that
    // the linker dropped fails here too.
    void toolbarIcon()
    {
        QFETCH(int, command);
        const QIcon icon = CommandIcon(command);
        QVERIFY(HasDrawing(icon, 16));
        QVERIFY(HasDrawing(icon, 32));
    }

    // Two buttons with one image mean a wrong table entry.
    void toolbarIconsDiffer()
    {
        QList<QImage> images;
        for (int command : kToolbarCommands) {
            const QImage image = At(CommandIcon(command), 16);
            QVERIFY2(!images.contains(image), qPrintable(QString::number(command)));
            images.append(image);
        }
    }

    void commandWithoutImage()
    {
        for (int command : {Cmd::kFileClose, Cmd::kAppExit, Cmd::kToolBar, 0, -1})
            QVERIFY2(CommandIcon(command).isNull(), qPrintable(QString::number(command)));
    }

    void programAndChartFileIcons()
    {
        for (int size : {16, 32, 48, 64, 128, 256}) {
            QVERIFY2(HasDrawing(ProgramIcon(), size), qPrintable(QString::number(size)));
            QVERIFY2(HasDrawing(ChartFileIcon(), size), qPrintable(QString::number(size)));
            QVERIFY(At(ProgramIcon(), size) != At(ChartFileIcon(), size));
        }
    }
};

QTEST_MAIN(CommandIconsTest)
#include "commandicons_test.moc"
