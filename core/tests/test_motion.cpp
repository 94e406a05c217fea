#include "geometry/Motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

using namespace pos;

namespace {

constexpr double kPi = std::numbers::pi;

PosSegment Seg(std::int32_t type, std::int32_t x, std::int32_t y, std::uint32_t v0,
               std::uint32_t vmax, std::uint32_t ms, std::int32_t cx = 0, std::int32_t cy = 0)
{
    return {.type = type,
            .initialSpeed = v0,
            .maxSpeed = vmax,
            .accDecTime = ms,
            .endX = x,
            .endY = y,
            .centreX = cx,
            .centreY = cy};
}

PosConfig Outline(int actionMode, const std::vector<PosSegment> &segments)
{
    PosConfig c;
    c.actionMode = static_cast<std::uint16_t>(actionMode);
    std::uint32_t n = 0;
    for (const PosSegment &s : segments)
        c.segments[++n] = s;
    return c;
}

} // namespace

TEST(Motion, SegmentProfilesComputedByHand)
{
    struct Case
    {
        const char *what;
        double length;
        std::uint32_t v0, vmax, ms;
        double time, peak, ramp;
    };
    const Case cases[] = {
        // 100 -> 100000 Hz in 0.1 s covers 5005 pulses each way; 9990 at the top.
        {"reaches its maximum", 20000, 100, 100000, 100, 0.2 + 9990.0 / 100000, 100000, 0.1},
        // Exactly the two ramps: 0 -> 10000 Hz in 0.1 s is 500 pulses each way.
        {"just reaches it", 1000, 0, 10000, 100, 0.2, 10000, 0.1},
        // a = 100000 Hz/s; half of 250 pulses up: v = sqrt(2 a 125) = 5000.
        {"turns back below it", 250, 0, 10000, 100, 0.1, 5000, 0.05},
        {"no time to ramp", 3000, 100, 1000, 0, 3.0, 1000, 0.0},
        {"nothing to gain", 3000, 1000, 1000, 500, 3.0, 1000, 0.0},
        {"no length", 0, 100, 1000, 100, 0.0, 100, 0.0},
    };
    for (const Case &c : cases) {
        const SegmentMotion m = ProfileSegment(c.length, c.v0, c.vmax, c.ms);
        ASSERT_TRUE(m.timed()) << c.what;
        EXPECT_NEAR(m.time, c.time, 1e-12) << c.what;
        EXPECT_NEAR(m.peakSpeed, c.peak, 1e-9) << c.what;
        EXPECT_NEAR(m.rampTime, c.ramp, 1e-12) << c.what;
    }
}

TEST(Motion, ZeroAndInvertedSpeedsLeaveTheTimeUnknown)
{
    EXPECT_EQ(ProfileSegment(100, 0, 0, 100).problem, MotionProblem::ZeroMaxSpeed);
    EXPECT_EQ(ProfileSegment(100, 500, 0, 0).problem, MotionProblem::ZeroMaxSpeed);
    EXPECT_EQ(ProfileSegment(100, 500, 499, 100).problem, MotionProblem::MaxBelowInitial);
    const MotionEstimate e = EstimateMotion(
        Outline(1, {Seg(kTypeLine, 100, 0, 0, 0, 0), Seg(kTypeLine, 200, 0, 10, 5, 10),
                    Seg(kTypeLine, 300, 0, 100, 100, 0)}));
    EXPECT_EQ(e.untimed, 2u);
    EXPECT_FALSE(e.complete());
    EXPECT_DOUBLE_EQ(e.length, 300.0) << "lengths are known all the same";
    EXPECT_DOUBLE_EQ(e.time, 1.0) << "only the timed segment counts";
    EXPECT_EQ(SpeedAt(e.segments[0], 0.5), 0.0);
}

