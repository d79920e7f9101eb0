#pragma once

#include "engine/interval.h"

#include <cstddef>
#include <vector>

class AreaIntegrand;
class AreaPanels;
struct AreaBudget;

/// The part of an area next to a singular point, which no double can reach:
/// the stretch [from, to] around the point, and its integral.
struct AreaTail
{
    double from;
    double to;
    Interval value;
};

/// Finds where the integrand cannot be integrated piece by piece: points
/// where it fails or has no bounded enclosure however narrow the stretch
/// (1/x at 0, x/x at 0, tan at pi/2, an end where ln(x) meets 0), and
/// stretches where it fails at every argument (sqrt of negatives, exp
/// beyond 709.78). Each is pinned down to the resolution of doubles by
/// halving the enclosures of the chart's grid cells.
///
/// A stretch where the curve fails outright refuses the area: "Funkcja nie
/// jest określona w całym przedziale", or "Pole jest zbyt duże, aby je
/// obliczyć" where the values at its edge run past 2^1000 (an overflow, not a
/// hole in the domain). A singular point is judged by the integrals S_j over
/// shells at distances d 2^j ... d 2^(j+1) on each side, d its width: steady
/// ratios S_j / S_(j+1) of at least 1 - 1e-6 are a non-integrable
/// singularity ("Całka jest rozbieżna": 1/x, 1/x^2, tan); ratios all below
/// that give the tail, the rest of the geometric series towards the point
/// taken at the largest ratio, S / (1 - ratio), counted as an interval from 0
/// to twice that (x^-0.95 at 0 leaves 2e-15; abs(x - 0.3001)^-0.9 leaves
/// 0.47, as 2.4 % of its area lies within a unit of rounding of the point).
/// Shells that change sign or ratios that straddle 1 say nothing: the area
/// is refused as too large next to an overflow and as not computable
/// otherwise.
///
/// Bounded by the budget's probes (order 0) and stretches (shells), and by
/// kMaxPoints singular points.
class AreaSingularities
{
public:
    static constexpr std::size_t kMaxPoints = 64;
    /// Shells looked at on each side, and how many nearest the point may be
    /// skipped where the derivatives there overflow even scaled.
    static constexpr int kShells = 48;
    static constexpr int kSkippedShells = 64;

    AreaSingularities(AreaIntegrand& integrand, AreaPanels& panels, AreaBudget& budget,
                      bool absolute, double a, double b);

    /// The tails over the cells between consecutive points (a first, b
    /// last), sorted and disjoint; throws FunctionContainerException with the
    /// area's refusals.
    std::vector<AreaTail> Find(const std::vector<double>& points);

private:
    struct Region
    {
        double l;
        double u;
        bool dead;   ///< holds a stretch where every evaluation fails
        bool domain; ///< ... and one that is outside the domain, not an overflow
    };
    struct Side
    {
        bool room = false;      ///< there is a stretch of the interval on this side
        bool settled = false;   ///< the shells told what the tail is
        bool divergent = false;
        double reach = 0;       ///< from the region's edge to the first shell used
        Interval value = Interval::Point(0);
    };

    void Localize(double l, double u);
    void Add(double l, double u, bool dead, bool domain);
    /// A region narrow enough to stand for a point (or failing nowhere for
    /// certain), judged by its shells rather than its edges.
    bool Point(const Region& region) const;
    /// The tail of a region, whose left shells stop at `previous`; 0, or the
    /// refusal's rank: 1 not computable, 2 too large, 3 divergent, 4
    /// undefined.
    int Analyze(const Region& region, double previous, AreaTail& tail);
    Side Shells(const Region& region, bool right, double previous);
    /// 0: clean (defined and bounded); 1: not; 2: fails everywhere by
    /// overflow; 3: fails everywhere, outside the domain.
    int Classify(Interval value, uint8_t flags) const;

    AreaIntegrand& m_integrand;
    AreaPanels& m_panels;
    AreaBudget& m_budget;
    bool m_bAbsolute;
    double m_a;
    double m_b;
    bool m_bOpen = false;
    bool m_bTooMany = false;
    Region m_open{};
    std::vector<Region> m_regions;
};
