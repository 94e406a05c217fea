#include "geometry/Trajectory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <ostream>
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

// Geometry compares through this one helper: points within tol.
::testing::AssertionResult Near(Vec2 actual, Vec2 expected, double tol = 1e-6)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ") is not ("
                                         << expected.x << ", " << expected.y << ")";
}

std::vector<TrajectoryPrimitive> Build(const std::vector<TrajectoryInput> &in, int mode)
{
    return BuildTrajectory(in, mode);
}

} // namespace

// --- Building the chain -----------------------------------------------------

TEST(BuildTrajectory, TwoSegmentExampleAbsolute)
{
    const auto p = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].kind, PrimitiveKind::Line);
    EXPECT_EQ(p[0].segment, 1);
    EXPECT_TRUE(Near(p[0].start, {0, 0}));
    EXPECT_TRUE(Near(p[0].end, {20000, 0}));

    EXPECT_EQ(p[1].kind, PrimitiveKind::Arc);
    EXPECT_EQ(p[1].segment, 2);
    EXPECT_TRUE(Near(p[1].start, {20000, 0}));
    EXPECT_TRUE(Near(p[1].end, {30000, 10000}));
    EXPECT_TRUE(Near(p[1].centre, {20000, 10000}));
    EXPECT_DOUBLE_EQ(p[1].radius, 10000.0);
    EXPECT_DOUBLE_EQ(p[1].startAngle, -kPi / 2);
    // Clockwise from straight below the centre round the left to its right.
    EXPECT_NEAR(p[1].sweep, -1.5 * kPi, 1e-12);
    EXPECT_TRUE(Near(PointAt(p[1], 1.0 / 3.0), {10000, 10000}, 1e-6));
    EXPECT_TRUE(Near(DrawnEnd(p[1]), {30000, 10000}, 1e-6));
}

TEST(BuildTrajectory, IncrementalIsRelativeToWhereTheSegmentBegins)
{
    const auto abs = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    const auto inc = Build({Line(20000, 0), Arc(2, 10000, 10000, 0, 10000)}, 0);
    ASSERT_EQ(inc.size(), abs.size());
    for (std::size_t i = 0; i < abs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(inc[i].kind, abs[i].kind);
        EXPECT_TRUE(Near(inc[i].start, abs[i].start));
        EXPECT_TRUE(Near(inc[i].end, abs[i].end));
        EXPECT_TRUE(Near(inc[i].centre, abs[i].centre));
        EXPECT_DOUBLE_EQ(inc[i].sweep, abs[i].sweep);
    }
}

TEST(BuildTrajectory, ChainingInBothModes)
{
    const std::vector<TrajectoryInput> in = {Line(10, 0), Line(0, 10), Line(-10, 0)};
    const auto inc = Build(in, 0);
    EXPECT_TRUE(Near(inc[0].end, {10, 0}));
    EXPECT_TRUE(Near(inc[1].start, {10, 0}));
    EXPECT_TRUE(Near(inc[1].end, {10, 10}));
    EXPECT_TRUE(Near(inc[2].start, {10, 10}));
    EXPECT_TRUE(Near(inc[2].end, {0, 10}));

    const auto abs = Build(in, 1);
    EXPECT_TRUE(Near(abs[1].start, {10, 0}));
    EXPECT_TRUE(Near(abs[1].end, {0, 10}));
    EXPECT_TRUE(Near(abs[2].start, {0, 10}));
    EXPECT_TRUE(Near(abs[2].end, {-10, 0}));
}

TEST(BuildTrajectory, IncrementalCircleIsRelativeToo)
{
    // Second segment: a counter-clockwise arc whose centre lies 100 to the
    // left of where it begins.
    const auto p = Build({Line(500, 500), Arc(3, -100, 100, -100, 0)}, 0);
    EXPECT_TRUE(Near(p[1].centre, {400, 500}));
    EXPECT_TRUE(Near(p[1].end, {400, 600}));
    EXPECT_NEAR(p[1].sweep, kPi / 2, 1e-12);
}

