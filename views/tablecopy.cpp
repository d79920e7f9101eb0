#include "views/tablecopy.h"

#include "chart/tablecsv.h"

#include <QAbstractItemModel>
#include <QMimeData>

namespace {

// A tab or a line break inside a cell would split it: it becomes a space.
QString TabField(QString text)
{
    for (QChar& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

QString CsvCell(const QString& text)
{
    return QString::fromStdString(CsvField(text.toStdString()));
}

void AddLine(TableText& out, const QStringList& cells)
{
    QStringList tabbed;
    QStringList csv;
    for (const QString& cell : cells) {
        tabbed << TabField(cell);
        csv << CsvCell(cell);
    }
    out.tabSeparated += tabbed.join('\t') + '\n';
    out.csv += csv.join(',') + '\n';
}

} // namespace

TableText CopyTableRows(const QAbstractItemModel& model, const std::vector<int>& columns,
                        const std::vector<int>& rows)
{
    TableText out;
    if (columns.empty())
        return out;
    QStringList cells;
    for (int column : columns)
        cells << model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    AddLine(out, cells);
    for (int row : rows) {
        cells.clear();
        for (int column : columns)
            cells << model.data(model.index(row, column), Qt::DisplayRole).toString();
        AddLine(out, cells);
    }
    return out;
}

QMimeData* TableMimeData(const TableText& text)
{
    auto* data = new QMimeData;
    data->setText(text.tabSeparated);
    data->setData(QStringLiteral("text/csv"), text.csv.toUtf8());
    return data;
}
