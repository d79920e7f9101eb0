#pragma once

#include <QString>

#include <vector>

class QAbstractItemModel;
class QMimeData;

/// Rows of a table as text, cells as the table shows them (empty cells
/// empty), the header row first: tab-separated and as CSV, each line ending
/// in "\n". `columns` are logical column indexes in the order they stand.
struct TableText
{
    QString tabSeparated;
    QString csv;
};
TableText CopyTableRows(const QAbstractItemModel& model, const std::vector<int>& columns,
                        const std::vector<int>& rows);

/// The two texts for the clipboard: text/plain and text/csv.
QMimeData* TableMimeData(const TableText& text);
