#pragma once

#include <cstddef>
#include <vector>

class Curve;
class EvaluationBudget;

/// A signed area with the bound of its error (chart units squared).
struct AreaAnswer
{
    double value;
    double error;
};

/// The integral of one curve over a ... b.
///
/// The samples at the arguments xs (over a ... b) find where the curve breaks:
/// a sample that fails between defined ones, a sign change across a pole or a
/// jump, a spike of one sign. The pieces between the breaks are integrated by
/// adaptive Gauss-Kronrod and, where that does not converge (a singular end),
/// by tanh-sinh, which never evaluates an end. The error is the sum of the
/// pieces' estimates, the rounding of their sum, and a bound on what lies
/// between each end and the nearest double to it (where a singularity sits). Each piece is integrated
/// as two halves from its ends inwards, so a singularity at either end is
/// approached at the full precision of doubles.
///
/// Refused with FunctionContainerException: a curve undefined on a part of
/// the interval (two failing samples in a row, or failures that are not
/// isolated points) with "Funkcja nie jest określona w całym przedziale"; a
/// break or an end where t * |f| does not fall as the distance t shrinks
/// (1/x at 0), or an area that overflows, with "Całka jest rozbieżna".
///
/// More breaks than kMaxPieces - 1 are all checked, but pieces then run
/// across some of them, and the error is the whole integral of |f|.
/// Bounded: at most kMaxPieces pieces, each at most 31 * 2^(kKronrodDepth+1)
/// Gauss-Kronrod and about 2^kTanhSinhLevels * 16 tanh-sinh evaluations,
/// beyond the samples and about 300 evaluations per break.
class CurveArea
{
public:
    static constexpr int kMaxPieces = 32;
    static constexpr unsigned kKronrodDepth = 10;
    static constexpr std::size_t kTanhSinhLevels = 10;

    /// `budget` is the one the curve takes its evaluations from.
    CurveArea(Curve& curve, const EvaluationBudget& budget, double a, double b)
        : m_curve(curve), m_budget(budget), m_a(a), m_b(b)
    {
    }

    AreaAnswer Integrate(const std::vector<double>& xs);

private:
    void FindBreaks(const std::vector<double>& xs);
    bool Isolated(double x) const;
    /// Refuses an end where the integral diverges; returns a bound on the
    /// part between the end and the nearest double beside it.
    double CheckEnd(double end, double width, bool rightward) const;
    void SettleBreaks();
    /// Every end of every piece must be integrable; returns the sum of the
    /// ends' bounds.
    double CheckBreaks() const;
    std::vector<double> Ends(const std::vector<double>& breaks) const;
    struct Piece
    {
        double value;
        double error;
        double size; ///< the integral of |f|
    };
    Piece IntegratePiece(double l, double r);
    Piece IntegrateHalf(double end, double width);

    Curve& m_curve;
    const EvaluationBudget& m_budget;
    double m_a;
    double m_b;
    std::vector<double> m_breaks;
};
