// The output configuration page, the name page, the summary page and the
// arc end-point chooser.
#include "ScriptedPrompter.h"
#include "WizardFixture.h"

#include "geometry/CArcEndSelect.h"

#include <QRadioButton>

using namespace pos;
using pos::test::ScriptedPrompter;
using pos::test::Wizard;

TEST(ItemPage, NewConfigurationDefaults)
{
    Wizard w;
    EXPECT_EQ(w.text("startDEdit"), QStringLiteral("2000"));
    EXPECT_EQ(w.find<QComboBox>("actionCombo")->currentText(), QStringLiteral("Incremental"));
    EXPECT_EQ(w.find<QComboBox>("pulseCombo")->currentText(),
              QStringLiteral("PLS+SIGN(forward OFF/reverse ON)"));
    for (const auto &[combo, text] : {std::pair{"xPulseCombo", "Y0"}, std::pair{"xDirCombo", "Y1"},
                                      std::pair{"yPulseCombo", "Y2"}, std::pair{"yDirCombo", "Y3"}})
        EXPECT_EQ(w.find<QComboBox>(combo)->currentText(), QLatin1String(text)) << combo;
    EXPECT_TRUE(w.find<QRadioButton>("stepRadio")->isChecked());
    EXPECT_EQ(w.find<QLineEdit>("startDEdit")->maxLength(), 4);
}

TEST(ItemPage, StoresTheSettingsOnNext)
{
    Wizard w;
    w.setText("startDEdit", QStringLiteral("100"));
    w.pick("actionCombo", 1);
    w.pick("pulseCombo", 1);
    w.pick("xPulseCombo", 2); // Y5
    w.pick("xDirCombo", 7);
    w.pick("yPulseCombo", 0);
    w.pick("yDirCombo", 6);
    w.next();
    EXPECT_EQ(w.config.startD, 100u);
    EXPECT_EQ(w.config.actionMode, 1);
    EXPECT_EQ(w.config.pulseMode, 1);
    EXPECT_EQ(w.config.xPulsePort, 5u);
    EXPECT_EQ(w.config.xDirPort, 7u);
    EXPECT_EQ(w.config.yPulsePort, 0u);
    EXPECT_EQ(w.config.yDirPort, 6u);
}

TEST(ItemPage, StartElementBounds)
{
    for (const auto &[text, accepted] : {std::pair{"100", true}, std::pair{"200", true},
                                         std::pair{"99", false}, std::pair{"201", false}}) {
        ScriptedPrompter prompts;
        Wizard w;
        w.config.minD = 100;
        w.config.maxD = 200;
        w.setText("startDEdit", QLatin1String(text));
        if (!accepted)
            prompts.answer(QMessageBox::Ok);
        w.next();
        EXPECT_EQ(w.frame.currentPage() == CPosWizardDlg::StepPage, accepted) << text;
        if (!accepted) {
            EXPECT_EQ(w.config.startD, 0u) << "nothing stored";
        }
    }
}

TEST(ItemPage, EmptyStartElementGetsThePlatformMessage)
{
    ScriptedPrompter prompts;
    Wizard w;
    w.setText("startDEdit", QString());
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(prompts.last().text, QStringLiteral("Please enter an unsigned integer."));
    EXPECT_EQ(w.frame.focusWidget(), w.find<QLineEdit>("startDEdit"));
}

TEST(ItemPage, StartElementTakesDigitsOnly)
{
    Wizard w;
    QLineEdit *edit = w.find<QLineEdit>("startDEdit");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("1-2a34567"));
    EXPECT_EQ(edit->text(), QStringLiteral("1234"));
}

TEST(ItemPage, PortLabelsFollowThePulseMode)
{
    Wizard w;
    EXPECT_EQ(w.find<QLabel>("xPulseLabel")->text(), QStringLiteral("X pulse output port"));
    EXPECT_EQ(w.find<QLabel>("yDirLabel")->text(), QStringLiteral("Y direction output port"));
    w.pick("pulseCombo", 1);
    EXPECT_EQ(w.find<QLabel>("xPulseLabel")->text(), QStringLiteral("X positive pulse port"));
    EXPECT_EQ(w.find<QLabel>("xDirLabel")->text(), QStringLiteral("X negative pulse port"));
    EXPECT_EQ(w.find<QLabel>("yPulseLabel")->text(), QStringLiteral("Y positive pulse port"));
    EXPECT_EQ(w.find<QLabel>("yDirLabel")->text(), QStringLiteral("Y negative pulse port"));
    w.pick("pulseCombo", 0);
    EXPECT_EQ(w.find<QLabel>("xPulseLabel")->text(), QStringLiteral("X pulse output port"));
}

TEST(ItemPage, ModifyOpensWithTheStoredValuesAndStepByStep)
{
    PosConfig stored;
    stored.startD = 3000;
    stored.actionMode = 1;
    stored.pulseMode = 1;
    stored.xPulsePort = 7;
    stored.xDirPort = 0;
    stored.yPulsePort = 4;
    stored.yDirPort = 5;
    Wizard w(true, stored);
    EXPECT_EQ(w.text("startDEdit"), QStringLiteral("3000"));
    EXPECT_EQ(w.find<QComboBox>("actionCombo")->currentIndex(), 1);
    EXPECT_EQ(w.find<QComboBox>("pulseCombo")->currentIndex(), 1);
    EXPECT_EQ(w.find<QComboBox>("xPulseCombo")->currentText(), QStringLiteral("Y7"));
    EXPECT_EQ(w.find<QComboBox>("xDirCombo")->currentText(), QStringLiteral("Y0"));
    EXPECT_EQ(w.find<QComboBox>("yPulseCombo")->currentText(), QStringLiteral("Y4"));
    EXPECT_TRUE(w.find<QRadioButton>("stepRadio")->isChecked());
}

