#pragma once

#include "engine/elementary.h"
#include "engine/instruction.h"
#include "engine/interval.h"
#include "engine/intervalfunctions.h"
#include "engine/wholepower.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

// The numbers of the Taylor arithmetic (seriesblock.h): what fails per
// argument, and the parts that differ between doubles (derivatives at
// points, with evaluation's own formulas) and intervals (enclosures).
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
    /// The failures of `later` (a branch) added to those of `lane`.
    static void Merge(LaneState& lane, const LaneState& later)
    {
        if (later.m_nFail != kNone)
            Fail(lane, later.m_nFail, static_cast<Message>(later.m_nMessage));
    }
    /// Whether the argument's value is still defined.
    static bool Live(const LaneState& lane) { return lane.m_nFail != 0; }

    // A condition at a point: 1 where it holds, else 0, plus 2 where one of
    // its comparisons is at equality of two sides of which one varies with
    // x: a piece boundary, where the branches must agree for a derivative.
    static double Compare(Elementary::Relation relation, double a, double b, bool varies)
    {
        return Elementary::Compare(relation, a, b) + (varies && a == b ? 2.0 : 0.0);
    }
    static bool Holds(double c) { return (static_cast<int>(c) & 1) != 0; }
    static bool AtBoundary(double c) { return (static_cast<int>(c) & 2) != 0; }
    // Of two conditions: at a boundary where either is.
    static double Join(bool holds, double a, double b)
    {
        return (holds ? 1.0 : 0.0) + ((static_cast<int>(a) | static_cast<int>(b)) & 2);
    }
    static double And(double a, double b) { return Join(Holds(a) && Holds(b), a, b); }
    static double Or(double a, double b) { return Join(Holds(a) || Holds(b), a, b); }
    static double Not(double c) { return c + (Holds(c) ? -1.0 : 1.0); }
    /// Which branches an argument needs: the one it takes, and at a
    /// boundary the other too.
    static bool NeedsFirst(double c) { return Holds(c) || AtBoundary(c); }
    static bool NeedsSecond(double c) { return !Holds(c) || AtBoundary(c); }

    static double Sign(double v, LaneState&) { return Elementary::Sign(v); }
    static double Floor(double v, LaneState&) { return Elementary::Floor(v); }
    static double Ceil(double v, LaneState&) { return Elementary::Ceil(v); }
    static double Round(double v, LaneState&) { return Elementary::Round(v); }
    static double Frac(double v, LaneState&) { return Elementary::Frac(v); }
    static double Min(double a, double b) { return Elementary::Min(a, b); }
    static double Max(double a, double b) { return Elementary::Max(a, b); }
    static double Mod(double a, double b, LaneState&) { return Elementary::Mod(a, b); }
    /// Where a step function of the code jumps: sgn at 0, floor, ceil and
    /// frac at whole numbers, round at halves.
    static bool AtJump(int32_t op, double v)
    {
        switch (op) {
        case Op::kSgn: return v == 0;
        case Op::kRound: return std::fabs(v - std::trunc(v)) == 0.5;
        default: return v == std::trunc(v);
        }
    }
    /// Marks the argument's derivatives from order 1 on as failing.
    static void FailDerivatives(LaneState& lane) { Fail(lane, 1, kDomain); }
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
    static void Merge(LaneState& lane, const LaneState& later)
    {
        lane.m_nFail = std::min(lane.m_nFail, later.m_nFail);
        lane.m_nMustFail = std::min(lane.m_nMustFail, later.m_nMustFail);
        lane.m_nJump = std::min(lane.m_nJump, later.m_nJump);
    }
    /// Whether the argument may still have a value.
    static bool Live(const LaneState& lane) { return lane.m_nMustFail != 0; }

    // Conditions over intervals: [1, 1] holds throughout, [0, 0] nowhere,
    // [0, 1] undecided.
    static Interval Compare(Elementary::Relation relation, Interval a, Interval b, bool)
    {
        return IntervalMath::Compare(relation, a, b);
    }
    static Interval And(Interval a, Interval b)
    {
        return {std::fmin(a.lo, b.lo), std::fmin(a.hi, b.hi)};
    }
    static Interval Or(Interval a, Interval b)
    {
        return {std::fmax(a.lo, b.lo), std::fmax(a.hi, b.hi)};
    }
    static Interval Not(Interval c) { return {1 - c.hi, 1 - c.lo}; }
    static bool NeedsFirst(Interval c) { return c.hi != 0; }
    static bool NeedsSecond(Interval c) { return c.lo == 0; }

    static Interval Sign(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Sign(v, f); });
    }
    static Interval Floor(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Floor(v, f); });
    }
    static Interval Ceil(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Ceil(v, f); });
    }
    static Interval Round(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Round(v, f); });
    }
    static Interval Frac(Interval v, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Frac(v, f); });
    }
    static Interval Min(Interval a, Interval b) { return IntervalMath::Min(a, b); }
    static Interval Max(Interval a, Interval b) { return IntervalMath::Max(a, b); }
    static Interval Mod(Interval a, Interval b, LaneState& s)
    {
        return Flagged(s, [&](uint8_t& f) { return IntervalMath::Mod(a, b, f); });
    }
    static bool AtJump(int32_t op, Interval v)
    {
        switch (op) {
        case Op::kSgn: return v.Contains(0);
        case Op::kRound: return IntervalMath::HoldsHalf(v);
        default: return IntervalMath::HoldsWhole(v);
        }
    }
    static void FailDerivatives(LaneState& lane) { Mark(lane, Enclosure::kMayFail, 1); }
};

} // namespace Series
