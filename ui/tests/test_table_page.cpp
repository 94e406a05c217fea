// The table page driven as a user drives it: picking types, typing cells,
// the editing rules, the checks and their messages when the page is left,
// the arc check in both action modes and both centre modes, the commit that
// rebuilds the segments, the context menu with its greyed items and its
// commands, the trajectory display, copy and paste, and the speeds of many
// rows at once.

#include "TablePageFixture.h"
#include "WizardFixture.h"

#include "controls/CGraphicShow.h"
#include "dialogs/CGraphicDisplay.h"
#include "guide/ConfigJson.h"
#include "guide/FileIo.h"
#include "wizard/Checks.h"

#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace pos;
using namespace pos::test;
using pos::ui::Str;
using pos::ui::StrF;

namespace {

const QString kLine = QStringLiteral("Straight line");
const QString kCw = QStringLiteral("Clockwise arc");
const QString kCcw = QStringLiteral("Counterclockwise arc");
const QString kPass = QStringLiteral("Designate pass-through point");
const QString kCentre = QStringLiteral("Designate center point");

// How the checks name a column, after "[Segment No:n]".
QString Title(int col)
{
    switch (col) {
    case 3:
        return QStringLiteral("Acc./Dec. time (ms)");
    case 4:
        return QStringLiteral("Speed (Hz)Initial");
    case 5:
        return QStringLiteral("Speed (Hz)Maximum");
    case 6:
        return QStringLiteral("EndX axis");
    case 7:
        return QStringLiteral("EndY axis");
    case 8:
        return QStringLiteral("Circle centerX axis");
    case 9:
        return QStringLiteral("Circle centerYaxis");
    default:
        return {};
    }
}

QString Field(int row, int col)
{
    return QStringLiteral("[Segment No:%1]").arg(row - 1) + Title(col);
}

// Puts text into a cell as typed; texts outside Latin-1 are written directly.
void Put(TablePage &t, int row, int col, const QString &text)
{
    bool latin1 = true;
    for (const QChar ch : text)
        latin1 = latin1 && ch.unicode() < 0x100;
    if (latin1)
        TypeIntoCell(t.grid(), row, col, text);
    else
        t.grid()->setTextMatrix(row, col, text);
    ASSERT_EQ(t.cell(row, col), text);
}

} // namespace

// --- opening ---------------------------------------------------------------------------

TEST(TablePage, OpensWithTwoHeaderRowsAndFourEmptyRows)
{
    TablePage t;
    CVSFlexGrid *g = t.grid();
    EXPECT_EQ(g->rows(), 6);
    EXPECT_EQ(g->cols(), 10);
    const QStringList top = {QStringLiteral("Segment No."),
                             QStringLiteral("Instruction Type"),
                             QStringLiteral("Circle center determining mode"),
                             QStringLiteral("Acc./Dec. time (ms)"),
                             QStringLiteral("Speed (Hz)"),
                             QStringLiteral("Speed (Hz)"),
                             QStringLiteral("End"),
                             QStringLiteral("End"),
                             QStringLiteral("Circle center"),
                             QStringLiteral("Circle center")};
    const QStringList bottom = {QStringLiteral("Segment No."),
                                QStringLiteral("Instruction Type"),
                                QStringLiteral("Circle center determining mode"),
                                QStringLiteral("Acc./Dec. time (ms)"),
                                QStringLiteral("Initial"),
                                QStringLiteral("Maximum"),
                                QStringLiteral("X axis"),
                                QStringLiteral("Y axis"),
                                QStringLiteral("X axis"),
                                QStringLiteral("Yaxis")};
    EXPECT_EQ(RowTexts(g, 0), top);
    EXPECT_EQ(RowTexts(g, 1), bottom);
    for (int r = 2; r < 6; ++r)
        EXPECT_EQ(t.row(r), QStringList(10, QString())) << r;
    EXPECT_EQ(g->colComboList(1), (QStringList{kLine, kCw, kCcw}));
    EXPECT_EQ(g->colComboList(2), (QStringList{kPass, kCentre}));
    // The template's widths; the first column as wide as "Segment" needs.
    const int twips[] = {600, 1200, 1300, 1500};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(g->columnWidth(c),
                  std::max(g->twipsToPixels(twips[c]),
                           c == 0
                               ? g->fontMetrics().horizontalAdvance(QStringLiteral("Segment")) + 8
                               : 0))
            << c;
    EXPECT_EQ(t.page.findChild<QPushButton *>(QStringLiteral("loadDxfButton"))->text(),
              QStringLiteral("Load From &DXF File"));
}

TEST(TablePage, LeavingAnEmptyTableForwardsSaysSoAndBackwardsIsSilent)
{
    TablePage t;
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().text, QStringLiteral("No data in the table, Please input again"));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(t.page.CommitTable(true));
    EXPECT_EQ(prompts.seen().size(), 1u);
    EXPECT_TRUE(t.config.segments.empty());
}

TEST(TablePage, InTheWizardNextOnAnEmptyTableStaysAndPreviousGoesBack)
{
    Wizard w;
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    w.next();
    ASSERT_EQ(w.frame.currentPage(), CPosWizardDlg::TablePage);
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::TablePage);
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("No data in the table, Please input again")});
    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
}

