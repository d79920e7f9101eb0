#include "engine/function.h"
#include "engine/messages.h"
#include "tests/engine/formulagenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kBenchmarkFormulas = {
    "2*x+1",
    "(2*x+1)*3",
    "x^2+1",
    "1.1*x^2.01",
    "(((((((7*x+6)*x+5)*x+4)*x+3)*x+2)*x+1)*x+0.1)",
    "7*x^7+6*x^6+5*x^5+4*x^4+3*x^3+2*x^2+1*x^1+0.1",
    "sin(x)",
    "sqrt(x)",
    "(0.1*x+1)*x+1.1-sin(x)-ln(x)/x*3/4",
    "exp(ln(7*x))",
    "-(sin(pi+x)+1)",
    "sin(2*x)+cos(pi/x)",
    "sqrt(1-sin(2*x)+cos(pi/x)/3)",
    "(x^2/sin(2*pi/x))-x/2",
    "x+(cos(x-sin(2/x*pi))-sin(x-cos(2*x/pi)))-x",
};

// The evaluation of the postfix codes exactly as they are defined, one code
// at a time with the test after each: the reference for the faster forms.
// A piece runs the branch its condition chooses: after the condition (54)
// a false one skips to its piece's 55, or for one branch fails at its 44;
// the end of the first branch (55) skips past its 44.
struct Reference
{
    double value;
    const char* error; // nullptr when none
};

// The index of the code that ends the piece opened before `from` (44), or
// its second branch's start (55) when `orElse`; the constants the skipped
// codes would have taken are passed over in `constant`.
std::size_t SkipBranch(const std::vector<int32_t>& program, std::size_t from, bool orElse,
                       std::size_t& constant)
{
    int open = 0;
    for (std::size_t i = from; i < program.size(); ++i) {
        const int32_t code = program[i];
        if (open == 0 && (code == 44 || (orElse && code == 55)))
            return i;
        if (code == 54)
            ++open;
        else if (code == 44)
            --open;
        else if (code == 11)
            ++constant;
    }
    return program.size();
}

