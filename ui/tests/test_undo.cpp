// Undo and redo in the grids of the table page and of the Import DXF dialog:
// every kind of action taken back and done again, one step each, through
// the keys and the context menu.
#include "WidgetTestSupport.h"

#include "dialogs/CDrawingOptions.h"
#include "wizard/GridUndo.h"

#include <QClipboard>
#include <QSignalSpy>

#include <functional>

using namespace pos;
using namespace pos::test;

namespace {

// What undo must put back: the row count, every text, the travel marks and
// which cells have a text colour of their own (the grey begin points).
struct Shot
{
    std::vector<QStringList> texts;
    QString marks;
    QString coloured;
    friend bool operator==(const Shot &, const Shot &) = default;
};

Shot Take(const CVSFlexGrid *g)
{
    Shot s{g->dataRows(), {}, {}};
    for (int r = CVSFlexGrid::kFixedRows; r < g->rows(); ++r) {
        s.marks += g->isRowMarked(r) ? 'T' : '-';
        for (int c = 0; c < g->cols(); ++c)
            s.coloured += g->cellForeColor(r, c).isValid() ? 'c' : '.';
    }
    return s;
}

void PrintTo(const Shot &s, std::ostream *os)
{
    *os << s.texts.size() << " rows " << s.marks.toStdString() << '\n';
    for (const QStringList &row : s.texts)
        *os << row.join('|').toStdString() << '\n';
}

void Undo(CVSFlexGrid *g)
{
    QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
}
void Redo(CVSFlexGrid *g)
{
    QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier);
}

// Types text into a cell and ends the edit with Enter.
void Type(CVSFlexGrid *g, int row, int col, const char *text)
{
    ClickCell(g, row, col);
    QTest::keyClick(g, text[0]);
    QTest::keyClicks(OpenEditor(g), text + 1);
    QTest::keyClick(OpenEditor(g), Qt::Key_Return);
    QCoreApplication::processEvents(); // the queued commit
}

QAction *MenuItem(const QMenu *menu, const char *name)
{
    for (QAction *a : menu->actions())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

template<typename Screen>
using Action = std::pair<const char *, std::function<void(Screen &)>>;

// Runs the actions one after the other. Each must change the grid and be
// one step: undo right after it gives the grid as it was before, redo as it
// was after. Then all are undone, and all redone, one step at a time.
template<typename Screen>
void CheckSteps(Screen &s, const std::vector<Action<Screen>> &actions)
{
    std::vector<Shot> shots{Take(s.grid)};
    for (const auto &[name, run] : actions) {
        run(s);
        shots.push_back(Take(s.grid));
        const Shot &before = shots[shots.size() - 2];
        ASSERT_NE(shots.back(), before) << name << " changes nothing";
        Undo(s.grid);
        EXPECT_EQ(Take(s.grid), before) << name << " undone";
        Redo(s.grid);
        EXPECT_EQ(Take(s.grid), shots.back()) << name << " redone";
    }
    for (std::size_t k = actions.size(); k > 0; --k) {
        Undo(s.grid);
        EXPECT_EQ(Take(s.grid), shots[k - 1]) << actions[k - 1].first << " undone in turn";
    }
    EXPECT_FALSE(s.grid->window()->template findChild<ui::GridUndo *>()->canUndo());
    for (std::size_t k = 1; k <= actions.size(); ++k) {
        Redo(s.grid);
        EXPECT_EQ(Take(s.grid), shots[k]) << actions[k - 1].first << " redone in turn";
    }
}

} // namespace

