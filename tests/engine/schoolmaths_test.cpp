// The formula language of school maths: odd roots of negative numbers, log x,
// sign and integer parts, min, max, remainders, and functions defined
// piecewise with conditions. Values to the last bit, derivatives at and away
// from jumps, enclosures over intervals that hold a jump, and the syntax
// errors of malformed conditions with their positions.
#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

const char kDomain[] = "Błąd dziedziny";
const char kArguments[] = "Nieprawidłowa liczba argumentów";
const char kOperand[] = "Brak liczby, zmiennej lub funkcji";
const char kOperator[] = "Oczekiwany operator lub koniec wyrażenia";
const char kOpening[] = "Brak nawiasu otwierającego";
const char kUnknown[] = "Nieznany symbol";
const char kDecimalComma[] = "Ułamki dziesiętne pisz z kropką: 0.5 zamiast 0,5";
const char kComparison[] = "Porównanie może stać tylko w warunku funkcji jeżeli";
const char kCondition[] = "Oczekiwane porównanie: <, <=, >, >=, = lub <>";

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct ValueRow
{
    const char* formula; // UTF-8
    double x;
    double value;          ///< to the last bit (so +0 is not -0)
    const char* message;   ///< instead of a value
};

// Each function at its special points: jumps, halves, negative zero, huge
// and tiny arguments.
TEST(SchoolMaths, FunctionValuesAtSpecialPoints)
{
    const double tiny = 1e-320;
    const std::vector<ValueRow> rows = {
        {"sgn(x)", -2.5, -1, nullptr},
        {"sgn(x)", 0, 0, nullptr},
        {"sgn(x)", -0.0, 0, nullptr}, // +0: no sign of nothing
        {"znak(x)", tiny, 1, nullptr},
        {"znak(x)", -tiny, -1, nullptr},
        {"sgn(x)", 1e308, 1, nullptr},
        {"floor(x)", -0.5, -1, nullptr},
        {"floor(x)", -0.0, 0, nullptr},
        {"floor(x)", 2.5, 2, nullptr},
        {"floor(x)", -2, -2, nullptr},
        {"podłoga(x)", 0.9999999999999999, 0, nullptr},
        {"podłoga(x)", -tiny, -1, nullptr},
        {"floor(x)", 1e300, 1e300, nullptr},
        {"ceil(x)", -0.5, 0, nullptr}, // +0, not -0
        {"ceil(x)", 0.5, 1, nullptr},
        {"sufit(x)", tiny, 1, nullptr},
        {"ceil(x)", 2, 2, nullptr},
        {"round(x)", 0.5, 1, nullptr}, // halves away from zero
        {"round(x)", -0.5, -1, nullptr},
        {"zaokr(x)", 2.5, 3, nullptr},
        {"zaokr(x)", -2.5, -3, nullptr},
        {"round(x)", 0.49999999999999994, 0, nullptr},
        {"round(x)", -0.4, 0, nullptr},
        {"round(x)", 1e300, 1e300, nullptr},
        {"frac(x)", 2.75, 0.75, nullptr},
        {"frac(x)", -0.25, 0.75, nullptr},
        {"frac(x)", -0.0, 0, nullptr},
        {"mantysa(x)", 3, 0, nullptr},
        {"frac(x)", -tiny, 1, nullptr}, // 1 - 1e-320 rounds to 1
        {"frac(x)", 1e300, 0, nullptr},
        {"mod(x, 3)", 7, 1, nullptr},
        {"mod(x, 3)", -1, 2, nullptr}, // the sign of the divisor
        {"mod(x, 3)", -3, 0, nullptr}, // +0
        {"mod(x, 3)", 5.5, 2.5, nullptr},
        {"mod(x, -3)", 1, -2, nullptr},
        {"mod(x, 0.5)", 1.25, 0.25, nullptr},
        {"mod(5.5, x)", 2, 1.5, nullptr},
        {"mod(x, 0)", 1, 0, kDomain},
        {"min(x, 1)", 0.5, 0.5, nullptr},
        {"min(x, 1)", 2, 1, nullptr},
        {"max(x, 1)", 2, 2, nullptr},
        {"max(x, -x)", -3, 3, nullptr},
        {"root(x, 3)", -8, -2, nullptr},
        {"root(x, 3)", -27, -3, nullptr},
        {"pierwiastek(x, 5)", -32, -2, nullptr},
        {"root(x, -3)", -8, -0.5, nullptr},
        {"root(-8, x)", 0.5, 64, nullptr}, // 1/0.5 is whole: a power, as before
        {"root(x, 2)", -8, 0, kDomain},
        {"root(x, 4)", -16, 0, kDomain},
        {"root(x, 3.5)", -8, 0, kDomain},
        {"log(x)", 1000, 3, nullptr},
        {"logarytm(x)", 100, 2, nullptr},
        {"log(x)", -1, 0, kDomain},
        {"log(x, 0)", 5, 0, kDomain}, // was 0 for every x: no logarithm has base 0
        {"log(x, 1)", 5, 0, kDomain},
        {"floor(1e400)", 0, 0, kDomain},
    };
    Function function;
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " at " + std::to_string(row.x));
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        const double value = function.Evaluate(row.x);
        if (row.message) {
            ASSERT_TRUE(function.HasErrors());
            EXPECT_EQ(Cp1250::ToUtf8(function.GetError().first), row.message);
            continue;
        }
        ASSERT_FALSE(function.HasErrors());
        EXPECT_TRUE(SameBits(value, row.value)) << value << " vs " << row.value;
    }
}

