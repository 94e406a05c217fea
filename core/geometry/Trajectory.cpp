#include "geometry/Trajectory.h"

#include "geometry/ArcCheck.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace pos {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// a reduced to [0, 2 pi).
double NormAngle(double a)
{
    double d = std::fmod(a, kTwoPi);
    if (d < 0.0)
        d += kTwoPi;
    if (d >= kTwoPi)
        d = 0.0;
    return d;
}

// True when the arc of p passes the direction a.
bool ArcCovers(const TrajectoryPrimitive &p, double a)
{
    if (p.sweep >= 0.0)
        return NormAngle(a - p.startAngle) <= p.sweep;
    return NormAngle(p.startAngle - a) <= -p.sweep;
}

Vec2 ToVec(std::int64_t x, std::int64_t y)
{
    // Exact: running positions stay far below 2^53.
    return {static_cast<double>(x), static_cast<double>(y)};
}

void MakeLine(TrajectoryPrimitive &p)
{
    p.kind = PrimitiveKind::Line;
    p.centre = {};
    p.radius = 0.0;
    p.startAngle = 0.0;
    p.sweep = 0.0;
}

// Arc about a known centre from p.start in the given direction to the angle
// of p.end; the end at the start's angle gives a full circle.
void MakeCentreArc(TrajectoryPrimitive &p, Vec2 centre, bool clockwise)
{
    p.kind = PrimitiveKind::Arc;
    p.centre = centre;
    const double bx = p.start.x - centre.x;
    const double by = p.start.y - centre.y;
    p.radius = std::hypot(bx, by);
    p.startAngle = std::atan2(by, bx);
    const double endAngle = std::atan2(p.end.y - centre.y, p.end.x - centre.x);
    const double ccw = NormAngle(endAngle - p.startAngle); // [0, 2 pi)
    if (clockwise)
        p.sweep = ccw > 0.0 ? ccw - kTwoPi : -kTwoPi;
    else
        p.sweep = ccw > 0.0 ? ccw : kTwoPi;
}

// Arc from begin through pass to end; false when the three points lie on one
// straight line.
bool MakePassArc(TrajectoryPrimitive &p, std::int64_t bx, std::int64_t by, std::int64_t px,
                 std::int64_t py, std::int64_t ex, std::int64_t ey)
{
    if (!PassThroughArcExists(bx, by, px, py, ex, ey))
        return false;
    // Within one segment the differences are those of 32-bit values (or the
    // incremental values themselves), so they and their cross product are exact.
    __extension__ using Wide = __int128;
    const std::int64_t ax = px - bx;
    const std::int64_t ay = py - by;
    const std::int64_t cx = ex - bx;
    const std::int64_t cy = ey - by;
    const Wide cross = Wide{ax} * cy - Wide{ay} * cx;

    // Circumcentre relative to the begin point.
    const double dax = static_cast<double>(ax);
    const double day = static_cast<double>(ay);
    const double dcx = static_cast<double>(cx);
    const double dcy = static_cast<double>(cy);
    const double d = 2.0 * static_cast<double>(cross);
    const double a2 = dax * dax + day * day;
    const double c2 = dcx * dcx + dcy * dcy;
    const double ux = (dcy * a2 - day * c2) / d;
    const double uy = (dax * c2 - dcx * a2) / d;

    p.kind = PrimitiveKind::Arc;
    p.centre = {p.start.x + ux, p.start.y + uy};
    p.radius = std::hypot(ux, uy);
    p.startAngle = std::atan2(-uy, -ux);
    const double endAngle = std::atan2(p.end.y - p.centre.y, p.end.x - p.centre.x);
    const double ccw = NormAngle(endAngle - p.startAngle);
    // Begin, pass and end turning left means the arc through them runs
    // counter-clockwise.
    if (cross > 0)
        p.sweep = ccw > 0.0 ? ccw : kTwoPi;
    else
        p.sweep = ccw > 0.0 ? ccw - kTwoPi : -kTwoPi;
    return true;
}

