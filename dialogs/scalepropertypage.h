#pragma once

#include "dialogs/chartpage.h"

class CFontButton;
class QCheckBox;
class QLineEdit;

/// The page "Podziałka": tick marks and labels along both axes.
class CScalePropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CScalePropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    void UpdateEnabling();

    QCheckBox* m_wndVisibleX;
    QCheckBox* m_wndAutoX;
    QLineEdit* m_wndStepX;
    QCheckBox* m_wndVisibleY;
    QCheckBox* m_wndAutoY;
    QLineEdit* m_wndStepY;
    CFontButton* m_wndFont;
};
