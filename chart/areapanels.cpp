#include "chart/areapanels.h"

#include "chart/areabudget.h"
#include "chart/areaintegrand.h"
#include "chart/chartmessages.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Panels gathered for one call of the engine: its blocks are 64 wide.
constexpr std::size_t kBatch = 4096;
// Halvings of a panel whose sign stays unknown (a zero touched, not
// crossed): each halving shrinks the part |h| leaves uncertain by at least
// half.
constexpr int kMaxHalvings = 48;
// Steps of a search for a zero: every eighth halves, so even a bracket from
// the largest double to the smallest ends well within it.
constexpr int kMaxZeroSteps = 20000;

Interval Negated(Interval v, int32_t sign)
{
    return sign < 0 ? -v : v;
}

bool Excludes0(Interval v)
{
    return v.lo > 0 || v.hi < 0;
}

double Magnitude(Interval v)
{
    return std::max(std::fabs(v.lo), std::fabs(v.hi));
}

double Mignitude(Interval v)
{
    return Excludes0(v) ? std::min(std::fabs(v.lo), std::fabs(v.hi)) : 0.0;
}

// v^n for v >= 0.
Interval Power(Interval v, int n)
{
    Interval p = Interval::Point(1);
    for (int i = 0; i < n; ++i)
        p = Positively(p, v);
    return p;
}

double Factorial(int n)
{
    double f = 1;
    for (int i = 2; i <= n; ++i)
        f *= i;
    return f;
}

Interval Width(double l, double u)
{
    return Interval::Point(u) - Interval::Point(l);
}

double NodeX(const RulePiece& piece, int64_t i)
{
    if (i == 0)
        return piece.l;
    if (i == piece.panels)
        return piece.u;
    return piece.l + static_cast<double>(i) * ((piece.u - piece.l) / static_cast<double>(piece.panels));
}

} // namespace

AreaPanels::AreaPanels(AreaIntegrand& integrand, const HermiteRule& rule, AreaBudget& budget)
    : m_integrand(integrand), m_rule(rule), m_budget(budget)
{
}

AreaPanels::Node AreaPanels::At(double x, double scale)
{
    m_budget.TakeNodes(1);
    const int32_t k = m_rule.Terms();
    Interval at = Interval::Point(x);
    Interval out[HermiteRule::kMaxTerms];
    uint8_t flags[HermiteRule::kMaxTerms];
    m_integrand.Enclose(&at, &scale, 1, k - 1, out, flags);
    Node node{x, scale, {}};
    for (int32_t j = 0; j < k; ++j) {
        if (flags[j] != 0 || !out[j].IsFinite())
            RefuseArea(ChartMessage::kAreaInaccurate);
        node.p[j] = out[j];
    }
    return node;
}

int32_t AreaPanels::SignAt(double x, Interval& value)
{
    m_budget.TakeProbes(1);
    const Interval at = Interval::Point(x);
    const double scale = 1;
    uint8_t flags = 0;
    m_integrand.Enclose(&at, &scale, 1, 0, &value, &flags);
    if (flags != 0 || value.IsEmpty())
        return 0;
    return value.lo > 0 ? 1 : value.hi < 0 ? -1 : 0;
}

void AreaPanels::Integrate(const std::vector<RulePiece>& pieces, std::vector<Interval>& integrals)
{
    integrals.assign(pieces.size(), Interval::Point(0));
    const int32_t k = m_rule.Terms();
    std::size_t first = 0;
    while (first < pieces.size()) {
        m_xs.clear();
        m_scales.clear();
        m_starts.clear();
        std::size_t last = first;
        while (last < pieces.size() &&
               (m_xs.empty() || m_xs.size() + static_cast<std::size_t>(pieces[last].panels) + 1 <= kBatch)) {
            const RulePiece& piece = pieces[last];
            const double scale = (piece.u - piece.l) / static_cast<double>(piece.panels);
            // A piece that starts where the last one ended shares its node
            // (the rule reads it at either scale).
            const bool shared = !m_xs.empty() && m_xs.back().lo == piece.l;
            m_starts.push_back(m_xs.size() - (shared ? 1 : 0));
            for (int64_t i = shared ? 1 : 0; i <= piece.panels; ++i) {
                m_xs.push_back(Interval::Point(NodeX(piece, i)));
                m_scales.push_back(scale);
            }
            ++last;
        }
        const std::size_t count = m_xs.size();
        m_budget.TakeNodes(count);
        m_out.resize(count * static_cast<std::size_t>(k));
        m_flags.resize(count * static_cast<std::size_t>(k));
        m_integrand.Enclose(m_xs.data(), m_scales.data(), count, k - 1, m_out.data(), m_flags.data());
        m_nodes.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            Node& node = m_nodes[i];
            node.x = m_xs[i].lo;
            node.scale = m_scales[i];
            for (int32_t j = 0; j < k; ++j) {
                const std::size_t at = static_cast<std::size_t>(j) * count + i;
                // Inside a stretch whose enclosure was clean, a node's is.
                if (m_flags[at] != 0 || !m_out[at].IsFinite())
                    RefuseArea(ChartMessage::kAreaInaccurate);
                node.p[j] = m_out[at];
            }
        }
        for (std::size_t p = first; p < last; ++p) {
            const RulePiece& piece = pieces[p];
            const Node* nodes = m_nodes.data() + m_starts[p - first];
            integrals[p] = piece.sign == 0 ? Absolute(piece, nodes) : Signed(piece, nodes);
        }
        first = last;
    }
}

