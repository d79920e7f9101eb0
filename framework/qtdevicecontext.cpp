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

QtDeviceContext::QtDeviceContext(QPainter& painter)
    : m_painter(painter), m_dpiX(painter.device()->logicalDpiX()),
      m_dpiY(painter.device()->logicalDpiY())
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
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

void QtDeviceContext::ApplyPen()
{
    const Pen& pen = CurrentPen();
    QPen qpen(ToQColor(pen.color), ScaledWidth(pen.width));
    qpen.setStyle(pen.style == Pen::kDot ? Qt::DotLine : Qt::SolidLine);
    qpen.setCapStyle(Qt::FlatCap);
    qpen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(qpen);
}

void QtDeviceContext::ApplyBrush()
{
    const Brush& brush = CurrentBrush();
    m_painter.setBrush(brush.hollow ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.color)));
}

void QtDeviceContext::DeviceLine(POINT from, POINT to)
{
    ApplyPen();
    m_painter.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
}

void QtDeviceContext::DevicePolylines(const std::vector<std::vector<POINT>>& polylines)
{
    // Each polyline joins its own segments, and separate polylines never
    // join, so drawing them one by one strokes the same path; Qt's line
    // drawing is many times faster than its path stroker.
    ApplyPen();
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
    QPolygon polygon;
    for (const POINT& p : points)
        polygon << QPoint(p.x, p.y);
    ApplyPen();
    ApplyBrush();
    m_painter.drawPolygon(polygon);
}

void QtDeviceContext::DeviceRectangle(const RECT& rect)
{
    const QRect area(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    if (!CurrentBrush().hollow)
        m_painter.fillRect(area, ToQColor(CurrentBrush().color));
    ApplyPen();
    m_painter.setBrush(Qt::NoBrush);
    // The border covers left ... right - 1 and top ... bottom - 1.
    m_painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void QtDeviceContext::DevicePixel(POINT p, COLORREF color)
{
    const int32_t size = ScaledWidth(1);
    m_painter.fillRect(QRect(p.x - size / 2, p.y - size / 2, size, size), ToQColor(color));
}

void QtDeviceContext::DeviceText(POINT topLeft, std::string_view text)
{
    const QFont font = Font();
    m_painter.setFont(font);
    m_painter.setPen(ToQColor(GetTextColor()));
    const QFontMetrics metrics(font, m_painter.device());
    m_painter.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), DrawnText(text));
}
