#pragma once

#include "dialogs/chartpage.h"

class CFontButton;
class QCheckBox;
class QLineEdit;

/// The page "Podziałka": tick marks and labels along both axes, and the
/// program's switches of automatic spacings (kept with the program's
/// settings, for every chart): multiples of π on the x axis of
/// trigonometric charts, and the rule of version 2.0.
class CScalePropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CScalePropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;
    bool OnApply() override;

private:
    void UpdateEnabling();

    QCheckBox* m_wndVisibleX;
    QCheckBox* m_wndAutoX;
    QLineEdit* m_wndStepX;
    QCheckBox* m_wndVisibleY;
    QCheckBox* m_wndAutoY;
    QLineEdit* m_wndStepY;
    CFontButton* m_wndFont;
    QCheckBox* m_wndPiTicks;
    QCheckBox* m_wndClassic;
};