// root(x, n) of an odd n is odd: -root(-x, n), to the last bit; log(x) is
// log10(x), program and value.
TEST(SchoolMaths, OddRootsAndDecimalLogarithmToTheBit)
{
    Function root;
    Function log;
    Function log10;
    log.SetFormula("log(x)");
    log10.SetFormula("log10(x)");
    EXPECT_EQ(log.GetProgram(), log10.GetProgram());
    for (double n : {3.0, 5.0, 7.0, -3.0, 1.0}) {
        root.SetFormula("root(x, " + std::to_string(n) + ")");
        for (double x : {8.0, 0.001, 2.0, 1e300, 1e-300, 1e-320, 12345.678}) {
            const double positive = root.Evaluate(x);
            const double negative = root.Evaluate(-x);
            ASSERT_FALSE(root.HasErrors()) << n << " " << x;
            EXPECT_TRUE(SameBits(negative, -positive)) << n << " " << x;
        }
    }
    for (double x : {1000.0, 1e-3, 2.0, 1e308, 5e-324}) {
        const double a = log.Evaluate(x);
        const double b = log10.Evaluate(x);
        EXPECT_TRUE(SameBits(a, b)) << x;
    }
}

struct DerivativeRow
{
    const char* formula;
    double x;
    int order;
    double value;
    bool fails;
};

// 0 away from the jumps, none at them; at a piece boundary a derivative
// exists up to the order where the pieces still agree.
TEST(SchoolMaths, DerivativesAtAndAwayFromJumps)
{
    const std::vector<DerivativeRow> rows = {
        {"floor(x)", 0.5, 1, 0, false},
        {"floor(x)", 1, 1, 0, true},
        {"floor(x)", 1, 0, 1, false},
        {"ceil(x)", 0.5, 2, 0, false},
        {"round(x)", 0.4, 1, 0, false},
        {"round(x)", 0.5, 1, 0, true},
        {"sgn(x)", 3, 1, 0, false},
        {"sgn(x)", 0, 1, 0, true},
        {"sgn(x^2)", 0, 1, 0, true}, // 0 there, 1 around
        {"frac(x)", 0.5, 1, 1, false},
        {"frac(3x)", 0.1, 1, 3, false},
        {"frac(x)", 2, 1, 0, true},
        {"mod(x, 3)", 1, 1, 1, false},
        {"mod(2x, 3)", 1, 1, 2, false},
        {"mod(x^2, 2)", 1.5, 2, 2, false},
        {"mod(x, 3)", 3, 1, 0, true},
        {"min(x, x^2)", 0.5, 1, 1, false},
        {"min(x, x^2)", 2, 1, 1, false},
        {"min(x, x^2)", 1, 1, 0, true}, // a kink
        {"max(x, -x)", 0, 0, 0, false},
        {"max(x, -x)", 0, 1, 0, true},
        {"jeżeli(x < 0, x + 1, x^2)", -1, 1, 1, false},
        {"jeżeli(x < 0, x + 1, x^2)", 1, 1, 2, false},
        {"jeżeli(x < 0, x + 1, x^2)", 0, 0, 0, false},
        {"jeżeli(x < 0, x + 1, x^2)", 0, 1, 0, true}, // a jump
        {"jeżeli(x < 0, -x, x)", 0, 1, 0, true},      // a kink
        {"jeżeli(x < 1, x^2, 2x - 1)", 1, 1, 2, false}, // the pieces touch
        {"jeżeli(x < 1, x^2, 2x - 1)", 1, 2, 0, true},
        {"jeżeli(x < 0, sin(x), sin(x))", 0, 3, -1, false},
        {"jeżeli(0 <= x <= 2, x^2)", 1, 1, 2, false},
        {"jeżeli(0 <= x <= 2, x^2)", 0, 1, 0, true}, // the end of the domain
        {"jeżeli(0 <= x <= 2, x^2)", 3, 0, 0, true},
        {"root(x, 3)", -8, 1, 1.0 / 12, false},
        {"root(x, 3)", -8, 2, 1.0 / 144, false},
        {"root(x, 3)", 0, 1, 0, true},
    };
    Function function;
    for (const DerivativeRow& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " at " + std::to_string(row.x) + " order " +
                     std::to_string(row.order));
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        const double value = function.EvaluateDerivative(row.x, row.order);
        ASSERT_EQ(function.HasErrors(), row.fails);
        if (row.fails) {
            EXPECT_EQ(Cp1250::ToUtf8(function.GetError().first), kDomain);
            continue;
        }
        EXPECT_NEAR(value, row.value, std::fabs(row.value) * 1e-15);
    }
}

