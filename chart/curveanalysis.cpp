#include "chart/curveanalysis.h"

#include "chart/areaintegrand.h"
#include "chart/chartmessages.h"
#include "chart/curve.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

namespace {

// One visible function: its curve and its samples on the grid.
struct Row
{
    int32_t index;
    std::unique_ptr<Curve> curve;
    std::vector<double> values;
    std::vector<uint8_t> failed;
};

// The difference of two curves, whose zeros are their intersections.
class DifferenceProbe : public CurveProbe
{
public:
    DifferenceProbe(Curve& first, Curve& second) : m_first(first), m_second(second) {}

    bool At(double x, double& y) override
    {
        double a = 0, b = 0;
        if (!m_first.At(x, a) || !m_second.At(x, b) || !std::isfinite(a - b))
            return false;
        y = a - b;
        return true;
    }
    double ValueError(double x) override { return m_first.ValueError(x) + m_second.ValueError(x); }
    double Wobble(double x) override { return m_first.Wobble(x) + m_second.Wobble(x); }

private:
    Curve& m_first;
    Curve& m_second;
};

// Intersections are refined a stretch of the samples at a time; more
// stretches waste less work past the cap and cost more scans of short rows,
// whose number is bounded for charts with many pairs.
constexpr std::size_t kStretches = 1024;
constexpr std::size_t kMinStretch = 8;
constexpr std::size_t kMaxScans = 200000;

// A zero written as -0 reads oddly; it is the same point.
double Plain(double x)
{
    return x + 0.0;
}

} // namespace

