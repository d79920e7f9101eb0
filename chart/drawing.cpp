#include "chart/chartmath.h"
#include "chart/functioncontainer.h"

#include "platform/devicecontext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Sizes that a record from a file may hold but no layout can use: fonts are
// at most 1000 points, and the text sizes the device reports are bounded so
// the layout's integer arithmetic cannot overflow.
constexpr int32_t kMaxFontPoints = 1000;
constexpr int32_t kMaxTextSize = 1 << 24;

// A chart font on this device: the stored height is in points.
LOGFONTA DeviceFont(const LOGFONTA& font, const DeviceContext& dc)
{
    LOGFONTA device = font;
    device.lfHeight = -MulDiv(std::clamp(font.lfHeight, -kMaxFontPoints, kMaxFontPoints), dc.DpiY(), 72);
    device.lfWidth = 0;
    return device;
}

int32_t Bounded(int32_t size)
{
    return std::clamp(size, 0, kMaxTextSize);
}

TextMetrics Metrics(const DeviceContext& dc)
{
    TextMetrics tm = dc.GetTextMetrics();
    tm.tmHeight = Bounded(tm.tmHeight);
    tm.tmExternalLeading = Bounded(tm.tmExternalLeading);
    tm.tmAveCharWidth = Bounded(tm.tmAveCharWidth);
    return tm;
}

TextSize Extent(const DeviceContext& dc, std::string_view text)
{
    const TextSize size = dc.GetTextExtent(text);
    return {Bounded(size.cx), Bounded(size.cy)};
}

Pen SolidPen(int32_t width, COLORREF color)
{
    return {Pen::kSolid, width, color};
}

// The offsets from min of the multiples of spacing within min ... max, as a
// running sum from the first one. None when the spacing is not positive or
// would give more lines than `limit` (the pixels there are to draw them on).
std::vector<double> TickOffsets(double min, double max, double spacing, int32_t limit)
{
    std::vector<double> offsets;
    if (!(spacing > 0) || !(max > min))
        return offsets;
    const double first = (-min) - std::floor(-min / spacing) * spacing;
    const double count = std::floor((max - min - first) / spacing) + 1;
    if (!(count <= std::max(limit, 1)))
        return offsets;
    const std::size_t bound = static_cast<std::size_t>(std::max(count, 0.0)) + 1;
    for (double v = first; v <= max - min && offsets.size() < bound; v += spacing)
        offsets.push_back(v);
    return offsets;
}

// The labels at min + each offset; a value that is 0 up to rounding reads 0.
std::vector<std::string> TickLabels(const std::vector<double>& offsets, double min)
{
    std::vector<double> values;
    values.reserve(offsets.size());
    for (double v : offsets)
        values.push_back(SnapToZero(v + min));
    return DistinctLabels(values);
}

void SetPlotMapping(DeviceContext& dc, const RECT& r)
{
    dc.SetWindowExt(FunctionContainer::kLogicalWidth, FunctionContainer::kLogicalHeight);
    dc.SetViewportOrg(r.left, r.bottom - 1);
    dc.SetViewportExt(r.right - r.left - 1, -(r.bottom - r.top - 1));
}

// Device units with the origin moved, for the scale labels.
void SetDeviceOrigin(DeviceContext& dc, int32_t x, int32_t y)
{
    dc.ResetMapping();
    dc.SetViewportOrg(x, y);
}

int32_t NonZero(int32_t v)
{
    return v == 0 ? 1 : v;
}

} // namespace

void FunctionContainer::Draw(DeviceContext& dc, const RECT& target)
{
    const ChartSettings& s = m_settings;
    const double sx = kLogicalWidth / (s.m_xMax - s.m_xMin);
    const double sy = kLogicalHeight / (s.m_yMax - s.m_yMin);
    const Pen oldPen = dc.CurrentPen();
    const Brush oldBrush = dc.CurrentBrush();
    const LOGFONTA oldFont = dc.CurrentFont();
    RECT r = target;

    if (s.m_bHeaderVisible || s.m_bCaptionVisible)
        DrawTitles(dc, r);
    if (s.m_bScaleXVisible || s.m_bScaleYVisible)
        DrawScales(dc, r, target, sx, sy);

    SetPlotMapping(dc, r);
    if (s.m_bGridVisible)
        DrawGrid(dc, target, sx, sy);
    if ((s.m_xMin <= 0 && 0 <= s.m_xMax) || (s.m_yMin <= 0 && 0 <= s.m_yMax))
        DrawAxes(dc, r, sx, sy);
    DrawCurves(dc);
    if (s.m_bFrameVisible)
        DrawFrame(dc);
    dc.ResetMapping();

    if (s.m_bLegendVisible)
        DrawLegend(dc, r);
    m_rcPlot = r;

    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    dc.SelectFont(oldFont);
}

