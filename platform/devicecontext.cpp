#include "platform/devicecontext.h"

#include "platform/cp1250.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

int32_t Add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(a) + b,
                                                    std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// One axis of the mapping: round(value * numerator / denominator), halves
// away from zero, saturated to int32, plus the origin, saturated again (the
// integer scaling of the Windows mapping). Made once for the many points of
// a polyline: the division is done in double where that gives the integer
// quotient, as integer division is slow.
class AxisMapping
{
public:
    AxisMapping(int64_t numerator, int64_t denominator, int32_t origin)
        : m_numerator(numerator), m_denominator(denominator), m_origin(origin)
    {
        if (m_denominator == 0)
            m_denominator = 1;
        if (m_denominator < 0) {
            m_denominator = -m_denominator;
            m_numerator = -m_numerator;
        }
        m_half = static_cast<uint64_t>(m_denominator) / 2;
        m_divisor = static_cast<double>(m_denominator);
    }

    int32_t operator()(int32_t value) const
    {
        // |value| < 2^31 and |numerator| <= 2^31, so the product fits in 63 bits.
        const int64_t product = value * m_numerator;
        const uint64_t dividend =
            (product < 0 ? -static_cast<uint64_t>(product) : static_cast<uint64_t>(product)) + m_half;
        const uint64_t divisor = static_cast<uint64_t>(m_denominator);
        // Below 2^52 the dividend is exact in double and the rounded quotient
        // lies within n / d * 2^-53 < 1 / (2d) of the true one, closer than
        // any fraction r / d is to the next whole number: truncating it
        // gives the integer quotient.
        const uint64_t quotient = dividend < (uint64_t{1} << 52)
                                      ? static_cast<uint64_t>(static_cast<double>(dividend) / m_divisor)
                                      : dividend / divisor;
        const int64_t scaled = product < 0 ? -static_cast<int64_t>(quotient) : static_cast<int64_t>(quotient);
        const int64_t clamped = std::clamp<int64_t>(scaled, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max());
        return Add(static_cast<int32_t>(clamped), m_origin);
    }

private:
    int64_t m_numerator;
    int64_t m_denominator;
    int32_t m_origin;
    uint64_t m_half = 0;
    double m_divisor = 1;
};

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
    const AxisMapping mapX(m_viewportExtX, m_windowExtX, m_viewportOrgX);
    const AxisMapping mapY(m_viewportExtY, m_windowExtY, m_viewportOrgY);
    return {mapX(p.x), mapY(p.y)};
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

POINT DeviceContext::AlignedText(int32_t x, int32_t y, int32_t width) const
{
    POINT p = LogicalToDevice({x, y});
    if ((m_textAlign & TA_CENTER) == TA_CENTER)
        p.x = Add(p.x, -width / 2);
    else if (m_textAlign & TA_RIGHT)
        p.x = Add(p.x, -width);
    if (m_textAlign & TA_BOTTOM)
        p.y = Add(p.y, -GetTextMetrics().tmHeight);
    return p;
}

void DeviceContext::TextOut(int32_t x, int32_t y, std::string_view text)
{
    const bool left = (m_textAlign & TA_CENTER) == TA_LEFT;
    DeviceText(AlignedText(x, y, left ? 0 : GetTextExtent(text).cx), text);
}

void DeviceContext::TextOutUtf8(int32_t x, int32_t y, std::string_view utf8)
{
    const bool left = (m_textAlign & TA_CENTER) == TA_LEFT;
    DeviceTextUtf8(AlignedText(x, y, left ? 0 : GetTextExtentUtf8(utf8).cx), utf8);
}

TextSize DeviceContext::GetTextExtentUtf8(std::string_view utf8) const
{
    return GetTextExtent(Cp1250::FromUtf8(utf8));
}

void DeviceContext::DeviceTextUtf8(POINT topLeft, std::string_view utf8)
{
    DeviceText(topLeft, Cp1250::FromUtf8(utf8));
}

int32_t DeviceContext::RingReach() const
{
    return std::max(6, 6 * DpiY() / 96);
}

void DeviceContext::Ring(POINT centre, COLORREF color)
{
    DeviceRing(LogicalToDevice(centre), color);
}

void DeviceContext::DeviceRing(POINT c, COLORREF color)
{
    const int32_t r = RingReach() * 2 / 3;
    const int32_t d = r * 2 / 5;
    const Pen pen = SelectPen({Pen::kSolid, 1, color});
    DevicePolylines({{{c.x - d, c.y - r}, {c.x + d, c.y - r}, {c.x + r, c.y - d}, {c.x + r, c.y + d},
                      {c.x + d, c.y + r}, {c.x - d, c.y + r}, {c.x - r, c.y + d}, {c.x - r, c.y - d},
                      {c.x - d, c.y - r}}});
    SelectPen(pen);
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
    const AxisMapping mapX(m_viewportExtX, m_windowExtX, m_viewportOrgX);
    const AxisMapping mapY(m_viewportExtY, m_windowExtY, m_viewportOrgY);
    std::vector<std::vector<POINT>> polylines;
    std::size_t next = 0;
    for (uint32_t count : counts) {
        const std::size_t end = std::min(points.size(), next + count);
        std::vector<POINT> device;
        for (std::size_t i = next; i < end; ++i) {
            const POINT p = {mapX(points[i].x), mapY(points[i].y)};
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
