#pragma once

#include "chart/curvejet.h"
#include "chart/curvepointfinder.h"

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

class EvaluationBudget;

/// What proofs found over the cells given to one CellProver, in the order
/// found (the caller sorts and merges).
struct ProverFindings
{
    std::vector<double> zeros;
    std::vector<CurvePoint> minima;
    std::vector<CurvePoint> maxima;
    /// Stretches that could not be settled within the work allowed.
    std::vector<XRange> unresolved;
    /// Of those, the cells where the curve may oscillate faster than the
    /// grid follows it.
    std::vector<XRange> aliasing;
    /// Zeros goal: stretches where the curve is 0 throughout (its enclosure
    /// lies within kFlat of 0); only their ends are zeros worth listing.
    std::vector<XRange> flat;
};

/// Settles the cells of the chart's sample grid that enclosures could not
/// clear at once: finds every zero of a curve (the zeros goal) or every sign
/// change of its derivative (the extrema goal) in a cell, proven where it can
/// be and never guessed.
///
/// The goal's row p of the jet (row 0 for zeros, row 1 for extrema) is
/// settled with its derivatives p' and p'':
/// - an enclosure of p without 0 clears a cell;
/// - p' without 0 makes p strictly monotone: one sign change at most, which
///   is refined to the two adjacent doubles where the computed p changes
///   sign, the one the Newton step from them lands nearer reported;
/// - p'' without 0 makes p' monotone: p has one extremum at most, found the
///   same way, with a monotone piece on each side of it; at that extremum a
///   zero touches when p is 0 there or its enclosure over the adjacent
///   doubles holds 0;
/// - other cells are split (at a sign change, at a kink of p', at a located
///   pole, else in the middle) down to the separation of points, a width of
///   2^-40 * max(1, |x|); a cell that narrow is settled by its computed signs,
///   or reported unresolved.
/// A sign change across a pole or a jump (the enclosure of the two adjacent
/// doubles says the curve may fail or jump) is no zero; with the extrema
/// goal it is an extremum only where the curve itself is continuous (a kink
/// such as abs at 0, or pieces whose values meet), or at the end of a piece
/// whose own slope vanishes there, with the other piece beyond its value. Ends of the domain give zeros where the value's
/// enclosure holds 0, and extrema where the curve settles to its value.
///
/// Bounds: each cell (one call of Settle) does at most kCellWork units of
/// work, and every unit is also taken from the budget; a point evaluation is
/// one unit, an enclosure kEnclosureCost. Whatever is left when either runs
/// out is reported unresolved.
class CellProver
{
public:
    enum class Goal { kZeros, kExtrema };

    static constexpr std::size_t kEnclosureCost = 8;
    static constexpr std::size_t kCellWork = 1600;
    /// Points closer than 2^-kSeparationBits * max(1, |x|) are not told apart.
    static constexpr int kSeparationBits = 40;
    /// An enclosure within this of 0 is 0 throughout: the engine widens even
    /// exact zeros by a unit of the smallest doubles.
    static constexpr double kFlat = 1e-300;
    /// A run of computed zeros up to 2^-kRunBits * max(1, |x|) wide is one
    /// point, in its middle: about a double zero rounding leaves a run about
    /// the square root of the doubles' precision wide. A wider run is a
    /// stretch where the curve is 0 (or, with the extrema goal, constant).
    static constexpr int kRunBits = 20;
    /// A cell of the grid is not looked into where the curve turns faster
    /// than the chart's samples follow it (sin(1/x) near 0): where its
    /// enclosures allow more than kAliasPeriods periods of a sinusoid, or
    /// where they are unbounded, and 16 samples across it show p and p'
    /// changing sign 8 times or more. It is reported unresolved.
    static constexpr double kAliasPeriods = 1;
    /// The doubles on each side of a located pole or jump that go with it.
    static constexpr int64_t kBreakMargin = 64;

    CellProver(JetSource& source, Goal goal, EvaluationBudget& budget)
        : m_source(source), m_goal(goal), m_nRow(goal == Goal::kZeros ? 0 : 1), m_budget(budget)
    {
    }

    /// Settles a ... b (a < b), whose jets are ja and jb. Points found at a
    /// or b are left to Point, which the caller calls once per argument.
    /// `known`: the enclosure of rows 0 and 1 over a ... b where the caller
    /// has it already.
    void Settle(double a, const PointJet& ja, double b, const PointJet& jb, ProverFindings& out,
                const Jet* known = nullptr);

    /// An argument whose jet is known: a zero where the curve is exactly 0;
    /// an extremum where its derivative is exactly 0 with other signs just
    /// beside, or where the curve is defined and its derivative not, of
    /// other signs beside (a kink).
    void Point(double x, const PointJet& jet, ProverFindings& out);

    /// Whether a ... b is narrower than the separation of points.
    static bool IsAtom(double a, double b);

private:
    struct Cell
    {
        double a;
        double b;
        PointJet ja;
        PointJet jb;
    };
    struct Refined
    {
        enum Kind {
            kExact,     ///< the row is exactly 0 at x
            kBracket,   ///< it changes sign between the adjacent doubles l and r; x is the nearer
            kUndefined, ///< it fails at x
            kLost,      ///< the work ran out
        };
        Kind kind = kLost;
        double x = 0;
        PointJet jet;
        double l = 0;
        double r = 0;
        PointJet jl;
        PointJet jr;
    };
    /// Where a cell is cut after a refinement: pieces a ... l and r ... b.
    struct Cut
    {
        bool ok = false;
        double l = 0;
        double r = 0;
        PointJet jl;
        PointJet jr;
    };

