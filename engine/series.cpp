#include "engine/function.h"

#include "engine/evaluationstack.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Sampling evaluates one program at many arguments. Here it runs a column at
// a time: each instruction is applied to a block of arguments before the next
// one, so the interpreter's work is shared by the whole block and the
// arithmetic runs in tight loops. Every lane computes exactly the operations
// of Evaluate, in the same order, so its value is the same to the last bit.
//
// Errors are tracked per lane. Evaluate tests every value; a block needs to
// know only whether a lane failed, which allows fewer tests: a NaN or an
// infinity that goes into +, -, * or negation always comes out of it as a NaN
// or an infinity, so those results are left untested, and the test is made
// where such a value could vanish instead: on the operands and the result of
// every other instruction (division, powers, functions) and on the final
// value. Division tests its divisor for zero; x is tested once when the
// program uses it.

namespace {

constexpr std::size_t kLanes = 256;
constexpr double kPiValue = 3.141592653589793;
constexpr double kOneOver180 = 0.005555555555555556;

void MarkNonFinite(const double* v, std::size_t n, uint8_t* bad)
{
    for (std::size_t i = 0; i < n; ++i)
        bad[i] |= !std::isfinite(v[i]);
}

template <typename F>
void Map(double* v, std::size_t n, F f)
{
    for (std::size_t i = 0; i < n; ++i)
        v[i] = f(v[i]);
}

template <typename F>
void Zip(double* a, const double* b, std::size_t n, F f)
{
    for (std::size_t i = 0; i < n; ++i)
        a[i] = f(a[i], b[i]);
}

} // namespace

