// The wizard's frame and its pages: output configuration, the segments step
// by step, the subprogram name and the summary; the arc end-point chooser.
#include "WidgetTestSupport.h"

#include "controls/CGraphicShow.h"
#include "geometry/CArcEndSelect.h"

#include <QTimer>

#include <functional>

using namespace pos;
using namespace pos::test;
using Page = CPosWizardDlg::PageIndex;

namespace {

// A wizard on the step page, absolute (1) or incremental (0).
struct StepWizard : Wizard
{
    explicit StepWizard(int actionMode = 1)
    {
        pick("actionCombo", actionMode);
        next();
    }
};

} // namespace

// --- the frame -----------------------------------------------------------------

TEST(WizardFrame, WalksThePagesWithTheirButtons)
{
    Wizard w;
    // The page, then Previous, Next, End and Cancel enabled, then Next's text.
    const auto state = [&w] {
        QString s = QString::number(w.page()) + ' ';
        for (const char *b : {"previousButton", "nextButton", "endButton", "cancelButton"})
            s += w.find<QPushButton>(b)->isEnabled() ? '1' : '0';
        return s + ' ' + w.find<QPushButton>("nextButton")->text();
    };
    // Pages are built as they are first shown.
    const auto built = [&w] { return w.frame.findChildren<CBasePage *>().size(); };
    EXPECT_EQ(state(), "0 0101 Next");
    EXPECT_EQ(built(), 1);
    // Enter and Escape do nothing inside a page; Enter presses the focused
    // frame button.
    w.find("startDEdit")->setFocus();
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(w.find("startDEdit"), key);
    EXPECT_EQ(state(), "0 0101 Next");
    w.find<QPushButton>("nextButton")->setFocus();
    QTest::keyClick(w.find<QPushButton>("nextButton"), Qt::Key_Return);
    EXPECT_EQ(state(), "1 1111 Next");
    EXPECT_EQ(built(), 2);
    w.setText("endXEdit", 100);
    w.previous();
    EXPECT_EQ(state(), "0 0101 Next");
    w.next();
    EXPECT_EQ(w.text({"endXEdit"}), "100");
    w.end();
    EXPECT_EQ(state(), "3 1101 Next");
    w.next();
    EXPECT_EQ(state(), "4 1101 Complete");
    w.previous();
    w.previous();
    EXPECT_EQ(state(), "1 1111 Next") << "back to the segment page in use";
    w.end();
    w.next();
    w.next();
    EXPECT_EQ(w.frame.result(), QDialog::Accepted);
}

TEST(WizardFrame, CancelAsksFirst)
{
    // The Cancel button, the close box, Escape with the focus outside the pages.
    const std::function<void(Wizard &)> ways[] = {
        [](Wizard &w) { w.click("cancelButton"); },
        [](Wizard &w) { w.frame.close(); },
        [](Wizard &w) { QTest::keyClick(&w.frame, Qt::Key_Escape); },
    };
    for (const auto &cancel : ways) {
        Wizard w;
        w.frame.setFocus();
        w.prompts.answer(QMessageBox::No).answer(QMessageBox::Yes);
        cancel(w);
        EXPECT_TRUE(w.frame.isVisible());
        cancel(w);
        EXPECT_FALSE(w.frame.isVisible());
        EXPECT_EQ(w.prompts.defaults(), std::vector(2, QMessageBox::No))
            << "Enter keeps the wizard open";
    }
}

TEST(WizardFrame, InChinese)
{
    InChinese zh;
    Wizard w;
    EXPECT_EQ(w.frame.windowTitle(), "位置控制向导生成");
    EXPECT_EQ(w.text({"startLabel", "actionCombo", "xPulseLabel", "nextButton"}),
              "起始元件(D)|增量型|X轴脉冲输出端口|下一步");
    w.prompts.answer(QMessageBox::No);
    w.click("cancelButton");
    EXPECT_EQ(w.prompts.texts(), QStringList{"确定要放弃所做的改动，并退出POS指令向导吗？"});
}

TEST(WizardFrame, EnterInARealQuestionGivesItsSafeAnswer)
{
    ui::Prompter *scripted = ui::SetPrompter(nullptr); // the real message boxes
    const auto enter = [](const std::function<QMessageBox::StandardButton()> &ask) {
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                QTest::keyClick(box, Qt::Key_Return);
        });
        press.start(10);
        return ask();
    };
    using B = QMessageBox;
    EXPECT_EQ(enter([] { return ui::AskDestructive(nullptr, "?", B::Yes | B::No, B::Question); }),
              B::No);
    EXPECT_EQ(enter([] { return ui::AskDestructive(nullptr, "?", B::Ok | B::Cancel, B::NoIcon); }),
              B::Cancel);
    EXPECT_EQ(enter([] {
                  return ui::Prompts().message(nullptr, "?", B::Yes | B::No | B::Cancel,
                                               B::Question, B::NoButton);
              }),
              B::Yes)
        << "a question that keeps work by its first answer keeps it";
    ui::SetPrompter(scripted);
}

