#include "chart/cellprover.h"

#include "chart/curve.h"
#include "chart/doublesteps.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace DoubleSteps;

namespace {

// A refinement takes Newton or secant steps inside its bracket and halves
// the doubles between its ends whenever three steps did not halve them, so
// it ends within about 3 * 64 evaluations.
constexpr int kRefineSteps = 256;
// Steps of Newton's method on 1/p that locating a pole takes at most.
constexpr int kPoleSteps = 40;

bool Negative(double v)
{
    return v < 0;
}

// How far apart two points may be and still be one (chart units).
double Separation(double x)
{
    return std::ldexp(std::max(1.0, std::fabs(x)), -CellProver::kSeparationBits);
}

// The curve or its slope may jump over the enclosure's arguments, and the
// curve is defined throughout: a piece boundary or a step (where the slope
// itself may fail, at the boundary).
bool MayJump(const Jet& jet)
{
    return !jet.Empty(0) && ((jet.flags[0] | jet.flags[1]) & Enclosure::kMayJump) != 0 &&
           (jet.flags[0] & Enclosure::kMayFail) == 0;
}

// Where a cell is halved: at 0 across it, in the middle of the doubles over
// many binades, else in the middle.
double Halve(double a, double b)
{
    if (a < 0 && b > 0)
        return 0;
    if (std::fabs(a) > 0x1p16 * std::fabs(b) || std::fabs(b) > 0x1p16 * std::fabs(a))
        return FromKey(MiddleKey(Key(a), Key(b)));
    const double m = Middle(a, b);
    return m > a && m < b ? m : FromKey(MiddleKey(Key(a), Key(b)));
}

} // namespace

bool CellProver::IsAtom(double a, double b)
{
    // In halves: b - a overflows for a range as wide as the doubles go.
    return b / 2 - a / 2 <= Separation(std::max(std::fabs(a), std::fabs(b))) / 2;
}

bool CellProver::Spend(std::size_t units)
{
    m_nWork += units;
    return m_nWork <= kCellWork && m_budget.Take(units);
}

bool CellProver::Evaluate(double x, PointJet& jet)
{
    if (!Spend(1))
        return false;
    m_source.Evaluate(&x, 1, &jet);
    return true;
}

bool CellProver::Enclose(double a, double b, int rows, Jet& jet)
{
    if (!Spend(kEnclosureCost))
        return false;
    const Interval x{a, b};
    m_source.Enclose(&x, 1, rows, &jet);
    return true;
}

bool CellProver::SignChange(const PointJet& a, const PointJet& b, int row) const
{
    return Has(a, row) && Has(b, row) && a.v[row] != 0 && b.v[row] != 0 &&
           Negative(a.v[row]) != Negative(b.v[row]);
}

void CellProver::Push(double a, const PointJet& ja, double b, const PointJet& jb)
{
    if (a < b)
        m_pending.push_back({a, b, ja, jb});
}

void CellProver::Unresolved(double a, double b, ProverFindings& out)
{
    out.unresolved.push_back({a, b});
}

void CellProver::Settle(double a, const PointJet& ja, double b, const PointJet& jb,
                        ProverFindings& out, const Jet* known)
{
    m_nWork = 0;
    m_pending.clear();
    Push(a, ja, b, jb);
    // Widest first, so that a cell that runs out of work has its unsettled
    // stretches spread rather than one deep corner done.
    for (std::size_t next = 0; next < m_pending.size(); ++next) {
        const Cell c = m_pending[next];
        if (m_nWork >= kCellWork || m_budget.exhausted()) {
            Unresolved(c.a, c.b, out);
            continue;
        }
        const bool definedA = Has(c.ja, m_nRow);
        const bool definedB = Has(c.jb, m_nRow);
        if (definedA && definedB) {
            SettleDefined(c, next == 0, next == 0 ? known : nullptr, out);
        } else if (m_goal == Goal::kZeros) {
            if (definedA || definedB)
                SettleEdge(c, out);
            else
                SettleUndefined(c, out);
        } else {
            // Extrema: the curve's own domain decides first.
            const bool curveA = Has(c.ja, 0);
            const bool curveB = Has(c.jb, 0);
            if (!curveA && !curveB)
                SettleUndefined(c, out);
            else if (curveA != curveB || definedA != definedB)
                SettleEdge(c, out);
            else if (!IsAtom(c.a, c.b))
                SplitInMiddle(c, out);
        }
    }
    m_pending.clear();
}

