#include "chart/curvearea.h"

#include "chart/chartmessages.h"
#include "chart/curve.h"
#include "chart/functioncontainerexception.h"

#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace {

// Thrown from inside a quadrature where the curve fails at x.
struct PieceFailure
{
    double x;
};

[[noreturn]] void Refuse(const char* message)
{
    throw FunctionContainerException(message);
}

constexpr double kTolerance = 1e-14;

} // namespace

bool CurveArea::Isolated(double x) const
{
    // Defined just beside x on both sides: a single point, which a break
    // there takes out of the integral.
    const double d = std::ldexp(std::fabs(x), -40) + std::ldexp(1.0, -1000);
    double y = 0;
    return (x - d <= m_a || m_curve.At(x - d, y)) && (x + d >= m_b || m_curve.At(x + d, y));
}

void CurveArea::FindBreaks(const std::vector<double>& xs)
{
    std::vector<double> values;
    std::vector<uint8_t> failed;
    m_curve.Sample(xs, values, failed);
    const std::size_t n = xs.size();
    CurvePointFinder finder(m_curve, m_budget);
    for (std::size_t k = 0; k < n; ++k) {
        if (failed[k]) {
            if (k + 1 < n && failed[k + 1])
                Refuse(ChartMessage::kAreaUndefined);
            if (k > 0 && k + 1 < n)
                m_breaks.push_back(xs[k]);
            continue;
        }
        if (k + 1 < n && !failed[k + 1] && values[k] != 0 && values[k + 1] != 0 &&
            (values[k] < 0) != (values[k + 1] < 0)) {
            double x = 0;
            switch (finder.RefineSignChange(xs[k], values[k], xs[k + 1], values[k + 1], x, true)) {
            case CurvePointFinder::Crossing::kZero:
                break;
            case CurvePointFinder::Crossing::kBreak:
                m_breaks.push_back(x);
                break;
            case CurvePointFinder::Crossing::kUndefined:
                if (!Isolated(x))
                    Refuse(ChartMessage::kAreaUndefined);
                m_breaks.push_back(x);
                break;
            }
        }
        // A spike of one sign: a pole the samples only see as a peak of |f|.
        if (k == 0 || k + 1 >= n || failed[k - 1] || failed[k + 1])
            continue;
        std::size_t right = k + 1;
        if (values[right] == values[k] && right + 1 < n && !failed[right + 1])
            ++right;
        const double size = std::fabs(values[k]);
        if (!(size >= 4 * std::fabs(values[k - 1]) && size >= 4 * std::fabs(values[right])))
            continue;
        CurvePoint spike{};
        if (finder.FindSpike(xs[k - 1], xs[right], spike) && !(std::fabs(spike.y) <= 1e6 * size))
            m_breaks.push_back(spike.x);
    }
}

double CurveArea::CheckEnd(double end, double width, bool rightward) const
{
    // t * |f(end + t)| falls to 0 as t shrinks when the curve is integrable
    // there; at a pole like 1/t it stays, at 1/t^2 it grows.
    double previous = -1;
    int steady = 0;
    for (int k = 8; k <= 48; k += 8) {
        const double t = std::ldexp(width, -k);
        const double x = rightward ? end + t : end - t;
        if (x == end)
            break;
        double y = 0;
        if (!m_curve.At(x, y))
            Refuse(ChartMessage::kAreaUndefined);
        const double g = t * std::fabs(y);
        steady = previous > 0 && g >= 0.7 * previous ? steady + 1 : 0;
        previous = g;
    }
    if (steady >= 2)
        Refuse(ChartMessage::kAreaDivergent);
    // The doubles next to the end are as near as the curve can be computed;
    // what lies closer is not in the integral. For an integrable singularity
    // t^-p that part is t * |f| / (1 - p): four times t * |f| bounds it for
    // p up to 3/4, and for a smooth end it is nothing.
    const double nearest = std::nextafter(end, rightward ? m_b : m_a);
    double y = 0;
    if (nearest == end || !m_curve.At(nearest, y))
        return 0;
    const double gap = 4 * std::fabs(nearest - end) * std::fabs(y);
    return std::isfinite(gap) ? gap : 0;
}

