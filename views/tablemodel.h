#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <cstddef>
#include <vector>

class FunctionContainer;

/// The cells of the value table, formatted with "%g" only when a cell is
/// shown. Column 0 holds the arguments, every further column the values of
/// one visible function of the committed list, in list order; there is one
/// row per table value of the first visible function. A value whose
/// evaluation failed is an empty cell. Without functions there are no columns
/// at all; with functions but none visible there is the "x" column alone.
///
/// A value below 1e-12 of its column's largest magnitude (the rounding left
/// of a zero, as sin(-2pi) = 2.44929e-16) reads 0; every value cell's tooltip
/// gives the value in full.
///
/// Rebuild fixes the columns, their labels, the rows and the arguments; until
/// the next Rebuild they stay as they are whatever the chart does. The values
/// are read from the chart's committed list when a cell is shown, so the table
/// costs no copy of them; a cell whose function or value the chart no longer
/// holds is empty.
class TableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// The chart must outlive the model.
    explicit TableModel(FunctionContainer& chart, QObject* parent = nullptr);

    /// Takes the table of the committed chart in place of the one shown,
    /// having the chart compute its values where they are out of date. An
    /// uncommitted edit of the function list plays no part.
    void Rebuild();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    FunctionContainer& m_chart;
    QStringList m_labels;               ///< column headers, "x" first
    std::vector<std::size_t> m_columns; ///< committed-list index of each function column
    std::vector<double> m_arguments;    ///< x of each row
    std::vector<double> m_largest;      ///< the largest finite magnitude of each function column
};
