#include "app/icons/commandicons.h"

#include "framework/commandids.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>

#include <iterator>

// The resource lives in this static library. Naming its initialiser here
// makes the linker keep the resource object in every program that asks for
// an icon; a resource that nobody references would be dropped silently and
// every icon would come out null.
static void InitResource()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(appicons);
        return true;
    }();
    (void)initialised;
}

namespace {

struct CommandImage
{
    int command;
    const char* file; ///< under :/icons/toolbar/
};

// In toolbar order.
constexpr CommandImage kCommandImages[] = {
    {Cmd::kFileNew, "filenew"},
    {Cmd::kFileOpen, "fileopen"},
    {Cmd::kFileSave, "filesave"},
    {Cmd::kFilePrint, "fileprint"},
    {Cmd::kFilePrintPreview, "printpreview"},
    {Cmd::kAddFunction, "addfunction"},
    {Cmd::kProperties, "properties"},
    {Cmd::kZoomIn, "zoomin"},
    {Cmd::kZoomOut, "zoomout"},
    {Cmd::kUndoZoom, "undozoom"},
    {Cmd::kModePoint, "modepoint"},
    {Cmd::kModePan, "modepan"},
    {Cmd::kModeZoom, "modezoom"},
    {Cmd::kToggleTable, "valuetable"},
    {Cmd::kGuides, "guides"},
    {Cmd::kServer, "server"},
    {Cmd::kClient, "client"},
    {Cmd::kAppAbout, "about"},
    {Cmd::kContextHelp, "contexthelp"},
};

// The toolbar images are drawn on a 16-pixel grid; 32 pixels doubles every
// line, so both sizes stay sharp.
constexpr int kCommandSizes[] = {16, 32};

// The program and document icons have a 16-pixel drawing for the small
// sizes and a 48-pixel one, with more detail, for the rest.
constexpr int kSmallSizes[] = {16, 32};
constexpr int kLargeSizes[] = {48, 64, 128, 256};

QIcon IconFrom(const QString& path, const int* sizes, std::size_t count, QIcon icon = {})
{
    for (std::size_t i = 0; i < count; ++i) {
        const QImage image = RenderSvg(path, sizes[i]);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon ScaledIcon(const char* name)
{
    InitResource();
    const QString base = QStringLiteral(":/icons/") + QLatin1String(name);
    QIcon icon = IconFrom(base + QStringLiteral("-16.svg"), kSmallSizes, std::size(kSmallSizes));
    return IconFrom(base + QStringLiteral(".svg"), kLargeSizes, std::size(kLargeSizes), icon);
}

} // namespace

QImage RenderSvg(const QString& path, int size)
{
    InitResource();
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return image;
}

QIcon CommandIcon(int command)
{
    InitResource();
    for (const CommandImage& entry : kCommandImages) {
        if (entry.command == command) {
            const QString path = QStringLiteral(":/icons/toolbar/") + QLatin1String(entry.file) +
                                 QStringLiteral(".svg");
            return IconFrom(path, kCommandSizes, std::size(kCommandSizes));
        }
    }
    return {};
}

QIcon ProgramIcon()
{
    return ScaledIcon("osiowiec");
}

QIcon ChartFileIcon()
{
    return ScaledIcon("chartfile");
}
