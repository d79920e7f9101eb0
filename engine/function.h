#pragma once

#include "engine/instruction.h"
#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// One formula y = f(x) of the formula language: its text (code page 1250),
/// its symbol tables, its compiled postfix program with the constant pool, and
/// the errors of the last compile or evaluation.
///
/// Errors are recorded in the error list and, as the owner chooses with the
/// two throw switches, also thrown as FunctionException. The evaluations of
/// one thread share one evaluation stack, so they must never overlap: an
/// object is used by one thread at a time, one evaluation at a time; other
/// threads may use objects of their own.
namespace Series {
template <class E, std::size_t Lanes>
class Block;
constexpr std::size_t kDoubleLanes = 256;
constexpr std::size_t kIntervalLanes = 64;
} // namespace Series

class Function
{
public:
    /// Token codes, which are also the codes of the compiled program.
    enum Code : int32_t {
        kOpen = 0,      ///< `(`
        kClose = 1,     ///< `)`
        kComma = 2,     ///< argument separator `,`
        kNegate = 3,    ///< a minus sign: leading, or after ^, * or /; emitted by the parser only
        kPlus = 4,
        kMinus = 5,
        kMultiply = 6,  ///< `*`, also an implied product (2x, x(x+1), (x+1)x, pi x)
        kDivide = 7,
        kPower = 8,     ///< `^`, left-associative
        kPi = 9,
        kX = 10,
        kNumber = 11,   ///< pushes the next constant of the pool
        kEnd = 12,
        kSin = 13,
        kAsin = 14,
        kSinh = 15,
        kCos = 16,
        kCosh = 17,
        kAcos = 18,
        kTan = 19,
        kTanh = 20,
        kAtan = 21,
        kCtg = 22,
        kCtgh = 23,
        kArcctg = 24,
        kPow = 25,
        kRoot = 26,
        kExp = 27,
        kLog = 28,      ///< two arguments: value and base; `log(x)` compiles to kLog10
        kLog10 = 29,
        kLn = 30,
        kSqr = 31,
        kSqrt = 32,
        kAbs = 33,
        kUnknown = 34,  ///< unrecognised symbol; never leaves the tokenizer
        kE = 35,        ///< the constant e; after kUnknown so that no other code moves
        // Functions added after e, so that no earlier code moves.
        kSgn = 36,      ///< sgn, znak: -1, 0 or 1
        kFloor = 37,    ///< floor, podłoga: the integer part [x]
        kCeil = 38,     ///< ceil, sufit
        kRound = 39,    ///< round, zaokr: halves away from zero
        kFrac = 40,     ///< frac, mantysa: x - floor(x)
        kMin = 41,
        kMax = 42,
        kMod = 43,      ///< mod(a, b) = a - b floor(a / b); undefined for b = 0
        // Pieces: `jeżeli(condition, a[, b])`. The program is the condition,
        // kThen, a, then for two branches kElse and b, and kIf last.
        kIf = 44,       ///< jeżeli, if; in the program it ends a piece: a where the condition holds, else b (or undefined)
        kLess = 45,     ///< comparisons take two values and give a condition
        kLessEqual = 46,
        kGreater = 47,
        kGreaterEqual = 48,
        kEqual = 49,
        kNotEqual = 50, ///< `<>`
        kAnd = 51,      ///< i, and: two conditions
        kOr = 52,       ///< lub, or
        kNot = 53,      ///< nie, not: one condition
        kThen = 54,     ///< program only: the condition is complete, the value where it holds follows
        kElse = 55,     ///< program only: the value where the condition holds is complete, the other follows
        kChain = 56,    ///< program only: the comparison after it keeps its right operand for the next one (a < b <= c)
    };

    /// The highest derivative order the engine computes.
    static constexpr int32_t kMaxOrder = 8;

    /// Deepest nesting of parentheses and calls that a formula may have; a
    /// deeper one is a syntax error at the token that opens the extra level.
    static constexpr int kMaxNesting = 256;

    Function();
    virtual ~Function();

    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;

    /// Replaces the text (up to its first zero byte) and compiles it. Throws
    /// FunctionException on a syntax error when m_bThrowSyntaxErrors is set.
    Function& SetFormula(std::string_view text);
    void Compile();
    bool HasErrors() const { return !m_errors.empty(); }

    /// Runs the compiled program for x. Returns the value, or 0 after an error
    /// that was recorded and not thrown (test HasErrors: 0 is a valid value).
    double Evaluate(double x);
    /// The derivative of the given order at x, exact to rounding: automatic
    /// differentiation (Taylor arithmetic) through the compiled program.
    /// Order 0 or less is Evaluate(x). Where the derivative does not exist
    /// (sqrt at 0, abs at 0, a coefficient beyond the range of doubles) or
    /// the order exceeds kMaxOrder, the evaluation fails with "Błąd
    /// dziedziny", as an undefined value does; a failing value fails with its
    /// own message.
    double EvaluateDerivative(double x, int32_t order);

    /// EvaluateDerivative at each of `count` arguments at once, for sampling:
    /// values[i] and failed[i] are what EvaluateDerivative(xs[i], order) would
    /// return and whether it would record an error (the value is then 0), to
    /// the last bit. Records and throws nothing; the error list is left empty
    /// or, for an object that did not compile, as it was.
    void EvaluateSeries(const double* xs, std::size_t count, int32_t order, double* values,
                        uint8_t* failed);

    /// The derivatives of orders 0 ... order (at most kMaxOrder) at each
    /// argument from one run: derivatives[k * count + i] is
    /// EvaluateDerivative(xs[i], k) to the last bit where k < defined[i], the
    /// number of leading orders that exist at xs[i] (0 where the value
    /// fails); the rest are 0. Records and throws nothing.
    void EvaluateDerivatives(const double* xs, std::size_t count, int32_t order,
                             double* derivatives, uint8_t* defined);

