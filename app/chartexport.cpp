#include "app/chartexport.h"

#include "chart/chartmessages.h"
#include "chart/tablecsv.h"
#include "dialogs/imagesizedlg.h"
#include "document/zeltra20doc.h"
#include "framework/chartrender.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "framework/qtstring.h"
#include "platform/fileio.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

enum ChartType { kPng, kSvg, kPdf };

// The chart's title without its extension, for the name the dialog offers.
QString SuggestedName(const CZeltra20Doc& document, const QString& extension)
{
    const QString path = document.GetPathName();
    const QString base = path.isEmpty() ? document.GetTitle() : QFileInfo(path).completeBaseName();
    return base + extension;
}

// Written as charts are: whole or not at all, and never into a FIFO or a
// device, which would keep the program waiting for the other end. Empty
// bytes are a picture that could not be drawn; `empty` allows them.
bool WriteExport(const QString& path, const QByteArray& bytes, QWidget* parent, bool empty = false)
{
    const QFileInfo info(path);
    const bool special = info.exists() && !info.isFile();
    if (!special && (empty || !bytes.isEmpty()) &&
        WriteFileAtomically(QFile::encodeName(path).toStdString(),
                            std::vector<uint8_t>(bytes.begin(), bytes.end())))
        return true;
    ShowStopMessage(parent, ChartMessage::Format(ChartMessage::kWriteFailed, ToCp1250(path).c_str()));
    return false;
}

} // namespace

bool ExportChart(CZeltra20Doc& document, QSize windowSize, const QPageLayout& printLayout,
                 const ChartPicture& picture, QWidget* parent)
{
    int type = kPng;
    const QString path = AskExportFileName(
        parent, QStringLiteral("Eksportuj wykres"), SuggestedName(document, QStringLiteral(".png")),
        {{QStringLiteral("Obraz PNG (*.png)"), QStringLiteral(".png")},
         {QStringLiteral("Rysunek SVG (*.svg)"), QStringLiteral(".svg")},
         {QStringLiteral("Dokument PDF (*.pdf)"), QStringLiteral(".pdf")}},
        &type);
    if (path.isEmpty())
        return false;
    FunctionContainer& chart = document.GetChart();
    if (type == kPdf)
        return WriteExport(path, RenderChartPdf(chart, printLayout, picture), parent);

    const QSize window(std::clamp(windowSize.width(), 1, int{CImageSizeDlg::kMaxSide}),
                       std::clamp(windowSize.height(), 1, int{CImageSizeDlg::kMaxSide}));
    CImageSizeDlg dialog(window, !picture.marks.rings.empty(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QSize size = dialog.GetSize();
    ChartPicture drawn = picture;
    if (!dialog.GetPoints())
        drawn.marks.rings.clear();
    return WriteExport(path, type == kSvg ? RenderChartSvg(chart, size, drawn) : RenderChartPng(chart, size, 1, drawn),
                       parent);
}

bool ExportTable(CZeltra20Doc& document, QWidget* parent)
{
    int type = 0;
    const QString path = AskExportFileName(
        parent, QString::fromUtf8("Eksportuj tabelę"), SuggestedName(document, QStringLiteral(".csv")),
        {{QString::fromUtf8("Tabela CSV (*.csv)"), QStringLiteral(".csv")}}, &type);
    if (path.isEmpty())
        return false;
    // A chart without functions has an empty table, and an empty file.
    return WriteExport(path, QByteArray::fromStdString(TableCsv(document.GetChart())), parent, true);
}
