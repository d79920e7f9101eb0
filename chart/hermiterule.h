#pragma once

#include "engine/interval.h"

#include <cstdint>

/// p * v for p >= 0, rounded outward: two products where a product of any
/// two intervals takes four and the smallest and largest of them. The rule
/// multiplies by widths, ratios and constants, all of them positive.
inline Interval Positively(Interval p, Interval v)
{
    const double lo = v.lo >= 0 ? p.lo * v.lo : p.hi * v.lo;
    const double hi = v.hi >= 0 ? p.hi * v.hi : p.lo * v.hi;
    // 0 times an unbounded side is 0: the bound stands for values without
    // limit, not for infinity.
    return IntervalMath::Rounded(v.lo == 0 ? 0.0 : lo, v.hi == 0 ? 0.0 : hi);
}

/// p / s for p >= 0 and s > 0, rounded outward.
inline Interval PositiveQuotient(Interval p, double s)
{
    return IntervalMath::Rounded(p.lo / s, p.hi / s);
}

/// The two-point Hermite rule: the integral over a panel [x0, x1] of width H
/// from the derivatives of orders 0 ... k-1 at both ends,
///
///   sum over j < k of c_j H^(j+1) (h^(j)(x0) + (-1)^j h^(j)(x1))
///     + (-1)^k kappa H^(2k+1) h^(2k)(xi)  for some xi in the panel,
///
/// with c_j = k! (2k-j-1)! / ((2k)! (k-j-1)! (j+1)!) and
/// kappa = k!^2 / ((2k+1)! (2k)!). It is exact for polynomials of degree
/// 2k-1, and the last term is what an enclosure of h^(2k) over the panel
/// turns into a bound that holds: the panel's integral lies in the interval
/// Panel returns. Its nodes are the panel's ends, doubles themselves, so no
/// rounding of a node's position enters the bound.
///
/// Derivatives come scaled, as the engine's scaled enclosures give them: at
/// a node with the scale s, p[j] = s^j h^(j)(x); over a stretch holding the
/// panel with the scale w, g = w^(2k) h^(2k). Every operation rounds outward.
class HermiteRule
{
public:
    static constexpr int32_t kMaxTerms = 4;

    /// k, from 1 to kMaxTerms.
    explicit HermiteRule(int32_t terms);

    int32_t Terms() const { return m_nTerms; }
    /// 2k: the order of the derivative the bound needs.
    int32_t BoundOrder() const { return 2 * m_nTerms; }

    /// The integral over a panel of width `width` (an enclosure of x1 - x0)
    /// from the ends' derivatives p0, p1 (Terms() each, scaled by
    /// `nodeScale`) and g, scaled by `stretchScale`.
    Interval Panel(Interval width, double nodeScale, const Interval* p0, const Interval* p1,
                   Interval g, double stretchScale) const;

    /// How wide the bound's part of the integral over `width` is when it is
    /// split into `panels` equal panels: kappa * width * (width / panels /
    /// stretchScale)^(2k) times the width of g. Rounded, not outward.
    double BoundWidth(double width, int64_t panels, double stretchScale, Interval g) const;

    /// The fewest equal panels whose bound's part is at most `allowed`
    /// wide; at most `cap` + 1 (more than the cap is all a caller needs to
    /// know), at least 1.
    int64_t PanelsFor(double width, double stretchScale, Interval g, double allowed,
                      int64_t cap) const;

private:
    int32_t m_nTerms;
    Interval m_c[kMaxTerms];
    Interval m_kappa;
};
