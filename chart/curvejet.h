#pragma once

#include "engine/function.h"
#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <string>

/// A curve of derivative order n and its next derivatives at one argument:
/// row k is f^(n+k) there, for rows 0 (the curve as drawn), 1 and 2.
struct PointJet
{
    double v[3] = {0, 0, 0};
    /// How many leading rows exist there: 0 where the curve itself fails,
    /// 1 where it is defined but not its derivative (a kink), ...
    uint8_t defined = 0;
};

/// The same over an interval of arguments: enclosures of rows 0 ... rows-1
/// (row 3 is f^(n+3)), each with the Enclosure bits of engine/interval.h.
struct Jet
{
    Interval v[4];
    uint8_t flags[4] = {0, 0, 0, 0};

    /// Row k is defined, continuous and bounded over the whole interval.
    bool Clean(int k) const { return (flags[k] & (Enclosure::kMayFail | Enclosure::kMayJump)) == 0 && v[k].IsFinite(); }
    /// Row k is defined nowhere in the interval.
    bool Empty(int k) const { return (flags[k] & Enclosure::kMustFail) != 0 || v[k].IsEmpty(); }
    /// Row k is not 0 wherever it is defined in the interval: its values
    /// keep one sign, also across a failure or a jump.
    bool Excludes0(int k) const { return !v[k].IsEmpty() && !v[k].Contains(0); }
};

/// What the proofs of the analysis evaluate: one curve, or the difference of
/// two. Enclosures come in three depths (rows 0-1, 0-2 and 0-3) so that the
/// cheap ones stay cheap; points always give rows 0-2.
class JetSource
{
public:
    virtual ~JetSource() = default;
    /// Enclosures over each of `count` finite intervals, `rows` (2 to 4) rows each.
    virtual void Enclose(const Interval* xs, std::size_t count, int rows, Jet* out) = 0;
    /// The rows at each of `count` arguments, as sampling computes row 0.
    virtual void Evaluate(const double* xs, std::size_t count, PointJet* out) = 0;
};

/// One curve: the formula with its derivative order (0 to 2) in the chart's
/// angle unit. Row 0 at a point is the sample recalculation computes there,
/// to the last bit.
///
/// Each depth of enclosure has a compiled formula of its own, so that
/// switching between them never rebuilds the engine's Taylor arithmetic. Use
/// from one thread at a time.
class CurveJet : public JetSource
{
public:
    CurveJet(const std::string& formula, int32_t order, bool degrees);

    void Enclose(const Interval* xs, std::size_t count, int rows, Jet* out) override;
    void Evaluate(const double* xs, std::size_t count, PointJet* out) override;

    int32_t order() const { return m_nOrder; }

private:
    int32_t m_nOrder;
    Function m_depths[3]; ///< enclosures of 2, 3 and 4 rows; the middle one also evaluates points
};

/// The first curve minus the second, row by row: its zeros are where they
/// meet. The flags of a row are those of either curve.
class DifferenceJet : public JetSource
{
public:
    DifferenceJet(CurveJet& first, CurveJet& second) : m_first(first), m_second(second) {}

    void Enclose(const Interval* xs, std::size_t count, int rows, Jet* out) override;
    void Evaluate(const double* xs, std::size_t count, PointJet* out) override;

private:
    CurveJet& m_first;
    CurveJet& m_second;
};

/// Row k of a minus row k of b, flags joined.
Jet Difference(const Jet& a, const Jet& b, int rows);
PointJet Difference(const PointJet& a, const PointJet& b);
