#include "dialogs/scalepropertypage.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "dialogs/fontbutton.h"
#include "framework/programsettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CScalePropertyPage::CScalePropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Podziałka"), PagePicture::kScale,
                 QStringLiteral("Tu możesz skalować podziałkę\n"
                                "Możesz również wybrać automatyczne skalowanie"),
                 parent),
      m_wndVisibleX(AddCheck(QStringLiteral("Widoczna"), QStringLiteral("visibleX"))),
      m_wndAutoX(AddCheck(QStringLiteral("Automatyczna"), QStringLiteral("autoX"))),
      m_wndStepX(AddEdit(QStringLiteral("stepX"))),
      m_wndVisibleY(AddCheck(QStringLiteral("Widoczna"), QStringLiteral("visibleY"))),
      m_wndAutoY(AddCheck(QStringLiteral("Automatyczna"), QStringLiteral("autoY"))),
      m_wndStepY(AddEdit(QStringLiteral("stepY"))),
      m_wndFont(new CFontButton(QStringLiteral("&Czcionka..."), this)),
      m_wndPiTicks(AddCheck(QString::fromUtf8("Podziałka osi X w wielokrotnościach \u03C0"),
                            QStringLiteral("piTicks"))),
      m_wndClassic(AddCheck(QString::fromUtf8("Odstępy jak w wersji 2.0"), QStringLiteral("spacing20")))
{
    m_wndFont->setObjectName(QStringLiteral("font"));
    m_wndFont->setAutoDefault(false);

    auto axisBox = [this](const QString& title, QCheckBox* visible, QCheckBox* automatic,
                          QLineEdit* step) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(visible, 0, 0);
        grid->addWidget(automatic, 1, 0);
        PlaceUnder(grid, 2, 0, QStringLiteral("Odstępy"), step);
        return box;
    };
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(axisBox(QStringLiteral("Podziałka dla osi &X"), m_wndVisibleX, m_wndAutoX,
                             m_wndStepX));
    boxes->addWidget(axisBox(QStringLiteral("Podziałka dla osi &Y"), m_wndVisibleY, m_wndAutoY,
                             m_wndStepY));
    auto* font = new QHBoxLayout;
    font->addStretch(1);
    font->addWidget(m_wndFont);
    Body()->addLayout(boxes);
    Body()->addWidget(m_wndPiTicks);
    Body()->addWidget(m_wndClassic);
    Body()->addLayout(font);
    Body()->addStretch(1);

    connect(m_wndAutoX, &QCheckBox::clicked, this, &CScalePropertyPage::UpdateEnabling);
    connect(m_wndAutoY, &QCheckBox::clicked, this, &CScalePropertyPage::UpdateEnabling);
    connect(m_wndFont, &CFontButton::fontChosen, this, &CChartPage::Changed);
}

void CScalePropertyPage::OnInitDialog()
{
    const FunctionContainer& chart = Chart();
    const ChartSettings& s = chart.GetSettings();
    BeginLoad();
    LoadNumber(m_wndStepX, chart.GetScaleXText(), s.m_scaleStepX);
    LoadNumber(m_wndStepY, chart.GetScaleYText(), s.m_scaleStepY);
    m_wndAutoX->setChecked(s.m_bAutoScaleX != 0);
    m_wndAutoY->setChecked(s.m_bAutoScaleY != 0);
    m_wndVisibleX->setChecked(s.m_bScaleXVisible != 0);
    m_wndVisibleY->setChecked(s.m_bScaleYVisible != 0);
    m_wndFont->SetFont(s.m_lfScale);
    m_wndFont->SetColor(s.m_crScaleText);
    m_wndPiTicks->setChecked(chart.GetSpacingRule().piTicks);
    m_wndClassic->setChecked(chart.GetSpacingRule().classic);
    EndLoad();
    UpdateEnabling();
}

void CScalePropertyPage::UpdateEnabling()
{
    m_wndStepX->setEnabled(!m_wndAutoX->isChecked());
    m_wndStepY->setEnabled(!m_wndAutoY->isChecked());
}

bool CScalePropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetScale(m_wndAutoX->isChecked(), m_wndAutoY->isChecked(), NumberText(m_wndStepX),
                         NumberText(m_wndStepY), m_wndVisibleX->isChecked(),
                         m_wndVisibleY->isChecked(), m_wndFont->GetColor(), m_wndFont->GetFont());
    },
                 {{ChartMessage::kScaleX, m_wndStepX}, {ChartMessage::kScaleY, m_wndStepY}});
}

bool CScalePropertyPage::OnApply()
{
    // The program's switches: this chart takes them with its recalculation,
    // the others when the sheet is closed.
    SpacingRule rule;
    rule.piTicks = m_wndPiTicks->isChecked();
    rule.classic = m_wndClassic->isChecked();
    WriteSpacingRule(rule);
    Chart().SetSpacingRule(rule);
    return CChartPage::OnApply();
}
