#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const char kDomain[] = "Błąd dziedziny";
const char kDivision[] = "Dzielenie przez zero";
const double kPi = 3.141592653589793;

struct ValueRow
{
    const char* formula; // UTF-8
    double x;
    double expected;
    bool degrees = false;
};

struct ErrorRow
{
    const char* formula;
    double x;
    const char* message;
    int order = 0;
};

TEST(Evaluation, Values)
{
    const std::vector<ValueRow> rows = {
        {"-x^2", 3, -9},
        {"2^3^2", 0, 64},
        {"-2^2", 0, -4},
        {"-x+1", 2, -1},
        {"8-2-1", 0, 5},
        {"8/2/2", 0, 2},
        {"(-2)^3", 0, -8},
        {"0^0", 0, 1},
        {"sqr(-3)", 0, 9},
        {"potęga(2,10)", 0, 1024},
        {"pierwiastek(16,2)", 0, 4},
        {"arcctg(0)", 0, kPi / 2},
        {"acot(1)", 0, kPi / 4},
        {"x/0.0000001", 1, 1e7},
        {"abs(-x)", 2, 2},
        {"2x+1", 3, 7},
        {"pi", 0, kPi},
        {"sin(30)", 0, 0.5, true},
        {"asin(1)", 0, 90, true},
        {"arcctg(0)", 0, 90, true},
        {"atan(1)", 0, 45, true},
        {"acos(0)", 0, 90, true},
        {"cos(60)", 0, 0.5, true},
        {"ctg(45)", 0, 1, true},
    };
    Function function;
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(row.formula);
        function.m_bDegrees = row.degrees;
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        EXPECT_NEAR(function.Evaluate(row.x), row.expected, 1e-12 * std::max(1.0, std::abs(row.expected)));
        EXPECT_FALSE(function.HasErrors());
    }
}

TEST(Evaluation, ValuesUpToRounding)
{
    Function function;
    auto at = [&](const char* formula) { return function.SetFormula(formula).Evaluate(0); };
    EXPECT_NEAR(at("log(8,2)"), 3, 1e-15);
    EXPECT_NEAR(at("logarytm(100,10)"), 2, 1e-15);
    EXPECT_NEAR(at("root(27,3)"), 3, 1e-15);
    EXPECT_NEAR(at("tan(pi/2)"), 1.633123935319537e16, 1e3);

    // Hyperbolic functions ignore the angle unit.
    const double radians = at("sinh(1)");
    function.m_bDegrees = true;
    EXPECT_EQ(at("sinh(1)"), radians);
    EXPECT_GT(at("tan(90)"), 1e15); // large but finite: no error
    EXPECT_FALSE(function.HasErrors());
}

TEST(Evaluation, ErrorsAreRecordedWithoutPosition)
{
    const std::vector<ErrorRow> rows = {
        {"1/x", 0, kDivision},
        {"1/(x-x)", 7, kDivision},
        {"1/(-0)", 0, kDivision}, // negative zero is zero too
        {"sqrt(-1)", 0, kDomain},
        {"ln(-1)", 0, kDomain},
        {"ln(0)", 0, kDomain},
        {"log10(0)", 0, kDomain},
        {"asin(2)", 0, kDomain},
        {"acos(-1.5)", 0, kDomain},
        {"pow(-8, 1/3)", 0, kDomain},
        {"root(-8, 3)", 0, kDomain},
        {"0^(-1)", 0, kDomain},
        {"log(x, 1)", 5, kDomain},
        {"ctg(0)", 0, kDomain},
        {"ctgh(0)", 0, kDomain},
        {"exp(1000)", 0, kDomain},
        {"sinh(1000)", 0, kDomain},
        {"10^400", 0, kDomain},
        {"1e400", 0, kDomain},
        {"x*0+1e400*0", 0, kDomain},
        {"sqrt(x)", 0, kDomain, 1},
        {"sqrt(x)", 0.000005, kDomain, 1},
        {"1/x", 0.00001, kDivision, 1},
    };
    Function function;
    for (const ErrorRow& row : rows) {
        SCOPED_TRACE(row.formula);
        function.SetFormula(row.formula);
        ASSERT_TRUE(function.IsCompiled());
        EXPECT_EQ(function.EvaluateDerivative(row.x, row.order), 0);
        ASSERT_TRUE(function.HasErrors());
        EXPECT_EQ(Cp1250::ToUtf8(function.GetError().first), row.message);
        EXPECT_EQ(function.GetError().second, -1);
    }
}

TEST(Evaluation, ThrownErrors)
{
    Function fresh;
    fresh.m_bThrowEvalErrors = true;
    try {
        fresh.Evaluate(0);
        FAIL() << "no exception";
    } catch (const FunctionException& e) {
        EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), "Brak definicji funkcji");
        EXPECT_EQ(e.m_nPosition, -1);
    }

    Function function;
    function.m_bThrowEvalErrors = true;
    function.SetFormula("1/x");
    try {
        function.EvaluateDerivative(0.00001, 1);
        FAIL() << "no exception";
    } catch (const FunctionException& e) {
        EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), kDivision);
        EXPECT_EQ(e.m_nPosition, -1);
    }
}

TEST(Evaluation, UncompiledObjectWithoutThrowingReturnsZero)
{
    Function function;
    EXPECT_EQ(function.Evaluate(1), 0);
    ASSERT_TRUE(function.HasErrors());
    EXPECT_EQ(Cp1250::ToUtf8(function.GetError().first), "Brak definicji funkcji");
}

