#include "dialogs/netpropertypage.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "dialogs/colorbutton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CNetPropertyPage::CNetPropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Siatka i osie"), PagePicture::kGrid,
                 QStringLiteral("Tu możesz skalować siatkę lub wybrać automatyczne skalowanie\n"
                                "Możesz również określać widoczność siatki i osii"),
                 parent),
      m_wndAutoX(AddCheck(QStringLiteral("Automatyczna"), QStringLiteral("autoX"))),
      m_wndGridX(AddEdit(QStringLiteral("gridX"))),
      m_wndAutoY(AddCheck(QStringLiteral("Automatyczna"), QStringLiteral("autoY"))),
      m_wndGridY(AddEdit(QStringLiteral("gridY"))),
      m_wndGridVisible(AddCheck(QStringLiteral("Widoczne"), QStringLiteral("gridVisible"))),
      m_wndGridColor(new CColorButton(QStringLiteral("Kolor..."), this)),
      m_wndAxesVisible(AddCheck(QStringLiteral("Widoczne"), QStringLiteral("axesVisible"))),
      m_wndAxesColor(new CColorButton(QStringLiteral("Kolor..."), this))
{
    m_wndGridColor->setObjectName(QStringLiteral("gridColor"));
    m_wndAxesColor->setObjectName(QStringLiteral("axesColor"));

    auto spacingBox = [this](const QString& title, QCheckBox* automatic, QLineEdit* spacing) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(automatic, 0, 0);
        PlaceUnder(grid, 1, 0, QStringLiteral("Odstępy"), spacing);
        return box;
    };
    auto lookBox = [this](const QString& title, QCheckBox* visible, CColorButton* color) {
        color->setAutoDefault(false);
        connect(color, &CColorButton::colorChanged, this, &CChartPage::Changed);
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        row->addWidget(visible);
        row->addStretch(1);
        row->addWidget(color);
        return box;
    };
    auto* spacings = new QHBoxLayout;
    spacings->addWidget(spacingBox(QStringLiteral("Siatka dla osi &X"), m_wndAutoX, m_wndGridX));
    spacings->addWidget(spacingBox(QStringLiteral("Siatka dla osi &Y"), m_wndAutoY, m_wndGridY));
    auto* looks = new QHBoxLayout;
    looks->addWidget(lookBox(QStringLiteral("Obie &siatki"), m_wndGridVisible, m_wndGridColor));
    looks->addWidget(lookBox(QStringLiteral("&Osie"), m_wndAxesVisible, m_wndAxesColor));
    Body()->addLayout(spacings);
    Body()->addLayout(looks);
    Body()->addStretch(1);

    connect(m_wndAutoX, &QCheckBox::clicked, this, &CNetPropertyPage::UpdateEnabling);
    connect(m_wndAutoY, &QCheckBox::clicked, this, &CNetPropertyPage::UpdateEnabling);
}

void CNetPropertyPage::OnInitDialog()
{
    const FunctionContainer& chart = Chart();
    const ChartSettings& s = chart.GetSettings();
    BeginLoad();
    LoadNumber(m_wndGridX, chart.GetGridXText(), s.m_gridX);
    LoadNumber(m_wndGridY, chart.GetGridYText(), s.m_gridY);
    m_wndAutoX->setChecked(s.m_bAutoGridX != 0);
    m_wndAutoY->setChecked(s.m_bAutoGridY != 0);
    m_wndGridVisible->setChecked(s.m_bGridVisible != 0);
    m_wndAxesVisible->setChecked(s.m_bAxesVisible != 0);
    m_wndGridColor->SetColor(s.m_crGrid);
    m_wndAxesColor->SetColor(s.m_crAxes);
    EndLoad();
    UpdateEnabling();
}

void CNetPropertyPage::UpdateEnabling()
{
    m_wndGridX->setEnabled(!m_wndAutoX->isChecked());
    m_wndGridY->setEnabled(!m_wndAutoY->isChecked());
}

bool CNetPropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetGrid(m_wndAutoX->isChecked(), m_wndAutoY->isChecked(), NumberText(m_wndGridX),
                        NumberText(m_wndGridY), m_wndGridVisible->isChecked(),
                        m_wndAxesVisible->isChecked(), m_wndGridColor->GetColor(),
                        m_wndAxesColor->GetColor());
    },
                 {{ChartMessage::kGridX, m_wndGridX}, {ChartMessage::kGridY, m_wndGridY}});
}
