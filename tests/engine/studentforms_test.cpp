// Formulas as students write them: a sign after "^", "*" or "/", the constant
// e and implied products. Each new form is checked against the form written
// out in full, which the language accepted before; the neighbours that stay
// refused keep their message and position; and every formula of a table
// recorded from the engine before these forms existed keeps its meaning.
#include "engine/function.h"
#include "engine/functionexception.h"
#include "platform/cp1250.h"
#include "tests/engine/formulafingerprint.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kUnknown[] = "Nieznany symbol";
const char kOpening[] = "Brak nawiasu otwierającego";
const char kClosing[] = "Brak nawiasu zamkającego lub operatora";
const char kOperand[] = "Brak liczby, zmiennej lub funkcji";
const char kOperator[] = "Oczekiwany operator lub koniec wyrażenia";

struct SpelledOutRow
{
    const char* name;
    const char* formula;
    const char* spelledOut; // the same formula as the language accepted it before
    bool sameProgram;       // false where e is spelled as its number
};

// Same program (where asked) and the same value or error to the last bit, at
// arguments that make some of them fail, in both angle units and orders 0-2.
TEST(StudentForms, EachNewFormMeansItsFormSpelledOut)
{
    const std::vector<SpelledOutRow> rows = {
        {"negative power", "x^-2", "x^(-2)", true},
        {"negative power of a number", "2^-1", "2^(-1)", true},
        {"plus sign after power", "x^+2", "x^2", true},
        {"powers stay left-associative", "2^-1^2", "(2^(-1))^2", true},
        {"sign after power takes the call", "2^-sin(x)", "2^(-sin(x))", true},
        {"sign after power takes the group", "x^-(x+1)", "x^(-(x+1))", true},
        {"sign after times takes the power", "2*-x^2", "2*(-(x^2))", true},
        {"sign after times", "2*-x", "2*(-x)", true},
        {"sign after division", "x/-2", "x/(-2)", true},
        {"plus after division", "x/+2", "x/2", true},
        {"sign after times, then implied product", "2*-x(x+1)", "2*(-x)*(x+1)", true},
        {"e", "e", "2.718281828459045", false},
        {"capital E", "E", "2.718281828459045", false},
        {"e in a power", "e^x", "2.718281828459045^x", false},
        {"number before e", "2e", "2*2.718281828459045", false},
        {"number before e, minus", "2e-x", "2*2.718281828459045-x", false},
        {"e before x", "e x", "2.718281828459045*x", false},
        {"e before a group", "e(x+1)", "2.718281828459045*(x+1)", false},
        {"number before a group", "2(x+1)", "2*(x+1)", true},
        {"two groups", "(x+1)(x-1)", "(x+1)*(x-1)", true},
        {"x before a group", "x(x+1)", "x*(x+1)", true},
        {"pi before a group", "pi(x+1)", "pi*(x+1)", true},
        {"call before a group", "sin(x)(x+1)", "sin(x)*(x+1)", true},
        {"group before x", "(x+1)x", "(x+1)*x", true},
        {"x before a call", "x sin(x)", "x*sin(x)", true},
        {"pi before x", "pi x", "pi*x", true},
        {"call before a call", "sin(x)cos(x)", "sin(x)*cos(x)", true},
        {"implied product binds as times", "1/2(x+1)", "1/2*(x+1)", true},
        {"implied product after a power", "x^2(x+1)", "x^2*(x+1)", true},
        {"leading minus takes the whole term", "-x(x+1)", "-(x*(x+1))", true},
        {"implied products inside a call", "log(x(x+1),2)", "log(x*(x+1),2)", true},
        {"with spaces", " x ( x + 1 ) ", "x*(x+1)", true},
        {"division by zero after sign", "1/-x", "1/(-x)", true},
        {"domain error after sign", "x^-0.5", "x^(-0.5)", true},
    };
    const double xs[] = {0, 1, -2.5, 0.5, 3, 1e-5, 90, -1e-5};
    Function function;
    Function spelledOut;
    for (const SpelledOutRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NO_THROW(function.SetFormula(row.formula)) << row.formula;
        ASSERT_NO_THROW(spelledOut.SetFormula(row.spelledOut)) << row.spelledOut;
        if (row.sameProgram) {
            EXPECT_EQ(function.GetProgram(), spelledOut.GetProgram());
        }
        for (bool degrees : {false, true}) {
            function.m_bDegrees = spelledOut.m_bDegrees = degrees;
            for (double x : xs) {
                for (int order = 0; order <= 2; ++order) {
                    const double value = function.EvaluateDerivative(x, order);
                    const double expected = spelledOut.EvaluateDerivative(x, order);
                    ASSERT_EQ(function.HasErrors(), spelledOut.HasErrors()) << "x = " << x;
                    if (function.HasErrors()) {
                        EXPECT_STREQ(function.GetError().first, spelledOut.GetError().first);
                    } else {
                        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
                            << "x = " << x << ": " << value << " vs " << expected;
                    }
                }
            }
        }
    }
}

