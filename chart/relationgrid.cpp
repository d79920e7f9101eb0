#include "chart/relationgrid.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// Pixels are first enclosed in squares of this many on a side; a square
// that the enclosures cannot decide is split in four, down to pixels.
constexpr int kTopCell = 64;
// A pixel that its enclosure cannot decide is split into kSplit x kSplit
// parts, and each undecided part once more: a sixteenth of a pixel.
constexpr int kSplit = 4;

enum Verdict : uint8_t {
    kFalse = 0, ///< the relation holds nowhere in the box
    kTrue = 1,  ///< it holds throughout
    kMaybe = 2,
};

// One comparison over a box, from its enclosure. Where F may be undefined
// the comparison may still fail there, so it is never true throughout.
Verdict Judge(RelationSign sign, Interval e, uint8_t flags)
{
    if ((flags & Enclosure::kMustFail) || e.IsEmpty())
        return kFalse;
    const bool defined = !(flags & Enclosure::kMayFail);
    switch (sign) {
    case RelationSign::kEqual:
        if (!e.Contains(0))
            return kFalse;
        return defined && e.lo == 0 && e.hi == 0 ? kTrue : kMaybe;
    case RelationSign::kLess:
        if (e.lo >= 0)
            return kFalse;
        return defined && e.hi < 0 ? kTrue : kMaybe;
    case RelationSign::kLessEqual:
        if (e.lo > 0)
            return kFalse;
        return defined && e.hi <= 0 ? kTrue : kMaybe;
    case RelationSign::kGreater:
        if (e.hi <= 0)
            return kFalse;
        return defined && e.lo > 0 ? kTrue : kMaybe;
    case RelationSign::kGreaterEqual:
        if (e.hi < 0)
            return kFalse;
        return defined && e.lo >= 0 ? kTrue : kMaybe;
    }
    return kMaybe;
}

bool Holds(RelationSign sign, double v)
{
    switch (sign) {
    case RelationSign::kEqual: return v == 0;
    case RelationSign::kLess: return v < 0;
    case RelationSign::kLessEqual: return v <= 0;
    case RelationSign::kGreater: return v > 0;
    case RelationSign::kGreaterEqual: return v >= 0;
    }
    return false;
}

struct Box
{
    Interval x;
    Interval y;
};

class Solver
{
public:
    Solver(const std::vector<RelationCondition>& conditions, const RelationView& view,
           std::size_t budget)
        : m_conditions(conditions), m_view(view), m_nBudget(budget)
    {
        m_bEquation = conditions.size() == 1 && conditions[0].m_sign == RelationSign::kEqual;
        m_out.m_nWidth = view.width;
        m_out.m_nHeight = view.height;
        m_out.m_pixels.assign(static_cast<std::size_t>(view.width) * view.height, RelationPixels::kEmpty);
        if (!m_bEquation)
            m_out.m_coverage.assign(m_out.m_pixels.size(), 0);
        m_masks.assign(m_out.m_pixels.size(), 0);
    }

    RelationPixels Run()
    {
        SplitDown();
        RefinePixels();
        Trace();
        return std::move(m_out);
    }

private:
    struct Cell
    {
        int i;
        int j;
        int size;
    };

    // The verdict of every condition together over each box: false where
    // one is false, true where all are; `masks` gets the conditions that
    // are undecided, `continuous` whether every F is defined and
    // continuous over the box.
    void JudgeBoxes(const std::vector<Box>& boxes, std::vector<uint8_t>& verdicts,
                    std::vector<uint8_t>* masks = nullptr, std::vector<uint8_t>* continuous = nullptr)
    {
        const std::size_t n = boxes.size();
        verdicts.assign(n, kTrue);
        if (masks)
            masks->assign(n, 0);
        if (continuous)
            continuous->assign(n, 1);
        if (n == 0)
            return;
        if (m_nBudget < n * m_conditions.size()) {
            // Out of budget: nothing more is decided.
            m_out.m_bTruncated = true;
            verdicts.assign(n, kMaybe);
            if (masks)
                masks->assign(n, 0xFF);
            if (continuous)
                continuous->assign(n, 0);
            return;
        }
        m_nBudget -= n * m_conditions.size();
        m_xs.resize(n);
        m_ys.resize(n);
        for (std::size_t k = 0; k < n; ++k) {
            m_xs[k] = boxes[k].x;
            m_ys[k] = boxes[k].y;
        }
        m_enclosures.resize(n);
        m_flags.resize(n);
        for (std::size_t c = 0; c < m_conditions.size(); ++c) {
            const RelationCondition& condition = m_conditions[c];
            condition.m_pFunction->Enclose(m_xs.data(), m_ys.data(), n, m_enclosures.data(),
                                           m_flags.data());
            for (std::size_t k = 0; k < n; ++k) {
                const Verdict v = Judge(condition.m_sign, m_enclosures[k], m_flags[k]);
                if (v == kFalse)
                    verdicts[k] = kFalse;
                else if (v == kMaybe && verdicts[k] != kFalse)
                    verdicts[k] = kMaybe;
                if (masks && v == kMaybe)
                    (*masks)[k] |= static_cast<uint8_t>(1u << std::min<std::size_t>(c, 7));
                if (continuous && (m_flags[k] & (Enclosure::kMayFail | Enclosure::kMayJump)))
                    (*continuous)[k] = 0;
            }
        }
    }

