#include "chart/chartscan.h"

#include "chart/curve.h"
#include "chart/doublesteps.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

using namespace DoubleSteps;

namespace {

// The grid is scanned a stretch (a node of the tree) at a time: enough of
// them that the pairs stop soon after the cap, few enough that each descent
// batches its enclosures.
constexpr std::size_t kStretches = 64;

double Separation(double x)
{
    return std::ldexp(std::max(1.0, std::fabs(x)), -CellProver::kSeparationBits);
}

// A zero written as -0 reads oddly; it is the same point.
double Plain(double x)
{
    return x + 0.0;
}

// The grid over min ... max: the chart's arguments, increasing, with the
// range's ends (a step the doubles cannot resolve repeats an argument; a step
// raised for a tiny range stops short of its end).
std::vector<double> GridOf(const CurveSet& curves)
{
    const double min = curves.m_xMin, max = curves.m_xMax;
    std::vector<double> xs{min};
    for (double x : curves.m_xs) {
        if (x > xs.back() && x < max)
            xs.push_back(x);
    }
    xs.push_back(max);
    return xs;
}

bool Flat(const Jet& jet, int row)
{
    return jet.Clean(row) && std::fabs(jet.v[row].lo) <= CellProver::kFlat &&
           std::fabs(jet.v[row].hi) <= CellProver::kFlat;
}

// A list sorted by x cut at the cap as asked; true when it was longer.
template <typename T>
bool CutList(std::vector<T>& kept, std::size_t cap, ListCut cut)
{
    const bool over = kept.size() > cap;
    if (over && cut == ListCut::kFirst) {
        kept.resize(cap);
    } else if (over) {
        // Evenly by rank, the first and the last kept.
        std::vector<T> spread;
        const std::size_t n = kept.size();
        for (std::size_t i = 0; i < cap; ++i) {
            const std::size_t at =
                cap == 1 ? n / 2
                         : static_cast<std::size_t>(static_cast<unsigned __int128>(i) * (n - 1) /
                                                    (cap - 1));
            spread.push_back(kept[at]);
        }
        kept = std::move(spread);
    }
    return over;
}

// Sorted by x, one point per separation, and cut at the cap as asked.
template <typename T, typename X>
bool SettleList(std::vector<T>& points, std::size_t cap, ListCut cut, X xOf)
{
    std::sort(points.begin(), points.end(),
              [&](const T& l, const T& r) { return xOf(l) < xOf(r); });
    std::vector<T> kept;
    for (const T& p : points) {
        if (!kept.empty() && xOf(p) - xOf(kept.back()) <= Separation(xOf(p)))
            continue;
        kept.push_back(p);
    }
    points = std::move(kept);
    return CutList(points, cap, cut);
}

// Sorted, and joined where they overlap or lie less than `gap` apart.
std::vector<XRange> Merge(std::vector<XRange> ranges, double gap = 0)
{
    std::sort(ranges.begin(), ranges.end(),
              [](const XRange& l, const XRange& r) { return l.from < r.from; });
    std::vector<XRange> merged;
    for (const XRange& r : ranges) {
        if (!merged.empty() && r.from - merged.back().to <= gap)
            merged.back().to = std::max(merged.back().to, r.to);
        else
            merged.push_back(r);
    }
    return merged;
}

} // namespace

ChartScan::ChartScan(const CurveSet& curves, std::size_t cap, ListCut cut,
                     EvaluationBudget& budget)
    : m_curves(curves), m_nCap(cap), m_cut(cut), m_budget(budget), m_grid(GridOf(curves))
{
    while (m_grid.NodesAt(m_nStretchLevel) > kStretches)
        ++m_nStretchLevel;
    for (const CurveSet::Entry& entry : curves.m_curves) {
        auto track = std::make_unique<Track>();
        track->entry = &entry;
        track->jet = std::make_unique<CurveJet>(entry.m_strFormula, entry.m_nOrder, curves.m_bDegrees);
        track->nodes = std::make_unique<CurveNodes>(*track->jet, m_grid, m_budget);
        m_tracks.push_back(std::move(track));
    }
}

ChartScan::~ChartScan() = default;

double ChartScan::Step() const
{
    return (m_curves.m_xMax / 2 - m_curves.m_xMin / 2) / static_cast<double>(m_grid.Cells()) * 2;
}

