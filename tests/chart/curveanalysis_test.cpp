#include "chart/curveanalysis.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

struct Formula
{
    std::string text;
    int32_t order = 0;
};

// A committed chart of the formulas over min ... max.
void Build(FunctionContainer& chart, const std::vector<Formula>& formulas, double min, double max,
           bool degrees = false, int32_t points = 1000)
{
    chart.BeginEdit();
    chart.SetComputation(points, degrees, true);
    chart.SetRange(false, true, std::to_string(min), std::to_string(max), "", "");
    for (const Formula& f : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(f.text, f.order, true, 0);
    }
    chart.CommitEdit();
}

// How many doubles lie between a and b.
int64_t UlpDistance(double a, double b)
{
    auto key = [](double x) {
        int64_t bits = 0;
        std::memcpy(&bits, &x, sizeof bits);
        return bits < 0 ? -(bits & INT64_MAX) : bits;
    };
    const __int128 d = static_cast<__int128>(key(a)) - key(b);
    return static_cast<int64_t>(std::min<__int128>(d < 0 ? -d : d, INT64_MAX));
}

double Resolution(double x)
{
    return 1e-7 * std::max(1.0, std::fabs(x));
}

struct Zero
{
    double x;
    bool simple; ///< to 4 ulp; else a touching zero to 1e-7 * max(1, |x|)
};

struct ZeroRow
{
    const char* name;
    Formula formula;
    bool degrees;
    double min, max;
    std::vector<Zero> zeros;
};

class Zeros : public testing::TestWithParam<ZeroRow>
{
};

