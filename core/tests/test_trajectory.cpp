#include "geometry/Trajectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

using namespace pos;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TrajectoryInput Line(std::int32_t x, std::int32_t y)
{
    return {1, 0, x, y, 0, 0};
}

TrajectoryInput Arc(std::int32_t type, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, std::int32_t mode = 0)
{
    return {type, mode, x, y, cx, cy};
}

std::vector<TrajectoryPrimitive> Build(const std::vector<TrajectoryInput> &in, int mode = 1)
{
    return BuildTrajectory(in, mode);
}

::testing::AssertionResult Near(Vec2 actual, Vec2 expected, double tol = 1e-6)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

BoundingBox Box(Vec2 a, Vec2 b)
{
    BoundingBox box;
    box.add(a);
    box.add(b);
    return box;
}

// A line to (20000, 0), then clockwise about (20000, 10000) to (30000, 10000).
const std::vector<TrajectoryInput> kExample = {Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)};

} // namespace

// --- Building the chain -----------------------------------------------------

TEST(BuildTrajectory, IncrementalPointsAreRelativeToWhereTheSegmentBegins)
{
    const auto abs = Build(kExample, 1);
    const auto inc = Build({Line(20000, 0), Arc(2, 10000, 10000, 0, 10000)}, 0);
    for (const auto &p : {abs, inc}) {
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(p[0].kind, PrimitiveKind::Line);
        EXPECT_TRUE(Near(p[1].start, {20000, 0}));
        EXPECT_TRUE(Near(p[1].end, {30000, 10000}));
        EXPECT_TRUE(Near(p[1].centre, {20000, 10000}));
        EXPECT_NEAR(p[1].sweep, -1.5 * kPi, 1e-12); // clockwise round the left
        EXPECT_TRUE(Near(PointAt(p[1], 1.0 / 3.0), {10000, 10000}));
        EXPECT_EQ(p[1].segment, 2);
    }
    const std::vector<TrajectoryInput> lines = {Line(10, 0), Line(0, 10), Line(-10, 0)};
    EXPECT_TRUE(Near(Build(lines, 0)[2].end, {0, 10}));
    EXPECT_TRUE(Near(Build(lines, 1)[2].start, {0, 10}));
    EXPECT_TRUE(Near(Build(lines, 1)[2].end, {-10, 0}));
    EXPECT_TRUE(BuildTrajectory({}, 0).empty());
}

TEST(BuildTrajectory, CentreArcsRunTheirWayRoundUpToAFullCircle)
{
    // Begin at (100, 0), centre at the origin; {type, end x, end y, sweep}.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, double> cases[]
        = {{3, 0, 100, kPi / 2}, {2, 0, 100, -1.5 * kPi}, {2, 0, -100, -kPi / 2}, {3, -100, 0, kPi},
           {3, 100, 0, 2 * kPi}, {2, 100, 0, -2 * kPi},   {2, 300, 0, -2 * kPi}};
    for (const auto &[type, ex, ey, sweep] : cases) {
        const auto p = Build({Line(100, 0), Arc(type, ex, ey, 0, 0)});
        ASSERT_EQ(p[1].kind, PrimitiveKind::Arc) << ex << "," << ey;
        EXPECT_NEAR(p[1].sweep, sweep, 1e-12) << type << ": " << ex << "," << ey;
        EXPECT_DOUBLE_EQ(p[1].radius, 100.0);
        EXPECT_TRUE(Near(DirectionAt(p[1], 0.0), {0.0, sweep > 0 ? 1.0 : -1.0}, 1e-12));
    }
    // An end off the circle: drawn to its angle; the next segment begins at it.
    const auto off = Build({Line(100, 0), Arc(3, 0, 50, 0, 0), Line(0, 0)});
    EXPECT_TRUE(Near(DrawnEnd(off[1]), {0, 100}, 1e-9));
    EXPECT_TRUE(Near(off[2].start, {0, 50}));
    // A begin point on the centre, and unknown types, give lines.
    EXPECT_EQ(Build({Line(100, 0), Arc(3, 0, 100, 100, 0)})[1].kind, PrimitiveKind::Line);
    for (const std::int32_t type : {0, 4, -1})
        EXPECT_EQ(Build({Arc(type, 100, 0, 50, 50)})[0].kind, PrimitiveKind::Line) << type;
}

