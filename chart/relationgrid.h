#pragma once

#include "engine/interval.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// What the pixel grid of a relation asks of its formula F(x, y) (chart
/// units): enclosures over boxes and values at points, many at a time.
class RelationFunction
{
public:
    virtual ~RelationFunction() = default;
    /// out[i] holds F over the box xs[i] x ys[i] where F is defined there;
    /// flags[i] are its Enclosure bits (may fail, fails everywhere, may jump).
    virtual void Enclose(const Interval* xs, const Interval* ys, std::size_t count, Interval* out,
                         uint8_t* flags) = 0;
    /// out[i] = F(xs[i], ys[i]); failed[i] set where F is not defined.
    virtual void Evaluate(const double* xs, const double* ys, std::size_t count, double* out,
                          uint8_t* failed) = 0;
};

/// How F compares with 0 where the relation holds.
enum class RelationSign : uint8_t {
    kEqual,        ///< F = 0: a curve
    kLess,         ///< F < 0: a region without its boundary
    kLessEqual,    ///< F <= 0: a region with its boundary
    kGreater,
    kGreaterEqual,
};

/// One comparison of a relation; a relation holds where all of its
/// comparisons hold (a chain 1 < G < 4 is two of them).
struct RelationCondition
{
    RelationFunction* m_pFunction;
    RelationSign m_sign;
};

/// The chart's x and y ranges over a grid of pixels: pixel (i, j), j from
/// the top, covers x from X(i) to X(i + 1) and y from Y(j + 1) to Y(j).
struct RelationView
{
    double xMin;
    double xMax;
    double yMin;
    double yMax;
    int width;  ///< pixels, at least 1
    int height; ///< pixels, at least 1

    double X(int i) const { return i >= width ? xMax : xMin + i * ((xMax - xMin) / width); }
    double Y(int j) const { return j >= height ? yMin : yMax - j * ((yMax - yMin) / height); }
};

/// A point in pixel coordinates: x to the right, y down, pixel (i, j) the
/// unit square from (i, j) to (i + 1, j + 1).
struct RelationPoint
{
    double x;
    double y;
};

/// What a relation looks like on a grid of pixels, decided by interval
/// enclosures: a pixel is empty only where the enclosures prove that the
/// relation does not hold anywhere in it, a curve pixel only where a sign
/// change of F inside it (F continuous there) proves that the curve passes
/// through, a region is inside only where the enclosures prove that it holds
/// throughout. Whatever they cannot decide is undecided, never dropped.
struct RelationPixels
{
    enum : uint8_t {
        kEmpty = 0,     ///< the relation holds nowhere in the pixel
        kCurve = 1,     ///< a curve F = 0 (an equation, or a region's boundary) passes through
        kInside = 2,    ///< a region holds in the whole pixel
        kBoundary = 3,  ///< a region holds in part of the pixel
        kUndecided = 4, ///< the enclosures could not decide (beside a pole or a jump)
    };

    int m_nWidth = 0;
    int m_nHeight = 0;
    /// One state per pixel, row by row from the top.
    std::vector<uint8_t> m_pixels;
    /// For a region: the share of each pixel where it provably holds, 0 to
    /// 255 (255 inside, 0 empty, between for the boundary).
    std::vector<uint8_t> m_coverage;
    /// The curve, or each boundary curve of a region, traced through the
    /// sign changes of F at the corners of its pixels, in pixel coordinates.
    std::vector<std::vector<RelationPoint>> m_paths;
    /// Curve pixels that no traced path crosses: a part of the curve smaller
    /// than a pixel (a tiny circle, a touching point), drawn as the pixel.
    std::vector<uint32_t> m_dots; ///< j * width + i
    /// The evaluation budget ran out before every pixel was decided; the
    /// pixels not reached are undecided.
    bool m_bTruncated = false;

    uint8_t At(int i, int j) const { return m_pixels[static_cast<std::size_t>(j) * m_nWidth + i]; }
};

/// Decides the pixels of a relation: boxes of pixels are enclosed a level of
/// a quadtree at a time, down to pixels and then to a sixteenth of a pixel
/// in each direction. At most `budget` enclosures (about 40 ns each for a
/// short formula); view.width * view.height must not exceed kMaxPixels.
class RelationGrid
{
public:
    static constexpr std::size_t kMaxPixels = 16u << 20;
    static constexpr std::size_t kDefaultBudget = 8u << 20;

    static RelationPixels Solve(const std::vector<RelationCondition>& conditions,
                                const RelationView& view, std::size_t budget = kDefaultBudget);
};
