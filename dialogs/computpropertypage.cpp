#include "dialogs/computpropertypage.h"

#include "chart/functioncontainer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kMinSteps = 100;
constexpr int kMaxSteps = 10000;

} // namespace

CComputPropertyPage::CComputPropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Obliczenia"), PagePicture::kComputation,
                 QStringLiteral("Tu możesz zmieniać jakość wykresów i inne parametry obliczeń"),
                 parent),
      m_wndQuality(new QSlider(Qt::Horizontal, this)),
      m_wndPercent(new QLineEdit(this)),
      m_wndDegrees(new QRadioButton(QStringLiteral("&Stopnie"), this)),
      m_wndRadians(new QRadioButton(QStringLiteral("&Radiany"), this)),
      m_wndJoinPoints(AddCheck(QStringLiteral("Łączenie &punktów"), QStringLiteral("joinPoints")))
{
    m_wndQuality->setObjectName(QStringLiteral("quality"));
    m_wndPercent->setObjectName(QStringLiteral("percent"));
    m_wndDegrees->setObjectName(QStringLiteral("degrees"));
    m_wndRadians->setObjectName(QStringLiteral("radians"));
    m_wndPercent->setReadOnly(true);
    m_wndPercent->setMaximumWidth(m_wndPercent->fontMetrics().horizontalAdvance(
                                      QStringLiteral("0000%")) + 16);

    m_wndQuality->setRange(kMinSteps, kMaxSteps);
    m_wndQuality->setTickPosition(QSlider::TicksBothSides);
    m_wndQuality->setTickInterval(198);
    m_wndQuality->setSingleStep(100);
    m_wndQuality->setPageStep((kMaxSteps - kMinSteps) / 5);

    auto* qualityLabel = new QLabel(QStringLiteral("&Jakość wykresu"), this);
    qualityLabel->setBuddy(m_wndQuality);
    auto* quality = new QHBoxLayout;
    quality->addWidget(qualityLabel);
    quality->addWidget(m_wndPercent);
    quality->addStretch(1);
    auto* slider = new QHBoxLayout;
    slider->addWidget(new QLabel(QStringLiteral("Min"), this));
    slider->addWidget(m_wndQuality, 1);
    slider->addWidget(new QLabel(QStringLiteral("Max"), this));

    // The two buttons share one flag; they are exclusive within their box.
    auto* unitsBox = new QGroupBox(QStringLiteral("Jednostki dla &kątów"), this);
    auto* units = new QHBoxLayout(unitsBox);
    units->addWidget(m_wndDegrees);
    units->addWidget(m_wndRadians);
    units->addStretch(1);
    auto* group = new QButtonGroup(this);
    group->addButton(m_wndDegrees);
    group->addButton(m_wndRadians);

    Body()->addLayout(quality);
    Body()->addLayout(slider);
    Body()->addWidget(unitsBox);
    Body()->addWidget(m_wndJoinPoints);
    Body()->addStretch(1);

    connect(m_wndQuality, &QSlider::valueChanged, this, [this] {
        Changed();
        ShowQuality();
    });
    connect(m_wndDegrees, &QRadioButton::clicked, this, [this] {
        if (!m_bDegrees) {
            m_bDegrees = true;
            Changed();
        }
    });
    connect(m_wndRadians, &QRadioButton::clicked, this, [this] {
        if (m_bDegrees) {
            m_bDegrees = false;
            Changed();
        }
    });
}

void CComputPropertyPage::OnInitDialog()
{
    const ChartSettings& s = Chart().GetSettings();
    BeginLoad();
    m_wndQuality->setValue(s.m_nPoints);
    m_bDegrees = s.m_bDegrees != 0;
    (m_bDegrees ? m_wndDegrees : m_wndRadians)->setChecked(true);
    m_wndJoinPoints->setChecked(s.m_bJoinPoints != 0);
    ShowQuality();
    EndLoad();
}

void CComputPropertyPage::ShowQuality()
{
    // Per cent of the most steps, in whole numbers: 100 steps are 1 %.
    const int percent = m_wndQuality->value() * 100 / kMaxSteps;
    m_wndPercent->setText(QString::asprintf("%d%%", percent));
}

bool CComputPropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetComputation(m_wndQuality->value(), m_bDegrees, m_wndJoinPoints->isChecked());
    });
}