TEST(BuildTrajectory, PassThroughArcsTurnTheWayTheirThreePointsDo)
{
    // {pass, end, sweep, centre}, begin at (100, 0) in the second segment.
    const std::tuple<Vec2, Vec2, double, Vec2> cases[]
        = {{{150, 50}, {100, 100}, kPi, {100, 50}},    // round the right: counter-clockwise
           {{50, 50}, {100, 100}, -kPi, {100, 50}},    // round the left: clockwise
           {{60, 80}, {0, 100}, kPi / 2, {0, 0}},      // between begin and end: the short way
           {{80, -60}, {0, 100}, -1.5 * kPi, {0, 0}}}; // behind the begin: the long way
    for (const auto &[pass, end, sweep, centre] : cases) {
        const auto p = Build({Line(100, 0), Arc(2, std::int32_t(end.x), std::int32_t(end.y),
                                                std::int32_t(pass.x), std::int32_t(pass.y), 1)});
        ASSERT_EQ(p[1].kind, PrimitiveKind::Arc) << pass.x << "," << pass.y;
        EXPECT_NEAR(p[1].sweep, sweep, 1e-12) << pass.x << "," << pass.y;
        EXPECT_TRUE(Near(p[1].centre, centre, 1e-9));
        EXPECT_LT(DistanceTo(p[1], pass), 1e-9);
        EXPECT_TRUE(Near(DrawnEnd(p[1]), end, 1e-9));
    }
    const auto inc = Build({Line(1000, 1000), Arc(2, 200, 0, 100, 100, 1)}, 0);
    EXPECT_TRUE(Near(PointAt(inc[1], 0.5), {1100, 1100}, 1e-9));
}

TEST(BuildTrajectory, PassThroughPointsOnOneLineOrNotDistinctGiveAStraightLine)
{
    // {pass, end} from a begin at the origin.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[]
        = {{50, 50, 100, 100}, {300, 0, 100, 0}, {0, 0, 100, 0},
           {100, 0, 100, 0},   {100, 0, 0, 0},   {kMax, kMax, kMin + 1, kMin + 1}};
    for (const auto &[px, py, ex, ey] : cases) {
        const auto p = Build({Arc(3, ex, ey, px, py, 1)});
        EXPECT_EQ(p[0].kind, PrimitiveKind::Line) << px << "," << py << " " << ex << "," << ey;
        EXPECT_TRUE(Near(p[0].end, {double(ex), double(ey)}));
    }
}

TEST(BuildTrajectory, HugeCoordinatesDoNotOverflow)
{
    const auto p = Build(std::vector<TrajectoryInput>(256, Line(kMax, kMin)), 0);
    EXPECT_EQ(p.back().end.x, 256.0 * kMax);
    EXPECT_EQ(p.back().end.y, 256.0 * kMin);
    const auto q = Build({Line(kMin, kMin), Arc(3, kMax, kMax, kMin, kMax, 1)});
    ASSERT_EQ(q[1].kind, PrimitiveKind::Arc);
    EXPECT_TRUE(Near(q[1].centre, {0.5 * kMin + 0.5 * kMax, 0.5 * kMin + 0.5 * kMax}, 1.0));
}

// --- Bounds and hit test ----------------------------------------------------

