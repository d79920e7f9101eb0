#pragma once

#include "engine/angleunit.h"
#include "engine/instruction.h"
#include "engine/interval.h"
#include "engine/intervalfunctions.h"
#include "engine/wholepower.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

// Truncated Taylor series through a compiled program: automatic
// differentiation. Each value of the program becomes the coefficients
// c0 ... cn of its Taylor series in x at the argument (c0 the value, ck the
// k-th derivative over k!), and every instruction is applied to whole series
// by the recurrences of Taylor arithmetic. The coefficients are numbers of
// type E: doubles for derivatives, Intervals for enclosures of the function
// and its derivatives over intervals of arguments.
//
// A block of arguments is run a column at a time like the sampling path: each
// instruction is applied to every argument before the next. The instructions
// are the program's running form; each fused instruction is taken apart
// into the steps it stands for, which compute the value c0 exactly as
// evaluation does (the same operations on the same operands, in the same
// order), so with doubles c0 is Evaluate's value to the last bit.
//
// What fails: with doubles, an argument fails from order k on where a
// coefficient of order k is not finite (the derivative does not exist there:
// sqrt at 0, ln near 0 beyond the range of doubles) and from order 1 on at a
// kink (abs of a value crossing 0); value failures are Evaluate's (order 0).
// With intervals the flags of Enclosure say the same of every argument of
// the interval, per order.
namespace Series {

constexpr int kMaxTerms = 9; ///< orders 0 to 8
constexpr uint8_t kNone = 0xFF;

/// Messages of a failing argument, as evaluation reports them.
enum Message : uint8_t {
    kNoMessage = 0,
    kDomain = 1,   ///< "Błąd dziedziny"
    kDivision = 2, ///< "Dzielenie przez zero"
};

/// The lowest orders at which an argument fails, per kind of failure; kNone
/// where it does not. Doubles use only m_nFail (it fails for certain);
/// intervals all three.
struct LaneState
{
    uint8_t m_nFail = kNone;     ///< doubles: fails; intervals: may fail
    uint8_t m_nMustFail = kNone; ///< intervals: fails at every argument
    uint8_t m_nJump = kNone;     ///< intervals: may be discontinuous
    uint8_t m_nMessage = kNoMessage; ///< doubles: the message of the failure at m_nFail
};

inline double Factorial(int k)
{
    double f = 1;
    for (int i = 2; i <= k; ++i)
        f *= i;
    return f;
}

// The generalised binomial coefficient c (c - 1) ... (c - m + 1) / m!; 0
// exactly when c is a whole number from 0 to m - 1.
inline double Binomial(double c, int m)
{
    double b = 1;
    for (int i = 0; i < m; ++i)
        b = b * (c - i) / (i + 1);
    return b;
}

/// The E-specific parts: values of the functions (evaluation's own
/// formulas for doubles, enclosures for intervals) and the failure tests.
template <class E>
struct Numbers;

template <>
struct Numbers<double>
{
    static double Constant(double c) { return c; }
    static bool IsZero(double v) { return v == 0; }
    static double Exp(double v, LaneState&) { return std::exp(v); }
    static double Log(double v, LaneState&) { return std::log(v); }
    static double Log10(double v, LaneState&) { return std::log10(v); }
    static double Sqrt(double v, LaneState&) { return std::sqrt(v); }
    static double Sin(double v) { return std::sin(v); }
    static double Cos(double v) { return std::cos(v); }
    static double Tan(double v, LaneState&) { return std::tan(v); }
    static double Asin(double v, LaneState&) { return std::asin(v); }
    static double Acos(double v, LaneState&) { return std::acos(v); }
    static double Atan(double v) { return std::atan(v); }
    static double Sinh(double v, LaneState&) { return std::sinh(v); }
    static double Cosh(double v, LaneState&) { return std::cosh(v); }
    static double Tanh(double v) { return std::tanh(v); }
    static double Sqr(double v) { return v * v; }
    static double Pow(double a, double b, LaneState&) { return WholePower::Pow(a, b); }
    static double Quotient(double a, double b, LaneState&) { return a / b; }
    static bool AllFinite(const double* v, std::size_t n)
    {
        // NaN and the infinities have every exponent bit set.
        uint64_t all = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const uint64_t bits = std::bit_cast<uint64_t>(v[i]);
            all |= ((bits & 0x7FF0000000000000u) + 0x0010000000000000u) & 0x8000000000000000u;
        }
        return all == 0;
    }
    /// Marks the argument failing from `order` on where v is not finite.
    static void Check(double v, int order, LaneState& lane)
    {
        if (!std::isfinite(v))
            Fail(lane, order, kDomain);
    }
    /// The message is that of the failure of the lowest order, the first
    /// of them in the program: where the value fails, evaluation's own.
    static void Fail(LaneState& lane, int order, Message message)
    {
        if (order < lane.m_nFail) {
            lane.m_nFail = static_cast<uint8_t>(order);
            lane.m_nMessage = message;
        }
    }
};

template <>
struct Numbers<Interval>
{
    // Flags of one function's enclosure, turned into the lane's orders.
    static void Mark(LaneState& lane, uint8_t flags, int order)
    {
        const auto k = static_cast<uint8_t>(order);
        if (flags & Enclosure::kMayFail)
            lane.m_nFail = std::min(lane.m_nFail, k);
        if (flags & Enclosure::kMustFail)
            lane.m_nMustFail = std::min(lane.m_nMustFail, k);
        if (flags & Enclosure::kMayJump)
            lane.m_nJump = std::min(lane.m_nJump, k);
    }
    template <class F>
    static Interval Flagged(LaneState& lane, F f)
    {
        uint8_t flags = 0;
        const Interval r = f(flags);
        Mark(lane, flags, 0);
        return r;
    }

