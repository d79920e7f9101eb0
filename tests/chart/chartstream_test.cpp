#include "chart/chartimage.h"
#include "chart/chartsettings.h"
#include "chart/chartstream.h"
#include "platform/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Status = ChartStreamReader::Status;

// A chart stream as storing writes it, with any formulas and history.
std::vector<uint8_t> RawChart(const std::vector<std::string>& formulas, int32_t history = 2)
{
    ArchiveWriter writer;
    writer.WriteString(kChartHeader);
    writer.WriteInt32(static_cast<int32_t>(formulas.size()));
    for (const std::string& formula : formulas) {
        writer.WriteString(formula);
        writer.WriteUInt32(0x0000FF);
        writer.WriteInt32(1);
        writer.WriteInt32(1);
    }
    const std::vector<uint8_t> settings(sizeof(ChartSettings), 0x5A);
    writer.WriteBytes(settings.data(), settings.size());
    writer.WriteInt32(history);
    for (int32_t i = 0; i < history; ++i)
        writer.WriteDouble(i * 0.5);
    writer.WriteInt32(1);
    writer.WriteInt32(153);
    return writer.Bytes();
}

// Feeds the pieces in turn; the charts found, and the status at the end.
std::vector<std::vector<uint8_t>> Charts(ChartStreamReader& reader, const std::vector<uint8_t>& stream,
                                         const std::vector<std::size_t>& cuts)
{
    std::vector<std::vector<uint8_t>> charts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= cuts.size(); ++i) {
        const std::size_t end = i < cuts.size() ? cuts[i] : stream.size();
        while (start < end) {
            start += reader.Feed(stream.data() + start, end - start);
            if (reader.GetStatus() == Status::kComplete)
                charts.push_back(reader.TakeChart());
            else if (reader.GetStatus() == Status::kMalformed)
                return charts;
            else if (start < end)
                ADD_FAILURE() << "bytes left while partial";
        }
    }
    return charts;
}

} // namespace

// Each chart is found whole wherever the stream is cut, and agrees with the
// reader of whole streams.
TEST(ChartStream, FindsEachChartWhereverTheStreamIsCut)
{
    const std::vector<std::vector<uint8_t>> charts = {
        RawChart({}),
        RawChart({"sin(x)", std::string(254, 'x'), std::string(255, 'x')}, 0),
        RawChart({std::string(65533, 'a'), std::string(65534, 'b')}, 3),
    };
    for (const std::vector<uint8_t>& chart : charts) {
        ASSERT_EQ(ScanChart(chart.data(), chart.size()).size, chart.size());
        std::vector<uint8_t> stream = chart;
        stream.insert(stream.end(), charts[0].begin(), charts[0].end());
        // One cut at every byte of the small charts, at every 997th of the big one.
        const std::size_t step = chart.size() > 10000 ? 997 : 1;
        for (std::size_t cut = 0; cut <= stream.size(); cut += step) {
            ChartStreamReader reader;
            const auto found = Charts(reader, stream, {cut});
            ASSERT_EQ(found.size(), 2u) << "cut at " << cut;
            EXPECT_EQ(found[0], chart);
            EXPECT_EQ(found[1], charts[0]);
            EXPECT_TRUE(reader.IsEmpty());
        }
    }
}

TEST(ChartStream, SingleBytesAndTwoChartsInOnePiece)
{
    const std::vector<uint8_t> chart = RawChart({"x^2", "cos(x)"});
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < chart.size(); ++i)
        everyByte.push_back(i);
    ChartStreamReader reader;
    auto found = Charts(reader, chart, everyByte);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], chart);

    std::vector<uint8_t> two = chart;
    two.insert(two.end(), chart.begin(), chart.end());
    EXPECT_EQ(reader.Feed(two.data(), two.size()), chart.size()); // stops at the end of the first
    EXPECT_EQ(reader.Feed(two.data(), two.size()), 0u);           // waits to be emptied
    EXPECT_EQ(reader.TakeChart(), chart);
}

TEST(ChartStream, AChartCutShortStaysPartial)
{
    const std::vector<uint8_t> chart = RawChart({"x"});
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{30}, chart.size() - 1}) {
        ChartStreamReader reader;
        EXPECT_EQ(reader.Feed(chart.data(), size), size);
        EXPECT_EQ(reader.GetStatus(), Status::kPartial);
        EXPECT_EQ(reader.IsEmpty(), size == 0);
    }
}

// Malformed as soon as the bytes show it, without waiting for (or keeping)
// what a count or length announces.
TEST(ChartStream, RefusesWhatCannotBeAChart)
{
    struct Row
    {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    auto patched = [](std::size_t at, std::vector<uint8_t> with, std::vector<uint8_t> chart) {
        std::copy(with.begin(), with.end(), chart.begin() + static_cast<std::ptrdiff_t>(at));
        return chart;
    };
    const std::vector<uint8_t> chart = RawChart({"x"}, 0);
    const std::size_t history = chart.size() - 12;
    const std::vector<Row> rows = {
        {"header length", patched(0, {9}, chart)},
        {"header text", patched(3, {'X'}, chart)},
        {"negative count", patched(11, {0xFF, 0xFF, 0xFF, 0xFF}, chart)},
        {"count beyond 64 MiB", patched(11, {0xFF, 0xFF, 0xFF, 0x7F}, chart)},
        {"wide string", patched(15, {0xFF, 0xFE, 0xFF}, chart)},
        {"string beyond 64 MiB", patched(15, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, chart)},
        {"negative history", patched(history, {0, 0, 0, 0x80}, chart)},
        {"history beyond 64 MiB", patched(history, {0, 0, 0, 0x01}, chart)}, // 16M doubles
    };
    for (const Row& row : rows) {
        ChartStreamReader reader;
        reader.Feed(row.bytes.data(), row.bytes.size());
        EXPECT_EQ(reader.GetStatus(), Status::kMalformed) << row.name;
        EXPECT_LT(reader.Size(), 600u) << row.name;
        // The whole-stream reader agrees that no chart is there.
        EXPECT_NE(ScanChart(row.bytes.data(), row.bytes.size()).status, ChartParse::kComplete)
            << row.name;
    }
}
