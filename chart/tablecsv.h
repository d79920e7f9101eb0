#pragma once

#include <string>

class FunctionContainer;

/// A field as CSV writes it: quoted, with its quotes doubled, when it holds
/// a comma, a quote or a line break (legend labels like log(x,2) do).
std::string CsvField(const std::string& text);

/// The value table as CSV in UTF-8, one line per row, each ending in "\n":
/// the header row "x" and the legend labels of the visible functions, then
/// the rows as the table view shows them (empty cells empty). A chart
/// without functions gives nothing at all, not even "x". A table of its own
/// range is computed first if it is not yet; the chart's current function is
/// left as it was.
std::string TableCsv(FunctionContainer& chart);
