#include "chart/chartscan.h"

#include "chart/curve.h"
#include "chart/doublesteps.h"

#include <cmath>
#include <map>

// The pairs of ChartScan: where two curves meet, and where they are one.

using namespace DoubleSteps;

namespace {

// Two curves whose computed values differ by more than this share of their
// size are not one there; only nearer ones are looked at with enclosures.
constexpr double kNear = 1e-8;

bool Holds0(const Jet& first, const Jet& second)
{
    const Jet d = Difference(first, second, 2);
    return !d.Empty(0) && d.v[0].Contains(0);
}

} // namespace

bool ChartScan::PairPieces(std::size_t i, std::size_t j, std::size_t stretch,
                           std::vector<Piece>& pieces, ChartAnswers& answers)
{
    Track& first = *m_tracks[i];
    Track& second = *m_tracks[j];
    auto prepare = [&](int level, const std::vector<std::size_t>& indices) {
        return first.nodes->PrepareNodes(level, indices) &&
               second.nodes->PrepareNodes(level, indices);
    };
    auto live = [&](int level, std::size_t index) -> unsigned {
        ++m_nPairTests;
        const Jet d = Difference(first.nodes->Node(level, index), second.nodes->Node(level, index), 2);
        return !d.Empty(0) && !d.Excludes0(0) ? 1u : 0u;
    };
    std::vector<LiveCell> cells;
    if (!DescendGrid(m_grid, m_nStretchLevel, {stretch}, prepare, live, cells) ||
        m_nPairTests > CurveAnalysis::kMaxPairTests)
        return false;
    // Where either curve turns faster than the grid follows, so do their
    // meetings: unresolved, as the curve's own points are.
    const int32_t a = first.entry->m_nIndex, b = second.entry->m_nIndex;
    std::vector<LiveCell> followed;
    for (const LiveCell& cell : cells) {
        if (first.aliasing.count(cell.k) != 0 || second.aliasing.count(cell.k) != 0)
            answers.m_unresolvedMeetings.push_back({a, b, m_grid.X(cell.k), m_grid.X(cell.k + 1)});
        else
            followed.push_back(cell);
    }
    if (followed.empty())
        return true;
    std::vector<std::size_t> ends;
    for (const LiveCell& cell : followed) {
        ends.push_back(cell.k);
        ends.push_back(cell.k + 1);
    }
    if (!first.nodes->PreparePoints(ends) || !second.nodes->PreparePoints(ends))
        return false;
    return SplitCoinciding(i, j, followed, pieces, answers);
}

