#include "bench/standardchart.h"

#include "chart/functioncontainer.h"

void BuildStandardChart(FunctionContainer& chart, const std::vector<std::string>& formulas,
                        int width, int height)
{
    chart.BeginEdit();
    chart.SetComputation(10000, false, true);
    for (std::size_t i = 0; i < formulas.size(); ++i) {
        chart.SetCurrent(-1);
        chart.SetFunction(formulas[i], static_cast<int32_t>(i % 3), true, chart.GetColor());
    }
    chart.CommitEdit();
    chart.SetPlotRect({60, 20, width - 10, height - 30});
}
