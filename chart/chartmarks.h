#pragma once

#include "chart/curvearea.h"
#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class FunctionContainer;
struct ChartAnswers;

/// A shaded area as the user asked for it: one small description from which
/// the shade and its label are drawn.
struct ShadedArea
{
    int32_t function = 0; ///< index in the committed function list
    double a = 0;         ///< the interval as given, chart units: a > b allowed
    double b = 0;
    double value = 0;     ///< the computed area
    AreaKind kind = AreaKind::kSigned;
    int32_t second = -1;  ///< the other curve of AreaKind::kBetween; -1 otherwise
};

/// The label the picture shows by the shade, in code page 1250:
/// "Pole = 2 (całka oznaczona)", "Pole = 6.77124 (pole obszaru)".
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

/// The region of the area within the chart's visible x range, at the ends
/// of the interval and at the chart's own sampling arguments between them,
/// so the shade follows the curves as drawn: for each run where the curve
/// (and for AreaKind::kBetween the second curve) is defined, the polygon
/// from the axis up (or down) to the curve, or along the first curve and
/// back along the second. A signed area's runs are split where the curve
/// crosses the axis, so each polygon lies on one side of it (BelowAxis).
/// Empty for a function that is not visible or an interval outside the
/// range; the interval may come in either order.
std::vector<std::vector<ChartPoint>> ShadeOutline(const FunctionContainer& chart, const ShadedArea& area);

/// Whether a polygon of a signed area's outline lies below the axis: the
/// part the integral counts negative.
bool BelowAxis(const std::vector<ChartPoint>& polygon);

/// The rings of an analysis: its zeros, extrema and intersections, each in
/// its curve's colour (an intersection in its first curve's).
std::vector<RingMark> RingsOf(const FunctionContainer& chart, const ChartAnswers& answers);
