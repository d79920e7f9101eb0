#include "chart/curvearea.h"

#include "chart/areabudget.h"
#include "chart/areaintegrand.h"
#include "chart/areapanels.h"
#include "chart/areasingularities.h"
#include "chart/chartmessages.h"
#include "chart/hermiterule.h"
#include "engine/interval.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// What the bound aims at, of the integrand's area and of each cell's.
const double kAim = std::ldexp(1.0, -38);
// The least share of the first a cell may take, whatever its width: the
// cells by a kink or a jump shrink their bound in proportion to their width,
// as does a width's share, so they need a floor.
const double kLeastShare = std::ldexp(1.0, -12);
// What an answer must reach, and what an area of 0 must reach.
constexpr double kRequired = 1e-6;
constexpr double kRequiredOfZero = 1e-9;
// The least size two curves give their difference's area: far above their
// rounding, which the bound could never get below.
const double kRounding = std::ldexp(1.0, -10);
// Cells enclosed in one call.
constexpr std::size_t kBatch = 256;

struct Cell
{
    double l;
    double u;
};

double Magnitude(Interval v)
{
    return std::max(std::fabs(v.lo), std::fabs(v.hi));
}

Interval Absolute(Interval v)
{
    if (v.lo >= 0)
        return v;
    if (v.hi <= 0)
        return -v;
    return {0, Magnitude(v)};
}

// The points of the partition: a, the grid's points strictly inside, b.
std::vector<double> Points(double a, double b, const std::vector<double>& grid)
{
    std::vector<double> points{a};
    for (double x : grid) {
        if (x > points.back() && x < b)
            points.push_back(x);
    }
    points.push_back(b);
    return points;
}

// The cells between the points, less the tails' stretches.
std::vector<Cell> Cells(const std::vector<double>& points, const std::vector<AreaTail>& tails)
{
    std::vector<Cell> cells;
    std::size_t t = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        double at = points[i];
        const double end = points[i + 1];
        while (t < tails.size() && tails[t].from < end) {
            if (tails[t].from > at)
                cells.push_back({at, tails[t].from});
            at = std::max(at, tails[t].to);
            if (tails[t].to > end)
                break;
            ++t;
        }
        if (at < end)
            cells.push_back({at, end});
    }
    return cells;
}

// How many panels the doubles between l and u can tell apart.
int64_t Resolvable(double l, double u, int64_t cap)
{
    const double m = std::max(std::fabs(l), std::fabs(u));
    const double spacing = std::nextafter(m, std::numeric_limits<double>::infinity()) - m;
    const double panels = (u - l) / (4 * spacing);
    return panels >= static_cast<double>(cap) ? cap : std::max<int64_t>(1, static_cast<int64_t>(panels));
}

} // namespace

const char* AreaKindName(AreaKind kind)
{
    switch (kind) {
    case AreaKind::kSigned:
        return ChartMessage::kAreaSigned;
    case AreaKind::kGeometric:
        return ChartMessage::kAreaGeometric;
    case AreaKind::kBetween:
        return ChartMessage::kAreaBetween;
    }
    return ChartMessage::kAreaSigned;
}

