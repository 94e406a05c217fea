#pragma once

// The trajectory as the PLC moves it: the chain of straight lines and arcs
// built from the segments' end and circle points, in world coordinates (the
// segments' own units, X to the right, Y upwards), and the pure mapping from
// world coordinates to a view in pixels (X to the right, Y downwards).
//
// Angles are in radians, counted counter-clockwise from the positive X axis
// as seen with Y upwards; an arc's sweep is positive counter-clockwise and
// negative clockwise.

#include "geometry/Curve.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pos {

struct Vec2
{
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const Vec2 &, const Vec2 &) = default;
};

// One segment as the trajectory view receives it.
struct TrajectoryInput
{
    std::int32_t type = 0;       // 1 line, 2 clockwise arc, 3 counter-clockwise arc; else a line
    std::int32_t centreMode = 0; // 0: the circle point is the centre; 1: a pass-through point
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    std::int32_t centreX = 0; // circle point (arcs only)
    std::int32_t centreY = 0;
    bool travel = false; // a move between contours: drawn dashed

    friend bool operator==(const TrajectoryInput &, const TrajectoryInput &) = default;
};

enum class PrimitiveKind { Line, Arc };

// What one segment draws.
struct TrajectoryPrimitive
{
    PrimitiveKind kind = PrimitiveKind::Line;
    Vec2 start; // where the segment begins: the end of the one before, or the origin
    Vec2 end;   // where the segment ends: its end point, made absolute
    // Arcs only. The arc starts at start (on the circle by construction) and
    // sweeps to the angle of the end point; when the end point is slightly
    // off the circle, the arc ends on the circle at that angle and end stays
    // the point the next segment begins from.
    Vec2 centre;
    double radius = 0.0;
    double startAngle = 0.0;
    double sweep = 0.0;  // signed: positive counter-clockwise, negative clockwise
    int segment = 0;     // 1-based segment number
    bool travel = false; // a move between contours that cuts nothing
};

// Builds the chain. actionMode 1 is absolute: every end and circle point is
// taken as given and each segment starts where the one before ended (the
// first at the origin). Any other action mode is incremental: the end point
// and the circle point are relative to where the segment begins.
//
// Arcs (type 2 clockwise, type 3 counter-clockwise):
// - centre mode 0: the circle point is the centre; the radius comes from the
//   begin point; an end point at the begin point's angle (in particular the
//   begin point itself) gives a full circle;
// - centre mode 1: the arc starts at the begin point, passes through the
//   circle point and ends at the end point; its direction follows from the
//   three points. Points that are not distinct or lie on one straight line
//   give a straight line from the begin point to the end point;
// - a begin point on the centre gives a straight line.
// Type 0 and unknown types are straight lines.
std::vector<TrajectoryPrimitive> BuildTrajectory(std::span<const TrajectoryInput> segments,
                                                 int actionMode);

// What a chain of curves draws, as it stands (the arranged drawing before
// its points are rounded): one primitive per curve, numbered from 1.
std::vector<TrajectoryPrimitive> PrimitivesOf(std::span<const geo::Curve> curves);

// Where the arc drawn for p ends (on its circle); for a line, p.end.
Vec2 DrawnEnd(const TrajectoryPrimitive &p);
// The point at fraction t (0..1) of the way along p, by length.
Vec2 PointAt(const TrajectoryPrimitive &p, double t);
// Unit direction of travel at fraction t; (0, 0) for a line of zero length.
Vec2 DirectionAt(const TrajectoryPrimitive &p, double t);
// Length of what p draws, in world units.
double DrawnLength(const TrajectoryPrimitive &p);

// An axis-aligned box; empty until a point is added.
struct BoundingBox
{
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 0.0;
    double maxY = 0.0;
    bool empty = true;

    void add(Vec2 p);
    double width() const { return empty ? 0.0 : maxX - minX; }
    double height() const { return empty ? 0.0 : maxY - minY; }
    bool contains(Vec2 p) const
    {
        return !empty && p.x >= minX && p.x <= maxX && p.y >= minY && p.y <= maxY;
    }
    bool intersects(const BoundingBox &o) const
    {
        return !empty && !o.empty && o.minX <= maxX && o.maxX >= minX && o.minY <= maxY
               && o.maxY >= minY;
    }
};

// Box of what p draws: ends, and for arcs the extreme points of the circle
// that the arc passes.
BoundingBox PrimitiveBounds(const TrajectoryPrimitive &p);
// Box of the whole chain, the origin always included.
BoundingBox TrajectoryBounds(std::span<const TrajectoryPrimitive> primitives);

// Distance from a world point to what p draws.
double DistanceTo(const TrajectoryPrimitive &p, Vec2 point);
// Index of the primitive nearest to point within tolerance (world units), or
// -1. On equal distances the lower index wins.
int HitTest(std::span<const TrajectoryPrimitive> primitives, Vec2 point, double tolerance);

// World to view: view = (offsetX + scale * x, offsetY - scale * y). Equal
// axes by construction; Y upwards in the world is upwards on the screen.
struct ViewTransform
{
    double scale = 1.0; // pixels per world unit
    double offsetX = 0.0;
    double offsetY = 0.0;

    Vec2 toView(Vec2 w) const { return {offsetX + scale * w.x, offsetY - scale * w.y}; }
    Vec2 toWorld(Vec2 v) const { return {(v.x - offsetX) / scale, (offsetY - v.y) / scale}; }

    friend bool operator==(const ViewTransform &, const ViewTransform &) = default;
};

// The largest scale at which box fits a width x height viewport with margin
// pixels on every side, the box centred. A box without extent (a point, or
// empty: taken as the origin) is shown at one pixel per unit.
ViewTransform FitView(const BoundingBox &box, double width, double height, double margin);
// Scales by factor keeping the world point under viewPoint where it is.
ViewTransform ZoomAbout(const ViewTransform &t, double factor, Vec2 viewPoint);
// Moves the picture by (dx, dy) pixels.
ViewTransform Pan(const ViewTransform &t, double dx, double dy);

// Polylines in view coordinates, appended run by run; reuse one across
// paints to avoid allocations.
struct ViewPolylines
{
    std::vector<Vec2> points;
    std::vector<std::size_t> runEnds; // run i is points[runEnds[i-1] .. runEnds[i])

    void clear()
    {
        points.clear();
        runEnds.clear();
    }
};

// Appends the part of p that lies within clip (a box in view coordinates) as
// view polylines; arcs are flattened to within tolerance pixels. Only the
// visible part is produced, so far-off or huge primitives stay cheap and
// hand the painter no huge coordinates.
void FlattenForView(const TrajectoryPrimitive &p, const ViewTransform &t, const BoundingBox &clip,
                    double tolerance, ViewPolylines &out);

} // namespace pos
