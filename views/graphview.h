#pragma once

#include "framework/view.h"
#include "platform/wintypes.h"
#include "views/curveoverlay.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class CZeltra20Doc;
class FunctionContainer;
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
class CZeltra20View : public QWidget, public CView
{
    Q_OBJECT

public:
    CZeltra20View(CZeltra20Doc& document, CGraphViewHost& host, QWidget* parent = nullptr);
    ~CZeltra20View() override;

    CZeltra20Doc& GetChartDocument() const;

    void OnUpdate(CView* sender, int hint) override;

    /// The values under the pointer, the rings and the shaded area.
    const CCurveOverlay& GetOverlay() const { return m_overlay; }
    /// Follows the host's switch of the rings.
    void ShowPointsOfInterest();
    /// Shades the area under the function at `index` over a ... b until the
    /// chart next changes.
    void ShadeArea(int32_t index, double a, double b);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class Drag {
        kNone,
        kActive, ///< the left button went down here and is still down
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
    void FinishDrag();
    void EndDragLetGoElsewhere();
    void BroadcastAfterDrag();
    QRect DragRect() const;
    void EraseDragRect();
    void RepaintOutline(const QRect& rect);
    void RepaintLine(const QRect& line);

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
    CCurveOverlay m_overlay{*this};
};

/// Prints the chart on the printer's page within its printable area, without
/// background: the printout of the graph and of the value table alike.
void PrintChart(CZeltra20Doc& document, QPrinter& printer);
