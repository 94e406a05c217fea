// The grid of the table page and the Import DXF dialog, driven as a user
// drives it: cells and header rows, the mouse and the menus, editing with
// its events, the drop-down lists, copying.

#include "controls/CVSFlexGrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using Cell = std::pair<int, int>;
const QStringList kTypes = u"Line|Clockwise arc|Counterclockwise arc"_s.split(u'|');

// The grid in a dialog with a default button; the dialog logs the context
// menus the grid passes on, with the current cell a menu would act on.
class GridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g->setCols(8);
        g->setRows(6);
        for (int c = 0; c < 8; ++c) {
            g->setTextMatrix(0, c, u"No.|Type|Mode|Time|Speed|Speed|End|End"_s.split(u'|')[c]);
            g->setTextMatrix(1, c, u"No.|Type|Mode|Time|Initial|Maximum|X|Y"_s.split(u'|')[c]);
            g->setMergeCol(c, c < 4);
            for (int r = 2; r < 6; ++r)
                g->setTextMatrix(r, c, u"%1.%2"_s.arg(r).arg(c));
        }
        g->setMergeRow(0, true);
        g->setColComboList(1, kTypes);
        auto *ok = new QPushButton(u"OK"_s, &host);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &host, &QDialog::accept);
        g->resize(700, 260);
        host.setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(&host, &QWidget::customContextMenuRequested,
                         [this] { log << u"menu %1,%2"_s.arg(g->row()).arg(g->col()); });
        host.resize(700, 300);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        g->setFocus();
    }

    QModelIndex index(int row, int col) const { return g->model()->index(row - 2, col); }
    // The viewport that shows the row: the header's for header rows 0 and 1.
    QWidget *viewport(int row) const
    {
        return row < 2 ? g->horizontalHeader()->viewport() : g->viewport();
    }
    // Centre of a cell (scrolled into view) in the grid's own pixels.
    QPoint at(int row, int col)
    {
        const QHeaderView *h = g->horizontalHeader();
        g->scrollTo(index(std::max(row, 2), col));
        const QRect cell = g->visualRect(index(std::max(row, 2), col));
        const QPoint header(cell.left() + 10, h->height() * (1 + 2 * row) / 4);
        return viewport(row)->mapTo(g, row < 2 ? header : cell.center());
    }
    void click(int row, int col, Qt::KeyboardModifiers mods = {},
               Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseClick(viewport(row), b, mods, viewport(row)->mapFrom(g, at(row, col)));
    }
    void doubleClick(int row, int col)
    {
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {},
                           g->visualRect(index(row, col)).center());
    }
    QWidget *editor() const { return g->indexWidget(g->currentIndex()); }
    Cell current() const { return {g->row(), g->col()}; }
    // Types on whatever has the focus ('\r' Enter, '\t' Tab, '\x1b' Escape).
    void keys(const QString &text)
    {
        for (const QChar ch : text) {
            QTest::keyClicks(QApplication::focusWidget(), QString(ch));
            QCoreApplication::processEvents();
        }
    }

    QDialog host;
    CVSFlexGrid *g = new CVSFlexGrid(&host);
    // Every test runs through the model tester.
    QAbstractItemModelTester tester{g->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};
    QStringList log;
};

// --- cells, rows, columns -------------------------------------------------------

TEST_F(GridTest, CellsAreAddressedByGridRowAndNothingOutsideIsWritten)
{
    const std::tuple<int, int, bool> cases[]
        = {{0, 4, true},   {1, 4, true},  {5, 7, true},  {6, 0, false},
           {-1, 0, false}, {2, 8, false}, {2, -1, false}};
    for (auto [row, col, inside] : cases) {
        g->setTextMatrix(row, col, u"x"_s);
        EXPECT_EQ(g->textMatrix(row, col), inside ? u"x"_s : QString()) << row << "," << col;
    }
    EXPECT_EQ(std::pair(g->columnTitle(0), g->columnTitle(5)),
              std::pair(u"No."_s, u"SpeedMaximum"_s));
    EXPECT_EQ(Cell(g->rows(), g->cols()), Cell(6, 8));
    g->setRows(1);
    g->setCols(4);
    EXPECT_EQ(Cell(g->rows(), g->cols()), Cell(2, 4)) << "the header rows stay";
}

