#pragma once

#include <cstdint>
#include <string>
#include <vector>

class FunctionContainer;

// Chart files on disk. Failures throw FunctionContainerException with the
// system's message naming the file (the name as given, in code page 1250).

/// The bytes of the chart a file holds: one whole, well-formed chart, without
/// whatever follows it in the file.
std::vector<uint8_t> ReadChartFile(const std::string& path);

/// As ReadChartFile, from a regular file only: a FIFO or a device at the path
/// is refused without waiting for it.
std::vector<uint8_t> ReadRegularChartFile(const std::string& path);

/// Loads a chart file into the model; a file that is refused leaves the model
/// as it was.
void LoadChartFile(FunctionContainer& chart, const std::string& path);

/// Saves the committed chart as WriteFileAtomically writes files; the
/// message of a failure says why, as the system told. A chart whose file
/// would be larger than the loader takes is refused before anything is
/// written.
void SaveChartFile(const FunctionContainer& chart, const std::string& path);
