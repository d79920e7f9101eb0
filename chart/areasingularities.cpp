#include "chart/areasingularities.h"

#include "chart/areabudget.h"
#include "chart/areaintegrand.h"
#include "chart/areapanels.h"
#include "chart/chartmessages.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Cells enclosed in one call while scanning the grid.
constexpr std::size_t kBatch = 256;
// Past it a value at the edge of a failing stretch is an overflow.
const double kOverflow = std::ldexp(1.0, 1000);
// Narrower failing stretches are a point where an intermediate value
// overflows (sin(1/x) at 0), not a hole in the domain.
const double kPointWidth = std::ldexp(1.0, -1000);
// How near 1 the shells' ratios come before they are read as divergence.
constexpr double kSteady = 1e-6;
// Accuracy of each shell's integral: far beyond what its ratio needs.
constexpr double kShellAccuracy = 1e-12;
constexpr int64_t kShellPanels = 64;
constexpr double kUsable = 1e-9;
constexpr double kLocal = 256;
constexpr std::size_t kMaxProbesPerCell = 65536;

// The gap between |x| and the next double above it.
double Spacing(double x)
{
    const double m = std::fabs(x);
    return std::nextafter(m, std::numeric_limits<double>::infinity()) - m;
}

double Midpoint(Interval v)
{
    return v.lo / 2 + v.hi / 2;
}

} // namespace

AreaSingularities::AreaSingularities(AreaIntegrand& integrand, AreaPanels& panels,
                                     AreaBudget& budget, bool absolute, double a, double b)
    : m_integrand(integrand), m_panels(panels), m_budget(budget), m_bAbsolute(absolute), m_a(a),
      m_b(b)
{
}

int AreaSingularities::Classify(Interval value, uint8_t flags) const
{
    if (flags & Enclosure::kMustFail)
        return flags & Enclosure::kOverflow ? 2 : 3;
    if ((flags & Enclosure::kMayFail) || !value.IsFinite())
        return 1;
    return 0;
}

std::vector<AreaTail> AreaSingularities::Find(const std::vector<double>& points)
{
    std::vector<Interval> cells;
    std::vector<double> scales;
    std::vector<Interval> values(kBatch);
    std::vector<uint8_t> flags(kBatch);
    for (std::size_t first = 0; first + 1 < points.size() && !m_bTooMany; first += kBatch) {
        const std::size_t last = std::min(points.size() - 1, first + kBatch);
        cells.clear();
        scales.clear();
        for (std::size_t i = first; i < last; ++i) {
            cells.push_back({points[i], points[i + 1]});
            scales.push_back(1);
        }
        m_budget.TakeProbes(cells.size());
        m_integrand.Enclose(cells.data(), scales.data(), cells.size(), 0, values.data(), flags.data());
        for (std::size_t i = 0; i < cells.size() && !m_bTooMany; ++i) {
            const int kind = Classify(values[i], flags[i]);
            if (kind == 1)
                Localize(cells[i].lo, cells[i].hi);
            else if (kind >= 2)
                Add(cells[i].lo, cells[i].hi, true, kind == 3);
        }
    }
    if (m_bOpen && !m_bTooMany)
        m_regions.push_back(m_open);

    // The surest refusal first: a hole in the domain, then a divergent
    // singularity, then an overflow, then what the shells could not tell.
    for (const Region& region : m_regions) {
        if (region.dead && region.domain && !Point(region))
            RefuseArea(ChartMessage::kAreaUndefined);
    }
    const char* refusal = m_bTooMany ? ChartMessage::kAreaInaccurate.c_str() : nullptr;
    int rank = m_bTooMany ? 1 : 0;
    std::vector<AreaTail> tails;
    for (const Region& region : m_regions) {
        AreaTail tail{region.l, region.u, Interval::Point(0)};
        const int outcome = Analyze(region, tails.empty() ? m_a : tails.back().to, tail);
        static const char* const kRefusals[] = {nullptr, ChartMessage::kAreaInaccurate,
                                                ChartMessage::kAreaTooLarge, ChartMessage::kAreaDivergent,
                                                ChartMessage::kAreaUndefined};
        // Nothing after a divergent singularity could make a surer answer.
        if (outcome == 3)
            RefuseArea(kRefusals[outcome]);
        if (outcome > rank) {
            rank = outcome;
            refusal = kRefusals[outcome];
        }
        tails.push_back(tail);
    }
    if (refusal != nullptr)
        RefuseArea(refusal);
    return tails;
}

