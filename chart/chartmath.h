#pragma once

#include <cstddef>
#include <string>
#include <vector>

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

/// v in the C format "%.Pg" (P = precision; 6 gives "%g"), whatever the
/// process locale.
std::string FormatG(double v, int precision = 6);

/// The exponent of a number as "%g" writes it: "e+15", "e-07".
std::string ExponentSuffix(int exponent);

/// Whether plain digits of `plain` characters read better than the exponent
/// form of `exponential`: unless they are more than two characters longer.
bool PlainIsReadable(std::size_t plain, std::size_t exponential);

/// v with P significant digits as a person writes it: plain digits, the
/// exponent form ("1e-07", "1e+15") only where plain digits would be more
/// than two characters longer; a whole number keeps all its digits in the
/// plain form, so it never reads as a rounded other number.
std::string ReadableNumber(double v, int precision);

/// v as ReadableNumber writes it with the fewest digits that read back as v.
std::string ShortestNumber(double v);

/// The labels of one axis: each value as ReadableNumber writes it with the
/// smallest precision P from 6 to 17 that gives no two values the same
/// text, so ticks that differ are told apart. Values that are equal keep
/// P = 17.
std::vector<std::string> DistinctLabels(const std::vector<double>& values);

/// The k-th argument of a row that starts at `first` and moves by `step`:
/// first + k * step, the product and the sum each rounded once. Taken from
/// the index, never summed up, so the arguments do not drift and still
/// advance far out on the axis.
inline double IndexedArgument(double first, double step, std::size_t k)
{
    return first + static_cast<double>(k) * step;
}