void CellProver::SettleDefined(const Cell& c, bool whole, const Jet* known, ProverFindings& out)
{
    const int p = m_nRow;
    Jet jet;
    if (known != nullptr && p + 2 <= 2)
        jet = *known;
    else if (!Enclose(c.a, c.b, p + 2, jet)) {
        Unresolved(c.a, c.b, out);
        return;
    }
    if (jet.Empty(p) || jet.Excludes0(p))
        return;
    const bool clean = jet.Clean(p);
    if (clean && std::fabs(jet.v[p].lo) <= kFlat && std::fabs(jet.v[p].hi) <= kFlat) {
        // The curve is 0 throughout (zeros), or constant (no strict extremum).
        if (m_goal == Goal::kZeros)
            out.flat.push_back({c.a, c.b});
        return;
    }
    // An end next to a jump may not have been looked at as a point yet.
    for (const auto& [x, jx] : {std::pair{c.a, &c.ja}, std::pair{c.b, &c.jb}}) {
        if (jx->v[p] == 0 && m_runs.count(x) == 0)
            Point(x, *jx, out);
    }
    if (c.ja.v[p] == 0 && c.jb.v[p] == 0 && m_flatAfter.count(c.a) != 0 &&
        m_flatBefore.count(c.b) != 0) {
        // Computed as exactly 0 at both ends and beside them inwards, and in
        // the middle: a stretch where the curve is 0 (zeros) or constant (no
        // strict extremum), which the enclosure cannot show where the
        // formula repeats its argument (x/abs(x)) or a step's enclosure
        // reaches over its jump.
        const double m = Middle(c.a, c.b);
        PointJet jm;
        const bool between = m > c.a && m < c.b;
        if (between && !Evaluate(m, jm)) {
            Unresolved(c.a, c.b, out);
            return;
        }
        if (between)
            Point(m, jm, out);
        if (!between || m_flatPoints.count(m) != 0) {
            if (m_goal == Goal::kZeros)
                out.flat.push_back({c.a, c.b});
            return;
        }
        Push(c.a, c.ja, m, jm);
        Push(m, jm, c.b, c.jb);
        return;
    }
    if (clean && Monotone(c, jet)) {
        if (SignChange(c.ja, c.jb, p)) {
            const Cut cut = Cross(c, Refine(p, c.a, c.ja, c.b, c.jb), true, Negative(c.ja.v[p]), out);
            if (!cut.ok)
                Unresolved(c.a, c.b, out);
        }
        return;
    }
    if (clean && Convex(c, jet, out))
        return;
    if (whole && Aliases(c, jet)) {
        Unresolved(c.a, c.b, out);
        out.aliasing.push_back({c.a, c.b});
        return;
    }
    if (!jet.v[p].IsFinite() && !SignChange(c.ja, c.jb, p) && SplitAtPole(c))
        return;
    if (IsAtom(c.a, c.b)) {
        Atom(c, clean, out);
        return;
    }
    if (SignChange(c.ja, c.jb, p)) {
        // Refined first: the zero (or the pole) it finds is a point either
        // way, and the pieces beside it are easier to settle.
        const Cut cut = Cross(c, Refine(p, c.a, c.ja, c.b, c.jb), false, Negative(c.ja.v[p]), out);
        if (!cut.ok) {
            Unresolved(c.a, c.b, out);
            return;
        }
        Push(c.a, c.ja, cut.l, cut.jl);
        Push(cut.r, cut.jr, c.b, c.jb);
        return;
    }
    if (!jet.Clean(p + 1) && SplitAtSlopeChange(c, out))
        return;
    if (Jumps(jet) && SplitAtJump(c, out))
        return;
    if (SplitTowardsSingularity(c, out))
        return;
    SplitInMiddle(c, out);
}

bool CellProver::Aliases(const Cell& c, const Jet& jet)
{
    // Over a cell p varies by Width(p) at most and turns at Mag(p') at most:
    // a sinusoid of k periods in the cell has Mag(p') * w / Width(p) = pi * k.
    // That bound is loose beside a pole, and says nothing where p may fail,
    // so samples decide: p and p' changing sign at half of them, where the
    // chart's own samples cannot follow the curve.
    const int p = m_nRow;
    if (jet.Clean(p) && jet.Clean(p + 1)) {
        const double slope = std::max(std::fabs(jet.v[p + 1].lo), std::fabs(jet.v[p + 1].hi));
        const double width = jet.v[p].hi - jet.v[p].lo;
        const double turn = slope * (c.b / 2 - c.a / 2) * 2;
        if (std::isfinite(turn) && !(turn > kAliasPeriods * std::numbers::pi * width))
            return false;
    }
    constexpr int kSamples = 16;
    if (!Spend(kSamples - 1))
        return false;
    double xs[kSamples + 1];
    PointJet jets[kSamples + 1];
    for (int i = 1; i < kSamples; ++i)
        xs[i] = c.a + (c.b / 2 - c.a / 2) * 2 * i / kSamples;
    m_source.Evaluate(xs + 1, kSamples - 1, jets + 1);
    xs[0] = c.a, jets[0] = c.ja;
    xs[kSamples] = c.b, jets[kSamples] = c.jb;
    int changes = 0;
    for (int i = 0; i < kSamples; ++i) {
        changes += SignChange(jets[i], jets[i + 1], p) ? 1 : 0;
        changes += SignChange(jets[i], jets[i + 1], p + 1) ? 1 : 0;
    }
    return changes >= kSamples / 2;
}

bool CellProver::Monotone(const Cell& c, const Jet& jet)
{
    const int p = m_nRow;
    if (jet.Excludes0(p + 1))
        return true;
    // p' may fail at an end only (sqrt' at 0, asin' at 1): the mean value
    // theorem needs p' inside, and p continuous, which the cell's enclosure
    // of p has shown.
    const double a = Next(c.a);
    const double b = Previous(c.b);
    Jet inside;
    return !jet.Clean(p + 1) && a < b && Enclose(a, b, p + 2, inside) && inside.Excludes0(p + 1);
}

