// The grid of the table page and the Import DXF dialog, driven as a user
// drives it: header rows, rows and cells, editing with its events, the
// drop-down lists, the mouse, the keyboard, copying.

#include "TableTestSupport.h"

#include "controls/CVSFlexGrid.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace pos::test;

namespace {

// A parent that records the context-menu events the grid passes on, and
// the order of mouse-ups and menus.
class Host : public QWidget
{
public:
    Host()
    {
        auto *layout = new QVBoxLayout(this);
        grid = new CVSFlexGrid(this);
        layout->addWidget(grid);
    }

    CVSFlexGrid *grid;
    QStringList events;
    QPoint lastMenuPos;
    QContextMenuEvent::Reason lastReason = QContextMenuEvent::Other;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override
    {
        events << QStringLiteral("menu at %1,%2").arg(grid->row()).arg(grid->col());
        lastMenuPos = event->pos();
        lastReason = event->reason();
        event->accept();
    }
};

const QStringList kTop = {QStringLiteral("Segment No."), QStringLiteral("Instruction Type"),
                          QStringLiteral("Mode"),        QStringLiteral("Time"),
                          QStringLiteral("Speed (Hz)"),  QStringLiteral("Speed (Hz)"),
                          QStringLiteral("End"),         QStringLiteral("End")};
const QStringList kBottom = {QStringLiteral("Segment No."), QStringLiteral("Instruction Type"),
                             QStringLiteral("Mode"),        QStringLiteral("Time"),
                             QStringLiteral("Initial"),     QStringLiteral("Maximum"),
                             QStringLiteral("X axis"),      QStringLiteral("Y axis")};
const QStringList kTypes = {QStringLiteral("Straight line"), QStringLiteral("Clockwise arc"),
                            QStringLiteral("Counterclockwise arc")};

class GridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CVSFlexGrid *g = grid();
        g->setCols(8);
        g->setRows(6);
        for (int c = 0; c < 8; ++c) {
            g->setTextMatrix(0, c, kTop[c]);
            g->setTextMatrix(1, c, kBottom[c]);
        }
        g->setMergeRow(0, true);
        for (int c = 0; c < 4; ++c)
            g->setMergeCol(c, true);
        g->setColComboList(1, kTypes);
        for (int r = 2; r < 6; ++r)
            for (int c = 0; c < 8; ++c)
                g->setTextMatrix(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        host.resize(700, 300);
        host.show();
        QApplication::setActiveWindow(&host);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        g->setFocus();
    }

    CVSFlexGrid *grid() { return host.grid; }

    Host host;
};

// --- the model ----------------------------------------------------------------