TEST(Evaluation, RecoversAfterAnError)
{
    Function function;
    function.SetFormula("sqrt(x)");
    function.Evaluate(-1);
    EXPECT_TRUE(function.HasErrors());
    EXPECT_EQ(function.Evaluate(4), 2);
    EXPECT_FALSE(function.HasErrors());
}

TEST(Evaluation, ObjectsShareTheStackWithoutInterference)
{
    Function deep;
    Function flat;
    deep.SetFormula("x*(x+(x*(x+(x*(x+1)))))");
    flat.SetFormula("x+1");
    const double expected = 2 * (2 + (2 * (2 + (2 * (2 + 1)))));
    for (double x = 0; x < 5; ++x) {
        EXPECT_EQ(flat.Evaluate(x), x + 1);
        EXPECT_EQ(deep.Evaluate(2), expected);
    }
}

TEST(Derivative, CentralDifferences)
{
    Function function;
    function.SetFormula("x^2");
    EXPECT_EQ(function.EvaluateDerivative(3, 0), 9);
    EXPECT_EQ(function.EvaluateDerivative(3, -4), 9);
    EXPECT_NEAR(function.EvaluateDerivative(3, 1), 6, 1e-6);
    EXPECT_NEAR(function.EvaluateDerivative(3, 2), 2, 1e-3);

    // The exact formula, in the stated order of the evaluation points: with
    // |f(x)| <= 1 the plain step and factor, above 1 the second derivative's
    // step grows with the fourth root of f(x).
    const double k = Function::kFactor;
    EXPECT_EQ(k, 1 / (2 * Function::kStep));
    function.SetFormula("sin(x)*x^3");
    auto f = [](double x) { return std::sin(x) * std::pow(x, 3); };
    for (const double x : {0.9, 1.3}) {
        SCOPED_TRACE(x);
        const double h = Function::kStep;
        EXPECT_EQ(function.EvaluateDerivative(x, 1), (f(x + h) - f(x - h)) * k);
        const double h2 = std::max(1.0, f(x)) == 1.0 ? h : h * std::sqrt(std::sqrt(f(x)));
        const double k2 = 1 / (2 * h2);
        const double d1left = (f((x - h2) + h2) - f((x - h2) - h2)) * k2;
        const double d1right = (f((x + h2) + h2) - f((x + h2) - h2)) * k2;
        EXPECT_EQ(function.EvaluateDerivative(x, 2), (d1right - d1left) * k2);
    }

    function.SetFormula("abs(x)");
    EXPECT_EQ(function.EvaluateDerivative(0, 1), 0);
    function.SetFormula("x/abs(x)");
    EXPECT_NEAR(function.EvaluateDerivative(0, 1), 2 * k, 1e-6);

    function.m_bDegrees = true;
    function.SetFormula("sin(x)");
    EXPECT_NEAR(function.EvaluateDerivative(0, 1), kPi / 180, 1e-9);
}

// The step follows the function: large values and arguments far out on the
// axis keep the differences above rounding.
TEST(Derivative, StepFollowsTheFunction)
{
    struct Row
    {
        const char* name;
        const char* formula;
        double x;
        int order;
        double expected;
        double tolerance;
    } rows[] = {
        {"second derivative of x^2 at 6000 (was 0)", "x^2", 6000, 2, 2, 3e-3},
        {"second derivative of x^2 at 1000 (was 1.16)", "x^2", 1000, 2, 2, 1e-4},
        {"second derivative of x^3 at 6000 (was 0)", "x^3", 6000, 2, 36000, 0.1},
        {"second derivative of exp(x) at 20", "exp(x)", 20, 2, std::exp(20.0), std::exp(20.0) * 1e-6},
        {"first derivative of x far out (x - h was x)", "x", 1e17, 1, 1, 1e-6},
        {"first derivative of x^2 at 1e7", "x^2", 1e7, 1, 2e7, 5},
        {"second derivative of sin(x) far out", "sin(x)", 1e6, 2, -std::sin(1e6), 1e-3},
    };
    Function function;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        function.SetFormula(row.formula);
        EXPECT_NEAR(function.EvaluateDerivative(row.x, row.order), row.expected, row.tolerance);
        EXPECT_FALSE(function.HasErrors());
    }
}

TEST(Derivative, StepRule)
{
    struct Row
    {
        const char* name;
        const char* formula;
        double x;
        int order;
        double step;
    } rows[] = {
        {"first derivative near 0", "x^9", 3, 1, Function::kStep},
        {"second derivative of a value at most 1", "sin(x)", 50000, 2, Function::kStep},
        {"just inside |x| < 85899", "1", 85898, 1, Function::kStep},
        {"far out", "1", 1e9, 1, 1e9 * 0x1p-33},
        {"value 16 doubles the step", "16", 0, 2, 2 * Function::kStep},
        {"value 81 of order 3", "81", 0, 3, Function::kStep * 3},
        {"failing value keeps the plain step", "1/x", 0, 2, Function::kStep},
        {"infinite value keeps the plain step", "exp(x)", 800, 2, Function::kStep},
    };
    Function function;
    function.m_bThrowEvalErrors = true; // the step's own evaluation never throws
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        function.SetFormula(row.formula);
        EXPECT_EQ(function.DerivativeStep(row.x, row.order), row.step);
        EXPECT_FALSE(function.HasErrors());
    }
    // A point of the difference that fails still fails the derivative.
    function.m_bThrowEvalErrors = false;
    function.SetFormula("sqrt(x)");
    EXPECT_EQ(function.EvaluateDerivative(0, 2), 0);
    EXPECT_TRUE(function.HasErrors());
}

} // namespace
