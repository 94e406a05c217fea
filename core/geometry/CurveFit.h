#pragma once

// Free-form curves as lines and circular arcs, and the thinning of long runs
// of short lines. Every function keeps its result within tol of what it
// replaces: no point of the result lies further than tol from the original
// curve, and no point of the original further than tol from the result.
// Results are continuous: each curve begins exactly where the one before it
// ends, the first begins at the curve's start and the last ends at its end.

#include "geometry/Curve.h"

#include <cstddef>
#include <numbers>
#include <vector>

namespace pos::geo {

// Bounds of every call. A span of a free-form curve is halved at most
// kFitMaxDepth times, and not once its parameter range nears the resolution
// of a double at its values; once a call has made kFitMaxCurves curves it halves no
// further, and each remaining span gets the best single fit it has (which may
// then lie outside tol). A tol finer than a billionth of the curve's size is
// raised to that, since double precision cannot honour it.
inline constexpr int kFitMaxDepth = 30;
inline constexpr std::size_t kFitMaxCurves = 65536;
// NURBS of a higher degree are refused (empty list).
inline constexpr int kNurbsMaxDegree = 24;
// SimplifyRun never makes an arc that turns further than this (radians), nor
// one whose radius exceeds kFitMaxRadiusRatio times its chord.
inline constexpr double kFitMaxSweep = 350.0 / 180.0 * std::numbers::pi;
inline constexpr double kFitMaxRadiusRatio = 1.0e4;

// Free-form curves come out as biarcs: pairs of tangent-continuous circular
// arcs fitted between two points of the curve and its directions there, the
// span halved at its middle parameter until the pair lies within tol. Spans
// that are straight within tol become single lines. The distance is measured
// both ways on samples: at least 24 points of the curve per span and 8 per
// polynomial piece it covers (at most 256; a span covering more pieces is
// halved unfitted), and points of the fit whose feet on the curve are found
// by Gauss-Newton steps. Of tol, 90% may be used at the samples.

// The elliptical arc centre + u cos t + v sin t for t from t0 to t1 (radians,
// t1 > t0, at most one turn apart). u and v are conjugate semi-diameters:
// any two vectors that are not parallel (an ellipse seen at an angle or
// scaled unevenly has no right angle between them). Parallel or zero u and
// v give the straight lines the path then follows (nothing for a point).
// The first curve begins exactly at the point at t0; a full turn (t1 - t0 of
// 2 pi or more) ends exactly where it began. A circle (u and v of one length
// at a right angle) comes out as exact arcs of at most a quarter turn.
// Non-finite input, t1 <= t0 or tol <= 0 give an empty list.
Curves ApproximateEllipse(Vec centre, Vec u, Vec v, double t0, double t1, double tol);

// A NURBS curve of the given degree (1 or more): knots (control.size() +
// degree + 1 of them, not decreasing), weights (empty for all 1, else one
// positive weight per control point), evaluated from knot[degree] to
// knot[control.size()]. Returns an empty list when the data do not make a
// curve (too few control points or knots, decreasing knots, a zero range,
// weights that are not positive, values that are not finite, a degree above
// kNurbsMaxDegree). Interior knots of multiplicity degree or more are corners:
// the result is split there (and joined by a line should the curve jump).
Curves ApproximateNurbs(int degree, const std::vector<double> &knots,
                        const std::vector<double> &weights, const std::vector<Vec> &control,
                        double tol);

// A smooth curve through the points in order (a spline given by fit points
// only): a centripetal Catmull-Rom spline, its end directions those of a
// parabola through the first (last) three points. It passes exactly through
// every point. Fewer than two distinct points, or a point that is not finite,
// give an empty list.
Curves ApproximateThroughPoints(const std::vector<Vec> &points, double tol);

// Figures of SimplifyRun.
struct SimplifyCounts
{
    std::size_t mergedLines = 0; // lines that ceased to exist by joining a neighbour
    std::size_t fittedArcs = 0;  // arcs that replace a run of lines
    std::size_t fittedLines = 0; // lines those arcs replace
};

// Thins one continuous run of curves in place: consecutive lines that lie
// on one straight line within tol become one line, and runs of three or
// more lines whose vertices and edges lie within tol of one circular arc
// become that arc. Arcs of the input are kept as they are; travel curves are
// kept and never merged across, nor is a gap between two curves. Greedy from
// the start: at each line the longer of the straight and the arc fit wins (the
// straight one on a tie). The run stays continuous and keeps its first begin
// point and its last end point. tol <= 0 or not finite leaves it unchanged.
void SimplifyRun(Curves &run, double tol, SimplifyCounts &counts);

} // namespace pos::geo
