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

    const int32_t current = chart.GetCurrent();
    std::string csv = "x";
    std::vector<const FunctionEntry*> columns;
    for (int32_t i = 0; i < static_cast<int32_t>(functions.size()); ++i) {
        chart.SetCurrent(i);
        if (!chart.IsVisible())
            continue;
        csv.append(",").append(CsvField(Cp1250::ToUtf8(chart.GetLegendLabel())));
        columns.push_back(&functions[static_cast<std::size_t>(i)]);
    }
    chart.SetCurrent(current);
    csv += '\n';

    const std::size_t rows = chart.GetTableRowCount();
    const ChartSettings& s = chart.GetSettings();
    // The argument is a running sum, as the values were computed.
    double x = s.m_tableXMin;
    for (std::size_t row = 0; row < rows; ++row) {
        csv += FormatG(x);
        for (const FunctionEntry* f : columns)
            csv.append(",").append(FunctionContainer::GetTableText(*f, row));
        csv += '\n';
        x = x + s.m_tableStep;
    }
    return csv;
}
