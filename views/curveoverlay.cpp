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

CCurveOverlay::CCurveOverlay(QWidget& view, std::function<void()> ringsFound)
    : m_view(view), m_ringsFound(std::move(ringsFound)),
      m_worker(view, [this](ChartAnswers answers) { TakePoints(answers); })
{
}

CCurveOverlay::~CCurveOverlay() = default;

void CCurveOverlay::ChartChanged(const FunctionContainer& chart, int hint, bool pointsShown)
{
    m_readout = Readout();
    m_marks.area.reset();
    m_marks.outline.clear();
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
    m_marks.rings.clear();
    m_marks.drawnRings.clear();
    const ChartSettings& s = chart.GetSettings();
    if (!m_bPointsShown || m_curves.empty() || !std::isfinite(s.m_xMin) ||
        !std::isfinite(s.m_xMax) || !(s.m_xMin < s.m_xMax)) {
        m_worker.Cancel();
        return;
    }
    m_worker.Request(CurveSet::Take(chart, s.m_xMin, s.m_xMax), kRingCap, kRingEvaluations);
}

void CCurveOverlay::TakePoints(const ChartAnswers& answers)
{
    m_points.clear();
    m_marks.rings.clear();
    m_marks.drawnRings.clear();
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
    for (const PointOfInterest& point : m_points) {
        const QColor& c = point.color;
        m_marks.rings.push_back({point.x, point.y,
                                 RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
                                     static_cast<uint8_t>(c.blue()))});
    }
    if (m_ringsFound)
        m_ringsFound();
}

const CCurveOverlay::PointOfInterest* CCurveOverlay::PointNear(QPoint p) const
{
    const PointOfInterest* nearest = nullptr;
    int best = kReach * kReach;
    for (const auto& [pixel, index] : m_marks.drawnRings) {
        if (index >= m_points.size())
            continue;
        const QPoint d = QPoint(pixel.x, pixel.y) - p;
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
    } else if (guides) {
        GuideLines(chart, readout, chart.PixelToWorld(p.x(), p.y()).x, p, plot);
    } else {
        // At the x of the status bar's readout: the nearest curve within reach.
        const double x = chart.PixelToWorld(p.x(), p.y()).x;
        int best = kReach + 1;
        for (Traced& t : m_curves) {
            double y = 0;
            QPointF at;
            if (!t.curve->At(x, y) || !std::isfinite(y) || !ToPixel(chart, x, y, at))
                continue;
            const QPoint pixel(p.x(), static_cast<int>(std::lround(at.y())));
            const int distance = std::abs(pixel.y() - p.y());
            if (!plot.contains(pixel) || distance >= best)
                continue;
            best = distance;
            readout.markers = {{pixel, t.color}};
            readout.lines = QStringList{QStringLiteral("x = ") + ValueText(x, 15),
                                        t.label + QStringLiteral(" = ") + ValueText(y, 15)};
            readout.colors = {Qt::black, t.color};
        }
    }
    if (!readout.lines.isEmpty())
        LayOut(readout, p, plot);
    Show(std::move(readout));
}

void CCurveOverlay::GuideLines(const FunctionContainer& chart, Readout& readout, double x, QPoint p,
                               const QRect& plot)
{
    if (m_pStamp == nullptr)
        m_pStamp = std::make_unique<CTextStamp>(m_view.font());
    struct Value
    {
        std::size_t curve;
        double y;
        int distance; ///< pixels from the pointer's y
    };
    std::vector<Value> values;
    for (std::size_t i = 0; i < m_curves.size(); ++i) {
        double y = 0;
        QPointF at;
        if (!m_curves[i].curve->At(x, y) || !std::isfinite(y) || !ToPixel(chart, x, y, at))
            continue;
        const QPoint pixel(p.x(), static_cast<int>(std::lround(at.y())));
        if (plot.contains(pixel))
            values.push_back({i, y, std::abs(pixel.y() - p.y())});
    }
    if (values.empty())
        return;
    // As many lines as the plot is high; past that the nearest curves keep
    // theirs, in the list's order, and one line counts the others.
    const int fitting = std::max(2, (plot.height() - m_pStamp->FrameHeight()) / std::max(m_pStamp->LineHeight(), 1));
    std::size_t others = 0;
    if (static_cast<int>(values.size()) + 1 > fitting) {
        const std::size_t kept = static_cast<std::size_t>(std::max(fitting - 2, 1));
        others = values.size() - kept;
        std::vector<Value> nearest = values;
        std::stable_sort(nearest.begin(), nearest.end(),
                         [](const Value& a, const Value& b) { return a.distance < b.distance; });
        nearest.resize(kept);
        std::stable_sort(nearest.begin(), nearest.end(),
                         [](const Value& a, const Value& b) { return a.curve < b.curve; });
        values = std::move(nearest);
    }
    readout.lines << QStringLiteral("x = ") + ValueText(x, 15);
    readout.colors.push_back(Qt::black);
    for (const Value& v : values) {
        const Traced& t = m_curves[v.curve];
        readout.lines << t.label + QStringLiteral(" = ") + ValueText(v.y, 15);
        readout.colors.push_back(t.color);
    }
    if (others > 0) {
        readout.lines << QString::fromUtf8("… i %1 innych").arg(others);
        readout.colors.push_back(Qt::black);
    }
}

void CCurveOverlay::LayOut(Readout& readout, QPoint p, const QRect& plot)
{
    if (m_pStamp == nullptr)
        m_pStamp = std::make_unique<CTextStamp>(m_view.font());
    // The readout shown now is erased from its rectangle, not its image:
    // the new one is drawn in its pixels.
    readout.image = std::move(m_readout.image);
    m_pStamp->Draw(readout.lines, readout.colors, readout.image);
    // Up and to the right of the pointer, turned back inside the plot, and
    // off the legend where the plot leaves room beside it.
    QRect box(QPoint(p.x() + 12, p.y() - 12 - readout.image.height()), readout.image.size());
    if (box.right() > plot.right())
        box.moveRight(p.x() - 12);
    if (box.top() < plot.top())
        box.moveTop(p.y() + 12);
    if (box.intersects(m_legend)) {
        QRect above = box;
        above.moveBottom(m_legend.top() - 1);
        QRect left = box;
        left.moveRight(m_legend.left() - 1);
        if (above.top() >= plot.top())
            box = above;
        else if (left.left() >= plot.left())
            box = left;
    }
    // Never past the plot's edges, whatever the pointer's place.
    box.moveBottom(std::min(box.bottom(), plot.bottom()));
    box.moveTop(std::max(box.top(), plot.top()));
    box.moveRight(std::min(box.right(), plot.right()));
    box.moveLeft(std::max(box.left(), plot.left()));
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

void CCurveOverlay::SetShade(const FunctionContainer& chart, const ShadedArea& area)
{
    if (!m_bTraced)
        TraceCurves(chart);
    m_marks.area = area;
    m_marks.outline = ShadeOutline(chart, area);
}

void CCurveOverlay::ImageDrawn(const FunctionContainer& chart)
{
    const RECT& r = chart.GetLegendRect();
    m_legend = r.right > r.left ? QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)) : QRect();
}

ChartMarks CCurveOverlay::PictureMarks(bool rings) const
{
    if (rings && m_bPointsShown)
        FinishPoints();
    ChartMarks marks;
    marks.area = m_marks.area;
    marks.outline = m_marks.outline;
    if (rings && m_bPointsShown)
        marks.rings = m_marks.rings;
    return marks;
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
