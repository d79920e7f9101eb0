#include "chart/chartfile.h"

#include "chart/chartimage.h"
#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/archive.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <vector>

namespace {

[[noreturn]] void Fail(const char* format, const std::string& path)
{
    throw FunctionContainerException(
        ChartMessage::Format(format, Cp1250::FromUtf8(path).c_str()));
}

// The chart's own bytes: anything the file holds after the chart (a
// trailing newline, junk) is not part of it, and a reader of a stream of
// charts would take it for the start of the next one.
std::vector<uint8_t> ReadChart(FunctionContainer* chart, const std::string& path, bool regularOnly)
{
    std::vector<uint8_t> bytes;
    if (!(regularOnly ? ReadRegularFile(path, kMaxChartBytes, bytes)
                      : ReadWholeFile(path, kMaxChartBytes, bytes)))
        Fail(ChartMessage::kReadFailed, path);
    ArchiveReader reader(bytes);
    ChartImage image;
    switch (chart ? chart->Load(reader) : ParseChart(reader, image, true)) {
    case ChartParse::kComplete:
        bytes.resize(reader.Position());
        return bytes;
    case ChartParse::kNotAChart:
        Fail(ChartMessage::kNotAChart, path);
    case ChartParse::kIncomplete:
    case ChartParse::kMalformed:
        break;
    }
    Fail(ChartMessage::kReadFailed, path);
}

} // namespace

std::vector<uint8_t> ReadChartFile(const std::string& path)
{
    return ReadChart(nullptr, path, false);
}

std::vector<uint8_t> ReadRegularChartFile(const std::string& path)
{
    return ReadChart(nullptr, path, true);
}

void LoadChartFile(FunctionContainer& chart, const std::string& path)
{
    ReadChart(&chart, path, false);
}

void SaveChartFile(const FunctionContainer& chart, const std::string& path)
{
    // A chart too large to be opened again is not written at all (loads
    // append: two of them can make one).
    if (chart.GetFunctions().size() > kMaxChartFunctions)
        Fail(ChartMessage::kWriteFailed, path);
    ArchiveWriter writer;
    chart.Store(writer);
    if (writer.Bytes().size() > kMaxChartBytes)
        Fail(ChartMessage::kWriteFailed, path);
    WriteFailure failure = WriteFailure::kNone;
    if (!WriteFileAtomically(path, writer.Bytes(), &failure))
        throw FunctionContainerException(
            ChartMessage::WriteFailed(Cp1250::FromUtf8(path), failure));
}
