// The formula engine against hand-written C++ and muparser, formula by formula:
//   native/N         the formula as a C++ lambda over the arguments
//   muparser/N       muparser 2.3.3, optimiser on, value by value
//   muparser-noopt/N muparser with its optimiser off
//   evaluate/N       Function::Evaluate point by point
//   sampling/N       the sampling path of the chart (Function::EvaluateSeries)
//   derivative/N/K   derivatives of order K = 1, 2 by Taylor arithmetic
//   differences/N/K  the same by central differences on the sampling path,
//                    as the engine computed them before (its step rule)
//   enclosure/N      enclosures over the 10000 cells between the arguments
//   piecewise/N      the sampling path on a formula of pieces (jeżeli)
//   pieces/N         the same pieces added up, with no condition
// then the geometric means of the peers' times over ours, and of the pieces'
// times over the piecewise formulas' (1: pieces cost what their sum costs).
#include "bench/benchsupport.h"
#include "bench/muparserformula.h"
#include "bench/nativeformulas.h"

#include "engine/function.h"

#include <muParser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

namespace {

const std::vector<double> g_arguments = BenchmarkArguments();

struct MuParserRun
{
    mu::Parser parser;
    double x = 0;
};

std::string Name(const char* kind, std::size_t index)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s/%zu", kind, index);
    return name;
}

void RegisterFormula(std::size_t index, const std::string& formula, bool& allNative)
{
    const bool native = VisitNativeFormula(formula, [&](auto f) {
        benchmark::RegisterBenchmark(Name("native", index).c_str(), [f](benchmark::State& state) {
            std::vector<double> out(g_arguments.size());
            for (auto _ : state) {
                for (std::size_t i = 0; i < g_arguments.size(); ++i)
                    out[i] = f(g_arguments[i]);
                benchmark::DoNotOptimize(out.data());
                benchmark::ClobberMemory();
            }
        });
    });
    allNative = allNative && native;

    for (bool optimise : {true, false}) {
        auto run = std::make_shared<MuParserRun>();
        run->parser.DefineVar("x", &run->x);
        run->parser.DefineConst("pi", 3.141592653589793);
        run->parser.EnableOptimizer(optimise);
        run->parser.SetExpr(MuParserFormula(formula));
        benchmark::RegisterBenchmark(Name(optimise ? "muparser" : "muparser-noopt", index).c_str(),
                                     [run](benchmark::State& state) {
                                         std::vector<double> out(g_arguments.size());
                                         for (auto _ : state) {
                                             for (std::size_t i = 0; i < g_arguments.size(); ++i) {
                                                 run->x = g_arguments[i];
                                                 out[i] = run->parser.Eval();
                                             }
                                             benchmark::DoNotOptimize(out.data());
                                         }
                                     });
    }

    auto function = std::make_shared<Function>();
    function->m_bThrowSyntaxErrors = false;
    function->SetFormula(formula);

    // The peer must compute what we compute; its optimiser rewrites some
    // constant arithmetic ((2*x+1)*3 as 6*x+3), which the note shows.
    for (bool optimise : {true, false}) {
        mu::Parser check;
        double x = 0;
        check.DefineVar("x", &x);
        check.DefineConst("pi", 3.141592653589793);
        check.EnableOptimizer(optimise);
        check.SetExpr(MuParserFormula(formula));
        std::size_t differing = 0;
        for (double argument : g_arguments) {
            x = argument;
            const double ours = function->Evaluate(argument);
            const double theirs = check.Eval();
            differing += std::memcmp(&ours, &theirs, sizeof ours) != 0;
        }
        if (differing > 0)
            std::printf("note: muparser%s differs from us in %zu of %zu values of formula %zu\n",
                        optimise ? "" : "-noopt", differing, g_arguments.size(), index);
    }

    benchmark::RegisterBenchmark(Name("evaluate", index).c_str(), [function](benchmark::State& state) {
        std::vector<double> out(g_arguments.size());
        for (auto _ : state) {
            for (std::size_t i = 0; i < g_arguments.size(); ++i)
                out[i] = function->Evaluate(g_arguments[i]);
            benchmark::DoNotOptimize(out.data());
        }
    });
    benchmark::RegisterBenchmark(Name("sampling", index).c_str(), [function](benchmark::State& state) {
        std::vector<double> out(g_arguments.size());
        std::vector<uint8_t> failed(g_arguments.size());
        for (auto _ : state) {
            function->EvaluateSeries(g_arguments.data(), g_arguments.size(), 0, out.data(),
                                     failed.data());
            benchmark::DoNotOptimize(out.data());
        }
    });
}

