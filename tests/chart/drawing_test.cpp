#include "chart/functioncontainer.h"

#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Entry = RecordingDeviceContext::Entry;
const RECT kTarget = {0, 0, 800, 600};

// At 96 pixels per inch a 10-point font is 13 pixels: text 15 high, external
// leading 1, characters 6 wide, a third of a line 5.
TEST(Drawing, DefaultLayout)
{
    FunctionContainer chart;
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    // Header: 1 + 15 * 5 / 4. X scale: 1 + 5 + 15 below. Y scale: the widest
    // label "-5" (12) and two thirds on the left, a character on the right.
    EXPECT_EQ(chart.GetPlotRect(), (RECT{22, 19, 794, 579}));

    const Entry* header = dc.Text("Wykres");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->points[0][0], (POINT{400 - 18, 0}));
    EXPECT_EQ(header->fontHeight, -13);

    // The y labels sit right-aligned a third left of the plot, centred on their
    // ticks; the x labels centred below.
    const Entry* minusFive = dc.Text("-5");
    ASSERT_NE(minusFive, nullptr);
    EXPECT_EQ(minusFive->points[0][0], (POINT{22 - 5 - 12, 578 - 7}));
    EXPECT_EQ(dc.Of(Entry::kText).size(), 1u + 11 + 11);

    // The frame is the plot rectangle's border (right and bottom exclusive).
    const std::vector<Entry> paths = dc.Of(Entry::kPolylines);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].points[0],
              (std::vector<POINT>{{22, 578}, {793, 578}, {793, 19}, {22, 19}, {22, 578}}));
}

TEST(Drawing, YTicksStartAtTheFirstMultiple)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, false, "-5", "5", "0.5", "4.5");
    chart.SetScale(true, false, "", "1", true, true, 0, DefaultChartFont());
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    std::vector<std::string> labels;
    const RECT plot = chart.GetPlotRect();
    for (const Entry& e : dc.Of(Entry::kText)) {
        if (e.points[0][0].x < plot.left && e.points[0][0].y < plot.bottom)
            labels.push_back(e.text);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "3", "4"}));

    // Their ticks: a third of a line long, out to the left of the plot.
    std::vector<Entry> ticks;
    for (const Entry& e : dc.Of(Entry::kLine)) {
        if (e.points[0][1].x < plot.left)
            ticks.push_back(e);
    }
    ASSERT_EQ(ticks.size(), 4u);
    EXPECT_EQ(ticks[0].points[0][0].x - ticks[0].points[0][1].x, 5);
    // 1 is an eighth of the height above the bottom, 4 an eighth below the top.
    EXPECT_NEAR(ticks[0].points[0][0].y, plot.bottom - 1 - (plot.bottom - plot.top - 1) / 8.0, 1);
    EXPECT_NEAR(ticks[3].points[0][0].y, plot.top + (plot.bottom - plot.top - 1) / 8.0, 1);
}

TEST(Drawing, LabelThatIsZeroUpToRoundingReadsZero)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, false, "-0.3", "0.7", "-0.3", "0.7");
    chart.SetScale(false, false, "0.1", "0.1", true, true, 0, DefaultChartFont());
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    int zeros = 0;
    for (const Entry& e : dc.Of(Entry::kText)) {
        EXPECT_EQ(e.text.find("e-"), std::string::npos) << e.text;
        zeros += e.text == "0";
    }
    EXPECT_EQ(zeros, 2);
}

TEST(Drawing, OnlyTheAxisInsideTheRangeIsDrawn)
{
    const COLORREF axes = RGB(1, 2, 3);
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, false, "1", "5", "-1", "1");
    chart.SetGrid(true, true, "", "", false, true, 0, axes);
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    const RECT plot = chart.GetPlotRect();

    std::vector<Entry> lines;
    for (const Entry& e : dc.Of(Entry::kLine)) {
        if (e.pen.color == axes)
            lines.push_back(e);
    }
    ASSERT_EQ(lines.size(), 1u);
    const POINT from = lines[0].points[0][0];
    const POINT to = lines[0].points[0][1];
    EXPECT_EQ(from.y, to.y); // horizontal
    EXPECT_EQ(from.x, plot.left);
    EXPECT_EQ(to.x, plot.right - 1);
    EXPECT_NEAR(from.y, (plot.top + plot.bottom - 1) / 2.0, 1);

    const std::vector<Entry> arrows = dc.Of(Entry::kPolygon);
    ASSERT_EQ(arrows.size(), 1u);
    EXPECT_EQ(arrows[0].brush, (Brush{false, axes}));
    EXPECT_EQ(arrows[0].points[0][1], to); // the tip at the right edge
    EXPECT_LT(arrows[0].points[0][0].x, to.x);
}

