// The coordinate move, the trajectory display and the speeds-and-time
// dialogs on their own.

#include "ScriptedPrompter.h"
#include "TableTestSupport.h"

#include "controls/CGraphicShow.h"
#include "dialogs/CCoordinateMove.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CSetSpeeds.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace pos;
using namespace pos::test;

namespace {

template<typename Dialog>
void Show(Dialog &dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

QLineEdit *Edit(QWidget &dialog, const char *name)
{
    auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
    EXPECT_NE(edit, nullptr) << name;
    return edit;
}

void Click(QWidget &dialog, const char *button)
{
    QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(button)), Qt::LeftButton);
}

void Retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

// --- coordinate move ----------------------------------------------------------------------

TEST(CoordinateMove, OpensWithZerosAndTakesEightCharacters)
{
    CCoordinateMove dialog;
    Show(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Coordinate Move"));
    for (const char *name : {"xEdit", "yEdit"}) {
        QLineEdit *edit = Edit(dialog, name);
        EXPECT_EQ(edit->text(), QStringLiteral("0")) << name;
        Retype(edit, QStringLiteral("-12345678"));
        EXPECT_EQ(edit->text(), QStringLiteral("-1234567")) << "a ninth character is not taken";
        Retype(edit, QStringLiteral("123456789"));
        EXPECT_EQ(edit->text(), QStringLiteral("12345678"));
    }
    EXPECT_EQ(dialog.xDisplacement(), 0);
    EXPECT_EQ(dialog.yDisplacement(), 0);
}

struct MoveCase
{
    const char *x;
    const char *y;
    bool accepted;
    std::int32_t dx, dy;
    const char *refusedEdit; // the edit that gets the focus when refused
};

void PrintTo(const MoveCase &c, std::ostream *os)
{
    *os << '"' << c.x << "\", \"" << c.y << '"';
}

class CoordinateMoveOk : public ::testing::TestWithParam<MoveCase>
{};

TEST_P(CoordinateMoveOk, TakesWholeNumbersOnly)
{
    const MoveCase c = GetParam();
    CCoordinateMove dialog;
    Show(dialog);
    Retype(Edit(dialog, "xEdit"), QString::fromLatin1(c.x));
    Retype(Edit(dialog, "yEdit"), QString::fromLatin1(c.y));
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    ScriptedPrompter prompts;
    if (!c.accepted)
        prompts.answer(QMessageBox::Ok);
    Click(dialog, "okButton");
    if (c.accepted) {
        EXPECT_EQ(accepted.count(), 1) << c.x << " " << c.y;
        EXPECT_EQ(dialog.xDisplacement(), c.dx);
        EXPECT_EQ(dialog.yDisplacement(), c.dy);
        return;
    }
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("Please enter an integer.")});
    EXPECT_EQ(QApplication::focusWidget(), Edit(dialog, c.refusedEdit));
    EXPECT_EQ(dialog.xDisplacement(), 0) << "nothing taken over";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoordinateMoveOk,
    ::testing::Values(
        MoveCase{"10", "-5", true, 10, -5, ""}, MoveCase{" 7 ", "+3", true, 7, 3, ""},
        MoveCase{"-9999999", "99999999", true, -9999999, 99999999, ""},
        MoveCase{"", "1", false, 0, 0, "xEdit"}, MoveCase{"1", "1.5", false, 0, 0, "yEdit"},
        MoveCase{"abc", "1", false, 0, 0, "xEdit"}, MoveCase{"1", "--1", false, 0, 0, "yEdit"},
        MoveCase{"1 2", "1", false, 0, 0, "xEdit"}, MoveCase{"-", "1", false, 0, 0, "xEdit"}));

TEST(CoordinateMove, CancelTakesNothing)
{
    CCoordinateMove dialog;
    Show(dialog);
    Retype(Edit(dialog, "xEdit"), QStringLiteral("44"));
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    Click(dialog, "cancelButton");
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(dialog.xDisplacement(), 0);
}

// --- trajectory display --------------------------------------------------------------------------