TEST_F(GridTest, InsertedAndRemovedRowsMoveTheRowsBelowWithTheirColour)
{
    g->setCellForeColor(3, 2, 3, 2, Qt::gray);
    g->addItem(u"a\tb"_s, 3);
    g->addItem(QString(), g->rows()); // appends
    g->addItem(u"x"_s, 1);
    g->addItem(u"x"_s, g->rows() + 1);
    ASSERT_EQ(g->rows(), 8);
    EXPECT_EQ(g->dataRows()[1], (QStringList{u"a"_s, u"b"_s, {}, {}, {}, {}, {}, {}}));
    // A new row has the view's colour.
    EXPECT_EQ(std::pair(g->cellForeColor(4, 2), g->cellForeColor(3, 2)),
              std::pair(QColor(Qt::gray), QColor()));
    g->removeItem(3);
    g->removeItem(1);
    g->removeItem(g->rows());
    EXPECT_EQ(std::pair(g->textMatrix(3, 2), g->cellForeColor(3, 2)),
              std::pair(u"3.2"_s, QColor(Qt::gray)));
}

TEST_F(GridTest, ColumnWidthsInTwipsRoundTripAndKeepRoomForHeaderTextsAndListItems)
{
    const QFontMetrics fm = g->fontMetrics();
    g->setColWidth(2, 1500);
    g->setColWidth(3, 3000);
    EXPECT_NEAR(g->colWidth(2), 1500, 15);
    EXPECT_NEAR(g->columnWidth(3), 2 * g->columnWidth(2), 1);
    // A row's text on one line, a text over both rows on two at most, a text
    // over several columns shared by them, a list's widest item: whatever
    // width is given.
    const QString longest = u"Counterclockwise arc"_s;
    g->setTextMatrix(1, 4, u"Initial speed"_s);
    g->setTextMatrix(0, 4, u"Speed of the segment (Hz)"_s);
    g->setTextMatrix(0, 5, u"Speed of the segment (Hz)"_s);
    g->setTextMatrix(0, 2, u"Circle centre determining mode"_s);
    g->setTextMatrix(1, 2, u"Circle centre determining mode"_s);
    for (const int col : {1, 2, 4, 5})
        g->setColWidth(col, 15);
    EXPECT_GE(g->columnWidth(1), fm.horizontalAdvance(longest) + 16) << "text and arrow";
    EXPECT_GE(g->columnWidth(4), fm.horizontalAdvance(u"Initial speed"_s));
    EXPECT_GE(g->columnWidth(4) + g->columnWidth(5),
              fm.horizontalAdvance(u"Speed of the segment (Hz)"_s));
    EXPECT_LE(std::abs(g->columnWidth(5) - fm.horizontalAdvance(u"Maximum"_s) - 8)
                  + std::abs(g->columnWidth(4) - g->columnWidth(5)),
              fm.horizontalAdvance(u"Initial speed"_s))
        << "the lack shared out";
    const int mode = g->columnWidth(2);
    EXPECT_LT(mode, fm.horizontalAdvance(u"Circle centre determining mode"_s));
    EXPECT_GE(2 * mode, fm.horizontalAdvance(u"Circle centre determining mode"_s));
    g->setColComboList(7, {longest});
    EXPECT_GT(g->columnWidth(7), fm.horizontalAdvance(longest));
    g->setColWidth(7, 20000);
    EXPECT_NEAR(g->colWidth(7), 20000, 15) << "wider than it needs stays";
    // Fewer columns than room: the room goes to them, the number column aside.
    const int number = g->columnWidth(0);
    g->setCols(3);
    g->setColWidth(2, 1500);
    EXPECT_EQ(std::pair(g->columnWidth(0), g->horizontalHeader()->length()),
              std::pair(number, g->viewport()->width()));
    const int two = g->columnWidth(2);
    g->resize(g->width() + 40, g->height());
    EXPECT_EQ(std::tuple(g->columnWidth(0), g->columnWidth(2), g->horizontalHeader()->length()),
              std::tuple(number, two + 20, g->viewport()->width()));
}

// --- the frozen column ------------------------------------------------------------

