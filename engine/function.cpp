#include "engine/function.h"

#include "engine/functionexception.h"
#include "engine/messages.h"
#include "engine/seriesblock.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <limits>

namespace {

bool IsWhitespace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// Letters of code page 1250 above 0x7F: the bytes whose characters are
// letters (Polish and other accented Latin letters, and the micro sign).
constexpr bool IsHighLetter(unsigned char c)
{
    switch (c) {
    case 0x8A: case 0x8C: case 0x8D: case 0x8E: case 0x8F:
    case 0x9A: case 0x9C: case 0x9D: case 0x9E: case 0x9F:
    case 0xA3: case 0xA5: case 0xAA: case 0xAF:
    case 0xB3: case 0xB5: case 0xB9: case 0xBA: case 0xBC: case 0xBE: case 0xBF:
        return true;
    default:
        // 0xC0 to 0xFE are letters except the signs x (0xD7) and / (0xF7).
        return c >= 0xC0 && c != 0xD7 && c != 0xF7 && c != 0xFF;
    }
}

bool IsLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0x80 && IsHighLetter(c));
}

bool IsPunctuation(unsigned char c)
{
    return c >= 0x21 && c <= 0x7E && !IsLetter(c) && !IsDigit(c);
}

// Whether a product is implied between the token just read and the text at
// the cursor, which starts with c: after a number, ")", x or a constant, before
// a name or "(" (2x, 2(x+1), (x+1)(x-1), x(x+1), (x+1)x, x sin(x), pi x). A
// function name is never followed by one, as its "(" opens the call, and a
// number never starts one: `x 2` and `(x+1)2` stay refused.
bool ImpliesProduct(int32_t previous, unsigned char c)
{
    switch (previous) {
    case Function::kNumber:
    case Function::kClose:
    case Function::kX:
    case Function::kPi:
    case Function::kE:
        return IsLetter(c) || c == '_' || c == '(';
    default:
        return false;
    }
}

// i, and, lub, or, nie, not.
bool IsConditionWord(const std::map<std::string, int32_t>& names, const std::string& name)
{
    const auto found = names.find(name);
    return found != names.end() &&
           (found->second == Function::kAnd || found->second == Function::kOr ||
            found->second == Function::kNot);
}

int32_t ToPosition(size_t index)
{
    return index > static_cast<size_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(index);
}

// The value of a literal that std::from_chars found out of range: infinity
// when its decimal magnitude is large, 0 when it is tiny. `mantissa` holds the
// digits and the point, `exponent` the decimal exponent (already saturated).
double OutOfRangeValue(std::string_view mantissa, long long exponent)
{
    long long magnitude = 0;
    size_t point = mantissa.find('.');
    std::string_view integer = mantissa.substr(0, point);
    size_t first = integer.find_first_not_of('0');
    if (first != std::string_view::npos) {
        magnitude = static_cast<long long>(integer.size() - first);
    } else if (point != std::string_view::npos) {
        std::string_view fraction = mantissa.substr(point + 1);
        size_t nonzero = fraction.find_first_not_of('0');
        magnitude = -static_cast<long long>(nonzero == std::string_view::npos ? 0 : nonzero);
    }
    return magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

} // namespace

Function::Function()
{
    BuildSymbolTables();
}

Function::~Function() = default;