TEST(TablePage, InTheWizardTheTableIsCommittedOnNextAndRefilledWhenEnteredAgain)
{
    Wizard w;
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    w.next();
    CVSFlexGrid *g = w.table.grid();
    ASSERT_TRUE(PickFromList(g, 2, 1, 0));
    TypeIntoCell(g, 2, 6, QStringLiteral("500"));
    ScriptedPrompter prompts;
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::NamePage);
    ASSERT_EQ(w.config.segments.size(), 1u);
    EXPECT_EQ(w.config.segments.at(1).endX, 500);
    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::TablePage);
    // Changed on the grid, then back to the first page: Previous commits too.
    TypeIntoCell(g, 2, 6, QStringLiteral("600"));
    w.previous();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::ItemPage);
    EXPECT_EQ(w.config.segments.at(1).endX, 600);
    g->setTextMatrix(2, 6, QStringLiteral("stale"));
    w.next();
    EXPECT_EQ(w.frame.currentPage(), CPosWizardDlg::TablePage);
    EXPECT_EQ(g->textMatrix(2, 6), QStringLiteral("600")) << "refilled from the record";
}

// --- editing rules ---------------------------------------------------------------------

TEST(TablePage, EmptyRowTakesOnlyItsTypeAndOnlyBelowFilledRows)
{
    TablePage t;
    CVSFlexGrid *g = t.grid();
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(EditStarts(g, 2, c), c == 1) << "column " << c;
    EXPECT_EQ(OpenList(g, 3, 1), nullptr) << "row 3 while row 2 has no segment";
    Settle();
    ASSERT_TRUE(PickFromList(g, 2, 1, 0));
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(EditStarts(g, 2, c), !(c == 0 || c == 2 || c == 8 || c == 9))
            << "straight line, column " << c;
    EXPECT_TRUE(EditStarts(g, 3, 1)) << "row 3 once row 2 is a segment";
    ASSERT_TRUE(PickFromList(g, 2, 1, 1));
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(EditStarts(g, 2, c), c != 0) << "arc, column " << c;
}

TEST(TablePage, PickingTheTypeNumbersTheRowAndFillsItsCells)
{
    TablePage t;
    CVSFlexGrid *g = t.grid();
    ASSERT_TRUE(PickFromList(g, 2, 1, 1)); // Clockwise arc in the first free row
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kCw, kPass, QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
    TypeIntoCell(g, 2, 8, QStringLiteral("25"));
    TypeIntoCell(g, 2, 4, QStringLiteral("300"));
    ASSERT_TRUE(PickFromList(g, 2, 1, 0)); // Straight line empties the arc cells
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kLine, QString(), QStringLiteral("0"),
                           QStringLiteral("300"), QStringLiteral("0"), QStringLiteral("0"),
                           QStringLiteral("0"), QString(), QString()}));
    ASSERT_TRUE(PickFromList(g, 2, 1, 2)); // an arc again restores them
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kCcw, kPass, QStringLiteral("0"),
                           QStringLiteral("300"), QStringLiteral("0"), QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
    ASSERT_TRUE(PickFromList(g, 2, 2, 1));
    ASSERT_TRUE(PickFromList(g, 2, 1, 1)); // a kept centre mode stays
    EXPECT_EQ(t.cell(2, 2), kCentre);
    ASSERT_TRUE(PickFromList(g, 3, 1, 0));
    EXPECT_EQ(t.cell(3, 0), QStringLiteral("2"));

    ScriptedPrompter prompts;
    ASSERT_TRUE(t.page.CommitTable(false));
    ASSERT_EQ(t.config.segments.size(), 2u);
    EXPECT_EQ(t.config.segments.at(1).type, kTypeCw);
    EXPECT_EQ(t.config.segments.at(1).centreMode, kCentrePoint);
    EXPECT_EQ(t.config.segments.at(1).initialSpeed, 300u);
}

// --- checks when leaving ----------------------------------------------------------------

struct NumberCase
{
    int row, col;
    const char *text;
    int messageId; // 0: accepted
};

void PrintTo(const NumberCase &c, std::ostream *os)
{
    *os << "row " << c.row << " column " << c.col << " \"" << c.text << "\"";
}

class TableNumberRule : public ::testing::TestWithParam<NumberCase>
{};

// Row 2 and row 3 are straight lines, row 4 an arc whose centre cells take
// the circle columns' cases (absolute mode, so its circle stays right).
TEST_P(TableNumberRule, CellsFollowTheNumberRule)
{
    const NumberCase c = GetParam();
    PosConfig initial = NewPageDefaults();
    initial.actionMode = 1;
    TablePage t(initial);
    t.enterRows(
        {Line(100, 0), Line(100, 100), Arc(kTypeCcw, RowInput::kCentre, 100, 300, 100, 200)});
    Put(t, c.row, c.col, QString::fromUtf8(c.text));
    ScriptedPrompter prompts;
    if (c.messageId == 0) {
        EXPECT_TRUE(t.page.CommitTable(false));
        EXPECT_EQ(t.config.segments.size(), 3u);
        return;
    }
    prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().text, StrF(c.messageId, {Field(c.row, c.col).toStdString()}));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(prompts.last().icon, QMessageBox::NoIcon);
    EXPECT_EQ(t.grid()->row(), c.row) << "the cell at fault is selected";
    EXPECT_EQ(t.grid()->col(), c.col);
    EXPECT_EQ(t.cell(c.row, c.col), QString::fromUtf8(c.text)) << "the text stays as typed";
    EXPECT_TRUE(t.config.segments.empty()) << "nothing committed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableNumberRule,
    ::testing::Values(
        NumberCase{2, 4, "-5", sid::FieldNegative}, NumberCase{2, 3, "-1", sid::FieldNegative},
        NumberCase{3, 5, "-", sid::FieldNegative}, NumberCase{2, 6, "-5", 0},
        NumberCase{2, 7, "-", 0}, NumberCase{2, 3, "1-2", sid::FieldInvalid},
        NumberCase{2, 6, "--5", sid::FieldInvalid}, NumberCase{2, 5, "1.5", sid::FieldIllegalChar},
        NumberCase{3, 6, " 5", sid::FieldIllegalChar},
        NumberCase{2, 7, "+5", sid::FieldIllegalChar},
        NumberCase{2, 4, "\xef\xbc\x95", sid::FieldIllegalChar}, // fullwidth 5
        NumberCase{2, 7, "", sid::FieldEmpty}, NumberCase{3, 3, "", sid::FieldEmpty},
        NumberCase{4, 8, "", sid::FieldEmpty}, NumberCase{4, 9, "1x", sid::FieldIllegalChar},
        NumberCase{2, 4, "4294967295", 0}, NumberCase{2, 4, "4294967296", sid::FieldInvalid},
        NumberCase{2, 3, "99999999999999999999999", sid::FieldInvalid},
        NumberCase{2, 6, "-2147483648", 0}, NumberCase{3, 6, "2147483648", sid::FieldInvalid},
        NumberCase{3, 7, "-2147483649", sid::FieldInvalid}));