struct CompiledRow
{
    const char* formula;
    std::vector<int32_t> program;
    std::vector<double> constants;
    double x;
    double value;
};

// The compiled forms of the new rules, and formulas accepted before that look
// alike with their unchanged forms and values.
TEST(StudentForms, CompiledFormsAndValues)
{
    const std::vector<CompiledRow> rows = {
        {"x^-2", {10, 11, 3, 8, 12}, {2}, 2, 0.25},
        {"2^-1^2", {11, 11, 3, 8, 11, 8, 12}, {2, 1, 2}, 0, 0.25},
        {"2*-x^2", {11, 10, 11, 8, 3, 6, 12}, {2, 2}, 3, -18},
        {"e", {35, 12}, {}, 0, 2.718281828459045},
        {"2e", {11, 35, 6, 12}, {2}, 0, 2 * 2.718281828459045},
        {"x(x+1)", {10, 10, 11, 4, 6, 12}, {1}, 2, 6},
        {"x sin(x)", {10, 10, 13, 6, 12}, {}, 0, 0},
        // Accepted before, unchanged.
        {"2x", {11, 10, 6, 12}, {2}, 3, 6},
        {"2pi", {11, 9, 6, 12}, {2}, 0, 2 * 3.141592653589793},
        {"2e3", {11, 12}, {2000}, 0, 2000},
        {"2E-3x", {11, 10, 6, 12}, {0.002}, 1000, 2},
        {"-x^2", {10, 11, 8, 3, 12}, {2}, 3, -9},
        {"2^3^2", {11, 11, 8, 11, 8, 12}, {2, 3, 2}, 0, 64},
        {"1/2x", {11, 11, 7, 10, 6, 12}, {1, 2}, 4, 2},
        {"root(8,3)", {11, 11, 26, 12}, {8, 3}, 0, 2},
        {"exp(1)", {11, 27, 12}, {1}, 0, 2.718281828459045},
    };
    Function function;
    for (const CompiledRow& row : rows) {
        SCOPED_TRACE(row.formula);
        function.SetFormula(row.formula);
        EXPECT_EQ(function.GetProgram(), row.program);
        EXPECT_EQ(function.GetConstants(), row.constants);
        EXPECT_DOUBLE_EQ(function.Evaluate(row.x), row.value);
        EXPECT_FALSE(function.HasErrors());
    }
}

struct RefusedRow
{
    const char* name;
    const char* formula;
    const char* message;
    int position;
};

