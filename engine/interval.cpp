#include "engine/interval.h"
#include "engine/intervalfunctions.h"

#include <algorithm>
#include <cmath>

using IntervalMath::Down;
using IntervalMath::kInfinity;
using IntervalMath::LibraryRounded;
using IntervalMath::Rounded;
using IntervalMath::Up;

Interval operator/(Interval a, Interval b)
{
    if (a.IsEmpty() || b.IsEmpty() || (b.lo == 0 && b.hi == 0))
        return Interval::Empty();
    if (b.lo > 0 || b.hi < 0) {
        // Bounds of 0 / infinity and infinity / infinity: 0 and the unbounded
        // side, as the values they stand for give.
        auto quotient = [](double p, double q) {
            if (std::isinf(q))
                return std::isinf(p) ? std::copysign(kInfinity, p) * std::copysign(1.0, q) : 0.0;
            return p / q;
        };
        const double q1 = quotient(a.lo, b.lo);
        const double q2 = quotient(a.lo, b.hi);
        const double q3 = quotient(a.hi, b.lo);
        const double q4 = quotient(a.hi, b.hi);
        // No quotient here is NaN: plain comparisons, as in the product.
        return Rounded(std::min(std::min(q1, q2), std::min(q3, q4)),
                       std::max(std::max(q1, q2), std::max(q3, q4)));
    }
    // b holds 0. With 0 at one end, a of one sign gives a half-line.
    if (a.lo == 0 && a.hi == 0)
        return {0, 0};
    if (b.lo == 0) {
        if (a.lo >= 0)
            return {Down(a.lo / b.hi), kInfinity};
        if (a.hi <= 0)
            return {-kInfinity, Up(a.hi / b.hi)};
    } else if (b.hi == 0) {
        if (a.lo >= 0)
            return {-kInfinity, Up(a.lo / b.lo)};
        if (a.hi <= 0)
            return {Down(a.hi / b.lo), kInfinity};
    }
    return Interval::Whole();
}

