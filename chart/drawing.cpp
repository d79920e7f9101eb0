#include "chart/chartmarks.h"
#include "chart/chartmath.h"
#include "chart/functioncontainer.h"
#include "chart/ticks.h"

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

LOGFONTA DeviceFont(const LOGFONTA& font, const DeviceContext& dc)
{
    return ChartFontOnDevice(font, dc);
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

// Where a chart value falls in logical units along an axis of `scale`
// logical units per chart unit from min.
int32_t Logical(double v, double min, double scale)
{
    return SaturateToInt32((v - min) * scale);
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

// How far a label moves from its tick to stay within the chart.
double ShiftOf(const AxisScale& scale, std::size_t i)
{
    return i < scale.shifts.size() ? scale.shifts[i] : 0;
}

int32_t NonZero(int32_t v)
{
    return v == 0 ? 1 : v;
}

} // namespace

LOGFONTA ChartFontOnDevice(const LOGFONTA& font, const DeviceContext& dc)
{
    LOGFONTA device = font;
    device.lfHeight = -MulDiv(std::clamp(font.lfHeight, -kMaxFontPoints, kMaxFontPoints), dc.DpiY(), 72);
    device.lfWidth = 0;
    return device;
}

void FunctionContainer::Draw(DeviceContext& dc, const RECT& target, ChartMarks* marks)
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
    // Between the header and the caption: where the rings may go.
    m_rcInner = r;
    m_scaleLabelsX.clear();
    m_scaleLabelsY.clear();
    AxisScale scaleX;
    AxisScale scaleY;
    if (s.m_bScaleXVisible || s.m_bScaleYVisible)
        DrawScales(dc, r, target, sx, sy, scaleX, scaleY);
    m_rcLegend = LegendBox(dc, r);

    SetPlotMapping(dc, r);
    if (s.m_bGridVisible)
        DrawGrid(dc, target, sx, sy, scaleX, scaleY);
    if ((s.m_xMin <= 0 && 0 <= s.m_xMax) || (s.m_yMin <= 0 && 0 <= s.m_yMax))
        DrawAxes(dc, r, sx, sy);
    if (marks != nullptr)
        DrawShade(dc, *marks, sx, sy);
    DrawCurves(dc);
    if (s.m_bFrameVisible)
        DrawFrame(dc);
    if (marks != nullptr)
        DrawRings(dc, *marks, r, sx, sy);
    dc.ResetMapping();

    if (s.m_bLegendVisible)
        DrawLegend(dc, r);
    if (marks != nullptr)
        DrawAreaLabel(dc, *marks, r, sx, sy);
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

AxisScale FunctionContainer::ScaleOf(DeviceContext& dc, bool horizontal, const RECT& r,
                                      const RECT& target) const
{
    const ChartSettings& s = m_settings;
    const double min = horizontal ? s.m_xMin : s.m_yMin;
    const double max = horizontal ? s.m_xMax : s.m_yMax;
    const bool automatic = horizontal ? s.m_bAutoScaleX : s.m_bAutoScaleY;
    const int32_t extent = horizontal ? target.right - target.left : target.bottom - target.top;
    if (!automatic || m_spacingRule.classic)
        return FixedScale(min, max, horizontal ? s.m_scaleStepX : s.m_scaleStepY, extent);
    const TextMetrics tm = Metrics(dc);
    AxisRoom room;
    room.min = min;
    room.max = max;
    room.horizontal = horizontal;
    room.textHeight = tm.tmHeight;
    if (horizontal) {
        room.length = r.right - r.left - 1;
        room.gap = std::max(tm.tmAveCharWidth, 2);
        room.before = r.left - target.left;
        room.after = target.right - r.right;
        room.pi = m_spacingRule.piTicks && s.m_bDegrees == 0 && m_bTrigonometric;
    } else {
        room.length = r.bottom - r.top - 1;
        room.gap = tm.tmHeight / 2;
        // Half a line beyond either end: a label stays centred on its tick.
        room.before = (tm.tmHeight + 1) / 2;
        room.after = (tm.tmHeight + 1) / 2;
    }
    return ChooseScale(room, [&dc](std::string_view text) { return Bounded(dc.GetTextExtentUtf8(text).cx); });
}

void FunctionContainer::DrawScales(DeviceContext& dc, RECT& r, const RECT& target, double sx,
                                   double sy, AxisScale& scaleX, AxisScale& scaleY)
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
        scaleY = ScaleOf(dc, false, r, target);
        m_scaleLabelsY = scaleY.labels;
        const double p = (r.bottom - r.top - 1) / (s.m_yMax - s.m_yMin);
        int32_t widest = 0;
        for (const std::string& label : scaleY.labels)
            widest = std::max(widest, Bounded(dc.GetTextExtentUtf8(label).cx));
        r.right -= tm.tmAveCharWidth;
        r.left += widest + 2 * third;

        // Right-aligned a third of a line left of the plot, centred on the tick.
        dc.SetTextAlign(TA_RIGHT | TA_TOP);
        SetDeviceOrigin(dc, r.left, r.bottom - 1);
        for (std::size_t i = 0; i < scaleY.ticks.size(); ++i) {
            if (!scaleY.labels[i].empty())
                dc.TextOutUtf8(-third,
                               SaturateToInt32(-((scaleY.ticks[i] - s.m_yMin) * p) - h / 2 - ShiftOf(scaleY, i)),
                               scaleY.labels[i]);
        }

        SetPlotMapping(dc, r);
        const int32_t tick = SaturateToInt32(-32000.0 * third / NonZero(r.right - r.left));
        for (double v : scaleY.ticks) {
            const int32_t y = Logical(v, s.m_yMin, sy);
            dc.Line({0, y}, {tick, y});
        }
        dc.ResetMapping();
    }

    if (s.m_bScaleXVisible) {
        scaleX = ScaleOf(dc, true, r, target);
        m_scaleLabelsX = scaleX.labels;
        const double p = (r.right - r.left - 1) / (s.m_xMax - s.m_xMin);
        dc.SetTextAlign(TA_CENTER | TA_TOP);
        SetDeviceOrigin(dc, r.left, r.bottom - 1);
        for (std::size_t i = 0; i < scaleX.ticks.size(); ++i) {
            if (!scaleX.labels[i].empty())
                dc.TextOutUtf8(SaturateToInt32((scaleX.ticks[i] - s.m_xMin) * p + ShiftOf(scaleX, i)), third,
                               scaleX.labels[i]);
        }

        SetPlotMapping(dc, r);
        const int32_t tick = SaturateToInt32(-24000.0 * third / NonZero(r.bottom - r.top));
        for (double v : scaleX.ticks) {
            const int32_t x = Logical(v, s.m_xMin, sx);
            dc.Line({x, 0}, {x, tick});
        }
        dc.ResetMapping();
    }
    dc.SelectPen(oldPen);
    dc.SelectFont(oldFont);
}