std::vector<std::size_t> ChartScan::StretchOrder() const
{
    const std::size_t n = m_grid.NodesAt(m_nStretchLevel);
    std::vector<std::size_t> order;
    if (m_cut == ListCut::kFirst) {
        for (std::size_t i = 0; i < n; ++i)
            order.push_back(i);
        return order;
    }
    // The bit-reversed order of the stretches (0, 32, 16, 48, ...): any
    // beginning of it is spread over the whole range.
    std::size_t bits = 0;
    while ((std::size_t{1} << bits) < n)
        ++bits;
    for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
        std::size_t reversed = 0;
        for (std::size_t b = 0; b < bits; ++b)
            reversed |= ((i >> b) & 1) << (bits - 1 - b);
        if (reversed < n)
            order.push_back(reversed);
    }
    return order;
}

ChartAnswers ChartScan::Run()
{
    ChartAnswers answers{m_curves.m_xMin, m_curves.m_xMax, {}, {}, false, {}, {}};
    for (const auto& track : m_tracks) {
        FunctionAnswers function{track->entry->m_nIndex, track->entry->m_strLabel, {}};
        ScanCurve(*track, function);
        answers.m_functions.push_back(std::move(function));
    }
    ScanPairs(answers);
    return answers;
}

void ChartScan::ScanCurve(Track& track, FunctionAnswers& answers)
{
    CellProver zeros(*track.jet, CellProver::Goal::kZeros, m_budget);
    CellProver extrema(*track.jet, CellProver::Goal::kExtrema, m_budget);
    ProverFindings zeroFindings, extremumFindings;
    CurveNodes& nodes = *track.nodes;
    auto prepare = [&](int level, const std::vector<std::size_t>& indices) {
        return nodes.PrepareNodes(level, indices);
    };
    // Bit 1: the curve's enclosure holds 0; bit 2: its derivative's does
    // (and the curve is not constant there), or an edge of the curve's
    // domain or a kink may lie there.
    auto live = [&](int level, std::size_t index) {
        const Jet& jet = nodes.Node(level, index);
        unsigned bits = 0;
        if (!jet.Empty(0) && !jet.Excludes0(0))
            bits |= 1;
        // A derivative that may fail or jump may change sign there across a
        // kink, also where it keeps away from 0 on the cell (abs(x) on a
        // cell ending at 0).
        if ((!jet.Empty(1) && !jet.Excludes0(1) && !Flat(jet, 1)) ||
            (!jet.Empty(0) && (jet.flags[0] & Enclosure::kMayFail) != 0) ||
            (!jet.Empty(0) && (jet.flags[1] & (Enclosure::kMayFail | Enclosure::kMayJump)) != 0))
            bits |= 2;
        return bits;
    };
    bool finished = true;
    for (std::size_t stretch : StretchOrder()) {
        std::vector<LiveCell> cells;
        if (!DescendGrid(m_grid, m_nStretchLevel, {stretch}, prepare, live, cells)) {
            finished = false;
            break;
        }
        std::vector<std::size_t> ends;
        for (const LiveCell& cell : cells) {
            ends.push_back(cell.k);
            ends.push_back(cell.k + 1);
        }
        if (!nodes.PreparePoints(ends)) {
            finished = false;
            break;
        }
        // Each argument once per goal, then the cells.
        for (unsigned bit : {1u, 2u}) {
            CellProver& prover = bit == 1 ? zeros : extrema;
            ProverFindings& found = bit == 1 ? zeroFindings : extremumFindings;
            std::vector<std::size_t> points;
            for (const LiveCell& cell : cells) {
                if (cell.bits & bit) {
                    points.push_back(cell.k);
                    points.push_back(cell.k + 1);
                }
            }
            points.erase(std::unique(points.begin(), points.end()), points.end());
            for (std::size_t k : points)
                prover.Point(m_grid.X(k), nodes.Point(k), found);
            for (const LiveCell& cell : cells) {
                if ((cell.bits & bit) == 0)
                    continue;
                const std::size_t aliasing = found.aliasing.size();
                prover.Settle(m_grid.X(cell.k), nodes.Point(cell.k), m_grid.X(cell.k + 1),
                              nodes.Point(cell.k + 1), found, &nodes.Node(0, cell.k));
                if (found.aliasing.size() != aliasing)
                    track.aliasing.insert(cell.k);
            }
        }
        if (m_budget.exhausted()) {
            finished = false;
            break;
        }
    }

    PointLists& out = answers.m_points;
    // Where the curve is 0 throughout, the ends of the run of zeros stand
    // for it.
    const std::vector<XRange> flat = Merge(zeroFindings.flat);
    std::sort(zeroFindings.zeros.begin(), zeroFindings.zeros.end());
    for (std::size_t i = 0; i < zeroFindings.zeros.size(); ++i) {
        const double x = zeroFindings.zeros[i];
        const auto inside = std::find_if(flat.begin(), flat.end(), [x](const XRange& r) {
            return r.from <= x && x <= r.to;
        });
        const bool first = i == 0 || inside == flat.end() || zeroFindings.zeros[i - 1] < inside->from;
        const bool last = i + 1 == zeroFindings.zeros.size() || inside == flat.end() ||
                          zeroFindings.zeros[i + 1] > inside->to;
        if (first || last)
            out.zeros.push_back(Plain(x));
    }
    const double min = m_curves.m_xMin, max = m_curves.m_xMax;
    for (const CurvePoint& p : extremumFindings.minima) {
        if (p.x > min && p.x < max)
            out.minima.push_back({Plain(p.x), p.y});
    }
    for (const CurvePoint& p : extremumFindings.maxima) {
        if (p.x > min && p.x < max)
            out.maxima.push_back({Plain(p.x), p.y});
    }
    bool cut = SettleList(out.zeros, m_nCap, m_cut, [](double x) { return x; });
    cut |= SettleList(out.minima, m_nCap, m_cut, [](const CurvePoint& p) { return p.x; });
    cut |= SettleList(out.maxima, m_nCap, m_cut, [](const CurvePoint& p) { return p.x; });
    std::vector<XRange> unresolved = zeroFindings.unresolved;
    unresolved.insert(unresolved.end(), extremumFindings.unresolved.begin(),
                      extremumFindings.unresolved.end());
    // Where a curve oscillates faster than it can be followed, its unsettled
    // stretches lie between the points found: one stretch reads better than
    // dozens a step apart.
    out.unresolved = Merge(std::move(unresolved), Step());
    out.truncated = cut || !finished;
}

