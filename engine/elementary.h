#pragma once

#include "engine/wholepower.h"

#include <cmath>
#include <limits>

// The values of the functions that school maths adds to the language (sign,
// integer parts, min, max, remainder, odd roots) and of comparisons, as
// every evaluator computes them: point by point, the sampling blocks and the
// Taylor arithmetic share these, so their values agree to the last bit.
//
// None of them returns a negative zero: the integer part of -0.5 rounded up
// reads 0, as a student writes it, not -0. A NaN or an infinity stays or
// becomes NaN, which evaluation reports as a domain error.
namespace Elementary {

/// -1, 0 or 1.
inline double Sign(double v)
{
    return static_cast<double>((v > 0) - (v < 0)) + (v - v);
}

inline double Floor(double v)
{
    return std::floor(v) + 0.0;
}

inline double Ceil(double v)
{
    return std::ceil(v) + 0.0;
}

/// Halves away from zero: round(2.5) = 3, round(-2.5) = -3.
inline double Round(double v)
{
    return std::round(v) + 0.0;
}

/// v - floor(v), rounded once: in [0, 1], where 1 is what a negative v too
/// small to tell from 0 at that scale gives (frac(-1e-20) is 1 - 1e-20,
/// which rounds to 1).
inline double Frac(double v)
{
    return v - std::floor(v);
}

/// On a tie the first argument.
inline double Min(double a, double b)
{
    return b < a ? b : a;
}

inline double Max(double a, double b)
{
    return a < b ? b : a;
}

/// a - b floor(a / b) for the exact quotient, rounded once: the remainder
/// has the sign of b (mod(-1, 3) = 2, mod(1, -3) = -2). Undefined (NaN) for
/// b = 0.
inline double Mod(double a, double b)
{
    if (b == 0)
        return std::numeric_limits<double>::quiet_NaN();
    double r = std::fmod(a, b); // exact
    if (r != 0 && (r < 0) != (b < 0))
        r += b;
    return r + 0.0;
}

/// An odd whole number (of either sign).
inline bool IsOddWhole(double v)
{
    return std::fabs(std::fmod(v, 2.0)) == 1.0;
}

/// The root of degree b: a^(1/b), and for a negative a and an odd whole b
/// the real root -((-a)^(1/b)), so root(-8, 3) = -2. For any other b a
/// negative a has a root only where 1/b is whole, as for a power.
inline double Root(double a, double b)
{
    return a < 0 && IsOddWhole(b) ? -WholePower::Pow(-a, 1 / b) : WholePower::Pow(a, 1 / b);
}

/// The logarithm of a to the base b, ln a / ln b. No base is 0: ln 0 is
/// infinite and the quotient would be 0 for every a (NaN, a domain error).
inline double Log(double a, double b)
{
    return b == 0 ? std::numeric_limits<double>::quiet_NaN() : std::log(a) / std::log(b);
}

/// The relations of conditions, in the order of their codes.
enum class Relation {
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
};

/// 1 where the relation holds, else 0.
inline double Compare(Relation relation, double a, double b)
{
    switch (relation) {
    case Relation::kLess: return a < b ? 1.0 : 0.0;
    case Relation::kLessEqual: return a <= b ? 1.0 : 0.0;
    case Relation::kGreater: return a > b ? 1.0 : 0.0;
    case Relation::kGreaterEqual: return a >= b ? 1.0 : 0.0;
    case Relation::kEqual: return a == b ? 1.0 : 0.0;
    default: return a != b ? 1.0 : 0.0;
    }
}

} // namespace Elementary
