// The graph view's ways of moving about the chart besides the mouse modes:
// the wheel, the touchpad, the middle button's pan and the keys.

#include "views/graphview.h"

#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "framework/qtdevicecontext.h"

#include <QKeyEvent>
#include <QImage>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

// A notch of the wheel (120 units of its angle) zooms by the fourth root of
// two: four notches zoom in by two, as Ctrl+I does.
constexpr double kUnitsPerNotch = 120;
constexpr double kNotchesPerDoubling = 4;

double WheelFactor(int angle)
{
    return std::exp2(angle / (kUnitsPerNotch * kNotchesPerDoubling));
}

} // namespace

bool CZeltra20View::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        NativeGesture(static_cast<QNativeGestureEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

CZeltra20View::Ranges CZeltra20View::CurrentRanges() const
{
    const ChartSettings& s = GetChartDocument().GetChart().GetSettings();
    return {s.m_xMin, s.m_xMax, s.m_yMin, s.m_yMax};
}

void CZeltra20View::wheelEvent(QWheelEvent* event)
{
    event->accept();
    // A touchpad scrolls by pixels: the chart follows the fingers as it
    // follows a dragging pointer.
    const QPoint pixels = event->pixelDelta();
    if (!pixels.isNull()) {
        PanNow(pixels.x(), pixels.y(), true);
        return;
    }
    const int angle = event->angleDelta().y();
    if (angle == 0)
        return;
    m_bPointerInside = true;
    m_ptPointer = event->position().toPoint();
    const qint64 now = m_gestureClock.elapsed();
    const bool newGesture = !m_bGestureOpen || now - m_nLastWheelMs >= kGestureGapMs;
    m_nLastWheelMs = now;
    GestureZoom(WheelFactor(angle), event->position(), newGesture);
}

void CZeltra20View::NativeGesture(QNativeGestureEvent* event)
{
    switch (event->gestureType()) {
    case Qt::BeginNativeGesture:
        m_bPinchLevelSaved = false;
        break;
    case Qt::ZoomNativeGesture:
        // The value is the change of the pinch's scale since the last event.
        GestureZoom(1 + event->value(), event->position(), !m_bPinchLevelSaved);
        m_bPinchLevelSaved = true;
        break;
    case Qt::EndNativeGesture:
        m_bPinchLevelSaved = false;
        EndGesture();
        break;
    default:
        break;
    }
    event->accept();
}

void CZeltra20View::GestureZoom(double factor, QPointF p, bool newGesture)
{
    FunctionContainer& chart = MouseChart();
    const RECT before = chart.GetPlotRect();
    if (before.right <= before.left || before.bottom <= before.top || !(factor > 0) ||
        !std::isfinite(factor))
        return;
    // A step joins the gesture's level only when nothing else (an undo, a
    // pan, a chart that arrived) moved the ranges since the gesture's last
    // step.
    const bool newLevel = newGesture || !m_bGestureOpen || CurrentRanges() != m_gestureRanges;
    const ChartSettings& old = chart.GetSettings();
    const QPointF under(old.m_xMin + (p.x() - before.left) / (before.right - before.left) * (old.m_xMax - old.m_xMin),
                        old.m_yMax - (p.y() - before.top) / (before.bottom - before.top) * (old.m_yMax - old.m_yMin));
    // Laid out as on the chart image, whose plot may move with the width of
    // the new scale labels.
    QImage probe(1, 1, QImage::Format_RGB32);
    QPainter painter(&probe);
    QtLayoutDeviceContext layout(painter);
    chart.ZoomAtPoint(factor, p.x(), p.y(), newLevel, &layout, {0, 0, width(), height()});
    painter.end();

    // This view is drawn here rather than told of the change: the readout
    // and a shaded area go as in the other views.
    m_overlay.ChartChanged(chart, UpdateHint::kKeepTable | UpdateHint::kNoSend,
                           m_host.GetPointsOfInterest());
    // Should the drawing lay the plot out otherwise all the same, the point
    // is put back under the pointer on the plot as drawn.
    RenderChart();
    const RECT after = m_rcPlot;
    const ChartSettings& s = chart.GetSettings();
    const double shownX = after.left + (under.x() - s.m_xMin) / (s.m_xMax - s.m_xMin) * (after.right - after.left);
    const double shownY = after.top + (s.m_yMax - under.y()) / (s.m_yMax - s.m_yMin) * (after.bottom - after.top);
    if (std::abs(shownX - p.x()) > 0.5 || std::abs(shownY - p.y()) > 0.5) {
        chart.SetPlotRect(after);
        chart.Pan(p.x() - shownX, p.y() - shownY);
        RenderChart();
    }

    m_bGestureOpen = true;
    m_gestureRanges = CurrentRanges();
    ShowGestureStep(true);
}

void CZeltra20View::ShowGestureStep(bool drawn)
{
    // Shown here at once; the other views, the table and the clients get the
    // result as after a pan drag, once the gesture is over.
    CZeltra20Doc& document = GetChartDocument();
    document.SetModifiedFlag(true);
    m_bReadoutStale = m_bPointerInside;
    if (drawn) {
        document.UpdateAllViews(this, UpdateHint::kKeepTable | UpdateHint::kNoSend);
        update();
    } else {
        document.UpdateAllViews(nullptr, UpdateHint::kKeepTable | UpdateHint::kNoSend);
    }
    m_bResultPending = true;
    m_gestureEnd.start();
}

void CZeltra20View::EndGesture()
{
    m_gestureEnd.stop();
    m_bGestureOpen = false;
    if (!m_bResultPending)
        return;
    m_bResultPending = false;
    BroadcastAfterDrag();
}

void CZeltra20View::PanNow(double dx, double dy, bool partOfGesture)
{
    FunctionContainer& chart = MouseChart();
    const RECT& plot = chart.GetPlotRect();
    if (plot.right <= plot.left || plot.bottom <= plot.top)
        return;
    chart.Pan(dx, dy);
    if (partOfGesture) {
        ShowGestureStep(false);
        return;
    }
    GetChartDocument().SetModifiedFlag(true);
    BroadcastAfterDrag();
}

void CZeltra20View::keyPressEvent(QKeyEvent* event)
{
    // Keys with Ctrl or Alt belong to the commands.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    const RECT plot = MouseChart().GetPlotRect();
    const double tenthX = (static_cast<double>(plot.right) - plot.left) / 10;
    const double tenthY = (static_cast<double>(plot.bottom) - plot.top) / 10;
    CZeltra20Doc& document = GetChartDocument();
    // An arrow shows what lies that way: the chart moves the other way.
    switch (event->key()) {
    case Qt::Key_Left:
        PanNow(tenthX, 0, false);
        break;
    case Qt::Key_Right:
        PanNow(-tenthX, 0, false);
        break;
    case Qt::Key_Up:
        PanNow(0, tenthY, false);
        break;
    case Qt::Key_Down:
        PanNow(0, -tenthY, false);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        document.OnZoomIn();
        break;
    case Qt::Key_Minus:
        document.OnZoomOut();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}
