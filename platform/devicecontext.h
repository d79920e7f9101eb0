#pragma once

#include "platform/wintypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A pen: solid or dotted, width in device pixels at 96 pixels per inch; a
/// pen of style kNone draws no line (a filled shape without a border).
struct Pen
{
    enum Style { kSolid, kDot, kNone };
    Style style = kSolid;
    int32_t width = 1;
    COLORREF color = 0;
    friend bool operator==(const Pen&, const Pen&) = default;
};

/// A brush: solid in a colour, or hollow (fills nothing).
struct Brush
{
    bool hollow = true;
    COLORREF color = 0;
    /// 255 covers what is below; less lets it show through (a shaded area).
    uint8_t opacity = 255;
    friend bool operator==(const Brush&, const Brush&) = default;
};

struct TextMetrics
{
    int32_t tmHeight;          ///< ascent plus descent, device units
    int32_t tmAscent;
    int32_t tmDescent;
    int32_t tmExternalLeading;
    int32_t tmAveCharWidth;
};

struct TextSize
{
    int32_t cx;
    int32_t cy;
};

// Text alignment, combined with |: one horizontal and one vertical.
inline constexpr uint32_t TA_LEFT = 0;
inline constexpr uint32_t TA_RIGHT = 2;
inline constexpr uint32_t TA_CENTER = 6;
inline constexpr uint32_t TA_TOP = 0;
inline constexpr uint32_t TA_BOTTOM = 8;

/// The drawing surface that the chart draws on: screen, image, printer, PDF or
/// SVG behind one interface, in the manner of a Windows device context.
///
/// Drawing takes logical coordinates, which the anisotropic mapping (window
/// extent, viewport origin and extent) turns into device units. That
/// arithmetic is done here, in integers, so every back end receives the same
/// device pixels; a back end only puts device-unit primitives on its surface.
/// Pens, brushes and fonts are values: selecting one returns the one that was
/// selected before, for the caller to select back.
class DeviceContext
{
public:
    virtual ~DeviceContext();

    // Mapping. The window origin is always (0, 0).
    void SetWindowExt(int32_t cx, int32_t cy);
    void SetViewportOrg(int32_t x, int32_t y);
    void SetViewportExt(int32_t cx, int32_t cy);
    /// Back to device units: extents (1, 1), viewport origin (0, 0).
    void ResetMapping();
    POINT LogicalToDevice(POINT p) const;

    /// Device pixels per inch, horizontally and vertically.
    virtual int32_t DpiX() const = 0;
    virtual int32_t DpiY() const = 0;

    Pen SelectPen(const Pen& pen);
    Brush SelectBrush(const Brush& brush);
    /// The font is a LOGFONT whose lfHeight is already in device units
    /// (negative: the character height, as drawing makes it from points).
    LOGFONTA SelectFont(const LOGFONTA& font);
    const Pen& CurrentPen() const { return m_pen; }
    const Brush& CurrentBrush() const { return m_brush; }
    const LOGFONTA& CurrentFont() const { return m_font; }

    // Text, in the selected font.
    virtual TextMetrics GetTextMetrics() const = 0;
    /// Width and height of a text (code page 1250) in device units.
    virtual TextSize GetTextExtent(std::string_view text) const = 0;
    void SetTextAlign(uint32_t align) { m_textAlign = align; }
    void SetTextColor(COLORREF color) { m_textColor = color; }
    COLORREF GetTextColor() const { return m_textColor; }
    /// Text at a logical point, aligned as set; always without a background
    /// box (the transparent mode, the only one a chart uses).
    void TextOut(int32_t x, int32_t y, std::string_view text);
    /// The same for a text in UTF-8, for the few signs that code page 1250
    /// lacks (π on a scale). A back end that draws code page 1250 only gets
    /// such a sign as '?'.
    void TextOutUtf8(int32_t x, int32_t y, std::string_view utf8);
    virtual TextSize GetTextExtentUtf8(std::string_view utf8) const;

    // Drawing in logical coordinates with the selected pen and brush.
    void Line(POINT from, POINT to);
    /// Polylines one after another in `points`, `counts[k]` points each,
    /// stroked together as one path. A polyline of one point is one pixel.
    void PolyPolyline(const std::vector<POINT>& points, const std::vector<uint32_t>& counts);
    void Polygon(const std::vector<POINT>& points);
    /// Border with the pen and inside with the brush, covering left ...
    /// right - 1 and top ... bottom - 1 as a Windows rectangle does; an empty
    /// rectangle draws nothing.
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SetPixel(POINT p, COLORREF color);
    /// The ring of a point of interest centred on a logical point: a circle
    /// in the colour on a white halo, 4 pixels in radius at 96 pixels per
    /// inch (its size in points on every device).
    void Ring(POINT centre, COLORREF color);
    /// Half the size of a ring's box, in device pixels of this device.
    int32_t RingReach() const;

protected:
    // What a back end draws, in device units, with the state above.
    virtual void DeviceLine(POINT from, POINT to) = 0;
    virtual void DevicePolylines(const std::vector<std::vector<POINT>>& polylines) = 0;
    virtual void DevicePolygon(const std::vector<POINT>& points) = 0;
    virtual void DeviceRectangle(const RECT& rect) = 0;
    virtual void DevicePixel(POINT p, COLORREF color) = 0;
    /// Text whose top left corner is at p.
    virtual void DeviceText(POINT topLeft, std::string_view text) = 0;
    virtual void DeviceTextUtf8(POINT topLeft, std::string_view utf8);
    /// A ring as Ring describes it; by default a hollow octagon.
    virtual void DeviceRing(POINT centre, COLORREF color);

private:
    POINT AlignedText(int32_t x, int32_t y, int32_t width) const;

    int32_t m_windowExtX = 1;
    int32_t m_windowExtY = 1;
    int32_t m_viewportOrgX = 0;
    int32_t m_viewportOrgY = 0;
    int32_t m_viewportExtX = 1;
    int32_t m_viewportExtY = 1;
    Pen m_pen;
    Brush m_brush;
    LOGFONTA m_font{};
    uint32_t m_textAlign = TA_LEFT | TA_TOP;
    COLORREF m_textColor = 0;
};
