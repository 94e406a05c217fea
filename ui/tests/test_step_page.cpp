// The step page: segment stepping, the number rule, the arc check with its
// chooser, delete, end and the limits.
#include "ScriptedPrompter.h"
#include "WizardFixture.h"

using namespace pos;
using pos::test::ScriptedPrompter;
using pos::test::Wizard;

namespace {

// A wizard on the step page, absolute or incremental.
struct StepWizard : Wizard
{
    explicit StepWizard(int actionMode = 1)
    {
        pick("actionCombo", actionMode);
        next();
        EXPECT_EQ(frame.currentPage(), CPosWizardDlg::StepPage);
    }
};

} // namespace

TEST(StepPage, OpensOnABlankFirstSegment)
{
    StepWizard w;
    EXPECT_EQ(w.current(), 1);
    EXPECT_EQ(w.total(), 1);
    for (const char *edit : {"initialSpeedEdit", "maxSpeedEdit", "accDecTimeEdit", "endXEdit",
                             "endYEdit", "circleXEdit", "circleYEdit"})
        EXPECT_EQ(w.text(edit), QStringLiteral("0")) << edit;
    EXPECT_EQ(w.find<QComboBox>("typeCombo")->currentText(), QStringLiteral("Straight line"));
    EXPECT_EQ(w.find<QComboBox>("centreModeCombo")->currentText(),
              QStringLiteral("Designate center point"));
    EXPECT_FALSE(w.find<QComboBox>("centreModeCombo")->isEnabled());
    EXPECT_FALSE(w.find<QLineEdit>("circleXEdit")->isEnabled());
    w.pick("typeCombo", 2);
    EXPECT_TRUE(w.find<QLineEdit>("circleXEdit")->isEnabled());
    EXPECT_TRUE(w.find<QComboBox>("centreModeCombo")->isEnabled());
}

TEST(StepPage, NextStoresAndOpensANewSegment)
{
    StepWizard w;
    w.enterSegment(kTypeLine, 20000, 0, 0, 0, 0, 100, 100000, 100);
    w.next();
    EXPECT_EQ(w.current(), 2);
    EXPECT_EQ(w.total(), 2);
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("0"));
    ASSERT_EQ(w.config.segments.size(), 1u);
    EXPECT_EQ(w.config.segments.at(1).maxSpeed, 100000u);

    // Back to 1 and forward again loads what was stored.
    w.setText("endXEdit", QStringLiteral("5"));
    w.previous();
    EXPECT_EQ(w.current(), 1);
    EXPECT_EQ(w.total(), 2);
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("20000"));
    EXPECT_EQ(w.config.segments.at(2).endX, 5) << "previous stores the segment it leaves";
    w.next();
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("5"));
}

TEST(StepPage, StraightLineStoresCentreZeroWhateverTheCircleFields)
{
    StepWizard w;
    w.enterSegment(kTypeCw, 10, 10, 77, 88, 1);
    w.pick("typeCombo", 0);
    w.next();
    const PosSegment &s = w.config.segments.at(1);
    EXPECT_EQ(s.type, kTypeLine);
    EXPECT_EQ(s.centreX, 0);
    EXPECT_EQ(s.centreY, 0);
    EXPECT_EQ(s.centreMode, 0);
}

struct FieldCase
{
    const char *edit;
    const char *text;
    const char *message; // empty: accepted
};

class StepFieldRule : public ::testing::TestWithParam<FieldCase>
{};

