#include "chart/areaintegrand.h"

#include "chart/functionentry.h"

#include <algorithm>
#include <cmath>

AreaIntegrand::AreaIntegrand(const FunctionEntry& first, const FunctionEntry* second, bool degrees)
{
    int32_t highest = 0;
    for (const FunctionEntry* entry : {&first, second}) {
        if (entry == nullptr)
            continue;
        Term term{std::make_unique<Function>(), std::clamp(entry->m_nDerivative, 0, 2)};
        term.function->m_bThrowSyntaxErrors = false;
        term.function->m_bThrowEvalErrors = false;
        term.function->m_bDegrees = degrees;
        term.function->SetFormula(entry->m_strFormula);
        highest = std::max(highest, term.order);
        m_terms.push_back(std::move(term));
    }
    m_nMaxOrder = Function::kMaxOrder - highest;
}

AreaIntegrand::~AreaIntegrand() = default;

void AreaIntegrand::Enclose(const Interval* xs, const double* scales, std::size_t count,
                            int32_t order, Interval* out, uint8_t* flags)
{
    order = std::clamp(order, 0, m_nMaxOrder);
    m_nEnclosed += count;
    const std::size_t orders = static_cast<std::size_t>(order) + 1;
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        Term& term = m_terms[t];
        const std::size_t all = static_cast<std::size_t>(term.order) + orders;
        m_buffer.resize(all * count);
        m_bufferFlags.resize(all * count);
        term.function->EncloseScaled(xs, scales, count, term.order + order, m_buffer.data(),
                                     m_bufferFlags.data());
        for (std::size_t i = 0; i < count; ++i) {
            // The curve is the derivative of order d: its k-th derivative
            // scaled by s^k is the formula's order d + k over s^d.
            Interval unscale = Interval::Point(1);
            for (int32_t d = 0; d < term.order; ++d)
                unscale = unscale * Interval::Point(scales[i]);
            for (std::size_t k = 0; k < orders; ++k) {
                const std::size_t from = (term.order + k) * count + i;
                Interval v = m_buffer[from];
                if (term.order > 0 && !v.IsEmpty())
                    v = v / unscale;
                uint8_t bits = m_bufferFlags[from];
                const std::size_t at = k * count + i;
                if (t == 0) {
                    out[at] = v;
                    flags[at] = bits;
                } else {
                    out[at] = out[at].IsEmpty() || v.IsEmpty() ? Interval::Empty() : out[at] - v;
                    // An overflow only where every curve that fails
                    // overflows.
                    const uint8_t before = flags[at];
                    const bool overflow =
                        (!(before & Enclosure::kMustFail) || (before & Enclosure::kOverflow)) &&
                        (!(bits & Enclosure::kMustFail) || (bits & Enclosure::kOverflow));
                    flags[at] = static_cast<uint8_t>((before | bits) & ~Enclosure::kOverflow);
                    if (overflow && (flags[at] & Enclosure::kMustFail))
                        flags[at] |= Enclosure::kOverflow;
                }
                // A quotient by a scale that vanished in doubles bounds
                // nothing.
                if (!out[at].IsEmpty() && !out[at].IsFinite() && !(flags[at] & Enclosure::kMayFail))
                    flags[at] |= Enclosure::kMayFail;
            }
        }
    }
}

bool AreaIntegrand::At(double x, double& y)
{
    double value = 0;
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        Function& f = *m_terms[t].function;
        const double v = f.EvaluateDerivative(x, m_terms[t].order);
        if (f.HasErrors())
            return false;
        value = t == 0 ? v : value - v;
    }
    if (!std::isfinite(value))
        return false;
    y = value;
    return true;
}

void AreaIntegrand::Sample(const std::vector<double>& xs, std::vector<double>& values,
                           std::vector<uint8_t>& failed, std::vector<double>& sizes)
{
    values.assign(xs.size(), 0.0);
    failed.assign(xs.size(), 1);
    sizes.assign(xs.size(), 0.0);
    if (xs.empty())
        return;
    for (std::size_t t = 0; t < m_terms.size(); ++t) {
        m_values.resize(xs.size());
        m_failed.resize(xs.size());
        m_terms[t].function->EvaluateSeries(xs.data(), xs.size(), m_terms[t].order,
                                             m_values.data(), m_failed.data());
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (t == 0) {
                values[i] = m_values[i];
                failed[i] = m_failed[i];
            } else {
                values[i] -= m_values[i];
                failed[i] |= m_failed[i];
            }
            sizes[i] += std::fabs(m_values[i]);
        }
    }
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (!std::isfinite(values[i]) || !std::isfinite(sizes[i]))
            failed[i] = 1;
        if (failed[i])
            sizes[i] = 0;
    }
}
