#include "app/icons/commandicons.h"

#include "framework/commandids.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <iterator>
#include <vector>

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

// Renders each size the first time it is asked for: the program starts
// without drawing images that no window shows. What is rendered goes into a
// plain icon, which also makes the disabled and selected looks.
class SvgIconEngine : public QIconEngine
{
public:
    void AddSource(int size, const QString& path) { m_sources.push_back({size, path}); }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        Render(Nearest(std::min(size.width(), size.height())));
        return m_rendered.pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Render(Nearest(std::min(rect.width(), rect.height())));
        m_rendered.paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = Nearest(std::min(size.width(), size.height()));
        return side > 0 ? QSize(side, side).boundedTo(size) : QSize();
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const Source& source : m_sources)
            sizes.push_back(QSize(source.size, source.size));
        return sizes;
    }

    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("OsiowiecSvg"); }

private:
    struct Source
    {
        int size;
        QString path;
        bool rendered = false;
    };

    // The smallest drawing at least as large as asked, else the largest.
    int Nearest(int wanted) const
    {
        int best = 0;
        for (const Source& source : m_sources) {
            if (source.size >= wanted && (best < wanted || source.size < best))
                best = source.size;
            else if (best < wanted && source.size > best)
                best = source.size;
        }
        return best;
    }

    void Render(int size)
    {
        for (Source& source : m_sources) {
            if (source.size != size || source.rendered)
                continue;
            source.rendered = true;
            const QImage image = RenderSvg(source.path, size);
            if (!image.isNull())
                m_rendered.addPixmap(QPixmap::fromImage(image));
        }
    }

    std::vector<Source> m_sources;
    QIcon m_rendered;
};

QIcon IconFrom(const QString& path, const int* sizes, std::size_t count,
               SvgIconEngine* engine = nullptr)
{
    if (engine == nullptr)
        engine = new SvgIconEngine;
    for (std::size_t i = 0; i < count; ++i)
        engine->AddSource(sizes[i], path);
    return QIcon(engine);
}

QIcon ScaledIcon(const char* name)
{
    InitResource();
    const QString base = QStringLiteral(":/icons/") + QLatin1String(name);
    auto* engine = new SvgIconEngine;
    for (int size : kSmallSizes)
        engine->AddSource(size, base + QStringLiteral("-16.svg"));
    for (int size : kLargeSizes)
        engine->AddSource(size, base + QStringLiteral(".svg"));
    return QIcon(engine);
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
