#include "chart/chartstream.h"

#include "chart/chartimage.h"
#include "chart/chartsettings.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderLength = sizeof kChartHeader - 1;
// A function record after its formula: colour, derivative order, visibility.
constexpr std::size_t kFunctionFields = 3 * 4;
// The table pane's flag and width.
constexpr std::size_t kTail = 2 * 4;

} // namespace

ChartStreamReader::ChartStreamReader()
{
    Reset();
}

void ChartStreamReader::Reset()
{
    m_bytes.clear();
    m_status = Status::kPartial;
    m_nFunctionsLeft = 0;
    Expect(Step::kHeaderLength, 1);
}

std::vector<uint8_t> ChartStreamReader::TakeChart()
{
    std::vector<uint8_t> chart = std::move(m_bytes);
    Reset();
    return chart;
}

void ChartStreamReader::Expect(Step step, std::size_t size)
{
    // The end of every step is checked against the limit before its bytes
    // come, so a length from the stream never makes the reader wait for (or
    // keep) more than a chart may hold.
    if (size > kMaxChartBytes - m_bytes.size()) {
        m_status = Status::kMalformed;
        return;
    }
    m_step = step;
    m_nNeeded = size;
}

uint32_t ChartStreamReader::LastUInt(std::size_t size) const
{
    uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<uint32_t>(m_bytes[m_bytes.size() - size + i]) << (8 * i);
    return value;
}

void ChartStreamReader::StartFunction()
{
    if (m_nFunctionsLeft > 0) {
        --m_nFunctionsLeft;
        Expect(Step::kStringPrefix, 1);
    } else {
        Expect(Step::kSettings, sizeof(ChartSettings));
    }
}

// Moves on from a step whose bytes are all there; false when they make the
// stream malformed.
bool ChartStreamReader::FinishStep()
{
    switch (m_step) {
    case Step::kHeaderLength:
        if (m_bytes.back() != kHeaderLength)
            return false;
        Expect(Step::kHeader, 1);
        break;
    case Step::kHeader: {
        // Byte by byte: a stream that is not a chart shows it at once.
        const std::size_t index = m_bytes.size() - 2;
        if (m_bytes.back() != static_cast<uint8_t>(kChartHeader[index]))
            return false;
        if (index + 1 < kHeaderLength)
            Expect(Step::kHeader, 1);
        else
            Expect(Step::kCount, 4);
        break;
    }
    case Step::kCount: {
        // Every function takes its string's length byte and its fields at
        // least: a count that cannot fit in a chart is refused at once.
        const auto count = static_cast<int32_t>(LastUInt(4));
        const std::size_t room = kMaxChartBytes - m_bytes.size() - sizeof(ChartSettings) - 4;
        if (count < 0 || static_cast<std::size_t>(count) > room / (1 + kFunctionFields) ||
            static_cast<std::size_t>(count) > kMaxChartFunctions)
            return false;
        m_nFunctionsLeft = static_cast<std::size_t>(count);
        StartFunction();
        break;
    }
    case Step::kStringPrefix:
        if (m_bytes.back() == 0xFF)
            Expect(Step::kStringLength16, 2);
        else
            Expect(Step::kStringText, m_bytes.back());
        break;
    case Step::kStringLength16: {
        const uint32_t length = LastUInt(2);
        // 0xFFFE marks a wide-character string, which charts never hold.
        if (length == 0xFFFE)
            return false;
        if (length == 0xFFFF)
            Expect(Step::kStringLength32, 4);
        else
            Expect(Step::kStringText, length);
        break;
    }
    case Step::kStringLength32:
        Expect(Step::kStringText, LastUInt(4));
        break;
    case Step::kStringText:
        Expect(Step::kFunctionFields, kFunctionFields);
        break;
    case Step::kFunctionFields:
        StartFunction();
        break;
    case Step::kSettings:
        Expect(Step::kHistoryCount, 4);
        break;
    case Step::kHistoryCount: {
        const auto count = static_cast<int32_t>(LastUInt(4));
        if (count < 0)
            return false;
        Expect(Step::kHistory, static_cast<std::size_t>(count) * 8);
        break;
    }
    case Step::kHistory:
        Expect(Step::kTail, kTail);
        break;
    case Step::kTail:
        m_status = Status::kComplete;
        break;
    }
    return true;
}

std::size_t ChartStreamReader::Feed(const uint8_t* data, std::size_t size)
{
    std::size_t taken = 0;
    while (m_status == Status::kPartial) {
        if (m_nNeeded > 0) {
            const std::size_t count = std::min(m_nNeeded, size - taken);
            if (count == 0)
                break;
            m_bytes.insert(m_bytes.end(), data + taken, data + taken + count);
            taken += count;
            m_nNeeded -= count;
            if (m_nNeeded > 0)
                break;
        }
        if (!FinishStep())
            m_status = Status::kMalformed;
    }
    return taken;
}
