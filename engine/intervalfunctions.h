#pragma once

#include "engine/elementary.h"
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
/// root(a, n) = a^(1/n), for a negative a also where n is an odd whole
/// number.
Interval Root(Interval a, Interval degree, uint8_t& flags);

// Functions whose value jumps: each gains Enclosure::kMayJump where u may
// hold a point at which the value jumps (is not continuous on u). Their
// derivatives are 0 (frac's and mod's those of their arguments) away from
// the jumps and do not exist at them.
Interval Sign(Interval u, uint8_t& flags);
Interval Floor(Interval u, uint8_t& flags);
Interval Ceil(Interval u, uint8_t& flags);
Interval Round(Interval u, uint8_t& flags);
Interval Frac(Interval u, uint8_t& flags);
/// The remainder of Elementary::Mod; undefined where b is 0.
Interval Mod(Interval a, Interval b, uint8_t& flags);
/// The whole numbers that floor takes on u.
Interval FloorRange(Interval u);
/// Whether u may hold a whole number (where floor, ceil and frac jump), a
/// half (where round does) or zero (sgn).
bool HoldsWhole(Interval u);
bool HoldsHalf(Interval u);
Interval Min(Interval a, Interval b);
Interval Max(Interval a, Interval b);

/// A condition over the arguments: [1, 1] where it holds for all of them,
/// [0, 0] where for none, [0, 1] where it is undecided.
Interval Compare(Elementary::Relation relation, Interval a, Interval b);

} // namespace IntervalMath