// --- output configuration ------------------------------------------------------------

TEST(ItemPage, NewConfigurationDefaultsPortsAndLabels)
{
    Wizard w;
    EXPECT_EQ(w.text({"startDEdit", "actionCombo", "pulseCombo", "xPulseCombo", "xDirCombo",
                      "yPulseCombo", "yDirCombo"}),
              "2000|Incremental|PLS+SIGN(forward OFF/reverse ON)|Y0|Y1|Y2|Y3");
    EXPECT_EQ(w.text({"xPulseLabel", "yDirLabel"}), "X pulse output port|Y direction output port");
    w.pick("pulseCombo", 1);
    EXPECT_EQ(w.text({"xPulseLabel", "yDirLabel"}), "X positive pulse port|Y negative pulse port");
}

TEST(ItemPage, ModifyShowsTheStoredValuesAndNextStoresTheChanges)
{
    PosConfig stored;
    stored.startD = 3000;
    stored.actionMode = stored.pulseMode = 1;
    stored.xPulsePort = 7;
    stored.xDirPort = 0;
    stored.yPulsePort = 4;
    stored.yDirPort = 5;
    Wizard w(true, stored);
    EXPECT_EQ(w.text({"startDEdit", "actionCombo", "pulseCombo", "xPulseCombo", "xDirCombo",
                      "yPulseCombo", "yDirCombo"}),
              "3000|Absolute|Independent Pulse 2|Y7|Y0|Y4|Y5");
    w.setText("startDEdit", 100);
    w.pick("xPulseCombo", 2); // Y5
    w.pick("xDirCombo", 7);
    w.pick("yPulseCombo", 0);
    w.next();
    const PosConfig &c = w.config;
    EXPECT_EQ(std::tuple(c.startD, c.actionMode, c.pulseMode, c.xPulsePort, c.xDirPort,
                         c.yPulsePort, c.yDirPort),
              std::tuple(100u, 1, 1, 5u, 7u, 0u, 5u));
}

TEST(ItemPage, StartElementOutsideTheHostsRangeIsRefusedWithTheFocusOnIt)
{
    const char *range = "The start element address of D must range from [100] to [200]";
    // clang-format off
    const std::pair<const char *, const char *> cases[] = {
        {"99", range}, {"201", range}, {"", "Initial element(D): Please enter an unsigned integer."},
        {"200", nullptr}};
    // clang-format on
    for (const auto &[text, message] : cases) {
        Wizard w;
        w.config.minD = 100;
        w.config.maxD = 200;
        w.setText("startDEdit", text);
        if (message)
            w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.page(), message ? Page::ItemPage : Page::StepPage) << text;
        EXPECT_EQ(w.prompts.last(), message ? message : "");
        EXPECT_EQ(w.frame.focusWidget() == w.find("startDEdit"), message != nullptr);
    }
}

// --- segments step by step ------------------------------------------------------------

TEST(StepPage, OpensOnABlankStraightLineAndALineStoresNoCircle)
{
    StepWizard w;
    EXPECT_EQ(w.sections(), "1/1 0");
    EXPECT_EQ(w.text({"typeCombo", "centreModeCombo", "initialSpeedEdit", "maxSpeedEdit",
                      "accDecTimeEdit", "endYEdit", "circleXEdit", "circleYEdit"}),
              "Straight line|Designate center point|0|0|0|0|0|0");
    w.enterSegment(kTypeCw, 10, 10, 77, 88);
    w.pick("centreModeCombo", 1);
    w.pick("typeCombo", 0);
    w.next();
    const PosSegment &s = w.config.segments.at(1);
    EXPECT_EQ(std::tuple(s.type, s.centreMode, s.centreX, s.centreY),
              std::tuple(kTypeLine, 0, 0, 0));
}

TEST(StepPage, FieldsFollowTheNumberRuleWithTheFocusOnTheField)
{
    // clang-format off
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"endXEdit", "1.5", "End(X): Please enter an integer."},
        {"initialSpeedEdit", "", "Initial speed(Hz): Please enter an unsigned integer."},
        {"circleYEdit", "+3", "Circle(Y) contains illegal character. Please input again."},
    };
    // clang-format on
    for (const auto &[edit, text, message] : cases) {
        StepWizard w;
        w.enterSegment(kTypeCcw, 10, 10, 5, 5);
        w.setText(edit, text);
        w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.prompts.texts(), QStringList{message});
        EXPECT_EQ(w.frame.focusWidget(), w.find(edit));
        EXPECT_TRUE(w.config.segments.empty());
    }
}

