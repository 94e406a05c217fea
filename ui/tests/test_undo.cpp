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

using Actions = std::vector<std::pair<const char *, std::function<void()>>>;

// Runs the actions one after the other. Each must change the grid and be
// one step: undo right after it gives the grid as it was before, redo as it
// was after. Then all are undone, and all redone, one step at a time.
void CheckSteps(const GridScreen &s, const ui::GridUndo *undo, const Actions &actions)
{
    std::vector<Shot> shots{Take(s.grid)};
    for (const auto &[name, run] : actions) {
        run();
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
    EXPECT_FALSE(undo->canUndo());
    for (std::size_t k = 1; k <= actions.size(); ++k) {
        Redo(s.grid);
        EXPECT_EQ(Take(s.grid), shots[k]) << actions[k - 1].first << " redone in turn";
    }
}

// A right click on a cell of the row and a pick from the menu.
std::function<void()> Menu(GridScreen &s, int row, const char *item)
{
    return [&s, row, item] { s.menu(row, 4, item); };
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
    // The prompts in the order they come: the deletion asked, the drawing's
    // begin points dropped.
    t.prompts.chooseArc(1).answer(QMessageBox::Yes).speeds(ui::SpeedsAndTime{7, 8, 9});
    t.prompts.openFile(POS_TEST_DATA_DIR "/table/plate_with_holes.dxf").answer(QMessageBox::Ok);
    CheckSteps(t, t.page.gridUndo(),
               {
                   {"arc end from the chooser", [&t] { EXPECT_FALSE(t.page.CommitTable(false)); }},
                   {"typed text", [&t] { Type(t.grid, 3, 4, "250"); }},
                   {"type pick", [&t] { ASSERT_TRUE(PickFromList(t.grid, 4, 1, 2)); }},
                   {"add empty row", Menu(t, 2, "addEmptyRow")},
                   {"new segment", [&t] { ASSERT_TRUE(PickFromList(t.grid, 5, 1, 0)); }},
                   {"insert section", Menu(t, 2, "insertSection")},
                   {"delete travel row", Menu(t, 3, "deleteRow")},
                   {"paste",
                    [&t] {
                        ClickCell(t.grid, 4, 3);
                        QTest::keyClick(t.grid, Qt::Key_V, Qt::ControlModifier);
                    }},
                   {"speeds",
                    [&t] {
                        ClickCell(t.grid, 2, 3);
                        ClickCell(t.grid, 4, 3, Qt::ShiftModifier);
                        t.menu(3, 3, "setSpeeds");
                    }},
                   {"drawing imported",
                    [&t] {
                        t.click("loadDxfButton");
                        QTest::mouseClick(t.child<CDrawingOptions>("drawingOptions")
                                              ->findChild<QPushButton *>("okButton"),
                                          Qt::LeftButton);
                        t.child<CImportDxf>("importDxf")->accept();
                        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                    }},
               });
}

TEST(Undo, EveryActionOfTheImportDialogIsOneStep)
{
    PosConfig drawing = ui::KeyedFromZero(LinesRecord(4));
    drawing.segments[1].travel = true;
    ImportDialog d(drawing);
    d.prompts.moveBy(QPoint(5, -5)).moveBy(QPoint(1, 2)).answer(QMessageBox::Yes);
    CheckSteps(d, d.dialog.gridUndo(),
               {
                   {"typed text", [&d] { Type(d.grid, 2, 5, "-3"); }},
                   {"type pick", [&d] { ASSERT_TRUE(PickFromList(d.grid, 2, 1, 2)); }},
                   {"move up", Menu(d, 3, "moveUp")},
                   {"move down", Menu(d, 2, "moveDown")},
                   {"reverse current", Menu(d, 4, "reverseCurrent")},
                   {"reverse all", Menu(d, 2, "reverseAll")},
                   {"move current", Menu(d, 3, "moveCurrent")},
                   {"move all", Menu(d, 3, "moveAll")},
                   {"delete travel row", Menu(d, 3, "deleteRow")},
               });
}

TEST(Undo, APasteOfManyRowsIsOneStepWhatChangesNothingNoneAndEnteringForgetsThem)
{
    TablePage t(LinesRecord(1));
    Type(t.grid, 2, 4, "100"); // the text it holds
    t.prompts.answer(QMessageBox::No);
    t.menu(2, 4, "deleteRow");
    EXPECT_FALSE(t.page.gridUndo()->canUndo());

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
    EXPECT_FALSE(t.page.gridUndo()->canUndo());

    Redo(t.grid);
    const PosConfig record = LinesRecord(3);
    t.page.FillGridFromRecord(&record);
    EXPECT_FALSE(t.page.gridUndo()->canUndo() || t.page.gridUndo()->canRedo());
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

TEST(Undo, MenuItemsShowTheKeysAndAreGreyedWithNothingToUndoOrRedo)
{
    ImportDialog d(ui::KeyedFromZero(LinesRecord(2)));
    QAction *undo = d.dialog.gridUndo()->undoAction();
    QAction *redo = d.dialog.gridUndo()->redoAction();
    const auto items = [&d] { return d.dialog.CreateContextMenu()->actions().mid(0, 2); };
    ASSERT_EQ(items(), (QList<QAction *>{undo, redo}));
    const auto enabled
        = [&] { return QString("%1%2").arg(undo->isEnabled()).arg(redo->isEnabled()); };
    EXPECT_EQ(enabled(), "00");
    ClickCell(d.grid, 2, 4);
    QTest::keyClicks(d.grid, "9"); // an open edit is finished before the menu opens
    d.menu(2, 4, "");
    EXPECT_EQ(enabled(), "10");
    undo->trigger();
    EXPECT_EQ(d.cell(2, 4), "10");
    EXPECT_EQ(enabled(), "01");
    EXPECT_EQ(undo->shortcut().toString() + ' ' + redo->shortcut().toString(),
              "Ctrl+Z Ctrl+Shift+Z");
    InChinese zh;
    items();
    EXPECT_EQ(undo->text() + redo->text(), "撤销重做");
}
