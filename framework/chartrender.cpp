#include "framework/chartrender.h"

#include "chart/functioncontainer.h"
#include "framework/qtdevicecontext.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

QColor Background(const FunctionContainer& chart)
{
    const COLORREF c = chart.GetSettings().m_crBackground;
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Drawing records the plot rectangle for the mouse; a picture made off the
// screen must not replace the screen's.
void DrawKeepingPlot(FunctionContainer& chart, QPainter& painter, const QRect& target,
                     const ChartPicture& picture)
{
    const RECT screenPlot = chart.GetPlotRect();
    QtDeviceContext dc(painter, picture.antialiased);
    ChartMarks marks = picture.marks;
    chart.Draw(dc, {target.left(), target.top(), target.right() + 1, target.bottom() + 1}, &marks);
    chart.SetPlotRect(screenPlot);
}

} // namespace

QImage RenderChartImage(FunctionContainer& chart, QSize size, qreal devicePixelRatio,
                        const ChartPicture& picture)
{
    if (size.isEmpty() || !(devicePixelRatio > 0))
        return QImage();
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Background(chart));
    QPainter painter(&image);
    DrawKeepingPlot(chart, painter, QRect(QPoint(0, 0), size), picture);
    return image;
}

void LayOutChart(FunctionContainer& chart, QSize size)
{
    if (size.isEmpty())
        return;
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter painter(&image);
    const RECT screenPlot = chart.GetPlotRect();
    QtLayoutDeviceContext dc(painter);
    chart.Draw(dc, {0, 0, size.width(), size.height()});
    chart.SetPlotRect(screenPlot);
}

QByteArray RenderChartPng(FunctionContainer& chart, QSize size, qreal devicePixelRatio,
                          const ChartPicture& picture)
{
    const QImage image = RenderChartImage(chart, size, devicePixelRatio, picture);
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&out, "PNG"))
        return {};
    return bytes;
}

QByteArray RenderChartSvg(FunctionContainer& chart, QSize size, const ChartPicture& picture)
{
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("Osiowiec"));
    QPainter painter;
    if (size.isEmpty() || !painter.begin(&svg))
        return {};
    painter.fillRect(QRect(QPoint(0, 0), size), Background(chart));
    DrawKeepingPlot(chart, painter, QRect(QPoint(0, 0), size), picture);
    if (!painter.end())
        return {};
    return bytes;
}

QPageLayout DefaultPrintLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

void DrawChartPage(FunctionContainer& chart, QPainter& painter, const QRect& page,
                   const ChartPicture& picture)
{
    DrawKeepingPlot(chart, painter, QRect(QPoint(0, 0), page.size()), picture);
}

QByteArray RenderChartPdf(FunctionContainer& chart, const QPageLayout& layout,
                          const ChartPicture& picture)
{
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&out);
        pdf.setPageLayout(layout);
        pdf.setResolution(600);
        pdf.setCreator(QStringLiteral("Osiowiec 2.0"));
        QPainter painter;
        if (!painter.begin(&pdf))
            return {};
        const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
        DrawChartPage(chart, painter, area, picture);
        if (!painter.end())
            return {};
    }
    return bytes;
}
