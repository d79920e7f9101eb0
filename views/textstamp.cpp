#include "views/textstamp.h"

#include "chart/chartcolors.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QColor kBackground(255, 255, 225);
const QColor kBorder(64, 64, 64);
constexpr int kMargin = 4;

} // namespace

CTextStamp::CTextStamp(const QFont& font) : m_font(font)
{
    const QFontMetricsF metrics(font);
    m_nHeight = static_cast<int>(std::ceil(metrics.height()));
    m_nAscent = static_cast<int>(std::ceil(metrics.ascent()));
}

int CTextStamp::Advance(QChar c)
{
    const auto it = m_advances.find(c.unicode());
    if (it != m_advances.end())
        return it->second;
    const int advance = std::max(1, static_cast<int>(std::lround(QFontMetricsF(m_font).horizontalAdvance(c))));
    m_advances.emplace(c.unicode(), advance);
    return advance;
}

const QImage& CTextStamp::Glyph(QChar c, const QColor& color)
{
    QImage& glyph = m_glyphs[{color.rgb(), c.unicode()}];
    if (glyph.isNull()) {
        glyph = QImage(Advance(c), m_nHeight, QImage::Format_RGB32);
        glyph.fill(kBackground);
        QPainter painter(&glyph);
        painter.setFont(m_font);
        painter.setPen(color);
        painter.drawText(0, m_nAscent, QString(c));
    }
    return glyph;
}

int CTextStamp::FrameHeight() const
{
    return 2 * 2;
}

QColor CTextStamp::Ink(const QColor& color)
{
    const auto it = m_inks.find(color.rgb());
    if (it != m_inks.end())
        return it->second;
    const COLORREF legible = LegibleOn(RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                                           static_cast<uint8_t>(color.blue())),
                                       RGB(static_cast<uint8_t>(kBackground.red()),
                                           static_cast<uint8_t>(kBackground.green()),
                                           static_cast<uint8_t>(kBackground.blue())),
                                       3.0);
    const QColor ink(GetRValue(legible), GetGValue(legible), GetBValue(legible));
    m_inks.emplace(color.rgb(), ink);
    return ink;
}

QSize CTextStamp::Measure(const QStringList& lines)
{
    int width = 0;
    for (const QString& line : lines) {
        int w = 0;
        for (QChar c : line)
            w += Advance(c);
        width = std::max(width, w);
    }
    return QSize(width + 2 * kMargin, m_nHeight * static_cast<int>(lines.size()) + FrameHeight());
}

void CTextStamp::Draw(const QStringList& lines, const std::vector<QColor>& colors, QImage& box)
{
    const QSize size = Measure(lines);
    if (box.size() != size || box.format() != QImage::Format_RGB32)
        box = QImage(size, QImage::Format_RGB32);
    box.fill(kBackground);
    uchar* bits = box.bits();
    const qsizetype stride = box.bytesPerLine();
    const int boxWidth = box.width();
    for (int i = 0; i < lines.size(); ++i) {
        const QColor color = Ink(colors[static_cast<std::size_t>(i)]);
        std::vector<QImage>& ascii = m_ascii[color.rgb()];
        ascii.resize(128);
        int x = kMargin;
        const int top = 2 + i * m_nHeight;
        for (QChar c : lines[i]) {
            const char16_t u = c.unicode();
            QImage* cached = u < 128 ? &ascii[u] : nullptr;
            if (cached != nullptr && cached->isNull())
                *cached = Glyph(c, color);
            const QImage& glyph = cached != nullptr ? *cached : Glyph(c, color);
            const int width = glyph.width();
            if (x + width > boxWidth - 1)
                break;
            // Both opaque RGB32: a row of the glyph is a plain copy.
            const uchar* from = glyph.constBits();
            const qsizetype fromStride = glyph.bytesPerLine();
            uchar* to = bits + top * stride + x * 4;
            for (int y = 0; y < m_nHeight; ++y)
                std::memcpy(to + y * stride, from + y * fromStride, static_cast<std::size_t>(width) * 4);
            x += width;
        }
    }
    // The border, a pixel wide.
    const QRgb border = kBorder.rgb();
    for (int y = 0; y < box.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(box.scanLine(y));
        if (y == 0 || y == box.height() - 1)
            std::fill(row, row + box.width(), border);
        row[0] = border;
        row[box.width() - 1] = border;
    }
}
