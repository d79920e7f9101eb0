#include "engine/function.h"

#include "engine/angleunit.h"
#include "engine/evaluationstack.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

// Sampling evaluates one program at many arguments. Here it runs a column at
// a time: each instruction is applied to a block of arguments before the next
// one, so the interpreter's work is shared by the whole block and the
// arithmetic runs in tight loops the compiler can vectorise. Every lane
// computes exactly the operations of Evaluate, in the same order, so its value
// is the same to the last bit.
//
// Errors are tracked per lane, as a mask of all ones. Evaluate tests every
// value; a block needs to know only whether a lane failed, which allows fewer
// tests: a NaN or an infinity that goes into +, - , * or negation always comes
// out of it as a NaN or an infinity, so those results are left untested, and
// the test is made where such a value could vanish instead: on the operands
// and the result of every other instruction (division, powers, functions) and
// on the final value. Division tests its divisor for zero; x is tested where
// the program uses it.
//
// A pushed x is not copied: its level reads the arguments until an
// instruction writes the level's own column.

namespace {

constexpr std::size_t kLanes = 256;
constexpr std::size_t kDerivativePiece = 2048;

using Mask = uint64_t;

// All ones for NaN and the infinities: their exponent bits are all set, and
// adding one to such an exponent carries into the top bit. Integer arithmetic
// only, so the compiler vectorises it.
inline Mask NonFinite(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const uint64_t carry = ((bits & 0x7FF0000000000000u) + 0x0010000000000000u) >> 63;
    return Mask{0} - carry;
}

void MarkNonFinite(const double* v, std::size_t n, Mask* bad)
{
    for (std::size_t i = 0; i < n; ++i)
        bad[i] |= NonFinite(v[i]);
}

void MarkZero(const double* v, std::size_t n, Mask* bad)
{
    for (std::size_t i = 0; i < n; ++i)
        bad[i] |= v[i] == 0 ? ~Mask{0} : 0;
}

// Arguments for which the function's result is NaN, whatever the library
// would do on the way there (set errno, take its slow error path). The lane
// fails on NaN anyway, so for them the call is skipped; every other argument
// goes to the library, so the values are the library's own.
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

inline double GuardedLog(double v)
{
    return v < 0 ? kNaN : std::log(v);
}

inline double GuardedLog10(double v)
{
    return v < 0 ? kNaN : std::log10(v);
}

inline double GuardedPow(double a, double b)
{
    // A negative base needs a whole exponent (infinite ones included).
    return a < 0 && std::isfinite(b) && b != std::trunc(b) ? kNaN : std::pow(a, b);
}

inline double GuardedArc(double v, double (*f)(double))
{
    return std::fabs(v) > 1 ? kNaN : f(v);
}

} // namespace

