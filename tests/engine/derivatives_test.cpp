#include "engine/function.h"
#include "engine/intervalfunctions.h"
#include "platform/cp1250.h"
#include "tests/engine/formulagenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using Real = long double;
constexpr Real kPiL = 3.141592653589793238462643383279502884L;
constexpr double kFails = std::numeric_limits<double>::infinity();

// Derivatives against their closed forms, computed in long double: orders 1
// to 3 agree to 1e-13 relative (1e-300 absolute near 0) wherever the value
// itself is computed to an ulp; a truth beyond the range of doubles is a
// failure (kFails).
TEST(Derivatives, AgreeWithClosedForms)
{
    struct Row
    {
        const char* name;
        const char* formula;
        bool degrees;
        double x;
        Real d1, d2, d3;
    };
    const Real e50 = std::exp(50.0L), e700 = std::exp(700.0L), em50 = std::exp(-50.0L);
    const Real s6 = std::sin(1e6L), c6 = std::cos(1e6L), s15 = std::sin(1e15L), c15 = std::cos(1e15L);
    auto tanRow = [](double x) {
        const Real t = std::tan(static_cast<Real>(x));
        const Real p = 1 + t * t;
        return std::vector<Real>{p, 2 * t * p, p * (2 + 6 * t * t)};
    };
    const std::vector<Real> t1 = tanRow(1.5707963), t2 = tanRow(-1.57), t3 = tanRow(0.3);
    const Real a = 0.5L, q = std::sqrt(1 - a * a);
    const Real asin1 = 1 / q, asin2 = a / (q * q * q), asin3 = (1 + 2 * a * a) / std::pow(q, 5);
    const Real atan1 = 1 / (1 + a * a), atan2 = -2 * a / std::pow(1 + a * a, 2),
               atan3 = (6 * a * a - 2) / std::pow(1 + a * a, 3);
    const Real degree = kPiL / 180;
    const Real l2 = std::log(2.0L);
    const Real th = std::tanh(2.0L), ch = 1 / th;
    const Row rows[] = {
        {"exp at 50 (was 3.82e22)", "exp(x)", false, 50, e50, e50, e50},
        {"exp at 700", "exp(x)", false, 700, e700, e700, e700},
        {"exp at -50", "exp(x)", false, -50, em50, em50, em50},
        {"exp(2x) at 300", "exp(2x)", false, 300, 2 * std::exp(600.0L), 4 * std::exp(600.0L),
         8 * std::exp(600.0L)},
        {"x^2 at 1e9 (was 0)", "x^2", false, 1e9, 2e9L, 2, 0},
        {"x^3 at 1e9", "x^3", false, 1e9, 3e18L, 6e9L, 6},
        {"x*x*x at -1e9", "x*x*x", false, -1e9, 3e18L, -6e9L, 6},
        {"ln at 1000 (was 0)", "ln(x)", false, 1000, 1e-3L, -1e-6L, 2e-9L},
        {"ln at 1e-300", "ln(x)", false, 1e-300, 1e300L, kFails, kFails},
        {"log10 at 100", "log10(x)", false, 100, 1 / (100 * std::log(10.0L)),
         -1 / (1e4L * std::log(10.0L)), 2 / (1e6L * std::log(10.0L))},
        {"sin at 1e6", "sin(x)", false, 1e6, c6, -s6, -c6},
        {"cos at 1e6", "cos(x)", false, 1e6, -s6, -c6, s6},
        {"sin at 1e15", "sin(x)", false, 1e15, c15, -s15, -c15},
        {"cos at 1e15", "cos(x)", false, 1e15, -s15, -c15, s15},
        {"tan near pi/2", "tan(x)", false, 1.5707963, t1[0], t1[1], t1[2]},
        {"tan near -pi/2", "tan(x)", false, -1.57, t2[0], t2[1], t2[2]},
        {"tg at 0.3", "tg(x)", false, 0.3, t3[0], t3[1], t3[2]},
        {"ctg at 0.3", "ctg(x)", false, 0.3, -1 / std::pow(std::sin(0.3L), 2),
         2 * std::cos(0.3L) / std::pow(std::sin(0.3L), 3),
         -(2 + 4 * std::pow(std::cos(0.3L), 2)) / std::pow(std::sin(0.3L), 4)},
        {"x^2.5 at 3", "x^2.5", false, 3, 2.5L * std::pow(3.0L, 1.5L), 3.75L * std::sqrt(3.0L),
         1.875L / std::sqrt(3.0L)},
        {"pow(2, x) at 10", "pow(2, x)", false, 10, 1024 * l2, 1024 * l2 * l2, 1024 * l2 * l2 * l2},
        {"x^x at 2", "x^x", false, 2, 4 * (std::log(2.0L) + 1),
         4 * (std::pow(std::log(2.0L) + 1, 2) + 0.5L),
         4 * (std::pow(std::log(2.0L) + 1, 3) + 1.5L * (std::log(2.0L) + 1) - 0.25L)},
        {"root(x,3) at 8", "root(x,3)", false, 8, 1.0L / 12, -1.0L / 144, 5.0L / 3456},
        {"sqrt at 4", "sqrt(x)", false, 4, 0.25L, -1.0L / 32, 3.0L / 256},
        {"1/x at -3", "1/x", false, -3, -1.0L / 9, -2.0L / 27, -6.0L / 81},
        {"asin at 0.5", "asin(x)", false, 0.5, asin1, asin2, asin3},
        {"acos at 0.5", "acos(x)", false, 0.5, -asin1, -asin2, -asin3},
        {"atan at 0.5", "atan(x)", false, 0.5, atan1, atan2, atan3},
        {"arcctg at 0.5", "arcctg(x)", false, 0.5, -atan1, -atan2, -atan3},
        {"sinh at 2", "sinh(x)", false, 2, std::cosh(2.0L), std::sinh(2.0L), std::cosh(2.0L)},
        {"cosh at 2", "cosh(x)", false, 2, std::sinh(2.0L), std::cosh(2.0L), std::sinh(2.0L)},
        {"tanh at 2", "tanh(x)", false, 2, 1 - th * th, -2 * th * (1 - th * th),
         (1 - th * th) * (6 * th * th - 2)},
        {"ctgh at 2", "ctgh(x)", false, 2, 1 - ch * ch, -2 * ch * (1 - ch * ch),
         (1 - ch * ch) * (6 * ch * ch - 2)},
        {"abs at -2", "abs(x)", false, -2, -1, 0, 0},
        {"sin in degrees at 30", "sin(x)", true, 30, degree * std::cos(degree * 30),
         -degree * degree * std::sin(degree * 30), -degree * degree * degree * std::cos(degree * 30)},
        {"asin in degrees at 0.5", "asin(x)", true, 0.5, asin1 / degree, asin2 / degree, asin3 / degree},
        {"tan in degrees at 89", "tan(x)", true, 89,
         degree / std::pow(std::cos(degree * 89), 2),
         2 * degree * degree * std::tan(degree * 89) / std::pow(std::cos(degree * 89), 2), NAN},
    };
    Function function;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        function.SetFormula(row.formula);
        function.m_bDegrees = row.degrees;
        const Real truths[] = {row.d1, row.d2, row.d3};
        for (int order = 1; order <= 3; ++order) {
            const Real truth = truths[order - 1];
            if (std::isnan(truth))
                continue;
            const double value = function.EvaluateDerivative(row.x, order);
            if (std::isinf(truth)) {
                EXPECT_TRUE(function.HasErrors()) << "order " << order;
                continue;
            }
            ASSERT_FALSE(function.HasErrors()) << "order " << order;
            const Real error = std::fabs(static_cast<Real>(value) - truth);
            EXPECT_LE(error, std::max(1e-13L * std::fabs(truth), 1e-300L))
                << "order " << order << ": " << value << " vs " << static_cast<double>(truth);
        }
    }
}

