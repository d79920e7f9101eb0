#pragma once

#include "engine/function.h"
#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct FunctionEntry;

/// What an area integrates, h: one curve of the chart (its formula with its
/// derivative order, in the chart's angle unit), or the first curve less the
/// second. Evaluations never throw.
///
/// Enclosures come scaled by a length s: at order k they hold s^k h^(k)(x),
/// the derivatives in t of h(x + s t), which stay within the range of
/// doubles for the narrow stretches next to a singular point (the engine's
/// scaled enclosures). Each call is counted, for the area's budget.
class AreaIntegrand
{
public:
    AreaIntegrand(const FunctionEntry& first, const FunctionEntry* second, bool degrees);
    ~AreaIntegrand();
    AreaIntegrand(const AreaIntegrand&) = delete;
    AreaIntegrand& operator=(const AreaIntegrand&) = delete;

    /// The highest order of h that enclosures reach: the engine's, less the
    /// larger derivative order of the curves.
    int32_t MaxOrder() const { return m_nMaxOrder; }

    /// out[k * count + i] encloses scales[i]^k h^(k) over xs[i] for k = 0 ...
    /// order (at most MaxOrder()), with the Enclosure flags of either curve.
    void Enclose(const Interval* xs, const double* scales, std::size_t count, int32_t order,
                 Interval* out, uint8_t* flags);
    /// The value at x as sampling computes it; false where it fails or is
    /// not finite.
    bool At(double x, double& y);
    /// Values at many arguments; failed[i] where At would be false.
    /// sizes[i] is |f| + |g| for a difference, |f| for one curve: what the
    /// rounding of the values is relative to.
    void Sample(const std::vector<double>& xs, std::vector<double>& values,
                std::vector<uint8_t>& failed, std::vector<double>& sizes);

    /// Enclosures made so far, intervals and points alike.
    std::size_t Enclosed() const { return m_nEnclosed; }

private:
    struct Term
    {
        std::unique_ptr<Function> function;
        int32_t order;
    };

    std::vector<Term> m_terms;
    int32_t m_nMaxOrder;
    std::size_t m_nEnclosed = 0;
    std::vector<Interval> m_buffer;
    std::vector<uint8_t> m_bufferFlags;
    std::vector<double> m_values;
    std::vector<uint8_t> m_failed;
};
