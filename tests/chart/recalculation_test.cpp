#include "chart/functioncontainer.h"

#include "chart/chartmath.h"
#include "platform/cp1250.h"
#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Ranges
{
    double xMin, xMax, yMin, yMax;
    friend bool operator==(const Ranges&, const Ranges&) = default;
};

Ranges RangesOf(const FunctionContainer& chart)
{
    const ChartSettings& s = chart.GetSettings();
    return {s.m_xMin, s.m_xMax, s.m_yMin, s.m_yMax};
}

void AddFunctions(FunctionContainer& chart, const std::vector<std::string>& formulas,
                  int order = 0)
{
    chart.BeginEdit();
    for (const std::string& formula : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(formula, order, true, 0);
    }
    chart.CommitEdit();
}

// A plot rectangle as a drawing would leave it.
void Place(FunctionContainer& chart)
{
    chart.SetPlotRect({100, 50, 740, 530});
}

TEST(Zoom, InAndOutAboutTheCentre)
{
    FunctionContainer chart;
    chart.ZoomAbout(2);
    EXPECT_EQ(RangesOf(chart), (Ranges{-2.5, 2.5, -2.5, 2.5}));
    chart.UndoZoom();
    chart.ZoomAbout(0.5);
    EXPECT_EQ(RangesOf(chart), (Ranges{-10, 10, -10, 10}));
    EXPECT_TRUE(chart.CanUndoZoom());
}

TEST(Zoom, HistoryKeepsTenLevels)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x"});
    std::vector<Ranges> before;
    for (int i = 0; i < 11; ++i) {
        before.push_back(RangesOf(chart));
        chart.ZoomAbout(i % 2 ? 2 : 0.5);
        chart.Pan(0, 0); // panning leaves the history alone
    }
    EXPECT_EQ(chart.GetZoomHistory().size(), 40u);
    for (int i = 10; i >= 1; --i) {
        chart.UndoZoom();
        EXPECT_EQ(RangesOf(chart), before[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_FALSE(chart.CanUndoZoom());
    const Ranges last = RangesOf(chart);
    chart.UndoZoom(); // the eleventh does nothing
    EXPECT_EQ(RangesOf(chart), last);
    EXPECT_NE(RangesOf(chart), before[0]);
}

TEST(Zoom, RectangleAndDragBackwards)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x"});
    Place(chart);
    const Ranges start = RangesOf(chart);
    // The left half and the upper half of the plot.
    chart.ZoomToRect(100, 50, 420, 290);
    const Ranges zoomed = RangesOf(chart);
    EXPECT_DOUBLE_EQ(zoomed.xMin, start.xMin);
    EXPECT_DOUBLE_EQ(zoomed.xMax, (start.xMin + start.xMax) / 2);
    EXPECT_DOUBLE_EQ(zoomed.yMax, start.yMax);
    EXPECT_DOUBLE_EQ(zoomed.yMin, (start.yMin + start.yMax) / 2);

    chart.ZoomToRect(420, 50, 100, 290); // dragged right to left: undo
    EXPECT_EQ(RangesOf(chart), start);
    chart.ZoomToRect(100, 290, 420, 50); // upwards, with no history: nothing
    EXPECT_EQ(RangesOf(chart), start);
}

TEST(Zoom, PanFollowsThePointerAndKeepsTheYRange)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x^2"});
    Place(chart);
    const Ranges start = RangesOf(chart);
    chart.Pan(64, -48); // a tenth of the plot to the right, up
    const Ranges panned = RangesOf(chart);
    EXPECT_DOUBLE_EQ(panned.xMin, start.xMin - 1);
    EXPECT_DOUBLE_EQ(panned.yMin, start.yMin - (start.yMax - start.yMin) / 10);
    EXPECT_DOUBLE_EQ(panned.yMax - panned.yMin, start.yMax - start.yMin);
    EXPECT_FALSE(chart.CanUndoZoom());

    const WorldPoint p = chart.PixelToWorld(100, 530);
    EXPECT_DOUBLE_EQ(p.x, panned.xMin);
    EXPECT_DOUBLE_EQ(p.y, panned.yMin);
    EXPECT_TRUE(chart.PixelToWorld(420, 290).inside);
    EXPECT_FALSE(chart.PixelToWorld(99, 300).inside);
}

