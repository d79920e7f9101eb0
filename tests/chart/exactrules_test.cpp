#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "chart/steepruns.h"
#include "platform/archive.h"

#include "tests/platform/recordingdevicecontext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Curve
{
    const char* formula;
    int order;
};

void Fill(FunctionContainer& chart, const std::vector<Curve>& curves, const char* xMin,
          const char* xMax, int32_t points = 1000)
{
    chart.BeginEdit();
    chart.SetRange(false, true, xMin, xMax, "", "");
    chart.SetComputation(points, false, true);
    for (const Curve& curve : curves) {
        chart.SetCurrent(-1);
        chart.SetFunction(curve.formula, curve.order, true, 0);
    }
    chart.CommitEdit();
}

std::vector<uint8_t> Stored(const FunctionContainer& chart)
{
    ArchiveWriter writer;
    chart.Store(writer);
    return writer.Bytes();
}

// The samples and y range of the chart's first recalculation as they were
// computed before: arguments by running sum, each value as the engine
// computes it point by point (derivatives exactly, by Taylor arithmetic), and
// only samples within 100 steps of their predecessor in the y range.
struct Expected
{
    std::vector<std::vector<double>> samples;
    double yMin = -5;
    double yMax = 5;
};

Expected FormerRules(const std::vector<Curve>& curves, double xMin, double xMax, int32_t points)
{
    Expected expected;
    const double step = (xMax - xMin) / points;
    Function f;
    f.m_bThrowSyntaxErrors = false;
    bool bound = false;
    for (const Curve& curve : curves) {
        f.SetFormula(curve.formula);
        std::vector<double> row;
        for (double x = xMin; x <= xMax && row.size() < static_cast<std::size_t>(points) + 2;
             x = x + step) {
            const double y = f.EvaluateDerivative(x, curve.order);
            const bool failed = f.HasErrors();
            row.push_back(failed ? FunctionContainer::kErrorValue : y);
            if (row.size() < 2 || failed || std::isnan(row[row.size() - 2]) ||
                !(std::fabs(y - row[row.size() - 2]) <= 100 * step))
                continue;
            if (!bound) {
                expected.yMin = expected.yMax = y;
                bound = true;
            }
            expected.yMin = std::min(expected.yMin, y);
            expected.yMax = std::max(expected.yMax, y);
        }
        expected.samples.push_back(row);
    }
    const double margin = (expected.yMax - expected.yMin) * 0.05;
    expected.yMin -= margin;
    expected.yMax += margin;
    return expected;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Charts that no new rule touches compute, and save, exactly what they did:
// their arguments by index equal the running sum (a step that is a power of
// two), their derivatives stay below the values and arguments that change
// the step, and they have no steep samples.
TEST(ExactRules, UntouchedChartsComputeAndSaveAsBefore)
{
    struct Row
    {
        const char* name;
        std::vector<Curve> curves;
        double xMin, xMax;
        int32_t points;
    } rows[] = {
        {"sine and its derivatives", {{"sin(x)", 0}, {"sin(x)", 1}, {"sin(x)", 2}}, -4, 4, 1024},
        {"parabola, line and cosine", {{"x^2/10", 0}, {"0.5x+1", 0}, {"cos(3x)", 2}}, -2, 2, 512},
        {"a root with failures", {{"sqrt(x)", 0}, {"sqrt(x)", 1}, {"ln(x)", 0}}, -1, 3, 256},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string xMin = std::to_string(row.xMin);
        const std::string xMax = std::to_string(row.xMax);
        FunctionContainer chart;
        Fill(chart, row.curves, xMin.c_str(), xMax.c_str(), row.points);
        const Expected expected = FormerRules(row.curves, row.xMin, row.xMax, row.points);
        for (std::size_t i = 0; i < row.curves.size(); ++i) {
            const std::vector<double>& samples = chart.GetFunctions()[i].m_samples;
            ASSERT_EQ(samples.size(), expected.samples[i].size());
            for (std::size_t k = 0; k < samples.size(); ++k)
                ASSERT_TRUE(SameBits(samples[k], expected.samples[i][k])) << i << ", " << k;
        }
        const ChartSettings& s = chart.GetSettings();
        EXPECT_TRUE(SameBits(s.m_yMin, expected.yMin)) << s.m_yMin << " vs " << expected.yMin;
        EXPECT_TRUE(SameBits(s.m_yMax, expected.yMax)) << s.m_yMax << " vs " << expected.yMax;

        // The file holds the settings the former rules gave.
        FunctionContainer former;
        Fill(former, row.curves, xMin.c_str(), xMax.c_str(), row.points);
        ChartSettings settings = former.GetSettings();
        settings.m_yMin = expected.yMin;
        settings.m_yMax = expected.yMax;
        former.ReplaceSettings(settings);
        former.Recalculate(true);
        EXPECT_EQ(Stored(chart), Stored(former));
    }
}

// The automatic y range shows steep continuous curves whole and still leaves
// out the jumps at a pole.
TEST(ExactRules, SteepCurvesCountForTheYRange)
{
    struct Row
    {
        const char* name;
        const char* formula;
        const char* xMin;
        const char* xMax;
        double low, high; ///< the samples' extremes; NaN: as the former rule
    } rows[] = {
        {"200*x+20 (was a sliver in -5.5 .. 5.5)", "200*x+20", "-5", "5", -980 + 200 * 0.01, 1020},
        {"x^3 (was cut at +-211)", "x^3", "-10", "10", std::pow(-10 + 0.02, 3), 1000},
        {"exp(x) (topped out near 105)", "exp(x)", "-5", "10", std::exp(-5 + 0.015), std::exp(10.0)},
        {"tan(x)", "tan(x)", "-5", "5", NAN, NAN},
        {"1/x, the pole hit exactly", "1/x", "-5", "5", NAN, NAN},
        {"1/(x-1)^2", "1/(x-1)^2", "-5", "5", NAN, NAN},
        {"1/x, the pole between samples", "1/x", "-5.003", "5", NAN, NAN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        Fill(chart, {{row.formula, 0}}, row.xMin, row.xMax);
        const ChartSettings& s = chart.GetSettings();
        double low = row.low;
        double high = row.high;
        if (std::isnan(low)) {
            // The y range the former rule gives over the same samples.
            const std::vector<double>& samples = chart.GetFunctions()[0].m_samples;
            const std::vector<uint8_t>& failed = chart.GetFunctions()[0].m_failed;
            const double step = (s.m_xMax - s.m_xMin) / 1000;
            low = INFINITY;
            high = -INFINITY;
            for (std::size_t k = 1; k < samples.size(); ++k) {
                if (!failed[k] && !std::isnan(samples[k - 1]) &&
                    std::fabs(samples[k] - samples[k - 1]) <= 100 * step) {
                    low = std::min(low, samples[k]);
                    high = std::max(high, samples[k]);
                }
            }
        }
        const double margin = (high - low) * 0.05;
        EXPECT_NEAR(s.m_yMin, low - margin, std::fabs(high - low) * 1e-12);
        EXPECT_NEAR(s.m_yMax, high + margin, std::fabs(high - low) * 1e-12);
    }
}

TEST(ExactRules, BisectionTellsContinuousFromPoles)
{
    auto value = [](double (*f)(double)) {
        return ValueAt([f](double x) -> std::optional<double> {
            const double y = f(x);
            if (!std::isfinite(y))
                return std::nullopt;
            return y;
        });
    };
    struct Row
    {
        const char* name;
        double (*f)(double);
        double a, b;
        bool passes;
    } rows[] = {
        {"a line", [](double x) { return 200 * x; }, 0, 1, true},
        {"exp", [](double x) { return std::exp(x); }, 9, 10, true},
        {"across the pole of 1/x", [](double x) { return 1 / x; }, -0.5, 1, false},
        {"a jump", [](double x) { return x < 0.3 ? 0.0 : 1.0; }, 0, 1, false},
        {"a constant stretch", [](double) { return 1.0; }, 0, 1, true},
        {"ends one double apart", [](double x) { return x * 1e300; }, 1, std::nextafter(1.0, 2.0), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PassesBisection(row.a, row.f(row.a), row.b, row.f(row.b), value(row.f)), row.passes);
    }
}

// Arguments by index: the row that should be 0 is 0, and far out on the axis
// the arguments still advance to the end of the range.
TEST(ExactRules, ArgumentsByIndex)
{
    FunctionContainer reciprocal;
    Fill(reciprocal, {{"1/x", 0}}, "-5", "5");
    EXPECT_EQ(IndexedArgument(-5, reciprocal.GetSettings().m_tableStep, 500), 0);
    EXPECT_EQ(reciprocal.GetTableText(0, 500), ""); // 1/0 fails: the cell is empty
    EXPECT_EQ(reciprocal.GetTableText(0, 499), "-100");

    ChartSettings s = reciprocal.GetSettings();
    s.m_bTableSync = 0;
    s.m_bTableAutoStep = 0;
    s.m_tableXMin = 0;
    s.m_tableXMax = 1;
    s.m_tableStep = 0.1;
    reciprocal.ReplaceSettings(s);
    reciprocal.Recalculate(true);
    reciprocal.UpdateTable();
    ASSERT_EQ(reciprocal.GetTableRowCount(), 11u); // the running sum stopped at 0.9999999999999999
    EXPECT_EQ(reciprocal.GetTableText(0, 10), "1");

    FunctionContainer far;
    Fill(far, {{"x-10000000", 0}}, "10000000", "10000000.000001");
    const FunctionEntry& line = far.GetFunctions()[0];
    EXPECT_EQ(line.m_samples.size(), 1001u);
    EXPECT_GT(line.m_samples.back(), 0.99e-6);
    ASSERT_FALSE(line.m_points.empty());
    EXPECT_GE(line.m_points.back().x, FunctionContainer::kLogicalWidth - 64);
}

TEST(ExactRules, TickLabelsTellTicksApart)
{
    struct Row
    {
        const char* name;
        std::vector<double> values;
        std::vector<std::string> labels;
    } rows[] = {
        {"already distinct keep six digits", {-5, -0.5, 0, 1e-7, 1234567}, {"-5", "-0.5", "0", "1e-07", "1234567"}},
        {"plain digits where not longer", {1700000040, 1700000050}, {"1700000040", "1700000050"}},
        {"exponent where much shorter", {1e15, 2e15}, {"1e+15", "2e+15"}},
        {"a millionth apart", {1000000, 1000000.1, 1000000.2}, {"1000000", "1000000.1", "1000000.2"}},
        {"after deep zooms", {-0.45454545, -0.45454546, -0.45454547},
         {"-0.45454545", "-0.45454546", "-0.45454547"}},
        {"equal values take 17 digits", {0.1, 0.1}, {"0.10000000000000001", "0.10000000000000001"}},
        {"none", {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DistinctLabels(row.values), row.labels);
    }

    FunctionContainer chart;
    Fill(chart, {{"x", 0}}, "1000000", "1000001");
    RecordingDeviceContext dc;
    chart.Draw(dc, {0, 0, 800, 600});
    const std::vector<std::string> x = chart.GetScaleLabels(true);
    ASSERT_EQ(x.size(), 11u);
    EXPECT_EQ(x.front(), "1000000");
    EXPECT_EQ(x[3], "1000000.3");
    // Moved in from the right edge, not off the picture.
    EXPECT_EQ(x.back(), "1000001");

    // The default chart's labels are those of "%g".
    FunctionContainer plain;
    plain.Draw(dc, {0, 0, 800, 600});
    EXPECT_EQ(plain.GetScaleLabels(false),
              (std::vector<std::string>{"-5", "-4", "-3", "-2", "-1", "0", "1", "2", "3", "4", "5"}));
}

} // namespace
