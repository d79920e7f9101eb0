#include "engine/function.h"
#include "engine/wholepower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The arguments where the shortcut could go wrong: exact powers, powers that
// are halfway between two doubles, powers of two, the edges of the range the
// shortcut takes, and the special values, besides ordinary numbers of every
// magnitude and sign.
std::vector<double> Arguments()
{
    std::vector<double> xs = {0, -0.0, 1, -1, 2, 3, -3, 0.5, 0.1, 1e-320, 1e308, -1e308,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN(), 0x1p-30, 0x1p30,
                              std::nextafter(0x1p-30, 0.0), std::nextafter(0x1p30, 1e9),
                              std::nextafter(0x1p-30, 1.0), std::nextafter(0x1p30, 0.0)};
    // (1 + a 2^-26)^2 with a odd and the square at least 2 lies exactly
    // halfway between two doubles; so do many cubes of such numbers.
    for (uint64_t a = 27797401; a < 27797401 + 2000; a += 2)
        xs.push_back(1 + static_cast<double>(a) * 0x1p-26);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> ordinary(0.5, 5.5);
    std::uniform_real_distribution<double> exponent(-40, 40);
    for (int i = 0; i < 20000; ++i) {
        xs.push_back(ordinary(random));
        const double wide = std::exp2(exponent(random));
        xs.push_back(i % 2 ? wide : -wide);
    }
    return xs;
}

TEST(WholePowers, EqualTheLibraryPowToTheLastBit)
{
    const std::vector<double> xs = Arguments();
    for (int n = 1; n <= WholePower::kMaxExponent; ++n) {
        for (double x : xs) {
            const double expected = std::pow(x, n);
            ASSERT_TRUE(SameBits(WholePower::Power(x, n), expected)) << x << "^" << n;
            ASSERT_TRUE(SameBits(WholePower::Pow(x, n), expected)) << x << "^" << n;
        }
    }
}

TEST(WholePowers, OnlyExponentsOneToSixteenAreWhole)
{
    for (double c : {1.0, 2.0, 16.0})
        EXPECT_TRUE(WholePower::IsWholeExponent(c)) << c;
    for (double c : {0.0, -1.0, -2.0, 2.5, 17.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
        EXPECT_FALSE(WholePower::IsWholeExponent(c)) << c;
    // Other exponents are the library's.
    EXPECT_TRUE(SameBits(WholePower::Pow(3.7, 2.5), std::pow(3.7, 2.5)));
    EXPECT_TRUE(SameBits(WholePower::Pow(-3.7, 17), std::pow(-3.7, 17)));
}

// Sampling takes whole powers of x and of computed values a block at a time.
TEST(WholePowers, SamplingGivesTheLibraryPowers)
{
    const std::vector<double> xs = Arguments();
    std::vector<double> values(xs.size());
    std::vector<uint8_t> failed(xs.size());
    Function f;
    for (int n : {1, 2, 3, 7, 16}) {
        for (const std::string form : {"x^", "(x+0)^", "pow(x,"}) {
            const std::string formula = form + std::to_string(n) + (form[0] == 'p' ? ")" : "");
            SCOPED_TRACE(formula);
            f.SetFormula(formula);
            f.EvaluateSeries(xs.data(), xs.size(), 0, values.data(), failed.data());
            for (std::size_t i = 0; i < xs.size(); ++i) {
                const double base = form[0] == '(' ? xs[i] + 0 : xs[i];
                const double expected = std::pow(base, n);
                ASSERT_EQ(failed[i] != 0, !std::isfinite(expected) || !std::isfinite(xs[i]))
                    << xs[i];
                if (!failed[i]) {
                    ASSERT_TRUE(SameBits(values[i], expected)) << xs[i];
                }
            }
        }
    }
}

} // namespace
