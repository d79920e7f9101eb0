#pragma once

#include "engine/interval.h"

#include <cstdint>

// Enclosures of the functions of the formula language over an interval of
// arguments, as evaluation computes them (the C library's functions, in
// radians). Each returns an interval holding the function's value at every
// argument of u where it is defined; where `flags` is taken, it gains
// Enclosure::kMayFail when evaluation may fail at some argument (outside the
// domain, a pole, an overflow) and Enclosure::kMustFail when it fails at all
// of them (the result is then empty).
namespace IntervalMath {

Interval Divide(Interval a, Interval b, uint8_t& flags);
Interval Sqr(Interval u);
Interval Abs(Interval u);
Interval Sqrt(Interval u, uint8_t& flags);
Interval Exp(Interval u, uint8_t& flags);
Interval Log(Interval u, uint8_t& flags);
Interval Log10(Interval u, uint8_t& flags);
Interval Sin(Interval u);
Interval Cos(Interval u);
/// Poles inside u give the whole line.
Interval Tan(Interval u, uint8_t& flags);
/// 1 / tan(u).
Interval Ctg(Interval u, uint8_t& flags);
Interval Asin(Interval u, uint8_t& flags);
Interval Acos(Interval u, uint8_t& flags);
Interval Atan(Interval u);
Interval Sinh(Interval u, uint8_t& flags);
Interval Cosh(Interval u, uint8_t& flags);
Interval Tanh(Interval u);
/// pow(a, b) for every a in a and b in b: a negative base only with whole
/// exponents.
Interval Pow(Interval a, Interval b, uint8_t& flags);

} // namespace IntervalMath
