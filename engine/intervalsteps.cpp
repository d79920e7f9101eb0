#include "engine/intervalfunctions.h"

#include <cmath>

// Enclosures of the functions with jumps, of min and max, and of conditions.
// Their bounds are the functions' values at the ends (each is monotonic, or
// monotonic between jumps), computed as evaluation computes them, so the
// enclosures hold evaluation's doubles exactly.

namespace IntervalMath {

namespace {

// A monotonic step function f over u: a jump lies inside exactly where the
// values at the ends differ.
Interval Steps(Interval u, double (*f)(double), uint8_t& flags)
{
    if (u.IsEmpty())
        return u;
    const double lo = f(u.lo);
    const double hi = f(u.hi);
    if (lo != hi)
        flags |= Enclosure::kMayJump;
    return {lo, hi};
}

} // namespace

Interval Sign(Interval u, uint8_t& flags)
{
    // At infinite bounds, which stand for values without limit, the sign is
    // the bound's own.
    return Steps(u, [](double v) { return static_cast<double>((v > 0) - (v < 0)); }, flags);
}

Interval Floor(Interval u, uint8_t& flags)
{
    return Steps(u, [](double v) { return std::floor(v) + 0.0; }, flags);
}

Interval Ceil(Interval u, uint8_t& flags)
{
    return Steps(u, [](double v) { return std::ceil(v) + 0.0; }, flags);
}

Interval Round(Interval u, uint8_t& flags)
{
    return Steps(u, [](double v) { return std::round(v) + 0.0; }, flags);
}

Interval Frac(Interval u, uint8_t& flags)
{
    if (u.IsEmpty())
        return u;
    const double whole = std::floor(u.lo);
    if (std::isfinite(whole) && whole == std::floor(u.hi)) {
        // One piece: u - whole, each end rounded as evaluation rounds it.
        const Interval r = Rounded(u.lo - whole, u.hi - whole);
        return {std::fmax(r.lo, 0.0), std::fmin(r.hi, 1.0)};
    }
    flags |= Enclosure::kMayJump;
    return {0, 1};
}

Interval FloorRange(Interval u)
{
    if (u.IsEmpty())
        return u;
    return {std::floor(u.lo), std::floor(u.hi)};
}

Interval Mod(Interval a, Interval b, uint8_t& flags)
{
    if (a.IsEmpty() || b.IsEmpty() || (b.lo == 0 && b.hi == 0)) {
        flags |= Enclosure::kMustFail | Enclosure::kMayFail;
        return Interval::Empty();
    }
    // The remainder has the sign of b and is at most |b| (which rounding
    // may reach).
    const Interval range = {std::fmin(b.lo, 0.0), std::fmax(b.hi, 0.0)};
    if (b.Contains(0)) {
        flags |= Enclosure::kMayFail | Enclosure::kMayJump;
        return range;
    }
    const Interval wholes = FloorRange(a / b);
    if (!wholes.IsFinite() || wholes.lo != wholes.hi) {
        flags |= Enclosure::kMayJump;
        return range;
    }
    // One piece: a - b k for the one k, the exact remainder, which
    // evaluation rounds once more.
    const Interval r = a - b * wholes.lo;
    return {std::fmax(Down(r.lo), range.lo), std::fmin(Up(r.hi), range.hi)};
}

bool HoldsWhole(Interval u)
{
    return !u.IsEmpty() && std::ceil(u.lo) <= u.hi;
}

bool HoldsHalf(Interval u)
{
    if (u.IsEmpty())
        return false;
    // Beyond 2^52 every double is whole; far out the test errs towards yes.
    if (!(std::fabs(u.lo) < 0x1p52))
        return true;
    double half = std::floor(u.lo) + 0.5;
    if (half < u.lo)
        half += 1;
    return half <= u.hi;
}

Interval Min(Interval a, Interval b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return Interval::Empty();
    return {std::fmin(a.lo, b.lo), std::fmin(a.hi, b.hi)};
}

Interval Max(Interval a, Interval b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return Interval::Empty();
    return {std::fmax(a.lo, b.lo), std::fmax(a.hi, b.hi)};
}

Interval Compare(Elementary::Relation relation, Interval a, Interval b)
{
    constexpr Interval kHolds = {1, 1};
    constexpr Interval kFails = {0, 0};
    constexpr Interval kUndecided = {0, 1};
    if (a.IsEmpty() || b.IsEmpty())
        return kUndecided;
    using Elementary::Relation;
    auto less = [&](Interval u, Interval v) {
        return u.hi < v.lo ? kHolds : u.lo >= v.hi ? kFails : kUndecided;
    };
    auto lessEqual = [&](Interval u, Interval v) {
        return u.hi <= v.lo ? kHolds : u.lo > v.hi ? kFails : kUndecided;
    };
    auto equal = [&](Interval u, Interval v) {
        if (u.IsPoint() && v.IsPoint() && u.lo == v.lo)
            return kHolds;
        return u.hi < v.lo || v.hi < u.lo ? kFails : kUndecided;
    };
    switch (relation) {
    case Relation::kLess: return less(a, b);
    case Relation::kLessEqual: return lessEqual(a, b);
    case Relation::kGreater: return less(b, a);
    case Relation::kGreaterEqual: return lessEqual(b, a);
    case Relation::kEqual: return equal(a, b);
    default: {
        const Interval e = equal(a, b);
        return {1 - e.hi, 1 - e.lo};
    }
    }
}

} // namespace IntervalMath