std::vector<std::string> FunctionContainer::GetScaleLabels(bool horizontal) const
{
    return horizontal ? m_scaleLabelsX : m_scaleLabelsY;
}

std::vector<double> FunctionContainer::GridLines(bool horizontal, const AxisScale& scale,
                                                 int32_t extent) const
{
    const ChartSettings& s = m_settings;
    const double min = horizontal ? s.m_xMin : s.m_yMin;
    const double max = horizontal ? s.m_xMax : s.m_yMax;
    const bool automatic = horizontal ? s.m_bAutoGridX : s.m_bAutoGridY;
    const bool scaled = horizontal ? s.m_bScaleXVisible && s.m_bAutoScaleX
                                   : s.m_bScaleYVisible && s.m_bAutoScaleY;
    double spacing = horizontal ? s.m_gridX : s.m_gridY;
    if (automatic && !m_spacingRule.classic && scaled) {
        // With the labels: the step they chose, or their ticks where no
        // step fitted.
        if (!(scale.gridStep < max - min))
            return scale.ticks;
        spacing = scale.gridStep;
    }
    return FixedScale(min, max, spacing, extent).ticks;
}

void FunctionContainer::DrawGrid(DeviceContext& dc, const RECT& target, double sx, double sy,
                                 const AxisScale& scaleX, const AxisScale& scaleY) const
{
    const ChartSettings& s = m_settings;
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crGrid));
    for (double v : GridLines(true, scaleX, target.right - target.left)) {
        const int32_t x = Logical(v, s.m_xMin, sx);
        dc.Line({x, 0}, {x, kLogicalHeight});
    }
    for (double v : GridLines(false, scaleY, target.bottom - target.top)) {
        const int32_t y = Logical(v, s.m_yMin, sy);
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

RECT FunctionContainer::LegendBox(DeviceContext& dc, const RECT& r)
{
    const ChartSettings& s = m_settings;
    const int32_t count = GetFunctionCount();
    if (!s.m_bLegendVisible || count == 0)
        return {0, 0, 0, 0};
    const LOGFONTA oldFont = dc.SelectFont(DeviceFont(s.m_lfLegend, dc));
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
    dc.SelectFont(oldFont);
    const int32_t m = last / 2;
    return {r.right - 6 * m - width, r.bottom - 2 * m - height, r.right, r.bottom};
}

void FunctionContainer::DrawLegend(DeviceContext& dc, const RECT& r)
{
    const ChartSettings& s = m_settings;
    const int32_t count = GetFunctionCount();
    if (count == 0)
        return;
    // The accessors walk the list through the current index, which is left
    // on the last function.
    const RECT box = LegendBox(dc, r);
    const Pen oldPen = dc.SelectPen(SolidPen(1, s.m_crFrame));
    const Brush oldBrush = dc.SelectBrush({false, s.m_crLegendBack});
    const LOGFONTA oldFont = dc.SelectFont(DeviceFont(s.m_lfLegend, dc));
    dc.SetTextColor(s.m_crLegendText);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    int32_t last = 0;
    for (int32_t i = 0; i < count; ++i) {
        m_nCurrent = i;
        if (IsVisible())
            last = Extent(dc, GetLegendLabel()).cy;
    }
    const int32_t m = last / 2;
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
