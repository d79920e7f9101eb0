#pragma once

// The constants of evaluation and the angle unit, shared by point-by-point
// evaluation and the sampling path so both compute the same numbers.

inline constexpr double kPiValue = 3.141592653589793; // the double nearest to pi
inline constexpr double kEValue = 2.718281828459045;  // the double nearest to e, exp(1)
inline constexpr double kOneOver180 = 0.005555555555555556;

/// The argument of sin, cos, tan and ctg: in degrees it is multiplied by pi
/// and then by 1/180.
inline double AngleArgument(double v, bool degrees)
{
    return degrees ? v * kPiValue * kOneOver180 : v;
}

/// The result of asin, acos, atan and arcctg: in degrees (180 / pi) * w.
inline double AngleResult(double w, bool degrees)
{
    return degrees ? (180.0 / kPiValue) * w : w;
}