bool CellProver::Convex(const Cell& c, const Jet& jet, ProverFindings& out)
{
    const int p = m_nRow;
    if (!jet.Clean(p + 1))
        return false;
    // p'' costs a derivative more than the rest: worth it only where p'
    // changes sign, where p may have its one extremum, or where p' is 0 at
    // an end (an extremum on the grid: x^2 at 0), whose enclosure over the
    // cell holds 0 however narrow the cell.
    const bool turns = SignChange(c.ja, c.jb, p + 1);
    const bool flatEnd = (Has(c.ja, p + 1) && c.ja.v[p + 1] == 0) ||
                         (Has(c.jb, p + 1) && c.jb.v[p + 1] == 0);
    if (!turns && !flatEnd)
        return false;
    Jet second;
    if (!Enclose(c.a, c.b, p + 3, second)) {
        Unresolved(c.a, c.b, out);
        return true;
    }
    if (!second.Excludes0(p + 2))
        return false;
    if (!turns) {
        // p' is strictly monotone and 0 at an end: not 0 inside, so p is
        // strictly monotone there, with one sign change at most.
        if (SignChange(c.ja, c.jb, p) &&
            !Cross(c, Refine(p, c.a, c.ja, c.b, c.jb), true, Negative(c.ja.v[p]), out).ok)
            Unresolved(c.a, c.b, out);
        return true;
    }
    // p' is strictly monotone: p has one extremum, and is monotone on each
    // side of it.
    const Refined e = Refine(p + 1, c.a, c.ja, c.b, c.jb);
    if (e.kind == Refined::kLost) {
        Unresolved(c.a, c.b, out);
        return true;
    }
    if (e.kind == Refined::kUndefined || !Has(e.jet, p))
        return false;
    Touching(c, e, out);
    Point(e.x, e.jet, out);
    if (SignChange(c.ja, e.jet, p) && !Cross(c, Refine(p, c.a, c.ja, e.x, e.jet), true, Negative(c.ja.v[p]), out).ok)
        Unresolved(c.a, e.x, out);
    if (SignChange(e.jet, c.jb, p) && !Cross(c, Refine(p, e.x, e.jet, c.b, c.jb), true, Negative(e.jet.v[p]), out).ok)
        Unresolved(e.x, c.b, out);
    return true;
}

void CellProver::Touching(const Cell& c, const Refined& e, ProverFindings& out)
{
    if (m_goal != Goal::kZeros || !Has(e.jet, 0) || e.jet.v[0] == 0)
        return;
    // Only where p keeps one sign on both pieces; otherwise its zeros are
    // sign changes of their own.
    const bool negative = Negative(e.jet.v[0]);
    for (const PointJet* end : {&c.ja, &c.jb}) {
        if (Has(*end, 0) && end->v[0] != 0 && Negative(end->v[0]) != negative)
            return;
    }
    const double l = e.kind == Refined::kBracket ? e.l : Previous(e.x);
    const double r = e.kind == Refined::kBracket ? e.r : Next(e.x);
    Jet around;
    if (Enclose(l, r, 2, around) && (around.flags[0] & Enclosure::kMustFail) == 0 &&
        around.v[0].Contains(0))
        AddZero(e.x, out);
}

void CellProver::Atom(const Cell& c, bool clean, ProverFindings& out)
{
    const int p = m_nRow;
    // Narrower than points are told apart: the computed signs decide.
    if (SignChange(c.ja, c.jb, p)) {
        if (!Cross(c, Refine(p, c.a, c.ja, c.b, c.jb), false, Negative(c.ja.v[p]), out).ok)
            Unresolved(c.a, c.b, out);
        return;
    }
    if (SignChange(c.ja, c.jb, p + 1)) {
        const Refined e = Refine(p + 1, c.a, c.ja, c.b, c.jb);
        if (e.kind == Refined::kLost || !Has(e.jet, p)) {
            Unresolved(c.a, c.b, out);
            return;
        }
        // An extremum of p: a touching zero, or a sign change on either side.
        Touching(c, e, out);
        Point(e.x, e.jet, out);
        if (SignChange(c.ja, e.jet, p))
            Cross(c, Refine(p, c.a, c.ja, e.x, e.jet), false, Negative(c.ja.v[p]), out);
        if (SignChange(e.jet, c.jb, p))
            Cross(c, Refine(p, e.x, e.jet, c.b, c.jb), false, Negative(e.jet.v[p]), out);
        return;
    }
    // A point found at an end explains the enclosure's 0 (a touching zero
    // beside it), and between two adjacent doubles there is nothing more to
    // tell. Where the curve may fail or jump, so narrow a cell without a sign
    // change is part of that break.
    if ((Has(c.ja, p) && c.ja.v[p] == 0) || (Has(c.jb, p) && c.jb.v[p] == 0) ||
        m_reported.count(c.a) != 0 || m_reported.count(c.b) != 0 || Next(c.a) >= c.b || !clean)
        return;
    Unresolved(c.a, c.b, out);
}

bool CellProver::SplitAtSlopeChange(const Cell& c, ProverFindings& out)
{
    const int p = m_nRow;
    if (!SignChange(c.ja, c.jb, p + 1))
        return false;
    // p' jumps or fails inside (a kink of p, abs at 0): split where it
    // changes sign, so that each piece has a p' of one sign.
    const Refined e = Refine(p + 1, c.a, c.ja, c.b, c.jb);
    switch (e.kind) {
    case Refined::kLost:
        Unresolved(c.a, c.b, out);
        return true;
    case Refined::kExact:
    case Refined::kUndefined:
        if (Has(e.jet, p)) {
            Touching(c, e, out);
            Point(e.x, e.jet, out);
        }
        break;
    case Refined::kBracket:
        Touching(c, e, out);
        break;
    }
    // The neighbourhood of the kink goes with it: enclosures of what is on
    // either side of it (abs(sin(x)) at 0) are loose within a few doubles.
    const Cut cut = e.kind == Refined::kBracket ? Beside(c, e.l, e.jl, e.r, e.jr)
                                                : Beside(c, e.x, e.jet, e.x, e.jet);
    Push(c.a, c.ja, cut.l, cut.jl);
    Push(cut.r, cut.jr, c.b, c.jb);
    return true;
}