double PointSegmentDistance(Vec2 q, Vec2 a, Vec2 b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = 0.0;
    if (len2 > 0.0)
        t = std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0);
    return std::hypot(q.x - (a.x + t * dx), q.y - (a.y + t * dy));
}

// Liang-Barsky: clips a..b to the box; false when nothing is left.
bool ClipLine(Vec2 &a, Vec2 &b, const BoundingBox &box)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t0 = 0.0;
    double t1 = 1.0;
    const double ps[4] = {-dx, dx, -dy, dy};
    const double qs[4] = {a.x - box.minX, box.maxX - a.x, a.y - box.minY, box.maxY - a.y};
    for (int i = 0; i < 4; ++i) {
        if (ps[i] == 0.0) {
            if (qs[i] < 0.0)
                return false;
            continue;
        }
        const double r = qs[i] / ps[i];
        if (ps[i] < 0.0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return false;
    }
    const Vec2 a0 = a;
    a = {a0.x + t0 * dx, a0.y + t0 * dy};
    b = {a0.x + t1 * dx, a0.y + t1 * dy};
    return true;
}

void AppendArcRun(Vec2 c, double r, double a0, double a1, double tolerance, ViewPolylines &out)
{
    const double span = a1 - a0;
    if (!(span >= 0.0))
        return;
    double step = kPi / 4.0;
    if (r > tolerance)
        step = std::min(step, 2.0 * std::acos(1.0 - tolerance / r));
    const double want = std::ceil(span / step);
    const int n = static_cast<int>(std::clamp(want, 1.0, 4096.0));
    for (int j = 0; j <= n; ++j) {
        const double a = a0 + span * j / n;
        // View Y grows downwards.
        out.points.push_back({c.x + r * std::cos(a), c.y - r * std::sin(a)});
    }
    out.runEnds.push_back(out.points.size());
}

} // namespace

std::vector<TrajectoryPrimitive> BuildTrajectory(std::span<const TrajectoryInput> segments,
                                                 int actionMode)
{
    const bool absolute = actionMode == 1;
    std::vector<TrajectoryPrimitive> out;
    out.reserve(segments.size());
    std::int64_t x = 0; // where the next segment begins
    std::int64_t y = 0;
    int number = 0;
    for (const TrajectoryInput &s : segments) {
        // Incremental points are relative to where the segment begins.
        const std::int64_t baseX = absolute ? 0 : x;
        const std::int64_t baseY = absolute ? 0 : y;
        const std::int64_t ex = baseX + s.endX;
        const std::int64_t ey = baseY + s.endY;
        const std::int64_t cx = baseX + s.centreX;
        const std::int64_t cy = baseY + s.centreY;

        TrajectoryPrimitive p;
        p.segment = ++number;
        p.travel = s.travel;
        p.start = ToVec(x, y);
        p.end = ToVec(ex, ey);
        MakeLine(p);
        if (s.type == 2 || s.type == 3) {
            if (s.centreMode == 1) {
                if (!MakePassArc(p, x, y, cx, cy, ex, ey))
                    MakeLine(p);
            } else if (cx != x || cy != y) {
                MakeCentreArc(p, ToVec(cx, cy), s.type == 2);
            }
        }
        out.push_back(p);
        x = ex;
        y = ey;
    }
    return out;
}

std::vector<TrajectoryPrimitive> PrimitivesOf(std::span<const geo::Curve> curves)
{
    std::vector<TrajectoryPrimitive> out;
    out.reserve(curves.size());
    for (const geo::Curve &c : curves) {
        TrajectoryPrimitive p;
        p.segment = static_cast<int>(out.size()) + 1;
        p.travel = c.travel;
        p.start = {c.begin.x, c.begin.y};
        p.end = {c.end.x, c.end.y};
        if (c.arc && c.radius() > 0.0) {
            p.kind = PrimitiveKind::Arc;
            p.centre = {c.centre.x, c.centre.y};
            p.radius = c.radius();
            p.startAngle = std::atan2(c.begin.y - c.centre.y, c.begin.x - c.centre.x);
            p.sweep = c.ccw ? c.sweep() : -c.sweep();
        }
        out.push_back(p);
    }
    return out;
}

