// How the wizard shows the motion of an outline: the length and cycle time
// on the summary page.
#include "WidgetTestSupport.h"

#include "geometry/Motion.h"

#include <QRadioButton>

#include <optional>

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
