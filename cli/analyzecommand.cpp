#include "cli/commands.h"
#include "cli/jsonwriter.h"

#include "chart/chartfile.h"
#include "chart/chartmessages.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kAnalyzeUsage = "analyze PLIK [--x A:B] [--max N]";
constexpr std::string_view kAreaUsage =
    "area PLIK --function I [--kind signed|geometric] [--and J] --x A:B";
// More points than anyone reads, and a bound on the output.
constexpr int32_t kLargestCap = 1000000;

struct Options
{
    std::string file;
    std::optional<std::string> range; // "A:B", code page 1250
    std::optional<std::string> max;
    std::optional<std::string> function;
    std::optional<std::string> kind;
    std::optional<std::string> second;
};

// FILE and the options that take a value; false on anything else.
bool ParseOptions(int argc, char** argv, bool area, Options& options)
{
    for (int i = 0; i < argc; ++i) {
        const std::string_view option = argv[i];
        std::optional<std::string>* value = nullptr;
        if (option == "--x")
            value = &options.range;
        else if (!area && option == "--max")
            value = &options.max;
        else if (area && option == "--function")
            value = &options.function;
        else if (area && option == "--kind")
            value = &options.kind;
        else if (area && option == "--and")
            value = &options.second;
        if (value == nullptr) {
            if (!options.file.empty() || option.starts_with("--"))
                return false;
            options.file = argv[i];
            continue;
        }
        if (i + 1 >= argc)
            return false;
        *value = Cp1250::FromUtf8(argv[++i]);
    }
    return !options.file.empty();
}

bool ParseCount(const std::string& text, int32_t& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

void ReadRange(FunctionContainer& chart, const std::string& text, double& min, double& max)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw FunctionContainerException(Cp1250::FromUtf8("oczekiwano A:B: ") + text);
    chart.BeginEdit();
    try {
        chart.SetRange(false, true, text.substr(0, colon), text.substr(colon + 1), "", "");
    } catch (...) {
        chart.CancelEdit();
        throw;
    }
    min = chart.GetEditSettings().m_xMin;
    max = chart.GetEditSettings().m_xMax;
    chart.CancelEdit();
}

void ReadEnds(const FunctionContainer& chart, const std::string& text, double& a, double& b)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw FunctionContainerException(Cp1250::FromUtf8("oczekiwano A:B: ") + text);
    Function formula;
    formula.m_bThrowSyntaxErrors = true;
    formula.m_bThrowEvalErrors = true;
    formula.m_bDegrees = chart.GetSettings().m_bDegrees != 0;
    auto evaluate = [&](const std::string& end, const char* prefix) {
        try {
            return formula.SetFormula(end).Evaluate(0);
        } catch (const FunctionException& e) {
            throw FunctionContainerException(
                e.m_nPosition < 0
                    ? ChartMessage::Format(ChartMessage::kSettingFormatNoPosition, prefix,
                                           e.m_strMessage.c_str())
                    : ChartMessage::Format(ChartMessage::kSettingFormat, prefix,
                                           e.m_strMessage.c_str(), e.m_nPosition),
                e.m_nPosition);
        }
    };
    a = evaluate(text.substr(0, colon), ChartMessage::kRangeXMin);
    b = evaluate(text.substr(colon + 1), ChartMessage::kRangeXMax);
}