bool ChartScan::SplitCoinciding(std::size_t i, std::size_t j, const std::vector<LiveCell>& cells,
                                std::vector<Piece>& pieces, ChartAnswers& answers)
{
    Track& first = *m_tracks[i];
    Track& second = *m_tracks[j];
    const int32_t a = first.entry->m_nIndex, b = second.entry->m_nIndex;
    auto near = [&](std::size_t k) {
        const PointJet& p = first.nodes->Point(k);
        const PointJet& q = second.nodes->Point(k);
        return p.defined > 0 && q.defined > 0 &&
               std::fabs(p.v[0] - q.v[0]) <=
                   kNear * (std::fabs(p.v[0]) + std::fabs(q.v[0])) + CellProver::kFlat;
    };
    // Whether the curves are one over cell k (false when the work ran out).
    std::map<std::size_t, bool> known;
    auto coincides = [&](std::size_t k, bool& result) {
        const auto it = known.find(k);
        if (it != known.end()) {
            result = it->second;
            return true;
        }
        result = false;
        if (!first.nodes->PreparePoints({k, k + 1}) || !second.nodes->PreparePoints({k, k + 1}))
            return false;
        if (near(k) && near(k + 1)) {
            bool left = false, right = false, middle = false;
            if (!Holds0AtGrid(i, j, k, left) || (left && !Holds0AtGrid(i, j, k + 1, right)) ||
                (left && right && !Holds0At(i, j, Middle(m_grid.X(k), m_grid.X(k + 1)), middle)))
                return false;
            result = left && right && middle;
        }
        known[k] = result;
        return true;
    };

    for (const LiveCell& cell : cells) {
        const std::size_t k = cell.k;
        bool one = false;
        if (!coincides(k, one))
            return false;
        if (one) {
            answers.m_coinciding.push_back({a, b, m_grid.X(k), m_grid.X(k + 1)});
            continue;
        }
        Piece piece{m_grid.X(k), m_grid.X(k + 1),
                    Difference(first.nodes->Point(k), second.nodes->Point(k)),
                    Difference(first.nodes->Point(k + 1), second.nodes->Point(k + 1)), k};
        // A stretch where they are one may begin or end inside this cell:
        // beside such a cell, at an end where the difference still holds 0.
        bool holdsLeft = false, holdsRight = false;
        if ((near(k) && !Holds0AtGrid(i, j, k, holdsLeft)) ||
            (near(k + 1) && !Holds0AtGrid(i, j, k + 1, holdsRight)))
            return false;
        bool beside = false;
        double end = 0, out = 0;
        if (holdsRight && !holdsLeft && k + 1 < m_grid.Cells()) {
            if (!coincides(k + 1, beside))
                return false;
            if (beside) {
                if (!RefineCoincidenceEnd(i, j, piece.b, piece.a, end, out) ||
                    !DifferenceAt(i, j, out, piece.jb))
                    return false;
                answers.m_coinciding.push_back({a, b, end, piece.b});
                piece.b = out;
                piece.cell = kNoCell;
            }
        }
        if (holdsLeft && !holdsRight && k > 0) {
            if (!coincides(k - 1, beside))
                return false;
            if (beside) {
                if (!RefineCoincidenceEnd(i, j, piece.a, piece.b, end, out) ||
                    !DifferenceAt(i, j, out, piece.ja))
                    return false;
                answers.m_coinciding.push_back({a, b, piece.a, end});
                piece.a = out;
                piece.cell = kNoCell;
            }
        }
        if (piece.a < piece.b)
            pieces.push_back(piece);
    }
    return true;
}

bool ChartScan::Holds0AtGrid(std::size_t i, std::size_t j, std::size_t k, bool& holds)
{
    CurveNodes& first = *m_tracks[i]->nodes;
    CurveNodes& second = *m_tracks[j]->nodes;
    if (!first.PreparePointEnclosures({k}) || !second.PreparePointEnclosures({k}))
        return false;
    holds = Holds0(first.PointEnclosure(k), second.PointEnclosure(k));
    return true;
}

bool ChartScan::Holds0At(std::size_t i, std::size_t j, double x, bool& holds)
{
    if (!m_budget.Take(2 * CellProver::kEnclosureCost))
        return false;
    const Interval point = Interval::Point(x);
    Jet first, second;
    m_tracks[i]->jet->Enclose(&point, 1, 2, &first);
    m_tracks[j]->jet->Enclose(&point, 1, 2, &second);
    holds = Holds0(first, second);
    return true;
}

bool ChartScan::RefineCoincidenceEnd(std::size_t i, std::size_t j, double inside, double outside,
                                     double& end, double& beside)
{
    int64_t in = Key(inside), out = Key(outside);
    while (KeyGap(in, out) > 1) {
        const int64_t middle = MiddleKey(in, out);
        bool holds = false;
        if (!Holds0At(i, j, FromKey(middle), holds))
            return false;
        (holds ? in : out) = middle;
    }
    end = FromKey(in);
    beside = FromKey(out);
    return true;
}

bool ChartScan::DifferenceAt(std::size_t i, std::size_t j, double x, PointJet& jet)
{
    if (!m_budget.Take(2))
        return false;
    PointJet p, q;
    m_tracks[i]->jet->Evaluate(&x, 1, &p);
    m_tracks[j]->jet->Evaluate(&x, 1, &q);
    jet = Difference(p, q);
    return true;
}
