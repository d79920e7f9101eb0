#include "chart/polylines.h"

#include "chart/functioncontainer.h"

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

// Regression: a sample just below the range maps to the same logical row as
// the last one inside, and the exit was put on the top edge, drawing a
// vertical line through the plot.
TEST(Polylines, TheEdgeIsTheOneTheValueLiesBeyond)
{
    Curve c = Build({0.001, -0.001, 0.001});
    EXPECT_EQ(c.counts, (std::vector<uint32_t>{2, 2}));
    EXPECT_EQ(c.points, (std::vector<POINT>{{0, 0}, {100, 0}, {200, 0}, {200, 0}}));

    c = Build({9.999, 10.001, 9.999});
    EXPECT_EQ(c.points, (std::vector<POINT>{{0, 999}, {100, 1000}, {100, 1000}, {200, 999}}));
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

// Stands for a sample whose evaluation failed: the error value with its flag.
const double kFailed = -123456.5;

// The samples as recalculation leaves them: kFailed becomes the error value
// with its flag set; a computed error value keeps its flag clear.
Curve BuildFailing(std::vector<double> samples, const PlotFrame& frame = kFrame)
{
    std::vector<uint8_t> failed(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] == kFailed) {
            samples[i] = FunctionContainer::kErrorValue;
            failed[i] = 1;
        }
    }
    Curve curve;
    BuildPolylines(samples, failed, frame, curve.points, curve.counts);
    return curve;
}

TEST(Polylines, FailedSamplesAreGapsWithoutEdgePoints)
{
    const double e = FunctionContainer::kErrorValue;
    // y 0 ... 1e20 takes in the error value, one logical unit per 1e17.
    const PlotFrame huge = {0, 0, 1e20, 100, 1e-17, 1};
    struct Row
    {
        const char* name;
        std::vector<double> samples;
        PlotFrame frame;
        std::vector<uint32_t> counts;
        std::vector<POINT> points;
    } rows[] = {
        {"both ends", {kFailed, kFailed, 1, 2, 1, kFailed}, kFrame, {3}, {{200, 100}, {300, 200}, {400, 100}}},
        {"nowhere defined", {kFailed, kFailed, kFailed}, kFrame, {}, {}},
        {"single sample doubled", {kFailed, 4, kFailed, 6, 7}, kFrame, {2, 2},
         {{100, 400}, {100, 400}, {300, 600}, {400, 700}}},
        {"pending forgotten", {15, kFailed, 5}, kFrame, {1}, {{200, 500}}},
        {"exit kept before a failure", {5, 15, kFailed}, kFrame, {2}, {{0, 500}, {50, 1000}}},
        // A computed 2^64 is a value like any other: clipped at the top edge
        // (its saturated logical y puts the entry a unit early).
        {"computed error value", {5, e, 5}, kFrame, {2, 2},
         {{0, 500}, {0, 1000}, {199, 1000}, {200, 500}}},
        // Inside a range that takes in the error value only the flag tells.
        {"failure within the range", {kFailed, 1e19, e, kFailed}, huge, {2},
         {{100, 100}, {200, 184}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Curve c = BuildFailing(row.samples, row.frame);
        EXPECT_EQ(c.counts, row.counts);
        EXPECT_EQ(c.points, row.points);
    }
}

} // namespace

namespace {

// At a jump the curve runs to the jump's left end, lifts the pen and goes on
// from its right end; an end of a domain carries the curve to that end.
TEST(Polylines, JumpsBreakTheCurveAtTheirEnds)
{
    struct Row
    {
        const char* name;
        std::vector<double> samples;
        std::vector<CurveJump> jumps;
        std::vector<uint32_t> counts;
        std::vector<POINT> points;
    } rows[] = {
        {"a jump between two samples", {1, 2, 7, 8}, {{1, true, true, 1.5, 2.5, 1.5, 6.5}}, {3, 3},
         {{0, 100}, {100, 200}, {150, 250}, {150, 650}, {200, 700}, {300, 800}}},
        {"a jump at the first cell", {1, 5}, {{0, true, true, 0.25, 1.5, 0.25, 4}}, {2, 2},
         {{0, 100}, {25, 150}, {25, 400}, {100, 500}}},
        {"a jump out of the plot", {5, 6, 3}, {{1, true, true, 1.5, 12, 1.5, 2.5}}, {3, 2},
         {{0, 500}, {100, 600}, {133, 1000}, {150, 250}, {200, 300}}},
        {"the end of a domain", {1, 2, kFailed, kFailed}, {{1, true, false, 1.75, 3, 0, 0}}, {3},
         {{0, 100}, {100, 200}, {175, 300}}},
        {"the start of a domain", {kFailed, 2, 3}, {{0, false, true, 0, 0, 0.5, 1.5}}, {3},
         {{50, 150}, {100, 200}, {200, 300}}},
        {"a point without a value", {1, 2, 3}, {{0, false, false, 0, 0, 0, 0}}, {2, 2},
         {{0, 100}, {0, 100}, {100, 200}, {200, 300}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<double> samples = row.samples;
        std::vector<uint8_t> failed(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (samples[i] == kFailed) {
                samples[i] = FunctionContainer::kErrorValue;
                failed[i] = 1;
            }
        }
        Curve c;
        BuildPolylines(samples, failed, kFrame, c.points, c.counts, row.jumps);
        EXPECT_EQ(c.counts, row.counts);
        EXPECT_EQ(c.points, row.points);
    }
}

} // namespace
