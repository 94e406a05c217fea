#include "controls/CGraphicShow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <vector>

// Readable QStrings in failure messages.
void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// One QApplication for the whole run, made only when tests run (listing the
// tests needs none) and only when no test main made one already.
class QtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (QApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_graphic_show";
        static char *argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication *m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment *const g_qt
    = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct Seg
{
    std::int32_t type, ex, ey, cx, cy;
};

// The seven arrays a page passes, begin points 0 as the pages pass them.
struct Arrays
{
    std::vector<std::int32_t> cx, cy, bx, by, ex, ey, type;

    explicit Arrays(const std::vector<Seg> &segs)
    {
        for (const Seg &s : segs) {
            cx.push_back(s.cx);
            cy.push_back(s.cy);
            bx.push_back(0);
            by.push_back(0);
            ex.push_back(s.ex);
            ey.push_back(s.ey);
            type.push_back(s.type);
        }
    }
    bool draw(CGraphicShow &view, std::int32_t current) const
    {
        return view.DrawTrajectory(cx.data(), cy.data(), bx.data(), by.data(), ex.data(), ey.data(),
                                   type.data(), static_cast<std::int32_t>(type.size()), current,
                                   true);
    }
};

// The two-segment example: a line to (20000, 0), then a clockwise arc about
// (20000, 10000) to (30000, 10000).
const std::vector<Seg> kAbsoluteExample = {{1, 20000, 0, 0, 0}, {2, 30000, 10000, 20000, 10000}};
// The same outline written relative to where each segment begins.
const std::vector<Seg> kIncrementalExample = {{1, 20000, 0, 0, 0}, {2, 10000, 10000, 0, 10000}};

QPointF ViewOf(const CGraphicShow &view, double x, double y)
{
    const pos::Vec2 v = view.viewTransform().toView({x, y});
    return {v.x, v.y};
}

QPoint ViewPoint(const CGraphicShow &view, double x, double y)
{
    return ViewOf(view, x, y).toPoint();
}

int Difference(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b))
           + std::abs(qBlue(a) - qBlue(b));
}

// The pixel within two pixels of at that differs most from the background.
QRgb Strongest(const QImage &img, QPointF at, QRgb background)
{
    QRgb best = background;
    const QPoint c = at.toPoint();
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint p(c.x() + dx, c.y() + dy);
            if (!img.rect().contains(p))
                continue;
            const QRgb v = img.pixel(p);
            if (Difference(v, background) > Difference(best, background))
                best = v;
        }
    }
    return best;
}

// Anything drawn near at (axes included).
bool Ink(const QImage &img, QPointF at, QRgb background)
{
    return Difference(Strongest(img, at, background), background) > 120;
}

// A segment drawn near at: the axes, labels and background are grey, the
// segments are coloured.
bool PathInk(const QImage &img, QPointF at, QRgb background)
{
    const QRgb c = Strongest(img, at, background);
    const int hi = std::max({qRed(c), qGreen(c), qBlue(c)});
    const int lo = std::min({qRed(c), qGreen(c), qBlue(c)});
    return Difference(c, background) > 120 && hi - lo > 60;
}

class GraphicShowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(400, 400);
        view.setActionMode(1); // most cases are written absolute
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QImage render() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Where nothing is drawn: the centre of the example's circle.
    QRgb background(const QImage &img) { return img.pixel(ViewPoint(view, 20000, 10000)); }

    CGraphicShow view;
};

// --- Drawing as the PLC moves ----------------------------------------------

struct DrawCase
{
    const char *name;
    int actionMode;
    std::vector<Seg> segs;
    std::vector<QPointF> drawn;  // world points that must be drawn
    std::vector<QPointF> absent; // world points that must stay empty
    QPointF empty;               // a world point far from everything drawn
};

void PrintTo(const DrawCase &c, std::ostream *os)
{
    *os << c.name;
}

class DrawsAsThePlcMoves : public GraphicShowTest, public ::testing::WithParamInterface<DrawCase>
{};

TEST_P(DrawsAsThePlcMoves, InkWhereThePathRuns)
{
    const DrawCase &c = GetParam();
    view.setActionMode(c.actionMode);
    ASSERT_TRUE(Arrays(c.segs).draw(view, 0));
    ASSERT_EQ(view.primitives().size(), c.segs.size());
    const QImage img = render();
    const QRgb bg = img.pixel(ViewPoint(view, c.empty.x(), c.empty.y()));
    for (const QPointF &w : c.drawn)
        EXPECT_TRUE(PathInk(img, ViewOf(view, w.x(), w.y()), bg)) << w.x() << ", " << w.y();
    for (const QPointF &w : c.absent)
        EXPECT_FALSE(PathInk(img, ViewOf(view, w.x(), w.y()), bg)) << w.x() << ", " << w.y();
}

