// The marks a picture shows over the chart: the shaded area with its label
// and the rings of the points of interest (FunctionContainer::Draw).

#include "chart/chartcolors.h"
#include "chart/chartmarks.h"
#include "chart/chartmath.h"
#include "chart/functioncontainer.h"

#include "platform/devicecontext.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

namespace {

// A logical coordinate of the plot for a chart value, held within the plot:
// the shade ends at the plot's edges as the curves do.
int32_t Inside(double v, double min, double scale, int32_t extent)
{
    const double logical = (v - min) * scale;
    if (std::isnan(logical))
        return 0;
    return static_cast<int32_t>(std::clamp(logical, 0.0, static_cast<double>(extent)));
}

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Empty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

} // namespace

void FunctionContainer::DrawShade(DeviceContext& dc, const ChartMarks& marks, double sx, double sy) const
{
    if (!marks.area || marks.outline.empty())
        return;
    const ChartSettings& s = m_settings;
    const std::size_t index = static_cast<std::size_t>(marks.area->function);
    if (index >= m_functions.size())
        return;
    // Translucent, so the grid and the axis show through, and without a
    // border: the curve drawn next is the edge.
    const Pen oldPen = dc.SelectPen({Pen::kNone, 1, 0});
    const Brush oldBrush = dc.SelectBrush({false, m_functions[index].m_crColor, 80});
    for (const std::vector<ChartPoint>& polygon : marks.outline) {
        std::vector<POINT> points;
        points.reserve(polygon.size());
        for (const ChartPoint& p : polygon)
            points.push_back({Inside(p.x, s.m_xMin, sx, kLogicalWidth), Inside(p.y, s.m_yMin, sy, kLogicalHeight)});
        dc.Polygon(points);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

void FunctionContainer::DrawRings(DeviceContext& dc, ChartMarks& marks, const RECT& plot, double sx,
                                  double sy) const
{
    const ChartSettings& s = m_settings;
    marks.drawnRings.clear();
    const int32_t reach = dc.RingReach();
    // Rings never cover the legend, the header or the caption; points that
    // fall on a pixel already ringed in their colour (a crowd of them where a
    // curve oscillates faster than the pixels) are ringed once.
    std::set<std::tuple<int32_t, int32_t, COLORREF>> drawn;
    for (std::size_t i = 0; i < marks.rings.size(); ++i) {
        const RingMark& ring = marks.rings[i];
        const double lx = (ring.x - s.m_xMin) * sx;
        const double ly = (ring.y - s.m_yMin) * sy;
        if (!(lx >= 0 && lx <= kLogicalWidth && ly >= 0 && ly <= kLogicalHeight))
            continue;
        const POINT logical = {static_cast<int32_t>(std::lround(lx)), static_cast<int32_t>(std::lround(ly))};
        const POINT at = dc.LogicalToDevice(logical);
        const RECT box = {at.x - reach, at.y - reach, at.x + reach + 1, at.y + reach + 1};
        if (at.x < plot.left || at.x >= plot.right || at.y < plot.top || at.y >= plot.bottom)
            continue;
        if ((!Empty(m_rcLegend) && Overlap(box, m_rcLegend)) || box.top < m_rcInner.top ||
            box.bottom > m_rcInner.bottom)
            continue;
        if (!drawn.emplace(at.x, at.y, ring.color).second)
            continue;
        dc.Ring(logical, ring.color);
        marks.drawnRings.emplace_back(at, i);
    }
}

void FunctionContainer::DrawAreaLabel(DeviceContext& dc, const ChartMarks& marks, const RECT& plot,
                                      double sx, double sy) const
{
    if (!marks.area || marks.outline.empty() || Empty(plot))
        return;
    const ChartSettings& s = m_settings;
    const std::size_t index = static_cast<std::size_t>(marks.area->function);
    if (index >= m_functions.size())
        return;
    // Over the middle of the shade as shown: halfway between the axis and
    // the curve at the middle of the visible interval.
    const double mid = (marks.outline.front().front().x + marks.outline.back().back().x) / 2;
    double y = 0;
    double nearest = INFINITY;
    for (const std::vector<ChartPoint>& polygon : marks.outline) {
        for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
            if (std::fabs(polygon[i].x - mid) < nearest) {
                nearest = std::fabs(polygon[i].x - mid);
                y = polygon[i].y / 2;
            }
        }
    }
    const int32_t width = plot.right - plot.left - 1;
    const int32_t height = plot.bottom - plot.top - 1;
    const int32_t cx = plot.left + static_cast<int32_t>(std::lround(Inside(mid, s.m_xMin, sx, kLogicalWidth) /
                                                                    static_cast<double>(kLogicalWidth) * width));
    const int32_t cy = plot.bottom - 1 -
                       static_cast<int32_t>(std::lround(Inside(y, s.m_yMin, sy, kLogicalHeight) /
                                                        static_cast<double>(kLogicalHeight) * height));

    const LOGFONTA oldFont = dc.SelectFont(ChartFontOnDevice(s.m_lfLegend, dc));
    const std::string text = AreaLabel(*marks.area);
    const TextSize size = dc.GetTextExtent(text);
    const int32_t margin = std::max(size.cy / 4, 1);
    RECT box = {cx - size.cx / 2 - margin, cy - size.cy / 2 - margin, 0, 0};
    box.right = box.left + size.cx + 2 * margin;
    box.bottom = box.top + size.cy + 2 * margin;
    // Within the plot, and clear of the legend: above it, or else left of it.
    auto moveInside = [&plot](RECT& r) {
        const int32_t dx = std::max(plot.left - r.left, std::min(0, plot.right - r.right));
        const int32_t dy = std::max(plot.top - r.top, std::min(0, plot.bottom - r.bottom));
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    };
    moveInside(box);
    if (!Empty(m_rcLegend) && Overlap(box, m_rcLegend)) {
        const int32_t up = box.bottom - m_rcLegend.top;
        if (box.top - up >= plot.top)
            box = {box.left, box.top - up, box.right, box.bottom - up};
        else
            box = {m_rcLegend.left - (box.right - box.left), box.top, m_rcLegend.left, box.bottom};
        moveInside(box);
    }
    const COLORREF color = m_functions[index].m_crColor;
    const Pen oldPen = dc.SelectPen({Pen::kSolid, 1, color});
    const Brush oldBrush = dc.SelectBrush({false, s.m_crLegendBack, 220});
    dc.Rectangle(box.left, box.top, box.right, box.bottom);
    dc.SetTextColor(LegibleOn(color, s.m_crLegendBack, 4.5));
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.TextOut(box.left + margin, box.top + margin, text);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    dc.SelectFont(oldFont);
}