struct ProgramRow
{
    const char* formula;
    std::vector<int32_t> program;
    std::vector<double> xs;
    std::vector<double> values; ///< NaN: fails
};

TEST(Pieces, ProgramsAndValues)
{
    const double fails = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ProgramRow> rows = {
        {"jeżeli(x < 0, x + 1, x^2)", {10, 11, 45, 54, 10, 11, 4, 55, 10, 11, 8, 44, 12},
         {-1, 0, 1}, {0, 0, 1}},
        {"if(x < 0, x + 1, x^2)", {10, 11, 45, 54, 10, 11, 4, 55, 10, 11, 8, 44, 12},
         {-1, 0, 1}, {0, 0, 1}},
        {"jeżeli(0 <= x <= 2, x^2)", {11, 10, 56, 46, 11, 46, 51, 54, 10, 11, 8, 44, 12},
         {-1, 0, 2, 2.5}, {fails, 0, 4, fails}},
        {"jeżeli(x <> 1 i nie x > 2 lub x = 5, 1, 0)",
         {10, 11, 50, 10, 11, 47, 53, 51, 10, 11, 49, 52, 54, 11, 55, 11, 44, 12},
         {0, 1, 3, 5}, {1, 0, 0, 1}},
        // The branch not taken may fail: 1/x at 0, sqrt of a negative.
        {"jeżeli(x >= 0, sqrt(x), 1/x)", {10, 11, 48, 54, 10, 32, 55, 11, 10, 7, 44, 12},
         {0, -2, 4}, {0, -0.5, 2}},
        // Pieces nest, and multiply like any factor.
        {"jeżeli(x < 0, -1, jeżeli(x = 0, 0, 1))",
         {10, 11, 45, 54, 11, 3, 55, 10, 11, 49, 54, 11, 55, 11, 44, 44, 12},
         {-3, 0, 0.5}, {-1, 0, 1}},
        {"2jeżeli(x<0, 1, 2)", {11, 10, 11, 45, 54, 11, 55, 11, 44, 6, 12}, {-1, 1}, {2, 4}},
        // "i" after a number joins, it is no product: 1i is 1 and.
        {"if(x>0 and x<1i x<>0.5, x, 0)",
         {10, 11, 47, 10, 11, 45, 51, 10, 11, 50, 51, 54, 10, 55, 11, 44, 12},
         {0.25, 0.5, 2}, {0.25, 0, 0}},
    };
    Function function;
    for (const ProgramRow& row : rows) {
        SCOPED_TRACE(row.formula);
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        EXPECT_EQ(function.GetProgram(), row.program);
        for (std::size_t i = 0; i < row.xs.size(); ++i) {
            const double value = function.Evaluate(row.xs[i]);
            EXPECT_EQ(function.HasErrors(), std::isnan(row.values[i])) << "x = " << row.xs[i];
            if (!function.HasErrors()) {
                EXPECT_EQ(value, row.values[i]) << "x = " << row.xs[i];
            }
        }
    }
}