bool CellProver::LocatePole(const Cell& c, double& pole)
{
    // Newton's method on 1/p from the end where |p| is larger: near a pole of
    // order n, p / p' = -(x - pole) / n, so x + n * p / p' is the pole; n is
    // read off two steps (1 to start with, which halves the way for n = 2).
    const int p = m_nRow;
    const bool fromA = std::fabs(c.ja.v[p]) >= std::fabs(c.jb.v[p]);
    double x = fromA ? c.a : c.b;
    PointJet jet = fromA ? c.ja : c.jb;
    double order = 1, previousX = 0, previousRatio = 0;
    for (int step = 0; step < kPoleSteps; ++step) {
        if (!Has(jet, p)) {
            pole = x; // it fails there: the pole itself
            return true;
        }
        if (!Has(jet, p + 1) || jet.v[p + 1] == 0)
            return false;
        const double ratio = jet.v[p] / jet.v[p + 1];
        if (step > 0) {
            const double n = -(x - previousX) / (ratio - previousRatio);
            if (n >= 0.5 && n <= 16)
                order = n;
        }
        const double next = x + order * ratio;
        if (!(next > c.a && next < c.b))
            return false;
        if (KeyGap(Key(next), Key(x)) <= 4) {
            pole = next;
            return true;
        }
        previousX = x, previousRatio = ratio;
        x = next;
        if (!Evaluate(x, jet))
            return false;
    }
    return false;
}

bool CellProver::SplitAtPole(const Cell& c)
{
    // The enclosure is unbounded: a pole of p, whose neighbourhood goes with
    // it once both sides of it enclose bounded values.
    const int p = m_nRow;
    double pole = 0;
    if (!LocatePole(c, pole))
        return false;
    const double l = Step(pole, -kBreakMargin);
    const double r = Step(pole, kBreakMargin);
    Jet left, right;
    PointJet jl, jr;
    const bool leftSettles = !(l > c.a) || (Enclose(c.a, l, 2, left) && left.Clean(p));
    const bool rightSettles = !(r < c.b) || (Enclose(r, c.b, 2, right) && right.Clean(p));
    if (!leftSettles || !rightSettles)
        return false;
    if (l > c.a && Evaluate(l, jl))
        Push(c.a, c.ja, l, jl);
    if (r < c.b && Evaluate(r, jr))
        Push(r, jr, c.b, c.jb);
    return true;
}

bool CellProver::SplitTowardsSingularity(const Cell& c, ProverFindings& out)
{
    // p far larger at one end than at the other: a pole (or the steep side
    // of one) just beyond that end, at about d = |p / p'| from it. Enclosures
    // of formulas that repeat x are loose by the ratio of the cell's width to
    // that distance; split at the geometric mean of d and the width, so that
    // each piece halves the ratio's exponent.
    const int p = m_nRow;
    const double pa = std::fabs(c.ja.v[p]), pb = std::fabs(c.jb.v[p]);
    const bool atA = pa > pb;
    const PointJet& big = atA ? c.ja : c.jb;
    if (!(std::max(pa, pb) > 0x1p16 * std::min(pa, pb)) || !Has(big, p + 1) || big.v[p + 1] == 0)
        return false;
    const double width = (c.b / 2 - c.a / 2) * 2;
    const double distance = std::fabs(big.v[p] / big.v[p + 1]);
    if (!(distance < width / 16))
        return false;
    const double step = std::sqrt(distance * width);
    const double m = atA ? c.a + step : c.b - step;
    PointJet jm;
    if (!(m > c.a && m < c.b) || !Evaluate(m, jm)) {
        if (m > c.a && m < c.b)
            Unresolved(c.a, c.b, out);
        return m > c.a && m < c.b;
    }
    Point(m, jm, out);
    Push(c.a, c.ja, m, jm);
    Push(m, jm, c.b, c.jb);
    return true;
}

void CellProver::SplitInMiddle(const Cell& c, ProverFindings& out)
{
    // At 0 across it, and in the middle of the doubles (the geometric mean)
    // over many binades: enclosures of a cell reaching from 1e-3 to 1e-300
    // say little, as 1/x or x/abs(x) show.
    double m = Middle(c.a, c.b);
    if (c.a < 0 && c.b > 0)
        m = 0;
    else if (std::fabs(c.a) > 0x1p16 * std::fabs(c.b) || std::fabs(c.b) > 0x1p16 * std::fabs(c.a))
        m = FromKey(MiddleKey(Key(c.a), Key(c.b)));
    PointJet jm;
    if (!(m > c.a && m < c.b) || !Evaluate(m, jm)) {
        Unresolved(c.a, c.b, out);
        return;
    }
    Point(m, jm, out);
    Push(c.a, c.ja, m, jm);
    Push(m, jm, c.b, c.jb);
}

void CellProver::SettleUndefined(const Cell& c, ProverFindings& out)
{
    Jet jet;
    if (!Enclose(c.a, c.b, 2, jet)) {
        Unresolved(c.a, c.b, out);
        return;
    }
    // The curve fails at both ends (its derivative too, for extrema). It may
    // be defined somewhere inside: an island, looked for down to the
    // separation of points (a pole's neighbourhood where 1/x overflows is
    // such a cell too).
    if (!jet.Empty(0) && !IsAtom(c.a, c.b))
        SplitInMiddle(c, out);
}

