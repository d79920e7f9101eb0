#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// Finds whole charts in a stream that arrives in pieces (the network), one
/// after another with nothing between them. Every byte is looked at once: the
/// reader keeps its place in the chart's structure between pieces, so a chart
/// of N bytes costs time in proportion to N however it is cut.
///
/// The reader decides only where a chart ends and whether the bytes can be one
/// at all (the header, counts below zero or above the limits of chartimage.h,
/// the wide-string mark); loading the chart is left to the model. It holds the
/// bytes of the current chart and nothing that the stream only announced.
class ChartStreamReader
{
public:
    enum class Status {
        kPartial,   ///< inside a chart, or between charts when IsEmpty()
        kComplete,  ///< a whole chart is held; TakeChart() before feeding more
        kMalformed, ///< the stream cannot be charts; there is no way back into it
    };

    ChartStreamReader();

    /// Takes bytes of the current chart from the front of data, stopping at
    /// its end; returns how many it took. Takes nothing once complete or
    /// malformed.
    std::size_t Feed(const uint8_t* data, std::size_t size);

    Status GetStatus() const { return m_status; }
    /// True while no byte of a chart has been taken since the last one.
    bool IsEmpty() const { return m_bytes.empty(); }
    /// The bytes of the current chart so far.
    std::size_t Size() const { return m_bytes.size(); }

    /// The whole chart; the reader then waits for the next one.
    std::vector<uint8_t> TakeChart();
    /// Forgets everything, as at the start of a stream.
    void Reset();

private:
    enum class Step {
        kHeaderLength,
        kHeader,
        kCount,
        kStringPrefix,
        kStringLength16,
        kStringLength32,
        kStringText,
        kFunctionFields,
        kSettings,
        kHistoryCount,
        kHistory,
        kTail,
    };

    void Expect(Step step, std::size_t size);
    bool FinishStep();
    uint32_t LastUInt(std::size_t size) const;
    void StartFunction();

    std::vector<uint8_t> m_bytes;
    Status m_status = Status::kPartial;
    Step m_step = Step::kHeaderLength;
    std::size_t m_nNeeded = 0;      ///< bytes still missing from the current step
    std::size_t m_nFunctionsLeft = 0;
};
