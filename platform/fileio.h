#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// File names are the bytes the caller was given, passed to the system
// unchanged.

/// Reads a whole file of at most maxSize bytes; false when it cannot be read
/// or is larger.
bool ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<uint8_t>& bytes);

/// As ReadWholeFile, for a regular file only: the file is opened without
/// waiting, so a FIFO or a device at the path is refused (false) rather than
/// waited on for a writer that may never come.
bool ReadRegularFile(const std::string& path, std::size_t maxSize, std::vector<uint8_t>& bytes);

/// Why a write failed, as far as the system tells: what the message that
/// reports the failure says.
enum class WriteFailure
{
    kNone,
    kNoPermission, ///< the folder or the file may not be written by this user
    kNoFolder,     ///< a folder on the way does not exist
    kDiskFull,     ///< no space left, or the user's quota is used up
    kReadOnly,     ///< the file, or the file system it is on, is read-only
    kFolder,       ///< the path names a folder
    kNotRegular,   ///< a FIFO or a device, where only regular files are written
    kNameTooLong,
    kOther, ///< any other failure of the system
};

/// What WriteFileAtomically does with a target that is not a regular file.
enum class SpecialTarget
{
    kWriteInPlace, ///< a FIFO or a device gets the bytes as a stream
    kRefuse,       ///< refused (kNotRegular) without opening it
};

/// Writes a whole file; false when any step fails, and then *failure (when
/// given) says why. A symbolic link is followed and its final target written.
/// A regular file (or a new one) is written to a temporary file in the same
/// folder, flushed and renamed over it, so a failure leaves the old file as
/// it was and no partial file behind. A target that is not a regular file (a
/// FIFO, a device) is written in place unless `special` refuses it, and so is
/// a writable file in a folder where no new file can be made; such a file
/// gets its old bytes back when the new ones do not all reach it.
/// A file that exists and may not be written is left alone (false).
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         WriteFailure* failure = nullptr,
                         SpecialTarget special = SpecialTarget::kWriteInPlace);

/// Removes the temporary file WriteFileAtomically is writing, if any; safe to
/// call from a signal handler. A program stopped by a signal calls it so that
/// no hidden file stays beside the target, which is left as it was.
void RemoveTemporaryFile();
