#include "views/curveoverlay.h"

#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "framework/commandids.h"
#include "framework/qtstring.h"
#include "framework/valuetext.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Pixels far outside any window: a value mapped beyond them is drawn there,
// and an integer never receives a huge or NaN double.
constexpr double kFarPixels = 1e6;

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QRect PlotOf(const FunctionContainer& chart)
{
    const RECT& r = chart.GetPlotRect();
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

// Where v falls between lo and hi, as a fraction: in halves, so that a range
// as wide as the doubles go does not overflow.
double Fraction(double v, double lo, double hi)
{
    return (v / 2 - lo / 2) / (hi / 2 - lo / 2);
}

// The view pixel of a chart point, or false when it is not finite.
bool ToPixel(const FunctionContainer& chart, double x, double y, QPointF& pixel)
{
    const ChartSettings& s = chart.GetSettings();
    const RECT& r = chart.GetPlotRect();
    const double px = r.left + Fraction(x, s.m_xMin, s.m_xMax) * (r.right - r.left);
    const double py = r.top + (1 - Fraction(y, s.m_yMin, s.m_yMax)) * (r.bottom - r.top);
    if (!std::isfinite(px) || !std::isfinite(py))
        return false;
    pixel = QPointF(std::clamp(px, -kFarPixels, kFarPixels), std::clamp(py, -kFarPixels, kFarPixels));
    return true;
}

// The chart x of the middle of a pixel column.
double ColumnX(const FunctionContainer& chart, double column)
{
    const ChartSettings& s = chart.GetSettings();
    const RECT& r = chart.GetPlotRect();
    const double f = (column - r.left) / (r.right - r.left);
    return f * s.m_xMax + (1 - f) * s.m_xMin;
}

QString KindText(CCurveOverlay::PointKind kind)
{
    switch (kind) {
    case CCurveOverlay::PointKind::kZero:
        return QString::fromUtf8("Miejsce zerowe");
    case CCurveOverlay::PointKind::kMinimum:
        return QStringLiteral("Minimum");
    case CCurveOverlay::PointKind::kMaximum:
        return QStringLiteral("Maksimum");
    case CCurveOverlay::PointKind::kIntersection:
        return QString::fromUtf8("Punkt przecięcia");
    }
    return QString();
}

} // namespace

CCurveOverlay::CCurveOverlay(QWidget& view) : m_view(view) {}

CCurveOverlay::~CCurveOverlay() = default;

void CCurveOverlay::ChartChanged(const FunctionContainer& chart, int hint, bool pointsShown)
{
    m_readout = Readout();
    m_shade = Shade();
    // A pan in progress moves the ranges only: the curves stay, and the
    // rings already found stay on their points until the pan ends.
    const int panStep = UpdateHint::kKeepTable | UpdateHint::kNoSend;
    if (hint == panStep && m_bPointsShown == pointsShown)
        return;
    TraceCurves(chart);
    m_bPointsShown = pointsShown;
    FindPoints(chart);
}

void CCurveOverlay::SetPointsShown(const FunctionContainer& chart, bool shown)
{
    if (shown == m_bPointsShown)
        return;
    m_bPointsShown = shown;
    FindPoints(chart);
    m_view.update();
}

void CCurveOverlay::TraceCurves(const FunctionContainer& chart)
{
    m_curves.clear();
    const bool degrees = chart.GetSettings().m_bDegrees != 0;
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const FunctionEntry& entry = functions[i];
        if (!entry.m_bVisible)
            continue;
        m_curves.push_back({static_cast<int32_t>(i), ToQColor(entry.m_crColor),
                            FromCp1250(LegendLabel(entry)),
                            std::make_unique<Curve>(entry.m_strFormula, entry.m_nDerivative,
                                                    degrees, m_budget)});
    }
}

void CCurveOverlay::FindPoints(const FunctionContainer& chart)
{
    m_points.clear();
    const ChartSettings& s = chart.GetSettings();
    if (!m_bPointsShown || m_curves.empty() || !std::isfinite(s.m_xMin) ||
        !std::isfinite(s.m_xMax) || !(s.m_xMin < s.m_xMax))
        return;
    const ChartAnswers answers =
        CurveAnalysis(chart, kRingEvaluations).Analyze(s.m_xMin, s.m_xMax, kRingCap);
    auto curveOf = [this](int32_t index) -> const Traced* {
        for (const Traced& t : m_curves) {
            if (t.index == index)
                return &t;
        }
        return nullptr;
    };
    for (const FunctionAnswers& function : answers.m_functions) {
        const Traced* t = curveOf(function.m_nIndex);
        if (t == nullptr)
            continue;
        for (double x : function.m_points.zeros)
            m_points.push_back({PointKind::kZero, x, 0.0, t->color, t->label});
        for (const CurvePoint& p : function.m_points.minima)
            m_points.push_back({PointKind::kMinimum, p.x, p.y, t->color, t->label});
        for (const CurvePoint& p : function.m_points.maxima)
            m_points.push_back({PointKind::kMaximum, p.x, p.y, t->color, t->label});
    }
    for (const CurveIntersection& meet : answers.m_intersections) {
        const Traced* first = curveOf(meet.m_nFirst);
        const Traced* second = curveOf(meet.m_nSecond);
        if (first == nullptr || second == nullptr)
            continue;
        m_points.push_back({PointKind::kIntersection, meet.x, meet.y, first->color,
                            first->label + QString::fromUtf8(" i ") + second->label});
    }
}

