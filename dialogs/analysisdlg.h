#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class FunctionContainer;
class QTableWidget;

/// The dialog "Analiza wykresu": the zeros, minima and maxima of every
/// visible function and the intersections of every pair of them over the
/// visible x range, one row each (kind, function, x, y at full precision);
/// stretches where two curves coincide ("Wykresy pokrywają się", x "od A do
/// B") and stretches the analysis could not settle ("Nie rozstrzygnięto w
/// przedziale od A do B") have a row each too, without y.
/// Ctrl+C copies the selected rows as tab-separated lines; "Zapisz CSV..."
/// writes the whole list as a CSV file through the program's safe write.
class CAnalysisDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAnalysisDlg(const FunctionContainer& chart, QWidget* parent = nullptr);

    /// The selected rows headed by the column names, as the value table's
    /// copy is, each line ending in a line break, cells split by tabs; empty
    /// when no row is selected.
    QString SelectedText() const;
    /// Every row, headed by the column names, as the value table's CSV:
    /// UTF-8, commas, a cell quoted when it holds a comma, a quote or a
    /// line break.
    std::string CsvText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row
    {
        QString kind;
        QString function;
        double x; ///< where the row is sorted
        QString xText;
        QString yText;
    };

    void Analyze(const FunctionContainer& chart);
    void CopySelection();
    void SaveCsv();

    std::vector<Row> m_rows;
    bool m_bTruncated = false;
    QTableWidget* m_wndTable = nullptr;
};

/// Shows the analysis of the chart's visible range until the user closes it.
void RunAnalysisDialog(const FunctionContainer& chart, QWidget* parent);