// Precedence: comparisons below arithmetic, nie above i above lub; a chain
// is both comparisons; Polish and English words are the same program.
TEST(Pieces, ConditionsMeanTheirSpelledOutForms)
{
    struct Row
    {
        const char* formula;
        const char* spelledOut;
        bool sameProgram;
    };
    const std::vector<Row> rows = {
        {"jeżeli(x < -1 lub x > 0 i x < 1, 1, 0)", "jeżeli(x < -1 lub (x > 0 i x < 1), 1, 0)", true},
        {"jeżeli(nie x < 0 i x < 1, 1, 0)", "jeżeli((nie x < 0) i x < 1, 1, 0)", true},
        {"jeżeli(nie (x < 0 i x > -1), 1, 0)", "jeżeli(x >= 0 lub x <= -1, 1, 0)", false},
        {"jeżeli(nie nie x < 1, 1, 0)", "jeżeli(x < 1, 1, 0)", false},
        {"jeżeli(-1 < x <= 1, x, 0)", "jeżeli(-1 < x i x <= 1, x, 0)", false},
        {"jeżeli(-1 < x <= 1 < x + 1, x, 0)", "jeżeli(-1 < x i x <= 1 i 1 < x + 1, x, 0)", false},
        {"jeżeli(x <> 1, x, 5)", "jeżeli(nie x = 1, x, 5)", false},
        {"jeżeli(x^2 + 1 < 2x + 1, 1, 0)", "jeżeli((x^2 + 1) < (2x + 1), 1, 0)", true},
        {"if(x<0 or x>1 and not x>=2, 1, 0)", "jeżeli(x<0 lub x>1 i nie x>=2, 1, 0)", true},
        {"jeżeli(x < 0, -1, jeżeli(x = 0, 0, 1))", "sgn(x)", false},
        {"jeżeli(x < 0, x + 1)", "jeżeli(x < 0, x + 1, ln(0))", false},
        {"max(x, 1) - min(x, 1)", "abs(x - 1)", false},
        {"x - 3floor(x/3)", "mod(x, 3)", false},
        {"jeżeli(floor(x) = x, 1, 0)", "jeżeli(frac(x) = 0, 1, 0)", false},
    };
    Function function;
    Function spelledOut;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.formula);
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        spelledOut.SetFormula(Cp1250::FromUtf8(row.spelledOut));
        if (row.sameProgram) {
            EXPECT_EQ(function.GetProgram(), spelledOut.GetProgram());
        }
        for (double x = -3; x <= 3; x += 0.25) {
            const double value = function.Evaluate(x);
            const double expected = spelledOut.Evaluate(x);
            ASSERT_EQ(function.HasErrors(), spelledOut.HasErrors()) << "x = " << x;
            if (!function.HasErrors()) {
                EXPECT_EQ(value, expected) << "x = " << x;
            }
        }
    }
}

struct ErrorRow
{
    const char* name;
    const char* formula; // UTF-8
    const char* message;
    int position;
};

TEST(Pieces, MalformedConditionsAndDecimalCommas)
{
    const std::vector<ErrorRow> rows = {
        {"missing branch", "jeżeli(x<0)", kArguments, 10},
        {"too many branches", "jeżeli(x<0, 1, 2, 3)", kArguments, 16},
        {"a value as the condition", "jeżeli(x, 1, 2)", kCondition, 8},
        {"a value joined by i", "jeżeli(x < 1 i x, 1)", kCondition, 16},
        {"a value negated", "jeżeli(nie x, 1)", kCondition, 12},
        {"a condition as a value", "x + (x < 1)", kComparison, 7},
        {"a comparison of the whole formula", "x < 1", kComparison, 2},
        {"a parenthesised condition", "(x < 1)", kComparison, 3},
        {"a negated condition", "-(x<1)", kComparison, 3},
        {"a comparison as an argument", "sin(x = 0)", kComparison, 6},
        {"a condition as a branch", "jeżeli(x<0, x<1, 2)", kComparison, 13},
        {"a condition compared", "jeżeli((x<1) < 2, 1)", kComparison, 9},
        {"a chain without its end", "jeżeli(0 < x <)", kOperand, 14},
        {"a chain cut by a comma", "jeżeli(0 < x < , 1)", kOperand, 15},
        {"a chain of the whole formula", "0 < x <", kComparison, 2},
        {"a join outside a condition", "x i 2", kOperator, 2},
        {"a join without its operand", "jeżeli(x < 0 lub, 1)", kOperand, 16},
        {"two joins", "jeżeli(x < 0 i i x > 1, 1)", kOperand, 15},
        {"=< is no comparison", "jeżeli(x =< 1, 1)", kOperand, 10},
        {"jeżeli needs its parenthesis", "jeżeli x < 0", kOpening, 7},
        {"a capital Ż does not fold", "JEŻELI(x<0, 1)", kUnknown, 0},
        {"min of one", "min(1)", kArguments, 5},
        {"mod of three", "mod(1, 2, 3)", kArguments, 8},
        {"sgn of nothing", "sgn()", kOperand, 4},
        {"log of nothing", "log()", kOperand, 4},
        {"decimal comma", "0,5", kDecimalComma, 1},
        {"decimal comma in a sum", "2x+0,25", kDecimalComma, 4},
        {"decimal comma in a group", "(x+1,5)", kDecimalComma, 4},
        {"decimal comma in a power", "x^0,5", kDecimalComma, 3},
        {"a comma in an argument list separates", "sin(1,5)", kArguments, 5},
        {"a comma after a space", "1 ,5", kOperator, 2},
        {"a comma before a space", "1, 5", kOperator, 1},
    };
    Function function;
    for (const ErrorRow& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            function.SetFormula(Cp1250::FromUtf8(row.formula));
            ADD_FAILURE() << "accepted: " << row.formula;
        } catch (const FunctionException& e) {
            EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), row.message);
            EXPECT_EQ(e.m_nPosition, row.position);
        }
        EXPECT_FALSE(function.IsCompiled());
    }
}

