#include "chart/curvepointfinder.h"

#include "chart/curve.h"

#include <boost/math/tools/minima.hpp>
#include <boost/math/tools/toms748_solve.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>

namespace {

// Refinements give up after this many steps of the Boost solvers; bisection
// over the doubles takes at most 64 more.
constexpr boost::uintmax_t kSolverSteps = 60;
constexpr boost::uintmax_t kMinimumSteps = 100;
// Brent's method for doubles stops at half their bits.
constexpr int kMinimumBits = std::numeric_limits<double>::digits / 2;

// The doubles in their order as integers: adjacent doubles differ by one and
// both zeros are 0, so bisecting the integers halves the doubles between two
// ends, whatever their magnitudes.
int64_t OrderKey(double x)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int64_t magnitude = static_cast<int64_t>(bits & 0x7FFFFFFFFFFFFFFFull);
    return (bits >> 63) != 0 ? -magnitude : magnitude;
}

double FromKey(int64_t key)
{
    const uint64_t bits = key < 0 ? (static_cast<uint64_t>(-key) | 0x8000000000000000ull)
                                  : static_cast<uint64_t>(key);
    double x = 0;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// A key strictly between a and b when they are at least two apart.
int64_t MiddleKey(int64_t a, int64_t b)
{
    return static_cast<int64_t>((static_cast<__int128>(a) + b) / 2);
}

// How many doubles apart two keys are, without overflow.
__int128 KeyGap(int64_t from, int64_t to)
{
    const __int128 gap = static_cast<__int128>(to) - from;
    return gap < 0 ? -gap : gap;
}

// Half the width of a ... b, also where b - a overflows.
double HalfWidth(double a, double b)
{
    return b / 2 - a / 2;
}

bool Negative(double v)
{
    return v < 0;
}

// The tolerance in x of an extremum from Brent's method, and of every point
// found at an extremum.
double ExtremumResolution(double x)
{
    return std::ldexp(std::fabs(x), 1 - kMinimumBits) + std::ldexp(1.0, -1 - kMinimumBits);
}

// Whether the parabola through three samples (u0 < 0 < u2 relative to the
// middle one) reaches within half a step's change of 0 at its vertex: where
// a touching zero can hide between samples that keep one sign. A kink gives
// a vertex a quarter of a step's change from its samples at most.
bool VertexNearZero(double u0, double y0, double y1, double u2, double y2, double variation)
{
    const double s0 = (y0 - y1) / u0;
    const double s2 = (y2 - y1) / u2;
    const double a = (s2 - s0) / (u2 - u0);
    const double b = s0 - a * u0;
    const double vertex = y1 - b * b / (4 * a);
    if (!std::isfinite(vertex))
        return std::fabs(y1) <= variation;
    return std::fabs(vertex) <= 0.5 * variation || (vertex < 0) != (y1 < 0);
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

// Sorts, drops points that coincide within the accuracy promised for the
// x of a touching zero or an extremum, and cuts at the cap.
template <typename T, typename X>
bool Settle(std::vector<T>& points, std::size_t cap, X xOf)
{
    std::sort(points.begin(), points.end(),
              [&](const T& l, const T& r) { return xOf(l) < xOf(r); });
    std::vector<T> kept;
    for (const T& p : points) {
        const double x = xOf(p);
        if (!kept.empty() && x - xOf(kept.back()) <= 1e-7 * std::max(1.0, std::fabs(x)))
            continue;
        kept.push_back(p);
    }
    const bool cut = kept.size() > cap;
    if (cut)
        kept.resize(cap);
    points = std::move(kept);
    return cut;
}

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
        auto close = [](double lo, double hi) { return KeyGap(OrderKey(lo), OrderKey(hi)) <= 4; };
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
    int64_t kl = OrderKey(l), kr = OrderKey(r);
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

bool CurvePointFinder::RefineExtremum(double a, double b, bool maximum, CurvePoint& point)
{
    constexpr double kAvoid = std::numeric_limits<double>::max();
    auto g = [&](double t) {
        double y = 0;
        if (!Value(t, y))
            return kAvoid;
        return maximum ? -y : y;
    };
    boost::uintmax_t steps = kMinimumSteps;
    double x = 0;
    try {
        x = boost::math::tools::brent_find_minima(g, a, b, kMinimumBits, steps).first;
    } catch (const std::exception&) {
        return false;
    }
    double y = 0;
    if (!Value(x, y))
        return false;
    point = {x, y};
    return true;
}

bool CurvePointFinder::TouchesZero(const CurvePoint& point, bool maximum)
{
    const double x = point.x;
    const double y = point.y;
    if (maximum ? y >= 0 : y <= 0)
        return true; // reaches 0; two zeros closer than a step merge here
    // The curve's bend near x tells how far from 0 its value may be when x is
    // only known to the resolution of the extremum.
    const double d = 1e-7 * std::max(1.0, std::fabs(x));
    double left = 0, right = 0;
    if (!Value(x - d, left) || !Value(x + d, right))
        return false;
    const double bend = std::fabs((left + right) / 2 - y) / (d * d);
    const double resolution = ExtremumResolution(x);
    const double reach = bend * resolution * resolution;
    // The probe's own error costs evaluations: only asked when needed.
    return std::fabs(y) <= reach || std::fabs(y) <= reach + m_probe.ValueError(x);
}

bool CurvePointFinder::FindEdge(double outside, double inside, double& edge, double& value)
{
    int64_t ko = OrderKey(outside), ki = OrderKey(inside);
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
    int64_t ka = OrderKey(a), kb = OrderKey(b);
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

void CurvePointFinder::AddEdgeExtremum(double edge, double value, double width, PointLists& out)
{
    // The curve must settle to its value at the edge (sqrt(x) at 0 does,
    // ln(x) at its smallest double does not): the change over 2^-40 of a
    // step inwards is a hundredth of that over 2^-20 at most.
    const double near = edge + std::ldexp(width, -40);
    const double far = edge + std::ldexp(width, -20);
    double nearValue = 0, farValue = 0;
    if (near == edge || !Value(near, nearValue) || !Value(far, farValue))
        return;
    if (!(std::fabs(nearValue - value) <= 0.01 * std::fabs(farValue - value)))
        return;
    // Judged just inside the edge, not at the next sample: a sample may
    // stand on the edge itself (asin(x) at -1 on -2 ... 2).
    if (value < farValue && value <= nearValue)
        out.minima.push_back({edge, value});
    else if (value > farValue && value >= nearValue)
        out.maxima.push_back({edge, value});
}

void CurvePointFinder::Find(const std::vector<double>& xs, const std::vector<double>& values,
                            const std::vector<uint8_t>& failed, double min, double max,
                            std::size_t cap, bool extrema, PointLists& out)
{
    const std::size_t n = std::min({xs.size(), values.size(), failed.size()});
    auto ok = [&](std::size_t k) { return failed[k] == 0; };
    auto zeroAt = [&](std::size_t k) { return ok(k) && values[k] == 0; };
    auto full = [&] {
        return out.zeros.size() > cap &&
               (!extrema || (out.minima.size() > cap && out.maxima.size() > cap));
    };
    // Whether the curve breaks (a pole or a jump) between the samples before
    // and after sample k: the samples beside a break show false peaks.
    bool brokenBefore = false, brokenAfter = false;
    for (std::size_t k = 0; k < n && !full() && !m_budget.exhausted(); ++k) {
        brokenBefore = brokenAfter;
        brokenAfter = false;
        // Most samples lie inside a monotone run of defined, non-zero values
        // with no sign change to the next one: nothing to do there.
        if (k > 0 && k + 1 < n && ok(k - 1) && ok(k) && ok(k + 1)) {
            const double previous = values[k - 1], here = values[k], after = values[k + 1];
            const bool rising = previous < here && here < after;
            const bool falling = previous > here && here > after;
            if ((rising || falling) && here != 0 && Negative(here) == Negative(after) &&
                after != 0)
                continue;
        }
        // A run of samples that are exactly 0 gives its two ends.
        if (zeroAt(k) && (k == 0 || !zeroAt(k - 1) || k + 1 == n || !zeroAt(k + 1)))
            out.zeros.push_back(xs[k]);

        if (k + 1 < n && ok(k) && ok(k + 1) && values[k] != 0 && values[k + 1] != 0 &&
            Negative(values[k]) != Negative(values[k + 1])) {
            double x = 0;
            if (RefineSignChange(xs[k], values[k], xs[k + 1], values[k + 1], x) == Crossing::kZero)
                out.zeros.push_back(x);
            else
                brokenAfter = true;
        }
        if (k + 1 < n && ok(k) != ok(k + 1)) {
            const std::size_t inside = ok(k) ? k : k + 1;
            const std::size_t outside = ok(k) ? k + 1 : k;
            double edge = 0, value = 0;
            if (FindEdge(xs[outside], xs[inside], edge, value)) {
                if (value == 0 || std::fabs(value) <= 1e-6 * std::fabs(values[inside]))
                    out.zeros.push_back(edge);
                if (extrema && edge > min && edge < max)
                    AddEdgeExtremum(edge, value, xs[inside] - xs[outside], out);
            }
        }

        // Peaks and troughs; a pair of equal samples is one of them.
        if (k == 0 || k + 1 >= n || !ok(k - 1) || !ok(k) || !ok(k + 1) || brokenBefore ||
            brokenAfter)
            continue;
        std::size_t right = k + 1;
        if (values[right] == values[k] && right + 1 < n && ok(right + 1))
            ++right;
        const double left = values[k - 1], middle = values[k], next = values[right];
        const bool peak = middle > left && middle > next;
        const bool trough = middle < left && middle < next;
        if (!peak && !trough)
            continue;
        // A touching zero is possible where the samples keep one sign and
        // the middle one is within a step's change of 0.
        const double variation = std::max(std::fabs(left - middle), std::fabs(next - middle));
        const bool near = VertexNearZero(xs[k - 1] - xs[k], left, middle, xs[right] - xs[k], next,
                                         variation);
        const bool touching = middle != 0 && (peak ? next < 0 && left < 0 : next > 0 && left > 0) &&
                              near;
        if (!extrema && !touching)
            continue;
        // A numerical derivative carries noise of its own (the second one of
        // x^2 wobbles around 2): a step within it is no extremum.
        if (std::min(std::fabs(left - middle), std::fabs(next - middle)) <= m_probe.Wobble(xs[k]))
            continue;
        CurvePoint point{};
        if (!RefineExtremum(xs[k - 1], xs[right], peak, point))
            continue;
        // Near a smooth extremum the value moves less than between two
        // samples; by far more only beside a pole or a jump, which the
        // samples show as a false peak. Brent's point may fall a hair short
        // of a sample that sits on the extremum; the sample then stands.
        const double shortfall = peak ? middle - point.y : point.y - middle;
        if (shortfall > 0) {
            if (!(shortfall <= 1e-6 * variation))
                continue;
            point = {xs[k], middle};
        }
        if (!(std::fabs(point.y - middle) <= 4 * variation))
            continue;
        if (extrema && point.x > min && point.x < max)
            (peak ? out.maxima : out.minima).push_back(point);
        if (touching && TouchesZero(point, peak))
            out.zeros.push_back(point.x);
    }
    const bool exhausted = m_budget.exhausted();
    bool cut = Settle(out.zeros, cap, [](double x) { return x; });
    cut |= Settle(out.minima, cap, [](const CurvePoint& p) { return p.x; });
    cut |= Settle(out.maxima, cap, [](const CurvePoint& p) { return p.x; });
    out.truncated = cut || exhausted;
}
