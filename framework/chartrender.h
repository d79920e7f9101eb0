#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QSize>

class QPainter;
class QRect;

#include "chart/chartmarks.h"

class FunctionContainer;

// The chart drawn off the screen: the picture of the graph view (background
// included) and the printout, for the clipboard, the export commands and the
// command-line tool. None of them changes the plot rectangle that the mouse
// works with.

/// How a picture is drawn: smoothed or with the exact pixels of the
/// unsmoothed drawing, and the marks shown over the chart (a copy of them
/// is drawn: the screen's record of its rings stays).
struct ChartPicture
{
    bool antialiased = true;
    ChartMarks marks;
};

/// The graph view's picture at `size` (device-independent pixels) with
/// `devicePixelRatio` device pixels to each: the image is size times the
/// ratio, laid out as the view lays it out at `size`.
QImage RenderChartImage(FunctionContainer& chart, QSize size, qreal devicePixelRatio = 1,
                        const ChartPicture& picture = {});
/// Lays the picture out at `size` without drawing it, for what the chart
/// learns from a drawing (the scale labels), keeping the plot rectangle.
void LayOutChart(FunctionContainer& chart, QSize size);
/// The same picture as PNG or SVG bytes; empty when encoding failed.
QByteArray RenderChartPng(FunctionContainer& chart, QSize size, qreal devicePixelRatio = 1,
                          const ChartPicture& picture = {});
QByteArray RenderChartSvg(FunctionContainer& chart, QSize size, const ChartPicture& picture = {});

/// The page of a printout when no printer was set up: A4 landscape with
/// margins of 10 mm.
QPageLayout DefaultPrintLayout();
/// The chart as printed on one page of the layout, without background, as
/// PDF bytes; empty when it could not be drawn.
QByteArray RenderChartPdf(FunctionContainer& chart, const QPageLayout& layout = DefaultPrintLayout(),
                          const ChartPicture& picture = {});
/// The chart on a painter that is printing or making a PDF: the page's
/// paint rectangle, from its top left corner.
void DrawChartPage(FunctionContainer& chart, QPainter& painter, const QRect& page,
                   const ChartPicture& picture = {});
