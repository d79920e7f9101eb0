#include "chart/tablecsv.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "platform/cp1250.h"

#include <vector>

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

std::string TableCsv(FunctionContainer& chart)
{
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    if (functions.empty())
        return {};

    // A table of its own range is computed when it is first needed.
    chart.UpdateTable();
    const int32_t current = chart.GetCurrent();
    std::string csv = "x";
    std::vector<std::size_t> columns;
    for (int32_t i = 0; i < static_cast<int32_t>(functions.size()); ++i) {
        chart.SetCurrent(i);
        if (!chart.IsVisible())
            continue;
        csv.append(",").append(CsvField(Cp1250::ToUtf8(chart.GetLegendLabel())));
        columns.push_back(static_cast<std::size_t>(i));
    }
    chart.SetCurrent(current);
    csv += '\n';

    const std::size_t rows = chart.GetTableRowCount();
    const ChartSettings& s = chart.GetSettings();
    for (std::size_t row = 0; row < rows; ++row) {
        // Row k stands at x0 + k * h, as its values were computed.
        csv += FormatG(IndexedArgument(s.m_tableXMin, s.m_tableStep, row));
        for (std::size_t function : columns)
            csv.append(",").append(chart.GetTableText(function, row));
        csv += '\n';
    }
    return csv;
}