struct SweepCase
{
    const char *name;
    std::int32_t type;
    std::int32_t ex, ey;
    double sweep;
};

void PrintTo(const SweepCase &c, std::ostream *os)
{
    *os << c.name;
}

class CentreArcSweep : public ::testing::TestWithParam<SweepCase>
{};

TEST_P(CentreArcSweep, SignAndSize)
{
    const SweepCase &c = GetParam();
    // Begin at (100, 0) (first segment a line there), centre at the origin.
    const auto p = Build({Line(100, 0), Arc(c.type, c.ex, c.ey, 0, 0)}, 1);
    ASSERT_EQ(p[1].kind, PrimitiveKind::Arc);
    EXPECT_NEAR(p[1].sweep, c.sweep, 1e-12);
    EXPECT_DOUBLE_EQ(p[1].radius, 100.0);
    const Vec2 d = DirectionAt(p[1], 0.0);
    // Leaving (100, 0) a counter-clockwise arc heads up, a clockwise one down.
    EXPECT_TRUE(Near(d, {0.0, c.sweep > 0 ? 1.0 : -1.0}, 1e-12));
}

INSTANTIATE_TEST_SUITE_P(Arcs, CentreArcSweep,
                         ::testing::Values(SweepCase{"CcwQuarter", 3, 0, 100, kPi / 2},
                                           SweepCase{"CwThreeQuarters", 2, 0, 100, -1.5 * kPi},
                                           SweepCase{"CwQuarter", 2, 0, -100, -kPi / 2},
                                           SweepCase{"CcwHalf", 3, -100, 0, kPi},
                                           SweepCase{"CwHalf", 2, -100, 0, -kPi},
                                           SweepCase{"CcwFullCircle", 3, 100, 0, 2 * kPi},
                                           SweepCase{"CwFullCircle", 2, 100, 0, -2 * kPi}),
                         [](const ::testing::TestParamInfo<SweepCase> &p) { return p.param.name; });

TEST(BuildTrajectory, EndOffTheCircleIsDrawnToItsAngle)
{
    const auto p = Build({Line(100, 0), Arc(3, 0, 50, 0, 0), Line(0, 0)}, 1);
    EXPECT_NEAR(p[1].sweep, kPi / 2, 1e-12);
    EXPECT_TRUE(Near(DrawnEnd(p[1]), {0, 100}, 1e-9));
    EXPECT_TRUE(Near(p[1].end, {0, 50}));
    // The next segment begins at the end point as given.
    EXPECT_TRUE(Near(p[2].start, {0, 50}));
}

TEST(BuildTrajectory, EndOnTheBeginAngleFartherOutIsAFullCircle)
{
    const auto p = Build({Line(100, 0), Arc(2, 300, 0, 0, 0)}, 1);
    EXPECT_NEAR(p[1].sweep, -2 * kPi, 1e-12);
}

TEST(BuildTrajectory, BeginOnTheCentreDrawsALine)
{
    const auto p = Build({Line(100, 0), Arc(3, 0, 100, 100, 0)}, 1);
    EXPECT_EQ(p[1].kind, PrimitiveKind::Line);
    EXPECT_TRUE(Near(p[1].start, {100, 0}));
    EXPECT_TRUE(Near(p[1].end, {0, 100}));
}

TEST(BuildTrajectory, UnknownTypesAreLines)
{
    for (std::int32_t type : {0, 4, -1, kMax}) {
        SCOPED_TRACE(type);
        const auto p = Build({Arc(type, 100, 0, 50, 50)}, 1);
        EXPECT_EQ(p[0].kind, PrimitiveKind::Line);
        EXPECT_TRUE(Near(p[0].end, {100, 0}));
    }
}

TEST(BuildTrajectory, UnknownCentreModeUsesTheCentre)
{
    const auto p = Build({Line(100, 0), Arc(3, 0, 100, 0, 0, 7)}, 1);
    EXPECT_TRUE(Near(p[1].centre, {0, 0}));
}

