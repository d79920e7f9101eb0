#pragma once

#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class AreaIntegrand;

/// Which area of a chart's curves.
enum class AreaKind {
    kSigned,    ///< the integral of f over [a, b]: parts below the x axis count negative
    kGeometric, ///< the integral of |f|: the region between the curve and the x axis
    kBetween,   ///< the integral of |f - g|: the region between two curves
};

/// The short name of a kind (code page 1250): "całka oznaczona", "pole
/// obszaru", "pole między wykresami".
const char* AreaKindName(AreaKind kind);

/// An area with the bound of its error (chart units squared).
struct AreaAnswer
{
    double value;
    double error; ///< |value - the exact area| is at most this
};

/// The integral of an integrand h over a ... b (a < b, finite): of h itself,
/// or of |h| when `absolute`, with an error bound that holds.
///
/// The interval is cut into cells at the chart's grid, and each cell is
/// enclosed with the integrand's derivatives up to the rule's bound order
/// (HermiteRule: 8 for a curve, 6 for a derivative curve). A cell where every
/// one of them is bounded is integrated with the two-point Hermite rule in as
/// many equal panels as its enclosure needs, or halved when more than
/// kMaxPanels would be needed; one where only the value is bounded (a kink,
/// a jump) is bounded by its width times that enclosure, halved until that is
/// tight enough. Every number is an enclosure rounded outward, so the area
/// lies in the interval summed from the cells and the tails of singular
/// points (AreaSingularities); the answer is its midpoint and half its width.
///
/// The bound aims at 2^-38 of the size of the integrand's area (from its
/// samples, each step counted at its smaller end) plus 2^-38 of each cell's
/// own; where the pieces add up to far less than that size (a spike beside a
/// sample), a second pass aims at what they added up to. Refused with
/// FunctionContainerException: where the bound stays wider than 1e-6 of the
/// area, or a budget runs out, "Nie udało się obliczyć pola z wymaganą
/// dokładnością" (an area of 0 within 1e-9 of what its pieces add up to, or
/// within the smallest normal double, is answered as 0); where the sum
/// overflows, "Pole jest zbyt duże, aby je obliczyć"; and the refusals of
/// AreaSingularities.
///
/// Bounded, each pass: at most kMaxStretches enclosures of cells and shells
/// (a few microseconds each), kMaxNodes enclosures at the rule's nodes (about
/// a microsecond each), kMaxProbes enclosures of order 0 and values (finding
/// singular points and zeros, a fraction of a microsecond each).
class CurveArea
{
public:
    static constexpr std::size_t kMaxStretches = 16384;
    static constexpr std::size_t kMaxNodes = 2000000;
    static constexpr std::size_t kMaxProbes = 2000000;
    static constexpr int64_t kMaxPanels = 128;

    /// What an area spent of each budget.
    struct Work
    {
        std::size_t stretches = 0;
        std::size_t nodes = 0;
        std::size_t probes = 0;
    };

    CurveArea(AreaIntegrand& integrand, bool absolute)
        : m_integrand(integrand), m_bAbsolute(absolute)
    {
    }

    /// `grid`: the chart's sampling arguments over a ... b.
    AreaAnswer Integrate(double a, double b, const std::vector<double>& grid);
    Work Spent() const { return m_spent; }

private:
    /// An exact sum of the midpoints of intervals (two words, with a bound on
    /// what the second word's sums drop) and the sum of their half widths,
    /// rounded up: a wide interval's sum would widen by a unit of its
    /// rounding at every step.
    class Sum
    {
    public:
        void Add(Interval v);
        double Value() const;
        double Error() const;
        double Scale() const { return m_scale; } ///< the sum of |midpoints|
        bool Finite() const { return m_bFinite; }

    private:
        static std::pair<double, double> TwoSum(double a, double b);
        double m_high = 0;
        double m_low = 0;
        double m_lost = 0;
        double m_radius = 0;
        double m_scale = 0;
        bool m_bFinite = true;
    };

    Sum Pass(double a, double b, const std::vector<double>& points, double size);

    AreaIntegrand& m_integrand;
    bool m_bAbsolute;
    Work m_spent;
};