TEST(Motion, ArcsByRadiusTimesSweepAndChainsByTheActionMode)
{
    // 1000 Hz throughout: the time in ms is the length.
    const auto lengths = [](int mode, const std::vector<PosSegment> &segments) {
        std::vector<double> out;
        for (const SegmentMotion &m : EstimateMotion(Outline(mode, segments)).segments) {
            EXPECT_NEAR(m.time * 1000, m.length, 1e-9);
            out.push_back(m.length);
        }
        return out;
    };
    const auto near = [](const std::vector<double> &got, const std::vector<double> &want) {
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_NEAR(got[i], want[i], 1e-6) << "segment " << i + 1;
    };
    const PosSegment toA = Seg(kTypeLine, 100, 0, 1000, 1000, 0);
    // A quarter counter-clockwise about the origin from (100, 0) to (0, 100).
    near(lengths(1, {toA, Seg(kTypeCcw, 0, 100, 1000, 1000, 0, 0, 0)}), {100, 50 * kPi});
    // The same turned clockwise goes the long way round.
    near(lengths(1, {toA, Seg(kTypeCw, 0, 100, 1000, 1000, 0, 0, 0)}), {100, 150 * kPi});
    // Ending where it begins: a full circle of radius 50.
    near(lengths(1, {Seg(kTypeCw, 0, 0, 1000, 1000, 0, 50, 0)}), {100 * kPi});
    // The same points, chained: absolute goes nowhere the second time,
    // incremental goes on from where the first ended.
    const PosSegment diagonal = Seg(kTypeLine, 300, 400, 1000, 1000, 0);
    near(lengths(1, {diagonal, diagonal}), {500, 0});
    near(lengths(0, {diagonal, diagonal}), {500, 500});
    // Incremental arc: the centre is relative to where it begins (100, 0).
    near(lengths(0, {toA, Seg(kTypeCcw, -100, 100, 1000, 1000, 0, -100, 0)}), {100, 50 * kPi});
}

TEST(Motion, WorkedExampleAndItsProfile)
{
    PosConfig c = Outline(1, {Seg(kTypeLine, 20000, 0, 100, 100000, 100),
                              Seg(kTypeCw, 30000, 10000, 100, 70000, 200, 20000, 10000)});
    c.segments[2].travel = true;
    const MotionEstimate e = EstimateMotion(c);
    const double arc = 15000 * kPi; // three quarters of radius 10000, clockwise
    const double arcTime = 0.4 + (arc - 2 * 7010.0) / 70000;
    EXPECT_NEAR(e.length, 20000 + arc, 1e-6);
    EXPECT_NEAR(e.travelLength, arc, 1e-6);
    EXPECT_NEAR(e.time, 0.2999 + arcTime, 1e-12);
    EXPECT_EQ(SegmentStartTimes(e.segments), (std::vector<double>{0.0, e.segments[0].time}));

    const SegmentMotion &line = e.segments[0];
    // Up at 999000 Hz/s for 0.1 s, flat, down the same way.
    const std::tuple<double, double> samples[] = {{-1, 100},
                                                  {0.05, 100 + 999000 * 0.05},
                                                  {0.1, 100000},
                                                  {0.15, 100000},
                                                  {0.2999 - 0.025, 100 + 999000 * 0.025},
                                                  {0.2999, 100},
                                                  {5, 100}};
    for (const auto &[t, v] : samples)
        EXPECT_NEAR(SpeedAt(line, t), v, 1e-6) << t;
}

TEST(Motion, LongerIsNeverQuickerAndFasterIsNeverSlower)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> speed(0, 200000), ms(0, 2000);
    std::uniform_real_distribution<double> length(0, 1e6), grow(0, 1e5);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t v0 = speed(random), t = ms(random);
        const std::uint32_t vmax = v0 + speed(random) + 1;
        const double l = length(random);
        const SegmentMotion m = ProfileSegment(l, v0, vmax, t);
        const double longer = ProfileSegment(l + grow(random), v0, vmax, t).time;
        const double faster = ProfileSegment(l, v0, vmax + speed(random), t).time;
        ASSERT_TRUE(m.timed());
        ASSERT_GE(longer, m.time * (1 - 1e-12)) << l << ' ' << v0 << ' ' << vmax << ' ' << t;
        ASSERT_LE(faster, m.time * (1 + 1e-12)) << l << ' ' << v0 << ' ' << vmax << ' ' << t;
        ASSERT_LE(m.peakSpeed, vmax * (1 + 1e-12));
    }
}