// The grid wider than its view, scrolled to the right in each way a user or a
// page does it: column 0 stays at the left edge, looking as it did (a marked
// row's mark too), and the cell brought into view shows beside it.
TEST_F(GridTest, ColumnZeroStaysInViewWhileTheGridScrollsSideways)
{
    g->setRowMarked(3, true);
    g->setColWidth(6, 9000);
    g->setColWidth(7, 4000);
    QScrollBar *bar = g->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    const int w0 = g->columnWidth(0);
    const auto frozen = [&] {
        return g
            ->grab(QRect(g->viewport()->mapTo(g, QPoint(0, -g->horizontalHeader()->height())),
                         QSize(w0 - 1, 120)))
            .toImage();
    };
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"select far right", [this] { g->select(4, 7); }},
        {"End key", [this] { QTest::keyClick(g, Qt::Key_End); }},
        {"scroll bar", [bar] { bar->setValue(bar->maximum()); }},
        {"Tab along the row", [this] { keys(u"\t\t\t\t\t\t"_s); }},
    };
    for (const auto &[way, scroll] : ways) {
        bar->setValue(0);
        g->select(2, 1);
        const QImage unscrolled = frozen();
        scroll();
        QCoreApplication::processEvents();
        ASSERT_GT(bar->value(), 0) << way;
        const QRect current = g->visualRect(g->currentIndex());
        EXPECT_TRUE(g->col() == 1
                    || (current.left() >= w0 && current.right() < g->viewport()->width()))
            << way;
        const int y = g->visualRect(index(3, 1)).center().y();
        EXPECT_EQ(g->indexAt({2, y}), index(3, 0)) << way;
        EXPECT_EQ(g->visualRect(index(3, 0)).left(), 0) << way;
        EXPECT_EQ(frozen(), unscrolled) << way << ": header and cells painted alike";
    }
    // Back to the left: the cell comes out from under column 0, not behind it.
    bar->setValue(bar->maximum());
    g->select(4, 1);
    EXPECT_GE(g->visualRect(g->currentIndex()).left(), w0);
}

TEST_F(GridTest, FrozenColumnTakesClicksKeysAndEditsWhereItShows)
{
    g->setColWidth(6, 9000);
    QScrollBar *bar = g->horizontalScrollBar();
    g->select(4, 7);
    const int scrolled = bar->value();
    ASSERT_GT(scrolled, 0);
    click(5, 0);
    EXPECT_EQ(std::pair(current(), Cell(g->mouseRow(), g->mouseCol())),
              std::pair(Cell(5, 0), Cell(5, 0)));
    for (const int headerRow : {0, 1}) {
        click(headerRow, 0, {}, Qt::RightButton);
        EXPECT_EQ(Cell(g->mouseRow(), g->mouseCol()), Cell(headerRow, 0));
    }
    g->select(5, 7);
    QTest::keyClick(g, Qt::Key_Home);
    EXPECT_EQ(std::pair(current(), bar->value()), std::pair(Cell(5, 0), scrolled))
        << "column 0 is already in view";
    doubleClick(5, 0);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->geometry().left(), 0) << "the editor opens where the cell shows";
    bar->setValue(scrolled / 2);
    EXPECT_EQ(editor()->geometry().left(), 0) << "and stays there";
    keys(u"ab\r"_s);
    EXPECT_EQ(g->textMatrix(5, 0), u"ab"_s);
}

TEST_F(GridTest, EqualHeaderTextsShowAsOneCell)
{
    const QHeaderView *h = g->horizontalHeader();
    const QRgb fixed = 0xffc4e4ff, line = h->palette().color(QPalette::Mid).rgb();
    g->setBackColorFixed(fixed);
    const int top = h->height() / 2, endOf4 = h->sectionViewportPosition(5) - 1;
    auto pixel
        = [h](int x, int y) { return h->viewport()->grab().toImage().pixel(x, y) | 0xff000000; };
    // "Speed" over columns 4 and 5 with row 1 below split; column 0 one cell.
    EXPECT_EQ(std::tuple(pixel(endOf4, 0), pixel(endOf4, top + 1), pixel(1, top - 1)),
              std::tuple(fixed, line, fixed));
}

// --- current cell, selection, copying ---------------------------------------------

TEST_F(GridTest, CurrentRowIsADataRowWhileThereAreAny)
{
    EXPECT_EQ(current(), Cell(2, 0));
    g->select(2, 1, 3, 2);
    g->select(9, 1); // no such row: nothing changes
    EXPECT_EQ(current(), Cell(2, 1));
    EXPECT_EQ(g->selectedRows(), (std::vector<int>{2, 3}));
    g->setRows(2);
    EXPECT_EQ(g->row(), 1) << "without data rows the current row is a header row";
    g->select(0, 5);
    EXPECT_EQ(current(), Cell(0, 5));
    g->setRows(4);
    EXPECT_EQ(current(), Cell(2, 5));
}

