#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct SyntaxRow
{
    const char* name;
    std::string formula; // UTF-8, converted to code page 1250 before compiling
    std::string message; // UTF-8
    int position;
};

// Compiles with the syntax switch on and returns the exception, failing the
// test when none was thrown.
FunctionException CompileError(Function& function, const std::string& utf8)
{
    try {
        function.SetFormula(Cp1250::FromUtf8(utf8));
    } catch (const FunctionException& e) {
        return e;
    }
    ADD_FAILURE() << "no syntax error for '" << utf8 << "'";
    return FunctionException("", -2);
}

const char kUnknown[] = "Nieznany symbol";
const char kOpening[] = "Brak nawiasu otwierającego";
const char kClosing[] = "Brak nawiasu zamkającego lub operatora";
const char kOperand[] = "Brak liczby, zmiennej lub funkcji";
const char kArguments[] = "Nieprawidłowa liczba argumentów";
const char kOperator[] = "Oczekiwany operator lub koniec wyrażenia";

TEST(Syntax, ErrorsCarryMessageAndPosition)
{
    const std::vector<SyntaxRow> rows = {
        {"empty", "", kOperand, 0},
        {"only spaces", "   ", kOperand, 3},
        {"two numbers", "2 3", kOperator, 2},
        {"stray close", "x)", kOperator, 1},
        {"extra close after call", "sin(x))", kOperator, 6},
        {"unclosed group", "(x+1", kClosing, 4},
        {"unclosed call", "sin(x", kClosing, 5},
        {"call without parenthesis", "sin x", kOpening, 4},
        {"empty call", "sin()", kOperand, 4},
        {"double sign", "--x", kOperand, 1},
        {"sign after plus", "x+-1", kOperand, 2},
        {"double sign after power", "2^--1", kOperand, 2},
        {"number after parenthesis", "(x+1)2", kOperator, 5},
        {"too many arguments", "sin(x,1)", kArguments, 5},
        {"too few arguments", "pow(2)", kArguments, 5},
        // log(x) is now the decimal logarithm; three arguments stay refused.
        {"log takes at most a base", "log(x,2,3)", kArguments, 7},
        {"three arguments", "pow(1,2,3)", kArguments, 7},
        {"unknown name after x", "x y", kUnknown, 2},
        // Was "Oczekiwany operator lub koniec wyrażenia"; now says why.
        {"decimal comma", "1,5", "Ułamki dziesiętne pisz z kropką: 0.5 zamiast 0,5", 1},
        {"decimal comma in call", "sin(1,5)", kArguments, 5},
        {"trailing operator", "  x + ", kOperand, 6},
        {"y is no variable", "y", kUnknown, 0},
        {"e2 is one name", "e2", kUnknown, 0},
        {"x2 is one name", "x2", kUnknown, 0},
        {"sinx is one name", "sinx", kUnknown, 0},
        {"second point", "1.5.2", kUnknown, 3},
        {"percent", "3%", kUnknown, 1},
        {"leading point", ".5", kUnknown, 0},
        {"capital E with ogonek does not fold", "POTĘGA(x,2)", kUnknown, 0},
        {"underscore starts a name", "_x", kUnknown, 0},
        {"control character", "x+\x01", kUnknown, 2},
        {"non-letter high byte", "x+\xC2\xA7", kUnknown, 2},
        {"character code page 1250 lacks", "x+\xE2\x88\x9A", kUnknown, 2},
        {"x then number", "x 2", kOperator, 2},
        {"close where operand expected", "(x+)", kOperand, 3},
        {"comma at top level", ",", kOperand, 0},
    };
    Function function;
    for (const SyntaxRow& row : rows) {
        SCOPED_TRACE(row.name);
        FunctionException e = CompileError(function, row.formula);
        EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), row.message);
        EXPECT_EQ(e.m_nPosition, row.position);
        EXPECT_FALSE(function.IsCompiled());
        ASSERT_TRUE(function.HasErrors());
        EXPECT_EQ(function.GetError().first, e.m_strMessage);
        EXPECT_EQ(function.GetError().second, row.position);
    }
}

TEST(Syntax, AcceptedFormulas)
{
    const std::vector<std::string> formulas = {
        "+x", "-(-x)", "2x", "2 x", "-2x^2", "sqr(x)^0.5", "pow(x, 1/3)", "log(8,2)",
        " SIN ( X ) ", "X", "Pi", "SQRT(x)", "potęga(x,2)", "2sin(x)", "4pi", "1.5e3x",
        "2exp(x)", "1.", "2d3", "1e400", "arcctg(x)+acot(x)+ctgh(x)+coth(x)+tgh(x)",
        "pierwiastek(x,3)*logarytm(x,2)*kwadrat(x)",
    };
    Function function;
    for (const std::string& formula : formulas) {
        SCOPED_TRACE(formula);
        EXPECT_NO_THROW(function.SetFormula(Cp1250::FromUtf8(formula)));
        EXPECT_TRUE(function.IsCompiled());
        EXPECT_FALSE(function.HasErrors());
    }
}

