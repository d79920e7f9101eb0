#include "net/documentsharinghost.h"

#include "chart/chartimage.h"
#include "document/zeltra20doc.h"
#include "platform/archive.h"

std::optional<std::vector<uint8_t>> DocumentSharingHost::ActiveChartImage()
{
    CZeltra20Doc* document = ActiveChartDocument();
    if (!document)
        return std::nullopt;
    return document->StoreImage();
}

bool DocumentSharingHost::CanShowChart()
{
    return ActiveChartDocument() != nullptr;
}

bool DocumentSharingHost::ShowChart(const std::vector<uint8_t>& image)
{
    CZeltra20Doc* document = ActiveChartDocument();
    if (!document)
        return false;
    if (document->IsModified() || !document->GetPathName().isEmpty()) {
        // Checked before a window is opened for it.
        ChartImage parsed;
        ArchiveReader reader(image);
        if (ParseChart(reader, parsed, true) != ChartParse::kComplete)
            return false;
        document = OpenChartWindow();
        if (!document)
            return false;
    }
    if (!document->LoadImage(image))
        return false;
    document->UpdateAllViews(nullptr, 0);
    return true;
}