TEST(ItemPage, HostValuesNoItemStandsForSelectTheFirstItem)
{
    PosConfig stored;
    stored.actionMode = 7;
    stored.xPulsePort = 2;
    stored.xDirPort = 42;
    Wizard w(true, stored);
    w.next();
    EXPECT_EQ(w.config.actionMode, 0);
    EXPECT_EQ(w.config.xPulsePort, 0u);
    EXPECT_EQ(w.config.xDirPort, 0u);
}

namespace {

// A wizard on the name page.
struct NameWizard : Wizard
{
    explicit NameWizard(bool modify = false, PosConfig initial = PosConfig())
        : Wizard(modify, std::move(initial))
    {
        next();
        end();
        EXPECT_EQ(frame.currentPage(), CPosWizardDlg::NamePage);
    }
};

} // namespace

TEST(NamePage, ProposesPosExe)
{
    NameWizard w;
    EXPECT_EQ(w.text("nameEdit"), QStringLiteral("POS_EXE"));
    EXPECT_FALSE(w.find<QLineEdit>("nameEdit")->isReadOnly());
}

TEST(NamePage, TwentyCharactersAtMost)
{
    NameWizard w;
    QLineEdit *edit = w.find<QLineEdit>("nameEdit");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("ABCDEFGHIJKLMNOPQRSTU"));
    EXPECT_EQ(edit->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::FinalPage);
    EXPECT_EQ(w.config.subprogramName, "ABCDEFGHIJKLMNOPQRST");
}

struct NameCase
{
    const char *name;
    const char *message; // empty: accepted
};

class NameRule : public ::testing::TestWithParam<NameCase>
{};

TEST_P(NameRule, RefusesWithFocusOnTheName)
{
    const NameCase &c = GetParam();
    ScriptedPrompter prompts;
    NameWizard w;
    w.context.subprogramNames = {"Main"};
    w.setText("nameEdit", QString::fromUtf8(c.name));
    if (*c.message)
        prompts.answer(QMessageBox::Ok);
    w.next();
    if (*c.message) {
        EXPECT_EQ(prompts.last().text, QString::fromUtf8(c.message));
        EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
        EXPECT_EQ(w.frame.focusWidget(), w.find<QLineEdit>("nameEdit"));
        EXPECT_EQ(w.text("nameEdit"), QString::fromUtf8(c.name)) << "text kept as typed";
        EXPECT_EQ(w.config.subprogramName, "");
    } else {
        EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::FinalPage);
        EXPECT_EQ(w.config.subprogramName, c.name);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameRule,
    ::testing::Values(
        NameCase{"", "Please enter the name of the subprogram generated by POS instruction."},
        NameCase{"POS EXE", "Illegal \"POS subprogram\" name. Please input again."},
        NameCase{"a.b", "Illegal \"POS subprogram\" name. Please input again."},
        NameCase{"a,b", "Illegal \"POS subprogram\" name. Please input again."},
        NameCase{"a/b", "Illegal \"POS subprogram\" name. Please input again."},
        NameCase{"MAIN", "Subprogram \"MAIN\" exists in the current project. Please input again."},
        NameCase{"main", "Subprogram \"main\" exists in the current project. Please input again."},
        NameCase{"1st-run_2", ""}, NameCase{"定位程序", ""}));

TEST(NamePage, ModifyShowsTheNameReadOnlyAndChecksNothing)
{
    PosConfig stored;
    stored.subprogramName = "Main";
    ScriptedPrompter prompts;
    NameWizard w(true, stored);
    w.context.subprogramNames = {"Main"};
    EXPECT_TRUE(w.find<QLineEdit>("nameEdit")->isReadOnly());
    EXPECT_EQ(w.text("nameEdit"), QStringLiteral("Main"));
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::FinalPage);
    EXPECT_EQ(w.final.items(), QStringList{QStringLiteral("Subprogram \"Main\"")});
}

TEST(SummaryPage, ShowsTheNameAsJustStoredAndOnlyOnce)
{
    NameWizard w;
    w.next();
    EXPECT_EQ(w.final.items(), QStringList{QStringLiteral("Subprogram \"POS_EXE\"")});
    w.previous();
    w.setText("nameEdit", QStringLiteral("Other"));
    w.next();
    EXPECT_EQ(w.final.items(), QStringList{QStringLiteral("Subprogram \"Other\"")});
}

TEST(ArcChooser, ButtonsGiveTheChoice)
{
    for (const auto &[name, result, choice] :
         {std::tuple{"firstButton", QDialog::Accepted, 0},
          std::tuple{"secondButton", QDialog::Accepted, 1},
          std::tuple{"inputAgainButton", QDialog::Rejected, 0}}) {
        CArcEndSelect dialog;
        dialog.setMessage(QStringLiteral("text"));
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), result) << name;
        if (result == QDialog::Accepted) {
            EXPECT_EQ(dialog.choice(), choice) << name;
        }
    }
}

TEST(ArcChooser, EscapeAndEnterAreInputAgain)
{
    CArcEndSelect dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Loomcraft"));
    EXPECT_TRUE(dialog.findChild<QPushButton *>(QStringLiteral("inputAgainButton"))->isDefault());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.show();
    dialog.setResult(QDialog::Accepted);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
