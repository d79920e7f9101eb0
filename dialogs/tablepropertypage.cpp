#include "dialogs/tablepropertypage.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "dialogs/colorbutton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CTablePropertyPage::CTablePropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Tabela wartości"), PagePicture::kTable,
                 QStringLiteral("Ustawienia dla tabeli wartości funkcji\n"
                                "Tu możesz zmieniać zakres argumentów w tabeli"),
                 parent),
      m_wndSync(AddCheck(QStringLiteral("Synchronizuj z wykresem"), QStringLiteral("sync"))),
      m_wndMin(AddEdit(QStringLiteral("min"))),
      m_wndMax(AddEdit(QStringLiteral("max"))),
      m_wndAutoStep(AddCheck(QStringLiteral("Automatyczny"), QStringLiteral("autoStep"))),
      m_wndStep(AddEdit(QStringLiteral("step"))),
      m_wndText(new CColorButton(QStringLiteral("&Tekst..."), this)),
      m_wndBack(new CColorButton(QStringLiteral("Tł&o..."), this))
{
    m_wndText->setObjectName(QStringLiteral("textColor"));
    m_wndBack->setObjectName(QStringLiteral("backColor"));
    for (CColorButton* color : {m_wndText, m_wndBack}) {
        color->setAutoDefault(false);
        connect(color, &CColorButton::colorChanged, this, &CChartPage::Changed);
    }

    auto* rangeBox = new QGroupBox(QStringLiteral("Zakres &wartości X"), this);
    auto* range = new QGridLayout(rangeBox);
    range->addWidget(m_wndSync, 0, 0, 1, 2);
    PlaceUnder(range, 1, 0, QStringLiteral("Od"), m_wndMin);
    PlaceUnder(range, 1, 1, QStringLiteral("Do"), m_wndMax);

    auto* stepBox = new QGroupBox(QStringLiteral("&Krok"), this);
    auto* step = new QGridLayout(stepBox);
    step->addWidget(m_wndAutoStep, 0, 0);
    PlaceUnder(step, 1, 0, QStringLiteral("Krok"), m_wndStep);

    auto* colorsBox = new QGroupBox(QStringLiteral("Kolory"), this);
    auto* colors = new QVBoxLayout(colorsBox);
    colors->addWidget(m_wndText);
    colors->addWidget(m_wndBack);
    colors->addStretch(1);

    auto* lower = new QHBoxLayout;
    lower->addWidget(stepBox, 1);
    lower->addWidget(colorsBox);
    Body()->addWidget(rangeBox);
    Body()->addLayout(lower);
    Body()->addStretch(1);

    connect(m_wndSync, &QCheckBox::clicked, this, &CTablePropertyPage::UpdateEnabling);
    connect(m_wndAutoStep, &QCheckBox::clicked, this, &CTablePropertyPage::UpdateEnabling);
}

void CTablePropertyPage::OnInitDialog()
{
    const FunctionContainer& chart = Chart();
    const ChartSettings& s = chart.GetSettings();
    BeginLoad();
    m_wndSync->setChecked(s.m_bTableSync != 0);
    m_wndAutoStep->setChecked(s.m_bTableAutoStep != 0);
    LoadNumber(m_wndMin, chart.GetTableXMinText(), s.m_tableXMin);
    LoadNumber(m_wndMax, chart.GetTableXMaxText(), s.m_tableXMax);
    LoadNumber(m_wndStep, chart.GetTableStepText(), s.m_tableStep);
    m_wndText->SetColor(s.m_crTableText);
    m_wndBack->SetColor(s.m_crTableBack);
    EndLoad();
    UpdateEnabling();
}

void CTablePropertyPage::UpdateEnabling()
{
    m_wndMin->setEnabled(!m_wndSync->isChecked());
    m_wndMax->setEnabled(!m_wndSync->isChecked());
    m_wndStep->setEnabled(!m_wndAutoStep->isChecked());
}

bool CTablePropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetTable(m_wndSync->isChecked(), m_wndAutoStep->isChecked(), NumberText(m_wndMin),
                         NumberText(m_wndMax), NumberText(m_wndStep), m_wndText->GetColor(),
                         m_wndBack->GetColor());
    },
                 {{ChartMessage::kTableMin, m_wndMin},
                  {ChartMessage::kTableMax, m_wndMax},
                  {ChartMessage::kTableOrder, m_wndMax},
                  {ChartMessage::kTableStep, m_wndStep},
                  {ChartMessage::kTableStepSign, m_wndStep},
                  {ChartMessage::kTableTooLong, m_wndStep}});
}
