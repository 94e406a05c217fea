#include "geometry/CurveFit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

using namespace pos::geo;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// n + 1 points of f over [a, b].
std::vector<Vec> Sample(const std::function<Vec(double)> &f, double a, double b, int n = 2000)
{
    std::vector<Vec> out;
    for (int i = 0; i <= n; ++i)
        out.push_back(f(a + (b - a) * i / n));
    return out;
}

std::vector<Vec> Sample(const Curves &curves, int perCurve = 16)
{
    std::vector<Vec> out;
    for (const Curve &c : curves)
        for (int i = 0; i <= perCurve; ++i)
            out.push_back(c.at(double(i) / perCurve));
    return out;
}

double DistanceTo(const Curves &curves, Vec p)
{
    double d = std::numeric_limits<double>::infinity();
    for (const Curve &c : curves)
        d = std::min(d, c.distanceTo(p));
    return d;
}

// The larger of: the furthest point of truth (a dense polyline) from the
// curves, and the furthest sample of the curves from that polyline.
double TwoWay(const Curves &curves, const std::vector<Vec> &truth)
{
    Curves polyline;
    for (std::size_t i = 1; i < truth.size(); ++i)
        polyline.push_back(Curve::Line(truth[i - 1], truth[i]));
    double worst = 0.0;
    for (Vec p : truth)
        worst = std::max(worst, DistanceTo(curves, p));
    for (Vec p : Sample(curves))
        worst = std::max(worst, DistanceTo(polyline, p));
    return worst;
}

::testing::AssertionResult Continuous(const Curves &curves)
{
    for (std::size_t i = 1; i < curves.size(); ++i)
        if (!(curves[i].begin == curves[i - 1].end))
            return ::testing::AssertionFailure() << "gap before curve " << i;
    for (const Curve &c : curves)
        if (c.fullTurn())
            return ::testing::AssertionFailure() << "a full turn";
    return ::testing::AssertionSuccess();
}

std::size_t Arcs(const Curves &curves)
{
    return std::size_t(
        std::count_if(curves.begin(), curves.end(), [](const Curve &c) { return c.arc; }));
}

Vec Bezier3(const std::vector<Vec> &p, std::size_t first, double s)
{
    const double q = 1.0 - s;
    return q * q * q * p[first] + 3.0 * q * q * s * p[first + 1] + 3.0 * q * s * s * p[first + 2]
           + s * s * s * p[first + 3];
}

} // namespace

// --- Ellipses ------------------------------------------------------------------

TEST(ApproximateEllipse, CircleComesOutAsExactQuarterArcs)
{
    const Vec c{10, -5};
    const Curves got = ApproximateEllipse(c, {0, 40}, {-40, 0}, 0.0, 2.0 * kPi, 0.01);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(Arcs(got), 4u);
    EXPECT_TRUE(Continuous(got));
    EXPECT_EQ(got.front().begin, (Vec{10, 35}));
    EXPECT_EQ(got.back().end, got.front().begin);
    for (const Curve &a : got) {
        EXPECT_EQ(a.centre, c);
        EXPECT_TRUE(a.ccw);
        EXPECT_NEAR(a.radius(), 40.0, 1e-12);
    }
}

TEST(ApproximateEllipse, StaysWithinTolBothWays)
{
    // Axes 100 and 30 turned by 0.4 rad; the second pair is the same ellipse
    // with conjugate semi-diameters at no right angle.
    const Vec a{100 * std::cos(0.4), 100 * std::sin(0.4)};
    const Vec b{-30 * std::sin(0.4), 30 * std::cos(0.4)};
    const Vec u = std::cos(0.7) * a + std::sin(0.7) * b;
    const Vec v = std::cos(0.7) * b - std::sin(0.7) * a;
    struct Case
    {
        Vec u, v;
        double t0, t1, tol;
    } cases[] = {
        {a, b, 0.0, 2.0 * kPi, 0.01},
        {a, b, 0.3, 2.2, 0.01},
        {u, v, -1.0, 1.0 + 2 * kPi, 0.05},
        {u, v, 2.0, 2.001, 0.001},
        {v, u, 1.0, 4.5, 0.002},
        {a, 2.0 * a, 0.5, 5.0, 0.01}, // parallel: back and forth on one line
    };
    const Vec c{-3, 7};
    for (const Case &k : cases) {
        const auto f = [&](double t) { return c + std::cos(t) * k.u + std::sin(t) * k.v; };
        const Curves got = ApproximateEllipse(c, k.u, k.v, k.t0, k.t1, k.tol);
        ASSERT_FALSE(got.empty());
        EXPECT_TRUE(Continuous(got));
        EXPECT_EQ(got.front().begin, f(k.t0));
        const bool full = k.t1 - k.t0 >= 2 * kPi - 1e-9;
        EXPECT_EQ(got.back().end, full ? f(k.t0) : f(k.t1));
        EXPECT_LE(TwoWay(got, Sample(f, k.t0, k.t1, 4000)), k.tol) << k.t0;
        if (Cross(k.u, k.v) == 0.0) {
            EXPECT_EQ(Arcs(got), 0u);
        }
    }
}

