#include "platform/fileio.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The permissions the file should end with: those of the file it replaces, or
// what a new file gets under the process's umask.
mode_t FileModeFor(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        return info.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = true;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0)
            ok = false;
        else
            written += static_cast<std::size_t>(n);
    }
    ok = ok && fchmod(fd, FileModeFor(path)) == 0;
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}
