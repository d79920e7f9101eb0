#include "engine/instruction.h"

#include "engine/angleunit.h"
#include "engine/function.h"

#include <cmath>

namespace {

int32_t FunctionOp(int32_t code)
{
    switch (code) {
    case Function::kSin: return Op::kSin;
    case Function::kAsin: return Op::kAsin;
    case Function::kSinh: return Op::kSinh;
    case Function::kCos: return Op::kCos;
    case Function::kCosh: return Op::kCosh;
    case Function::kAcos: return Op::kAcos;
    case Function::kTan: return Op::kTan;
    case Function::kTanh: return Op::kTanh;
    case Function::kAtan: return Op::kAtan;
    case Function::kCtg: return Op::kCtg;
    case Function::kCtgh: return Op::kCtgh;
    case Function::kArcctg: return Op::kArcctg;
    case Function::kExp: return Op::kExp;
    case Function::kLog10: return Op::kLog10;
    case Function::kLn: return Op::kLn;
    case Function::kSqr: return Op::kSqr;
    case Function::kSqrt: return Op::kSqrt;
    case Function::kAbs: return Op::kAbs;
    case Function::kSgn: return Op::kSgn;
    case Function::kFloor: return Op::kFloor;
    case Function::kCeil: return Op::kCeil;
    case Function::kRound: return Op::kRound;
    case Function::kFrac: return Op::kFrac;
    case Function::kMin: return Op::kMin;
    case Function::kMax: return Op::kMax;
    case Function::kMod: return Op::kMod;
    case Function::kLess: return Op::kLess;
    case Function::kLessEqual: return Op::kLessEqual;
    case Function::kGreater: return Op::kGreater;
    case Function::kGreaterEqual: return Op::kGreaterEqual;
    case Function::kEqual: return Op::kEqual;
    case Function::kNotEqual: return Op::kNotEqual;
    case Function::kAnd: return Op::kAnd;
    case Function::kOr: return Op::kOr;
    case Function::kNot: return Op::kNot;
    case Function::kRoot: return Op::kRoot;
    case Function::kLog: return Op::kLog;
    default: __builtin_unreachable(); // every other code is handled by the caller
    }
}

bool Propagates(int32_t op)
{
    switch (op) {
    case Op::kNegate:
    case Op::kAdd: case Op::kSub: case Op::kMul:
    case Op::kAddC: case Op::kSubC: case Op::kMulC:
    case Op::kAddX: case Op::kSubX: case Op::kMulX:
    case Op::kMulXAddC:
        return true;
    default:
        return false;
    }
}

// A constant that may sit inside an instruction: pushing it can never fail.
bool Foldable(const Instruction& instruction)
{
    return instruction.op == Op::kConst && std::isfinite(instruction.value);
}

} // namespace