TEST(TablePage, NamesTheFieldsAsTheHeadersRead)
{
    TablePage t;
    t.enterRows({Line(1, 1), Line(2, 2), Arc(kTypeCw, RowInput::kPass, 5, 5, 9, 1)});
    Put(t, 4, 9, QStringLiteral("x"));
    Put(t, 2, 4, QStringLiteral("-1"));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    Put(t, 2, 4, QStringLiteral("1"));
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(prompts.texts(),
              (QStringList{QStringLiteral("[Segment No:1]Speed (Hz)Initial should be a positive "
                                          "figure. Please input again."),
                           QStringLiteral("[Segment No:3]Circle centerYaxis contains illegal "
                                          "character. Please input again.")}));
}

TEST(TablePage, EmptyCircleCellsPassOnlyOnAStraightLine)
{
    TablePage t;
    t.enterRows({Line(1, 1)});
    // A straight line's circle cells cannot be typed in; they are empty.
    EXPECT_EQ(t.cell(2, 8), QString());
    ScriptedPrompter prompts;
    EXPECT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.at(1).centreX, 0);
}

TEST(TablePage, LeavingThePageEndsAnEditInProgress)
{
    TablePage t(LinesRecord(1));
    ClickCell(t.grid(), 2, 4);
    QTest::keyClicks(t.grid(), QStringLiteral("7"));
    QTest::keyClicks(OpenEditor(t.grid()), QStringLiteral("77"));
    ASSERT_NE(OpenEditor(t.grid()), nullptr) << "still editing";
    ScriptedPrompter prompts;
    ASSERT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.at(1).initialSpeed, 777u);
    EXPECT_EQ(OpenEditor(t.grid()), nullptr);
}

TEST(TablePage, DestroyedWhileACellIsEdited)
{
    auto t = std::make_unique<TablePage>(LinesRecord(1));
    ClickCell(t->grid(), 2, 4);
    QTest::keyClicks(t->grid(), QStringLiteral("9"));
    ASSERT_NE(OpenEditor(t->grid()), nullptr);
    t.reset(); // no event reaches the page on its way out
}

TEST(TablePage, RowsAfterTheFirstRowWithoutNumberAreIgnored)
{
    TablePage t;
    t.enterRows({Line(1, 1), Line(2, 2)});
    // Row 4 is empty; whatever stands below it takes no part.
    t.grid()->setRows(8);
    for (int c = 0; c < 10; ++c)
        t.grid()->setTextMatrix(5, c, QStringLiteral("junk"));
    ScriptedPrompter prompts;
    EXPECT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.size(), 2u);
}

// --- arc checks --------------------------------------------------------------------------

struct ArcCase
{
    const char *name;
    int actionMode;
    RowInput arc; // row 3, after a straight line to (100, 0) in row 2
    int result;   // 1 accepted, 2 chooser, 3 no arc
    const char *chooserText;
};

void PrintTo(const ArcCase &c, std::ostream *os)
{
    *os << c.name;
}

class TableArcCheck : public ::testing::TestWithParam<ArcCase>
{};

