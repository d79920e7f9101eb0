#include "engine/function.h"

#include "engine/functionexception.h"
#include "engine/messages.h"

#include <algorithm>

// The grammar of formulas, one rule per function, lowest precedence first.
// Conditions are the first argument of jeżeli; everywhere else a value
// belongs, and a condition there is refused at its first comparison.

namespace {

bool IsFunction(int32_t token)
{
    return (token >= Function::kSin && token <= Function::kAbs) ||
           (token >= Function::kSgn && token <= Function::kIf);
}

// The number of arguments a function takes, at least and at most.
int LeastArguments(int32_t token)
{
    switch (token) {
    case Function::kPow:
    case Function::kRoot:
    case Function::kMin:
    case Function::kMax:
    case Function::kMod:
    case Function::kIf:
        return 2;
    default:
        return 1; // log too: log(x) is the decimal logarithm
    }
}

int MostArguments(int32_t token)
{
    switch (token) {
    case Function::kIf:
        return 3;
    case Function::kPow:
    case Function::kRoot:
    case Function::kMin:
    case Function::kMax:
    case Function::kMod:
    case Function::kLog:
        return 2;
    default:
        return 1;
    }
}

} // namespace

// expression := [ "+" | "-" ] term { ("+" | "-") term }
// The leading sign applies to the whole first term: -x^2 is -(x^2).
Function::Parsed Function::ParseExpression()
{
    Parsed first;
    if (m_nToken == kPlus || m_nToken == kMinus) {
        const int32_t sign = m_nToken;
        NextToken();
        RequireValue(ParseTerm());
        if (sign == kMinus)
            Emit(kNegate);
    } else {
        first = ParseTerm();
    }
    while (m_nToken == kPlus || m_nToken == kMinus) {
        RequireValue(first);
        const int32_t op = m_nToken;
        NextToken();
        RequireValue(ParseTerm());
        Emit(op);
    }
    return first;
}

// term := power { ("*" | "/") sign power }
// The "*" may be implied (2x, x(x+1), x sin(x)). A sign after "*" or "/"
// applies to the whole power that follows, as a leading sign does to its
// term: 2*-x^2 is 2*(-(x^2)).
Function::Parsed Function::ParseTerm()
{
    const Parsed first = ParsePower();
    while (m_nToken == kMultiply || m_nToken == kDivide) {
        RequireValue(first);
        const int32_t op = m_nToken;
        NextToken();
        const bool negate = ParseSign();
        RequireValue(ParsePower());
        if (negate)
            Emit(kNegate);
        Emit(op);
    }
    return first;
}

// power := factor { "^" sign factor }
// Left-associative: 2^3^2 is 64. A sign after "^" applies to the next factor
// only: x^-2 is x^(-2), 2^-1^2 is (2^(-1))^2.
Function::Parsed Function::ParsePower()
{
    const Parsed first = ParseFactor();
    while (m_nToken == kPower) {
        RequireValue(first);
        NextToken();
        const bool negate = ParseSign();
        RequireValue(ParseFactor());
        if (negate)
            Emit(kNegate);
        Emit(kPower);
    }
    return first;
}

// sign := [ "+" | "-" ]
// Returns whether it was "-". Two signs in a row are refused at the first
// (2^--1 at 2), with the message and position such formulas have always had.
bool Function::ParseSign()
{
    if (m_nToken != kPlus && m_nToken != kMinus)
        return false;
    const bool minus = m_nToken == kMinus;
    const int32_t position = m_nTokenPos;
    NextToken();
    if (m_nToken == kPlus || m_nToken == kMinus)
        SyntaxError(EngineMessage::kMissingOperand, position);
    return minus;
}

// factor := "(" condition ")" | "pi" | "e" | "x" | number
//         | name "(" arguments ")"
// A parenthesised condition is a condition: (x < 0 lub x > 1) i x <> 5.
Function::Parsed Function::ParseFactor()
{
    const int32_t token = m_nToken;
    if (token == kOpen || IsFunction(token)) {
        // Bounds the recursion: a deeper formula is refused where the extra
        // level opens, as no operand the parser can take.
        if (m_nNesting >= kMaxNesting)
            SyntaxError(EngineMessage::kMissingOperand);
        ++m_nNesting;
    }

    Parsed parsed;
    if (token == kOpen) {
        NextToken();
        parsed = ParseCondition();
        if (m_nToken != kClose)
            UnexpectedToken(EngineMessage::kMissingClosing);
        NextToken();
        --m_nNesting;
    } else if (token == kPi || token == kE || token == kX || token == kNumber) {
        Emit(token);
        NextToken();
    } else if (IsFunction(token)) {
        ParseCall(token);
        NextToken();
        --m_nNesting;
    } else {
        SyntaxError(EngineMessage::kMissingOperand);
    }
    return parsed;
}

