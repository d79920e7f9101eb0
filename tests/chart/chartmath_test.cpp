#include "chart/chartmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ChartMath, AutoSpacing)
{
    EXPECT_EQ(AutoSpacing(-5, 5), 1);
    EXPECT_DOUBLE_EQ(AutoSpacing(0, 10.5), 1.1);
    EXPECT_DOUBLE_EQ(AutoSpacing(0, 0.35), 0.04);
    EXPECT_DOUBLE_EQ(AutoSpacing(0, 7.3), 0.7);
    EXPECT_EQ(AutoSpacing(3, 3), 1);
    EXPECT_EQ(AutoSpacing(3, 2), 1);
    // The smallest positive width still ends (with a spacing that rounds
    // to 0, which the recalculation raises).
    EXPECT_GE(AutoSpacing(0, std::numeric_limits<double>::denorm_min()), 0);
}

TEST(ChartMath, RoundingHelpers)
{
    EXPECT_EQ(RoundHalfUp(2.5), 3);
    EXPECT_EQ(RoundHalfUp(2.49), 2);
    EXPECT_EQ(RaiseTiny(1e-12), 1e-10);
    EXPECT_EQ(RaiseTiny(-1e-12), -1e-10);
    EXPECT_EQ(RaiseTiny(std::nan("")), 1e-10);
    EXPECT_EQ(RaiseTiny(0.5), 0.5);
    EXPECT_EQ(SnapToZero(1.11022e-16), 0);
    EXPECT_EQ(SnapToZero(-0.25), -0.25);
}

TEST(ChartMath, FormatGMatchesPrintf)
{
    for (double v : {0.0, -5.0, 0.1, 1e-5, 123456.0, 1234567.0, 2.5e-10, 1.0 / 3, -1e300}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", v);
        EXPECT_EQ(FormatG(v), expected);
    }
}

} // namespace