    /// Enclosures of the function and its derivatives of orders 0 ... order
    /// (at most kMaxOrder) over each interval of arguments:
    /// enclosures[k * count + i] holds f^(k)(x) for every x of xs[i] where
    /// f^(k) is defined, and flags[k * count + i] the Enclosure bits of that
    /// order (may fail, fails everywhere, by overflow, may jump). The intervals are
    /// finite, or [x, x] points. An object that did not compile fails
    /// everywhere. Records and throws nothing.
    void Enclose(const Interval* xs, std::size_t count, int32_t order, Interval* enclosures,
                 uint8_t* flags);
    /// Enclose for arguments seen through a scale: enclosures[k * count + i]
    /// holds scales[i]^k f^(k)(x) for every x of xs[i], the derivatives in t
    /// of f(x + scales[i] t). With the scale of the interval's width, the
    /// derivatives of a narrow interval far from 1 (x^-0.95 near 1e-300)
    /// stay within the range of doubles where f^(k) alone would not.
    void EncloseScaled(const Interval* xs, const double* scales, std::size_t count, int32_t order,
                       Interval* enclosures, uint8_t* flags);
    /// The enclosure of the value over one interval of arguments.
    Interval Enclose(Interval x, uint8_t& flags);

    /// Whether the compiled formula's derivative of the given order (0: the
    /// value) may jump somewhere: it holds a piece or a function with jumps
    /// (sgn, floor, ceil, round, frac, mod), or for a derivative a kink
    /// (abs, min, max). Elsewhere the curves are continuous where defined;
    /// where this is true, Enclose tells where a jump may lie.
    bool MayJump(int32_t order) const;

    /// The names the language knows (code page 1250, lower case) with the
    /// token each stands for: functions, constants and x. The help lists the
    /// functions from it, so it cannot drift from the language.
    const std::map<std::string, int32_t>& GetNames() const { return m_functionNames; }
    const std::string& GetText() const { return m_strText; }
    const std::vector<int32_t>& GetProgram() const { return m_program; }
    const std::vector<double>& GetConstants() const { return m_constants; }
    bool IsCompiled() const { return m_bCompiled; }
    /// The first recorded error: its message (code page 1250) and position.
    /// Only meaningful when HasErrors().
    std::pair<const char*, int32_t> GetError() const { return m_errors.front(); }

    /// Switches set by the owner and read at each compile and evaluation.
    bool m_bThrowSyntaxErrors = true;
    bool m_bThrowEvalErrors = false;
    bool m_bDegrees = false;

private:
    void BuildSymbolTables();
    void NextToken();
    void ReadNumber();

    std::string PeekName(size_t at) const;
    static bool IsComparison(int32_t token) { return token >= kLess && token <= kNotEqual; }

    /// What a grammar rule parsed: a value, or a condition (which only the
    /// first argument of jeżeli takes) with the position of its first
    /// comparison, where using it as a value is reported.
    struct Parsed
    {
        bool condition = false;
        int32_t comparison = -1;
    };

    // Grammar rules; each starts with its first token current and ends with
    // the token after what it parsed current. The condition rules emit the
    // codes of conditions; definitions and relations of whole formulas parse
    // theirs through them too.
    Parsed ParseExpression();
    Parsed ParseTerm();
    Parsed ParsePower();
    Parsed ParseFactor();
    bool ParseSign();
    Parsed ParseCondition();
    Parsed ParseConjunction();
    Parsed ParseNegation();
    Parsed ParseComparison();
    void ParseCall(int32_t token);
    void ParseArgument();
    void RequireValue(const Parsed& parsed);
    void RequireCondition(const Parsed& parsed);
    [[noreturn]] void UnexpectedToken(const char* message);
    void Emit(int32_t code);

    [[noreturn]] void SyntaxError(const char* message);
    [[noreturn]] void SyntaxError(const char* message, int32_t position);
    void EvaluationError(const char* message);
    double Fail(const char* message);
    void RunBlock(const double* xs, std::size_t count, double* values, uint8_t* failed) const;
    void ValueSeries(const double* xs, std::size_t count, double* values, uint8_t* failed);
    Series::Block<double, Series::kDoubleLanes>& DerivativeBlock(int32_t order);

    std::map<std::string, int32_t> m_functionNames;
    std::map<char, int32_t> m_operators;
    std::vector<int32_t> m_program;
    std::vector<double> m_constants;
    /// The program in the form it runs in, made from the two above.
    std::vector<Instruction> m_fast;
    /// The Taylor arithmetic for derivatives, made for one order when first
    /// needed after a compile.
    std::unique_ptr<Series::Block<double, Series::kDoubleLanes>> m_pDerivatives;
    std::unique_ptr<Series::Block<Interval, Series::kIntervalLanes>> m_pEnclosures;
    /// x is read outside the branches of pieces.
    bool m_bUsesX = false;
    size_t m_pCursor = 0;
    std::string m_strText;
    int32_t m_nToken = kEnd;
    int32_t m_nTokenPos = 0;
    /// The token before the current one and where it ended, for the hint on
    /// a decimal comma.
    int32_t m_nPreviousToken = kEnd;
    size_t m_nPreviousEnd = 0;
    std::vector<std::pair<const char*, int32_t>> m_errors;
    bool m_bCompiled = false;

    // Compile-time bookkeeping: the nesting of the parse and the stack depth
    // that the program needs, so evaluation can size the stack once.
    int m_nNesting = 0;
    int m_nDepth = 0;
    int m_nMaxDepth = 0;
};
