#include "chart/chartmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

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

std::string ExponentSuffix(int exponent)
{
    std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < 2)
        digits.insert(0, "0");
    return (exponent < 0 ? "e-" : "e+") + digits;
}

bool PlainIsReadable(std::size_t plain, std::size_t exponential)
{
    return plain <= exponential + 2;
}

std::string ReadableNumber(double v, int precision)
{
    if (v == 0)
        return "0";
    if (!std::isfinite(v))
        return FormatG(v, precision);
    precision = std::clamp(precision, 1, 17);
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific,
                                      precision - 1);
    if (error != std::errc())
        return FormatG(v, precision);
    const std::string text(buffer, end);
    const std::size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
        if (text[i] != '.')
            digits += text[i];
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const std::string sign = negative ? "-" : "";
    std::string mantissa = digits;
    if (mantissa.size() > 1)
        mantissa.insert(1, ".");
    const std::string exponential = sign + mantissa + ExponentSuffix(exponent);

    std::string plain;
    if (exponent + 1 >= static_cast<int>(digits.size())) {
        // A whole number: every digit of it, not zeros in place of the
        // digits beyond the precision.
        auto [whole, wholeError] = std::to_chars(buffer, buffer + sizeof buffer, std::round(v),
                                                 std::chars_format::fixed, 0);
        if (wholeError != std::errc())
            return exponential;
        plain = std::string(buffer, whole);
    } else if (exponent >= 0) {
        plain = sign + digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        plain = sign + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return PlainIsReadable(plain.size(), exponential.size()) ? plain : exponential;
}

std::string ShortestNumber(double v)
{
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific);
    if (error != std::errc())
        return FormatG(v, 17);
    int digits = 0;
    for (const char* c = buffer; c != end && *c != 'e'; ++c)
        digits += *c >= '0' && *c <= '9';
    return ReadableNumber(v, digits);
}

std::vector<std::string> DistinctLabels(const std::vector<double>& values)
{
    std::vector<std::string> labels(values.size());
    for (int precision = 6; precision <= 17; ++precision) {
        for (std::size_t i = 0; i < values.size(); ++i)
            labels[i] = ReadableNumber(values[i], precision);
        std::vector<std::string> sorted = labels;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end())
            break;
    }
    return labels;
}