    Box PixelBox(int i, int j, int size) const
    {
        const int right = std::min(i + size, m_view.width);
        const int bottom = std::min(j + size, m_view.height);
        return {{m_view.X(i), m_view.X(right)}, {m_view.Y(bottom), m_view.Y(j)}};
    }

    void Mark(const Cell& cell, uint8_t state)
    {
        const int right = std::min(cell.i + cell.size, m_view.width);
        const int bottom = std::min(cell.j + cell.size, m_view.height);
        for (int j = cell.j; j < bottom; ++j) {
            for (int i = cell.i; i < right; ++i) {
                const std::size_t at = static_cast<std::size_t>(j) * m_view.width + i;
                m_out.m_pixels[at] = state;
                if (!m_bEquation && state == RelationPixels::kInside)
                    m_out.m_coverage[at] = 255;
            }
        }
    }

    // The quadtree, a level at a time: squares the enclosures decide are
    // marked or dropped, the others split, and undecided pixels kept.
    void SplitDown()
    {
        std::vector<Cell> level;
        for (int j = 0; j < m_view.height; j += kTopCell)
            for (int i = 0; i < m_view.width; i += kTopCell)
                level.push_back({i, j, kTopCell});
        std::vector<Box> boxes;
        std::vector<uint8_t> verdicts;
        while (!level.empty()) {
            boxes.clear();
            for (const Cell& cell : level)
                boxes.push_back(PixelBox(cell.i, cell.j, cell.size));
            JudgeBoxes(boxes, verdicts);
            std::vector<Cell> next;
            for (std::size_t k = 0; k < level.size(); ++k) {
                const Cell& cell = level[k];
                if (verdicts[k] == kFalse)
                    continue;
                if (verdicts[k] == kTrue) {
                    Mark(cell, m_bEquation ? RelationPixels::kCurve : RelationPixels::kInside);
                    continue;
                }
                if (cell.size == 1) {
                    m_candidates.push_back(cell);
                    continue;
                }
                if (m_out.m_bTruncated) {
                    // Nothing more is decided: the square stays undecided.
                    Mark(cell, RelationPixels::kUndecided);
                    continue;
                }
                const int half = cell.size / 2;
                for (int dj = 0; dj < 2; ++dj) {
                    for (int di = 0; di < 2; ++di) {
                        const Cell child{cell.i + di * half, cell.j + dj * half, half};
                        if (child.i < m_view.width && child.j < m_view.height)
                            next.push_back(child);
                    }
                }
            }
            level.swap(next);
        }
    }