// The wheel's zoom: the chart point under the pointer stays there, and only a
// gesture's first step adds a history level.
TEST(Zoom, AtPointKeepsThePointAndJoinsLevels)
{
    struct Row
    {
        const char* name;
        double factor, px, py;
        bool newLevel;
        std::size_t history; // values after the step, from a history of one level
        bool changes;
    };
    const Row rows[] = {
        {"in at the centre", 2, 420, 290, true, 8, true},
        {"out at a corner", 0.5, 100, 50, true, 8, true},
        {"in between pixels", std::exp2(0.25), 333.5, 77.25, false, 4, true},
        {"outside the plot", 1.5, 900, 700, false, 4, true},
        {"zero factor", 0, 420, 290, true, 4, false},
        {"negative factor", -2, 420, 290, true, 4, false},
        {"NaN factor", std::nan(""), 420, 290, true, 4, false},
        {"infinite factor", INFINITY, 420, 290, true, 4, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        AddFunctions(chart, {"x^2"});
        Place(chart);
        chart.ZoomAbout(1); // one level to join
        const Ranges before = RangesOf(chart);
        const double x = before.xMin + (row.px - 100) / 640 * (before.xMax - before.xMin);
        const double y = before.yMax - (row.py - 50) / 480 * (before.yMax - before.yMin);
        chart.ZoomAtPoint(row.factor, row.px, row.py, row.newLevel);
        const Ranges after = RangesOf(chart);
        EXPECT_EQ(chart.GetZoomHistory().size(), row.history);
        if (!row.changes) {
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_NEAR((after.xMax - after.xMin) * row.factor, before.xMax - before.xMin, 1e-12);
        EXPECT_NEAR((after.yMax - after.yMin) * row.factor, before.yMax - before.yMin, 1e-12);
        EXPECT_NEAR(after.xMin + (row.px - 100) / 640 * (after.xMax - after.xMin), x, 1e-12);
        EXPECT_NEAR(after.yMax - (row.py - 50) / 480 * (after.yMax - after.yMin), y, 1e-12);
    }

    // Before any drawing there is no plot to point into.
    FunctionContainer fresh;
    fresh.ZoomAtPoint(2, 10, 10, true);
    EXPECT_FALSE(fresh.CanUndoZoom());
    EXPECT_EQ(RangesOf(fresh), (Ranges{-5, 5, -5, 5}));
}

// Zooming far out widens the y labels and moves the plot's left edge: laid
// out first, the point lands under the pointer on the plot as drawn.
TEST(Zoom, AtPointFollowsThePlotAsItWillBeLaidOut)
{
    FunctionContainer chart;
    AddFunctions(chart, {"sin(x)"});
    const RECT target = {0, 0, 800, 600};
    RecordingDeviceContext dc;
    chart.Draw(dc, target);
    const RECT first = chart.GetPlotRect();
    const double px = 500.5;
    const double py = 200.25;
    const WorldPoint under = chart.PixelToWorld(500, 200);
    // Drawn after each step, as the view draws it.
    for (int step = 0; step < 12; ++step) {
        chart.ZoomAtPoint(1 / std::exp2(0.25), px, py, step == 0, &dc, target);
        chart.Draw(dc, target);
    }
    const RECT plot = chart.GetPlotRect();
    EXPECT_NE(plot.left, first.left); // the labels did widen
    const ChartSettings& s = chart.GetSettings();
    const double shownX = plot.left + (under.x - s.m_xMin) / (s.m_xMax - s.m_xMin) * (plot.right - plot.left);
    EXPECT_NEAR(shownX, 500, 1.0);
    EXPECT_EQ(chart.GetZoomHistory().size(), 4u);
}

// Regression: over a range wider than about 1e305 the readout overflowed to
// infinity on the right of the plot and showed nothing there.
TEST(Zoom, PixelsReadWithinAHugeRange)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, false, "0", "1e308", "-1e308", "0");
    chart.CommitEdit();
    Place(chart);
    const WorldPoint right = chart.PixelToWorld(740, 50);
    EXPECT_TRUE(right.inside);
    EXPECT_DOUBLE_EQ(right.x, 1e308);
    EXPECT_DOUBLE_EQ(right.y, 0);
    const WorldPoint middle = chart.PixelToWorld(420, 290);
    EXPECT_TRUE(middle.inside);
    EXPECT_NEAR(middle.x, 0.5e308, 1e294);
    EXPECT_NEAR(middle.y, -0.5e308, 1e294);
}

