#include "app/icons/commandicons.h"

#include "framework/commandids.h"

#include <QIconEngine>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QString>

#include <algorithm>
#include <span>
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
    {Cmd::kPointsOfInterest, "points"},
    {Cmd::kServer, "server"},
    {Cmd::kClient, "client"},
    {Cmd::kAppAbout, "about"},
    {Cmd::kContextHelp, "contexthelp"},
};

// The sizes the build renders (see CMakeLists.txt beside this file).
constexpr int kCommandSizes[] = {16, 32};
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// Loads each size the first time it is asked for: the program starts without
// decoding images that no window shows. What is loaded goes into a plain
// icon, which also makes the disabled and selected looks.
class LazyIconEngine : public QIconEngine
{
public:
    void AddSource(int size, const QString& path) { m_sources.push_back({size, path}); }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        Load(Nearest(std::min(size.width(), size.height())));
        return m_loaded.pixmap(size, mode, state);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Load(Nearest(std::min(rect.width(), rect.height())));
        m_loaded.paint(painter, rect, Qt::AlignCenter, mode, state);
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

    QIconEngine* clone() const override { return new LazyIconEngine(*this); }
    QString key() const override { return QStringLiteral("OsiowiecLazy"); }

private:
    struct Source
    {
        int size;
        QString path;
        bool loaded = false;
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

    void Load(int size)
    {
        for (Source& source : m_sources) {
            if (source.size != size || source.loaded)
                continue;
            source.loaded = true;
            // The format is known: guessing it would load every image plugin.
            QImageReader reader(source.path, "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull())
                m_loaded.addPixmap(QPixmap::fromImage(image));
        }
    }

    std::vector<Source> m_sources;
    QIcon m_loaded;
};

// An icon of the rendered images "BASE-SIZE.png", one for each size.
QIcon IconFrom(const QString& base, std::span<const int> sizes)
{
    InitResource();
    auto* engine = new LazyIconEngine;
    for (int size : sizes)
        engine->AddSource(size, base + QLatin1Char('-') + QString::number(size) + QStringLiteral(".png"));
    return QIcon(engine);
}

} // namespace

QIcon CommandIcon(int command)
{
    for (const CommandImage& entry : kCommandImages) {
        if (entry.command == command)
            return IconFrom(QStringLiteral(":/icons/toolbar/") + QLatin1String(entry.file), kCommandSizes);
    }
    return {};
}

QIcon ProgramIcon()
{
    return IconFrom(QStringLiteral(":/icons/osiowiec"), kIconSizes);
}

QIcon ChartFileIcon()
{
    return IconFrom(QStringLiteral(":/icons/chartfile"), kIconSizes);
}