TEST(Undo, EveryActionOfTheTablePageIsOneStep)
{
    // A travel line to (100, 0), then an arc about the origin that ends off
    // its circle, then a line.
    PosConfig record = LinesRecord(3, 1);
    record.segments[1] = Segment(1, kTypeLine, 100, 0);
    record.segments[1].travel = true;
    record.segments[2] = Segment(2, kTypeCw, 50, 50);
    TablePage t(record);
    QGuiApplication::clipboard()->setText(
        "\tStraight line\t\t1\t2\t3\t4\t5\t\t\n"
        "\tClockwise arc\tDesignate center point\t1\t2\t3\t0\t0\t5\t0\n");
    CheckSteps<TablePage>(
        t, {
               {"arc end from the chooser",
                [](TablePage &s) {
                    s.prompts.chooseArc(1);
                    EXPECT_FALSE(s.page.CommitTable(false));
                }},
               {"typed text", [](TablePage &s) { Type(s.grid, 3, 4, "250"); }},
               {"type pick", [](TablePage &s) { ASSERT_TRUE(PickFromList(s.grid, 4, 1, 2)); }},
               {"add empty row", [](TablePage &s) { s.menu(2, 1, "addEmptyRow"); }},
               {"new segment", [](TablePage &s) { ASSERT_TRUE(PickFromList(s.grid, 5, 1, 0)); }},
               {"insert section", [](TablePage &s) { s.menu(2, 5, "insertSection"); }},
               {"delete travel row",
                [](TablePage &s) {
                    s.prompts.answer(QMessageBox::Yes);
                    s.menu(3, 5, "deleteRow");
                }},
               {"paste",
                [](TablePage &s) {
                    ClickCell(s.grid, 4, 3);
                    QTest::keyClick(s.grid, Qt::Key_V, Qt::ControlModifier);
                }},
               {"speeds",
                [](TablePage &s) {
                    ClickCell(s.grid, 2, 3);
                    ClickCell(s.grid, 4, 3, Qt::ShiftModifier);
                    s.prompts.speeds(ui::SpeedsAndTime{7, 8, 9});
                    s.menu(3, 3, "setSpeeds");
                }},
               {"drawing imported",
                [](TablePage &s) {
                    s.prompts.openFile(POS_TEST_DATA_DIR "/table/plate_with_holes.dxf");
                    s.click("loadDxfButton");
                    QTest::mouseClick(s.child<CDrawingOptions>("drawingOptions")
                                          ->findChild<QPushButton *>("okButton"),
                                      Qt::LeftButton);
                    s.prompts.answer(QMessageBox::Ok); // the begin points go
                    s.child<CImportDxf>("importDxf")->accept();
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                }},
           });
}

TEST(Undo, EveryActionOfTheImportDialogIsOneStep)
{
    PosConfig drawing;
    for (std::uint32_t k = 0; k < 4; ++k)
        drawing.segments[k] = PosSegment{0, kTypeLine, 0, 0, 0, 0, 0, 0, 10 * int(k + 1), 0, 0, 0};
    drawing.segments[1].travel = true;
    ImportDialog d(drawing);
    const auto menu = [](int row, const char *item) {
        return [row, item](ImportDialog &s) { s.menu(row, 4, item); };
    };
    CheckSteps<ImportDialog>(
        d, {
               {"typed text", [](ImportDialog &s) { Type(s.grid, 2, 5, "-3"); }},
               {"type pick", [](ImportDialog &s) { ASSERT_TRUE(PickFromList(s.grid, 2, 1, 2)); }},
               {"move up", menu(3, "moveUp")},
               {"move down", menu(2, "moveDown")},
               {"reverse current", menu(4, "reverseCurrent")},
               {"reverse all", menu(2, "reverseAll")},
               {"move current",
                [](ImportDialog &s) {
                    s.prompts.moveBy(QPoint(5, -5));
                    s.menu(3, 4, "moveCurrent");
                }},
               {"move all",
                [](ImportDialog &s) {
                    s.prompts.moveBy(QPoint(1, 2));
                    s.menu(3, 4, "moveAll");
                }},
               {"delete travel row",
                [](ImportDialog &s) {
                    s.prompts.answer(QMessageBox::Yes);
                    s.menu(3, 4, "deleteRow");
                }},
           });
}

