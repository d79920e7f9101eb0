#include "platform/archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(Archive, NumbersAreLittleEndian)
{
    ArchiveWriter w;
    w.WriteInt32(-2);
    w.WriteUInt16(0x1234);
    w.WriteUInt32(0xA1B2C3D4);
    w.WriteDouble(1.0);
    EXPECT_EQ(w.Bytes(), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x34, 0x12, 0xD4, 0xC3,
                                               0xB2, 0xA1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    ArchiveReader r(w.Bytes());
    EXPECT_EQ(r.ReadInt32(), -2);
    EXPECT_EQ(r.ReadUInt16(), 0x1234);
    EXPECT_EQ(r.ReadUInt32(), 0xA1B2C3D4u);
    EXPECT_EQ(r.ReadDouble(), 1.0);
    EXPECT_EQ(r.Remaining(), 0u);
}

TEST(Archive, StringPrefixes)
{
    struct Row
    {
        std::size_t length;
        std::vector<uint8_t> prefix;
    };
    const std::vector<Row> rows = {
        {0, {0x00}},
        {9, {0x09}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {300, {0xFF, 0x2C, 0x01}},
        {65533, {0xFF, 0xFD, 0xFF}},
        {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.length);
        std::string text(row.length, 'a');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char>('a' + i % 26);
        ArchiveWriter w;
        w.WriteString(text);
        ASSERT_EQ(w.Bytes().size(), row.prefix.size() + row.length);
        EXPECT_TRUE(std::equal(row.prefix.begin(), row.prefix.end(), w.Bytes().begin()));
        ArchiveReader r(w.Bytes());
        EXPECT_EQ(r.ReadString(), text);
        EXPECT_EQ(r.Remaining(), 0u);
    }
}

TEST(Archive, ReadingPastTheEndThrowsWithoutAllocating)
{
    // A 32-bit length of 4 GiB with three bytes behind it.
    const std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'};
    ArchiveReader r(huge);
    try {
        r.ReadString();
        FAIL() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.m_kind, ArchiveException::kEndOfData);
    }

    const std::vector<uint8_t> wide = {0xFF, 0xFE, 0xFF, 0x01};
    ArchiveReader marker(wide);
    try {
        marker.ReadString();
        FAIL() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.m_kind, ArchiveException::kMalformed);
    }

    const std::vector<uint8_t> three = {1, 2, 3};
    ArchiveReader shortRead(three);
    EXPECT_THROW(shortRead.ReadInt32(), ArchiveException);
    EXPECT_EQ(shortRead.Position(), 0u);
    EXPECT_THROW(shortRead.ReadDouble(), ArchiveException);
}

} // namespace
