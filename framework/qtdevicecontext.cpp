#include "framework/qtdevicecontext.h"

#include "framework/qtstring.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstring>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Control characters have no glyph, and most of them cannot stand in an SVG
// file at all: every surface draws, and measures, them as spaces.
QString DrawnText(std::string_view text)
{
    QString drawn = FromCp1250(text);
    for (QChar& c : drawn) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return drawn;
}

} // namespace

QtDeviceContext::QtDeviceContext(QPainter& painter, bool antialiased)
    : m_painter(painter), m_dpiX(painter.device()->logicalDpiX()),
      m_dpiY(painter.device()->logicalDpiY()), m_bAntialiased(antialiased)
{
    m_painter.setRenderHint(QPainter::Antialiasing, antialiased);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    // Qt's raster engine strokes lines more than twice as fast under a
    // rectangular clip than under none; clipping to the whole device changes
    // no pixel. Only where nothing clips yet and logical coordinates are the
    // device's, so the rectangle is the device's own.
    QPaintEngine* engine = painter.paintEngine();
    if (engine != nullptr && engine->type() == QPaintEngine::Raster && !painter.hasClipping() &&
        painter.combinedTransform().isIdentity()) {
        const QPaintDevice* device = painter.device();
        m_painter.setClipRect(QRect(0, 0, device->width(), device->height()));
    }
}

int32_t QtDeviceContext::ScaledWidth(int32_t width) const
{
    width = std::max(width, 1);
    if (m_dpiY <= 96)
        return width;
    return std::max(1, (width * m_dpiY + 48) / 96);
}

QFont QtDeviceContext::Font() const
{
    const LOGFONTA& lf = CurrentFont();
    const std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
    QFont font(FromCp1250(face));
    // Negative heights are the character height, positive ones the cell
    // height; both are taken as the pixel size, which is what a chart asks.
    font.setPixelSize(std::clamp(std::abs(lf.lfHeight), 1, 4096));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.lfWeight == 0 ? 400 : lf.lfWeight, 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

TextMetrics QtDeviceContext::GetTextMetrics() const
{
    const QFontMetrics metrics(Font(), m_painter.device());
    return {metrics.ascent() + metrics.descent(), metrics.ascent(), metrics.descent(),
            std::max(metrics.leading(), 0), metrics.averageCharWidth()};
}

TextSize QtDeviceContext::GetTextExtent(std::string_view text) const
{
    const QFontMetrics metrics(Font(), m_painter.device());
    return {metrics.horizontalAdvance(DrawnText(text)), metrics.ascent() + metrics.descent()};
}

QPointF QtDeviceContext::At(POINT p) const
{
    // An odd width is centred on the middle of the pixels, an even one on
    // their edge, which is where the unsmoothed drawing puts them.
    const bool odd = ScaledWidth(CurrentPen().width) % 2 == 1;
    const double middle = m_bAntialiased && odd ? 0.5 : 0.0;
    return QPointF(p.x + middle, p.y + middle);
}

void QtDeviceContext::ApplyPen()
{
    const Pen& pen = CurrentPen();
    if (pen.style == Pen::kNone) {
        m_painter.setPen(Qt::NoPen);
        return;
    }
    QPen qpen(ToQColor(pen.color), ScaledWidth(pen.width));
    qpen.setStyle(pen.style == Pen::kDot ? Qt::DotLine : Qt::SolidLine);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(qpen);
}

void QtDeviceContext::ApplyBrush()
{
    const Brush& brush = CurrentBrush();
    QColor color = ToQColor(brush.color);
    color.setAlpha(brush.opacity);
    m_painter.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(color));
}

void QtDeviceContext::DeviceLine(POINT from, POINT to)
{
    ApplyPen();
    // A slanted line is smoothed; one along a pixel row or column is the
    // same either way, pixel for pixel, ends included.
    if (m_bAntialiased && from.x != to.x && from.y != to.y) {
        m_painter.drawLine(At(from), At(to));
        return;
    }
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
    m_painter.setRenderHint(QPainter::Antialiasing, m_bAntialiased);
}