AreaAnswer CurveArea::Integrate(double a, double b, const std::vector<double>& grid)
{
    m_spent = Work();
    const std::vector<double> points = Points(a, b, grid);

    // The size of the integrand's area, from its samples, is what the bound
    // aims at. Each step counts its smaller end, so that a sample next to a
    // singular end (1/x at 1e-16) does not pass for the area; a curve
    // sampled only at its zeros falls back to the plain trapezoid. For two
    // curves their own size matters too: their difference cannot be known
    // closer than their rounding (a curve less itself is 0 within it).
    std::vector<double> values;
    std::vector<uint8_t> failed;
    std::vector<double> sizes;
    m_integrand.Sample(points, values, failed, sizes);
    double lower = 0;
    double plain = 0;
    double curves = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const double l = failed[i] ? 0 : std::fabs(values[i]);
        const double r = failed[i + 1] ? 0 : std::fabs(values[i + 1]);
        // Halves keep the widest interval finite.
        const double width = (points[i + 1] / 2 - points[i] / 2) * 2;
        lower += std::min(l, r) * width;
        plain += (l / 2 + r / 2) * width;
        curves += std::min(sizes[i], sizes[i + 1]) * width;
    }
    double size = std::max(lower > 0 ? lower : plain, curves * kRounding);
    if (!std::isfinite(size))
        size = std::numeric_limits<double>::max();
    if (!std::isfinite(curves))
        curves = std::numeric_limits<double>::max();

    // A curve whose area hides between the samples (a spike next to one)
    // has its size measured by a first pass, and is integrated again
    // against it.
    for (int pass = 0;; ++pass) {
        const Sum total = Pass(a, b, points, size);
        if (!total.Finite())
            RefuseArea(ChartMessage::kAreaTooLarge);
        const double value = total.Value();
        const double error = total.Error();
        if (error <= kRequired * std::fabs(value))
            return {value, error};
        // An area that vanishes within the bound is 0, where the bound is
        // small beside what the pieces or the curves add up to, or below
        // the normal doubles.
        if (std::fabs(value) <= error &&
            (error <= kRequiredOfZero * std::max(total.Scale(), curves) ||
             error <= std::numeric_limits<double>::min()))
            return {0, IntervalMath::Up(std::fabs(value) + error)};
        if (pass > 0 || !(total.Scale() * 16 < size))
            RefuseArea(ChartMessage::kAreaInaccurate);
        size = total.Scale();
    }
}

