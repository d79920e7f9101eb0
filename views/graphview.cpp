#include "views/graphview.h"

#include "chart/chartmath.h"
#include "document/zeltra20doc.h"
#include "framework/chartrender.h"
#include "framework/commandids.h"
#include "framework/qtdevicecontext.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect PlotRect(const RECT& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// A dotted line of inverted pixels over the chart image: every other pixel
// of a line one pixel wide or high is inverted, the others stay as they are.
// Done on a copy of the line's pixels, which costs a few thousand pixels
// whatever the painter's state.
void DrawInvertedDots(QPainter& painter, const QImage& chart, const QRect& line)
{
    const QRect r = line.intersected(chart.rect());
    if (r.isEmpty())
        return;
    QImage strip = chart.copy(r);
    for (int y = 0; y < strip.height(); ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x) {
            if (((r.x() + x + r.y() + y) & 1) == 0)
                pixel[x] ^= 0x00FFFFFF;
        }
    }
    painter.drawImage(r.topLeft(), strip);
}

// The four edges of a focus rectangle.
std::array<QRect, 4> Edges(const QRect& r)
{
    return {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
            QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())};
}

// " x = %lg" as C writes it, whatever the process locale.
QString Coordinate(const char* name, double value)
{
    return QStringLiteral(" %1 = %2").arg(QLatin1String(name), QString::fromStdString(FormatG(value)));
}

} // namespace

CZeltra20View::CZeltra20View(CZeltra20Doc& document, CGraphViewHost& host, QWidget* parent)
    : QWidget(parent), CView(document), m_host(host)
{
    // Every pixel is covered by the chart image: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(1, 1);
    m_gestureClock.start();
    m_gestureEnd.setSingleShot(true);
    m_gestureEnd.setInterval(kGestureGapMs);
    connect(&m_gestureEnd, &QTimer::timeout, this, &CZeltra20View::EndGesture);
}

CZeltra20View::~CZeltra20View() = default;

CZeltra20Doc& CZeltra20View::GetChartDocument() const
{
    return static_cast<CZeltra20Doc&>(GetDocument());
}

void CZeltra20View::OnUpdate(CView*, int hint)
{
    if ((hint & UpdateHint::kNoSend) == 0)
        m_host.SendChartToClients();
    m_overlay.ChartChanged(GetChartDocument().GetChart(), hint, m_host.GetPointsOfInterest());
    InvalidateImage();
}

void CZeltra20View::ShowPointsOfInterest()
{
    m_overlay.SetPointsShown(GetChartDocument().GetChart(), m_host.GetPointsOfInterest());
    InvalidateImage();
}

void CZeltra20View::ShadeArea(const ShadedArea& area)
{
    m_overlay.SetShade(GetChartDocument().GetChart(), area);
    InvalidateImage();
}

ChartPicture CZeltra20View::Picture(bool rings) const
{
    return {m_host.GetAntialiasing(), m_overlay.PictureMarks(rings)};
}

void CZeltra20View::Redraw()
{
    InvalidateImage();
}

void CZeltra20View::InvalidateImage()
{
    // Drawn when next needed, once: a new chart window is laid out and
    // updated several times before it first appears.
    m_bImageStale = true;
    update();
}

void CZeltra20View::EnsureImage()
{
    if (isVisible() && (m_bImageStale || m_image.size() != size()))
        RenderChart();
}

void CZeltra20View::RenderChart()
{
    m_bImageStale = false;
    const QSize size = this->size();
    if (size.isEmpty()) {
        m_image = QImage();
        return;
    }
    FunctionContainer& chart = GetChartDocument().GetChart();
    if (m_image.size() != size)
        m_image = QImage(size, QImage::Format_RGB32);
    m_image.fill(ToQColor(chart.GetSettings().m_crBackground));
    QPainter painter(&m_image);
    QtDeviceContext dc(painter, m_host.GetAntialiasing());
    chart.Draw(dc, {0, 0, size.width(), size.height()}, &m_overlay.ImageMarks());
    m_rcPlot = chart.GetPlotRect();
    m_overlay.ImageDrawn(chart);
}

FunctionContainer& CZeltra20View::MouseChart()
{
    // The chart keeps the plot rectangle of whichever view drew last; the
    // mouse in this view works with this view's own.
    EnsureImage();
    FunctionContainer& chart = GetChartDocument().GetChart();
    chart.SetPlotRect(m_rcPlot);
    return chart;
}

void CZeltra20View::resizeEvent(QResizeEvent*)
{
    InvalidateImage();
}

