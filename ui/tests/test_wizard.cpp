// The wizard's frame and its pages: output configuration, the segments step
// by step, the subprogram name and the summary; the arc end-point chooser.
#include "TableTestSupport.h"
#include "WizardFixture.h"

#include "controls/CGraphicShow.h"
#include "geometry/CArcEndSelect.h"

#include <QRadioButton>

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
    QString sections() const { return QStringLiteral("%1/%2").arg(current()).arg(total()); }
};

// A wizard on the name page.
struct NameWizard : Wizard
{
    explicit NameWizard(bool modify = false, PosConfig initial = PosConfig())
        : Wizard(modify, std::move(initial))
    {
        next();
        end();
    }
};

} // namespace

// --- the frame -----------------------------------------------------------------

TEST(WizardFrame, WalksThePagesWithTheirButtons)
{
    EXPECT_EQ(Wizard(true).frame.windowTitle(), "Position Control Wizard Modification");
    Wizard w;
    EXPECT_EQ(w.frame.windowTitle(), "Position Control Wizard Creation");
    // The page, then Previous, Next, End and Cancel enabled, then Next's text.
    const auto state = [&w] {
        QString s = QString::number(w.page()) + ' ';
        for (const char *b : {"previousButton", "nextButton", "endButton", "cancelButton"})
            s += w.button(b)->isEnabled() ? '1' : '0';
        return s + ' ' + w.button("nextButton")->text();
    };
    EXPECT_EQ(state(), "0 0101 Next");
    w.next();
    EXPECT_EQ(state(), "1 1111 Next");
    w.enterSegment(kTypeLine, 100, 0);
    w.end();
    EXPECT_EQ(state(), "3 1101 Next");
    w.next();
    EXPECT_EQ(state(), "4 1101 Complete");
    w.previous();
    EXPECT_EQ(state(), "3 1101 Next");
    w.previous();
    EXPECT_EQ(state(), "1 1111 Next") << "back to the segment page in use";
    w.end();
    w.next();
    w.next();
    EXPECT_EQ(w.frame.result(), QDialog::Accepted);
    EXPECT_FALSE(w.frame.isVisible());
    EXPECT_EQ(w.config.segments.at(1).endX, 100);
    EXPECT_EQ(w.config.subprogramName, "POS_EXE");
}

TEST(WizardFrame, PreviousOnTheFirstSegmentChecksItAndGoesBack)
{
    Wizard w;
    w.next();
    w.setText("endXEdit", "12x");
    w.prompts.answer(QMessageBox::Ok);
    w.previous();
    EXPECT_EQ(w.page(), Page::StepPage);
    EXPECT_EQ(w.prompts.texts(), QStringList{"Please enter an integer."});
    w.setText("endXEdit", 12);
    w.previous();
    EXPECT_EQ(w.page(), Page::ItemPage);
    EXPECT_EQ(w.config.segments.at(1).endX, 12);
}

TEST(WizardFrame, CancelAsksFirst)
{
    // The Cancel button, the close box, Escape on a frame button, Escape
    // with the focus outside the pages.
    const std::function<void(Wizard &)> ways[] = {
        [](Wizard &w) { w.click("cancelButton"); },
        [](Wizard &w) { w.frame.close(); },
        [](Wizard &w) { QTest::keyClick(w.button("nextButton"), Qt::Key_Escape); },
        [](Wizard &w) {
            w.frame.setFocus();
            QTest::keyClick(&w.frame, Qt::Key_Escape);
        },
    };
    for (const auto &cancel : ways) {
        Wizard w;
        w.setText("startDEdit", 1234);
        w.prompts.answer(QMessageBox::No).answer(QMessageBox::Yes);
        cancel(w);
        EXPECT_TRUE(w.frame.isVisible());
        EXPECT_EQ(w.text("startDEdit"), "1234");
        cancel(w);
        EXPECT_FALSE(w.frame.isVisible());
        EXPECT_EQ(w.frame.result(), QDialog::Rejected);
        EXPECT_EQ(w.prompts.texts(),
                  QStringList(2, "Are you sure to give up the changes and quit from POS Wizard?"));
        EXPECT_EQ(w.prompts.last().buttons, QMessageBox::Yes | QMessageBox::No);
    }
}

TEST(WizardFrame, EnterPressesTheFocusedFrameButtonAndNothingInsideAPage)
{
    Wizard w; // the cancel question would fail the test
    QLineEdit *edit = w.find("startDEdit");
    edit->setFocus();
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(edit, key);
    EXPECT_EQ(w.page(), Page::ItemPage);
    w.button("nextButton")->setFocus();
    QTest::keyClick(w.button("nextButton"), Qt::Key_Return);
    EXPECT_EQ(w.page(), Page::StepPage);
}

