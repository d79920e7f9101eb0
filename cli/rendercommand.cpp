#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/chartmarks.h"
#include "chart/curve.h"
#include "chart/curveanalysis.h"
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

constexpr std::string_view kUsage =
    "render PLIK -o WYJŚCIE.png|.svg|.pdf [--size SZEROKOŚĆxWYSOKOŚĆ] [--aliased] [--points] "
    "[--area I:A:B [--kind signed|geometric] [--and J]] [--pi] [--classic]";
constexpr int kMaxSide = 8192;
// The rings' bounds, as the graph view's.
constexpr std::size_t kRingCap = 200;
constexpr std::size_t kRingEvaluations = 400000;

// "I:A:B": function I (from 0) over A ... B (either order), of the kind
// given, between I and J when `second` is; computed as the area command
// computes it. Throws FunctionContainerException.
ShadedArea ReadArea(FunctionContainer& chart, const std::string& text, AreaKind kind, int32_t second)
{
    const std::size_t colon = text.find(':');
    ShadedArea area;
    char tail = 0;
    if (colon == std::string::npos ||
        std::sscanf(text.substr(0, colon).c_str(), "%d%c", &area.function, &tail) != 1)
        throw FunctionContainerException(Cp1250::FromUtf8("--area: oczekiwano I:A:B: ") + text);
    ReadEnds(chart, text.substr(colon + 1), area.a, area.b);
    area.kind = kind;
    area.second = second;
    area.value = CurveAnalysis(chart).Area(area.function, area.a, area.b, kind, second).value;
    return area;
}

bool EndsWith(const std::string& text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

// render FILE -o OUT [--size WxH] [--aliased] [--points]
//     [--area I:A:B [--kind signed|geometric] [--and J]] [--pi] [--classic]
// (--classic: the automatic spacings of version 2.0)
int RunRender(int argc, char** argv)
{
    std::string input, output, area;
    AreaKind kind = AreaKind::kSigned;
    bool kindGiven = false;
    int32_t second = -1;
    ChartPicture picture;
    bool points = false;
    SpacingRule rule;
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
        } else if (arg == "--aliased") {
            picture.antialiased = false;
        } else if (arg == "--points") {
            points = true;
        } else if (arg == "--pi") {
            rule.piTicks = true;
        } else if (arg == "--classic") {
            rule.classic = true;
        } else if (arg == "--area" && i + 1 < argc) {
            area = Cp1250::FromUtf8(argv[++i]);
        } else if (arg == "--kind" && i + 1 < argc && !kindGiven) {
            const std::string_view name = argv[++i];
            if (name != "signed" && name != "geometric")
                return UsageError(kUsage);
            kind = name == "geometric" ? AreaKind::kGeometric : AreaKind::kSigned;
            kindGiven = true;
        } else if (arg == "--and" && i + 1 < argc && second < 0) {
            char tail = 0;
            if (std::sscanf(argv[++i], "%d%c", &second, &tail) != 1 || second < 0)
                return UsageError(kUsage);
        } else if (input.empty() && !arg.starts_with("-")) {
            input = argv[i];
        } else {
            return UsageError(kUsage);
        }
    }
    const bool png = EndsWith(output, ".png");
    const bool svg = EndsWith(output, ".svg");
    const bool pdf = EndsWith(output, ".pdf");
    if (input.empty() || !(png || svg || pdf) || (area.empty() && (kindGiven || second >= 0)))
        return UsageError(kUsage);
    if (second >= 0) {
        // The region between two curves has no sign.
        if (kindGiven && kind == AreaKind::kSigned)
            return ReportError(Cp1250::FromUtf8(kSignedBetween));
        kind = AreaKind::kBetween;
    }

    QuietQtNotes();
    int qtArgc = 1;
    char name[] = "osiowiec-cli";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    // Qt takes the locale from the environment; numbers keep their point.
    std::setlocale(LC_NUMERIC, "C");

    FunctionContainer chart;
    chart.SetSpacingRule(rule);
    try {
        LoadChartFile(chart, input);
        if (!area.empty()) {
            picture.marks.area = ReadArea(chart, area, kind, second);
            picture.marks.outline = ShadeOutline(chart, *picture.marks.area);
        }
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    if (points) {
        const ChartSettings& s = chart.GetSettings();
        // As the window rings them: spread over the range when cut.
        EvaluationBudget budget(kRingEvaluations);
        picture.marks.rings = RingsOf(
            chart, CurveAnalysis::Analyze(CurveSet::Take(chart, s.m_xMin, s.m_xMax), kRingCap,
                                          ListCut::kSpread, budget));
    }
    // Drawn into memory and written whole afterwards, so a failed write is
    // reported and leaves no cut-off file.
    const QSize size(width, height);
    const QByteArray bytes = png ? RenderChartPng(chart, size, 1, picture)
                           : svg ? RenderChartSvg(chart, size, picture)
                                 : RenderChartPdf(chart, DefaultPrintLayout(), picture);
    WriteFailure failure = WriteFailure::kNone;
    if (bytes.isEmpty() ||
        !WriteFileAtomically(output, std::vector<uint8_t>(bytes.begin(), bytes.end()), &failure))
        return ReportError(ChartMessage::WriteFailed(Cp1250::FromUtf8(output), failure));
    return 0;
}