void AreaSingularities::Localize(double l, double u)
{
    // Depth first, left half first, so that regions come in order.
    struct Cell
    {
        double l;
        double u;
        int kind;
    };
    std::vector<Cell> stack{{l, u, 1}};
    // One point takes a few probes a halving, down to the smallest double;
    // a cell that takes far more holds a thicket of them (cos(pi/x)'' where
    // its values overflow), and says so as too many.
    const std::size_t start = m_budget.probes;
    while (!stack.empty() && !m_bTooMany) {
        if (start - m_budget.probes > kMaxProbesPerCell) {
            m_bTooMany = true;
            break;
        }
        const Cell cell = stack.back();
        stack.pop_back();
        const double mid = cell.l / 2 + cell.u / 2;
        // Next to 0 the squares and products of arguments fall below the
        // doubles and every enclosure there is in doubt: the cell is a
        // point already.
        const bool point = std::max(std::fabs(cell.l), std::fabs(cell.u)) <= kPointWidth;
        if (cell.kind >= 2 || point || !(cell.l < mid && mid < cell.u)) {
            Add(cell.l, cell.u, cell.kind >= 2, cell.kind == 3);
            continue;
        }
        // Where an enclosure is in doubt only because its arithmetic left
        // the doubles (1 / x^2 below 1e-154, whose square is subnormal), the
        // values fail too: the cell fails throughout, and its halves need no
        // look.
        double y = 0;
        m_budget.TakeProbes(3);
        if (!m_integrand.At(cell.l, y) && !m_integrand.At(mid, y) && !m_integrand.At(cell.u, y)) {
            Add(cell.l, cell.u, true, false);
            continue;
        }
        const Interval halves[2] = {{cell.l, mid}, {mid, cell.u}};
        const double scales[2] = {1, 1};
        Interval values[2];
        uint8_t flags[2];
        m_budget.TakeProbes(2);
        m_integrand.Enclose(halves, scales, 2, 0, values, flags);
        for (int i = 1; i >= 0; --i) {
            const int kind = Classify(values[i], flags[i]);
            if (kind != 0)
                stack.push_back({halves[i].lo, halves[i].hi, kind});
        }
    }
}

void AreaSingularities::Add(double l, double u, bool dead, bool domain)
{
    if (m_bOpen && l <= m_open.u) {
        m_open.u = std::max(m_open.u, u);
        m_open.dead = m_open.dead || dead;
        m_open.domain = m_open.domain || domain;
        return;
    }
    if (m_bOpen) {
        if (m_regions.size() >= kMaxPoints) {
            m_bTooMany = true;
            return;
        }
        m_regions.push_back(m_open);
    }
    m_open = {l, u, dead, domain};
    m_bOpen = true;
}

bool AreaSingularities::Point(const Region& region) const
{
    return !region.dead || region.u - region.l <= kPointWidth;
}

int AreaSingularities::Analyze(const Region& region, double previous, AreaTail& tail)
{
    bool overflow = false;
    if (!Point(region)) {
        for (double edge : {region.l, region.u}) {
            double y = 0;
            if (edge > m_a && edge < m_b && m_integrand.At(edge, y) && std::fabs(y) >= kOverflow)
                overflow = true;
        }
        if (!overflow)
            return 4;
    }
    const Side left = Shells(region, false, previous);
    const Side right = Shells(region, true, previous);
    if (left.divergent || right.divergent)
        return 3;
    if ((left.room && !left.settled) || (right.room && !right.settled) || (!left.room && !right.room))
        return overflow ? 2 : 1;
    tail = {region.l - left.reach, region.u + right.reach, left.value + right.value};
    return 0;
}

AreaSingularities::Side AreaSingularities::Shells(const Region& region, bool right,
                                                  double previous)
{
    Side side;
    const double edge = right ? region.u : region.l;
    // Left of the region the shells stop at the previous tail.
    const double limit = right ? m_b : std::max(m_a, previous);
    // Shells stay small beside the room they have, where the point's own
    // behaviour rules rather than the curve's shape further off.
    const double room = (right ? limit - edge : edge - limit) / kLocal;
    if (!(room > 0))
        return side;
    side.room = true;
    const double unit = std::max(region.u - region.l, Spacing(edge));
    std::vector<double> sizes;
    int first = -1;
    for (int j = 0; j < kSkippedShells + kShells && static_cast<int>(sizes.size()) < kShells; ++j) {
        const double inner = unit * (std::ldexp(1.0, j) - 1);
        const double outer = unit * (std::ldexp(1.0, j + 1) - 1);
        if (!(outer <= room))
            break;
        const double lo = right ? edge + inner : edge - outer;
        const double hi = right ? edge + outer : edge - inner;
        // A shell must know its integral far better than its ratio needs;
        // next to 0 the doubles are subnormal and too coarse for that.
        Interval s{};
        if (!m_panels.Stretch(lo, hi, m_bAbsolute, kShellAccuracy, kShellPanels, s) ||
            s.hi - s.lo > kUsable * std::fabs(Midpoint(s))) {
            if (first < 0 && j < kSkippedShells)
                continue;
            break;
        }
        if (first < 0) {
            first = j;
            side.reach = inner;
        }
        sizes.push_back(Midpoint(s));
    }
    const std::size_t n = sizes.size();
    if (n < 8)
        return side;
    if (std::all_of(sizes.begin(), sizes.end(), [](double s) { return s == 0; })) {
        side.settled = true;
        return side;
    }
    const bool positive = sizes[0] > 0;
    for (double s : sizes) {
        if (s == 0 || (s > 0) != positive)
            return side;
    }
    // Ratios of a shell to the next one out. Far from the region the
    // region's width no longer blurs where the point is.
    double largest = 0;
    double farSmallest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double ratio = sizes[i] / sizes[i + 1];
        largest = std::max(largest, ratio);
        if (i >= (n - 1) / 2)
            farSmallest = std::min(farSmallest, ratio);
    }
    if (farSmallest >= 1 - kSteady) {
        side.divergent = true;
        return side;
    }
    if (!(largest < 1 - kSteady))
        return side;
    // The shells nearer the point than the first, and the point's own
    // stretch, as the rest of a geometric series of that ratio; counted as
    // anywhere between nothing and twice as much.
    const Interval tail = Interval::Point(std::fabs(sizes[0])) * Interval::Point(largest) /
                          (Interval::Point(1) - Interval::Point(largest));
    side.value = Interval{0, (Interval::Point(2) * tail).hi};
    if (!positive)
        side.value = -side.value;
    side.settled = true;
    return side;
}