TEST(Zoom, BeforeAnyDrawingRangesStayUsable)
{
    // The plot rectangle is all zeros: the divisions give NaN or infinity,
    // which the recalculation mends instead of sampling forever.
    FunctionContainer chart;
    AddFunctions(chart, {"x"});
    chart.Pan(5, 5);
    chart.ZoomToRect(1, 1, 2, 2);
    const Ranges r = RangesOf(chart);
    EXPECT_TRUE(std::isfinite(r.xMin) && std::isfinite(r.xMax) && r.xMax > r.xMin);
    EXPECT_TRUE(std::isfinite(r.yMin) && std::isfinite(r.yMax) && r.yMax > r.yMin);
}

TEST(Ranges, EmptyXRangeGetsAWidthOfOne)
{
    FunctionContainer chart;
    ChartSettings s = chart.GetSettings();
    s.m_xMin = s.m_xMax = 3;
    chart.ReplaceSettings(s);
    chart.Recalculate(true);
    EXPECT_EQ(chart.GetSettings().m_xMin, 3);
    EXPECT_EQ(chart.GetSettings().m_xMax, 4);

    // Beyond 2^53 adding one is lost; such a range and one whose width
    // overflows are mended as a NaN one is.
    for (auto [min, max] : {std::pair{1e300, 1e300}, {-1e308, 1e308}, {NAN, 1.0}}) {
        s.m_xMin = min;
        s.m_xMax = max;
        chart.ReplaceSettings(s);
        chart.Recalculate(true);
        EXPECT_EQ(chart.GetSettings().m_xMin, -5);
        EXPECT_EQ(chart.GetSettings().m_xMax, 5);
    }
}

TEST(Ranges, AutomaticYRangeIgnoresThePole)
{
    FunctionContainer chart;
    AddFunctions(chart, {"1/x"});
    const Ranges r = RangesOf(chart);
    // Candidates need |dy| <= 100 steps = 1, so |x| >= about 0.1 and |y| <=
    // about 10, plus 5 % of the height on each side.
    EXPECT_GT(r.yMax, 10);
    EXPECT_LT(r.yMax, 12);
    EXPECT_LT(r.yMin, -10);
    EXPECT_GT(r.yMin, -12);

    const FunctionEntry& f = chart.GetFunctions()[0];
    EXPECT_EQ(f.m_samples.size(), 1001u);
    ASSERT_EQ(f.m_counts.size(), 2u);
    const POINT exit = f.m_points[f.m_counts[0] - 1];
    const POINT entry = f.m_points[f.m_counts[0]];
    EXPECT_EQ(exit.y, 0);                               // leaves through the bottom
    EXPECT_EQ(entry.y, FunctionContainer::kLogicalHeight - 1 + 1); // enters at the top
    EXPECT_GT(exit.x, 15000);
    EXPECT_LT(entry.x, 17000);
    EXPECT_LE(exit.x, entry.x);
}

TEST(Ranges, ZoomKeepsTheComputedYRange)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x^3"});
    const Ranges fitted = RangesOf(chart);
    chart.ZoomAbout(2);
    chart.UndoZoom();
    EXPECT_EQ(RangesOf(chart), fitted);
    chart.ZoomAbout(2);
    EXPECT_DOUBLE_EQ(RangesOf(chart).yMax, fitted.yMax / 2 + (fitted.yMin + fitted.yMax) / 4);
}

