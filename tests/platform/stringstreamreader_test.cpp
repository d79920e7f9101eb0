#include "platform/archive.h"
#include "platform/stringstreamreader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Status = StringStreamReader::Status;

std::vector<uint8_t> Stored(const std::string& text)
{
    ArchiveWriter writer;
    writer.WriteString(text);
    return writer.Bytes();
}

} // namespace

// Every length form, cut at every byte of its prefix and in the text.
TEST(StringStreamReader, ReadsEachLengthFormWhereverItIsCut)
{
    for (std::size_t length : {0u, 9u, 254u, 255u, 65533u, 65534u, 65536u}) {
        const std::string text(length, 'n');
        std::vector<uint8_t> bytes = Stored(text);
        const std::size_t prefix = bytes.size() - length;
        bytes.push_back('!'); // the next thing in the stream is not taken
        for (std::size_t cut = 0; cut <= prefix + 1; ++cut) {
            StringStreamReader reader(65536);
            const std::size_t first = reader.Feed(bytes.data(), cut);
            EXPECT_EQ(first, std::min(cut, prefix + length));
            const std::size_t second = reader.Feed(bytes.data() + first, bytes.size() - first);
            EXPECT_EQ(first + second, prefix + length) << length << " cut " << cut;
            ASSERT_EQ(reader.GetStatus(), Status::kComplete) << length << " cut " << cut;
            EXPECT_EQ(reader.Text(), text);
        }
    }
}

TEST(StringStreamReader, RefusesLongAndWideStringsFromThePrefixAlone)
{
    struct Row
    {
        const char* name;
        std::vector<uint8_t> prefix;
        Status status;
    };
    const std::vector<Row> rows = {
        {"2^32 - 1", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, Status::kTooLong},
        {"one above the limit", {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x01, 0x00}, Status::kTooLong},
        {"the limit", {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}, Status::kPartial},
        {"wide", {0xFF, 0xFE, 0xFF}, Status::kMalformed},
    };
    for (const Row& row : rows) {
        StringStreamReader reader(65536);
        EXPECT_EQ(reader.Feed(row.prefix.data(), row.prefix.size()), row.prefix.size()) << row.name;
        EXPECT_EQ(reader.GetStatus(), row.status) << row.name;
        EXPECT_EQ(reader.Text().capacity() < 1000, true) << row.name;
    }
}
