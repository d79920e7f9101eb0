#include "chart/curvejet.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Blocks of arguments handed to the engine at once: its own blocks are 64
// intervals and 256 doubles, and scratch rows stay on the stack's size.
constexpr std::size_t kChunk = 64;

} // namespace

CurveJet::CurveJet(const std::string& formula, int32_t order, bool degrees)
    : m_nOrder(std::clamp(order, 0, 2))
{
    for (Function& f : m_depths) {
        f.m_bThrowSyntaxErrors = false;
        f.m_bThrowEvalErrors = false;
        f.m_bDegrees = degrees;
        f.SetFormula(formula);
    }
}

void CurveJet::Enclose(const Interval* xs, std::size_t count, int rows, Jet* out)
{
    rows = std::clamp(rows, 2, 4);
    Function& f = m_depths[rows - 2];
    const int32_t top = m_nOrder + rows - 1;
    Interval enclosures[kChunk * (Function::kMaxOrder + 1)];
    uint8_t flags[kChunk * (Function::kMaxOrder + 1)];
    for (std::size_t start = 0; start < count; start += kChunk) {
        const std::size_t n = std::min(kChunk, count - start);
        f.Enclose(xs + start, n, top, enclosures, flags);
        for (std::size_t i = 0; i < n; ++i) {
            Jet& jet = out[start + i];
            for (int k = 0; k < rows; ++k) {
                const std::size_t at = static_cast<std::size_t>(m_nOrder + k) * n + i;
                jet.v[k] = enclosures[at];
                jet.flags[k] = flags[at];
            }
            for (int k = rows; k < 4; ++k) {
                jet.v[k] = Interval::Whole();
                jet.flags[k] = Enclosure::kMayFail;
            }
        }
    }
}

void CurveJet::Evaluate(const double* xs, std::size_t count, PointJet* out)
{
    Function& f = m_depths[1];
    const int32_t top = m_nOrder + 2;
    double derivatives[kChunk * (Function::kMaxOrder + 1)];
    uint8_t defined[kChunk];
    for (std::size_t start = 0; start < count; start += kChunk) {
        const std::size_t n = std::min(kChunk, count - start);
        f.EvaluateDerivatives(xs + start, n, top, derivatives, defined);
        for (std::size_t i = 0; i < n; ++i) {
            PointJet& jet = out[start + i];
            const int rows = std::clamp(static_cast<int>(defined[i]) - m_nOrder, 0, 3);
            jet.defined = static_cast<uint8_t>(rows);
            for (int k = 0; k < 3; ++k)
                jet.v[k] = k < rows ? derivatives[static_cast<std::size_t>(m_nOrder + k) * n + i] : 0.0;
        }
    }
}

Jet Difference(const Jet& a, const Jet& b, int rows)
{
    Jet d;
    for (int k = 0; k < 4; ++k) {
        d.flags[k] = a.flags[k] | b.flags[k];
        if (k >= rows || (d.flags[k] & Enclosure::kMustFail) != 0)
            d.v[k] = k >= rows ? Interval::Whole() : Interval::Empty();
        else
            d.v[k] = a.v[k] - b.v[k];
    }
    return d;
}

PointJet Difference(const PointJet& a, const PointJet& b)
{
    PointJet d;
    d.defined = std::min(a.defined, b.defined);
    for (int k = 0; k < d.defined; ++k) {
        d.v[k] = a.v[k] - b.v[k];
        // Values beyond the doubles differ by no number.
        if (!std::isfinite(d.v[k])) {
            d.defined = static_cast<uint8_t>(k);
            break;
        }
    }
    for (int k = d.defined; k < 3; ++k)
        d.v[k] = 0;
    return d;
}

void DifferenceJet::Enclose(const Interval* xs, std::size_t count, int rows, Jet* out)
{
    std::vector<Jet> second(count);
    m_first.Enclose(xs, count, rows, out);
    m_second.Enclose(xs, count, rows, second.data());
    for (std::size_t i = 0; i < count; ++i)
        out[i] = Difference(out[i], second[i], rows);
}

void DifferenceJet::Evaluate(const double* xs, std::size_t count, PointJet* out)
{
    std::vector<PointJet> second(count);
    m_first.Evaluate(xs, count, out);
    m_second.Evaluate(xs, count, second.data());
    for (std::size_t i = 0; i < count; ++i)
        out[i] = Difference(out[i], second[i]);
}
