#include "chart/curve.h"

#include <algorithm>
#include <cmath>

bool EvaluationBudget::Take(std::size_t evaluations)
{
    if (m_bExhausted || evaluations > m_nLeft || cancelled()) {
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

double Curve::ValueError(double)
{
    // Derivatives are exact to rounding (automatic differentiation), like
    // the values of the formula itself.
    return 0;
}

double Curve::Wobble(double)
{
    return 0;
}
