#include "chart/chartmarks.h"

#include "chart/chartmath.h"
#include "chart/curve.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "platform/cp1250.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr auto kSignedWords = Cp1250::Text(u8" (całka oznaczona)");

} // namespace

std::string AreaLabel(const ShadedArea& area)
{
    std::string kind;
    switch (area.kind) {
    case AreaKind::kSigned:
        kind = kSignedWords.c_str();
        break;
    }
    return "Pole = " + ReadableNumber(area.value, 6) + kind;
}

std::vector<std::vector<ChartPoint>> ShadeOutline(const FunctionContainer& chart, const ShadedArea& area)
{
    std::vector<std::vector<ChartPoint>> outline;
    const ChartSettings& s = chart.GetSettings();
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    if (area.function < 0 || static_cast<std::size_t>(area.function) >= functions.size())
        return outline;
    const FunctionEntry& entry = functions[static_cast<std::size_t>(area.function)];
    const double lo = std::max(area.a, s.m_xMin);
    const double hi = std::min(area.b, s.m_xMax);
    if (!entry.m_bVisible || !(lo < hi))
        return outline;

    std::vector<double> xs = {lo};
    for (double x : chart.SampleArguments(s.m_xMin, s.m_xMax)) {
        if (lo < x && x < hi)
            xs.push_back(x);
    }
    xs.push_back(hi);
    // The same evaluation as sampling: the shade meets the curve drawn.
    EvaluationBudget budget(std::numeric_limits<std::size_t>::max());
    Curve curve(entry.m_strFormula, entry.m_nDerivative, s.m_bDegrees != 0, budget);
    std::vector<double> values;
    std::vector<uint8_t> failed;
    curve.Sample(xs, values, failed);

    std::vector<ChartPoint> run;
    auto close = [&] {
        if (run.size() > 1) {
            run.insert(run.begin(), {run.front().x, 0.0});
            run.push_back({run.back().x, 0.0});
            outline.push_back(std::move(run));
        }
        run.clear();
    };
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (failed[i] || !std::isfinite(values[i])) {
            close();
            continue;
        }
        run.push_back({xs[i], values[i]});
    }
    close();
    return outline;
}

std::vector<RingMark> RingsOf(const FunctionContainer& chart, const ChartAnswers& answers)
{
    std::vector<RingMark> rings;
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    auto colorOf = [&functions](int32_t index, COLORREF& color) {
        if (index < 0 || static_cast<std::size_t>(index) >= functions.size())
            return false;
        color = functions[static_cast<std::size_t>(index)].m_crColor;
        return true;
    };
    COLORREF color = 0;
    for (const FunctionAnswers& function : answers.m_functions) {
        if (!colorOf(function.m_nIndex, color))
            continue;
        for (double x : function.m_points.zeros)
            rings.push_back({x, 0.0, color});
        for (const CurvePoint& p : function.m_points.minima)
            rings.push_back({p.x, p.y, color});
        for (const CurvePoint& p : function.m_points.maxima)
            rings.push_back({p.x, p.y, color});
    }
    for (const CurveIntersection& meet : answers.m_intersections) {
        if (colorOf(meet.m_nFirst, color))
            rings.push_back({meet.x, meet.y, color});
    }
    return rings;
}
