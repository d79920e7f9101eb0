#include "platform/fileio.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file being written, for RemoveTemporaryFile() to remove from
// a signal handler: a fixed buffer and a flag, which such a handler may read.
char g_temporary[PATH_MAX];
volatile std::sig_atomic_t g_bTemporary = 0;

/// Holds SIGTERM and SIGINT back for its life, so that the temporary file and
/// its record come and go together.
class StopSignalsHeld
{
public:
    StopSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGINT);
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t m_previous;
};

void RecordTemporary(const std::string& path)
{
    if (path.size() >= sizeof g_temporary)
        return;
    std::memcpy(g_temporary, path.c_str(), path.size() + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_bTemporary = 1;
}

void ForgetTemporary()
{
    g_bTemporary = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

} // namespace

void RemoveTemporaryFile()
{
    if (g_bTemporary)
        unlink(g_temporary);
}

bool ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t buffer[65536];
    bool ok = true;
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
        if (bytes.size() + count > maxSize) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
        if (count < sizeof buffer) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return ok;
}

bool ReadRegularFile(const std::string& path, std::size_t maxSize, std::vector<uint8_t>& bytes)
{
    // Without waiting: opening a FIFO for reading waits for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<std::size_t>(info.st_size) <= maxSize;
    bytes.clear();
    uint8_t buffer[65536];
    while (ok) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            ok = count == 0;
            break;
        }
        // The file may grow while it is read.
        if (bytes.size() + static_cast<std::size_t>(count) > maxSize) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    close(fd);
    return ok;
}

namespace {

WriteFailure FailureOf(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return WriteFailure::kNoPermission;
    case ENOENT:
    case ENOTDIR:
        return WriteFailure::kNoFolder;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return WriteFailure::kDiskFull;
    case EROFS:
    case ETXTBSY:
        return WriteFailure::kReadOnly;
    case EISDIR:
        return WriteFailure::kFolder;
    case ENAMETOOLONG:
        return WriteFailure::kNameTooLong;
    default:
        return WriteFailure::kOther;
    }
}

/// The first error of a sequence of steps: each failed step records the
/// system's error unless an earlier one did.
class StepErrors
{
public:
    /// Returns `ok`; on a failure keeps errno as it is now.
    bool Check(bool ok)
    {
        if (!ok && m_nError == 0)
            m_nError = errno != 0 ? errno : EIO;
        return ok;
    }
    int Error() const { return m_nError; }

private:
    int m_nError = 0;
};

// As many links as the system itself follows before it gives up on a loop.
constexpr int kMaxLinkHops = 40;

// The folder part of a path with its slash, or nothing for the current one.
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links to the file a path finally names, which need not
// exist yet (a link may point to a file still to be made). False for a loop
// or a link that cannot be read.
bool FollowLinks(std::string& path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return false;
        const std::string next(target, static_cast<std::size_t>(length));
        // A relative target is taken from the folder of its link.
        path = next[0] == '/' ? next : FolderOf(path) + next;
    }
    return false;
}

// Moves `size` bytes with `step(done)`, one system call moving the bytes from
// offset `done` on, until all have gone; a call interrupted by a signal is
// made again. False when a call fails or moves nothing.
template <typename Step>
bool MoveAll(std::size_t size, Step step)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes)
{
    return MoveAll(bytes.size(), [&](std::size_t done) {
        return write(fd, bytes.data() + done, bytes.size() - done);
    });
}

bool WriteAllAt(int fd, const std::vector<uint8_t>& bytes)
{
    return MoveAll(bytes.size(), [&](std::size_t done) {
        return pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    });
}

bool ReadAllAt(int fd, std::size_t size, std::vector<uint8_t>& bytes)
{
    bytes.resize(size);
    return MoveAll(size, [&](std::size_t done) {
        return pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
    });
}

// A FIFO or a device gets the bytes as a stream. Pipes and most devices
// cannot be flushed to a disk; a refused flush means nothing for them.
bool WriteStream(const std::string& path, const std::vector<uint8_t>& bytes, StepErrors& errors)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (!errors.Check(fd >= 0))
        return false;
    bool ok = errors.Check(WriteAll(fd, bytes));
    ok = ok && (fsync(fd) == 0 || errno == EINVAL || errors.Check(false));
    return errors.Check(close(fd) == 0) && ok;
}

