#pragma once

#include <map>
#include <string>
#include <vector>

/// The value table's benchmarks on the standard chart with a table of its own
/// range, as long as the model allows for its columns (15 visible functions:
/// 33332 rows; the first 5 alone: 99999 rows):
///   recalc synced/N       Recalculate keeping the ranges, the table being the
///                         chart's own samples (no table work)
///   recalc table/N        the same with the table's own range: the curves and
///                         the table; the difference is the table's recalculation
///   table rebuild/N/WxH   a full update (hint 0) of the shown table until its
///                         first rows are painted
///   table scroll/N/WxH    from the first row to the last, painted
/// N is the number of visible functions, WxH the size of the table view: the
/// pane of a new chart's window (153 pixels wide), or wide enough for every
/// column. The objects live until the program ends; call before running
/// benchmarks.
void RegisterTableViewBenchmarks(const std::vector<std::string>& formulas);

/// The summary lines of the value table from the recorded times (ns).
void PrintTableViewSummary(const std::map<std::string, double>& times);
