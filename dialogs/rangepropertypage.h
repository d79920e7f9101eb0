#pragma once

#include "dialogs/chartpage.h"

class QCheckBox;
class QLineEdit;

/// The page "Zakres": the chart's x and y ranges. The x range's automatic
/// switch is kept and honoured but never shown: a chart that has it set shows
/// its x limits disabled.
class CRangePropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CRangePropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    void UpdateEnabling();

    QCheckBox* m_wndAutoX;
    QLineEdit* m_wndXMin;
    QLineEdit* m_wndXMax;
    QCheckBox* m_wndAutoY;
    QLineEdit* m_wndYMin;
    QLineEdit* m_wndYMax;
};
