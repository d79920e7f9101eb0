#include "engine/function.h"

#include "engine/angleunit.h"
#include "engine/elementary.h"
#include "engine/evaluationstack.h"
#include "engine/seriesblock.h"
#include "engine/wholepower.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

// Sampling runs the program a column at a time, over blocks of arguments; the
// block's code is in blockprogram.inc, compiled here for the baseline
// instruction set and, on x86-64, for AVX2 and FMA as well, which runs where
// the processor has them. Both compute the same numbers: the operations are
// the same, each rounded once (no contraction into fused multiply-adds).

namespace {

constexpr std::size_t kLanes = 256;

namespace baseline {
constexpr bool kFusedMultiplyAdd = false;
#include "engine/blockprogram.inc"
} // namespace baseline

#if defined(__x86_64__) && defined(__GNUC__)
#define OSIOWIEC_AVX2_BLOCKS 1
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif
namespace avx2 {
constexpr bool kFusedMultiplyAdd = true;
#include "engine/blockprogram.inc"
} // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

using BlockRunner = decltype(&baseline::RunProgram);
using PowersRunner = decltype(&baseline::Powers);

// The AVX2 code where the processor has AVX2 and FMA, unless
// OSIOWIEC_SAMPLING is "baseline" (so the tests can run both on one machine).
bool UseAvx2()
{
#ifdef OSIOWIEC_AVX2_BLOCKS
    const char* choice = std::getenv("OSIOWIEC_SAMPLING");
    const bool baselineAsked = choice != nullptr && std::strcmp(choice, "baseline") == 0;
    return !baselineAsked && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

BlockRunner ChooseBlockRunner()
{
#ifdef OSIOWIEC_AVX2_BLOCKS
    if (UseAvx2())
        return avx2::RunProgram;
#endif
    return baseline::RunProgram;
}

} // namespace

void WholePower::Powers(const double* x, std::size_t count, int n, double* out)
{
#ifdef OSIOWIEC_AVX2_BLOCKS
    static const PowersRunner run = UseAvx2() ? avx2::Powers : baseline::Powers;
#else
    static const PowersRunner run = baseline::Powers;
#endif
    run(x, count, n, out);
}

void Function::RunBlock(const double* xs, std::size_t n, double* values, uint8_t* failed) const
{
    static const BlockRunner run = ChooseBlockRunner();
    std::vector<double>& stack = EvaluationStack();
    const std::size_t levels = static_cast<std::size_t>(std::max(m_nMaxDepth, 1));
    if (stack.size() < levels * kLanes)
        stack.resize(levels * kLanes);
    // Where each level's values are read from: its column, or the arguments
    // for a pushed x. Kept between calls, like the stack, as the thread's
    // evaluations never overlap.
    thread_local std::vector<const double*> sources;
    if (sources.size() < levels)
        sources.resize(levels);
    run(m_fast, m_bUsesX, m_bDegrees, xs, n, stack.data(), sources.data(), values, failed);
}

void Function::ValueSeries(const double* xs, std::size_t count, double* values, uint8_t* failed)
{
    for (std::size_t start = 0; start < count; start += kLanes) {
        const std::size_t n = std::min(kLanes, count - start);
        RunBlock(xs + start, n, values + start, failed + start);
    }
}

void Function::EvaluateSeries(const double* xs, std::size_t count, int32_t order, double* values,
                              uint8_t* failed)
{
    if (!m_bCompiled) {
        std::fill(values, values + count, 0.0);
        std::fill(failed, failed + count, 1);
        return;
    }
    m_errors.clear();
    if (order <= 0) {
        ValueSeries(xs, count, values, failed);
        return;
    }
    if (order > kMaxOrder) {
        std::fill(values, values + count, 0.0);
        std::fill(failed, failed + count, 1);
        return;
    }
    // Derivatives by Taylor arithmetic, a block at a time; only the
    // coefficient of the order asked for is kept.
    auto& block = DerivativeBlock(order);
    const double factorial = Series::Factorial(order);
    for (std::size_t start = 0; start < count; start += Series::kDoubleLanes) {
        const std::size_t n = std::min(Series::kDoubleLanes, count - start);
        block.Run(xs + start, n, m_bDegrees);
        const double* c = block.Coefficient(order);
        const Series::LaneState* state = block.State();
        for (std::size_t i = 0; i < n; ++i) {
            const bool fails = state[i].m_nFail != Series::kNone;
            failed[start + i] = fails;
            values[start + i] = fails || c == nullptr ? 0.0 : c[i] * factorial;
        }
    }
}