TEST(Undo, PastingManyRowsIsOneStep)
{
    TablePage t(LinesRecord(1));
    QString rows;
    for (int i = 0; i < 200; ++i)
        rows += QStringLiteral("\tStraight line\t\t1\t2\t3\t%1\t5\t\t\n").arg(i);
    QGuiApplication::clipboard()->setText(rows);
    const Shot before = Take(t.grid);
    ClickCell(t.grid, 2, 1);
    QTest::keyClick(t.grid, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(t.grid->rows(), 202);
    Undo(t.grid);
    EXPECT_EQ(Take(t.grid), before);
    EXPECT_FALSE(t.page.undo()->canUndo());
}

TEST(Undo, WhatChangesNothingIsNoStep)
{
    const std::pair<const char *, std::function<void(TablePage &)>> cases[] = {
        {"the same text typed", [](TablePage &s) { Type(s.grid, 2, 4, "100"); }},
        {"deletion answered No",
         [](TablePage &s) {
             s.prompts.answer(QMessageBox::No);
             s.menu(2, 4, "deleteRow");
         }},
        {"a refused paste",
         [](TablePage &s) {
             QGuiApplication::clipboard()->setText("\tSpiral\t\t1\t1\t1\t1\t1\t\t\n");
             s.prompts.answer(QMessageBox::Ok);
             s.menu(2, 4, "pasteRows");
         }},
        {"the rows checked", [](TablePage &s) { EXPECT_TRUE(s.page.CommitTable(false)); }},
    };
    for (const auto &[name, run] : cases) {
        TablePage t(LinesRecord(2));
        run(t);
        EXPECT_FALSE(t.page.undo()->canUndo()) << name;
    }
}

TEST(Undo, KeysOnTheGridWinOverTheWindowsShortcuts)
{
    TablePage t(LinesRecord(1));
    QAction windowUndo;
    windowUndo.setShortcuts({QKeySequence::Undo, QKeySequence::Redo, Qt::CTRL | Qt::Key_Y});
    t.page.addAction(&windowUndo);
    const Shot before = Take(t.grid);
    t.menu(2, 1, "addEmptyRow");
    const Shot after = Take(t.grid);
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const Shot &> keys[] = {
        {Qt::Key_Z, Qt::ControlModifier, before},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, after},
        {Qt::Key_Z, Qt::ControlModifier, before},
        {Qt::Key_Y, Qt::ControlModifier, after},
    };
    QSignalSpy stolen(&windowUndo, &QAction::triggered);
    for (const auto &[key, mods, shot] : keys) {
        QTest::keyClick(t.grid, key, mods);
        EXPECT_EQ(Take(t.grid), shot) << QKeySequence(key | mods).toString().toStdString();
    }
    EXPECT_EQ(stolen.count(), 0);
}

TEST(Undo, MenuItemsAreGreyedWithNothingToUndoOrRedo)
{
    ImportDialog d(ui::KeyedFromZero(LinesRecord(2)));
    const auto state = [&d] {
        const std::unique_ptr<QMenu> menu = d.dialog.CreateContextMenu();
        return QString("%1 %2")
            .arg(MenuItem(menu.get(), "undo")->isEnabled())
            .arg(MenuItem(menu.get(), "redo")->isEnabled());
    };
    EXPECT_EQ(state(), "0 0");
    ClickCell(d.grid, 2, 4);
    QTest::keyClicks(d.grid, "9"); // an open edit is finished before the menu opens
    d.menu(2, 4, "");
    EXPECT_EQ(state(), "1 0");
    MenuItem(d.dialog.CreateContextMenu().get(), "undo")->trigger();
    EXPECT_EQ(d.cell(2, 4), "10");
    EXPECT_EQ(state(), "0 1");

    const std::unique_ptr<QMenu> menu = d.dialog.CreateContextMenu();
    EXPECT_EQ(MenuItem(menu.get(), "undo")->shortcut().toString(), "Ctrl+Z");
    EXPECT_EQ(MenuItem(menu.get(), "redo")->shortcut().toString(), "Ctrl+Shift+Z");
    InChinese zh;
    const std::unique_ptr<QMenu> chinese = d.dialog.CreateContextMenu();
    EXPECT_EQ(MenuItem(chinese.get(), "undo")->text() + MenuItem(chinese.get(), "redo")->text(),
              "撤销重做");
}

TEST(Undo, EnteringTheTableFromTheFirstPageForgetsTheSteps)
{
    TablePage t(LinesRecord(2));
    t.menu(2, 1, "addEmptyRow");
    ASSERT_TRUE(t.page.undo()->canUndo());
    const PosConfig record = LinesRecord(3);
    t.page.FillGridFromRecord(&record);
    EXPECT_FALSE(t.page.undo()->canUndo());
}
