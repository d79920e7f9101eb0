#include "engine/function.h"

#include "engine/angleunit.h"
#include "engine/elementary.h"
#include "engine/evaluationstack.h"
#include "engine/functionexception.h"
#include "engine/messages.h"
#include "engine/wholepower.h"

#include <algorithm>
#include <cmath>

namespace {

// The evaluation stack of the thread. Each evaluation empties it but its
// storage stays, so evaluation allocates nothing once it has grown.
thread_local std::vector<double> g_evaluationStack;

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
    if (g_evaluationStack.size() < static_cast<size_t>(m_nMaxDepth) + 1)
        g_evaluationStack.resize(static_cast<size_t>(m_nMaxDepth) + 1);

    // The angle unit converts the argument of the direct and the result of
    // the inverse trigonometric functions only.
    const bool degrees = m_bDegrees;
    auto r = [degrees](double v) { return AngleArgument(v, degrees); };
    auto d = [degrees](double w) { return AngleResult(w, degrees); };

    // Each instruction runs the codes it stands for and makes their checks in
    // their order: x is tested where it would be pushed, a divisor before the
    // division, and the results, so the first error is the one the codes
    // would report. The test of a result finds every domain error, whatever
    // produced the NaN or the infinity.
    //
    // The top of the stack is kept in `top`; the values below it are in the
    // shared stack, `sp` one past the highest of them. The first push puts the
    // initial 0 there, so the stack holds one value more than the depth.
    //
    // A piece runs only the branch its condition chose: kThen jumps to the
    // second branch where the condition fails, and the end of the first
    // branch jumps past the piece.
    double top = 0;
    double* sp = g_evaluationStack.data();
    const Instruction* program = m_fast.data();
    const std::size_t length = m_fast.size();
    using Elementary::Relation;
    auto compare = [&](const Instruction& in, Relation relation) {
        const double result = Elementary::Compare(relation, sp[-1], top);
        // In a chain the right operand stays for the next comparison.
        if (in.chained) {
            sp[-1] = result;
        } else {
            --sp;
            top = result;
        }
    };
    for (std::size_t pc = 0; pc < length; ++pc) {
        const Instruction& in = program[pc];
        const double c = in.value;
        switch (in.op) {
        case Op::kConst: *sp++ = top; top = c; break;
        case Op::kX: *sp++ = top; top = x; break;
        case Op::kNegate: top = -top; break;
        case Op::kAdd: top = *--sp + top; break;
        case Op::kSub: top = *--sp - top; break;
        case Op::kMul: top = *--sp * top; break;
        case Op::kDiv:
            if (top == 0)
                return Fail(EngineMessage::kDivisionByZero);
            top = *--sp / top;
            break;
        case Op::kPow: top = WholePower::Pow(*--sp, top); break;
        case Op::kAddC: top = top + c; break;
        case Op::kSubC: top = top - c; break;
        case Op::kMulC: top = top * c; break;
        case Op::kDivC:
            if (c == 0)
                return Fail(EngineMessage::kDivisionByZero);
            top = top / c;
            break;
        case Op::kPowC: top = WholePower::Pow(top, c); break;
        // x is tested where the codes would push it.
        case Op::kAddX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            top = top + x;
            break;
        case Op::kSubX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            top = top - x;
            break;
        case Op::kMulX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            top = top * x;
            break;
        case Op::kDivX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            if (x == 0)
                return Fail(EngineMessage::kDivisionByZero);
            top = top / x;
            break;
        case Op::kPowX:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            top = WholePower::Pow(top, x);
            break;
        // A push of a constant and x combined: x is tested where the codes
        // would push it, the divisor (the second operand) before dividing.
        case Op::kCAddX:
        case Op::kCSubX:
        case Op::kCMulX:
        case Op::kCDivX:
        case Op::kCPowX:
        case Op::kXAddC:
        case Op::kXSubC:
        case Op::kXMulC:
        case Op::kXDivC:
        case Op::kXPowC: {
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            const bool constantFirst = in.op <= Op::kCPowX;
            const int32_t op = in.op - (constantFirst ? Op::kCAddX : Op::kXAddC) + Op::kAdd;
            const double a = constantFirst ? c : x;
            const double b = constantFirst ? x : c;
            if (op == Op::kDiv && b == 0)
                return Fail(EngineMessage::kDivisionByZero);
            *sp++ = top;
            top = Arithmetic(op, a, b);
            break;
        }
        case Op::kCMulXAddC:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            *sp++ = top;
            top = c * x + in.addend;
            break;
        case Op::kMulXAddC:
            if (!std::isfinite(x))
                return Fail(EngineMessage::kDomainError);
            top = top * x + c;
            break;
        case Op::kRoot: top = Elementary::Root(*--sp, top); break;
        case Op::kLog: top = Elementary::Log(*--sp, top); break;
        case Op::kSin: top = std::sin(r(top)); break;
        case Op::kAsin: top = d(std::asin(top)); break;
        case Op::kSinh: top = std::sinh(top); break;
        case Op::kCos: top = std::cos(r(top)); break;
        case Op::kCosh: top = std::cosh(top); break;
        case Op::kAcos: top = d(std::acos(top)); break;
        case Op::kTan: top = std::tan(r(top)); break;
        case Op::kTanh: top = std::tanh(top); break;
        case Op::kAtan: top = d(std::atan(top)); break;
        case Op::kCtg: top = 1 / std::tan(r(top)); break;
        case Op::kCtgh: top = 1 / std::tanh(top); break;
        case Op::kArcctg: top = d(kPiValue * 0.5 - std::atan(top)); break;
        case Op::kExp: top = std::exp(top); break;
        case Op::kLog10: top = std::log10(top); break;
        case Op::kLn: top = std::log(top); break;
        case Op::kSqr: top = top * top; break;
        case Op::kSqrt: top = std::sqrt(top); break;
        case Op::kAbs: top = std::fabs(top); break;
        case Op::kSgn: top = Elementary::Sign(top); break;
        case Op::kFloor: top = Elementary::Floor(top); break;
        case Op::kCeil: top = Elementary::Ceil(top); break;
        case Op::kRound: top = Elementary::Round(top); break;
        case Op::kFrac: top = Elementary::Frac(top); break;
        case Op::kMin: top = Elementary::Min(*--sp, top); break;
        case Op::kMax: top = Elementary::Max(*--sp, top); break;
        case Op::kMod: top = Elementary::Mod(*--sp, top); break;
        case Op::kLess: compare(in, Relation::kLess); break;
        case Op::kLessEqual: compare(in, Relation::kLessEqual); break;
        case Op::kGreater: compare(in, Relation::kGreater); break;
        case Op::kGreaterEqual: compare(in, Relation::kGreaterEqual); break;
        case Op::kEqual: compare(in, Relation::kEqual); break;
        case Op::kNotEqual: compare(in, Relation::kNotEqual); break;
        case Op::kAnd: top = *--sp != 0 && top != 0 ? 1.0 : 0.0; break;
        case Op::kOr: top = *--sp != 0 || top != 0 ? 1.0 : 0.0; break;
        case Op::kNot: top = top == 0 ? 1.0 : 0.0; break;
        case Op::kThen: {
            const bool holds = top != 0;
            top = *--sp;
            if (!holds) {
                // A piece of one branch has no value where its condition
                // fails: the function is defined on a part of the axis.
                if (program[in.target].op == Op::kRestrict)
                    return Fail(EngineMessage::kDomainError);
                pc = static_cast<std::size_t>(in.target);
            }
            break;
        }
        case Op::kElse: pc = static_cast<std::size_t>(in.target); break;
        case Op::kSelect:
        case Op::kRestrict: break; // the branch's value is on top
        default: __builtin_unreachable();
        }
        if (in.check && !std::isfinite(top))
            return Fail(EngineMessage::kDomainError);
    }
    return top;
}