// Where a derivative does not exist the point fails as an undefined value
// does; where it exists at a point a difference could not reach, it is there.
TEST(Derivatives, ExistOnlyWhereTheyExist)
{
    const char* const kDomain = "Błąd dziedziny";
    const char* const kDivision = "Dzielenie przez zero";
    struct Row
    {
        const char* formula;
        double x;
        int order;
        const char* message; ///< nullptr: defined, with `value`
        double value;
    } rows[] = {
        {"sqrt(x)", 0, 1, kDomain, 0},
        {"sqrt(x)", 1e-300, 1, nullptr, 5e149},
        {"x^1.5", 0, 1, kDomain, 0},
        {"abs(x)", 0, 1, kDomain, 0},
        {"abs(x)", 0, 0, nullptr, 0},
        {"abs(x^2)", 0, 2, nullptr, 2},
        {"abs(x^3)", 0, 2, nullptr, 0}, // 3x|x| and 6|x| are 0 there
        {"abs(x^3)", 0, 3, kDomain, 0},
        {"x/abs(x)", 0, 1, kDivision, 0},
        {"1/x", 0, 2, kDivision, 0},
        {"x^2", 0, 1, nullptr, 0},
        {"x^2", 0, 2, nullptr, 2},
        {"x^3", 0, 3, nullptr, 6},
        {"asin(x)", 1, 1, kDomain, 0},
        {"ln(x)", 0, 1, kDomain, 0},
        {"5", 3, 4, nullptr, 0},
        {"x", 3, 8, nullptr, 0},
        {"x", 3, 9, kDomain, 0}, // beyond the highest order
    };
    Function function;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " order " + std::to_string(row.order));
        function.SetFormula(row.formula);
        const double value = function.EvaluateDerivative(row.x, row.order);
        if (row.message) {
            ASSERT_TRUE(function.HasErrors());
            EXPECT_EQ(Cp1250::ToUtf8(function.GetError().first), row.message);
        } else {
            ASSERT_FALSE(function.HasErrors());
            EXPECT_NEAR(value, row.value, std::fabs(row.value) * 1e-15);
        }
    }
}

