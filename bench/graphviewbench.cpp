#include "bench/graphviewbench.h"

#include "bench/standardchart.h"

#include "chart/chartfile.h"
#include "chart/curve.h"
#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "framework/qtdevicecontext.h"
#include "views/graphview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

class BenchHost : public CGraphViewHost
{
public:
    int GetMouseMode() const override { return m_nMode; }
    bool GetGuides() const override { return m_bGuides; }
    bool GetPointsOfInterest() const override { return m_bPoints; }
    bool GetAntialiasing() const override { return true; }
    void ShowCoordinates(const QString&, const QString&) override {}
    void ShowContextMenu(const QPoint&) override {}
    void SendChartToClients() override {}

    int m_nMode = Cmd::kModePoint;
    bool m_bGuides = false;
    bool m_bPoints = true;
};

void SendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, p, widget->mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void SendWheel(QWidget* widget, QPoint p, int angle)
{
    QWheelEvent event(p, widget->mapToGlobal(p), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// A wheel gesture as a user makes one: eight notches in, then eight out, so
// the ranges stay where they started.
int NotchAt(int step)
{
    return (step / 8) % 2 == 0 ? 120 : -120;
}

// Delivers what the view asked to repaint, as the event loop would.
void Flush()
{
    QApplication::processEvents();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double TimeProcess(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

void RegisterGraphViewBenchmarks(const std::vector<std::string>& formulas)
{
    // Made once and never destroyed: the benchmarks run after this returns,
    // and widgets must not outlive the application object's end either.
    static FunctionContainer& model = *new FunctionContainer;
    BuildStandardChart(model, formulas, kWidth, kHeight);
    static QImage& image = *new QImage(kWidth, kHeight, QImage::Format_RGB32);
    static int direction = 1;
    benchmark::RegisterBenchmark("model pan+draw", [](benchmark::State& state) {
        for (auto _ : state) {
            model.Pan(direction, 0);
            direction = -direction;
            image.fill(Qt::white);
            QPainter painter(&image);
            QtDeviceContext dc(painter);
            model.Draw(dc, {0, 0, kWidth, kHeight});
        }
    })->Unit(benchmark::kMillisecond)->Repetitions(15);

    // The standard chart drawn whole, smoothed and with the exact pixels of
    // the unsmoothed drawing.
    for (const bool antialiased : {true, false}) {
        benchmark::RegisterBenchmark(antialiased ? "repaint anti-aliased" : "repaint aliased",
                                     [antialiased](benchmark::State& state) {
                                         for (auto _ : state) {
                                             image.fill(Qt::white);
                                             QPainter painter(&image);
                                             QtDeviceContext dc(painter, antialiased);
                                             model.Draw(dc, {0, 0, kWidth, kHeight});
                                         }
                                     })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(9);
    }

    // One pan of 100 functions, without and with a value table of its own
    // range of 100000 rows: the table's values are computed when it is
    // shown, not again on a pan, which cannot change them.
    for (const bool ownTable : {false, true}) {
        auto* chart = new FunctionContainer;
        chart->BeginEdit();
        chart->SetComputation(10000, false, true);
        if (ownTable)
            chart->SetTable(false, false, "0", "99999", "1", 0, 0x00FFFFFF);
        for (int i = 0; i < 100; ++i) {
            chart->SetCurrent(-1);
            chart->SetFunction(formulas[static_cast<std::size_t>(i) % formulas.size()], 0, true, 0);
        }
        chart->CommitEdit();
        chart->SetTableVisible(true);
        chart->UpdateTable();
        chart->SetPlotRect({0, 0, kWidth, kHeight});
        const char* name = ownTable ? "pan 100 functions with own table" : "pan 100 functions";
        benchmark::RegisterBenchmark(name, [chart](benchmark::State& state) {
            int step = 1;
            for (auto _ : state) {
                chart->Pan(step, 0);
                step = -step;
            }
        })->Unit(benchmark::kMillisecond)->Repetitions(5);
    }

    // The pointer a little off the centre, where a user points.
    static const QPoint pointer(kWidth * 3 / 5, kHeight * 2 / 5);
    benchmark::RegisterBenchmark("model zoom+draw", [](benchmark::State& state) {
        int step = 0;
        for (auto _ : state) {
            model.ZoomAtPoint(std::exp2(NotchAt(step++) / 480.0), pointer.x(), pointer.y(), false);
            image.fill(Qt::white);
            QPainter painter(&image);
            QtDeviceContext dc(painter);
            model.Draw(dc, {0, 0, kWidth, kHeight});
        }
    })->Unit(benchmark::kMillisecond)->Repetitions(15);

    static CZeltra20Doc& document = *new CZeltra20Doc;
    BuildStandardChart(document.GetChart(), formulas, kWidth, kHeight);
    static BenchHost& host = *new BenchHost;
    static CZeltra20View& view = *new CZeltra20View(document, host);
    view.resize(kWidth, kHeight);
    view.show();
    Flush();
    const QPoint centre(kWidth / 2, kHeight / 2);

    benchmark::RegisterBenchmark("view pan frame", [centre](benchmark::State& state) {
        host.m_nMode = Cmd::kModePan;
        host.m_bGuides = false;
        SendMouse(&view, QEvent::MouseButtonPress, centre, Qt::LeftButton);
        int step = 1;
        for (auto _ : state) {
            SendMouse(&view, QEvent::MouseMove, centre + QPoint(step, 0), Qt::LeftButton);
            step = 1 - step;
            Flush();
        }
        SendMouse(&view, QEvent::MouseButtonRelease, centre, Qt::NoButton);
        Flush();
    })->Unit(benchmark::kMillisecond)->Repetitions(15);

    benchmark::RegisterBenchmark("view wheel zoom frame", [](benchmark::State& state) {
        host.m_nMode = Cmd::kModePoint;
        host.m_bGuides = false;
        int step = 0;
        for (auto _ : state) {
            SendWheel(&view, pointer, NotchAt(step++));
            Flush();
        }
    })->Unit(benchmark::kMillisecond)->Repetitions(15);

    // The wheel leaves the chart zoomed about the pointer: the benchmarks from
    // here on read the standard chart as first drawn.
    static const ChartSettings& standard = *new ChartSettings(document.GetChart().GetSettings());
    static auto restoreStandard = [] {
        document.GetChart().ReplaceSettings(standard);
        document.GetChart().Recalculate(true);
        document.UpdateAllViews(nullptr, 0);
        Flush();
    };

    benchmark::RegisterBenchmark("guides move", [centre](benchmark::State& state) {
        restoreStandard();
        host.m_nMode = Cmd::kModePoint;
        host.m_bGuides = true;
        int step = 0;
        for (auto _ : state) {
            SendMouse(&view, QEvent::MouseMove, centre + QPoint(step, step), Qt::NoButton);
            step = (step + 7) % 200;
            Flush();
        }
        state.counters["lines"] = view.GetOverlay().ReadoutLines().size();
        host.m_bGuides = false;
    })->Unit(benchmark::kMicrosecond)->Repetitions(5);

    // Points on the first visible curve near the middle: the pointer moves
    // from one to the next with the curve's value shown.
    static auto pointsOnCurve = [centre] {
        std::vector<QPoint> points;
        const FunctionContainer& chart = document.GetChart();
        const FunctionEntry& first = chart.GetFunctions().front();
        EvaluationBudget budget(1000000);
        Curve curve(first.m_strFormula, first.m_nDerivative, chart.GetSettings().m_bDegrees != 0,
                    budget);
        const ChartSettings& s = chart.GetSettings();
        const RECT& plot = chart.GetPlotRect();
        for (int px = centre.x() - 300; px < centre.x() + 300 && points.size() < 40; px += 7) {
            double y = 0;
            const double x = chart.PixelToWorld(px, centre.y()).x;
            if (!curve.At(x, y) || !std::isfinite(y))
                continue;
            const double py = plot.top + (s.m_yMax - y) / (s.m_yMax - s.m_yMin) * (plot.bottom - plot.top);
            if (py > plot.top + 40 && py < plot.bottom - 40)
                points.emplace_back(px, static_cast<int>(std::lround(py)));
        }
        return points;
    };
    benchmark::RegisterBenchmark("values move", [](benchmark::State& state) {
        restoreStandard();
        const std::vector<QPoint> onCurve = pointsOnCurve();
        if (onCurve.empty()) {
            state.SkipWithError("no curve near the middle of the plot");
            return;
        }
        host.m_nMode = Cmd::kModePoint;
        host.m_bGuides = false;
        std::size_t i = 0;
        std::size_t shown = 0;
        for (auto _ : state) {
            SendMouse(&view, QEvent::MouseMove, onCurve[i], Qt::NoButton);
            i = (i + 1) % onCurve.size();
            Flush();
            shown += view.GetOverlay().ReadoutLines().isEmpty() ? 0 : 1;
        }
        state.counters["shown"] = static_cast<double>(shown) / static_cast<double>(state.iterations());
    })->Unit(benchmark::kMicrosecond)->Repetitions(5);

    // A recalculation, and what the rings add to one: the analysis of the
    // visible range that follows it while they are on.
    benchmark::RegisterBenchmark("recalculation", [](benchmark::State& state) {
        for (auto _ : state)
            document.GetChart().Recalculate(true);
    })->Unit(benchmark::kMillisecond)->Repetitions(5);

    benchmark::RegisterBenchmark("points of interest", [](benchmark::State& state) {
        for (auto _ : state) {
            state.PauseTiming();
            host.m_bPoints = false;
            view.ShowPointsOfInterest();
            host.m_bPoints = true;
            state.ResumeTiming();
            // The worker's time: asked for, found and taken.
            view.ShowPointsOfInterest();
            view.GetOverlay().FinishPoints();
        }
        Flush();
    })->Unit(benchmark::kMillisecond)->Repetitions(5);

    benchmark::RegisterBenchmark("full repaint", [](benchmark::State& state) {
        for (auto _ : state) {
            document.UpdateAllViews(nullptr, UpdateHint::kKeepTable | UpdateHint::kNoSend);
            Flush();
        }
    })->Unit(benchmark::kMillisecond)->Repetitions(5);
}

StartTimes MeasureStart(const std::vector<std::string>& formulas, int runs)
{
    QTemporaryDir dir;
    FunctionContainer chart;
    BuildStandardChart(chart, formulas, kWidth, kHeight);
    const QString path = dir.filePath(QStringLiteral("standard.osw"));
    SaveChartFile(chart, path.toStdString());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("OSIOWIEC_QUIT_AFTER_FIRST_CHART"), QStringLiteral("1"));
    // The program's recent files go to a profile of its own.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    std::vector<double> program;
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        program.push_back(TimeProcess(QStringLiteral(OSIOWIEC_APP_PATH), {path}, environment));
        bare.push_back(TimeProcess(QStringLiteral(OSIOWIEC_BARE_WINDOW_PATH), {}, environment));
    }
    return {Median(program), Median(bare)};
}

void PrintGraphViewSummary(const std::map<std::string, double>& times, const StartTimes& start)
{
    // A benchmark left out by a filter reads as NaN.
    auto time = [&times](const char* name) {
        const auto it = times.find(name);
        return it == times.end() ? std::nan("") : it->second;
    };
    const double model = time("model pan+draw");
    const double frame = time("view pan frame");
    std::printf("model pan+draw median ms: %.2f\n", model / 1e6);
    std::printf("view pan frame median ms: %.2f\n", frame / 1e6);
    std::printf("view pan overhead vs model: %.2f\n", model / frame);
    const double modelZoom = time("model zoom+draw");
    const double wheelFrame = time("view wheel zoom frame");
    std::printf("model zoom+draw median ms: %.2f\n", modelZoom / 1e6);
    std::printf("view wheel zoom frame median ms: %.2f\n", wheelFrame / 1e6);
    std::printf("wheel zoom frame vs model: %.2f\n", modelZoom / wheelFrame);
    std::printf("repaint anti-aliased vs aliased: %.2f\n",
                time("repaint aliased") / time("repaint anti-aliased"));
    std::printf("guides move vs repaint: %.1f\n", time("full repaint") / time("guides move"));
    std::printf("values move vs repaint: %.1f\n", time("full repaint") / time("values move"));
    std::printf("points of interest vs recalculation: %.2f\n",
                time("recalculation") / time("points of interest"));
    const double pan = time("pan 100 functions");
    const double panTable = time("pan 100 functions with own table");
    std::printf("pan 100 functions median ms: %.2f (with own table %.2f)\n", pan / 1e6,
                panTable / 1e6);
    std::printf("pan with own table vs without: %.2f\n", pan / panTable);
    if (start.program > 0 && start.bareWindow > 0) {
        std::printf("start median ms: %.1f (bare window %.1f)\n", start.program, start.bareWindow);
        std::printf("start vs bare window: %.2f\n", start.bareWindow / start.program);
    } else {
        std::printf("start vs bare window: n/a (a program did not run)\n");
    }
}