void CellProver::SettleEdge(const Cell& c, ProverFindings& out)
{
    const int p = m_nRow;
    const bool failsAtA = !Has(c.ja, p);
    const double from = failsAtA ? c.a : c.b;
    const double to = failsAtA ? c.b : c.a;
    const PointJet& jFrom = failsAtA ? c.ja : c.jb;
    const PointJet& jTo = failsAtA ? c.jb : c.ja;
    auto push = [&](double x, const PointJet& jx, double y, const PointJet& jy) {
        if (x < y)
            Push(x, jx, y, jy);
        else
            Push(y, jy, x, jx);
    };
    // What lies between the failing end and an edge found from it: failing
    // ends both, maybe an island between.
    auto pushRemainder = [&](double edge) {
        const double beside = failsAtA ? Previous(edge) : Next(edge);
        PointJet jb;
        if (beside != from && (failsAtA ? beside > from : beside < from) && Evaluate(beside, jb))
            push(from, jFrom, beside, jb);
    };

    if (m_goal == Goal::kZeros) {
        double edge = 0;
        PointJet je;
        if (!FindEdge(from, to, 0, edge, je)) {
            Unresolved(c.a, c.b, out);
            return;
        }
        Point(edge, je, out);
        Jet at;
        if (je.v[0] != 0 && Enclose(edge, edge, 2, at) && (at.flags[0] & Enclosure::kMustFail) == 0 &&
            at.v[0].Contains(0))
            AddZero(edge, out);
        push(edge, je, to, jTo);
        pushRemainder(edge);
        return;
    }

    // Extrema: the edge of the curve's own domain, where it may settle to an
    // extremum; the derivative's edge next to it (sqrt' fails at 0) after.
    const bool curveA = Has(c.ja, 0);
    if (curveA != Has(c.jb, 0)) {
        const double outside = curveA ? c.b : c.a;
        const double inside = curveA ? c.a : c.b;
        double edge = 0;
        PointJet je;
        if (!FindEdge(outside, inside, 0, edge, je)) {
            Unresolved(c.a, c.b, out);
            return;
        }
        EdgeExtremum(edge, je, inside / 2 - outside / 2, out);
        Point(edge, je, out);
        const double beside = curveA ? Next(edge) : Previous(edge);
        PointJet jb;
        if (beside != outside && Evaluate(beside, jb))
            push(outside, curveA ? c.jb : c.ja, beside, jb);
        push(edge, je, inside, curveA ? c.ja : c.jb);
        return;
    }
    double smooth = 0;
    PointJet js;
    if (!FindEdge(from, to, p, smooth, js)) {
        Unresolved(c.a, c.b, out);
        return;
    }
    push(smooth, js, to, jTo);
    // Between: the curve defined, its derivative not (beyond a single kink,
    // which Point has seen).
    pushRemainder(smooth);
}

bool CellProver::FindEdge(double from, double to, int row, double& edge, PointJet& jet)
{
    // Galloping away from the failing end (1, 2, 4, ... doubles) finds an
    // edge next to it in a few steps, then bisection pins it down.
    const int64_t kFrom = Key(from), kTo = Key(to);
    const int64_t direction = kTo > kFrom ? 1 : -1;
    int64_t failing = kFrom;
    int64_t defined = kTo;
    PointJet jDefined;
    bool found = false;
    for (__int128 step = 1; !found && step < KeyGap(kFrom, kTo); step *= 2) {
        const int64_t k = static_cast<int64_t>(kFrom + direction * step);
        PointJet j;
        if (!Evaluate(FromKey(k), j))
            return false;
        if (Has(j, row)) {
            defined = k;
            jDefined = j;
            found = true;
        } else {
            failing = k;
        }
    }
    if (!found && !Evaluate(to, jDefined))
        return false;
    while (KeyGap(failing, defined) > 1) {
        const int64_t k = MiddleKey(failing, defined);
        PointJet j;
        if (!Evaluate(FromKey(k), j))
            return false;
        if (Has(j, row)) {
            defined = k;
            jDefined = j;
        } else {
            failing = k;
        }
    }
    edge = FromKey(defined);
    jet = jDefined;
    return Has(jet, row);
}

void CellProver::EdgeExtremum(double edge, const PointJet& jet, double halfInward,
                              ProverFindings& out)
{
    // The curve must settle to its value at the edge (sqrt(x) at 0 does,
    // ln(x) at its smallest double does not): the change over 2^-40 of a cell
    // inwards is a hundredth of that over 2^-20 at most.
    const double near = edge + std::ldexp(halfInward, -39);
    const double far = edge + std::ldexp(halfInward, -19);
    PointJet jn, jf;
    if (near == edge || !Evaluate(near, jn) || !Evaluate(far, jf) || !Has(jn, 0) || !Has(jf, 0))
        return;
    const double value = jet.v[0], nearValue = jn.v[0], farValue = jf.v[0];
    if (!(std::fabs(nearValue - value) <= 0.01 * std::fabs(farValue - value)))
        return;
    if (value < farValue && value <= nearValue)
        out.minima.push_back({edge, value});
    else if (value > farValue && value >= nearValue)
        out.maxima.push_back({edge, value});
}

void CellProver::AddZero(double x, ProverFindings& out)
{
    out.zeros.push_back(x);
    m_reported.insert(x);
}

void CellProver::AddExtremum(double x, const PointJet& jet, bool minimum, ProverFindings& out)
{
    if (!Has(jet, 0))
        return;
    (minimum ? out.minima : out.maxima).push_back({x, jet.v[0]});
    m_reported.insert(x);
}

