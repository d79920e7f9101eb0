#pragma once

// What a formula means to the engine, as one line of text: its syntax error,
// or its compiled program, its constants and its values (or evaluation
// errors) at a few arguments, in both angle units and for orders 0 to 2 (the
// derivatives with the fixed step), all to the last bit. Two engines that
// give one formula the same line tokenize, compile and evaluate it alike.
// Used by the table of formulas recorded from an earlier engine
// (recordedformulas.txt).

#include "engine/function.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// Central differences with the fixed step 0.00001 at every level, as the
// recorded engine took them: the table pins what a formula means through its
// values at the points those differences read, not how derivatives are
// computed (now by Taylor arithmetic).
inline double FixedStepDerivative(Function& function, double x, int32_t order)
{
    constexpr double kStep = 0.00001;
    constexpr double kFactor = 49999.99999999999;
    if (order <= 0)
        return function.Evaluate(x);
    const double left = FixedStepDerivative(function, x - kStep, order - 1);
    if (function.HasErrors())
        return 0;
    const double right = FixedStepDerivative(function, x + kStep, order - 1);
    if (function.HasErrors())
        return 0;
    return (right - left) * kFactor;
}

inline std::string DescribeFormula(Function& function, std::string_view text)
{
    auto bits = [](double value) {
        uint64_t raw = 0;
        std::memcpy(&raw, &value, sizeof raw);
        char hex[20];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(raw));
        return std::string(hex);
    };
    function.m_bThrowSyntaxErrors = false;
    function.m_bThrowEvalErrors = false;
    function.SetFormula(text);
    if (!function.IsCompiled())
        return "error " + std::string(function.GetError().first) + " at " +
               std::to_string(function.GetError().second);
    std::string line = "program";
    for (int32_t code : function.GetProgram())
        line += " " + std::to_string(code);
    line += "; constants";
    for (double constant : function.GetConstants())
        line += " " + bits(constant);
    for (bool degrees : {false, true}) {
        function.m_bDegrees = degrees;
        for (double x : {0.0, 1.0, -2.5, 0.5, 3.0, 1e-5, 90.0}) {
            for (int order = 0; order <= 2; ++order) {
                const double value = FixedStepDerivative(function, x, order);
                line += function.HasErrors() ? "; " + std::string(function.GetError().first)
                                             : "; " + bits(value);
            }
        }
    }
    function.m_bDegrees = false;
    return line;
}

// FNV-1a, 64 bits: the table stores this of each line.
inline uint64_t Fingerprint(std::string_view line)
{
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : line) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}
