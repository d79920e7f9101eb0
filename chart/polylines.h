#pragma once

#include "platform/wintypes.h"

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

/// Turns the samples of one function (sample i at x min + i * step) into
/// polylines in logical units: NaN and a failed sample (failed[i] set;
/// failed holds one flag per sample) lift the pen and forget
/// any outside sample, a sample outside the y range ends the polyline at an
/// interpolated exit point on the edge, and the next inside sample starts a
/// new one at its entry point.
void BuildPolylines(const std::vector<double>& samples, const std::vector<uint8_t>& failed,
                    const PlotFrame& frame, std::vector<POINT>& points,
                    std::vector<uint32_t>& counts);

/// The logical point of a chart point, through the one saturating conversion.
POINT ToLogical(const PlotFrame& frame, double x, double y);
