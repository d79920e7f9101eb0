// libFuzzer target: any bytes as a formula, compiled and evaluated in both
// angle units as the function and its derivatives, point by point and as a
// series; the two must agree to the last bit.
#include "engine/function.h"
#include "engine/functionexception.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    return 0;
}
