#pragma once

#include "chart/chartsettings.h"
#include "chart/functionentry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ArchiveReader;

/// Everything a chart file holds, read but not yet applied to a model.
struct ChartImage
{
    std::vector<FunctionEntry> functions;
    ChartSettings settings{};
    std::vector<double> history;
    int32_t tableVisible = 0;
    int32_t tableWidth = 0;
};

enum class ChartParse {
    kComplete,   ///< a whole chart was read
    kIncomplete, ///< the bytes ended inside the chart; more may follow
    kNotAChart,  ///< the stream does not start with the chart header
    kMalformed,  ///< the bytes cannot be a chart
};

/// The text that every chart stream starts with.
inline constexpr char kChartHeader[] = "ZELTRA 2.0";

/// Charts larger than this are refused, from files and from the network, and
/// never saved.
inline constexpr std::size_t kMaxChartBytes = 64u << 20;

/// Functions a chart may hold, in files, on the network and in the model. A
/// function costs far more in memory than its record (13 bytes when empty):
/// without a bound, a chart that fits in kMaxChartBytes could take gigabytes
/// once read. The model refuses to add more, so every saved chart opens.
inline constexpr std::size_t kMaxChartFunctions = 50000;

/// Reads one chart from the reader's position. A count is malformed when the
/// records it announces cannot fit: with `complete` the bytes are the whole
/// stream and must hold them; without it they may still arrive, within
/// kMaxChartBytes.
ChartParse ParseChart(ArchiveReader& reader, ChartImage& image, bool complete);

/// For a stream that arrives in pieces: whether the bytes received so far
/// begin with a whole chart, and if so how many bytes it takes. Changes no
/// model.
struct ChartScan
{
    ChartParse status;
    std::size_t size; ///< bytes of the chart when status is kComplete
};
ChartScan ScanChart(const uint8_t* data, std::size_t size);