TEST(StepPage, ArcOffItsCircleOffersTheCandidates)
{
    StepWizard w;
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    w.enterSegment(kTypeCw, 50, 50); // about (0, 0), from (100, 0)
    w.prompts.chooseArc(-1).chooseArc(1);
    w.next();
    EXPECT_EQ(w.prompts.last(), "Center(0, 0)  Beginning(100, 0)  End(50, 50)\nThe end point does "
                                "not exist on the specified arc. Please choose one from the "
                                "following two options, or input again\n[End(X) = 71, End(Y) = "
                                "71]\n[End(X) = -71, End(Y) = -71]");
    EXPECT_EQ(w.text({"endXEdit", "endYEdit"}), "50|50") << "Input Again changes nothing";
    w.next();
    EXPECT_EQ(w.sections("endYEdit") + ' ' + w.text({"endXEdit"}), "2/2 -71 -71")
        << "the corrected end point is confirmed again";
}

TEST(StepPage, ArcsBeginWhereTheActionModeSays)
{
    // Segment 1 turns about its own beginning: never checked. Segment 2 turns
    // about (100, 0), where it begins in absolute mode: no arc; in
    // incremental mode it begins at the origin, on its circle.
    for (const int mode : {0, 1}) {
        StepWizard w(mode);
        w.enterSegment(kTypeCw, 100, 0);
        w.next();
        w.enterSegment(kTypeCw, 100, 100, 100, 0);
        if (mode == 1)
            w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.step().currentSection(), mode == 0 ? 3 : 2) << mode;
        EXPECT_EQ(w.prompts.last(),
                  mode == 0 ? "" : "The input data cannot generate an arc. Please input again.");
    }
}

TEST(StepPage, EndAsksWhetherToKeepTheFollowingSegments)
{
    using Answer = QMessageBox::StandardButton;
    for (const auto &[answer, kept] :
         {std::pair{Answer::No, 2u}, {Answer::Yes, 6u}, {Answer::Cancel, 6u}}) {
        StepWizard w;
        w.enterLines(5);
        for (int i = 0; i < 4; ++i)
            w.previous();
        w.prompts.answer(answer);
        w.end();
        EXPECT_EQ(w.prompts.texts(), QStringList{"After the current segment [2] there are [4] "
                                                 "segment(s) of data. Save the [4] segment(s)?"});
        EXPECT_EQ(w.config.segments.size(), kept) << answer;
        EXPECT_EQ(w.page(), answer == Answer::Cancel ? Page::StepPage : Page::NamePage);
    }
}

TEST(StepPage, EndChecksTheWholeOutlineWhereTheActionModeNowMakesItBegin)
{
    // Stored in absolute mode: segment 2 turns about (100, 50) from (100, 0)
    // to (100, 100). Incremental, it begins at (0, 0), off that circle.
    PosConfig stored;
    stored.actionMode = 1;
    stored.segments[1] = {.type = kTypeLine, .endX = 100};
    stored.segments[2] = {.type = kTypeCw, .endX = 100, .endY = 100, .centreX = 100, .centreY = 50};
    stored.segments[3] = {.type = kTypeLine, .endX = 0, .endY = 0};
    for (const int pick : {-1, 0}) {
        Wizard w(true, stored);
        w.pick("actionCombo", 0);
        w.next();
        ASSERT_EQ(w.step().currentSection(), 1);
        w.prompts.answer(QMessageBox::Yes).chooseArc(pick); // keep the segments after 1
        w.end();
        EXPECT_EQ(w.page(), Page::StepPage) << "the outline is refused";
        EXPECT_EQ(w.sections("endYEdit"), pick < 0 ? "2/3 100" : "2/3 162")
            << "segment 2 is brought up; a pick goes into its fields";
        EXPECT_TRUE(w.prompts.last().startsWith("Center(100, 50)  Beginning(0, 0)  End(100, 100)"))
            << w.prompts.last().toStdString();
        if (pick < 0)
            continue;
        w.prompts.answer(QMessageBox::Yes); // keep segment 3
        w.end();
        EXPECT_EQ(w.page(), Page::NamePage);
        EXPECT_TRUE(CheckOutline(w.config).empty());
    }
}

TEST(StepPage, DeleteRemovesTheCurrentSegmentAndAllAfterIt)
{
    StepWizard w;
    w.enterLines(4);
    w.previous();
    w.previous();
    EXPECT_EQ(w.sections(), "3/5 30");
    w.prompts.answer(QMessageBox::Cancel).answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 5u);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 2u);
    EXPECT_EQ(w.sections(), "2/2 20");
    w.previous();
    w.click("deleteButton");
    EXPECT_TRUE(w.config.segments.empty());
    EXPECT_EQ(w.sections(), "1/1 0");
    EXPECT_EQ(w.prompts.defaults(), std::vector(3, QMessageBox::Cancel)) << "Enter deletes nothing";
}