    static Interval Constant(double c) { return Interval::Point(c); }
    static bool IsZero(Interval v) { return v.lo == 0 && v.hi == 0; }
    static Interval Exp(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Exp(v, f); });
    }
    static Interval Log(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Log(v, f); });
    }
    static Interval Log10(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Log10(v, f); });
    }
    static Interval Sqrt(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Sqrt(v, f); });
    }
    static Interval Sin(Interval v) { return IntervalMath::Sin(v); }
    static Interval Cos(Interval v) { return IntervalMath::Cos(v); }
    static Interval Tan(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Tan(v, f); });
    }
    static Interval Asin(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Asin(v, f); });
    }
    static Interval Acos(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Acos(v, f); });
    }
    static Interval Atan(Interval v) { return IntervalMath::Atan(v); }
    static Interval Sinh(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Sinh(v, f); });
    }
    static Interval Cosh(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Cosh(v, f); });
    }
    static Interval Tanh(Interval v) { return IntervalMath::Tanh(v); }
    static Interval Sqr(Interval v) { return IntervalMath::Sqr(v); }
    static Interval Pow(Interval a, Interval b, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Pow(a, b, f); });
    }
    static Interval Quotient(Interval a, Interval b, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Divide(a, b, f); });
    }
    static bool AllFinite(const Interval*, std::size_t) { return false; }
    static void Check(Interval v, int order, LaneState& lane)
    {
        if (v.IsEmpty() || v.lo == IntervalMath::kInfinity || v.hi == -IntervalMath::kInfinity)
            Mark(lane, Enclosure::kMayFail | Enclosure::kMustFail, order);
        else if (!v.IsFinite())
            Mark(lane, Enclosure::kMayFail, order);
    }
};

/// Runs a program over blocks of up to Lanes arguments, to a fixed order.
/// Not thread-safe itself: one block per thread.
template <class E, std::size_t Lanes>
class Block
{
public:
    using N = Numbers<E>;

    Block(const std::vector<Instruction>& program, int depth, int order)
        : m_program(program), m_nTerms(order + 1)
    {
        // The program's levels plus room for the steps of a fused
        // instruction and the scratch blocks of a function's series.
        const std::size_t blocks = static_cast<std::size_t>(depth) + 8;
        m_storage.resize(blocks * m_nTerms * Lanes);
        for (std::size_t b = 0; b < blocks; ++b)
            m_free.push_back(m_storage.data() + b * m_nTerms * Lanes);
        m_levels.reserve(static_cast<std::size_t>(depth) + 4);
        std::fill(std::begin(m_ones), std::end(m_ones), N::Constant(1));
    }

    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    /// Runs the program over xs[0 .. n), n <= Lanes, with angles in degrees
    /// or radians. Afterwards Coefficient(k) holds the Taylor coefficients of
    /// order k and State() the lanes' failures.
    void Run(const E* xs, std::size_t n, bool degrees)
    {
        m_bDegrees = degrees;
        m_bXChecked = false;
        m_xs = xs;
        m_n = n;
        for (Level& level : m_levels)
            m_free.push_back(level.block);
        m_levels.clear();
        std::fill(m_state, m_state + n, LaneState{});
        for (const Instruction& in : m_program)
            Step(in);
        Level& result = m_levels.back();
        Check(result);
        for (int k = 0; k < m_nTerms; ++k)
            m_result[k] = k < result.terms ? result.col[k] : nullptr;
    }

    int terms() const { return m_nTerms; }
    /// The column of order k (nullptr where every coefficient is 0).
    const E* Coefficient(int k) const { return m_result[k]; }
    const LaneState* State() const { return m_state; }

private:
    struct Level
    {
        E* block;                     ///< owned storage, m_nTerms columns
        const E* col[kMaxTerms] = {}; ///< the columns; beyond `terms` all 0
        int terms = 0;
        bool checked = false;         ///< its coefficients were tested
    };

    E* Column(E* block, int k) { return block + static_cast<std::size_t>(k) * Lanes; }

    E* TakeBlock()
    {
        E* b = m_free.back();
        m_free.pop_back();
        return b;
    }

    Level& Top(int fromTop = 0) { return m_levels[m_levels.size() - 1 - fromTop]; }

    // Columns of the level made writable in its own block.
    void OwnColumns(Level& level)
    {
        for (int k = 0; k < level.terms; ++k) {
            E* own = Column(level.block, k);
            if (level.col[k] != own) {
                std::copy(level.col[k], level.col[k] + m_n, own);
                level.col[k] = own;
            }
        }
    }

    // The level's contents replaced by a new block holding `terms` columns.
    void Replace(Level& level, E* block, int terms)
    {
        m_free.push_back(level.block);
        level.block = block;
        level.terms = terms;
        for (int k = 0; k < m_nTerms; ++k)
            level.col[k] = k < terms ? Column(block, k) : nullptr;
    }

    void Pop()
    {
        m_free.push_back(m_levels.back().block);
        m_levels.pop_back();
    }

