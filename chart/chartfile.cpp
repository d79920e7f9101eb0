#include "chart/chartfile.h"

#include "chart/chartimage.h"
#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/archive.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <cstdio>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* format, const std::string& path)
{
    const std::string name = Cp1250::FromUtf8(path);
    std::string message(std::snprintf(nullptr, 0, format, name.c_str()), '\0');
    std::snprintf(message.data(), message.size() + 1, format, name.c_str());
    throw FunctionContainerException(message);
}

} // namespace

void LoadChartFile(FunctionContainer& chart, const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxChartBytes, bytes))
        Fail(ChartMessage::kReadFailed, path);
    ArchiveReader reader(bytes);
    switch (chart.Load(reader)) {
    case ChartParse::kComplete:
        return;
    case ChartParse::kNotAChart:
        Fail(ChartMessage::kNotAChart, path);
    case ChartParse::kIncomplete:
    case ChartParse::kMalformed:
        break;
    }
    Fail(ChartMessage::kReadFailed, path);
}

void SaveChartFile(const FunctionContainer& chart, const std::string& path)
{
    ArchiveWriter writer;
    chart.Store(writer);
    if (!WriteFileAtomically(path, writer.Bytes()))
        Fail(ChartMessage::kWriteFailed, path);
}
