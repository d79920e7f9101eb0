#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/cp1250.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A field quoted as CSV needs it: legend labels may hold commas (log(x,2)).
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\n\r") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

// table FILE: the value table as the table view shows it.
int RunTable(int argc, char** argv)
{
    if (argc != 1)
        return UsageError("table PLIK");
    FunctionContainer chart;
    try {
        LoadChartFile(chart, argv[0]);
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    if (functions.empty())
        return 0; // no columns at all, not even "x"

    std::string line = "x";
    chart.UpdateTable();
    std::vector<std::size_t> columns;
    for (int32_t i = 0; i < static_cast<int32_t>(functions.size()); ++i) {
        chart.SetCurrent(i);
        if (!chart.IsVisible())
            continue;
        line.append(",").append(CsvField(Cp1250::ToUtf8(chart.GetLegendLabel())));
        columns.push_back(static_cast<std::size_t>(i));
    }
    std::printf("%s\n", line.c_str());

    const std::size_t rows = chart.GetTableRowCount();
    const ChartSettings& s = chart.GetSettings();
    for (std::size_t row = 0; row < rows; ++row) {
        // Row k stands at x0 + k * h, as its values were computed.
        line = FormatG(IndexedArgument(s.m_tableXMin, s.m_tableStep, row));
        for (std::size_t function : columns)
            line.append(",").append(chart.GetTableText(function, row));
        std::printf("%s\n", line.c_str());
    }
    return 0;
}