TEST_F(GridTest, CopyKeyCopiesTheSelectedRowsElseTheCurrentOneAndPasteKeyAsks)
{
    const auto line
        = [](int r) { return u"%1.0\t%1.1\t%1.2\t%1.3\t%1.4\t%1.5\t%1.6\t%1.7\n"_s.arg(r); };
    click(3, 2);
    click(4, 6, Qt::ShiftModifier);
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), line(3) + line(4));
    click(5, 2);
    click(5, 2, Qt::ControlModifier); // takes the one selected cell out of the selection
    ASSERT_FALSE(g->isCellSelected(5, 2));
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), line(5));
    QSignalSpy paste(g, &CVSFlexGrid::pasteRequested);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(paste.count(), 1);
}

// --- mouse and menus ------------------------------------------------------------------

TEST_F(GridTest, MouseUpReportsButtonShiftAndTheCellUnderTheMouse)
{
    QSignalSpy spy(g, &CVSFlexGrid::mouseUp);
    // clang-format off
    const std::tuple<Qt::MouseButton, Qt::KeyboardModifier, int, int, Cell> cases[] = {
        {Qt::LeftButton, Qt::NoModifier, 3, 2, {1, 0}},
        {Qt::RightButton, Qt::ShiftModifier, 0, 5, {2, 1}}, // header row 0
        {Qt::LeftButton, Qt::ControlModifier, 2, 7, {1, 2}},
        {Qt::MiddleButton, Qt::AltModifier, 1, 2, {4, 4}}}; // header row 1
    // clang-format on
    for (auto [button, mods, row, col, expect] : cases) {
        click(row, col, mods, button);
        const QPoint p = at(row, col);
        ASSERT_EQ(spy.count(), 1) << row << "," << col;
        EXPECT_EQ(
            std::pair(spy.takeFirst(), Cell(g->mouseRow(), g->mouseCol())),
            std::pair(QVariantList{expect.first, expect.second, p.x(), p.y()}, Cell(row, col)));
    }
    const QRect last = g->visualRect(index(5, 1));
    QTest::mouseClick(g->viewport(), Qt::RightButton, {}, {last.center().x(), last.bottom() + 20});
    EXPECT_EQ(Cell(g->mouseRow(), g->mouseCol()), Cell(-1, 1)) << "below the last row";
}

TEST_F(GridTest, MenuFollowsTheMouseUpAndTheCellUnderTheMouseKeepsASelectionItIsIn)
{
    QObject::connect(g, &CVSFlexGrid::mouseUp, g, [this](int button) {
        g->selectUnderMouse();
        log << u"up %1"_s.arg(button);
    });
    for (auto [row, col, cur, rows] : std::vector<std::tuple<int, int, Cell, std::vector<int>>>{
             {4, 3, {4, 3}, {2, 3, 4}}, {5, 6, {5, 6}, {5}}, {0, 7, {2, 7}, {2}}}) {
        g->select(2, 2, 4, 5);
        log.clear();
        click(row, col, {}, Qt::RightButton);
        EXPECT_EQ(std::pair(current(), g->selectedRows()), std::pair(cur, rows)) << row;
        EXPECT_EQ(log, (QStringList{u"up 2"_s, u"menu %1,%2"_s.arg(cur.first).arg(cur.second)}));
    }
}

// --- editing ---------------------------------------------------------------------------

