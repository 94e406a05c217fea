// The frame's page sequence, button states, titles and the cancel question.
#include "ScriptedPrompter.h"
#include "WizardFixture.h"

#include <QKeyEvent>
#include <QStackedWidget>

using namespace pos;
using pos::test::ScriptedPrompter;
using pos::test::Wizard;

namespace {

struct ButtonStates
{
    bool previous, next, end, cancel;
};

void ExpectButtons(const Wizard &w, ButtonStates s)
{
    EXPECT_EQ(w.button("previousButton")->isEnabled(), s.previous);
    EXPECT_EQ(w.button("nextButton")->isEnabled(), s.next);
    EXPECT_EQ(w.button("endButton")->isEnabled(), s.end);
    EXPECT_EQ(w.button("cancelButton")->isEnabled(), s.cancel);
}

} // namespace

TEST(WizardFrame, TitleTellsCreateFromModify)
{
    Wizard create;
    EXPECT_EQ(create.frame.windowTitle(), QStringLiteral("Position Control Wizard Creation"));
    Wizard modify(true);
    EXPECT_EQ(modify.frame.windowTitle(), QStringLiteral("Position Control Wizard Modification"));
}

TEST(WizardFrame, WalksThePagesWithTheirButtonStates)
{
    ScriptedPrompter prompts;
    Wizard w;
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    ExpectButtons(w, {false, true, false, true});

    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::StepPage);
    ExpectButtons(w, {true, true, true, true});

    w.enterSegment(kTypeLine, 100, 0);
    w.end();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
    ExpectButtons(w, {true, true, false, true});
    EXPECT_EQ(w.button("nextButton")->text(), QStringLiteral("Next"));

    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::FinalPage);
    ExpectButtons(w, {true, true, false, true});
    EXPECT_EQ(w.button("nextButton")->text(), QStringLiteral("Complete"));
    EXPECT_EQ(w.final.items(), QStringList{QStringLiteral("Subprogram \"POS_EXE\"")});

    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
    EXPECT_EQ(w.button("nextButton")->text(), QStringLiteral("Next"));

    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::StepPage) << "back to the segment page in use";

    w.end();
    w.next();
    w.next();
    EXPECT_EQ(w.frame.result(), QDialog::Accepted);
    EXPECT_FALSE(w.frame.isVisible());
    ASSERT_EQ(w.config.segments.size(), 1u);
    EXPECT_EQ(w.config.segments.at(1).endX, 100);
    EXPECT_EQ(w.config.subprogramName, "POS_EXE");
    EXPECT_TRUE(prompts.seen().empty());
}

TEST(WizardFrame, EndIsOnlyForTheStepPage)
{
    Wizard w;
    w.end(); // disabled on page 0: nothing happens
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    w.frame.OnEnd();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
}

TEST(WizardFrame, PreviousOnTheFirstSegmentReturnsOnlyWhenItsInputPasses)
{
    ScriptedPrompter prompts;
    Wizard w;
    w.next();
    w.setText("endXEdit", QStringLiteral("12x"));
    prompts.answer(QMessageBox::Ok);
    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::StepPage);
    EXPECT_EQ(prompts.last().text, QStringLiteral("Please enter an integer."));

    w.setText("endXEdit", QStringLiteral("12"));
    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    EXPECT_EQ(w.config.segments.at(1).endX, 12) << "checked and stored on the way back";
}

TEST(WizardFrame, CancelAsksAndNoKeepsEverything)
{
    ScriptedPrompter prompts;
    Wizard w;
    w.setText("startDEdit", QStringLiteral("1234"));
    prompts.answer(QMessageBox::No);
    w.click("cancelButton");
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("Are you sure to give up the changes and quit from POS Wizard?"));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(w.frame.isVisible());
    EXPECT_EQ(w.text("startDEdit"), QStringLiteral("1234"));

    prompts.answer(QMessageBox::Yes);
    w.click("cancelButton");
    EXPECT_FALSE(w.frame.isVisible());
    EXPECT_EQ(w.frame.result(), QDialog::Rejected);
}

TEST(WizardFrame, CloseBoxAsksTheCancelQuestion)
{
    ScriptedPrompter prompts;
    Wizard w;
    prompts.answer(QMessageBox::No);
    w.frame.close();
    EXPECT_TRUE(w.frame.isVisible());
    prompts.answer(QMessageBox::Yes);
    w.frame.close();
    EXPECT_FALSE(w.frame.isVisible());
}

TEST(WizardFrame, EnterAndEscapeInsideAPageDoNothing)
{
    ScriptedPrompter prompts; // any prompt would fail the test
    Wizard w;
    QLineEdit *edit = w.find<QLineEdit>("startDEdit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(w.frame.isVisible());
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    EXPECT_TRUE(prompts.seen().empty());
}

TEST(WizardFrame, EnterAndEscapeOnTheFrameButtons)
{
    ScriptedPrompter prompts;
    Wizard w;
    QPushButton *next = w.button("nextButton");
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Return);
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::StepPage) << "Enter presses the focused button";

    prompts.answer(QMessageBox::No);
    QTest::keyClick(next, Qt::Key_Escape);
    EXPECT_EQ(prompts.seen().size(), 1u) << "Escape on a frame button asks to cancel";
    EXPECT_TRUE(w.frame.isVisible());
}

TEST(WizardFrame, PageRefusalKeepsThePage)
{
    ScriptedPrompter prompts;
    Wizard w;
    w.config.minD = 100;
    w.config.maxD = 200;
    w.setText("startDEdit", QStringLiteral("201"));
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("The start element address of D must range from [100] to [200]"));
    EXPECT_EQ(w.frame.focusWidget(), w.find<QLineEdit>("startDEdit"));
}
