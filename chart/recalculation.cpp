#include "chart/chartmath.h"
#include "chart/curvejumps.h"
#include "chart/functioncontainer.h"
#include "chart/polylines.h"
#include "chart/steepruns.h"
#include "chart/ticks.h"

#include <algorithm>
#include <cmath>

namespace {

// A range that is not finite, or whose width is not, becomes -5 ... 5; an
// empty or reversed one gets a width of 1 (or -5 ... 5 when adding 1 is lost
// to rounding at its magnitude).
void MendRange(double& min, double& max)
{
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(max - min)) {
        min = -5;
        max = 5;
    }
    if (!(max > min))
        max = min + 1;
    if (!(max > min)) {
        min = -5;
        max = 5;
    }
}

// The steps the chart asks for: a record's number below one could never
// cross the range.
int32_t ChartPoints(int32_t stored)
{
    return std::max(stored, 1);
}

// The steps actually taken: the chart's number within 1 ... kMaxPoints, and
// fewer when the visible curves would need more than kMaxChartSamples.
int32_t SamplingPoints(int32_t stored, std::size_t visible)
{
    int32_t points = std::min(ChartPoints(stored), FunctionContainer::kMaxPoints);
    if (visible > 0 && visible * (static_cast<std::size_t>(points) + 2) > FunctionContainer::kMaxChartSamples) {
        const std::size_t fitting = FunctionContainer::kMaxChartSamples / visible;
        points = static_cast<int32_t>(std::max<std::size_t>(fitting, 3) - 2);
    }
    return points;
}

int32_t ClampedOrder(int32_t order)
{
    return std::clamp(order, 0, 2);
}

// The arguments first + k * step for k = 0, 1, ... while they do not pass
// `last`, at most `limit` of them.
std::vector<double> IndexedArguments(double first, double last, double step, std::size_t limit)
{
    std::vector<double> xs;
    xs.reserve(std::min<std::size_t>(limit, 1u << 20));
    for (std::size_t k = 0; k < limit; ++k) {
        const double x = IndexedArgument(first, step, k);
        if (!(x <= last))
            break;
        xs.push_back(x);
    }
    return xs;
}

// Whether the compiled formula takes the sine, cosine, tangent or
// cotangent of something.
bool CallsTrigonometric(const Function& function)
{
    if (!function.IsCompiled())
        return false;
    for (int32_t code : function.GetProgram()) {
        if (code == Function::kSin || code == Function::kCos || code == Function::kTan ||
            code == Function::kCtg)
            return true;
    }
    return false;
}

} // namespace

void FunctionContainer::SampleFunction(const FunctionEntry& entry, const std::vector<double>& xs,
                                       std::vector<double>& values, std::vector<uint8_t>& failed)
{
    m_evaluator.m_bThrowSyntaxErrors = false;
    m_evaluator.m_bThrowEvalErrors = false;
    m_evaluator.SetFormula(entry.m_strFormula);
    values.resize(xs.size());
    failed.resize(xs.size());
    // The whole row at once: the same values as EvaluateDerivative point by
    // point, to the last bit, at a fraction of the cost.
    m_evaluator.EvaluateSeries(xs.data(), xs.size(), ClampedOrder(entry.m_nDerivative),
                               values.data(), failed.data());
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = failed[i] ? kErrorValue : values[i];
}

void FunctionContainer::SampleWithin(const FunctionEntry& entry, const std::vector<double>& xs,
                                     std::size_t& budget, std::vector<double>& values,
                                     std::vector<uint8_t>& failed)
{
    if (xs.size() > budget) {
        values.clear();
        failed.clear();
        return;
    }
    budget -= xs.size();
    SampleFunction(entry, xs, values, failed);
}

