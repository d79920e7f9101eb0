#pragma once

#include "platform/wintypes.h"

#include <QPushButton>

class QFont;

/// A push button that holds a font record and a text colour and lets the user
/// change both in the font dialog. Fields of the record that the dialog does
/// not show (width, escapement, character set, quality, ...) keep their bytes,
/// and so do the shown ones the user left alone.
class CFontButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CFontButton(const QString& text, QWidget* parent = nullptr);

    const LOGFONTA& GetFont() const { return m_lfFont; }
    void SetFont(const LOGFONTA& font) { m_lfFont = font; }
    COLORREF GetColor() const { return m_crColor; }
    void SetColor(COLORREF color) { m_crColor = color; }

    /// Opens the font dialog, as a click does.
    void Pick();

signals:
    /// The user confirmed the font dialog, changed or not.
    void fontChosen();

private:
    LOGFONTA m_lfFont{};
    COLORREF m_crColor = 0;
};

/// The font a record describes, its height read as points.
QFont FontOfRecord(const LOGFONTA& record);
