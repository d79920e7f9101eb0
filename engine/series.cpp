#include "engine/function.h"

#include "engine/angleunit.h"
#include "engine/evaluationstack.h"
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
constexpr std::size_t kDerivativePiece = 2048;

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

// The AVX2 code where the processor has AVX2 and FMA, unless OSIOWIEC_SAMPLING is
// "baseline" (so the tests can run both on one machine).
BlockRunner ChooseBlockRunner()
{
#ifdef OSIOWIEC_AVX2_BLOCKS
    const char* choice = std::getenv("OSIOWIEC_SAMPLING");
    const bool baselineAsked = choice != nullptr && std::strcmp(choice, "baseline") == 0;
    if (!baselineAsked && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return avx2::RunProgram;
#endif
    return baseline::RunProgram;
}

} // namespace

void Function::RunBlock(const double* xs, std::size_t n, double* values, uint8_t* failed) const
{
    static const BlockRunner run = ChooseBlockRunner();
    std::vector<double>& stack = EvaluationStack();
    const std::size_t levels = static_cast<std::size_t>(std::max(m_nMaxDepth, 1));
    if (stack.size() < levels * kLanes)
        stack.resize(levels * kLanes);
    // Where each level's values are read from: its column, or the arguments
    // for a pushed x. Kept between calls, like the stack, as evaluations
    // never overlap.
    static std::vector<const double*> sources;
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

// Central differences of the given order with each argument's own step, the
// same at every level, as EvaluateDerivative takes it. The two neighbours at
// each level are computed in double as the recursion computes them; an
// argument fails when either does.
void Function::DifferenceSeries(const double* xs, std::size_t count, int32_t order,
                                const double* steps, const double* factors, double* values,
                                uint8_t* failed)
{
    if (order <= 0) {
        ValueSeries(xs, count, values, failed);
        return;
    }
    if (order == 2) {
        SecondDerivativeSeries(xs, count, steps, factors, values, failed);
        return;
    }
    std::vector<double> shifted(count);
    std::vector<double> left(count);
    std::vector<uint8_t> leftFailed(count);
    for (std::size_t i = 0; i < count; ++i)
        shifted[i] = xs[i] - steps[i];
    DifferenceSeries(shifted.data(), count, order - 1, steps, factors, left.data(),
                     leftFailed.data());
    for (std::size_t i = 0; i < count; ++i)
        shifted[i] = xs[i] + steps[i];
    DifferenceSeries(shifted.data(), count, order - 1, steps, factors, values, failed);
    for (std::size_t i = 0; i < count; ++i) {
        failed[i] |= leftFailed[i];
        values[i] = failed[i] ? 0 : (values[i] - left[i]) * factors[i];
    }
}

// The second derivative evaluates the function at (x-h)-h, (x-h)+h, (x+h)-h
// and (x+h)+h. The two middle arguments are almost always the same double,
// and the same argument gives the same value, so the third evaluation is made
// only where they differ. The differences are combined as EvaluateDerivative
// combines them, and an argument fails when any of its four points does.
void Function::SecondDerivativeSeries(const double* xs, std::size_t count, const double* steps,
                                      const double* factors, double* values, uint8_t* failed)
{
    std::vector<double> points[4];
    std::vector<double> f[4];
    std::vector<uint8_t> bad[4];
    for (int k = 0; k < 4; ++k) {
        points[k].resize(count);
        f[k].resize(count);
        bad[k].resize(count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double h = steps[i];
        const double left = xs[i] - h;
        const double right = xs[i] + h;
        points[0][i] = left - h;
        points[1][i] = left + h;
        points[2][i] = right - h;
        points[3][i] = right + h;
    }
    for (int k : {0, 1, 3})
        ValueSeries(points[k].data(), count, f[k].data(), bad[k].data());

    std::vector<double> differing;
    std::vector<std::size_t> where;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::memcmp(&points[2][i], &points[1][i], sizeof(double)) == 0) {
            f[2][i] = f[1][i];
            bad[2][i] = bad[1][i];
        } else {
            differing.push_back(points[2][i]);
            where.push_back(i);
        }
    }
    if (!differing.empty()) {
        std::vector<double> value(differing.size());
        std::vector<uint8_t> fail(differing.size());
        ValueSeries(differing.data(), differing.size(), value.data(), fail.data());
        for (std::size_t j = 0; j < where.size(); ++j) {
            f[2][where[j]] = value[j];
            bad[2][where[j]] = fail[j];
        }
    }

    for (std::size_t i = 0; i < count; ++i) {
        const bool fails = bad[0][i] | bad[1][i] | bad[2][i] | bad[3][i];
        const double k = factors[i];
        const double left = (f[1][i] - f[0][i]) * k;
        const double right = (f[3][i] - f[2][i]) * k;
        failed[i] = fails;
        values[i] = fails ? 0 : (right - left) * k;
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
    // A piece at a time, so the scratch stays small and in the cache. Each
    // argument's step is chosen as DerivativeStep chooses it: from the value
    // at x for order 2 and more (a failed or infinite value keeps the plain
    // step), and from |x| far out on the axis.
    const std::size_t piece = std::min(count, kDerivativePiece);
    std::vector<double> steps(piece);
    std::vector<double> factors(piece);
    std::vector<double> centre(order >= 2 ? piece : 0);
    std::vector<uint8_t> centreFailed(order >= 2 ? piece : 0);
    for (std::size_t start = 0; start < count; start += piece) {
        const std::size_t n = std::min(piece, count - start);
        const double* x = xs + start;
        if (order >= 2)
            ValueSeries(x, n, centre.data(), centreFailed.data());
        for (std::size_t i = 0; i < n; ++i) {
            double h0 = kStep;
            if (order >= 2 && !centreFailed[i] && std::isfinite(centre[i]))
                h0 = kStep * std::sqrt(std::sqrt(std::max(1.0, std::fabs(centre[i]))));
            steps[i] = std::max(h0, std::fabs(x[i]) * kFarStep);
            factors[i] = 1 / (2 * steps[i]);
        }
        DifferenceSeries(x, n, order, steps.data(), factors.data(), values + start,
                         failed + start);
    }
}