TEST(Curves, ErrorsBecomeTheErrorValueAndHiddenFunctionsKeepTheirArrays)
{
    FunctionContainer chart;
    AddFunctions(chart, {"sqrt(x)", "x"});
    const FunctionEntry& root = chart.GetFunctions()[0];
    EXPECT_EQ(root.m_samples.front(), FunctionContainer::kErrorValue);
    EXPECT_NE(root.m_samples.back(), FunctionContainer::kErrorValue);

    // Hiding makes a new entry; recalculations leave its arrays alone.
    chart.BeginEdit();
    chart.SetCurrent(1);
    chart.SetFunction("x", 0, false, 0);
    chart.CommitEdit();
    chart.SetPlotRect({0, 0, 100, 100});
    const std::vector<double> rootBefore = chart.GetFunctions()[0].m_samples;
    chart.Pan(10, 10);
    const FunctionEntry& hidden = chart.GetFunctions()[1];
    EXPECT_TRUE(hidden.m_samples.empty());
    EXPECT_TRUE(hidden.m_points.empty());
    EXPECT_TRUE(hidden.m_counts.empty());
    EXPECT_NE(chart.GetFunctions()[0].m_samples, rootBefore);
    EXPECT_EQ(chart.GetTableRowCount(), rootBefore.size()); // the first visible one
}

TEST(Curves, SingleDotsStayWithinTheLogicalSpace)
{
    FunctionContainer chart;
    AddFunctions(chart, {"tan(x)", "1/(x-1)", "exp(x)"});
    for (const FunctionEntry& f : chart.GetFunctions()) {
        std::size_t total = 0;
        for (uint32_t c : f.m_counts)
            total += c;
        EXPECT_EQ(total, f.m_points.size());
        for (const POINT& p : f.m_points) {
            EXPECT_GE(p.y, 0);
            EXPECT_LE(p.y, FunctionContainer::kLogicalHeight);
            EXPECT_GE(p.x, 0);
            EXPECT_LE(p.x, FunctionContainer::kLogicalWidth);
        }
    }
}

// Where a function has no value its curve stops at its last computed sample;
// only computed values beyond the range make points on the edges.
TEST(Curves, UndefinedStretchesAreGapsAndPolesAreClipped)
{
    struct Row
    {
        const char* formula;
        double yMin, yMax;
        std::size_t polylines;
        bool firstEnters, lastLeaves; // through an edge, besides the inner ends
    } rows[] = {
        {"sqrt(x)", -1, 3, 1, false, false},
        {"sqrt(4-x^2)", -2, 2, 1, false, false},
        {"ln(x)", -2, 2, 1, true, false}, // from below the range, near 0
        {"ln(-1-x^2)", -2, 2, 0, false, false},
        {"tan(x)", -2, 2, 3, true, true}, // beyond the outer poles all outside
        {"1/x", -2, 2, 2, false, false},
        {"1/x+sqrt(x)", -2, 2, 1, true, true},
        {"2^64", 0, 1e20, 1, false, false}, // a computed error value is drawn
    };
    auto onEdge = [](const POINT& p) {
        return p.y == 0 || p.y == FunctionContainer::kLogicalHeight;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.formula);
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetRange(false, false, "-5", "5", std::to_string(row.yMin), std::to_string(row.yMax));
        chart.CommitEdit();
        AddFunctions(chart, {row.formula});
        const FunctionEntry& f = chart.GetFunctions()[0];
        ASSERT_EQ(f.m_counts.size(), row.polylines);
        std::size_t start = 0;
        for (std::size_t k = 0; k < f.m_counts.size(); ++k) {
            const std::size_t end = start + f.m_counts[k] - 1;
            EXPECT_EQ(onEdge(f.m_points[start]), k > 0 || row.firstEnters) << "polyline " << k;
            EXPECT_EQ(onEdge(f.m_points[end]), k + 1 < f.m_counts.size() || row.lastLeaves)
                << "polyline " << k;
            start = end + 1;
        }
    }
}