// An enclosure over an interval that may hold a jump says so (kMayJump), and
// a derivative there may not exist (kMayFail from order 1).
TEST(Pieces, EnclosuresMarkTheJumps)
{
    constexpr uint8_t kFail = Enclosure::kMayFail;
    constexpr uint8_t kMust = Enclosure::kMustFail;
    constexpr uint8_t kJump = Enclosure::kMayJump;
    struct Row
    {
        const char* formula;
        Interval x;
        double lo, hi; ///< the value's enclosure lies within, and holds `inside`
        double inside;
        uint8_t flags0, flags1;
    } rows[] = {
        {"floor(x)", {0.5, 1.5}, 0, 1, 1, kJump, kJump | kFail},
        {"floor(x)", {1, 1.5}, 1, 1, 1, 0, kFail},
        {"floor(x)", {1.2, 1.5}, 1, 1, 1, 0, 0},
        {"sgn(x)", {0, 1}, 0, 1, 1, kJump, kJump | kFail},
        {"sgn(x)", {0.5, 2}, 1, 1, 1, 0, 0},
        {"round(x)", {0.4, 0.6}, 0, 1, 0, kJump, kJump | kFail},
        {"frac(x)", {0.25, 0.75}, 0.25 - 1e-15, 0.75 + 1e-15, 0.5, 0, 0},
        {"frac(x)", {0.5, 1.5}, 0, 1, 0.9, kJump, kJump | kFail},
        {"mod(x, 1)", {0.5, 1.5}, 0, 1, 0.9, kJump, kJump | kFail},
        {"mod(x, 3)", {1, 2}, 1 - 1e-15, 2 + 1e-15, 1.5, 0, 0},
        {"jeżeli(x < 0, x + 1, x^2)", {-1, 1}, -1e-300, 2 + 1e-15, 0.5, kJump, kJump | kFail},
        {"jeżeli(x < 0, x + 1, x^2)", {0.5, 1}, 0.25 - 1e-15, 1 + 1e-15, 0.5, 0, 0},
        {"jeżeli(x < 0, -x, x)", {-1, 1}, -1, 1, 0.5, kJump, kJump | kFail},
        {"jeżeli(0 <= x <= 2, x^2)", {1, 3}, 0, 9 + 1e-14, 4, kJump | kFail, kJump | kFail},
        {"jeżeli(0 <= x <= 2, x^2)", {3, 4}, NAN, NAN, NAN, kMust | kFail, kMust | kFail},
        {"jeżeli(0 <= x <= 2, x^2)", {0.5, 1.5}, 0.25 - 1e-15, 2.25 + 1e-14, 1, 0, 0},
        {"min(x, 1)", {0, 2}, 0, 1, 0.5, 0, kJump | kFail},
        {"root(x, 3)", {-8, -1}, -2 - 1e-14, -1 + 1e-14, -1.5, 0, 0},
        {"root(x, 3)", {-1, 8}, -1 - 1e-14, 2 + 1e-14, 0, 0, kFail},
    };
    Function f;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.formula) + " over [" + std::to_string(row.x.lo) + ", " +
                     std::to_string(row.x.hi) + "]");
        f.SetFormula(Cp1250::FromUtf8(row.formula));
        Interval r[2];
        uint8_t flags[2];
        f.Enclose(&row.x, 1, 1, r, flags);
        EXPECT_EQ(flags[0], row.flags0);
        EXPECT_EQ(flags[1], row.flags1);
        if (std::isnan(row.lo)) {
            EXPECT_TRUE(r[0].IsEmpty());
            continue;
        }
        EXPECT_GE(r[0].lo, row.lo);
        EXPECT_LE(r[0].hi, row.hi);
        EXPECT_TRUE(r[0].Contains(row.inside)) << "[" << r[0].lo << ", " << r[0].hi << "]";
    }
}

} // namespace
