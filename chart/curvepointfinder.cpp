#include "chart/curvepointfinder.h"

#include "chart/curve.h"
#include "chart/doublesteps.h"

#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

using namespace DoubleSteps;

namespace {

// Refinements give up after this many steps of the Boost solvers; bisection
// over the doubles takes at most 64 more.
constexpr boost::uintmax_t kSolverSteps = 60;

// Half the width of a ... b, also where b - a overflows.
double HalfWidth(double a, double b)
{
    return b / 2 - a / 2;
}

bool Negative(double v)
{
    return v < 0;
}

struct NotDefined
{
    double x;
};

struct SolverLost
{
};

struct PoleSeen
{
    double x;
};

} // namespace

CurvePointFinder::Crossing CurvePointFinder::RefineSignChange(double a, double fa, double b,
                                                              double fb, double& x,
                                                              bool locateBreak)
{
    double l = a, fl = fa, r = b, fr = fb;
    const double before = std::fabs(fa) + std::fabs(fb);
    // The last values, so the bracket's ends are not evaluated again.
    double lastX[2] = {a, b}, lastY[2] = {fa, fb};
    int next = 0;
    auto f = [&](double t) {
        // Interpolation between values near the largest doubles can overflow.
        if (!std::isfinite(t))
            throw SolverLost();
        for (int i = 0; i < 2; ++i) {
            if (lastX[i] == t)
                return lastY[i];
        }
        double y = 0;
        if (!Value(t, y))
            throw NotDefined{t};
        // Values a thousand times those at the samples: a pole, whose place
        // matters only where asked for.
        if (!locateBreak && std::fabs(y) > 1e3 * before)
            throw PoleSeen{t};
        lastX[next] = t, lastY[next] = y;
        next = 1 - next;
        return y;
    };
    try {
        boost::uintmax_t steps = kSolverSteps;
        auto close = [](double lo, double hi) { return KeyGap(Key(lo), Key(hi)) <= 4; };
        const std::pair<double, double> bracket =
            boost::math::tools::toms748_solve(f, a, b, fa, fb, close, steps);
        const double nl = f(bracket.first);
        const double nr = f(bracket.second);
        if (nl == 0 || nr == 0) {
            x = nl == 0 ? bracket.first : bracket.second;
            return Crossing::kZero;
        }
        if (Negative(nl) != Negative(nr)) {
            l = bracket.first, fl = nl, r = bracket.second, fr = nr;
        }
    } catch (const NotDefined& e) {
        x = e.x;
        return Crossing::kUndefined;
    } catch (const PoleSeen& e) {
        x = e.x;
        return Crossing::kBreak;
    } catch (const SolverLost&) {
        // Bisection below starts from the samples.
    } catch (const std::exception&) {
        // The solver gave up; bisection below starts from the samples.
    }
    // Down to two adjacent doubles.
    int64_t kl = Key(l), kr = Key(r);
    while (KeyGap(kl, kr) > 1) {
        const int64_t km = MiddleKey(kl, kr);
        const double m = FromKey(km);
        double fm = 0;
        if (!Value(m, fm)) {
            x = m;
            return Crossing::kUndefined;
        }
        if (fm == 0) {
            x = m;
            return Crossing::kZero;
        }
        if (Negative(fm) == Negative(fl))
            kl = km, l = m, fl = fm;
        else
            kr = km, r = m, fr = fm;
    }
    // A continuous curve's values shrink with the bracket around its zero;
    // at a jump they keep their size and at a pole they grow. The floor of a
    // thousandth leaves room for rounding noise near a zero of high order.
    const double after = std::fabs(fl) + std::fabs(fr);
    const double shrink = HalfWidth(l, r) / HalfWidth(a, b);
    const bool continuous = after <= before * std::max(1e-3, 8 * shrink);
    x = continuous ? (std::fabs(fl) <= std::fabs(fr) ? l : r) : l;
    return continuous ? Crossing::kZero : Crossing::kBreak;
}

bool CurvePointFinder::FindEdge(double outside, double inside, double& edge, double& value)
{
    int64_t ko = Key(outside), ki = Key(inside);
    double vi = 0;
    if (!Value(inside, vi))
        return false;
    while (KeyGap(ko, ki) > 1) {
        const int64_t km = MiddleKey(ko, ki);
        double v = 0;
        if (Value(FromKey(km), v))
            ki = km, vi = v;
        else
            ko = km;
        if (m_budget.exhausted())
            return false;
    }
    edge = FromKey(ki);
    value = vi;
    return true;
}

bool CurvePointFinder::FindSpike(double a, double b, CurvePoint& point)
{
    // Ternary search over the doubles: |value| grows towards the pole, and a
    // point where the curve fails counts as the pole itself.
    auto size = [this](int64_t key) {
        double y = 0;
        return Value(FromKey(key), y) ? std::fabs(y) : std::numeric_limits<double>::infinity();
    };
    int64_t ka = Key(a), kb = Key(b);
    while (KeyGap(ka, kb) > 2 && !m_budget.exhausted()) {
        const __int128 third = (static_cast<__int128>(kb) - ka) / 3;
        const int64_t m1 = static_cast<int64_t>(ka + third);
        const int64_t m2 = static_cast<int64_t>(kb - third);
        if (size(m1) < size(m2))
            ka = m1;
        else
            kb = m2;
    }
    const int64_t km = MiddleKey(ka, kb);
    point.x = FromKey(km);
    point.y = std::numeric_limits<double>::infinity();
    Value(point.x, point.y);
    return !m_budget.exhausted();
}

