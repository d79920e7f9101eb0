#pragma once

#include "chart/hermiterule.h"
#include "engine/function.h"
#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class AreaIntegrand;
struct AreaBudget;

/// A stretch [l, u] of the integrand that is smooth (every derivative up to
/// the rule's bound order exists and is enclosed), to be integrated in
/// `panels` equal panels of the Hermite rule.
struct RulePiece
{
    double l;
    double u;
    int64_t panels;
    /// Of h (the signed integral, or |h| where h keeps a sign): +1 or -1;
    /// 0 for |h| where the panels must find out where h changes sign.
    int32_t sign;
    /// scale^k h^(k) over a stretch that holds [l, u], k = 0 ... the bound
    /// order.
    Interval g[Function::kMaxOrder + 1];
    double scale;
    /// How wide the piece's interval may grow where it bounds |h| over a
    /// panel with a zero it cannot pin down.
    double allowed;
};

/// Integrates smooth pieces with the Hermite rule, enclosing the integrand at
/// the panels' ends in batches. For |h| over a piece whose sign is unknown
/// each panel finds its own: an enclosure of h over the panel from its left
/// end's derivatives shows a sign; a monotone panel whose ends differ has its
/// zero found to adjacent doubles and is split there; any other panel is
/// halved until its bound is tight enough, and then bounded as a whole.
class AreaPanels
{
public:
    AreaPanels(AreaIntegrand& integrand, const HermiteRule& rule, AreaBudget& budget);

    /// The enclosures of the pieces' integrals, in order; pieces in order of
    /// x share the nodes where they meet.
    void Integrate(const std::vector<RulePiece>& pieces, std::vector<Interval>& integrals);

    /// The integral of h (of |h| when `absolute`) over one stretch to within
    /// `relative` of its size, or false where the stretch is not smooth, h
    /// changes sign on it (absolute), or it needs more than `maxPanels`.
    bool Stretch(double l, double u, bool absolute, double relative, int64_t maxPanels,
                 Interval& integral);

private:
    /// Enclosures at a node: p[j] = scale^j h^(j)(x).
    struct Node
    {
        double x;
        double scale;
        Interval p[HermiteRule::kMaxTerms];
    };

    Interval Signed(const RulePiece& piece, const Node* nodes);
    Interval Absolute(const RulePiece& piece, const Node* nodes);
    Interval PanelOf(const RulePiece& piece, const Node& left, const Node& right);
    /// |h| over the panel between the nodes, whose sign is unknown.
    Interval UnknownSign(const RulePiece& piece, const Node& left, const Node& right,
                         double allowed);
    /// The Taylor enclosures of h (derivative false) or of (x1 - x0) h'
    /// (true) over the panel, from its left end.
    Interval Over(const RulePiece& piece, const Node& left, double right, bool derivative);
    Node At(double x, double scale);
    /// The strict sign of the value at x: +1, -1, or 0 where its
    /// enclosure holds 0; `value` gets the enclosure.
    int32_t SignAt(double x, Interval& value);

    AreaIntegrand& m_integrand;
    const HermiteRule& m_rule;
    AreaBudget& m_budget;
    std::vector<Interval> m_xs;
    std::vector<double> m_scales;
    std::vector<std::size_t> m_starts; ///< each piece's first node in a batch
    std::vector<Interval> m_out;
    std::vector<uint8_t> m_flags;
    std::vector<Node> m_nodes;
};
