#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "chart/chartmessages.h"
#include "framework/chartrender.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <QGuiApplication>

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
    // Drawn into memory and written whole afterwards, so a failed write is
    // reported and leaves no cut-off file.
    const QSize size(width, height);
    const QByteArray bytes = png ? RenderChartPng(chart, size)
                           : svg ? RenderChartSvg(chart, size)
                                 : RenderChartPdf(chart);
    WriteFailure failure = WriteFailure::kNone;
    if (bytes.isEmpty() ||
        !WriteFileAtomically(output, std::vector<uint8_t>(bytes.begin(), bytes.end()), &failure))
        return ReportError(ChartMessage::WriteFailed(Cp1250::FromUtf8(output), failure));
    return 0;
}
