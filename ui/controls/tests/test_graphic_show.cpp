// The trajectory view as a user works it: what it adds to the pure mapping
// and geometry (tested in core/tests/test_trajectory.cpp) is the wheel, the
// mouse, the hover text, and when a new drawing is fitted or redrawn.

#include "controls/CGraphicShow.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Segments as {type, end x, end y, circle x, circle y}.
using Segs = std::vector<std::array<std::int32_t, 5>>;

// A line to (20000, 0), then clockwise about (20000, 10000) to (30000, 10000);
// the same outline written relative to where each segment begins.
const Segs kAbsolute = {{1, 20000, 0, 0, 0}, {2, 30000, 10000, 20000, 10000}};
const Segs kIncremental = {{1, 20000, 0, 0, 0}, {2, 10000, 10000, 0, 10000}};

// Draws as a page does: seven arrays (begin points 0), freed as soon as the
// call returns, so every picture below is drawn from the view's own copy.
void Draw(CGraphicShow &view, const Segs &segs, std::int32_t current)
{
    std::vector<std::int32_t> a[7]; // type, end x and y, circle x and y, begin x and y
    for (const auto &seg : segs)
        for (std::size_t i = 0; i < 7; ++i)
            a[i].push_back(i < 5 ? seg[i] : 0);
    view.DrawTrajectory(a[3].data(), a[4].data(), a[5].data(), a[6].data(), a[1].data(),
                        a[2].data(), a[0].data(), std::int32_t(segs.size()), current, true);
}

void Wheel(QWidget &w, QPointF at, int delta)
{
    QWheelEvent e(at, w.mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(&w, &e);
}

class GraphicShowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(400, 400);
        view.setActionMode(1);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPointF at(double x, double y) const
    {
        const pos::Vec2 v = view.viewTransform().toView({x, y});
        return {v.x, v.y};
    }

    CGraphicShow view;
};

TEST_F(GraphicShowTest, WheelZoomsAboutTheCursorWithinLimits)
{
    Draw(view, kAbsolute, 0);
    const double fit = view.viewTransform().scale;
    const QPointF cursor = at(10000, 10000); // on the arc
    Wheel(view, cursor, 120);
    EXPECT_GT(view.viewTransform().scale, fit * 1.05);
    const pos::Vec2 under = view.viewTransform().toWorld({cursor.x(), cursor.y()});
    EXPECT_LT(std::hypot(under.x - 10000, under.y - 10000), 1e-6);
    for (int i = 0; i < 200; ++i)
        Wheel(view, {200, 200}, -120);
    EXPECT_GT(view.viewTransform().scale, fit / 1000);
    for (int i = 0; i < 400; ++i)
        Wheel(view, {200, 200}, 120);
    EXPECT_LE(view.viewTransform().scale, 1000.0);
}

TEST_F(GraphicShowTest, DragPansAndDoubleClickFitsAgain)
{
    Draw(view, kAbsolute, 0);
    const pos::ViewTransform fit = view.viewTransform();
    QTest::mousePress(&view, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&view, {130, 90});
    QTest::mouseMove(&view, {160, 80});
    QTest::mouseRelease(&view, Qt::LeftButton, {}, {160, 80});
    QTest::mouseMove(&view, {300, 300}); // no button: no pan
    const pos::ViewTransform panned = view.viewTransform();
    EXPECT_EQ(panned.scale, fit.scale);
    EXPECT_NEAR(panned.offsetX - fit.offsetX, 60, 1e-9);
    EXPECT_NEAR(panned.offsetY - fit.offsetY, -20, 1e-9);
    QTest::mouseDClick(&view, Qt::LeftButton, {}, {250, 250});
    EXPECT_EQ(view.viewTransform(), fit);
}

TEST_F(GraphicShowTest, HoverTellsTheSegmentAndItsEndPoint)
{
    QSignalSpy spy(&view, &CGraphicShow::hoverChanged);
    Draw(view, kAbsolute, 0);
    for (auto [x, y, segment, text] : {std::tuple(12000, 0, 1, u"1: (20000, 0)"_s),
                                       {10000, 10000, 2, u"2: (30000, 10000)"_s},
                                       {20000, 10000, 0, QString()},   // inside the circle
                                       {27071, 2929, 0, QString()}}) { // where the arc is not
        QTest::mouseMove(&view, at(x, y).toPoint());
        EXPECT_EQ(std::pair(view.hoveredSegment(), view.hoverText()), std::pair(segment, text));
        EXPECT_EQ(spy.isEmpty() ? QVariantList() : spy.last(), (QVariantList{segment, text}));
    }
}

TEST_F(GraphicShowTest, SteppingThroughTheSameChainKeepsTheZoomANewChainIsFitted)
{
    Draw(view, kAbsolute, 1);
    Wheel(view, {120, 200}, 120);
    const pos::ViewTransform zoomed = view.viewTransform();
    Draw(view, kAbsolute, 2);
    EXPECT_EQ(view.viewTransform(), zoomed);
    Draw(view, {kAbsolute[0], kAbsolute[1], {1, 0, 0, 0, 0}}, 3);
    EXPECT_TRUE(view.isFitted());
}

TEST_F(GraphicShowTest, ANewActionModeIsDrawnAtTheNextDraw)
{
    Draw(view, kIncremental, 0); // read as absolute: the arc ends at (10000, 10000)
    Wheel(view, {200, 200}, 120);
    view.setActionMode(0);
    EXPECT_DOUBLE_EQ(view.primitives()[1].end.x, 10000);
    Draw(view, kIncremental, 0);
    EXPECT_TRUE(view.isFitted());
    QTest::mouseMove(&view, at(10000, 10000).toPoint());
    EXPECT_EQ(view.hoverText(), u"2: (30000, 10000)"_s);
}

TEST_F(GraphicShowTest, MissingArraysReadAsZeroAndWithoutCountNothingIsDrawn)
{
    const std::int32_t ex[2] = {100, 200}, ey[2] = {0, 100};
    for (auto [x, y, count, drawn] : {std::tuple(ex, ey, 2, 2u),
                                      {nullptr, nullptr, 2, 0u},
                                      {ex, ey, -1, 0u},
                                      {ex, ey, INT32_MIN, 0u}}) {
        view.DrawTrajectory(nullptr, nullptr, nullptr, nullptr, x, y, nullptr, count, 1, true);
        EXPECT_EQ(view.primitives().size(), drawn) << count;
    }
}

} // namespace