TEST_P(TableArcCheck, ArcsBeginWhereThePlcBeginsThem)
{
    const ArcCase c = GetParam();
    PosConfig initial = NewPageDefaults();
    initial.actionMode = static_cast<std::uint16_t>(c.actionMode);
    TablePage t(initial);
    t.enterRows({Line(100, 0), c.arc});
    const QStringList before = t.row(3);
    ScriptedPrompter prompts;
    switch (c.result) {
    case 1:
        EXPECT_TRUE(t.page.CommitTable(false));
        EXPECT_TRUE(prompts.seen().empty());
        EXPECT_EQ(t.config.segments.size(), 2u);
        break;
    case 3:
        prompts.answer(QMessageBox::Ok);
        EXPECT_FALSE(t.page.CommitTable(false));
        EXPECT_EQ(prompts.texts(),
                  QStringList{QStringLiteral("[Segment No:2] The input data cannot generate an "
                                             "arc. Please input again.")});
        EXPECT_EQ(t.grid()->row(), 3);
        EXPECT_EQ(t.grid()->col(), 8);
        EXPECT_EQ(t.row(3), before);
        EXPECT_TRUE(t.config.segments.empty());
        break;
    case 2: {
        prompts.chooseArc(-1); // "Input Again": nothing changes
        EXPECT_FALSE(t.page.CommitTable(false));
        ASSERT_EQ(prompts.seen().size(), 1u);
        EXPECT_EQ(prompts.last().kind, ScriptedPrompter::Kind::ArcChoice);
        EXPECT_EQ(prompts.last().text, QString::fromUtf8(c.chooserText));
        EXPECT_EQ(t.row(3), before);
        // The first candidate is written into the end cells; the page stays,
        // and leaving again passes.
        prompts.chooseArc(0);
        EXPECT_FALSE(t.page.CommitTable(false));
        EXPECT_NE(t.row(3), before);
        EXPECT_TRUE(t.config.segments.empty());
        EXPECT_TRUE(t.page.CommitTable(false));
        EXPECT_EQ(t.config.segments.at(2).endX, t.cell(3, 6).toInt());
        break;
    }
    default:
        FAIL();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableArcCheck,
    ::testing::Values(
        ArcCase{"AbsoluteFromThePreviousEnd", 1, Arc(kTypeCcw, RowInput::kCentre, 0, 100, 0, 0), 1,
                ""},
        // Incremental: the arc begins at (0, 0), here its own centre.
        ArcCase{"IncrementalFromTheOrigin", 0, Arc(kTypeCcw, RowInput::kCentre, 0, 100, 0, 0), 3,
                ""},
        ArcCase{"IncrementalOnItsCircle", 0, Arc(kTypeCcw, RowInput::kCentre, -100, 100, -100, 0),
                1, ""},
        ArcCase{"AbsoluteOffItsCircle", 1, Arc(kTypeCcw, RowInput::kCentre, -100, 100, -100, 0), 2,
                "[Segment No:2]\nCenter(-100, 0)  Beginning(100, 0)  End(-100, 100)\nThe end point "
                "does not exist on the specified arc. Please choose one from the following two "
                "options, or input again\n[End(X) = -100, End(Y) = 200]\n[End(X) = -100, End(Y) = "
                "-200]"},
        ArcCase{"AbsoluteNearestNotFirst", 1, Arc(kTypeCw, RowInput::kCentre, 50, 50, 0, 0), 2,
                "[Segment No:2]\nCenter(0, 0)  Beginning(100, 0)  End(50, 50)\nThe end point does "
                "not exist on the specified arc. Please choose one from the following two options, "
                "or input again\n[End(X) = 71, End(Y) = 71]\n[End(X) = -71, End(Y) = -71]"},
        // Pass-through point: three distinct points off one line.
        ArcCase{"PassThroughOnALine", 0, Arc(kTypeCw, RowInput::kPass, 100, 100, 50, 50), 3, ""},
        ArcCase{"PassThroughGood", 0, Arc(kTypeCw, RowInput::kPass, 100, 100, 0, 100), 1, ""},
        ArcCase{"PassThroughAtTheBegin", 1, Arc(kTypeCw, RowInput::kPass, 100, 100, 100, 0), 3, ""},
        ArcCase{"PassThroughAbsoluteGood", 1, Arc(kTypeCcw, RowInput::kPass, -100, 0, 0, 100), 1,
                ""},
        // A new arc row starts as a pass-through arc through (0, 0) to (0, 0).
        ArcCase{"NewArcRowAsPicked", 0, RowInput{kTypeCw, RowInput::kPass, {}}, 3, ""}),
    [](const ::testing::TestParamInfo<ArcCase> &param) { return std::string(param.param.name); });

TEST(TablePage, AnArcInTheFirstRowIsNeverChecked)
{
    for (int mode : {0, 1}) {
        PosConfig initial = NewPageDefaults();
        initial.actionMode = static_cast<std::uint16_t>(mode);
        TablePage t(initial);
        t.enterRows({Arc(kTypeCw, RowInput::kCentre, 7, 3, 0, 0)}); // centre = begin
        ScriptedPrompter prompts;
        EXPECT_TRUE(t.page.CommitTable(false)) << mode;
        EXPECT_EQ(t.config.segments.at(1).type, kTypeCw);
    }
}

// --- capacity and commit -------------------------------------------------------------------

TEST(TablePage, ElementCapacityIsCheckedBeforeTheCommit)
{
    struct Case
    {
        std::uint32_t startD, maxD, startM, maxM;
        const char *message;
    } cases[] = {
        {9980, 9999, 0, 9999,
         "D element address number reached max address number [9999]. Please input the starting "
         "address again."},
        {2000, 9999, 9999, 9999,
         "M element address number reached max address number [9999]. Please input the starting "
         "address again."},
        {9971, 9999, 9998, 9999, nullptr}, // 12 + 16 words fit exactly, two M elements
    };
    for (const Case &c : cases) {
        PosConfig initial = NewPageDefaults();
        initial.startD = c.startD;
        initial.maxD = c.maxD;
        initial.startM = c.startM;
        initial.maxM = c.maxM;
        initial.actionMode = 1;
        TablePage t(initial);
        t.enterRows({Line(100, 0), Arc(kTypeCcw, RowInput::kCentre, 0, 100, 0, 0)});
        ScriptedPrompter prompts;
        if (!c.message) {
            EXPECT_TRUE(t.page.CommitTable(false));
            continue;
        }
        prompts.answer(QMessageBox::Ok);
        EXPECT_FALSE(t.page.CommitTable(false));
        EXPECT_EQ(prompts.texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_TRUE(t.config.segments.empty());
    }
}

TEST(TablePage, CommitRebuildsTheSegmentsFromTheRows)
{
    PosConfig initial = NewPageDefaults();
    initial.actionMode = 1;
    // Segments stored before are replaced, also those beyond the table.
    for (std::uint32_t n = 1; n <= 5; ++n)
        initial.segments[n].number = n;
    TablePage t(initial);
    ASSERT_EQ(t.grid()->rows(), 7);
    t.grid()->setRows(2);
    t.grid()->setRows(6);
    t.enterRows({Line(100, 0, 100, 200, 3000),
                 Arc(kTypeCcw, RowInput::kCentre, 0, 100, 0, 0, 7, 8, 9),
                 Arc(kTypeCw, RowInput::kPass, 0, -100, 100, 0, 1, 2, 3)});
    Put(t, 4, 6, QStringLiteral("-"));
    ScriptedPrompter prompts;
    ASSERT_TRUE(t.page.CommitTable(false));
    std::map<std::uint32_t, PosSegment> expected;
    expected[1] = PosSegment{1, kTypeLine, kCentrePoint, 200, 3000, 100, 0, 0, 100, 0, 0, 0};
    expected[2] = PosSegment{2, kTypeCcw, kCentrePoint, 8, 9, 7, 0, 0, 0, 100, 0, 0};
    expected[3] = PosSegment{3, kTypeCw, kPassPoint, 2, 3, 1, 0, 0, 0, -100, 100, 0};
    EXPECT_EQ(t.config.segments, expected);
}

TEST(TablePage, TheWorkedExampleRoundTripsThroughTheGrid)
{
    const Result<std::string> text
        = ReadWholeFile(POS_TEST_DATA_DIR "/../examples/worked_example.json");
    ASSERT_TRUE(text);
    const Result<PosConfig> example = ReadConfigJson(*text);
    ASSERT_TRUE(example);
    TablePage t(*example);
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kLine, QString(), QStringLiteral("100"),
                           QStringLiteral("100"), QStringLiteral("100000"), QStringLiteral("20000"),
                           QStringLiteral("0"), QString(), QString()}));
    EXPECT_EQ(t.cell(3, 1), kCw);
    EXPECT_EQ(t.cell(3, 2), kCentre);
    t.config.segments.clear();
    ScriptedPrompter prompts;
    ASSERT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config, *example);
}

