#include "chart/chartcolors.h"
#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "chart/ticks.h"

#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Seven pixels to a character, π included: about a 10-point scale font.
int32_t Width(std::string_view text)
{
    int32_t characters = 0;
    for (unsigned char c : text)
        characters += (c & 0xC0) != 0x80; // UTF-8: count the lead bytes
    return characters * 7;
}

AxisRoom Room(double min, double max, int32_t length, bool horizontal, bool pi = false)
{
    AxisRoom room;
    room.min = min;
    room.max = max;
    room.length = length;
    room.horizontal = horizontal;
    room.textHeight = 15;
    room.gap = horizontal ? 7 : 7;
    room.before = horizontal ? 40 : 8;
    room.after = horizontal ? 10 : 8;
    room.pi = pi;
    return room;
}

// The labels shown, their ticks, and whether the ticks are whole multiples
// of one 1-2-5 step read exactly by their labels.
struct Shown
{
    std::vector<double> ticks;
    std::vector<std::string> labels;
    std::vector<int32_t> shifts;
};

Shown LabelsOf(const AxisScale& scale)
{
    Shown shown;
    for (std::size_t i = 0; i < scale.ticks.size(); ++i) {
        if (!scale.labels[i].empty()) {
            shown.ticks.push_back(scale.ticks[i]);
            shown.labels.push_back(scale.labels[i]);
            shown.shifts.push_back(i < scale.shifts.size() ? scale.shifts[i] : 0);
        }
    }
    return shown;
}

bool IsOneTwoFive(double step)
{
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (std::fabs(mantissa - m) < 1e-6 * m)
            return true;
    }
    return false;
}

TEST(Ticks, EveryRangeHasTwoRoundLabelsThatNeverOverlap)
{
    struct Row
    {
        const char* name;
        double min;
        double max;
        int32_t shortest = 150; ///< pixels that two of its labels need
    } rows[] = {
        {"the default", -5, 5},
        {"a tenth of 7.3", 0, 7.3},
        {"a range of 10.5", 0, 10.5},
        {"a millionth apart", 1000000, 1000001},
        {"seconds since 1970", 1700000000, 1700000600},
        {"an offset of 1e9, a thousandth wide", 1e9, 1e9 + 1e-3},
        // Labels of 17 digits: two take 250 pixels.
        {"an offset of 1e9, a millionth wide", 1e9 - 1e-6, 1e9 + 1e-6, 300},
        {"1e-300 wide about 0", 0, 1e-300},
        {"1e-300 wide across 0", -0.5e-300, 0.5e-300},
        {"1e300 wide", -0.5e300, 0.5e300},
        {"near the largest double", -0.85e308, 0.85e308},
        {"after 200 notches out", -1.13e22, 1.13e22},
        {"negative only", -0.00042, -0.00017},
    };
    for (const Row& row : rows) {
        for (int32_t length : {150, 300, 600, 1000, 2000}) {
            for (bool horizontal : {true, false}) {
                if (horizontal && length < row.shortest)
                    continue;
                SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(length) +
                             (horizontal ? " wide" : " high"));
                const AxisRoom room = Room(row.min, row.max, length, horizontal);
                const Shown shown = LabelsOf(ChooseScale(room, Width));
                ASSERT_GE(shown.labels.size(), 2u);
                const double step = (shown.ticks.back() - shown.ticks.front()) / (shown.ticks.size() - 1);
                double previousEnd = -INFINITY;
                for (std::size_t i = 0; i < shown.ticks.size(); ++i) {
                    const double tick = shown.ticks[i];
                    EXPECT_GE(tick, row.min);
                    EXPECT_LE(tick, row.max);
                    // The label reads the tick's own number.
                    const double ulp = std::nextafter(std::fabs(tick), INFINITY) - std::fabs(tick);
                    EXPECT_NEAR(std::strtod(shown.labels[i].c_str(), nullptr), tick,
                                std::max(step * 1e-6, 2 * ulp))
                        << shown.labels[i];
                    EXPECT_NE(shown.labels[i].find_first_of("0123456789"), std::string::npos);
                    const double at = (tick - row.min) / (row.max - row.min) * length + shown.shifts[i];
                    const double size = horizontal ? Width(shown.labels[i]) : 15;
                    // Within the room, and over its tick.
                    EXPECT_GE(at - size / 2, -room.before - 1);
                    EXPECT_LE(at + size / 2, length + room.after + 1);
                    EXPECT_LE(std::abs(shown.shifts[i]), size / 2);
                    EXPECT_GE(at - size / 2, previousEnd + room.gap) << shown.labels[i];
                    previousEnd = at + size / 2;
                }
                if (row.max - row.min > 1e-9 * std::fabs(row.min)) {
                    EXPECT_TRUE(IsOneTwoFive(step)) << step;
                    // Evenly spaced: every tick a whole multiple of the step.
                    for (double tick : shown.ticks)
                        EXPECT_NEAR(tick / step, std::round(tick / step), 1e-6 + 1e-9 * std::fabs(tick / step));
                }
            }
        }
    }
}