void FunctionContainer::Recalculate(bool keepRanges)
{
    if (m_bListDirty) {
        m_functions = m_editFunctions;
        m_bListDirty = false;
    }
    if (m_bSettingsDirty) {
        m_settings = m_editSettings;
        m_bSettingsDirty = false;
    }
    ChartSettings& s = m_settings;

    MendRange(s.m_xMin, s.m_xMax);
    const std::size_t visible = VisibleCount();
    const int32_t points = SamplingPoints(s.m_nPoints, visible);
    const double step = RaiseTiny((s.m_xMax - s.m_xMin) / points);
    // The step the chart's own number of steps gives; the same as the one
    // taken unless a bound made the curves coarser.
    const double exactStep = RaiseTiny((s.m_xMax - s.m_xMin) / ChartPoints(s.m_nPoints));

    m_evaluator.m_bDegrees = s.m_bDegrees != 0;
    const bool fitRangeY = !keepRanges && s.m_bAutoRangeY;
    SampleCurves(fitRangeY, points, step);

    MendRange(s.m_yMin, s.m_yMax);
    if (fitRangeY && !m_functions.empty()) {
        const double margin = (s.m_yMax - s.m_yMin) * 0.05;
        // Widen only while the ends stay finite.
        if (std::isfinite(s.m_yMin - margin) && std::isfinite(s.m_yMax + margin)) {
            s.m_yMin -= margin;
            s.m_yMax += margin;
        }
    }
    m_scaleX = kLogicalWidth / (s.m_xMax - s.m_xMin);
    m_scaleY = kLogicalHeight / (s.m_yMax - s.m_yMin);

    BuildCurves(step);
    SettleSpacings();
    SettleTable(step, exactStep);
}

void FunctionContainer::SettleSpacings()
{
    ChartSettings& s = m_settings;
    // A spacing that is not positive could never end a grid or tick loop; it
    // is computed as an automatic one. An automatic spacing follows the
    // range however narrow it is: the drawing bounds the lines by the pixels.
    const bool classic = m_spacingRule.classic;
    auto settle = [classic](double& spacing, bool automatic, double min, double max) {
        if (automatic || !(spacing > 0) || !std::isfinite(spacing))
            spacing = classic ? AutoSpacing(min, max) : NiceSpacing(min, max);
        if (!(spacing > 0))
            spacing = RaiseTiny(spacing);
    };
    settle(s.m_gridX, s.m_bAutoGridX, s.m_xMin, s.m_xMax);
    settle(s.m_gridY, s.m_bAutoGridY, s.m_yMin, s.m_yMax);
    settle(s.m_scaleStepX, s.m_bAutoScaleX, s.m_xMin, s.m_xMax);
    settle(s.m_scaleStepY, s.m_bAutoScaleY, s.m_yMin, s.m_yMax);
}

std::vector<double> FunctionContainer::SampleArguments(double min, double max) const
{
    const int32_t points = SamplingPoints(m_settings.m_nPoints, VisibleCount());
    double step = (max - min) / points;
    // A width beyond the largest double still has a finite step.
    if (!std::isfinite(step))
        step = max / points - min / points;
    const std::size_t limit = static_cast<std::size_t>(points) + 2;
    return IndexedArguments(min, max, RaiseTiny(step), limit);
}

std::size_t FunctionContainer::VisibleCount() const
{
    return static_cast<std::size_t>(std::count_if(m_functions.begin(), m_functions.end(),
                                                  [](const FunctionEntry& f) { return f.m_bVisible; }));
}