TEST(TablePage, FillWritesEveryTypeAndCentreModeAndEmptiesLinesArcCells)
{
    PosConfig record = NewPageDefaults();
    record.segments[1] = PosSegment{1, kTypeCw, kPassPoint, 1, 2, 3, 0, 0, 4, 5, 6, 7};
    record.segments[2] = PosSegment{2, kTypeCcw, kCentrePoint, 0, 0, 0, 0, 0, -4, -5, -6, -7};
    record.segments[3] = PosSegment{3, kTypeLine, 7, 0, 0, 0, 0, 0, 1, 1, 9, 9};
    TablePage t;
    // Row 4 held an arc before the record is filled over it.
    t.enterRows({Line(0, 0), Line(0, 0), Arc(kTypeCw, RowInput::kCentre, 1, 1, 1, 1)});
    t.page.FillGridFromRecord(&record);
    EXPECT_EQ(t.grid()->rows(), 5);
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kCw, kPass, QStringLiteral("3"),
                           QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                           QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")}));
    EXPECT_EQ(t.row(3),
              (QStringList{QStringLiteral("2"), kCcw, kCentre, QStringLiteral("0"),
                           QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-4"),
                           QStringLiteral("-5"), QStringLiteral("-6"), QStringLiteral("-7")}));
    EXPECT_EQ(t.row(4), (QStringList{QStringLiteral("3"), kLine, QString(), QStringLiteral("0"),
                                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"),
                                     QStringLiteral("1"), QString(), QString()}));
    // An empty record leaves the grid as it is.
    const PosConfig empty;
    t.page.FillGridFromRecord(&empty);
    EXPECT_EQ(t.grid()->rows(), 5);
}

// --- context menu ------------------------------------------------------------------------

TEST(TablePage, ContextMenuReadsAsTheTablePagesMenu)
{
    TablePage t;
    const MenuState state = t.menuAt(3, 4);
    EXPECT_EQ(state.texts,
              (QStringList{
                  QStringLiteral("&Insert Section"), QStringLiteral("&Add Empty Row"),
                  QStringLiteral("&Delete Row"), QStringLiteral("-"),
                  QStringLiteral("&Graphic Locus Display"), QStringLiteral("  To &Current Row"),
                  QStringLiteral("  &All Rows"), QStringLiteral("-"), QStringLiteral("&Copy Rows"),
                  QStringLiteral("&Paste Rows"), QStringLiteral("Set &Speeds and Time...")}));
    const std::unique_ptr<QMenu> menu = t.page.CreateContextMenu();
    std::map<int, QString> ids;
    for (QAction *a : menu->findChildren<QAction *>())
        if (a->data().isValid())
            ids[a->data().toInt()] = a->text();
    EXPECT_EQ(ids[32778], QStringLiteral("&Insert Section"));
    EXPECT_EQ(ids[32779], QStringLiteral("&Add Empty Row"));
    EXPECT_EQ(ids[32780], QStringLiteral("&Delete Row"));
    EXPECT_EQ(ids[32785], QStringLiteral("To &Current Row"));
    EXPECT_EQ(ids[32786], QStringLiteral("&All Rows"));
}

TEST(TablePage, ContextMenuGreysWhatCannotApply)
{
    struct Case
    {
        const char *state;
        int filled;   // rows filled from row 2
        int rows;     // grid rows afterwards (2: no data row)
        int clickRow; // right-click row (a header row when below 2)
        bool display, remove, speeds, copy;
    } cases[] = {
        {"new table", 0, 6, 3, false, true, false, true},
        {"filled rows", 3, 6, 3, true, true, true, true},
        {"empty row below filled rows", 3, 6, 5, true, true, false, true},
        {"no data row", 0, 2, 1, false, false, false, false},
    };
    for (const Case &c : cases) {
        TablePage t(LinesRecord(c.filled));
        t.grid()->setRows(c.rows);
        const MenuState state = c.clickRow >= 2 ? t.menuAt(c.clickRow, 4) : [&] {
            bool shown = false;
            MenuState s = UseMenu([&] { RightClickHeader(t.grid(), c.clickRow, 4); }, {}, &shown);
            EXPECT_TRUE(shown);
            return s;
        }();
        auto enabled
            = [&](const char *name) { return state.enabled.at(QString::fromLatin1(name)); };
        EXPECT_EQ(enabled("showToCurrent"), c.display) << c.state;
        EXPECT_EQ(enabled("showAll"), c.display) << c.state;
        EXPECT_EQ(enabled("deleteRow"), c.remove) << c.state;
        EXPECT_TRUE(enabled("insertSection")) << c.state;
        EXPECT_TRUE(enabled("addEmptyRow")) << c.state;
        EXPECT_EQ(enabled("setSpeeds"), c.speeds) << c.state;
        EXPECT_EQ(enabled("copyRows"), c.copy) << c.state;
    }
}

