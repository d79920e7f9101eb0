#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Reads a whole file of at most maxSize bytes; false when it cannot be read
/// or is larger.
bool ReadWholeFile(const std::string& path, std::size_t maxSize, std::vector<uint8_t>& bytes);

/// Writes a file through a temporary one beside it and a rename, so a failed
/// write leaves the old file as it was.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
