#pragma once

#include "chart/chartmarks.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class FunctionContainer;
class QComboBox;
class QLabel;
class QLineEdit;

/// The dialog "Pole pod wykresem": one of the visible functions and an
/// interval given as formulas (evaluated at x = 0 in the chart's angle unit,
/// like every numeric field), filled in with the visible x range. "Oblicz"
/// shows the signed area and its error, or why there is none; "OK" does the
/// same and closes only once an area is known.
class CAreaDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAreaDlg(const FunctionContainer& chart, QWidget* parent = nullptr);

    void accept() override;

    /// The function (its index in the chart's list) and the interval of the
    /// last area computed.
    int32_t GetFunction() const { return m_nFunction; }
    double GetFrom() const { return m_from; }
    double GetTo() const { return m_to; }
    double GetValue() const { return m_value; }

private:
    /// Computes the area of the fields; false, with the reason shown, when
    /// there is none.
    bool Compute();
    /// The field's formula at x = 0; throws FunctionContainerException.
    double Evaluate(const QLineEdit* field, const char* name) const;

    const FunctionContainer& m_chart;
    std::vector<int32_t> m_functions; ///< the combo's entries, as list indexes
    QComboBox* m_wndFunction;
    QLineEdit* m_wndFrom;
    QLineEdit* m_wndTo;
    QLabel* m_wndResult;
    int32_t m_nFunction = -1;
    double m_from = 0;
    double m_to = 0;
    double m_value = 0;
};

/// Asks for an area of the chart; true, with the function and the interval
/// computed, when the user confirms one.
bool RunAreaDialog(const FunctionContainer& chart, QWidget* parent, ShadedArea& area);
