#include "chart/curve.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

// Answers that are proven, not guessed: each case with its truth, to the bit
// where the truth is a double.

namespace {

constexpr double kPi = std::numbers::pi;

void Build(FunctionContainer& chart, const std::vector<std::string>& formulas, double min,
           double max, bool degrees = false)
{
    chart.BeginEdit();
    chart.SetComputation(1000, degrees, true);
    chart.SetRange(false, true, std::to_string(min), std::to_string(max), "", "");
    for (const std::string& f : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(f, 0, true, 0);
    }
    chart.CommitEdit();
}

// Exact ranges: std::to_string keeps six decimals only.
ChartAnswers AnalyzeOver(const std::vector<std::string>& formulas, double min, double max,
                         bool degrees = false)
{
    FunctionContainer chart;
    Build(chart, formulas, -1, 1, degrees);
    return CurveAnalysis(chart).Analyze(min, max);
}

std::vector<double> Xs(const std::vector<CurvePoint>& points)
{
    std::vector<double> xs;
    for (const CurvePoint& p : points)
        xs.push_back(p.x);
    return xs;
}

bool Near(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

// offset + k * step for every whole k that puts it in min ... max.
std::vector<double> Multiples(double step, double offset, double min, double max)
{
    std::vector<double> xs;
    for (double k = std::ceil((min - offset) / step); offset + k * step <= max; ++k)
        xs.push_back(offset + k * step);
    return xs;
}

struct PointRow
{
    const char* name;
    std::string formula;
    double min, max;
    bool degrees;
    std::vector<double> zeros;
    std::vector<double> minima;
    std::vector<double> maxima;
    double tolerance; ///< 0: every x to the bit
};

class ProvenPoints : public testing::TestWithParam<PointRow>
{
};

TEST_P(ProvenPoints, AreAllThereToTheirTruthAndNoOthers)
{
    const PointRow& row = GetParam();
    const ChartAnswers answers = AnalyzeOver({row.formula}, row.min, row.max, row.degrees);
    ASSERT_EQ(answers.m_functions.size(), 1u);
    const PointLists& found = answers.m_functions[0].m_points;
    EXPECT_FALSE(found.truncated);
    EXPECT_TRUE(found.unresolved.empty()) << found.unresolved.size() << " unresolved, the first from "
                                          << found.unresolved[0].from;
    auto check = [&](const char* kind, const std::vector<double>& got, const std::vector<double>& truth) {
        ASSERT_EQ(got.size(), truth.size()) << kind << ": " << testing::PrintToString(got);
        for (std::size_t i = 0; i < truth.size(); ++i) {
            if (row.tolerance == 0)
                EXPECT_EQ(got[i], truth[i]) << kind << " " << i;
            else
                EXPECT_TRUE(Near(got[i], truth[i], row.tolerance)) << kind << " " << got[i] << " for " << truth[i];
        }
    };
    check("zeros", found.zeros, row.zeros);
    check("minima", Xs(found.minima), row.minima);
    check("maxima", Xs(found.maxima), row.maxima);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, ProvenPoints,
    testing::Values(
        // The nearest doubles, read alike on both sides.
        PointRow{"RootOfTwo", "x^2-2", -5, 5, false, {-std::sqrt(2.0), std::sqrt(2.0)}, {0}, {}, 0},
        PointRow{"CosineAtZero", "cos(x)", -1, 1.3, false, {}, {}, {0}, 0},
        PointRow{"SineAtHalfPi", "sin(x)", 0, 3, false, {0}, {}, {kPi / 2}, 0},
        PointRow{"SineInDegrees", "sin(x)", 0, 170, true, {0}, {}, {90}, 0},
        // Zoomed in on an extremum, it stays.
        PointRow{"ZoomedParabola", "(x-1000)^2", 999.99, 1000.013, false, {1000}, {1000}, {}, 0},
        PointRow{"TinyRange", "x^2", -1e-6, 1.3e-6, false, {0}, {0}, {}, 0},
        PointRow{"FarOutSine", "sin(x)", 1e6, 1e6 + 20, false, Multiples(kPi, 0, 1e6, 1e6 + 20),
                 Multiples(2 * kPi, -kPi / 2, 1e6, 1e6 + 20), Multiples(2 * kPi, kPi / 2, 1e6, 1e6 + 20),
                 1e-15},
        // A lobe one sample wide is an extremum, not a zero; roots 1e-6
        // apart stay two.
        PointRow{"NarrowLobe", "(x-0.3005)*(x-0.3021)", -1, 1, false, {0.3005, 0.3021}, {0.3013}, {}, 1e-15},
        PointRow{"CloseRoots", "(x-1)*(x-1.000001)", 0, 2, false, {1, 1.000001}, {1.0000005}, {}, 1e-15},
        PointRow{"CloseRootsOfASquare", "(x-0.3011)^2-1e-8", 0, 1, false, {0.3010, 0.3012}, {0.3011}, {}, 1e-14},
        // Touching zeros, kinks, and none where the minimum stays above 0.
        PointRow{"Kink", "abs(x)", -1, 2, false, {0}, {0}, {}, 0},
        PointRow{"KinkOnTheGrid", "abs(x)", -5, 5, false, {0}, {0}, {}, 0},
        PointRow{"TouchingSquare", "(x-1)^2", 0, 3, false, {1}, {1}, {}, 0},
        PointRow{"ExpandedSquare", "x^2+2*x+1", -5, 5, false, {-1}, {-1}, {}, 0},
        PointRow{"TouchingThird", "(x-1/3)^2", 0, 1, false, {1.0 / 3}, {1.0 / 3}, {}, 1e-15},
        PointRow{"AboveZero", "x^2+1e-20", -1, 1.3, false, {}, {0}, {}, 0},
        // With a large offset every zero is found.
        PointRow{"LargeOffset", "sin(pi*x/30)", 1.7e9, 1.7e9 + 600, false,
                 Multiples(30, 0, 1.7e9, 1.7e9 + 600), Multiples(60, 45, 1.7e9, 1.7e9 + 600),
                 Multiples(60, 15, 1.7e9, 1.7e9 + 600), 1e-15}),
    [](const testing::TestParamInfo<PointRow>& info) { return std::string(info.param.name); });

TEST(ProvenPoints, FastOscillationIsCountedNotGuessed)
{
    // sin(300x) has 955 zeros on 0 ... 10, about three per sample step:
    // every one is found, and none of its 955 extrema is taken for a zero.
    const ChartAnswers answers = AnalyzeOver({"sin(300*x)"}, 0, 10);
    const PointLists& found = answers.m_functions[0].m_points;
    ASSERT_EQ(found.zeros.size(), 955u);
    for (std::size_t k = 0; k < found.zeros.size(); ++k)
        ASSERT_TRUE(Near(found.zeros[k], static_cast<double>(k) * kPi / 300, 1e-14)) << k;
    EXPECT_EQ(found.minima.size() + found.maxima.size(), 955u);
    EXPECT_TRUE(found.unresolved.empty());
}

struct UnresolvedRow
{
    const char* name;
    std::string formula;
    double min, max;
};

class Unresolved : public testing::TestWithParam<UnresolvedRow>
{
};

TEST_P(Unresolved, NearASingularityIsSaidNotGuessed)
{
    // Infinitely many points crowd towards 0: the stretch around 0 cannot be
    // settled, and it is said so; every point reported lies outside it and
    // is a true one (a computed sign change around it).
    const UnresolvedRow& row = GetParam();
    const ChartAnswers answers = AnalyzeOver({row.formula}, row.min, row.max);
    const PointLists& found = answers.m_functions[0].m_points;
    ASSERT_FALSE(found.unresolved.empty());
    bool aroundZero = false;
    for (const XRange& r : found.unresolved) {
        EXPECT_LE(r.from, r.to);
        aroundZero = aroundZero || (r.from <= 0 && 0 <= r.to);
    }
    EXPECT_TRUE(aroundZero);
    for (double x : found.zeros) {
        for (const XRange& r : found.unresolved)
            EXPECT_FALSE(r.from < x && x < r.to) << x;
        // 1/x is exact at the zeros reported: the nearest double to 1/(k pi).
        const double k = std::round(1 / (x * kPi));
        if (x != 0) {
            EXPECT_TRUE(Near(x, 1 / (k * kPi), 1e-14)) << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Analysis, Unresolved,
                         testing::Values(UnresolvedRow{"SineOfReciprocal", "sin(1/x)", -1, 1.3},
                                         UnresolvedRow{"DampedSineOfReciprocal", "x*sin(1/x)", -1, 1.3}),
                         [](const testing::TestParamInfo<UnresolvedRow>& info) {
                             return std::string(info.param.name);
                         });

TEST(ProvenMeetings, TheSameCurveTwiceIsOneStretch)
{
    const ChartAnswers answers = AnalyzeOver({"(x+1)^2", "x^2+2*x+1", "x"}, -5, 5);
    ASSERT_EQ(answers.m_coinciding.size(), 1u);
    const CurveStretch& s = answers.m_coinciding[0];
    EXPECT_EQ(s.m_nFirst, 0);
    EXPECT_EQ(s.m_nSecond, 1);
    EXPECT_EQ(s.from, -5);
    EXPECT_EQ(s.to, 5);
    // Neither meets x (x^2+x+1 has no real root) nor the other.
    EXPECT_TRUE(answers.m_intersections.empty());
    EXPECT_FALSE(answers.m_bIntersectionsTruncated);
}

TEST(ProvenMeetings, CoincideOverAStretchAndMeetElsewhere)
{
    // max(x, 0) is one with x over 0 ... 5 (where they meet at 0 is part of
    // it); 1-x meets each of them at 0.5 only.
    const ChartAnswers answers = AnalyzeOver({"(x+abs(x))/2", "x", "1-x"}, -5, 5);
    ASSERT_EQ(answers.m_coinciding.size(), 1u);
    // Down to where the enclosure of the difference (about the smallest
    // doubles left of 0) still holds 0.
    EXPECT_NEAR(answers.m_coinciding[0].from, 0, 1e-300);
    EXPECT_EQ(answers.m_coinciding[0].to, 5);
    ASSERT_EQ(answers.m_intersections.size(), 2u);
    for (const CurveIntersection& m : answers.m_intersections) {
        EXPECT_EQ(m.x, 0.5);
        EXPECT_EQ(m.y, 0.5);
    }
}

TEST(ProvenMeetings, NearbyMeetingsStayApart)
{
    // A parabola and a line that meet twice, 1e-6 apart.
    const ChartAnswers answers = AnalyzeOver({"x^2", "2.000001*x-1.000001"}, 0, 2);
    std::vector<double> first;
    for (const CurveIntersection& m : answers.m_intersections)
        first.push_back(m.x);
    ASSERT_EQ(first.size(), 2u);
    // The constants are rounded to doubles; the roots move by about their
    // error over the roots' distance.
    EXPECT_TRUE(Near(first[0], 1, 1e-9)) << first[0];
    EXPECT_TRUE(Near(first[1], 1.000001, 1e-9)) << first[1];
}

TEST(Cancelling, EmptiesTheBudgetAndCutsTheLists)
{
    FunctionContainer chart;
    Build(chart, {"sin(300*x)", "cos(200*x)"}, 0, 10);
    std::atomic<bool> cancel{true};
    EvaluationBudget budget(CurveAnalysis::kMaxEvaluations, &cancel);
    const ChartAnswers answers =
        CurveAnalysis::Analyze(CurveSet::Take(chart, 0, 10), 1000, ListCut::kSpread, budget);
    ASSERT_EQ(answers.m_functions.size(), 2u);
    EXPECT_TRUE(answers.m_functions[0].m_points.truncated);
    EXPECT_TRUE(answers.m_bIntersectionsTruncated);
    EXPECT_TRUE(budget.exhausted());
}

TEST(Spreading, KeepsPointsOverTheWholeRange)
{
    // Cut at 10 points, the rings of sin(300x) spread from one end to the other.
    FunctionContainer chart;
    Build(chart, {"sin(300*x)"}, 0, 10);
    EvaluationBudget budget(CurveAnalysis::kMaxEvaluations);
    const ChartAnswers answers =
        CurveAnalysis::Analyze(CurveSet::Take(chart, 0, 10), 10, ListCut::kSpread, budget);
    const PointLists& found = answers.m_functions[0].m_points;
    ASSERT_EQ(found.zeros.size(), 10u);
    EXPECT_TRUE(found.truncated);
    EXPECT_LT(found.zeros.front(), 0.1);
    EXPECT_GT(found.zeros.back(), 9.9);
}

} // namespace
