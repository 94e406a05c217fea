// The trajectory view as a user works it: what it adds to the pure mapping
// and geometry (tested in core/tests/test_trajectory.cpp) is the wheel, the
// mouse, the keys, the hover text, the scale bar and the point under the
// mouse, the preview of a segment being typed, and when a new drawing is
// fitted or redrawn.

#include "controls/CGraphicShow.h"
#include "geometry/TrajectorySvg.h"

#include <QApplication>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
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
    EXPECT_EQ(view.hoverText(), u"2: (10000, 10000) relative, ends at (30000, 10000)"_s);
    QTest::mouseMove(&view, at(12000, 0).toPoint());
    EXPECT_EQ(view.hoverText(), u"1: (20000, 0) relative, ends at (20000, 0)"_s);
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

// The middle of the visible drawing and its width, in drawing units.
struct Visible
{
    double x, y, width;
};
Visible Seen(const CGraphicShow &view)
{
    const pos::BoundingBox b = view.visibleArea();
    return {(b.minX + b.maxX) / 2, (b.minY + b.maxY) / 2, b.width()};
}

TEST_F(GraphicShowTest, KeysZoomAboutTheMiddlePanAndZeroFitsAgain)
{
    EXPECT_EQ(view.focusPolicy(), Qt::StrongFocus);
    EXPECT_FALSE(view.accessibleName().isEmpty());
    Draw(view, kAbsolute, 0);
    const pos::ViewTransform fit = view.viewTransform();
    const Visible before = Seen(view);
    // An eighth of the window per arrow; + and - by one wheel notch.
    const double step = before.width / 8;
    for (auto [key, x, y, width] : {std::tuple(Qt::Key_Plus, 0.0, 0.0, 1 / 1.25),
                                    {Qt::Key_Equal, 0.0, 0.0, 1 / 1.25},
                                    {Qt::Key_Minus, 0.0, 0.0, 1.25},
                                    {Qt::Key_Left, -step, 0.0, 1.0},
                                    {Qt::Key_Right, step, 0.0, 1.0},
                                    {Qt::Key_Up, 0.0, step, 1.0},
                                    {Qt::Key_Down, 0.0, -step, 1.0}}) {
        QTest::keyClick(&view, key);
        const Visible after = Seen(view);
        EXPECT_NEAR(after.x - before.x, x, 1e-6) << key;
        EXPECT_NEAR(after.y - before.y, y, 1e-6) << key;
        EXPECT_NEAR(after.width / before.width, width, 1e-9) << key;
        EXPECT_FALSE(view.isFitted());
        QTest::keyClick(&view, Qt::Key_0);
        EXPECT_EQ(view.viewTransform(), fit) << key;
        EXPECT_TRUE(view.isFitted());
    }
    QTest::keyClick(&view, Qt::Key_Plus, Qt::ControlModifier); // the window's shortcut
    EXPECT_TRUE(view.isFitted());
}

// Outlines that must draw sanely: none, a point, huge and degenerate ones.
const Segs kOdd[] = {
    {},
    {{1, 0, 0, 0, 0}},
    {{1, INT32_MAX, INT32_MIN, 0, 0}, {3, INT32_MIN, INT32_MAX, 0, 0}},
    {{2, 100, 0, 0, 0}},                        // an arc about its own beginning
    {{1, 1, 0, 0, 0}, {3, 1, 0, 1, 0}},         // a full circle of no size
    {{1, 1, 1, 0, 0}, {2, 2, 2, INT32_MAX, 0}}, // a centre far off
    {kAbsolute[0], kAbsolute[1]},
};

TEST_F(GraphicShowTest, ScaleBarIsARoundLengthAsLongAsTheScaleSays)
{
    for (const Segs &segs : kOdd) {
        Draw(view, segs, 0);
        for (int zoom : {0, 8, -8}) {
            for (int i = 0; i < std::abs(zoom); ++i)
                QTest::keyClick(&view, zoom > 0 ? Qt::Key_Plus : Qt::Key_Minus);
            const double length = view.scaleBarLength();
            const double mantissa = length / std::pow(10.0, std::floor(std::log10(length)));
            EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9
                        || std::fabs(mantissa - 5) < 1e-9)
                << length;
            // At most 40 % of the window, and the next round length would not fit.
            const double pixels = length * view.viewTransform().scale;
            EXPECT_LE(pixels, 160.0 * (1 + 1e-12)) << length;
            EXPECT_GT(pixels * 2.5, 160.0) << length;
            view.grab(); // and it paints
            QTest::keyClick(&view, Qt::Key_0);
        }
    }
    view.resize(16, 80);
    EXPECT_EQ(view.scaleBarLength(), 0) << "too narrow for a bar";
    view.grab();
}