// The samples stored by a recalculation are the engine's own values, bit for
// bit, at x min + k * step.
TEST(Curves, SamplesEqualPointByPointEvaluation)
{
    const std::vector<std::string> formulas = {
        "sin(x)", "1/x", "sqrt(x)", "x^2.5", "ln(abs(x))", "tan(x)*x", "exp(x)/(x-1)",
        "log(x,2)", "asin(x/5)", "root(x,3)", "ctg(x)", "2x^3-x+1"};
    for (int order = 0; order <= 2; ++order) {
        for (bool degrees : {false, true}) {
            FunctionContainer chart;
            chart.BeginEdit();
            chart.SetComputation(997, degrees, true);
            chart.SetRange(false, true, "-4.3", "5.1", "", "");
            for (const std::string& formula : formulas) {
                chart.SetCurrent(-1);
                chart.SetFunction(formula, order, true, 0);
            }
            chart.CommitEdit();

            Function reference;
            reference.m_bThrowSyntaxErrors = false;
            reference.m_bDegrees = degrees;
            const ChartSettings& s = chart.GetSettings();
            const double step = (s.m_xMax - s.m_xMin) / s.m_nPoints;
            for (const FunctionEntry& f : chart.GetFunctions()) {
                SCOPED_TRACE(f.m_strFormula + " order " + std::to_string(order));
                reference.SetFormula(f.m_strFormula);
                for (std::size_t k = 0; k < f.m_samples.size(); ++k) {
                    const double x = s.m_xMin + static_cast<double>(k) * step;
                    double expected = reference.EvaluateDerivative(x, order);
                    if (reference.HasErrors())
                        expected = FunctionContainer::kErrorValue;
                    ASSERT_EQ(std::memcmp(&f.m_samples[k], &expected, sizeof expected), 0) << "x = " << x;
                }
                EXPECT_GT(s.m_xMin + static_cast<double>(f.m_samples.size()) * step, s.m_xMax);
            }
        }
    }
}

TEST(Table, OwnRangeIsResampledAndBounded)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x^2", "1/x"});
    EXPECT_EQ(chart.GetTableRowCount(), 1001u); // the chart's own samples

    chart.BeginEdit();
    chart.SetTable(false, false, "0", "1", "0.25", 0, 0);
    chart.CommitEdit();
    chart.UpdateTable();
    EXPECT_EQ(chart.GetTableValues(0), (std::vector<double>{0, 0.0625, 0.25, 0.5625, 1}));
    // A failed evaluation is the error value, as in the chart samples.
    EXPECT_EQ(chart.GetTableValues(1).front(), FunctionContainer::kErrorValue);

    // A zoom applies no edits, yet the table still shows its own range.
    chart.ZoomAbout(2);
    EXPECT_EQ(chart.GetTableRowCount(), 5u);

    // A step too small for the range (only a file can bring one) stays; the
    // table shows its first rows. Regression: the step was widened and the
    // wider one saved.
    ChartSettings s = chart.GetSettings();
    s.m_tableXMax = 1e9;
    s.m_tableStep = 1e-10;
    chart.ReplaceSettings(s);
    chart.Recalculate(true);
    chart.UpdateTable();
    EXPECT_EQ(chart.GetTableRowCount(), FunctionContainer::kMaxTableRows);
    EXPECT_EQ(chart.GetSettings().m_tableStep, 1e-10);
    EXPECT_EQ(chart.GetSettings().m_tableXMax, 1e9);
}

// The arguments a row of samples should have: first + k * step.
std::vector<double> IndexedRow(double first, double last, double step)
{
    std::vector<double> xs;
    for (std::size_t k = 0; first + static_cast<double>(k) * step <= last; ++k)
        xs.push_back(first + static_cast<double>(k) * step);
    return xs;
}