// On the circle about (20000, 10000): the leftmost and top points lie on the
// clockwise three quarters, (27071, 2929) on the quarter it leaves out.
INSTANTIATE_TEST_SUITE_P(
    Examples, DrawsAsThePlcMoves,
    ::testing::Values(DrawCase{"Absolute",
                               1,
                               kAbsoluteExample,
                               {{12000, 0}, {10000, 10000}, {20000, 20000}, {30000, 10000}},
                               {{27071, 2929}, {25000, 25000}},
                               {20000, 10000}},
                      DrawCase{"Incremental",
                               0,
                               kIncrementalExample,
                               {{12000, 0}, {10000, 10000}, {20000, 20000}, {30000, 10000}},
                               {{27071, 2929}, {25000, 25000}},
                               {20000, 10000}},
                      DrawCase{"AbsoluteCounterClockwise",
                               1,
                               {{1, 20000, 0, 0, 0}, {3, 30000, 10000, 20000, 10000}},
                               {{12000, 0}, {27071, 2929}},
                               {{10000, 10000}, {20000, 20000}},
                               {20000, 10000}},
                      DrawCase{"IncrementalChainOfLines",
                               0,
                               {{1, 10000, 0, 0, 0}, {1, 0, 10000, 0, 0}, {1, -5000, 0, 0, 0}},
                               {{5000, 0}, {10000, 5000}, {7500, 10000}},
                               {{5000, 5000}, {2500, 10000}},
                               {5000, 7000}}),
    [](const ::testing::TestParamInfo<DrawCase> &p) { return p.param.name; });

TEST_F(GraphicShowTest, PassThroughArcRunsThroughItsPoint)
{
    // From (10000, 0) through (0, 10000) to (-10000, 0): the upper half.
    view.setActionMode(1);
    view.setCentreModes({0, 1});
    Arrays({{1, 10000, 0, 0, 0}, {3, -10000, 0, 0, 10000}}).draw(view, 0);
    ASSERT_EQ(view.primitives()[1].kind, pos::PrimitiveKind::Arc);
    const QImage img = render();
    const QRgb bg = img.pixel(ViewPoint(view, 3000, 3000));
    EXPECT_TRUE(PathInk(img, ViewOf(view, 7071, 7071), bg));
    EXPECT_TRUE(PathInk(img, ViewOf(view, -7071, 7071), bg));
    EXPECT_FALSE(PathInk(img, ViewOf(view, -7071, -7071), bg));
}

TEST_F(GraphicShowTest, ModesTakeEffectAtTheNextDraw)
{
    view.setActionMode(1);
    const Arrays a(kIncrementalExample);
    a.draw(view, 0);
    EXPECT_DOUBLE_EQ(view.primitives()[1].end.x, 10000); // read as absolute
    view.setActionMode(0);
    EXPECT_DOUBLE_EQ(view.primitives()[1].end.x, 10000);
    a.draw(view, 0);
    EXPECT_DOUBLE_EQ(view.primitives()[1].end.x, 30000);
}

// --- Fit, zoom, pan ---------------------------------------------------------

TEST_F(GraphicShowTest, FitShowsAllWithEqualAxesAndYUp)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    EXPECT_TRUE(view.isFitted());
    // The chain spans x 0..30000, y 0..20000 (the top of the circle).
    const QPointF lowLeft = ViewOf(view, 0, 0);
    const QPointF highRight = ViewOf(view, 30000, 20000);
    EXPECT_GE(lowLeft.x(), 5);
    EXPECT_LE(highRight.x(), 395);
    EXPECT_GE(highRight.y(), 5);
    EXPECT_LE(lowLeft.y(), 395);
    EXPECT_GT(highRight.x() - lowLeft.x(), 300); // the wider side fills the window
    EXPECT_NEAR((lowLeft.y() + highRight.y()) / 2, 200, 1);
    EXPECT_LT(ViewOf(view, 20000, 20000).y(), ViewOf(view, 20000, 0).y()); // Y up

    // Equal axes as painted: from the circle's centre, the ink to the left
    // and the ink above are equally far.
    const QImage img = render();
    const QRgb bg = background(img);
    const QPoint c = ViewPoint(view, 20000, 10000);
    int left = 0;
    while (c.x() - left > 0 && Difference(img.pixel(c.x() - left, c.y()), bg) < 120)
        ++left;
    int up = 0;
    while (c.y() - up > 0 && Difference(img.pixel(c.x(), c.y() - up), bg) < 120)
        ++up;
    EXPECT_GT(left, 50);
    EXPECT_NEAR(left, up, 2);
}

