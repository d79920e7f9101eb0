// libFuzzer target: any bytes as the stream a sharing client reads (charts
// one after another) and as the introduction a sharing server reads, cut into
// pieces chosen by the input's first bytes. The readers that take the stream
// piece by piece must agree with the readers of a whole buffer.
#include "chart/chartimage.h"
#include "chart/chartstream.h"
#include "platform/archive.h"
#include "platform/stringstreamreader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kMaxNameLength = 64 * 1024;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The pieces: lengths from 1 to 64, or now and then up to 4096.
std::vector<std::size_t> Pieces(std::minstd_rand& random, std::size_t size)
{
    std::vector<std::size_t> pieces;
    for (std::size_t total = 0; total < size;) {
        const std::size_t piece = random() % 8 == 0 ? 1 + random() % 4096 : 1 + random() % 64;
        pieces.push_back(std::min(piece, size - total));
        total += pieces.back();
    }
    return pieces;
}

void CheckCharts(const uint8_t* data, std::size_t size, const std::vector<std::size_t>& pieces)
{
    ChartStreamReader reader;
    std::size_t start = 0; // of the current chart in data
    std::size_t offset = 0;
    for (std::size_t piece : pieces) {
        std::size_t fed = 0;
        while (fed < piece && reader.GetStatus() == ChartStreamReader::Status::kPartial) {
            fed += reader.Feed(data + offset + fed, piece - fed);
            if (reader.GetStatus() != ChartStreamReader::Status::kComplete)
                continue;
            const std::vector<uint8_t> chart = reader.TakeChart();
            Check(std::equal(chart.begin(), chart.end(), data + start));
            // The whole-buffer reader finds the same chart there, and it is
            // one that loads.
            const ChartScan scan = ScanChart(data + start, size - start);
            Check(scan.status == ChartParse::kComplete && scan.size == chart.size());
            ArchiveReader whole(chart);
            ChartImage image;
            Check(ParseChart(whole, image, true) == ChartParse::kComplete &&
                  whole.Position() == chart.size());
            start += chart.size();
        }
        offset += piece;
        if (reader.GetStatus() == ChartStreamReader::Status::kMalformed)
            break;
    }
    const ChartScan rest = ScanChart(data + start, size - start);
    switch (reader.GetStatus()) {
    case ChartStreamReader::Status::kPartial:
        Check(rest.status == ChartParse::kIncomplete);
        Check(reader.Size() == size - start);
        break;
    case ChartStreamReader::Status::kMalformed:
        Check(rest.status != ChartParse::kComplete);
        break;
    case ChartStreamReader::Status::kComplete:
        Check(false);
    }
}

void CheckName(const uint8_t* data, std::size_t size, const std::vector<std::size_t>& pieces)
{
    StringStreamReader reader(kMaxNameLength);
    std::size_t taken = 0;
    for (std::size_t piece : pieces) {
        taken += reader.Feed(data + taken, std::min(piece, size - taken));
        if (reader.GetStatus() != StringStreamReader::Status::kPartial)
            break;
    }
    ArchiveReader whole(data, size);
    try {
        const std::string text = whole.ReadString();
        if (text.size() > kMaxNameLength) {
            Check(reader.GetStatus() == StringStreamReader::Status::kTooLong);
        } else {
            Check(reader.GetStatus() == StringStreamReader::Status::kComplete);
            Check(reader.Text() == text && taken == whole.Position());
        }
    } catch (const ArchiveException& e) {
        if (e.m_kind == ArchiveException::kMalformed)
            Check(reader.GetStatus() == StringStreamReader::Status::kMalformed);
        else
            Check(reader.GetStatus() == StringStreamReader::Status::kPartial ||
                  reader.GetStatus() == StringStreamReader::Status::kTooLong);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    std::minstd_rand random(data[0] | (data[1] << 8) | (data[2] << 16) | (data[3] << 24));
    data += 4;
    size -= 4;
    const std::vector<std::size_t> pieces = Pieces(random, size);
    CheckCharts(data, size, pieces);
    CheckName(data, size, pieces);
    return 0;
}
