#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// What turning samples into polylines needs of the chart: the final ranges
/// and scales and the sampling step (chart units).
struct PlotFrame
{
    double xMin;
    double yMin;
    double yMax;
    double scaleX; ///< logical units per chart unit
    double scaleY;
    double step;
};

/// A break of a curve between two samples (chart units): the curve runs to
/// (xLeft, yLeft) where it has a left end, and goes on from (xRight,
/// yRight) where it has a right end, with no line between them. A jump has
/// both ends; the end of a domain inside the cell only the one on its
/// side; a point inside where the function has no value neither.
struct CurveJump
{
    std::size_t cell; ///< between samples cell and cell + 1
    bool hasLeft;
    bool hasRight;
    double xLeft, yLeft;
    double xRight, yRight;
};

/// Turns the samples of one function (sample i at x min + i * step) into
/// polylines in logical units: NaN and a failed sample (failed[i] set;
/// failed holds one flag per sample) lift the pen and forget
/// any outside sample, a sample outside the y range ends the polyline at an
/// interpolated exit point on the edge, and the next inside sample starts a
/// new one at its entry point. At each of `jumps` (in the order of their
/// cells) the curve goes to the jump's left end, lifts the pen and starts
/// again at its right end.
void BuildPolylines(const std::vector<double>& samples, const std::vector<uint8_t>& failed,
                    const PlotFrame& frame, std::vector<POINT>& points,
                    std::vector<uint32_t>& counts, const std::vector<CurveJump>& jumps = {});

/// The logical point of a chart point, through the one saturating conversion.
POINT ToLogical(const PlotFrame& frame, double x, double y);