TEST(BuildTrajectory, PassThroughArcGoesThroughItsPoint)
{
    // Over the top: begin (0, 0), pass (100, 100), end (200, 0) runs clockwise.
    const auto over = Build({Arc(3, 200, 0, 100, 100, 1)}, 1);
    ASSERT_EQ(over[0].kind, PrimitiveKind::Arc);
    EXPECT_TRUE(Near(over[0].centre, {100, 0}, 1e-9));
    EXPECT_DOUBLE_EQ(over[0].radius, 100.0);
    EXPECT_NEAR(over[0].sweep, -kPi, 1e-12);
    EXPECT_TRUE(Near(PointAt(over[0], 0.5), {100, 100}, 1e-9));
    EXPECT_TRUE(Near(DrawnEnd(over[0]), {200, 0}, 1e-9));

    // Under: the same ends through (100, -100) run counter-clockwise.
    const auto under = Build({Arc(2, 200, 0, 100, -100, 1)}, 1);
    EXPECT_NEAR(under[0].sweep, kPi, 1e-12);
    EXPECT_TRUE(Near(PointAt(under[0], 0.5), {100, -100}, 1e-9));

    // From (100, 0) to (0, 100): a pass point between them takes the short
    // way, one just below the begin point the long way round.
    const auto shortWay = Build({Line(100, 0), Arc(2, 0, 100, 60, 80, 1)}, 1);
    EXPECT_TRUE(Near(shortWay[1].centre, {0, 0}, 1e-9));
    EXPECT_NEAR(shortWay[1].sweep, kPi / 2, 1e-12);
    const auto longWay = Build({Line(100, 0), Arc(3, 0, 100, 80, -60, 1)}, 1);
    EXPECT_NEAR(longWay[1].radius, 100.0, 1e-9);
    EXPECT_NEAR(longWay[1].sweep, -1.5 * kPi, 1e-12);
    EXPECT_LT(DistanceTo(longWay[1], {80, -60}), 1e-9);
}

TEST(BuildTrajectory, PassThroughIncrementalIsRelative)
{
    const auto p = Build({Line(1000, 1000), Arc(2, 200, 0, 100, 100, 1)}, 0);
    EXPECT_TRUE(Near(p[1].centre, {1100, 1000}, 1e-9));
    EXPECT_TRUE(Near(PointAt(p[1], 0.5), {1100, 1100}, 1e-9));
}

struct PassCase
{
    const char *name;
    std::int32_t px, py, ex, ey; // begin is (0, 0)
};

void PrintTo(const PassCase &c, std::ostream *os)
{
    *os << c.name;
}

class PassThroughFallsBack : public ::testing::TestWithParam<PassCase>
{};

TEST_P(PassThroughFallsBack, ToAStraightLine)
{
    const PassCase &c = GetParam();
    const auto p = Build({Arc(2, c.ex, c.ey, c.px, c.py, 1)}, 1);
    EXPECT_EQ(p[0].kind, PrimitiveKind::Line);
    EXPECT_TRUE(Near(p[0].start, {0, 0}));
    EXPECT_TRUE(Near(p[0].end, {double(c.ex), double(c.ey)}));
}

INSTANTIATE_TEST_SUITE_P(
    Arcs, PassThroughFallsBack,
    ::testing::Values(PassCase{"Collinear", 50, 50, 100, 100},
                      PassCase{"CollinearBeyondTheEnd", 300, 0, 100, 0},
                      PassCase{"PassOnBegin", 0, 0, 100, 0}, PassCase{"PassOnEnd", 100, 0, 100, 0},
                      PassCase{"EndOnBegin", 100, 0, 0, 0},
                      PassCase{"CollinearFarApart", kMax, kMax, kMin + 1, kMin + 1}),
    [](const ::testing::TestParamInfo<PassCase> &p) { return p.param.name; });

