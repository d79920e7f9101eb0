#pragma once

#include "chart/curve.h"
#include "chart/curvearea.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTextStamp;
class FunctionContainer;
class QPainter;
class QWidget;

/// What the graph view shows about its curves over the cached chart image:
/// the values under the pointer, the points of interest as rings and the
/// shaded area of a curve or between two.
///
/// The shade and the rings go into the chart image when it is drawn (the
/// shade lasts until the chart next changes); the values are painted over the
/// image in the view's paint event, so moving the pointer repaints the
/// readout's old and new rectangles only, never the chart.
///
/// The rings are the analysis of the visible range, made when the chart
/// changes while they are shown, never while a pan is in progress (the rings
/// found before stay where their points are), and bounded: at most
/// kRingEvaluations point evaluations and kRingCap points of each list.
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

    explicit CCurveOverlay(QWidget& view);
    ~CCurveOverlay();
    CCurveOverlay(const CCurveOverlay&) = delete;
    CCurveOverlay& operator=(const CCurveOverlay&) = delete;

    /// The chart changed (UpdateHint bits): the readout and the shade go; the
    /// curves and the rings are made again unless a pan is in progress.
    void ChartChanged(const FunctionContainer& chart, int hint, bool pointsShown);
    void SetPointsShown(const FunctionContainer& chart, bool shown);
    const std::vector<PointOfInterest>& Points() const { return m_points; }

    /// The pointer is at p (view pixels; the chart's plot rectangle is this
    /// view's). Over a ring: its kind and coordinates; otherwise the value of
    /// the curve within kReach pixels, or with the guides every curve's.
    void PointerAt(const FunctionContainer& chart, QPoint p, bool guides);
    void PointerGone();
    /// The lines the readout shows now, empty when none.
    QStringList ReadoutLines() const;

    /// Copies "x; y" of the ring at p to the clipboard; false when none is there.
    bool CopyPointAt(QPoint p);

    /// Shades the area when the image is next drawn: between the curve and
    /// the x axis, for the signed integral with the parts below the axis
    /// hatched (they count negative), or between the two curves.
    void SetShade(const ShadedArea& area);
    bool HasShade() const { return m_shade.has_value(); }
    /// The shade and the rings, into the chart image after the chart.
    void DrawInto(QPainter& painter, const FunctionContainer& chart);
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
    /// The ring within kReach of p, nearest first, as the image last drew them.
    const PointOfInterest* PointNear(QPoint p) const;
    void LayOut(Readout& readout, QPoint p, const QRect& plot);
    void DrawShade(QPainter& painter, const FunctionContainer& chart);
    const Traced* TracedCurve(int32_t index) const;
    void DrawRings(QPainter& painter, const FunctionContainer& chart);
    void Show(Readout readout);

    QWidget& m_view;
    EvaluationBudget m_budget{std::numeric_limits<std::size_t>::max()};
    /// Whether m_curves are the chart's: a view shown before its first
    /// update traces them when first needed.
    bool m_bTraced = false;
    std::vector<Traced> m_curves;
    bool m_bPointsShown = false;
    std::vector<PointOfInterest> m_points;
    /// Where the image shows the rings: one per pixel and colour, with the
    /// index of its point. Hovering and clicking look here.
    std::vector<std::pair<QPoint, std::size_t>> m_ringPixels;
    Readout m_readout;
    std::optional<ShadedArea> m_shade;
    std::unique_ptr<CTextStamp> m_pStamp;
};
