#pragma once

#include "chart/curvepointfinder.h"
#include "engine/function.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// Work that one analysis may still do, in evaluations: each point evaluation
/// of a formula counts one (a derivative of order n 2^n), an enclosure over
/// an interval as CurveJet states. Once empty it stays empty and every later
/// evaluation fails, which the analysis reads from exhausted() and reports as
/// a cut list. A request that is no longer wanted (a newer one replaced it)
/// sets the cancel flag, which empties the budget at its next use, from any
/// thread.
class EvaluationBudget
{
public:
    explicit EvaluationBudget(std::size_t evaluations, const std::atomic<bool>* cancel = nullptr)
        : m_nLeft(evaluations), m_pCancel(cancel)
    {
    }
    bool Take(std::size_t evaluations);
    bool exhausted() const { return m_bExhausted; }
    std::size_t left() const { return m_nLeft; }
    bool cancelled() const { return m_pCancel != nullptr && m_pCancel->load(std::memory_order_relaxed); }

private:
    std::size_t m_nLeft;
    const std::atomic<bool>* m_pCancel;
    bool m_bExhausted = false;
};

/// One curve as the chart draws it: the formula with its derivative order in
/// the chart's angle unit, evaluated by the engine as sampling evaluates it.
/// Owns its compiled formula; evaluations never throw.
class Curve : public CurveProbe
{
public:
    Curve(const std::string& formula, int32_t order, bool degrees, EvaluationBudget& budget);

    Curve(const Curve&) = delete;
    Curve& operator=(const Curve&) = delete;

    /// The value at x; false where the evaluation fails (or the budget is
    /// spent), and y is then left alone.
    bool At(double x, double& y) override;
    /// The values at the arguments xs, as sampling computes them (failed[i]
    /// set where the evaluation fails; values[i] is then 0). Not taken from
    /// the budget: the caller bounds the arguments as recalculation does.
    void Sample(const std::vector<double>& xs, std::vector<double>& values,
                std::vector<uint8_t>& failed);
    /// 0: derivatives are exact to rounding, as values are.
    double ValueError(double x) override;
    double Wobble(double x) override;

    int32_t order() const { return m_nOrder; }

private:
    Function m_function;
    int32_t m_nOrder;
    EvaluationBudget& m_budget;
};
