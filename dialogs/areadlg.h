#pragma once

#include "chart/chartmarks.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

struct ChartAnswers;
class FunctionContainer;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

/// The dialog "Pole pod wykresem": one of the visible functions, the kind of
/// area ("Całka oznaczona (pole ze znakiem)", "Pole obszaru między wykresem a
/// osią X", "Pole obszaru między dwoma wykresami" with a second function) and
/// an interval given as formulas (evaluated at x = 0 in the chart's angle
/// unit, like every numeric field; either order, an empty one has the area
/// 0), filled in with the visible x range, or for two curves with their two
/// outermost intersections in it while the user has not typed an end.
///
/// "Oblicz" shows the area, its kind and its error, or why there is none.
/// The result goes the moment any input changes, so what is shown is always
/// the area of what the fields say; "OK" computes it if it is not shown and
/// closes only once an area is known.
class CAreaDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAreaDlg(const FunctionContainer& chart, QWidget* parent = nullptr);
    ~CAreaDlg() override;

    void accept() override;

    /// The area last computed for the fields as they are.
    const ShadedArea& GetArea() const { return m_area; }

private:
    /// Computes the area of the fields; false, with the reason shown, when
    /// there is none.
    bool Compute();
    /// An input changed: the result shown no longer answers it.
    void Forget();
    AreaKind Kind() const;
    /// The second function's choice follows the kind, and the interval's
    /// defaults follow the functions and the kind.
    void KindChanged();
    void FillInterval();
    /// The field's formula at x = 0; throws FunctionContainerException.
    double Evaluate(const QLineEdit* field, const char* name) const;

    const FunctionContainer& m_chart;
    std::vector<int32_t> m_functions; ///< the combos' entries, as list indexes
    QComboBox* m_wndFunction;
    QComboBox* m_wndSecond;
    QRadioButton* m_wndKinds[3];
    QLineEdit* m_wndFrom;
    QLineEdit* m_wndTo;
    QLabel* m_wndResult;
    /// The intersections in the visible range, found the first time two
    /// curves are asked for.
    std::unique_ptr<ChartAnswers> m_pAnswers;
    bool m_bTyped = false; ///< the user edited an end of the interval
    bool m_bKnown = false; ///< m_area answers the fields
    ShadedArea m_area;
};

/// Asks for an area of the chart; true, with the area computed, when the
/// user confirms one.
bool RunAreaDialog(const FunctionContainer& chart, QWidget* parent, ShadedArea& area);

/// The value of an area to as many digits as its error leaves meaningful
/// and one more (at most 17), trailing zeros kept: "2.000000000000000" for
/// 2 within 4e-15.
QString AreaValueText(double value, double error);