TEST(TrajectoryBounds, HoldTheOriginAndTheExtremesAnArcPasses)
{
    const BoundingBox example = TrajectoryBounds(Build(kExample));
    EXPECT_TRUE(Near({example.minX, example.minY}, {0, 0}));
    EXPECT_TRUE(Near({example.maxX, example.maxY}, {30000, 20000})); // the top of the circle
    const BoundingBox far = TrajectoryBounds(Build({Line(5000, 6000), Line(7000, 9000)}));
    EXPECT_TRUE(Near({far.minX, far.minY}, {0, 0}));
    EXPECT_TRUE(TrajectoryBounds({}).contains({0, 0}));
    // From 10 to 350 degrees about (1000, 1000): counter-clockwise passes the
    // top, left and bottom; clockwise only the rightmost point.
    const auto ccw = Build({Line(1098, 1017), Arc(3, 1098, 983, 1000, 1000)})[1];
    const auto cw = Build({Line(1098, 1017), Arc(2, 1098, 983, 1000, 1000)})[1];
    const BoundingBox a = PrimitiveBounds(ccw), b = PrimitiveBounds(cw);
    const double r = ccw.radius;
    EXPECT_TRUE(Near({a.minX, a.minY}, {1000 - r, 1000 - r}, 1e-9));
    EXPECT_TRUE(Near({a.maxX, a.maxY}, {1098, 1000 + r}, 1e-9));
    EXPECT_TRUE(Near({b.minX, b.minY}, {1098, 983}, 1e-9));
    EXPECT_TRUE(Near({b.maxX, b.maxY}, {1000 + r, 1017}, 1e-9));
}

TEST(HitTest, NearestWithinToleranceAndOnATieTheLowerNumber)
{
    const auto p = Build(kExample);
    const double s = 10000 * std::sqrt(0.5);
    EXPECT_NEAR(DistanceTo(p[0], {-400, -300}), 500, 1e-9); // beyond the start
    EXPECT_NEAR(DistanceTo(p[1], {9000, 10000}), 1000, 1e-9);
    // The quarter the arc leaves out: the distance to the nearer end.
    EXPECT_NEAR(DistanceTo(p[1], {20000 + s, 10000 - s}), std::hypot(s, 10000 - s), 1e-6);
    const std::pair<Vec2, int> cases[]
        = {{{10000, 50}, 0}, {{10050, 10000}, 1}, {{10000, 500}, -1}, {{25000, 2000}, -1},
           {{19000, 10}, 0}, {{19000, 45}, 1},    {{20000, 0}, 0},    {{20000, -30}, 0}};
    for (const auto &[point, hit] : cases)
        EXPECT_EQ(HitTest(p, point, 100), hit) << point.x << "," << point.y;
    EXPECT_EQ(HitTest({}, {0, 0}, 100), -1);
}

// --- World to view ----------------------------------------------------------

TEST(ViewMapping, FitCentresTheBoxWithEqualAxesAndYUp)
{
    const ViewTransform t = FitView(Box({0, 0}, {30000, 20000}), 400, 400, 20);
    EXPECT_TRUE(Near(t.toView({0, 0}), {20, 320}, 1e-9)); // the wider side fills the width
    EXPECT_TRUE(Near(t.toView({30000, 20000}), {380, 80}, 1e-9));
    const ViewTransform wide = FitView(Box({-100, -100}, {100, 100}), 600, 300, 10);
    EXPECT_TRUE(Near(wide.toView({-100, 100}), {160, 10}, 1e-9)); // the height limits
    EXPECT_TRUE(Near(wide.toView({100, -100}), {440, 290}, 1e-9));
    const ViewTransform line = FitView(Box({0, 0}, {1000, 0}), 200, 100, 10);
    EXPECT_TRUE(Near(line.toView({1000, 0}), {190, 50}, 1e-9));
    // Without extent: one pixel a unit about the origin.
    for (const BoundingBox &box : {BoundingBox{}, Box({0, 0}, {0, 0})})
        EXPECT_EQ(FitView(box, 200, 100, 10), (ViewTransform{1.0, 100, 50}));
    EXPECT_GT(FitView(Box({0, 0}, {1000, 0}), 5, 5, 10).scale, 0.0) << "margins beyond the view";
    const ViewTransform huge
        = FitView(Box({kMin, kMin}, {256.0 * kMax, 256.0 * kMax}), 400, 400, 20);
    EXPECT_TRUE(Near(huge.toView({kMin, kMin}), {20, 380}, 1e-6));
    EXPECT_TRUE(Near(huge.toView({256.0 * kMax, 256.0 * kMax}), {380, 20}, 1e-6));
}