TEST(ApproximateEllipse, TolBeyondDoublePrecisionStaysBounded)
{
    const Curves got = ApproximateEllipse({}, {100, 0}, {10, 30}, 0.0, 2.0 * kPi, 1e-300);
    EXPECT_TRUE(Continuous(got));
    EXPECT_GT(got.size(), 8u);
    EXPECT_LE(got.size(), kFitMaxCurves + 2 * kFitMaxDepth);
}

TEST(ApproximateEllipse, BadInputGivesNothing)
{
    EXPECT_TRUE(ApproximateEllipse({}, {}, {}, 0, 1, 0.01).empty());
    EXPECT_TRUE(ApproximateEllipse({}, {1, 0}, {0, 1}, 1, 1, 0.01).empty());
    EXPECT_TRUE(ApproximateEllipse({}, {1, 0}, {0, 1}, 0, 1, 0).empty());
    EXPECT_TRUE(ApproximateEllipse({kNaN, 0}, {1, 0}, {0, 1}, 0, 1, 0.01).empty());
    EXPECT_TRUE(ApproximateEllipse({}, {1, 0}, {0, 1}, 0, INFINITY, 0.01).empty());
}

// --- NURBS -----------------------------------------------------------------------

TEST(ApproximateNurbs, CollinearControlPointsGiveLines)
{
    // Straight ahead, and a cubic that runs out past its end and back.
    const std::vector<double> knots{0, 0, 0, 0, 1, 1, 1, 1};
    for (const std::vector<Vec> &ctrl : {std::vector<Vec>{{0, 0}, {10, 5}, {20, 10}, {30, 15}},
                                         std::vector<Vec>{{0, 0}, {60, 0}, {60, 0}, {20, 0}}}) {
        const Curves got = ApproximateNurbs(3, knots, {}, ctrl, 0.01);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(Arcs(got), 0u);
        EXPECT_TRUE(Continuous(got));
        EXPECT_EQ(got.front().begin, ctrl.front());
        EXPECT_EQ(got.back().end, ctrl.back());
        EXPECT_LE(TwoWay(got, Sample([&](double s) { return Bezier3(ctrl, 0, s); }, 0, 1)), 0.01);
    }
    EXPECT_EQ(ApproximateNurbs(3, knots, {}, {{0, 0}, {10, 5}, {20, 10}, {30, 15}}, 0.01).size(),
              1u);
}

TEST(ApproximateNurbs, RationalQuadraticIsAQuarterCircle)
{
    const double w = std::sqrt(0.5);
    const Curves got
        = ApproximateNurbs(2, {0, 0, 0, 1, 1, 1}, {1, w, 1}, {{50, 0}, {50, 50}, {0, 50}}, 0.001);
    EXPECT_TRUE(Continuous(got));
    EXPECT_LE(got.size(), 2u);
    const auto circle = [](double t) { return Vec{50 * std::cos(t), 50 * std::sin(t)}; };
    EXPECT_LE(TwoWay(got, Sample(circle, 0, kPi / 2)), 0.001);
}