// Derivatives of order 1 or 2 as central differences of sampled values, with
// the step rule the engine had: h = max(0.00001 (times the fourth root of
// |f(x)| above 1 for order 2), |x| 2^-33); for order 2 the value at x chooses
// the step and the middle point (x - h) + h is taken for (x + h) - h.
void Differences(Function& f, const std::vector<double>& xs, int order, std::vector<double>& out)
{
    const std::size_t n = xs.size();
    std::vector<double> steps(n), shifted(n), centre(n), left(n), right(n), middle(n);
    std::vector<uint8_t> failed(n), bad(n);
    if (order == 2)
        f.EvaluateSeries(xs.data(), n, 0, centre.data(), bad.data());
    for (std::size_t i = 0; i < n; ++i) {
        double h0 = 0.00001;
        if (order == 2 && !bad[i])
            h0 *= std::sqrt(std::sqrt(std::max(1.0, std::fabs(centre[i]))));
        steps[i] = std::max(h0, std::fabs(xs[i]) * 0x1p-33);
    }
    const double reach = order == 1 ? 1 : 2;
    for (std::size_t i = 0; i < n; ++i)
        shifted[i] = xs[i] - reach * steps[i];
    f.EvaluateSeries(shifted.data(), n, 0, left.data(), failed.data());
    for (std::size_t i = 0; i < n; ++i)
        shifted[i] = xs[i] + reach * steps[i];
    f.EvaluateSeries(shifted.data(), n, 0, right.data(), failed.data());
    if (order == 2)
        f.EvaluateSeries(xs.data(), n, 0, middle.data(), failed.data());
    out.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double k = 1 / (2 * steps[i]);
        out[i] = order == 1 ? (right[i] - left[i]) * k
                            : ((right[i] - middle[i]) * k - (middle[i] - left[i]) * k) * k;
    }
}

void RegisterDerivatives(std::size_t index, const std::string& formula)
{
    auto function = std::make_shared<Function>();
    function->m_bThrowSyntaxErrors = false;
    function->SetFormula(formula);
    for (int order = 1; order <= 2; ++order) {
        const std::string suffix = "/" + std::to_string(order);
        benchmark::RegisterBenchmark((Name("derivative", index) + suffix).c_str(),
                                     [function, order](benchmark::State& state) {
                                         std::vector<double> out(g_arguments.size());
                                         std::vector<uint8_t> failed(g_arguments.size());
                                         for (auto _ : state) {
                                             function->EvaluateSeries(g_arguments.data(),
                                                                      g_arguments.size(), order,
                                                                      out.data(), failed.data());
                                             benchmark::DoNotOptimize(out.data());
                                         }
                                     });
        benchmark::RegisterBenchmark((Name("differences", index) + suffix).c_str(),
                                     [function, order](benchmark::State& state) {
                                         std::vector<double> out;
                                         for (auto _ : state) {
                                             Differences(*function, g_arguments, order, out);
                                             benchmark::DoNotOptimize(out.data());
                                         }
                                     });
    }
    benchmark::RegisterBenchmark(Name("enclosure", index).c_str(), [function](benchmark::State& state) {
        std::vector<Interval> cells(g_arguments.size() - 1);
        for (std::size_t i = 0; i + 1 < g_arguments.size(); ++i)
            cells[i] = {g_arguments[i], g_arguments[i + 1]};
        std::vector<Interval> out(cells.size());
        std::vector<uint8_t> flags(cells.size());
        for (auto _ : state) {
            function->Enclose(cells.data(), cells.size(), 0, out.data(), flags.data());
            benchmark::DoNotOptimize(out.data());
        }
    });
}

