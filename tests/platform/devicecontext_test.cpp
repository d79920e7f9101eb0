#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <vector>

namespace {

using Entry = RecordingDeviceContext::Entry;

TEST(DeviceContext, AnisotropicMappingRoundsAndSaturates)
{
    RecordingDeviceContext dc;
    // The plot mapping of a 101 x 51 pixel rectangle at (10, 20).
    dc.SetWindowExt(32000, 24000);
    dc.SetViewportOrg(10, 70);
    dc.SetViewportExt(100, -50);
    EXPECT_EQ(dc.LogicalToDevice({0, 0}), (POINT{10, 70}));
    EXPECT_EQ(dc.LogicalToDevice({32000, 24000}), (POINT{110, 20}));
    EXPECT_EQ(dc.LogicalToDevice({160, 240}), (POINT{11, 69}));  // 0.5 and -0.5 away from zero
    EXPECT_EQ(dc.LogicalToDevice({159, 239}), (POINT{10, 70}));  // just below a half
    EXPECT_EQ(dc.LogicalToDevice({-160, 0}), (POINT{9, 70}));
    const int32_t big = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(dc.LogicalToDevice({big, -big}).x, 10 + 6710886);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(big, big);
    dc.SetViewportOrg(10, -10);
    EXPECT_EQ(dc.LogicalToDevice({big, -big}),
              (POINT{big, std::numeric_limits<int32_t>::min()}));
    dc.SetWindowExt(0, 0); // a zero extent is taken as 1, not divided by
    dc.ResetMapping();
    EXPECT_EQ(dc.LogicalToDevice({5, 6}), (POINT{5, 6}));
}

// The mapping divides in double where that is exact enough; it must give
// what plain integer arithmetic gives, halves and saturation included, for
// points and for the polylines that map many points at once.
TEST(DeviceContext, MappingEqualsIntegerArithmetic)
{
    auto reference = [](int32_t value, int32_t numerator, int32_t denominator, int32_t origin) {
        int64_t n = numerator;
        int64_t d = denominator == 0 ? 1 : denominator;
        if (d < 0) {
            d = -d;
            n = -n;
        }
        const int64_t product = value * n;
        const int64_t q = product >= 0 ? (product + d / 2) / d : -((-product + d / 2) / d);
        const int64_t lo = std::numeric_limits<int32_t>::min();
        const int64_t hi = std::numeric_limits<int32_t>::max();
        return static_cast<int32_t>(std::clamp<int64_t>(std::clamp(q, lo, hi) + origin, lo, hi));
    };
    std::mt19937 random(11);
    auto any = [&] { return static_cast<int32_t>(random()); };
    auto small = [&] { return static_cast<int32_t>(random() % 20001) - 10000; };
    RecordingDeviceContext dc;
    for (int round = 0; round < 3000; ++round) {
        // Every fourth round maps x by 1 / windowX (or its negative) from an
        // even extent, so the points below fall on exact halves.
        const bool halves = round % 4 == 1;
        const int32_t windowX = (round % 3 ? small() : any()) & (halves ? ~1 : ~0);
        const int32_t windowY = round % 5 ? small() : any();
        const int32_t viewportX = halves ? (round % 8 == 1 ? 1 : -1) : round % 7 ? small() : any();
        const int32_t viewportY = small();
        const int32_t originX = small();
        const int32_t originY = round % 11 ? small() : any();
        dc.SetWindowExt(windowX, windowY);
        dc.SetViewportExt(viewportX, viewportY);
        dc.SetViewportOrg(originX, originY);
        std::vector<POINT> points;
        for (int i = 0; i < 20; ++i) {
            POINT p = {round % 2 ? any() : small(), small()};
            if (halves && i % 2 == 0) // a half exactly, or next to one
                p.x = static_cast<int32_t>(std::clamp<int64_t>(
                    (static_cast<int64_t>(2 * (i % 9) + 1) * windowX) / 2 + i % 3 - 1,
                    std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
            const POINT expected = {reference(p.x, viewportX, windowX, originX),
                                    reference(p.y, viewportY, windowY, originY)};
            ASSERT_EQ(dc.LogicalToDevice(p), expected) << p.x << ", " << p.y << " round " << round;
            points.push_back(p);
        }
        std::vector<POINT> device;
        for (const POINT& p : points) {
            const POINT mapped = dc.LogicalToDevice(p);
            if (device.empty() || !(device.back() == mapped))
                device.push_back(mapped);
        }
        dc.m_entries.clear();
        dc.PolyPolyline(points, {static_cast<uint32_t>(points.size())});
        ASSERT_EQ(dc.m_entries.size(), 1u);
        if (device.size() > 1) {
            ASSERT_EQ(dc.m_entries[0].points, std::vector<std::vector<POINT>>{device});
        }
    }
}

TEST(DeviceContext, PolylinesLeaveOutRepeatedDevicePoints)
{
    RecordingDeviceContext dc;
    dc.SetWindowExt(10, 10);
    dc.SetViewportExt(1, 1);
    dc.SelectPen({Pen::kSolid, 1, RGB(1, 2, 3)});
    // 0..4 logical map to device 0, 5..14 to 1 and 15 to 2.
    dc.PolyPolyline({{0, 0}, {3, 0}, {6, 0}, {14, 0}, {15, 0}, {1, 1}, {2, 2}, {40, 40}}, {5, 2, 1});
    const std::vector<Entry> paths = dc.Of(Entry::kPolylines);
    ASSERT_EQ(paths.size(), 1u);
    ASSERT_EQ(paths[0].points.size(), 1u);
    EXPECT_EQ(paths[0].points[0], (std::vector<POINT>{{0, 0}, {1, 0}, {2, 0}}));
    // Two points on one pixel, and a polyline of one point: single pixels.
    const std::vector<Entry> pixels = dc.Of(Entry::kPixel);
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0].points[0][0], (POINT{0, 0}));
    EXPECT_EQ(pixels[1].points[0][0], (POINT{4, 4}));
    EXPECT_EQ(pixels[1].color, RGB(1, 2, 3));
}

TEST(DeviceContext, TextAlignmentUsesTheExtent)
{
    RecordingDeviceContext dc;
    LOGFONTA font{};
    font.lfHeight = -10; // characters 5 wide, text 12 high
    dc.SelectFont(font);
    dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
    dc.TextOut(100, 50, "abcd");
    dc.SetTextAlign(TA_RIGHT | TA_TOP);
    dc.TextOut(100, 50, "abcd");
    const std::vector<Entry> texts = dc.Of(Entry::kText);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].points[0][0], (POINT{90, 38}));
    EXPECT_EQ(texts[1].points[0][0], (POINT{80, 50}));
}

TEST(DeviceContext, EmptyRectanglesDrawNothing)
{
    RecordingDeviceContext dc;
    dc.Rectangle(10, 10, 10, 20);
    dc.Rectangle(10, 10, 20, 10);
    EXPECT_TRUE(dc.Of(Entry::kRectangle).empty());
    dc.Rectangle(20, 20, 10, 10); // given the wrong way round
    ASSERT_EQ(dc.Of(Entry::kRectangle).size(), 1u);
    EXPECT_EQ(dc.Of(Entry::kRectangle)[0].rect, (RECT{10, 10, 20, 20}));
}

} // namespace