TEST_F(GridTest, TypingEditsTheCurrentCellEnterAndTabMoveOnAndValidateEditCanRefuse)
{
    QSignalSpy accepted(&host, &QDialog::accepted), validate(g, &CVSFlexGrid::validateEdit);
    QObject::connect(g, &CVSFlexGrid::validateEdit, [](int, int col, bool *no) { *no = col == 3; });
    for (auto [start, typed, text, next, editing] :
         std::vector<std::tuple<Cell, QString, QString, Cell, bool>>{
             {{3, 4}, u"75\r"_s, u"75"_s, {3, 5}, false},   // Enter commits and moves on
             {{2, 5}, u"1\t"_s, u"1"_s, {2, 6}, true},      // Tab commits and edits the next cell
             {{4, 2}, u"9\x1b"_s, u"4.2"_s, {4, 2}, false}, // Escape drops the edit
             {{2, 3}, u"77\r"_s, u"2.3"_s, {2, 4}, false},  // validateEdit refuses it
             {{2, 6}, u"\r"_s, u"2.6"_s, {2, 7}, false},    // outside an edit Enter moves on
             {{2, 7}, u"\t"_s, u"2.7"_s, {3, 0}, false}}) { // past the last column
        if (current() != start)
            click(start.first, start.second);
        keys(typed);
        EXPECT_EQ(g->textMatrix(start.first, start.second), text) << typed.toStdString();
        EXPECT_EQ(std::pair(current(), editor() != nullptr), std::pair(next, editing))
            << typed.toStdString();
        keys(editor() ? u"\x1b"_s : QString());
    }
    EXPECT_EQ(accepted.count(), 0) << "Enter does not press the dialog's default button";
    QInputMethodEvent typed; // an input method's text starts an edit as a key does
    typed.setCommitString(u"\u4e94"_s);
    QApplication::sendEvent(g, &typed);
    keys(u"\r"_s);
    EXPECT_EQ(g->textMatrix(3, 0), u"\u4e94"_s);
    g->setTextMatrix(4, 4, u"set"_s);
    ASSERT_EQ(validate.count(), 4) << "the grid's own writes validate nothing";
    EXPECT_EQ(validate[2].mid(0, 2), (QVariantList{2, 3}));
}

TEST_F(GridTest, BeforeEditRefusesEveryWayAnEditStarts)
{
    QObject::connect(g, &CVSFlexGrid::beforeEdit, [](int, int col, bool *no) { *no = col < 2; });
    for (const int col : {0, 1, 2}) { // a double-click, a typed key, F2, F4
        click(4, col);
        doubleClick(4, col);
        for (const Qt::Key key : {Qt::Key_5, Qt::Key_F2, Qt::Key_F4})
            QTest::keyClick(g, key);
        QCoreApplication::processEvents();
        EXPECT_EQ(editor() != nullptr, col == 2) << col;
    }
}

// --- drop-down lists -------------------------------------------------------------------

TEST_F(GridTest, ListOpensByKeyOrDoubleClickAndTellsThePickWhileTheEditEnds)
{
    std::vector<std::pair<int, QString>> seen; // index picked, cell text during the event
    QObject::connect(g, &CVSFlexGrid::validateEdit, [&](int row, int col) {
        seen.emplace_back(g->comboIndex(), g->textMatrix(row, col));
    });
    click(5, 1);
    // Closed without a pick (-1) the text stays and nothing is validated.
    const std::pair<std::function<void()>, int> cases[]
        = {{[this] { doubleClick(5, 1); }, -1},
           {[this] { QTest::keyClick(g, Qt::Key_F4); }, 2},
           {[this] { QTest::keyClick(g, Qt::Key_Down, Qt::AltModifier); }, 0},
           {[this] { QTest::keyClick(g, Qt::Key_F2); }, 1}};
    for (const auto &[open, item] : cases) {
        open();
        QCoreApplication::processEvents();
        auto *combo = qobject_cast<QComboBox *>(editor());
        ASSERT_TRUE(combo && combo->view()->isVisible()) << item;
        const QRect pick = combo->view()->visualRect(combo->model()->index(item, 0));
        if (item < 0) {
            combo->hidePopup();
            g->finishEditing();
        } else {
            QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, pick.center());
        }
        EXPECT_EQ(std::pair(editor(), g->textMatrix(5, 1)),
                  std::pair(static_cast<QWidget *>(nullptr), item < 0 ? u"5.1"_s : kTypes[item]));
    }
    click(2, 1);
    QTest::keyClicks(g, u"c"_s); // picks the first item starting with it
    EXPECT_EQ(g->textMatrix(2, 1), kTypes[1]);
    EXPECT_EQ(seen, (std::vector<std::pair<int, QString>>{
                        {2, u"5.1"_s}, {0, kTypes[2]}, {1, kTypes[0]}, {1, u"2.1"_s}}));
    EXPECT_EQ(g->comboIndex(), -1) << "only while the event runs";
    EXPECT_FALSE(g->model()->setData(index(2, 1), u"Spiral"_s)) << "a list takes only its items";
}

} // namespace