TEST(BuildTrajectory, HugeCoordinatesDoNotOverflow)
{
    // Incremental: 256 steps of the largest value add up beyond 32 bits.
    std::vector<TrajectoryInput> in(256, Line(kMax, kMin));
    const auto p = Build(in, 0);
    ASSERT_EQ(p.size(), 256u);
    EXPECT_EQ(p.back().end.x, 256.0 * kMax);
    EXPECT_EQ(p.back().end.y, 256.0 * kMin);
    EXPECT_EQ(p.back().segment, 256);

    // Absolute arcs across the whole 32-bit range stay finite.
    const auto q = Build(
        {Line(kMin, kMin), Arc(3, kMax, kMax, kMin, kMax, 1), Arc(2, kMin, kMin, kMax, kMin)}, 1);
    for (const auto &prim : q) {
        EXPECT_TRUE(std::isfinite(prim.radius));
        EXPECT_TRUE(std::isfinite(prim.centre.x) && std::isfinite(prim.centre.y));
        EXPECT_TRUE(std::isfinite(prim.sweep));
    }
    EXPECT_EQ(q[1].kind, PrimitiveKind::Arc);
    EXPECT_TRUE(Near(q[1].centre, {0.5 * kMin + 0.5 * kMax, 0.5 * kMin + 0.5 * kMax}, 1.0));
}

TEST(BuildTrajectory, EmptyInput)
{
    EXPECT_TRUE(BuildTrajectory({}, 0).empty());
    EXPECT_TRUE(BuildTrajectory({}, 1).empty());
}

// --- Bounds and hit test ----------------------------------------------------

TEST(TrajectoryBounds, TwoSegmentExampleIncludesTheArcsExtremes)
{
    const auto p = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    const BoundingBox b = TrajectoryBounds(p);
    EXPECT_NEAR(b.minX, 0, 1e-6);
    EXPECT_NEAR(b.maxX, 30000, 1e-6);
    EXPECT_NEAR(b.minY, 0, 1e-6);
    EXPECT_NEAR(b.maxY, 20000, 1e-6); // the top of the circle, passed on the way
}

TEST(TrajectoryBounds, OnlyTheExtremesTheArcPasses)
{
    // Counter-clockwise from 10 degrees to 350 degrees about (1000, 1000):
    // top, left and bottom are passed, the rightmost point is not.
    const double r = 100.0;
    const auto a = [&](double deg) {
        return std::int32_t(std::lround(1000 + r * std::cos(deg * kPi / 180)));
    };
    const auto b = [&](double deg) {
        return std::int32_t(std::lround(1000 + r * std::sin(deg * kPi / 180)));
    };
    const auto ccw = Build({Line(a(10), b(10)), Arc(3, a(350), b(350), 1000, 1000)}, 1);
    const BoundingBox box = PrimitiveBounds(ccw[1]);
    EXPECT_NEAR(box.minX, 1000 - ccw[1].radius, 1e-9);
    EXPECT_NEAR(box.maxY, 1000 + ccw[1].radius, 1e-9);
    EXPECT_NEAR(box.minY, 1000 - ccw[1].radius, 1e-9);
    EXPECT_NEAR(box.maxX, a(10), 1e-9);

    // The same ends clockwise pass only the rightmost point.
    const auto cw = Build({Line(a(10), b(10)), Arc(2, a(350), b(350), 1000, 1000)}, 1);
    const BoundingBox box2 = PrimitiveBounds(cw[1]);
    EXPECT_NEAR(box2.maxX, 1000 + cw[1].radius, 1e-9);
    EXPECT_NEAR(box2.maxY, b(10), 1e-9);
    EXPECT_NEAR(box2.minY, b(350), 1e-9);
    EXPECT_NEAR(box2.minX, a(10), 1e-9);
}