void Function::BuildSymbolTables()
{
    // "<=", ">=" and "<>" are read as one token where the characters meet.
    m_operators = {
        {'(', kOpen}, {')', kClose}, {',', kComma}, {'+', kPlus},
        {'-', kMinus}, {'*', kMultiply}, {'/', kDivide}, {'^', kPower},
        {'<', kLess}, {'>', kGreater}, {'=', kEqual},
    };
    m_functionNames = {
        {"pi", kPi},
        {"e", kE},
        {"x", kX},
        {"sin", kSin},
        {"asin", kAsin}, {"arcsin", kAsin},
        {"sinh", kSinh},
        {"cos", kCos},
        {"cosh", kCosh},
        {"acos", kAcos}, {"arccos", kAcos},
        {"tan", kTan}, {"tg", kTan},
        {"tanh", kTanh}, {"tgh", kTanh},
        {"atan", kAtan}, {"arctg", kAtan},
        {"ctg", kCtg}, {"cot", kCtg},
        {"ctgh", kCtgh}, {"coth", kCtgh},
        {"arcctg", kArcctg}, {"acot", kArcctg},
        {"pow", kPow}, {"pot\xEAga", kPow}, // potęga, with ę as the code page 1250 byte
        {"root", kRoot}, {"pierwiastek", kRoot},
        {"exp", kExp},
        {"log", kLog}, {"logarytm", kLog},
        {"log10", kLog10},
        {"ln", kLn},
        {"sqr", kSqr}, {"kwadrat", kSqr},
        {"sqrt", kSqrt},
        {"abs", kAbs},
        {"sgn", kSgn}, {"znak", kSgn},
        {"floor", kFloor}, {"pod\xB3oga", kFloor}, // podłoga
        {"ceil", kCeil}, {"sufit", kCeil},
        {"round", kRound}, {"zaokr", kRound},
        {"frac", kFrac}, {"mantysa", kFrac},
        {"min", kMin},
        {"max", kMax},
        {"mod", kMod},
        {"je\xBF" "eli", kIf}, {"if", kIf}, // jeżeli
        {"i", kAnd}, {"and", kAnd},
        {"lub", kOr}, {"or", kOr},
        {"nie", kNot}, {"not", kNot},
    };
}

Function& Function::SetFormula(std::string_view text)
{
    m_strText.assign(text.substr(0, text.find('\0')));
    Compile();
    return *this;
}

void Function::Compile()
{
    m_bCompiled = false;
    m_pDerivatives.reset();
    m_pEnclosures.reset();
    m_errors.clear();
    m_constants.clear();
    m_program.clear();
    m_pCursor = 0;
    // No previous token, so the implicit product cannot apply to the first one.
    m_nToken = kEnd;
    m_nPreviousToken = kEnd;
    m_nPreviousEnd = 0;
    m_nNesting = 0;
    m_nDepth = 0;
    m_nMaxDepth = 0;
    try {
        NextToken();
        const Parsed formula = ParseExpression();
        // A relation of the whole formula is not a function of x.
        if (IsComparison(m_nToken))
            SyntaxError(EngineMessage::kComparisonAsValue);
        RequireValue(formula);
        if (m_nToken != kEnd)
            UnexpectedToken(EngineMessage::kExpectedOperator);
    } catch (const FunctionException&) {
        if (m_bThrowSyntaxErrors)
            throw;
        return;
    }
    Emit(kEnd);
    m_fast = FuseProgram(m_program, m_constants);
    // Where x is read only inside branches of pieces, only the arguments
    // that take those branches test it.
    m_bUsesX = false;
    int branches = 0;
    for (const Instruction& in : m_fast) {
        if (in.op == Op::kThen)
            ++branches;
        else if (in.op == Op::kSelect || in.op == Op::kRestrict)
            --branches;
        else if (branches == 0 && ReadsX(in.op))
            m_bUsesX = true;
    }
    m_bCompiled = true;
}

