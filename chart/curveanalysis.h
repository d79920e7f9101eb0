#pragma once

#include "chart/curvearea.h"
#include "chart/curvepointfinder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class EvaluationBudget;
class FunctionContainer;

/// The points of one visible function.
struct FunctionAnswers
{
    int32_t m_nIndex;       ///< in the chart's function list, from 0
    std::string m_strLabel; ///< the legend label, code page 1250
    PointLists m_points;
};

/// Where two visible curves meet; y is the first curve's value there.
struct CurveIntersection
{
    int32_t m_nFirst;
    int32_t m_nSecond;
    double x;
    double y;
};

/// A stretch of x where two visible curves are one (their difference holds 0
/// wherever it is looked at), or where their meetings could not be settled.
struct CurveStretch
{
    int32_t m_nFirst;
    int32_t m_nSecond;
    double from;
    double to;
};

/// The answers for one range: one entry per visible function in list order,
/// and the intersections of every pair of them sorted by x (then by pair).
/// Intersections are never listed inside a coinciding stretch of their pair.
struct ChartAnswers
{
    double m_xMin;
    double m_xMax;
    std::vector<FunctionAnswers> m_functions;
    std::vector<CurveIntersection> m_intersections;
    bool m_bIntersectionsTruncated = false;
    std::vector<CurveStretch> m_coinciding;         ///< sorted by x, then by pair
    std::vector<CurveStretch> m_unresolvedMeetings; ///< sorted by x, then by pair
};

/// How a list longer than its cap is cut.
enum class ListCut {
    kFirst,  ///< the first points by x
    kSpread, ///< points spread evenly over the whole list, as rings over a view
};

/// What an analysis reads from a chart, copied: the visible curves (each
/// function with its derivative order, in the chart's angle unit) and the
/// sample grid over the range, so the analysis may run on another thread
/// while the chart changes.
struct CurveSet
{
    struct Entry
    {
        int32_t m_nIndex; ///< in the chart's function list
        std::string m_strFormula;
        int32_t m_nOrder;
        std::string m_strLabel; ///< the legend label, code page 1250
    };

    double m_xMin = 0;
    double m_xMax = 0;
    bool m_bDegrees = false;
    std::vector<double> m_xs; ///< the chart's sampling arguments over the range
    std::vector<Entry> m_curves;

    /// The visible functions of the committed chart over min ... max.
    static CurveSet Take(const FunctionContainer& chart, double min, double max);
};

/// Answers from the committed chart's curves as drawn (each function with its
/// derivative order, in the chart's angle unit): zeros, strict local extrema,
/// intersections and areas. Reads the chart and never changes it.
///
/// Every answer is proven with the engine's enclosures and exact derivatives
/// (CellProver): the chart's sample grid (over any range other than the
/// chart's own, as many steps over that range) is split into cells, a cell is
/// dropped only when an enclosure shows it holds no point, and each point is
/// found to the adjacent doubles where the computed curve (for extrema its
/// derivative, for intersections the difference of two curves) changes
/// sign, or where it touches 0 within its enclosure. Points closer than
/// 2^-40 * max(1, |x|) are not told apart; a stretch that cannot be settled
/// is listed as unresolved, never guessed. Two curves that are one over a
/// stretch are listed once as coinciding there. Extrema lie strictly inside
/// the range.
///
/// Bounds, whatever the chart: at most `evaluations` units of work
/// (kMaxEvaluations unless given; a point evaluation is one unit, an
/// enclosure CellProver::kEnclosureCost), each grid cell of a curve or a
/// pair at most CellProver::kCellWork of them, and at most kMaxPairTests
/// tests of a pair's enclosures over the tree of cells. When the work runs
/// out, the lists not yet finished are marked truncated. A unit is about a
/// microsecond for a short formula: some 4 s at most.
/// Areas: see CurveArea.
class CurveAnalysis
{
public:
    static constexpr std::size_t kDefaultCap = 1000;
    static constexpr std::size_t kMaxEvaluations = 4000000;
    static constexpr std::size_t kMaxPairTests = 100000000;

    explicit CurveAnalysis(const FunctionContainer& chart,
                           std::size_t evaluations = kMaxEvaluations)
        : m_chart(chart), m_nEvaluations(evaluations)
    {
    }

    /// Zeros, extrema and intersections over min ... max (min < max, both
    /// finite), each list cut at `cap` points.
    ChartAnswers Analyze(double min, double max, std::size_t cap = kDefaultCap) const;

    /// The same for a copy of a chart's curves, with the work taken from
    /// `budget` (which a caller on another thread may cancel); each list
    /// longer than `cap` is cut as `cut` says.
    static ChartAnswers Analyze(const CurveSet& curves, std::size_t cap, ListCut cut,
                                EvaluationBudget& budget);

    /// The area of `kind` of the function at `index` of the committed list
    /// (for AreaKind::kBetween, between it and the function at `second`) over
    /// a ... b, as CurveArea computes it: for b < a the negative of the area
    /// over b ... a, for a == b 0 with the error 0. Throws
    /// FunctionContainerException with the area's refusals, "Wykres nie ma
    /// funkcji o numerze %d" for an index not in the list, and the x range's
    /// order message for an end that is not finite.
    AreaAnswer Area(int32_t index, double a, double b, AreaKind kind = AreaKind::kSigned,
                    int32_t second = -1) const;

private:
    const FunctionContainer& m_chart;
    std::size_t m_nEvaluations;
};
