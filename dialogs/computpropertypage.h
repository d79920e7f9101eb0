#pragma once

#include "dialogs/chartpage.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSlider;

/// The page "Obliczenia": drawing quality (sampling steps across the x range),
/// the angle unit and whether computed points are joined.
class CComputPropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CComputPropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    void ShowQuality();

    QSlider* m_wndQuality;
    QLineEdit* m_wndPercent;
    QRadioButton* m_wndDegrees;
    QRadioButton* m_wndRadians;
    QCheckBox* m_wndJoinPoints;
    bool m_bDegrees = false;
};