TEST_F(GraphicShowTest, FitInAWideWindowUsesTheHeight)
{
    view.resize(700, 300);
    Arrays(kAbsoluteExample).draw(view, 0);
    const QPointF top = ViewOf(view, 20000, 20000);
    const QPointF bottom = ViewOf(view, 20000, 0);
    EXPECT_GT(bottom.y() - top.y(), 200);
    EXPECT_LE(bottom.y(), 295);
    EXPECT_GE(top.y(), 5);
    EXPECT_NEAR((ViewOf(view, 0, 0).x() + ViewOf(view, 30000, 0).x()) / 2, 350, 1);
}

void Wheel(QWidget &w, QPointF at, int delta)
{
    QWheelEvent e(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
}

TEST_F(GraphicShowTest, WheelZoomsAboutTheCursor)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    const pos::ViewTransform fit = view.viewTransform();
    const QPointF cursor = ViewOf(view, 10000, 10000); // on the arc
    Wheel(view, cursor, 120);
    const pos::ViewTransform in = view.viewTransform();
    EXPECT_GT(in.scale, fit.scale * 1.05);
    EXPECT_FALSE(view.isFitted());
    const pos::Vec2 under = in.toWorld({cursor.x(), cursor.y()});
    EXPECT_NEAR(under.x, 10000, 1e-6);
    EXPECT_NEAR(under.y, 10000, 1e-6);
    // Other points moved away from the cursor.
    EXPECT_LT(ViewOf(view, 0, 0).x(), fit.toView({0, 0}).x - 1);
    // And the painting follows: the arc is still under the cursor, the end
    // of the line moved away from where it was.
    const QImage img = render();
    const QRgb bg = background(img);
    EXPECT_TRUE(PathInk(img, cursor, bg));

    Wheel(view, QPointF(50, 60), -120);
    Wheel(view, QPointF(50, 60), -120);
    EXPECT_LT(view.viewTransform().scale, in.scale);
    const pos::Vec2 at = view.viewTransform().toWorld({50, 60});
    const pos::Vec2 before = in.toWorld({50, 60});
    EXPECT_NEAR(at.x, before.x, 1e-6);
    EXPECT_NEAR(at.y, before.y, 1e-6);
}

TEST_F(GraphicShowTest, ZoomHasLimits)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    const double fit = view.viewTransform().scale;
    for (int i = 0; i < 200; ++i)
        Wheel(view, QPointF(200, 200), -120);
    EXPECT_GT(view.viewTransform().scale, fit / 1000);
    for (int i = 0; i < 400; ++i)
        Wheel(view, QPointF(200, 200), 120);
    const double deep = view.viewTransform().scale;
    EXPECT_TRUE(std::isfinite(deep));
    EXPECT_LE(deep, 1000.0);
    EXPECT_FALSE(render().isNull());
}

TEST_F(GraphicShowTest, DragPansAndDoubleClickFitsAgain)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    const pos::ViewTransform fit = view.viewTransform();
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    QTest::mouseMove(&view, QPoint(130, 90));
    QTest::mouseMove(&view, QPoint(160, 80));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, QPoint(160, 80));
    const pos::ViewTransform panned = view.viewTransform();
    EXPECT_DOUBLE_EQ(panned.scale, fit.scale);
    EXPECT_NEAR(panned.offsetX - fit.offsetX, 60, 1e-9);
    EXPECT_NEAR(panned.offsetY - fit.offsetY, -20, 1e-9);
    EXPECT_FALSE(view.isFitted());

    // Moving without a button pressed does not pan.
    QTest::mouseMove(&view, QPoint(300, 300));
    EXPECT_EQ(view.viewTransform(), panned);

    Wheel(view, QPointF(300, 300), 240);
    ASSERT_NE(view.viewTransform(), fit);
    QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(250, 250));
    EXPECT_EQ(view.viewTransform(), fit);
    EXPECT_TRUE(view.isFitted());
}