void FunctionContainer::SampleCurves(bool fitRangeY, int32_t points, double step)
{
    ChartSettings& s = m_settings;
    // A few samples more than the steps allow for rounding of the arguments.
    const std::size_t limit = static_cast<std::size_t>(points) + 2;
    const std::vector<double> xs = IndexedArguments(s.m_xMin, s.m_xMax, step, limit);
    std::size_t budget = kMaxChartSamples;
    bool boundSet = false;
    m_bTrigonometric = false;
    for (FunctionEntry& entry : m_functions) {
        if (!entry.m_bVisible)
            continue;
        SampleWithin(entry, xs, budget, entry.m_samples, entry.m_failed);
        // Where pieces or steps disagree the curve gets a gap, not a line.
        entry.m_jumps = CurveJumps::Find(m_evaluator, ClampedOrder(entry.m_nDerivative), s.m_xMin,
                                         step, entry.m_samples, entry.m_failed);
        m_bTrigonometric = m_bTrigonometric || CallsTrigonometric(m_evaluator);
        if (!fitRangeY)
            continue;
        // A sample is a candidate for the y range when it continues the curve:
        // it was computed, its predecessor is a number and it lies within 100
        // steps of it, so the jumps at a pole do not stretch the range.
        // Failure is read from the flags: a computed value may equal the
        // error value. Steeper samples count only where the curve is shown to
        // run continuously through them.
        const std::vector<double>& samples = entry.m_samples;
        const std::vector<uint8_t>& failed = entry.m_failed;
        auto offer = [&](double y) {
            if (!boundSet) {
                s.m_yMin = y;
                s.m_yMax = y;
                boundSet = true;
                return;
            }
            if (y < s.m_yMin)
                s.m_yMin = y;
            if (y > s.m_yMax)
                s.m_yMax = y;
        };
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const double y = samples[i];
            const double previous = samples[i - 1];
            if (!failed[i] && !std::isnan(previous) && std::fabs(y - previous) <= 100 * step)
                offer(y);
        }
        // The candidates set the same bounds in any order: the first one of
        // the recalculation sets both, later ones only widen them.
        const int32_t order = ClampedOrder(entry.m_nDerivative);
        const ValueAt value = [this, order](double x) -> std::optional<double> {
            const double y = m_evaluator.EvaluateDerivative(x, order);
            if (m_evaluator.HasErrors())
                return std::nullopt;
            return y;
        };
        const ValuesAt values = [this, order](const std::vector<double>& xs,
                                              std::vector<double>& ys, std::vector<uint8_t>& bad) {
            ys.resize(xs.size());
            bad.resize(xs.size());
            m_evaluator.EvaluateSeries(xs.data(), xs.size(), order, ys.data(), bad.data());
        };
        for (std::size_t i : AcceptedSteepSamples(samples, s.m_xMin, step, values, value))
            offer(samples[i]);
    }
}

void FunctionContainer::BuildCurves(double step)
{
    const ChartSettings& s = m_settings;
    const PlotFrame frame = {s.m_xMin, s.m_yMin, s.m_yMax, m_scaleX, m_scaleY, step};
    for (FunctionEntry& entry : m_functions) {
        if (!entry.m_bVisible)
            continue;
        // A jump too small to see at this scale is drawn as a line.
        std::vector<CurveJump> jumps;
        for (const CurveJump& jump : entry.m_jumps) {
            if (!jump.hasLeft || !jump.hasRight ||
                std::fabs(jump.yRight - jump.yLeft) * m_scaleY >= 1)
                jumps.push_back(jump);
        }
        BuildPolylines(entry.m_samples, entry.m_failed, frame, entry.m_points, entry.m_counts, jumps);
    }
}

void FunctionContainer::SettleTable(double step, double exactStep)
{
    ChartSettings& s = m_settings;
    const bool sync = s.m_bTableSync != 0;
    const bool autoStep = s.m_bTableAutoStep != 0;
    if (sync) {
        s.m_tableXMin = s.m_xMin;
        s.m_tableXMax = s.m_xMax;
        if (autoStep)
            s.m_tableStep = exactStep;
    } else if (autoStep) {
        s.m_tableStep = RaiseTiny((s.m_tableXMax - s.m_tableXMin) / ChartPoints(s.m_nPoints));
    }
    // With the chart's range and step the chart's samples are the table's
    // values.
    m_bTableShared = sync && autoStep && step == exactStep;
    if (m_bTableShared)
        return;
    // A step that is not positive (only a file brings one) could never cross
    // the range and is replaced; any other stays, and the rows beyond the
    // bounds are not computed. The values wait for UpdateTable.
    if (!(s.m_tableStep > 0))
        s.m_tableStep = RaiseTiny((s.m_tableXMax - s.m_tableXMin) / ChartPoints(s.m_nPoints));
}

