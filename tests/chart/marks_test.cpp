#include "chart/chartmarks.h"
#include "chart/functioncontainer.h"

#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Entry = RecordingDeviceContext::Entry;
constexpr double kPi = 3.14159265358979323846;

FunctionContainer& Sine(FunctionContainer& chart)
{
    chart.BeginEdit();
    chart.SetFunction("sin(x)", 0, true, RGB(200, 0, 0));
    chart.SetCurrent(-1);
    chart.SetFunction("x^-2", 0, true, RGB(0, 0, 200));
    chart.SetRange(false, false, "-2pi", "2pi", "-2", "2");
    chart.CommitEdit();
    return chart;
}

TEST(Marks, AreaLabelSaysValueAndKind)
{
    struct Row
    {
        double value;
        const char* label;
    } rows[] = {
        {2.0000000000000004, "Pole = 2 (ca\xB3ka oznaczona)"},
        {-0.5, "Pole = -0.5 (ca\xB3ka oznaczona)"},
        {1234567, "Pole = 1234567 (ca\xB3ka oznaczona)"},
        {1e-20, "Pole = 1e-20 (ca\xB3ka oznaczona)"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(AreaLabel({0, 0, 1, row.value, AreaKind::kSigned}), row.label);
}

TEST(Marks, OutlineRunsFromTheAxisToTheCurve)
{
    FunctionContainer chart;
    Sine(chart);
    struct Row
    {
        const char* name;
        ShadedArea area;
        std::size_t polygons;
        double first;
        double last;
    } rows[] = {
        {"within the range", {0, 0, kPi, 2}, 1, 0, kPi},
        {"held to the range", {0, -10, 1, 0}, 1, -2 * kPi, 1},
        {"outside the range", {0, 10, 11, 0}, 0, 0, 0},
        {"a function that is not there", {7, 0, 1, 0}, 0, 0, 0},
        {"split at the pole", {1, -1, 1, 0}, 2, -1, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto outline = ShadeOutline(chart, row.area);
        ASSERT_EQ(outline.size(), row.polygons);
        if (outline.empty())
            continue;
        EXPECT_EQ(outline.front().front().x, row.first);
        EXPECT_EQ(outline.back().back().x, row.last);
        for (const auto& polygon : outline) {
            EXPECT_EQ(polygon.front().y, 0);
            EXPECT_EQ(polygon.back().y, 0);
        }
    }
}

TEST(Marks, ShadeUnderTheCurveAndLabelClearOfTheLegend)
{
    FunctionContainer chart;
    Sine(chart);
    ChartMarks marks;
    marks.area = ShadedArea{0, 0, kPi, 2};
    marks.outline = ShadeOutline(chart, *marks.area);
    RecordingDeviceContext dc;
    chart.Draw(dc, {0, 0, 800, 600}, &marks);
    const RECT plot = chart.GetPlotRect();

    std::size_t shade = dc.m_entries.size();
    std::size_t curve = 0;
    for (std::size_t i = 0; i < dc.m_entries.size(); ++i) {
        const Entry& e = dc.m_entries[i];
        if (e.kind == Entry::kPolygon && e.brush.opacity < 255) {
            shade = std::min(shade, i);
            EXPECT_EQ(e.brush.color, RGB(200, 0, 0));
            EXPECT_EQ(e.pen.style, Pen::kNone);
            // Between x = 0 and x = pi: the middle and the right three
            // quarters of the plot's width.
            for (const POINT& p : e.points[0]) {
                EXPECT_GE(p.x, plot.left + (plot.right - plot.left) / 2 - 1);
                EXPECT_LE(p.x, plot.left + (plot.right - plot.left) * 3 / 4 + 1);
            }
        }
        if (e.kind == Entry::kPolylines && e.pen.color == RGB(200, 0, 0))
            curve = i;
    }
    EXPECT_LT(shade, curve);

    const Entry* label = dc.Text("Pole = 2 (ca\xB3ka oznaczona)");
    ASSERT_NE(label, nullptr);
    const RECT& legend = chart.GetLegendRect();
    const POINT at = label->points[0][0];
    EXPECT_TRUE(at.x < legend.left || at.y + 17 < legend.top) << at.x << "," << at.y;
    EXPECT_GE(at.x, plot.left);
    EXPECT_GE(at.y, plot.top);
}

TEST(Marks, RingsNeverCoverTheLegendHeaderOrCaption)
{
    FunctionContainer chart;
    Sine(chart);
    chart.BeginEdit();
    ChartSettings s = chart.GetSettings();
    chart.SetDescriptions("Wykres", "Podpis", true, true, true, s.m_bFrameVisible, s.m_crHeaderText,
                          s.m_crLegendText, s.m_crFrame, s.m_crLegendBack, s.m_crBackground,
                          s.m_lfHeader, s.m_lfLegend);
    chart.CommitEdit();
    RecordingDeviceContext dc;
    chart.Draw(dc, {0, 0, 800, 600});
    const RECT plot = chart.GetPlotRect();
    const RECT legend = chart.GetLegendRect();
    ASSERT_LT(legend.left, legend.right);
    auto world = [&chart](int32_t x, int32_t y) {
        const WorldPoint p = chart.PixelToWorld(x, y);
        return RingMark{p.x, p.y, RGB(0, 0, 200)};
    };
    struct Row
    {
        const char* name;
        RingMark ring;
        bool drawn;
    } rows[] = {
        {"in the plot", world((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2), true},
        {"on the legend's text", world(legend.left + 20, legend.top + 8), false},
        {"just left of the legend", world(legend.left - 3, legend.top + 8), false},
        {"at the top edge, by the header", world(plot.left + 100, plot.top), false},
        {"at the bottom edge, above the scale", world(plot.left + 100, plot.bottom - 1), true},
        {"beside the plot", {-100, 0, 0}, false},
        {"a tenth below the top", world(plot.left + 100, plot.top + (plot.bottom - plot.top) / 10), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ChartMarks marks;
        marks.rings = {row.ring, row.ring};
        chart.Draw(dc, {0, 0, 800, 600}, &marks);
        // The same pixel and colour twice is one ring.
        EXPECT_EQ(marks.drawnRings.size(), row.drawn ? 1u : 0u);
    }
}

} // namespace
