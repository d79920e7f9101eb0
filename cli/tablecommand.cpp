#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "chart/tablecsv.h"

#include <cstdio>
#include <string>

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
    const std::string csv = TableCsv(chart);
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    return 0;
}