TEST_F(GridTest, ModelPassesTheModelTesterThroughEveryOperation)
{
    CVSFlexGrid *g = grid();
    QAbstractItemModelTester tester(g->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    g->addItem(QStringLiteral("a\tb\tc"), 3);
    g->addItem(QString(), g->rows());
    g->removeItem(2);
    g->setRows(40);
    g->setCellForeColor(2, 2, 10, 3, QColor(160, 160, 160));
    g->setColAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    g->setTextMatrix(5, 5, QStringLiteral("x"));
    g->setTextMatrix(0, 1, QStringLiteral("header"));
    g->setDataRows({{QStringLiteral("1"), QStringLiteral("2")}, {QStringLiteral("3")}});
    g->setCols(10);
    g->setCols(4);
    g->setRows(2);
    g->setRows(7);
    EXPECT_EQ(g->rows(), 7);
    EXPECT_EQ(g->cols(), 4);
}

TEST_F(GridTest, RowsCountTheTwoHeaderRows)
{
    CVSFlexGrid *g = grid();
    EXPECT_EQ(g->rows(), 6);
    EXPECT_EQ(g->model()->rowCount(), 4);
    g->setRows(1);
    EXPECT_EQ(g->rows(), 2) << "the header rows stay";
    g->setRows(258);
    EXPECT_EQ(g->rows(), 258);
    EXPECT_EQ(g->textMatrix(257, 0), QString());
}

TEST_F(GridTest, HeaderAndDataCellsAreAddressedByGridRow)
{
    CVSFlexGrid *g = grid();
    struct Case
    {
        int row, col;
        QString text;
    } cases[] = {
        {0, 4, QStringLiteral("Speed (Hz)")},
        {1, 4, QStringLiteral("Initial")},
        {2, 0, QStringLiteral("2.0")},
        {5, 7, QStringLiteral("5.7")},
        {6, 0, QString()},
        {-1, 0, QString()},
        {2, 8, QString()},
        {2, -1, QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(g->textMatrix(c.row, c.col), c.text) << c.row << "," << c.col;
    EXPECT_EQ(g->model()->index(0, 0).data().toString(), QStringLiteral("2.0"));
    // Writes outside the grid are ignored.
    g->setTextMatrix(6, 0, QStringLiteral("x"));
    g->setTextMatrix(2, 9, QStringLiteral("x"));
    g->setTextMatrix(-3, 0, QStringLiteral("x"));
    EXPECT_EQ(g->rows(), 6);
    EXPECT_EQ(g->cols(), 8);
}

TEST_F(GridTest, ColumnTitleJoinsTheTwoHeaderTextsWhenTheyDiffer)
{
    EXPECT_EQ(grid()->columnTitle(0), QStringLiteral("Segment No."));
    EXPECT_EQ(grid()->columnTitle(4), QStringLiteral("Speed (Hz)Initial"));
    EXPECT_EQ(grid()->columnTitle(7), QStringLiteral("EndY axis"));
}

TEST_F(GridTest, InsertAndRemoveRowsMoveTheRowsBelow)
{
    CVSFlexGrid *g = grid();
    g->addItem(QStringLiteral("a\tb"), 3);
    ASSERT_EQ(g->rows(), 7);
    EXPECT_EQ(RowTexts(g, 3).mid(0, 3),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString()}));
    EXPECT_EQ(g->textMatrix(4, 0), QStringLiteral("3.0"));
    g->addItem(QString(), g->rows()); // appends an empty row
    EXPECT_EQ(g->rows(), 8);
    EXPECT_EQ(RowTexts(g, 7), QStringList(8, QString()));
    g->addItem(QStringLiteral("x"), 1); // not a data row
    g->addItem(QStringLiteral("x"), 9); // beyond the end
    EXPECT_EQ(g->rows(), 8);
    g->removeItem(3);
    EXPECT_EQ(g->textMatrix(3, 0), QStringLiteral("3.0"));
    g->removeItem(0);
    g->removeItem(g->rows());
    EXPECT_EQ(g->rows(), 7);
    g->removeItem(g->rows() - 1);
    EXPECT_EQ(g->rows(), 6);
}

TEST_F(GridTest, CellRangeTextColourStaysWithItsRow)
{
    CVSFlexGrid *g = grid();
    const QColor grey(160, 160, 160);
    g->setCellForeColor(2, 2, 5, 3, grey);
    EXPECT_EQ(g->cellForeColor(2, 2), grey);
    EXPECT_EQ(g->cellForeColor(5, 3), grey);
    EXPECT_FALSE(g->cellForeColor(2, 4).isValid());
    EXPECT_EQ(CellIndex(g, 4, 3).data(Qt::ForegroundRole).value<QBrush>().color(), grey);
    g->addItem(QString(), 2);
    EXPECT_FALSE(g->cellForeColor(2, 2).isValid()) << "a new row has the view's colour";
    EXPECT_EQ(g->cellForeColor(3, 2), grey);
}

TEST_F(GridTest, ColumnWidthsAreInTemplateTwipsScaledWithTheFont)
{
    CVSFlexGrid *g = grid();
    const double pixelsPerTwip = g->fontMetrics().height() / 13.0 / 15.0;
    g->setColWidth(1, 1500);
    EXPECT_EQ(g->columnWidth(1), qRound(1500 * pixelsPerTwip));
    EXPECT_NEAR(g->colWidth(1), 1500, 1 / pixelsPerTwip);
    g->setColWidth(3, 3000);
    EXPECT_EQ(g->columnWidth(3), qRound(3000 * pixelsPerTwip));
    // Never narrower than the longest word of the column's own header texts
    // ("Segment"); a text spanning two columns ("Speed (Hz)") does not count.
    g->setColWidth(0, 15);
    EXPECT_EQ(g->columnWidth(0), g->fontMetrics().horizontalAdvance(QStringLiteral("Segment")) + 8);
    g->setColWidth(4, 15);
    EXPECT_EQ(g->columnWidth(4), g->fontMetrics().horizontalAdvance(QStringLiteral("Initial")) + 8);
}

TEST_F(GridTest, TextCutShortByItsColumnShowsAsATooltip)
{
    CVSFlexGrid *g = grid();
    g->setTextMatrix(3, 2, QStringLiteral("Counterclockwise arc, a long text"));
    g->setColWidth(2, 600);
    const QPoint at = CellPoint(g, 3, 2);
    QHelpEvent cut(QEvent::ToolTip, at, g->viewport()->mapToGlobal(at));
    QApplication::sendEvent(g->viewport(), &cut);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Counterclockwise arc, a long text"));
    const QPoint whole = CellPoint(g, 3, 3);
    QHelpEvent fits(QEvent::ToolTip, whole, g->viewport()->mapToGlobal(whole));
    QApplication::sendEvent(g->viewport(), &fits);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

// --- header rows ----------------------------------------------------------------

TEST_F(GridTest, HeaderRowsStayInViewWhileTheDataRowsScroll)
{
    CVSFlexGrid *g = grid();
    g->setRows(200);
    Settle();
    QHeaderView *header = g->horizontalHeader();
    const QRect before = header->geometry();
    g->scrollTo(CellIndex(g, 199, 0));
    Settle();
    EXPECT_GT(g->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(header->isVisible());
    EXPECT_EQ(header->y(), before.y());
    EXPECT_EQ(header->height(), before.height());
    EXPECT_GT(g->rowAt(0), 0) << "the first data rows scrolled away";
    // Both header rows are in the header, above the data rows.
    EXPECT_GE(header->height(), 2 * g->verticalHeader()->defaultSectionSize());
    RightClickHeader(g, 1, 3);
    EXPECT_EQ(g->mouseRow(), 1);
    EXPECT_EQ(g->mouseCol(), 3);
}

TEST_F(GridTest, EqualHeaderTextsShowAsOneCell)
{
    CVSFlexGrid *g = grid();
    const QColor fixed(196, 228, 255);
    g->setBackColorFixed(fixed);
    QHeaderView *header = g->horizontalHeader();
    const QImage image = header->viewport()->grab().toImage();
    const int top = header->height() / 2; // height of one header row
    const QRgb line = header->palette().color(QPalette::Mid).rgb();
    auto pixel = [&](int x, int y) { return QColor(image.pixel(x, y)).rgb(); };
    const int endOf4 = header->sectionViewportPosition(5) - 1;
    const int endOf6 = header->sectionViewportPosition(7) - 1;
    // Row 0: "Speed (Hz)" spans columns 4 and 5, "End" spans 6 and 7: no
    // border between them; row 1 keeps its borders.
    EXPECT_EQ(pixel(endOf4, 0), fixed.rgb());
    EXPECT_EQ(pixel(endOf6, 0), fixed.rgb());
    EXPECT_EQ(pixel(endOf4, top + 1), line);
    // Columns 0 to 3 merge their two equal texts: no border between the
    // rows; column 4 has one.
    const int left0 = header->sectionViewportPosition(0) + 1;
    const int left4 = header->sectionViewportPosition(4) + 1;
    EXPECT_EQ(pixel(left0, top - 1), fixed.rgb());
    EXPECT_EQ(pixel(left4, top - 1), line);
    // Without merging the borders come back.
    g->setMergeRow(0, false);
    g->setMergeCol(0, false);
    const QImage plain = header->viewport()->grab().toImage();
    EXPECT_EQ(QColor(plain.pixel(endOf4, 0)).rgb(), line);
    EXPECT_EQ(QColor(plain.pixel(left0, top - 1)).rgb(), line);
}

// --- current cell and selection -----------------------------------------------------

TEST_F(GridTest, CurrentRowIsADataRowWhileThereAreAny)
{
    CVSFlexGrid *g = grid();
    EXPECT_EQ(g->row(), 2);
    EXPECT_EQ(g->col(), 0);
    g->select(4, 3);
    EXPECT_EQ(g->row(), 4);
    EXPECT_EQ(g->col(), 3);
    EXPECT_EQ(g->selectedRows(), std::vector<int>{4});
    g->select(2, 1, 3, 2);
    EXPECT_EQ(g->row(), 2);
    EXPECT_EQ(g->selectedRows(), (std::vector<int>{2, 3}));
    g->select(9, 1); // no such row: nothing changes
    EXPECT_EQ(g->row(), 2);
    g->setRows(2);
    EXPECT_EQ(g->row(), 1) << "without data rows the current row is a header row";
    g->select(0, 5);
    EXPECT_EQ(g->row(), 0);
    EXPECT_EQ(g->col(), 5);
    g->setRows(4);
    EXPECT_EQ(g->row(), 2);
}

TEST_F(GridTest, ClickMakesTheCellCurrent)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 4, 5);
    EXPECT_EQ(g->row(), 4);
    EXPECT_EQ(g->col(), 5);
    ClickCell(g, 5, 2, Qt::ShiftModifier);
    EXPECT_EQ(g->selectedRows(), (std::vector<int>{4, 5}));
}

// --- mouse ---------------------------------------------------------------------------

TEST_F(GridTest, MouseUpReportsButtonAndShiftAndTheCellUnderTheMouse)
{
    CVSFlexGrid *g = grid();
    QSignalSpy spy(g, &CVSFlexGrid::mouseUp);
    struct Case
    {
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        int row, col;
        int expectButton, expectShift;
    } cases[] = {
        {Qt::LeftButton, Qt::NoModifier, 3, 2, 1, 0},
        {Qt::RightButton, Qt::NoModifier, 4, 6, 2, 0},
        {Qt::RightButton, Qt::ShiftModifier, 5, 1, 2, 1},
        {Qt::LeftButton, Qt::ControlModifier, 2, 7, 1, 2},
        {Qt::MiddleButton, Qt::AltModifier, 3, 3, 4, 4},
    };
    for (const Case &c : cases) {
        spy.clear();
        QTest::mouseClick(g->viewport(), c.button, c.mods, CellPoint(g, c.row, c.col));
        ASSERT_EQ(spy.count(), 1) << c.row << "," << c.col;
        EXPECT_EQ(spy.at(0).at(0).toInt(), c.expectButton);
        EXPECT_EQ(spy.at(0).at(1).toInt(), c.expectShift);
        EXPECT_EQ(g->mouseRow(), c.row);
        EXPECT_EQ(g->mouseCol(), c.col);
        const QPoint at = g->viewport()->mapTo(g, CellPoint(g, c.row, c.col));
        EXPECT_DOUBLE_EQ(spy.at(0).at(2).toDouble(), at.x());
        EXPECT_DOUBLE_EQ(spy.at(0).at(3).toDouble(), at.y());
    }
}

TEST_F(GridTest, MouseRowIsAHeaderRowOverTheHeaderAndNoneBelowTheRows)
{
    CVSFlexGrid *g = grid();
    RightClickHeader(g, 0, 5);
    EXPECT_EQ(g->mouseRow(), 0);
    EXPECT_EQ(g->mouseCol(), 5);
    RightClickHeader(g, 1, 2);
    EXPECT_EQ(g->mouseRow(), 1);
    EXPECT_EQ(g->mouseCol(), 2);
    const QRect last = g->visualRect(CellIndex(g, 5, 1));
    QTest::mouseClick(g->viewport(), Qt::RightButton, {},
                      QPoint(last.center().x(), last.bottom() + 20));
    EXPECT_EQ(g->mouseRow(), -1);
    EXPECT_EQ(g->mouseCol(), 1);
}

TEST_F(GridTest, RightButtonNeitherSelectsNorEdits)
{
    CVSFlexGrid *g = grid();
    g->select(2, 0);
    RightClickCell(g, 4, 4);
    EXPECT_EQ(g->row(), 2);
    EXPECT_EQ(g->col(), 0);
    EXPECT_EQ(OpenEditor(g), nullptr);
}

TEST_F(GridTest, ContextMenuReachesTheParentAfterTheMouseUp)
{
    CVSFlexGrid *g = grid();
    // The mouse-up handler selects the cell; the menu then sees it current.
    QObject::connect(g, &CVSFlexGrid::mouseUp, g, [this, g](int button, int, double, double) {
        if (button == CVSFlexGrid::RightButton)
            g->select(std::max(g->mouseRow(), 2), std::max(g->mouseCol(), 0));
        host.events
            << QStringLiteral("mouseUp %1 at %2,%3").arg(button).arg(g->row()).arg(g->col());
    });
    RightClickCell(g, 4, 6);
    RightClickHeader(g, 0, 3);
    EXPECT_EQ(host.events,
              (QStringList{QStringLiteral("mouseUp 2 at 4,6"), QStringLiteral("menu at 4,6"),
                           QStringLiteral("mouseUp 2 at 2,3"), QStringLiteral("menu at 2,3")}));
    EXPECT_EQ(host.lastReason, QContextMenuEvent::Mouse);
    EXPECT_EQ(host.lastMenuPos,
              g->mapTo(&host, g->horizontalHeader()->viewport()->mapTo(g, HeaderPoint(g, 0, 3))));
}

TEST_F(GridTest, MenuKeyOpensTheParentsMenuAtTheCurrentCell)
{
    CVSFlexGrid *g = grid();
    g->select(3, 4);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1), g->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(g, &key);
    ASSERT_EQ(host.events, QStringList{QStringLiteral("menu at 3,4")});
    EXPECT_EQ(host.lastReason, QContextMenuEvent::Keyboard);
    const QRect cell = g->visualRect(CellIndex(g, 3, 4));
    EXPECT_TRUE(cell.contains(g->viewport()->mapFrom(&host, host.lastMenuPos)));
}

