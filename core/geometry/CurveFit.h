#pragma once

// Free-form curves as lines and circular arcs, and the thinning of long runs
// of short lines. Every function keeps its result within tol of what it
// replaces: no point of the result lies further than tol from the original
// curve, and no point of the original further than tol from the result.
// Results are continuous: each curve begins exactly where the one before it
// ends, the first begins at the curve's start and the last ends at its end.

#include "geometry/Curve.h"

#include <cstddef>
#include <vector>

namespace pos::geo {

// The elliptical arc centre + u cos t + v sin t for t from t0 to t1 (radians,
// t1 > t0, at most one turn apart). u and v are conjugate semi-diameters:
// any two vectors that are not parallel (an ellipse seen at an angle or
// scaled unevenly has no right angle between them). Parallel or zero u and
// v give the straight lines the path then follows.
Curves ApproximateEllipse(Vec centre, Vec u, Vec v, double t0, double t1, double tol);

// A NURBS curve of the given degree (1 or more): knots (control.size() +
// degree + 1 of them, not decreasing), weights (empty for all 1, else one
// positive weight per control point), evaluated from knot[degree] to
// knot[control.size()]. Returns an empty list when the data do not make a
// curve (too few control points or knots, decreasing knots, a zero range,
// weights that are not positive).
Curves ApproximateNurbs(int degree, const std::vector<double> &knots,
                        const std::vector<double> &weights, const std::vector<Vec> &control,
                        double tol);

// A smooth curve through the points in order (a spline given by fit points
// only). Fewer than two distinct points give an empty list.
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
// become that arc. Arcs of the input are kept as they are. The run stays
// continuous and keeps its first begin point and its last end point.
void SimplifyRun(Curves &run, double tol, SimplifyCounts &counts);

} // namespace pos::geo
