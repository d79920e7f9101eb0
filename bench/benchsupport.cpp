#include "bench/benchsupport.h"

#include <cmath>
#include <cstdio>
#include <fstream>

std::vector<std::string> LoadFormulas(int argc, char** argv)
{
    const std::string path = argc > 1 && argv[1][0] != '-' ? argv[1] : OSIOWIEC_BENCH_FORMULAS;
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "cannot read the formula set %s\n", path.c_str());
        std::exit(1);
    }
    std::vector<std::string> formulas;
    for (std::string line; std::getline(file, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            formulas.push_back(line);
    }
    return formulas;
}

std::vector<double> BenchmarkArguments()
{
    std::vector<double> xs(10000);
    for (std::size_t i = 0; i < xs.size(); ++i)
        xs[i] = 0.5 + 5.0 * static_cast<double>(i) / static_cast<double>(xs.size());
    return xs;
}

void RecordingReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        const double ns = run.GetAdjustedRealTime(); // in the run's time unit
        const double scale = run.time_unit == benchmark::kMillisecond   ? 1e6
                             : run.time_unit == benchmark::kMicrosecond ? 1e3
                                                                        : 1;
        // By the registered name, without the "/repeats:N" of repeated runs.
        const std::string& name = run.run_name.function_name;
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median")
                m_times[name] = ns * scale;
        } else if (m_times.find(name) == m_times.end()) {
            m_times[name] = ns * scale;
        }
    }
}

double GeometricMeanRatio(const std::vector<double>& peer, const std::vector<double>& ours)
{
    double sum = 0;
    for (std::size_t i = 0; i < peer.size(); ++i)
        sum += std::log(peer[i] / ours[i]);
    return std::exp(sum / static_cast<double>(peer.size()));
}
