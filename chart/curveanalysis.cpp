#include "chart/curveanalysis.h"

#include "chart/areaintegrand.h"
#include "chart/chartmessages.h"
#include "chart/chartscan.h"
#include "chart/curve.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"

#include <cmath>

CurveSet CurveSet::Take(const FunctionContainer& chart, double min, double max)
{
    CurveSet set;
    set.m_xMin = min;
    set.m_xMax = max;
    set.m_bDegrees = chart.GetSettings().m_bDegrees != 0;
    set.m_xs = chart.SampleArguments(min, max);
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const FunctionEntry& entry = functions[i];
        if (entry.m_bVisible)
            set.m_curves.push_back({static_cast<int32_t>(i), entry.m_strFormula,
                                    entry.m_nDerivative, LegendLabel(entry)});
    }
    return set;
}

ChartAnswers CurveAnalysis::Analyze(double min, double max, std::size_t cap) const
{
    EvaluationBudget budget(m_nEvaluations);
    return Analyze(CurveSet::Take(m_chart, min, max), cap, ListCut::kFirst, budget);
}

ChartAnswers CurveAnalysis::Analyze(const CurveSet& curves, std::size_t cap, ListCut cut,
                                    EvaluationBudget& budget)
{
    return ChartScan(curves, cap, cut, budget).Run();
}

AreaAnswer CurveAnalysis::Area(int32_t index, double a, double b, AreaKind kind,
                               int32_t second) const
{
    if (!std::isfinite(a) || !std::isfinite(b))
        throw FunctionContainerException(ChartMessage::kRangeXOrder.c_str());
    const std::vector<FunctionEntry>& functions = m_chart.GetFunctions();
    auto entry = [&](int32_t i) -> const FunctionEntry& {
        if (i < 0 || static_cast<std::size_t>(i) >= functions.size())
            throw FunctionContainerException(ChartMessage::Format(ChartMessage::kNoSuchFunction, i));
        return functions[static_cast<std::size_t>(i)];
    };
    const FunctionEntry& first = entry(index);
    const FunctionEntry* other = kind == AreaKind::kBetween ? &entry(second) : nullptr;
    if (a == b)
        return {0, 0};
    if (a > b) {
        const AreaAnswer forward = Area(index, b, a, kind, second);
        // 0 - v, so that an area of 0 stays +0.
        return {0.0 - forward.value, forward.error};
    }
    AreaIntegrand integrand(first, other, m_chart.GetSettings().m_bDegrees != 0);
    CurveArea area(integrand, kind != AreaKind::kSigned);
    return area.Integrate(a, b, m_chart.SampleArguments(a, b));
}
