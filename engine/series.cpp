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

void Function::SeriesOfOrder(const double* xs, std::size_t count, int32_t order, double* values,
                             uint8_t* failed)
{
    if (order <= 0) {
        for (std::size_t start = 0; start < count; start += kLanes) {
            const std::size_t n = std::min(kLanes, count - start);
            RunBlock(xs + start, n, values + start, failed + start);
        }
        return;
    }
    if (order == 2) {
        SecondDerivativeSeries(xs, count, values, failed);
        return;
    }
    // The two neighbours at each level, computed in double as the recursion
    // of EvaluateDerivative computes them; an argument fails when either does.
    // A piece at a time, so the scratch stays small and in the cache.
    const std::size_t piece = std::min(count, kDerivativePiece);
    std::vector<double> shifted(piece);
    std::vector<double> left(piece);
    std::vector<uint8_t> leftFailed(piece);
    for (std::size_t start = 0; start < count; start += piece) {
        const std::size_t n = std::min(piece, count - start);
        for (std::size_t i = 0; i < n; ++i)
            shifted[i] = xs[start + i] - kStep;
        SeriesOfOrder(shifted.data(), n, order - 1, left.data(), leftFailed.data());
        for (std::size_t i = 0; i < n; ++i)
            shifted[i] = xs[start + i] + kStep;
        double* right = values + start;
        uint8_t* rightFailed = failed + start;
        SeriesOfOrder(shifted.data(), n, order - 1, right, rightFailed);
        for (std::size_t i = 0; i < n; ++i) {
            rightFailed[i] |= leftFailed[i];
            right[i] = rightFailed[i] ? 0 : (right[i] - left[i]) * kFactor;
        }
    }
}

// The second derivative evaluates the function at (x-h)-h, (x-h)+h, (x+h)-h
// and (x+h)+h. The two middle arguments are almost always the same double,
// and the same argument gives the same value, so the third evaluation is made
// only where they differ. The differences are combined as EvaluateDerivative
// combines them, and an argument fails when any of its four points does.
void Function::SecondDerivativeSeries(const double* xs, std::size_t count, double* values,
                                      uint8_t* failed)
{
    const std::size_t piece = std::min(count, kDerivativePiece);
    std::vector<double> points[4];
    std::vector<double> f[4];
    std::vector<uint8_t> bad[4];
    for (int k = 0; k < 4; ++k) {
        points[k].resize(piece);
        f[k].resize(piece);
        bad[k].resize(piece);
    }
    std::vector<double> differing;
    std::vector<std::size_t> where;
    for (std::size_t start = 0; start < count; start += piece) {
        const std::size_t n = std::min(piece, count - start);
        for (std::size_t i = 0; i < n; ++i) {
            const double left = xs[start + i] - kStep;
            const double right = xs[start + i] + kStep;
            points[0][i] = left - kStep;
            points[1][i] = left + kStep;
            points[2][i] = right - kStep;
            points[3][i] = right + kStep;
        }
        for (int k : {0, 1, 3})
            SeriesOfOrder(points[k].data(), n, 0, f[k].data(), bad[k].data());

        differing.clear();
        where.clear();
        for (std::size_t i = 0; i < n; ++i) {
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
            SeriesOfOrder(differing.data(), differing.size(), 0, value.data(), fail.data());
            for (std::size_t j = 0; j < where.size(); ++j) {
                f[2][where[j]] = value[j];
                bad[2][where[j]] = fail[j];
            }
        }

        for (std::size_t i = 0; i < n; ++i) {
            const bool fails = bad[0][i] | bad[1][i] | bad[2][i] | bad[3][i];
            const double left = (f[1][i] - f[0][i]) * kFactor;
            const double right = (f[3][i] - f[2][i]) * kFactor;
            failed[start + i] = fails;
            values[start + i] = fails ? 0 : (right - left) * kFactor;
        }
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
    SeriesOfOrder(xs, count, order, values, failed);
}