// The largest file whose old bytes are kept aside while it is written over.
constexpr std::size_t kMaxKeptBytes = std::size_t{256} << 20;

// A regular file written where it stands, without a temporary beside it. Its
// old bytes are read first and put back when the new ones do not all reach
// the disk (a full disk, a quota): they fit in the space they held before.
// A file that cannot be read back whole is not touched.
bool OverwriteInPlace(const std::string& path, const std::vector<uint8_t>& bytes,
                      StepErrors& errors)
{
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (!errors.Check(fd >= 0))
        return false;
    struct stat info;
    std::vector<uint8_t> old;
    bool ok = errors.Check(fstat(fd, &info) == 0 && info.st_size >= 0 &&
                           static_cast<std::size_t>(info.st_size) <= kMaxKeptBytes &&
                           ReadAllAt(fd, static_cast<std::size_t>(info.st_size), old));
    if (ok) {
        ok = errors.Check(WriteAllAt(fd, bytes)) &&
             errors.Check(ftruncate(fd, static_cast<off_t>(bytes.size())) == 0) &&
             errors.Check(fsync(fd) == 0);
        if (!ok && WriteAllAt(fd, old))
            (void)(ftruncate(fd, static_cast<off_t>(old.size())) == 0 && fsync(fd) == 0);
    }
    return errors.Check(close(fd) == 0) && ok;
}

// The permissions a new file gets under the process's umask.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void FlushFolder(const std::string& folder)
{
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // The rename is already done; a folder that cannot be flushed changes
        // nothing the caller could act on.
        (void)fsync(fd);
        close(fd);
    }
}

} // namespace

namespace {

bool WriteFile(const std::string& given, const std::vector<uint8_t>& bytes, SpecialTarget special,
               StepErrors& errors, WriteFailure& failure)
{
    std::string path = given;
    if (!errors.Check(FollowLinks(path)))
        return false;
    struct stat info;
    const bool exists = stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        failure = WriteFailure::kFolder;
        return false;
    }
    // A file its owner made read-only is not to be replaced, even where the
    // folder would let a new file take its place.
    if (exists && access(path.c_str(), W_OK) != 0) {
        failure = errno == EACCES || errno == EPERM || errno == EROFS ? WriteFailure::kReadOnly
                                                                      : FailureOf(errno);
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        if (special == SpecialTarget::kRefuse) {
            failure = WriteFailure::kNotRegular;
            return false;
        }
        return WriteStream(path, bytes, errors);
    }

    // A short name of its own, so that a target whose name is near the
    // system's limit still has a temporary beside it.
    const std::string folder = FolderOf(path);
    std::string temporary = folder + ".osw-XXXXXX";
    int fd;
    {
        const StopSignalsHeld held;
        fd = mkostemp(temporary.data(), O_CLOEXEC);
        if (fd >= 0)
            RecordTemporary(temporary);
    }
    if (fd < 0) {
        // A folder that takes no new files may still hold a writable one.
        if (exists && (errno == EACCES || errno == EPERM))
            return OverwriteInPlace(path, bytes, errors);
        return errors.Check(false);
    }
    // The replacement keeps the owner where the system lets us give the file
    // away (EPERM otherwise: it then belongs to whoever saves it), and then
    // the permissions, which a change of owner may have cut.
    bool ok = errors.Check(!exists || fchown(fd, info.st_uid, info.st_gid) == 0 || errno == EPERM);
    ok = ok && errors.Check(fchmod(fd, exists ? info.st_mode & 07777 : NewFileMode()) == 0);
    ok = ok && errors.Check(WriteAll(fd, bytes));
    ok = ok && errors.Check(fsync(fd) == 0);
    ok = errors.Check(close(fd) == 0) && ok;
    {
        const StopSignalsHeld held;
        ok = ok && errors.Check(std::rename(temporary.c_str(), path.c_str()) == 0);
        if (!ok)
            unlink(temporary.c_str());
        ForgetTemporary();
    }
    if (!ok)
        return false;
    FlushFolder(folder);
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         WriteFailure* failure, SpecialTarget special)
{
    StepErrors errors;
    WriteFailure found = WriteFailure::kNone;
    errno = 0;
    if (WriteFile(path, bytes, special, errors, found))
        return true;
    if (failure)
        *failure = found != WriteFailure::kNone ? found : FailureOf(errors.Error());
    return false;
}
