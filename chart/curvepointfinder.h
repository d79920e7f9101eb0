#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class EvaluationBudget;

/// A point of a curve (chart units).
struct CurvePoint
{
    double x;
    double y;
};

/// What the point finder evaluates between the samples: one curve, or the
/// difference of two.
class CurveProbe
{
public:
    virtual ~CurveProbe() = default;
    /// The value at x; false where it is not defined (y is then left alone).
    virtual bool At(double x, double& y) = 0;
    /// How far a computed value may lie from the exact one beyond rounding
    /// (the error of a numerical derivative); 0 for a plain formula.
    virtual double ValueError(double x) = 0;
    /// The rounding noise between neighbouring values near x, cheaply; a
    /// step within it is no extremum.
    virtual double Wobble(double x) = 0;
};

/// The points of one row of samples, each list sorted by x and at most `cap`
/// long; truncated when a list was cut at the cap or the evaluation budget
/// ran out before the row was done.
struct PointLists
{
    std::vector<double> zeros;
    std::vector<CurvePoint> minima;
    std::vector<CurvePoint> maxima;
    bool truncated = false;
};

/// Finds zeros and strict local extrema of a probe from its samples: the
/// samples bracket every candidate, the probe's own evaluation refines it.
///
/// Zeros: samples that are 0; sign changes refined to the two adjacent
/// doubles where the computed value changes sign, unless the values there did
/// not shrink with the bracket (a pole or a jump, never a zero); touching
/// zeros at extrema whose value is 0 within the resolution of x and the
/// probe's ValueError; the edge of the domain where the value there is 0.
/// Extrema: sample peaks and troughs (a pair of equal samples counts as one)
/// refined by Brent's method to about 2^-24 relative in x; kinks count, and
/// so does an end of the domain where the curve settles to a value (sqrt(x)
/// at 0 is a minimum, ln(x) has none).
/// Points closer than two sampling steps to another of their kind may merge.
///
/// Each refinement costs at most about 200 evaluations; the whole scan stops
/// when the budget is spent.
class CurvePointFinder
{
public:
    enum class Crossing {
        kZero,      ///< a continuous sign change: x is the zero
        kBreak,     ///< a pole or a jump: x is the last double before it (near it
                    ///< for a pole not located)
        kUndefined, ///< the probe fails inside the bracket: x is where
    };

    CurvePointFinder(CurveProbe& probe, const EvaluationBudget& budget)
        : m_probe(probe), m_budget(budget)
    {
    }

    /// Scans the samples `values` (failed where `failed` is set) at the
    /// arguments xs, which lie in min ... max. Extrema are only looked for
    /// when `extrema` is set; they must lie strictly inside min ... max.
    void Find(const std::vector<double>& xs, const std::vector<double>& values,
              const std::vector<uint8_t>& failed, double min, double max, std::size_t cap,
              bool extrema, PointLists& out);

    /// Refines a sign change between a and b (a < b, fa and fb of opposite
    /// signs, neither 0) and tells what lies there. A pole is given up on as
    /// soon as the values grow a thousandfold, unless `locateBreak` asks for
    /// its place to the adjacent doubles.
    Crossing RefineSignChange(double a, double fa, double b, double fb, double& x,
                              bool locateBreak = false);
    /// Refines the peak (maximum set) or trough that the samples bracket in
    /// a ... b; false when no defined value is found.
    bool RefineExtremum(double a, double b, bool maximum, CurvePoint& point);
    /// True when the extremum at `point` reaches 0 (a minimum) or 0 reaches
    /// it (a maximum) within the resolution of its x.
    bool TouchesZero(const CurvePoint& point, bool maximum);
    /// The defined end of the domain between `outside` (not defined) and
    /// `inside` (defined), to the adjacent doubles; false when the budget ran
    /// out.
    bool FindEdge(double outside, double inside, double& edge, double& value);
    /// The largest |value| near a sample spike in a ... b, to the adjacent
    /// doubles (a pole whose sides have one sign).
    bool FindSpike(double a, double b, CurvePoint& point);


private:
    bool Value(double x, double& y) { return m_probe.At(x, y); }
    /// The edge of the domain as an extremum of the curve restricted to its
    /// domain, when the curve settles to its value there; `width` is a step
    /// from the edge into the domain.
    void AddEdgeExtremum(double edge, double value, double width, PointLists& out);

    CurveProbe& m_probe;
    const EvaluationBudget& m_budget;
};