CurveArea::Sum CurveArea::Pass(double a, double b, const std::vector<double>& points, double size)
{
    AreaBudget budget{kMaxStretches, kMaxNodes, kMaxProbes};
    struct Spend
    {
        const AreaBudget& budget;
        Work& spent;
        ~Spend()
        {
            spent.stretches += kMaxStretches - budget.stretches;
            spent.nodes += kMaxNodes - budget.nodes;
            spent.probes += kMaxProbes - budget.probes;
        }
    } spend{budget, m_spent};

    const HermiteRule rule(m_integrand.MaxOrder() >= 8 ? 4 : 3);
    const int32_t order = rule.BoundOrder();
    AreaPanels panels(m_integrand, rule, budget);
    const double half = b / 2 - a / 2;
    auto allowed = [&](double width, Interval value) {
        const double share = std::max(width / 2 / half, kLeastShare);
        return kAim * (size * share + width * std::fabs(value.lo / 2 + value.hi / 2));
    };

    AreaSingularities singular(m_integrand, panels, budget, m_bAbsolute, a, b);
    const std::vector<AreaTail> tails = singular.Find(points);
    Sum total;
    for (const AreaTail& tail : tails)
        total.Add(tail.value);

    // Cells, deepest first, until each is a piece for the rule or bounded
    // by its enclosure.
    std::vector<Cell> pending = Cells(points, tails);
    std::reverse(pending.begin(), pending.end());
    std::vector<RulePiece> pieces;
    std::vector<Interval> xs;
    std::vector<double> widths;
    std::vector<Interval> g;
    std::vector<uint8_t> flags;
    std::size_t nodes = 0;
    while (!pending.empty()) {
        const std::size_t n = std::min(kBatch, pending.size());
        std::vector<Cell> batch(pending.end() - static_cast<std::ptrdiff_t>(n), pending.end());
        pending.resize(pending.size() - n);
        xs.clear();
        widths.clear();
        for (const Cell& c : batch) {
            xs.push_back({c.l, c.u});
            widths.push_back(c.u - c.l);
        }
        budget.TakeStretches(n);
        g.resize(n * static_cast<std::size_t>(order + 1));
        flags.resize(g.size());
        m_integrand.Enclose(xs.data(), widths.data(), n, order, g.data(), flags.data());
        for (std::size_t i = 0; i < n; ++i) {
            const Cell& c = batch[i];
            const double width = widths[i];
            const Interval value = g[i];
            const double mid = c.l + (c.u - c.l) / 2;
            const bool splittable = c.l < mid && mid < c.u && std::isfinite(width);
            auto split = [&] {
                if (!splittable)
                    RefuseArea(ChartMessage::kAreaInaccurate);
                pending.push_back({mid, c.u});
                pending.push_back({c.l, mid});
            };
            // Inside the grid's cells that the search for singular points
            // found clean, only the rounding of a wide enclosure can fail.
            if ((flags[i] & (Enclosure::kMayFail | Enclosure::kMustFail)) || !value.IsFinite()) {
                split();
                continue;
            }
            bool smooth = std::isfinite(width);
            for (int32_t k = 0; k <= order && smooth; ++k) {
                const std::size_t at = static_cast<std::size_t>(k) * n + i;
                smooth = flags[at] == 0 && g[at].IsFinite();
            }
            const double allow = allowed(width, value);
            if (smooth) {
                const Interval bound = g[static_cast<std::size_t>(order) * n + i];
                int64_t m = rule.PanelsFor(width, width, bound, allow / 2, kMaxPanels);
                if (m > kMaxPanels && splittable) {
                    split();
                    continue;
                }
                m = std::min(m, Resolvable(c.l, c.u, kMaxPanels));
                int32_t sign = 1;
                if (m_bAbsolute)
                    sign = value.lo >= 0 ? 1 : value.hi <= 0 ? -1 : 0;
                RulePiece piece{c.l, c.u, m, sign, {}, width, allow / 2};
                for (int32_t k = 0; k <= order; ++k)
                    piece.g[k] = g[static_cast<std::size_t>(k) * n + i];
                pieces.push_back(piece);
                nodes += static_cast<std::size_t>(m) + 1;
                if (nodes > budget.nodes)
                    RefuseArea(ChartMessage::kAreaInaccurate);
                continue;
            }
            const Interval bounded =
                (Interval::Point(c.u) - Interval::Point(c.l)) * (m_bAbsolute ? Absolute(value) : value);
            if (bounded.hi - bounded.lo <= allow || !splittable) {
                total.Add(bounded);
                continue;
            }
            split();
        }
    }

    std::sort(pieces.begin(), pieces.end(), [](const RulePiece& l, const RulePiece& r) { return l.l < r.l; });
    std::vector<Interval> integrals;
    panels.Integrate(pieces, integrals);
    for (const Interval& integral : integrals)
        total.Add(integral);
    return total;
}

void CurveArea::Sum::Add(Interval v)
{
    if (!v.IsFinite()) {
        m_bFinite = false;
        return;
    }
    const double mid = v.lo / 2 + v.hi / 2;
    m_radius = IntervalMath::Up(m_radius + IntervalMath::Up(std::max(mid - v.lo, v.hi - mid)));
    m_scale += std::fabs(mid);
    // The midpoints are summed without loss: each sum's rounding is kept
    // (TwoSum) in a second word, and only what that word's own sums drop
    // counts against the answer.
    const auto [sum, error] = TwoSum(m_high, mid);
    m_high = sum;
    const auto [low, lost] = TwoSum(m_low, error);
    m_low = low;
    m_lost = IntervalMath::Up(m_lost + std::fabs(lost));
    m_bFinite = m_bFinite && std::isfinite(m_high) && std::isfinite(m_radius);
}

double CurveArea::Sum::Value() const
{
    return m_high + m_low;
}

double CurveArea::Sum::Error() const
{
    const auto [value, rounding] = TwoSum(m_high, m_low);
    return IntervalMath::Up(IntervalMath::Up(m_radius + m_lost) + std::fabs(rounding));
}

std::pair<double, double> CurveArea::Sum::TwoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