TEST(TablePage, RightClickSelectsTheCellTheMenuActsOn)
{
    TablePage t(LinesRecord(3));
    t.grid()->select(2, 0);
    t.menuAt(4, 6);
    EXPECT_EQ(t.grid()->row(), 4);
    EXPECT_EQ(t.grid()->col(), 6);
    bool shown = false;
    UseMenu([&] { RightClickHeader(t.grid(), 1, 7); }, {}, &shown);
    EXPECT_TRUE(shown);
    EXPECT_EQ(t.grid()->row(), 2) << "a right-click on the header selects row 2";
    EXPECT_EQ(t.grid()->col(), 7);
    // Outside the grid there is no menu.
    UseMenu(
        [&] {
            QTest::mouseClick(t.page.findChild<QPushButton *>(QStringLiteral("loadDxfButton")),
                              Qt::RightButton);
        },
        {}, &shown);
    EXPECT_FALSE(shown);
}

TEST(TablePage, GreyedItemsDoNothing)
{
    TablePage t;              // no segment yet: both display items are grey
    ScriptedPrompter prompts; // any prompt would fail the test
    t.menuAt(2, 1, {QStringLiteral("graphicMenu"), QStringLiteral("showAll")});
    t.menuAt(2, 1, {QStringLiteral("graphicMenu"), QStringLiteral("showToCurrent")});
    EXPECT_EQ(t.page.findChild<CGraphicDisplay *>(), nullptr);
}

// --- commands ----------------------------------------------------------------------------

TEST(TablePage, InsertSectionMakesANewStraightLineAndRenumbers)
{
    TablePage t(LinesRecord(3));
    const QStringList oldThird = t.row(4);
    t.menuAt(3, 5, {QStringLiteral("insertSection")});
    EXPECT_EQ(t.grid()->rows(), 6);
    for (int r = 2; r < 6; ++r)
        EXPECT_EQ(t.cell(r, 0), QString::number(r - 1));
    EXPECT_EQ(t.row(3), (QStringList{QStringLiteral("2"), kLine, QString(), QStringLiteral("0"),
                                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                     QStringLiteral("0"), QString(), QString()}));
    EXPECT_EQ(t.row(5).mid(1), oldThird.mid(1));
    EXPECT_EQ(t.cell(4, 6), QStringLiteral("20")) << "the old second segment moved down";
}

TEST(TablePage, InsertSectionNeedsEveryRowAboveFilled)
{
    TablePage t(LinesRecord(2));
    t.grid()->setRows(7);
    t.menuAt(5, 1, {QStringLiteral("insertSection")}); // row 4 is empty
    EXPECT_EQ(t.grid()->rows(), 7);
    EXPECT_EQ(t.cell(5, 1), QString());
    t.menuAt(4, 1, {QStringLiteral("insertSection")}); // the first free row
    EXPECT_EQ(t.grid()->rows(), 8);
    EXPECT_EQ(t.cell(4, 0), QStringLiteral("3"));
}

TEST(TablePage, AddEmptyRowAppends)
{
    TablePage t(LinesRecord(2));
    t.menuAt(2, 1, {QStringLiteral("addEmptyRow")});
    EXPECT_EQ(t.grid()->rows(), 5);
    EXPECT_EQ(t.row(4), QStringList(10, QString()));
}

TEST(TablePage, DeleteRowAsksAndRenumbers)
{
    TablePage t(LinesRecord(4));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::No);
    t.menuAt(3, 2, {QStringLiteral("deleteRow")});
    EXPECT_EQ(t.grid()->rows(), 6);
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().text, QStringLiteral("Are you sure to remove this row?"));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(prompts.last().icon, QMessageBox::Question);
    prompts.answer(QMessageBox::Yes);
    t.menuAt(3, 2, {QStringLiteral("deleteRow")});
    EXPECT_EQ(t.grid()->rows(), 5);
    EXPECT_EQ(t.cell(3, 6), QStringLiteral("30")) << "the third segment moved up";
    for (int r = 2; r < 5; ++r)
        EXPECT_EQ(t.cell(r, 0), QString::number(r - 1));
}

TEST(TablePage, NoMoreThan256Segments)
{
    for (const char *command : {"addEmptyRow", "insertSection"}) {
        TablePage t(LinesRecord(256));
        ASSERT_EQ(t.grid()->rows(), 258);
        ScriptedPrompter prompts;
        prompts.answer(QMessageBox::Ok);
        t.menuAt(2, 1, {QString::fromLatin1(command)});
        EXPECT_EQ(t.grid()->rows(), 258) << command;
        EXPECT_EQ(prompts.texts(),
                  QStringList{QStringLiteral("The number of the segment has reached the upper "
                                             "limit [256], new step cannot be added.")});
    }
    TablePage t(LinesRecord(255));
    t.menuAt(2, 1, {QStringLiteral("addEmptyRow")});
    EXPECT_EQ(t.grid()->rows(), 258);
}

// --- trajectory display ---------------------------------------------------------------------

