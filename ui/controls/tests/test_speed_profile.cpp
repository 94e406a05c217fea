// The speed profile: that what it draws and tells at each moment is the
// motion model's speed (tested in core/tests/test_motion.cpp) of the segment
// then running, what it says about segments without a time, the highlight,
// its ticks, and that odd outlines lay out without texts on each other. The
// mouse over it is tested with the trajectory display it sits in.

#include "controls/CSpeedProfile.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

pos::SegmentMotion Segment(std::uint32_t n, double length, std::uint32_t v0, std::uint32_t v1,
                           std::uint32_t ms)
{
    pos::SegmentMotion m = pos::ProfileSegment(length, v0, v1, ms);
    m.segment = n;
    return m;
}

// A trapezoid, a triangle, a constant speed, one without a time, a jump to
// the peak (no ramp).
std::vector<pos::SegmentMotion> Outline()
{
    return {Segment(1, 20000, 100, 100000, 100), Segment(2, 1000, 100, 70000, 200),
            Segment(3, 5000, 3000, 3000, 100), Segment(4, 4000, 100, 0, 100),
            Segment(5, 3000, 0, 5000, 0)};
}

// The y of a drawn polyline at x, where it is not vertical.
std::optional<double> CurveAt(const QPolygonF &curve, double x)
{
    for (qsizetype i = 1; i < curve.size(); ++i) {
        const QPointF a = curve[i - 1];
        const QPointF b = curve[i];
        if (b.x() - a.x() > 1e-9 && x >= a.x() && x <= b.x())
            return a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
    }
    return std::nullopt;
}

class SpeedProfileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        profile.resize(480, 300);
        profile.setMotion(Outline());
        profile.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&profile));
    }

    CSpeedProfile profile;
};

TEST_F(SpeedProfileTest, EachMomentShowsTheSpeedOfTheSegmentThenRunning)
{
    const std::vector<pos::SegmentMotion> &motion = profile.motion();
    const std::vector<double> starts = pos::SegmentStartTimes(motion);
    ASSERT_EQ(profile.curves().size(), 4u) << "the segment without a time is not drawn";
    std::size_t curve = 0;
    for (std::size_t i = 0; i < motion.size(); ++i) {
        const pos::SegmentMotion &m = motion[i];
        if (!m.timed())
            continue;
        for (const double f : {0.01, 0.2, 0.5, 0.8, 0.99}) {
            const double t = starts[i] + f * m.time;
            const double expected = pos::SpeedAt(m, f * m.time);
            EXPECT_EQ(profile.segmentAt(t), static_cast<int>(m.segment)) << f;
            EXPECT_NEAR(profile.speedAt(t), expected, 1e-6) << m.segment << " at " << f;
            const QPointF at = profile.toPlot(t, expected);
            const std::optional<double> drawn = CurveAt(profile.curves()[curve], at.x());
            ASSERT_TRUE(drawn) << m.segment << " at " << f;
            EXPECT_NEAR(*drawn, at.y(), 0.01) << m.segment << " at " << f;
            EXPECT_NEAR(profile.secondsAt(at.x()), t, 1e-9);
        }
        ++curve;
    }
    EXPECT_DOUBLE_EQ(profile.totalTime(), starts[4] + motion[4].time);
    EXPECT_EQ(profile.segmentAt(starts[1]), 2) << "a boundary belongs to the segment beginning";
    EXPECT_EQ(profile.segmentAt(profile.totalTime()), 5);
    for (const double outside :
         {-0.001, profile.totalTime() * 1.001, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(profile.segmentAt(outside), 0);
        EXPECT_EQ(profile.speedAt(outside), 0.0);
    }
}

TEST_F(SpeedProfileTest, WhatCannotBeTimedIsSaid)
{
    std::vector<pos::SegmentMotion> many;
    for (std::uint32_t n = 1; n <= 12; ++n)
        many.push_back(Segment(n, 100, 0, 0, 0));
    many.push_back(Segment(13, 100, 100, 1000, 10));
    const QString none = u"No speed profile: the time of the segments cannot be computed, as "
                         "their maximum speed is 0 or below their initial speed."_s;
    const QString empty = u"No speed profile: there are no segments, or they have no length."_s;
    // clang-format off
    const std::tuple<std::vector<pos::SegmentMotion>, QString, bool> cases[] = {
        {Outline(), u"Not shown, their time cannot be computed: segments 4"_s, true},
        {many, u"Not shown, their time cannot be computed: segments 1, 2, 3, 4, 5, 6, 7, 8, …"_s, true},
        {{Segment(1, 300, 0, 0, 0), Segment(2, 50, 500, 100, 10)}, none, false}, // as imported
        {{}, empty, false},
        {{Segment(1, 0, 100, 1000, 10)}, empty, false},
    };
    // clang-format on
    for (const auto &[motion, message, plotted] : cases) {
        profile.setMotion(motion);
        EXPECT_EQ(profile.message(), message);
        EXPECT_EQ(!profile.plotRect().isEmpty(), plotted) << message.toStdString();
        if (!plotted) { // in the plot's place
            ASSERT_EQ(profile.textRects().size(), 1);
            EXPECT_TRUE(QRectF(profile.rect()).contains(profile.textRects()[0]));
        }
        profile.grab();
    }
}

} // namespace
