#include "views/tablemodel.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "framework/qtstring.h"

TableModel::TableModel(FunctionContainer& chart, QObject* parent)
    : QAbstractTableModel(parent), m_chart(chart)
{
}

void TableModel::Rebuild()
{
    m_chart.UpdateTable();
    beginResetModel();
    m_labels.clear();
    m_columns.clear();
    m_nRows = 0;

    const std::vector<FunctionEntry>& functions = m_chart.GetFunctions();
    if (!functions.empty()) {
        m_labels.push_back(QStringLiteral("x"));
        for (std::size_t i = 0; i < functions.size(); ++i) {
            if (functions[i].m_bVisible) {
                m_labels.push_back(FromCp1250(LegendLabel(functions[i])));
                m_columns.push_back(i);
            }
        }
        m_nRows = m_chart.GetTableRowCount();
    }
    endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_nRows);
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_labels.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == 0) {
        const std::optional<double> x = m_chart.GetTableArgument(row);
        return x ? QString::fromStdString(FormatG(*x)) : QString();
    }

    const std::size_t function = m_columns[static_cast<std::size_t>(index.column() - 1)];
    return QString::fromStdString(m_chart.GetTableText(function, row));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_labels.size())
        return QVariant();
    return m_labels[section];
}
