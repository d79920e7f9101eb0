#include "framework/valuetext.h"

#include <charconv>

QString ValueText(double v, int digits)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::general, digits);
    return QString::fromLatin1(text, static_cast<int>(result.ptr - text));
}
