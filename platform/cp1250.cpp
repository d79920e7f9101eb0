#include "platform/cp1250.h"

namespace Cp1250 {

std::string FromUtf8(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        result.push_back(FromCodePoint(DecodeUtf8(utf8, i)));
    return result;
}

std::string ToUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 4);
    for (unsigned char byte : text) {
        const char32_t c = byte < 0x80 ? byte : kHighHalf[byte - 0x80];
        if (c < 0x80) {
            result.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (c >> 6)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xE0 | (c >> 12)));
            result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return result;
}

} // namespace Cp1250