TEST_P(StepFieldRule, MessageAndFocus)
{
    const FieldCase &c = GetParam();
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeCcw, 10, 10, 5, 5);
    w.setText(c.edit, QString::fromUtf8(c.text));
    if (*c.message)
        prompts.answer(QMessageBox::Ok);
    w.next();
    if (*c.message) {
        ASSERT_EQ(prompts.seen().size(), 1u);
        EXPECT_EQ(prompts.last().text, QString::fromUtf8(c.message));
        EXPECT_EQ(prompts.last().buttons, QMessageBox::Ok);
        EXPECT_EQ(prompts.last().icon, QMessageBox::NoIcon);
        EXPECT_EQ(w.frame.focusWidget(), w.find<QLineEdit>(c.edit));
        EXPECT_EQ(w.current(), 1);
        EXPECT_TRUE(w.config.segments.empty()) << "nothing stored";
    } else {
        EXPECT_TRUE(prompts.seen().empty());
        EXPECT_EQ(w.current(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StepFieldRule,
    ::testing::Values(
        FieldCase{"endXEdit", "-5", ""}, FieldCase{"endXEdit", "", "Please enter an integer."},
        FieldCase{"endXEdit", "1.5", "Please enter an integer."},
        FieldCase{"initialSpeedEdit", "", "Please enter an unsigned integer."},
        FieldCase{"endYEdit", " 7", "End(Y) contains illegal character. Please input again."},
        FieldCase{"endXEdit", "2147483648", "End(X) is invalid. Please input again"},
        FieldCase{"endXEdit", "-2147483648", ""},
        FieldCase{"maxSpeedEdit", "4294967296", "Maximum speed(Hz) is invalid. Please input again"},
        FieldCase{"accDecTimeEdit", "4294967295", ""},
        FieldCase{"circleXEdit", "+3", "Circle(X) contains illegal character. Please input again."},
        FieldCase{"circleYEdit", "99999999999999999999999",
                  "Circle(Y) is invalid. Please input again"}));

TEST(StepPage, SpeedsAcceptZeroAndAnyOrder)
{
    StepWizard w;
    w.enterSegment(kTypeLine, 1, 1, 0, 0, 0, 500, 0, 0);
    w.next();
    EXPECT_EQ(w.current(), 2);
}

TEST(StepPage, ArcOffItsCircleOffersTheCandidates)
{
    ScriptedPrompter prompts;
    StepWizard w; // absolute: segment 2 begins at the end of segment 1
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    w.enterSegment(kTypeCcw, 50, 50, 0, 0);
    prompts.chooseArc(0);
    w.next();
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().kind, ScriptedPrompter::Kind::ArcChoice);
    EXPECT_TRUE(prompts.last().text.startsWith(
        QStringLiteral("Center(0, 0)  Beginning(100, 0)  End(50, 50)\n")));
    EXPECT_EQ(w.current(), 2) << "refused whatever the choice";
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("71"));
    EXPECT_EQ(w.text("endYEdit"), QStringLiteral("71"));
    EXPECT_EQ(w.config.segments.size(), 1u);

    w.next(); // the corrected end point passes
    EXPECT_EQ(w.current(), 3);
    EXPECT_EQ(w.config.segments.at(2).endX, 71);
}

TEST(StepPage, InputAgainLeavesTheFields)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    w.enterSegment(kTypeCw, 50, 50, 0, 0);
    prompts.chooseArc(-1);
    w.next();
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("50"));
    EXPECT_EQ(w.current(), 2);
}

TEST(StepPage, IncrementalArcsBeginAtTheOrigin)
{
    ScriptedPrompter prompts;
    StepWizard w(0);
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    // About (0, 50) from (0, 0): (50, 50) lies on the circle of radius 50.
    w.enterSegment(kTypeCw, 50, 50, 0, 50);
    w.next();
    EXPECT_TRUE(prompts.seen().empty());
    EXPECT_EQ(w.current(), 3);
}

TEST(StepPage, FirstSegmentIsNeverArcChecked)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeCw, 50, 50, 0, 0);
    w.next();
    EXPECT_TRUE(prompts.seen().empty());
}

TEST(StepPage, ArcThatCannotBeFormed)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    w.enterSegment(kTypeCw, 50, 50, 100, 0); // begin point on the centre
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("The input data cannot generate an arc. Please input again."));
    EXPECT_EQ(prompts.last().icon, QMessageBox::Warning);
    EXPECT_EQ(w.current(), 2);
}

TEST(StepPage, PassThroughArcsTakeTheirOwnCheck)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeLine, 100, 0);
    w.next();
    // Half circle about (0, 0) through (60, 80): right as a pass-through point.
    w.enterSegment(kTypeCcw, -100, 0, 60, 80, 1);
    w.next();
    EXPECT_TRUE(prompts.seen().empty());
    EXPECT_EQ(w.config.segments.at(2).centreMode, 1);

    w.enterSegment(kTypeCcw, 200, 0, 150, 0, 1); // collinear
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("The input data cannot generate an arc. Please input again."));
}