std::vector<Instruction> FuseProgram(const std::vector<int32_t>& program,
                                     const std::vector<double>& constants)
{
    std::vector<Instruction> out;
    out.reserve(program.size());
    std::size_t next = 0;
    // The open pieces: the index of their kThen and of their kElse (or -1).
    std::vector<std::pair<int32_t, int32_t>> pieces;
    bool chain = false;
    auto here = [&out] { return static_cast<int32_t>(out.size()); };
    for (int32_t code : program) {
        switch (code) {
        case Function::kChain:
            chain = true;
            break;
        case Function::kThen:
            pieces.emplace_back(here(), -1);
            out.push_back({Op::kThen, 0});
            break;
        case Function::kElse:
            out[pieces.back().first].target = here();
            pieces.back().second = here();
            out.push_back({Op::kElse, 0});
            break;
        case Function::kIf: {
            const auto [then, otherwise] = pieces.back();
            pieces.pop_back();
            if (otherwise >= 0) {
                out[otherwise].target = here();
                out.push_back({Op::kSelect, 0});
            } else {
                out[then].target = here();
                out.push_back({Op::kRestrict, 0});
            }
            break;
        }
        case Function::kLess:
        case Function::kLessEqual:
        case Function::kGreater:
        case Function::kGreaterEqual:
        case Function::kEqual:
        case Function::kNotEqual:
            out.push_back({FunctionOp(code), 0});
            out.back().chained = chain;
            chain = false;
            break;
        case Function::kNumber:
            out.push_back({Op::kConst, constants[next++]});
            break;
        case Function::kPi:
            out.push_back({Op::kConst, kPiValue});
            break;
        case Function::kE:
            out.push_back({Op::kConst, kEValue});
            break;
        case Function::kX:
            out.push_back({Op::kX, 0});
            break;
        case Function::kNegate:
            if (!out.empty() && Foldable(out.back()))
                out.back().value = -out.back().value;
            else
                out.push_back({Op::kNegate, 0});
            break;
        case Function::kPlus:
        case Function::kMinus:
        case Function::kMultiply:
        case Function::kDivide:
        case Function::kPower:
        case Function::kPow: {
            const int32_t op = code == Function::kPlus       ? Op::kAdd
                               : code == Function::kMinus    ? Op::kSub
                               : code == Function::kMultiply ? Op::kMul
                               : code == Function::kDivide   ? Op::kDiv
                                                             : Op::kPow;
            const std::size_t n = out.size();
            if (n >= 2 && Foldable(out[n - 1]) && Foldable(out[n - 2])) {
                const double a = out[n - 2].value;
                const double b = out[n - 1].value;
                const double result = Arithmetic(op, a, b);
                // Folded only where running it could not fail.
                if (std::isfinite(result) && !(op == Op::kDiv && b == 0)) {
                    out.pop_back();
                    out.back().value = result;
                    break;
                }
            }
            if (n >= 2 && Foldable(out[n - 1]) && out[n - 2].op == Op::kX) {
                const double c = out.back().value; // push x, then op constant
                out.pop_back();
                out.back() = {op - Op::kAdd + Op::kXAddC, c};
            } else if (n >= 1 && Foldable(out[n - 1])) {
                out.back() = {op - Op::kAdd + Op::kAddC, out.back().value};
            } else if (n >= 2 && out[n - 1].op == Op::kX && Foldable(out[n - 2])) {
                const double c = out[n - 2].value; // push constant, then op x
                out.pop_back();
                out.back() = {op - Op::kAdd + Op::kCAddX, c};
            } else if (n >= 1 && out[n - 1].op == Op::kX) {
                out.back() = {op - Op::kAdd + Op::kAddX, 0};
            } else {
                out.push_back({op, 0});
            }
            // Horner: top * x, then + constant; its first step pushes
            // constant * x, then + constant.
            const std::size_t m = out.size();
            if (m >= 2 && out[m - 1].op == Op::kAddC && out[m - 2].op == Op::kMulX) {
                const double c = out[m - 1].value;
                out.pop_back();
                out.back() = {Op::kMulXAddC, c};
            } else if (m >= 2 && out[m - 1].op == Op::kAddC && out[m - 2].op == Op::kCMulX) {
                const double c = out[m - 1].value;
                out.pop_back();
                out.back().op = Op::kCMulXAddC;
                out.back().addend = c;
            }
            break;
        }
        case Function::kEnd:
            break;
        default:
            out.push_back({FunctionOp(code), 0});
            break;
        }
    }
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        out[i].check = !Propagates(out[i + 1].op);
    // The last value is the result and is always tested.

    // Which branches read x, from the count of readers before each index.
    std::vector<int32_t> readers(out.size() + 1, 0);
    for (std::size_t i = 0; i < out.size(); ++i)
        readers[i + 1] = readers[i] + (ReadsX(out[i].op) ? 1 : 0);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i].op == Op::kThen || out[i].op == Op::kElse)
            out[i].value = readers[out[i].target] > readers[i + 1] ? 1 : 0;
    }
    return out;
}
