// libFuzzer target: any bytes as a formula, compiled and evaluated in both
// angle units as the function and its derivatives, point by point and as a
// series; the two must agree to the last bit. All orders at once must give
// each order's derivative, and the enclosure of an interval around the
// arguments must hold their values.
#include "engine/function.h"
#include "engine/functionexception.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9)
        return 0;
    // The first byte picks the switches, the next eight are an x.
    const uint8_t flags = data[0];
    double x = 0;
    std::memcpy(&x, data + 1, sizeof x);
    std::string_view text(reinterpret_cast<const char*>(data + 9), size - 9);

    static Function function;
    function.m_bDegrees = flags & 1;
    function.m_bThrowSyntaxErrors = flags & 2;
    function.m_bThrowEvalErrors = flags & 4;
    try {
        function.SetFormula(text);
    } catch (const FunctionException&) {
    }
    const double points[] = {x, 0, 1, -1, 0.5, 1e300, -2.5e-5, 3.141592653589793};
    constexpr std::size_t count = sizeof points / sizeof points[0];
    for (int order = 0; order <= 2; ++order) {
        double values[count];
        uint8_t failed[count];
        function.EvaluateSeries(points, count, order, values, failed);
        for (std::size_t i = 0; i < count; ++i) {
            double value = 0;
            bool threw = false;
            try {
                value = function.EvaluateDerivative(points[i], order);
            } catch (const FunctionException&) {
                threw = true;
            }
            const bool error = threw || function.HasErrors();
            if (error != (failed[i] != 0) || (!error && std::memcmp(&value, &values[i], sizeof value) != 0))
                std::abort();
        }
    }
    if (!function.IsCompiled())
        return 0;
    function.m_bThrowEvalErrors = false;
    constexpr int kOrders = 3;
    double all[kOrders * count];
    uint8_t defined[count];
    function.EvaluateDerivatives(points, count, kOrders - 1, all, defined);
    for (std::size_t i = 0; i < count; ++i) {
        for (int k = 0; k < kOrders; ++k) {
            const double value = function.EvaluateDerivative(points[i], k);
            if ((k < defined[i]) == function.HasErrors())
                std::abort();
            if (k < defined[i] && std::memcmp(&value, &all[k * count + i], sizeof value) != 0)
                std::abort();
        }
    }
    // An interval from each finite argument to the next one up holds both
    // values where they are defined.
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(points[i]))
            continue;
        const double next = std::nextafter(points[i], std::numeric_limits<double>::infinity());
        if (!std::isfinite(next))
            continue;
        uint8_t flags = 0;
        const Interval enclosure = function.Enclose({points[i], next}, flags);
        for (double at : {points[i], next}) {
            const double value = function.Evaluate(at);
            if (function.HasErrors() ? !(flags & Enclosure::kMayFail)
                                     : (flags & Enclosure::kMustFail) || !enclosure.Contains(value))
                std::abort();
        }
    }
    return 0;
}
