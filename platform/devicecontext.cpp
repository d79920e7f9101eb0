#include "platform/devicecontext.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// round(value * numerator / denominator), halves away from zero, saturated
// to int32: the integer scaling of the Windows mapping.
int32_t Scale(int64_t value, int64_t numerator, int64_t denominator)
{
    if (denominator == 0)
        denominator = 1;
    if (denominator < 0) {
        denominator = -denominator;
        numerator = -numerator;
    }
    // |value| < 2^31 and |numerator| < 2^31, so the product fits in 63 bits.
    const int64_t product = value * numerator;
    const int64_t half = denominator / 2;
    const int64_t quotient = product >= 0 ? (product + half) / denominator
                                          : -((-product + half) / denominator);
    return static_cast<int32_t>(std::clamp<int64_t>(quotient, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t Add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(a) + b,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

DeviceContext::~DeviceContext() = default;

void DeviceContext::SetWindowExt(int32_t cx, int32_t cy)
{
    m_windowExtX = cx;
    m_windowExtY = cy;
}

void DeviceContext::SetViewportOrg(int32_t x, int32_t y)
{
    m_viewportOrgX = x;
    m_viewportOrgY = y;
}

void DeviceContext::SetViewportExt(int32_t cx, int32_t cy)
{
    m_viewportExtX = cx;
    m_viewportExtY = cy;
}

void DeviceContext::ResetMapping()
{
    SetViewportExt(1, 1);
    SetWindowExt(1, 1);
    SetViewportOrg(0, 0);
}

POINT DeviceContext::LogicalToDevice(POINT p) const
{
    return {Add(Scale(p.x, m_viewportExtX, m_windowExtX), m_viewportOrgX),
            Add(Scale(p.y, m_viewportExtY, m_windowExtY), m_viewportOrgY)};
}

Pen DeviceContext::SelectPen(const Pen& pen)
{
    return std::exchange(m_pen, pen);
}

Brush DeviceContext::SelectBrush(const Brush& brush)
{
    return std::exchange(m_brush, brush);
}

LOGFONTA DeviceContext::SelectFont(const LOGFONTA& font)
{
    return std::exchange(m_font, font);
}

void DeviceContext::TextOut(int32_t x, int32_t y, std::string_view text)
{
    POINT p = LogicalToDevice({x, y});
    if ((m_textAlign & TA_CENTER) == TA_CENTER)
        p.x = Add(p.x, -GetTextExtent(text).cx / 2);
    else if (m_textAlign & TA_RIGHT)
        p.x = Add(p.x, -GetTextExtent(text).cx);
    if (m_textAlign & TA_BOTTOM)
        p.y = Add(p.y, -GetTextMetrics().tmHeight);
    DeviceText(p, text);
}

void DeviceContext::Line(POINT from, POINT to)
{
    DeviceLine(LogicalToDevice(from), LogicalToDevice(to));
}

void DeviceContext::PolyPolyline(const std::vector<POINT>& points,
                                 const std::vector<uint32_t>& counts)
{
    // A curve has several samples to a device pixel. A point equal to the one
    // before it adds no segment, so it is left out before the back end sees
    // it; a polyline that shrinks to one point is that pixel.
    std::vector<std::vector<POINT>> polylines;
    std::size_t next = 0;
    for (uint32_t count : counts) {
        const std::size_t end = std::min(points.size(), next + count);
        std::vector<POINT> device;
        for (std::size_t i = next; i < end; ++i) {
            const POINT p = LogicalToDevice(points[i]);
            if (device.empty() || !(device.back() == p))
                device.push_back(p);
        }
        if (device.size() == 1)
            DevicePixel(device[0], m_pen.color);
        else if (device.size() > 1)
            polylines.push_back(std::move(device));
        next = end;
    }
    if (!polylines.empty())
        DevicePolylines(polylines);
}

void DeviceContext::Polygon(const std::vector<POINT>& points)
{
    std::vector<POINT> device;
    device.reserve(points.size());
    for (const POINT& p : points)
        device.push_back(LogicalToDevice(p));
    DevicePolygon(device);
}

void DeviceContext::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    const POINT a = LogicalToDevice({left, top});
    const POINT b = LogicalToDevice({right, bottom});
    const RECT rect = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                       std::max(a.y, b.y)};
    if (rect.right > rect.left && rect.bottom > rect.top)
        DeviceRectangle(rect);
}

void DeviceContext::SetPixel(POINT p, COLORREF color)
{
    DevicePixel(LogicalToDevice(p), color);
}