TEST(StepPage, EndAsksAboutTheSegmentsAfterTheCurrentOne)
{
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes, QMessageBox::Cancel}) {
        ScriptedPrompter prompts;
        StepWizard w;
        for (int i = 1; i <= 5; ++i) {
            w.enterSegment(kTypeLine, i * 10, 0);
            if (i < 5)
                w.next();
        }
        for (int i = 0; i < 3; ++i)
            w.previous();
        ASSERT_EQ(w.current(), 2);
        prompts.answer(answer);
        w.end();
        ASSERT_EQ(prompts.seen().size(), 1u);
        EXPECT_EQ(prompts.last().text,
                  QStringLiteral("After the current segment [2] there are [3] segment(s) of data. "
                                 "Save the [3] segment(s)?"));
        EXPECT_EQ(prompts.last().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(prompts.last().icon, QMessageBox::Question);
        switch (answer) {
        case QMessageBox::No:
            EXPECT_EQ(w.config.segments.size(), 2u);
            EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
            break;
        case QMessageBox::Yes:
            EXPECT_EQ(w.config.segments.size(), 5u);
            EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
            break;
        default:
            EXPECT_EQ(w.config.segments.size(), 5u);
            EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::StepPage);
        }
    }
}

TEST(StepPage, DeleteRemovesTheCurrentSegmentAndAllAfter)
{
    ScriptedPrompter prompts;
    StepWizard w;
    for (int i = 1; i <= 4; ++i) {
        w.enterSegment(kTypeLine, i * 10, 0);
        w.next();
    }
    w.previous(); // stores the open segment 5 as it stands
    w.previous();
    ASSERT_EQ(w.current(), 3);
    ASSERT_EQ(w.config.segments.size(), 5u);

    prompts.answer(QMessageBox::Cancel);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 5u);
    EXPECT_EQ(prompts.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);

    prompts.answer(QMessageBox::Ok);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 2u);
    EXPECT_EQ(w.current(), 2);
    EXPECT_EQ(w.total(), 2);
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("20"));

    w.previous();
    prompts.answer(QMessageBox::Ok);
    w.click("deleteButton");
    EXPECT_TRUE(w.config.segments.empty());
    EXPECT_EQ(w.current(), 1);
    EXPECT_EQ(w.total(), 1);
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("0"));
}

TEST(StepPage, DeleteOnANeverStoredSegmentStepsBack)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.enterSegment(kTypeLine, 10, 0);
    w.next(); // 2 of 2, not stored
    prompts.answer(QMessageBox::Ok);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 1u);
    EXPECT_EQ(w.current(), 1);
    EXPECT_EQ(w.total(), 1);
}

TEST(StepPage, CapacityIsCheckedAfterStoring)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.config.maxD = 2012; // D2000 + 12 words of one line
    w.enterSegment(kTypeLine, 10, 0);
    w.next();
    EXPECT_EQ(w.current(), 2);
    w.enterSegment(kTypeLine, 20, 0);
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("D element address number reached max address number [2012]. Please "
                             "input the starting address again."));
    EXPECT_EQ(w.current(), 2);
    EXPECT_EQ(w.config.segments.size(), 2u) << "the segment stays stored";
}

TEST(StepPage, TheTwoHundredFiftySixthSegmentIsTheLast)
{
    ScriptedPrompter prompts;
    StepWizard w;
    w.config.maxD = 100000;
    for (int i = 1; i < 256; ++i) {
        w.setText("endXEdit", QString::number(i));
        w.next();
    }
    ASSERT_EQ(w.current(), 256);
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(prompts.last().text, QStringLiteral("Max. step number [256] reached."));
    EXPECT_EQ(w.current(), 256);
    EXPECT_EQ(w.config.segments.size(), 256u);
}

TEST(StepPage, ReenteringStartsAtSegmentOne)
{
    StepWizard w;
    for (int i = 1; i <= 3; ++i) {
        w.enterSegment(kTypeLine, i, 0);
        if (i < 3)
            w.next();
    }
    w.end();
    w.previous(); // name page -> step page as it was left
    EXPECT_EQ(w.current(), 3);
    w.frame.ShowPage(CPosWizardDlg::ItemPage);
    w.next();
    EXPECT_EQ(w.current(), 1);
    EXPECT_EQ(w.total(), 3);
    EXPECT_EQ(w.text("endXEdit"), QStringLiteral("1"));
}
