#pragma once

#include "chart/cellprover.h"
#include "chart/curveanalysis.h"
#include "chart/gridscan.h"

#include <cstddef>
#include <memory>
#include <unordered_set>
#include <vector>

class EvaluationBudget;

/// One run of CurveAnalysis over a CurveSet: every visible curve's zeros and
/// extrema, then every pair's meetings, each over the tree of grid cells a
/// stretch of the grid at a time. Stretches go from the left (ListCut::kFirst,
/// which stops the pairs once more meetings than the cap are found) or in an
/// order that spreads them over the range (kSpread), so that a run cut short
/// by its budget has found points all over the range.
class ChartScan
{
public:
    /// A stretch of x for a proof of a pair's meetings, with the jets of the
    /// difference at its ends.
    struct Piece
    {
        double a;
        double b;
        PointJet ja;
        PointJet jb;
        std::size_t cell; ///< the grid cell it is whole, or kNoCell
    };
    static constexpr std::size_t kNoCell = static_cast<std::size_t>(-1);

    ChartScan(const CurveSet& curves, std::size_t cap, ListCut cut, EvaluationBudget& budget);
    ~ChartScan();

    ChartAnswers Run();

private:
    /// One curve: its jets, the enclosures of its nodes, and the cells
    /// where it turns faster than the grid follows.
    struct Track
    {
        const CurveSet::Entry* entry;
        std::unique_ptr<CurveJet> jet;
        std::unique_ptr<CurveNodes> nodes;
        std::unordered_set<std::size_t> aliasing;
    };

    void ScanCurve(Track& track, FunctionAnswers& answers);
    void ScanPairs(ChartAnswers& answers);
    /// The cells of one pair over one stretch that may hold a meeting (cells
    /// where either curve aliases are unresolved at once, stretches where
    /// the two are one recorded); false when the work ran out.
    bool PairPieces(std::size_t i, std::size_t j, std::size_t stretch, std::vector<Piece>& pieces,
                    ChartAnswers& answers);
    /// Cells of a pair where the two curves are one: their difference's
    /// enclosure holds 0 at both ends and the middle. They are taken out of
    /// `cells`, and their stretches (ends refined to the adjacent doubles
    /// where that stops) recorded; cells cut by such an end are shortened.
    bool SplitCoinciding(std::size_t i, std::size_t j, const std::vector<LiveCell>& cells,
                         std::vector<Piece>& pieces, ChartAnswers& answers);
    bool Holds0At(std::size_t i, std::size_t j, double x, bool& holds);
    bool Holds0AtGrid(std::size_t i, std::size_t j, std::size_t k, bool& holds);
    /// The adjacent doubles between `inside` (where the difference's
    /// enclosure holds 0) and `outside` (where it does not) at which that
    /// stops: `end` still holds it, `beside` not.
    bool RefineCoincidenceEnd(std::size_t i, std::size_t j, double inside, double outside,
                              double& end, double& beside);
    /// The difference of the pair's jets at x.
    bool DifferenceAt(std::size_t i, std::size_t j, double x, PointJet& jet);
    std::vector<std::size_t> StretchOrder() const;
    /// The grid's mean step.
    double Step() const;

    const CurveSet& m_curves;
    std::size_t m_nCap;
    ListCut m_cut;
    EvaluationBudget& m_budget;
    AnalysisGrid m_grid;
    int m_nStretchLevel = 0;
    std::vector<std::unique_ptr<Track>> m_tracks;
    std::size_t m_nPairTests = 0;
    bool m_bPairsCut = false;
};