TEST(StudentForms, NeighboursStayRefused)
{
    const std::vector<RefusedRow> rows = {
        {"two signs after power", "2^--1", kOperand, 2},
        {"two signs after times", "2*-+x", kOperand, 2},
        {"two signs after division", "x/ - -2", kOperand, 3},
        {"sign after plus", "x+-1", kOperand, 2},
        {"two leading signs", "--x", kOperand, 1},
        {"sign with nothing after it", "2^-", kOperand, 3},
        {"operator after sign", "2*-*x", kOperand, 3},
        {"number after a group", "(x+1)2", kOperator, 5},
        {"number after a call", "sin(x)2", kOperator, 6},
        {"number after x", "x 2", kOperator, 2},
        {"number after e", "e 2", kOperator, 2},
        {"number after pi", "pi 2", kOperator, 3},
        {"names are read whole", "xsin(x)", kUnknown, 0},
        {"e and a digit are one name", "e2", kUnknown, 0},
        {"e and x are one name", "ex", kUnknown, 0},
        {"unknown name after a number", "2ee", kUnknown, 1},
        {"unknown name after a group", "(x)y", kUnknown, 3},
        {"function name needs its parenthesis", "sin x", kOpening, 4},
        {"function name before a number", "sin 2", kOpening, 4},
        {"implied product into an unclosed group", "x(x+1", kClosing, 5},
        {"e is no function", "e(", kOperand, 2},
        {"exponent sign without digits, then a sign", "2e+-x", kOperand, 3},
    };
    Function function;
    for (const RefusedRow& row : rows) {
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

// Names the language learnt later: the words of conditions and pieces, the
// functions with jumps, and log, which now also takes one argument.
bool IsLaterName(const std::string& name)
{
    for (const char* later : {"i", "and", "lub", "or", "nie", "not", "if", "sgn", "znak", "floor",
                              "ceil", "sufit", "round", "zaokr", "frac", "mantysa", "min", "max",
                              "mod", "log", "logarytm"}) {
        if (name == later)
            return true;
    }
    return false;
}

// Whether the text holds a place where one of the new rules may apply, so
// that a formula refused before may now mean something else or fail
// elsewhere: a sign after "^", "*" or "/", the name e, "(" after a number,
// ")", x or pi, a name after ")", x or pi, a name learnt later (also the
// Polish jeżeli and podłoga), a comparison character, or a comma between a
// number and a digit (now a hint on decimal commas). Reads tokens roughly as
// the engine does; it only picks the refused formulas that must keep their
// error.
bool MayUseNewForms(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (folded.find("je\xBF" "eli") != std::string::npos ||
        folded.find("pod\xB3oga") != std::string::npos)
        return true;
    enum class Kind
    {
        Other,
        Number,
        Operand,
        Operator
    };
    auto digit = [&](std::size_t i) {
        return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
    };
    Kind previous = Kind::Other;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (std::isdigit(c)) {
            while (digit(i) || (i < text.size() && text[i] == '.'))
                ++i;
            if (i < text.size() && std::strchr("eEdD", text[i])) {
                std::size_t j = i + 1;
                if (j < text.size() && (text[j] == '+' || text[j] == '-'))
                    ++j;
                if (digit(j)) {
                    while (digit(j))
                        ++j;
                    i = j;
                }
            }
            if (i < text.size() && text[i] == ',' && digit(i + 1))
                return true;
            previous = Kind::Number;
        } else if (std::isalpha(c) || c == '_') {
            std::string name;
            while (i < text.size() &&
                   (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
                name += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
            if (name == "e" || previous == Kind::Operand || IsLaterName(name))
                return true;
            previous = name == "x" || name == "pi" ? Kind::Operand : Kind::Other;
        } else {
            if (c == '(' && (previous == Kind::Number || previous == Kind::Operand))
                return true;
            if (c == '<' || c == '>' || c == '=')
                return true;
            if ((c == '-' || c == '+') && previous == Kind::Operator)
                return true;
            previous = c == ')'                ? Kind::Operand
                       : std::strchr("^*/", c) ? Kind::Operator
                                               : Kind::Other;
            ++i;
        }
    }
    return false;
}

// Each line of the table: "a" or "r" for a formula the engine accepted or
// refused before the new forms existed (commit 4a31e28), the fingerprint of
// its DescribeFormula line then, and the formula. Every formula accepted then,
// and every one refused then that has no place for a new form, must give the
// same line now.
TEST(StudentForms, FormulasOfTheEarlierEngineKeepTheirMeaning)
{
    std::ifstream table(OSIOWIEC_ENGINE_TEST_DATA "/recordedformulas.txt");
    ASSERT_TRUE(table) << "recordedformulas.txt not found";
    Function function;
    std::string line;
    int accepted = 0;
    int refusedAlike = 0;
    while (std::getline(table, line)) {
        ASSERT_TRUE(line.size() > 19 && line[1] == '\t' && line[18] == '\t') << line;
        const bool wasAccepted = line[0] == 'a';
        const std::string recorded = line.substr(2, 16);
        const std::string formula = line.substr(19);
        if (!wasAccepted && MayUseNewForms(formula))
            continue;
        const std::string now = DescribeFormula(function, formula);
        char hex[20];
        std::snprintf(hex, sizeof hex, "%016llx",
                      static_cast<unsigned long long>(Fingerprint(now)));
        EXPECT_EQ(hex, recorded) << "'" << formula << "' is now: " << now;
        ++(wasAccepted ? accepted : refusedAlike);
    }
    // The table reaches both kinds widely.
    EXPECT_GT(accepted, 2000);
    EXPECT_GT(refusedAlike, 300);
}

} // namespace