TEST(GraphicDisplay, PassesTheArraysToTheViewOnce)
{
    CGraphicDisplay dialog(3);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Figure graphic display"));
    EXPECT_EQ(dialog.count(), 3);
    EXPECT_EQ(dialog.current(), 3);
    CGraphicDisplay::Arrays &a = dialog.arrays();
    for (const auto *v : {&a.centreX, &a.centreY, &a.beginX, &a.beginY, &a.endX, &a.endY, &a.type})
        EXPECT_EQ(*v, std::vector<std::int32_t>(3, 0));
    a.type = {1, 3, 2};
    a.endX = {100, 100, 0};
    a.endY = {0, 100, 0};
    a.centreX = {0, 100, 50};
    a.centreY = {0, 50, 100};
    dialog.setActionMode(1);
    EXPECT_TRUE(dialog.display()->primitives().empty()) << "drawn when shown";
    Show(dialog);
    const auto &drawn = dialog.display()->primitives();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].kind, PrimitiveKind::Line);
    EXPECT_EQ(drawn[1].kind, PrimitiveKind::Arc);
    EXPECT_EQ(drawn[1].end.y, 100.0);
    EXPECT_EQ(drawn[2].end.x, 0.0);
    EXPECT_EQ(dialog.display()->currentSegment(), 3);
    // Showing it again does not draw it again.
    a.type = {1, 1, 1};
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.display()->primitives()[1].kind, PrimitiveKind::Arc);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    Click(dialog, "closeButton");
    EXPECT_EQ(accepted.count(), 1);
}

TEST(GraphicDisplay, OpensForNoSegments)
{
    for (std::int32_t count : {0, -4}) {
        CGraphicDisplay dialog(count);
        Show(dialog);
        EXPECT_EQ(dialog.count(), 0);
        EXPECT_TRUE(dialog.isInitialised());
        EXPECT_TRUE(dialog.display()->primitives().empty());
    }
}

// --- speeds and time -----------------------------------------------------------------------------

struct SpeedsCase
{
    const char *t, *v0, *v1;
    const char *message; // null: accepted
    const char *focus;
};

void PrintTo(const SpeedsCase &c, std::ostream *os)
{
    *os << '"' << c.t << "\", \"" << c.v0 << "\", \"" << c.v1 << '"';
}

class SetSpeeds : public ::testing::TestWithParam<SpeedsCase>
{};

TEST_P(SetSpeeds, EachFieldFollowsTheNumberRule)
{
    const SpeedsCase c = GetParam();
    CSetSpeeds dialog;
    dialog.setValues({1, 2, 3});
    Show(dialog);
    EXPECT_EQ(Edit(dialog, "initialSpeedEdit")->text(), QStringLiteral("2"));
    Retype(Edit(dialog, "accDecTimeEdit"), QString::fromLatin1(c.t));
    Retype(Edit(dialog, "initialSpeedEdit"), QString::fromLatin1(c.v0));
    Retype(Edit(dialog, "maxSpeedEdit"), QString::fromLatin1(c.v1));
    ScriptedPrompter prompts;
    if (c.message)
        prompts.answer(QMessageBox::Ok);
    Click(dialog, "okButton");
    if (!c.message) {
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.values(),
                  (ui::SpeedsAndTime{QByteArray(c.t).toUInt(), QByteArray(c.v0).toUInt(),
                                     QByteArray(c.v1).toUInt()}));
        return;
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompts.texts(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(QApplication::focusWidget(), Edit(dialog, c.focus));
    EXPECT_EQ(dialog.values(), (ui::SpeedsAndTime{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetSpeeds,
    ::testing::Values(
        SpeedsCase{"100", "200", "4294967295", nullptr, ""},
        SpeedsCase{"", "1", "1", "Acc./Dec. time (ms) is null. Please input an integer",
                   "accDecTimeEdit"},
        SpeedsCase{"1", "-5", "1",
                   "Initial speed (Hz) should be a positive figure. Please input again.",
                   "initialSpeedEdit"},
        SpeedsCase{"1", "1", "1e3",
                   "Maximum speed (Hz) contains illegal character. Please input again.",
                   "maxSpeedEdit"},
        SpeedsCase{"1", "1", "4294967296", "Maximum speed (Hz) is invalid. Please input again",
                   "maxSpeedEdit"}));
