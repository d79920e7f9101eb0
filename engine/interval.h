#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

/// A closed interval of doubles [lo, hi] that encloses a set of real values.
/// The bounds may be infinite ([-inf, inf] is the whole line); an empty set is
/// kept as NaN bounds. Every operation rounds outward, so the result encloses
/// the exact result of the operation on any values of its operands, and also
/// the double that evaluation computes from doubles inside them: each
/// arithmetic result is widened by one unit in the last place, each result of
/// a function of the C library by kLibraryUlps units (the library's functions
/// are within two units of the truth; the same error at the bound and at the
/// point itself takes twice that).
struct Interval
{
    double lo;
    double hi;

    static Interval Point(double v) { return {v, v}; }
    static Interval Whole()
    {
        return {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    }
    static Interval Empty()
    {
        return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};
    }

    bool IsEmpty() const { return !(lo <= hi); }
    bool Contains(double v) const { return lo <= v && v <= hi; }
    bool IsPoint() const { return lo == hi; }
    /// Both bounds finite (a value that evaluation could return).
    bool IsFinite() const { return std::isfinite(lo) && std::isfinite(hi); }
    double Width() const { return hi - lo; }
};

/// What an enclosure says about the formula's evaluation over the arguments,
/// as bits of one byte per enclosure.
namespace Enclosure {
enum : uint8_t {
    kMayFail = 1,  ///< evaluation may fail (undefined, a pole, an overflow) at some argument
    kMustFail = 2, ///< evaluation fails at every argument; the value is empty
    kMayJump = 4,  ///< the function may jump (be discontinuous) inside the arguments
};
} // namespace Enclosure

namespace IntervalMath {

constexpr int kLibraryUlps = 4;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// The next double toward +inf (Up) or -inf (Down). Infinities and NaN
/// stay: an infinite bound stands for an overflow, which widening keeps.
inline double Up(double v)
{
    if (!std::isfinite(v))
        return v;
    if (v == 0)
        return std::numeric_limits<double>::denorm_min();
    uint64_t bits = std::bit_cast<uint64_t>(v);
    bits = v > 0 ? bits + 1 : bits - 1;
    return std::bit_cast<double>(bits);
}

inline double Down(double v)
{
    return -Up(-v);
}

inline double Up(double v, int ulps)
{
    for (int i = 0; i < ulps; ++i)
        v = Up(v);
    return v;
}

inline double Down(double v, int ulps)
{
    for (int i = 0; i < ulps; ++i)
        v = Down(v);
    return v;
}

/// [lo, hi] widened by one unit on each side, for a result rounded once.
inline Interval Rounded(double lo, double hi)
{
    return {Down(lo), Up(hi)};
}

/// The same for results of the C library's functions.
inline Interval LibraryRounded(double lo, double hi)
{
    return {Down(lo, kLibraryUlps), Up(hi, kLibraryUlps)};
}

/// A product of bounds in which 0 times an infinity is 0: a bound of
/// infinity stands for values without limit, never for infinity itself.
inline double BoundProduct(double a, double b)
{
    return a == 0 || b == 0 ? 0.0 : a * b;
}

inline Interval Hull(Interval a, Interval b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return {std::fmin(a.lo, b.lo), std::fmax(a.hi, b.hi)};
}

} // namespace IntervalMath

inline Interval operator-(Interval a)
{
    return {-a.hi, -a.lo};
}

inline Interval operator+(Interval a, Interval b)
{
    return IntervalMath::Rounded(a.lo + b.lo, a.hi + b.hi);
}

inline Interval operator-(Interval a, Interval b)
{
    return IntervalMath::Rounded(a.lo - b.hi, a.hi - b.lo);
}

inline Interval operator*(Interval a, Interval b)
{
    using IntervalMath::BoundProduct;
    const double p1 = BoundProduct(a.lo, b.lo);
    const double p2 = BoundProduct(a.lo, b.hi);
    const double p3 = BoundProduct(a.hi, b.lo);
    const double p4 = BoundProduct(a.hi, b.hi);
    if (std::isnan(p1) || std::isnan(p2) || std::isnan(p3) || std::isnan(p4))
        return Interval::Empty();
    // No NaN left: the plain comparisons, which inline (fmin is a call).
    return IntervalMath::Rounded(std::min(std::min(p1, p2), std::min(p3, p4)),
                                 std::max(std::max(p1, p2), std::max(p3, p4)));
}

inline Interval operator*(Interval a, double c)
{
    return a * Interval::Point(c);
}

inline Interval operator+(Interval a, double c)
{
    return a + Interval::Point(c);
}

inline Interval operator-(Interval a, double c)
{
    return a - Interval::Point(c);
}

inline Interval& operator+=(Interval& a, Interval b)
{
    return a = a + b;
}

inline Interval& operator-=(Interval& a, Interval b)
{
    return a = a - b;
}

/// a / b over the values of b other than 0: where b holds 0 the quotient is
/// unbounded on that side (a half-line or the whole line), and where b is
/// only 0 it is empty. Whether 0 lies in b is the caller's concern.
Interval operator/(Interval a, Interval b);

inline Interval operator/(Interval a, double c)
{
    return a / Interval::Point(c);
}
