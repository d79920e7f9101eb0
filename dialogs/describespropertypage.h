#pragma once

#include "dialogs/chartpage.h"

class CColorButton;
class CFontButton;
class QCheckBox;
class QLineEdit;

/// The page "Opisy": header and caption, legend, frame and background.
class CDescribesPropertyPage : public CChartPage
{
    Q_OBJECT

public:
    explicit CDescribesPropertyPage(FunctionContainer& chart, QWidget* parent = nullptr);

    void OnInitDialog() override;
    bool OnKillActive() override;

private:
    QLineEdit* m_wndHeader;
    QCheckBox* m_wndHeaderVisible;
    CFontButton* m_wndHeaderFont;
    QLineEdit* m_wndCaption;
    QCheckBox* m_wndCaptionVisible;
    QCheckBox* m_wndLegendVisible;
    CFontButton* m_wndLegendFont;
    CColorButton* m_wndLegendBack;
    QCheckBox* m_wndFrameVisible;
    CColorButton* m_wndFrameColor;
    CColorButton* m_wndBackground;
};
