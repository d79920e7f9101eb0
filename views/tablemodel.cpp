#include "views/tablemodel.h"

#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "framework/qtstring.h"

#include <cmath>

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
    m_arguments.clear();
    m_largest.clear();

    const std::vector<FunctionEntry>& functions = m_chart.GetFunctions();
    if (!functions.empty()) {
        m_labels.push_back(QStringLiteral("x"));
        for (std::size_t i = 0; i < functions.size(); ++i) {
            if (functions[i].m_bVisible) {
                m_labels.push_back(FromCp1250(LegendLabel(functions[i])));
                m_columns.push_back(i);
                double largest = 0;
                for (double v : m_chart.GetTableValues(i)) {
                    if (std::isfinite(v) && v != FunctionContainer::kErrorValue)
                        largest = std::max(largest, std::fabs(v));
                }
                m_largest.push_back(largest);
            }
        }
        // Row k stands at x0 + k * h, as its values were computed.
        const ChartSettings& s = m_chart.GetSettings();
        m_arguments.resize(m_chart.GetTableRowCount());
        for (std::size_t k = 0; k < m_arguments.size(); ++k)
            m_arguments[k] = IndexedArgument(s.m_tableXMin, s.m_tableStep, k);
    }
    endResetModel();
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_arguments.size());
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_labels.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const auto row = static_cast<std::size_t>(index.row());
    if (index.column() == 0) {
        if (role == Qt::ToolTipRole)
            return QString::fromStdString(ShortestNumber(m_arguments[row]));
        return QString::fromStdString(FormatG(m_arguments[row]));
    }

    const auto column = static_cast<std::size_t>(index.column() - 1);
    const std::size_t function = m_columns[column];
    const std::string text = m_chart.GetTableText(function, row);
    const std::vector<double>& values = m_chart.GetTableValues(function);
    if (text.empty() || row >= values.size() || !std::isfinite(values[row]))
        return role == Qt::DisplayRole ? QVariant(QString::fromStdString(text)) : QVariant();
    const double v = values[row];
    if (role == Qt::ToolTipRole)
        return QString::fromStdString(ShortestNumber(v));
    // The rounding left of a zero reads as one; the tooltip keeps the value.
    if (v != 0 && std::fabs(v) < 1e-12 * m_largest[column])
        return QStringLiteral("0");
    return QString::fromStdString(text);
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_labels.size())
        return QVariant();
    return m_labels[section];
}
