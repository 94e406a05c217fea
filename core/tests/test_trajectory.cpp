#include "geometry/Trajectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <span>
#include <tuple>
#include <vector>

using namespace pos;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// A segment of the type (1 line, 2 clockwise, 3 counter-clockwise) to the end
// point, with its circle point and centre mode.
TrajectoryInput Seg(std::int32_t type, std::int32_t x, std::int32_t y, std::int32_t cx = 0,
                    std::int32_t cy = 0, std::int32_t mode = 0)
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
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ")";
}

// A line to (20000, 0), then clockwise about (20000, 10000) to (30000, 10000).
const std::vector<TrajectoryInput> kExample
    = {Seg(1, 20000, 0), Seg(2, 30000, 10000, 20000, 10000)};
const BoundingBox kWindow{0, 0, 400, 400, false};

} // namespace

// --- Building the chain -----------------------------------------------------

TEST(BuildTrajectory, IncrementalPointsAreRelativeToWhereTheSegmentBegins)
{
    const auto inc = Build({Seg(1, 20000, 0), Seg(2, 10000, 10000, 0, 10000)}, 0);
    for (const auto &p : {Build(kExample, 1), inc}) {
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(std::pair(p[0].kind, p[1].segment), std::pair(PrimitiveKind::Line, 2));
        EXPECT_TRUE(Near(p[1].start, {20000, 0}));
        EXPECT_TRUE(Near(p[1].end, {30000, 10000}));
        EXPECT_TRUE(Near(p[1].centre, {20000, 10000}));
        EXPECT_NEAR(p[1].sweep, -1.5 * kPi, 1e-12); // clockwise round the left
    }
    const auto huge = Build(std::vector<TrajectoryInput>(256, Seg(1, kMax, kMin)), 0);
    EXPECT_EQ(std::pair(huge.back().end.x, huge.back().end.y),
              std::pair(256.0 * kMax, 256.0 * kMin));
}

TEST(BuildTrajectory, CentreArcsRunTheirWayRoundUpToAFullCircle)
{
    // Begin at (100, 0), centre at the origin; {type, end x, end y, sweep}.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, double> cases[]
        = {{3, 0, 100, kPi / 2}, {2, 0, 100, -1.5 * kPi}, {2, 0, -100, -kPi / 2}, {3, -100, 0, kPi},
           {3, 100, 0, 2 * kPi}, {2, 100, 0, -2 * kPi},   {2, 300, 0, -2 * kPi}};
    for (const auto &[type, ex, ey, sweep] : cases) {
        const auto p = Build({Seg(1, 100, 0), Seg(type, ex, ey, 0, 0)});
        ASSERT_EQ(p[1].kind, PrimitiveKind::Arc) << ex << "," << ey;
        EXPECT_NEAR(p[1].sweep, sweep, 1e-12) << type << ": " << ex << "," << ey;
        EXPECT_DOUBLE_EQ(p[1].radius, 100.0);
        EXPECT_TRUE(Near(DirectionAt(p[1], 0.0), {0.0, sweep > 0 ? 1.0 : -1.0}, 1e-12));
    }
    // An end off the circle: drawn to its angle; the next segment begins at it.
    const auto off = Build({Seg(1, 100, 0), Seg(3, 0, 50, 0, 0), Seg(1, 0, 0)});
    EXPECT_TRUE(Near(DrawnEnd(off[1]), {0, 100}, 1e-9));
    EXPECT_TRUE(Near(off[2].start, {0, 50}));
    // A begin point on the centre, and unknown types, give lines.
    EXPECT_EQ(Build({Seg(1, 100, 0), Seg(3, 0, 100, 100, 0)})[1].kind, PrimitiveKind::Line);
    for (const std::int32_t type : {0, 4, -1})
        EXPECT_EQ(Build({Seg(type, 100, 0, 50, 50)})[0].kind, PrimitiveKind::Line) << type;
}

