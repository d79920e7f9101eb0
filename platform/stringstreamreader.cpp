#include "platform/stringstreamreader.h"

#include <algorithm>

// The prefix is one byte below 0xFF; 0xFF and 16 bits below 0xFFFE; or 0xFF,
// 0xFFFF and 32 bits. True once the bytes held make a whole prefix, with
// m_nLength set.
bool StringStreamReader::PrefixComplete()
{
    if (m_prefix[0] != 0xFF) {
        m_nLength = m_prefix[0];
        return true;
    }
    if (m_nPrefix < 3)
        return false;
    const unsigned short16 = m_prefix[1] | (m_prefix[2] << 8);
    if (short16 == 0xFFFE) {
        m_status = Status::kMalformed;
        return false;
    }
    if (short16 != 0xFFFF) {
        m_nLength = short16;
        return true;
    }
    if (m_nPrefix < 7)
        return false;
    m_nLength = static_cast<std::size_t>(m_prefix[3]) | (static_cast<std::size_t>(m_prefix[4]) << 8) |
                (static_cast<std::size_t>(m_prefix[5]) << 16) |
                (static_cast<std::size_t>(m_prefix[6]) << 24);
    return true;
}

std::size_t StringStreamReader::Feed(const uint8_t* data, std::size_t size)
{
    std::size_t taken = 0;
    while (m_status == Status::kPartial && !m_bLengthKnown) {
        if (taken == size)
            return taken;
        m_prefix[m_nPrefix++] = data[taken++];
        if (PrefixComplete()) {
            m_bLengthKnown = true;
            if (m_nLength > m_nMaxLength)
                m_status = Status::kTooLong;
        }
    }
    if (m_status != Status::kPartial)
        return taken;
    const std::size_t count = std::min(m_nLength - m_strText.size(), size - taken);
    m_strText.append(reinterpret_cast<const char*>(data) + taken, count);
    taken += count;
    if (m_strText.size() == m_nLength)
        m_status = Status::kComplete;
    return taken;
}
