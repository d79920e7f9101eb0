#include "chart/curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

bool EvaluationBudget::Take(std::size_t evaluations)
{
    if (m_bExhausted || evaluations > m_nLeft) {
        m_bExhausted = true;
        return false;
    }
    m_nLeft -= evaluations;
    return true;
}

Curve::Curve(const std::string& formula, int32_t order, bool degrees, EvaluationBudget& budget)
    : m_nOrder(std::clamp(order, 0, 2)), m_budget(budget)
{
    m_function.m_bThrowSyntaxErrors = false;
    m_function.m_bThrowEvalErrors = false;
    m_function.m_bDegrees = degrees;
    m_function.SetFormula(formula);
}

bool Curve::At(double x, double& y)
{
    if (!m_budget.Take(std::size_t{1} << m_nOrder))
        return false;
    const double value = m_function.EvaluateDerivative(x, m_nOrder);
    if (m_function.HasErrors())
        return false;
    y = value;
    return true;
}

void Curve::Sample(const std::vector<double>& xs, std::vector<double>& values,
                   std::vector<uint8_t>& failed)
{
    values.assign(xs.size(), 0.0);
    failed.assign(xs.size(), 1);
    if (xs.empty())
        return;
    m_function.EvaluateSeries(xs.data(), xs.size(), m_nOrder, values.data(), failed.data());
}

double Curve::StepDifference(double x, double step, bool& ok, double& rounding)
{
    // The engine's central differences with another step: (f(x+s) - f(x-s)) / 2s
    // for the first order, (f(x+2s) - 2 f(x) + f(x-2s)) / 4s^2 for the second.
    const double factor = 1 / (2 * step);
    double values[3] = {0, 0, 0};
    const double offsets[3] = {-1, 0, 1};
    const double reach = m_nOrder == 1 ? step : 2 * step;
    for (int i = 0; i < 3; ++i) {
        if (m_nOrder == 1 && i == 1)
            continue;
        if (!m_budget.Take(1)) {
            ok = false;
            return 0;
        }
        values[i] = m_function.Evaluate(x + offsets[i] * reach);
        if (m_function.HasErrors()) {
            ok = false;
            return 0;
        }
    }
    // The rounding of the values, magnified by the division by the step.
    const double size = std::fabs(values[0]) + 2 * std::fabs(values[1]) + std::fabs(values[2]);
    const double scale = m_nOrder == 1 ? factor : factor * factor;
    rounding = 4 * std::numeric_limits<double>::epsilon() * size * scale;
    if (m_nOrder == 1)
        return (values[2] - values[0]) * factor;
    return (values[2] - 2 * values[1] + values[0]) * factor * factor;
}

double Curve::ValueError(double x)
{
    if (m_nOrder == 0)
        return 0;
    bool ok = true;
    double rounding = 0, unused = 0;
    const double fine = StepDifference(x, Function::kStep, ok, rounding);
    const double coarse = StepDifference(x, 2 * Function::kStep, ok, unused);
    if (!ok)
        return 0;
    // The difference's error shrinks with the square of its step, so the
    // fine value lies a third of the gap from the truth; the rounding of the
    // values it is made of comes on top.
    const double error = std::fabs(fine - coarse) / 3 + rounding;
    return std::isfinite(error) ? error : 0;
}

double Curve::Wobble(double x)
{
    if (m_nOrder == 0 || !m_budget.Take(1))
        return 0;
    const double value = m_function.Evaluate(x);
    if (m_function.HasErrors())
        return 0;
    // Each difference level divides by 2h what rounding left in values of
    // about this size: 2^order of them, each off by an ulp or two.
    const double scale = m_nOrder == 1 ? Function::kFactor : Function::kFactor * Function::kFactor;
    const double wobble = 4 * std::numeric_limits<double>::epsilon() * std::fabs(value) *
                          static_cast<double>(1 << m_nOrder) * scale;
    return std::isfinite(wobble) ? wobble : 0;
}