// --- editing -------------------------------------------------------------------------

TEST_F(GridTest, TypingStartsEditingAndEnterCommitsAndMovesOn)
{
    CVSFlexGrid *g = grid();
    QSignalSpy before(g, &CVSFlexGrid::beforeEdit);
    QSignalSpy validate(g, &CVSFlexGrid::validateEdit);
    ClickCell(g, 3, 4);
    QTest::keyClick(g, Qt::Key_7);
    QWidget *editor = OpenEditor(g);
    ASSERT_NE(qobject_cast<QLineEdit *>(editor), nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit *>(editor)->text(), QStringLiteral("7"))
        << "the typed key replaces the text";
    QTest::keyClicks(editor, QStringLiteral("5"));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(g->textMatrix(3, 4), QStringLiteral("75"));
    ASSERT_EQ(before.count(), 1);
    EXPECT_EQ(before.at(0).at(0).toInt(), 3);
    EXPECT_EQ(before.at(0).at(1).toInt(), 4);
    ASSERT_EQ(validate.count(), 1);
    EXPECT_EQ(validate.at(0).at(0).toInt(), 3);
    EXPECT_EQ(validate.at(0).at(1).toInt(), 4);
    EXPECT_EQ(g->row(), 3);
    EXPECT_EQ(g->col(), 5) << "Enter moves to the next cell";
    EXPECT_EQ(OpenEditor(g), nullptr);
}