TEST(BuildTrajectory, PassThroughArcsTurnTheWayTheirThreePointsDo)
{
    // {pass, end, sweep, centre}, begin at (100, 0) in the second segment.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, double, Vec2> cases[]
        = {{150, 50, 100, 100, kPi, {100, 50}},    // round the right: counter-clockwise
           {50, 50, 100, 100, -kPi, {100, 50}},    // round the left: clockwise
           {60, 80, 0, 100, kPi / 2, {0, 0}},      // between begin and end: the short way
           {80, -60, 0, 100, -1.5 * kPi, {0, 0}}}; // behind the begin: the long way
    for (const auto &[px, py, ex, ey, sweep, centre] : cases) {
        const auto p = Build({Seg(1, 100, 0), Seg(2, ex, ey, px, py, 1)});
        ASSERT_EQ(p[1].kind, PrimitiveKind::Arc) << px << "," << py;
        EXPECT_NEAR(p[1].sweep, sweep, 1e-12) << px << "," << py;
        EXPECT_TRUE(Near(p[1].centre, centre, 1e-9));
        EXPECT_LT(DistanceTo(p[1], {double(px), double(py)}), 1e-9);
    }
    const auto huge = Build({Seg(1, kMin, kMin), Seg(3, kMax, kMax, kMin, kMax, 1)});
    ASSERT_EQ(huge[1].kind, PrimitiveKind::Arc);
    EXPECT_TRUE(Near(huge[1].centre, {0.5 * kMin + 0.5 * kMax, 0.5 * kMin + 0.5 * kMax}, 1.0));
}

TEST(BuildTrajectory, PassThroughPointsOnOneLineOrNotDistinctGiveAStraightLine)
{
    // {pass, end} from a begin at the origin.
    const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[]
        = {{50, 50, 100, 100}, {300, 0, 100, 0}, {0, 0, 100, 0},
           {100, 0, 100, 0},   {100, 0, 0, 0},   {kMax, kMax, kMin + 1, kMin + 1}};
    for (const auto &[px, py, ex, ey] : cases) {
        const auto p = Build({Seg(3, ex, ey, px, py, 1)});
        EXPECT_EQ(p[0].kind, PrimitiveKind::Line) << px << "," << py << " " << ex << "," << ey;
        EXPECT_TRUE(Near(p[0].end, {double(ex), double(ey)}));
    }
}

// --- Bounds and hit test ----------------------------------------------------

TEST(Travel, CurvesDrawAsTheyStandAndTravelMarksReachThePrimitives)
{
    using geo::Curve;
    const geo::Curves curves = {
        Curve::Line({-5, 0}, {0, 0}, true), Curve::Arc({100, 0}, {0, 100}, {0, 0}, true),
        Curve::Arc({100, 0}, {0, 100}, {0, 0}, false), Curve::Arc({0, 50}, {0, 50}, {0, 0}, false)};
    const auto p = PrimitivesOf(curves);
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(std::tuple(p[0].kind, p[0].travel, p[1].travel, p[3].segment),
              std::tuple(PrimitiveKind::Line, true, false, 4));
    EXPECT_TRUE(Near(p[0].start, {-5, 0}));
    EXPECT_NEAR(p[1].sweep, kPi / 2, 1e-12);
    EXPECT_NEAR(p[2].sweep, -1.5 * kPi, 1e-12);
    EXPECT_NEAR(p[3].sweep, -2 * kPi, 1e-12) << "a full turn";
    EXPECT_TRUE(Near(DrawnEnd(p[2]), {0, 100}, 1e-9));
    TrajectoryInput travel = Seg(1, 10, 0);
    travel.travel = true;
    EXPECT_TRUE(Build({Seg(1, 5, 0), travel})[1].travel) << "a chain of segments keeps them too";
}

TEST(TrajectoryBounds, HoldTheOriginAndTheExtremesAnArcPasses)
{
    const BoundingBox example = TrajectoryBounds(Build(kExample));
    EXPECT_TRUE(Near({example.maxX, example.maxY}, {30000, 20000})); // the top of the circle
    const auto far = Build({Seg(1, 5000, 6000), Seg(1, 7000, 9000)});
    EXPECT_TRUE(TrajectoryBounds(std::span(far).subspan(1)).contains({0, 0})) << "always in";
    EXPECT_TRUE(TrajectoryBounds({}).contains({0, 0}));
    // From 10 to 350 degrees about (1000, 1000): counter-clockwise passes the
    // top, left and bottom; clockwise only the rightmost point.
    const double r = std::hypot(98.0, 17.0);
    for (const auto &[type, low, high] :
         {std::tuple(3, Vec2{1000 - r, 1000 - r}, Vec2{1098, 1000 + r}),
          {2, {1098, 983}, {1000 + r, 1017}}}) {
        const BoundingBox b
            = PrimitiveBounds(Build({Seg(1, 1098, 1017), Seg(type, 1098, 983, 1000, 1000)})[1]);
        EXPECT_TRUE(Near({b.minX, b.minY}, low, 1e-9)) << type;
        EXPECT_TRUE(Near({b.maxX, b.maxY}, high, 1e-9)) << type;
    }
}