Interval AreaPanels::PanelOf(const RulePiece& piece, const Node& left, const Node& right)
{
    // The rule reads both ends at one scale.
    Interval p1[HermiteRule::kMaxTerms];
    const Interval change = PositiveQuotient(Interval::Point(left.scale), right.scale);
    Interval factor = Interval::Point(1);
    for (int32_t j = 0; j < m_rule.Terms(); ++j) {
        p1[j] = right.scale == left.scale ? right.p[j] : Positively(factor, right.p[j]);
        factor = Positively(factor, change);
    }
    return m_rule.Panel(Width(left.x, right.x), left.scale, left.p, p1,
                        piece.g[m_rule.BoundOrder()], piece.scale);
}

Interval AreaPanels::Signed(const RulePiece& piece, const Node* nodes)
{
    Interval sum = Interval::Point(0);
    for (int64_t i = 0; i < piece.panels; ++i)
        sum += PanelOf(piece, nodes[i], nodes[i + 1]);
    return Negated(sum, piece.sign);
}

Interval AreaPanels::Absolute(const RulePiece& piece, const Node* nodes)
{
    Interval sum = Interval::Point(0);
    const double allowed = piece.allowed / static_cast<double>(piece.panels);
    for (int64_t i = 0; i < piece.panels; ++i)
        sum += UnknownSign(piece, nodes[i], nodes[i + 1], allowed);
    return sum;
}

Interval AreaPanels::Over(const RulePiece& piece, const Node& left, double right, bool derivative)
{
    // h(x0 + s tau) = sum of p_j tau^j / j! + s^k h^(k)(xi) tau^k / k!, tau
    // from 0 to (x1 - x0) / s; the derivative likewise, one order down.
    const int32_t k = m_rule.Terms();
    const Interval tau{0, PositiveQuotient(Width(left.x, right), left.scale).hi};
    const Interval ratio = Power(PositiveQuotient(Interval::Point(left.scale), piece.scale), k);
    const int32_t from = derivative ? 1 : 0;
    Interval sum = Interval::Point(0);
    for (int32_t j = from; j < k; ++j)
        sum += Positively(PositiveQuotient(Power(tau, j - from), Factorial(j - from)), left.p[j]);
    sum += Positively(PositiveQuotient(Positively(ratio, Power(tau, k - from)), Factorial(k - from)),
                      piece.g[k]);
    return sum;
}