Reference RunCodes(const Function& f, double x, bool degrees)
{
    const double pi = 3.141592653589793;
    auto r = [&](double v) { return degrees ? v * pi * 0.005555555555555556 : v; };
    auto d = [&](double w) { return degrees ? (180.0 / pi) * w : w; };
    auto truth = [](bool holds) { return holds ? 1.0 : 0.0; };
    const std::vector<int32_t>& program = f.GetProgram();
    std::vector<double> s;
    std::size_t constant = 0;
    bool chained = false;
    for (std::size_t at = 0; at < program.size(); ++at) {
        const int32_t code = program[at];
        double v = 0;
        auto pop = [&] { double t = s.back(); s.pop_back(); return t; };
        // Comparisons: 1 or 0; in a chain the right operand stays on top.
        auto compare = [&](auto relation) {
            const double b = pop();
            const double a = pop();
            const bool keep = chained;
            chained = false;
            if (keep) {
                s.push_back(truth(relation(a, b)));
                return b;
            }
            return truth(relation(a, b));
        };
        switch (code) {
        case 3: v = -pop(); break;
        case 4: { double b = pop(); v = pop() + b; break; }
        case 5: { double b = pop(); v = pop() - b; break; }
        case 6: { double b = pop(); v = pop() * b; break; }
        case 7: {
            double b = pop();
            if (b == 0)
                return {0, EngineMessage::kDivisionByZero};
            v = pop() / b;
            break;
        }
        case 8: case 25: { double b = pop(); v = std::pow(pop(), b); break; }
        case 9: v = pi; break;
        case 10: v = x; break;
        case 11: v = f.GetConstants()[constant++]; break;
        case 12: v = pop(); break;
        case 13: v = std::sin(r(pop())); break;
        case 14: v = d(std::asin(pop())); break;
        case 15: v = std::sinh(pop()); break;
        case 16: v = std::cos(r(pop())); break;
        case 17: v = std::cosh(pop()); break;
        case 18: v = d(std::acos(pop())); break;
        case 19: v = std::tan(r(pop())); break;
        case 20: v = std::tanh(pop()); break;
        case 21: v = d(std::atan(pop())); break;
        case 22: v = 1 / std::tan(r(pop())); break;
        case 23: v = 1 / std::tanh(pop()); break;
        case 24: v = d(pi * 0.5 - std::atan(pop())); break;
        case 26: {
            const double b = pop();
            const double a = pop();
            const bool odd = std::fabs(std::fmod(b, 2.0)) == 1;
            v = a < 0 && odd ? -std::pow(-a, 1 / b) : std::pow(a, 1 / b);
            break;
        }
        case 27: v = std::exp(pop()); break;
        case 28: { // no base is 0
            double b = pop();
            v = b == 0 ? NAN : std::log(pop()) / std::log(b);
            break;
        }
        case 29: v = std::log10(pop()); break;
        case 30: v = std::log(pop()); break;
        case 31: { double a = pop(); v = a * a; break; }
        case 32: v = std::sqrt(pop()); break;
        case 33: v = std::fabs(pop()); break;
        case 35: v = 2.718281828459045; break;
        case 36: { const double a = pop(); v = a > 0 ? 1 : a < 0 ? -1 : a == 0 ? 0 : NAN; break; }
        case 37: v = std::floor(pop()) + 0.0; break;
        case 38: v = std::ceil(pop()) + 0.0; break;
        case 39: v = std::round(pop()) + 0.0; break;
        case 40: { const double a = pop(); v = a - std::floor(a); break; }
        case 41: { double b = pop(); double a = pop(); v = b < a ? b : a; break; }
        case 42: { double b = pop(); double a = pop(); v = a < b ? b : a; break; }
        case 43: {
            const double b = pop();
            const double a = pop();
            // The floored remainder, exact before its one rounding.
            double m = b == 0 ? NAN : std::fmod(a, b);
            if (m != 0 && (m < 0) != (b < 0))
                m += b;
            v = m + 0.0;
            break;
        }
        case 45: v = compare([](double a, double b) { return a < b; }); break;
        case 46: v = compare([](double a, double b) { return a <= b; }); break;
        case 47: v = compare([](double a, double b) { return a > b; }); break;
        case 48: v = compare([](double a, double b) { return a >= b; }); break;
        case 49: v = compare([](double a, double b) { return a == b; }); break;
        case 50: v = compare([](double a, double b) { return a != b; }); break;
        case 51: { double b = pop(); v = truth(pop() != 0 && b != 0); break; }
        case 52: { double b = pop(); v = truth(pop() != 0 || b != 0); break; }
        case 53: v = truth(pop() == 0); break;
        case 54:
            if (pop() == 0) {
                at = SkipBranch(program, at + 1, true, constant);
                if (program[at] == 44)
                    return {0, EngineMessage::kDomainError};
            }
            continue;
        case 55:
            at = SkipBranch(program, at + 1, false, constant);
            continue;
        case 44:
            continue;
        case 56:
            chained = true;
            continue;
        }
        s.push_back(v);
        if (!std::isfinite(v))
            return {0, EngineMessage::kDomainError};
    }
    return {s.back(), nullptr};
}


std::vector<double> Arguments(std::mt19937& random)
{
    std::vector<double> xs = {0, 1e-5, -1e-5, 2e-5, 1e-320, -0.0, 1, -1, 0.5, 3.141592653589793,
                              90, 1e308, -1e308, 700, 1e-10, 2, -2,
                              std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()};
    std::uniform_real_distribution<double> wide(-10, 10);
    for (int i = 0; i < 600; ++i)
        xs.push_back(wide(random));
    // A running sum, as sampling makes its arguments.
    double x = -5;
    for (int i = 0; i < 300; ++i, x = x + 0.01)
        xs.push_back(x);
    // Arguments that a step of 0.00001 does not carry back to themselves,
    // (x - h) + h != (x + h) - h: rare, and where roundings of x show.
    const double h = 0.00001;
    std::size_t found = 0;
    for (int i = 0; found < 40 && i < 10000000; ++i) {
        const double candidate = wide(random);
        if ((candidate - h) + h != (candidate + h) - h) {
            xs.push_back(candidate);
            ++found;
        }
    }
    EXPECT_EQ(found, 40u);
    return xs;
}

