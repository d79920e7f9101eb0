#pragma once

#include <map>
#include <string>
#include <vector>

/// The graph view's benchmarks on the standard chart in a 1920x1080 view:
///   model pan+draw   a Pan step and Draw into an image (the model alone)
///   view pan frame   a mouse move that pans, through the broadcast and the
///                    repaint of the view
///   model zoom+draw  a ZoomAtPoint step of a wheel gesture and Draw (the model)
///   view wheel zoom frame  a wheel notch over the view, through its repaint
///   guides move      a mouse move that only moves the guides, and its repaint
///   values move      a mouse move along a curve that shows its value
///   recalculation    a recalculation of the chart (the model alone)
///   points of interest  the analysis that the rings add to a recalculation
///   full repaint     an update of the chart and the repaint of the view
/// The objects live until the program ends; call before running benchmarks.
void RegisterGraphViewBenchmarks(const std::vector<std::string>& formulas);

/// Starts `osiowiec CHART` and the bare window as processes on the offscreen
/// platform, each until its first painted window; medians in milliseconds.
struct StartTimes
{
    double program;
    double bareWindow;
};
StartTimes MeasureStart(const std::vector<std::string>& formulas, int runs);

/// The summary lines of the graph view from the recorded times (ns).
void PrintGraphViewSummary(const std::map<std::string, double>& times, const StartTimes& start);