TEST(TablePage, DisplayShowsTheRowsUpToTheCurrentOneOrAll)
{
    PosConfig initial = LinesRecord(6);
    initial.actionMode = 1;
    // Segment 2 ends at (20, -2); segment 3 turns about (20, 0) to (20, 2).
    initial.segments[3] = PosSegment{3, kTypeCcw, kCentrePoint, 0, 0, 0, 0, 0, 20, 2, 20, 0};
    TablePage t(initial);
    for (const auto &[item, count] : {std::pair{"showToCurrent", 3}, std::pair{"showAll", 6}}) {
        t.menuAt(4, 3, {QStringLiteral("graphicMenu"), QString::fromLatin1(item)});
        auto *display = t.page.findChild<CGraphicDisplay *>(QStringLiteral("graphicDisplay"));
        ASSERT_NE(display, nullptr) << item;
        EXPECT_TRUE(display->isVisible());
        EXPECT_TRUE(display->isModal());
        EXPECT_EQ(display->count(), count);
        EXPECT_EQ(display->current(), count);
        const CGraphicDisplay::Arrays &a = display->arrays();
        EXPECT_EQ(a.type[2], kTypeCcw);
        EXPECT_EQ(a.endX[2], 20);
        EXPECT_EQ(a.centreX[2], 20);
        EXPECT_EQ(a.beginX, std::vector<std::int32_t>(static_cast<std::size_t>(count), 0));
        EXPECT_EQ(a.endX[1], 20);
        // The view chains the segments in absolute mode.
        const auto &drawn = display->display()->primitives();
        ASSERT_EQ(drawn.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(drawn[1].end.x, 20.0);
        EXPECT_EQ(drawn[2].kind, PrimitiveKind::Arc);
        display->close();
        Settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(t.page.findChild<CGraphicDisplay *>(), nullptr) << "destroyed when closed";
    }
}

TEST(TablePage, DisplayFollowsTheActionModeAndCentreModes)
{
    PosConfig initial = LinesRecord(2);
    initial.actionMode = 0;
    initial.segments[2] = PosSegment{2, kTypeCw, kPassPoint, 0, 0, 0, 0, 0, 10, 10, 5, 0};
    TablePage t(initial);
    t.menuAt(3, 3, {QStringLiteral("graphicMenu"), QStringLiteral("showAll")});
    auto *display = t.page.findChild<CGraphicDisplay *>(QStringLiteral("graphicDisplay"));
    ASSERT_NE(display, nullptr);
    const auto &drawn = display->display()->primitives();
    ASSERT_EQ(drawn.size(), 2u);
    // Incremental: segment 2 ends at (10, -1) + (10, 10).
    EXPECT_EQ(drawn[1].end.x, 20.0);
    EXPECT_EQ(drawn[1].end.y, 9.0);
    display->close();
}

TEST(TablePage, DisplayChecksTheRowsFirst)
{
    TablePage t(LinesRecord(3));
    Put(t, 3, 4, QStringLiteral("x"));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    t.menuAt(4, 3, {QStringLiteral("graphicMenu"), QStringLiteral("showAll")});
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("[Segment No:2]Speed (Hz)Initial contains illegal "
                                         "character. Please input again.")});
    EXPECT_EQ(t.page.findChild<CGraphicDisplay *>(), nullptr);
}

// --- copy, paste, speeds ---------------------------------------------------------------------

TEST(TablePage, CopiedRowsPasteAsNewSegments)
{
    TablePage t(LinesRecord(2));
    t.grid()->setRows(6);
    ClickCell(t.grid(), 2, 3);
    ClickCell(t.grid(), 3, 3, Qt::ShiftModifier);
    t.menuAt(3, 3, {QStringLiteral("copyRows")});
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("1\tStraight line\t\t10\t100\t1000\t10\t-1\t\t\n"
                             "2\tStraight line\t\t10\t100\t1000\t20\t-2\t\t\n"));
    ClickCell(t.grid(), 4, 5);
    QTest::keyClick(t.grid(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t.grid()->rows(), 6);
    EXPECT_EQ(t.row(4).mid(1), t.row(2).mid(1));
    EXPECT_EQ(t.row(5).mid(1), t.row(3).mid(1));
    EXPECT_EQ(t.cell(4, 0), QStringLiteral("3"));
    EXPECT_EQ(t.cell(5, 0), QStringLiteral("4"));
    ScriptedPrompter prompts;
    EXPECT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.size(), 4u);
}

