// Seeing what is typed: the step page draws the segment in its fields before
// it is stored; the arc end-point chooser draws the arc it asks about, opens
// beside the wizard, and on the table page and in the Import DXF dialog opens
// with the row it asks about selected.
#include "WidgetTestSupport.h"

#include "controls/CGraphicShow.h"
#include "geometry/CArcEndSelect.h"

#include <QScreen>

#include <functional>
#include <optional>
#include <string>

using namespace pos;
using namespace pos::test;

namespace {

// A wizard on the step page, absolute (1) or incremental (0).
struct StepWizard : Wizard
{
    explicit StepWizard(int actionMode)
    {
        pick("actionCombo", actionMode);
        next();
    }
    const std::optional<TrajectoryPrimitive> &preview() const
    {
        return find<CGraphicShow>("display")->preview();
    }
};

QPointF ToQt(Vec2 v)
{
    return {v.x, v.y};
}

// A straight line to (100, 0), then a clockwise arc about the origin whose
// end point (50, 50) is off its circle: the chooser offers (71, 71) and
// (-71, -71).
PosConfig OffCircle(std::uint32_t first)
{
    PosConfig record = LinesRecord(0, 1);
    record.segments[first] = Segment(first, kTypeLine, 100, 0);
    record.segments[first + 1] = Segment(first + 1, kTypeCw, 50, 50);
    return record;
}

} // namespace

// --- the step page ---------------------------------------------------------------

TEST(StepPreview, ShowsTheSegmentOnceItsPointsPassTheNumberRuleAndFormAnArc)
{
    // Segment 2 of an absolute outline that begins at (100, 0).
    const std::tuple<int, const char *, const char *, const char *, const char *, bool> cases[] = {
        // clang-format off
        {kTypeLine, "30", "-40", "", "", true},
        {kTypeLine, "-", "-2147483648", "junk", "", true}, // "-" alone is 0; a line has no circle
        {kTypeLine, "", "5", "0", "0", false},
        {kTypeLine, " 5", "5", "0", "0", false},
        {kTypeLine, "1e3", "5", "0", "0", false},
        {kTypeLine, "2147483648", "5", "0", "0", false},
        {kTypeCw, "0", "100", "0", "0", true},
        {kTypeCw, "50", "50", "0", "0", true},     // off the circle: the chooser will ask
        {kTypeCw, "0", "100", "0", "x", false},
        {kTypeCcw, "0", "100", "100", "0", false}, // about where it begins
        // clang-format on
    };
    for (const auto &[type, x, y, cx, cy, shown] : cases) {
        StepWizard w(1);
        w.enterSegment(kTypeLine, 100, 0);
        w.next();
        const auto enter
            = [&w, type](const char *ex, const char *ey, const char *ecx, const char *ecy) {
                  w.pick("typeCombo", type - 1);
                  w.setText("endXEdit", ex);
                  w.setText("endYEdit", ey);
                  w.setText("circleXEdit", ecx);
                  w.setText("circleYEdit", ecy);
              };
        enter("7", "0", "0", "0"); // an end point off the circle still forms an arc
        ASSERT_TRUE(w.preview());
        enter(x, y, cx, cy);
        EXPECT_EQ(w.preview().has_value(), shown) << x << ' ' << y << ' ' << cx << ' ' << cy;
        enter("7", "0", "0", "0");
        EXPECT_TRUE(w.preview()) << "back as soon as the numbers are right";
        EXPECT_EQ(w.config.segments.size(), 1u) << "nothing is stored";
    }
}

