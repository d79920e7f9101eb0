#include "chart/chartimage.h"

#include "platform/archive.h"

namespace {

// The smallest function record: an empty formula and three int32 fields.
constexpr std::size_t kMinFunctionRecord = 1 + 3 * 4;

// Whether `count` records of at least `size` bytes each can follow: in the
// bytes left of a whole stream, or within the largest chart while a stream
// still arrives.
bool CanHold(const ArchiveReader& reader, bool complete, int32_t count, std::size_t size)
{
    if (count < 0)
        return false;
    const std::size_t room = complete ? reader.Remaining()
                             : reader.Position() < kMaxChartBytes
                                 ? kMaxChartBytes - reader.Position()
                                 : 0;
    return static_cast<std::size_t>(count) <= room / size;
}

} // namespace

ChartParse ParseChart(ArchiveReader& reader, ChartImage& image, bool complete)
{
    try {
        // Byte by byte, so that a stream arriving in pieces is known not to be
        // a chart as soon as one byte of the header differs.
        const std::size_t headerLength = sizeof kChartHeader - 1;
        if (reader.ReadByte() != headerLength)
            return ChartParse::kNotAChart;
        for (std::size_t i = 0; i < headerLength; ++i) {
            if (reader.ReadByte() != static_cast<uint8_t>(kChartHeader[i]))
                return ChartParse::kNotAChart;
        }

        const int32_t count = reader.ReadInt32();
        if (!CanHold(reader, complete, count, kMinFunctionRecord) ||
            static_cast<std::size_t>(count) > kMaxChartFunctions)
            return ChartParse::kMalformed;
        // Room for a count the bytes at hand can hold, never for one that
        // more bytes still have to bear out.
        if (complete)
            image.functions.reserve(static_cast<std::size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            FunctionEntry entry;
            entry.m_strFormula = reader.ReadString();
            // Colour before order: the order in which the file has them.
            entry.m_crColor = reader.ReadUInt32();
            entry.m_nDerivative = reader.ReadInt32();
            entry.m_bVisible = reader.ReadInt32() != 0;
            image.functions.push_back(std::move(entry));
        }

        reader.ReadBytes(&image.settings, sizeof image.settings);

        const int32_t history = reader.ReadInt32();
        if (!CanHold(reader, complete, history, sizeof(double)))
            return ChartParse::kMalformed;
        for (int32_t i = 0; i < history; ++i)
            image.history.push_back(reader.ReadDouble());

        image.tableVisible = reader.ReadInt32();
        image.tableWidth = reader.ReadInt32();
        return ChartParse::kComplete;
    } catch (const ArchiveException& e) {
        return e.m_kind == ArchiveException::kEndOfData ? ChartParse::kIncomplete
                                                        : ChartParse::kMalformed;
    }
}

ChartScan ScanChart(const uint8_t* data, std::size_t size)
{
    ArchiveReader reader(data, size);
    ChartImage image;
    ChartParse status = ParseChart(reader, image, false);
    if (status == ChartParse::kComplete && reader.Position() > kMaxChartBytes)
        status = ChartParse::kMalformed;
    // A chart that has not ended within the size limit never will.
    if (status == ChartParse::kIncomplete && size >= kMaxChartBytes)
        status = ChartParse::kMalformed;
    return {status, status == ChartParse::kComplete ? reader.Position() : 0};
}
