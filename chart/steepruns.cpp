#include "chart/steepruns.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"

#include <algorithm>
#include <cmath>
#include <utility>

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
                                              double step, const ValuesAt& values,
                                              const ValueAt& value)
{
    const std::size_t count = samples.size();
    auto steep = [&](std::size_t k) {
        return k > 0 && IsValue(samples[k]) && IsValue(samples[k - 1]) &&
               std::fabs(samples[k] - samples[k - 1]) > 100 * step;
    };
    auto x = [&](std::size_t k) { return IndexedArgument(xMin, step, k); };

    // The runs, first and last index each, and the midpoints of all their
    // stretches, evaluated in one go.
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    std::vector<double> midpoints;
    for (std::size_t k = 1; k < count; ++k) {
        if (!steep(k))
            continue;
        const std::size_t first = k;
        while (k + 1 < count && steep(k + 1))
            ++k;
        runs.emplace_back(first, k);
        for (std::size_t i = first; i <= k; ++i) {
            const double a = x(i - 1);
            midpoints.push_back(a + (x(i) - a) / 2);
        }
    }
    if (runs.empty())
        return {};
    std::vector<double> middle;
    std::vector<uint8_t> middleFailed;
    values(midpoints, middle, middleFailed);

    std::vector<std::size_t> result;
    std::size_t next = 0; // the first midpoint of the run
    for (const auto& [first, last] : runs) {
        const std::size_t offset = next;
        next += last - first + 1;
        bool accepted = true;
        std::size_t steepest = first;
        for (std::size_t k = first; k <= last && accepted; ++k) {
            const std::size_t m = offset + (k - first);
            accepted = !middleFailed[m] && std::isfinite(middle[m]) &&
                       Between(middle[m], samples[k - 1], samples[k]);
            if (std::fabs(samples[k] - samples[k - 1]) >
                std::fabs(samples[steepest] - samples[steepest - 1]))
                steepest = k;
        }
        accepted = accepted && PassesBisection(x(steepest - 1), samples[steepest - 1], x(steepest),
                                               samples[steepest], value);
        accepted = accepted && (first < 2 || IsValue(samples[first - 2]));
        accepted = accepted && (last + 1 >= count || IsValue(samples[last + 1]));
        if (accepted) {
            for (std::size_t k = first; k <= last; ++k)
                result.push_back(k);
        }
    }
    return result;
}