// All orders from one run are the derivatives of each order to the last bit,
// and an order that does not exist ends the defined ones.
TEST(Derivatives, AllOrdersAtOnceMatchEachOrder)
{
    FormulaGenerator generator(11);
    std::mt19937 random(12);
    std::uniform_real_distribution<double> wide(-10, 10);
    std::vector<double> xs = {0, 1, -1, 0.5, 1e-300};
    for (int i = 0; i < 60; ++i)
        xs.push_back(wide(random));
    Function f;
    f.m_bThrowSyntaxErrors = false;
    for (int i = 0; i < 150; ++i) {
        const std::string formula = generator.Expression(3);
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        f.m_bDegrees = i % 4 == 0;
        constexpr int order = 3;
        std::vector<double> all(xs.size() * (order + 1));
        std::vector<uint8_t> defined(xs.size());
        f.EvaluateDerivatives(xs.data(), xs.size(), order, all.data(), defined.data());
        for (std::size_t j = 0; j < xs.size(); ++j) {
            for (int k = 0; k <= order; ++k) {
                const double expected = f.EvaluateDerivative(xs[j], k);
                ASSERT_EQ(k < defined[j], !f.HasErrors()) << "x = " << xs[j] << " order " << k;
                if (k < defined[j]) {
                    ASSERT_EQ(std::memcmp(&all[k * xs.size() + j], &expected, sizeof expected), 0)
                        << "x = " << xs[j] << " order " << k;
                }
            }
        }
    }
}

