#include "platform/archive.h"

#include <cstring>
#include <limits>

void ArchiveWriter::WriteUInt16(uint16_t v)
{
    m_bytes.push_back(static_cast<uint8_t>(v));
    m_bytes.push_back(static_cast<uint8_t>(v >> 8));
}

void ArchiveWriter::WriteUInt32(uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_bytes.push_back(static_cast<uint8_t>(v >> shift));
}

void ArchiveWriter::WriteDouble(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteUInt32(static_cast<uint32_t>(bits));
    WriteUInt32(static_cast<uint32_t>(bits >> 32));
}

void ArchiveWriter::WriteBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), bytes, bytes + size);
}

void ArchiveWriter::WriteString(std::string_view text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), std::numeric_limits<uint32_t>::max());
    if (length < 0xFF) {
        m_bytes.push_back(static_cast<uint8_t>(length));
    } else {
        m_bytes.push_back(0xFF);
        if (length < 0xFFFE) {
            WriteUInt16(static_cast<uint16_t>(length));
        } else {
            WriteUInt16(0xFFFF);
            WriteUInt32(static_cast<uint32_t>(length));
        }
    }
    WriteBytes(text.data(), length);
}

const uint8_t* ArchiveReader::Take(std::size_t size)
{
    if (size > Remaining())
        throw ArchiveException(ArchiveException::kEndOfData);
    const uint8_t* start = m_data + m_position;
    m_position += size;
    return start;
}

uint8_t ArchiveReader::ReadByte()
{
    return *Take(1);
}

uint16_t ArchiveReader::ReadUInt16()
{
    const uint8_t* p = Take(2);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ArchiveReader::ReadUInt32()
{
    const uint8_t* p = Take(4);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

double ArchiveReader::ReadDouble()
{
    const uint64_t low = ReadUInt32();
    const uint64_t high = ReadUInt32();
    const uint64_t bits = low | (high << 32);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void ArchiveReader::ReadBytes(void* data, std::size_t size)
{
    std::memcpy(data, Take(size), size);
}

std::string ArchiveReader::ReadString()
{
    std::size_t length = ReadByte();
    if (length == 0xFF) {
        length = ReadUInt16();
        // 0xFFFE marks a wide-character string, which charts never hold.
        if (length == 0xFFFE)
            throw ArchiveException(ArchiveException::kMalformed);
        if (length == 0xFFFF)
            length = ReadUInt32();
    }
    // Checked before anything is allocated: a length from the stream is
    // never trusted.
    const uint8_t* text = Take(length);
    return std::string(reinterpret_cast<const char*>(text), length);
}
