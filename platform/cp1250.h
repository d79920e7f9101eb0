#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Code page 1250, the single-byte encoding in which the model, the chart files
// and the network hold every text. Bytes 0x00 to 0x7F are ASCII; the table
// gives the Unicode character of each byte from 0x80 up. The five bytes that
// the code page leaves undefined stand for the C1 control of the same number,
// so every byte survives a round trip through UTF-8.
namespace Cp1250 {

inline constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 0x98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // 0xA0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // 0xA8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // 0xB8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // 0xC0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // 0xC8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // 0xD0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // 0xD8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // 0xE0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // 0xE8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // 0xF0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // 0xF8
};

/// The code page 1250 byte of a Unicode character, or '?' when it has none.
constexpr char FromCodePoint(char32_t c)
{
    if (c < 0x80)
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

/// Decodes one UTF-8 sequence at text[i], advancing i. A malformed sequence
/// (bad lead or continuation byte, overlong form, surrogate, beyond U+10FFFF)
/// yields U+FFFD and consumes one byte.
template <typename CharT>
constexpr char32_t DecodeUtf8(std::basic_string_view<CharT> text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return U'\uFFFD';
    }
    const std::size_t start = i;
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            i = start;
            return U'\uFFFD';
        }
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        i = start;
        return U'\uFFFD';
    }
    return c;
}

/// UTF-8 to code page 1250; a character that the code page cannot hold, or a
/// malformed sequence, becomes '?'.
std::string FromUtf8(std::string_view utf8);
/// Code page 1250 to UTF-8.
std::string ToUtf8(std::string_view text);

/// A code page 1250 text made at compile time from a UTF-8 literal, so that
/// the system's Polish messages read as Polish in the source.
template <std::size_t N>
struct Literal
{
    char data[N] = {};
    constexpr operator const char*() const { return data; }
    constexpr const char* c_str() const { return data; }
};

template <std::size_t N>
consteval Literal<N> Text(const char8_t (&utf8)[N])
{
    Literal<N> result;
    std::u8string_view view(utf8, N - 1);
    std::size_t out = 0;
    for (std::size_t i = 0; i < view.size();)
        result.data[out++] = FromCodePoint(DecodeUtf8(view, i));
    return result;
}

} // namespace Cp1250