TEST(TablePage, SpreadsheetRowsPasteWithTheirColumnsLinedUp)
{
    TablePage t;
    // From a spreadsheet: CRLF line ends, the type in other letter case, an
    // arc with its centre mode, more rows than the grid has.
    QGuiApplication::clipboard()->setText(
        QStringLiteral("\tstraight line\t\t5\t6\t7\t100\t0\t\t\r\n"
                       "\tCounterclockwise arc\tDesignate center point\t5\t6\t7\t0\t100\t0\t0\r\n"
                       "\tStraight line\t\t5\t6\t7\t1\t2\t\t\r\n"
                       "\tStraight line\t\t5\t6\t7\t3\t4\t\t\r\n"
                       "\tStraight line\t\t5\t6\t7\t5\t6\t\t\r\n"));
    t.grid()->select(2, 4);
    QTest::keyClick(t.grid(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(t.grid()->rows(), 7);
    EXPECT_EQ(t.row(2),
              (QStringList{QStringLiteral("1"), kLine, QString(), QStringLiteral("5"),
                           QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("100"),
                           QStringLiteral("0"), QString(), QString()}));
    EXPECT_EQ(t.row(3),
              (QStringList{QStringLiteral("2"), kCcw, kCentre, QStringLiteral("5"),
                           QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("0"),
                           QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("0")}));
    EXPECT_EQ(t.cell(6, 0), QStringLiteral("5"));
    t.config.actionMode = 1;
    ScriptedPrompter prompts;
    EXPECT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.size(), 5u);
}

TEST(TablePage, NarrowBlocksPasteFromTheCurrentColumn)
{
    TablePage t(LinesRecord(3));
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\t3\n4\t5\t6\n"));
    t.grid()->select(3, 3);
    t.page.OnPasteRows();
    EXPECT_EQ(t.row(3).mid(3, 3),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    EXPECT_EQ(t.row(4).mid(3, 3),
              (QStringList{QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")}));
    EXPECT_EQ(t.cell(2, 3), QStringLiteral("10"));
}

TEST(TablePage, PastedRowsObeyTheEditingRulesOrNothingIsPasted)
{
    struct Case
    {
        const char *name;
        int filled, row, col;
        const char *text;
        const char *message; // null: accepted
    } cases[] = {
        {"unknown type", 2, 4, 0, "\tSpiral\t\t1\t1\t1\t1\t1\t\t\n",
         "[Segment No:3]Instruction Type: \"Spiral\" is not one of the choices of this column. "
         "Nothing was pasted."},
        {"unknown centre mode", 1, 3, 1, "Clockwise arc\tsomewhere\n",
         "[Segment No:2]Circle center determining mode: \"somewhere\" is not one of the choices "
         "of this column. Nothing was pasted."},
        {"after a gap", 2, 5, 1, "Straight line\t\t1\n",
         "[Segment No:4]Instruction Type can be chosen only when every row above it holds a "
         "segment. Nothing was pasted."},
        {"numbers before a type", 2, 4, 3, "1\t2\t3\n",
         "[Segment No:3]Acc./Dec. time (ms) cannot be filled in before the row's instruction type "
         "is chosen. Nothing was pasted."},
        {"centre on a straight line", 2, 3, 6, "1\t2\t3\t4\n",
         "[Segment No:2]Circle centerX axis stays empty on a straight line. Nothing was pasted."},
        {"wider than the table", 2, 2, 5, "1\t2\t3\t4\t5\t6\n",
         "The pasted text has more columns than the table has from the current column on. Nothing "
         "was pasted."},
        {"second row fails", 2, 4, 1, "Straight line\nNo such type\n",
         "[Segment No:4]Instruction Type: \"No such type\" is not one of the choices of this "
         "column. Nothing was pasted."},
        {"empty centre on a straight line", 2, 3, 6, "5\t6\t\t\n", nullptr},
        {"same type over a filled row", 2, 2, 1, "Straight line\n", nullptr},
    };
    for (const Case &c : cases) {
        TablePage t(LinesRecord(c.filled));
        t.grid()->setRows(8);
        const std::vector<QStringList> before = t.grid()->dataRows();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.text));
        t.grid()->select(c.row, c.col);
        ScriptedPrompter prompts;
        if (c.message)
            prompts.answer(QMessageBox::Ok);
        t.page.OnPasteRows();
        if (!c.message) {
            EXPECT_TRUE(prompts.seen().empty()) << c.name;
            continue;
        }
        EXPECT_EQ(prompts.texts(), QStringList{QString::fromUtf8(c.message)}) << c.name;
        EXPECT_EQ(t.grid()->dataRows(), before) << c.name << ": nothing half-pasted";
    }
}

TEST(TablePage, PastedTextIsCheckedWhenThePageIsLeft)
{
    TablePage t(LinesRecord(2));
    QGuiApplication::clipboard()->setText(QStringLiteral("abc\n"));
    t.grid()->select(3, 4);
    t.page.OnPasteRows();
    EXPECT_EQ(t.cell(3, 4), QStringLiteral("abc"));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("[Segment No:2]Speed (Hz)Initial contains illegal "
                                         "character. Please input again.")});
}

TEST(TablePage, PastingBeyond256SegmentsIsRefused)
{
    TablePage t(LinesRecord(250));
    t.grid()->setRows(253);
    QString text;
    for (int i = 0; i < 7; ++i)
        text += QStringLiteral("\tStraight line\t\t1\t1\t1\t1\t1\t\t\n");
    QGuiApplication::clipboard()->setText(text);
    t.grid()->select(252, 0);
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    t.page.OnPasteRows();
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("The number of the segment has reached the upper limit "
                                         "[256], new step cannot be added.")});
    EXPECT_EQ(t.grid()->rows(), 253);
    text.chop(text.size() / 7); // six rows fit exactly
    QGuiApplication::clipboard()->setText(text);
    t.page.OnPasteRows();
    EXPECT_EQ(t.grid()->rows(), 258);
    EXPECT_EQ(t.cell(257, 0), QStringLiteral("256"));
}

TEST(TablePage, SpeedsAndTimeOfManyRowsAtOnce)
{
    TablePage t(LinesRecord(4));
    t.grid()->setRows(7);
    ClickCell(t.grid(), 3, 6);
    ClickCell(t.grid(), 6, 6, Qt::ShiftModifier); // rows 3 to 5 filled, row 6 empty
    ScriptedPrompter prompts;
    prompts.cancelSpeeds().speeds({50, 200, 3000});
    const QStringList before = t.row(3);
    t.menuAt(4, 6, {QStringLiteral("setSpeeds")}); // inside the selection: it stays
    EXPECT_EQ(t.row(3), before) << "cancelled";
    EXPECT_EQ(t.grid()->row(), 4);
    t.menuAt(5, 6, {QStringLiteral("setSpeeds")});
    EXPECT_EQ(prompts.texts(),
              (QStringList{QStringLiteral("10 100 1000"), QStringLiteral("10 100 1000")}));
    for (int r = 3; r <= 5; ++r)
        EXPECT_EQ(t.row(r).mid(3, 3), (QStringList{QStringLiteral("50"), QStringLiteral("200"),
                                                   QStringLiteral("3000")}))
            << r;
    EXPECT_EQ(t.row(2).mid(3, 3),
              (QStringList{QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("1000")}));
    EXPECT_EQ(t.row(6), QStringList(10, QString()));
}
