#pragma once

#include "engine/angleunit.h"
#include "engine/instruction.h"
#include "engine/seriesrecurrences.h"

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
//
// Pieces run like the sampling path's: both branches for the block (each
// skipped where no argument needs it), failures per branch, then a pick per
// argument (seriespieces.h).
namespace Series {

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
        std::size_t nesting = 0;
        std::size_t open = 0;
        for (const Instruction& in : program) {
            if (in.op == Op::kThen)
                nesting = std::max(nesting, ++open);
            else if (in.op == Op::kSelect || in.op == Op::kRestrict)
                --open;
        }
        m_pieceStates.resize(2 * Lanes * nesting);
    }

    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;

    /// Runs the program over xs[0 .. n), n <= Lanes, with angles in degrees
    /// or radians. Afterwards Coefficient(k) holds the Taylor coefficients of
    /// order k and State() the lanes' failures. With `slopes`, x runs as
    /// xs[i] + slopes[i] t and the coefficients are those in t: the
    /// derivatives times slopes[i]^k, over k!.
    void Run(const E* xs, std::size_t n, bool degrees, const E* slopes = nullptr)
    {
        m_bDegrees = degrees;
        m_bXChecked = false;
        m_xs = xs;
        m_slopes = slopes != nullptr ? slopes : m_ones;
        m_n = n;
        for (Level& level : m_levels)
            m_free.push_back(level.block);
        m_levels.clear();
        std::fill(m_state, m_state + n, LaneState{});
        m_nPiece = 0;
        const std::size_t length = m_program.size();
        for (std::size_t pc = 0; pc < length; ++pc) {
            const Instruction& in = m_program[pc];
            // A branch no argument needs is jumped over.
            if (in.op == Op::kThen && !StartPiece())
                pc = static_cast<std::size_t>(in.target) - 1;
            else if (in.op == Op::kElse && !StartSecondBranch())
                pc = static_cast<std::size_t>(in.target) - 1;
            else if (in.op != Op::kThen && in.op != Op::kElse)
                Step(in);
        }
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
            level.col[1] = m_slopes;
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
        // A bound of an interval is unlimited, not infinite: 0 times an
        // overflowed factor is 0 there, where the doubles give NaN (x*x*0 at
        // 1e300). The factors' overflow is recorded before it can vanish.
        if constexpr (!std::is_same_v<E, double>) {
            Check(Top(0));
            Check(Top(1));
        }
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
            if constexpr (!std::is_same_v<E, double>) {
                if (c == 0)
                    Check(Top());
            }
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
        case Op::kRoot: RootLevels(); break;
        case Op::kSgn:
        case Op::kFloor:
        case Op::kCeil:
        case Op::kRound: StepFunction(in.op); break;
        case Op::kFrac: FracLevel(); break;
        case Op::kMin: MinMaxLevels(false); break;
        case Op::kMax: MinMaxLevels(true); break;
        case Op::kMod: ModLevels(); break;
        case Op::kLess: CompareLevels(Elementary::Relation::kLess, in.chained); break;
        case Op::kLessEqual: CompareLevels(Elementary::Relation::kLessEqual, in.chained); break;
        case Op::kGreater: CompareLevels(Elementary::Relation::kGreater, in.chained); break;
        case Op::kGreaterEqual: CompareLevels(Elementary::Relation::kGreaterEqual, in.chained); break;
        case Op::kEqual: CompareLevels(Elementary::Relation::kEqual, in.chained); break;
        case Op::kNotEqual: CompareLevels(Elementary::Relation::kNotEqual, in.chained); break;
        case Op::kAnd: CombineConditions(false); break;
        case Op::kOr: CombineConditions(true); break;
        case Op::kNot: Map(Top(), [](E c) { return N::Not(c); }); break;
        case Op::kSelect: SelectBranch(); break;
        case Op::kRestrict: RestrictToCondition(); break;
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

    // Conditions, pieces and the functions with jumps: seriespieces.h.
    void CompareLevels(Elementary::Relation relation, bool chained);
    void CombineConditions(bool either);
    LaneState* PieceStates(std::size_t piece) { return m_pieceStates.data() + 2 * Lanes * piece; }
    bool StartPiece();
    bool StartSecondBranch();
    int FirstDifference(const E* w, const E* other, const LaneState& otherState) const;
    void SelectBranch();
    void RestrictToCondition();
    void StepFunction(int32_t op);
    void FracLevel();
    void MinMaxLevels(bool maximum);
    void ModLevels();
    void RootLevels();
    void RootSeries(const E* u, const E* v, E degree, E* w, int terms, LaneState& state) const;

    const std::vector<Instruction>& m_program;
    bool m_bDegrees = false;
    bool m_bXChecked = false;
    int m_nTerms;
    std::vector<E> m_storage;
    std::vector<E*> m_free;
    std::vector<Level> m_levels;
    E m_ones[Lanes];
    const E* m_slopes = m_ones;
    const E* m_xs = nullptr;
    std::size_t m_n = 0;
    LaneState m_state[Lanes];
    const E* m_result[kMaxTerms] = {};
    /// Per open piece, the lanes' states before it and after its first
    /// branch; m_nPiece pieces are open.
    std::vector<LaneState> m_pieceStates;
    std::size_t m_nPiece = 0;
};

} // namespace Series

#include "engine/seriespieces.h"
