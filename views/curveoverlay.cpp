#include "views/curveoverlay.h"

#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "framework/commandids.h"
#include "framework/qtstring.h"
#include "framework/valuetext.h"
#include "views/textstamp.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

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
    m_shade.reset();
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
    if (!m_bTraced)
        TraceCurves(chart);
    m_bPointsShown = shown;
    FindPoints(chart);
}

void CCurveOverlay::TraceCurves(const FunctionContainer& chart)
{
    m_bTraced = true;
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
    m_ringPixels.clear();
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

const CCurveOverlay::PointOfInterest* CCurveOverlay::PointNear(QPoint p) const
{
    const PointOfInterest* nearest = nullptr;
    int best = kReach * kReach;
    for (const auto& [at, index] : m_ringPixels) {
        const QPoint d = at - p;
        const int distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= best) {
            best = distance;
            nearest = &m_points[index];
        }
    }
    return nearest;
}

void CCurveOverlay::PointerAt(const FunctionContainer& chart, QPoint p, bool guides)
{
    if (!m_bTraced)
        TraceCurves(chart);
    const QRect plot = PlotOf(chart);
    Readout readout;
    if (!plot.contains(p)) {
        Show(std::move(readout));
        return;
    }
    if (const PointOfInterest* point = PointNear(p)) {
        QPointF at;
        ToPixel(chart, point->x, point->y, at);
        readout.markers.push_back({at.toPoint(), point->color});
        readout.lines << KindText(point->kind) + ' ' + point->label
                      << QStringLiteral("x = %1; y = %2").arg(ValueText(point->x, 15),
                                                               ValueText(point->y, 15));
        readout.colors = {point->color, point->color};
    } else {
        // At the x of the status bar's readout; with the guides every curve
        // speaks (the guide marks the x), without them the nearest in reach.
        const double x = chart.PixelToWorld(p.x(), p.y()).x;
        int best = kReach + 1;
        for (Traced& t : m_curves) {
            double y = 0;
            QPointF at;
            if (!t.curve->At(x, y) || !std::isfinite(y) || !ToPixel(chart, x, y, at))
                continue;
            const QPoint pixel(p.x(), static_cast<int>(std::lround(at.y())));
            const int distance = std::abs(pixel.y() - p.y());
            if (!plot.contains(pixel) || (!guides && distance >= best))
                continue;
            const QString line = t.label + QStringLiteral(" = ") + ValueText(y, 15);
            if (guides) {
                readout.lines << line;
                readout.colors.push_back(t.color);
            } else {
                best = distance;
                readout.markers = {{pixel, t.color}};
                readout.lines = QStringList{line};
                readout.colors = {t.color};
            }
        }
    }
    if (!readout.lines.isEmpty())
        LayOut(readout, p, plot);
    Show(std::move(readout));
}

void CCurveOverlay::LayOut(Readout& readout, QPoint p, const QRect& plot)
{
    if (m_pStamp == nullptr)
        m_pStamp = std::make_unique<CTextStamp>(m_view.font());
    // The readout shown now is erased from its rectangle, not its image:
    // the new one is drawn in its pixels.
    readout.image = std::move(m_readout.image);
    m_pStamp->Draw(readout.lines, readout.colors, readout.image);
    // Up and to the right of the pointer, turned back inside the plot.
    QRect box(QPoint(p.x() + 12, p.y() - 12 - readout.image.height()), readout.image.size());
    if (box.right() > plot.right())
        box.moveRight(p.x() - 12);
    if (box.top() < plot.top())
        box.moveTop(p.y() + 12);
    readout.box = box;
}

namespace {

QRect MarkerRect(QPoint at)
{
    return QRect(at - QPoint(5, 5), QSize(11, 11));
}

} // namespace

QRect CCurveOverlay::Readout::Bounds() const
{
    if (lines.isEmpty())
        return QRect();
    QRect bounds = box;
    for (const Marker& m : markers)
        bounds |= MarkerRect(m.at);
    return bounds;
}

void CCurveOverlay::Show(Readout readout)
{
    const QRect before = m_readout.Bounds();
    m_readout = std::move(readout);
    const QRect after = m_readout.Bounds();
    // At once, and a step of the pointer as one small rectangle: the old
    // and the new readout overlap.
    if (before.intersects(after)) {
        m_view.repaint(before | after);
        return;
    }
    if (!before.isEmpty())
        m_view.repaint(before);
    if (!after.isEmpty())
        m_view.repaint(after);
}

void CCurveOverlay::PointerGone()
{
    Show(Readout());
}

QStringList CCurveOverlay::ReadoutLines() const
{
    return m_readout.lines;
}

bool CCurveOverlay::CopyPointAt(QPoint p)
{
    const PointOfInterest* point = PointNear(p);
    if (point == nullptr)
        return false;
    QApplication::clipboard()->setText(ValueText(point->x) + QStringLiteral("; ") +
                                       ValueText(point->y));
    return true;
}

void CCurveOverlay::SetShade(const ShadedArea& area)
{
    m_shade = area;
}

const CCurveOverlay::Traced* CCurveOverlay::TracedCurve(int32_t index) const
{
    for (const Traced& t : m_curves) {
        if (t.index == index)
            return &t;
    }
    return nullptr;
}

