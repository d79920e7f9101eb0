#pragma once

#include "platform/wintypes.h"

#include <QDialog>

#include <cstdint>
#include <string>

class CColorButton;
class FunctionContainer;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTextEdit;

/// The dialog "Funkcja": the formula, derivative order, colour and visibility
/// of the chart's current function (current -1: a new one). Every edit that
/// compiles is written into the chart's edit copy at once; the caller owns the
/// edit transaction. "Anuluj" takes back what the dialog wrote, so the chart's
/// edit copy is as the dialog found it.
class CFunctionDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFunctionDlg(FunctionContainer& chart, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnChangeFormula();
    QString FormulaText() const;
    void ShowStatus(const QString& status);
    void SetAutomaticColor();
    /// Throws FunctionContainerException when the formula does not compile.
    void Store(const std::string& formula);

    FunctionContainer& m_chart;
    QTextEdit* m_wndFormula;
    QLabel* m_wndStatusIcon;
    QLineEdit* m_wndStatus;
    QButtonGroup* m_wndOrder;
    CColorButton* m_wndColor;
    QCheckBox* m_wndShowCurve;
    bool m_bErrorMarked = false;
    bool m_bErrorIcon = false;

    // The function as the dialog found it, to take back on "Anuluj".
    int32_t m_nOpenedOn = -1;
    bool m_bWritten = false;
    std::string m_strFormula;
    int32_t m_nOrder = 0;
    bool m_bShowCurve = true;
    COLORREF m_crColor = 0;
};