TEST_P(Zeros, AreFoundToTheirAccuracyAndNoOthers)
{
    const ZeroRow& row = GetParam();
    FunctionContainer chart;
    Build(chart, {row.formula}, row.min, row.max, row.degrees);
    const ChartAnswers answers = CurveAnalysis(chart).Analyze(row.min, row.max);
    ASSERT_EQ(answers.m_functions.size(), 1u);
    const PointLists& found = answers.m_functions[0].m_points;
    EXPECT_FALSE(found.truncated);
    ASSERT_EQ(found.zeros.size(), row.zeros.size()) << testing::PrintToString(found.zeros);
    for (std::size_t i = 0; i < row.zeros.size(); ++i) {
        const Zero& truth = row.zeros[i];
        if (truth.simple)
            EXPECT_LE(UlpDistance(found.zeros[i], truth.x), 4) << found.zeros[i] << " for " << truth.x;
        else
            EXPECT_NEAR(found.zeros[i], truth.x, Resolution(truth.x));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Curves, Zeros,
    testing::Values(
        ZeroRow{"MultiplesOfPi", {"sin(x)"}, false, -10, 10,
                {{-3 * kPi, true}, {-2 * kPi, true}, {-kPi, true}, {0, true}, {kPi, true},
                 {2 * kPi, true}, {3 * kPi, true}}},
        ZeroRow{"SquareRootOfTwo", {"x^2-2"}, false, 0, 3, {{std::sqrt(2.0), true}}},
        ZeroRow{"LogarithmOfThousand", {"exp(x)-1000"}, false, 0, 10, {{std::log(1000.0), true}}},
        ZeroRow{"QuarterPiPlusMultiples", {"tan(x)-1"}, false, -5, 5,
                {{kPi / 4 - kPi, true}, {kPi / 4, true}, {kPi / 4 + kPi, true}}},
        ZeroRow{"Degrees", {"sin(x)"}, true, -400, 400,
                {{-360, true}, {-180, true}, {0, true}, {180, true}, {360, true}}},
        // Regression: a sign change across a pole or a jump is no zero.
        ZeroRow{"PolesOfTangent", {"tan(x)"}, false, -5, 5,
                {{-kPi, true}, {0, true}, {kPi, true}}},
        ZeroRow{"PoleOfReciprocal", {"1/x"}, false, -1, 1.3, {}},
        ZeroRow{"Jump", {"x/abs(x)"}, false, -1, 1.3, {}},
        // A piece boundary where the pieces disagree, and the steps of floor.
        ZeroRow{"JumpOfPieces", {"if(x < 1, x - 2, x)"}, false, -1, 3, {}},
        ZeroRow{"StepsOfFloor", {"floor(x) + 0.5"}, false, -2.3, 2.3, {}},
        ZeroRow{"ZeroOfAPiece", {"if(x < 0, x + 1, x - 2)"}, false, -3, 3, {{-1, true}, {2, true}}},
        ZeroRow{"TouchingParabola", {"x^2"}, false, -1, 1.3, {{0, false}}},
        ZeroRow{"TouchingAndSimple", {"(x-1)^2*(x+2)"}, false, -3, 3, {{-2, true}, {1, false}}},
        ZeroRow{"TouchingSineSquared", {"sin(x)^2"}, false, 1, 5, {{kPi, false}}},
        ZeroRow{"Kink", {"abs(x-0.5)"}, false, -1, 1.3, {{0.5, false}}},
        ZeroRow{"DerivativeOfCube", {"x^3", 1}, false, -1, 1.3, {{0, false}}},
        ZeroRow{"SecondDerivativeOfCube", {"x^3", 2}, false, -1, 1.3, {{0, false}}},
        ZeroRow{"DomainEdgeOfRoot", {"sqrt(x)"}, false, -1, 1.3, {{0, true}}},
        ZeroRow{"LogarithmFromItsEdge", {"ln(x)"}, false, -1, 2, {{1, true}}},
        ZeroRow{"NoZero", {"x^2+1e-6"}, false, -1, 1.3, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Steps are settled to their ends: a step that is 0 is one run of zeros
// from its first double to its last, and nothing beside a jump is left
// unsettled (neither where the jump falls on a sample nor between samples).
TEST(Zeros, OfStepsAreRunsToTheJumps)
{
    struct Row
    {
        const char* formula;
        std::vector<double> zeros; ///< the ends of the run of zeros
    } rows[] = {
        {"floor(x)", {0, 1}},
        {"floor(7x)", {0, 1.0 / 7}},
        {"round(x)", {-0.5, 0.5}},
        {"if(x < 0.3, 0, x - 0.3)", {-2, 0.3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.formula);
        FunctionContainer chart;
        Build(chart, {{row.formula}}, -2, 3);
        const ChartAnswers answers = CurveAnalysis(chart).Analyze(-2, 3);
        const PointLists& found = answers.m_functions.at(0).m_points;
        ASSERT_EQ(found.zeros.size(), row.zeros.size()) << testing::PrintToString(found.zeros);
        for (std::size_t i = 0; i < row.zeros.size(); ++i)
            EXPECT_NEAR(found.zeros[i], row.zeros[i], Resolution(row.zeros[i]));
        EXPECT_TRUE(found.minima.empty());
        EXPECT_TRUE(found.maxima.empty());
        EXPECT_TRUE(found.unresolved.empty());
    }
}

struct ExtremumRow
{
    const char* name;
    Formula formula;
    bool degrees;
    double min, max;
    std::vector<CurvePoint> minima;
    std::vector<CurvePoint> maxima;
    double yTolerance = 1e-12; ///< beyond a smooth extremum: a kink's slope times x's error
};

class Extrema : public testing::TestWithParam<ExtremumRow>
{
};

void ExpectPoints(const std::vector<CurvePoint>& found, const std::vector<CurvePoint>& truth,
                  double yTolerance)
{
    ASSERT_EQ(found.size(), truth.size());
    for (std::size_t i = 0; i < truth.size(); ++i) {
        EXPECT_NEAR(found[i].x, truth[i].x, Resolution(truth[i].x));
        EXPECT_NEAR(found[i].y, truth[i].y, yTolerance * std::max(1.0, std::fabs(truth[i].y)));
    }
}

TEST_P(Extrema, AreStrictLocalExtremaInsideTheRange)
{
    const ExtremumRow& row = GetParam();
    FunctionContainer chart;
    Build(chart, {row.formula}, row.min, row.max, row.degrees);
    const ChartAnswers answers = CurveAnalysis(chart).Analyze(row.min, row.max);
    const PointLists& found = answers.m_functions.at(0).m_points;
    ExpectPoints(found.minima, row.minima, row.yTolerance);
    ExpectPoints(found.maxima, row.maxima, row.yTolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, Extrema,
    testing::Values(
        ExtremumRow{"Sine", {"sin(x)"}, false, -10, 10,
                    {{-5 * kPi / 2, -1}, {-kPi / 2, -1}, {3 * kPi / 2, -1}},
                    {{-3 * kPi / 2, 1}, {kPi / 2, 1}, {5 * kPi / 2, 1}}},
        ExtremumRow{"Cubic", {"x^3-3*x"}, false, -3, 3, {{1, -2}}, {{-1, 2}}},
        ExtremumRow{"Kink", {"abs(x-0.5)+1"}, false, -1, 1.3, {{0.5, 1}}, {}, 1e-7},
        // The difference formula's own error: 1 - h^2/6 at the peaks.
        ExtremumRow{"DerivativeOfSine", {"sin(x)", 1}, false, -4, 4, {{-kPi, -1}, {kPi, -1}},
                    {{0, 1}}, 1e-10},
        ExtremumRow{"Degrees", {"sin(x)"}, true, -400, 400, {{-90, -1}, {270, -1}},
                    {{-270, 1}, {90, 1}}},
        // Regression: the samples beside a pole look like peaks.
        ExtremumRow{"TangentHasNone", {"tan(x)"}, false, -5, 5, {}, {}},
        ExtremumRow{"ReciprocalHasNone", {"1/x"}, false, -3, 3, {}, {}},
        // Regression: the rounding noise of a second difference is no extremum.
        ExtremumRow{"ConstantHasNone", {"x^2", 2}, false, -3, 3, {}, {}},
        ExtremumRow{"MonotoneHasNone", {"exp(x)"}, false, -3, 3, {}, {}},
        ExtremumRow{"EdgesOfTheDomain", {"asin(x)"}, false, -2, 2, {{-1, -kPi / 2}},
                    {{1, kPi / 2}}},
        ExtremumRow{"EdgeOfRoot", {"sqrt(x)"}, false, -1, 1.3, {{0, 0}}, {}},
        // Regression: ln(x) runs off to -744 at its smallest double, no minimum.
        ExtremumRow{"LogarithmHasNone", {"ln(x)"}, false, -1, 2, {}, {}},
        // Regression: beside a jump the curve approaches a value it never
        // reaches (1 just left of 0); the piece x^2 has its minimum at 0.
        ExtremumRow{"JumpIsNoMaximum", {"if(x < 0, x + 1, x^2)"}, false, -3, 3, {{0, 0}}, {}},
        ExtremumRow{"JumpIsNoMinimum", {"if(x < 1, 3 - x, x - 1)"}, false, -2, 3, {}, {}},
        ExtremumRow{"StepsHaveNone", {"floor(x) + x/10"}, false, -2.3, 2.3, {}, {}},
        // Where the pieces meet continuously, a kink is an extremum.
        ExtremumRow{"PiecesMeetAtAKink", {"if(x < 1, x, 2 - x)"}, false, -2, 3, {}, {{1, 1}},
                    1e-7},
        ExtremumRow{"PieceOfAParabola", {"if(-1 <= x <= 2, (x - 1)^2)"}, false, -3, 3,
                    {{1, 0}}, {{-1, 4}, {2, 1}}},
        ExtremumRow{"SmoothPieceAtAJump", {"if(x < 1, 5, (x - 1)^2 + 1)"}, false, -2, 3,
                    {{1, 1}}, {}},
        // Boundaries between the samples, where the slope is known beside
        // the boundary only.
        ExtremumRow{"SmoothPieceBetweenSamples", {"if(x < 0.1, 5, (x - 0.1)^2 + 1)"}, false, -2, 3,
                    {{0.1, 1}}, {}},
        ExtremumRow{"KinkBetweenSamples", {"if(x < 0.2, -x, 2x^2 - 0.28)"}, false, -2, 3,
                    {{0.2, -0.2}}, {}, 1e-7},
        // A piece's own maximum below the other piece, and minima of pieces
        // with the step below them: none is an extremum of the curve.
        ExtremumRow{"PieceTopBelowAJump", {"if(x <= 0.7, -(x - 0.7)^2, 2)"}, false, -2, 3, {}, {}},
        ExtremumRow{"StepsOfParabolas", {"floor(3x) + (x - floor(3x)/3)^2"}, false, -2, 3, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Meeting
{
    int32_t first, second;
    double x;
    bool simple; ///< to 4 ulp; else touching, to 1e-7 * max(1, |x|)
};

struct MeetingRow
{
    const char* name;
    std::vector<Formula> formulas;
    double min, max;
    std::vector<Meeting> meetings;
    double (*first)(double); ///< the first curve of every pair, exactly
};

class Intersections : public testing::TestWithParam<MeetingRow>
{
};

TEST_P(Intersections, AreZerosOfTheDifferenceValuedOnTheFirstCurve)
{
    const MeetingRow& row = GetParam();
    FunctionContainer chart;
    Build(chart, row.formulas, row.min, row.max);
    const ChartAnswers answers = CurveAnalysis(chart).Analyze(row.min, row.max);
    EXPECT_FALSE(answers.m_bIntersectionsTruncated);
    ASSERT_EQ(answers.m_intersections.size(), row.meetings.size());
    for (std::size_t i = 1; i < answers.m_intersections.size(); ++i)
        EXPECT_LE(answers.m_intersections[i - 1].x, answers.m_intersections[i].x);
    for (const Meeting& truth : row.meetings) {
        bool seen = false;
        for (const CurveIntersection& found : answers.m_intersections) {
            if (found.m_nFirst != truth.first || found.m_nSecond != truth.second)
                continue;
            const bool close = truth.simple ? UlpDistance(found.x, truth.x) <= 4
                                            : std::fabs(found.x - truth.x) <= Resolution(truth.x);
            if (!close)
                continue;
            seen = true;
            EXPECT_NEAR(found.y, row.first(found.x), 1e-15 * std::max(1.0, std::fabs(found.y)));
        }
        EXPECT_TRUE(seen) << truth.first << "," << truth.second << " at " << truth.x;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Curves, Intersections,
    testing::Values(
        MeetingRow{"SineAndCosine", {{"sin(x)"}, {"cos(x)"}}, -5, 5,
                   {{0, 1, kPi / 4 - kPi, true}, {0, 1, kPi / 4, true}, {0, 1, kPi / 4 + kPi, true}},
                   [](double x) { return std::sin(x); }},
        // Regression: 1/x changes sides at its pole without meeting anything.
        MeetingRow{"TouchingAndThePole", {{"x^2"}, {"2*x-1"}, {"1/x"}}, -3, 3,
                   {{1, 2, -0.5, true}, {0, 1, 1, false}, {0, 2, 1, true}, {1, 2, 1, true}},
                   [](double x) { return x < 0 ? 2 * x - 1 : x * x; }},
        MeetingRow{"DerivativeMeetsItsCurve", {{"x^2"}, {"x^2", 1}}, -3, 3,
                   {{0, 1, 0, false}, {0, 1, 2, false}},
                   [](double x) { return x * x; }}),
    [](const auto& info) { return std::string(info.param.name); });

// Curves that coincide over a run of samples are one stretch, however many
// stretches of the scan the run spans, ending where they part (the last
// double before the jump); no meetings are listed inside it: a step of floor
// on a constant, a piece of a formula equal to another formula.
TEST(Intersections, CoincidingCurvesAreOneStretch)
{
    struct Row
    {
        const char* name;
        std::vector<Formula> formulas;
        double from, to; ///< where the curves coincide: from ... to, to itself not
    } rows[] = {
        {"a step on a constant", {{"floor(x)"}, {"-2"}}, -2, -1},
        {"a piece on a line", {{"if(x < 1, x, 2x)"}, {"x"}}, -3, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionContainer chart;
        Build(chart, row.formulas, -3, 3);
        const ChartAnswers answers = CurveAnalysis(chart).Analyze(-3, 3);
        ASSERT_EQ(answers.m_coinciding.size(), 1u);
        const CurveStretch& run = answers.m_coinciding[0];
        EXPECT_EQ(run.m_nFirst, 0);
        EXPECT_EQ(run.m_nSecond, 1);
        EXPECT_NEAR(run.from, row.from, Resolution(row.from));
        EXPECT_NEAR(run.to, row.to, Resolution(row.to));
        EXPECT_LT(run.to, row.to);
        // The curves meet nowhere else, and nothing is left unsettled.
        EXPECT_TRUE(answers.m_intersections.empty());
        EXPECT_TRUE(answers.m_unresolvedMeetings.empty());
    }
}

struct AreaRow
{
    const char* name;
    Formula formula;
    double a, b;
    double truth;
    bool smooth = true; ///< to 1e-12; a numerical derivative is only as exact as it is
};

class Areas : public testing::TestWithParam<AreaRow>
{
};

TEST_P(Areas, AreWithinTheirHonestError)
{
    const AreaRow& row = GetParam();
    FunctionContainer chart;
    Build(chart, {row.formula}, row.a, row.b);
    const AreaAnswer area = CurveAnalysis(chart).Area(0, row.a, row.b);
    EXPECT_LE(std::fabs(area.value - row.truth), area.error) << area.value;
    if (row.smooth) {
        EXPECT_LE(area.error, 1e-12 * std::fabs(row.truth));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Curves, Areas,
    testing::Values(AreaRow{"SineOverHalfTurn", {"sin(x)"}, 0, kPi, 2},
                    AreaRow{"Parabola", {"x^2"}, 0, 3, 9},
                    AreaRow{"Logarithm", {"ln(x)"}, 1, 2, 2 * std::log(2.0) - 1},
                    AreaRow{"Gauss", {"exp(-x^2)"}, -30, 30, std::sqrt(kPi)},
                    AreaRow{"SingularEnd", {"1/sqrt(x)"}, 0, 1, 2},
                    AreaRow{"LogarithmFromZero", {"ln(x)"}, 0, 1, -1},
                    AreaRow{"Jump", {"x/abs(x)"}, -1, 2, 1},
                    AreaRow{"RemovablePoint", {"x/x"}, -1, 2, 3},
                    // The derivative is 3x^2 to rounding (it was 3x^2 + h^2
                    // by differences).
                    AreaRow{"Derivative", {"x^3", 1}, 0, 1, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalRow
{
    const char* name;
    Formula formula;
    double a, b;
    const char* message;
};

class AreaRefusals : public testing::TestWithParam<RefusalRow>
{
};

TEST_P(AreaRefusals, SayWhyInsteadOfANumber)
{
    const RefusalRow& row = GetParam();
    FunctionContainer chart;
    Build(chart, {row.formula}, row.a, row.b);
    try {
        const AreaAnswer area = CurveAnalysis(chart).Area(0, row.a, row.b);
        ADD_FAILURE() << "area " << area.value << " +- " << area.error;
    } catch (const FunctionContainerException& e) {
        EXPECT_EQ(e.m_strMessage, row.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Curves, AreaRefusals,
    testing::Values(
        RefusalRow{"LogarithmOfNegatives", {"ln(x)"}, -1, 1, ChartMessage::kAreaUndefined},
        RefusalRow{"RootOfNegatives", {"sqrt(x)"}, -1, 1, ChartMessage::kAreaUndefined},
        RefusalRow{"ReciprocalAcrossItsPole", {"1/x"}, -1, 1, ChartMessage::kAreaDivergent},
        RefusalRow{"ReciprocalFromItsPole", {"1/x"}, 0, 1, ChartMessage::kAreaDivergent},
        RefusalRow{"TangentAcrossItsPole", {"tan(x)"}, 0, 3, ChartMessage::kAreaDivergent},
        RefusalRow{"SquareOfReciprocal", {"1/(x-0.3)^2"}, 0, 1, ChartMessage::kAreaDivergent}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bounds, HundredFunctionsFinishAndSayWhenCut)
{
    std::vector<Formula> formulas;
    for (int k = 1; k <= 100; ++k)
        formulas.push_back({"sin(" + std::to_string(k) + "*x)+x/" + std::to_string(k)});
    FunctionContainer chart;
    Build(chart, formulas, -5, 5, false, 100);
    const ChartAnswers whole = CurveAnalysis(chart).Analyze(-5, 5, 50);
    ASSERT_EQ(whole.m_functions.size(), 100u);
    EXPECT_EQ(whole.m_intersections.size(), 50u);
    EXPECT_TRUE(whole.m_bIntersectionsTruncated);
    for (std::size_t i = 1; i < whole.m_intersections.size(); ++i)
        EXPECT_LE(whole.m_intersections[i - 1].x, whole.m_intersections[i].x);

    // A budget spent part-way: every list it did not finish says so.
    const ChartAnswers cut = CurveAnalysis(chart, 20000).Analyze(-5, 5);
    EXPECT_TRUE(cut.m_functions.back().m_points.truncated);
    EXPECT_TRUE(cut.m_bIntersectionsTruncated);
}

TEST(Bounds, ExtremeRangesFinish)
{
    FunctionContainer chart;
    Build(chart, {{"sin(x)"}, {"x*0+1"}, {"ln(-abs(x)-1)"}, {"tan(x)", 1}}, -5, 5);
    const CurveAnalysis analysis(chart);
    const double ranges[][2] = {{-1e308, 1e308}, {0, 1e-300}, {1, 1 + 1e-15}, {-1e-300, 0}};
    for (const auto& range : ranges) {
        const ChartAnswers answers = analysis.Analyze(range[0], range[1]);
        EXPECT_EQ(answers.m_functions.size(), 4u);
        EXPECT_TRUE(answers.m_functions[1].m_points.zeros.empty());
        EXPECT_TRUE(answers.m_functions[2].m_points.zeros.empty());
        // Over the widest range sin holds 10^307 periods, far beyond any
        // budget: refused, as every bound there would be wider than the area.
        if (range[1] - range[0] > 1e300) {
            EXPECT_THROW(analysis.Area(0, range[0], range[1]), FunctionContainerException);
            continue;
        }
        const AreaAnswer area = analysis.Area(0, range[0], range[1]);
        EXPECT_LE(std::fabs(area.value), area.error + 2 * std::fabs(range[1] - range[0]) / 2);
    }
}

TEST(Bounds, CapKeepsTheFirstPointsByX)
{
    FunctionContainer chart;
    Build(chart, {{"sin(x)"}}, -100, 100);
    const ChartAnswers answers = CurveAnalysis(chart).Analyze(-100, 100, 5);
    const PointLists& found = answers.m_functions[0].m_points;
    EXPECT_TRUE(found.truncated);
    ASSERT_EQ(found.zeros.size(), 5u);
    EXPECT_LE(UlpDistance(found.zeros[0], -31 * kPi), 4);
    EXPECT_LE(UlpDistance(found.zeros[4], -27 * kPi), 4);
}

} // namespace