void ChartScan::ScanPairs(ChartAnswers& answers)
{
    const std::size_t n = m_tracks.size();
    struct Pair
    {
        std::size_t i;
        std::size_t j;
        std::unique_ptr<DifferenceJet> jet;
        std::unique_ptr<CellProver> prover;
    };
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j)
            pairs.push_back({i, j, nullptr, nullptr});
    }
    struct Owned
    {
        std::size_t pair;
        Piece piece;
    };
    std::vector<CurveIntersection>& found = answers.m_intersections;
    // From the left, a piece that starts right of more than `cap` meetings
    // found already holds later points only.
    auto pastTheCap = [&](double x) {
        if (m_cut != ListCut::kFirst || found.size() <= m_nCap)
            return false;
        std::size_t before = 0;
        for (const CurveIntersection& m : found)
            before += m.x < x ? 1 : 0;
        return before > m_nCap;
    };
    bool stopped = false;
    for (std::size_t stretch : StretchOrder()) {
        std::vector<Owned> pieces;
        std::vector<Piece> mine;
        for (std::size_t q = 0; q < pairs.size() && !stopped; ++q) {
            mine.clear();
            stopped = !PairPieces(pairs[q].i, pairs[q].j, stretch, mine, answers);
            for (const Piece& piece : mine)
                pieces.push_back({q, piece});
        }
        // Every pair's cells in the order of x, so that the cap is met as
        // soon as it can be.
        std::stable_sort(pieces.begin(), pieces.end(),
                         [](const Owned& l, const Owned& r) { return l.piece.a < r.piece.a; });
        for (const Owned& owned : pieces) {
            if (stopped)
                break;
            if (pastTheCap(owned.piece.a)) {
                m_bPairsCut = true;
                stopped = true;
                break;
            }
            Pair& pair = pairs[owned.pair];
            if (pair.prover == nullptr) {
                pair.jet = std::make_unique<DifferenceJet>(*m_tracks[pair.i]->jet, *m_tracks[pair.j]->jet);
                pair.prover = std::make_unique<CellProver>(*pair.jet, CellProver::Goal::kZeros, m_budget);
            }
            const Piece& piece = owned.piece;
            ProverFindings settled;
            pair.prover->Point(piece.a, piece.ja, settled);
            pair.prover->Point(piece.b, piece.jb, settled);
            // A whole cell has its enclosure from the descent already.
            Jet whole;
            if (piece.cell != kNoCell)
                whole = Difference(m_tracks[pair.i]->nodes->Node(0, piece.cell),
                                   m_tracks[pair.j]->nodes->Node(0, piece.cell), 2);
            pair.prover->Settle(piece.a, piece.ja, piece.b, piece.jb, settled,
                                piece.cell != kNoCell ? &whole : nullptr);
            const int32_t a = m_tracks[pair.i]->entry->m_nIndex;
            const int32_t b = m_tracks[pair.j]->entry->m_nIndex;
            for (double x : settled.zeros)
                found.push_back({a, b, Plain(x), 0});
            for (const XRange& r : settled.unresolved)
                answers.m_unresolvedMeetings.push_back({a, b, r.from, r.to});
            // A difference that is 0 throughout: the same curve twice.
            for (const XRange& r : settled.flat)
                answers.m_coinciding.push_back({a, b, r.from, r.to});
            stopped = m_budget.exhausted();
        }
        if (stopped)
            break;
    }

    // The first curve's value at each meeting: a few evaluations each, which
    // the work that found them bounds.
    std::map<int32_t, std::size_t> trackOf;
    for (std::size_t t = 0; t < n; ++t)
        trackOf[m_tracks[t]->entry->m_nIndex] = t;
    for (CurveIntersection& meeting : found) {
        PointJet jet;
        m_tracks[trackOf[meeting.m_nFirst]]->jet->Evaluate(&meeting.x, 1, &jet);
        meeting.y = jet.defined > 0 ? jet.v[0] : std::nan("");
    }
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const CurveIntersection& m) { return std::isnan(m.y); }),
                found.end());

    // Stretches of one pair merged where they touch; meetings inside them go.
    auto byPair = [](const CurveStretch& l, const CurveStretch& r) {
        return std::tie(l.m_nFirst, l.m_nSecond, l.from) < std::tie(r.m_nFirst, r.m_nSecond, r.from);
    };
    for (std::vector<CurveStretch>* list : {&answers.m_coinciding, &answers.m_unresolvedMeetings}) {
        const double gap = list == &answers.m_coinciding ? 0 : Step();
        std::sort(list->begin(), list->end(), byPair);
        std::vector<CurveStretch> merged;
        for (const CurveStretch& s : *list) {
            CurveStretch* last = merged.empty() ? nullptr : &merged.back();
            if (last != nullptr && last->m_nFirst == s.m_nFirst && last->m_nSecond == s.m_nSecond &&
                s.from - last->to <= gap)
                last->to = std::max(last->to, s.to);
            else
                merged.push_back(s);
        }
        *list = std::move(merged);
    }
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const CurveIntersection& m) {
                                   for (const CurveStretch& s : answers.m_coinciding) {
                                       if (s.m_nFirst == m.m_nFirst && s.m_nSecond == m.m_nSecond &&
                                           s.from <= m.x && m.x <= s.to)
                                           return true;
                                   }
                                   return false;
                               }),
                found.end());

    // One point per separation within a pair, then all by x.
    std::sort(found.begin(), found.end(), [](const auto& l, const auto& r) {
        return std::tie(l.m_nFirst, l.m_nSecond, l.x) < std::tie(r.m_nFirst, r.m_nSecond, r.x);
    });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const auto& l, const auto& r) {
                                return l.m_nFirst == r.m_nFirst && l.m_nSecond == r.m_nSecond &&
                                       r.x - l.x <= Separation(r.x);
                            }),
                found.end());
    auto byX = [](const auto& l, const auto& r) {
        return std::tie(l.from, l.m_nFirst, l.m_nSecond) < std::tie(r.from, r.m_nFirst, r.m_nSecond);
    };
    std::sort(answers.m_coinciding.begin(), answers.m_coinciding.end(), byX);
    std::sort(answers.m_unresolvedMeetings.begin(), answers.m_unresolvedMeetings.end(), byX);
    std::sort(found.begin(), found.end(), [](const auto& l, const auto& r) {
        return std::tie(l.x, l.m_nFirst, l.m_nSecond) < std::tie(r.x, r.m_nFirst, r.m_nSecond);
    });
    const bool over = CutList(found, m_nCap, m_cut);
    answers.m_bIntersectionsTruncated = over || (stopped && !m_bPairsCut) || m_bPairsCut;
}
