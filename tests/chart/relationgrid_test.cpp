#include "chart/relationgrid.h"
#include "engine/intervalfunctions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using IntervalMath::Sqr;

// F written by hand twice: as an enclosure and as a value.
class Hand : public RelationFunction
{
public:
    using Enclosing = std::function<Interval(Interval, Interval, uint8_t&)>;
    using Valuing = std::function<double(double, double)>;

    Hand(Enclosing enclose, Valuing value) : m_enclose(std::move(enclose)), m_value(std::move(value)) {}

    void Enclose(const Interval* xs, const Interval* ys, std::size_t count, Interval* out,
                 uint8_t* flags) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            flags[i] = 0;
            out[i] = m_enclose(xs[i], ys[i], flags[i]);
        }
    }
    void Evaluate(const double* xs, const double* ys, std::size_t count, double* out,
                  uint8_t* failed) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = m_value(xs[i], ys[i]);
            failed[i] = !std::isfinite(out[i]);
        }
    }

private:
    Enclosing m_enclose;
    Valuing m_value;
};

Hand Circle(double radius2)
{
    return Hand([radius2](Interval x, Interval y, uint8_t&) { return Sqr(x) + Sqr(y) - radius2; },
                [radius2](double x, double y) { return x * x + y * y - radius2; });
}

const RelationView kView{-5, 5, -5, 5, 200, 160};

// The distance from the origin to the nearest and farthest points of a pixel.
void Distances(const RelationView& v, int i, int j, double& near, double& far)
{
    const double x0 = v.X(i), x1 = v.X(i + 1), y0 = v.Y(j + 1), y1 = v.Y(j);
    const double nx = x0 > 0 ? x0 : x1 < 0 ? -x1 : 0;
    const double ny = y0 > 0 ? y0 : y1 < 0 ? -y1 : 0;
    const double fx = std::max(std::fabs(x0), std::fabs(x1));
    const double fy = std::max(std::fabs(y0), std::fabs(y1));
    near = std::hypot(nx, ny);
    far = std::hypot(fx, fy);
}

// A circle at several zooms: every pixel it passes through is drawn, and
// proven; none drawn is farther than a pixel from it.
TEST(RelationGrid, CircleKeepsExactlyItsPixels)
{
    struct Row
    {
        const char* name;
        RelationView view;
    } rows[] = {
        {"the default range", kView},
        {"zoomed in on its edge", {1.9, 2.1, -0.1, 0.1, 120, 120}},
        {"zoomed out", {-500, 500, -400, 400, 300, 240}},
        {"one pixel", {-5, 5, -5, 5, 1, 1}},
    };
    Hand f = Circle(4);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RelationView& v = row.view;
        const RelationPixels p = RelationGrid::Solve({{&f, RelationSign::kEqual}}, v);
        ASSERT_EQ(p.m_pixels.size(), static_cast<std::size_t>(v.width * v.height));
        const double pixel = std::max((v.xMax - v.xMin) / v.width, (v.yMax - v.yMin) / v.height);
        int drawn = 0;
        for (int j = 0; j < v.height; ++j) {
            for (int i = 0; i < v.width; ++i) {
                double near = 0, far = 0;
                Distances(v, i, j, near, far);
                const bool crosses = near <= 2 && far >= 2;
                const uint8_t state = p.At(i, j);
                if (crosses) {
                    EXPECT_EQ(state, RelationPixels::kCurve) << i << ", " << j;
                }
                if (state != RelationPixels::kEmpty) {
                    ++drawn;
                    EXPECT_LE(near, 2 + pixel) << i << ", " << j;
                    EXPECT_GE(far, 2 - pixel) << i << ", " << j;
                }
            }
        }
        EXPECT_GT(drawn, 0);
        EXPECT_FALSE(p.m_bTruncated);
    }
}