// Adds to *failures how many arguments failed.
void ExpectSeriesEqualsPointByPoint(Function& f, const std::vector<double>& xs, int order,
                                    std::size_t* failures = nullptr)
{
    std::vector<double> values(xs.size());
    std::vector<uint8_t> failed(xs.size());
    f.EvaluateSeries(xs.data(), xs.size(), order, values.data(), failed.data());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const double expected = f.EvaluateDerivative(xs[i], order);
        ASSERT_EQ(failed[i] != 0, f.HasErrors()) << "x = " << xs[i] << " order " << order;
        ASSERT_EQ(std::memcmp(&values[i], &expected, sizeof expected), 0)
            << "x = " << xs[i] << " order " << order << ": " << values[i] << " vs " << expected;
    }
    if (failures)
        *failures += static_cast<std::size_t>(std::count(failed.begin(), failed.end(), 1));
}

TEST(FastPaths, EvaluateMatchesTheCodesValueAndMessage)
{
    std::mt19937 random(1);
    const std::vector<double> xs = Arguments(random);
    FormulaGenerator generator(2);
    Function f;
    f.m_bThrowSyntaxErrors = false;
    std::vector<std::string> formulas = kBenchmarkFormulas;
    for (int i = 0; i < 400; ++i)
        formulas.push_back(generator.Expression(3));
    for (const std::string& formula : formulas) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        ASSERT_TRUE(f.IsCompiled());
        for (bool degrees : {false, true}) {
            f.m_bDegrees = degrees;
            for (std::size_t i = 0; i < xs.size(); i += 7) {
                const Reference expected = RunCodes(f, xs[i], degrees);
                const double value = f.Evaluate(xs[i]);
                ASSERT_EQ(f.HasErrors(), expected.error != nullptr) << "x = " << xs[i];
                if (expected.error)
                    ASSERT_STREQ(f.GetError().first, expected.error) << "x = " << xs[i];
                else
                    ASSERT_EQ(std::memcmp(&value, &expected.value, sizeof value), 0) << "x = " << xs[i];
            }
        }
    }
}

TEST(FastPaths, SeriesEqualsPointByPointOnTheBenchmarkFormulas)
{
    std::mt19937 random(3);
    const std::vector<double> xs = Arguments(random);
    Function f;
    for (const std::string& formula : kBenchmarkFormulas) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        for (bool degrees : {false, true}) {
            f.m_bDegrees = degrees;
            for (int order = 0; order <= 2; ++order)
                ExpectSeriesEqualsPointByPoint(f, xs, order);
        }
    }
}

// The forms students write: signs after operators, e, implied products.
TEST(FastPaths, SeriesEqualsPointByPointOnStudentForms)
{
    std::mt19937 random(7);
    const std::vector<double> xs = Arguments(random);
    Function f;
    for (const char* formula : {"x^-2", "2^-x^2", "2*-x^2", "x/-2", "1/-x", "x^-0.5", "e^x", "2e",
                                "e x+e", "x e^-x", "2(x+1)", "(x+1)(x-1)", "x(x+1)", "pi(x+1)",
                                "sin(x)(x+1)", "(x+1)x", "x sin(x)", "pi x", "1/2(x+1)",
                                "-x(x+1)^-2", "(x-1)(x+1)/-(x-2)x"}) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        for (bool degrees : {false, true}) {
            f.m_bDegrees = degrees;
            for (int order = 0; order <= 2; ++order)
                ExpectSeriesEqualsPointByPoint(f, xs, order);
        }
    }
}

