#include "dialogs/colorbutton.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include <array>

namespace {

// The custom colours of the colour dialog, kept for the run only: each dialog
// starts from them and leaves its changes in them.
std::array<QRgb, 16>& CustomColors()
{
    static std::array<QRgb, 16> colors = [] {
        std::array<QRgb, 16> white;
        white.fill(qRgb(255, 255, 255));
        return white;
    }();
    return colors;
}

} // namespace

QColor ToQColor(COLORREF color)
{
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF ToColorRef(const QColor& color)
{
    return RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
               static_cast<uint8_t>(color.blue()));
}

CColorButton::CColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    connect(this, &QPushButton::clicked, this, &CColorButton::Pick);
}

void CColorButton::SetColor(COLORREF color)
{
    m_crColor = color;
    update();
}

void CColorButton::Pick()
{
    std::array<QRgb, 16>& custom = CustomColors();
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, QColor::fromRgb(custom[static_cast<std::size_t>(i)]));
    QColorDialog dialog(ToQColor(m_crColor), this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i)
        custom[static_cast<std::size_t>(i)] = QColorDialog::customColor(i).rgb();
    if (!confirmed)
        return;
    const COLORREF chosen = ToColorRef(dialog.selectedColor());
    if (chosen == m_crColor)
        return;
    SetColor(chosen);
    emit colorChanged();
}

QSize CColorButton::sizeHint() const
{
    // Room for the swatch left of the text.
    QSize size = QPushButton::sizeHint();
    size.rwidth() += size.height();
    return size;
}

void CColorButton::paintEvent(QPaintEvent*)
{
    // The button face without its text, then the swatch in a square inset by
    // 5 pixels at the left and the text beside it.
    QPainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &p, this);

    const QRect r = rect();
    const int h = r.height();
    const QRect swatch(r.left() + 5, r.top() + 5, h - 10, h - 10);
    const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText);
    p.fillRect(swatch, isEnabled() ? ToQColor(m_crColor) : palette().color(QPalette::Button));
    p.setPen(ink);
    p.drawRect(swatch.adjusted(0, 0, -1, -1));

    QRect textRect = r;
    textRect.setLeft(r.left() + h);
    textRect.setBottom(r.bottom() - 1);
    style()->drawItemText(&p, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                          palette(), isEnabled(), text(), QPalette::ButtonText);
}