TEST(StepPage, CapacityIsCheckedAfterStoring)
{
    StepWizard w;
    w.config.maxD = 2012; // D2000 and the 12 words of one straight line
    w.enterLines(1);
    w.prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(w.sections(), "2/2 0");
    EXPECT_EQ(w.config.segments.size(), 2u) << "the segment stays stored";
}

TEST(StepPage, TheTwoHundredFiftySixthSegmentIsTheLast)
{
    StepWizard w;
    for (int i = 1; i < 256; ++i)
        w.next();
    w.prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(w.prompts.texts(), QStringList{"Max. step number [256] reached."});
    EXPECT_EQ(w.sections(), "256/256 0");
    EXPECT_EQ(w.config.segments.size(), 256u);
}

TEST(StepPage, DisplayDrawsTheStoredOutlineInTheActionMode)
{
    for (const int mode : {0, 1}) {
        StepWizard w(mode);
        w.enterLines(1);
        w.enterSegment(kTypeLine, 10, 5);
        w.click("displayButton");
        const CGraphicShow *view = w.find<CGraphicShow>("display");
        ASSERT_EQ(view->primitives().size(), 2u) << "the current segment stored first";
        EXPECT_EQ(view->primitives()[1].end.x, mode == 0 ? 20.0 : 10.0) << mode;
    }
}

// --- name and summary ---------------------------------------------------------------

TEST(NamePage, ProposesPosExeAndTakesTwentyCharacters)
{
    Wizard w;
    w.next();
    w.end();
    QLineEdit *edit = w.find("nameEdit");
    EXPECT_EQ(edit->text(), "POS_EXE");
    edit->clear();
    QTest::keyClicks(edit, "ABCDEFGHIJKLMNOPQRSTU");
    w.next();
    EXPECT_EQ(w.final().items().value(0), "Subprogram \"ABCDEFGHIJKLMNOPQRST\"");
    w.previous();
    w.setText("nameEdit", "Other");
    w.next();
    EXPECT_EQ(w.final().items().value(0), "Subprogram \"Other\"") << "the name just stored";
    EXPECT_EQ(w.config.subprogramName, "Other");
}

TEST(NamePage, RefusesABadNameWithTheFocusOnIt)
{
    // clang-format off
    const std::pair<const char *, const char *> cases[] = {
        {"", "Please enter the name of the subprogram generated by POS instruction."},
        {"POS EXE", "Illegal \"POS subprogram\" name. Please input again."},
        {"main", "Subprogram \"main\" exists in the current project. Please input again."},
        {"定位程序", nullptr},
    };
    // clang-format on
    for (const auto &[name, message] : cases) {
        Wizard w;
        w.next();
        w.end();
        w.context.subprogramNames = {"Main"};
        w.setText("nameEdit", name);
        if (message)
            w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.page(), message ? Page::NamePage : Page::FinalPage) << name;
        EXPECT_EQ(w.config.subprogramName, message ? "" : name);
        EXPECT_EQ(w.prompts.last(), message ? message : "");
        EXPECT_EQ(w.frame.focusWidget() == w.find("nameEdit"), message != nullptr);
    }
}

TEST(NamePage, ModifyKeepsTheStoredNameUnchecked)
{
    PosConfig stored;
    stored.subprogramName = "Main";
    Wizard w(true, stored);
    w.next();
    w.end();
    w.context.subprogramNames = {"Main"};
    EXPECT_TRUE(w.find("nameEdit")->isReadOnly());
    w.next();
    EXPECT_EQ(w.final().items().value(0), "Subprogram \"Main\"");
}

// --- the arc end-point chooser ------------------------------------------------------

TEST(ArcChooser, ButtonsGiveTheChoice)
{
    for (const auto &[button, choice] :
         {std::pair{"firstButton", 0}, {"secondButton", 1}, {"inputAgainButton", -1}}) {
        CArcEndSelect dialog;
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
        EXPECT_EQ(dialog.result() == QDialog::Accepted ? dialog.choice() : -1, choice) << button;
    }
}

TEST(EntryPointGuard, NothingThrownReachesTheHost)
{
    EXPECT_EQ(ui::Guarded([] { return 1; }), 1);
    EXPECT_EQ(ui::Guarded([]() -> std::int32_t { throw std::bad_alloc(); }), 0);
    EXPECT_EQ(ui::Guarded([]() -> std::int32_t { throw 7; }), 0);
}
