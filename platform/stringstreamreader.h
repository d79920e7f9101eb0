#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// Reads one string in the archive's length-prefixed form from a stream that
/// arrives in pieces. The text is kept only as its bytes arrive, never
/// allocated from the length, and a length above the reader's limit is refused
/// as soon as the prefix is whole.
class StringStreamReader
{
public:
    enum class Status {
        kPartial,  ///< more bytes are needed
        kComplete, ///< Text() holds the whole string
        kTooLong,  ///< the prefix announces more than the limit
        kMalformed ///< the prefix marks a wide-character string
    };

    explicit StringStreamReader(std::size_t maxLength) : m_nMaxLength(maxLength) {}

    /// Takes bytes of the string from the front of data and returns how many
    /// it took; takes nothing once the status is no longer kPartial.
    std::size_t Feed(const uint8_t* data, std::size_t size);

    Status GetStatus() const { return m_status; }
    const std::string& Text() const { return m_strText; }

private:
    bool PrefixComplete();

    std::size_t m_nMaxLength;
    Status m_status = Status::kPartial;
    uint8_t m_prefix[7] = {};
    std::size_t m_nPrefix = 0;
    bool m_bLengthKnown = false;
    std::size_t m_nLength = 0;
    std::string m_strText;
};
