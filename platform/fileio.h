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

/// Writes a whole file; false when any step fails. A symbolic link is
/// followed and its final target written. A regular file (or a new one) is
/// written to a temporary file in the same folder, flushed and renamed over
/// it, so a failure leaves the old file as it was and no partial file behind.
/// A target that is not a regular file (a FIFO, a device) is written in
/// place, and so is a writable file in a folder where no new file can be
/// made; such a file gets its old bytes back when the new ones do not all
/// reach it.
/// A file that exists and may not be written is left alone (false).
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

/// Removes the temporary file WriteFileAtomically is writing, if any; safe to
/// call from a signal handler. A program stopped by a signal calls it so that
/// no hidden file stays beside the target, which is left as it was.
void RemoveTemporaryFile();