TEST(Drawing, LegendBoxAndLabels)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("sin(x)", 0, true, RGB(255, 0, 0));
    chart.SetCurrent(-1);
    chart.SetFunction("cos(x)", 0, false, RGB(0, 0, 255));
    chart.SetCurrent(-1);
    chart.SetFunction("sin(x)", 2, true, RGB(0, 255, 0));
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    EXPECT_EQ(chart.GetCurrent(), 2); // left on the last index
    const RECT plot = chart.GetPlotRect();

    // Labels 6 and 10 characters of 6 pixels, 15 high: m = 7.
    const std::vector<Entry> boxes = dc.Of(Entry::kRectangle);
    ASSERT_EQ(boxes.size(), 1u);
    const RECT box = {plot.right - 42 - 60, plot.bottom - 14 - 30, plot.right, plot.bottom};
    EXPECT_EQ(boxes[0].rect, box);
    EXPECT_EQ(boxes[0].brush, (Brush{false, RGB(255, 255, 255)}));

    const Entry* first = dc.Text("sin(x)");
    const Entry* second = dc.Text("(sin(x))''");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->points[0][0], (POINT{box.left + 35, box.top + 7}));
    EXPECT_EQ(second->points[0][0], (POINT{box.left + 35, box.top + 22}));
    EXPECT_EQ(dc.Text("cos(x)"), nullptr); // hidden: not in the legend

    std::vector<Entry> samples;
    for (const Entry& e : dc.Of(Entry::kLine)) {
        if (e.pen.width == 3)
            samples.push_back(e);
    }
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].pen.color, RGB(255, 0, 0));
    EXPECT_EQ(samples[1].pen.color, RGB(0, 255, 0));
    EXPECT_EQ(samples[0].points[0], (std::vector<POINT>{{box.left + 7, box.top + 14},
                                                        {box.left + 28, box.top + 14}}));
}

TEST(Drawing, HiddenDecorationsAndRestoredState)
{
    FunctionContainer chart;
    const LOGFONTA font = DefaultChartFont();
    chart.BeginEdit();
    chart.SetDescriptions("Wykres", "Podpis", false, false, true, true, 0, 0, 0, 0, 0, font, font);
    chart.SetFunction("x", 0, false, 0);
    chart.CommitEdit();
    RecordingDeviceContext dc;
    const Pen pen = {Pen::kDot, 2, RGB(9, 9, 9)};
    const Brush brush = {false, RGB(7, 7, 7)};
    LOGFONTA entryFont = font;
    entryFont.lfHeight = -40;
    dc.SelectPen(pen);
    dc.SelectBrush(brush);
    dc.SelectFont(entryFont);
    chart.Draw(dc, kTarget);

    // With the header hidden the x scale keeps a third of a line at the top.
    EXPECT_EQ(chart.GetPlotRect().top, 5);
    EXPECT_EQ(dc.Text("Wykres"), nullptr);
    EXPECT_EQ(dc.Text("Podpis"), nullptr);
    // All functions hidden: the legend box has no size and is not drawn.
    EXPECT_TRUE(dc.Of(Entry::kRectangle).empty());
    EXPECT_EQ(dc.CurrentPen(), pen);
    EXPECT_EQ(dc.CurrentBrush(), brush);
    EXPECT_EQ(dc.CurrentFont().lfHeight, -40);
    EXPECT_EQ(dc.LogicalToDevice({10, 10}), (POINT{10, 10}));
}

TEST(Drawing, OffsetTargetCentresTheHeaderOnIt)
{
    FunctionContainer chart;
    RecordingDeviceContext dc;
    chart.Draw(dc, {100, 200, 500, 500});
    const Entry* header = dc.Text("Wykres");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->points[0][0], (POINT{300 - 18, 200}));
    EXPECT_EQ(chart.GetPlotRect().top, 219);
}