void FunctionContainer::DrawTitles(DeviceContext& dc, RECT& r) const
{
    const ChartSettings& s = m_settings;
    const LOGFONTA oldFont = dc.SelectFont(DeviceFont(s.m_lfHeader, dc));
    dc.SetTextColor(s.m_crHeaderText);
    const TextMetrics tm = Metrics(dc);
    const int32_t h = tm.tmHeight;
    const int32_t e = tm.tmExternalLeading;
    // Centred on the target rectangle, wherever it lies on the device.
    const int32_t centre = r.left + (r.right - r.left) / 2;
    if (s.m_bHeaderVisible) {
        dc.SetTextAlign(TA_CENTER | TA_TOP);
        dc.TextOut(centre, r.top, std::string(s.m_szHeader, strnlen(s.m_szHeader, 80)));
        // A quarter line of space below the header.
        r.top += e + h * 5 / 4;
    }
    if (s.m_bCaptionVisible) {
        dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
        dc.TextOut(centre, r.bottom, std::string(s.m_szCaption, strnlen(s.m_szCaption, 80)));
        r.bottom -= e + h;
    }
    dc.SelectFont(oldFont);
}

void FunctionContainer::DrawScales(DeviceContext& dc, RECT& r, const RECT& target, double sx,
                                   double sy) const
{
    const ChartSettings& s = m_settings;
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crFrame));
    const LOGFONTA oldFont = dc.SelectFont(DeviceFont(s.m_lfScale, dc));
    dc.SetTextColor(s.m_crScaleText);
    const TextMetrics tm = Metrics(dc);
    const int32_t h = tm.tmHeight;
    const int32_t third = h / 3;

    if (s.m_bScaleXVisible) {
        r.bottom -= tm.tmExternalLeading + third + h;
        if (!s.m_bHeaderVisible)
            r.top += third;
    }
    if (s.m_bScaleYVisible) {
        const std::vector<double> ticks = TickOffsets(s.m_yMin, s.m_yMax, s.m_scaleStepY,
                                                      target.bottom - target.top);
        const std::vector<std::string> labels = TickLabels(ticks, s.m_yMin);
        const double p = (r.bottom - r.top - 1) / (s.m_yMax - s.m_yMin);
        int32_t widest = 0;
        for (const std::string& label : labels)
            widest = std::max(widest, Extent(dc, label).cx);
        r.right -= tm.tmAveCharWidth;
        r.left += widest + 2 * third;

        // Right-aligned a third of a line left of the plot, centred on the tick.
        dc.SetTextAlign(TA_RIGHT | TA_TOP);
        SetDeviceOrigin(dc, r.left, r.bottom - 1);
        for (std::size_t i = 0; i < ticks.size(); ++i)
            dc.TextOut(-third, SaturateToInt32(-(ticks[i] * p) - h / 2), labels[i]);

        SetPlotMapping(dc, r);
        const int32_t tick = SaturateToInt32(-32000.0 * third / NonZero(r.right - r.left));
        for (double v : ticks) {
            const int32_t y = SaturateToInt32(v * sy);
            dc.Line({0, y}, {tick, y});
        }
        dc.ResetMapping();
    }

    if (s.m_bScaleXVisible) {
        const std::vector<double> ticks = TickOffsets(s.m_xMin, s.m_xMax, s.m_scaleStepX,
                                                      target.right - target.left);
        const std::vector<std::string> labels = TickLabels(ticks, s.m_xMin);
        const double p = (r.right - r.left - 1) / (s.m_xMax - s.m_xMin);
        dc.SetTextAlign(TA_CENTER | TA_TOP);
        SetDeviceOrigin(dc, r.left, r.bottom - 1);
        for (std::size_t i = 0; i < ticks.size(); ++i)
            dc.TextOut(SaturateToInt32(ticks[i] * p), third, labels[i]);

        SetPlotMapping(dc, r);
        const int32_t tick = SaturateToInt32(-24000.0 * third / NonZero(r.bottom - r.top));
        for (double v : ticks) {
            const int32_t x = SaturateToInt32(v * sx);
            dc.Line({x, 0}, {x, tick});
        }
        dc.ResetMapping();
    }
    dc.SelectPen(oldPen);
    dc.SelectFont(oldFont);
}

std::vector<std::string> FunctionContainer::GetScaleLabels(bool horizontal, int32_t extent) const
{
    const ChartSettings& s = m_settings;
    if (horizontal)
        return TickLabels(TickOffsets(s.m_xMin, s.m_xMax, s.m_scaleStepX, extent), s.m_xMin);
    return TickLabels(TickOffsets(s.m_yMin, s.m_yMax, s.m_scaleStepY, extent), s.m_yMin);
}

