#include "chart/gridscan.h"

#include "chart/cellprover.h"
#include "chart/curve.h"

#include <algorithm>
#include <utility>

AnalysisGrid::AnalysisGrid(std::vector<double> xs) : m_xs(std::move(xs))
{
    while ((std::size_t{1} << m_nTop) < Cells())
        ++m_nTop;
}

std::size_t AnalysisGrid::NodesAt(int level) const
{
    const std::size_t width = std::size_t{1} << level;
    return (Cells() + width - 1) / width;
}

std::size_t AnalysisGrid::FirstCell(int level, std::size_t index) const
{
    return std::min(Cells(), index << level);
}

std::size_t AnalysisGrid::EndCell(int level, std::size_t index) const
{
    return std::min(Cells(), (index + 1) << level);
}

Interval AnalysisGrid::Span(int level, std::size_t index) const
{
    return {m_xs[FirstCell(level, index)], m_xs[EndCell(level, index)]};
}

bool CurveNodes::PrepareNodes(int level, const std::vector<std::size_t>& indices)
{
    std::vector<std::size_t> missing;
    std::vector<Interval> spans;
    for (std::size_t index : indices) {
        if (m_nodes.count(NodeKey(level, index)) == 0) {
            missing.push_back(index);
            spans.push_back(m_grid.Span(level, index));
        }
    }
    if (missing.empty())
        return true;
    if (!m_budget.Take(missing.size() * CellProver::kEnclosureCost))
        return false;
    std::vector<Jet> jets(missing.size());
    m_curve.Enclose(spans.data(), spans.size(), 2, jets.data());
    for (std::size_t i = 0; i < missing.size(); ++i)
        m_nodes.emplace(NodeKey(level, missing[i]), jets[i]);
    return true;
}

const Jet& CurveNodes::Node(int level, std::size_t index) const
{
    return m_nodes.at(NodeKey(level, index));
}

bool CurveNodes::PreparePoints(const std::vector<std::size_t>& ks)
{
    std::vector<std::size_t> missing;
    std::vector<double> xs;
    for (std::size_t k : ks) {
        if (m_points.count(k) == 0) {
            missing.push_back(k);
            xs.push_back(m_grid.X(k));
        }
    }
    if (missing.empty())
        return true;
    if (!m_budget.Take(missing.size()))
        return false;
    std::vector<PointJet> jets(missing.size());
    m_curve.Evaluate(xs.data(), xs.size(), jets.data());
    for (std::size_t i = 0; i < missing.size(); ++i)
        m_points.emplace(missing[i], jets[i]);
    return true;
}

bool CurveNodes::PreparePointEnclosures(const std::vector<std::size_t>& ks)
{
    std::vector<std::size_t> missing;
    std::vector<Interval> xs;
    for (std::size_t k : ks) {
        if (m_pointEnclosures.count(k) == 0) {
            missing.push_back(k);
            xs.push_back(Interval::Point(m_grid.X(k)));
        }
    }
    if (missing.empty())
        return true;
    if (!m_budget.Take(missing.size() * CellProver::kEnclosureCost))
        return false;
    std::vector<Jet> jets(missing.size());
    m_curve.Enclose(xs.data(), xs.size(), 2, jets.data());
    for (std::size_t i = 0; i < missing.size(); ++i)
        m_pointEnclosures.emplace(missing[i], jets[i]);
    return true;
}

bool DescendGrid(const AnalysisGrid& grid, int level, const std::vector<std::size_t>& roots,
                 const std::function<bool(int, const std::vector<std::size_t>&)>& prepare,
                 const std::function<unsigned(int, std::size_t)>& live,
                 std::vector<LiveCell>& cells)
{
    // Level by level, so each level's enclosures are made in one batch.
    std::vector<std::pair<std::size_t, unsigned>> nodes;
    for (std::size_t root : roots) {
        if (root < grid.NodesAt(level))
            nodes.emplace_back(root, ~0u);
    }
    std::vector<std::size_t> indices;
    for (; level >= 0 && !nodes.empty(); --level) {
        indices.clear();
        for (const auto& node : nodes)
            indices.push_back(node.first);
        if (!prepare(level, indices))
            return false;
        std::vector<std::pair<std::size_t, unsigned>> next;
        for (const auto& [index, inherited] : nodes) {
            const unsigned bits = live(level, index) & inherited;
            if (bits == 0)
                continue;
            if (level == 0) {
                cells.push_back({index, bits});
                continue;
            }
            for (std::size_t child : {2 * index, 2 * index + 1}) {
                if (child < grid.NodesAt(level - 1))
                    next.emplace_back(child, bits);
            }
        }
        nodes = std::move(next);
    }
    return true;
}
