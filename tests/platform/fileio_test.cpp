#include "platform/fileio.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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

std::vector<uint8_t> Contents(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::size_t Entries(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Runs `write` in a child process as nobody (root may write any file and make
// files in any folder) and tells whether it returned true.
bool AsNobody(const std::function<bool()>& write)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(write() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

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

// Regression: a link was replaced by a regular file and its target never
// written.
TEST_F(FileIo, LinksAreFollowedToTheirTarget)
{
    namespace fs = std::filesystem;
    fs::create_directory(m_dir / "elsewhere");
    fs::create_symlink("target.osw", m_dir / "link.osw");         // relative
    fs::create_symlink("link.osw", m_dir / "chain.osw");          // to a link
    fs::create_symlink(m_dir / "elsewhere" / "far.osw", m_dir / "far.osw"); // absolute
    fs::create_symlink("loop.osw", m_dir / "loop.osw");
    struct Row
    {
        const char* link;
        fs::path target;
    };
    const Row rows[] = {
        {"link.osw", m_dir / "target.osw"}, // dangling: the target is made
        {"chain.osw", m_dir / "target.osw"},
        {"far.osw", m_dir / "elsewhere" / "far.osw"},
    };
    uint8_t value = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.link);
        ASSERT_TRUE(WriteFileAtomically((m_dir / row.link).string(), {value, value}));
        EXPECT_TRUE(fs::is_symlink(m_dir / row.link));
        EXPECT_EQ(Contents(row.target), (std::vector<uint8_t>{value, value}));
        ++value;
    }
    EXPECT_FALSE(WriteFileAtomically((m_dir / "loop.osw").string(), {1}));
    EXPECT_TRUE(fs::is_symlink(m_dir / "loop.osw"));
    // Four links and the target; no temporary left anywhere.
    EXPECT_EQ(Entries(m_dir), 6u);
    EXPECT_EQ(Entries(m_dir / "elsewhere"), 1u);
}

// Regression: a FIFO at the path was replaced by a regular file.
TEST_F(FileIo, AFifoIsWrittenAsAStream)
{
    const std::filesystem::path fifo = m_dir / "fifo.osw";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> received;
    std::thread reader([&] { received = Contents(fifo); });
    const std::vector<uint8_t> bytes(200000, 0x5A); // more than a pipe holds
    EXPECT_TRUE(WriteFileAtomically(fifo.string(), bytes));
    reader.join();
    EXPECT_EQ(received, bytes);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// Regression: as root, a device at the path was replaced by a file.
TEST_F(FileIo, ADeviceIsWrittenInPlaceAndItsFailureReported)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/full here";
    EXPECT_FALSE(WriteFileAtomically("/dev/full", {1, 2, 3}));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_TRUE(WriteFileAtomically("/dev/null", {1, 2, 3}));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

// Regression: a writable file in a folder that takes no new files could not
// be saved at all.
TEST_F(FileIo, AWritableFileInAClosedFolderIsWrittenInPlace)
{
    const std::filesystem::path path = m_dir / "closed" / "w.osw";
    std::filesystem::create_directory(path.parent_path());
    ASSERT_TRUE(WriteFileAtomically(path.string(), {1, 2, 3, 4}));
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(path.parent_path().c_str(), 0555), 0);
    // To nobody the folder is closed and the file open.
    EXPECT_TRUE(AsNobody([&] {
        const bool written = WriteFileAtomically(path.string(), {9, 8});
        return written && !WriteFileAtomically((m_dir / "closed" / "new.osw").string(), {1});
    }));
    chmod(path.parent_path().c_str(), 0755);
    EXPECT_EQ(Contents(path), (std::vector<uint8_t>{9, 8}));
    EXPECT_EQ(Entries(path.parent_path()), 1u);
}

// Regression: a file written in place was emptied when the disk filled up
// part-way, so a failed save lost the chart it was to replace.
TEST_F(FileIo, AFileWrittenInPlaceKeepsItsBytesWhenTheWriteFails)
{
    const std::filesystem::path path = m_dir / "full" / "f.osw";
    std::filesystem::create_directory(path.parent_path());
    const std::vector<uint8_t> old(40, 7);
    ASSERT_TRUE(WriteFileAtomically(path.string(), old));
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(path.parent_path().c_str(), 0555), 0);
    EXPECT_TRUE(AsNobody([&] {
        // A file size limit stands in for a full disk: writes past 64 bytes fail.
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
               !WriteFileAtomically(path.string(), std::vector<uint8_t>(1000, 9));
    }));
    chmod(path.parent_path().c_str(), 0755);
    EXPECT_EQ(Contents(path), old);
}

// Regression: a read-only file in an open folder was replaced through the
// temporary file.
TEST_F(FileIo, AReadOnlyFileIsNotReplaced)
{
    const std::filesystem::path path = m_dir / "open" / "r.osw";
    std::filesystem::create_directory(path.parent_path());
    ASSERT_TRUE(WriteFileAtomically(path.string(), {1, 2, 3}));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(path.parent_path().c_str(), 0777), 0);
    EXPECT_TRUE(AsNobody([&] { return !WriteFileAtomically(path.string(), {9}); }));
    EXPECT_EQ(Contents(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Entries(path.parent_path()), 1u);
}

// Runs a write of one byte to `path` in a child process as nobody and tells
// why it failed (kNone when it did not).
WriteFailure FailureAsNobody(const std::filesystem::path& path)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(100);
        WriteFailure failure = WriteFailure::kNone;
        WriteFileAtomically(path.string(), {1}, &failure);
        _exit(static_cast<int>(failure));
    }
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return WriteFailure::kOther;
    return static_cast<WriteFailure>(WEXITSTATUS(status));
}

