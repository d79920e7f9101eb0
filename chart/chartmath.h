#pragma once

#include <string>

/// ceil(v) when the fractional part fmod(v, 1) is at least 0.5, else floor(v).
double RoundHalfUp(double v);

/// The automatic grid or tick spacing for the interval a ... b: about a tenth
/// of its width, rounded to whole units of the width's leading decade
/// (-5 ... 5 gives 1, a width of 0.35 gives 0.04). 1 for an empty interval.
double AutoSpacing(double a, double b);

/// A value below 1e-10 in magnitude, or NaN, becomes 1e-10 with its sign, so
/// that steps and spacings never vanish.
double RaiseTiny(double v);

/// 0 for |v| < 1e-10, else v: scale labels never read like 1.11022e-16.
double SnapToZero(double v);

/// v in the C format "%g", whatever the process locale.
std::string FormatG(double v);