TEST(ViewMapping, ZoomKeepsThePointUnderTheCursorAndPanMovesThePicture)
{
    const ViewTransform t{0.012, 20, 320};
    const Vec2 cursor{123, 77};
    EXPECT_TRUE(Near(t.toWorld(t.toView({1234, -567})), {1234, -567}, 1e-9));
    for (const double factor : {2.0, 0.5, 10.0}) {
        const ViewTransform z = ZoomAbout(t, factor, cursor);
        EXPECT_DOUBLE_EQ(z.scale, t.scale * factor);
        EXPECT_TRUE(Near(z.toWorld(cursor), t.toWorld(cursor), 1e-6)) << factor;
    }
    for (const double nonsense : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(ZoomAbout(t, nonsense, cursor), t);
    EXPECT_TRUE(Near(Pan(t, 30, -5).toView({100, 100}), {20 + 1.2 + 30, 320 - 1.2 - 5}, 1e-9));
}

// --- Flattening for the view -------------------------------------------------

TEST(FlattenForView, LinesAreClippedToTheView)
{
    const auto p = Build({Line(1000, 0)});
    ViewPolylines out;
    FlattenForView(p[0], {1.0, -500, 50}, Box({0, 0}, {100, 100}), 0.25, out);
    ASSERT_EQ(out.runEnds, std::vector<std::size_t>{2});
    EXPECT_TRUE(Near(out.points[0], {0, 50}));
    EXPECT_TRUE(Near(out.points[1], {100, 50}));
    out.clear();
    FlattenForView(p[0], {1.0, 0, 500}, Box({0, 0}, {100, 100}), 0.25, out);
    EXPECT_TRUE(out.points.empty());
}

TEST(FlattenForView, ArcsStayWithinToleranceAndDrawOnlyWhatTheyPass)
{
    const auto p = Build(kExample);
    const ViewTransform t = FitView(TrajectoryBounds(p), 400, 400, 20);
    ViewPolylines out;
    FlattenForView(p[1], t, Box({0, 0}, {400, 400}), 0.25, out);
    ASSERT_EQ(out.runEnds.size(), 1u);
    ASSERT_GE(out.points.size(), 8u);
    const Vec2 c = t.toView(p[1].centre);
    const double r = p[1].radius * t.scale;
    double left = c.x;
    for (std::size_t i = 0; i + 1 < out.points.size(); ++i) {
        const Vec2 a = out.points[i], b = out.points[i + 1];
        EXPECT_NEAR(std::hypot(a.x - c.x, a.y - c.y), r, 1e-9);
        EXPECT_LE(r - std::hypot((a.x + b.x) / 2 - c.x, (a.y + b.y) / 2 - c.y), 0.25 + 1e-9);
        EXPECT_FALSE(a.x > c.x + 1 && a.y > c.y + 1) << "the lower right quarter is left out";
        left = std::min(left, a.x);
    }
    EXPECT_NEAR(left, c.x - r, 0.5) << "the leftmost point is passed";
}

TEST(FlattenForView, FarOffAndHugeArcsGiveOnlyTheVisiblePart)
{
    // A circle of radius 2e9 seen at one pixel a unit around its rightmost point.
    const auto huge = Build({Line(2000000000, 0), Arc(3, 2000000000, 0, 0, 0)});
    ViewPolylines out;
    FlattenForView(huge[1], {1.0, 200 - 2e9, 200}, Box({0, 0}, {400, 400}), 0.25, out);
    ASSERT_FALSE(out.points.empty());
    EXPECT_LT(out.points.size(), 1000u);
    for (const Vec2 &q : out.points)
        EXPECT_TRUE(std::fabs(q.x - 200) < 1 && q.y > -500 && q.y < 900) << q.x << "," << q.y;
    // Far off to the right, and a view inside the circle not touching it.
    const auto small = Build({Line(100, 0), Arc(3, 100, 0, 0, 0)});
    for (const ViewTransform &t : {ViewTransform{1.0, 5000, 200}, ViewTransform{100.0, 200, 200}}) {
        out.clear();
        FlattenForView(small[1], t, Box({0, 0}, {400, 400}), 0.25, out);
        EXPECT_TRUE(out.points.empty()) << t.scale;
    }
}
