// The windows' benchmarks on the offscreen platform: the graph view (pan,
// guides, start-up) and the value table (rebuild, scrolling).
#include "bench/benchsupport.h"
#include "bench/graphviewbench.h"
#include "bench/tableviewbench.h"

#include <QApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "view_bench";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);

    const std::vector<std::string> formulas = LoadFormulas(argc, argv);
    RegisterGraphViewBenchmarks(formulas);
    RegisterTableViewBenchmarks(formulas);

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintGraphViewSummary(reporter.m_times, MeasureStart(formulas, 7));
    PrintTableViewSummary(reporter.m_times);
    return 0;
}
