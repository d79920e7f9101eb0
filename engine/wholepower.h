#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Whole powers x^n, n = 1 ... 16, to the last bit of std::pow, mostly without
// calling it.
//
// The C library's pow is not correctly rounded. Its source states its error
// as at most ulperr_exp + |y ln x| * relerr_log * 2^53 units in the last place
// (0.54 at worst over all arguments), with ulperr_exp = 0.511 and relerr_log =
// 1.5 * 2^-68 in the version without fused multiply-add, the larger of its
// two. For the arguments taken here, |x| in 2^-30 ... 2^30, the second term
// is below 0.0153 for n <= 16 and below 0.0020 for n = 2: the error is below
// 0.527 and 0.513 units. So where the exact x^n lies within 0.465 units (0.48
// for squares) of a double that is not a power of two, whose neighbours are
// then farther from it than that error on both sides, that double is the only
// value pow may return. Here x^n is computed as an unevaluated sum hi + lo
// (exact products from Dekker's algorithm or a fused multiply-add; the
// relative error stays below 2^-100 for these n), which gives both that
// double and how far the exact power lies from it. Everything else goes to
// pow: arguments whose power lies near a rounding boundary or is a power of
// two, arguments outside 2^-30 ... 2^30 (where the products could also
// overflow or lose bits), NaN and the infinities.
//
// The arithmetic relies on each operation being rounded once, in double:
// the project is compiled with -ffp-contract=off.
namespace WholePower {

constexpr int kMaxExponent = 16;

inline bool IsWholeExponent(double c)
{
    return c >= 1 && c <= kMaxExponent && c == std::trunc(c);
}

struct Split
{
    double high; ///< the upper 26 bits
    double low;  ///< the rest, exactly
};

inline Split Veltkamp(double a)
{
    const double scaled = 134217729.0 * a; // 2^27 + 1
    const double high = scaled - (scaled - a);
    return {high, a - high};
}

/// hi + lo becomes (hi + lo) * x, x split as `parts`.
inline void MultiplyStep(double& hi, double& lo, double x, Split parts)
{
    const double product = hi * x;
    const Split h = Veltkamp(hi);
    const double error = ((h.high * parts.high - product) + h.high * parts.low + h.low * parts.high) +
                         h.low * parts.low;
    const double tail = lo * x + error;
    const double sum = product + tail;
    lo = tail - (sum - product);
    hi = sum;
}

/// The same step with the exact product error from a fused multiply-add;
/// fast only where the processor has one.
inline void MultiplyStepFused(double& hi, double& lo, double x)
{
    const double product = hi * x;
    const double error = std::fma(hi, x, -product);
    const double tail = std::fma(lo, x, error);
    const double sum = product + tail;
    lo = tail - (sum - product);
    hi = sum;
}

/// How near x^n must lie to a double, in units in its last place, for pow to
/// be certain to return that double.
constexpr double Limit(int n)
{
    return n == 2 ? 0.48 : 0.465;
}

/// All ones where hi is the only double pow may return for the power hi + lo
/// of x, closer than `limit` units to hi, else zero. Masks in 64-bit lanes, like the values, so the test
/// vectorises with them.
inline uint64_t SureMask(double x, double hi, double lo, double limit)
{
    constexpr uint64_t kAll = ~uint64_t{0};
    const uint64_t bits = std::bit_cast<uint64_t>(hi);
    const double unit = std::bit_cast<double>(bits & 0x7FF0000000000000u) * 0x1p-52;
    const double magnitude = std::fabs(x);
    const uint64_t inRange = (magnitude >= 0x1p-30 ? kAll : 0) & (magnitude <= 0x1p30 ? kAll : 0);
    // hi's significand as a double in [1, 2): 1 for a power of two. (A double
    // comparison, as 64-bit integer ones need more than the baseline SSE2.)
    const double significand = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFu) | 0x3FF0000000000000u);
    const uint64_t notPowerOfTwo = significand != 1 ? kAll : 0;
    const uint64_t nearHi = std::fabs(lo) < limit * unit ? kAll : 0;
    return inRange & notPowerOfTwo & nearHi;
}

/// x^n for a whole n from 1 to kMaxExponent: the value of std::pow(x, n).
inline double Power(double x, int n)
{
    const Split parts = Veltkamp(x);
    double hi = x;
    double lo = 0;
    for (int k = 1; k < n; ++k)
        MultiplyStep(hi, lo, x, parts);
    return SureMask(x, hi, lo, Limit(n)) != 0 ? hi : std::pow(x, n);
}

/// out[i] = std::pow(x[i], n) for a whole n from 1 to kMaxExponent and
/// count <= 256, a step at a time over all arguments (the sampling path's
/// own code, for the processor at hand). out may be x.
void Powers(const double* x, std::size_t count, int n, double* out);

/// std::pow(a, b), faster for the exponents 1 and 2. One value at a time the
/// products of higher powers form a chain that takes longer than pow.
inline double Pow(double a, double b)
{
    return b == 1 || b == 2 ? Power(a, static_cast<int>(b)) : std::pow(a, b);
}

} // namespace WholePower
