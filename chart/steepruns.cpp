#include "chart/steepruns.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"

#include <algorithm>
#include <cmath>

namespace {

// A sample that is a number the curve can pass through.
bool IsValue(double y)
{
    return std::isfinite(y) && y != FunctionContainer::kErrorValue;
}

bool Between(double v, double a, double b)
{
    return std::min(a, b) <= v && v <= std::max(a, b);
}

} // namespace

bool PassesBisection(double a, double fa, double b, double fb, const ValueAt& value)
{
    const double rise = std::fabs(fb - fa);
    if (!std::isfinite(rise))
        return false;
    for (int i = 0; i < 64; ++i) {
        const double m = a + (b - a) / 2;
        if (m <= a || m >= b)
            return false;
        const std::optional<double> fm = value(m);
        if (!fm || !std::isfinite(*fm) || !Between(*fm, fa, fb))
            return false;
        if (std::fabs(*fm - fa) >= std::fabs(fb - *fm)) {
            b = m;
            fb = *fm;
        } else {
            a = m;
            fa = *fm;
        }
        if (std::fabs(fb - fa) <= rise / 1048576)
            return true;
    }
    return false;
}

std::vector<std::size_t> AcceptedSteepSamples(const std::vector<double>& samples, double xMin,
                                              double step, const ValueAt& value)
{
    const std::size_t count = samples.size();
    auto steep = [&](std::size_t k) {
        return k > 0 && IsValue(samples[k]) && IsValue(samples[k - 1]) &&
               std::fabs(samples[k] - samples[k - 1]) > 100 * step;
    };
    auto x = [&](std::size_t k) { return IndexedArgument(xMin, step, k); };

    auto accepted = [&](std::size_t first, std::size_t last) {
        std::size_t steepest = first;
        for (std::size_t k = first; k <= last; ++k) {
            const double a = x(k - 1);
            const double m = a + (x(k) - a) / 2;
            const std::optional<double> fm = value(m);
            if (!fm || !std::isfinite(*fm) || !Between(*fm, samples[k - 1], samples[k]))
                return false;
            if (std::fabs(samples[k] - samples[k - 1]) >
                std::fabs(samples[steepest] - samples[steepest - 1]))
                steepest = k;
        }
        if (!PassesBisection(x(steepest - 1), samples[steepest - 1], x(steepest),
                             samples[steepest], value))
            return false;
        if (first >= 2 && !IsValue(samples[first - 2]))
            return false;
        return last + 1 >= count || IsValue(samples[last + 1]);
    };

    std::vector<std::size_t> result;
    std::size_t k = 1;
    while (k < count) {
        if (!steep(k)) {
            ++k;
            continue;
        }
        const std::size_t first = k;
        while (k + 1 < count && steep(k + 1))
            ++k;
        const std::size_t last = k;
        if (accepted(first, last)) {
            for (std::size_t i = first; i <= last; ++i)
                result.push_back(i);
        }
        k = last + 1;
    }
    return result;
}
