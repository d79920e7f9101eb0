#include "engine/function.h"

#include "engine/evaluationstack.h"
#include "engine/functionexception.h"
#include "engine/messages.h"

#include <cmath>

namespace {

constexpr double kPiValue = 3.141592653589793; // the double nearest to pi
constexpr double kOneOver180 = 0.005555555555555556;

// The one evaluation stack of the process. Each evaluation empties it but its
// storage stays, so evaluation allocates nothing once it has grown.
std::vector<double> g_evaluationStack;

} // namespace

std::vector<double>& EvaluationStack()
{
    return g_evaluationStack;
}

double Function::Fail(const char* message)
{
    EvaluationError(message);
    return 0;
}

double Function::Evaluate(double x)
{
    if (!m_bCompiled) {
        if (m_errors.empty())
            m_errors.emplace_back(EngineMessage::kNotDefined, -1);
        if (m_bThrowEvalErrors)
            throw FunctionException(m_errors.front().first, m_errors.front().second);
        return 0;
    }
    m_errors.clear();
    if (g_evaluationStack.size() < static_cast<size_t>(m_nMaxDepth))
        g_evaluationStack.resize(m_nMaxDepth);

    // The angle unit converts the argument of the direct and the result of
    // the inverse trigonometric functions only.
    const bool degrees = m_bDegrees;
    auto r = [degrees](double v) { return degrees ? v * kPiValue * kOneOver180 : v; };
    auto d = [degrees](double w) { return degrees ? (180.0 / kPiValue) * w : w; };

    // Each instruction runs the codes it stands for and makes their checks in
    // their order: x is tested where it would be pushed, a divisor before the
    // division, and the results, so the first error is the one the codes
    // would report. The test of a result finds every domain error, whatever
    // produced the NaN or the infinity.
    double* sp = g_evaluationStack.data(); // one past the top value
    for (const Instruction& in : m_fast) {
        const double c = in.value;
        switch (in.op) {
        case Op::kConst: *sp++ = c; break;
        case Op::kX:
            *sp++ = x;
            break;
        case Op::kNegate: sp[-1] = -sp[-1]; break;
        case Op::kAdd: sp[-2] = sp[-2] + sp[-1]; --sp; break;
        case Op::kSub: sp[-2] = sp[-2] - sp[-1]; --sp; break;
        case Op::kMul: sp[-2] = sp[-2] * sp[-1]; --sp; break;
        case Op::kDiv:
            if (sp[-1] == 0)
                return Fail(EngineMessage::kDivisionByZero);
            sp[-2] = sp[-2] / sp[-1];
            --sp;
            break;
        case Op::kPow: sp[-2] = std::pow(sp[-2], sp[-1]); --sp; break;
        case Op::kAddC: sp[-1] = sp[-1] + c; break;
        case Op::kSubC: sp[-1] = sp[-1] - c; break;
        case Op::kMulC: sp[-1] = sp[-1] * c; break;
        case Op::kDivC:
            if (c == 0)
                return Fail(EngineMessage::kDivisionByZero);
            sp[-1] = sp[-1] / c;
            break;
        case Op::kPowC: sp[-1] = std::pow(sp[-1], c); break;
        case Op::kAddX:
        case Op::kSubX:
        case Op::kMulX:
        case Op::kDivX:
        case Op::kPowX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            switch (in.op) {
            case Op::kAddX: sp[-1] = sp[-1] + x; break;
            case Op::kSubX: sp[-1] = sp[-1] - x; break;
            case Op::kMulX: sp[-1] = sp[-1] * x; break;
            case Op::kDivX:
                if (x == 0)
                    return Fail(EngineMessage::kDivisionByZero);
                sp[-1] = sp[-1] / x;
                break;
            default: sp[-1] = std::pow(sp[-1], x); break;
            }
            break;
        case Op::kRoot: sp[-2] = std::pow(sp[-2], 1 / sp[-1]); --sp; break;
        case Op::kLog: sp[-2] = std::log(sp[-2]) / std::log(sp[-1]); --sp; break;
        case Op::kSin: sp[-1] = std::sin(r(sp[-1])); break;
        case Op::kAsin: sp[-1] = d(std::asin(sp[-1])); break;
        case Op::kSinh: sp[-1] = std::sinh(sp[-1]); break;
        case Op::kCos: sp[-1] = std::cos(r(sp[-1])); break;
        case Op::kCosh: sp[-1] = std::cosh(sp[-1]); break;
        case Op::kAcos: sp[-1] = d(std::acos(sp[-1])); break;
        case Op::kTan: sp[-1] = std::tan(r(sp[-1])); break;
        case Op::kTanh: sp[-1] = std::tanh(sp[-1]); break;
        case Op::kAtan: sp[-1] = d(std::atan(sp[-1])); break;
        case Op::kCtg: sp[-1] = 1 / std::tan(r(sp[-1])); break;
        case Op::kCtgh: sp[-1] = 1 / std::tanh(sp[-1]); break;
        case Op::kArcctg: sp[-1] = d(kPiValue * 0.5 - std::atan(sp[-1])); break;
        case Op::kExp: sp[-1] = std::exp(sp[-1]); break;
        case Op::kLog10: sp[-1] = std::log10(sp[-1]); break;
        case Op::kLn: sp[-1] = std::log(sp[-1]); break;
        case Op::kSqr: sp[-1] = sp[-1] * sp[-1]; break;
        case Op::kSqrt: sp[-1] = std::sqrt(sp[-1]); break;
        case Op::kAbs: sp[-1] = std::fabs(sp[-1]); break;
        case Op::kEnd: break;
        }
        if (in.check && !std::isfinite(sp[-1]))
            return Fail(EngineMessage::kDomainError);
    }
    return sp[-1];
}

double Function::EvaluateDerivative(double x, int32_t order)
{
    if (order <= 0)
        return Evaluate(x);
    // Left before right: the first point that fails ends the computation and
    // its error is the one reported.
    const double left = EvaluateDerivative(x - kStep, order - 1);
    if (!m_errors.empty())
        return 0;
    const double right = EvaluateDerivative(x + kStep, order - 1);
    if (!m_errors.empty())
        return 0;
    return (right - left) * kFactor;
}