TEST(TrajectoryBounds, AlwaysHoldsTheOrigin)
{
    const BoundingBox empty = TrajectoryBounds({});
    EXPECT_FALSE(empty.empty);
    EXPECT_EQ(empty.width(), 0.0);
    EXPECT_TRUE(empty.contains({0, 0}));

    const auto p = Build({Line(5000, 6000), Line(7000, 9000)}, 1);
    const BoundingBox b = TrajectoryBounds(p);
    EXPECT_EQ(b.minX, 0.0);
    EXPECT_EQ(b.minY, 0.0);
    EXPECT_EQ(b.maxX, 7000.0);
    EXPECT_EQ(b.maxY, 9000.0);
}

TEST(HitTest, DistancesToLinesAndArcs)
{
    const auto p = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    EXPECT_NEAR(DistanceTo(p[0], {10000, 300}), 300, 1e-9);
    EXPECT_NEAR(DistanceTo(p[0], {-400, -300}), 500, 1e-9); // beyond the start
    // On the drawn part of the arc (left of its centre): radial distance.
    EXPECT_NEAR(DistanceTo(p[1], {9000, 10000}), 1000, 1e-9);
    EXPECT_NEAR(DistanceTo(p[1], {20000, 10000}), 10000, 1e-9); // the centre
    // The quarter the clockwise arc does not draw (lower right): distance to
    // the nearer end, not to the circle.
    const double s = 10000 * std::sqrt(0.5);
    EXPECT_NEAR(DistanceTo(p[1], {20000 + s, 10000 - s}), std::hypot(s, 10000 - s), 1e-6);
}

TEST(HitTest, NearestWithinTolerance)
{
    const auto p = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    EXPECT_EQ(HitTest(p, {10000, 50}, 100), 0);
    EXPECT_EQ(HitTest(p, {10050, 10000}, 100), 1);
    EXPECT_EQ(HitTest(p, {10000, 500}, 100), -1);
    EXPECT_EQ(HitTest(p, {25000, 2000}, 100), -1); // inside the undrawn quarter
    // The arc leaves the line's end doubling back over it and curving up:
    // the nearer one wins, on a tie the lower number.
    EXPECT_EQ(HitTest(p, {19000, 10}, 100), 0);
    EXPECT_EQ(HitTest(p, {19000, 45}, 100), 1);
    EXPECT_EQ(HitTest(p, {20000, -30}, 100), 0);
    EXPECT_EQ(HitTest(p, {20000, 0}, 100), 0);
    EXPECT_EQ(HitTest({}, {0, 0}, 100), -1);
}

// --- World to view ----------------------------------------------------------

TEST(ViewMapping, FitKeepsAxesEqualAndYUp)
{
    BoundingBox box;
    box.add({0, 0});
    box.add({30000, 20000});
    const ViewTransform t = FitView(box, 400, 400, 20);
    // The wider side fills the width between the margins.
    EXPECT_TRUE(Near(t.toView({0, 0}), {20, 200 + 120}, 1e-9));
    EXPECT_TRUE(Near(t.toView({30000, 20000}), {380, 200 - 120}, 1e-9));
    // Equal axes: a world unit is as long on screen in X as in Y.
    const Vec2 o = t.toView({5000, 5000});
    const Vec2 right = t.toView({15000, 5000});
    const Vec2 up = t.toView({5000, 15000});
    EXPECT_NEAR(right.x - o.x, o.y - up.y, 1e-9);
    EXPECT_GT(right.x, o.x);
    EXPECT_LT(up.y, o.y); // above in the world is above on the screen
}

TEST(ViewMapping, FitInAWideViewUsesTheHeight)
{
    BoundingBox box;
    box.add({-100, -100});
    box.add({100, 100});
    const ViewTransform t = FitView(box, 600, 300, 10);
    EXPECT_DOUBLE_EQ(t.scale, 280.0 / 200.0);
    EXPECT_TRUE(Near(t.toView({0, 0}), {300, 150}, 1e-9));
    EXPECT_TRUE(Near(t.toView({-100, 100}), {300 - 140, 10}, 1e-9));
}

