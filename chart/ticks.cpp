#include "chart/ticks.h"

#include "chart/chartmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr char kPiSign[] = "\xCF\x80"; // π in UTF-8
// Beyond this a tick's index no longer names one double: neighbours of a
// step that fine coincide.
constexpr double kMaxIndex = 0x1p50;
// Candidates tried from the first one up: thirteen decades.
constexpr int kMaxCandidates = 40;

// 10^exponent as the nearest double, as the literal "1eN" reads.
double PowerOfTen(int exponent)
{
    const std::string text = "1e" + std::to_string(exponent);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// A step of numerator / denominator * 10^exponent, times π for a π step.
struct Step
{
    int64_t numerator = 1; ///< 1, 2 or 5
    int64_t denominator = 1; ///< 2 only for π/2
    int exponent = 0;
    bool pi = false;

    double Value() const
    {
        const double value = static_cast<double>(numerator) * PowerOfTen(exponent) / static_cast<double>(denominator);
        return pi ? value * kPi : value;
    }
    Step Coarser() const
    {
        if (denominator == 2)
            return {1, 1, exponent, pi};
        if (numerator == 1)
            return {2, 1, exponent, pi};
        if (numerator == 2)
            return {5, 1, exponent, pi};
        return {1, 1, exponent + 1, pi};
    }
};

// The 1-2-5 step nearest to `target` on a log scale.
Step NearestDecimal(double target)
{
    int exponent = static_cast<int>(std::floor(std::log10(target)));
    const double mantissa = target / PowerOfTen(exponent);
    int64_t numerator = 1;
    if (mantissa >= std::sqrt(50.0)) {
        ++exponent;
    } else if (mantissa >= std::sqrt(10.0)) {
        numerator = 5;
    } else if (mantissa >= std::sqrt(2.0)) {
        numerator = 2;
    }
    return {numerator, 1, exponent, false};
}

// The π step nearest to `target`, π/2 at the finest.
Step NearestPi(double target)
{
    Step step{1, 2, 0, true};
    for (int i = 0; i < kMaxCandidates; ++i) {
        const Step next = step.Coarser();
        if (!(std::sqrt(step.Value() * next.Value()) <= target))
            break;
        step = next;
    }
    return step;
}

std::string StripFraction(std::string text)
{
    if (text.find('.') == std::string::npos)
        return text;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// The decimal digits of n * 10^exponent, plain and in the exponent form.
struct Forms
{
    std::string plain;
    std::string exponential;
};

Forms ExactForms(int64_t n, int exponent)
{
    if (n == 0)
        return {"0", "0"};
    const std::string sign = n < 0 ? "-" : "";
    const std::string digits = std::to_string(n < 0 ? -static_cast<uint64_t>(n) : static_cast<uint64_t>(n));
    std::string plain;
    if (exponent >= 0) {
        plain = digits + std::string(static_cast<std::size_t>(exponent), '0');
    } else {
        const int point = static_cast<int>(digits.size()) + exponent;
        if (point <= 0)
            plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
        else
            plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
                    digits.substr(static_cast<std::size_t>(point));
        plain = StripFraction(plain);
    }
    std::string mantissa = digits;
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.size() > 1)
        mantissa.insert(1, ".");
    const int power = exponent + static_cast<int>(digits.size()) - 1;
    return {sign + plain, sign + mantissa + ExponentSuffix(power)};
}

std::string PiLabel(int64_t halves)
{
    if (halves == 0)
        return "0";
    const bool whole = halves % 2 == 0;
    const int64_t count = std::abs(whole ? halves / 2 : halves);
    std::string text = halves < 0 ? "-" : "";
    if (count != 1)
        text += std::to_string(count);
    text += kPiSign;
    if (!whole)
        text += "/2";
    return text;
}

// Where a chart value falls on the axis, in pixels from min; in halves so
// that a range as wide as the doubles go does not overflow.
double Position(double v, const AxisRoom& room)
{
    return (v / 2 - room.min / 2) / (room.max / 2 - room.min / 2) * room.length;
}

// The ticks and labels of one candidate step, or none when its ticks cannot
// be told apart as doubles or would outnumber the pixels.
AxisScale Candidate(const Step& step, const AxisRoom& room)
{
    AxisScale scale;
    scale.pi = step.pi;
    const double value = step.Value();
    const double first = std::ceil(room.min / value);
    const double last = std::floor(room.max / value);
    if (!std::isfinite(first) || !std::isfinite(last) || std::fabs(first) > kMaxIndex ||
        std::fabs(last) > kMaxIndex || last - first + 1 > std::max(room.length, 1) + 1)
        return scale;
    std::vector<Forms> forms;
    std::size_t plainWidest = 0;
    std::size_t exponentWidest = 0;
    for (auto k = static_cast<int64_t>(first); k <= static_cast<int64_t>(last); ++k) {
        const double tick = static_cast<double>(k) * value;
        if (tick < room.min || tick > room.max)
            continue;
        if (!scale.ticks.empty() && !(tick > scale.ticks.back()))
            return AxisScale{};
        scale.ticks.push_back(tick);
        const int64_t n = k * step.numerator;
        if (step.pi) {
            // π steps are π/2 or whole multiples of π: count halves.
            const int64_t halves = step.denominator == 2 ? n : n * 2 * static_cast<int64_t>(PowerOfTen(step.exponent));
            forms.push_back({PiLabel(halves), PiLabel(halves)});
        } else {
            forms.push_back(ExactForms(n, step.exponent));
        }
        plainWidest = std::max(plainWidest, forms.back().plain.size());
        exponentWidest = std::max(exponentWidest, forms.back().exponential.size());
    }
    const bool plain = PlainIsReadable(plainWidest, exponentWidest);
    for (const Forms& f : forms)
        scale.labels.push_back(plain ? f.plain : f.exponential);
    return scale;
}

// Moves the labels that reach beyond the room inwards, or leaves them out
// where they would no longer cover their tick; true when at least two
// remain and no two of them overlap.
bool FitLabels(AxisScale& scale, const AxisRoom& room, const TextWidth& width)
{
    scale.shifts.assign(scale.ticks.size(), 0);
    double previousEnd = -std::numeric_limits<double>::infinity();
    int shown = 0;
    for (std::size_t i = 0; i < scale.ticks.size(); ++i) {
        if (scale.labels[i].empty())
            continue;
        const double at = Position(scale.ticks[i], room);
        const double size = room.horizontal ? width(scale.labels[i]) : room.textHeight;
        double shift = 0;
        if (at - size / 2 < -room.before)
            shift = std::ceil(-room.before - (at - size / 2));
        else if (at + size / 2 > room.length + room.after)
            shift = std::floor(room.length + room.after - (at + size / 2));
        if (std::fabs(shift) > size / 2) {
            scale.labels[i].clear();
            continue;
        }
        const double start = at + shift - size / 2;
        if (start < previousEnd + room.gap)
            return false;
        scale.shifts[i] = static_cast<int32_t>(shift);
        previousEnd = start + size;
        ++shown;
    }
    return shown >= 2;
}

// The grid of an axis whose labels stand `labelStep` apart: the nominal step
// where it divides the label step and keeps 4 pixels between lines, else the
// next coarser that does, at most the label step.
void SettleGrid(AxisScale& scale, const Step& nominal, const Step& label, const AxisRoom& room)
{
    const double labelValue = label.Value();
    const double width = room.max - room.min;
    Step grid = nominal;
    for (int i = 0; i < kMaxCandidates; ++i) {
        const double value = grid.Value();
        const double ratio = labelValue / value;
        const bool divides = std::fabs(ratio - std::round(ratio)) < 1e-9 * ratio;
        if (value >= labelValue || (divides && value / width * room.length >= 4))
            break;
        grid = grid.Coarser();
    }
    scale.gridStep = std::min(grid.Value(), labelValue);
}

// A step no finer than the doubles near the range can tell apart.
Step FirstStep(const Step& nominal, const AxisRoom& room)
{
    const double largest = std::max(std::fabs(room.min), std::fabs(room.max));
    const double floor = 4 * (std::nextafter(largest, std::numeric_limits<double>::infinity()) - largest);
    if (nominal.Value() >= floor)
        return nominal;
    Step step = NearestDecimal(floor);
    while (step.Value() < floor)
        step = step.Coarser();
    return step;
}

} // namespace

