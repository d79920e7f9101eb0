#include "engine/function.h"

#include "engine/functionexception.h"
#include "engine/messages.h"
#include "engine/seriesblock.h"

#include <algorithm>

// Derivatives and enclosures: the Taylor arithmetic of seriesblock.h over
// the program's running form, with doubles and with intervals.

Series::Block<double, Series::kDoubleLanes>& Function::DerivativeBlock(int32_t order)
{
    if (!m_pDerivatives || m_pDerivatives->terms() != order + 1)
        m_pDerivatives = std::make_unique<Series::Block<double, Series::kDoubleLanes>>(
            m_fast, m_nMaxDepth, order);
    return *m_pDerivatives;
}

double Function::EvaluateDerivative(double x, int32_t order)
{
    if (order <= 0 || !m_bCompiled)
        return Evaluate(x);
    m_errors.clear();
    if (order > kMaxOrder)
        return Fail(EngineMessage::kDomainError);
    // A block of one argument: the same operations as sampling makes for
    // each of its arguments, so the same value to the last bit.
    auto& block = DerivativeBlock(order);
    block.Run(&x, 1, m_bDegrees);
    const Series::LaneState& state = block.State()[0];
    if (state.m_nFail != Series::kNone)
        return Fail(state.m_nMessage == Series::kDivision ? EngineMessage::kDivisionByZero
                                                          : EngineMessage::kDomainError);
    const double* c = block.Coefficient(order);
    return c == nullptr ? 0.0 : c[0] * Series::Factorial(order);
}

void Function::EvaluateDerivatives(const double* xs, std::size_t count, int32_t order,
                                   double* derivatives, uint8_t* defined)
{
    order = std::clamp(order, 0, kMaxOrder);
    std::fill(derivatives, derivatives + count * (order + 1), 0.0);
    if (!m_bCompiled) {
        std::fill(defined, defined + count, 0);
        return;
    }
    m_errors.clear();
    auto& block = DerivativeBlock(order);
    for (std::size_t start = 0; start < count; start += Series::kDoubleLanes) {
        const std::size_t n = std::min(Series::kDoubleLanes, count - start);
        block.Run(xs + start, n, m_bDegrees);
        const Series::LaneState* state = block.State();
        for (std::size_t i = 0; i < n; ++i)
            defined[start + i] = static_cast<uint8_t>(std::min<int>(state[i].m_nFail, order + 1));
        for (int32_t k = 0; k <= order; ++k) {
            const double* c = block.Coefficient(k);
            if (c == nullptr)
                continue;
            const double factorial = Series::Factorial(k);
            double* out = derivatives + k * count + start;
            for (std::size_t i = 0; i < n; ++i)
                out[i] = k < defined[start + i] ? c[i] * factorial : 0.0;
        }
    }
}

void Function::Enclose(const Interval* xs, std::size_t count, int32_t order,
                       Interval* enclosures, uint8_t* flags)
{
    EncloseScaled(xs, nullptr, count, order, enclosures, flags);
}

void Function::EncloseScaled(const Interval* xs, const double* scales, std::size_t count,
                             int32_t order, Interval* enclosures, uint8_t* flags)
{
    order = std::clamp(order, 0, kMaxOrder);
    const std::size_t total = count * static_cast<std::size_t>(order + 1);
    if (!m_bCompiled) {
        std::fill(enclosures, enclosures + total, Interval::Empty());
        std::fill(flags, flags + total, Enclosure::kMayFail | Enclosure::kMustFail);
        return;
    }
    if (!m_pEnclosures || m_pEnclosures->terms() != order + 1)
        m_pEnclosures = std::make_unique<Series::Block<Interval, Series::kIntervalLanes>>(
            m_fast, m_nMaxDepth, order);
    auto& block = *m_pEnclosures;
    for (std::size_t start = 0; start < count; start += Series::kIntervalLanes) {
        const std::size_t n = std::min(Series::kIntervalLanes, count - start);
        Interval slopes[Series::kIntervalLanes];
        if (scales != nullptr) {
            for (std::size_t i = 0; i < n; ++i)
                slopes[i] = Interval::Point(scales[start + i]);
        }
        block.Run(xs + start, n, m_bDegrees, scales != nullptr ? slopes : nullptr);
        const Series::LaneState* state = block.State();
        for (int32_t k = 0; k <= order; ++k) {
            const Interval* c = block.Coefficient(k);
            const Interval factorial = Interval::Point(Series::Factorial(k));
            for (std::size_t i = 0; i < n; ++i) {
                const Series::LaneState& lane = state[i];
                uint8_t bits = 0;
                if (lane.m_nFail <= k)
                    bits |= Enclosure::kMayFail;
                if (lane.m_nMustFail <= k)
                    bits |= Enclosure::kMayFail | Enclosure::kMustFail;
                if (lane.m_nJump <= k)
                    bits |= Enclosure::kMayJump;
                const std::size_t at = k * count + start + i;
                // An enclosure beyond the doubles on one side fails by
                // overflow; an empty one left the domain.
                if ((bits & Enclosure::kMustFail) && c != nullptr && !c[i].IsEmpty() &&
                    (c[i].lo == IntervalMath::kInfinity || c[i].hi == -IntervalMath::kInfinity))
                    bits |= Enclosure::kOverflow;
                flags[at] = bits;
                if (bits & Enclosure::kMustFail)
                    enclosures[at] = Interval::Empty();
                else if (c == nullptr)
                    enclosures[at] = {0, 0};
                else
                    enclosures[at] = k == 0 ? c[i] : c[i] * factorial;
            }
        }
    }
}

bool Function::MayJump(int32_t order) const
{
    if (!m_bCompiled)
        return false;
    return std::any_of(m_fast.begin(), m_fast.end(), [order](const Instruction& in) {
        switch (in.op) {
        case Op::kThen:
        case Op::kSgn:
        case Op::kFloor:
        case Op::kCeil:
        case Op::kRound:
        case Op::kFrac:
        case Op::kMod:
            return true;
        case Op::kAbs:
        case Op::kMin:
        case Op::kMax:
            return order > 0;
        default:
            return false;
        }
    });
}

Interval Function::Enclose(Interval x, uint8_t& flags)
{
    Interval value;
    Enclose(&x, 1, 0, &value, &flags);
    return value;
}