namespace {

void WriteRanges(JsonWriter& json, std::string_view name, const std::vector<XRange>& ranges)
{
    json.Key(name);
    json.BeginArray();
    for (const XRange& r : ranges) {
        json.BeginArray();
        json.Double(r.from);
        json.Double(r.to);
        json.EndArray();
    }
    json.EndArray();
}

// [[A, B, I, J], ...]: from A to B, the functions I and J.
void WriteStretches(JsonWriter& json, std::string_view name, const std::vector<CurveStretch>& list)
{
    json.Key(name);
    json.BeginArray();
    for (const CurveStretch& s : list) {
        json.BeginArray();
        json.Double(s.from);
        json.Double(s.to);
        json.Integer(s.m_nFirst);
        json.Integer(s.m_nSecond);
        json.EndArray();
    }
    json.EndArray();
}

void WritePoints(JsonWriter& json, std::string_view name, const std::vector<CurvePoint>& points)
{
    json.Key(name);
    json.BeginArray();
    for (const CurvePoint& p : points) {
        json.BeginArray();
        json.Double(p.x);
        json.Double(p.y);
        json.EndArray();
    }
    json.EndArray();
}

std::string AnswersJson(const ChartAnswers& answers)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("range");
    json.BeginArray();
    json.Double(answers.m_xMin);
    json.Double(answers.m_xMax);
    json.EndArray();
    json.Key("functions");
    json.BeginArray();
    for (const FunctionAnswers& f : answers.m_functions) {
        json.BeginObject();
        json.Key("index"), json.Integer(f.m_nIndex);
        json.Key("label"), json.String(Cp1250::ToUtf8(f.m_strLabel));
        json.Key("zeros");
        json.BeginArray();
        for (double x : f.m_points.zeros)
            json.Double(x);
        json.EndArray();
        WritePoints(json, "minima", f.m_points.minima);
        WritePoints(json, "maxima", f.m_points.maxima);
        WriteRanges(json, "unresolved", f.m_points.unresolved);
        json.Key("truncated"), json.Bool(f.m_points.truncated);
        json.EndObject();
    }
    json.EndArray();
    json.Key("intersections");
    json.BeginArray();
    for (const CurveIntersection& meeting : answers.m_intersections) {
        json.BeginObject();
        json.Key("functions");
        json.BeginArray();
        json.Integer(meeting.m_nFirst);
        json.Integer(meeting.m_nSecond);
        json.EndArray();
        json.Key("x"), json.Double(meeting.x);
        json.Key("y"), json.Double(meeting.y);
        json.EndObject();
    }
    json.EndArray();
    json.Key("intersections_truncated"), json.Bool(answers.m_bIntersectionsTruncated);
    WriteStretches(json, "intersections_unresolved", answers.m_unresolvedMeetings);
    WriteStretches(json, "coinciding", answers.m_coinciding);
    json.EndObject();
    return json.Text();
}

} // namespace

// analyze FILE [--x A:B] [--max N]: zeros, extrema and intersections.
int RunAnalyze(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, false, options))
        return UsageError(kAnalyzeUsage);
    int32_t cap = static_cast<int32_t>(CurveAnalysis::kDefaultCap);
    if (options.max && (!ParseCount(*options.max, cap) || cap < 0 || cap > kLargestCap)) {
        return ReportError(Cp1250::FromUtf8("--max: oczekiwano liczby całkowitej od 0 do " +
                                            std::to_string(kLargestCap)));
    }
    FunctionContainer chart;
    double min = 0, max = 0;
    try {
        LoadChartFile(chart, options.file);
        min = chart.GetSettings().m_xMin;
        max = chart.GetSettings().m_xMax;
        if (options.range)
            ReadRange(chart, *options.range, min, max);
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    const ChartAnswers answers =
        CurveAnalysis(chart).Analyze(min, max, static_cast<std::size_t>(cap));
    std::printf("%s\n", AnswersJson(answers).c_str());
    return 0;
}

// area FILE --function I [--kind signed|geometric] [--and J] --x A:B: an
// area with its error; with --and the area between the two curves.
int RunArea(int argc, char** argv)
{
    Options options;
    int32_t index = 0;
    int32_t second = -1;
    if (!ParseOptions(argc, argv, true, options) || !options.function || !options.range ||
        !ParseCount(*options.function, index) ||
        (options.second && !ParseCount(*options.second, second)) ||
        (options.kind && *options.kind != "signed" && *options.kind != "geometric"))
        return UsageError(kAreaUsage);
    AreaKind kind = options.kind && *options.kind == "geometric" ? AreaKind::kGeometric : AreaKind::kSigned;
    if (options.second) {
        // The region between two curves has no sign.
        if (options.kind && *options.kind == "signed")
            return ReportError(Cp1250::FromUtf8(kSignedBetween));
        kind = AreaKind::kBetween;
    }
    try {
        FunctionContainer chart;
        LoadChartFile(chart, options.file);
        double a = 0, b = 0;
        ReadEnds(chart, *options.range, a, b);
        const AreaAnswer area = CurveAnalysis(chart).Area(index, a, b, kind, second);
        JsonWriter json;
        json.BeginObject();
        json.Key("area"), json.Double(area.value);
        json.Key("error"), json.Double(area.error);
        json.EndObject();
        std::printf("%s\n", json.Text().c_str());
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    return 0;
}
