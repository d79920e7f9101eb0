#include "chart/polylines.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"

#include <cmath>
#include <optional>

POINT ToLogical(const PlotFrame& frame, double x, double y)
{
    return {SaturateToInt32((x - frame.xMin) * frame.scaleX),
            SaturateToInt32((y - frame.yMin) * frame.scaleY)};
}

void BuildPolylines(const std::vector<double>& samples, const std::vector<uint8_t>& failed,
                    const PlotFrame& frame, std::vector<POINT>& points,
                    std::vector<uint32_t>& counts)
{
    points.clear();
    counts.clear();
    const int32_t top = SaturateToInt32((frame.yMax - frame.yMin) * frame.scaleY);
    bool penUp = true;
    std::optional<POINT> pending; // logical point of the last outside sample
    bool pendingBelow = false;    // and the edge it lies beyond
    // A failed sample holds the error value: the flags are read only for
    // samples of that value, which a computed value may also be.
    const double error = FunctionContainer::kErrorValue;

    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double x = IndexedArgument(frame.xMin, frame.step, i);
        const double y = samples[i];
        if (std::isnan(y) || (y == error && failed[i])) {
            // Where the function has no value there is nothing to leave the
            // plot towards or come back from: the curve simply stops, so an
            // end of the domain is never drawn as a line to the edge.
            penUp = true;
            pending.reset();
        } else if (y < frame.yMin || y > frame.yMax) {
            const POINT here = ToLogical(frame, x, y);
            // The edge is the one the value lies beyond: just below the
            // range, a sample can map to the same logical row as the last
            // one inside.
            const bool below = y < frame.yMin;
            if (!penUp) {
                // The curve leaves the plot: end it where the segment from the
                // last point crosses the edge.
                const POINT last = points.back();
                const int32_t edge = below ? 0 : top;
                POINT exit = {here.x, edge};
                if (last.x < here.x) {
                    const double slope = (static_cast<double>(here.y) - last.y) /
                                         (static_cast<double>(here.x) - last.x);
                    if (slope != 0)
                        exit.x = SaturateToInt32(here.x - (static_cast<double>(here.y) - edge) / slope);
                }
                points.push_back(exit);
                ++counts.back();
                penUp = true;
            }
            pending = here;
            pendingBelow = below;
        } else {
            if (penUp) {
                // A polyline never stays a single point once another starts.
                if (!counts.empty() && counts.back() < 2) {
                    points.push_back(points.back());
                    ++counts.back();
                }
                counts.push_back(0);
                penUp = false;
            }
            const POINT here = ToLogical(frame, x, y);
            if (pending) {
                // The curve comes back into the plot: start where the segment
                // from the outside sample crosses the edge.
                const POINT outside = *pending;
                const int32_t edge = pendingBelow ? 0 : top;
                POINT entry = {here.x, edge};
                if (outside.x < here.x) {
                    const double slope = (static_cast<double>(here.y) - outside.y) /
                                         (static_cast<double>(here.x) - outside.x);
                    if (slope != 0)
                        entry.x = SaturateToInt32((edge - static_cast<double>(outside.y)) / slope + outside.x);
                }
                points.push_back(entry);
                ++counts.back();
                pending.reset();
            }
            points.push_back(here);
            ++counts.back();
        }
    }
}
