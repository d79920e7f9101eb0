#pragma once

#include "dialogs/chartpage.h"

class CColorButton;
class QCheckBox;
class QLineEdit;

/// The page "Siatka i osie": spacing, visibility and colour of the grid lines
/// and the axes.
class CNetPropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CNetPropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    void UpdateEnabling();

    QCheckBox* m_wndAutoX;
    QLineEdit* m_wndGridX;
    QCheckBox* m_wndAutoY;
    QLineEdit* m_wndGridY;
    QCheckBox* m_wndGridVisible;
    CColorButton* m_wndGridColor;
    QCheckBox* m_wndAxesVisible;
    CColorButton* m_wndAxesColor;
};
