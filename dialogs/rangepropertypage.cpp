#include "dialogs/rangepropertypage.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

CRangePropertyPage::CRangePropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Zakres"), PagePicture::kRange,
                 QStringLiteral("Tu możesz określać zakresy osi wykresu.\n"
                                "Zakres osi Y może być również dobierany automatycznie."),
                 parent),
      m_wndAutoX(AddCheck(QStringLiteral("Automatyczny"), QStringLiteral("autoX"))),
      m_wndXMin(AddEdit(QStringLiteral("xMin"))),
      m_wndXMax(AddEdit(QStringLiteral("xMax"))),
      m_wndAutoY(AddCheck(QStringLiteral("Automatyczny"), QStringLiteral("autoY"))),
      m_wndYMin(AddEdit(QStringLiteral("yMin"))),
      m_wndYMax(AddEdit(QStringLiteral("yMax")))
{
    auto* xBox = new QGroupBox(QStringLiteral("Zakres dla osi &X"), this);
    auto* xGrid = new QGridLayout(xBox);
    m_wndAutoX->setParent(xBox);
    m_wndAutoX->hide();
    PlaceUnder(xGrid, 0, 0, QStringLiteral("Od"), m_wndXMin);
    PlaceUnder(xGrid, 0, 1, QStringLiteral("Do"), m_wndXMax);

    auto* yBox = new QGroupBox(QStringLiteral("Zakres dla osi &Y"), this);
    auto* yGrid = new QGridLayout(yBox);
    yGrid->addWidget(m_wndAutoY, 0, 0, 1, 2);
    PlaceUnder(yGrid, 1, 0, QStringLiteral("Od"), m_wndYMin);
    PlaceUnder(yGrid, 1, 1, QStringLiteral("Do"), m_wndYMax);

    Body()->addWidget(xBox);
    Body()->addWidget(yBox);
    Body()->addStretch(1);

    connect(m_wndAutoX, &QCheckBox::clicked, this, &CRangePropertyPage::UpdateEnabling);
    connect(m_wndAutoY, &QCheckBox::clicked, this, &CRangePropertyPage::UpdateEnabling);
}

void CRangePropertyPage::OnInitDialog()
{
    const FunctionContainer& chart = Chart();
    const ChartSettings& s = chart.GetSettings();
    BeginLoad();
    LoadNumber(m_wndXMin, chart.GetXMinText(), s.m_xMin);
    LoadNumber(m_wndXMax, chart.GetXMaxText(), s.m_xMax);
    LoadNumber(m_wndYMin, chart.GetYMinText(), s.m_yMin);
    LoadNumber(m_wndYMax, chart.GetYMaxText(), s.m_yMax);
    m_wndAutoX->setChecked(s.m_bAutoRangeX != 0);
    m_wndAutoY->setChecked(s.m_bAutoRangeY != 0);
    EndLoad();
    UpdateEnabling();
}

void CRangePropertyPage::UpdateEnabling()
{
    m_wndXMin->setEnabled(!m_wndAutoX->isChecked());
    m_wndXMax->setEnabled(!m_wndAutoX->isChecked());
    m_wndYMin->setEnabled(!m_wndAutoY->isChecked());
    m_wndYMax->setEnabled(!m_wndAutoY->isChecked());
}

bool CRangePropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetRange(m_wndAutoX->isChecked(), m_wndAutoY->isChecked(), NumberText(m_wndXMin),
                         NumberText(m_wndXMax), NumberText(m_wndYMin), NumberText(m_wndYMax));
    },
                 {{ChartMessage::kRangeXMin, m_wndXMin},
                  {ChartMessage::kRangeXMax, m_wndXMax},
                  {ChartMessage::kRangeXOrder, m_wndXMax},
                  {ChartMessage::kRangeYMin, m_wndYMin},
                  {ChartMessage::kRangeYMax, m_wndYMax},
                  {ChartMessage::kRangeYOrder, m_wndYMax}});
}
