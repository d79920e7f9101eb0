#include "views/tablecelldelegate.h"

#include <QFontMetrics>
#include <QPainter>

#include "chart/chartmath.h"

#include <cmath>

TableCellDelegate::TableCellDelegate(QObject* parent) : QAbstractItemDelegate(parent) {}

void TableCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : option.state & QStyle::State_Active   ? QPalette::Active
                                                                               : QPalette::Inactive;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    UseFont(option.font);
    DrawText(painter, option.rect, text);
}

QSize TableCellDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    const QFontMetrics metrics(option.font);
    return QSize(metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 2 * kMargin,
                 metrics.height() + 4);
}

void TableCellDelegate::UseFont(const QFont& font) const
{
    if (!m_rawFont.isValid() || font != m_font) {
        m_font = font;
        m_rawFont = QRawFont::fromFont(font);
        m_glyphs.fill(Glyph());
        m_run.setRawFont(m_rawFont);
    }
}

const TableCellDelegate::Glyph* TableCellDelegate::Find(QChar c) const
{
    if (c.unicode() >= m_glyphs.size() || !m_rawFont.isValid())
        return nullptr;
    Glyph& glyph = m_glyphs[c.unicode()];
    if (glyph.advance < 0) {
        int count = 1;
        QPointF advance;
        if (!m_rawFont.glyphIndexesForChars(&c, 1, &glyph.index, &count) || count != 1 ||
            glyph.index == 0 || !m_rawFont.advancesForGlyphIndexes(&glyph.index, &advance, 1))
            return nullptr; // missing from the font: drawn the slow way, which finds a fallback
        glyph.advance = advance.x();
    }
    return &glyph;
}

qreal TableCellDelegate::Width(const QString& text) const
{
    qreal width = 0;
    for (QChar c : text) {
        const Glyph* glyph = Find(c);
        if (glyph == nullptr)
            return -1;
        width += glyph->advance;
    }
    return width;
}

QString TableCellDelegate::Fitting(const QString& text, qreal room) const
{
    const qreal width = Width(text);
    if (width < 0 || width <= room)
        return text;
    bool number = false;
    const double value = text.toDouble(&number);
    if (!number || !std::isfinite(value))
        return text;
    for (int digits = 5; digits >= 1; --digits) {
        const QString shorter = QString::fromStdString(FormatG(value, digits));
        if (Width(shorter) <= room)
            return shorter;
    }
    return text;
}

void TableCellDelegate::DrawText(QPainter* painter, const QRect& cell, const QString& cellText) const
{
    const QRect area = cell.adjusted(kMargin, 0, -kMargin, 0);
    const QString text = Fitting(cellText, area.width());
    const qreal room = area.width();
    const Glyph* dot = Find(QLatin1Char('.'));
    m_indexes.clear();
    m_positions.clear();
    qreal x = 0;
    for (QChar c : text) {
        const Glyph* glyph = Find(c);
        if (!glyph || !dot) {
            const QString shown =
                QFontMetrics(m_font).elidedText(text, Qt::ElideRight, area.width());
            painter->save();
            painter->setFont(m_font);
            painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
            painter->restore();
            return;
        }
        m_indexes.push_back(glyph->index);
        m_positions.push_back(QPointF(x, 0));
        x += glyph->advance;
    }
    if (x > room) {
        // Cut at the end, as the list shows a text too wide for its column:
        // keep the glyphs that end early enough to leave room for "...".
        const qreal dots = 3 * dot->advance;
        qsizetype keep = 0;
        for (; keep < m_positions.size(); ++keep) {
            const qreal end = keep + 1 < m_positions.size() ? m_positions[keep + 1].x() : x;
            if (end + dots > room)
                break;
        }
        x = keep < m_positions.size() ? m_positions[keep].x() : x;
        m_indexes.resize(keep);
        m_positions.resize(keep);
        for (int i = 0; i < 3 && x + dot->advance <= room; ++i) {
            m_indexes.push_back(dot->index);
            m_positions.push_back(QPointF(x, 0));
            x += dot->advance;
        }
    }
    m_run.setGlyphIndexes(m_indexes);
    m_run.setPositions(m_positions);
    // The baseline of a line of text centred in the row, on a whole pixel.
    const qreal height = m_rawFont.ascent() + m_rawFont.descent();
    const qreal baseline =
        std::round(area.top() + (area.height() - height) / 2 + m_rawFont.ascent());
    painter->drawGlyphRun(QPointF(area.left(), baseline), m_run);
}