TEST(HitTest, NearestWithinToleranceAndOnATieTheLowerNumber)
{
    const auto p = Build(kExample);
    const double s = 10000 * std::sqrt(0.5);
    EXPECT_NEAR(DistanceTo(p[0], {-400, -300}), 500, 1e-9); // beyond the start
    // The quarter the arc leaves out: the distance to the nearer end.
    EXPECT_NEAR(DistanceTo(p[1], {20000 + s, 10000 - s}), std::hypot(s, 10000 - s), 1e-6);
    const std::pair<Vec2, int> cases[]
        = {{{10000, 50}, 0}, {{10050, 10000}, 1}, {{10000, 500}, -1}, {{25000, 2000}, -1},
           {{19000, 10}, 0}, {{19000, 45}, 1},    {{20000, 0}, 0},    {{20000, -30}, 0}};
    for (const auto &[point, hit] : cases)
        EXPECT_EQ(HitTest(p, point, 100), hit) << point.x << "," << point.y;
}

// --- World to view ----------------------------------------------------------

TEST(ViewMapping, FitCentresTheBoxWithEqualAxesAndYUpZoomAndPanMoveIt)
{
    const ViewTransform t = FitView({0, 0, 30000, 20000, false}, 400, 400, 20);
    EXPECT_TRUE(Near(t.toView({0, 0}), {20, 320}, 1e-9)); // the wider side fills the width
    EXPECT_TRUE(Near(t.toView({30000, 20000}), {380, 80}, 1e-9));
    const ViewTransform wide = FitView({-100, -100, 100, 100, false}, 600, 300, 10);
    EXPECT_TRUE(Near(wide.toView({-100, 100}), {160, 10}, 1e-9)); // the height limits
    EXPECT_TRUE(Near(wide.toView({100, -100}), {440, 290}, 1e-9));
    const BoundingBox flat{0, 0, 1000, 0, false};
    EXPECT_TRUE(Near(FitView(flat, 200, 100, 10).toView({1000, 0}), {190, 50}, 1e-9));
    EXPECT_GT(FitView(flat, 5, 5, 10).scale, 0.0) << "margins beyond the view";
    // Without extent: one pixel a unit about the origin.
    for (const BoundingBox &box : {BoundingBox{}, BoundingBox{0, 0, 0, 0, false}})
        EXPECT_EQ(FitView(box, 200, 100, 10), (ViewTransform{1.0, 100, 50}));
    const double far = 256.0 * kMax;
    const ViewTransform huge = FitView({kMin, kMin, far, far, false}, 400, 400, 20);
    EXPECT_TRUE(Near(huge.toView({kMin, kMin}), {20, 380}, 1e-6));
    EXPECT_TRUE(Near(huge.toView({far, far}), {380, 20}, 1e-6));
    // Zooming keeps the point under the cursor; panning moves the picture.
    const Vec2 cursor{123, 77};
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

TEST(FlattenForView, ArcsStayWithinToleranceAndOnlyTheVisiblePartIsDrawn)
{
    const auto p = Build(kExample);
    const ViewTransform t = FitView(TrajectoryBounds(p), 400, 400, 20);
    ViewPolylines out;
    FlattenForView(p[1], t, kWindow, 0.25, out);
    ASSERT_EQ(out.runEnds.size(), 1u);
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
    const auto line = Build({Seg(1, 1000, 0)});
    out.clear();
    FlattenForView(line[0], {1.0, -500, 50}, {0, 0, 100, 100, false}, 0.25, out);
    ASSERT_EQ(out.runEnds, std::vector<std::size_t>{2});
    EXPECT_TRUE(Near(out.points[0], {0, 50}) && Near(out.points[1], {100, 50}));
    // A circle of radius 2e9 seen at one pixel a unit around its rightmost point.
    const auto huge = Build({Seg(1, 2000000000, 0), Seg(3, 2000000000, 0, 0, 0)});
    out.clear();
    FlattenForView(huge[1], {1.0, 200 - 2e9, 200}, kWindow, 0.25, out);
    ASSERT_FALSE(out.points.empty());
    EXPECT_LT(out.points.size(), 1000u);
    for (const Vec2 &q : out.points)
        EXPECT_TRUE(std::fabs(q.x - 200) < 1 && q.y > -500 && q.y < 900) << q.x << "," << q.y;
    // Nothing of a line beside the view, of an arc far off to the right, or
    // of one round a view inside its circle.
    const auto small = Build({Seg(1, 100, 0), Seg(3, 100, 0, 0, 0)});
    for (auto [prim, view] : {std::pair(line[0], ViewTransform{1.0, 0, 500}),
                              {small[1], ViewTransform{1.0, 5000, 200}},
                              {small[1], ViewTransform{100.0, 200, 200}}}) {
        out.clear();
        FlattenForView(prim, view, kWindow, 0.25, out);
        EXPECT_TRUE(out.points.empty()) << view.scale;
    }
}
