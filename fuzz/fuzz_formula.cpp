// libFuzzer target: any bytes as a formula, compiled and evaluated in both
// angle units as the function and its derivatives.
#include "engine/function.h"
#include "engine/functionexception.h"

#include <cstddef>
#include <cstdint>
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
        const double points[] = {x, 0, 1, -1, 0.5, 1e300};
        for (double point : points) {
            for (int order = 0; order <= 2; ++order) {
                try {
                    function.EvaluateDerivative(point, order);
                } catch (const FunctionException&) {
                }
            }
        }
    } catch (const FunctionException&) {
    }
    return 0;
}