TEST(ViewMapping, FitWithoutExtent)
{
    BoundingBox point;
    point.add({0, 0});
    const ViewTransform t = FitView(point, 200, 100, 10);
    EXPECT_EQ(t.scale, 1.0);
    EXPECT_TRUE(Near(t.toView({0, 0}), {100, 50}));

    const ViewTransform e = FitView(BoundingBox{}, 200, 100, 10);
    EXPECT_TRUE(Near(e.toView({0, 0}), {100, 50}));

    // A horizontal line: only the width limits.
    BoundingBox line;
    line.add({0, 0});
    line.add({1000, 0});
    const ViewTransform l = FitView(line, 200, 100, 10);
    EXPECT_DOUBLE_EQ(l.scale, 180.0 / 1000.0);
    EXPECT_TRUE(Near(l.toView({500, 0}), {100, 50}));

    // A view smaller than its margins still gives a usable scale.
    const ViewTransform tiny = FitView(line, 5, 5, 10);
    EXPECT_GT(tiny.scale, 0.0);
    EXPECT_TRUE(std::isfinite(tiny.scale));
}

TEST(ViewMapping, FitsTheWholeInt32Range)
{
    BoundingBox box;
    box.add({double(kMin), double(kMin)});
    box.add({256.0 * kMax, 256.0 * kMax});
    const ViewTransform t = FitView(box, 400, 400, 20);
    const Vec2 a = t.toView({double(kMin), double(kMin)});
    const Vec2 b = t.toView({256.0 * kMax, 256.0 * kMax});
    EXPECT_NEAR(a.x, 20, 1e-6);
    EXPECT_NEAR(b.x, 380, 1e-6);
    EXPECT_NEAR(a.y, 380, 1e-6);
    EXPECT_NEAR(b.y, 20, 1e-6);
}

TEST(ViewMapping, RoundTrip)
{
    const ViewTransform t{0.25, 13, 400};
    const Vec2 w{1234, -567};
    EXPECT_TRUE(Near(t.toWorld(t.toView(w)), w, 1e-9));
}

TEST(ViewMapping, ZoomKeepsThePointUnderTheCursor)
{
    const ViewTransform t{0.012, 20, 320};
    const Vec2 cursor{123, 77};
    const Vec2 before = t.toWorld(cursor);
    for (double factor : {2.0, 0.5, 1.25, 10.0}) {
        SCOPED_TRACE(factor);
        const ViewTransform z = ZoomAbout(t, factor, cursor);
        EXPECT_DOUBLE_EQ(z.scale, t.scale * factor);
        EXPECT_TRUE(Near(z.toWorld(cursor), before, 1e-6));
        EXPECT_TRUE(Near(z.toView(before), cursor, 1e-9));
    }
    // A point elsewhere moves away from the cursor when zooming in.
    const ViewTransform z = ZoomAbout(t, 2.0, cursor);
    const Vec2 other = t.toView({0, 0});
    const Vec2 moved = z.toView({0, 0});
    EXPECT_TRUE(Near(
        moved, {cursor.x + 2 * (other.x - cursor.x), cursor.y + 2 * (other.y - cursor.y)}, 1e-9));
    // Nonsense factors change nothing.
    EXPECT_EQ(ZoomAbout(t, 0.0, cursor), t);
    EXPECT_EQ(ZoomAbout(t, -2.0, cursor), t);
    EXPECT_EQ(ZoomAbout(t, std::numeric_limits<double>::quiet_NaN(), cursor), t);
}

TEST(ViewMapping, PanMovesThePicture)
{
    const ViewTransform t{0.5, 10, 20};
    const ViewTransform p = Pan(t, 30, -5);
    EXPECT_EQ(p.scale, t.scale);
    EXPECT_TRUE(Near(p.toView({100, 100}), {10 + 50 + 30, 20 - 50 - 5}));
}

// --- Flattening for the view -------------------------------------------------

namespace {

BoundingBox Clip(double w, double h)
{
    BoundingBox b;
    b.add({0, 0});
    b.add({w, h});
    return b;
}

} // namespace