const CCurveOverlay::PointOfInterest* CCurveOverlay::PointNear(const FunctionContainer& chart,
                                                               QPoint p) const
{
    const PointOfInterest* nearest = nullptr;
    double best = kReach * kReach;
    const QRect plot = PlotOf(chart);
    for (const PointOfInterest& point : m_points) {
        QPointF at;
        if (!ToPixel(chart, point.x, point.y, at) || !plot.contains(at.toPoint()))
            continue;
        const QPointF d = at - QPointF(p);
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= best) {
            best = distance;
            nearest = &point;
        }
    }
    return nearest;
}

void CCurveOverlay::PointerAt(const FunctionContainer& chart, QPoint p, bool guides)
{
    const QRect plot = PlotOf(chart);
    Readout readout;
    if (!plot.contains(p)) {
        Show(std::move(readout));
        return;
    }
    if (const PointOfInterest* point = PointNear(chart, p)) {
        QPointF at;
        ToPixel(chart, point->x, point->y, at);
        readout.markers.push_back({at.toPoint(), point->color});
        readout.lines << KindText(point->kind) + ' ' + point->label
                      << QStringLiteral("x = %1; y = %2").arg(ValueText(point->x, 15),
                                                               ValueText(point->y, 15));
        readout.colors = {point->color, point->color};
    } else {
        // The x of the status bar's readout.
        const double x = chart.PixelToWorld(p.x(), p.y()).x;
        int nearest = -1;
        int best = kReach + 1;
        std::vector<std::pair<const Traced*, QPoint>> onCurves;
        for (Traced& t : m_curves) {
            double y = 0;
            QPointF at;
            if (!t.curve->At(x, y) || !std::isfinite(y) || !ToPixel(chart, x, y, at))
                continue;
            const QPoint pixel(p.x(), static_cast<int>(std::lround(at.y())));
            if (!plot.contains(pixel))
                continue;
            const int distance = std::abs(pixel.y() - p.y());
            if (guides || distance < best) {
                if (!guides) {
                    best = distance;
                    nearest = static_cast<int>(readout.lines.size());
                }
                readout.markers.push_back({pixel, t.color});
                readout.lines << t.label + QStringLiteral(" = ") + ValueText(y, 15);
                readout.colors.push_back(t.color);
            }
        }
        // Without the guides only the nearest curve within reach speaks.
        if (!guides && nearest >= 0) {
            Readout one;
            one.markers = {readout.markers[nearest]};
            one.lines << readout.lines[nearest];
            one.colors = {readout.colors[nearest]};
            readout = std::move(one);
        } else if (!guides) {
            readout = Readout();
        }
    }
    if (!readout.lines.isEmpty())
        LayOut(readout, p, plot);
    Show(std::move(readout));
}