void Function::NextToken()
{
    const size_t length = m_strText.size();
    auto at = [&](size_t i) -> unsigned char { return i < length ? m_strText[i] : 0; };

    m_nPreviousEnd = m_pCursor;
    while (m_pCursor < length && IsWhitespace(at(m_pCursor)))
        ++m_pCursor;
    m_nTokenPos = ToPosition(m_pCursor);
    const int32_t previous = m_nToken;
    m_nPreviousToken = previous;
    const unsigned char c = at(m_pCursor);

    // The only implicit operator is the product; the cursor stays so the
    // name or the parenthesis comes next. Being a "*" token, it binds as a
    // written one does: 1/2x is (1/2)*x. The words that join conditions
    // are no factors: in `0 < x i x < 2` the i joins.
    if (ImpliesProduct(previous, c) && !IsConditionWord(m_functionNames, PeekName(m_pCursor))) {
        m_nToken = kMultiply;
        return;
    }

    m_nToken = kUnknown;
    if (c == 0) {
        m_nToken = kEnd;
    } else if (IsDigit(c)) {
        ReadNumber();
        m_nToken = kNumber;
    } else if (IsLetter(c) || c == '_') {
        const std::string name = PeekName(m_pCursor);
        m_pCursor += name.size();
        auto found = m_functionNames.find(name);
        if (found != m_functionNames.end())
            m_nToken = found->second;
    } else if (IsPunctuation(c)) {
        ++m_pCursor;
        const unsigned char next = at(m_pCursor);
        if (c == '<' && (next == '=' || next == '>')) {
            ++m_pCursor;
            m_nToken = next == '=' ? kLessEqual : kNotEqual;
        } else if (c == '>' && next == '=') {
            ++m_pCursor;
            m_nToken = kGreaterEqual;
        } else {
            auto found = m_operators.find(static_cast<char>(c));
            if (found != m_operators.end())
                m_nToken = found->second;
        }
    }
    if (m_nToken == kUnknown)
        SyntaxError(EngineMessage::kUnknownSymbol);
}

// The name that starts at `at` (letters, digits and "_"), with its ASCII
// letters folded to lower case; empty where no name starts there.
std::string Function::PeekName(size_t at) const
{
    std::string name;
    const size_t length = m_strText.size();
    for (; at < length; ++at) {
        unsigned char letter = static_cast<unsigned char>(m_strText[at]);
        if (!IsLetter(letter) && !IsDigit(letter) && letter != '_')
            break;
        // Only ASCII letters fold: POTĘGA is not potęga.
        if (letter >= 'A' && letter <= 'Z')
            letter = static_cast<unsigned char>(letter - 'A' + 'a');
        name.push_back(static_cast<char>(letter));
    }
    return name;
}

// number := digits [ "." { digit } ] [ ("e" | "E" | "d" | "D") [ "+" | "-" ] digits ]
void Function::ReadNumber()
{
    const size_t length = m_strText.size();
    auto at = [&](size_t i) -> unsigned char { return i < length ? m_strText[i] : 0; };

    const size_t start = m_pCursor;
    size_t end = start;
    while (IsDigit(at(end)))
        ++end;
    if (at(end) == '.') {
        ++end;
        while (IsDigit(at(end)))
            ++end;
    }
    const size_t mantissaEnd = end;
    long long exponent = 0;
    const unsigned char marker = at(end);
    if (marker == 'e' || marker == 'E' || marker == 'd' || marker == 'D') {
        size_t digits = end + 1;
        const bool negative = at(digits) == '-';
        if (at(digits) == '+' || negative)
            ++digits;
        // Without a digit after it the marker is not part of the number:
        // `2e` is 2 followed by the name e.
        if (IsDigit(at(digits))) {
            end = digits;
            while (IsDigit(at(end))) {
                exponent = std::min(exponent * 10 + (at(end) - '0'), 1000000000LL);
                ++end;
            }
            if (negative)
                exponent = -exponent;
        }
    }
    m_pCursor = end;

    std::string_view mantissa(m_strText.data() + start, mantissaEnd - start);
    std::string literal(mantissa);
    if (end > mantissaEnd) {
        literal += 'e';
        literal.append(m_strText, mantissaEnd + 1, end - mantissaEnd - 1);
    }
    double value = 0;
    auto [ptr, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (error == std::errc::result_out_of_range)
        value = OutOfRangeValue(mantissa, exponent);
    m_constants.push_back(value);
}

void Function::SyntaxError(const char* message)
{
    SyntaxError(message, m_nTokenPos);
}

void Function::SyntaxError(const char* message, int32_t position)
{
    m_errors.emplace_back(message, position);
    throw FunctionException(message, position);
}

void Function::EvaluationError(const char* message)
{
    m_errors.emplace_back(message, -1);
    if (m_bThrowEvalErrors)
        throw FunctionException(message, -1);
}