TEST(FlattenForView, LinesAreClippedToTheView)
{
    const auto p = Build({Line(1000, 0)}, 1);
    const ViewTransform t{1.0, -500, 50}; // world x 500..600 is on screen
    ViewPolylines out;
    FlattenForView(p[0], t, Clip(100, 100), 0.25, out);
    ASSERT_EQ(out.runEnds.size(), 1u);
    ASSERT_EQ(out.points.size(), 2u);
    EXPECT_TRUE(Near(out.points[0], {0, 50}));
    EXPECT_TRUE(Near(out.points[1], {100, 50}));

    out.clear();
    FlattenForView(p[0], ViewTransform{1.0, 0, 500}, Clip(100, 100), 0.25, out);
    EXPECT_TRUE(out.points.empty());
}

TEST(FlattenForView, ArcStaysWithinToleranceOfItsCircle)
{
    const auto p = Build({Line(20000, 0), Arc(2, 30000, 10000, 20000, 10000)}, 1);
    BoundingBox box = TrajectoryBounds(p);
    const ViewTransform t = FitView(box, 400, 400, 20);
    ViewPolylines out;
    FlattenForView(p[1], t, Clip(400, 400), 0.25, out);
    ASSERT_EQ(out.runEnds.size(), 1u);
    ASSERT_GE(out.points.size(), 8u);
    const Vec2 c = t.toView(p[1].centre);
    const double r = p[1].radius * t.scale;
    for (std::size_t i = 0; i + 1 < out.points.size(); ++i) {
        const Vec2 a = out.points[i];
        const Vec2 b = out.points[i + 1];
        EXPECT_NEAR(std::hypot(a.x - c.x, a.y - c.y), r, 1e-9);
        // The chord's middle strays from the circle by at most the tolerance.
        const Vec2 m{(a.x + b.x) / 2, (a.y + b.y) / 2};
        EXPECT_LE(r - std::hypot(m.x - c.x, m.y - c.y), 0.25 + 1e-9);
    }
    // The run covers the three quarters and only them: it passes the
    // leftmost point of the circle, never the lower right.
    bool left = false;
    for (const Vec2 &q : out.points) {
        left = left || std::fabs(q.x - (c.x - r)) < 0.5;
        EXPECT_FALSE(q.x > c.x + 1 && q.y > c.y + 1) << q.x << ", " << q.y;
    }
    EXPECT_TRUE(left);
}

TEST(FlattenForView, HugeArcZoomedInGivesOnlyTheVisiblePart)
{
    // A circle of radius 2e9 about the origin, seen through a 400 x 400
    // view at one pixel per unit around its rightmost point.
    const auto p = Build({Line(2000000000, 0), Arc(3, 2000000000, 0, 0, 0)}, 1);
    ASSERT_EQ(p[1].kind, PrimitiveKind::Arc);
    const ViewTransform t{1.0, 200 - 2000000000.0, 200};
    ViewPolylines out;
    FlattenForView(p[1], t, Clip(400, 400), 0.25, out);
    ASSERT_FALSE(out.points.empty());
    EXPECT_LT(out.points.size(), 1000u);
    for (const Vec2 &q : out.points) {
        EXPECT_NEAR(q.x, 200, 1.0); // the visible piece is a vertical line
        EXPECT_GT(q.y, -500);
        EXPECT_LT(q.y, 900);
    }
}

TEST(FlattenForView, ArcsOutsideTheViewGiveNothing)
{
    const auto p = Build({Line(100, 0), Arc(3, 100, 0, 0, 0)}, 1);
    ViewPolylines out;
    // Far off to the right.
    FlattenForView(p[1], ViewTransform{1.0, 5000, 200}, Clip(400, 400), 0.25, out);
    EXPECT_TRUE(out.points.empty());
    // The view lies inside the circle without touching it.
    FlattenForView(p[1], ViewTransform{100.0, 200, 200}, Clip(400, 400), 0.25, out);
    EXPECT_TRUE(out.points.empty());
}
