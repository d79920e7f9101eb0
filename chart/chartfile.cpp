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

ChartParse Verdict(const std::vector<uint8_t>& bytes, FunctionContainer* chart)
{
    ArchiveReader reader(bytes);
    if (chart)
        return chart->Load(reader);
    ChartImage image;
    return ParseChart(reader, image, true);
}

std::vector<uint8_t> ReadChart(FunctionContainer* chart, const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxChartBytes, bytes))
        Fail(ChartMessage::kReadFailed, path);
    switch (Verdict(bytes, chart)) {
    case ChartParse::kComplete:
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
    return ReadChart(nullptr, path);
}

void LoadChartFile(FunctionContainer& chart, const std::string& path)
{
    ReadChart(&chart, path);
}

void SaveChartFile(const FunctionContainer& chart, const std::string& path)
{
    ArchiveWriter writer;
    chart.Store(writer);
    // A chart too large to be opened again is not written at all.
    if (writer.Bytes().size() > kMaxChartBytes || !WriteFileAtomically(path, writer.Bytes()))
        Fail(ChartMessage::kWriteFailed, path);
}
