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

/// A stretch of x in chart units, from <= to.
struct XRange
{
    double from;
    double to;
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

/// The points of one curve, each list sorted by x and at most `cap` long;
/// truncated when a list was cut at the cap or the evaluation budget ran out
/// before the curve was done. `unresolved`: stretches where the proofs could
/// not settle whether a zero or an extremum lies (sorted, disjoint).
struct PointLists
{
    std::vector<double> zeros;
    std::vector<CurvePoint> minima;
    std::vector<CurvePoint> maxima;
    std::vector<XRange> unresolved;
    bool truncated = false;
};

/// Refines what the samples of a probe show between two of them, with the
/// probe's own evaluation: the place of a sign change (a zero, or a pole or a
/// jump), of a spike, of the edge of the domain. The area under a curve finds
/// its breaks with it; the analysis proper proves its points with
/// CellProver.
///
/// Each refinement costs at most about 200 evaluations and stops when the
/// budget is spent.
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

    /// Refines a sign change between a and b (a < b, fa and fb of opposite
    /// signs, neither 0) and tells what lies there. A pole is given up on as
    /// soon as the values grow a thousandfold, unless `locateBreak` asks for
    /// its place to the adjacent doubles.
    Crossing RefineSignChange(double a, double fa, double b, double fb, double& x,
                              bool locateBreak = false);
    /// The defined end of the domain between `outside` (not defined) and
    /// `inside` (defined), to the adjacent doubles; false when the budget ran
    /// out.
    bool FindEdge(double outside, double inside, double& edge, double& value);
    /// The largest |value| near a sample spike in a ... b, to the adjacent
    /// doubles (a pole whose sides have one sign).
    bool FindSpike(double a, double b, CurvePoint& point);


private:
    bool Value(double x, double& y) { return m_probe.At(x, y); }

    CurveProbe& m_probe;
    const EvaluationBudget& m_budget;
};
