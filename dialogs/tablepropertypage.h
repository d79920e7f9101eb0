#pragma once

#include "dialogs/chartpage.h"

class CColorButton;
class QCheckBox;
class QLineEdit;

/// The page "Tabela wartości": the x range and step of the value table and
/// its colours.
class CTablePropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CTablePropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    void UpdateEnabling();

    QCheckBox* m_wndSync;
    QLineEdit* m_wndMin;
    QLineEdit* m_wndMax;
    QCheckBox* m_wndAutoStep;
    QLineEdit* m_wndStep;
    CColorButton* m_wndText;
    CColorButton* m_wndBack;
};
