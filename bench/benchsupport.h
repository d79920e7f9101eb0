#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

/// The formula set, one formula a line, '#' lines left out. The path is the
/// program's first argument when one is given.
std::vector<std::string> LoadFormulas(int argc, char** argv);

/// The arguments of the engine benchmarks: 10000 values in [0.5, 5.5).
std::vector<double> BenchmarkArguments();

/// Prints the usual table and keeps each run's time per iteration (ns), by
/// benchmark name; of repeated runs the median.
class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    RecordingReporter() : ConsoleReporter(OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override;
    std::map<std::string, double> m_times;
};

/// The geometric mean over i of peer[i] / ours[i].
double GeometricMeanRatio(const std::vector<double>& peer, const std::vector<double>& ours);
