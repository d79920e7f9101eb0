#pragma once

#include "platform/wintypes.h"

#include <array>
#include <cstddef>

/// The colours new functions take in turn: the colour-blind-safe set of
/// Okabe and Ito, which reads on white, in a chart's legend and in print
/// (black, orange, sky blue, bluish green, blue, vermillion, reddish
/// purple); the eighth function starts again at black.
inline constexpr std::array<COLORREF, 7> kFunctionPalette = {
    RGB(0, 0, 0),     RGB(230, 159, 0), RGB(86, 180, 233), RGB(0, 158, 115),
    RGB(0, 114, 178), RGB(213, 94, 0),  RGB(204, 121, 167),
};

/// The colour of the n-th new function.
inline constexpr COLORREF PaletteColor(std::size_t n)
{
    return kFunctionPalette[n % kFunctionPalette.size()];
}

/// The contrast ratio of two colours, from 1 (the same) to 21 (black on
/// white), from their relative luminance as the accessibility guidelines
/// for the web define it.
double ContrastRatio(COLORREF a, COLORREF b);

/// `color` itself when it reads on `background` with at least `ratio`;
/// otherwise the same hue darkened (on a light background) or lightened (on
/// a dark one) just enough.
COLORREF LegibleOn(COLORREF color, COLORREF background, double ratio);
