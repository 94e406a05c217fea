#include "geometry/ArcCheck.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pos;

namespace {

struct ArcCase
{
    const char *name;
    std::int32_t cx, cy, bx, by, ex, ey;
    int result;
    std::int32_t x0, y0, x1, y1; // candidates when result is 2
};

class CentrePointCheck : public ::testing::TestWithParam<ArcCase>
{};

} // namespace

TEST_P(CentrePointCheck, ResultAndCandidates)
{
    const ArcCase &c = GetParam();
    std::int32_t xs[2] = {c.ex, c.ex};
    std::int32_t ys[2] = {c.ey, c.ey};
    ASSERT_EQ(CheckArcEnd(c.bx, c.by, xs, ys, c.cx, c.cy), c.result);
    if (c.result == kArcCandidates) {
        EXPECT_EQ(xs[0], c.x0);
        EXPECT_EQ(ys[0], c.y0);
        EXPECT_EQ(xs[1], c.x1);
        EXPECT_EQ(ys[1], c.y1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arcs, CentrePointCheck,
    ::testing::Values(
        ArcCase{"OnTheArcWithinTolerance", 0, 0, 100, 0, 70, 70, kArcOk, 0, 0, 0, 0},
        ArcCase{"OffTheArc", 0, 0, 100, 0, 50, 50, kArcCandidates, 71, 71, -71, -71},
        ArcCase{"FirstCandidateOnGreaterXNotNearest", 0, 0, 100, 0, -50, 50, kArcCandidates, 71,
                -71, -71, 71},
        ArcCase{"EndStraightAboveCentre", 0, 0, 0, 100, 0, 50, kArcCandidates, 0, 100, 0, -100},
        ArcCase{"ExactlyOneOffIsOutside", 0, 0, 0, -100, 0, -99, kArcCandidates, 0, 100, 0, -100},
        ArcCase{"ExactlyOneOffTheFirstCandidate", 0, 0, 100, 0, 99, 0, kArcCandidates, 100, 0, -100,
                0},
        ArcCase{"EndOnTheCentre", 10, 10, 20, 10, 10, 10, kArcCandidates, 10, 20, 10, 0},
        ArcCase{"BeginOnTheCentre", 5, 5, 5, 5, 100, 100, kArcImpossible, 0, 0, 0, 0},
        ArcCase{"FullCircle", 0, 0, 100, 0, 100, 0, kArcOk, 0, 0, 0, 0},
        ArcCase{"SmallArcWithinTolerance", 0, 0, 3, 0, 2, 2, kArcOk, 0, 0, 0, 0},
        ArcCase{"SecondCandidateMatches", 0, 0, 100, 0, -100, 0, kArcOk, 0, 0, 0, 0},
        ArcCase{"CandidatesRoundHalfUp", 0, 0, 100, 0, 30, 10, kArcCandidates, 95, 32, -95, -32},
        ArcCase{"CandidatesBeyond32Bits", 2147483647, 0, -2147483647 - 1, 0, 2147483647, 5,
                kArcImpossible, 0, 0, 0, 0},
        ArcCase{"FarPointsWithoutOverflow", -2147483647 - 1, -2147483647 - 1, 0, 0, 0, 0, kArcOk, 0,
                0, 0, 0}),
    [](const ::testing::TestParamInfo<ArcCase> &p) { return p.param.name; });

TEST(PassThroughArc, NeedsThreePointsOffOneLine)
{
    EXPECT_TRUE(PassThroughArcExists(0, 0, 50, 50, 100, 0));
    EXPECT_FALSE(PassThroughArcExists(0, 0, 50, 0, 100, 0)) << "collinear";
    EXPECT_FALSE(PassThroughArcExists(0, 0, 0, 0, 100, 0)) << "pass point on the begin point";
    EXPECT_FALSE(PassThroughArcExists(0, 0, 100, 0, 100, 0)) << "pass point on the end point";
    EXPECT_FALSE(PassThroughArcExists(0, 0, 50, 50, 0, 0)) << "end point on the begin point";
    // Collinear at the far ends of the range, where 64-bit products overflow.
    const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(PassThroughArcExists(lo, lo, 0, 0, hi, hi));
    EXPECT_TRUE(PassThroughArcExists(lo, lo, 0, 1, hi, hi));
}

TEST(SegmentArcCheck, DispatchesOnTheCentreModeAndTellsWhy)
{
    // Half circle about (0, 0) from (100, 0) through (60, 80) to (-100, 0): right as a
    // pass-through point, refused if (60, 80) were taken as the centre.
    const PosSegment pass = test::Arc(kTypeCcw, -100, 0, 60, 80, kPassPoint);
    EXPECT_EQ(CheckSegmentArc(100, 0, pass).result, kArcOk);
    const PosSegment centre = test::Arc(kTypeCcw, -100, 0, 60, 80, kCentrePoint);
    EXPECT_EQ(CheckSegmentArc(100, 0, centre).result, kArcCandidates);
    const PosSegment straight = test::Arc(kTypeCw, 100, 0, 50, 0, kPassPoint);
    const ArcCheck none = CheckSegmentArc(0, 0, straight);
    EXPECT_EQ(none.result, kArcImpossible);
    EXPECT_EQ(ArcDiagnostic(none, 0, 0, straight).id, sid::NoArc);

    // Message 10025 lists centre, begin point, entered end point and both candidates.
    const PosSegment seg = test::Arc(kTypeCcw, 30, 10, 0, 0);
    const ArcCheck check = CheckSegmentArc(100, 0, seg);
    ASSERT_EQ(check.result, kArcCandidates);
    EXPECT_EQ(Describe(ArcDiagnostic(check, 100, 0, seg), Lang::En),
              "Center(0, 0)  Beginning(100, 0)  End(30, 10)\n"
              "The end point does not exist on the specified arc. Please choose one from the "
              "following two options, or input again\n"
              "[End(X) = 95, End(Y) = 32]\n[End(X) = -95, End(Y) = -32]");
    EXPECT_EQ(Describe(ArcDiagnostic(check, 100, 0, seg), Lang::Zh),
              "圆心(0, 0)  起点(100, 0)  终点(30, 10)\n"
              "经过计算，该终点不在给定的圆弧上，请从如下计算结果中选择一组，或重新输入\n"
              "[终点(X) = 95，终点(Y) = 32]\n[终点(X) = -95，终点(Y) = -32]");
}