void Function::RunBlock(const double* xs, std::size_t n, double* values, uint8_t* failed) const
{
    std::vector<double>& stack = EvaluationStack();
    const std::size_t levels = static_cast<std::size_t>(std::max(m_nMaxDepth, 1));
    if (stack.size() < levels * kLanes)
        stack.resize(levels * kLanes);
    // Where each level's values are read from: its column, or the arguments
    // for a pushed x. Kept between calls, like the stack, as evaluations
    // never overlap.
    static std::vector<const double*> sources;
    if (sources.size() < levels)
        sources.resize(levels);
    double* const base = stack.data();

    Mask bad[kLanes];
    std::fill(bad, bad + n, Mask{0});
    if (m_bUsesX)
        MarkNonFinite(xs, n, bad);
    const bool degrees = m_bDegrees;
    auto r = [degrees](double v) { return AngleArgument(v, degrees); };
    auto d = [degrees](double w) { return AngleResult(w, degrees); };

    std::size_t depth = 0; // levels in use; the top is depth - 1
    auto column = [base](std::size_t level) { return base + level * kLanes; };
    // The top level becomes f of itself.
    // The loops work on local pointers, which the compiler knows nothing
    // else writes, so it keeps them in registers.
    auto map = [&](auto f) {
        const double* __restrict in = sources[depth - 1];
        double* __restrict out = column(depth - 1);
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = f(in[i]);
        sources[depth - 1] = out;
    };
    // The two top levels become f of them, on the lower one.
    auto zip = [&](auto f) {
        const double* a = sources[depth - 2];
        const double* b = sources[depth - 1];
        double* out = column(depth - 2);
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = f(a[i], b[i]);
        sources[depth - 2] = out;
        --depth;
    };
    // The top level becomes f of itself and x.
    auto zipX = [&](auto f) {
        const double* a = sources[depth - 1];
        const double* __restrict x = xs;
        double* out = column(depth - 1);
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = f(a[i], x[i]);
        sources[depth - 1] = out;
    };
    auto testTop = [&] { MarkNonFinite(sources[depth - 1], n, bad); };
    // A new level made from x alone (x itself is tested up front).
    auto pushWithX = [&](auto f) {
        const double* __restrict x = xs;
        double* __restrict out = column(depth);
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i)
            out[i] = f(x[i]);
        sources[depth++] = out;
    };
    // Instructions other than +, -, * and negation: operands and result
    // tested, in the same pass as the operation.
    auto unary = [&](auto f) {
        const double* __restrict in = sources[depth - 1];
        double* __restrict out = column(depth - 1);
        Mask* __restrict lanes = bad;
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i) {
            const double v = in[i];
            const double result = f(v);
            lanes[i] |= NonFinite(v) | NonFinite(result);
            out[i] = result;
        }
        sources[depth - 1] = out;
    };
    auto binary = [&](auto f) {
        const double* a = sources[depth - 2];
        const double* b = sources[depth - 1];
        double* out = column(depth - 2);
        Mask* __restrict lanes = bad;
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i) {
            const double u = a[i];
            const double v = b[i];
            const double result = f(u, v);
            lanes[i] |= NonFinite(u) | NonFinite(v) | NonFinite(result);
            out[i] = result;
        }
        sources[depth - 2] = out;
        --depth;
    };
    auto withX = [&](auto f) {
        const double* a = sources[depth - 1];
        const double* __restrict x = xs;
        double* out = column(depth - 1);
        Mask* __restrict lanes = bad;
        const std::size_t count = n;
        for (std::size_t i = 0; i < count; ++i) {
            const double u = a[i];
            const double result = f(u, x[i]);
            lanes[i] |= NonFinite(u) | NonFinite(result);
            out[i] = result;
        }
        sources[depth - 1] = out;
    };

    for (const Instruction& in : m_fast) {
        const double c = in.value;
        switch (in.op) {
        case Op::kConst: {
            double* out = column(depth);
            std::fill(out, out + n, c);
            sources[depth++] = out;
            if (!std::isfinite(c)) // a literal too large for a double
                std::fill(bad, bad + n, ~Mask{0});
            break;
        }
        case Op::kX: sources[depth++] = xs; break;
        case Op::kNegate: map([](double v) { return -v; }); break;
        case Op::kAdd: zip([](double a, double b) { return a + b; }); break;
        case Op::kSub: zip([](double a, double b) { return a - b; }); break;
        case Op::kMul: zip([](double a, double b) { return a * b; }); break;
        case Op::kAddC: map([c](double v) { return v + c; }); break;
        case Op::kSubC: map([c](double v) { return v - c; }); break;
        case Op::kMulC: map([c](double v) { return v * c; }); break;
        case Op::kAddX: zipX([](double a, double b) { return a + b; }); break;
        case Op::kSubX: zipX([](double a, double b) { return a - b; }); break;
        case Op::kMulX: zipX([](double a, double b) { return a * b; }); break;
        case Op::kDiv:
            MarkZero(sources[depth - 1], n, bad);
            binary([](double a, double b) { return a / b; });
            break;
        case Op::kPow: binary([](double a, double b) { return GuardedPow(a, b); }); break;
        case Op::kCAddX: pushWithX([c](double x) { return c + x; }); break;
        case Op::kCSubX: pushWithX([c](double x) { return c - x; }); break;
        case Op::kCMulX: pushWithX([c](double x) { return c * x; }); break;
        case Op::kCDivX:
            MarkZero(xs, n, bad);
            pushWithX([c](double x) { return c / x; });
            testTop();
            break;
        case Op::kCPowX:
            pushWithX([c](double x) { return GuardedPow(c, x); });
            testTop();
            break;
        case Op::kXAddC: pushWithX([c](double x) { return x + c; }); break;
        case Op::kXSubC: pushWithX([c](double x) { return x - c; }); break;
        case Op::kXMulC: pushWithX([c](double x) { return x * c; }); break;
        case Op::kXDivC:
            if (c == 0)
                std::fill(bad, bad + n, ~Mask{0});
            pushWithX([c](double x) { return x / c; });
            testTop();
            break;
        case Op::kXPowC:
            pushWithX([c](double x) { return GuardedPow(x, c); });
            testTop();
            break;
        case Op::kMulXAddC: zipX([c](double a, double b) { return a * b + c; }); break;
        case Op::kRoot: binary([](double a, double b) { return GuardedPow(a, 1 / b); }); break;
        case Op::kLog: binary([](double a, double b) { return GuardedLog(a) / GuardedLog(b); }); break;
        case Op::kDivC:
            if (c == 0)
                std::fill(bad, bad + n, ~Mask{0});
            unary([c](double v) { return v / c; });
            break;
        case Op::kPowC: unary([c](double v) { return GuardedPow(v, c); }); break;
        case Op::kDivX:
            MarkZero(xs, n, bad);
            withX([](double a, double b) { return a / b; });
            break;
        case Op::kPowX: withX([](double a, double b) { return GuardedPow(a, b); }); break;
        case Op::kSin: unary([&](double v) { return std::sin(r(v)); }); break;
        case Op::kAsin: unary([&](double v) { return d(GuardedArc(v, std::asin)); }); break;
        case Op::kSinh: unary([](double v) { return std::sinh(v); }); break;
        case Op::kCos: unary([&](double v) { return std::cos(r(v)); }); break;
        case Op::kCosh: unary([](double v) { return std::cosh(v); }); break;
        case Op::kAcos: unary([&](double v) { return d(GuardedArc(v, std::acos)); }); break;
        case Op::kTan: unary([&](double v) { return std::tan(r(v)); }); break;
        case Op::kTanh: unary([](double v) { return std::tanh(v); }); break;
        case Op::kAtan: unary([&](double v) { return d(std::atan(v)); }); break;
        case Op::kCtg: unary([&](double v) { return 1 / std::tan(r(v)); }); break;
        case Op::kCtgh: unary([](double v) { return 1 / std::tanh(v); }); break;
        case Op::kArcctg: unary([&](double v) { return d(kPiValue * 0.5 - std::atan(v)); }); break;
        case Op::kExp: unary([](double v) { return std::exp(v); }); break;
        case Op::kLog10: unary([](double v) { return GuardedLog10(v); }); break;
        case Op::kLn: unary([](double v) { return GuardedLog(v); }); break;
        case Op::kSqr: unary([](double v) { return v * v; }); break;
        case Op::kSqrt: unary([](double v) { return std::sqrt(v); }); break;
        case Op::kAbs: unary([](double v) { return std::fabs(v); }); break;
        }
    }

    // The final test and the results in one pass.
    const double* result = sources[0];
    for (std::size_t i = 0; i < n; ++i) {
        const Mask lane = bad[i] | NonFinite(result[i]);
        uint64_t bits;
        std::memcpy(&bits, &result[i], sizeof bits);
        bits &= ~lane;
        std::memcpy(&values[i], &bits, sizeof bits);
        failed[i] = static_cast<uint8_t>(lane & 1);
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
    if (order == 2) {
        SecondDerivativeSeries(xs, count, values, failed);
        return;
    }
    // The two neighbours at each level, computed in double as the recursion
    // of EvaluateDerivative computes them; an argument fails when either does.
    // A piece at a time, so the scratch stays small and in the cache.
    const std::size_t piece = std::min(count, kDerivativePiece);
    std::vector<double> shifted(piece);
    std::vector<double> left(piece);
    std::vector<uint8_t> leftFailed(piece);
    for (std::size_t start = 0; start < count; start += piece) {
        const std::size_t n = std::min(piece, count - start);
        for (std::size_t i = 0; i < n; ++i)
            shifted[i] = xs[start + i] - kStep;
        SeriesOfOrder(shifted.data(), n, order - 1, left.data(), leftFailed.data());
        for (std::size_t i = 0; i < n; ++i)
            shifted[i] = xs[start + i] + kStep;
        double* right = values + start;
        uint8_t* rightFailed = failed + start;
        SeriesOfOrder(shifted.data(), n, order - 1, right, rightFailed);
        for (std::size_t i = 0; i < n; ++i) {
            rightFailed[i] |= leftFailed[i];
            right[i] = rightFailed[i] ? 0 : (right[i] - left[i]) * kFactor;
        }
    }
}