Vec2 DrawnEnd(const TrajectoryPrimitive &p)
{
    if (p.kind == PrimitiveKind::Line)
        return p.end;
    return PointAt(p, 1.0);
}

Vec2 PointAt(const TrajectoryPrimitive &p, double t)
{
    if (p.kind == PrimitiveKind::Line)
        return {p.start.x + t * (p.end.x - p.start.x), p.start.y + t * (p.end.y - p.start.y)};
    if (t == 0.0)
        return p.start;
    const double a = p.startAngle + t * p.sweep;
    return {p.centre.x + p.radius * std::cos(a), p.centre.y + p.radius * std::sin(a)};
}

Vec2 DirectionAt(const TrajectoryPrimitive &p, double t)
{
    if (p.kind == PrimitiveKind::Line) {
        const double dx = p.end.x - p.start.x;
        const double dy = p.end.y - p.start.y;
        const double len = std::hypot(dx, dy);
        if (len == 0.0)
            return {};
        return {dx / len, dy / len};
    }
    const double a = p.startAngle + t * p.sweep;
    const double sign = p.sweep < 0.0 ? -1.0 : 1.0;
    return {-sign * std::sin(a), sign * std::cos(a)};
}

double DrawnLength(const TrajectoryPrimitive &p)
{
    if (p.kind == PrimitiveKind::Line)
        return std::hypot(p.end.x - p.start.x, p.end.y - p.start.y);
    return p.radius * std::fabs(p.sweep);
}

void BoundingBox::add(Vec2 p)
{
    if (empty) {
        minX = maxX = p.x;
        minY = maxY = p.y;
        empty = false;
        return;
    }
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
}

BoundingBox PrimitiveBounds(const TrajectoryPrimitive &p)
{
    BoundingBox box;
    box.add(p.start);
    if (p.kind == PrimitiveKind::Line) {
        box.add(p.end);
        return box;
    }
    box.add(DrawnEnd(p));
    const Vec2 extremes[4] = {{1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}, {0.0, -1.0}};
    for (int k = 0; k < 4; ++k) {
        if (ArcCovers(p, k * (kPi / 2.0)))
            box.add({p.centre.x + p.radius * extremes[k].x, p.centre.y + p.radius * extremes[k].y});
    }
    return box;
}

BoundingBox TrajectoryBounds(std::span<const TrajectoryPrimitive> primitives)
{
    BoundingBox box;
    box.add({0.0, 0.0});
    for (const TrajectoryPrimitive &p : primitives) {
        const BoundingBox b = PrimitiveBounds(p);
        box.add({b.minX, b.minY});
        box.add({b.maxX, b.maxY});
    }
    return box;
}

double DistanceTo(const TrajectoryPrimitive &p, Vec2 point)
{
    if (p.kind == PrimitiveKind::Line)
        return PointSegmentDistance(point, p.start, p.end);
    const double vx = point.x - p.centre.x;
    const double vy = point.y - p.centre.y;
    const double d = std::hypot(vx, vy);
    if (d > 0.0 && ArcCovers(p, std::atan2(vy, vx)))
        return std::fabs(d - p.radius);
    const Vec2 e = DrawnEnd(p);
    return std::min(std::hypot(point.x - p.start.x, point.y - p.start.y),
                    std::hypot(point.x - e.x, point.y - e.y));
}

int HitTest(std::span<const TrajectoryPrimitive> primitives, Vec2 point, double tolerance)
{
    int best = -1;
    double bestDistance = tolerance;
    for (std::size_t i = 0; i < primitives.size(); ++i) {
        const double d = DistanceTo(primitives[i], point);
        if (d < bestDistance || (best < 0 && d <= tolerance)) {
            best = static_cast<int>(i);
            bestDistance = d;
        }
    }
    return best;
}