TEST(WizardFrame, InChinese)
{
    InChinese zh;
    Wizard w;
    EXPECT_EQ(w.frame.windowTitle(), "位置控制向导生成");
    EXPECT_EQ(w.text({"startLabel", "actionCombo", "xPulseLabel"}),
              "起始元件(D)|增量型|X轴脉冲输出端口");
    EXPECT_EQ(w.button("nextButton")->text(), "下一步");
    w.prompts.answer(QMessageBox::No);
    w.click("cancelButton");
    EXPECT_EQ(w.prompts.texts(), QStringList{"确定要放弃所做的改动，并退出POS指令向导吗？"});
}

// --- output configuration ------------------------------------------------------------

TEST(ItemPage, NewConfigurationDefaultsPortListsAndLabels)
{
    Wizard w;
    EXPECT_EQ(w.text({"startDEdit", "actionCombo", "pulseCombo", "xPulseCombo", "xDirCombo",
                      "yPulseCombo", "yDirCombo"}),
              "2000|Incremental|PLS+SIGN(forward OFF/reverse ON)|Y0|Y1|Y2|Y3");
    EXPECT_TRUE(w.find<QRadioButton>("stepRadio")->isChecked());
    QStringList lists;
    for (const char *name : {"xPulseCombo", "yDirCombo"})
        for (int i = 0; i < w.find<QComboBox>(name)->count(); ++i)
            lists << w.find<QComboBox>(name)->itemText(i);
    EXPECT_EQ(lists.join(' '), "Y0 Y4 Y5 Y6 Y7 Y0 Y1 Y2 Y3 Y4 Y5 Y6 Y7");
    const auto labels = {"xPulseLabel", "xDirLabel", "yPulseLabel", "yDirLabel"};
    EXPECT_EQ(w.text(labels), "X pulse output port|X direction output port|Y pulse output "
                              "port|Y direction output port");
    w.pick("pulseCombo", 1);
    EXPECT_EQ(w.text(labels), "X positive pulse port|X negative pulse port|Y positive pulse "
                              "port|Y negative pulse port");
    w.find("startDEdit")->clear();
    QTest::keyClicks(w.find("startDEdit"), "1-2a34567");
    EXPECT_EQ(w.text("startDEdit"), "1234") << "four digits";
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
    EXPECT_EQ(w.text({"startDEdit", "actionCombo", "xPulseCombo", "xDirCombo", "yPulseCombo",
                      "yDirCombo"}),
              "3000|Absolute|Y7|Y0|Y4|Y5");
    EXPECT_EQ(w.find<QComboBox>("pulseCombo")->currentIndex(), 1);
    EXPECT_TRUE(w.find<QRadioButton>("stepRadio")->isChecked());
    w.setText("startDEdit", 100);
    w.pick("xPulseCombo", 2); // Y5
    w.pick("xDirCombo", 7);
    w.pick("yPulseCombo", 0);
    w.next();
    const PosConfig &c = w.config;
    EXPECT_EQ(std::tuple(c.startD, c.actionMode, c.pulseMode, c.xPulsePort, c.xDirPort,
                         c.yPulsePort, c.yDirPort),
              std::tuple(100u, 1, 1, 5u, 7u, 0u, 5u));
    // Values from the host that no item stands for: the first item.
    stored.actionMode = 7;
    stored.xPulsePort = 2;
    stored.xDirPort = 42;
    Wizard odd(true, stored);
    odd.next();
    EXPECT_EQ(std::tuple(odd.config.actionMode, odd.config.xPulsePort, odd.config.xDirPort),
              std::tuple(0, 0u, 0u));
}

TEST(ItemPage, StartElementOutsideTheHostsRangeIsRefusedWithTheFocusOnIt)
{
    const char *range = "The start element address of D must range from [100] to [200]";
    for (const auto &[text, message] : {std::pair{"99", range},
                                        {"201", range},
                                        {"", "Please enter an unsigned integer."},
                                        {"100", nullptr},
                                        {"200", nullptr}}) {
        Wizard w;
        w.config.minD = 100;
        w.config.maxD = 200;
        w.setText("startDEdit", text);
        if (message)
            w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.page(), message ? Page::ItemPage : Page::StepPage) << text;
        EXPECT_EQ(w.prompts.texts().join(""), message ? message : "");
        EXPECT_EQ(w.frame.focusWidget() == w.find("startDEdit"), message != nullptr);
        EXPECT_EQ(w.config.startD, message ? 0u : QByteArray(text).toUInt());
    }
}

