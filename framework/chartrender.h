#pragma once

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QSize>

class FunctionContainer;

// The chart drawn off the screen: the picture of the graph view (background
// included) and the printout, for the clipboard, the export commands and the
// command-line tool. None of them changes the plot rectangle that the mouse
// works with.

/// The graph view's picture at `size` (device-independent pixels) with
/// `devicePixelRatio` device pixels to each: the image is size times the
/// ratio, laid out as the view lays it out at `size`.
QImage RenderChartImage(FunctionContainer& chart, QSize size, qreal devicePixelRatio = 1);
/// The same picture as PNG or SVG bytes; empty when encoding failed.
QByteArray RenderChartPng(FunctionContainer& chart, QSize size, qreal devicePixelRatio = 1);
QByteArray RenderChartSvg(FunctionContainer& chart, QSize size);

/// The page of a printout when no printer was set up: A4 landscape with
/// margins of 10 mm.
QPageLayout DefaultPrintLayout();
/// The chart as printed on one page of the layout, without background, as
/// PDF bytes; empty when it could not be drawn.
QByteArray RenderChartPdf(FunctionContainer& chart, const QPageLayout& layout = DefaultPrintLayout());
