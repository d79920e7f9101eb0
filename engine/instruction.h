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
//  - arithmetic on constants alone is done at once when its result is finite.
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
};

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
/// value of the last one is the result.
std::vector<Instruction> FuseProgram(const std::vector<int32_t>& program,
                                     const std::vector<double>& constants);
