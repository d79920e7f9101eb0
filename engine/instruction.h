#pragma once

#include "engine/wholepower.h"

#include <cmath>
#include <cstdint>
#include <vector>

// The form in which a compiled program runs. The postfix codes and the
// constant pool stay the formula's compiled form; this form is made from them
// once per compile so that evaluation does fewer, larger steps:
//  - a number or pi becomes a constant inside the instruction;
//  - an operator whose right operand is a constant or x takes it from the
//    instruction instead of the stack ("top * 2", "top - x");
//  - a constant or x pushed and at once combined with x or a constant is one
//    push ("push 2 * x", "push x ^ 2");
//  - "top * x + constant", the step of a polynomial in Horner form, is one,
//    and so is its first step "push constant * x + constant";
//  - arithmetic on constants alone is done at once when its result is finite;
//  - a piece (jeżeli) jumps: the condition's instruction knows where the
//    other branch starts and the first branch's end where the piece ends,
//    so evaluating a point runs only the branch the condition chose.
// Each instruction stands for one or more codes whose checks it still makes in
// the same order, so values and errors are those of running the codes.
namespace Op {
enum : int32_t {
    kConst,  ///< push the instruction's value
    kX,      ///< push x
    kNegate,
    kAdd,    ///< next to top + top
    kSub,
    kMul,
    kDiv,
    kPow,
    kAddC,   ///< top + value
    kSubC,
    kMulC,
    kDivC,
    kPowC,
    kAddX,   ///< top + x
    kSubX,
    kMulX,
    kDivX,
    kPowX,
    kCAddX,  ///< push value + x
    kCSubX,
    kCMulX,
    kCDivX,
    kCPowX,
    kXAddC,  ///< push x + value
    kXSubC,
    kXMulC,
    kXDivC,
    kXPowC,
    kMulXAddC, ///< top * x + value
    kCMulXAddC, ///< push value * x + addend
    kRoot,   ///< next to top raised to 1 / top
    kLog,    ///< ln(next to top) / ln(top)
    kSin,    ///< functions of one argument, in the order of their codes
    kAsin,
    kSinh,
    kCos,
    kCosh,
    kAcos,
    kTan,
    kTanh,
    kAtan,
    kCtg,
    kCtgh,
    kArcctg,
    kExp,
    kLog10,
    kLn,
    kSqr,
    kSqrt,
    kAbs,
    kSgn,
    kFloor,
    kCeil,
    kRound,
    kFrac,
    kMin,    ///< next to top, top
    kMax,
    kMod,
    kLess,   ///< comparisons of next to top and top: 1 or 0; `chained` keeps top
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kAnd,    ///< of two conditions (1 or 0)
    kOr,
    kNot,
    kThen,   ///< takes the condition; `target` is the piece's kElse or kRestrict
    kElse,   ///< the first branch is complete; `target` is the piece's kSelect
    kSelect, ///< condition, value where it holds, value elsewhere: the chosen one
    kRestrict, ///< condition, value where it holds: that value, undefined elsewhere
};
} // namespace Op

struct Instruction
{
    int32_t op;
    double value; ///< the constant of kConst and of the ...C forms
    /// Whether the result is tested at once. Not when the next instruction is
    /// +, -, * or negation taking it as its top operand: a NaN or an infinity
    /// goes through those unchanged in kind, so that instruction's test finds
    /// it with the same message, and no other test comes between.
    bool check = true;
    double addend = 0; ///< the second constant of kCMulXAddC
    /// kThen, kElse: the index of the instruction their jump leads to.
    int32_t target = 0;
    /// A comparison that keeps its right operand on top for the next
    /// comparison of a chain (a < b <= c), its result below it.
    bool chained = false;
};

/// Whether the instruction reads x.
inline bool ReadsX(int32_t op)
{
    switch (op) {
    case Op::kX:
    case Op::kAddX: case Op::kSubX: case Op::kMulX: case Op::kDivX: case Op::kPowX:
    case Op::kCAddX: case Op::kCSubX: case Op::kCMulX: case Op::kCDivX: case Op::kCPowX:
    case Op::kXAddC: case Op::kXSubC: case Op::kXMulC: case Op::kXDivC: case Op::kXPowC:
    case Op::kMulXAddC:
    case Op::kCMulXAddC:
        return true;
    default:
        return false;
    }
}

/// The arithmetic of the operators Op::kAdd ... Op::kPow on two values, as
/// evaluation does it (the divisor is tested for zero by the caller).
inline double Arithmetic(int32_t op, double a, double b)
{
    switch (op) {
    case Op::kAdd: return a + b;
    case Op::kSub: return a - b;
    case Op::kMul: return a * b;
    case Op::kDiv: return a / b;
    default: return WholePower::Pow(a, b);
    }
}

/// Makes the running form of a compiled program (codes ending with the end
/// code, and their constant pool). The end code has no instruction: the
/// value of the last one is the result. The value of kThen and kElse is 1
/// when the branch after them reads x, else 0.
std::vector<Instruction> FuseProgram(const std::vector<int32_t>& program,
                                     const std::vector<double>& constants);
