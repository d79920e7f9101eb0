#pragma once

#include "chart/chartmarks.h"
#include "chart/curve.h"
#include "views/ringworker.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class CTextStamp;
class FunctionContainer;
class QPainter;
class QWidget;

/// What the graph view shows about its curves over the cached chart image:
/// the values under the pointer, the points of interest as rings and the
/// shaded area under a curve.
///
/// The shade and the rings go into the chart image when it is drawn, as
/// marks the chart draws (the shade lasts until the chart next changes); the
/// values are painted over the image in the view's paint event, so moving the
/// pointer repaints the readout's old and new rectangles only, never the
/// chart.
///
/// The rings are the analysis of the visible range, asked for when the chart
/// changes while they are shown, never while a pan is in progress (the rings
/// found before stay where their points are), and bounded: at most
/// kRingEvaluations units of work and kRingCap points of each list, spread
/// over the range. They are worked out off the GUI thread (CRingWorker): the
/// chart shows at once, the rings when they are found (`ringsFound` is
/// called then, to draw the image again); until then the rings of the chart
/// before are not shown.
class CCurveOverlay
{
public:
    enum class PointKind { kZero, kMinimum, kMaximum, kIntersection };

    struct PointOfInterest
    {
        PointKind kind;
        double x;
        double y;
        QColor color;
        QString label; ///< the function, or "f i g" for an intersection
    };

    /// How near (pixels) the pointer must come to a curve or a ring.
    static constexpr int kReach = 6;
    static constexpr std::size_t kRingCap = 200;
    static constexpr std::size_t kRingEvaluations = 400000;

    CCurveOverlay(QWidget& view, std::function<void()> ringsFound);
    ~CCurveOverlay();
    CCurveOverlay(const CCurveOverlay&) = delete;
    CCurveOverlay& operator=(const CCurveOverlay&) = delete;

    /// The chart changed (UpdateHint bits): the readout and the shade go; the
    /// curves and the rings are made again unless a pan is in progress.
    void ChartChanged(const FunctionContainer& chart, int hint, bool pointsShown);
    void SetPointsShown(const FunctionContainer& chart, bool shown);
    const std::vector<PointOfInterest>& Points() const { return m_points; }
    /// Whether rings asked for are still being worked out.
    bool PointsPending() const { return m_worker.Pending(); }
    /// Waits for the rings being worked out and takes them now.
    void FinishPoints() const { m_worker.Finish(); }

    /// The pointer is at p (view pixels; the chart's plot rectangle is this
    /// view's). Over a ring: its kind and coordinates; otherwise the value of
    /// the curve within kReach pixels, or with the guides every curve's.
    void PointerAt(const FunctionContainer& chart, QPoint p, bool guides);
    void PointerGone();
    /// The lines the readout shows now, empty when none.
    QStringList ReadoutLines() const;

    /// Copies "x; y" of the ring at p to the clipboard; false when none is there.
    bool CopyPointAt(QPoint p);

    /// Shades the area when the image is next drawn, with its label.
    void SetShade(const FunctionContainer& chart, const ShadedArea& area);
    bool HasShade() const { return m_marks.area.has_value(); }
    /// The shade and the rings for the chart image; the drawing records in
    /// them where it put the rings, and where the legend is.
    ChartMarks& ImageMarks() { return m_marks; }
    void ImageDrawn(const FunctionContainer& chart);
    /// The shade, and the rings when `rings` and they are shown: what a copy,
    /// an export or a printout of the view adds to the chart (it waits for
    /// rings being worked out).
    ChartMarks PictureMarks(bool rings) const;
    /// The readout, in the view's paint event.
    void Paint(QPainter& painter) const;

private:
    struct Traced
    {
        int32_t index;
        QColor color;
        QString label;
        std::unique_ptr<Curve> curve;
    };
    struct Marker
    {
        QPoint at;
        QColor color;
    };
    struct Readout
    {
        std::vector<Marker> markers;
        QStringList lines;
        std::vector<QColor> colors;
        QRect box;
        QImage image; ///< the box as drawn
        /// What showing or erasing it repaints: the box and the markers.
        QRect Bounds() const;
    };
    void TraceCurves(const FunctionContainer& chart);
    void FindPoints(const FunctionContainer& chart);
    void TakePoints(const ChartAnswers& answers);
    /// The ring within kReach of p, nearest first, as the image last drew them.
    const PointOfInterest* PointNear(QPoint p) const;
    /// The guides' readout at x: x first, then the curves' values, as many
    /// as fit in the plot's height, the nearest to the pointer's y first
    /// chosen, with a last line for the rest.
    void GuideLines(const FunctionContainer& chart, Readout& readout, double x, QPoint p,
                    const QRect& plot);
    void LayOut(Readout& readout, QPoint p, const QRect& plot);
    void Show(Readout readout);

    QWidget& m_view;
    EvaluationBudget m_budget{std::numeric_limits<std::size_t>::max()};
    /// Whether m_curves are the chart's: a view shown before its first
    /// update traces them when first needed.
    bool m_bTraced = false;
    std::vector<Traced> m_curves;
    bool m_bPointsShown = false;
    std::vector<PointOfInterest> m_points;
    /// The shade and the rings (one per point, in m_points' order); their
    /// drawnRings tell where the image shows the rings: hovering and
    /// clicking look there.
    ChartMarks m_marks;
    /// Where the image shows the legend: the readout keeps off it.
    QRect m_legend;
    Readout m_readout;
    std::unique_ptr<CTextStamp> m_pStamp;
    std::function<void()> m_ringsFound;
    /// Last: it is stopped before what it delivers to goes.
    mutable CRingWorker m_worker;
};
