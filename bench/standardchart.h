#pragma once

#include <string>
#include <vector>

class FunctionContainer;

/// The standard chart of the benchmarks: the formulas of the set at 10000
/// steps, a third each as the function, its first and its second derivative,
/// automatic y range; its plot rectangle as drawn into width x height pixels.
void BuildStandardChart(FunctionContainer& chart, const std::vector<std::string>& formulas,
                        int width, int height);