void CCurveOverlay::LayOut(Readout& readout, QPoint p, const QRect& plot) const
{
    const QFontMetrics metrics(m_view.font());
    int width = 0;
    for (const QString& line : readout.lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const QSize size(width + 8, metrics.height() * static_cast<int>(readout.lines.size()) + 4);
    // Up and to the right of the pointer, turned back inside the plot.
    QRect box(QPoint(p.x() + 12, p.y() - 12 - size.height()), size);
    if (box.right() > plot.right())
        box.moveRight(p.x() - 12);
    if (box.top() < plot.top())
        box.moveTop(p.y() + 12);
    readout.box = box;
    QRect bounds = box;
    for (const Marker& m : readout.markers)
        bounds |= QRect(m.at - QPoint(5, 5), QSize(11, 11));
    readout.bounds = bounds;
}

void CCurveOverlay::Show(Readout readout)
{
    const QRect before = m_readout.bounds;
    m_readout = std::move(readout);
    // Each at once on its own: two small rectangles, not the one around both.
    if (!before.isEmpty())
        m_view.repaint(before);
    if (!m_readout.bounds.isEmpty())
        m_view.repaint(m_readout.bounds);
}

void CCurveOverlay::PointerGone()
{
    Show(Readout());
}

QStringList CCurveOverlay::ReadoutLines() const
{
    return m_readout.lines;
}

bool CCurveOverlay::CopyPointAt(const FunctionContainer& chart, QPoint p)
{
    const PointOfInterest* point = PointNear(chart, p);
    if (point == nullptr)
        return false;
    QApplication::clipboard()->setText(ValueText(point->x) + QStringLiteral("; ") +
                                       ValueText(point->y));
    return true;
}

void CCurveOverlay::SetShade(int32_t index, double a, double b)
{
    m_shade = {true, index, a, b};
}

void CCurveOverlay::DrawShade(QPainter& painter, const FunctionContainer& chart)
{
    if (!m_shade.shown)
        return;
    const Traced* traced = nullptr;
    for (const Traced& t : m_curves) {
        if (t.index == m_shade.index)
            traced = &t;
    }
    const QRect plot = PlotOf(chart);
    QPointF left;
    QPointF right;
    QPointF axis;
    if (traced == nullptr || plot.isEmpty() || !ToPixel(chart, m_shade.a, 0, left) ||
        !ToPixel(chart, m_shade.b, 0, right) || !ToPixel(chart, 0, 0, axis))
        return;
    const double axisY = std::clamp(axis.y(), plot.top() - 1.0, plot.bottom() + 2.0);
    const double first = std::max(left.x(), plot.left() - 1.0);
    const double last = std::min(right.x(), plot.right() + 2.0);
    if (!(first < last))
        return;

    // One polygon per run of defined values, closed along the axis: a
    // column at a time, with the ends of the interval where they lie.
    QPainterPath path;
    QPolygonF run;
    auto close = [&] {
        if (run.size() > 1) {
            run.prepend(QPointF(run.front().x(), axisY));
            run.append(QPointF(run.back().x(), axisY));
            path.addPolygon(run);
            path.closeSubpath();
        }
        run.clear();
    };
    Curve& curve = *traced->curve;
    const double lo = std::min(std::max(m_shade.a, chart.GetSettings().m_xMin), m_shade.b);
    const double hi = std::max(std::min(m_shade.b, chart.GetSettings().m_xMax), lo);
    const int columns = static_cast<int>(std::ceil(last - first));
    for (int i = 0; i <= columns; ++i) {
        const double column = std::min(first + i, last);
        const double x = i == 0 ? lo : i == columns ? hi : std::clamp(ColumnX(chart, column), lo, hi);
        double y = 0;
        QPointF at;
        if (!curve.At(x, y) || !std::isfinite(y) || !ToPixel(chart, x, y, at)) {
            close();
            continue;
        }
        run.append(QPointF(column, std::clamp(at.y(), plot.top() - 2.0, plot.bottom() + 3.0)));
    }
    close();
    QColor fill = traced->color;
    fill.setAlpha(80);
    painter.save();
    painter.setClipRect(plot);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawPath(path);
    painter.restore();
}

void CCurveOverlay::Paint(QPainter& painter, const FunctionContainer& chart) const
{
    const QRect plot = PlotOf(chart);
    // Only the rings the repaint reaches: a moving readout repaints little.
    const QRect dirty = painter.clipBoundingRect().toAlignedRect();
    const bool clipped = painter.hasClipping();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    for (const PointOfInterest& point : m_points) {
        QPointF at;
        if (!ToPixel(chart, point.x, point.y, at) || !plot.contains(at.toPoint()))
            continue;
        const QRectF ring(at - QPointF(4, 4), QSizeF(8, 8));
        if (clipped && !dirty.intersects(ring.toAlignedRect().adjusted(-2, -2, 2, 2)))
            continue;
        painter.setPen(QPen(Qt::white, 3));
        painter.drawEllipse(ring);
        painter.setPen(QPen(point.color, 1.5));
        painter.drawEllipse(ring);
    }
    if (!m_readout.lines.isEmpty()) {
        for (const Marker& m : m_readout.markers) {
            painter.setPen(QPen(Qt::white, 1.5));
            painter.setBrush(m.color);
            painter.drawEllipse(QPointF(m.at), 4, 4);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QColor(64, 64, 64));
        painter.setBrush(QColor(255, 255, 225));
        painter.drawRect(m_readout.box.adjusted(0, 0, -1, -1));
        const QFontMetrics metrics(m_view.font());
        painter.setFont(m_view.font());
        for (int i = 0; i < m_readout.lines.size(); ++i) {
            painter.setPen(m_readout.colors[static_cast<std::size_t>(i)].darker(130));
            painter.drawText(m_readout.box.left() + 4,
                             m_readout.box.top() + 2 + metrics.ascent() + i * metrics.height(),
                             m_readout.lines[i]);
        }
    }
    painter.restore();
}