struct ProgramRow
{
    const char* formula;
    std::vector<int32_t> program;
    std::vector<double> constants;
};

TEST(Syntax, CompiledForms)
{
    const std::vector<ProgramRow> rows = {
        {"2x^2 - sin(x)/3", {11, 10, 11, 8, 6, 10, 13, 11, 7, 5, 12}, {2, 2, 3}},
        {"-x^2+1", {10, 11, 8, 3, 11, 4, 12}, {2, 1}},
        {"log(x+1, 2)", {10, 11, 4, 11, 28, 12}, {1, 2}},
        {"pi", {9, 12}, {}},
        {"2^3^2", {11, 11, 8, 11, 8, 12}, {2, 3, 2}},
        {"8-2-1", {11, 11, 5, 11, 5, 12}, {8, 2, 1}},
        {"-2*3", {11, 11, 6, 3, 12}, {2, 3}},
        {"+x", {10, 12}, {}},
        {"1.5E-3*x", {11, 10, 6, 12}, {0.0015}},
        {"2d3", {11, 12}, {2000}},
        {"1.", {11, 12}, {1}},
        {"Sin( PI )", {9, 13, 12}, {}},
        {"potęga(x,2)", {10, 11, 25, 12}, {2}},
        {"1e-400", {11, 12}, {0}},
        {"0.00000000000000000000000000001e-300", {11, 12}, {0}},
        {"0.00000000000000000000000000001e330", {11, 12}, {1e301}},
    };
    Function function;
    for (const ProgramRow& row : rows) {
        SCOPED_TRACE(row.formula);
        function.SetFormula(Cp1250::FromUtf8(row.formula));
        EXPECT_EQ(function.GetProgram(), row.program);
        EXPECT_EQ(function.GetConstants(), row.constants);
    }
}

TEST(Syntax, TextEndsAtItsZeroByte)
{
    Function function;
    function.SetFormula(std::string("x\t\0y", 4));
    EXPECT_EQ(function.GetText(), "x\t");
    EXPECT_EQ(function.GetProgram(), (std::vector<int32_t>{10, 12}));
}

TEST(Syntax, HugeLiteralIsInfinite)
{
    Function function;
    function.SetFormula("1e400+" + std::string(400, '9'));
    ASSERT_EQ(function.GetConstants().size(), 2u);
    EXPECT_TRUE(std::isinf(function.GetConstants()[0]));
    EXPECT_TRUE(std::isinf(function.GetConstants()[1]));
}

TEST(Syntax, SilentCompileKeepsErrorAndFailsLaterEvaluation)
{
    Function function;
    function.SetFormula("x");
    ASSERT_TRUE(function.IsCompiled());
    function.m_bThrowSyntaxErrors = false;
    EXPECT_NO_THROW(function.SetFormula("sin(x,1)"));
    EXPECT_FALSE(function.IsCompiled()); // the good program before does not survive
    ASSERT_TRUE(function.HasErrors());
    EXPECT_EQ(function.GetError().second, 5);

    function.m_bThrowEvalErrors = true;
    try {
        function.Evaluate(1);
        FAIL() << "no exception";
    } catch (const FunctionException& e) {
        EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), kArguments);
        EXPECT_EQ(e.m_nPosition, 5);
    }
}

TEST(Syntax, FormulaAfterFailedOneStartsClean)
{
    Function function;
    function.m_bThrowSyntaxErrors = false;
    function.SetFormula("2 3");
    function.SetFormula("x");
    EXPECT_TRUE(function.IsCompiled());
    EXPECT_EQ(function.GetProgram(), (std::vector<int32_t>{10, 12}));
}

TEST(Syntax, DeepNestingIsASyntaxErrorNotACrash)
{
    Function function;
    const int limit = Function::kMaxNesting;
    std::string fits = std::string(limit, '(') + "x" + std::string(limit, ')');
    EXPECT_NO_THROW(function.SetFormula(fits));

    std::string deep = std::string(100000, '(') + "x" + std::string(100000, ')');
    FunctionException e = CompileError(function, deep);
    EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), kOperand);
    EXPECT_EQ(e.m_nPosition, limit);

    std::string calls;
    for (int i = 0; i < 50000; ++i)
        calls += "sin(";
    e = CompileError(function, calls + "x");
    EXPECT_EQ(Cp1250::ToUtf8(e.m_strMessage), kOperand);
    EXPECT_EQ(e.m_nPosition, 4 * limit);
}

TEST(Syntax, LongFlatFormulaCompilesAndEvaluates)
{
    std::string formula = "x";
    for (int i = 0; i < 100000; ++i)
        formula += "+x";
    Function function;
    function.SetFormula(formula);
    EXPECT_EQ(function.Evaluate(1), 100001);
}

} // namespace