    bool Spend(std::size_t units);
    bool Evaluate(double x, PointJet& jet);
    bool Enclose(double a, double b, int rows, Jet& jet);
    bool Has(const PointJet& jet, int row) const { return jet.defined > row; }
    bool SignChange(const PointJet& a, const PointJet& b, int row) const;

    /// `whole`: the cell given to Settle, not a piece of it.
    void SettleDefined(const Cell& c, bool whole, const Jet* known, ProverFindings& out);
    /// Whether the curve turns faster over the cell than the grid follows.
    bool Aliases(const Cell& c, const Jet& jet);
    void SettleEdge(const Cell& c, ProverFindings& out);
    void SettleUndefined(const Cell& c, ProverFindings& out);
    bool Monotone(const Cell& c, const Jet& jet);
    bool Convex(const Cell& c, const Jet& jet, ProverFindings& out);
    void Atom(const Cell& c, bool clean, ProverFindings& out);
    bool SplitAtSlopeChange(const Cell& c, ProverFindings& out);
    bool SplitAtPole(const Cell& c);
    bool LocatePole(const Cell& c, double& pole);
    bool SplitTowardsSingularity(const Cell& c, ProverFindings& out);
    /// A piece boundary or a step inside the cell (Jumps), located between
    /// two adjacent doubles by halving; a zero or an extremum at it is
    /// recorded and the pieces beside it are pushed, so that each piece's
    /// enclosures settle it (a step that is 0 throughout is flat up to its
    /// end). False where no such break is found.
    bool SplitAtJump(const Cell& c, ProverFindings& out);
    /// Whether an enclosure says the curve (with the extrema goal, or its
    /// slope) may jump where the curve is defined throughout.
    bool Jumps(const Jet& jet) const;
    /// Extrema at a jump between the adjacent doubles l and r (their values
    /// disagree): l or r is an extremum only as its own piece's (the slope
    /// vanishing there on its own side), never for the value the other piece
    /// only approaches.
    void BreakExtremum(double l, const PointJet& jl, double r, const PointJet& jr,
                       ProverFindings& out);
    /// x as the end of a piece at a jump, its piece on `side` (-1 left, 1
    /// right), jn its jet at the double beside x on that side, `other` the
    /// other piece's at the double beyond x: an extremum where the piece's
    /// slope vanishes at x, it rises (falls) away from x, and the other
    /// piece lies above (below) it.
    void PieceEnd(double x, const PointJet& jx, int side, const PointJet& jn,
                  const PointJet& other, ProverFindings& out);
    /// Whether the values at adjacent doubles l and r agree as the values of
    /// one continuous curve would.
    static bool Meet(const PointJet& jl, const PointJet& jr);
    void SplitInMiddle(const Cell& c, ProverFindings& out);

    Refined Refine(int row, double a, const PointJet& ja, double b, const PointJet& jb);
    double Estimate(int row, double l, const PointJet& jl, double r, const PointJet& jr) const;
    double Choose(int row, double l, const PointJet& jl, double r, const PointJet& jr) const;
    /// Records what a refined sign change of p is and where it cuts its cell.
    /// `leftNegative`: p is negative on the left of the sign change.
    Cut Cross(const Cell& c, const Refined& f, bool proven, bool leftNegative, ProverFindings& out);
    /// The cut around a pole or a jump between l and r: kBreakMargin doubles
    /// beyond each (within the cell) go with it.
    Cut Beside(const Cell& c, double l, const PointJet& jl, double r, const PointJet& jr);
    /// With the zeros goal: a zero at the extremum x of p when it touches 0.
    void Touching(const Cell& c, const Refined& e, ProverFindings& out);
    void AddZero(double x, ProverFindings& out);
    void AddExtremum(double x, const PointJet& jet, bool minimum, ProverFindings& out);
    /// The run of arguments around x where p is computed as exactly 0, as far
    /// as 2^-kRunBits * max(1, |x|) each way (narrow when it ends within that
    /// on both sides), and the sign of p just beyond each end: -1, 1, 0 where
    /// it does not end, 2 where p fails there.
    struct Run
    {
        bool narrow;
        double from;
        double to;
        int left;
        int right;
    };
    Run ZeroRun(double x);
    /// The first double from `from` (where `row` fails) towards `to` (where
    /// it is defined) at which it is defined.
    bool FindEdge(double from, double to, int row, double& edge, PointJet& jet);
    /// `halfInward`: half the cell's width, signed towards the domain.
    void EdgeExtremum(double edge, const PointJet& jet, double halfInward, ProverFindings& out);
    void Push(double a, const PointJet& ja, double b, const PointJet& jb);
    void Unresolved(double a, double b, ProverFindings& out);

    JetSource& m_source;
    Goal m_goal;
    int m_nRow;
    EvaluationBudget& m_budget;
    std::size_t m_nWork = 0;
    std::vector<Cell> m_pending;
    /// Arguments where p is exactly 0 and so on both sides as far as
    /// SideSign looks.
    std::unordered_set<double> m_flatPoints;
    /// Those where it is so on one side at least: before x, after x (a step
    /// of floor 0 up to a jump at its end is flat towards the step).
    std::unordered_set<double> m_flatBefore;
    std::unordered_set<double> m_flatAfter;
    /// Arguments whose run of zeros has been looked at.
    std::unordered_set<double> m_runs;
    /// Every point reported so far.
    std::unordered_set<double> m_reported;
};