FunctionContainer::TableKey FunctionContainer::CurrentTableKey() const
{
    const ChartSettings& s = m_settings;
    TableKey key;
    for (std::size_t i = 0; i < m_functions.size(); ++i) {
        if (!m_functions[i].m_bVisible)
            continue;
        key.functions.push_back(i);
        key.formulas.push_back(m_functions[i].m_strFormula);
        key.orders.push_back(ClampedOrder(m_functions[i].m_nDerivative));
    }
    key.xMin = s.m_tableXMin;
    key.xMax = s.m_tableXMax;
    key.step = s.m_tableStep;
    key.flags = (s.m_bTableSync ? 1 : 0) | (s.m_bTableAutoStep ? 2 : 0) | (s.m_bDegrees ? 4 : 0);
    return key;
}

void FunctionContainer::UpdateTable()
{
    if (m_bTableShared)
        return;
    TableKey key = CurrentTableKey();
    if (m_tableKey && *m_tableKey == key && m_tableColumns.size() == m_functions.size())
        return;
    const ChartSettings& s = m_settings;
    m_tableColumns.assign(m_functions.size(), TableColumn{});
    const std::size_t visible = key.functions.size();
    if (visible > 0) {
        const std::size_t rows = std::clamp<std::size_t>(kMaxTableCells / visible, 1, kMaxTableRows);
        const std::vector<double> xs =
            IndexedArguments(s.m_tableXMin, s.m_tableXMax, s.m_tableStep, rows);
        m_evaluator.m_bDegrees = s.m_bDegrees != 0;
        std::size_t budget = kMaxTableCells;
        for (std::size_t i : key.functions) {
            TableColumn& column = m_tableColumns[i];
            SampleWithin(m_functions[i], xs, budget, column.values, column.failed);
        }
    }
    m_tableKey = std::move(key);
    ++m_nTableComputations;
}

void FunctionContainer::SaveZoomLevel()
{
    const ChartSettings& s = m_settings;
    m_zoomHistory.insert(m_zoomHistory.end(), {s.m_xMin, s.m_xMax, s.m_yMin, s.m_yMax});
    if (m_zoomHistory.size() > kHistoryLimit)
        m_zoomHistory.erase(m_zoomHistory.begin(), m_zoomHistory.end() - kHistoryLimit);
}

void FunctionContainer::ZoomAbout(double factor)
{
    SaveZoomLevel();
    ChartSettings& s = m_settings;
    const double cx = (s.m_xMax + s.m_xMin) / 2;
    s.m_xMin = cx - (cx - s.m_xMin) / factor;
    s.m_xMax = cx + (s.m_xMax - cx) / factor;
    const double cy = (s.m_yMax + s.m_yMin) / 2;
    s.m_yMin = cy - (cy - s.m_yMin) / factor;
    s.m_yMax = cy + (s.m_yMax - cy) / factor;
    Recalculate(true);
}

void FunctionContainer::ZoomToRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (!(top < bottom && left < right)) {
        UndoZoom();
        return;
    }
    SaveZoomLevel();
    ChartSettings& s = m_settings;
    const RECT& plot = m_rcPlot;
    const double w = s.m_xMax - s.m_xMin;
    const double h = s.m_yMax - s.m_yMin;
    const double plotWidth = static_cast<double>(plot.right) - plot.left;
    const double plotHeight = static_cast<double>(plot.bottom) - plot.top;
    const double xMin = s.m_xMin + w * (static_cast<double>(left) - plot.left) / plotWidth;
    const double xMax = s.m_xMax - w * (static_cast<double>(plot.right) - right) / plotWidth;
    const double yMax = s.m_yMax - h * (static_cast<double>(top) - plot.top) / plotHeight;
    const double yMin = s.m_yMin + h * (static_cast<double>(plot.bottom) - bottom) / plotHeight;
    s.m_xMin = xMin;
    s.m_xMax = xMax;
    s.m_yMin = yMin;
    s.m_yMax = yMax;
    Recalculate(true);
}

