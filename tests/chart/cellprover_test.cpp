#include "chart/cellprover.h"
#include "chart/curve.h"
#include "chart/curvejet.h"
#include "chart/doublesteps.h"
#include "chart/gridscan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

// The pieces under the analysis: steps over the doubles, the jets of a
// curve, the tree over the grid and the proofs of one cell.

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTiny = std::numeric_limits<double>::denorm_min();

struct StepRow
{
    double x;
    int steps;
    double expected;
};

class DoubleStepping : public testing::TestWithParam<StepRow>
{
};

TEST_P(DoubleStepping, MovesByWholeDoublesAcrossZeroAndStopsAtTheEnds)
{
    const StepRow& row = GetParam();
    EXPECT_EQ(DoubleSteps::Step(row.x, row.steps), row.expected);
    // Keys count doubles: both zeros are one key, and the step is undone
    // unless it was stopped at the largest double.
    EXPECT_EQ(DoubleSteps::FromKey(DoubleSteps::Key(row.x)), row.x + 0.0);
    if (std::fabs(row.expected) < kMax) {
        EXPECT_EQ(DoubleSteps::KeyGap(DoubleSteps::Key(row.x), DoubleSteps::Key(row.expected)),
                  std::abs(row.steps));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, DoubleStepping,
    testing::Values(StepRow{1, 1, std::nextafter(1.0, 2.0)}, StepRow{1, -1, std::nextafter(1.0, 0.0)},
                    StepRow{0, 1, kTiny}, StepRow{-0.0, -1, -kTiny}, StepRow{kTiny, -2, -kTiny},
                    StepRow{-kTiny, 1, 0}, StepRow{kMax, 1, kMax}, StepRow{-kMax, -5, -kMax},
                    StepRow{1e300, 3, std::nextafter(std::nextafter(std::nextafter(1e300, kMax), kMax), kMax)}));

TEST(DoubleStepping, TheMiddleKeyHalvesTheDoublesBetween)
{
    // Between 1e-300 and 1e300 the middle of the doubles is near 1, not 5e299.
    const double m = DoubleSteps::FromKey(
        DoubleSteps::MiddleKey(DoubleSteps::Key(1e-300), DoubleSteps::Key(1e300)));
    EXPECT_GT(m, 0.5);
    EXPECT_LT(m, 2);
    EXPECT_EQ(DoubleSteps::Middle(kMax, kMax), kMax);
    EXPECT_EQ(DoubleSteps::Middle(-kMax, kMax), 0);
}

struct JetRow
{
    std::string formula;
    int32_t order;
    bool degrees;
    double lo, hi;
};

class Jets : public testing::TestWithParam<JetRow>
{
};

TEST_P(Jets, EncloseWhatThePointsCompute)
{
    // Over random intervals, each row's enclosure holds the value every
    // point of it computes: the values of the curve as drawn and of its
    // next two derivatives.
    const JetRow& row = GetParam();
    CurveJet jet(row.formula, row.order, row.degrees);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> in(row.lo, row.hi);
    for (int trial = 0; trial < 200; ++trial) {
        double a = in(random), b = in(random);
        if (a > b)
            std::swap(a, b);
        const Interval x{a, b};
        for (int rows : {2, 3, 4}) {
            Jet enclosure;
            jet.Enclose(&x, 1, rows, &enclosure);
            for (int k = 0; k < 5; ++k) {
                const double t = std::min(b, a + (b - a) * k / 4);
                PointJet point;
                jet.Evaluate(&t, 1, &point);
                for (int r = 0; r < std::min<int>(rows, 3) && r < point.defined; ++r) {
                    ASSERT_TRUE(enclosure.v[r].Contains(point.v[r]) || (enclosure.flags[r] & Enclosure::kMayFail))
                        << row.formula << " row " << r << " at " << t << " over [" << a << ", " << b << "]";
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Analysis, Jets,
                         testing::Values(JetRow{"x^2-2", 0, false, -5, 5},
                                         JetRow{"sin(300*x)", 0, false, 0, 10},
                                         JetRow{"exp(x)*cos(x)", 1, false, -3, 3},
                                         JetRow{"x^3-x", 2, false, -2, 2},
                                         JetRow{"sin(x)", 0, true, -400, 400},
                                         JetRow{"sqrt(x)+ln(x)", 0, false, 0.001, 4},
                                         JetRow{"abs(x-0.5)", 0, false, -1, 1},
                                         JetRow{"tan(x)", 0, false, -1.5, 1.5}));

TEST(Jets, TheDifferenceOfTwoCurvesIsTheirMeeting)
{
    CurveJet first("x^2", 0, false), second("2*x", 0, false);
    DifferenceJet difference(first, second);
    const double x = 3;
    PointJet d;
    difference.Evaluate(&x, 1, &d);
    ASSERT_EQ(d.defined, 3);
    EXPECT_EQ(d.v[0], 3);
    EXPECT_EQ(d.v[1], 4);
    EXPECT_EQ(d.v[2], 2);
    // Where one fails, so does the difference.
    CurveJet root("sqrt(x)", 0, false);
    DifferenceJet partial(root, second);
    const double negative = -1;
    partial.Evaluate(&negative, 1, &d);
    EXPECT_EQ(d.defined, 0);
}

TEST(Grid, NodesCoverTheirCellsAndTheTopTheWholeRange)
{
    for (std::size_t n : {2u, 3u, 5u, 8u, 1001u}) {
        std::vector<double> xs;
        for (std::size_t i = 0; i < n; ++i)
            xs.push_back(static_cast<double>(i));
        const AnalysisGrid grid(xs);
        ASSERT_EQ(grid.Cells(), n - 1);
        EXPECT_EQ(grid.NodesAt(grid.TopLevel()), 1u);
        EXPECT_EQ(grid.Span(grid.TopLevel(), 0).lo, 0);
        EXPECT_EQ(grid.Span(grid.TopLevel(), 0).hi, static_cast<double>(n - 1));
        for (int level = 0; level <= grid.TopLevel(); ++level) {
            // The nodes of a level tile the cells without a gap.
            std::size_t next = 0;
            for (std::size_t i = 0; i < grid.NodesAt(level); ++i) {
                EXPECT_EQ(grid.FirstCell(level, i), next);
                next = grid.EndCell(level, i);
            }
            EXPECT_EQ(next, grid.Cells());
        }
    }
}

TEST(Grid, TheDescentReachesOnlyTheLiveCells)
{
    std::vector<double> xs;
    for (int i = 0; i <= 100; ++i)
        xs.push_back(i);
    const AnalysisGrid grid(xs);
    // Cells 17 and 64 are live; a node lives while it holds one of them.
    auto live = [&grid](int level, std::size_t index) -> unsigned {
        const std::size_t first = grid.FirstCell(level, index), end = grid.EndCell(level, index);
        return (first <= 17 && 17 < end ? 1u : 0u) | (first <= 64 && 64 < end ? 2u : 0u);
    };
    std::vector<LiveCell> cells;
    int prepared = 0;
    ASSERT_TRUE(DescendGrid(grid, grid.TopLevel(), {0},
                            [&prepared](int, const std::vector<std::size_t>&) { return ++prepared > 0; },
                            live, cells));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].k, 17u);
    EXPECT_EQ(cells[0].bits, 1u);
    EXPECT_EQ(cells[1].k, 64u);
    EXPECT_EQ(cells[1].bits, 2u);
    EXPECT_EQ(prepared, grid.TopLevel() + 1); // one batch per level
    // A preparation that fails (the budget ran out) stops the descent.
    cells.clear();
    EXPECT_FALSE(DescendGrid(grid, grid.TopLevel(), {0},
                             [](int, const std::vector<std::size_t>&) { return false; }, live, cells));
}

struct CellRow
{
    const char* name;
    std::string formula;
    CellProver::Goal goal;
    double a, b;
    std::vector<double> points; ///< zeros, or minima then maxima by x
    bool unresolved;
};

class OneCell : public testing::TestWithParam<CellRow>
{
};

TEST_P(OneCell, IsSettledByItsProofs)
{
    const CellRow& row = GetParam();
    CurveJet jet(row.formula, 0, false);
    EvaluationBudget budget(1000000);
    CellProver prover(jet, row.goal, budget);
    PointJet ja, jb;
    jet.Evaluate(&row.a, 1, &ja);
    jet.Evaluate(&row.b, 1, &jb);
    ProverFindings found;
    prover.Settle(row.a, ja, row.b, jb, found);
    std::vector<double> points = found.zeros;
    for (const CurvePoint& p : found.minima)
        points.push_back(p.x);
    for (const CurvePoint& p : found.maxima)
        points.push_back(p.x);
    std::sort(points.begin(), points.end());
    EXPECT_EQ(points, row.points);
    EXPECT_EQ(!found.unresolved.empty(), row.unresolved);
}

constexpr auto kZeros = CellProver::Goal::kZeros;
constexpr auto kExtrema = CellProver::Goal::kExtrema;

INSTANTIATE_TEST_SUITE_P(
    Analysis, OneCell,
    testing::Values(
        CellRow{"SimpleZero", "x^2-2", kZeros, 1, 2, {std::sqrt(2.0)}, false},
        CellRow{"NoZeroAboveTheAxis", "x^2+1", kZeros, -1, 2, {}, false},
        CellRow{"TwoZerosOneCell", "(x-0.3005)*(x-0.3021)", kZeros, 0.3, 0.31, {0.3005, 0.3021}, false},
        CellRow{"PoleIsNoZero", "1/x", kZeros, -1, 1.5, {}, false},
        CellRow{"JumpIsNoZero", "x/abs(x)", kZeros, -1, 1.5, {}, false},
        CellRow{"TangentAcrossItsPole", "tan(x)", kZeros, 1, 4, {kPi}, false},
        CellRow{"TouchingZero", "(x-1)^2", kZeros, 0, 2.5, {1}, false},
        CellRow{"MinimumOfParabola", "x^2-2", kExtrema, -1, 1.5, {0}, false},
        CellRow{"MaximumOfSine", "sin(x)", kExtrema, 1, 2, {kPi / 2}, false},
        CellRow{"Kink", "abs(x)", kExtrema, -1, 1.5, {0}, false},
        CellRow{"PoleIsNoExtremum", "1/x^2", kExtrema, -1, 1.5, {}, false},
        CellRow{"EdgeOfTheDomain", "sqrt(x)", kExtrema, -1, 1.5, {0}, false},
        CellRow{"LogarithmSettlesNowhere", "ln(x)", kExtrema, -1, 1.5, {}, false},
        // Points crowd without end towards 0: said, not guessed.
        CellRow{"Aliasing", "sin(1/x)", kZeros, 0.001, 0.002, {}, true}),
    [](const testing::TestParamInfo<CellRow>& info) { return std::string(info.param.name); });

TEST(OneCell, ThatRunsOutOfWorkIsUnresolvedAndUsesNoMore)
{
    CurveJet jet("sin(1/x)", 0, false);
    EvaluationBudget budget(50);
    CellProver prover(jet, kZeros, budget);
    const double a = 0.001, b = 0.5;
    PointJet ja, jb;
    jet.Evaluate(&a, 1, &ja);
    jet.Evaluate(&b, 1, &jb);
    ProverFindings found;
    prover.Settle(a, ja, b, jb, found);
    ASSERT_FALSE(found.unresolved.empty());
    EXPECT_EQ(found.unresolved.front().from, a);
    EXPECT_TRUE(budget.exhausted());
}

} // namespace
