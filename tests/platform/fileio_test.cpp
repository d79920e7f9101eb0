#include "platform/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

class FileIo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("osiowiec-fileio-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

TEST_F(FileIo, WriteReplacesAndReadsBack)
{
    const std::string path = (m_dir / "a.osw").string();
    ASSERT_TRUE(WriteFileAtomically(path, {1, 2, 3}));
    ASSERT_TRUE(WriteFileAtomically(path, {4, 5}));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, 100, bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{4, 5}));
    EXPECT_FALSE(ReadWholeFile(path, 1, bytes)); // larger than allowed
    // Only the file itself is left: no temporary beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 1);
}

TEST_F(FileIo, FailedWriteLeavesTheOldFile)
{
    const std::string path = (m_dir / "b.osw").string();
    ASSERT_TRUE(WriteFileAtomically(path, {7}));
    // A directory cannot be replaced by a file.
    std::filesystem::create_directory(m_dir / "dir.osw");
    EXPECT_FALSE(WriteFileAtomically((m_dir / "dir.osw").string(), {1}));
    EXPECT_FALSE(WriteFileAtomically((m_dir / "missing" / "c.osw").string(), {1}));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(path, 100, bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir), {}), 2);
    EXPECT_FALSE(ReadWholeFile((m_dir / "none").string(), 100, bytes));
}

} // namespace
