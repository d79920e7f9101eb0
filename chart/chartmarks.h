#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FunctionContainer;
struct ChartAnswers;

/// What an area's number means.
enum class AreaKind {
    kSigned, ///< the integral: parts below the axis count negative
};

/// A shaded area as the user asked for it: one small description from which
/// the shade and its label are drawn.
struct ShadedArea
{
    int32_t function = 0; ///< index in the committed function list
    double a = 0;         ///< the interval, chart units, a < b
    double b = 0;
    double value = 0;     ///< the computed area
    AreaKind kind = AreaKind::kSigned;
};

/// The label the picture shows by the shade, in code page 1250:
/// "Pole = 2 (całka oznaczona)".
std::string AreaLabel(const ShadedArea& area);

/// The ring of a point of interest: a chart point in a curve's colour.
struct RingMark
{
    double x;
    double y;
    COLORREF color;
};

/// A point in chart units.
struct ChartPoint
{
    double x;
    double y;
};

/// What a picture of the chart shows besides the chart itself: the shaded
/// area with its label and the rings. The screen, the clipboard, export,
/// print and the command-line tool draw from the same marks.
struct ChartMarks
{
    std::optional<ShadedArea> area;
    /// The shaded region as closed polygons in chart units (ShadeOutline).
    std::vector<std::vector<ChartPoint>> outline;
    std::vector<RingMark> rings;
    /// Filled by drawing: the device pixel of each ring drawn with the index
    /// of its mark. A ring that would cover the legend, the header or the
    /// caption, or that falls on a pixel already ringed in its colour, is
    /// not drawn.
    std::vector<std::pair<POINT, std::size_t>> drawnRings;
};

/// The region of the area within the chart's visible x range: for each run
/// of the curve that is defined, the polygon from the axis up (or down) to
/// the curve, at the ends of the interval and at the chart's own sampling
/// arguments between them, so the shade follows the curve as drawn. Empty
/// for a function that is not visible or an interval outside the range.
std::vector<std::vector<ChartPoint>> ShadeOutline(const FunctionContainer& chart, const ShadedArea& area);

/// The rings of an analysis: its zeros, extrema and intersections, each in
/// its curve's colour (an intersection in its first curve's).
std::vector<RingMark> RingsOf(const FunctionContainer& chart, const ChartAnswers& answers);