TEST_F(GraphicShowTest, CornerGivesThePointUnderTheMouseInWholeUnits)
{
    Draw(view, {{1, 100, 50, 0, 0}}, 0); // over 3 pixels per unit
    for (auto [x, y, text] : {std::tuple(100, 50, u"X: 100  Y: 50"_s),
                              {0, 0, u"X: 0  Y: 0"_s},
                              {-3, 7, u"X: -3  Y: 7"_s}}) {
        const QPoint pixel = at(x, y).toPoint();
        QTest::mouseMove(&view, pixel);
        ASSERT_TRUE(view.cursorPosition());
        const pos::Vec2 back = view.viewTransform().toView(*view.cursorPosition());
        EXPECT_NEAR(back.x, pixel.x(), 1e-9);
        EXPECT_NEAR(back.y, pixel.y(), 1e-9);
        EXPECT_EQ(view.cursorText(), text);
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&view, &leave);
    EXPECT_FALSE(view.cursorPosition());
    EXPECT_EQ(view.cursorText(), QString());
}

// --- speeds -----------------------------------------------------------------------

// The worked example, a travel move back to the origin faster than any cut
// and a line whose maximum speed is 0, absolute; its record for the core.
const Segs kTimed = {kAbsolute[0], kAbsolute[1], {1, 0, 0, 0, 0}, {1, 0, 5000, 0, 0}};
const std::vector<CGraphicShow::Speeds> kSpeeds
    = {{100, 100000, 100}, {100, 70000, 200}, {100, 200000, 50}, {100, 0, 100}};

pos::PosConfig TimedRecord()
{
    pos::PosConfig config;
    config.actionMode = 1;
    for (std::size_t i = 0; i < kTimed.size(); ++i) {
        const auto &[type, x, y, cx, cy] = kTimed[i];
        const auto &[v0, v1, t] = kSpeeds[i];
        const auto n = static_cast<std::uint32_t>(i + 1);
        config.segments[n] = pos::PosSegment{n, type, 0, v0, v1, t, 0, 0, x, y, cx, cy, i == 2};
    }
    return config;
}

class SpeedViewTest : public GraphicShowTest
{
protected:
    void SetUp() override
    {
        GraphicShowTest::SetUp();
        view.setTravelMarks({false, false, true, false});
        view.setSpeeds(kSpeeds);
        Draw(view, kTimed, 0);
    }
};

// Each segment's stroke in the command line's picture, by segment number.
QStringList SvgColours(bool speed)
{
    pos::SvgOptions options;
    options.speed = speed;
    const QString svg = QString::fromStdString(pos::TrajectorySvg(TimedRecord(), options).text);
    QStringList colours;
    static const QRegularExpression path(
        uR"re(<path data-segment="\d+"[^>]* stroke="(#[0-9a-f]{6})")re"_s);
    for (auto it = path.globalMatch(svg); it.hasNext();)
        colours << it.next().captured(1);
    return colours;
}

TEST_F(SpeedViewTest, ColouringBySpeedPaintsAsTheCommandLinesPictures)
{
    // The scale runs from 70000 Hz (the arc) to 100000 Hz (the line): the
    // travel move's 200000 Hz is not on it, since it stays grey. The line
    // whose maximum is 0 has no time: black.
    const auto colours = [this] {
        QStringList out;
        for (int n = 1; n <= 4; ++n)
            out << view.segmentColour(n).name();
        return out;
    };
    const QStringList plain = colours();
    EXPECT_EQ(plain, SvgColours(false));
    view.setSpeedColouring(true);
    EXPECT_EQ(colours(), SvgColours(true));
    EXPECT_EQ(colours(),
              (QStringList{QString::fromStdString(pos::SpeedColour(100000, 70000, 100000)),
                           QString::fromStdString(pos::SpeedColour(70000, 70000, 100000)), plain[2],
                           u"#000000"_s}));
    view.grab();
    view.setSpeedColouring(false);
    EXPECT_EQ(colours(), plain);
    EXPECT_FALSE(view.segmentColour(5).isValid()) << "not drawn";
}

TEST_F(SpeedViewTest, LegendSitsTopRightAndAFittedPictureKeepsBelowIt)
{
    EXPECT_TRUE(view.legendRect().isEmpty()) << "colouring off";
    const pos::ViewTransform plain = view.viewTransform();
    view.setSpeedColouring(true);
    const QRect legend = view.legendRect();
    ASSERT_FALSE(legend.isEmpty());
    EXPECT_TRUE(view.rect().contains(legend));
    EXPECT_GT(legend.left(), view.width() / 2);
    EXPECT_LT(legend.bottom(), view.height() / 4) << "clear of the scale bar and the corner text";
    const pos::BoundingBox chain = pos::TrajectoryBounds(view.primitives());
    EXPECT_GT(view.viewTransform().toView({chain.minX, chain.maxY}).y, legend.bottom());
    view.setSpeedColouring(false);
    EXPECT_EQ(view.viewTransform(), plain);
    view.setSpeedColouring(true);
    view.resize(120, 90);
    EXPECT_TRUE(view.legendRect().isEmpty()) << "no room";
    view.grab();
}

} // namespace