    void Check(Level& level)
    {
        if (level.checked)
            return;
        for (int k = 0; k < level.terms; ++k) {
            const E* c = level.col[k];
            // Almost every column is finite throughout: a pass without
            // branches finds out, and only a column with a failure is gone
            // through lane by lane.
            if (N::AllFinite(c, m_n))
                continue;
            for (std::size_t i = 0; i < m_n; ++i)
                N::Check(c[i], k, m_state[i]);
        }
        level.checked = true;
    }

    void PushConstant(double c)
    {
        Level level;
        level.block = TakeBlock();
        E* out = Column(level.block, 0);
        std::fill(out, out + m_n, N::Constant(c));
        level.col[0] = out;
        level.terms = 1;
        m_levels.push_back(level);
        Check(m_levels.back());
    }

    void PushX()
    {
        Level level;
        level.block = TakeBlock();
        level.col[0] = m_xs;
        level.terms = 1;
        if (m_nTerms > 1) {
            level.col[1] = m_ones;
            level.terms = 2;
        }
        m_levels.push_back(level);
        // x is tested once a run, where the program first reads it.
        if (!m_bXChecked) {
            Check(m_levels.back());
            m_bXChecked = true;
        }
        m_levels.back().checked = true;
    }

    // Elementwise on every column: negation, products with a constant.
    template <class F>
    void Map(Level& level, F f)
    {
        OwnColumns(level);
        for (int k = 0; k < level.terms; ++k) {
            E* c = Column(level.block, k);
            for (std::size_t i = 0; i < m_n; ++i)
                c[i] = f(c[i]);
        }
        level.checked = false;
    }

    void AddConstant(Level& level, double c, bool subtract)
    {
        OwnColumns(level);
        E* c0 = Column(level.block, 0);
        const E constant = N::Constant(c);
        for (std::size_t i = 0; i < m_n; ++i)
            c0[i] = subtract ? c0[i] - constant : c0[i] + constant;
        level.checked = false;
    }

    // c - u, the constant first.
    void ConstantMinus(Level& level, double c)
    {
        OwnColumns(level);
        const E constant = N::Constant(c);
        E* c0 = Column(level.block, 0);
        for (std::size_t i = 0; i < m_n; ++i)
            c0[i] = constant - c0[i];
        for (int k = 1; k < level.terms; ++k) {
            E* ck = Column(level.block, k);
            for (std::size_t i = 0; i < m_n; ++i)
                ck[i] = -ck[i];
        }
        level.checked = false;
    }

    // a + b or a - b into a; the shorter series has zeros beyond its terms.
    void AddLevels(bool subtract)
    {
        Level& b = Top(0);
        Level& a = Top(1);
        const int terms = std::max(a.terms, b.terms);
        E* out = TakeBlock();
        for (int k = 0; k < terms; ++k) {
            E* w = Column(out, k);
            const E* x = k < a.terms ? a.col[k] : nullptr;
            const E* y = k < b.terms ? b.col[k] : nullptr;
            if (x && y) {
                for (std::size_t i = 0; i < m_n; ++i)
                    w[i] = subtract ? x[i] - y[i] : x[i] + y[i];
            } else if (x) {
                std::copy(x, x + m_n, w);
            } else {
                for (std::size_t i = 0; i < m_n; ++i)
                    w[i] = subtract ? -y[i] : y[i];
            }
        }
        Pop();
        Replace(Top(), out, terms);
        Top().checked = false;
    }

    // The Cauchy product, truncated: w_k = sum a_j b_(k-j).
    void Multiply(const Level& a, const Level& b, E* out, int terms)
    {
        for (int k = 0; k < terms; ++k) {
            E* w = Column(out, k);
            const int first = std::max(0, k - (b.terms - 1));
            const int last = std::min(k, a.terms - 1);
            const E* x = a.col[first];
            const E* y = b.col[k - first];
            for (std::size_t i = 0; i < m_n; ++i)
                w[i] = x[i] * y[i];
            for (int j = first + 1; j <= last; ++j) {
                x = a.col[j];
                y = b.col[k - j];
                for (std::size_t i = 0; i < m_n; ++i)
                    w[i] += x[i] * y[i];
            }
        }
    }

    void MultiplyLevels()
    {
        Level& b = Top(0);
        Level& a = Top(1);
        const int terms = std::min(m_nTerms, a.terms + b.terms - 1);
        E* out = TakeBlock();
        Multiply(a, b, out, terms);
        Pop();
        Replace(Top(), out, terms);
        Top().checked = false;
    }

    // w = a / b: w_k = (a_k - sum_(j>=1) b_j w_(k-j)) / b0. A zero divisor
    // fails with `message` (the operator's own, or a domain error where
    // evaluation divides inside a function).
    void Divide(const Level& a, const Level& b, E* out, Message message)
    {
        const E* b0 = b.col[0];
        for (std::size_t i = 0; i < m_n; ++i) {
            if constexpr (std::is_same_v<E, double>) {
                if (b0[i] == 0)
                    N::Fail(m_state[i], 0, message);
            } else {
                if (b0[i].Contains(0))
                    Numbers<Interval>::Mark(m_state[i],
                                            Enclosure::kMayFail |
                                                (N::IsZero(b0[i]) ? Enclosure::kMustFail : 0),
                                            0);
            }
        }
        const int terms = b.terms > 1 ? m_nTerms : a.terms;
        for (int k = 0; k < terms; ++k) {
            E* w = Column(out, k);
            const E* x = k < a.terms ? a.col[k] : nullptr;
            if (k == 0 || b.terms == 1) {
                for (std::size_t i = 0; i < m_n; ++i)
                    w[i] = x ? x[i] / b0[i] : N::Constant(0);
                continue;
            }
            for (std::size_t i = 0; i < m_n; ++i) {
                E sum = b.col[1][i] * Column(out, k - 1)[i];
                for (int j = 2; j <= std::min(k, b.terms - 1); ++j)
                    sum += b.col[j][i] * Column(out, k - j)[i];
                w[i] = ((x ? x[i] : N::Constant(0)) - sum) / b0[i];
            }
        }
        (void)message;
    }

