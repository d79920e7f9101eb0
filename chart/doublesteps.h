#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The doubles in their order as integers ("keys"): adjacent doubles differ by
// one and both zeros are 0, so bisecting keys halves the doubles between two
// ends whatever their magnitudes, and a step of k keys is k doubles.
namespace DoubleSteps {

inline int64_t Key(double x)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int64_t magnitude = static_cast<int64_t>(bits & 0x7FFFFFFFFFFFFFFFull);
    return (bits >> 63) != 0 ? -magnitude : magnitude;
}

inline double FromKey(int64_t key)
{
    const uint64_t bits = key < 0 ? (static_cast<uint64_t>(-key) | 0x8000000000000000ull)
                                  : static_cast<uint64_t>(key);
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

/// A key strictly between a and b when they are at least two apart.
inline int64_t MiddleKey(int64_t a, int64_t b)
{
    return static_cast<int64_t>((static_cast<__int128>(a) + b) / 2);
}

/// How many doubles apart two keys are, without overflow.
inline __int128 KeyGap(int64_t from, int64_t to)
{
    const __int128 gap = static_cast<__int128>(to) - from;
    return gap < 0 ? -gap : gap;
}

/// x moved by `steps` doubles (negative: down), kept within the finite doubles.
inline double Step(double x, __int128 steps)
{
    constexpr int64_t kTop = 0x7FEFFFFFFFFFFFFFll; // the largest finite double
    const __int128 key = static_cast<__int128>(Key(x)) + steps;
    if (key > kTop)
        return std::numeric_limits<double>::max();
    if (key < -kTop)
        return -std::numeric_limits<double>::max();
    return FromKey(static_cast<int64_t>(key));
}

inline double Next(double x)
{
    return Step(x, 1);
}

inline double Previous(double x)
{
    return Step(x, -1);
}

/// The middle of a ... b, also where a + b overflows.
inline double Middle(double a, double b)
{
    const double m = (a + b) / 2;
    return std::isfinite(m) ? m : a / 2 + b / 2;
}

} // namespace DoubleSteps
