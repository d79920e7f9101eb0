#pragma once

#include "chart/curvearea.h"
#include "chart/curvepointfinder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

/// The answers for one range: one entry per visible function in list order,
/// and the intersections of every pair of them sorted by x (then by pair).
struct ChartAnswers
{
    double m_xMin;
    double m_xMax;
    std::vector<FunctionAnswers> m_functions;
    std::vector<CurveIntersection> m_intersections;
    bool m_bIntersectionsTruncated = false;
};

/// Answers from the committed chart's curves as drawn (each function with its
/// derivative order, in the chart's angle unit): zeros, strict local extrema,
/// intersections and areas. Reads the chart and never changes it.
///
/// The grid that brackets every candidate is the chart's own samples: over
/// the chart's x range the arguments and values of recalculation, over any
/// other range the same number of steps over that range. Every point whose
/// neighbours of the same kind lie more than two steps away is found; closer
/// ones may merge. The rules for each kind are those of CurvePointFinder;
/// intersections are the zeros of the difference of two curves.
///
/// Bounds, whatever the chart: a call makes at most `evaluations` point
/// evaluations of a formula (kMaxEvaluations unless given; a derivative of
/// order n counts 2^n) plus the samples of the visible functions, which
/// recalculation bounds (FunctionContainer::kMaxChartSamples); the pairs'
/// differences cost one subtraction per sample, at most about
/// kMaxPairSamples in all (100 functions of 10001 samples take half of it).
/// When either runs out, the lists not yet finished are marked truncated.
/// Every evaluation runs a compiled formula once, so the time is the
/// evaluations times the formula's length: about a second for 4 million
/// evaluations of a short formula. Areas: see CurveArea.
class CurveAnalysis
{
public:
    static constexpr std::size_t kDefaultCap = 1000;
    static constexpr std::size_t kMaxEvaluations = 4000000;
    static constexpr std::size_t kMaxPairSamples = 100000000;

    explicit CurveAnalysis(const FunctionContainer& chart,
                           std::size_t evaluations = kMaxEvaluations)
        : m_chart(chart), m_nEvaluations(evaluations)
    {
    }

    /// Zeros, extrema and intersections over min ... max (min < max, both
    /// finite), each list cut at `cap` points.
    ChartAnswers Analyze(double min, double max, std::size_t cap = kDefaultCap) const;

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