Interval AreaPanels::UnknownSign(const RulePiece& piece, const Node& left, const Node& right,
                                 double allowed)
{
    struct Item
    {
        Node left;
        Node right;
        double allowed;
        int depth;
    };
    std::vector<Item> stack{{left, right, allowed, 0}};
    Interval sum = Interval::Point(0);
    // What lies where h may have the other sign: next to an end whose value
    // holds 0, h is monotone, so its wrong side is at most |h(end)| /
    // min |h'| long and at most |h(end)| high, and counts twice.
    auto wrongSide = [](Interval end, double slope, double width) {
        const double high = Magnitude(end);
        const double length = slope > 0 ? std::min(width, high / slope) : width;
        return Interval{0, (Interval::Point(2) * Interval::Point(length) * Interval::Point(high)).hi};
    };
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        const Node& l = item.left;
        const Node& r = item.right;
        const Interval values = Over(piece, l, r.x, false);
        if (values.lo >= 0) {
            sum += PanelOf(piece, l, r);
            continue;
        }
        if (values.hi <= 0) {
            sum -= PanelOf(piece, l, r);
            continue;
        }
        const double width = Width(l.x, r.x).hi;
        const Interval slopes = Over(piece, l, r.x, true);
        const int32_t sl = Excludes0(l.p[0]) ? (l.p[0].lo > 0 ? 1 : -1) : 0;
        const int32_t sr = Excludes0(r.p[0]) ? (r.p[0].lo > 0 ? 1 : -1) : 0;
        if (Excludes0(slopes) && (sl != 0 || sr != 0)) {
            const double slope = (Interval::Point(Mignitude(slopes)) / l.scale).lo;
            if (sl != 0 && sr != 0 && sl == sr) {
                sum += Negated(PanelOf(piece, l, r), sl);
            } else if (sl == 0 || sr == 0) {
                const int32_t sign = sl != 0 ? sl : sr;
                sum += Negated(PanelOf(piece, l, r), sign) + wrongSide(sl != 0 ? r.p[0] : l.p[0], slope, width);
            } else {
                // A simple zero: found to adjacent doubles, or to a double
                // where the value's enclosure holds 0. The Illinois form of
                // regula falsi gets there in a few steps; a step that does
                // not land strictly inside halves instead.
                double lo = l.x;
                double hi = r.x;
                Interval atLo = l.p[0];
                Interval atHi = r.p[0];
                bool pinned = false;
                double zero = 0;
                Interval atZero{};
                int32_t kept = 0; // which end stayed last time: -1 lo, +1 hi
                double weightLo = 1;
                double weightHi = 1;
                for (int step = 0; step < kMaxZeroSteps; ++step) {
                    const double fl = (atLo.lo / 2 + atLo.hi / 2) * weightLo;
                    const double fh = (atHi.lo / 2 + atHi.hi / 2) * weightHi;
                    double mid = lo - fl * ((hi - lo) / (fh - fl));
                    if (!(lo < mid && mid < hi) || step % 8 == 7)
                        mid = lo + (hi - lo) / 2;
                    if (!(lo < mid && mid < hi))
                        break;
                    Interval v{};
                    const int32_t s = SignAt(mid, v);
                    if (s == sl) {
                        lo = mid;
                        atLo = v;
                        weightLo = 1;
                        weightHi = kept == 1 ? weightHi / 2 : 1;
                        kept = 1;
                    } else if (s == sr) {
                        hi = mid;
                        atHi = v;
                        weightHi = 1;
                        weightLo = kept == -1 ? weightLo / 2 : 1;
                        kept = -1;
                    } else {
                        pinned = true;
                        zero = mid;
                        atZero = v;
                        break;
                    }
                }
                if (pinned) {
                    const Node z = At(zero, l.scale);
                    sum += Negated(PanelOf(piece, l, z), sl) + wrongSide(atZero, slope, width);
                    sum += Negated(PanelOf(piece, z, r), sr) + wrongSide(atZero, slope, width);
                } else {
                    const Node a = At(lo, l.scale);
                    const Node b = At(hi, l.scale);
                    sum += Negated(PanelOf(piece, l, a), sl);
                    sum += Negated(PanelOf(piece, b, r), sr);
                    // Between adjacent doubles h is monotone: no higher
                    // than at their ends.
                    const double high = std::max(Magnitude(atLo), Magnitude(atHi));
                    sum += Interval{0, (Width(lo, hi) * Interval::Point(high)).hi};
                }
            }
            continue;
        }
        // |h| between the panel's integral and its width times the largest
        // |h| on it.
        const Interval integral = PanelOf(piece, l, r);
        const Interval bounds{Mignitude(integral), (Width(l.x, r.x) * Interval::Point(Magnitude(values))).hi};
        const double mid = l.x + (r.x - l.x) / 2;
        if (bounds.hi - bounds.lo <= item.allowed || item.depth >= kMaxHalvings ||
            !(l.x < mid && mid < r.x)) {
            sum += bounds;
            continue;
        }
        const Node m = At(mid, (r.x - l.x) / 2);
        stack.push_back({m, r, item.allowed / 2, item.depth + 1});
        stack.push_back({l, m, item.allowed / 2, item.depth + 1});
    }
    return sum;
}

bool AreaPanels::Stretch(double l, double u, bool absolute, double relative, int64_t maxPanels,
                         Interval& integral)
{
    const double width = u - l;
    if (!(width > 0) || !std::isfinite(width))
        return false;
    const int32_t order = m_rule.BoundOrder();
    m_budget.TakeStretches(1);
    const Interval x{l, u};
    Interval g[Function::kMaxOrder + 1];
    uint8_t flags[Function::kMaxOrder + 1];
    m_integrand.Enclose(&x, &width, 1, order, g, flags);
    for (int32_t j = 0; j <= order; ++j) {
        if (flags[j] != 0 || !g[j].IsFinite())
            return false;
    }
    int32_t sign = 1;
    if (absolute) {
        if (g[0].lo >= 0)
            sign = 1;
        else if (g[0].hi <= 0)
            sign = -1;
        else
            return false;
    }
    const double size = width * Magnitude(g[0]);
    const int64_t panels = m_rule.PanelsFor(width, width, g[order], relative * size, maxPanels);
    if (panels > maxPanels)
        return false;
    const double m = std::max(std::fabs(l), std::fabs(u));
    const double spacing = std::nextafter(m, std::numeric_limits<double>::infinity()) - m;
    if (panels > 1 && width / static_cast<double>(panels) < 4 * spacing)
        return false;
    RulePiece piece{l, u, panels, sign, {}, width, relative * size};
    std::copy(g, g + order + 1, piece.g);
    std::vector<Interval> out;
    Integrate({piece}, out);
    integral = out[0];
    return integral.IsFinite();
}