    void DivideLevels(Message message)
    {
        Check(Top(0));
        Check(Top(1));
        Level& b = Top(0);
        Level& a = Top(1);
        E* out = TakeBlock();
        const int terms = b.terms > 1 ? m_nTerms : a.terms;
        Divide(a, b, out, message);
        Pop();
        Replace(Top(), out, terms);
        Top().checked = false;
        Check(Top());
    }

    // c / u, the constant first.
    void ConstantOver(double c, Message message)
    {
        Level constant;
        E* numerator = TakeBlock();
        std::fill(numerator, numerator + m_n, N::Constant(c));
        constant.block = numerator;
        constant.col[0] = numerator;
        constant.terms = 1;
        // The divisor goes below the constant, as in a / b with a the constant.
        m_levels.push_back(constant);
        std::swap(Top(0), Top(1));
        DivideLevels(message);
    }

    // Applies a function to each lane's series: f(u, w, terms, state) reads
    // the coefficients u[0 .. terms) and writes w[0 .. terms).
    template <class F>
    void PerLane(Level& level, int terms, F f)
    {
        // The operand and the result are tested in the same pass, lane by
        // lane, as the function itself runs.
        const bool operandChecked = level.checked;
        E* out = TakeBlock();
        E u[kMaxTerms];
        E w[kMaxTerms];
        for (std::size_t i = 0; i < m_n; ++i) {
            LaneState& state = m_state[i];
            for (int k = 0; k < level.terms; ++k) {
                u[k] = level.col[k][i];
                if (!operandChecked)
                    N::Check(u[k], k, state);
            }
            for (int k = level.terms; k < terms; ++k)
                u[k] = N::Constant(0);
            f(u, w, terms, state);
            for (int k = 0; k < terms; ++k) {
                N::Check(w[k], k, state);
                Column(out, k)[i] = w[k];
            }
        }
        Replace(level, out, terms);
        level.checked = true;
    }

    // The terms a function's result has: all of them unless its argument is
    // constant over the block's arguments.
    int FunctionTerms(const Level& level) const { return level.terms > 1 ? m_nTerms : 1; }

    template <class F>
    void ApplyFunction(F f)
    {
        Level& u = Top();
        PerLane(u, FunctionTerms(u), f);
    }

    // The angle unit: the argument of the direct trigonometric functions is
    // multiplied by pi and then by 1/180, the result of the inverse ones by
    // 180/pi, on every coefficient.
    void ToRadians(Level& level)
    {
        if (!m_bDegrees)
            return;
        const E pi = N::Constant(kPiValue);
        const E over180 = N::Constant(kOneOver180);
        Map(level, [&](E v) { return v * pi * over180; });
    }

    void FromRadians(E* w, int terms) const
    {
        if (!m_bDegrees)
            return;
        const E factor = N::Constant(180.0 / kPiValue);
        for (int k = 0; k < terms; ++k)
            w[k] = factor * w[k];
    }

    // w_k = (1/k) sum_(j=1..k) j u_j v_(k-j): the k-th coefficient of the
    // integral of u' v.
    static E Integral(const E* u, const E* v, int k)
    {
        E sum = N::Constant(1) * u[1] * v[k - 1];
        for (int j = 2; j <= k; ++j)
            sum += N::Constant(j) * u[j] * v[k - j];
        return sum / N::Constant(k);
    }

    // sum_(j=lo..hi) a_j b_(k-j)
    static E Convolution(const E* a, const E* b, int k, int lo, int hi)
    {
        E sum = a[lo] * b[k - lo];
        for (int j = lo + 1; j <= hi; ++j)
            sum += a[j] * b[k - j];
        return sum;
    }

    // The series of the inverse trigonometric functions in radians from
    // w' = u' / q: w_k = (k u_k - sum_(j=1..k-1) j w_j q_(k-j)) / (k q0).
    static void QuotientIntegral(const E* u, const E* q, E* w, int terms)
    {
        for (int k = 1; k < terms; ++k) {
            E sum = N::Constant(k) * u[k];
            for (int j = 1; j < k; ++j)
                sum -= N::Constant(j) * w[j] * q[k - j];
            w[k] = sum / (N::Constant(k) * q[0]);
        }
    }

    static void LogSeries(const E* u, E* w, int terms)
    {
        for (int k = 1; k < terms; ++k) {
            E sum = u[k];
            if (k > 1) {
                E inner = N::Constant(1) * w[1] * u[k - 1];
                for (int j = 2; j < k; ++j)
                    inner += N::Constant(j) * w[j] * u[k - j];
                sum -= inner / N::Constant(k);
            }
            w[k] = sum / u[0];
        }
    }

    static void SqrtSeries(const E* u, E* w, int terms)
    {
        for (int k = 1; k < terms; ++k) {
            E sum = u[k];
            if (k > 1)
                sum -= Convolution(w, w, k, 1, k - 1);
            w[k] = sum / (N::Constant(2) * w[0]);
        }
    }