TEST(Ticks, LabelsAsATeacherWritesThem)
{
    struct Row
    {
        const char* name;
        double min;
        double max;
        int32_t length;
        std::vector<std::string> labels;
    } rows[] = {
        {"the default", -5, 5, 772, {"-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5"}},
        {"0 ... 7.3 by ones, not 0.7", 0, 7.3, 772, {"0", "1", "2", "3", "4", "5", "6", "7"}},
        {"coarser when narrow", -5, 5, 150, {"-4", "-2", "0", "2", "4"}},
        {"seconds since 1970, plain digits", 1700000000, 1700000600, 772,
         {"1700000000", "1700000100", "1700000200", "1700000300", "1700000400", "1700000500",
          "1700000600"}},
        {"a millionth apart at 600 pixels", 1000000, 1000001, 560,
         {"1000000", "1000000.2", "1000000.4", "1000000.6", "1000000.8", "1000001"}},
        {"tiny numbers in the exponent form", 0, 1e-300, 772,
         {"0", "1e-301", "2e-301", "3e-301", "4e-301", "5e-301", "6e-301", "7e-301", "8e-301", "9e-301",
          "1e-300"}},
        {"the origin reads 0 far out", -1.13e22, 1.13e22, 772,
         {"-1e+22", "-8e+21", "-6e+21", "-4e+21", "-2e+21", "0", "2e+21", "4e+21", "6e+21", "8e+21",
          "1e+22"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Shown shown = LabelsOf(ChooseScale(Room(row.min, row.max, row.length, true), Width));
        EXPECT_EQ(shown.labels, row.labels);
    }
}

TEST(Ticks, MultiplesOfPi)
{
    const double pi = 3.14159265358979323846;
    struct Row
    {
        const char* name;
        double min;
        double max;
        int32_t length;
        std::vector<std::string> labels;
    } rows[] = {
        {"halves of pi", -2 * pi, 2 * pi, 760,
         {"-2π", "-3π/2", "-π", "-π/2", "0", "π/2", "π", "3π/2", "2π"}},
        {"whole pi when narrow", -2 * pi, 2 * pi, 240, {"-2π", "-π", "0", "π", "2π"}},
        {"multiples of 5 pi far out", -100, 100, 772,
         {"-30π", "-25π", "-20π", "-15π", "-10π", "-5π", "0", "5π", "10π", "15π", "20π", "25π", "30π"}},
        {"decimals where no two multiples fit", 0, 1, 772,
         {"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const AxisScale scale = ChooseScale(Room(row.min, row.max, row.length, true, true), Width);
        EXPECT_EQ(LabelsOf(scale).labels, row.labels);
    }
    // The grid of halves of pi stays with labels of whole pi.
    const AxisScale narrow = ChooseScale(Room(-2 * pi, 2 * pi, 240, true, true), Width);
    EXPECT_NEAR(narrow.gridStep, pi / 2, 1e-12);
}

TEST(Ticks, NiceSpacingIsTheNearestOneTwoFive)
{
    struct Row
    {
        double min;
        double max;
        double spacing;
    } rows[] = {{-5, 5, 1}, {0, 7.3, 1}, {0, 10.5, 1}, {0, 0.35, 0.05}, {0, 25, 2}, {0, 40, 5},
                {3, 3, 1}, {3, 2, 1}, {0, 1e-300, 1e-301}};
    for (const Row& row : rows)
        EXPECT_DOUBLE_EQ(NiceSpacing(row.min, row.max), row.spacing) << row.min << " " << row.max;
    EXPECT_GT(NiceSpacing(0, std::numeric_limits<double>::denorm_min()), 0);
}

TEST(Ticks, FixedSpacingCountsFromTheIndex)
{
    // Regression: summing the spacing up left the origin's tick reading "1"
    // after 200 wheel notches out.
    const double spacing = 1.13019e21;
    const AxisScale scale = FixedScale(-1.13e22 + 7, 1.13e22 + 7, spacing, 800);
    ASSERT_FALSE(scale.ticks.empty());
    int zeros = 0;
    for (std::size_t i = 0; i < scale.ticks.size(); ++i) {
        zeros += scale.labels[i] == "0";
        EXPECT_NE(scale.labels[i], "1");
    }
    EXPECT_EQ(zeros, 1);
    // More lines than pixels: none.
    EXPECT_TRUE(FixedScale(0, 10, 1e-9, 800).ticks.empty());
}

TEST(Ticks, EveryZoomKeepsLabelsAndGrid)
{
    for (const double notch : {std::exp2(0.25), std::exp2(-0.25)}) {
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetFunction("x", 0, true, 0);
        chart.CommitEdit();
        RecordingDeviceContext dc;
        // From 10 wide to 1e-300 wide, and to 1e301 wide.
        for (int i = 0; i < 4000; ++i) {
            chart.ZoomAbout(notch);
            if (i % 200 != 199)
                continue;
            SCOPED_TRACE(std::to_string(i + 1) + " notches by " + std::to_string(notch));
            dc.m_entries.clear();
            chart.Draw(dc, {0, 0, 600, 400});
            for (bool horizontal : {true, false}) {
                int labelled = 0;
                for (const std::string& label : chart.GetScaleLabels(horizontal))
                    labelled += !label.empty();
                EXPECT_GE(labelled, 2);
            }
            int grid = 0;
            for (const auto& e : dc.Of(RecordingDeviceContext::Entry::kLine))
                grid += e.pen.color == chart.GetSettings().m_crGrid;
            EXPECT_GE(grid, 4);
        }
    }
}

TEST(Ticks, ClassicRuleStaysReachable)
{
    FunctionContainer chart;
    chart.SetSpacingRule({true, false});
    chart.BeginEdit();
    chart.SetRange(false, false, "0", "7.3", "0", "10.5");
    chart.CommitEdit();
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_scaleStepX, 0.7);
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_gridY, 1.1);
    chart.SetSpacingRule({});
    chart.Recalculate(true);
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_scaleStepX, 1);
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_gridY, 1);
}

