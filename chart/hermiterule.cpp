#include "chart/hermiterule.h"

#include <algorithm>
#include <cmath>

namespace {

double Factorial(int n)
{
    double f = 1;
    for (int i = 2; i <= n; ++i)
        f *= i;
    return f;
}

// The factorials up to 17! are exact doubles; the quotient is rounded
// outward once.
Interval Quotient(double numerator, double denominator)
{
    return Interval::Point(numerator) / Interval::Point(denominator);
}

} // namespace

HermiteRule::HermiteRule(int32_t terms) : m_nTerms(std::clamp(terms, 1, kMaxTerms))
{
    const int k = m_nTerms;
    for (int j = 0; j < k; ++j) {
        m_c[j] = Quotient(Factorial(k) * Factorial(2 * k - j - 1),
                          Factorial(2 * k) * Factorial(k - j - 1) * Factorial(j + 1));
    }
    m_kappa = Quotient(Factorial(k) * Factorial(k), Factorial(2 * k + 1) * Factorial(2 * k));
}

Interval HermiteRule::Panel(Interval width, double nodeScale, const Interval* p0,
                            const Interval* p1, Interval g, double stretchScale) const
{
    const Interval ratio = PositiveQuotient(width, nodeScale);
    Interval sum = Positively(m_c[0], p0[0] + p1[0]);
    Interval power = ratio;
    for (int j = 1; j < m_nTerms; ++j) {
        const Interval ends = j % 2 == 0 ? p0[j] + p1[j] : p0[j] - p1[j];
        sum += Positively(Positively(m_c[j], power), ends);
        power = Positively(power, ratio);
    }
    const Interval step = PositiveQuotient(width, stretchScale);
    const Interval square = Positively(step, step);
    Interval even = square; // step^(2k)
    for (int j = 1; j < m_nTerms; ++j)
        even = Positively(even, square);
    Interval bound = Positively(Positively(m_kappa, even), g);
    if (m_nTerms % 2 != 0)
        bound = -bound;
    return Positively(width, sum + bound);
}

double HermiteRule::BoundWidth(double width, int64_t panels, double stretchScale, Interval g) const
{
    const double step = width / static_cast<double>(panels) / stretchScale;
    return m_kappa.hi * width * std::pow(step, 2 * m_nTerms) * (g.hi - g.lo);
}

int64_t HermiteRule::PanelsFor(double width, double stretchScale, Interval g, double allowed,
                               int64_t cap) const
{
    const double once = BoundWidth(width, 1, stretchScale, g);
    if (once <= allowed)
        return 1;
    if (!(allowed > 0) || !std::isfinite(once))
        return cap + 1;
    // (once / allowed)^(1 / 2k) panels shrink the bound's part enough; a
    // step up covers the rounding of the root.
    const double panels = std::ceil(std::pow(once / allowed, 1.0 / (2 * m_nTerms)) * (1 + 1e-9));
    if (!(panels <= static_cast<double>(cap)))
        return cap + 1;
    int64_t m = std::max<int64_t>(1, static_cast<int64_t>(panels));
    while (m <= cap && BoundWidth(width, m, stretchScale, g) > allowed)
        ++m;
    return m;
}
