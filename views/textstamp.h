#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QStringList>

#include <map>
#include <utility>
#include <vector>

/// Draws short lines of text into a box image by copying cached glyphs, one
/// image per character and colour, rendered once on the box's background.
/// A readout that follows the pointer changes its numbers at every move;
/// laying the lines out with the text engine each time would cost several
/// times the move itself. Characters are placed at whole-pixel advances,
/// without kerning, which numbers and formulas do not need.
class CTextStamp
{
public:
    explicit CTextStamp(const QFont& font);

    /// The box of the lines: a border, a margin and one line per row.
    QSize Measure(const QStringList& lines);
    /// Pixels a line adds to the box, and the box's height without lines.
    int LineHeight() const { return m_nHeight; }
    int FrameHeight() const;
    /// The colour a line of `color` is written in: the colour itself, or
    /// darkened until it reads on the box with a contrast of at least 3:1.
    QColor Ink(const QColor& color);
    /// Draws the box with each line in its colour (colors: one per line) into
    /// `box`, whose pixels are reused when it has the box's size.
    void Draw(const QStringList& lines, const std::vector<QColor>& colors, QImage& box);

private:
    const QImage& Glyph(QChar c, const QColor& color);
    int Advance(QChar c);

    QFont m_font;
    int m_nHeight;
    int m_nAscent;
    std::map<char16_t, int> m_advances;
    std::map<std::pair<QRgb, char16_t>, QImage> m_glyphs;
    /// The glyphs of ASCII characters by colour, for lookups without a search.
    std::map<QRgb, std::vector<QImage>> m_ascii;
    std::map<QRgb, QColor> m_inks;
};
