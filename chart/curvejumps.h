#pragma once

#include "chart/polylines.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Function;

/// The jumps of one sampled curve, for drawing: where the pieces of a
/// piecewise function, or the steps of floor, sgn and the like, disagree,
/// the curve gets a gap instead of a line across.
///
/// `function` holds the compiled formula; `order` is the curve's derivative
/// order; sample i (at IndexedArgument(xMin, step, i)) is values[i], or
/// failed where failed[i] is set. Only cells between two defined samples
/// whose enclosure says the curve may jump are looked at: each is narrowed
/// by bisection (the half with the larger rise) down to two neighbouring
/// doubles. A jump is kept where the rise there stays at least a
/// thousandth of the cell's; a continuous curve's rise shrinks with the
/// bracket. A point inside where the function has no value gives a break
/// without ends. A cell between a defined and an undefined sample holds an
/// end of the function's domain (a piece of one branch): the curve is
/// carried on to the last double where it is defined.
///
/// Bounds: only formulas that may jump (Function::MayJump) are looked at; at
/// most kMaxCells cells are narrowed, each with at most 64 evaluations.
/// Further cells are drawn as before (lines between defined samples).
/// Returns the breaks in the order of their cells.
class CurveJumps
{
public:
    static constexpr std::size_t kMaxCells = 4096;

    static std::vector<CurveJump> Find(Function& function, int32_t order, double xMin, double step,
                                       const std::vector<double>& values,
                                       const std::vector<uint8_t>& failed);
};