CellProver::Run CellProver::ZeroRun(double x)
{
    // Galloping out (1, 4, 16, ... doubles) to the first argument where p is
    // not 0, then bisection back to the last where it is.
    Run run{true, x, x, 0, 0};
    const double reach = std::ldexp(std::max(1.0, std::fabs(x)), -kRunBits);
    for (int direction : {-1, 1}) {
        int64_t zero = Key(x);
        int64_t other = zero;
        int sign = 0;
        // Ends at the farthest point: a step past every double reaches it.
        for (__int128 step = 1;; step *= 4) {
            double y = Step(x, direction * step);
            const bool last = std::fabs(y - x) >= reach;
            if (last)
                y = x + direction * reach; // the farthest it looks, then no further
            if (y == x)
                break;
            PointJet jet;
            if (!Evaluate(y, jet))
                return {false, x, x, 2, 2};
            if (Has(jet, m_nRow) && jet.v[m_nRow] == 0) {
                zero = Key(y);
                if (last)
                    break;
                continue;
            }
            other = Key(y);
            sign = Has(jet, m_nRow) ? (Negative(jet.v[m_nRow]) ? -1 : 1) : 2;
            break;
        }
        if (sign == 0) {
            run.narrow = false;
        } else {
            while (KeyGap(zero, other) > 1) {
                const int64_t middle = MiddleKey(zero, other);
                PointJet jet;
                if (!Evaluate(FromKey(middle), jet))
                    return {false, x, x, 2, 2};
                if (Has(jet, m_nRow) && jet.v[m_nRow] == 0) {
                    zero = middle;
                } else {
                    other = middle;
                    sign = Has(jet, m_nRow) ? (Negative(jet.v[m_nRow]) ? -1 : 1) : 2;
                }
            }
        }
        (direction < 0 ? run.from : run.to) = FromKey(zero);
        (direction < 0 ? run.left : run.right) = sign;
    }
    return run;
}

void CellProver::Point(double x, const PointJet& jet, ProverFindings& out)
{
    const int p = m_nRow;
    if (Has(jet, p) && jet.v[p] == 0) {
        const Run run = ZeroRun(x);
        m_runs.insert(x);
        if (!run.narrow) {
            // 0 throughout around x (or on one side: the end of a stretch of
            // zeros), which cells between such points take as a whole.
            if (run.left == 0 && run.right == 0)
                m_flatPoints.insert(x);
            if (run.left == 0)
                m_flatBefore.insert(x);
            if (run.right == 0)
                m_flatAfter.insert(x);
            if (m_goal == Goal::kZeros && run.left != 2 && run.right != 2)
                AddZero(x, out);
            return;
        }
        // Rounding leaves a short run of zeros about a zero (x^3 underflows
        // near 0, cos(x) - 1 is 0 near 0): one point, in its middle, unless
        // p' is 0 at x too, where the curve touches 0 at x itself (rounding
        // spreads the zeros of x^2+2x+1 unevenly about -1).
        const bool touches = Has(jet, p + 1) && jet.v[p + 1] == 0;
        const double centre = touches ? x : Middle(run.from, run.to);
        PointJet jc = jet;
        if (centre != x && !Evaluate(centre, jc))
            return;
        if (m_goal == Goal::kZeros)
            AddZero(centre, out);
        else if (std::abs(run.left) == 1 && std::abs(run.right) == 1 && run.left != run.right)
            AddExtremum(centre, jc, run.left < 0, out);
        return;
    }
    if (m_goal == Goal::kZeros)
        return;
    if (Has(jet, 0) && !Has(jet, 1)) {
        // The curve is defined and its derivative not: a kink when the
        // derivative has other signs just beside and the curve is
        // continuous across (as its enclosure shows, or, where pieces meet,
        // as their values agree); at a jump, the end of a piece may be its
        // own extremum.
        const double l = Previous(x), r = Next(x);
        PointJet jl, jr;
        Jet around;
        if (!Evaluate(l, jl) || !Evaluate(r, jr) || !Has(jl, 0) || !Has(jr, 0) ||
            !Enclose(l, r, 2, around) || (around.flags[0] & Enclosure::kMayFail) != 0)
            return;
        const bool meetsLeft = Meet(jl, jet), meetsRight = Meet(jet, jr);
        if (around.Clean(0) || (meetsLeft && meetsRight)) {
            if (SignChange(jl, jr, 1))
                AddExtremum(x, jet, Negative(jl.v[1]), out);
        } else if (meetsLeft != meetsRight) {
            PieceEnd(x, jet, meetsLeft ? -1 : 1, meetsLeft ? jl : jr, meetsLeft ? jr : jl, out);
        }
    }
}

CellProver::Refined CellProver::Refine(int row, double a, const PointJet& ja, double b,
                                       const PointJet& jb)
{
    Refined out;
    double l = a, r = b;
    PointJet jl = ja, jr = jb;
    const bool leftNegative = Negative(ja.v[row]);
    __int128 mark = KeyGap(Key(l), Key(r));
    int sinceMark = 0;
    for (int step = 0; step < kRefineSteps; ++step) {
        const int64_t kl = Key(l), kr = Key(r);
        const __int128 gap = KeyGap(kl, kr);
        if (gap <= 1)
            break;
        if (2 * gap <= mark) {
            mark = gap;
            sinceMark = 0;
        }
        // Newton (or the secant) while it halves the bracket often enough,
        // otherwise a halving of the doubles between.
        double x = sinceMark >= 3 ? std::nan("") : Estimate(row, l, jl, r, jr);
        if (x == l)
            x = Next(l);
        else if (x == r)
            x = Previous(r);
        if (!(x > l && x < r))
            x = FromKey(MiddleKey(kl, kr));
        ++sinceMark;
        PointJet jx;
        if (!Evaluate(x, jx))
            return out;
        if (!Has(jx, row)) {
            out.kind = Refined::kUndefined;
            out.x = x;
            out.jet = jx;
            return out;
        }
        if (jx.v[row] == 0) {
            out.kind = Refined::kExact;
            out.x = x;
            out.jet = jx;
            return out;
        }
        if (Negative(jx.v[row]) == leftNegative)
            l = x, jl = jx;
        else
            r = x, jr = jx;
    }
    if (KeyGap(Key(l), Key(r)) > 1)
        return out;
    out.kind = Refined::kBracket;
    out.l = l, out.r = r, out.jl = jl, out.jr = jr;
    out.x = Choose(row, l, jl, r, jr);
    out.jet = out.x == l ? jl : jr;
    return out;
}

