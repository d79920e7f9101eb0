#pragma once

#include "platform/wintypes.h"

#include <QPushButton>

/// A push button that shows its colour as a swatch left of its text and lets
/// the user pick another one in the colour dialog. The custom colours of that
/// dialog are shared by every colour button for as long as the program runs.
class CColorButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CColorButton(const QString& text, QWidget* parent = nullptr);

    COLORREF GetColor() const { return m_crColor; }
    /// Shows the colour; sends no notice.
    void SetColor(COLORREF color);

    /// Opens the colour dialog, as a click does.
    void Pick();

    QSize sizeHint() const override;

signals:
    /// The user picked a colour different from the one shown.
    void colorChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_crColor = 0;
};

/// The dialog's view of colours: COLORREF 0x00BBGGRR against QColor.
QColor ToQColor(COLORREF color);
COLORREF ToColorRef(const QColor& color);
