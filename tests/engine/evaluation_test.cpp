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
        {"root(-8, 2)", 0, kDomain}, // an odd degree has a root of a negative number now
        {"root(-8, 3.5)", 0, kDomain},
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
        {"sqrt(x)^3", 0, kDomain, 1}, // a power of sqrt has no derivative at 0 either
        {"1/x", 0, kDivision, 1},
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
        function.EvaluateDerivative(0, 1);
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

} // namespace