CurveArea::Piece CurveArea::IntegrateHalf(double end, double width)
{
    // u runs from the end (u = 0, where a singularity would sit, at full
    // precision) to the middle of the piece (u = 1).
    auto f = [&](double u) {
        const double x = end + u * width;
        // Rounded onto the end itself, where a singularity may sit: a
        // single point weighs nothing.
        if (x == end)
            return 0.0;
        double y = 0;
        if (!m_curve.At(x, y))
            throw PieceFailure{x};
        return y;
    };
    const double scale = std::fabs(width);
    double error = 0, size = 0;
    double value = boost::math::quadrature::gauss_kronrod<double, 31>::integrate(
        f, 0.0, 1.0, kKronrodDepth, kTolerance, &error, &size);
    if (!(error <= 10 * kTolerance * size)) {
        // A singular end: tanh-sinh crowds its points there and never takes it.
        try {
            boost::math::quadrature::tanh_sinh<double> rule(kTanhSinhLevels);
            double otherError = 0, otherSize = 0;
            const double other = rule.integrate(f, 0.0, 1.0, kTolerance, &otherError, &otherSize);
            if (std::isfinite(other) && otherError < error) {
                value = other;
                error = otherError;
                size = otherSize;
            }
        } catch (const std::exception&) {
            // No better answer than Gauss-Kronrod's.
        }
    }
    return {value * scale, error * scale, size * scale};
}

CurveArea::Piece CurveArea::IntegratePiece(double l, double r)
{
    // Two halves, each integrated from its outer end, so that both ends of
    // the piece are approached as closely as doubles allow.
    const double half = r / 2 - l / 2;
    const Piece left = IntegrateHalf(l, half);
    const Piece right = IntegrateHalf(r, -half);
    // A numerical derivative is off by its own error everywhere, which no
    // quadrature sees; its largest at three points of the piece, over the
    // width, bounds that part.
    double own = 0;
    if (m_curve.order() > 0) {
        for (double at : {l + half / 2, l + half, r - half / 2})
            own = std::max(own, m_curve.ValueError(at));
    }
    return {left.value + right.value, left.error + right.error + 2 * half * own,
            left.size + right.size};
}

void CurveArea::SettleBreaks()
{
    std::sort(m_breaks.begin(), m_breaks.end());
    m_breaks.erase(std::unique(m_breaks.begin(), m_breaks.end()), m_breaks.end());
    std::erase_if(m_breaks, [this](double x) { return !(x > m_a && x < m_b); });
}

double CurveArea::CheckBreaks() const
{
    const std::vector<double> ends = Ends(m_breaks);
    double gaps = 0;
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        const double l = ends[i], r = ends[i + 1];
        const double width = r / 2 - l / 2;
        gaps += CheckEnd(l, width, true);
        gaps += CheckEnd(r, width, false);
    }
    return gaps;
}

std::vector<double> CurveArea::Ends(const std::vector<double>& breaks) const
{
    std::vector<double> ends = {m_a};
    ends.insert(ends.end(), breaks.begin(), breaks.end());
    ends.push_back(m_b);
    return ends;
}

AreaAnswer CurveArea::Integrate(const std::vector<double>& xs)
{
    FindBreaks(xs);
    // A width beyond the largest double is halved first.
    if (!std::isfinite(m_b - m_a))
        m_breaks.push_back(m_a / 2 + m_b / 2);
    SettleBreaks();
    double gaps = CheckBreaks();
    for (int attempt = 0; attempt < kMaxPieces; ++attempt) {
        // More breaks than pieces (a curve that jumps at every step): the
        // pieces run across some of them, and their error estimates say so.
        std::vector<double> breaks;
        const std::size_t count = m_breaks.size();
        const std::size_t kept = std::min<std::size_t>(count, kMaxPieces - 1);
        for (std::size_t i = 0; i < kept; ++i)
            breaks.push_back(m_breaks[i * count / kept]);
        const bool across = kept < count;
        const std::vector<double> ends = Ends(breaks);
        try {
            double value = 0, error = 0, size = 0;
            for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
                const Piece piece = IntegratePiece(ends[i], ends[i + 1]);
                value += piece.value;
                // Across a break no estimate can be trusted: only the whole
                // size of the piece bounds the error.
                error += across ? piece.size : piece.error;
                size += piece.size;
            }
            // Rounding: of the values, their positions and the sums over
            // the nested subintervals of the rules.
            error += gaps + 64 * std::numeric_limits<double>::epsilon() * size;
            if (!std::isfinite(value) || !std::isfinite(error))
                Refuse(ChartMessage::kAreaDivergent);
            return {value, error};
        } catch (const PieceFailure& failure) {
            if (!Isolated(failure.x))
                Refuse(ChartMessage::kAreaUndefined);
            m_breaks.push_back(failure.x);
            SettleBreaks();
            gaps = CheckBreaks();
        }
    }
    Refuse(ChartMessage::kAreaUndefined);
}
