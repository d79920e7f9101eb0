#include "net/documentsharinghost.h"

#include "chart/chartimage.h"
#include "document/zeltra20doc.h"
#include "platform/archive.h"

QByteArray DocumentSharingHost::ActiveChartImage()
{
    CZeltra20Doc* document = ActiveChartDocument();
    if (!document)
        return QByteArray();
    const std::vector<uint8_t> image = document->StoreImage();
    return QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
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