    // Undecided pixels, split into parts: a pixel none of whose parts may
    // hold the relation is empty; the rest are proven by the values at the
    // parts' corners or stay undecided.
    void RefinePixels()
    {
        const std::size_t count = m_candidates.size();
        if (count == 0)
            return;
        // The pixels themselves once more, for their flags and masks.
        std::vector<Box> boxes;
        boxes.reserve(count);
        for (const Cell& cell : m_candidates)
            boxes.push_back(PixelBox(cell.i, cell.j, 1));
        std::vector<uint8_t> verdicts, masks, continuous;
        JudgeBoxes(boxes, verdicts, &masks, &continuous);

        // Parts of each pixel, and parts of the undecided parts.
        const int parts = kSplit * kSplit;
        boxes.clear();
        for (const Cell& cell : m_candidates)
            AddParts(PixelBox(cell.i, cell.j, 1), boxes);
        std::vector<uint8_t> partVerdicts;
        JudgeBoxes(boxes, partVerdicts);
        std::vector<Box> fine;
        std::vector<std::size_t> owner;
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            if (partVerdicts[k] == kMaybe) {
                AddParts(boxes[k], fine);
                owner.push_back(k);
            }
        }
        std::vector<uint8_t> fineVerdicts;
        JudgeBoxes(fine, fineVerdicts);
        // The share of each part that holds (true) or may hold (maybe), in
        // sixteenths of a sixteenth.
        std::vector<int> trueShare(count, 0), maybeShare(count, 0);
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            const std::size_t pixel = k / parts;
            if (partVerdicts[k] == kTrue)
                trueShare[pixel] += parts;
        }
        for (std::size_t f = 0; f < fine.size(); ++f) {
            const std::size_t pixel = owner[f / parts] / parts;
            if (fineVerdicts[f] == kTrue)
                ++trueShare[pixel];
            else if (fineVerdicts[f] == kMaybe)
                ++maybeShare[pixel];
        }

        // Values at the corners of the parts, to prove what holds.
        const int side = kSplit + 1;
        std::vector<double> xs, ys;
        xs.reserve(count * side * side);
        ys.reserve(count * side * side);
        for (const Cell& cell : m_candidates) {
            const Box b = PixelBox(cell.i, cell.j, 1);
            for (int v = 0; v < side; ++v) {
                for (int u = 0; u < side; ++u) {
                    xs.push_back(b.x.lo + (b.x.hi - b.x.lo) * u / kSplit);
                    ys.push_back(b.y.lo + (b.y.hi - b.y.lo) * v / kSplit);
                }
            }
        }
        const std::size_t points = xs.size();
        std::vector<std::vector<double>> values(m_conditions.size(), std::vector<double>(points));
        std::vector<std::vector<uint8_t>> failed(m_conditions.size(), std::vector<uint8_t>(points));
        for (std::size_t c = 0; c < m_conditions.size(); ++c)
            m_conditions[c].m_pFunction->Evaluate(xs.data(), ys.data(), points, values[c].data(),
                                                  failed[c].data());

        const int area = parts * parts;
        for (std::size_t k = 0; k < count; ++k) {
            const Cell& cell = m_candidates[k];
            const std::size_t at = static_cast<std::size_t>(cell.j) * m_view.width + cell.i;
            m_masks[at] = masks[k];
            const std::size_t first = k * side * side;
            if (m_bEquation) {
                if (trueShare[k] == 0 && maybeShare[k] == 0)
                    continue;
                if (trueShare[k] == area) {
                    m_out.m_pixels[at] = RelationPixels::kCurve;
                    continue;
                }
                const std::vector<double>& f = values[0];
                const std::vector<uint8_t>& bad = failed[0];
                bool negative = false, positive = false, zero = false;
                for (int p = 0; p < side * side; ++p) {
                    if (bad[first + p])
                        continue;
                    const double v = f[first + p];
                    negative |= v < 0;
                    positive |= v > 0;
                    zero |= v == 0;
                }
                const bool proven = zero || (continuous[k] && negative && positive);
                m_out.m_pixels[at] = proven ? RelationPixels::kCurve : RelationPixels::kUndecided;
                continue;
            }
            if (trueShare[k] == area) {
                m_out.m_pixels[at] = RelationPixels::kInside;
                m_out.m_coverage[at] = 255;
                continue;
            }
            if (trueShare[k] == 0 && maybeShare[k] == 0)
                continue;
            bool somewhere = trueShare[k] > 0;
            for (int p = 0; p < side * side && !somewhere; ++p) {
                bool all = true;
                for (std::size_t c = 0; c < m_conditions.size() && all; ++c)
                    all = !failed[c][first + p] && Holds(m_conditions[c].m_sign, values[c][first + p]);
                somewhere = all;
            }
            m_out.m_pixels[at] = somewhere ? RelationPixels::kBoundary : RelationPixels::kUndecided;
            m_out.m_coverage[at] = static_cast<uint8_t>(std::min(254, trueShare[k] * 255 / area));
        }
    }

    static void AddParts(const Box& b, std::vector<Box>& out)
    {
        for (int v = 0; v < kSplit; ++v) {
            const double y0 = b.y.lo + (b.y.hi - b.y.lo) * v / kSplit;
            const double y1 = v + 1 == kSplit ? b.y.hi : b.y.lo + (b.y.hi - b.y.lo) * (v + 1) / kSplit;
            for (int u = 0; u < kSplit; ++u) {
                const double x0 = b.x.lo + (b.x.hi - b.x.lo) * u / kSplit;
                const double x1 =
                    u + 1 == kSplit ? b.x.hi : b.x.lo + (b.x.hi - b.x.lo) * (u + 1) / kSplit;
                out.push_back({{x0, x1}, {y0, y1}});
            }
        }
    }

    // Marching squares over the corners of the pixels each curve may cross,
    // the segments joined into paths; curve pixels no path enters are dots.
    void Trace()
    {
        std::vector<uint8_t> crossed(m_out.m_pixels.size(), 0);
        for (std::size_t c = 0; c < m_conditions.size(); ++c)
            TraceCondition(c, crossed);
        for (std::size_t at = 0; at < m_out.m_pixels.size(); ++at) {
            if (m_out.m_pixels[at] == RelationPixels::kCurve && !crossed[at])
                m_out.m_dots.push_back(static_cast<uint32_t>(at));
        }
    }

    bool Traced(std::size_t at, std::size_t condition) const
    {
        const uint8_t state = m_out.m_pixels[at];
        if (m_bEquation)
            return state == RelationPixels::kCurve || state == RelationPixels::kUndecided;
        const bool edge = state == RelationPixels::kBoundary || state == RelationPixels::kUndecided;
        return edge && (m_masks[at] & (1u << std::min<std::size_t>(condition, 7)));
    }

    void TraceCondition(std::size_t condition, std::vector<uint8_t>& crossed)
    {
        const int w = m_view.width;
        std::vector<std::size_t> pixels;
        for (std::size_t at = 0; at < m_out.m_pixels.size(); ++at) {
            if (Traced(at, condition))
                pixels.push_back(at);
        }
        if (pixels.empty())
            return;
        // The corners, each evaluated once.
        auto cornerId = [w](int i, int j) { return static_cast<std::size_t>(j) * (w + 1) + i; };
        std::vector<std::size_t> corners;
        corners.reserve(pixels.size() * 4);
        for (std::size_t at : pixels) {
            const int i = static_cast<int>(at % w), j = static_cast<int>(at / w);
            for (int dj = 0; dj < 2; ++dj)
                for (int di = 0; di < 2; ++di)
                    corners.push_back(cornerId(i + di, j + dj));
        }
        std::sort(corners.begin(), corners.end());
        corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
        std::vector<double> xs(corners.size()), ys(corners.size()), values(corners.size());
        std::vector<uint8_t> failed(corners.size());
        for (std::size_t k = 0; k < corners.size(); ++k) {
            xs[k] = m_view.X(static_cast<int>(corners[k] % (w + 1)));
            ys[k] = m_view.Y(static_cast<int>(corners[k] / (w + 1)));
        }
        m_conditions[condition].m_pFunction->Evaluate(xs.data(), ys.data(), corners.size(),
                                                      values.data(), failed.data());
        auto value = [&](int i, int j, double& v) {
            const std::size_t id = cornerId(i, j);
            const std::size_t k = std::lower_bound(corners.begin(), corners.end(), id) - corners.begin();
            v = values[k];
            return !failed[k];
        };

        // A crossing on an edge: the edges are numbered by the corner they
        // start at, 2 * id for the edge to the right, 2 * id + 1 downwards.
        struct Segment
        {
            std::size_t edges[2];
            RelationPoint points[2];
        };
        std::vector<Segment> segments;
        for (std::size_t at : pixels) {
            const int i = static_cast<int>(at % w), j = static_cast<int>(at / w);
            double v[4]; // top left, top right, bottom right, bottom left
            if (!value(i, j, v[0]) || !value(i + 1, j, v[1]) || !value(i + 1, j + 1, v[2]) ||
                !value(i, j + 1, v[3]))
                continue;
            const int ci[4] = {i, i + 1, i + 1, i};
            const int cj[4] = {j, j, j + 1, j + 1};
            std::size_t edge[4];
            RelationPoint point[4];
            int found = 0;
            for (int e = 0; e < 4; ++e) {
                const int a = e, b = (e + 1) % 4;
                // 0 counts as positive, so a corner on the curve is crossed once.
                if ((v[a] < 0) == (v[b] < 0))
                    continue;
                const double t = v[a] / (v[a] - v[b]);
                point[found] = {ci[a] + (ci[b] - ci[a]) * t, cj[a] + (cj[b] - cj[a]) * t};
                const int si = std::min(ci[a], ci[b]), sj = std::min(cj[a], cj[b]);
                edge[found] = 2 * cornerId(si, sj) + (cj[a] != cj[b] ? 1 : 0);
                ++found;
            }
            if (found == 2) {
                segments.push_back({{edge[0], edge[1]}, {point[0], point[1]}});
            } else if (found == 4) {
                // A saddle: the centre's sign pairs the crossings.
                const double centre = (v[0] + v[1] + v[2] + v[3]) / 4;
                const bool joinFirst = (centre < 0) == (v[0] < 0);
                if (joinFirst) {
                    segments.push_back({{edge[0], edge[3]}, {point[0], point[3]}});
                    segments.push_back({{edge[1], edge[2]}, {point[1], point[2]}});
                } else {
                    segments.push_back({{edge[0], edge[1]}, {point[0], point[1]}});
                    segments.push_back({{edge[2], edge[3]}, {point[2], point[3]}});
                }
            } else {
                continue;
            }
            crossed[at] = 1;
        }

        // Paths: segments that share an edge are joined.
        std::unordered_multimap<std::size_t, std::size_t> byEdge;
        byEdge.reserve(segments.size() * 2);
        for (std::size_t s = 0; s < segments.size(); ++s) {
            byEdge.emplace(segments[s].edges[0], s);
            byEdge.emplace(segments[s].edges[1], s);
        }
        std::vector<uint8_t> used(segments.size(), 0);
        auto other = [&](std::size_t edge, std::size_t from) -> long {
            auto range = byEdge.equal_range(edge);
            for (auto it = range.first; it != range.second; ++it) {
                if (it->second != from && !used[it->second])
                    return static_cast<long>(it->second);
            }
            return -1;
        };
        for (std::size_t s = 0; s < segments.size(); ++s) {
            if (used[s])
                continue;
            used[s] = 1;
            std::vector<RelationPoint> path = {segments[s].points[0], segments[s].points[1]};
            // Forward from the second end, then backward from the first.
            for (int direction = 0; direction < 2; ++direction) {
                std::size_t edge = segments[s].edges[direction == 0 ? 1 : 0];
                std::size_t from = s;
                for (long next = other(edge, from); next >= 0; next = other(edge, from)) {
                    const Segment& g = segments[static_cast<std::size_t>(next)];
                    used[static_cast<std::size_t>(next)] = 1;
                    const int enter = g.edges[0] == edge ? 0 : 1;
                    const RelationPoint p = g.points[1 - enter];
                    if (direction == 0)
                        path.push_back(p);
                    else
                        path.insert(path.begin(), p);
                    edge = g.edges[1 - enter];
                    from = static_cast<std::size_t>(next);
                }
            }
            m_out.m_paths.push_back(std::move(path));
        }
    }

    const std::vector<RelationCondition>& m_conditions;
    RelationView m_view;
    std::size_t m_nBudget;
    bool m_bEquation = false;
    RelationPixels m_out;
    std::vector<Cell> m_candidates;
    std::vector<uint8_t> m_masks; ///< per pixel: the conditions undecided over it
    std::vector<Interval> m_xs, m_ys, m_enclosures;
    std::vector<uint8_t> m_flags;
};

} // namespace

RelationPixels RelationGrid::Solve(const std::vector<RelationCondition>& conditions,
                                   const RelationView& view, std::size_t budget)
{
    RelationPixels out;
    if (conditions.empty() || view.width < 1 || view.height < 1 ||
        static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height) > kMaxPixels ||
        !(view.xMin < view.xMax) || !(view.yMin < view.yMax)) {
        out.m_nWidth = std::max(view.width, 0);
        out.m_nHeight = std::max(view.height, 0);
        return out;
    }
    return Solver(conditions, view, budget).Run();
}