void FunctionContainer::UndoZoom()
{
    if (m_zoomHistory.size() < 4)
        return;
    ChartSettings& s = m_settings;
    auto pop = [this] {
        const double v = m_zoomHistory.back();
        m_zoomHistory.pop_back();
        return v;
    };
    s.m_yMax = pop();
    s.m_yMin = pop();
    s.m_xMax = pop();
    s.m_xMin = pop();
    Recalculate(true);
}

void FunctionContainer::ZoomAtPoint(double factor, double px, double py, bool newLevel,
                                    DeviceContext* layout, const RECT& target)
{
    const RECT& plot = m_rcPlot;
    if (!(factor > 0) || !std::isfinite(factor) || plot.right <= plot.left || plot.bottom <= plot.top)
        return;
    // The chart point as PixelToWorld finds it, for a point between pixels.
    ChartSettings& s = m_settings;
    const double fx = (px - plot.left) / (static_cast<double>(plot.right) - plot.left);
    const double fy = (py - plot.top) / (static_cast<double>(plot.bottom) - plot.top);
    const double cx = s.m_xMin + fx * (s.m_xMax - s.m_xMin);
    const double cy = s.m_yMax - fy * (s.m_yMax - s.m_yMin);
    if (!std::isfinite(cx) || !std::isfinite(cy))
        return;
    if (newLevel)
        SaveZoomLevel();
    s.m_xMin = cx - (cx - s.m_xMin) / factor;
    s.m_xMax = cx + (s.m_xMax - cx) / factor;
    s.m_yMin = cy - (cy - s.m_yMin) / factor;
    s.m_yMax = cy + (s.m_yMax - cy) / factor;
    if (layout != nullptr && std::isfinite(s.m_xMax - s.m_xMin)) {
        // The new y range may give the scale labels another width, which
        // moves the plot's left edge. Only the labels of y decide it, so
        // the x range is moved, without recalculating in between, to put
        // the point under (px, py) on the plot as it will be drawn.
        SettleSpacings();
        const RECT before = m_rcPlot;
        Draw(*layout, target);
        const RECT after = m_rcPlot;
        m_rcPlot = before;
        if (after.left != before.left && after.right > after.left) {
            const double width = s.m_xMax - s.m_xMin;
            const double placed = (px - after.left) / (static_cast<double>(after.right) - after.left);
            s.m_xMin = cx - placed * width;
            s.m_xMax = s.m_xMin + width;
        }
    }
    Recalculate(true);
}

void FunctionContainer::Pan(double dx, double dy)
{
    ChartSettings& s = m_settings;
    const RECT& plot = m_rcPlot;
    const double a = (s.m_xMax - s.m_xMin) * dx / (static_cast<double>(plot.right) - plot.left);
    s.m_xMin -= a;
    s.m_xMax -= a;
    const double b = (s.m_yMax - s.m_yMin) * dy / (static_cast<double>(plot.bottom) - plot.top);
    s.m_yMin += b;
    s.m_yMax += b;
    Recalculate(true);
}

WorldPoint FunctionContainer::PixelToWorld(int32_t px, int32_t py) const
{
    const ChartSettings& s = m_settings;
    const RECT& plot = m_rcPlot;
    const double dx = static_cast<double>(px) - plot.left;
    const double dy = static_cast<double>(py) - plot.top;
    const double width = static_cast<double>(plot.right) - plot.left;
    const double height = static_cast<double>(plot.bottom) - plot.top;
    double x = (s.m_xMax - s.m_xMin) * dx / width + s.m_xMin;
    double y = s.m_yMax - dy * (s.m_yMax - s.m_yMin) / height;
    const double fx = dx / width;
    const double fy = dy / height;
    // Over a range near the largest double the product above overflows; the
    // same point is then taken as a blend of the two ends, which cannot.
    if (!std::isfinite(x) && std::isfinite(fx))
        x = fx * s.m_xMax + (1 - fx) * s.m_xMin;
    if (!std::isfinite(y) && std::isfinite(fy))
        y = (1 - fy) * s.m_yMax + fy * s.m_yMin;
    const bool inside = s.m_xMin <= x && x <= s.m_xMax && s.m_yMin <= y && y <= s.m_yMax;
    return {x, y, inside};
}
