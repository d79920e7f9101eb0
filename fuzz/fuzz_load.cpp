// libFuzzer target: any bytes as a chart file and as a network stream.
#include "chart/chartimage.h"
#include "chart/functioncontainer.h"
#include "platform/archive.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FunctionContainer chart;
    ArchiveReader reader(data, size);
    if (chart.Load(reader) == ChartParse::kComplete) {
        // A chart that loads must also zoom, pan, undo and store.
        chart.SetPlotRect({10, 10, 300, 200});
        chart.ZoomAbout(2);
        chart.Pan(7, -3);
        chart.UndoZoom();
        ArchiveWriter writer;
        chart.Store(writer);
    }
    ScanChart(data, size);
    return 0;
}