void FunctionContainer::DrawGrid(DeviceContext& dc, const RECT& target, double sx,
                                 double sy) const
{
    const ChartSettings& s = m_settings;
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crGrid));
    for (double v : TickOffsets(s.m_xMin, s.m_xMax, s.m_gridX, target.right - target.left)) {
        const int32_t x = SaturateToInt32(v * sx);
        dc.Line({x, 0}, {x, kLogicalHeight});
    }
    for (double v : TickOffsets(s.m_yMin, s.m_yMax, s.m_gridY, target.bottom - target.top)) {
        const int32_t y = SaturateToInt32(v * sy);
        dc.Line({0, y}, {kLogicalWidth, y});
    }
    dc.SelectPen(oldPen);
}

void FunctionContainer::DrawAxes(DeviceContext& dc, const RECT& r, double sx, double sy) const
{
    const ChartSettings& s = m_settings;
    // The arrowhead is 9 points long on every device.
    const int32_t a = 9 * dc.DpiY() / 72;
    const int32_t aw = static_cast<int32_t>(static_cast<int64_t>(a) * kLogicalWidth / NonZero(r.right - r.left));
    const int32_t ah = static_cast<int32_t>(static_cast<int64_t>(a) * kLogicalHeight / NonZero(r.bottom - r.top));
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crAxes));
    const Brush oldBrush = dc.SelectBrush({false, s.m_crAxes});
    if (s.m_xMin <= 0 && 0 <= s.m_xMax) {
        const double x0f = -s.m_xMin * sx;
        const int32_t x0 = SaturateToInt32(x0f);
        dc.Line({x0, 0}, {x0, kLogicalHeight});
        dc.Polygon({{SaturateToInt32(x0f - aw / 4), kLogicalHeight - ah},
                    {x0, kLogicalHeight},
                    {SaturateToInt32(x0f + aw / 4), kLogicalHeight - ah}});
    }
    if (s.m_yMin <= 0 && 0 <= s.m_yMax) {
        const double y0f = -s.m_yMin * sy;
        const int32_t y0 = SaturateToInt32(y0f);
        dc.Line({0, y0}, {kLogicalWidth, y0});
        dc.Polygon({{kLogicalWidth - aw, SaturateToInt32(y0f - ah / 4)},
                    {kLogicalWidth, y0},
                    {kLogicalWidth - aw, SaturateToInt32(y0f + ah / 4)}});
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

void FunctionContainer::DrawCurves(DeviceContext& dc) const
{
    for (const FunctionEntry& f : m_functions) {
        if (!f.m_bVisible)
            continue;
        const Pen oldPen = dc.SelectPen(SolidPen(1, f.m_crColor));
        if (m_settings.m_bJoinPoints) {
            dc.PolyPolyline(f.m_points, f.m_counts);
        } else {
            for (const POINT& p : f.m_points)
                dc.SetPixel(p, f.m_crColor);
        }
        dc.SelectPen(oldPen);
    }
}

void FunctionContainer::DrawFrame(DeviceContext& dc) const
{
    const Pen oldPen = dc.SelectPen(SolidPen(1, m_settings.m_crFrame));
    const Brush oldBrush = dc.SelectBrush({true, 0});
    dc.PolyPolyline({{0, 0}, {kLogicalWidth, 0}, {kLogicalWidth, kLogicalHeight},
                     {0, kLogicalHeight}, {0, 0}},
                    {5});
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

void FunctionContainer::DrawLegend(DeviceContext& dc, const RECT& r)
{
    const ChartSettings& s = m_settings;
    const int32_t count = GetFunctionCount();
    if (count == 0)
        return;
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crFrame));
    const Brush oldBrush = dc.SelectBrush({false, s.m_crLegendBack});
    const LOGFONTA oldFont = dc.SelectFont(DeviceFont(s.m_lfLegend, dc));
    dc.SetTextColor(s.m_crLegendText);
    dc.SetTextAlign(TA_LEFT | TA_TOP);

    // The accessors walk the list through the current index, which is left
    // on the last function.
    int32_t width = 0;
    int32_t height = 0;
    int32_t last = 0;
    for (int32_t i = 0; i < count; ++i) {
        m_nCurrent = i;
        if (!IsVisible())
            continue;
        const TextSize size = Extent(dc, GetLegendLabel());
        width = std::max(width, size.cx);
        height += size.cy;
        last = size.cy;
    }
    const int32_t m = last / 2;
    const RECT box = {r.right - 6 * m - width, r.bottom - 2 * m - height, r.right, r.bottom};
    dc.Rectangle(box.left, box.top, box.right, box.bottom);

    int32_t y = box.top + m;
    for (int32_t i = 0; i < count; ++i) {
        m_nCurrent = i;
        if (!IsVisible())
            continue;
        dc.SelectPen(SolidPen(3, GetColor()));
        const std::string text = GetLegendLabel();
        const TextSize size = Extent(dc, text);
        dc.Line({box.left + m, y + size.cy / 2}, {box.left + 4 * m, y + size.cy / 2});
        dc.TextOut(box.left + 5 * m, y, text);
        y += size.cy;
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    dc.SelectFont(oldFont);
}
