#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <limits>

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