    // sqrt(1 - u^2), for asin and acos.
    static void Cathetus(const E* u, E* q, int terms, LaneState& state)
    {
        E r[kMaxTerms];
        r[0] = N::Constant(1) - N::Sqr(u[0]);
        for (int k = 1; k < terms; ++k)
            r[k] = -Convolution(u, u, k, 0, k);
        q[0] = N::Sqrt(r[0], state);
        SqrtSeries(r, q, terms);
    }

    // w = exp(v) given w0: w_k = (1/k) sum j v_j w_(k-j).
    static void ExpSeries(const E* v, E* w, int terms)
    {
        for (int k = 1; k < terms; ++k)
            w[k] = Integral(v, w, k);
    }

    // The composition w_k = sum_(m=1..k) g_m (a - a0)^m_k of a function
    // whose m-th derivative at a0 over m! is g_m (g[1 .. terms)); w0 is the
    // caller's. A g_m of 0 adds nothing, even where the power is infinite.
    static void Compose(const E* a, const E* g, const bool* zero, E* w, int terms)
    {
        E powers[kMaxTerms][kMaxTerms]; // powers[m][k]: (a - a0)^m, order k
        for (int k = 0; k < terms; ++k)
            powers[1][k] = k == 0 ? N::Constant(0) : a[k];
        for (int m = 2; m < terms; ++m) {
            for (int k = 0; k < terms; ++k)
                powers[m][k] = k < m ? N::Constant(0)
                                     : Convolution(powers[m - 1], powers[1], k, m - 1, k - 1);
        }
        for (int k = 1; k < terms; ++k)
            w[k] = N::Constant(0);
        for (int m = 1; m < terms; ++m) {
            if (zero[m])
                continue;
            for (int k = m; k < terms; ++k) {
                if (!N::IsZero(powers[m][k]))
                    w[k] += g[m] * powers[m][k];
            }
        }
    }

    // a^c for a constant exponent, w0 as evaluation computes it. The
    // derivatives of a^c are binom(c, m) a0^(c-m) m!; for a whole c they are
    // taken by composition, with the powers of a0 made from one power and
    // products (so the derivatives of x^2 are 2x and 2 to the last bit), and
    // binom(c, m) = 0 beyond m = c; for another c by the recurrence
    // a w' = c a' w, which needs a0 != 0.
    static void PowerSeries(const E* a, double c, E* w, int terms, LaneState& state)
    {
        w[0] = N::Pow(a[0], N::Constant(c), state);
        const bool whole = c == std::trunc(c);
        E g[kMaxTerms];
        bool zero[kMaxTerms] = {};
        if constexpr (std::is_same_v<E, double>) {
            if (whole) {
                // Each g_m is made the same way whatever the number of
                // terms, so a derivative does not depend on how many are
                // taken: for c up to 16 the powers of a0 are products from
                // a0 up, beyond that each is a library power.
                const bool small = c >= 0 && c <= WholePower::kMaxExponent;
                double powers[WholePower::kMaxExponent] = {1};
                if (small) {
                    for (int e = 1; e < c; ++e)
                        powers[e] = e == 1 ? a[0] : powers[e - 1] * a[0];
                }
                for (int m = 1; m < terms; ++m) {
                    zero[m] = c >= 0 && m > c;
                    if (zero[m])
                        continue;
                    const double factor = small ? powers[static_cast<int>(c) - m]
                                                : WholePower::Pow(a[0], c - m);
                    g[m] = Binomial(c, m) * factor;
                }
                Compose(a, g, zero, w, terms);
                return;
            }
            if (a[0] != 0 && w[0] != 0) {
                // w_k = sum_(j=1..k) (c j - (k - j)) a_j w_(k-j) / (k a0)
                for (int k = 1; k < terms; ++k) {
                    double sum = (c - (k - 1)) * a[1] * w[k - 1];
                    for (int j = 2; j <= k; ++j)
                        sum += (c * j - (k - j)) * a[j] * w[k - j];
                    w[k] = sum / (k * a[0]);
                }
                return;
            }
            // At a base of 0 a power that is not whole (sqrt, x^1.5) has no
            // derivative, unless the base stays 0.
            if (!ConstantBeyondValue(a, terms)) {
                std::fill(w + 1, w + terms, 0.0);
                N::Fail(state, 1, kDomain);
                return;
            }
            std::fill(w + 1, w + terms, 0.0);
        } else {
            if (a[0].Contains(0) && !whole && terms > 1)
                Numbers<Interval>::Mark(state, Enclosure::kMayFail, 1);
            for (int m = 1; m < terms; ++m) {
                const double binomial = Binomial(c, m);
                zero[m] = binomial == 0;
                if (zero[m])
                    continue;
                // A power of a0 that may fail spoils the derivatives of
                // order m on, not the value.
                LaneState derivative;
                g[m] = N::Constant(binomial) * N::Pow(a[0], N::Constant(c - m), derivative);
                if (derivative.m_nFail != kNone)
                    state.m_nFail = std::min(state.m_nFail, static_cast<uint8_t>(m));
                if (derivative.m_nMustFail != kNone)
                    state.m_nMustFail = std::min(state.m_nMustFail, static_cast<uint8_t>(m));
            }
            Compose(a, g, zero, w, terms);
        }
    }

