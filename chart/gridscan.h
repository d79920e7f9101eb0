#pragma once

#include "chart/curvejet.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class EvaluationBudget;

/// The sample grid of one analysis, arguments x_0 < ... < x_N that run from
/// the range's min to its max, and a binary tree over its N cells: the node
/// (level L, index i) spans the cells i * 2^L ... (i + 1) * 2^L - 1 (fewer at
/// the right end). Level 0 are the cells themselves; the top level has one
/// node, the whole range.
class AnalysisGrid
{
public:
    /// `xs`: at least two arguments, increasing.
    explicit AnalysisGrid(std::vector<double> xs);

    std::size_t Cells() const { return m_xs.size() - 1; }
    double X(std::size_t k) const { return m_xs[k]; }
    int TopLevel() const { return m_nTop; }
    std::size_t NodesAt(int level) const;
    /// The first and one past the last cell of a node.
    std::size_t FirstCell(int level, std::size_t index) const;
    std::size_t EndCell(int level, std::size_t index) const;
    Interval Span(int level, std::size_t index) const;

private:
    std::vector<double> m_xs;
    int m_nTop = 0;
};

/// One curve over the grid: enclosures of its nodes (rows 0 and 1) and its
/// jets at grid arguments, computed in batches when first needed and kept,
/// so the curve's own scans and every pair it is in share them. The costs
/// are taken from the budget (CellProver's units); false when it ran out.
class CurveNodes
{
public:
    CurveNodes(CurveJet& curve, const AnalysisGrid& grid, EvaluationBudget& budget)
        : m_curve(curve), m_grid(grid), m_budget(budget)
    {
    }

    CurveJet& Curve() { return m_curve; }
    bool PrepareNodes(int level, const std::vector<std::size_t>& indices);
    const Jet& Node(int level, std::size_t index) const;
    bool PreparePoints(const std::vector<std::size_t>& ks);
    const PointJet& Point(std::size_t k) const { return m_points.at(k); }
    /// The enclosure of the curve at the grid argument x_k itself.
    bool PreparePointEnclosures(const std::vector<std::size_t>& ks);
    const Jet& PointEnclosure(std::size_t k) const { return m_pointEnclosures.at(k); }

private:
    static uint64_t NodeKey(int level, std::size_t index)
    {
        return (static_cast<uint64_t>(level) << 58) | static_cast<uint64_t>(index);
    }

    CurveJet& m_curve;
    const AnalysisGrid& m_grid;
    EvaluationBudget& m_budget;
    std::unordered_map<uint64_t, Jet> m_nodes;
    std::unordered_map<std::size_t, PointJet> m_points;
    std::unordered_map<std::size_t, Jet> m_pointEnclosures;
};

/// Walks the tree down from the nodes `roots` at level `level`, keeping a
/// node while `live` says it may hold a point (`prepare` first makes the
/// nodes of each level ready, false when the budget ran out), and returns
/// the cells (level 0 indexes) reached, in order. The test returns bits; a
/// cell is returned with the bits it kept.
struct LiveCell
{
    std::size_t k;
    unsigned bits;
};
bool DescendGrid(const AnalysisGrid& grid, int level, const std::vector<std::size_t>& roots,
                 const std::function<bool(int, const std::vector<std::size_t>&)>& prepare,
                 const std::function<unsigned(int, std::size_t)>& live,
                 std::vector<LiveCell>& cells);
