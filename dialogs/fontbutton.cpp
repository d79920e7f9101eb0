#include "dialogs/fontbutton.h"

#include "dialogs/colorbutton.h"
#include "framework/qtstring.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>

#include <algorithm>
#include <cstring>

namespace {

// Sizes and weights the dialog can show; a record from a file may hold any.
constexpr int kMaxPointSize = 512;

void SetFaceName(LOGFONTA& record, const QString& family)
{
    const std::string face = ToCp1250(family);
    const std::size_t length = std::min(face.size(), sizeof(record.lfFaceName) - 1);
    std::memset(record.lfFaceName, 0, sizeof(record.lfFaceName));
    std::memcpy(record.lfFaceName, face.data(), length);
}

// The dialog has no colour of its own: a colour button goes into its effects
// box, and the sample shows the text in that colour.
CColorButton* AddColorChoice(QFontDialog& dialog, COLORREF color)
{
    auto* button = new CColorButton(QStringLiteral("&Kolor..."));
    button->setObjectName(QStringLiteral("fontColor"));
    button->SetColor(color);
    QLineEdit* sample = nullptr;
    QGroupBox* effects = nullptr;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        if (QLineEdit* edit = box->findChild<QLineEdit*>())
            sample = edit;
        else if (!effects && box->layout())
            effects = box;
    }
    if (effects)
        effects->layout()->addWidget(button);
    else if (dialog.layout())
        dialog.layout()->addWidget(button);
    auto paintSample = [button, sample] {
        if (!sample)
            return;
        QPalette palette = sample->palette();
        palette.setColor(QPalette::Text, ToQColor(button->GetColor()));
        sample->setPalette(palette);
    };
    paintSample();
    QObject::connect(button, &CColorButton::colorChanged, &dialog, paintSample);
    return button;
}

} // namespace

QFont FontOfRecord(const LOGFONTA& record)
{
    const std::size_t length = strnlen(record.lfFaceName, sizeof(record.lfFaceName));
    QFont font(FromCp1250(std::string_view(record.lfFaceName, length)));
    font.setPointSize(std::clamp(record.lfHeight, 1, kMaxPointSize));
    if (record.lfWeight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(record.lfWeight, 1, 1000)));
    font.setItalic(record.lfItalic != 0);
    font.setUnderline(record.lfUnderline != 0);
    font.setStrikeOut(record.lfStrikeOut != 0);
    return font;
}

CFontButton::CFontButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    connect(this, &QPushButton::clicked, this, &CFontButton::Pick);
}

void CFontButton::Pick()
{
    QFontDialog dialog(this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setOption(QFontDialog::ScalableFonts);
    dialog.setCurrentFont(FontOfRecord(m_lfFont));
    CColorButton* color = AddColorChoice(dialog, m_crColor);
    // What the dialog shows at first may differ from the record (a family
    // resolved to a substitute): only what the user changed is written back.
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dialog.selectedFont();
    if (chosen.family() != shown.family())
        SetFaceName(m_lfFont, chosen.family());
    if (chosen.pointSize() != shown.pointSize() && chosen.pointSize() > 0)
        m_lfFont.lfHeight = chosen.pointSize();
    if (chosen.weight() != shown.weight())
        m_lfFont.lfWeight = chosen.weight();
    if (chosen.italic() != shown.italic())
        m_lfFont.lfItalic = chosen.italic() ? 1 : 0;
    if (chosen.underline() != shown.underline())
        m_lfFont.lfUnderline = chosen.underline() ? 1 : 0;
    if (chosen.strikeOut() != shown.strikeOut())
        m_lfFont.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    m_crColor = color->GetColor();
    emit fontChosen();
}
