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
                    std::vector<uint32_t>& counts, const std::vector<CurveJump>& jumps)
{
    points.clear();
    counts.clear();
    const int32_t top = SaturateToInt32((frame.yMax - frame.yMin) * frame.scaleY);
    bool penUp = true;
    std::optional<POINT> pending; // logical point of the last outside sample
    bool pendingBelow = false;    // and the edge it lies beyond

    // Where the function has no value there is nothing to leave the plot
    // towards or come back from: the curve simply stops, so an end of the
    // domain is never drawn as a line to the edge.
    auto lift = [&] {
        penUp = true;
        pending.reset();
    };
    auto visit = [&](double x, double y) {
        if (y < frame.yMin || y > frame.yMax) {
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
            return;
        }
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
    };

    // A failed sample holds the error value: the flags are read only for
    // samples of that value, which a computed value may also be.
    const double error = FunctionContainer::kErrorValue;
    std::size_t nextJump = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double y = samples[i];
        if (std::isnan(y) || (y == error && failed[i]))
            lift();
        else
            visit(IndexedArgument(frame.xMin, frame.step, i), y);
        while (nextJump < jumps.size() && jumps[nextJump].cell <= i) {
            const CurveJump& jump = jumps[nextJump++];
            if (jump.cell != i)
                continue;
            if (jump.hasLeft)
                visit(jump.xLeft, jump.yLeft);
            lift();
            if (jump.hasRight)
                visit(jump.xRight, jump.yRight);
        }
    }
}
