#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The binary form of chart files and of the network: little-endian integers,
// IEEE doubles, raw blocks, and strings of single bytes with a length prefix
// of one byte (below 255), 0xFF and 16 bits (below 0xFFFE), or 0xFF, 0xFFFF
// and 32 bits.

/// Writes into a growable byte buffer.
class ArchiveWriter
{
public:
    void WriteInt32(int32_t v) { WriteUInt32(static_cast<uint32_t>(v)); }
    void WriteUInt16(uint16_t v);
    void WriteUInt32(uint32_t v);
    void WriteDouble(double v);
    void WriteBytes(const void* data, std::size_t size);
    /// Strings longer than 32 bits can count are cut to that length.
    void WriteString(std::string_view text);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

/// Why reading stopped: the bytes ended before the value (more may still
/// arrive over the network), or they cannot be what the reader expects.
class ArchiveException
{
public:
    enum Kind { kEndOfData, kMalformed };
    explicit ArchiveException(Kind kind) : m_kind(kind) {}
    Kind m_kind;
};

/// Reads from a byte buffer that may end early. Every read checks what is
/// left first and throws ArchiveException(kEndOfData) instead of reading past
/// the end; nothing is allocated for a length the buffer cannot hold.
class ArchiveReader
{
public:
    ArchiveReader(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit ArchiveReader(const std::vector<uint8_t>& bytes)
        : ArchiveReader(bytes.data(), bytes.size())
    {
    }

    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    uint8_t ReadByte();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    double ReadDouble();
    void ReadBytes(void* data, std::size_t size);
    std::string ReadString();

    std::size_t Position() const { return m_position; }
    std::size_t Remaining() const { return m_size - m_position; }

private:
    const uint8_t* Take(std::size_t size);

    const uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};