void QtDeviceContext::DevicePolylines(const std::vector<std::vector<POINT>>& polylines)
{
    // Each polyline joins its own segments, and separate polylines never
    // join, so drawing them one by one strokes the same path; Qt's line
    // drawing is many times faster than its path stroker.
    ApplyPen();
    if (m_bAntialiased) {
        QPolygonF polygon;
        for (const std::vector<POINT>& line : polylines) {
            polygon.resize(static_cast<qsizetype>(line.size()));
            for (std::size_t i = 0; i < line.size(); ++i)
                polygon[static_cast<qsizetype>(i)] = At(line[i]);
            m_painter.drawPolyline(polygon);
        }
        return;
    }
    QPolygon polygon;
    for (const std::vector<POINT>& line : polylines) {
        polygon.resize(static_cast<qsizetype>(line.size()));
        for (std::size_t i = 0; i < line.size(); ++i)
            polygon[static_cast<qsizetype>(i)] = QPoint(line[i].x, line[i].y);
        m_painter.drawPolyline(polygon);
    }
}

void QtDeviceContext::DevicePolygon(const std::vector<POINT>& points)
{
    ApplyPen();
    ApplyBrush();
    if (m_bAntialiased) {
        QPolygonF polygon;
        for (const POINT& p : points)
            polygon << At(p);
        m_painter.drawPolygon(polygon);
        return;
    }
    QPolygon polygon;
    for (const POINT& p : points)
        polygon << QPoint(p.x, p.y);
    m_painter.drawPolygon(polygon);
}

void QtDeviceContext::DeviceRectangle(const RECT& rect)
{
    const QRect area(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (!CurrentBrush().hollow) {
        QColor fill = ToQColor(CurrentBrush().color);
        fill.setAlpha(CurrentBrush().opacity);
        m_painter.fillRect(area, fill);
    }
    ApplyPen();
    m_painter.setBrush(Qt::NoBrush);
    // The border covers left ... right - 1 and top ... bottom - 1.
    if (m_bAntialiased)
        m_painter.drawRect(QRectF(At({rect.left, rect.top}), QSizeF(area.width() - 1, area.height() - 1)));
    else
        m_painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void QtDeviceContext::DevicePixel(POINT p, COLORREF color)
{
    const int32_t size = ScaledWidth(1);
    m_painter.fillRect(QRect(p.x - size / 2, p.y - size / 2, size, size), ToQColor(color));
}

TextSize QtDeviceContext::GetTextExtentUtf8(std::string_view utf8) const
{
    const QFontMetrics metrics(Font(), m_painter.device());
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return {metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent()};
}

void QtDeviceContext::DrawQText(POINT topLeft, const QString& text)
{
    const QFont font = Font();
    m_painter.setFont(font);
    m_painter.setPen(ToQColor(GetTextColor()));
    const QFontMetrics metrics(font, m_painter.device());
    m_painter.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), text);
}

void QtDeviceContext::DeviceText(POINT topLeft, std::string_view text)
{
    DrawQText(topLeft, DrawnText(text));
}

void QtDeviceContext::DeviceTextUtf8(POINT topLeft, std::string_view utf8)
{
    DrawQText(topLeft, QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void QtDeviceContext::DeviceRing(POINT centre, COLORREF color)
{
    // A circle of 4 pixels at 96 pixels per inch in the colour, on a white
    // halo that keeps it apart from the curve and the grid; always smooth.
    const double scale = std::max(1.0, m_dpiY / 96.0);
    auto paint = [&](QPainter& p, QPointF at) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 3 * scale));
        p.drawEllipse(at, 4 * scale, 4 * scale);
        p.setPen(QPen(ToQColor(color), 1.5 * scale));
        p.drawEllipse(at, 4 * scale, 4 * scale);
    };
    const QPaintEngine* engine = m_painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster || scale > 1) {
        m_painter.save();
        paint(m_painter, QPointF(centre.x + 0.5, centre.y + 0.5));
        m_painter.restore();
        return;
    }
    // On an image, one sprite per colour copied to every point: a chart may
    // ring hundreds of points.
    QImage& sprite = m_rings[color];
    if (sprite.isNull()) {
        sprite = QImage(13, 13, QImage::Format_ARGB32_Premultiplied);
        sprite.fill(Qt::transparent);
        QPainter p(&sprite);
        paint(p, QPointF(6.5, 6.5));
    }
    m_painter.drawImage(QPoint(centre.x - 6, centre.y - 6), sprite);
}