double NiceSpacing(double a, double b)
{
    const double width = b - a;
    if (!(width > 0) || !std::isfinite(width))
        return 1;
    const double spacing = NearestDecimal(width / 10).Value();
    return spacing > 0 && std::isfinite(spacing) ? spacing : width;
}

AxisScale ChooseScale(const AxisRoom& room, const TextWidth& width)
{
    const double range = room.max - room.min;
    if (!(range > 0) || !std::isfinite(range) || room.length <= 0)
        return AxisScale{};
    const Step decimal = NearestDecimal(range / 10);
    std::vector<Step> starts;
    if (room.pi && range >= kPi / 2)
        starts.push_back(NearestPi(range / 10));
    starts.push_back(FirstStep(decimal, room));
    for (const Step& start : starts) {
        Step step = start;
        for (int i = 0; i < kMaxCandidates && step.Value() <= range; ++i, step = step.Coarser()) {
            AxisScale scale = Candidate(step, room);
            if (scale.ticks.size() < 2 || !FitLabels(scale, room, width))
                continue;
            SettleGrid(scale, start, step, room);
            return scale;
        }
    }
    // No 1-2-5 step gives two labels that fit: the ends of the range, told
    // apart, as far as they fit.
    AxisScale ends = FixedScale(room.min, room.max, range, 2);
    ends.ticks = {room.min, room.max};
    // Each as exactly as a double can be told from its neighbours.
    ends.labels = {ShortestNumber(room.min), ShortestNumber(room.max)};
    if (!FitLabels(ends, room, width)) {
        // Too long for two on so short an axis: the lower end alone.
        ends.labels[1].clear();
        FitLabels(ends, room, width);
    }
    ends.gridStep = range;
    return ends;
}

AxisScale FixedScale(double min, double max, double spacing, int32_t limit)
{
    AxisScale scale;
    scale.gridStep = spacing;
    if (!(spacing > 0) || !(max > min))
        return scale;
    const double first = std::ceil(min / spacing);
    const double last = std::floor(max / spacing);
    if (!std::isfinite(first) || !std::isfinite(last) || !(last - first + 1 <= std::max(limit, 1)))
        return scale;
    // Taken from the index, never summed up: the origin is exactly 0 and
    // ticks far out do not drift.
    const auto count = static_cast<std::size_t>(std::max(last - first + 1, 0.0));
    for (std::size_t i = 0; i < count; ++i) {
        const double tick = (first + static_cast<double>(i)) * spacing;
        if (tick < min || tick > max || (!scale.ticks.empty() && !(tick > scale.ticks.back())))
            continue;
        scale.ticks.push_back(tick);
    }
    scale.labels = DistinctLabels(scale.ticks);
    return scale;
}
