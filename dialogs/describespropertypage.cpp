#include "dialogs/describespropertypage.h"

#include "chart/functioncontainer.h"
#include "dialogs/colorbutton.h"
#include "dialogs/fontbutton.h"
#include "framework/qtstring.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstring>

namespace {

// The chart keeps 80 characters of each text.
constexpr int kMaxText = 80;

QString FieldText(const char (&field)[81])
{
    return FromCp1250(std::string_view(field, strnlen(field, sizeof field)));
}

} // namespace

CDescribesPropertyPage::CDescribesPropertyPage(FunctionContainer& chart, QWidget* parent)
    : CChartPage(chart, QStringLiteral("Opisy"), PagePicture::kDescriptions,
                 QStringLiteral("Tu możesz zmieniać nagłówek wykresu, jego opis oraz czcionki"),
                 parent),
      m_wndHeader(AddEdit(QStringLiteral("header"))),
      m_wndHeaderVisible(AddCheck(QStringLiteral("Widoczny"), QStringLiteral("headerVisible"))),
      m_wndHeaderFont(new CFontButton(QStringLiteral("&Czcionka..."), this)),
      m_wndCaption(AddEdit(QStringLiteral("caption"))),
      m_wndCaptionVisible(AddCheck(QStringLiteral("Widoczny"), QStringLiteral("captionVisible"))),
      m_wndLegendVisible(AddCheck(QStringLiteral("Widoczna"), QStringLiteral("legendVisible"))),
      m_wndLegendFont(new CFontButton(QStringLiteral("Czcionka..."), this)),
      m_wndLegendBack(new CColorButton(QStringLiteral("Kolor tła..."), this)),
      m_wndFrameVisible(AddCheck(QStringLiteral("Widoczna"), QStringLiteral("frameVisible"))),
      m_wndFrameColor(new CColorButton(QStringLiteral("Kolor..."), this)),
      m_wndBackground(new CColorButton(QStringLiteral("Kolor..."), this))
{
    m_wndHeader->setMaxLength(kMaxText);
    m_wndCaption->setMaxLength(kMaxText);
    m_wndHeaderFont->setObjectName(QStringLiteral("headerFont"));
    m_wndLegendFont->setObjectName(QStringLiteral("legendFont"));
    m_wndLegendBack->setObjectName(QStringLiteral("legendBack"));
    m_wndFrameColor->setObjectName(QStringLiteral("frameColor"));
    m_wndBackground->setObjectName(QStringLiteral("background"));
    for (CFontButton* font : {m_wndHeaderFont, m_wndLegendFont}) {
        font->setAutoDefault(false);
        connect(font, &CFontButton::fontChosen, this, &CChartPage::Changed);
    }
    for (CColorButton* color : {m_wndLegendBack, m_wndFrameColor, m_wndBackground}) {
        color->setAutoDefault(false);
        connect(color, &CColorButton::colorChanged, this, &CChartPage::Changed);
    }

    auto* texts = new QGridLayout;
    auto* headerLabel = new QLabel(QStringLiteral("&Nagłówek"), this);
    headerLabel->setBuddy(m_wndHeader);
    auto* captionLabel = new QLabel(QStringLiteral("&Podpis pod wykresem"), this);
    captionLabel->setBuddy(m_wndCaption);
    texts->addWidget(headerLabel, 0, 0);
    texts->addWidget(m_wndHeader, 1, 0);
    texts->addWidget(m_wndHeaderVisible, 1, 1);
    texts->addWidget(m_wndHeaderFont, 1, 2);
    texts->addWidget(captionLabel, 2, 0);
    texts->addWidget(m_wndCaption, 3, 0);
    texts->addWidget(m_wndCaptionVisible, 3, 1);
    texts->setColumnStretch(0, 1);

    auto* legendBox = new QGroupBox(QStringLiteral("&Legenda"), this);
    auto* legend = new QVBoxLayout(legendBox);
    legend->addWidget(m_wndLegendVisible);
    legend->addWidget(m_wndLegendFont);
    legend->addWidget(m_wndLegendBack);
    auto* frameBox = new QGroupBox(QStringLiteral("&Ramka"), this);
    auto* frame = new QVBoxLayout(frameBox);
    frame->addWidget(m_wndFrameVisible);
    frame->addWidget(m_wndFrameColor);
    frame->addStretch(1);
    auto* backBox = new QGroupBox(QStringLiteral("&Tło"), this);
    auto* back = new QVBoxLayout(backBox);
    back->addWidget(m_wndBackground);
    back->addStretch(1);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(legendBox);
    boxes->addWidget(frameBox);
    boxes->addWidget(backBox);

    Body()->addLayout(texts);
    Body()->addLayout(boxes);
    Body()->addStretch(1);
}

void CDescribesPropertyPage::OnInitDialog()
{
    const ChartSettings& s = Chart().GetSettings();
    BeginLoad();
    m_wndHeader->setText(FieldText(s.m_szHeader));
    m_wndCaption->setText(FieldText(s.m_szCaption));
    m_wndHeaderVisible->setChecked(s.m_bHeaderVisible != 0);
    m_wndCaptionVisible->setChecked(s.m_bCaptionVisible != 0);
    m_wndLegendVisible->setChecked(s.m_bLegendVisible != 0);
    m_wndFrameVisible->setChecked(s.m_bFrameVisible != 0);
    m_wndHeaderFont->SetFont(s.m_lfHeader);
    m_wndHeaderFont->SetColor(s.m_crHeaderText);
    m_wndLegendFont->SetFont(s.m_lfLegend);
    m_wndLegendFont->SetColor(s.m_crLegendText);
    m_wndFrameColor->SetColor(s.m_crFrame);
    m_wndLegendBack->SetColor(s.m_crLegendBack);
    m_wndBackground->SetColor(s.m_crBackground);
    EndLoad();
}

bool CDescribesPropertyPage::OnKillActive()
{
    return Store([this] {
        Chart().SetDescriptions(
            ToCp1250(m_wndHeader->text()), ToCp1250(m_wndCaption->text()),
            m_wndHeaderVisible->isChecked(), m_wndCaptionVisible->isChecked(),
            m_wndLegendVisible->isChecked(), m_wndFrameVisible->isChecked(),
            m_wndHeaderFont->GetColor(), m_wndLegendFont->GetColor(), m_wndFrameColor->GetColor(),
            m_wndLegendBack->GetColor(), m_wndBackground->GetColor(), m_wndHeaderFont->GetFont(),
            m_wndLegendFont->GetFont());
    });
}