TEST(ApproximateNurbs, FullMultiplicityKnotIsACorner)
{
    // Two cubic Bezier pieces meeting at (30, 0) at a right angle.
    const std::vector<Vec> ctrl{{0, 0}, {10, 20}, {20, 20}, {30, 0}, {40, 10}, {50, -20}, {70, 0}};
    const std::vector<double> knots{0, 0, 0, 0, 1, 1, 1, 3, 3, 3, 3};
    const Curves got = ApproximateNurbs(3, knots, {}, ctrl, 0.005);
    EXPECT_TRUE(Continuous(got));
    EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](const Curve &c) {
        return c.end == Vec{30, 0};
    }));
    auto truth = Sample([&](double s) { return Bezier3(ctrl, 0, s); }, 0, 1);
    const auto second = Sample([&](double s) { return Bezier3(ctrl, 3, s); }, 0, 1);
    truth.insert(truth.end(), second.begin(), second.end());
    EXPECT_LE(TwoWay(got, truth), 0.005);
}

TEST(ApproximateNurbs, InvalidDataGivesNothing)
{
    const std::vector<Vec> ctrl{{0, 0}, {10, 20}, {20, 20}, {30, 0}};
    const std::vector<double> knots{0, 0, 0, 0, 1, 1, 1, 1};
    struct Case
    {
        int degree;
        std::vector<double> knots, weights;
        std::vector<Vec> ctrl;
    } cases[] = {
        {3, {0, 0, 0, 1, 0.5, 1, 1, 1}, {}, ctrl},                // decreasing knots
        {3, {0, 0, 0, 0, 1, 1, 1}, {}, {{0, 0}, {1, 1}, {2, 0}}}, // too few control points
        {3, {0, 0, 0, 1, 1, 1}, {}, ctrl},                        // too few knots
        {3, knots, {1, 0, 1, 1}, ctrl},                           // zero weight
        {3, knots, {1, -2, 1, 1}, ctrl},                          // negative weight
        {3, knots, {1, 1, 1}, ctrl},                              // weights missing
        {3, knots, {}, {{0, 0}, {kNaN, 1}, {2, 0}, {3, 3}}},      // NaN control point
        {3, {0, 0, 0, 0, kNaN, 1, 1, 1}, {}, ctrl},               // NaN knot
        {3, {1, 1, 1, 1, 1, 1, 1, 1}, {}, ctrl},                  // a zero range
        {0, {0, 1, 2, 3, 4}, {}, ctrl},                           // degree 0
        {kNurbsMaxDegree + 1, knots, {}, ctrl},                   // degree too high
    };
    for (const Case &k : cases)
        EXPECT_TRUE(ApproximateNurbs(k.degree, k.knots, k.weights, k.ctrl, 0.01).empty());
    EXPECT_TRUE(ApproximateNurbs(3, knots, {}, ctrl, 0.0).empty());
    // All control points in one place: a curve of no length.
    EXPECT_TRUE(ApproximateNurbs(3, knots, {}, std::vector<Vec>(4, {5, 5}), 0.01).empty());
}

// --- Fit points ------------------------------------------------------------------

TEST(ApproximateThroughPoints, PointsOnACircleGiveACircularArc)
{
    std::vector<Vec> pts;
    for (int i = 0; i <= 24; ++i)
        pts.push_back({50 * std::cos(i * kPi / 16), 50 * std::sin(i * kPi / 16)});
    const Curves got = ApproximateThroughPoints(pts, 0.001);
    EXPECT_TRUE(Continuous(got));
    EXPECT_EQ(got.front().begin, pts.front());
    EXPECT_EQ(got.back().end, pts.back());
    for (Vec p : pts)
        EXPECT_LE(DistanceTo(got, p), 0.001);
    const auto circle = [](double t) { return Vec{50 * std::cos(t), 50 * std::sin(t)}; };
    EXPECT_LE(TwoWay(got, Sample(circle, 0, 1.5 * kPi)), 0.05);
}