// call := name "(" argument { "," argument } ")"
// jeżeli := ("jeżeli" | "if") "(" condition "," expression [ "," expression ] ")"
// Ends with the closing parenthesis current.
void Function::ParseCall(int32_t token)
{
    const int least = LeastArguments(token);
    const int most = MostArguments(token);
    NextToken();
    if (m_nToken != kOpen)
        SyntaxError(EngineMessage::kMissingOpening);
    int count = 0;
    for (;;) {
        NextToken();
        if (token == kIf && count == 0) {
            RequireCondition(ParseCondition());
            Emit(kThen);
        } else {
            ParseArgument();
        }
        ++count;
        if (m_nToken == kComma) {
            if (count < most) {
                if (token == kIf && count == 2)
                    Emit(kElse);
                continue;
            }
            SyntaxError(EngineMessage::kArgumentCount);
        }
        if (count < least)
            SyntaxError(EngineMessage::kArgumentCount);
        break;
    }
    if (m_nToken != kClose)
        SyntaxError(EngineMessage::kMissingClosing);
    if (token == kLog && count == 1) {
        Emit(kLog10); // log x of school: the decimal logarithm, to the bit
    } else if (token == kIf) {
        Emit(kIf);
        // The condition and the first value leave the stack, and with two
        // branches the second one too.
        m_nDepth -= count == 3 ? 2 : 1;
    } else {
        Emit(token);
    }
}

// argument := expression, a value
void Function::ParseArgument()
{
    const Parsed value = ParseExpression();
    if (IsComparison(m_nToken))
        SyntaxError(EngineMessage::kComparisonAsValue);
    RequireValue(value);
}

// condition := conjunction { ("lub" | "or") conjunction }
// Also takes a lone value (the inside of a parenthesis), which the caller
// checks.
Function::Parsed Function::ParseCondition()
{
    const Parsed first = ParseConjunction();
    while (m_nToken == kOr) {
        RequireCondition(first);
        NextToken();
        RequireCondition(ParseConjunction());
        Emit(kOr);
    }
    return first;
}

// conjunction := negation { ("i" | "and") negation }
Function::Parsed Function::ParseConjunction()
{
    const Parsed first = ParseNegation();
    while (m_nToken == kAnd) {
        RequireCondition(first);
        NextToken();
        RequireCondition(ParseNegation());
        Emit(kAnd);
    }
    return first;
}

// negation := { "nie" | "not" } comparison
// Counted rather than recursed, so a long row of them cannot exhaust the
// stack.
Function::Parsed Function::ParseNegation()
{
    int negations = 0;
    while (m_nToken == kNot) {
        ++negations;
        NextToken();
    }
    const Parsed operand = ParseComparison();
    if (negations > 0) {
        RequireCondition(operand);
        for (int i = 0; i < negations; ++i)
            Emit(kNot);
    }
    return operand;
}

// comparison := expression { ("<" | "<=" | ">" | ">=" | "=" | "<>") expression }
// A chain compares each neighbouring pair: a < b <= c is a < b and b <= c,
// with b computed once (each comparison but the last keeps its right
// operand for the next). Without a comparison the expression is returned as
// it is: a value, or a parenthesised condition.
Function::Parsed Function::ParseComparison()
{
    const Parsed left = ParseExpression();
    if (!IsComparison(m_nToken))
        return left;
    RequireValue(left);
    const int32_t position = m_nTokenPos;
    int comparisons = 0;
    while (IsComparison(m_nToken)) {
        const int32_t relation = m_nToken;
        NextToken();
        RequireValue(ParseExpression());
        if (IsComparison(m_nToken))
            Emit(kChain);
        Emit(relation);
        ++comparisons;
    }
    for (int i = 1; i < comparisons; ++i)
        Emit(kAnd);
    return {true, position};
}

void Function::RequireValue(const Parsed& parsed)
{
    if (parsed.condition)
        SyntaxError(EngineMessage::kComparisonAsValue, parsed.comparison);
}

void Function::RequireCondition(const Parsed& parsed)
{
    if (!parsed.condition)
        SyntaxError(EngineMessage::kConditionExpected);
}

// The current token cannot continue the formula. A comma right after a
// number and before a digit, where no argument list takes it, is a decimal
// comma: the hint says how to write it.
void Function::UnexpectedToken(const char* message)
{
    const size_t comma = static_cast<size_t>(m_nTokenPos);
    const bool decimalComma = m_nToken == kComma && m_nPreviousToken == kNumber &&
                              m_nPreviousEnd == comma && comma + 1 < m_strText.size() &&
                              m_strText[comma + 1] >= '0' && m_strText[comma + 1] <= '9';
    SyntaxError(decimalComma ? EngineMessage::kDecimalComma : message);
}

void Function::Emit(int32_t code)
{
    // The stack depth the program needs: pushes add a value, operations of
    // two operands take one away.
    const bool chained = !m_program.empty() && m_program.back() == kChain;
    m_program.push_back(code);
    switch (code) {
    case kPi:
    case kE:
    case kX:
    case kNumber:
        m_nMaxDepth = std::max(m_nMaxDepth, ++m_nDepth);
        break;
    case kPlus:
    case kMinus:
    case kMultiply:
    case kDivide:
    case kPower:
    case kPow:
    case kRoot:
    case kLog:
    case kMin:
    case kMax:
    case kMod:
    case kAnd:
    case kOr:
        --m_nDepth;
        break;
    default:
        // A comparison in a chain keeps its right operand.
        if (IsComparison(code) && !chained)
            --m_nDepth;
        break;
    }
}