TEST_F(GridTest, TextFromAnInputMethodStartsEditingToo)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 4, 3);
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("\u4e94")); // a Chinese character
    QApplication::sendEvent(g, &typed);
    auto *editor = qobject_cast<QLineEdit *>(OpenEditor(g));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("\u4e94"));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    EXPECT_EQ(g->textMatrix(4, 3), QStringLiteral("\u4e94"));
}

TEST_F(GridTest, TabCommitsAndEditsTheNextCell)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 2, 3);
    QTest::keyClicks(g, QStringLiteral("1"));
    QTest::keyClick(OpenEditor(g), Qt::Key_Tab);
    Settle();
    EXPECT_EQ(g->textMatrix(2, 3), QStringLiteral("1"));
    EXPECT_EQ(g->col(), 4);
    EXPECT_NE(qobject_cast<QLineEdit *>(OpenEditor(g)), nullptr) << "the next cell is being edited";
}

TEST_F(GridTest, EnterAndTabOutsideAnEditMoveToTheNextCell)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 2, 6);
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(g->col(), 7);
    QTest::keyClick(g, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(g->row(), 3) << "past the last column Enter goes on in the next row";
    EXPECT_EQ(g->col(), 0);
    QTest::keyClick(g, Qt::Key_Tab);
    EXPECT_EQ(g->col(), 1);
    EXPECT_EQ(OpenEditor(g), nullptr);
}