TEST(Drawing, PrinterResolutionKeepsSizesInPoints)
{
    FunctionContainer chart;
    RecordingDeviceContext dc(600);
    chart.Draw(dc, {0, 0, 6600, 5100});
    // 10 points at 600 pixels per inch.
    EXPECT_EQ(dc.Text("Wykres")->fontHeight, -83);
    // The arrowheads are 9 points (75 pixels) long.
    const std::vector<Entry> arrows = dc.Of(Entry::kPolygon);
    ASSERT_EQ(arrows.size(), 2u);
    const std::vector<POINT>& right = arrows[1].points[0];
    EXPECT_NEAR(right[1].x - right[0].x, 75, 1);
    // Tick marks a third of the 85-pixel line.
    const RECT plot = chart.GetPlotRect();
    for (const Entry& e : dc.Of(Entry::kLine)) {
        if (e.points[0][1].x < plot.left) {
            EXPECT_NEAR(e.points[0][0].x - e.points[0][1].x, 28, 1);
        }
    }
}

TEST(Drawing, CurvesAsPathsOrPixels)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("1/x", 0, true, RGB(10, 20, 30));
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    std::vector<Entry> curve;
    for (const Entry& e : dc.Of(Entry::kPolylines)) {
        if (e.pen.color == RGB(10, 20, 30))
            curve.push_back(e);
    }
    ASSERT_EQ(curve.size(), 1u);
    EXPECT_EQ(curve[0].points.size(), 2u); // two branches in one path

    chart.BeginEdit();
    chart.SetComputation(100, false, false);
    chart.CommitEdit();
    RecordingDeviceContext dots;
    chart.Draw(dots, kTarget);
    const std::vector<Entry> pixels = dots.Of(Entry::kPixel);
    EXPECT_EQ(pixels.size(), chart.GetFunctions()[0].m_points.size());
    EXPECT_EQ(pixels[0].color, RGB(10, 20, 30));
}

TEST(Drawing, TinySpacingsDrawNoLinesInsteadOfHanging)
{
    FunctionContainer chart;
    ChartSettings s = chart.GetSettings();
    s.m_bAutoGridX = s.m_bAutoScaleX = s.m_bAutoGridY = s.m_bAutoScaleY = 0;
    s.m_gridX = s.m_scaleStepX = 1e-9;
    s.m_gridY = -3; // not positive: computed as automatic
    chart.ReplaceSettings(s);
    chart.Recalculate(true);
    RecordingDeviceContext dc;
    chart.Draw(dc, kTarget);
    int vertical = 0;
    int horizontal = 0;
    for (const Entry& e : dc.Of(Entry::kLine)) {
        if (e.pen.color != RGB(192, 192, 192))
            continue;
        vertical += e.points[0][0].x == e.points[0][1].x;
        horizontal += e.points[0][0].y == e.points[0][1].y;
    }
    EXPECT_EQ(vertical, 0);
    EXPECT_EQ(horizontal, 11);
}

} // namespace

namespace {

// Records of random bytes, loaded as a file would bring them, always draw
// within bounded time and never outside what the device can address.
TEST(Drawing, RandomRecordsDraw)
{
    std::mt19937_64 random(11);
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("sin(x)", 0, true, 0);
    chart.SetCurrent(-1);
    chart.SetFunction("1/x", 1, true, RGB(255, 0, 0));
    chart.CommitEdit();
    for (int i = 0; i < 400; ++i) {
        ChartSettings s{};
        auto* bytes = reinterpret_cast<unsigned char*>(&s);
        for (std::size_t b = 0; b < sizeof s; ++b)
            bytes[b] = static_cast<unsigned char>(random());
        if (i % 2 == 0) {
            s.m_nPoints %= 500;
            // Plausible fonts half the time, so text is laid out too.
            for (LOGFONTA* font : {&s.m_lfScale, &s.m_lfLegend, &s.m_lfHeader})
                font->lfHeight = static_cast<int32_t>(random() % 40);
        }
        chart.ReplaceSettings(s);
        chart.Recalculate(i % 3 == 0);
        RecordingDeviceContext dc(i % 5 == 0 ? 600 : 96);
        chart.Draw(dc, {0, 0, 640, 480});
        ASSERT_LT(dc.m_entries.size(), 20000u);
    }
}

} // namespace
