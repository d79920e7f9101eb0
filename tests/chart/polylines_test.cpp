#include "chart/polylines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// x from 0 in steps of 1, y range 0 ... 10: one chart unit is 100 logical
// units in both directions, the top edge is at 1000.
const PlotFrame kFrame = {0, 0, 10, 100, 100, 1};
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Curve
{
    std::vector<POINT> points;
    std::vector<uint32_t> counts;
};

Curve Build(const std::vector<double>& samples, const PlotFrame& frame = kFrame)
{
    Curve curve;
    BuildPolylines(samples, std::vector<uint8_t>(samples.size()), frame, curve.points, curve.counts);
    return curve;
}

TEST(Polylines, InsideSamplesMakeOnePolyline)
{
    Curve c = Build({1, 2, 3});
    EXPECT_EQ(c.counts, (std::vector<uint32_t>{3}));
    EXPECT_EQ(c.points, (std::vector<POINT>{{0, 100}, {100, 200}, {200, 300}}));
}

TEST(Polylines, ExitAndEntryAreInterpolatedOnTheEdges)
{
    // 5 -> 15 leaves through the top at x = 0.5; 15 -> 5 comes back at 2.5.
    Curve c = Build({5, 15, 5});
    EXPECT_EQ(c.counts, (std::vector<uint32_t>{2, 2}));
    EXPECT_EQ(c.points, (std::vector<POINT>{{0, 500}, {50, 1000}, {150, 1000}, {200, 500}}));

    // Below the bottom edge.
    c = Build({5, -5, 5});
    EXPECT_EQ(c.points, (std::vector<POINT>{{0, 500}, {50, 0}, {150, 0}, {200, 500}}));
}

TEST(Polylines, SingleInsideSampleBetweenNaNsIsDoubledWhenTheNextStarts)
{
    Curve c = Build({kNaN, 4, kNaN, 6, 7});
    EXPECT_EQ(c.counts, (std::vector<uint32_t>{2, 2}));
    EXPECT_EQ(c.points, (std::vector<POINT>{{100, 400}, {100, 400}, {300, 600}, {400, 700}}));

    // The last polyline may stay a single point.
    c = Build({kNaN, 4, kNaN});
    EXPECT_EQ(c.counts, (std::vector<uint32_t>{1}));
}

TEST(Polylines, NaNForgetsThePendingOutsideSample)
{
    Curve c = Build({15, kNaN, 5});
    EXPECT_EQ(c.points, (std::vector<POINT>{{200, 500}}));
}

TEST(Polylines, HugeAndInfiniteSamplesSaturate)
{
    const double inf = std::numeric_limits<double>::infinity();
    Curve c = Build({5, 1e300, inf, -inf, 5, 18446744073709551616.0});
    ASSERT_EQ(c.counts.size(), 2u);
    for (const POINT& p : c.points) {
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 1000);
    }
}

} // namespace
