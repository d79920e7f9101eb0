// The standard chart: the 15 formulas of the set at 10000 steps, a third each
// as the function, its first and its second derivative, automatic y range.
//   commit          CommitEdit of a settings change (a full recalculation)
//   pan             one Pan step (recalculation keeping the ranges)
//   native          the same curves sampled by hand-written C++
//   polylines       the polylines of the ready samples (the clipping alone)
//   draw            Draw into a 1920x1080 image
//   pan+draw        a Pan step and Draw into that image
//   analyze         every zero, extremum and intersection over the x range
//   area/I          the area under function I over the x range (a refusal
//                   counts as an answer)
//   area/sine       the area of sin over 0 ... 1e5: an integrand that
//                   oscillates over sixteen thousand periods
#include "bench/benchsupport.h"
#include "bench/nativeformulas.h"
#include "bench/standardchart.h"

#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "chart/polylines.h"
#include "framework/qtdevicecontext.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <string>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The native peer's derivatives: central differences with the step 0.00001,
// as hand-written code would take them (and as the engine once did).
template <typename F>
double Derivative(F f, double x, int order)
{
    if (order <= 0)
        return f(x);
    const double left = Derivative(f, x - 0.00001, order - 1);
    const double right = Derivative(f, x + 0.00001, order - 1);
    return (right - left) * 49999.99999999999;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "chart_bench";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication app(qtArgc, qtArgv);

    const std::vector<std::string> formulas = LoadFormulas(argc, argv);
    FunctionContainer chart;
    BuildStandardChart(chart, formulas, kWidth, kHeight);

    benchmark::RegisterBenchmark("commit", [&](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            chart.BeginEdit();
            chart.SetComputation(10000, false, true); // a change to commit
            state.ResumeTiming();
            chart.CommitEdit();
        }
    })->Unit(benchmark::kMillisecond);

    int direction = 1;
    benchmark::RegisterBenchmark("pan", [&](benchmark::State& state) {
        for (auto _ : state) {
            chart.Pan(direction, 0);
            direction = -direction;
        }
    })->Unit(benchmark::kMillisecond);

    // The native curves: the same arguments (a running sum), the same orders.
    std::vector<std::function<void(std::vector<double>&)>> natives;
    bool allNative = true;
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        const int order = static_cast<int>(i % 3);
        allNative &= VisitNativeFormula(formulas[i], [&](auto f) {
            natives.push_back([f, order](std::vector<double>& out) {
                const double step = 10.0 / 10000;
                out.clear();
                for (double x = -5; x <= 5 && out.size() < 10002; x = x + step)
                    out.push_back(Derivative(f, x, order));
            });
        });
    }
    benchmark::RegisterBenchmark("native", [&](benchmark::State& state) {
        std::vector<double> out;
        out.reserve(10002);
        for (auto _ : state) {
            for (auto& native : natives) {
                native(out);
                benchmark::DoNotOptimize(out.data());
            }
        }
    })->Unit(benchmark::kMillisecond);

    // The frame of the last recalculation, as it built the curves.
    auto frameOf = [&] {
        const ChartSettings& s = chart.GetSettings();
        const double step = (s.m_xMax - s.m_xMin) / 10000;
        return PlotFrame{s.m_xMin, s.m_yMin, s.m_yMax, chart.GetScaleX(), chart.GetScaleY(), step};
    };
    benchmark::RegisterBenchmark("polylines", [&](benchmark::State& state) {
        const PlotFrame frame = frameOf();
        std::vector<POINT> points;
        std::vector<uint32_t> counts;
        for (auto _ : state) {
            for (const FunctionEntry& f : chart.GetFunctions()) {
                BuildPolylines(f.m_samples, f.m_failed, frame, points, counts);
                benchmark::DoNotOptimize(points.data());
            }
        }
    })->Unit(benchmark::kMicrosecond);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    auto draw = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        chart.Draw(dc, {0, 0, kWidth, kHeight});
    };
    // Drawing alone, for the breakdown of pan+draw.
    benchmark::RegisterBenchmark("draw", [&](benchmark::State& state) {
        for (auto _ : state)
            draw();
    })->Unit(benchmark::kMillisecond);

    benchmark::RegisterBenchmark("pan+draw", [&](benchmark::State& state) {
        for (auto _ : state) {
            chart.Pan(direction, 0);
            direction = -direction;
            draw();
        }
    })->Unit(benchmark::kMillisecond)->Repetitions(15);

    // Over the chart's range as the benchmarks before left it (pan moves it),
    // where the chart's own samples are the grid.
    benchmark::RegisterBenchmark("analyze", [&](benchmark::State& state) {
        const double xMin = chart.GetSettings().m_xMin;
        const double xMax = chart.GetSettings().m_xMax;
        for (auto _ : state) {
            const ChartAnswers answers = CurveAnalysis(chart).Analyze(xMin, xMax);
            benchmark::DoNotOptimize(answers.m_intersections.data());
        }
    })->Unit(benchmark::kMillisecond);
    std::vector<std::string> areaNames;
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        areaNames.push_back("area/" + std::to_string(i));
        benchmark::RegisterBenchmark(areaNames.back().c_str(), [&, i](benchmark::State& state) {
            const double xMin = chart.GetSettings().m_xMin;
            const double xMax = chart.GetSettings().m_xMax;
            for (auto _ : state) {
                try {
                    const AreaAnswer area =
                        CurveAnalysis(chart).Area(static_cast<int32_t>(i), xMin, xMax);
                    benchmark::DoNotOptimize(area.value);
                } catch (const FunctionContainerException&) {
                }
            }
        })->Unit(benchmark::kMicrosecond);
    }

    FunctionContainer sine;
    sine.BeginEdit();
    sine.SetFunction("sin(x)", 0, true, 0);
    sine.CommitEdit();
    benchmark::RegisterBenchmark("area/sine", [&](benchmark::State& state) {
        for (auto _ : state) {
            const AreaAnswer area = CurveAnalysis(sine).Area(0, 0, 1e5);
            benchmark::DoNotOptimize(area.value);
        }
    })->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (allNative)
        std::printf("speedup commit vs native: %.2f\n",
                    reporter.m_times["native"] / reporter.m_times["commit"]);
    else
        std::printf("speedup commit vs native: n/a (a formula of the set has no native lambda)\n");
    std::printf("pan+draw median ms: %.2f\n", reporter.m_times["pan+draw"] / 1e6);
    if (reporter.m_times.count("analyze") != 0) {
        std::printf("analyze vs recalculation: %.2f\n",
                    reporter.m_times["commit"] / reporter.m_times["analyze"]);
    }
    std::vector<double> areas;
    for (const std::string& name : areaNames) {
        if (reporter.m_times.count(name) != 0)
            areas.push_back(reporter.m_times[name]);
    }
    if (!areas.empty()) {
        std::nth_element(areas.begin(), areas.begin() + static_cast<std::ptrdiff_t>(areas.size() / 2),
                         areas.end());
        std::printf("area median us: %.1f\n", areas[areas.size() / 2] / 1e3);
        std::printf("area max ms: %.1f\n", *std::max_element(areas.begin(), areas.end()) / 1e6);
    }
    if (reporter.m_times.count("area/sine") != 0)
        std::printf("area of sin over 0..1e5 ms: %.1f\n", reporter.m_times["area/sine"] / 1e6);
    return 0;
}