TEST(StepPreview, BeginsWhereTheSegmentWouldAndIsDrawnWhereItLands)
{
    // Segments 1 and 2: lines to (100, 0) and (100, 50) as entered. In
    // incremental mode segment 2 lands at (200, 50).
    struct Case
    {
        int mode;
        int previous; // Previous presses after segment 2 is stored
        int type;
        Vec2 end, centre; // as entered
        Vec2 start, drawnEnd, drawnCentre;
    };
    const Case cases[] = {
        // clang-format off
        {1, 0, kTypeLine, {30, 40}, {}, {100, 50}, {30, 40}, {}},
        {0, 0, kTypeLine, {30, 40}, {}, {200, 50}, {230, 90}, {}},
        {1, 1, kTypeLine, {30, 40}, {}, {100, 0}, {30, 40}, {}},
        {0, 1, kTypeLine, {30, 40}, {}, {100, 0}, {130, 40}, {}},
        {1, 2, kTypeLine, {30, 40}, {}, {0, 0}, {30, 40}, {}},
        {0, 2, kTypeLine, {30, 40}, {}, {0, 0}, {30, 40}, {}},
        {1, 0, kTypeCw, {150, 0}, {100, 0}, {100, 50}, {150, 0}, {100, 0}},
        {0, 0, kTypeCw, {50, -50}, {0, -50}, {200, 50}, {250, 0}, {200, 0}},
        // clang-format on
    };
    for (const Case &c : cases) {
        StepWizard w(c.mode);
        w.enterSegment(kTypeLine, 100, 0);
        w.next();
        w.enterSegment(kTypeLine, 100, 50);
        w.next();
        for (int i = 0; i < c.previous; ++i)
            w.previous();
        w.enterSegment(c.type, std::int32_t(c.end.x), std::int32_t(c.end.y),
                       std::int32_t(c.centre.x), std::int32_t(c.centre.y));
        ASSERT_TRUE(w.preview());
        const TrajectoryPrimitive &p = *w.preview();
        const std::string at
            = "mode " + std::to_string(c.mode) + ", segment " + std::to_string(3 - c.previous);
        EXPECT_EQ(ToQt(p.start), ToQt(c.start)) << at;
        EXPECT_EQ(ToQt(p.end), ToQt(c.drawnEnd)) << at;
        if (c.type != kTypeLine) {
            EXPECT_EQ(p.kind, PrimitiveKind::Arc) << at;
            EXPECT_EQ(ToQt(p.centre), ToQt(c.drawnCentre)) << at;
        }
    }
}

// --- the arc end-point chooser ------------------------------------------------------

const ui::ArcEndChoice kOffCircle{
    {100, 0}, {0, 0}, {50, 50}, {QPoint(71, 71), QPoint(-71, -71)}, true};

TEST(ArcChooser, IsGivenTheArcAsItsMessageGivesIt)
{
    // Incremental: from (0, 0) about (-100, 0), counter-clockwise.
    StepWizard w(0);
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    w.enterSegment(kTypeCcw, -50, 50, -100, 0);
    w.prompts.chooseArc(-1);
    w.next();
    const ui::ArcEndChoice arc{
        {0, 0}, {-100, 0}, {-50, 50}, {QPoint(-29, 71), QPoint(-171, -71)}, false};
    EXPECT_EQ(w.prompts.arcs(), std::vector{arc});
}

TEST(ArcChooser, OpensBesideTheWindowItAsksFor)
{
    for (const QRect window : {QRect(0, 0, 60, 200), QRect(0, 0, 320, 200)}) {
        QWidget wizard;
        wizard.setGeometry(window);
        QLineEdit field(&wizard);
        wizard.show();
        CArcEndSelect chooser(&field);
        chooser.setArc(kOffCircle);
        chooser.show();
        EXPECT_FALSE(chooser.frameGeometry().intersects(wizard.frameGeometry()))
            << chooser.frameGeometry().x() << ',' << chooser.frameGeometry().y();
        EXPECT_TRUE(wizard.screen()->availableGeometry().contains(chooser.frameGeometry()));
    }
}

TEST(ArcChooser, OnAGridTheRowAskedAboutIsSelectedFirst)
{
    const auto check = [](GridScreen &screen, const std::function<void()> &confirm) {
        screen.grid->select(2, 5);
        int row = 0;
        screen.prompts.onArcChooser = [&] { row = screen.grid->row(); };
        screen.prompts.chooseArc(-1);
        confirm();
        EXPECT_EQ(row, 3);
        EXPECT_EQ(screen.prompts.arcs(), std::vector{kOffCircle});
    };
    TablePage table(OffCircle(1));
    check(table, [&table] { EXPECT_FALSE(table.page.CommitTable(false)); });
    ImportDialog import(OffCircle(0));      // the reader keys segments from 0
    import.prompts.answer(QMessageBox::Ok); // the begin points are dropped
    check(import, [&import] { import.click("okButton"); });
    EXPECT_TRUE(import.dialog.isVisible());
}
