#pragma once

#include "framework/view.h"
#include "platform/wintypes.h"
#include "views/curveoverlay.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

class CZeltra20Doc;
class FunctionContainer;
struct ChartPicture;
class QNativeGestureEvent;
class QPrinter;

/// What the graph view reads from and tells the main window: the mouse mode
/// and the guides switch (read at every mouse event, never cached), the
/// coordinate panes, the context menu and the sharing server.
class CGraphViewHost
{
public:
    virtual ~CGraphViewHost() = default;
    /// The command that selected the mode: Cmd::kModePoint, kModePan or kModeZoom.
    virtual int GetMouseMode() const = 0;
    virtual bool GetGuides() const = 0;
    /// Whether the zeros, extrema and intersections show as rings.
    virtual bool GetPointsOfInterest() const = 0;
    /// Whether charts are drawn smoothed ("Wygładzanie krawędzi").
    virtual bool GetAntialiasing() const = 0;
    /// Status-bar panes 1 and 2; empty texts clear them.
    virtual void ShowCoordinates(const QString& x, const QString& y) = 0;
    virtual void ShowContextMenu(const QPoint& globalPos) = 0;
    /// A chart changed with a hint that lets it go to the network clients.
    virtual void SendChartToClients() = 0;
};

/// The graph of one chart window. The chart is drawn into a cached image of
/// the widget's size, rebuilt only when the chart or the size changes; the
/// guides and the zoom rectangle are drawn over it in the paint event as
/// dotted lines of inverted pixels, so moving them never draws the chart.
///
/// Besides the three mouse modes: the wheel zooms about the pointer, a
/// touchpad's scrolling pans and its pinch zooms, the middle button drags a
/// pan in every mode, the arrows pan by a tenth and "+", "-" zoom as the
/// commands do (graphnavigation.cpp).
class CZeltra20View : public QWidget, public CView
{
    Q_OBJECT

public:
    CZeltra20View(CZeltra20Doc& document, CGraphViewHost& host, QWidget* parent = nullptr);
    ~CZeltra20View() override;

    CZeltra20Doc& GetChartDocument() const;

    void OnUpdate(CView* sender, int hint) override;

    /// Puts the chart as shown on the clipboard, as PNG (the view's size times
    /// its device pixel ratio, background included) and as SVG.
    void CopyToClipboard();

    /// Wheel steps closer than this (ms) form one gesture: one zoom level.
    static constexpr int kGestureGapMs = 500;

    /// The values under the pointer, the rings and the shaded area.
    const CCurveOverlay& GetOverlay() const { return m_overlay; }
    /// Follows the host's switch of the rings.
    void ShowPointsOfInterest();
    /// Shades the area until the chart next changes.
    void ShadeArea(const ShadedArea& area);
    /// What a copy, an export or a printout shows: the chart as this view
    /// draws it, with its shade, and its rings when `rings` (and shown).
    ChartPicture Picture(bool rings) const;
    /// The drawing changed (smoothing, spacings): the image is drawn again.
    void Redraw();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag {
        kNone,
        kActive,    ///< the left button went down here and is still down
        kMiddlePan, ///< the middle button went down here: a pan in any mode
    };

    /// The ranges a zoom gesture left, to tell whether anything else changed
    /// them since.
    struct Ranges
    {
        double xMin, xMax, yMin, yMax;
        friend bool operator==(const Ranges&, const Ranges&) = default;
    };

    void InvalidateImage();
    /// Draws the chart image now when it is out of date (and the view shown).
    void EnsureImage();
    void RenderChart();
    /// The plot of this view's current image, in its pixels.
    QRect Plot();
    FunctionContainer& MouseChart();
    void UpdateGuides(QPoint p, bool eraseOnly);
    void ShowReadout(QPoint p);
    /// A pan step of a drag to p, shown at once and sent when the drag ends.
    void DragPan(QPoint p);
    void FinishDrag();
    void EndDragLetGoElsewhere();
    void BroadcastAfterDrag();
    QRect DragRect() const;
    void EraseDragRect();
    void RepaintOutline(const QRect& rect);
    void RepaintLine(const QRect& line);

    // Navigation (graphnavigation.cpp).
    void NativeGesture(QNativeGestureEvent* event);
    /// One step of a wheel or pinch gesture about p: the first step of a
    /// gesture saves a zoom level, the others join it.
    void GestureZoom(double factor, QPointF p, bool newGesture);
    /// Shows a step of a gesture (drawn already, or to be drawn) and lets
    /// the others have the result once the gesture is over.
    void ShowGestureStep(bool drawn);
    void EndGesture();
    /// A pan of (dx, dy) pixels: a step of a touchpad gesture, or a whole
    /// pan (a key).
    void PanNow(double dx, double dy, bool partOfGesture);
    Ranges CurrentRanges() const;

    CGraphViewHost& m_host;
    QImage m_image;
    /// Where the last drawing put the plot (device pixels of this view).
    RECT m_rcPlot = {0, 0, 0, 0};
    bool m_bImageStale = true;
    Drag m_drag = Drag::kNone;
    bool m_bSkipGuidesOnce = false;
    bool m_bGuidesShown = false;
    QPoint m_ptGuides;
    bool m_bDragRectDrawn = false;
    QPoint m_ptDragCurrent;
    QPoint m_ptDragAnchor;
    bool m_bDragMoved = false; ///< the pan drag under way moved the chart
    // Where the pointer is over this view, for the coordinate readout to
    // follow a change of the ranges (an undo, a zoom command) at the next
    // drawing.
    bool m_bPointerInside = false;
    QPoint m_ptPointer;
    bool m_bReadoutStale = false;

    // The gesture in progress: when its last wheel step came, the ranges it
    // left, and the timer that sends its result once it is over.
    QElapsedTimer m_gestureClock;
    qint64 m_nLastWheelMs = 0;
    bool m_bGestureOpen = false;
    bool m_bPinchLevelSaved = false;
    bool m_bResultPending = false; ///< a step went to no one else yet
    Ranges m_gestureRanges{};
    QTimer m_gestureEnd;
    CCurveOverlay m_overlay{*this, [this] { InvalidateImage(); }};
};

/// Prints the chart on the printer's page within its printable area, without
/// background: the printout of the graph and of the value table alike.
void PrintChart(CZeltra20Doc& document, QPrinter& printer, const ChartPicture& picture);
