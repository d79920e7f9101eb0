#include "chart/chartmarks.h"

#include "chart/chartmath.h"
#include "chart/curve.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "chart/curvearea.h"
#include "platform/cp1250.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The entry's values at xs as sampling computes them, so the shade meets
// the curve drawn; false for a function that is not there or not shown.
bool SampleEntry(const FunctionContainer& chart, int32_t index, const std::vector<double>& xs,
                 std::vector<double>& values, std::vector<uint8_t>& failed)
{
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    if (index < 0 || static_cast<std::size_t>(index) >= functions.size())
        return false;
    const FunctionEntry& entry = functions[static_cast<std::size_t>(index)];
    if (!entry.m_bVisible)
        return false;
    EvaluationBudget budget(std::numeric_limits<std::size_t>::max());
    Curve curve(entry.m_strFormula, entry.m_nDerivative, chart.GetSettings().m_bDegrees != 0, budget);
    curve.Sample(xs, values, failed);
    return true;
}

// Splits a run of curve points at the axis, so that each piece lies on one
// side of it: what a signed area counts negative is drawn apart.
std::vector<std::vector<ChartPoint>> SplitAtAxis(const std::vector<ChartPoint>& run)
{
    std::vector<std::vector<ChartPoint>> pieces(1);
    int side = 0; // of the last point off the axis
    for (const ChartPoint& q : run) {
        const int here = q.y > 0 ? 1 : q.y < 0 ? -1 : 0;
        if (here != 0 && side != 0 && here != side) {
            const ChartPoint p = pieces.back().back();
            if (p.y == 0) {
                // The curve met the axis at a sample: the pieces share it.
                pieces.push_back({p});
            } else {
                const double t = p.y / (p.y - q.y);
                const ChartPoint crossing = {std::clamp(p.x + t * (q.x - p.x), p.x, q.x), 0.0};
                pieces.back().push_back(crossing);
                pieces.push_back({crossing});
            }
        }
        side = here != 0 ? here : side;
        pieces.back().push_back(q);
    }
    return pieces;
}

} // namespace

std::string AreaLabel(const ShadedArea& area)
{
    return "Pole = " + ReadableNumber(area.value, 6) + " (" + AreaKindName(area.kind) + ")";
}

bool BelowAxis(const std::vector<ChartPoint>& polygon)
{
    for (const ChartPoint& p : polygon) {
        if (p.y != 0)
            return p.y < 0;
    }
    return false;
}

std::vector<std::vector<ChartPoint>> ShadeOutline(const FunctionContainer& chart, const ShadedArea& area)
{
    std::vector<std::vector<ChartPoint>> outline;
    const ChartSettings& s = chart.GetSettings();
    const bool between = area.kind == AreaKind::kBetween;
    const double lo = std::max(std::min(area.a, area.b), s.m_xMin);
    const double hi = std::min(std::max(area.a, area.b), s.m_xMax);
    if (!(lo < hi))
        return outline;

    std::vector<double> xs = {lo};
    for (double x : chart.SampleArguments(s.m_xMin, s.m_xMax)) {
        if (lo < x && x < hi)
            xs.push_back(x);
    }
    xs.push_back(hi);
    std::vector<double> values;
    std::vector<uint8_t> failed;
    std::vector<double> others;
    std::vector<uint8_t> otherFailed;
    if (!SampleEntry(chart, area.function, xs, values, failed) ||
        (between && !SampleEntry(chart, area.second, xs, others, otherFailed)))
        return outline;

    // One polygon per run where the curves are defined: from the axis to
    // the curve and back, or along the first curve and back along the
    // second.
    std::vector<ChartPoint> run;
    std::vector<ChartPoint> under;
    auto close = [&] {
        if (run.size() > 1 && between) {
            run.insert(run.end(), under.rbegin(), under.rend());
            outline.push_back(std::move(run));
        } else if (run.size() > 1) {
            auto pieces = area.kind == AreaKind::kSigned ? SplitAtAxis(run)
                                                          : std::vector<std::vector<ChartPoint>>{run};
            for (std::vector<ChartPoint>& piece : pieces) {
                piece.insert(piece.begin(), {piece.front().x, 0.0});
                piece.push_back({piece.back().x, 0.0});
                outline.push_back(std::move(piece));
            }
        }
        run.clear();
        under.clear();
    };
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (failed[i] || !std::isfinite(values[i]) ||
            (between && (otherFailed[i] || !std::isfinite(others[i])))) {
            close();
            continue;
        }
        run.push_back({xs[i], values[i]});
        if (between)
            under.push_back({xs[i], others[i]});
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
