#pragma once

#include <QAbstractItemDelegate>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>

#include <array>

/// Paints the value table's cells: the cell's text, left-aligned on one line,
/// on the selection colour when the row is selected. A number too wide for
/// its column is written with as many significant digits as fit (2.44929e-16
/// as 2.4e-16), never cut; only a text that is no number, or a number whose
/// one digit does not fit, is cut with "...".
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
    /// The width of a text in the cell font; negative when a character is
    /// not in the glyph cache.
    qreal Width(const QString& text) const;
    /// The number of `text` with fewer significant digits, so it fits in
    /// `room`; the text itself when it fits or is no number.
    QString Fitting(const QString& text, qreal room) const;

    // The glyph cache of the font last painted with.
    mutable QFont m_font;
    mutable QRawFont m_rawFont;
    mutable std::array<Glyph, 128> m_glyphs;
    mutable QGlyphRun m_run;
    mutable QList<quint32> m_indexes;
    mutable QList<QPointF> m_positions;
};