// Regression: with 50 visible functions the bounds on work took 9998 steps
// instead of 10000, and widened a table's step to 0.010002 and saved it.
TEST(Bounds, RealisticChartsAreComputedExactly)
{
    struct Row
    {
        const char* name;
        int functions;
        int32_t points;
        const char* tableMax; ///< nullptr: the table follows the chart
        const char* tableStep;
    };
    const Row rows[] = {
        {"50 curves", 50, 10000, nullptr, nullptr},
        {"100 curves", 100, 10000, nullptr, nullptr},
        {"50 columns", 50, 1000, "100", "0.01"},
        {"100 columns of 99999 rows", 100, 1000, "99998", "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetComputation(row.points, false, true);
        if (row.tableMax)
            chart.SetTable(false, false, "0", row.tableMax, row.tableStep, 0, 0);
        for (int i = 0; i < row.functions; ++i) {
            chart.SetCurrent(-1);
            chart.SetFunction("x", 0, true, 0);
        }
        chart.CommitEdit();

        const ChartSettings& s = chart.GetSettings();
        const double step = row.tableMax ? std::stod(row.tableStep) : 10.0 / row.points;
        EXPECT_EQ(s.m_nPoints, row.points);
        EXPECT_EQ(s.m_tableStep, step);
        // "x" gives back its arguments: every function has all of them.
        const std::vector<double> xs = IndexedRow(s.m_tableXMin, s.m_tableXMax, step);
        chart.UpdateTable();
        for (std::size_t i = 0; i < chart.GetFunctions().size(); ++i)
            ASSERT_EQ(chart.GetTableValues(i), xs);
    }
}

TEST(Table, FailedEvaluationsAreEmptyCells)
{
    struct Row
    {
        const char* name;
        bool sync, autoStep;
        const char* min;
        const char* max;
        const char* step;
    } rows[] = {
        {"own range", false, false, "-1", "1", "0.5"},
        {"synchronised, automatic step", true, true, "", "", ""},
        {"synchronised, own step", true, false, "", "", "0.5"},
    };
    const std::vector<std::string> logarithm = {"", "", "", "-0.693147", "0"};
    const std::vector<std::string> reciprocal = {"-1", "-2", "", "2", "1"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetRange(false, true, "-1", "1", "", "");
        chart.SetComputation(4, false, true);
        chart.SetTable(row.sync, row.autoStep, row.min, row.max, row.step, 0, 0);
        chart.CommitEdit();
        AddFunctions(chart, {"ln(x)", "1/x"});
        chart.UpdateTable();
        ASSERT_EQ(chart.GetTableRowCount(), 5u);
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(chart.GetTableText(0, i), logarithm[i]) << i;
            EXPECT_EQ(chart.GetTableText(1, i), reciprocal[i]) << i;
        }
    }

    // Only the flag empties a cell: NaN and a computed 2^64 are values.
    FunctionEntry entry;
    entry.m_samples = {NAN, FunctionContainer::kErrorValue, FunctionContainer::kErrorValue};
    entry.m_failed = {0, 0, 1};
    auto text = [&](std::size_t row) {
        return FunctionContainer::GetSampleText(entry.m_samples, entry.m_failed, row);
    };
    EXPECT_EQ(text(0), FormatG(NAN));
    EXPECT_EQ(text(1), "1.84467e+19");
    EXPECT_EQ(text(2), "");
    EXPECT_EQ(text(3), ""); // past the values
}

TEST(Robustness, StepBelowTheResolutionOfXEnds)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x"});
    ChartSettings s = chart.GetSettings();
    s.m_xMin = 1e20;
    s.m_xMax = 1e20 + 65536;
    s.m_nPoints = 10000; // step 6.5, far below the spacing of doubles near 1e20
    s.m_bTableSync = 1;
    s.m_bTableAutoStep = 0;
    s.m_tableStep = 1;
    chart.ReplaceSettings(s);
    chart.Recalculate(false);
    chart.UpdateTable();
    EXPECT_LE(chart.GetTableRowCount(), FunctionContainer::kMaxTableRows);
}

TEST(Robustness, OutOfRangeRecordValuesAreClampedForTheComputation)
{
    FunctionContainer chart;
    AddFunctions(chart, {"x^3"});
    ChartSettings s = chart.GetSettings();
    s.m_nPoints = -7;
    chart.ReplaceSettings(s);
    chart.Recalculate(true);
    EXPECT_EQ(chart.GetFunctions()[0].m_samples.size(), 2u);
    EXPECT_EQ(chart.GetSettings().m_nPoints, -7); // the stored value stays

    // The curve takes at most kMaxPoints steps; the table, which follows the
    // chart's own step, keeps that step and shows its first rows.
    s.m_nPoints = 2000000000;
    chart.ReplaceSettings(s);
    chart.Recalculate(true);
    const FunctionEntry& f = chart.GetFunctions()[0];
    EXPECT_LE(f.m_points.size(), 2u * FunctionContainer::kMaxPoints + 4);
    chart.UpdateTable();
    EXPECT_EQ(chart.GetTableValues(0).size(), FunctionContainer::kMaxTableRows);
    EXPECT_EQ(chart.GetSettings().m_tableStep, 10.0 / 2000000000);
    EXPECT_EQ(chart.GetSettings().m_nPoints, 2000000000);
}