void CZeltra20View::paintEvent(QPaintEvent* event)
{
    EnsureImage();
    QPainter painter(this);
    // Only what was asked for: moving the guides repaints two lines, not the
    // rectangle around them.
    const QRegion dirty = event->region();
    for (const QRect& r : dirty) {
        if (m_image.isNull())
            painter.fillRect(r, ToQColor(GetChartDocument().GetChart().GetSettings().m_crBackground));
        else
            painter.drawImage(r, m_image, r);
    }

    if (m_image.isNull())
        return;
    if (m_bGuidesShown) {
        const QRect plot = PlotRect(m_rcPlot);
        DrawInvertedDots(painter, m_image, QRect(m_ptGuides.x(), plot.top(), 1, plot.height()));
        DrawInvertedDots(painter, m_image, QRect(plot.left(), m_ptGuides.y(), plot.width(), 1));
    }
    if (m_bDragRectDrawn && !DragRect().isEmpty()) {
        for (const QRect& edge : Edges(DragRect()))
            DrawInvertedDots(painter, m_image, edge);
    }
    m_overlay.Paint(painter);
}

QRect CZeltra20View::Plot()
{
    EnsureImage();
    return PlotRect(m_rcPlot);
}

QRect CZeltra20View::DragRect() const
{
    // As a focus rectangle: the corners normalised, right and bottom edges
    // excluded.
    const QPoint& a = m_ptDragAnchor;
    const QPoint& c = m_ptDragCurrent;
    return QRect(QPoint(std::min(a.x(), c.x()), std::min(a.y(), c.y())),
                 QPoint(std::max(a.x(), c.x()) - 1, std::max(a.y(), c.y()) - 1));
}

void CZeltra20View::EraseDragRect()
{
    // The state first: the repaint draws what the state says.
    if (!m_bDragRectDrawn)
        return;
    m_bDragRectDrawn = false;
    RepaintOutline(DragRect());
}

void CZeltra20View::RepaintOutline(const QRect& rect)
{
    if (!rect.isEmpty()) {
        for (const QRect& edge : Edges(rect))
            RepaintLine(edge);
    }
}

void CZeltra20View::RepaintLine(const QRect& line)
{
    // At once and one line at a time: a paint of a single rectangle clips
    // cheaply, the several lines of a moving overlay together do not.
    repaint(line);
}

void CZeltra20View::UpdateGuides(QPoint p, bool eraseOnly)
{
    const bool guidesOn = m_host.GetGuides();
    if (!guidesOn && !m_bGuidesShown) {
        m_bSkipGuidesOnce = false;
        return;
    }
    if (m_bSkipGuidesOnce) {
        m_bSkipGuidesOnce = false;
        return;
    }
    const QRect plot = Plot();
    if (m_bGuidesShown) {
        m_bGuidesShown = false;
        RepaintLine(QRect(m_ptGuides.x(), plot.top(), 1, plot.height()));
        RepaintLine(QRect(plot.left(), m_ptGuides.y(), plot.width(), 1));
    }
    if (!eraseOnly && guidesOn && plot.contains(p)) {
        m_ptGuides = p;
        m_bGuidesShown = true;
        RepaintLine(QRect(p.x(), plot.top(), 1, plot.height()));
        RepaintLine(QRect(plot.left(), p.y(), plot.width(), 1));
    }
    m_bSkipGuidesOnce = false;
}

void CZeltra20View::ShowReadout(QPoint p)
{
    const WorldPoint w = MouseChart().PixelToWorld(p.x(), p.y());
    if (w.inside)
        m_host.ShowCoordinates(Coordinate("x", w.x), Coordinate("y", w.y));
    else
        m_host.ShowCoordinates(QString(), QString());
}

void CZeltra20View::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // A drag in progress ends and takes effect before the menu opens.
        FinishDrag();
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_drag == Drag::kMiddlePan)
        return;
    if (event->button() == Qt::MiddleButton) {
        if (m_drag == Drag::kActive)
            EndDragLetGoElsewhere();
        m_ptDragAnchor = event->position().toPoint();
        m_drag = Drag::kMiddlePan;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_host.GetMouseMode() == Cmd::kModePoint) {
        EnsureImage(); // the rings where the image shows them
        if (m_overlay.CopyPointAt(event->position().toPoint()))
            return;
    }
    // A drag whose release this view never saw ends before the next begins.
    if (m_drag == Drag::kActive)
        EndDragLetGoElsewhere();
    QPoint p = event->position().toPoint();
    if (m_host.GetMouseMode() == Cmd::kModeZoom) {
        const QRect plot = Plot();
        p.setX(std::max(p.x(), plot.left()));
        p.setY(std::max(p.y(), plot.top()));
        if (!plot.contains(p))
            return;
    }
    m_ptDragCurrent = p;
    m_ptDragAnchor = p;
    m_drag = Drag::kActive;
    m_bDragRectDrawn = false;
}

