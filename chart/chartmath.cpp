#include "chart/chartmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>

double RoundHalfUp(double v)
{
    return std::fmod(v, 1.0) >= 0.5 ? std::ceil(v) : std::floor(v);
}

double AutoSpacing(double a, double b)
{
    double d = b - a;
    if (d <= 0)
        return 1;
    if (d >= 1)
        return RoundHalfUp(d) * 0.1;
    // d is positive and below 1, so this ends within about 330 steps (the
    // smallest double reaches 1 after 324 multiplications).
    int n = 0;
    while (d < 1) {
        d *= 10;
        ++n;
    }
    return RoundHalfUp(d) / std::pow(10.0, n + 1);
}

double RaiseTiny(double v)
{
    if (std::isnan(v))
        return 1e-10;
    if (std::fabs(v) < 1e-10)
        return std::signbit(v) ? -1e-10 : 1e-10;
    return v;
}

double SnapToZero(double v)
{
    return std::fabs(v) < 1e-10 ? 0 : v;
}

std::string FormatG(double v, int precision)
{
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v,
                                      std::chars_format::general, precision);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

std::vector<std::string> DistinctLabels(const std::vector<double>& values)
{
    std::vector<std::string> labels(values.size());
    for (int precision = 6; precision <= 17; ++precision) {
        for (std::size_t i = 0; i < values.size(); ++i)
            labels[i] = FormatG(values[i], precision);
        std::vector<std::string> sorted = labels;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end())
            break;
    }
    return labels;
}