TEST(Robustness, ManyVisibleFunctionsShareTheSampleBudget)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetComputation(10000, false, true);
    chart.SetTable(false, false, "0", "0.99", "0.00001", 0, 0);
    for (int i = 0; i < 400; ++i) {
        chart.SetCurrent(-1);
        chart.SetFunction("x", 0, true, 0);
    }
    chart.CommitEdit();
    chart.UpdateTable();
    std::size_t samples = 0;
    for (std::size_t i = 0; i < chart.GetFunctions().size(); ++i)
        samples += chart.GetTableValues(i).size();
    EXPECT_LE(samples, FunctionContainer::kMaxTableCells);
    EXPECT_GT(samples, FunctionContainer::kMaxTableCells / 2);
    // The stored values stay.
    EXPECT_EQ(chart.GetSettings().m_nPoints, 10000);
    EXPECT_EQ(chart.GetSettings().m_tableStep, 0.00001);

    // The curves, sampled at fewer steps, still span the whole x range (to
    // within one of those steps).
    const FunctionEntry& f = chart.GetFunctions().back();
    ASSERT_FALSE(f.m_points.empty());
    const std::size_t steps = FunctionContainer::kMaxChartSamples / 400 - 2;
    EXPECT_EQ(f.m_points.front().x, 0);
    EXPECT_GE(f.m_points.back().x, FunctionContainer::kLogicalWidth - 32000 / static_cast<int>(steps) - 1);
}

// Random records, from random bytes and from plausible values, never crash,
// trip a sanitizer or hang the recalculation.
TEST(Robustness, RandomRecordsRecalculate)
{
    std::mt19937_64 random(20261207);
    FunctionContainer chart;
    AddFunctions(chart, {"sin(x)", "1/x", "sqrt(x)"});
    chart.BeginEdit();
    chart.SetCurrent(1);
    chart.SetFunction("1/x", 2, true, 0);
    chart.CommitEdit();
    Place(chart);

    auto plausible = [&](double scale) {
        std::uniform_real_distribution<double> d(-scale, scale);
        return d(random);
    };
    const double specials[] = {0, -0.0, NAN, INFINITY, -INFINITY, 1e308, -1e308, 1e-320, 5, -5};
    auto value = [&]() {
        switch (random() % 4) {
        case 0: return specials[random() % std::size(specials)];
        case 1: return plausible(10);
        case 2: return plausible(1e6);
        default: return std::ldexp(plausible(1), static_cast<int>(random() % 2000) - 1000);
        }
    };

    for (int i = 0; i < 3000; ++i) {
        ChartSettings s{};
        if (i % 2 == 0) {
            auto* bytes = reinterpret_cast<unsigned char*>(&s);
            for (std::size_t b = 0; b < sizeof s; ++b)
                bytes[b] = static_cast<unsigned char>(random());
            // Most records sample fewer steps, to keep the run short: a huge
            // count also gives the table its full 100000 rows.
            if (random() % 16 != 0)
                s.m_nPoints %= 1000;
        } else {
            s = chart.GetSettings();
            for (double* field : {&s.m_xMin, &s.m_xMax, &s.m_yMin, &s.m_yMax, &s.m_gridX,
                                  &s.m_gridY, &s.m_scaleStepX, &s.m_scaleStepY, &s.m_tableXMin,
                                  &s.m_tableXMax, &s.m_tableStep}) {
                if (random() % 3 == 0)
                    *field = value();
            }
            s.m_nPoints = static_cast<int32_t>(random() % 16 == 0 ? random() : random() % 2000);
            for (uint8_t* flag : {&s.m_bAutoRangeY, &s.m_bAutoGridX, &s.m_bDegrees})
                *flag = static_cast<uint8_t>(random() % 3);
            // A table of its own range can take 100000 rows; a few of those
            // are enough.
            if (i % 100 == 1) {
                s.m_bTableSync = static_cast<uint8_t>(random() % 2);
                s.m_bTableAutoStep = static_cast<uint8_t>(random() % 2);
            }
        }
        chart.ReplaceSettings(s);
        chart.Recalculate(i % 3 == 0);
        chart.UpdateTable();
        const ChartSettings& r = chart.GetSettings();
        ASSERT_TRUE(std::isfinite(r.m_xMax - r.m_xMin) && r.m_xMax > r.m_xMin);
        ASSERT_TRUE(r.m_gridX > 0 || r.m_gridX < 0);
        ASSERT_LE(chart.GetTableRowCount(), FunctionContainer::kMaxTableRows);
        if (i % 7 == 0) {
            chart.ZoomAbout(2);
            chart.Pan(static_cast<int32_t>(random()), static_cast<int32_t>(random()));
            chart.UndoZoom();
        }
    }
}

} // namespace