// Formulas of pieces over the arguments (0.5 to 5.5), each with its pieces
// added up as a plain formula: every piece is computed somewhere, so the
// piecewise formula costs its conditions and the choice on top of them.
struct PiecewiseFormula
{
    const char* pieces; ///< code page 1250
    const char* plain;
};

constexpr PiecewiseFormula kPiecewise[] = {
    {"je\xBF" "eli(x < 2, x + 1, x^2)", "(x + 1) + x^2"},
    {"je\xBF" "eli(1 <= x <= 4, x^2)", "x^2"},
    {"je\xBF" "eli(x < 2, sin(x), je\xBF" "eli(x <= 4, x^3 - x, exp(-x)))",
     "sin(x) + (x^3 - x) + exp(-x)"},
    {"je\xBF" "eli(x < 1 lub x > 3, cos(x), sqrt(x))", "cos(x) + sqrt(x)"},
    {"je\xBF" "eli(x < 3, floor(x), 2 - frac(x))", "floor(x) + (2 - frac(x))"},
};

void RegisterSampling(const std::string& name, const char* formula)
{
    auto function = std::make_shared<Function>();
    function->m_bThrowSyntaxErrors = false;
    function->SetFormula(formula);
    benchmark::RegisterBenchmark(name.c_str(), [function](benchmark::State& state) {
        std::vector<double> out(g_arguments.size());
        std::vector<uint8_t> failed(g_arguments.size());
        for (auto _ : state) {
            function->EvaluateSeries(g_arguments.data(), g_arguments.size(), 0, out.data(),
                                     failed.data());
            benchmark::DoNotOptimize(out.data());
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    setenv("OMP_NUM_THREADS", "1", 1); // muparser evaluates on one thread
    const std::vector<std::string> formulas = LoadFormulas(argc, argv);
    bool allNative = true;
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        std::printf("formula %zu: %s\n", i, formulas[i].c_str());
        RegisterFormula(i, formulas[i], allNative);
        RegisterDerivatives(i, formulas[i]);
    }
    constexpr std::size_t kPiecewiseCount = std::size(kPiecewise);
    for (std::size_t i = 0; i < kPiecewiseCount; ++i) {
        RegisterSampling(Name("piecewise", i), kPiecewise[i].pieces);
        RegisterSampling(Name("pieces", i), kPiecewise[i].plain);
    }
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto times = [&](const char* name) {
        std::vector<double> t;
        for (std::size_t i = 0; i < formulas.size(); ++i)
            t.push_back(reporter.m_times[Name(name, i)]);
        return t;
    };
    const std::vector<double> sampling = times("sampling");
    const std::vector<double> evaluate = times("evaluate");
    const std::vector<double> muparser = times("muparser");
    std::printf("speedup sampling vs muparser: %.2f\n", GeometricMeanRatio(muparser, sampling));
    std::printf("speedup sampling vs muparser-noopt: %.2f\n",
                GeometricMeanRatio(times("muparser-noopt"), sampling));
    if (allNative)
        std::printf("speedup sampling vs native: %.2f\n", GeometricMeanRatio(times("native"), sampling));
    else
        std::printf("speedup sampling vs native: n/a (a formula of the set has no native lambda)\n");
    std::printf("speedup evaluate vs muparser: %.2f\n", GeometricMeanRatio(muparser, evaluate));
    std::vector<double> derivatives, differences;
    for (const char* order : {"/1", "/2"}) {
        for (std::size_t i = 0; i < formulas.size(); ++i) {
            derivatives.push_back(reporter.m_times[Name("derivative", i) + order]);
            differences.push_back(reporter.m_times[Name("differences", i) + order]);
        }
    }
    std::printf("derivative sampling vs differences: %.2f\n",
                GeometricMeanRatio(differences, derivatives));
    std::printf("interval evaluation vs plain: %.2f\n",
                GeometricMeanRatio(sampling, times("enclosure")));
    std::vector<double> piecewise, pieces;
    for (std::size_t i = 0; i < kPiecewiseCount; ++i) {
        piecewise.push_back(reporter.m_times[Name("piecewise", i)]);
        pieces.push_back(reporter.m_times[Name("pieces", i)]);
    }
    std::printf("piecewise sampling vs plain: %.2f\n", GeometricMeanRatio(pieces, piecewise));
    return 0;
}
