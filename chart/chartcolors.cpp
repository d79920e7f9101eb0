#include "chart/chartcolors.h"

#include <cmath>
#include <cstdint>

namespace {

double Linear(uint8_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF c)
{
    return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) + 0.0722 * Linear(GetBValue(c));
}

uint8_t Blend(uint8_t from, uint8_t to, double t)
{
    return static_cast<uint8_t>(std::lround(from + (to - from) * t));
}

} // namespace

double ContrastRatio(COLORREF a, COLORREF b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF LegibleOn(COLORREF color, COLORREF background, double ratio)
{
    if (ContrastRatio(color, background) >= ratio)
        return color;
    // Towards black on a light background, towards white on a dark one, in
    // steps of a twentieth: the last step is black or white itself.
    const uint8_t end = Luminance(background) > 0.18 ? 0 : 255;
    COLORREF blended = color;
    for (int step = 1; step <= 20; ++step) {
        const double t = step / 20.0;
        blended = RGB(Blend(GetRValue(color), end, t), Blend(GetGValue(color), end, t),
                      Blend(GetBValue(color), end, t));
        if (ContrastRatio(blended, background) >= ratio)
            break;
    }
    return blended;
}