// --- segments step by step ------------------------------------------------------------

TEST(StepPage, OpensOnABlankStraightLineAndALineStoresNoCircle)
{
    StepWizard w;
    EXPECT_EQ(w.sections(), "1/1");
    EXPECT_EQ(w.text({"typeCombo", "centreModeCombo", "initialSpeedEdit", "maxSpeedEdit",
                      "accDecTimeEdit", "endXEdit", "endYEdit", "circleXEdit", "circleYEdit"}),
              "Straight line|Designate center point|0|0|0|0|0|0|0");
    const auto arcFields = [&w] {
        QString s;
        for (const char *name : {"centreModeCombo", "circleXEdit", "circleYEdit"})
            s += w.find<QWidget>(name)->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(arcFields(), "000");
    w.enterSegment(kTypeCw, 10, 10, 77, 88, 1);
    EXPECT_EQ(arcFields(), "111");
    w.pick("typeCombo", 0);
    w.next();
    const PosSegment &s = w.config.segments.at(1);
    EXPECT_EQ(std::tuple(s.type, s.centreMode, s.centreX, s.centreY),
              std::tuple(kTypeLine, 0, 0, 0));
}

TEST(StepPage, NextAndPreviousStoreTheSegmentAndShowTheOther)
{
    StepWizard w;
    w.enterSegment(kTypeLine, 20000, 0);
    w.next();
    EXPECT_EQ(w.sections() + ' ' + w.text("endXEdit"), "2/2 0");
    EXPECT_EQ(w.config.segments.at(1).endX, 20000);
    w.setText("endXEdit", 5);
    w.previous();
    EXPECT_EQ(w.sections() + ' ' + w.text("endXEdit"), "1/2 20000");
    EXPECT_EQ(w.config.segments.at(2).endX, 5) << "Previous stores the segment it leaves";
    w.next();
    EXPECT_EQ(w.text("endXEdit"), "5");
    w.end();
    w.frame.ShowPage(Page::ItemPage);
    w.next();
    EXPECT_EQ(w.sections() + ' ' + w.text("endXEdit"), "1/2 20000") << "entered again at 1";
}

TEST(StepPage, FieldsFollowTheNumberRuleWithTheFocusOnTheField)
{
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"endXEdit", "1.5", "Please enter an integer."},
        {"initialSpeedEdit", "", "Please enter an unsigned integer."},
        {"circleYEdit", "+3", "Circle(Y) contains illegal character. Please input again."},
    };
    for (const auto &[edit, text, message] : cases) {
        StepWizard w;
        w.enterSegment(kTypeCcw, 10, 10, 5, 5);
        w.setText(edit, text);
        w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.prompts.texts(), QStringList{message});
        EXPECT_EQ(w.frame.focusWidget(), w.find(edit));
        EXPECT_EQ(w.current(), 1);
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
    EXPECT_EQ(w.prompts.last().text,
              "Center(0, 0)  Beginning(100, 0)  End(50, 50)\nThe end point does not exist on the "
              "specified arc. Please choose one from the following two options, or input "
              "again\n[End(X) = 71, End(Y) = 71]\n[End(X) = -71, End(Y) = -71]");
    EXPECT_EQ(w.text({"endXEdit", "endYEdit"}), "50|50") << "Input Again changes nothing";
    w.next();
    EXPECT_EQ(w.text({"endXEdit", "endYEdit"}), "-71|-71");
    EXPECT_EQ(w.current(), 2) << "the corrected end point is confirmed again";
    EXPECT_EQ(w.config.segments.size(), 1u);
    w.next();
    EXPECT_EQ(w.current(), 3);
    EXPECT_EQ(w.config.segments.at(2).endX, -71);
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
        EXPECT_EQ(w.current(), mode == 0 ? 3 : 2) << mode;
        EXPECT_EQ(w.prompts.texts().join(""),
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
        EXPECT_EQ(w.prompts.last().buttons,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(w.config.segments.size(), kept) << answer;
        EXPECT_EQ(w.page(), answer == Answer::Cancel ? Page::StepPage : Page::NamePage);
    }
}

TEST(StepPage, DeleteRemovesTheCurrentSegmentAndAllAfterIt)
{
    StepWizard w;
    w.enterLines(4);
    w.previous();
    w.previous(); // segment 3 of 5 stored
    w.prompts.answer(QMessageBox::Cancel).answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 5u);
    EXPECT_EQ(w.prompts.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    w.click("deleteButton");
    EXPECT_EQ(w.config.segments.size(), 2u);
    EXPECT_EQ(w.sections() + ' ' + w.text("endXEdit"), "2/2 20");
    w.previous();
    w.click("deleteButton");
    EXPECT_TRUE(w.config.segments.empty());
    EXPECT_EQ(w.sections() + ' ' + w.text("endXEdit"), "1/1 0");
}