double CellProver::Estimate(int row, double l, const PointJet& jl, double r,
                            const PointJet& jr) const
{
    const double pl = jl.v[row], pr = jr.v[row];
    const bool fromLeft = std::fabs(pl) <= std::fabs(pr);
    const PointJet& j = fromLeft ? jl : jr;
    if (row + 1 <= 2 && Has(j, row + 1) && j.v[row + 1] != 0) {
        const double x = (fromLeft ? l : r) - (fromLeft ? pl : pr) / j.v[row + 1];
        if (std::isfinite(x))
            return x;
    }
    const double t = pl / (pl - pr);
    if (t > 0 && t < 1)
        return l * (1 - t) + r * t;
    return std::nan("");
}

double CellProver::Choose(int row, double l, const PointJet& jl, double r,
                          const PointJet& jr) const
{
    // Where the Newton step from the end whose value is nearer to 0 lands,
    // in units of r - l from l; the secant where the slope is not known.
    // Between values of one size the step from the end nearer to x = 0, so
    // that a curve symmetric about 0 reads alike on both sides.
    const double pl = jl.v[row], pr = jr.v[row];
    const bool fromLeft = std::fabs(pl) < std::fabs(pr) ||
                          (std::fabs(pl) == std::fabs(pr) && std::fabs(l) <= std::fabs(r));
    const PointJet& j = fromLeft ? jl : jr;
    const double width = r - l;
    double u = std::nan("");
    if (row + 1 <= 2 && Has(j, row + 1) && j.v[row + 1] != 0) {
        const double step = -(fromLeft ? pl : pr) / j.v[row + 1] / width;
        u = fromLeft ? step : 1 + step;
    }
    if (!std::isfinite(u))
        u = pl / (pl - pr);
    if (!std::isfinite(u))
        u = fromLeft ? 0 : 1;
    if (u == 0.5)
        return std::fabs(l) <= std::fabs(r) ? l : r;
    return u < 0.5 ? l : r;
}

CellProver::Cut CellProver::Cross(const Cell& c, const Refined& f, bool proven, bool leftNegative,
                                  ProverFindings& out)
{
    const int p = m_nRow;
    Cut cut;
    switch (f.kind) {
    case Refined::kLost:
        return cut;
    case Refined::kExact:
        if (proven && m_goal == Goal::kExtrema)
            AddExtremum(f.x, f.jet, leftNegative, out);
        else
            Point(f.x, f.jet, out);
        return {true, f.x, f.x, f.jet, f.jet};
    case Refined::kUndefined:
        // A pole, a hole or the edge of a gap; next to a point where the
        // formula fails, the enclosures of what repeats its argument
        // (x/abs(x)) cannot settle anything, so its neighbourhood goes with it.
        Point(f.x, f.jet, out);
        return Beside(c, f.x, f.jet, f.x, f.jet);
    case Refined::kBracket:
        break;
    }
    Jet around;
    if (!proven && !Enclose(f.l, f.r, 2, around))
        return cut;
    if (proven || around.Clean(p)) {
        if (m_goal == Goal::kZeros)
            AddZero(f.x, out);
        else
            AddExtremum(f.x, f.jet, leftNegative, out);
        return {true, f.l, f.r, f.jl, f.jr};
    }
    if (m_goal == Goal::kExtrema && Has(f.jl, 0) && Has(f.jr, 0) &&
        (around.Clean(0) || (MayJump(around) && Meet(f.jl, f.jr)))) {
        // The derivative jumps between two doubles where the curve itself
        // is continuous: a kink, at the more extreme of the two.
        const bool left = leftNegative ? f.jl.v[0] <= f.jr.v[0] : f.jl.v[0] >= f.jr.v[0];
        AddExtremum(left ? f.l : f.r, left ? f.jl : f.jr, leftNegative, out);
        return {true, f.l, f.r, f.jl, f.jr};
    }
    // A pole or a jump: its neighbourhood goes with it; beside a jump, a
    // piece may have its own extremum at its end.
    if (m_goal == Goal::kExtrema && MayJump(around))
        BreakExtremum(f.l, f.jl, f.r, f.jr, out);
    return Beside(c, f.l, f.jl, f.r, f.jr);
}

bool CellProver::Jumps(const Jet& jet) const
{
    // Zeros: only the curve's own jumps cut it.
    return m_goal == Goal::kZeros ? !jet.Empty(0) && (jet.flags[0] & Enclosure::kMayJump) != 0 &&
                                        (jet.flags[0] & Enclosure::kMayFail) == 0
                                  : MayJump(jet);
}

