#include "engine/function.h"

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

double Function::Fail(const char* message, size_t instruction)
{
    m_pInstruction = instruction;
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
    m_pNextConstant = 0;
    if (g_evaluationStack.size() < static_cast<size_t>(m_nMaxDepth))
        g_evaluationStack.resize(m_nMaxDepth);

    // The angle unit converts the argument of the direct and the result of
    // the inverse trigonometric functions only.
    const bool degrees = m_bDegrees;
    auto r = [degrees](double v) { return degrees ? v * kPiValue * kOneOver180 : v; };
    auto d = [degrees](double w) { return degrees ? (180.0 / kPiValue) * w : w; };

    double* const base = g_evaluationStack.data();
    double* sp = base; // one past the top value
    const double* constant = m_constants.data();
    const int32_t* program = m_program.data();
    const size_t count = m_program.size();

    for (size_t i = 0; i < count; ++i) {
        switch (program[i]) {
        case kNegate: sp[-1] = -sp[-1]; break;
        case kPlus: sp[-2] = sp[-2] + sp[-1]; --sp; break;
        case kMinus: sp[-2] = sp[-2] - sp[-1]; --sp; break;
        case kMultiply: sp[-2] = sp[-2] * sp[-1]; --sp; break;
        case kDivide:
            if (sp[-1] == 0) {
                m_pNextConstant = static_cast<size_t>(constant - m_constants.data());
                return Fail(EngineMessage::kDivisionByZero, i);
            }
            sp[-2] = sp[-2] / sp[-1];
            --sp;
            break;
        case kPower:
        case kPow: sp[-2] = std::pow(sp[-2], sp[-1]); --sp; break;
        case kPi: *sp++ = kPiValue; break;
        case kX: *sp++ = x; break;
        case kNumber: *sp++ = *constant++; break;
        case kEnd: break;
        case kSin: sp[-1] = std::sin(r(sp[-1])); break;
        case kAsin: sp[-1] = d(std::asin(sp[-1])); break;
        case kSinh: sp[-1] = std::sinh(sp[-1]); break;
        case kCos: sp[-1] = std::cos(r(sp[-1])); break;
        case kCosh: sp[-1] = std::cosh(sp[-1]); break;
        case kAcos: sp[-1] = d(std::acos(sp[-1])); break;
        case kTan: sp[-1] = std::tan(r(sp[-1])); break;
        case kTanh: sp[-1] = std::tanh(sp[-1]); break;
        case kAtan: sp[-1] = d(std::atan(sp[-1])); break;
        case kCtg: sp[-1] = 1 / std::tan(r(sp[-1])); break;
        case kCtgh: sp[-1] = 1 / std::tanh(sp[-1]); break;
        case kArcctg: sp[-1] = d(kPiValue * 0.5 - std::atan(sp[-1])); break;
        case kRoot: sp[-2] = std::pow(sp[-2], 1 / sp[-1]); --sp; break;
        case kExp: sp[-1] = std::exp(sp[-1]); break;
        case kLog: sp[-2] = std::log(sp[-2]) / std::log(sp[-1]); --sp; break;
        case kLog10: sp[-1] = std::log10(sp[-1]); break;
        case kLn: sp[-1] = std::log(sp[-1]); break;
        case kSqr: sp[-1] = sp[-1] * sp[-1]; break;
        case kSqrt: sp[-1] = std::sqrt(sp[-1]); break;
        case kAbs: sp[-1] = std::fabs(sp[-1]); break;
        }
        // One check after every code finds every domain error, whatever
        // produced the NaN or the infinity.
        if (!std::isfinite(sp[-1])) {
            m_pNextConstant = static_cast<size_t>(constant - m_constants.data());
            return Fail(EngineMessage::kDomainError, i);
        }
    }
    m_pInstruction = count;
    m_pNextConstant = static_cast<size_t>(constant - m_constants.data());
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