// Crossings, cusps and features thinner than a pixel keep their points.
TEST(RelationGrid, HardPlacesAreKept)
{
    Hand lemniscate(
        [](Interval x, Interval y, uint8_t&) {
            return Sqr(Sqr(x) + Sqr(y)) - (Sqr(x) - Sqr(y)) * 2.0;
        },
        [](double x, double y) { return (x * x + y * y) * (x * x + y * y) - 2 * (x * x - y * y); });
    Hand cusp([](Interval x, Interval y, uint8_t& f) { return Sqr(y) - IntervalMath::Pow(x, {3, 3}, f); },
              [](double x, double y) { return y * y - x * x * x; });
    Hand axes([](Interval x, Interval y, uint8_t&) { return x * y; },
              [](double x, double y) { return x * y; });
    Hand tiny = Circle(1e-6);
    // A view whose pixel corners miss the origin.
    const RelationView v{-5.013, 5.007, -5.011, 5.003, 200, 160};
    auto pixelOf = [&](double x, double y) {
        const int i = static_cast<int>((x - v.xMin) / (v.xMax - v.xMin) * v.width);
        const int j = static_cast<int>((v.yMax - y) / (v.yMax - v.yMin) * v.height);
        return std::make_pair(i, j);
    };
    struct Row
    {
        const char* name;
        Hand* f;
        std::vector<std::pair<double, double>> points; ///< on the curve
    } rows[] = {
        {"the lemniscate through its crossing", &lemniscate, {{0, 0}, {std::sqrt(2.0), 0}, {-std::sqrt(2.0), 0}}},
        {"the cusp of y^2 = x^3", &cusp, {{0, 0}, {1, 1}, {1, -1}}},
        {"both axes of x*y = 0", &axes, {{0, 3}, {0, -4}, {3, 0}, {-4.5, 0}, {0, 0}}},
        {"a circle of radius 0.001", &tiny, {{0.001, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const RelationPixels p = RelationGrid::Solve({{row.f, RelationSign::kEqual}}, v);
        for (auto [x, y] : row.points) {
            auto [i, j] = pixelOf(x, y);
            EXPECT_NE(p.At(i, j), RelationPixels::kEmpty) << x << ", " << y;
        }
    }
}

// Regions: pixels wholly inside are filled, pixels wholly outside never.
TEST(RelationGrid, RegionsFillWhatProvablyHolds)
{
    Hand disk = Circle(4);
    const RelationPixels p = RelationGrid::Solve({{&disk, RelationSign::kLessEqual}}, kView);
    for (int j = 0; j < kView.height; ++j) {
        for (int i = 0; i < kView.width; ++i) {
            double near = 0, far = 0;
            Distances(kView, i, j, near, far);
            if (far < 2) {
                EXPECT_EQ(p.At(i, j), RelationPixels::kInside) << i << ", " << j;
            }
            if (near > 2) {
                EXPECT_EQ(p.At(i, j), RelationPixels::kEmpty) << i << ", " << j;
            }
        }
    }
    EXPECT_FALSE(p.m_paths.empty()); // its boundary

    // A ring, 1 < x^2 + y^2 < 4: two comparisons.
    Hand outer = Circle(4), inner = Circle(1);
    const RelationPixels ring = RelationGrid::Solve(
        {{&inner, RelationSign::kGreater}, {&outer, RelationSign::kLess}}, kView);
    auto at = [&](double x, double y) {
        return ring.At(static_cast<int>((x + 5) / 10 * kView.width),
                       static_cast<int>((5 - y) / 10 * kView.height));
    };
    EXPECT_EQ(at(0, 0), RelationPixels::kEmpty);
    EXPECT_EQ(at(1.5, 0.01), RelationPixels::kInside);
    EXPECT_EQ(at(3, 3), RelationPixels::kEmpty);

    // sin(x) > sin(y): a checkerboard without holes.
    Hand waves([](Interval x, Interval y, uint8_t&) { return IntervalMath::Sin(x) - IntervalMath::Sin(y); },
               [](double x, double y) { return std::sin(x) - std::sin(y); });
    const RelationPixels board = RelationGrid::Solve({{&waves, RelationSign::kGreater}}, kView);
    for (int j = 0; j < kView.height; ++j) {
        for (int i = 0; i < kView.width; ++i) {
            const double x = (kView.X(i) + kView.X(i + 1)) / 2, y = (kView.Y(j) + kView.Y(j + 1)) / 2;
            if (std::sin(x) - std::sin(y) > 0.2) {
                EXPECT_EQ(board.At(i, j), RelationPixels::kInside) << i << ", " << j;
            }
        }
    }
}

// A pole is no curve: y cos x = sin x has no pixels at x = pi/2 in the view,
// and y - 1/x = 0 keeps the undecided column at x = 0 in a lighter tint.
TEST(RelationGrid, PolesAreNotCurves)
{
    Hand tangent(
        [](Interval x, Interval y, uint8_t&) { return y * IntervalMath::Cos(x) - IntervalMath::Sin(x); },
        [](double x, double y) { return y * std::cos(x) - std::sin(x); });
    const RelationPixels p = RelationGrid::Solve({{&tangent, RelationSign::kEqual}}, kView);
    const int pole = static_cast<int>((M_PI / 2 + 5) / 10 * kView.width);
    int column = 0;
    for (int j = 0; j < kView.height; ++j)
        column += p.At(pole, j) != RelationPixels::kEmpty;
    EXPECT_LE(column, 4); // where tan x leaves the view, not a line down the pole

    Hand reciprocal(
        [](Interval x, Interval y, uint8_t& f) { return y - IntervalMath::Divide({1, 1}, x, f); },
        [](double x, double y) { return y - 1 / x; });
    const RelationPixels r = RelationGrid::Solve({{&reciprocal, RelationSign::kEqual}}, kView);
    int curve = 0, undecided = 0;
    for (uint8_t state : r.m_pixels) {
        curve += state == RelationPixels::kCurve;
        undecided += state == RelationPixels::kUndecided;
    }
    EXPECT_GT(curve, 200);
    EXPECT_LE(undecided, kView.height + 4);
}

TEST(RelationGrid, TracedPathsFollowTheCurve)
{
    Hand f = Circle(4);
    const RelationPixels p = RelationGrid::Solve({{&f, RelationSign::kEqual}}, kView);
    ASSERT_EQ(p.m_paths.size(), 1u); // one closed curve
    const auto& path = p.m_paths[0];
    EXPECT_GT(path.size(), 100u);
    EXPECT_DOUBLE_EQ(path.front().x, path.back().x);
    const double sx = 10.0 / kView.width, sy = 10.0 / kView.height;
    for (const RelationPoint& q : path) {
        const double x = -5 + q.x * sx, y = 5 - q.y * sy;
        EXPECT_NEAR(std::hypot(x, y), 2, 0.01);
    }
    // Only where the circle dips into a pixel and out through the same side
    // (at its top, bottom and sides) does no corner see it: a few dots.
    EXPECT_LE(p.m_dots.size(), 8u);

    // A budget too small leaves pixels undecided, never dropped.
    const RelationPixels cut = RelationGrid::Solve({{&f, RelationSign::kEqual}}, kView, 100);
    EXPECT_TRUE(cut.m_bTruncated);
    EXPECT_NE(cut.At(static_cast<int>(7.0 / 10 * kView.width), kView.height / 2), RelationPixels::kEmpty);
}

} // namespace
