#pragma once

#include "platform/devicecontext.h"

#include <QFont>
#include <QImage>

#include <map>

class QPainter;

/// The drawing surface on a QPainter: a widget, a QImage, a QPdfWriter, a
/// QSvgGenerator or a QPrinter. Lines and shapes are drawn through the
/// middle of their device pixels, so a line of width 1 covers the pixels the
/// same line drawn without antialiasing sets: antialiased, a slanted line is
/// smooth and a straight one stays one crisp pixel wide; without, the pixels
/// are exactly those of a Windows device. On devices of more than 96 pixels
/// per inch, pen widths and single pixels grow by pixels per inch / 96 so
/// that printed lines stay visible. Text is always smoothed.
class QtDeviceContext : public DeviceContext
{
public:
    /// The painter must be active; its device gives the pixels per inch.
    explicit QtDeviceContext(QPainter& painter, bool antialiased = true);

    int32_t DpiX() const override { return m_dpiX; }
    int32_t DpiY() const override { return m_dpiY; }
    TextMetrics GetTextMetrics() const override;
    TextSize GetTextExtent(std::string_view text) const override;
    TextSize GetTextExtentUtf8(std::string_view utf8) const override;

protected:
    void DeviceLine(POINT from, POINT to) override;
    void DevicePolylines(const std::vector<std::vector<POINT>>& polylines) override;
    void DevicePolygon(const std::vector<POINT>& points) override;
    void DeviceRectangle(const RECT& rect) override;
    void DevicePixel(POINT p, COLORREF color) override;
    void DeviceText(POINT topLeft, std::string_view text) override;
    void DeviceTextUtf8(POINT topLeft, std::string_view utf8) override;
    void DeviceRing(POINT centre, COLORREF color) override;

private:
    QFont Font() const;
    void ApplyPen();
    void ApplyBrush();
    int32_t ScaledWidth(int32_t width) const;
    void DrawQText(POINT topLeft, const QString& text);
    /// Where a device point is drawn with the current pen: the middle of its
    /// pixel when smoothed (for a pen of an odd width).
    QPointF At(POINT p) const;

    QPainter& m_painter;
    int32_t m_dpiX;
    int32_t m_dpiY;
    bool m_bAntialiased;
    /// One ring per colour, copied to every point of a raster surface.
    std::map<COLORREF, QImage> m_rings;
};

/// A QtDeviceContext that measures text as its painter's device does and
/// draws nothing: a chart laid out on it finds the plot rectangle that
/// drawing on that device would, at a small part of the cost.
class QtLayoutDeviceContext : public QtDeviceContext
{
public:
    using QtDeviceContext::QtDeviceContext;

protected:
    void DeviceLine(POINT, POINT) override {}
    void DevicePolylines(const std::vector<std::vector<POINT>>&) override {}
    void DevicePolygon(const std::vector<POINT>&) override {}
    void DeviceRectangle(const RECT&) override {}
    void DevicePixel(POINT, COLORREF) override {}
    void DeviceText(POINT, std::string_view) override {}
    void DeviceTextUtf8(POINT, std::string_view) override {}
    void DeviceRing(POINT, COLORREF) override {}
};
