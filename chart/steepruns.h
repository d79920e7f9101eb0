#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

/// The value of a function at x (chart units) as the chart samples it, or
/// nothing where the evaluation fails.
using ValueAt = std::function<std::optional<double>(double x)>;
/// The same at many arguments at once: values[i] and failed[i] (non-zero
/// where the evaluation fails) for xs[i], as ValueAt gives them one by one.
using ValuesAt = std::function<void(const std::vector<double>& xs, std::vector<double>& values,
                                    std::vector<uint8_t>& failed)>;

/// Which steep samples of one function still belong in the automatic y
/// range. Sample k (at IndexedArgument(xMin, step, k)) is steep when k > 0,
/// it and its predecessor are finite and not the error value, and they differ
/// by more than 100 steps; such samples are left out to keep the jumps at a
/// pole from stretching the range. A run of consecutive steep samples is
/// taken back when the function is continuous and monotonic across it: every
/// stretch's midpoint lies between its ends, the steepest stretch narrows by
/// bisection to a millionth of its rise without leaving its ends' bounds,
/// and the samples around the run are values (a run that leads into a point
/// where the function has none is a pole's flank). Returns the indexes of
/// the samples of accepted runs, in order. The midpoints are evaluated all at
/// once through `values`, the bisections point by point through `value`.
std::vector<std::size_t> AcceptedSteepSamples(const std::vector<double>& samples, double xMin,
                                              double step, const ValuesAt& values,
                                              const ValueAt& value);

/// Whether the function narrows continuously from (a, fa) to (b, fb): at
/// most 64 halvings, each keeping the half with the larger rise, every
/// midpoint a value between the current ends, until the rise is at most
/// 1/1048576 of the first.
bool PassesBisection(double a, double fa, double b, double fb, const ValueAt& value);