    // a^b with both series: exp(b ln a), w0 as evaluation computes it.
    static void GeneralPower(const E* a, const E* b, E* w, int terms, LaneState& state)
    {
        E ln[kMaxTerms];
        E v[kMaxTerms];
        w[0] = N::Pow(a[0], b[0], state);
        LaneState ignored;
        ln[0] = N::Log(a[0], ignored);
        if constexpr (std::is_same_v<E, double>) {
            // A base of at most 0 has no power series in the exponent.
            if (!(a[0] > 0))
                ln[0] = std::numeric_limits<double>::quiet_NaN();
        } else {
            if (!(a[0].lo > 0))
                Numbers<Interval>::Mark(state, Enclosure::kMayFail, 1);
        }
        LogSeries(a, ln, terms);
        for (int k = 1; k < terms; ++k)
            v[k] = Convolution(b, ln, k, 0, k);
        ExpSeries(v, w, terms);
    }

    static bool ConstantBeyondValue(const E* u, int terms)
    {
        for (int k = 1; k < terms; ++k) {
            if (!N::IsZero(u[k]))
                return false;
        }
        return true;
    }

    // |u|: the series times the sign of u where u0 is not 0. Where it is 0,
    // the first coefficient that is not 0 decides: of an even order, |u| is
    // smooth (|x^2|); of an odd order, u crosses 0 and |u| has a kink, where
    // no derivative exists.
    static void AbsSeries(const E* u, E* w, int terms, LaneState& state)
    {
        if constexpr (std::is_same_v<E, double>) {
            w[0] = std::fabs(u[0]);
            int first = 0;
            while (first < terms && u[first] == 0)
                ++first;
            if (first == terms) {
                std::fill(w + 1, w + terms, 0.0);
                return;
            }
            if (first % 2 == 1)
                N::Fail(state, 1, kDomain);
            const double sign = u[first] < 0 ? -1 : 1;
            for (int k = 1; k < terms; ++k)
                w[k] = sign * u[k];
        } else {
            w[0] = IntervalMath::Abs(u[0]);
            if (u[0].lo >= 0 || u[0].hi <= 0) {
                const bool negative = u[0].hi <= 0 && u[0].lo < 0;
                for (int k = 1; k < terms; ++k)
                    w[k] = negative ? -u[k] : u[k];
                // Touching 0 at an end: a kink there unless u stays on one side.
                if (u[0].Contains(0) && terms > 1)
                    Numbers<Interval>::Mark(state, Enclosure::kMayFail | Enclosure::kMayJump, 1);
                return;
            }
            for (int k = 1; k < terms; ++k)
                w[k] = IntervalMath::Hull(u[k], -u[k]);
            if (terms > 1)
                Numbers<Interval>::Mark(state, Enclosure::kMayFail | Enclosure::kMayJump, 1);
        }
    }