namespace IntervalMath {

namespace {

constexpr double kTwoOverPi = 0.6366197723675814;

// Flags for a result: a bound that is not finite means the evaluation may
// overflow or meet a pole there; a result that is empty, or infinite
// throughout, means it fails everywhere.
void Settle(Interval r, uint8_t& flags)
{
    if (r.IsEmpty() || r.lo == kInfinity || r.hi == -kInfinity)
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
    else if (!r.IsFinite())
        flags |= Enclosure::kMayFail;
}

// The argument restricted to [min, max], the domain of a function; flags say
// whether part or all of it lay outside.
Interval Restrict(Interval u, double min, double max, uint8_t& flags)
{
    if (u.IsEmpty() || u.hi < min || u.lo > max) {
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
        return Interval::Empty();
    }
    if (u.lo < min || u.hi > max)
        flags |= Enclosure::kMayFail;
    return {std::fmax(u.lo, min), std::fmin(u.hi, max)};
}

Interval Increasing(Interval u, double (*f)(double))
{
    if (u.IsEmpty())
        return u;
    return LibraryRounded(f(u.lo), f(u.hi));
}

Interval Decreasing(Interval u, double (*f)(double))
{
    if (u.IsEmpty())
        return u;
    return LibraryRounded(f(u.hi), f(u.lo));
}

// The whole multiples m of pi/2 that may lie in [a, b], as the range
// first ... last; false when there may be too many to list (a wide or far
// interval), and the caller gives up on tightness. The products with 2/pi
// are off by a few units of their size, so the range is widened by that.
bool QuarterTurns(Interval u, double& first, double& last)
{
    if (!u.IsFinite())
        return false;
    const double qa = u.lo * kTwoOverPi;
    const double qb = u.hi * kTwoOverPi;
    if (std::fabs(qa) > 0x1p50 || std::fabs(qb) > 0x1p50 || qb - qa > 16)
        return false;
    const double margin = 0x1p-49;
    first = std::ceil(qa - std::fabs(qa) * margin - 0x1p-1000);
    last = std::floor(qb + std::fabs(qb) * margin + 0x1p-1000);
    return true;
}

// m modulo 4, as 0 ... 3, for a whole m below 2^53 in magnitude.
int Quarter(double m)
{
    double r = std::fmod(m, 4.0);
    if (r < 0)
        r += 4;
    return static_cast<int>(r);
}

// sin (shift 0) or cos (shift 1): its value at m pi/2 is +1 where
// (m + shift) mod 4 is 1 and -1 where it is 3.
Interval SinusOver(Interval u, int shift, double (*f)(double))
{
    if (u.IsEmpty())
        return u;
    double first = 0, last = 0;
    if (!QuarterTurns(u, first, last))
        return {-1, 1};
    Interval r = LibraryRounded(std::fmin(f(u.lo), f(u.hi)), std::fmax(f(u.lo), f(u.hi)));
    for (double m = first; m <= last; ++m) {
        const int q = (Quarter(m) + shift) % 4;
        if (q == 1)
            r.hi = 1;
        else if (q == 3)
            r.lo = -1;
    }
    return {std::fmax(r.lo, -1.0), std::fmin(r.hi, 1.0)};
}

// Whether a pole of tan (parity 1: odd multiples of pi/2) or of cot (parity
// 0: even ones) may lie in u.
bool PoleInside(Interval u, int parity)
{
    double first = 0, last = 0;
    if (!QuarterTurns(u, first, last))
        return true;
    for (double m = first; m <= last; ++m) {
        if (Quarter(m) % 2 == parity)
            return true;
    }
    return false;
}

bool IsWhole(double c)
{
    return std::isfinite(c) && c == std::trunc(c);
}

bool IsEven(double c)
{
    return std::fmod(c, 2.0) == 0;
}

// pow(a, c) for a whole c, a of any sign.
Interval WholePow(Interval a, double c, uint8_t& flags)
{
    if (c == 0)
        return {1, 1};
    auto p = [c](double v) { return std::pow(v, c); };
    const bool even = IsEven(c);
    if (c > 0) {
        if (!even)
            return LibraryRounded(p(a.lo), p(a.hi));
        if (a.lo >= 0)
            return LibraryRounded(p(a.lo), p(a.hi));
        if (a.hi <= 0)
            return LibraryRounded(p(a.hi), p(a.lo));
        return {0, Up(p(std::fmax(-a.lo, a.hi)), kLibraryUlps)};
    }
    // A negative power: a pole at 0.
    if (a.lo > 0 || a.hi < 0) {
        if (even && a.hi < 0)
            return LibraryRounded(p(a.lo), p(a.hi));
        return LibraryRounded(p(a.hi), p(a.lo));
    }
    flags |= Enclosure::kMayFail;
    if (a.lo == 0 && a.hi == 0) {
        flags |= Enclosure::kMustFail;
        return Interval::Empty();
    }
    if (even)
        return {Down(p(std::fmax(-a.lo, a.hi)), kLibraryUlps), kInfinity};
    if (a.lo == 0)
        return {Down(p(a.hi), kLibraryUlps), kInfinity};
    if (a.hi == 0)
        return {-kInfinity, Up(p(a.lo), kLibraryUlps)};
    return Interval::Whole();
}

// pow over a box of base a >= 0 and exponent b: for a base above 0 the
// power is monotonic in each argument, so its extremes lie at the corners.
Interval CornerPow(Interval a, Interval b)
{
    const double c1 = std::pow(a.lo, b.lo);
    const double c2 = std::pow(a.lo, b.hi);
    const double c3 = std::pow(a.hi, b.lo);
    const double c4 = std::pow(a.hi, b.hi);
    double lo = std::fmin(std::fmin(c1, c2), std::fmin(c3, c4));
    double hi = std::fmax(std::fmax(c1, c2), std::fmax(c3, c4));
    // With base 0 and an exponent interval around 0, 0^0 = 1 lies between.
    if (a.lo == 0 && b.Contains(0)) {
        lo = std::fmin(lo, 1.0);
        hi = std::fmax(hi, 1.0);
    }
    return LibraryRounded(lo, hi);
}

} // namespace

Interval Divide(Interval a, Interval b, uint8_t& flags)
{
    if (b.Contains(0))
        flags |= Enclosure::kMayFail;
    const Interval r = a / b;
    Settle(r, flags);
    return r;
}

Interval Sqr(Interval u)
{
    if (u.IsEmpty())
        return u;
    const double a = u.lo * u.lo;
    const double b = u.hi * u.hi;
    if (u.lo >= 0)
        return Rounded(a, b);
    if (u.hi <= 0)
        return Rounded(b, a);
    return {0, Up(std::fmax(a, b))};
}

Interval Abs(Interval u)
{
    if (u.lo >= 0)
        return u;
    if (u.hi <= 0)
        return -u;
    return {0, std::fmax(-u.lo, u.hi)};
}

Interval Sqrt(Interval u, uint8_t& flags)
{
    u = Restrict(u, 0, kInfinity, flags);
    if (u.IsEmpty())
        return u;
    return {std::fmax(Down(std::sqrt(u.lo)), 0.0), Up(std::sqrt(u.hi))};
}

Interval Exp(Interval u, uint8_t& flags)
{
    const Interval r = Increasing(u, std::exp);
    Settle(r, flags);
    return {std::fmax(r.lo, 0.0), r.hi};
}

Interval Log(Interval u, uint8_t& flags)
{
    u = Restrict(u, 0, kInfinity, flags);
    const Interval r = Increasing(u, std::log);
    Settle(r, flags);
    return r;
}

Interval Log10(Interval u, uint8_t& flags)
{
    u = Restrict(u, 0, kInfinity, flags);
    const Interval r = Increasing(u, std::log10);
    Settle(r, flags);
    return r;
}

Interval Sin(Interval u)
{
    return SinusOver(u, 0, std::sin);
}

Interval Cos(Interval u)
{
    return SinusOver(u, 1, std::cos);
}

Interval Tan(Interval u, uint8_t& flags)
{
    if (u.IsEmpty())
        return u;
    if (PoleInside(u, 1)) {
        flags |= Enclosure::kMayFail;
        return Interval::Whole();
    }
    return Increasing(u, std::tan);
}

Interval Ctg(Interval u, uint8_t& flags)
{
    if (u.IsEmpty())
        return u;
    if (PoleInside(u, 0)) {
        flags |= Enclosure::kMayFail;
        return Interval::Whole();
    }
    // 1 / tan(u), as evaluation computes it; tan keeps one sign here.
    return Divide({1, 1}, Increasing(u, std::tan), flags);
}

Interval Asin(Interval u, uint8_t& flags)
{
    return Increasing(Restrict(u, -1, 1, flags), std::asin);
}

Interval Acos(Interval u, uint8_t& flags)
{
    return Decreasing(Restrict(u, -1, 1, flags), std::acos);
}

Interval Atan(Interval u)
{
    return Increasing(u, std::atan);
}

Interval Sinh(Interval u, uint8_t& flags)
{
    const Interval r = Increasing(u, std::sinh);
    Settle(r, flags);
    return r;
}

Interval Cosh(Interval u, uint8_t& flags)
{
    if (u.IsEmpty())
        return u;
    Interval r;
    if (u.lo >= 0)
        r = Increasing(u, std::cosh);
    else if (u.hi <= 0)
        r = Decreasing(u, std::cosh);
    else
        r = {1, Up(std::cosh(std::fmax(-u.lo, u.hi)), kLibraryUlps)};
    Settle(r, flags);
    return {std::fmax(r.lo, 1.0), r.hi};
}

Interval Tanh(Interval u)
{
    const Interval r = Increasing(u, std::tanh);
    return {std::fmax(r.lo, -1.0), std::fmin(r.hi, 1.0)};
}

Interval Pow(Interval a, Interval b, uint8_t& flags)
{
    if (a.IsEmpty() || b.IsEmpty()) {
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
        return Interval::Empty();
    }
    Interval r;
    if (b.IsPoint() && IsWhole(b.lo)) {
        r = WholePow(a, b.lo, flags);
    } else if (a.lo >= 0) {
        r = CornerPow(a, b);
    } else {
        // A negative base has a power only for whole exponents, and then of
        // either sign: the magnitudes bound it.
        flags |= Enclosure::kMayFail;
        const bool wholeInside = std::floor(b.hi) >= b.lo;
        if (!wholeInside) {
            if (a.hi < 0) {
                flags |= Enclosure::kMustFail;
                return Interval::Empty();
            }
            r = CornerPow({0, a.hi}, b);
        } else {
            const Interval magnitude = Abs(a);
            const Interval m = CornerPow(magnitude, b);
            r = {-m.hi, m.hi};
        }
    }
    Settle(r, flags);
    return r;
}

Interval Root(Interval a, Interval degree, uint8_t& flags)
{
    if (a.IsEmpty() || degree.IsEmpty()) {
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
        return Interval::Empty();
    }
    // A degree of 0 gives powers to an infinite exponent: left unbounded.
    if (degree.Contains(0)) {
        flags |= Enclosure::kMayFail;
        return Interval::Whole();
    }
    const Interval exponent = Interval{1, 1} / degree;
    Interval r = Interval::Empty();
    uint8_t parts = 0;
    if (a.hi >= 0)
        r = Pow({std::fmax(a.lo, 0.0), a.hi}, exponent, parts);
    if (a.lo < 0) {
        const Interval negative = {a.lo, std::fmin(a.hi, 0.0)};
        // The odd whole degrees inside: their real roots of -a, negated.
        double odd = std::ceil(degree.lo);
        if (std::fmod(odd, 2.0) == 0)
            odd += 1;
        const bool oddInside = odd <= degree.hi && std::fabs(odd) < 0x1p53;
        if (oddInside)
            r = Hull(r, -CornerPow(-negative, exponent));
        // Other degrees as powers: defined where 1 / n is whole.
        uint8_t power = 0;
        const Interval p = Pow(negative, exponent, power);
        if (!(power & Enclosure::kMustFail))
            r = Hull(r, p);
        if (!(oddInside && degree.IsPoint()))
            parts |= Enclosure::kMayFail | (power & Enclosure::kMustFail);
    }
    // Fails everywhere only where every part does.
    flags |= parts & Enclosure::kMayFail;
    if (r.IsEmpty()) {
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
        return r;
    }
    Settle(r, flags);
    return r;
}

} // namespace IntervalMath