// The enclosure of an interval holds the value (and the derivative) at every
// argument inside where it is defined; "fails everywhere" is never said of an
// interval with a defined point, and a defined value is never missed when the
// enclosure says nothing may fail.
TEST(Enclosures, HoldTheValuesOnRandomFormulas)
{
    FormulaGenerator generator(21);
    std::mt19937 random(22);
    std::uniform_real_distribution<double> centre(-12, 12);
    std::uniform_real_distribution<double> unit(0, 1);
    Function f;
    f.m_bThrowSyntaxErrors = false;
    std::size_t checked = 0;
    for (int i = 0; i < 400; ++i) {
        const std::string formula = generator.Expression(3);
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        if (!f.IsCompiled())
            continue;
        f.m_bDegrees = i % 5 == 0;
        for (int box = 0; box < 8; ++box) {
            const double c = centre(random);
            const double width = std::pow(10.0, -12 + 13 * unit(random));
            const Interval x{c, c + width};
            Interval enclosure[2];
            uint8_t flags[2];
            f.Enclose(&x, 1, 1, enclosure, flags);
            for (int k = 0; k <= 16; ++k) {
                const double at = k == 16 ? x.hi : x.lo + (x.hi - x.lo) * (k / 16.0);
                const double value = f.EvaluateDerivative(at, 0);
                if (f.HasErrors()) {
                    EXPECT_TRUE(flags[0] & Enclosure::kMayFail) << "at " << at;
                    continue;
                }
                EXPECT_FALSE(flags[0] & Enclosure::kMustFail) << "at " << at;
                EXPECT_TRUE(enclosure[0].Contains(value))
                    << "at " << at << ": " << value << " not in [" << enclosure[0].lo << ", "
                    << enclosure[0].hi << "]";
                const double slope = f.EvaluateDerivative(at, 1);
                if (!f.HasErrors() && !(flags[1] & Enclosure::kMayJump)) {
                    EXPECT_TRUE(enclosure[1].Contains(slope))
                        << "at " << at << ": f' = " << slope << " not in [" << enclosure[1].lo
                        << ", " << enclosure[1].hi << "]";
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 5000u);
}

// Scaled enclosures hold s^k f^(k) at every argument inside, as the plain
// ones hold f^(k).
TEST(Enclosures, ScaledHoldTheScaledDerivatives)
{
    FormulaGenerator generator(31);
    std::mt19937 random(32);
    std::uniform_real_distribution<double> centre(-12, 12);
    std::uniform_real_distribution<double> unit(0, 1);
    Function f;
    f.m_bThrowSyntaxErrors = false;
    constexpr int order = 4;
    std::size_t checked = 0;
    for (int i = 0; i < 200; ++i) {
        const std::string formula = generator.Expression(3);
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        if (!f.IsCompiled())
            continue;
        for (int box = 0; box < 4; ++box) {
            const double c = centre(random);
            const double width = std::pow(10.0, -9 + 9 * unit(random));
            const Interval x{c, c + width};
            Interval enclosure[order + 1];
            uint8_t flags[order + 1];
            f.EncloseScaled(&x, &width, 1, order, enclosure, flags);
            for (int j = 0; j <= 8; ++j) {
                const double at = j == 8 ? x.hi : x.lo + (x.hi - x.lo) * (j / 8.0);
                for (int k = 0; k <= order; ++k) {
                    const double d = f.EvaluateDerivative(at, k);
                    if (f.HasErrors() || (flags[k] & (Enclosure::kMayFail | Enclosure::kMayJump)))
                        break;
                    // The product rounded as the enclosure's bounds are not:
                    // a few units of slack.
                    const double scaled = d * std::pow(width, k);
                    const double slack = 4 * std::numeric_limits<double>::epsilon() * std::fabs(scaled);
                    EXPECT_TRUE(enclosure[k].lo <= scaled + slack && scaled - slack <= enclosure[k].hi)
                        << "order " << k << " at " << at << ": " << scaled << " not in ["
                        << enclosure[k].lo << ", " << enclosure[k].hi << "]";
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 2000u);
}

// Beside 0 the derivatives of a power overflow on their own where, scaled
// by the width, they are moderate (the area of x^-0.95 from 0 needs them).
TEST(Enclosures, ScaledPowersNearZeroStayFinite)
{
    for (const char* formula : {"x^-0.95", "x^0.5", "1/x", "ln(x)", "sqrt(x)/x"}) {
        SCOPED_TRACE(formula);
        Function f;
        f.SetFormula(formula);
        for (double lo : {1e-300, 1e-200, 1e-30}) {
            const Interval x{lo, 2 * lo};
            const double width = lo;
            Interval scaled[9];
            uint8_t flags[9];
            f.EncloseScaled(&x, &width, 1, 8, scaled, flags);
            for (int k = 0; k <= 8; ++k) {
                EXPECT_EQ(flags[k], 0) << "order " << k << " from " << lo;
                EXPECT_TRUE(scaled[k].IsFinite()) << "order " << k << " from " << lo;
                // Within a factor of the value's size: (p)_k (w / x)^k x^p.
                EXPECT_LE(std::max(std::fabs(scaled[k].lo), std::fabs(scaled[k].hi)),
                          1e6 * std::max(std::fabs(scaled[0].lo), std::fabs(scaled[0].hi)) + 1e6);
            }
        }
    }
}

TEST(Enclosures, PeriodsPolesAndDomains)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Row
    {
        const char* name;
        const char* formula;
        Interval x;
        double lo, hi;  ///< the enclosure must lie within [lo, hi] and hold `inside`
        double inside;
        uint8_t flags;
    } rows[] = {
        {"sin over a wide interval", "sin(x)", {0, 1e300}, -1, 1, 0.5, 0},
        {"sin over a period", "sin(x)", {0, 7}, -1, 1, -1, 0},
        {"sin near its maximum", "sin(x)", {1.5, 1.6}, 0.997, 1, 1, 0},
        {"cos away from extrema", "cos(x)", {0.1, 0.2}, 0.98, 0.996, 0.99, 0},
        {"sin in degrees", "sin(x)", {80, 100}, 0.98, 1, 1, 0},
        {"tan across its pole", "tan(x)", {1.5, 1.6}, -kInf, kInf, 1e10, Enclosure::kMayFail},
        {"tan between poles", "tan(x)", {-1, 1}, -1.5575, 1.5575, 0, 0},
        {"1/x across 0", "1/x", {-1, 1}, -kInf, kInf, 5, Enclosure::kMayFail},
        {"1/x from 0", "1/x", {0, 2}, 0.5 - 1e-15, kInf, 1e6, Enclosure::kMayFail},
        {"sqrt partly outside", "sqrt(x)", {-1, 4}, 0, 2 + 1e-15, 1, Enclosure::kMayFail},
        {"sqrt wholly outside", "sqrt(x)", {-3, -1}, NAN, NAN, NAN,
         Enclosure::kMayFail | Enclosure::kMustFail},
        {"ln at 0", "ln(x)", {0, 1}, -kInf, 1e-15, -5, Enclosure::kMayFail},
        {"exp overflowing", "exp(x)", {700, 800}, 1e304, kInf, 1e305, Enclosure::kMayFail},
        {"exp overflowing everywhere", "exp(x)", {710, 800}, NAN, NAN, NAN,
         Enclosure::kMayFail | Enclosure::kMustFail | Enclosure::kOverflow},
        {"x^2 around 0", "x^2", {-1, 2}, 0, 4 + 1e-14, 0, 0},
        {"x^-2 around 0", "x^-2", {-1, 2}, 0.25 - 1e-15, kInf, 1, Enclosure::kMayFail},
        {"(-8)^x", "(-8)^x", {1, 2}, -64 - 1e-12, 64 + 1e-12, -8, Enclosure::kMayFail},
        {"a point", "x-1", {1, 1}, -1e-300, 1e-300, 0, 0},
        // Regression: an overflowed factor times 0 is 0 for the bounds but
        // NaN for the doubles; the overflow is recorded before it vanishes.
        {"an overflow times 0", "x*x*0", {1e300, 2e300}, NAN, NAN, NAN,
         Enclosure::kMayFail | Enclosure::kMustFail},
        {"an overflow times a difference", "x*x*(x-x)", {1e300, 2e300}, NAN, NAN, NAN,
         Enclosure::kMayFail | Enclosure::kMustFail},
        {"an overflow possible, times 0", "x*x*0", {1e100, 1e200}, -1e-300, 1e-300, 0,
         Enclosure::kMayFail},
    };
    Function f;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        f.SetFormula(row.formula);
        f.m_bDegrees = std::string(row.name).find("degrees") != std::string::npos;
        uint8_t flags = 0;
        const Interval r = f.Enclose(row.x, flags);
        EXPECT_EQ(flags, row.flags);
        if (std::isnan(row.lo)) {
            EXPECT_TRUE(r.IsEmpty());
            continue;
        }
        EXPECT_GE(r.lo, row.lo);
        EXPECT_LE(r.hi, row.hi);
        EXPECT_TRUE(r.Contains(row.inside)) << "[" << r.lo << ", " << r.hi << "]";
    }
}

} // namespace
