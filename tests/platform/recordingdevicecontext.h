#pragma once

#include "platform/devicecontext.h"

#include <cstdio>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

/// A drawing surface that draws nothing and logs every primitive in device
/// units with the pen, brush, font and colour it was drawn with. Its font
/// metrics are simple and fixed, so layouts can be computed by hand: for a
/// font of height -H the text height is H + 2 (ascent H, descent 2), the
/// external leading 1, and every character H / 2 wide.
class RecordingDeviceContext : public DeviceContext
{
public:
    struct Entry
    {
        enum Kind { kLine, kPolylines, kPolygon, kRectangle, kPixel, kText };
        Kind kind;
        std::vector<std::vector<POINT>> points; ///< one list, or one per polyline
        RECT rect{};
        std::string text;
        Pen pen;
        Brush brush;
        int32_t fontHeight;
        COLORREF color; ///< text or pixel colour
    };

    explicit RecordingDeviceContext(int32_t dpi = 96) : m_dpi(dpi) {}

    int32_t DpiX() const override { return m_dpi; }
    int32_t DpiY() const override { return m_dpi; }

    TextMetrics GetTextMetrics() const override
    {
        const int32_t size = std::min(std::abs(CurrentFont().lfHeight), 1 << 28);
        return {size + 2, size, 2, 1, size / 2};
    }
    TextSize GetTextExtent(std::string_view text) const override
    {
        const TextMetrics tm = GetTextMetrics();
        const int64_t width = static_cast<int64_t>(text.size()) * tm.tmAveCharWidth;
        return {static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX)), tm.tmHeight};
    }

    std::vector<Entry> m_entries;

    std::vector<Entry> Of(Entry::Kind kind) const
    {
        std::vector<Entry> found;
        for (const Entry& e : m_entries) {
            if (e.kind == kind)
                found.push_back(e);
        }
        return found;
    }
    const Entry* Text(const std::string& text) const
    {
        for (const Entry& e : m_entries) {
            if (e.kind == Entry::kText && e.text == text)
                return &e;
        }
        return nullptr;
    }

protected:
    void DeviceLine(POINT from, POINT to) override { Add(Entry::kLine, {{from, to}}); }
    void DevicePolylines(const std::vector<std::vector<POINT>>& polylines) override
    {
        Add(Entry::kPolylines, polylines);
    }
    void DevicePolygon(const std::vector<POINT>& points) override
    {
        Add(Entry::kPolygon, {points});
    }
    void DeviceRectangle(const RECT& rect) override
    {
        Add(Entry::kRectangle, {}).rect = rect;
    }
    void DevicePixel(POINT p, COLORREF color) override
    {
        Add(Entry::kPixel, {{p}}).color = color;
    }
    void DeviceText(POINT topLeft, std::string_view text) override
    {
        Entry& e = Add(Entry::kText, {{topLeft}});
        e.text = std::string(text);
        e.color = GetTextColor();
    }

private:
    Entry& Add(Entry::Kind kind, std::vector<std::vector<POINT>> points)
    {
        m_entries.push_back({kind, std::move(points), {}, {}, CurrentPen(), CurrentBrush(),
                             CurrentFont().lfHeight, 0});
        return m_entries.back();
    }

    int32_t m_dpi;
};
