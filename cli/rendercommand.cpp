#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "chart/chartmessages.h"
#include "framework/qtdevicecontext.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <clocale>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage = "render PLIK -o WYJŚCIE.png|.svg|.pdf [--size SZEROKOŚĆxWYSOKOŚĆ]";
constexpr int kMaxSide = 8192;

bool EndsWith(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

QColor Background(const FunctionContainer& chart)
{
    const COLORREF c = chart.GetSettings().m_crBackground;
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Each surface draws into memory; the file is written whole afterwards, so a
// failed write is reported and leaves no cut-off file.

// The graph view's picture: the background, then the chart over it.
bool RenderImage(FunctionContainer& chart, QBuffer& out, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Background(chart));
    QPainter painter(&image);
    QtDeviceContext dc(painter);
    chart.Draw(dc, {0, 0, width, height});
    painter.end();
    return image.save(&out, "PNG");
}

bool RenderSvg(FunctionContainer& chart, QBuffer& out, int width, int height)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle("Osiowiec");
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    painter.fillRect(QRect(0, 0, width, height), Background(chart));
    QtDeviceContext dc(painter);
    chart.Draw(dc, {0, 0, width, height});
    return painter.end();
}

// As the printout: one A4 landscape page, the chart within the printable
// area, no background.
bool RenderPdf(FunctionContainer& chart, QBuffer& out)
{
    QPdfWriter pdf(&out);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                  QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    pdf.setResolution(600);
    pdf.setCreator("Osiowiec 2.0");
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
    QtDeviceContext dc(painter);
    chart.Draw(dc, {0, 0, area.width(), area.height()});
    return painter.end();
}

} // namespace

// render FILE -o OUT [--size WxH]
int RunRender(int argc, char** argv)
{
    std::string input, output;
    int width = 800;
    int height = 600;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (arg == "--size" && i + 1 < argc) {
            char tail = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &width, &height, &tail) != 2 || width < 1 ||
                height < 1 || width > kMaxSide || height > kMaxSide) {
                std::fprintf(stderr, "--size: oczekiwano SZEROKOŚĆxWYSOKOŚĆ, od 1 do %d\n",
                             kMaxSide);
                return 1;
            }
        } else if (input.empty() && !arg.starts_with("-")) {
            input = argv[i];
        } else {
            return UsageError(kUsage);
        }
    }
    const bool png = EndsWith(output, ".png");
    const bool svg = EndsWith(output, ".svg");
    const bool pdf = EndsWith(output, ".pdf");
    if (input.empty() || !(png || svg || pdf))
        return UsageError(kUsage);

    // Qt's note that the runtime folder is missing means nothing here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg && !message.startsWith("QStandardPaths"))
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    int qtArgc = 1;
    char name[] = "osiowiec-cli";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    // Qt takes the locale from the environment; numbers keep their point.
    std::setlocale(LC_NUMERIC, "C");

    FunctionContainer chart;
    try {
        LoadChartFile(chart, input);
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const bool drawn = png ? RenderImage(chart, out, width, height)
                     : svg ? RenderSvg(chart, out, width, height)
                           : RenderPdf(chart, out);
    out.close();
    const QByteArray& bytes = out.data();
    if (!drawn || !WriteFileAtomically(output, std::vector<uint8_t>(bytes.begin(), bytes.end())))
        return ReportError(ChartMessage::Format(ChartMessage::kWriteFailed,
                                                Cp1250::FromUtf8(output).c_str()));
    return 0;
}