TEST_F(GridTest, EnterInTheGridDoesNotPressTheDialogsDefaultButton)
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *g = new CVSFlexGrid(&dialog);
    g->setCols(3);
    g->setRows(4);
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(g);
    layout->addWidget(ok);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.show();
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Return);
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(g->col(), 1);
}

TEST_F(GridTest, EscapeEndsTheEditWithoutChange)
{
    CVSFlexGrid *g = grid();
    QSignalSpy validate(g, &CVSFlexGrid::validateEdit);
    ClickCell(g, 4, 2);
    QTest::keyClicks(g, QStringLiteral("9"));
    QTest::keyClick(OpenEditor(g), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(g->textMatrix(4, 2), QStringLiteral("4.2"));
    EXPECT_EQ(validate.count(), 0);
}

TEST_F(GridTest, BeforeEditCanRefuseEveryWayAnEditStarts)
{
    CVSFlexGrid *g = grid();
    QObject::connect(g, &CVSFlexGrid::beforeEdit, g, [](int, int col, bool *cancel) {
        if (col == 0 || col == 1)
            *cancel = true;
    });
    EXPECT_FALSE(EditStarts(g, 3, 0));
    EXPECT_TRUE(EditStarts(g, 3, 2));
    ClickCell(g, 4, 0);
    QTest::keyClicks(g, QStringLiteral("5"));
    EXPECT_EQ(OpenEditor(g), nullptr) << "typing";
    QTest::keyClick(g, Qt::Key_F2);
    EXPECT_EQ(OpenEditor(g), nullptr) << "F2";
    EXPECT_EQ(OpenList(g, 4, 1), nullptr) << "F4";
    EXPECT_EQ(g->textMatrix(4, 0), QStringLiteral("4.0"));
}

TEST_F(GridTest, ValidateEditCanKeepTheOldText)
{
    CVSFlexGrid *g = grid();
    QObject::connect(g, &CVSFlexGrid::validateEdit, g, [](int, int col, bool *cancel) {
        if (col == 3)
            *cancel = true;
    });
    TypeIntoCell(g, 2, 3, QStringLiteral("77"));
    TypeIntoCell(g, 2, 4, QStringLiteral("88"));
    EXPECT_EQ(g->textMatrix(2, 3), QStringLiteral("2.3"));
    EXPECT_EQ(g->textMatrix(2, 4), QStringLiteral("88"));
}

// --- drop-down lists -------------------------------------------------------------------

TEST_F(GridTest, PickFromTheListTellsTheIndexWhileTheEditEnds)
{
    CVSFlexGrid *g = grid();
    std::vector<std::pair<int, QString>> seen; // index picked, cell text during the event
    QObject::connect(g, &CVSFlexGrid::validateEdit, g, [&](int row, int col, bool *) {
        seen.emplace_back(g->comboIndex(), g->textMatrix(row, col));
    });
    ASSERT_TRUE(PickFromList(g, 3, 1, 2));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].second, QStringLiteral("3.1")) << "the text is stored after the event";
    for (int item : {2, 0, 1}) {
        seen.clear();
        ASSERT_TRUE(PickFromList(g, 3, 1, item)) << item;
        ASSERT_EQ(seen.size(), 1u) << item;
        EXPECT_EQ(seen[0].first, item);
        EXPECT_EQ(g->textMatrix(3, 1), kTypes[item]);
        EXPECT_EQ(g->comboIndex(), -1) << "only while the event runs";
        EXPECT_EQ(OpenEditor(g), nullptr) << "a pick ends the edit";
    }
}

