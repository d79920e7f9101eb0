#include "bench/tableviewbench.h"

#include "bench/standardchart.h"

#include "chart/functioncontainer.h"
#include "document/zeltra20doc.h"
#include "views/tableview.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QScrollBar>

#include <cmath>
#include <cstdio>

namespace {

// The table pane of a chart window as a new chart has it (153 pixels wide),
// and one wide enough for all 16 columns.
constexpr QSize kPaneSize(153, 800);
constexpr QSize kWideSize(1200, 900);

std::string SizeName(QSize size)
{
    return std::to_string(size.width()).append("x").append(std::to_string(size.height()));
}

// "WHAT/N" or "WHAT/N/WxH", built by appending (GCC 12 -O3 warns falsely on
// a literal plus a string).
std::string BenchName(const char* what, std::size_t visible, QSize size = QSize())
{
    std::string name(what);
    name.append("/").append(std::to_string(visible));
    if (size.isValid())
        name.append("/").append(SizeName(size));
    return name;
}

// The standard chart with its first `visible` functions visible and, with
// ownTable, a table of its own range: the longest the table takes at step 0.1;
// the model widens the step so that the table stays within its cells.
void BuildChart(FunctionContainer& chart, const std::vector<std::string>& formulas,
                std::size_t visible, bool ownTable)
{
    BuildStandardChart(chart, formulas, kWideSize.width(), kWideSize.height());
    chart.BeginEdit();
    for (std::size_t i = visible; i < formulas.size(); ++i) {
        chart.SetCurrent(static_cast<int32_t>(i));
        chart.SetFunction(chart.GetFormula(), chart.GetDerivative(), false, chart.GetColor());
    }
    if (ownTable)
        chart.SetTable(false, false, "0", "9999.85", "0.1", RGB(0, 0, 0), RGB(255, 255, 255));
    chart.CommitEdit();
    chart.SetTableVisible(true);
}

// Counts the paint events of the table's viewport: a rebuild or a scroll
// counts only when it reached the screen.
class PaintCounter : public QObject
{
public:
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_nPaints;
        return false;
    }
};

// Runs what the event loop would run next: the view's delayed layout, then
// the repaint it asked for.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

struct TableCase
{
    std::size_t visible;
    CZeltra20Doc synced;
    CZeltra20Doc own;
    PaintCounter painted;
    CZeltra20TableView* view; ///< lives until the program ends, as the documents
};

std::vector<TableCase*> g_cases;

// With computeTable, the recalculation that computes a table of its own
// range as well: the table is computed only when what it shows changes, so
// its start moves by one double and back, and every pass computes it.
void RecalculateChart(benchmark::State& state, FunctionContainer* chart, bool computeTable)
{
    ChartSettings s = chart->GetSettings();
    const double start = s.m_tableXMin;
    bool moved = false;
    for (auto _ : state) {
        if (computeTable) {
            moved = !moved;
            s.m_tableXMin = moved ? std::nextafter(start, start + 1) : start;
            chart->ReplaceSettings(s);
        }
        chart->Recalculate(true);
        if (computeTable)
            chart->UpdateTable();
    }
    if (computeTable) {
        // The table as it was, for the benchmarks of the view that follow.
        s.m_tableXMin = start;
        chart->ReplaceSettings(s);
        chart->Recalculate(true);
        chart->UpdateTable();
    }
    state.counters["rows"] = static_cast<double>(chart->GetTableRowCount());
}

void RebuildTable(benchmark::State& state, TableCase* c, QSize size)
{
    c->view->resize(size);
    Settle();
    const int first = c->painted.m_nPaints;
    for (auto _ : state) {
        const int before = c->painted.m_nPaints;
        c->own.UpdateAllViews(nullptr, 0);
        Settle();
        if (c->painted.m_nPaints == before) {
            state.SkipWithError("the table was not painted");
            break;
        }
    }
    state.counters["rows"] = c->view->model()->rowCount();
    state.counters["paints"] =
        benchmark::Counter(c->painted.m_nPaints - first, benchmark::Counter::kAvgIterations);
}

void ScrollTable(benchmark::State& state, TableCase* c, QSize size)
{
    c->view->resize(size);
    Settle();
    const QScrollBar* bar = c->view->verticalScrollBar();
    for (auto _ : state) {
        state.PauseTiming();
        c->view->scrollToTop();
        Settle();
        const int before = c->painted.m_nPaints;
        state.ResumeTiming();
        c->view->scrollToBottom();
        Settle();
        if (c->painted.m_nPaints == before || bar->value() != bar->maximum()) {
            state.SkipWithError("the last row was not painted");
            break;
        }
    }
}

void RegisterTable(TableCase* c, const std::vector<std::string>& formulas)
{
    BuildChart(c->synced.GetChart(), formulas, c->visible, false);
    BuildChart(c->own.GetChart(), formulas, c->visible, true);
    c->view = new CZeltra20TableView(c->own);
    c->view->resize(kPaneSize);
    c->view->viewport()->installEventFilter(&c->painted);
    c->view->show();
    c->view->OnInitialUpdate();
    Settle();

    benchmark::RegisterBenchmark(BenchName("recalc synced", c->visible).c_str(), RecalculateChart,
                                 &c->synced.GetChart(), false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(BenchName("recalc table", c->visible).c_str(), RecalculateChart,
                                 &c->own.GetChart(), true)
        ->Unit(benchmark::kMillisecond);
    for (const QSize size : {kPaneSize, kWideSize}) {
        benchmark::RegisterBenchmark(BenchName("table rebuild", c->visible, size).c_str(),
                                     RebuildTable, c, size)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(BenchName("table scroll", c->visible, size).c_str(),
                                     ScrollTable, c, size)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

void RegisterTableViewBenchmarks(const std::vector<std::string>& formulas)
{
    for (std::size_t visible : {formulas.size(), std::min<std::size_t>(5, formulas.size())}) {
        auto* c = new TableCase; // lives until the program ends
        c->visible = visible;
        RegisterTable(c, formulas);
        g_cases.push_back(c);
    }
}

void PrintTableViewSummary(const std::map<std::string, double>& times)
{
    auto time = [&](const std::string& name) {
        const auto found = times.find(name);
        return found == times.end() ? 0.0 : found->second;
    };
    auto ratio = [&](const TableCase& c, QSize size) {
        const double table = time(BenchName("recalc table", c.visible)) -
                             time(BenchName("recalc synced", c.visible));
        return table / time(BenchName("table rebuild", c.visible, size));
    };
    auto scroll = [&](const TableCase& c, QSize size) {
        return time(BenchName("table scroll", c.visible, size)) / 1e6;
    };
    if (g_cases.empty())
        return;
    const TableCase& standard = *g_cases.front();
    std::printf("table rebuild vs recalculation: %.1f\n", ratio(standard, kPaneSize));
    std::printf("table scroll to end ms: %.2f\n", scroll(standard, kPaneSize));
    for (const TableCase* c : g_cases) {
        for (const QSize size : {kPaneSize, kWideSize}) {
            if (c == &standard && size == kPaneSize)
                continue;
            std::printf("table of %d rows, %zu functions, %s: rebuild vs recalculation %.1f, "
                        "scroll to end ms %.2f\n",
                        c->view->model()->rowCount(), c->visible, SizeName(size).c_str(),
                        ratio(*c, size), scroll(*c, size));
        }
    }
}