TEST_F(GraphicShowTest, ResizeKeepsTheFitUnlessTheUserMovedTheView)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    view.resize(600, 300);
    EXPECT_TRUE(view.isFitted());
    EXPECT_NEAR(ViewOf(view, 15000, 10000).x(), 300, 1e-9);
    EXPECT_NEAR(ViewOf(view, 15000, 10000).y(), 150, 1e-9);
    EXPECT_LE(ViewOf(view, 0, 0).y(), 300);

    Wheel(view, QPointF(100, 100), 120);
    const pos::ViewTransform zoomed = view.viewTransform();
    const pos::Vec2 middle = zoomed.toWorld({300, 150});
    view.resize(500, 500);
    EXPECT_FALSE(view.isFitted());
    EXPECT_DOUBLE_EQ(view.viewTransform().scale, zoomed.scale);
    const pos::Vec2 stillMiddle = view.viewTransform().toWorld({250, 250});
    EXPECT_NEAR(stillMiddle.x, middle.x, 1e-6);
    EXPECT_NEAR(stillMiddle.y, middle.y, 1e-6);
}

TEST_F(GraphicShowTest, SteppingTheCurrentSegmentKeepsTheZoomANewChainIsFitted)
{
    const Arrays a(kAbsoluteExample);
    a.draw(view, 1);
    Wheel(view, QPointF(120, 200), 120);
    const pos::ViewTransform zoomed = view.viewTransform();
    a.draw(view, 2);
    EXPECT_EQ(view.currentSegment(), 2);
    EXPECT_EQ(view.viewTransform(), zoomed);

    Arrays({{1, 20000, 0, 0, 0}, {2, 30000, 10000, 20000, 10000}, {1, 0, 0, 0, 0}}).draw(view, 3);
    EXPECT_TRUE(view.isFitted());
    EXPECT_NE(view.viewTransform(), zoomed);
}

// --- Highlight and hover ----------------------------------------------------

TEST_F(GraphicShowTest, CurrentSegmentStandsOut)
{
    const Arrays a(kAbsoluteExample);
    const auto warm = [](QRgb c) { return qRed(c) - qBlue(c); };
    a.draw(view, 2);
    QImage img = render();
    QRgb bg = background(img);
    const QPointF onLine = ViewOf(view, 12000, 0);
    const QPointF onArc = ViewOf(view, 10000, 10000);
    EXPECT_GT(warm(Strongest(img, onArc, bg)), 60);
    EXPECT_LT(warm(Strongest(img, onLine, bg)), -40);

    a.draw(view, 1);
    img = render();
    bg = background(img);
    EXPECT_GT(warm(Strongest(img, onLine, bg)), 60);
    EXPECT_LT(warm(Strongest(img, onArc, bg)), -40);

    a.draw(view, 0);
    img = render();
    EXPECT_LT(warm(Strongest(img, onLine, bg)), -40);
    EXPECT_LT(warm(Strongest(img, onArc, bg)), -40);
}

TEST_F(GraphicShowTest, HoverTellsTheSegmentAndItsEndPoint)
{
    QSignalSpy spy(&view, &CGraphicShow::hoverChanged);
    Arrays(kAbsoluteExample).draw(view, 0);
    QTest::mouseMove(&view, ViewPoint(view, 12000, 0));
    EXPECT_EQ(view.hoveredSegment(), 1);
    EXPECT_EQ(view.hoverText(), QStringLiteral("1: (20000, 0)"));
    QTest::mouseMove(&view, ViewPoint(view, 10000, 10000));
    EXPECT_EQ(view.hoveredSegment(), 2);
    EXPECT_EQ(view.hoverText(), QStringLiteral("2: (30000, 10000)"));
    ASSERT_FALSE(spy.isEmpty());
    EXPECT_EQ(spy.back().at(0).toInt(), 2);
    EXPECT_EQ(spy.back().at(1).toString(), QStringLiteral("2: (30000, 10000)"));

    // Inside the circle, away from everything.
    QTest::mouseMove(&view, ViewPoint(view, 20000, 10000));
    EXPECT_EQ(view.hoveredSegment(), 0);
    EXPECT_TRUE(view.hoverText().isEmpty());
    // On the quarter of the circle the arc leaves out.
    QTest::mouseMove(&view, ViewPoint(view, 27071, 2929));
    EXPECT_EQ(view.hoveredSegment(), 0);
}

TEST_F(GraphicShowTest, HoverInIncrementalModeTellsWhereTheSegmentEnds)
{
    view.setActionMode(0);
    Arrays(kIncrementalExample).draw(view, 0);
    QTest::mouseMove(&view, ViewPoint(view, 20000, 20000));
    EXPECT_EQ(view.hoverText(), QStringLiteral("2: (30000, 10000)"));
}