TEST(Ticks, PiTicksOnlyOnTrigonometricChartsInRadians)
{
    struct Row
    {
        const char* name;
        const char* formula;
        bool degrees;
        bool switched;
        bool pi;
    } rows[] = {
        {"sine in radians", "sin(x)", false, true, true},
        {"tangent in radians", "2tg(x/2)", false, true, true},
        {"switch off", "sin(x)", false, false, false},
        {"degrees", "sin(x)", true, true, false},
        {"no trigonometry", "x^2", false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        chart.SetSpacingRule({false, row.switched});
        chart.BeginEdit();
        chart.SetFunction(row.formula, 0, true, 0);
        chart.SetRange(false, true, "-2pi", "2pi", "", "");
        chart.SetComputation(1000, row.degrees, true);
        chart.CommitEdit();
        RecordingDeviceContext dc;
        chart.Draw(dc, {0, 0, 800, 600});
        bool pi = false;
        for (const std::string& label : chart.GetScaleLabels(true))
            pi = pi || label.find("\xCF\x80") != std::string::npos;
        EXPECT_EQ(pi, row.pi);
    }
}

TEST(Colors, PaletteReadsOnWhiteAndInTheReadout)
{
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF readout = RGB(255, 255, 225);
    for (std::size_t i = 0; i < kFunctionPalette.size(); ++i) {
        SCOPED_TRACE(i);
        const COLORREF c = kFunctionPalette[i];
        // No yellow on white: every colour stands out as a line.
        EXPECT_GE(ContrastRatio(c, white), 2.0);
        EXPECT_GE(ContrastRatio(LegibleOn(c, readout, 3.0), readout), 3.0);
        EXPECT_EQ(PaletteColor(i + 7), c);
    }
    EXPECT_NEAR(ContrastRatio(0, white), 21, 1e-9);
    EXPECT_EQ(LegibleOn(0, readout, 3.0), 0u);
    // Yellow and cyan, the old colours that could not be read, are darkened.
    for (COLORREF c : {RGB(255, 255, 0), RGB(0, 255, 255), RGB(0, 255, 0)})
        EXPECT_GE(ContrastRatio(LegibleOn(c, readout, 3.0), readout), 3.0);
    // On a dark background a dark colour is lightened.
    EXPECT_GE(ContrastRatio(LegibleOn(RGB(0, 0, 128), 0, 3.0), 0), 3.0);

    // New functions take the palette in turn; stored colours stay theirs.
    FunctionContainer chart;
    chart.BeginEdit();
    for (std::size_t i = 0; i < 9; ++i) {
        chart.SetCurrent(-1);
        EXPECT_EQ(chart.GetColor(), PaletteColor(i));
        chart.SetFunction("x", 0, true, i == 3 ? RGB(255, 255, 0) : chart.GetColor());
    }
    chart.CommitEdit();
    EXPECT_EQ(chart.GetFunctions()[3].m_crColor, RGB(255, 255, 0));
}

} // namespace