// Pieces and the functions with jumps: branches that fail where they are
// not taken, x read only in a branch, boundaries on the arguments.
TEST(FastPaths, SeriesEqualsPointByPointOnPieces)
{
    std::mt19937 random(8);
    const std::vector<double> xs = Arguments(random);
    Function f;
    for (const char* formula :
         {"je\xBF" "eli(x < 0, x + 1, x^2)", "if(0 <= x <= 2, x^2)", "if(x >= 0, sqrt(x), 1/x)",
          "if(x < 0, -1, if(x = 0, 0, 1))", "if(1 < 2, 5, x)", "if(x < 1, x^2, 2x - 1)",
          "if(x <> 1 i nie x > 2 lub x = 5, ln(x), exp(x))", "2if(x < 0, 1, 2) + x",
          "if(x < 0, if(x < -1, x, 1/x), if(x > 1, sqrt(x - 1), ln(x)))", "if(x < 0, x)",
          "floor(x) + ceil(x) - round(x) + frac(x) + sgn(x)", "mod(x, 0.5) + mod(3, x)",
          "min(x, x^2) * max(x, 1/x)", "root(x, 3) + root(x, -5) + root(x, x)", "log(x)",
          "if(-1e308 < x*1e300 < 1e308, x)", "if(x^2 < 1, x, 1e400)", "floor(1e308*x)"}) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        for (bool degrees : {false, true}) {
            f.m_bDegrees = degrees;
            for (int order = 0; order <= 2; ++order)
                ExpectSeriesEqualsPointByPoint(f, xs, order);
        }
    }
}

// A formula without x does not fail where x is NaN or infinite.
TEST(FastPaths, SeriesOfAFormulaWithoutXIgnoresX)
{
    std::mt19937 random(6);
    const std::vector<double> xs = Arguments(random);
    Function f;
    f.m_bThrowSyntaxErrors = false;
    for (const char* formula :
         {"sin(2)", "pi", "2^0.5*3", "1/0", "ln(0-1)", "7d2+1e400", "e^-2(e+1)"}) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        for (int order = 0; order <= 2; ++order)
            ExpectSeriesEqualsPointByPoint(f, xs, order);
    }
}

// Derivatives of orders 1 to 3 at large, small, failing and infinite values
// and far out on the axis.
TEST(FastPaths, SeriesOfDerivativesFarOutAndLarge)
{
    std::vector<double> xs = {0, 1e-6, -3, 7.5, 85898, 85900, -1e5, 6000, 1e7, -2.5e9, 1e17,
                              -1e300, 709, 710, 800, 1e-300};
    std::mt19937 random(25);
    std::uniform_real_distribution<double> exponent(-8, 18);
    for (int i = 0; i < 200; ++i)
        xs.push_back((i % 2 ? -1 : 1) * std::pow(10.0, exponent(random)));
    Function f;
    f.m_bThrowSyntaxErrors = false;
    for (const char* formula : {"x^2", "x^3", "exp(x)", "1/x", "sqrt(x)", "sin(x)", "x", "ln(x)",
                                "1e200*x", "1/(x-6000)"}) {
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        for (int order = 1; order <= 3; ++order)
            ExpectSeriesEqualsPointByPoint(f, xs, order);
    }
}

TEST(FastPaths, SeriesEqualsPointByPointOnRandomFormulas)
{
    std::mt19937 random(4);
    const std::vector<double> xs = Arguments(random);
    FormulaGenerator generator(5);
    Function f;
    std::size_t failures = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string formula = generator.Expression(3);
        SCOPED_TRACE(formula);
        f.SetFormula(formula);
        f.m_bDegrees = i % 3 == 0;
        ExpectSeriesEqualsPointByPoint(f, xs, i % 3, &failures);
    }
    // Both outcomes are well represented, so both are compared.
    const std::size_t total = 300 * xs.size();
    EXPECT_GT(failures, total / 10);
    EXPECT_LT(failures, total * 9 / 10);
}

TEST(FastPaths, SeriesOfAnUncompiledFormulaFailsEverywhere)
{
    Function f;
    f.m_bThrowSyntaxErrors = false;
    f.SetFormula("sin(");
    const double xs[3] = {1, 2, 3};
    double values[3];
    uint8_t failed[3];
    f.EvaluateSeries(xs, 3, 0, values, failed);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(failed[i]);
        EXPECT_EQ(values[i], 0);
    }
    EXPECT_TRUE(f.HasErrors()); // the syntax error stays recorded
}

} // namespace