// The second derivative evaluates the function at (x-h)-h, (x-h)+h, (x+h)-h
// and (x+h)+h. The two middle arguments are almost always the same double,
// and the same argument gives the same value, so the third evaluation is made
// only where they differ. The differences are combined as EvaluateDerivative
// combines them, and an argument fails when any of its four points does.
void Function::SecondDerivativeSeries(const double* xs, std::size_t count, double* values,
                                      uint8_t* failed)
{
    const std::size_t piece = std::min(count, kDerivativePiece);
    std::vector<double> points[4];
    std::vector<double> f[4];
    std::vector<uint8_t> bad[4];
    for (int k = 0; k < 4; ++k) {
        points[k].resize(piece);
        f[k].resize(piece);
        bad[k].resize(piece);
    }
    std::vector<double> differing;
    std::vector<std::size_t> where;
    for (std::size_t start = 0; start < count; start += piece) {
        const std::size_t n = std::min(piece, count - start);
        for (std::size_t i = 0; i < n; ++i) {
            const double left = xs[start + i] - kStep;
            const double right = xs[start + i] + kStep;
            points[0][i] = left - kStep;
            points[1][i] = left + kStep;
            points[2][i] = right - kStep;
            points[3][i] = right + kStep;
        }
        for (int k : {0, 1, 3})
            SeriesOfOrder(points[k].data(), n, 0, f[k].data(), bad[k].data());

        differing.clear();
        where.clear();
        for (std::size_t i = 0; i < n; ++i) {
            if (std::memcmp(&points[2][i], &points[1][i], sizeof(double)) == 0) {
                f[2][i] = f[1][i];
                bad[2][i] = bad[1][i];
            } else {
                differing.push_back(points[2][i]);
                where.push_back(i);
            }
        }
        if (!differing.empty()) {
            std::vector<double> value(differing.size());
            std::vector<uint8_t> fail(differing.size());
            SeriesOfOrder(differing.data(), differing.size(), 0, value.data(), fail.data());
            for (std::size_t j = 0; j < where.size(); ++j) {
                f[2][where[j]] = value[j];
                bad[2][where[j]] = fail[j];
            }
        }

        for (std::size_t i = 0; i < n; ++i) {
            const bool fails = bad[0][i] | bad[1][i] | bad[2][i] | bad[3][i];
            const double left = (f[1][i] - f[0][i]) * kFactor;
            const double right = (f[3][i] - f[2][i]) * kFactor;
            failed[start + i] = fails;
            values[start + i] = fails ? 0 : (right - left) * kFactor;
        }
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
