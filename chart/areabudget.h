#pragma once

#include <cstddef>

/// What one area may still spend, by kind of work. A budget that runs out
/// refuses the area with "Nie udało się obliczyć pola z wymaganą
/// dokładnością": a bound that cannot be made tight enough is no answer.
struct AreaBudget
{
    std::size_t stretches; ///< enclosures of a stretch to the rule's order
    std::size_t nodes;     ///< enclosures at the rule's nodes
    std::size_t probes;    ///< enclosures of order 0 and values: singular points, zeros

    void TakeStretches(std::size_t n) { Take(stretches, n); }
    void TakeNodes(std::size_t n) { Take(nodes, n); }
    void TakeProbes(std::size_t n) { Take(probes, n); }

private:
    static void Take(std::size_t& left, std::size_t n);
};

/// Throws FunctionContainerException with the message (code page 1250).
[[noreturn]] void RefuseArea(const char* message);