TEST(ApproximateThroughPoints, DegenerateInput)
{
    EXPECT_TRUE(ApproximateThroughPoints({}, 0.01).empty());
    EXPECT_TRUE(ApproximateThroughPoints({{1, 1}, {1, 1}, {1, 1}}, 0.01).empty());
    EXPECT_TRUE(ApproximateThroughPoints({{0, 0}, {kNaN, 1}, {2, 0}}, 0.01).empty());
    const Curves two = ApproximateThroughPoints({{0, 0}, {0, 0}, {3, 4}}, 0.01);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_FALSE(two[0].arc);
    // A point visited twice in a row and a sharp turn back stay bounded and joined.
    const Curves back = ApproximateThroughPoints({{0, 0}, {10, 0}, {0, 0}, {10, 1e-9}}, 1e-6);
    EXPECT_TRUE(Continuous(back));
    EXPECT_EQ(back.back().end, (Vec{10, 1e-9}));
}

// --- Thinning ----------------------------------------------------------------------

namespace {

Curves Polyline(const std::vector<Vec> &pts)
{
    Curves out;
    for (std::size_t i = 1; i < pts.size(); ++i)
        out.push_back(Curve::Line(pts[i - 1], pts[i]));
    return out;
}

} // namespace

TEST(SimplifyRun, ThinsWithinTolAndKeepsEnds)
{
    std::vector<Vec> straight, quarter, quarterCw, zigzag, circle;
    for (int i = 0; i <= 200; ++i)
        straight.push_back({0.1 * i, 0.05 * i});
    for (int i = 0; i <= 100; ++i) {
        const double t = kPi / 2 * i / 100;
        quarter.push_back({100 * std::cos(t), 100 * std::sin(t)});
        quarterCw.push_back({100 * std::cos(t), -100 * std::sin(t)});
        circle.push_back({10 * std::cos(4 * t), 10 * std::sin(4 * t)});
        zigzag.push_back({0.5 * i, i % 2 ? 0.05 : 0.0});
    }
    struct Case
    {
        std::vector<Vec> pts;
        std::size_t size, arcs, merged;
        bool ccw;
        double radius;
    } cases[] = {
        {straight, 1, 0, 199, true, 0},   {quarter, 1, 1, 0, true, 100},
        {quarterCw, 1, 1, 0, false, 100}, {zigzag, 100, 0, 0, true, 0},
        {circle, 2, 2, 0, true, 10}, // no arc of a full turn
    };
    for (const Case &k : cases) {
        const Curves before = Polyline(k.pts);
        Curves run = before;
        SimplifyCounts counts;
        SimplifyRun(run, 0.01, counts);
        ASSERT_EQ(run.size(), k.size);
        EXPECT_EQ(Arcs(run), k.arcs);
        EXPECT_EQ(counts.fittedArcs, k.arcs);
        EXPECT_EQ(counts.mergedLines, k.merged);
        EXPECT_EQ(counts.fittedLines, k.arcs ? 100u : 0u);
        EXPECT_TRUE(Continuous(run));
        EXPECT_EQ(run.front().begin, k.pts.front());
        EXPECT_EQ(run.back().end, k.pts.back());
        EXPECT_LE(TwoWay(run, Sample(before, 8)), 0.01);
        for (const Curve &c : run) {
            if (c.arc) {
                EXPECT_EQ(c.ccw, k.ccw);
                EXPECT_LE(c.sweep(), kFitMaxSweep);
                EXPECT_NEAR(c.radius(), k.radius, 0.01);
            }
        }
    }
}

TEST(SimplifyRun, TravelAndArcsAreKeptAndSplitRuns)
{
    Curves run;
    for (int i = 0; i < 50; ++i)
        run.push_back(Curve::Line({double(i), 0}, {double(i + 1), 0}));
    run.push_back(Curve::Line({50, 0}, {51, 0}, true));
    run.push_back(Curve::Arc({51, 0}, {53, 0}, {52, 0}, false));
    for (int i = 53; i < 80; ++i)
        run.push_back(Curve::Line({double(i), 0}, {double(i + 1), 0}));
    SimplifyCounts counts;
    SimplifyRun(run, 0.01, counts);
    ASSERT_EQ(run.size(), 4u);
    EXPECT_EQ(run[0].end, (Vec{50, 0}));
    EXPECT_TRUE(run[1].travel);
    EXPECT_TRUE(run[2].arc);
    EXPECT_EQ(run[3].begin, (Vec{53, 0}));
    EXPECT_EQ(counts.mergedLines, 49u + 26u);
    EXPECT_TRUE(Continuous(run));
}