ViewTransform FitView(const BoundingBox &box, double width, double height, double margin)
{
    BoundingBox b = box;
    if (b.empty)
        b.add({0.0, 0.0});
    const double availW = std::max(width - 2.0 * margin, 1.0);
    const double availH = std::max(height - 2.0 * margin, 1.0);
    const double bw = b.width();
    const double bh = b.height();
    double scale = 1.0;
    if (bw > 0.0 || bh > 0.0) {
        const double inf = std::numeric_limits<double>::infinity();
        scale = std::min(bw > 0.0 ? availW / bw : inf, bh > 0.0 ? availH / bh : inf);
    }
    if (!std::isfinite(scale) || scale <= 0.0)
        scale = 1.0;
    const double cx = b.minX + bw / 2.0;
    const double cy = b.minY + bh / 2.0;
    return {scale, width / 2.0 - scale * cx, height / 2.0 + scale * cy};
}

ViewTransform ZoomAbout(const ViewTransform &t, double factor, Vec2 viewPoint)
{
    if (!std::isfinite(factor) || factor <= 0.0)
        return t;
    return {t.scale * factor, viewPoint.x - factor * (viewPoint.x - t.offsetX),
            viewPoint.y - factor * (viewPoint.y - t.offsetY)};
}

ViewTransform Pan(const ViewTransform &t, double dx, double dy)
{
    return {t.scale, t.offsetX + dx, t.offsetY + dy};
}

void FlattenForView(const TrajectoryPrimitive &p, const ViewTransform &t, const BoundingBox &clip,
                    double tolerance, ViewPolylines &out)
{
    if (clip.empty || !(t.scale > 0.0) || !std::isfinite(t.scale) || !(tolerance > 0.0))
        return;
    if (p.kind == PrimitiveKind::Line) {
        Vec2 a = t.toView(p.start);
        Vec2 b = t.toView(p.end);
        if (!ClipLine(a, b, clip))
            return;
        out.points.push_back(a);
        out.points.push_back(b);
        out.runEnds.push_back(out.points.size());
        return;
    }

    const Vec2 c = t.toView(p.centre);
    const double r = p.radius * t.scale;
    // Distances from the centre to the nearest and the farthest point of the
    // clip box: a circle outside that ring misses the box.
    const double nx = std::max({clip.minX - c.x, 0.0, c.x - clip.maxX});
    const double ny = std::max({clip.minY - c.y, 0.0, c.y - clip.maxY});
    const double near = std::hypot(nx, ny);
    const double fx = std::max(std::fabs(c.x - clip.minX), std::fabs(c.x - clip.maxX));
    const double fy = std::max(std::fabs(c.y - clip.minY), std::fabs(c.y - clip.maxY));
    const double far = std::hypot(fx, fy);
    if (r < near || r > far)
        return;

    const double lo = std::min(p.startAngle, p.startAngle + p.sweep);
    const double hi = std::max(p.startAngle, p.startAngle + p.sweep);
    if (near == 0.0) {
        AppendArcRun(c, r, lo, hi, tolerance, out);
        return;
    }
    // The centre lies outside the box: only the directions (world angles,
    // Y upwards) towards the box can hold visible points.
    const auto worldAngle = [&c](double x, double y) { return std::atan2(c.y - y, x - c.x); };
    const double mid = worldAngle((clip.minX + clip.maxX) / 2.0, (clip.minY + clip.maxY) / 2.0);
    double d0 = 0.0;
    double d1 = 0.0;
    const double xs[2] = {clip.minX, clip.maxX};
    const double ys[2] = {clip.minY, clip.maxY};
    for (double x : xs) {
        for (double y : ys) {
            const double d = std::remainder(worldAngle(x, y) - mid, kTwoPi);
            d0 = std::min(d0, d);
            d1 = std::max(d1, d);
        }
    }
    for (int k = -2; k <= 2; ++k) {
        const double w0 = mid + d0 + k * kTwoPi;
        const double w1 = mid + d1 + k * kTwoPi;
        const double a0 = std::max(lo, w0);
        const double a1 = std::min(hi, w1);
        if (a0 <= a1)
            AppendArcRun(c, r, a0, a1, tolerance, out);
    }
}

} // namespace pos
