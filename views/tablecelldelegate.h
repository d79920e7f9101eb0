#pragma once

#include <QAbstractItemDelegate>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>

#include <array>

/// Paints the value table's cells: the cell's text, left-aligned on one line
/// and cut with "..." where the column is too narrow, on the selection colour
/// when the row is selected.
///
/// A table shows many short texts of few characters (digits, '.', '-', 'e',
/// '+', "nan", "inf"), so the glyph and advance of every ASCII character are
/// looked up once per font and a cell is drawn as a glyph run, without laying
/// out text. Other characters go through QPainter::drawText.
class TableCellDelegate : public QAbstractItemDelegate
{
    Q_OBJECT

public:
    explicit TableCellDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// Space in pixels between a cell's left edge and its text.
    static constexpr int kMargin = 4;

private:
    struct Glyph
    {
        quint32 index = 0;
        qreal advance = -1; ///< negative: not looked up yet
    };

    void UseFont(const QFont& font) const;
    const Glyph* Find(QChar c) const;
    void DrawText(QPainter* painter, const QRect& cell, const QString& text) const;

    // The glyph cache of the font last painted with.
    mutable QFont m_font;
    mutable QRawFont m_rawFont;
    mutable std::array<Glyph, 128> m_glyphs;
    mutable QGlyphRun m_run;
    mutable QList<quint32> m_indexes;
    mutable QList<QPointF> m_positions;
};