// A failed save says why: the reason the window and the tool name after
// "Nie udało się zapisać pliku".
TEST_F(FileIo, AFailedWriteSaysWhy)
{
    namespace fs = std::filesystem;
    fs::create_directory(m_dir / "dir.osw");
    ASSERT_EQ(mkfifo((m_dir / "fifo.osw").c_str(), 0600), 0);
    fs::create_directory(m_dir / "closed");
    ASSERT_EQ(chmod((m_dir / "closed").c_str(), 0555), 0);
    ASSERT_TRUE(WriteFileAtomically((m_dir / "ro.osw").string(), {7}));
    ASSERT_EQ(chmod((m_dir / "ro.osw").c_str(), 0444), 0);
    struct Row
    {
        const char* name;
        fs::path path;
        SpecialTarget special;
        bool asNobody; ///< root may write where others may not
        WriteFailure failure;
    };
    const Row rows[] = {
        {"missing folder", m_dir / "none" / "a.osw", SpecialTarget::kWriteInPlace, false,
         WriteFailure::kNoFolder},
        {"a file on the way", m_dir / "ro.osw" / "a.osw", SpecialTarget::kWriteInPlace, false,
         WriteFailure::kNoFolder},
        {"a folder", m_dir / "dir.osw", SpecialTarget::kWriteInPlace, false, WriteFailure::kFolder},
        {"a FIFO where regular files only", m_dir / "fifo.osw", SpecialTarget::kRefuse, false,
         WriteFailure::kNotRegular},
        {"name too long", m_dir / std::string(300, 'a'), SpecialTarget::kWriteInPlace, false,
         WriteFailure::kNameTooLong},
        {"folder that takes no files", m_dir / "closed" / "new.osw", SpecialTarget::kWriteInPlace,
         true, WriteFailure::kNoPermission},
        {"read-only file", m_dir / "ro.osw", SpecialTarget::kWriteInPlace, true,
         WriteFailure::kReadOnly},
        {"disk full", "/dev/full", SpecialTarget::kWriteInPlace, false, WriteFailure::kDiskFull},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.path == "/dev/full" && access("/dev/full", W_OK) != 0)
            continue;
        WriteFailure failure = WriteFailure::kNone;
        if (row.asNobody) {
            failure = FailureAsNobody(row.path);
        } else {
            EXPECT_FALSE(WriteFileAtomically(row.path.string(), {1}, &failure, row.special));
        }
        EXPECT_EQ(static_cast<int>(failure), static_cast<int>(row.failure));
    }
    EXPECT_TRUE(std::filesystem::is_fifo(m_dir / "fifo.osw"));
    chmod((m_dir / "closed").c_str(), 0755);
}

// A FIFO at the path is refused for reading without waiting for a writer.
TEST_F(FileIo, ReadingRegularFilesOnlyNeverWaits)
{
    const std::filesystem::path fifo = m_dir / "fifo.osw";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(ReadRegularFile(fifo.string(), 100, bytes));
    EXPECT_FALSE(ReadRegularFile(m_dir.string(), 100, bytes));
    const std::string path = (m_dir / "r.osw").string();
    ASSERT_TRUE(WriteFileAtomically(path, {1, 2, 3}));
    ASSERT_TRUE(ReadRegularFile(path, 100, bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(ReadRegularFile(path, 2, bytes)); // larger than allowed
}

TEST_F(FileIo, NamesNearTheLimitAndPermissionsAreKept)
{
    // Regression: the temporary name grew past 255 bytes.
    const std::filesystem::path longName = m_dir / (std::string(247, 'a') + ".osw");
    ASSERT_TRUE(WriteFileAtomically(longName.string(), {1}));
    ASSERT_TRUE(WriteFileAtomically(longName.string(), {2}));
    EXPECT_EQ(Contents(longName), (std::vector<uint8_t>{2}));

    const std::filesystem::path kept = m_dir / "kept.osw";
    ASSERT_TRUE(WriteFileAtomically(kept.string(), {1}));
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(kept.string(), {2}));
    struct stat info;
    ASSERT_EQ(stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(m_dir), 2u);
}

} // namespace