TEST_F(GridTest, ListOpensFromTheKeyboard)
{
    CVSFlexGrid *g = grid();
    for (const auto &[key, mods] :
         {std::pair{Qt::Key_F4, Qt::NoModifier}, std::pair{Qt::Key_Down, Qt::AltModifier},
          std::pair{Qt::Key_F2, Qt::NoModifier}}) {
        ClickCell(g, 4, 0);
        ClickCell(g, 4, 1);
        QTest::keyClick(g, key, mods);
        Settle();
        auto *combo = qobject_cast<QComboBox *>(OpenEditor(g));
        ASSERT_NE(combo, nullptr) << key;
        EXPECT_TRUE(combo->view()->isVisible()) << key;
        // Down and Enter in the open list pick the next item.
        combo->view()->setCurrentIndex(combo->model()->index(0, 0));
        QTest::keyClick(combo->view(), Qt::Key_Down);
        QTest::keyClick(combo->view(), Qt::Key_Return);
        Settle();
        EXPECT_EQ(g->textMatrix(4, 1), kTypes[1]) << key;
        EXPECT_EQ(OpenEditor(g), nullptr);
    }
}

TEST_F(GridTest, TypingALetterInAListColumnPicksTheMatchingItem)
{
    CVSFlexGrid *g = grid();
    QSignalSpy validate(g, &CVSFlexGrid::validateEdit);
    int picked = -2;
    QObject::connect(g, &CVSFlexGrid::validateEdit, g,
                     [&](int, int, bool *) { picked = g->comboIndex(); });
    ClickCell(g, 2, 1);
    QTest::keyClicks(g, QStringLiteral("c"));
    Settle();
    EXPECT_EQ(picked, 1);
    EXPECT_EQ(g->textMatrix(2, 1), kTypes[1]);
    EXPECT_EQ(validate.count(), 1);
}