bool CellProver::Meet(const PointJet& jl, const PointJet& jr)
{
    // Rounding leaves the values of one continuous curve at adjacent doubles
    // a few units of their size apart; pieces that jump differ by more than
    // points are told apart by.
    const double scale = std::max({1.0, std::fabs(jl.v[0]), std::fabs(jr.v[0])});
    return std::fabs(jr.v[0] - jl.v[0]) <= std::ldexp(scale, -kSeparationBits);
}

bool CellProver::SplitAtJump(const Cell& c, ProverFindings& out)
{
    // Halving towards a half whose enclosure still may jump; where neither
    // half's does, the whole cell's flag was the enclosure's looseness.
    double lo = c.a, hi = c.b;
    while (Next(lo) < hi) {
        const double m = Halve(lo, hi);
        Jet half;
        if (!Enclose(lo, m, 2, half)) {
            Unresolved(c.a, c.b, out);
            return true;
        }
        if (Jumps(half)) {
            hi = m;
            continue;
        }
        if (!Enclose(m, hi, 2, half)) {
            Unresolved(c.a, c.b, out);
            return true;
        }
        if (!Jumps(half))
            return false;
        lo = m;
    }
    PointJet jl = c.ja, jr = c.jb;
    if ((lo != c.a && !Evaluate(lo, jl)) || (hi != c.b && !Evaluate(hi, jr))) {
        Unresolved(c.a, c.b, out);
        return true;
    }
    if (!Has(jl, 0) || !Has(jr, 0))
        return false;
    if (m_goal == Goal::kZeros) {
        // A sign change across a jump is no zero; a value exactly 0 at
        // either side of it is (the end of a step at 0).
        if (lo != c.a)
            Point(lo, jl, out);
        if (hi != c.b)
            Point(hi, jr, out);
    } else if (!Has(jl, 1) || !Has(jr, 1)) {
        // The slope fails at the boundary itself: a point of its own.
        if (!Has(jl, 1))
            Point(lo, jl, out);
        if (!Has(jr, 1))
            Point(hi, jr, out);
    } else if (Meet(jl, jr)) {
        // A kink: the slope changes sign where the pieces meet.
        if (SignChange(jl, jr, 1)) {
            const bool minimum = Negative(jl.v[1]);
            const bool left = minimum ? jl.v[0] <= jr.v[0] : jl.v[0] >= jr.v[0];
            AddExtremum(left ? lo : hi, left ? jl : jr, minimum, out);
        }
    } else {
        BreakExtremum(lo, jl, hi, jr, out);
    }
    // Zeros: each piece up to the jump itself, so that a step which is 0
    // throughout is flat to its last double. Extrema: the neighbourhood of
    // the jump goes with it, its ends seen above.
    const Cut cut = m_goal == Goal::kZeros ? Cut{true, lo, hi, jl, jr} : Beside(c, lo, jl, hi, jr);
    Push(c.a, c.ja, cut.l, cut.jl);
    Push(cut.r, cut.jr, c.b, c.jb);
    return true;
}

void CellProver::BreakExtremum(double l, const PointJet& jl, double r, const PointJet& jr,
                               ProverFindings& out)
{
    if (!Has(jl, 0) || !Has(jr, 0) || Meet(jl, jr))
        return;
    PointJet beyondL, beyondR;
    if (Evaluate(Previous(l), beyondL))
        PieceEnd(l, jl, -1, beyondL, jr, out);
    if (Evaluate(Next(r), beyondR))
        PieceEnd(r, jr, 1, beyondR, jl, out);
}

void CellProver::PieceEnd(double x, const PointJet& jx, int side, const PointJet& jn,
                          const PointJet& other, ProverFindings& out)
{
    if (!Has(jx, 0) || !Has(jn, 1) || !Has(other, 0))
        return;
    const double xn = Step(x, side);
    // The piece's slope vanishes at x: 0 there, changing sign beside it, or
    // heading for 0 at x (by the Newton step from the double beside, where
    // the slope is not known at x itself).
    const bool vanishes =
        (Has(jx, 1) && (jx.v[1] == 0 || SignChange(jx, jn, 1))) ||
        jn.v[1] == 0 ||
        (Has(jn, 2) && jn.v[2] != 0 &&
         std::fabs(xn - jn.v[1] / jn.v[2] - x) <= Separation(x));
    if (!vanishes)
        return;
    // How the piece goes on away from x: rising makes x a minimum.
    int beyond = jn.v[1] == 0 ? 0 : (Negative(jn.v[1]) ? -1 : 1);
    if (beyond == 0) {
        const Run run = ZeroRun(xn);
        beyond = side < 0 ? run.left : run.right;
    }
    if (std::abs(beyond) != 1)
        return;
    const bool minimum = beyond == side;
    // The other piece beside x must lie beyond its value too: a value it
    // only approaches is no extremum of x's.
    if (minimum ? other.v[0] > jx.v[0] : other.v[0] < jx.v[0])
        AddExtremum(x, jx, minimum, out);
}

CellProver::Cut CellProver::Beside(const Cell& c, double l, const PointJet& jl, double r,
                                   const PointJet& jr)
{
    Cut cut{true, l, r, jl, jr};
    const double left = Step(l, -kBreakMargin);
    const double right = Step(r, kBreakMargin);
    PointJet jet;
    if (left > c.a && Evaluate(left, jet))
        cut.l = left, cut.jl = jet;
    else
        cut.l = c.a, cut.jl = c.ja;
    if (right < c.b && Evaluate(right, jet))
        cut.r = right, cut.jr = jet;
    else
        cut.r = c.b, cut.jr = c.jb;
    return cut;
}
