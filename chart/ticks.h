#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// How automatic grid and scale spacings are chosen: switches of the program,
/// not of the chart, handed to the model as plain values.
struct SpacingRule
{
    /// The rule of version 2.0: about a tenth of the range in whole units of
    /// its leading decade (2.8, 17.4, 0.7), whatever the labels.
    bool classic = false;
    /// An x axis in radians on a chart of trigonometric functions is marked
    /// at multiples of π/2 or π ("π/2", "π", "3π/2").
    bool piTicks = false;
    friend bool operator==(const SpacingRule&, const SpacingRule&) = default;
};

/// A text's width in device pixels, measured with the scale font.
using TextWidth = std::function<int32_t(std::string_view utf8)>;

/// What one axis offers its labels.
struct AxisRoom
{
    double min = 0;
    double max = 1;
    /// Pixels from min to max (the plot's width or height less one).
    int32_t length = 0;
    /// Labels side by side (x: their widths count) or stacked (y: the text
    /// height counts).
    bool horizontal = true;
    int32_t textHeight = 0;
    /// Least free pixels between two labels.
    int32_t gap = 0;
    /// How far a label may reach beyond either end of the axis (pixels),
    /// into the margin of the chart; a label that would reach further moves
    /// inwards, as long as it still covers its tick, or else is left out
    /// (its tick stays).
    int32_t before = 0;
    int32_t after = 0;
    /// Multiples of π are offered first.
    bool pi = false;
};

/// The scale of one axis: where its labelled ticks are and what they read,
/// and the grid that goes with them.
struct AxisScale
{
    std::vector<double> ticks;       ///< chart units, ascending
    std::vector<std::string> labels; ///< one per tick, UTF-8; empty for a tick left unlabelled
    /// Pixels each label is moved along the axis from being centred on its
    /// tick (towards larger values), to stay within the room.
    std::vector<int32_t> shifts;
    double gridStep = 0;             ///< the automatic grid's spacing (chart units)
    bool pi = false;                 ///< the ticks are multiples of π
};

/// The automatic scale of an axis: ticks at whole multiples of 1, 2 or 5
/// times a power of ten (or of π/2, π, 2π, 5π, ... when room.pi is set and
/// such ticks fit), the finest whose labels do not overlap by their measured
/// extents, with at least two labels; labels read as exact, shortest
/// decimals. The grid keeps about a tenth of the range where that divides
/// the label step, else the label step. An axis too short for two labels of
/// any 1-2-5 step gets the two ends of its range, as far as they fit.
AxisScale ChooseScale(const AxisRoom& room, const TextWidth& width);

/// The scale of an axis with a spacing given (typed, or the rule of version
/// 2.0): ticks at the multiples of `spacing` within min ... max, at most
/// `limit` of them (none beyond, rather than more lines than pixels), with
/// labels that tell them apart.
AxisScale FixedScale(double min, double max, double spacing, int32_t limit);

/// The automatic spacing as recalculation stores it: the 1-2-5 step nearest
/// to a tenth of the width of a ... b (on a log scale); 1 for an empty
/// interval.
double NiceSpacing(double a, double b);
