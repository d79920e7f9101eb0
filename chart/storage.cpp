#include "chart/chartimage.h"
#include "chart/functioncontainer.h"

#include "platform/archive.h"

void FunctionContainer::Store(ArchiveWriter& archive) const
{
    archive.WriteString(kChartHeader);
    archive.WriteInt32(static_cast<int32_t>(m_functions.size()));
    for (const FunctionEntry& entry : m_functions) {
        archive.WriteString(entry.m_strFormula);
        archive.WriteUInt32(entry.m_crColor);
        archive.WriteInt32(entry.m_nDerivative);
        archive.WriteInt32(entry.m_bVisible ? 1 : 0);
    }
    archive.WriteBytes(&m_settings, sizeof m_settings);
    archive.WriteInt32(static_cast<int32_t>(m_zoomHistory.size()));
    for (double value : m_zoomHistory)
        archive.WriteDouble(value);
    archive.WriteInt32(m_bTableVisible);
    archive.WriteInt32(m_nTableWidth);
}

ChartParse FunctionContainer::Load(ArchiveReader& archive)
{
    // Read everything first: a stream that is refused leaves the model as it
    // was.
    ChartImage image;
    const ChartParse status = ParseChart(archive, image, true);
    if (status != ChartParse::kComplete)
        return status;
    for (FunctionEntry& entry : image.functions)
        m_functions.push_back(std::move(entry));
    m_settings = image.settings;
    m_zoomHistory.insert(m_zoomHistory.end(), image.history.begin(), image.history.end());
    m_bTableVisible = image.tableVisible;
    m_nTableWidth = image.tableWidth;
    Recalculate(true);
    return ChartParse::kComplete;
}