ChartAnswers CurveAnalysis::Analyze(double min, double max, std::size_t cap) const
{
    ChartAnswers answers{min, max, {}, {}, false};
    const ChartSettings& s = m_chart.GetSettings();
    const std::vector<double> xs = m_chart.SampleArguments(min, max);
    // Over the chart's own range the samples of recalculation are the grid.
    const bool chartGrid = min == s.m_xMin && max == s.m_xMax;
    EvaluationBudget budget(m_nEvaluations);

    std::vector<Row> rows;
    const std::vector<FunctionEntry>& functions = m_chart.GetFunctions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const FunctionEntry& entry = functions[i];
        if (!entry.m_bVisible)
            continue;
        Row row{static_cast<int32_t>(i),
                std::make_unique<Curve>(entry.m_strFormula, entry.m_nDerivative,
                                        s.m_bDegrees != 0, budget),
                {}, {}};
        if (chartGrid && entry.m_samples.size() == xs.size() && entry.m_failed.size() == xs.size()) {
            row.values = entry.m_samples;
            row.failed = entry.m_failed;
        } else {
            row.curve->Sample(xs, row.values, row.failed);
        }
        FunctionAnswers function{row.index, LegendLabel(entry), {}};
        CurvePointFinder finder(*row.curve, budget);
        finder.Find(xs, row.values, row.failed, min, max, cap, true, function.m_points);
        for (double& x : function.m_points.zeros)
            x = Plain(x);
        answers.m_functions.push_back(std::move(function));
        rows.push_back(std::move(row));
    }

    // Pair by pair over the differences of the samples, a stretch of x at a
    // time from the left, so that once more than `cap` intersections are
    // known no later stretch is refined. Stretches share their end samples.
    std::vector<CurveIntersection>& found = answers.m_intersections;
    bool cut = false;
    const std::size_t n = xs.size();
    const std::size_t pairs = rows.size() * (rows.size() - std::min<std::size_t>(rows.size(), 1)) / 2;
    const std::size_t stretch = std::max({kMinStretch, n / kStretches, n * pairs / kMaxScans});
    std::vector<double> stretchXs, difference;
    std::vector<uint8_t> failed;
    std::size_t compared = 0;
    // So many pairs that their samples alone would take too long: the
    // intersections found so far are all there is, and they say so.
    auto going = [&] { return !budget.exhausted() && compared <= kMaxPairSamples; };
    for (std::size_t from = 0; from + 1 < n && found.size() <= cap && going(); from += stretch) {
        const std::size_t to = std::min(n, from + stretch + 1);
        stretchXs.assign(xs.begin() + static_cast<std::ptrdiff_t>(from),
                         xs.begin() + static_cast<std::ptrdiff_t>(to));
        for (std::size_t i = 0; i < rows.size() && going(); ++i) {
            for (std::size_t j = i + 1; j < rows.size() && going(); ++j) {
                const Row& a = rows[i];
                const Row& b = rows[j];
                compared += to - from;
                difference.assign(to - from, 0.0);
                failed.assign(to - from, 1);
                // Most stretches of most pairs are one monotone run of one
                // sign: nothing to find there.
                bool plain = true;
                for (std::size_t k = from; k < to; ++k) {
                    const double d = a.values[k] - b.values[k];
                    if (!a.failed[k] && !b.failed[k] && std::isfinite(d)) {
                        difference[k - from] = d;
                        failed[k - from] = 0;
                    }
                    plain = plain && !failed[k - from] && d != 0 &&
                            (k == from || ((d < 0) == (difference[k - from - 1] < 0) &&
                                           (k == from + 1 ||
                                            (d > difference[k - from - 1]) ==
                                                (difference[k - from - 1] >
                                                 difference[k - from - 2]))));
                }
                if (plain)
                    continue;
                DifferenceProbe probe(*a.curve, *b.curve);
                CurvePointFinder finder(probe, budget);
                PointLists meeting;
                finder.Find(stretchXs, difference, failed, min, max, cap, false, meeting);
                cut |= meeting.truncated;
                for (double x : meeting.zeros) {
                    double y = 0;
                    if (a.curve->At(x, y))
                        found.push_back({a.index, b.index, Plain(x), y});
                }
            }
        }
    }
    // A point on the sample two stretches share is found twice.
    std::sort(found.begin(), found.end(), [](const auto& l, const auto& r) {
        return std::tie(l.m_nFirst, l.m_nSecond, l.x) < std::tie(r.m_nFirst, r.m_nSecond, r.x);
    });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const auto& l, const auto& r) {
                                return l.m_nFirst == r.m_nFirst && l.m_nSecond == r.m_nSecond &&
                                       r.x - l.x <= 1e-7 * std::max(1.0, std::fabs(r.x));
                            }),
                found.end());
    std::sort(found.begin(), found.end(), [](const auto& l, const auto& r) {
        return std::tie(l.x, l.m_nFirst, l.m_nSecond) < std::tie(r.x, r.m_nFirst, r.m_nSecond);
    });
    if (found.size() > cap) {
        found.resize(cap);
        cut = true;
    }
    cut |= compared > kMaxPairSamples;
    answers.m_bIntersectionsTruncated = cut || budget.exhausted();
    return answers;
}

AreaAnswer CurveAnalysis::Area(int32_t index, double a, double b, AreaKind kind,
                               int32_t second) const
{
    if (!std::isfinite(a) || !std::isfinite(b))
        throw FunctionContainerException(ChartMessage::kRangeXOrder.c_str());
    const std::vector<FunctionEntry>& functions = m_chart.GetFunctions();
    auto entry = [&](int32_t i) -> const FunctionEntry& {
        if (i < 0 || static_cast<std::size_t>(i) >= functions.size())
            throw FunctionContainerException(ChartMessage::Format(ChartMessage::kNoSuchFunction, i));
        return functions[static_cast<std::size_t>(i)];
    };
    const FunctionEntry& first = entry(index);
    const FunctionEntry* other = kind == AreaKind::kBetween ? &entry(second) : nullptr;
    if (a == b)
        return {0, 0};
    if (a > b) {
        const AreaAnswer forward = Area(index, b, a, kind, second);
        // 0 - v, so that an area of 0 stays +0.
        return {0.0 - forward.value, forward.error};
    }
    AreaIntegrand integrand(first, other, m_chart.GetSettings().m_bDegrees != 0);
    CurveArea area(integrand, kind != AreaKind::kSigned);
    return area.Integrate(a, b, m_chart.SampleArguments(a, b));
}