TEST_F(GridTest, ListOpensAtOnceOnADoubleClick)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 5, 1);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, CellPoint(g, 5, 1));
    Settle();
    auto *combo = qobject_cast<QComboBox *>(OpenEditor(g));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->view()->isVisible());
    EXPECT_EQ(combo->currentIndex(), -1) << "the cell holds none of the items";
    combo->hidePopup();
    QTest::keyClick(combo, Qt::Key_Escape);
}

// --- copy and paste keys ---------------------------------------------------------------

TEST_F(GridTest, CopyKeyCopiesTheSelectedRowsAsTabSeparatedText)
{
    CVSFlexGrid *g = grid();
    ClickCell(g, 3, 2);
    ClickCell(g, 4, 6, Qt::ShiftModifier);
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("3.0\t3.1\t3.2\t3.3\t3.4\t3.5\t3.6\t3.7\n"
                             "4.0\t4.1\t4.2\t4.3\t4.4\t4.5\t4.6\t4.7\n"));
    QSignalSpy paste(g, &CVSFlexGrid::pasteRequested);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(paste.count(), 1);
}

TEST_F(GridTest, DataRowsRoundTrip)
{
    CVSFlexGrid *g = grid();
    const std::vector<QStringList> rows = g->dataRows();
    ASSERT_EQ(rows.size(), 4u);
    g->setRows(9);
    g->setTextMatrix(2, 0, QStringLiteral("changed"));
    g->setDataRows(rows);
    EXPECT_EQ(g->rows(), 6);
    EXPECT_EQ(g->dataRows(), rows);
}

} // namespace