namespace {

// Where pieces or steps disagree the curve has a gap with its ends at the
// jump, never a line across; where they agree (or the jump cannot be seen)
// it runs on. A piece on part of the axis reaches the ends of its domain.
TEST(Curves, PiecesAndStepsHaveGapsNotLines)
{
    struct Row
    {
        const char* formula;
        int32_t order;
        std::size_t polylines;
        std::vector<POINT> ends; ///< the first and last point of each polyline
    } rows[] = {
        // -5 ... 5 on 32000 units, -4 ... 6 on 24000: x 0 is 16000, y 0 9600.
        {"jeżeli(x < 0, x + 1, x^2)", 0, 2, {{0, 0}, {16000, 12000}, {16000, 9600}, {23838, 24000}}},
        {"if(x < 0, -x, x)", 0, 1, {{0, 21600}, {32000, 21600}}},
        {"if(x < 0, x, x + 1e-12)", 0, 1, {{3200, 0}, {32000, 21600}}},
        {"jeżeli(-1.234 <= x <= 1.99, x^2)", 0, 1, {{12051, 13254}, {22368, 19104}}},
        // Steps, each with its left end; the one at x = 5 is a point.
        {"floor(x)", 0, 10, {}},
        {"mod(x, 2.5)", 0, 5, {}},
        {"sgn(x)", 0, 3, {{0, 7200}, {16000, 7200}, {16000, 9600}, {16000, 9600}, {16000, 12000}, {32000, 12000}}},
        {"abs(x)", 1, 2, {}},
        {"min(x, 1)", 0, 1, {}},
        {"min(x, 1)", 1, 2, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " order " + std::to_string(row.order));
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetRange(false, false, "-5", "5", "-4", "6");
        chart.CommitEdit();
        AddFunctions(chart, {Cp1250::FromUtf8(row.formula)}, row.order);
        const FunctionEntry& f = chart.GetFunctions()[0];
        ASSERT_EQ(f.m_counts.size(), row.polylines);
        std::vector<POINT> ends;
        std::size_t start = 0;
        for (uint32_t count : f.m_counts) {
            ends.push_back(f.m_points[start]);
            ends.push_back(f.m_points[start + count - 1]);
            start += count;
        }
        if (!row.ends.empty()) {
            EXPECT_EQ(ends, row.ends);
        }
        // No segment of the curve is steeper than the function ever is.
        start = 0;
        for (uint32_t count : f.m_counts) {
            for (std::size_t k = start + 1; k < start + count; ++k) {
                const POINT a = f.m_points[k - 1];
                const POINT b = f.m_points[k];
                EXPECT_LT(std::abs(b.y - a.y), 200 + 20 * std::abs(b.x - a.x)) << "at " << a.x;
            }
            start += count;
        }
    }
}

// At a piece boundary the table shows the value of the piece that holds
// there.
TEST(Table, PieceBoundariesShowTheDefinedValue)
{
    FunctionContainer chart;
    AddFunctions(chart, {Cp1250::FromUtf8("jeżeli(x < 0, x + 1, x^2)"), "floor(x)"});
    chart.BeginEdit();
    chart.SetTable(false, false, "-0.5", "1", "0.5", 0, 0);
    chart.CommitEdit();
    chart.UpdateTable();
    EXPECT_EQ(chart.GetTableValues(0), (std::vector<double>{0.5, 0, 0.25, 1}));
    EXPECT_EQ(chart.GetTableValues(1), (std::vector<double>{-1, 0, 0, 1}));
}

} // namespace