TEST(StepPage, CapacityIsCheckedAfterStoring)
{
    StepWizard w;
    w.config.maxD = 2012; // D2000 and the 12 words of one straight line
    w.enterLines(1);
    w.prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(w.prompts.texts(), QStringList{"D element address number reached max address "
                                             "number [2012]. Please input the starting address "
                                             "again."});
    EXPECT_EQ(w.current(), 2);
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
    EXPECT_EQ(w.sections(), "256/256");
    EXPECT_EQ(w.config.segments.size(), 256u);
}

TEST(StepPage, DisplayDrawsTheStoredOutlineInTheActionMode)
{
    for (const int mode : {0, 1}) {
        StepWizard w(mode);
        w.enterLines(1);
        w.enterSegment(kTypeLine, 10, 5);
        w.click("displayButton");
        EXPECT_EQ(w.config.segments.size(), 2u) << "stored first";
        const CGraphicShow *view = w.find<CGraphicShow>("display");
        ASSERT_EQ(view->primitives().size(), 2u);
        EXPECT_EQ(view->primitives()[1].end.x, mode == 0 ? 20.0 : 10.0) << mode;
        EXPECT_EQ(view->currentSegment(), 2);
    }
}

// --- name and summary ---------------------------------------------------------------

TEST(NamePage, ProposesPosExeAndTakesTwentyCharacters)
{
    NameWizard w;
    QLineEdit *edit = w.find("nameEdit");
    EXPECT_EQ(edit->text(), "POS_EXE");
    EXPECT_FALSE(edit->isReadOnly());
    edit->clear();
    QTest::keyClicks(edit, "ABCDEFGHIJKLMNOPQRSTU");
    w.next();
    EXPECT_EQ(w.config.subprogramName, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(w.final.items(), QStringList{"Subprogram \"ABCDEFGHIJKLMNOPQRST\""});
    w.previous();
    w.setText("nameEdit", "Other");
    w.next();
    EXPECT_EQ(w.final.items(), QStringList{"Subprogram \"Other\""}) << "the name just stored";
}

TEST(NamePage, RefusesABadNameWithTheFocusOnIt)
{
    const std::pair<const char *, const char *> cases[]
        = {{"", "Please enter the name of the subprogram generated by POS instruction."},
           {"POS EXE", "Illegal \"POS subprogram\" name. Please input again."},
           {"main", "Subprogram \"main\" exists in the current project. Please input again."},
           {"定位程序", nullptr}};
    for (const auto &[name, message] : cases) {
        NameWizard w;
        w.context.subprogramNames = {"Main"};
        w.setText("nameEdit", name);
        if (message)
            w.prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.page(), message ? Page::NamePage : Page::FinalPage) << name;
        EXPECT_EQ(w.config.subprogramName, message ? "" : name);
        EXPECT_EQ(w.prompts.texts().join(""), message ? message : "");
        EXPECT_EQ(w.frame.focusWidget() == w.find("nameEdit"), message != nullptr);
        EXPECT_EQ(w.text("nameEdit"), name) << "kept as typed";
    }
}

TEST(NamePage, ModifyKeepsTheStoredNameUnchecked)
{
    PosConfig stored;
    stored.subprogramName = "Main";
    NameWizard w(true, stored);
    w.context.subprogramNames = {"Main"};
    EXPECT_TRUE(w.find("nameEdit")->isReadOnly());
    EXPECT_EQ(w.text("nameEdit"), "Main");
    w.next();
    EXPECT_EQ(w.final.items(), QStringList{"Subprogram \"Main\""});
}

// --- the arc end-point chooser ------------------------------------------------------

TEST(ArcChooser, ButtonsGiveTheChoiceAndEscapeOrEnterInputAgain)
{
    for (const auto &[button, choice] :
         {std::pair{"firstButton", 0}, {"secondButton", 1}, {"inputAgainButton", -1}}) {
        CArcEndSelect dialog;
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
        EXPECT_EQ(dialog.result() == QDialog::Accepted ? dialog.choice() : -1, choice) << button;
    }
    CArcEndSelect dialog;
    EXPECT_EQ(dialog.windowTitle(), "Loomcraft");
    for (const auto key : {Qt::Key_Escape, Qt::Key_Return}) {
        dialog.show();
        dialog.setResult(QDialog::Accepted);
        QTest::keyClick(&dialog, key);
        EXPECT_EQ(dialog.result(), QDialog::Rejected) << key;
    }
}