void Function::RunBlock(const double* xs, std::size_t n, double* values, uint8_t* failed) const
{
    std::vector<double>& stack = EvaluationStack();
    const std::size_t needed = static_cast<std::size_t>(std::max(m_nMaxDepth, 1)) * kLanes;
    if (stack.size() < needed)
        stack.resize(needed);
    double* const base = stack.data();

    uint8_t bad[kLanes] = {};
    if (m_bUsesX)
        MarkNonFinite(xs, n, bad);
    const bool degrees = m_bDegrees;
    auto r = [degrees](double v) { return degrees ? v * kPiValue * kOneOver180 : v; };
    auto d = [degrees](double w) { return degrees ? (180.0 / kPiValue) * w : w; };

    double* top = base; // the top column, once something is pushed
    std::size_t depth = 0;
    auto push = [&] { top = base + kLanes * depth++; };
    auto pop = [&] { top = base + kLanes * (--depth - 1); };
    // Instructions other than +, -, * and negation: operands and result tested.
    auto unary = [&](auto f) {
        MarkNonFinite(top, n, bad);
        Map(top, n, f);
        MarkNonFinite(top, n, bad);
    };
    auto binary = [&](auto f) {
        double* below = top - kLanes;
        MarkNonFinite(below, n, bad);
        MarkNonFinite(top, n, bad);
        Zip(below, top, n, f);
        pop();
        MarkNonFinite(top, n, bad);
    };
    auto withX = [&](auto f) {
        MarkNonFinite(top, n, bad);
        Zip(top, xs, n, f);
        MarkNonFinite(top, n, bad);
    };

    for (const Instruction& in : m_fast) {
        const double c = in.value;
        switch (in.op) {
        case Op::kConst:
            push();
            std::fill(top, top + n, c);
            MarkNonFinite(top, n, bad); // a literal too large for a double
            break;
        case Op::kX:
            push();
            std::memcpy(top, xs, n * sizeof(double));
            break;
        case Op::kNegate: Map(top, n, [](double v) { return -v; }); break;
        case Op::kAdd: Zip(top - kLanes, top, n, [](double a, double b) { return a + b; }); pop(); break;
        case Op::kSub: Zip(top - kLanes, top, n, [](double a, double b) { return a - b; }); pop(); break;
        case Op::kMul: Zip(top - kLanes, top, n, [](double a, double b) { return a * b; }); pop(); break;
        case Op::kAddC: Map(top, n, [c](double v) { return v + c; }); break;
        case Op::kSubC: Map(top, n, [c](double v) { return v - c; }); break;
        case Op::kMulC: Map(top, n, [c](double v) { return v * c; }); break;
        case Op::kAddX: Zip(top, xs, n, [](double a, double b) { return a + b; }); break;
        case Op::kSubX: Zip(top, xs, n, [](double a, double b) { return a - b; }); break;
        case Op::kMulX: Zip(top, xs, n, [](double a, double b) { return a * b; }); break;
        case Op::kDiv:
            for (std::size_t i = 0; i < n; ++i)
                bad[i] |= top[i] == 0;
            binary([](double a, double b) { return a / b; });
            break;
        case Op::kPow: binary([](double a, double b) { return std::pow(a, b); }); break;
        case Op::kRoot: binary([](double a, double b) { return std::pow(a, 1 / b); }); break;
        case Op::kLog: binary([](double a, double b) { return std::log(a) / std::log(b); }); break;
        case Op::kDivC:
            if (c == 0)
                std::fill(bad, bad + n, 1);
            unary([c](double v) { return v / c; });
            break;
        case Op::kPowC: unary([c](double v) { return std::pow(v, c); }); break;
        case Op::kDivX:
            for (std::size_t i = 0; i < n; ++i)
                bad[i] |= xs[i] == 0;
            withX([](double a, double b) { return a / b; });
            break;
        case Op::kPowX: withX([](double a, double b) { return std::pow(a, b); }); break;
        case Op::kSin: unary([&](double v) { return std::sin(r(v)); }); break;
        case Op::kAsin: unary([&](double v) { return d(std::asin(v)); }); break;
        case Op::kSinh: unary([](double v) { return std::sinh(v); }); break;
        case Op::kCos: unary([&](double v) { return std::cos(r(v)); }); break;
        case Op::kCosh: unary([](double v) { return std::cosh(v); }); break;
        case Op::kAcos: unary([&](double v) { return d(std::acos(v)); }); break;
        case Op::kTan: unary([&](double v) { return std::tan(r(v)); }); break;
        case Op::kTanh: unary([](double v) { return std::tanh(v); }); break;
        case Op::kAtan: unary([&](double v) { return d(std::atan(v)); }); break;
        case Op::kCtg: unary([&](double v) { return 1 / std::tan(r(v)); }); break;
        case Op::kCtgh: unary([](double v) { return 1 / std::tanh(v); }); break;
        case Op::kArcctg: unary([&](double v) { return d(kPiValue * 0.5 - std::atan(v)); }); break;
        case Op::kExp: unary([](double v) { return std::exp(v); }); break;
        case Op::kLog10: unary([](double v) { return std::log10(v); }); break;
        case Op::kLn: unary([](double v) { return std::log(v); }); break;
        case Op::kSqr: unary([](double v) { return v * v; }); break;
        case Op::kSqrt: unary([](double v) { return std::sqrt(v); }); break;
        case Op::kAbs: unary([](double v) { return std::fabs(v); }); break;
        case Op::kEnd: MarkNonFinite(top, n, bad); break;
        }
    }

    for (std::size_t i = 0; i < n; ++i) {
        failed[i] = bad[i];
        values[i] = bad[i] ? 0 : base[i];
    }
}

void Function::SeriesOfOrder(const double* xs, std::size_t count, int32_t order, double* values,
                             uint8_t* failed)
{
    if (order <= 0) {
        for (std::size_t start = 0; start < count; start += kLanes) {
            const std::size_t n = std::min(kLanes, count - start);
            RunBlock(xs + start, n, values + start, failed + start);
        }
        return;
    }
    // The two neighbours at each level, computed in double as the recursion
    // of EvaluateDerivative computes them; an argument fails when either does.
    std::vector<double> shifted(count);
    std::vector<double> left(count);
    std::vector<uint8_t> leftFailed(count);
    for (std::size_t i = 0; i < count; ++i)
        shifted[i] = xs[i] - kStep;
    SeriesOfOrder(shifted.data(), count, order - 1, left.data(), leftFailed.data());
    for (std::size_t i = 0; i < count; ++i)
        shifted[i] = xs[i] + kStep;
    SeriesOfOrder(shifted.data(), count, order - 1, values, failed);
    for (std::size_t i = 0; i < count; ++i) {
        failed[i] |= leftFailed[i];
        values[i] = failed[i] ? 0 : (values[i] - left[i]) * kFactor;
    }
}

void Function::EvaluateSeries(const double* xs, std::size_t count, int32_t order, double* values,
                              uint8_t* failed)
{
    if (!m_bCompiled) {
        std::fill(values, values + count, 0.0);
        std::fill(failed, failed + count, 1);
        return;
    }
    m_errors.clear();
    SeriesOfOrder(xs, count, order, values, failed);
}
