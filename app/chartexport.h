#pragma once

#include <QPageLayout>
#include <QSize>

class CZeltra20Doc;
class QWidget;
struct ChartPicture;

// "Eksportuj wykres..." and "Eksportuj tabelę...": the chart as a picture or
// a PDF page and the value table as CSV, in files written whole or not at
// all. A failed write is told in a message box, as for a chart file.

/// Asks for the file (PNG, SVG or PDF by its name or the type chosen) and,
/// for a picture, its size, starting at `windowSize`, and whether it rings
/// the points of interest (on when `picture` has rings); the PDF is one page
/// of `printLayout`, as printed. `picture` is what the window shows besides
/// the chart. False when cancelled or not written.
bool ExportChart(CZeltra20Doc& document, QSize windowSize, const QPageLayout& printLayout,
                 const ChartPicture& picture, QWidget* parent);

/// Asks for the file and writes the value table as `osiowiec-cli table`
/// does. False when cancelled or not written.
bool ExportTable(CZeltra20Doc& document, QWidget* parent);