void CZeltra20View::mouseMoveEvent(QMouseEvent* event)
{
    if ((m_drag == Drag::kActive && !(event->buttons() & Qt::LeftButton)) ||
        (m_drag == Drag::kMiddlePan && !(event->buttons() & Qt::MiddleButton)))
        EndDragLetGoElsewhere();
    QPoint p = event->position().toPoint();
    UpdateGuides(p, false);
    if (m_drag == Drag::kMiddlePan)
        DragPan(p);
    if (m_drag == Drag::kActive) {
        switch (m_host.GetMouseMode()) {
        case Cmd::kModePan:
            DragPan(p);
            break;
        case Cmd::kModeZoom: {
            const QRect plot = Plot();
            p.setX(std::min(p.x(), plot.right() + 1));
            p.setY(std::min(p.y(), plot.bottom() + 1));
            EraseDragRect();
            m_ptDragCurrent = p;
            m_bDragRectDrawn = true;
            RepaintOutline(DragRect());
            break;
        }
        default:
            break;
        }
    }
    ShowReadout(p);
    // Nothing to read while the chart moves or a rectangle is drawn.
    if (m_drag == Drag::kMiddlePan ||
        (m_drag == Drag::kActive && m_host.GetMouseMode() != Cmd::kModePoint))
        m_overlay.PointerGone();
    else
        m_overlay.PointerAt(MouseChart(), p, m_bGuidesShown);
}

void CZeltra20View::DragPan(QPoint p)
{
    FunctionContainer& chart = MouseChart();
    const RECT& plot = chart.GetPlotRect();
    // Nothing drawn yet means no scale to pan by.
    if (plot.right > plot.left && plot.bottom > plot.top) {
        chart.Pan(p.x() - m_ptDragAnchor.x(), p.y() - m_ptDragAnchor.y());
        m_ptDragAnchor = p;
        CZeltra20Doc& document = GetChartDocument();
        document.SetModifiedFlag(true);
        document.UpdateAllViews(nullptr, UpdateHint::kKeepTable | UpdateHint::kNoSend);
    }
}

void CZeltra20View::mouseReleaseEvent(QMouseEvent* event)
{
    if ((event->button() == Qt::LeftButton && m_drag == Drag::kActive) ||
        (event->button() == Qt::MiddleButton && m_drag == Drag::kMiddlePan))
        FinishDrag();
}

void CZeltra20View::FinishDrag()
{
    if (m_drag == Drag::kNone)
        return;
    const Drag drag = m_drag;
    m_drag = Drag::kNone;
    if (drag == Drag::kMiddlePan) {
        BroadcastAfterDrag();
        return;
    }
    CZeltra20Doc& document = GetChartDocument();
    switch (m_host.GetMouseMode()) {
    case Cmd::kModeZoom:
        // A drag towards the lower right zooms in; a click or a drag in any
        // other direction undoes the last zoom.
        EraseDragRect();
        MouseChart().ZoomToRect(m_ptDragAnchor.x(), m_ptDragAnchor.y(),
                                       m_ptDragCurrent.x(), m_ptDragCurrent.y());
        document.SetModifiedFlag(true);
        BroadcastAfterDrag();
        break;
    case Cmd::kModePan:
        BroadcastAfterDrag();
        break;
    default:
        break;
    }
}

// The button was let go where this view could not see it: a dialog opened
// during the drag (Ctrl+D, Ctrl+W) and took the release. A pan keeps what it
// moved and goes out as on a release; a zoom rectangle the user never let go
// of is dropped.
void CZeltra20View::EndDragLetGoElsewhere()
{
    if (m_drag == Drag::kActive && m_host.GetMouseMode() == Cmd::kModeZoom) {
        m_drag = Drag::kNone;
        EraseDragRect();
        return;
    }
    FinishDrag();
}

void CZeltra20View::BroadcastAfterDrag()
{
    // The table follows the new x range only when it is synchronised.
    CZeltra20Doc& document = GetChartDocument();
    const bool sync = document.GetChart().GetSettings().m_bTableSync != 0;
    document.UpdateAllViews(nullptr, sync ? 0 : UpdateHint::kKeepTable);
}

void CZeltra20View::leaveEvent(QEvent*)
{
    m_host.ShowCoordinates(QString(), QString());
    m_overlay.PointerGone();
    UpdateGuides(QPoint(), true);
    m_bGuidesShown = false;
    m_bSkipGuidesOnce = true;
}

void CZeltra20View::contextMenuEvent(QContextMenuEvent* event)
{
    m_host.ShowContextMenu(event->globalPos());
}

void CZeltra20View::CopyToClipboard()
{
    FunctionContainer& chart = GetChartDocument().GetChart();
    // What the view shows: the shade and the rings too.
    const ChartPicture picture = Picture(true);
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), RenderChartPng(chart, size(), devicePixelRatioF(), picture));
    data->setData(QStringLiteral("image/svg+xml"), RenderChartSvg(chart, size(), picture));
    QGuiApplication::clipboard()->setMimeData(data);
}

void PrintChart(CZeltra20Doc& document, QPrinter& printer, const ChartPicture& picture)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    DrawChartPage(document.GetChart(), painter, area, picture);
    painter.end();
}
