// How the wizard shows the motion of an outline: the length and cycle time
// on the summary page, and the trajectory display's speed colouring and
// speed profile, linked by the segment under the mouse, as the table page
// and the Import DXF dialog open it.
#include "WidgetTestSupport.h"

#include "controls/CGraphicShow.h"
#include "controls/CSpeedProfile.h"
#include "dialogs/CGraphicDisplay.h"
#include "geometry/Motion.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>

#include <numbers>
#include <optional>
#include <ranges>

using namespace pos;
using namespace pos::test;

namespace {

// The worked example: a line to (20000, 0) at 100..100000 Hz in 100 ms,
// then three quarters of a circle of radius 10000 clockwise at 100..70000 Hz
// in 200 ms, absolute.
PosConfig WorkedExample()
{
    PosConfig config = NewPageDefaults();
    config.actionMode = 1;
    config.segments[1] = PosSegment{1, kTypeLine, 0, 100, 100000, 100, 0, 0, 20000, 0, 0, 0};
    config.segments[2]
        = PosSegment{2, kTypeCw, 0, 100, 70000, 200, 0, 0, 30000, 10000, 20000, 10000};
    return config;
}

PosConfig WithoutArcSpeed()
{
    PosConfig config = WorkedExample();
    config.segments[2].maxSpeed = 0;
    return config;
}

// The worked example and a travel move back to the origin at the line's speeds.
PosConfig WithTravel()
{
    PosConfig config = WorkedExample();
    config.segments[3] = PosSegment{3, kTypeLine, 0, 100, 100000, 100, 0, 0, 0, 0, 0, 0, true};
    return config;
}

// The summary page's lines after the record went through the table page.
QStringList Summary(const PosConfig &record)
{
    Wizard w(false, record);
    w.pick("actionCombo", record.actionMode);
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    w.next();
    w.next();
    w.next();
    EXPECT_EQ(w.page(), CPosWizardDlg::FinalPage);
    return w.final().items();
}

// The segments of a record in order, as a grid hands them to the display.
std::vector<PosSegment> Segments(const PosConfig &config)
{
    std::vector<PosSegment> out;
    for (const auto &[number, s] : config.segments)
        out.push_back(s);
    return out;
}

// A display of the record's segments, opened as the pages open it.
struct OpenDisplay
{
    explicit OpenDisplay(const PosConfig &config)
        : dialog(ui::ShowSegments(&owner, Segments(config), config.actionMode))
    {
        dialog->resize(520, 400);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    }
    CGraphicShow *view() const { return dialog->display(); }
    CSpeedProfile *profile() const { return dialog->profile(); }
    void tab(int index) const
    {
        dialog->findChild<QTabWidget *>("tabs")->setCurrentIndex(index);
        QCoreApplication::processEvents();
    }

    QWidget owner;
    CGraphicDisplay *dialog;
};

} // namespace

TEST(SummaryPage, TellsTheLengthAndTheCycleTimeOfTheOutline)
{
    // clang-format off
    const std::tuple<PosConfig, bool, QStringList> cases[] = {
        {WorkedExample(), false, {"Subprogram \"POS_EXE\"", "Total length: 67123.89 pulses",
                                  "Estimated cycle time: 1.1728 s"}},
        {WorkedExample(), true, {"子程序“POS_EXE”", "总长度：67123.89脉冲", "估计周期时间：1.1728秒"}},
        {WithoutArcSpeed(), false, {"Subprogram \"POS_EXE\"", "Total length: 67123.89 pulses",
                                    "Estimated cycle time: at least 0.2999 s",
                                    "Segments whose time cannot be computed: 1"}},
        {WithoutArcSpeed(), true, {"子程序“POS_EXE”", "总长度：67123.89脉冲",
                                   "估计周期时间：至少0.2999秒", "无法计算时间的段数：1"}},
        {WithTravel(), false, {"Subprogram \"POS_EXE\"",
                               "Total length: 98746.67 pulses, of which travel 31622.78",
                               "Estimated cycle time: 1.5889 s"}},
    };
    // clang-format on
    for (const auto &[record, chinese, items] : cases) {
        std::optional<InChinese> zh;
        if (chinese)
            zh.emplace();
        EXPECT_EQ(Summary(record), items);
    }
}

TEST(TrajectoryDisplay, TheSegmentUnderTheMouseIsPickedOutInBothTabs)
{
    const OpenDisplay d(WithTravel());
    // On the trajectory: the middle of the line.
    const Vec2 middle = d.view()->viewTransform().toView({10000, 0});
    QTest::mouseMove(d.view(), QPoint(int(middle.x), int(middle.y)));
    EXPECT_EQ(d.view()->hoveredSegment(), 1);
    EXPECT_EQ(d.profile()->highlightedSegment(), 1);
    // On the profile: the middle of the arc's span.
    d.tab(1);
    const std::vector<double> starts = SegmentStartTimes(d.profile()->motion());
    const double arc = starts[1] + d.profile()->motion()[1].time / 2;
    QTest::mouseMove(d.profile(), d.profile()->toPlot(arc, 1000).toPoint());
    EXPECT_EQ(d.profile()->highlightedSegment(), 2);
    EXPECT_EQ(d.view()->hoveredSegment(), 2);
    EXPECT_EQ(d.view()->hoverText(), "2: (30000, 10000)");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(d.profile(), &leave);
    EXPECT_EQ(std::pair(d.profile()->highlightedSegment(), d.view()->hoveredSegment()),
              std::pair(0, 0));
    // Set from outside, either way.
    d.view()->setHoveredSegment(3);
    EXPECT_EQ(d.profile()->highlightedSegment(), 3);
    d.profile()->setHighlightedSegment(1);
    EXPECT_EQ(d.view()->hoveredSegment(), 1);
}

TEST(TrajectoryDisplay, TablePageAndImportDialogHandOverTheSpeeds)
{
    // The table page's rows have their speeds: the worked example's time.
    {
        TablePage t(WorkedExample());
        t.menu(2, 3, "showAll");
        auto *display = t.child<CGraphicDisplay>("graphicDisplay");
        ASSERT_NE(display, nullptr);
        EXPECT_NEAR(display->profile()->totalTime(),
                    0.2999 + 0.4 + (15000 * std::numbers::pi - 14020) / 70000, 1e-9);
        display->close();
    }
    // A drawing's rows have none: the profile says so in its place.
    PosConfig drawing = ui::KeyedFromZero(WorkedExample());
    for (PosSegment &s : drawing.segments | std::views::values)
        s.initialSpeed = s.maxSpeed = s.accDecTime = 0;
    for (const auto &[chinese, text] :
         {std::pair(false, "No speed profile: the time of the segments cannot be computed, as "
                           "their maximum speed is 0 or below their initial speed."),
          {true, "无速度曲线：各段的最高速度为0或低于初始速度，无法计算其时间。"}}) {
        std::optional<InChinese> zh;
        if (chinese)
            zh.emplace();
        ImportDialog d(drawing);
        d.menu(2, 1, "showAll");
        auto *display = d.child<CGraphicDisplay>("graphicDisplay");
        ASSERT_NE(display, nullptr);
        EXPECT_EQ(display->profile()->message(), QString::fromUtf8(text));
        EXPECT_TRUE(display->profile()->plotRect().isEmpty());
        display->close();
    }
}
