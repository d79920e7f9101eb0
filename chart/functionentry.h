#pragma once

#include "chart/polylines.h"
#include "platform/wintypes.h"

#include <cstdint>
#include <string>
#include <vector>

/// One function of a chart. The arrays are computed by recalculation and
/// never stored: m_samples holds the value at each sampling argument (or the
/// error value), m_failed one flag per sample, set where the evaluation
/// failed and the sample is the error value for that reason (a computed value
/// may equal it), m_jumps where the curve jumps between samples, m_points
/// the polylines in logical chart units one after another, m_counts the
/// number of points of each polyline.
struct FunctionEntry
{
    std::string m_strFormula;   ///< as typed, code page 1250
    int32_t m_nDerivative = 0;  ///< 0, 1 or 2
    COLORREF m_crColor = 0;
    std::vector<POINT> m_points;
    std::vector<uint32_t> m_counts;
    bool m_bVisible = true;
    std::vector<double> m_samples;
    std::vector<uint8_t> m_failed;
    /// Where the curve jumps between samples, in the order of the samples.
    std::vector<CurveJump> m_jumps;
};

/// The function as the legend and the value table name it: the formula, and
/// for a derivative the formula in parentheses followed by one apostrophe per
/// order (at most two, whatever a record says).
std::string LegendLabel(const FunctionEntry& entry);
