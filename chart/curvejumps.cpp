#include "chart/curvejumps.h"

#include "chart/chartmath.h"
#include "engine/function.h"
#include "engine/interval.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The doubles in their order as integers, so that bisecting the integers
// halves the doubles between two ends whatever their magnitudes (a cell
// across 0 narrows in 64 steps, not a thousand).
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

} // namespace

std::vector<CurveJump> CurveJumps::Find(Function& function, int32_t order, double xMin,
                                        double step, const std::vector<double>& values,
                                        const std::vector<uint8_t>& failed)
{
    std::vector<CurveJump> jumps;
    if (values.size() < 2 || !function.MayJump(order))
        return jumps;

    // Cells between two defined samples that may hold a jump, found by
    // their enclosures; cells between a defined and an undefined sample
    // hold an end of a domain.
    std::vector<Interval> cells;
    std::vector<std::size_t> at;
    std::vector<std::size_t> edges;
    for (std::size_t i = 0; i + 1 < values.size(); ++i) {
        const double a = IndexedArgument(xMin, step, i);
        const double b = IndexedArgument(xMin, step, i + 1);
        if (!(a < b) || !std::isfinite(a) || !std::isfinite(b) || (failed[i] && failed[i + 1]))
            continue;
        if (failed[i] || failed[i + 1]) {
            edges.push_back(i);
            continue;
        }
        cells.push_back({a, b});
        at.push_back(i);
    }
    const std::size_t orders = static_cast<std::size_t>(order) + 1;
    std::vector<Interval> enclosures(cells.size() * orders);
    std::vector<uint8_t> flags(cells.size() * orders);
    if (!cells.empty())
        function.Enclose(cells.data(), cells.size(), order, enclosures.data(), flags.data());

    auto value = [&](double x, double& y) {
        y = function.EvaluateDerivative(x, order);
        return !function.HasErrors();
    };
    std::size_t narrowed = 0;
    for (std::size_t c = 0; c < cells.size() && narrowed < kMaxCells; ++c) {
        if (!(flags[static_cast<std::size_t>(order) * cells.size() + c] & Enclosure::kMayJump))
            continue;
        ++narrowed;
        const std::size_t i = at[c];
        double a = cells[c].lo, fa = values[i];
        double b = cells[c].hi, fb = values[i + 1];
        const double before = std::fabs(fb - fa);
        const double width = b - a;
        int64_t ka = OrderKey(a), kb = OrderKey(b);
        bool defined = true;
        while (kb - ka > 1) {
            const int64_t km = ka + (kb - ka) / 2;
            const double m = FromKey(km);
            double fm = 0;
            if (!value(m, fm)) {
                defined = false;
                break;
            }
            if (std::fabs(fm - fa) >= std::fabs(fb - fm))
                kb = km, b = m, fb = fm;
            else
                ka = km, a = m, fa = fm;
        }
        if (!defined) {
            jumps.push_back({i, false, false, 0, 0, 0, 0});
            continue;
        }
        const double after = std::fabs(fb - fa);
        const double shrink = (b - a) / width;
        if (after <= before * std::max(1e-3, 8 * shrink))
            continue; // continuous: the rise shrank with the bracket
        jumps.push_back({i, true, true, a, fa, b, fb});
    }

    // The ends of domains: the curve reaches the last defined double.
    for (std::size_t i : edges) {
        if (narrowed++ >= kMaxCells)
            break;
        const bool leftDefined = !failed[i];
        double inside = IndexedArgument(xMin, step, leftDefined ? i : i + 1);
        double outside = IndexedArgument(xMin, step, leftDefined ? i + 1 : i);
        double y = values[leftDefined ? i : i + 1];
        int64_t ki = OrderKey(inside), ko = OrderKey(outside);
        while (ki - ko > 1 || ko - ki > 1) {
            const int64_t km = ki + (ko - ki) / 2;
            const double m = FromKey(km);
            double fm = 0;
            if (value(m, fm))
                ki = km, inside = m, y = fm;
            else
                ko = km;
        }
        if (leftDefined)
            jumps.push_back({i, true, false, inside, y, 0, 0});
        else
            jumps.push_back({i, false, true, 0, 0, inside, y});
    }
    std::sort(jumps.begin(), jumps.end(),
              [](const CurveJump& l, const CurveJump& r) { return l.cell < r.cell; });
    return jumps;
}
