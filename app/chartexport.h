#pragma once

#include <QPageLayout>
#include <QSize>

class CZeltra20Doc;
class QWidget;

// "Eksportuj wykres..." and "Eksportuj tabelę...": the chart as a picture or
// a PDF page and the value table as CSV, in files written whole or not at
// all. A failed write is told in a message box, as for a chart file.

/// Asks for the file (PNG, SVG or PDF by its name or the type chosen) and,
/// for a picture, its size, starting at `windowSize`; the PDF is one page of
/// `printLayout`, as printed. False when cancelled or not written.
bool ExportChart(CZeltra20Doc& document, QSize windowSize, const QPageLayout& printLayout,
                 QWidget* parent);

/// Asks for the file and writes the value table as `osiowiec-cli table`
/// does. False when cancelled or not written.
bool ExportTable(CZeltra20Doc& document, QWidget* parent);