TEST_F(GraphicShowTest, TooltipShowsTheHoverText)
{
    Arrays(kAbsoluteExample).draw(view, 0);
    const QPoint at = ViewPoint(view, 20000, 20000);
    QHelpEvent help(QEvent::ToolTip, at, view.mapToGlobal(at));
    QApplication::sendEvent(&view, &help);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("2: (30000, 10000)"));

    const QPoint empty = ViewPoint(view, 20000, 10000);
    QHelpEvent none(QEvent::ToolTip, empty, view.mapToGlobal(empty));
    QApplication::sendEvent(&view, &none);
    EXPECT_EQ(view.hoveredSegment(), 0);
    // The tip fades out after a short delay.
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

// --- Input the view must survive ---------------------------------------------

TEST_F(GraphicShowTest, ArraysAreCopied)
{
    auto *cx = new std::int32_t[2]{0, 20000};
    auto *cy = new std::int32_t[2]{0, 10000};
    auto *bx = new std::int32_t[2]{0, 0};
    auto *by = new std::int32_t[2]{0, 0};
    auto *ex = new std::int32_t[2]{20000, 30000};
    auto *ey = new std::int32_t[2]{0, 10000};
    auto *type = new std::int32_t[2]{1, 2};
    view.setActionMode(1);
    view.DrawTrajectory(cx, cy, bx, by, ex, ey, type, 2, 2, true);
    // The caller rebuilds its arrays: what the view read must not change.
    for (std::int32_t *a : {cx, cy, bx, by, ex, ey, type}) {
        a[0] = kMin;
        a[1] = kMax;
        delete[] a;
    }
    const QImage img = render();
    const QRgb bg = background(img);
    ASSERT_EQ(view.primitives().size(), 2u);
    EXPECT_DOUBLE_EQ(view.primitives()[1].end.x, 30000);
    EXPECT_TRUE(PathInk(img, ViewOf(view, 12000, 0), bg));
    EXPECT_TRUE(PathInk(img, ViewOf(view, 10000, 10000), bg));
}

TEST_F(GraphicShowTest, NoSegmentsGiveAnEmptyViewWithAxes)
{
    Arrays(kAbsoluteExample).draw(view, 1);
    for (std::int32_t count : {0, -1, kMin}) {
        SCOPED_TRACE(count);
        EXPECT_TRUE(view.DrawTrajectory(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, count, 1, true));
        EXPECT_TRUE(view.primitives().empty());
        const QPointF o = ViewOf(view, 0, 0);
        EXPECT_NEAR(o.x(), 200, 1e-9);
        EXPECT_NEAR(o.y(), 200, 1e-9);
        const QImage img = render();
        const QRgb bg = img.pixel(100, 100);
        EXPECT_TRUE(Ink(img, QPointF(100, 200), bg)); // the X axis
        EXPECT_TRUE(Ink(img, QPointF(200, 100), bg)); // the Y axis
        EXPECT_FALSE(Ink(img, QPointF(300, 300), bg));
        QTest::mouseMove(&view, QPoint(200, 200));
        EXPECT_EQ(view.hoveredSegment(), 0);
    }
}

TEST_F(GraphicShowTest, MissingArraysReadAsZero)
{
    const std::int32_t ex[2] = {100, 200};
    const std::int32_t ey[2] = {0, 100};
    view.setActionMode(1);
    view.DrawTrajectory(nullptr, nullptr, nullptr, nullptr, ex, ey, nullptr, 2, 0, true);
    ASSERT_EQ(view.primitives().size(), 2u);
    EXPECT_EQ(view.primitives()[1].kind, pos::PrimitiveKind::Line);
    EXPECT_FALSE(render().isNull());
}

TEST_F(GraphicShowTest, HugeCoordinatesPaintAndZoom)
{
    // 256 segments at the ends of the 32-bit range, lines and arcs.
    std::vector<Seg> segs;
    for (int i = 0; i < 256; ++i) {
        const std::int32_t v = i % 2 ? kMax : kMin;
        const std::int32_t w = i % 2 ? kMin : kMax;
        segs.push_back({1 + i % 3, v, w, i % 4 ? v : 0, v / 2});
    }
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        view.setActionMode(mode);
        view.setCentreModes(std::vector<std::int32_t>(256, mode));
        Arrays(segs).draw(view, 128);
        ASSERT_EQ(view.primitives().size(), 256u);
        EXPECT_FALSE(render().isNull());
        for (int i = 0; i < 120; ++i)
            Wheel(view, QPointF(190, 230), 120);
        EXPECT_FALSE(render().isNull());
        QTest::mouseMove(&view, QPoint(10, 10));
        QTest::mouseDClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        EXPECT_TRUE(view.isFitted());
    }
}

} // namespace