void CCurveOverlay::DrawShade(QPainter& painter, const FunctionContainer& chart)
{
    if (!m_shade)
        return;
    const ShadedArea& area = *m_shade;
    const bool between = area.kind == AreaKind::kBetween;
    const Traced* traced = TracedCurve(area.function);
    const Traced* other = between ? TracedCurve(area.second) : nullptr;
    const double a = std::min(area.a, area.b);
    const double b = std::max(area.a, area.b);
    const QRect plot = PlotOf(chart);
    QPointF left;
    QPointF right;
    QPointF axis;
    if (traced == nullptr || (between && other == nullptr) || plot.isEmpty() ||
        !ToPixel(chart, a, 0, left) || !ToPixel(chart, b, 0, right) || !ToPixel(chart, 0, 0, axis))
        return;
    const double axisY = std::clamp(axis.y(), plot.top() - 1.0, plot.bottom() + 2.0);
    const double first = std::max(left.x(), plot.left() - 1.0);
    const double last = std::min(right.x(), plot.right() + 2.0);
    if (!(first < last))
        return;

    // One polygon per run of defined values, a column at a time with the
    // ends of the interval where they lie: from the curve back along the
    // axis, or along the second curve.
    QPainterPath path;
    QPolygonF run;
    QPolygonF under;
    auto close = [&] {
        if (run.size() > 1) {
            if (between) {
                for (qsizetype i = under.size() - 1; i >= 0; --i)
                    run.append(under[i]);
            } else {
                run.prepend(QPointF(run.front().x(), axisY));
                run.append(QPointF(run.back().x(), axisY));
            }
            path.addPolygon(run);
            path.closeSubpath();
        }
        run.clear();
        under.clear();
    };
    auto pixelY = [&](Curve& curve, double x, double& y) {
        double v = 0;
        QPointF at;
        if (!curve.At(x, v) || !std::isfinite(v) || !ToPixel(chart, x, v, at))
            return false;
        y = std::clamp(at.y(), plot.top() - 2.0, plot.bottom() + 3.0);
        return true;
    };
    const double lo = std::min(std::max(a, chart.GetSettings().m_xMin), b);
    const double hi = std::max(std::min(b, chart.GetSettings().m_xMax), lo);
    const int columns = static_cast<int>(std::ceil(last - first));
    for (int i = 0; i <= columns; ++i) {
        const double column = std::min(first + i, last);
        const double x = i == 0 ? lo : i == columns ? hi : std::clamp(ColumnX(chart, column), lo, hi);
        double y = 0;
        double y2 = 0;
        if (!pixelY(*traced->curve, x, y) || (between && !pixelY(*other->curve, x, y2))) {
            close();
            continue;
        }
        run.append(QPointF(column, y));
        under.append(QPointF(column, y2));
    }
    close();
    QColor fill = traced->color;
    fill.setAlpha(80);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (area.kind == AreaKind::kSigned) {
        // What lies below the axis counts negative: hatched, not filled.
        const QRect above(plot.left(), plot.top(), plot.width(),
                          std::max(0, static_cast<int>(std::lround(axisY)) - plot.top()));
        painter.setClipRect(plot.intersected(above));
        painter.setBrush(fill);
        painter.drawPath(path);
        QColor hatch = traced->color;
        hatch.setAlpha(170);
        painter.setClipRect(plot.intersected(QRect(plot.left(), above.bottom() + 1, plot.width(),
                                                   plot.bottom() - above.bottom())));
        painter.setBrush(QBrush(hatch, Qt::BDiagPattern));
        painter.drawPath(path);
    } else {
        painter.setClipRect(plot);
        painter.setBrush(fill);
        painter.drawPath(path);
    }
    painter.restore();
}

void CCurveOverlay::DrawInto(QPainter& painter, const FunctionContainer& chart)
{
    DrawShade(painter, chart);
    DrawRings(painter, chart);
}

void CCurveOverlay::DrawRings(QPainter& painter, const FunctionContainer& chart)
{
    // One antialiased ring per colour, copied to every point; points that
    // fall on a pixel already ringed in their colour (a crowd of them where
    // a curve oscillates faster than the pixels) are drawn once.
    std::map<QRgb, QImage> sprites;
    auto sprite = [&sprites](const QColor& color) -> const QImage& {
        QImage& image = sprites[color.rgb()];
        if (image.isNull()) {
            image = QImage(13, 13, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(Qt::white, 3));
            p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
            p.setPen(QPen(color, 1.5));
            p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        }
        return image;
    };
    const QRect plot = PlotOf(chart);
    std::set<std::tuple<int, int, QRgb>> drawn;
    m_ringPixels.clear();
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        const PointOfInterest& point = m_points[i];
        QPointF at;
        if (!ToPixel(chart, point.x, point.y, at))
            continue;
        const QPoint pixel(static_cast<int>(std::lround(at.x())), static_cast<int>(std::lround(at.y())));
        if (!plot.contains(pixel) || !drawn.emplace(pixel.x(), pixel.y(), point.color.rgb()).second)
            continue;
        painter.drawImage(pixel - QPoint(6, 6), sprite(point.color));
        m_ringPixels.emplace_back(pixel, i);
    }
}

void CCurveOverlay::Paint(QPainter& painter) const
{
    if (m_readout.lines.isEmpty())
        return;
    // A repaint covers one rectangle: only what it reaches is drawn.
    const QRect dirty = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect()
                                              : m_view.rect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const Marker& m : m_readout.markers) {
        if (!dirty.intersects(MarkerRect(m.at)))
            continue;
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(m.color);
        painter.drawEllipse(QPointF(m.at), 4, 4);
    }
    painter.restore();
    if (dirty.intersects(m_readout.box))
        painter.drawImage(m_readout.box.topLeft(), m_readout.image);
}
