#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// The value types that the chart model shares with files, the network and the
// drawing surface. Their layouts are those of the chart file.

/// A colour 0x00BBGGRR.
using COLORREF = uint32_t;

constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GetGValue(COLORREF c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t GetBValue(COLORREF c) { return static_cast<uint8_t>(c >> 16); }

/// The 60-byte font record. In a chart lfHeight holds the size in points
/// (positive); it becomes device units only when drawing.
struct LOGFONTA
{
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[32];
};
static_assert(sizeof(LOGFONTA) == 60);
using LOGFONT = LOGFONTA;

inline constexpr uint8_t DEFAULT_CHARSET = 1;
inline constexpr uint8_t FF_SWISS = 0x20;
inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_BOLD = 700;

struct POINT
{
    int32_t x;
    int32_t y;
    friend bool operator==(const POINT&, const POINT&) = default;
};

struct RECT
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    friend bool operator==(const RECT&, const RECT&) = default;
};

/// The one conversion of a double to a 32-bit coordinate: truncation towards
/// zero, saturated at the ends of the int32 range; NaN becomes 0.
constexpr int32_t SaturateToInt32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

/// Integer a * b / c rounded to nearest, as the Windows MulDiv; -1 when c is 0
/// or the result does not fit.
constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = (c < 0 ? -static_cast<int64_t>(c) : c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = (product < 0 ? -product : product) + half;
    int64_t quotient = magnitude / (c < 0 ? -static_cast<int64_t>(c) : c);
    if (negative)
        quotient = -quotient;
    if (quotient > std::numeric_limits<int32_t>::max() ||
        quotient < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(quotient);
}