    void UnaryStep(int32_t op)
    {
        switch (op) {
        case Op::kSin:
        case Op::kCos:
            ToRadians(Top());
            ApplyFunction([op](const E* u, E* w, int terms, LaneState&) {
                E s[kMaxTerms];
                E c[kMaxTerms];
                s[0] = N::Sin(u[0]);
                c[0] = N::Cos(u[0]);
                for (int k = 1; k < terms; ++k) {
                    s[k] = Integral(u, c, k);
                    c[k] = -Integral(u, s, k);
                }
                std::copy(op == Op::kSin ? s : c, (op == Op::kSin ? s : c) + terms, w);
            });
            break;
        case Op::kSinh:
        case Op::kCosh:
            ApplyFunction([op](const E* u, E* w, int terms, LaneState& state) {
                E s[kMaxTerms];
                E c[kMaxTerms];
                s[0] = N::Sinh(u[0], state);
                c[0] = N::Cosh(u[0], state);
                for (int k = 1; k < terms; ++k) {
                    s[k] = Integral(u, c, k);
                    c[k] = Integral(u, s, k);
                }
                std::copy(op == Op::kSinh ? s : c, (op == Op::kSinh ? s : c) + terms, w);
            });
            break;
        case Op::kTan:
        case Op::kCtg:
            ToRadians(Top());
            // tan' = 1 + tan^2, cot' = -(1 + cot^2); cot is 1 / tan, as
            // evaluation computes it.
            ApplyFunction([op](const E* u, E* w, int terms, LaneState& state) {
                const E t = N::Tan(u[0], state);
                const bool cot = op == Op::kCtg;
                w[0] = cot ? N::Quotient(N::Constant(1), t, state) : t;
                E q[kMaxTerms];
                q[0] = N::Constant(1) + N::Sqr(w[0]);
                for (int k = 1; k < terms; ++k) {
                    w[k] = cot ? -Integral(u, q, k) : Integral(u, q, k);
                    q[k] = Convolution(w, w, k, 0, k);
                }
            });
            break;
        case Op::kTanh:
        case Op::kCtgh:
            // tanh' = 1 - tanh^2, coth' = 1 - coth^2.
            ApplyFunction([op](const E* u, E* w, int terms, LaneState& state) {
                const E t = N::Tanh(u[0]);
                w[0] = op == Op::kCtgh ? N::Quotient(N::Constant(1), t, state) : t;
                E q[kMaxTerms];
                q[0] = N::Constant(1) - N::Sqr(w[0]);
                for (int k = 1; k < terms; ++k) {
                    w[k] = Integral(u, q, k);
                    q[k] = -Convolution(w, w, k, 0, k);
                }
            });
            break;
        case Op::kAsin:
        case Op::kAcos:
            ApplyFunction([this, op](const E* u, E* w, int terms, LaneState& state) {
                E q[kMaxTerms];
                // sqrt(1 - u^2) serves the derivatives only: where it may
                // fail, so may they, not the value.
                LaneState derivatives;
                Cathetus(u, q, terms, derivatives);
                if (derivatives.m_nFail != kNone || derivatives.m_nMustFail != kNone)
                    state.m_nFail = std::min<uint8_t>(state.m_nFail, 1);
                QuotientIntegral(u, q, w, terms);
                if (op == Op::kAcos) {
                    w[0] = N::Acos(u[0], state);
                    for (int k = 1; k < terms; ++k)
                        w[k] = -w[k];
                } else {
                    w[0] = N::Asin(u[0], state);
                }
                FromRadians(w, terms);
            });
            break;
        case Op::kAtan:
        case Op::kArcctg:
            ApplyFunction([this, op](const E* u, E* w, int terms, LaneState&) {
                E q[kMaxTerms];
                q[0] = N::Constant(1) + N::Sqr(u[0]);
                for (int k = 1; k < terms; ++k)
                    q[k] = Convolution(u, u, k, 0, k);
                QuotientIntegral(u, q, w, terms);
                if (op == Op::kArcctg) {
                    w[0] = N::Constant(kPiValue * 0.5) - N::Atan(u[0]);
                    for (int k = 1; k < terms; ++k)
                        w[k] = -w[k];
                } else {
                    w[0] = N::Atan(u[0]);
                }
                FromRadians(w, terms);
            });
            break;
        case Op::kExp:
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Exp(u[0], state);
                ExpSeries(u, w, terms);
            });
            break;
        case Op::kLn:
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Log(u[0], state);
                LogSeries(u, w, terms);
            });
            break;
        case Op::kLog10:
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Log10(u[0], state);
                LogSeries(u, w, terms);
                // 1 / ln 10, enclosed for intervals by its neighbours.
                const double inverse = 0.43429448190325176;
                E factor = N::Constant(inverse);
                if constexpr (!std::is_same_v<E, double>)
                    factor = {IntervalMath::Down(inverse), IntervalMath::Up(inverse)};
                for (int k = 1; k < terms; ++k)
                    w[k] = factor * w[k];
            });
            break;
        case Op::kSqr: {
            Level& u = Top();
            Check(u);
            const int terms = std::min(m_nTerms, 2 * u.terms - 1);
            E* out = TakeBlock();
            Multiply(u, u, out, terms);
            if constexpr (!std::is_same_v<E, double>) {
                E* c0 = Column(out, 0);
                for (std::size_t i = 0; i < m_n; ++i)
                    c0[i] = N::Sqr(u.col[0][i]);
            }
            Replace(u, out, terms);
            u.checked = false;
            Check(u);
            break;
        }
        case Op::kSqrt:
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Sqrt(u[0], state);
                SqrtSeries(u, w, terms);
            });
            break;
        case Op::kAbs:
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                AbsSeries(u, w, terms, state);
            });
            break;
        }
    }

    // a^b for the two top levels.
    void PowerLevels()
    {
        Check(Top(0));
        Check(Top(1));
        Level& b = Top(0);
        Level& a = Top(1);
        const int terms = (a.terms > 1 || b.terms > 1) ? m_nTerms : 1;
        E* out = TakeBlock();
        E u[kMaxTerms];
        E v[kMaxTerms];
        E w[kMaxTerms];
        for (std::size_t i = 0; i < m_n; ++i) {
            for (int k = 0; k < terms; ++k) {
                u[k] = k < a.terms ? a.col[k][i] : N::Constant(0);
                v[k] = k < b.terms ? b.col[k][i] : N::Constant(0);
            }
            if (ConstantBeyondValue(v, terms) && IsPointValue(v[0]))
                PowerSeries(u, PointValue(v[0]), w, terms, m_state[i]);
            else
                GeneralPower(u, v, w, terms, m_state[i]);
            for (int k = 0; k < terms; ++k)
                Column(out, k)[i] = w[k];
        }
        Pop();
        Replace(Top(), out, terms);
        Top().checked = false;
        Check(Top());
    }

    static bool IsPointValue(const E& v)
    {
        if constexpr (std::is_same_v<E, double>)
            return true;
        else
            return v.IsPoint();
    }

    static double PointValue(const E& v)
    {
        if constexpr (std::is_same_v<E, double>)
            return v;
        else
            return v.lo;
    }

    // A binary step on the two top levels, by the operator's code.
    void BinaryStep(int32_t op)
    {
        switch (op) {
        case Op::kAdd: AddLevels(false); break;
        case Op::kSub: AddLevels(true); break;
        case Op::kMul: MultiplyLevels(); break;
        case Op::kDiv: DivideLevels(kDivision); break;
        default: PowerLevels(); break;
        }
    }

    // The top level with a constant as the right operand.
    void WithConstant(int32_t op, double c)
    {
        switch (op) {
        case Op::kAdd: AddConstant(Top(), c, false); break;
        case Op::kSub: AddConstant(Top(), c, true); break;
        case Op::kMul: {
            const E constant = N::Constant(c);
            Map(Top(), [&](E v) { return v * constant; });
            break;
        }
        default:
            PushConstant(c);
            BinaryStep(op);
            break;
        }
    }

    void Step(const Instruction& in)
    {
        const double c = in.value;
        switch (in.op) {
        case Op::kConst: PushConstant(c); break;
        case Op::kX: PushX(); break;
        case Op::kNegate: Map(Top(), [](E v) { return -v; }); break;
        case Op::kAdd:
        case Op::kSub:
        case Op::kMul:
        case Op::kDiv:
        case Op::kPow: BinaryStep(in.op); break;
        case Op::kAddC:
        case Op::kSubC:
        case Op::kMulC:
        case Op::kDivC:
        case Op::kPowC: WithConstant(in.op - Op::kAddC + Op::kAdd, c); break;
        case Op::kAddX:
        case Op::kSubX:
        case Op::kMulX:
        case Op::kDivX:
        case Op::kPowX:
            PushX();
            BinaryStep(in.op - Op::kAddX + Op::kAdd);
            break;
        case Op::kCAddX:
        case Op::kCSubX:
        case Op::kCMulX:
        case Op::kCDivX:
        case Op::kCPowX: {
            // constant op x
            const int32_t op = in.op - Op::kCAddX + Op::kAdd;
            PushX();
            if (op == Op::kSub) {
                ConstantMinus(Top(), c);
            } else if (op == Op::kDiv) {
                ConstantOver(c, kDivision);
            } else if (op == Op::kPow) {
                PushConstant(c);
                std::swap(Top(0), Top(1));
                PowerLevels();
            } else {
                WithConstant(op, c); // + and * commute exactly
            }
            break;
        }
        case Op::kXPowC:
            if constexpr (std::is_same_v<E, double>) {
                if (WholePower::IsWholeExponent(c)) {
                    WholePowerOfX(static_cast<int>(c));
                    break;
                }
            }
            PushX();
            WithConstant(Op::kPow, c);
            break;
        case Op::kXAddC:
        case Op::kXSubC:
        case Op::kXMulC:
        case Op::kXDivC:
            PushX();
            WithConstant(in.op - Op::kXAddC + Op::kAdd, c);
            break;
        case Op::kMulXAddC:
            PushX();
            MultiplyLevels();
            AddConstant(Top(), c, false);
            break;
        case Op::kCMulXAddC:
            PushX();
            WithConstant(Op::kMul, c);
            AddConstant(Top(), in.addend, false);
            break;
        case Op::kRoot:
            // a raised to 1 / b; 1 / 0 is infinite, and pow decides.
            ConstantOverUnchecked(1);
            PowerLevels();
            break;
        case Op::kLog:
            // ln a / ln b; ln 1 = 0 gives an infinite value, a domain error.
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Log(u[0], state);
                LogSeries(u, w, terms);
            });
            std::swap(Top(0), Top(1));
            ApplyFunction([](const E* u, E* w, int terms, LaneState& state) {
                w[0] = N::Log(u[0], state);
                LogSeries(u, w, terms);
            });
            std::swap(Top(0), Top(1));
            DivideLevels(kDomain);
            break;
        default: UnaryStep(in.op); break;
        }
    }

    // x^c for a whole c from 1 to 16, the commonest power, a column at a
    // time: the value by the sampling path's own powers, the coefficients
    // binom(c, k) x^(c-k) with the powers of x made as PowerSeries makes them
    // (products from x up), so each is the same to the last bit.
    void WholePowerOfX(int c)
    {
        PushX();
        Level& top = Top();
        E* out = TakeBlock();
        WholePower::Powers(m_xs, m_n, c, Column(out, 0));
        const int terms = std::min(m_nTerms, c + 1);
        E* power = TakeBlock(); // x^e, e from 1 up
        for (int e = 0; e < c; ++e) {
            if (e == 1)
                std::copy(m_xs, m_xs + m_n, power);
            else if (e > 1)
                for (std::size_t i = 0; i < m_n; ++i)
                    power[i] = power[i] * m_xs[i];
            const int k = c - e;
            if (k >= terms)
                continue;
            const double binomial = Binomial(c, k);
            E* w = Column(out, k);
            for (std::size_t i = 0; i < m_n; ++i)
                w[i] = 0.0 + binomial * (e == 0 ? 1.0 : power[i]);
        }
        m_free.push_back(power);
        Replace(top, out, terms);
        top.checked = false;
        Check(top);
    }

    // The top level u becomes c / u without failing on u = 0 (root's 1 / b).
    void ConstantOverUnchecked(double c)
    {
        Level& b = Top();
        Check(b);
        E* out = TakeBlock();
        Level numerator;
        numerator.block = TakeBlock();
        std::fill(numerator.block, numerator.block + m_n, N::Constant(c));
        numerator.col[0] = numerator.block;
        numerator.terms = 1;
        LaneState saved[Lanes];
        std::copy(m_state, m_state + m_n, saved);
        Divide(numerator, b, out, kDomain);
        std::copy(saved, saved + m_n, m_state);
        m_free.push_back(numerator.block);
        Replace(b, out, b.terms > 1 ? m_nTerms : 1);
        b.checked = true; // an infinite 1 / 0 goes on to pow, as in evaluation
    }

    const std::vector<Instruction>& m_program;
    bool m_bDegrees = false;
    bool m_bXChecked = false;
    int m_nTerms;
    std::vector<E> m_storage;
    std::vector<E*> m_free;
    std::vector<Level> m_levels;
    E m_ones[Lanes];
    const E* m_xs = nullptr;
    std::size_t m_n = 0;
    LaneState m_state[Lanes];
    const E* m_result[kMaxTerms] = {};
};

} // namespace Series
