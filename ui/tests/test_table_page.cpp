// The table page driven as a user drives it: the editing rules, the checks
// when the page is left, the context menu and its commands, copy and paste,
// the trajectory display and the way in from a DXF drawing through its
// options; the Import DXF dialog on a record as the reader makes them; travel
// rows; the coordinate move and the speeds-and-time dialogs.
#include "WidgetTestSupport.h"

#include "controls/CGraphicShow.h"
#include "dialogs/CCoordinateMove.h"
#include "dialogs/CDrawingOptions.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CSetSpeeds.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSettings>

using namespace pos;
using namespace pos::test;

namespace {

// A record for the table page, keyed by the segments' numbers.
PosConfig Outline(int actionMode, const std::vector<PosSegment> &segments)
{
    PosConfig record = LinesRecord(0, actionMode);
    for (const PosSegment &s : segments)
        record.segments[s.number] = s;
    return record;
}

const QString kPlate = QStringLiteral(POS_TEST_DATA_DIR "/table/plate_with_holes.dxf");

// Four joined segments as the DXF reader makes them, keyed from 0, begin
// points filled, no speeds: an arc about its own beginning (first rows are
// never checked), a line, a counter-clockwise and a clockwise arc about
// (0, 100).
PosConfig Drawing(std::size_t count = 4)
{
    const PosSegment all[] = {
        // clang-format off
        {0, kTypeCw, kCentrePoint, 0, 0, 0, 0, 0, 100, 0, 0, 0},
        {0, kTypeLine, kCentrePoint, 0, 0, 0, 100, 0, 100, 100, 0, 0},
        {0, kTypeCcw, kCentrePoint, 0, 0, 0, 100, 100, 0, 200, 0, 100},
        {0, kTypeCw, kCentrePoint, 0, 0, 0, 0, 200, 0, 0, 0, 100},
        // clang-format on
    };
    PosConfig record;
    for (std::uint32_t k = 0; k < count; ++k)
        record.segments[k] = all[k];
    return record;
}

// The rows of a grid from row 2 on, or the segments of a record, as travel
// marks: "-T--".
QString Marks(const CVSFlexGrid *grid)
{
    QString out;
    for (int r = CVSFlexGrid::kFixedRows; r < grid->rows(); ++r)
        out += grid->isRowMarked(r) ? 'T' : '-';
    return out;
}
QString Marks(const PosConfig &record)
{
    QString out;
    for (const auto &[key, s] : record.segments)
        out += s.travel ? 'T' : '-';
    return out;
}

// The drawing options start from their defaults.
void ForgetDrawingOptions()
{
    QSettings(QStringLiteral("POS"), QCoreApplication::applicationName()).clear();
}

template<typename T = QDoubleSpinBox>
T *Field(const QWidget *dialog, const char *name)
{
    return dialog->findChild<T *>(name);
}

// Waits for the options dialog to arrange what was changed.
bool Settled(const CDrawingOptions *options)
{
    return QTest::qWaitFor([options] { return !options->isPending(); }, 2000);
}

void Click(const QWidget *dialog, const char *button)
{
    QTest::mouseClick(Field<QPushButton>(dialog, button), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(TablePage, PickingATypeMakesASegmentAndSetsWhatCanBeEdited)
{
    TablePage t;
    EXPECT_EQ(Editable(t.grid, 2), "0100000000") << "an empty row takes its type only";
    EXPECT_FALSE(PickFromList(t.grid, 3, 1, 0)) << "and only below rows that hold segments";
    ASSERT_TRUE(PickFromList(t.grid, 2, 1, 1));
    EXPECT_EQ(t.row(2), "1|Clockwise arc|Designate pass-through point|0|0|0|0|0|0|0");
    EXPECT_EQ(Editable(t.grid, 2), "0111111111");
    t.put(2, 8, "25");
    t.put(2, 4, "300");
    ASSERT_TRUE(PickFromList(t.grid, 2, 1, 0));
    EXPECT_EQ(t.row(2), "1|Straight line||0|300|0|0|0||");
    EXPECT_EQ(Editable(t.grid, 2), "0101111100") << "a straight line has no arc cells";
    ASSERT_TRUE(PickFromList(t.grid, 2, 1, 2));
    ASSERT_TRUE(PickFromList(t.grid, 2, 2, 1));
    ASSERT_TRUE(PickFromList(t.grid, 2, 1, 1));
    EXPECT_EQ(t.cell(2, 2), "Designate center point") << "a chosen centre mode stays";
    ASSERT_TRUE(PickFromList(t.grid, 3, 1, 0));
    EXPECT_EQ(t.column(0), "1|2||");
}

TEST(TablePage, RowsBecomeTheSegmentsWhenThePageIsLeft)
{
    PosConfig record
        = Outline(1, {PosSegment{1, kTypeCw, kPassPoint, 1, 2, 3, 0, 0, 100, 0, 50, 50},
                      PosSegment{2, kTypeCcw, kCentrePoint, 4, 5, 6, 0, 0, 0, 100, 0, 0},
                      PosSegment{3, kTypeLine, 7, 0, 0, 0, 0, 0, 1, 1, 9, 9}});
    TablePage t(record);
    t.put(4, 8, "5"); // the fill empties a straight line's arc cells
    t.page.FillGridFromRecord(&record);
    EXPECT_EQ(t.row(2), "1|Clockwise arc|Designate pass-through point|3|1|2|100|0|50|50");
    EXPECT_EQ(t.row(4), "3|Straight line||0|0|0|1|1||");
    t.grid->setRows(7);
    t.put(6, 1, "junk"); // below the first row without a segment: no part of the table
    t.config.segments[9] = PosSegment{}; // replaced, as every segment stored before
    ASSERT_TRUE(t.page.CommitTable(false));
    record.segments[3] = PosSegment{3, kTypeLine, kCentrePoint, 0, 0, 0, 0, 0, 1, 1, 0, 0};
    EXPECT_EQ(t.config.segments, record.segments);
}

TEST(TablePage, LeavingRefusesAFaultyRowWithItsCellSelected)
{
    // Row 1 turns about its own beginning: never checked. Row 2 turns about
    // (100, 0), where it begins in absolute mode: no arc; in incremental
    // mode it begins at the origin, on its circle.
    const std::vector<PosSegment> arcs{Segment(1, kTypeCw, 100, 0),
                                       Segment(2, kTypeCw, 100, 100, 100, 0)};
    PosConfig full = LinesRecord(2);
    full.startD = 9980;
    const std::tuple<PosConfig, int, int, const char *, const char *> cases[] = {
        // clang-format off
        {LinesRecord(2), 3, 4, "-1", "[Segment No:2]Speed (Hz)Initial should be a positive figure. Please input again."},
        {Outline(1, arcs), 3, 8, nullptr, "[Segment No:2] The input data cannot generate an arc. Please input again."},
        {Outline(0, arcs), 0, 0, nullptr, nullptr},
        {full, 0, 0, nullptr, "D element address number reached max address number [9999]. Please input the starting address again."},
        {NewPageDefaults(), 0, 0, nullptr, "No data in the table, Please input again"},
        // clang-format on
    };
    for (const auto &[record, row, col, text, message] : cases) {
        TablePage t(record);
        if (text)
            t.put(row, col, text);
        if (message)
            t.prompts.answer(QMessageBox::Ok);
        EXPECT_EQ(t.page.CommitTable(false), !message);
        EXPECT_EQ(t.prompts.last(), message ? message : "") << text;
        EXPECT_TRUE(!row || std::pair(t.grid->row(), t.grid->col()) == std::pair(row, col));
        EXPECT_EQ(t.config.segments.size(), message ? 0u : 2u);
    }
}

TEST(TablePage, ArcOffItsCircleTakesTheChosenEndPoint)
{
    TablePage t(Outline(1, {Segment(1, kTypeLine, 100, 0), Segment(2, kTypeCw, 50, 50)}));
    t.prompts.chooseArc(-1).chooseArc(1);
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(t.row(3).section('|', 6, 7), "50|50") << "Input Again changes nothing";
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(t.row(3).section('|', 6, 7), "-71|-71");
    EXPECT_TRUE(t.page.CommitTable(false)) << "the corrected end point is confirmed again";
}

// A crash once: the open editor's commit reached the screen being destroyed.
TEST(TableAndImport, DestroyedWhileACellIsEdited)
{
    const auto editAndDestroy = [](auto screen) {
        ClickCell(screen->grid, 2, 4);
        QTest::keyClicks(screen->grid, "9");
        ASSERT_NE(OpenEditor(screen->grid), nullptr);
    };
    editAndDestroy(std::make_unique<TablePage>(LinesRecord(1)));
    editAndDestroy(std::make_unique<ImportDialog>(Drawing()));
}

TEST(TablePage, InTheWizardTheTableIsCommittedWhenLeftEvenMidEditAndRefilledWhenEntered)
{
    Wizard w;
    w.find<QRadioButton>("tableRadio")->setChecked(true);
    w.next();
    CVSFlexGrid *g = w.table().grid();
    ASSERT_TRUE(PickFromList(g, 2, 1, 0));
    ClickCell(g, 2, 6);
    QTest::keyClicks(g, "5");
    QTest::keyClicks(OpenEditor(g), "00"); // still being edited
    w.next();
    EXPECT_EQ(w.config.segments.at(1).endX, 500);
    w.previous();
    g->setTextMatrix(2, 6, "600");
    w.previous();
    EXPECT_EQ(w.config.segments.at(1).endX, 600) << "Previous commits too";
    g->setTextMatrix(2, 6, "stale");
    w.next();
    EXPECT_EQ(g->textMatrix(2, 6), "600") << "refilled from the record";
}

// --- the context menu and its commands ---------------------------------------------------

TEST(TablePage, MenuGreysWhatCannotApply)
{
    const std::tuple<std::uint32_t, int, const char *, const char *> cases[] = {
        // segments, the row clicked, clipboard, the menu and its greyed items
        // clang-format off
        {0, 3, "", "tableMenu pasteRows setSpeeds showAll showToCurrent"},
        {3, 3, "x", "tableMenu"},
        {3, 5, "x", "tableMenu setSpeeds"},
        // clang-format on
    };
    for (const auto &[filled, clicked, clipboard, menu] : cases) {
        TablePage t(LinesRecord(filled));
        t.grid->setRows(6);
        QGuiApplication::clipboard()->setText(clipboard);
        t.menu(clicked, 4, "");
        QTest::mouseClick(t.child("loadDxfButton"), Qt::RightButton); // no menu outside the grid
        EXPECT_EQ(t.prompts.texts(), QStringList{menu}) << filled << ' ' << clicked;
    }
}

TEST(TablePage, InsertAddAndDeleteRenumberTheRows)
{
    TablePage t(LinesRecord(3));
    t.menu(3, 5, "insertSection");
    EXPECT_EQ(t.column(0) + ' ' + t.column(6), "1|2|3|4 10|0|20|30");
    t.prompts.answer(QMessageBox::No).answer(QMessageBox::Yes);
    t.menu(3, 2, "deleteRow");
    EXPECT_EQ(t.column(6), "10|0|20|30") << "No keeps the row";
    t.menu(3, 2, "deleteRow");
    EXPECT_EQ(t.column(0) + ' ' + t.column(6), "1|2|3 10|20|30");
    EXPECT_EQ(t.prompts.defaults(), std::vector(2, QMessageBox::No)) << "Enter keeps the row";
    t.menu(2, 1, "addEmptyRow");
    t.menu(2, 1, "addEmptyRow");
    t.menu(6, 1, "insertSection");
    EXPECT_EQ(t.column(0), "1|2|3||") << "no insert below an empty row";
    t.menu(5, 1, "insertSection");
    EXPECT_EQ(t.column(0), "1|2|3|4||");
}

TEST(TablePage, NoMoreThan256Segments)
{
    for (const char *add : {"addEmptyRow", "insertSection", "paste"}) {
        TablePage t(LinesRecord(256));
        t.prompts.answer(QMessageBox::Ok);
        if (add == std::string("paste")) {
            QGuiApplication::clipboard()->setText("Straight line\nStraight line\n");
            t.grid->select(257, 1);
            t.page.OnPasteRows();
        } else {
            t.menu(2, 1, add);
        }
        EXPECT_EQ(t.grid->rows(), 258) << add;
        EXPECT_EQ(t.prompts.last(), "The number of the segment has reached the upper limit "
                                    "[256], new step cannot be added.");
    }
    TablePage t(LinesRecord(255));
    t.menu(2, 1, "addEmptyRow");
    EXPECT_EQ(t.grid->rows(), 258);
}

TEST(TablePage, DisplayShowsTheRowsUpToTheCurrentOneOrAll)
{
    // Line i ends at (10 i, -i); incremental mode chains the end points.
    for (const int mode : {0, 1}) {
        TablePage t(LinesRecord(4, mode));
        for (const auto &[item, count] : {std::pair{"showToCurrent", 3u}, {"showAll", 4u}}) {
            t.menu(4, 3, item);
            auto *display = t.child<CGraphicDisplay>("graphicDisplay");
            ASSERT_NE(display, nullptr);
            const auto &drawn = display->display()->primitives();
            ASSERT_EQ(drawn.size(), count) << item;
            EXPECT_EQ(drawn[1].end.x, mode == 0 ? 30.0 : 20.0) << mode;
            display->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        t.put(3, 4, "x");
        t.prompts.answer(QMessageBox::Ok);
        t.menu(4, 3, "showAll");
        EXPECT_EQ(t.child<CGraphicDisplay>("graphicDisplay"), nullptr) << "checked first";
    }
}

// --- copy, paste, speeds -------------------------------------------------------------------

TEST(TablePage, CopiedRowsAndSpreadsheetTextPasteAsSegmentsAndAreCheckedWhenLeaving)
{
    TablePage t(LinesRecord(2));
    t.grid->setRows(7);
    ClickCell(t.grid, 2, 3);
    ClickCell(t.grid, 3, 3, Qt::ShiftModifier);
    t.menu(3, 3, "copyRows");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "1\tStraight line\t\t10\t100\t1000\t10\t-1\t\t\n"
              "2\tStraight line\t\t10\t100\t1000\t20\t-2\t\t\n");
    ClickCell(t.grid, 4, 5);
    QTest::keyClick(t.grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t.row(4), "3|Straight line||10|100|1000|10|-1||");
    EXPECT_EQ(t.row(5), "4|Straight line||10|100|1000|20|-2||");
    // From a spreadsheet: line ends CRLF, the type in other letter case; the
    // grid grows to take the rows.
    QGuiApplication::clipboard()->setText(
        "\tstraight line\t\t5\t6\t7\t100\t0\t\t\r\n"
        "\tCounterclockwise arc\tDesignate center point\t5\t6\t7\t0\t100\t0\t50\r\n");
    t.grid->select(6, 4);
    t.page.OnPasteRows();
    EXPECT_EQ(t.row(6), "5|Straight line||5|6|7|100|0||");
    EXPECT_EQ(t.row(7), "6|Counterclockwise arc|Designate center point|5|6|7|0|100|0|50");
    QGuiApplication::clipboard()->setText("1\tabc\n"); // a narrower block lands at the current cell
    t.grid->select(7, 3);
    t.page.OnPasteRows();
    EXPECT_EQ(t.row(7).section('|', 3, 5), "1|abc|7");
    t.prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(t.prompts.last(),
              "[Segment No:6]Speed (Hz)Initial contains illegal character. Please input again.");
}

TEST(TablePage, PasteObeysTheEditingRulesOrPastesNothing)
{
    const std::tuple<int, int, const char *, const char *> cases[] = {
        // clang-format off
        {4, 0, "\tSpiral\t\t1\t1\t1\t1\t1\t\t\n", "[Segment No:3]Instruction Type: \"Spiral\" is not one of the choices of this column. Nothing was pasted."},
        {5, 1, "Straight line\n", "[Segment No:4]Instruction Type can be chosen only when every row above it holds a segment. Nothing was pasted."},
        {4, 3, "1\t2\n", "[Segment No:3]Acc./Dec. time (ms) cannot be filled in before the row's instruction type is chosen. Nothing was pasted."},
        {3, 6, "1\t2\t3\n", "[Segment No:2]Circle centerX axis stays empty on a straight line. Nothing was pasted."},
        {4, 1, "Straight line\nNo such type\n", "[Segment No:4]Instruction Type: \"No such type\" is not one of the choices of this column. Nothing was pasted."},
        // clang-format on
    };
    for (const auto &[row, col, text, message] : cases) {
        TablePage t(LinesRecord(2));
        t.grid->setRows(8);
        const std::vector<QStringList> before = t.grid->dataRows();
        QGuiApplication::clipboard()->setText(text);
        t.grid->select(row, col);
        t.prompts.answer(QMessageBox::Ok);
        t.page.OnPasteRows();
        EXPECT_EQ(t.prompts.texts(), QStringList{message});
        EXPECT_EQ(t.grid->dataRows(), before) << message;
    }
}

TEST(TablePage, SpeedsAndTimeForTheSelectedRowsAtOnce)
{
    TablePage t(LinesRecord(4));
    t.grid->setRows(7);
    ClickCell(t.grid, 3, 6);
    ClickCell(t.grid, 6, 6, Qt::ShiftModifier); // rows 3 to 5 hold segments, row 6 none
    t.prompts.speeds(ui::SpeedsAndTime{50, 200, 3000});
    t.menu(5, 6, "setSpeeds");
    EXPECT_EQ(t.prompts.last(), "10 100 1000");
    EXPECT_EQ(t.column(3) + ' ' + t.column(4) + ' ' + t.column(5),
              "10|50|50|50| 100|200|200|200| 1000|3000|3000|3000|");
}

// --- from a DXF drawing --------------------------------------------------------------------

TEST(TableImport, ADrawingGoesThroughItsOptionsAndTheImportDialogIntoTheGridAsAbsolute)
{
    ForgetDrawingOptions();
    TablePage t;
    const QString missing = QStringLiteral(POS_TEST_DATA_DIR "/no such drawing.dxf");
    t.prompts.openFile(missing).answer(QMessageBox::Ok);
    t.click("loadDxfButton");
    EXPECT_EQ(t.prompts.last(), "Reading of " + QDir::toNativeSeparators(missing)
                                    + " file failed. Is it already opened or damaged?\n"
                                      "the file cannot be opened: No such file or directory");
    for (const bool first : {true, false}) {
        t.prompts.openFile(kPlate);
        t.click("loadDxfButton");
        auto *options = t.child<CDrawingOptions>("drawingOptions");
        ASSERT_NE(options, nullptr);
        EXPECT_TRUE(options->isModal());
        ASSERT_NE(options->arranged(), nullptr) << "arranged as it opens";
        EXPECT_EQ(Field<QLabel>(options, "drawingUnitValue")->text(), "mm");
        EXPECT_EQ(Field<QListWidget>(options, "layerList")->item(0)->text(), "holes (2)");
        const PosConfig before = options->arranged()->config;
        Field(options, "pulsesSpin")->setValue(first ? 10.0 : 100.0);
        ASSERT_TRUE(Settled(options));
        const PosConfig arranged = options->arranged()->config;
        EXPECT_EQ(arranged.segments.at(2).endX * (first ? 10 : 1),
                  before.segments.at(2).endX * (first ? 1 : 10));
        EXPECT_EQ(options->preview()->primitives().size(), options->arranged()->segments.size());
        Click(options, "okButton");

        auto *import = t.child<CImportDxf>("importDxf");
        ASSERT_NE(import, nullptr);
        EXPECT_EQ(import->grid()->rows() - 2, static_cast<int>(arranged.segments.size()));
        EXPECT_EQ(import->grid()->textMatrix(3, 4), QString::number(arranged.segments.at(2).endX));
        EXPECT_EQ(Marks(import->grid()), Marks(arranged));
        EXPECT_TRUE(Marks(arranged).contains('T')) << "holes are reached by travel moves";
        t.prompts.answer(QMessageBox::Ok); // the begin points go
        if (first)
            t.prompts.answer(QMessageBox::Ok); // the note, only while the mode was not absolute
        import->accept();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(t.prompts.last(),
                  first ? "Drawing coordinates are absolute: the action mode is set to absolute."
                        : QString::fromUtf8(Text(sid::DropBeginPoints)));
        EXPECT_EQ(t.config.actionMode, 1);
        EXPECT_EQ(Marks(t.grid), Marks(arranged));
        ASSERT_TRUE(t.page.CommitTable(false));
        EXPECT_EQ(Marks(t.config), Marks(arranged));
    }
}

TEST(TableImport, CancelInEitherDialogLeavesThePageAndTheOptionsAsTheyWere)
{
    ForgetDrawingOptions();
    TablePage t(LinesRecord(2));
    const std::vector<QStringList> rows = t.grid->dataRows();
    t.prompts.openFile(kPlate).openFile(kPlate).openFile(kPlate);
    t.click("loadDxfButton");
    Field(t.child<CDrawingOptions>("drawingOptions"), "pulsesSpin")->setValue(5);
    Click(t.child<CDrawingOptions>("drawingOptions"), "cancelButton");
    EXPECT_EQ(t.child<CImportDxf>("importDxf"), nullptr);
    t.click("loadDxfButton");
    auto *options = t.child<CDrawingOptions>("drawingOptions");
    EXPECT_EQ(Field(options, "pulsesSpin")->value(), 100.0) << "Cancel remembers nothing";
    Field(options, "startXSpin")->setValue(-20);
    Click(options, "okButton");
    Click(t.child<CImportDxf>("importDxf"), "cancelButton");
    EXPECT_EQ(t.grid->dataRows(), rows);
    EXPECT_EQ(t.config.actionMode, 0);
    t.click("loadDxfButton");
    EXPECT_EQ(Field(t.child<CDrawingOptions>("drawingOptions"), "startXSpin")->value(), -20.0)
        << "OK remembers the options";
    Click(t.child<CDrawingOptions>("drawingOptions"), "cancelButton");
    ForgetDrawingOptions();
}

TEST(DrawingOptions, WhatCannotBeArrangedGreysOkAndTooManySegmentsWarn)
{
    // Layer "far" ends beyond any 32-bit pulse count; layer "dashes" holds
    // 300 short lines apart from each other.
    dxf::Drawing drawing;
    drawing.insUnits = 4;
    drawing.layers = {"far", "dashes"};
    drawing.entities.push_back(dxf::Entity{.layer = 0, .a = {0, 0}, .b = {1e12, 0}});
    for (int i = 0; i < 300; ++i)
        drawing.entities.push_back(dxf::Entity{.layer = 1,
                                               .a = {3.0 * (i % 20), 3.0 * (i / 20)},
                                               .b = {3.0 * (i % 20) + 1, 3.0 * (i / 20)}});
    CDrawingOptions d(drawing);
    d.show();
    const auto *ok = Field<QPushButton>(&d, "okButton");
    const auto *message = Field<QLabel>(&d, "messageLabel");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(d.arranged(), nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_FALSE(message->text().isEmpty());
    EXPECT_TRUE(d.preview()->primitives().empty());

    QListWidget *layers = Field<QListWidget>(&d, "layerList");
    layers->findItems("far (1)", Qt::MatchExactly).front()->setCheckState(Qt::Unchecked);
    ASSERT_TRUE(Settled(&d));
    EXPECT_TRUE(ok->isEnabled());
    ASSERT_NE(d.arranged(), nullptr);
    EXPECT_GT(d.arranged()->report.segments, 256u);
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(message->text().startsWith(
        QStringLiteral("The arranged outline has %1 segments, more than 256: only the first 256 "
                       "are taken.")
            .arg(d.arranged()->report.segments)))
        << message->text().toStdString();

    layers->findItems("dashes (300)", Qt::MatchExactly).front()->setCheckState(Qt::Unchecked);
    ASSERT_TRUE(Settled(&d));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(message->text(), "No layer is chosen: choose at least one.");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Rejected) << "OK takes nothing then";
}

// --- travel rows ---------------------------------------------------------------------

TEST(TravelRows, MarksGoWithTheirRowsAndReachTheSegments)
{
    // Import DXF: straight lines as the reader keys them, the second a travel move.
    PosConfig drawing;
    for (std::uint32_t k = 0; k < 4; ++k)
        drawing.segments[k] = PosSegment{0, kTypeLine, 0, 0, 0, 0, 0, 0, 10 * int(k + 1), 0, 0, 0};
    drawing.segments[1].travel = true;
    {
        ImportDialog d(drawing);
        EXPECT_EQ(Marks(d.grid), "-T--");
        const QModelIndex travel = d.grid->model()->index(1, 4);
        EXPECT_EQ(travel.data(Qt::ToolTipRole).toString(),
                  "Travel move: runs between contours and cuts nothing");
        EXPECT_TRUE(travel.data(Qt::FontRole).value<QFont>().italic());
        EXPECT_FALSE(d.grid->model()->index(0, 4).data(Qt::ToolTipRole).isValid());
        d.menu(3, 4, "moveDown");
        d.menu(4, 4, "reverseCurrent");
        d.put(4, 4, "35"); // an edited row stays what it was
        EXPECT_EQ(Marks(d.grid), "--T-");
        d.prompts.answer(QMessageBox::Ok);
        d.click("okButton");
        EXPECT_EQ(Marks(d.config), "--T-");
    }
    // The table page: rows inserted and deleted around a travel row.
    PosConfig record = LinesRecord(3, 1);
    record.segments[2].travel = true;
    TablePage t(record);
    EXPECT_EQ(Marks(t.grid), "-T-");
    t.menu(3, 5, "insertSection");
    t.prompts.answer(QMessageBox::Yes);
    t.menu(2, 5, "deleteRow");
    EXPECT_EQ(Marks(t.grid), "-T-");
    EXPECT_EQ(t.column(6), "0|20|30");
    t.menu(2, 5, "showAll");
    auto *display = t.child<CGraphicDisplay>("graphicDisplay");
    ASSERT_NE(display, nullptr);
    const auto &drawn = display->display()->primitives();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(std::tuple(drawn[0].travel, drawn[1].travel, drawn[2].travel),
              std::tuple(false, true, false));
    display->close();
    ASSERT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(Marks(t.config), "-T-");
    const PosConfig plain = LinesRecord(3, 1);
    t.page.FillGridFromRecord(&plain);
    EXPECT_EQ(Marks(t.grid), "---") << "a record without travel moves clears the marks";
}

TEST(TablePage, InChinese)
{
    InChinese zh;
    TablePage t(LinesRecord(1));
    EXPECT_EQ(t.row(0).section('|', 0, 4), "段号|指令类型|圆心确定方式|加/减速时间(ms)|速度(Hz)");
    EXPECT_EQ(t.page.CreateContextMenu()->findChild<QAction *>("insertSection")->text(),
              "插入线段(&I)");
    t.put(2, 4, "-1");
    t.prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(t.prompts.last(), "[ 段号1 ]速度(Hz)初始值不允许输入负值，请重新输入");

    QTemporaryDir dir;
    const QString damaged = dir.filePath(QStringLiteral("损坏.dxf"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0,1\n20\n0\n0\nENDSEC\n0\nEOF\n");
    file.close();
    t.prompts.openFile(damaged).answer(QMessageBox::Ok);
    t.click("loadDxfButton");
    EXPECT_EQ(t.prompts.last(),
              "读取" + damaged + "文件失败，请确定是否打开或已破坏\n第8行：“0,1”不是数值");
}

// --- the Import DXF dialog -------------------------------------------------------------

TEST(ImportDxf, ShowsTheRecordWithTheBeginColumnsGrey)
{
    ImportDialog d(Drawing());
    EXPECT_EQ(d.row(2), "1|Clockwise arc|0|0|100|0|0|0");
    EXPECT_EQ(d.row(3), "2|Straight line|100|0|100|100||");
    EXPECT_EQ(d.grid->rows(), 6);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(d.grid->cellForeColor(3, c) == QColor(160, 160, 160), c == 2 || c == 3) << c;
}

TEST(ImportDxf, MenuGreysWhatCannotApply)
{
    // segments, the first row's type emptied, the row clicked, the menu and its greyed items
    const std::tuple<std::size_t, bool, int, const char *> cases[] = {
        // clang-format off
        {4, false, 2, "importMenu moveUp"},
        {4, false, 3, "importMenu"},
        {4, false, 5, "importMenu moveDown"},
        {1, false, 2, "importMenu moveDown moveUp"},
        {4, true, 3, "importMenu moveAll moveCurrent reverseAll reverseCurrent showAll showToCurrent"},
        // clang-format on
    };
    for (const auto &[count, noType, row, menu] : cases) {
        ImportDialog d(Drawing(count));
        if (noType)
            d.put(2, 1, "");
        d.menu(row, 3, "");
        EXPECT_EQ(d.prompts.last(), menu) << row;
    }
}

TEST(ImportDxf, MoveUpAndDownSwapRowsAndReverseSwapsBeginAndEndAndTheDirection)
{
    ImportDialog d(Drawing());
    const std::vector<QStringList> before = d.grid->dataRows();
    d.menu(4, 5, "moveUp");
    EXPECT_EQ(d.column(0) + ' ' + d.column(5), "1|2|3|4 0|200|100|0");
    EXPECT_EQ(std::pair(d.grid->row(), d.grid->col()), std::pair(3, 5)) << "the row stays selected";
    d.menu(3, 2, "moveDown");
    EXPECT_EQ(d.grid->dataRows(), before);
    EXPECT_EQ(d.grid->row(), 4);
    d.menu(4, 2, "reverseCurrent");
    EXPECT_EQ(d.row(4), "3|Clockwise arc|0|200|100|100|0|100");
    EXPECT_EQ(d.grid->dataRows()[3], before[3]) << "only the current line";
    d.menu(2, 2, "reverseAll");
    EXPECT_EQ(d.row(2), "1|Counterclockwise arc|100|0|0|0|0|0");
    EXPECT_EQ(d.row(3), "2|Straight line|100|100|100|0||");
    EXPECT_EQ(d.grid->dataRows()[2], before[2]) << "reversed twice";
}

TEST(ImportDxf, CoordinateMoveShiftsThePointsAndArcCentres)
{
    ImportDialog d(Drawing());
    d.prompts.moveBy(std::nullopt).moveBy(QPoint(10, -5)).moveBy(QPoint(-1, 2));
    d.menu(2, 1, "moveAll"); // cancelled
    d.menu(2, 1, "moveAll");
    EXPECT_EQ(d.row(3), "2|Straight line|110|-5|110|95||");
    EXPECT_EQ(d.row(4), "3|Counterclockwise arc|110|95|10|195|10|95");
    d.menu(4, 1, "moveCurrent");
    EXPECT_EQ(d.row(4), "3|Counterclockwise arc|109|97|9|197|9|97");
    EXPECT_EQ(d.row(3), "2|Straight line|110|-5|110|95||") << "only the current line";
    d.put(3, 2, "x7");
    d.put(4, 6, "2147483647");
    d.prompts.moveBy(QPoint(3, 4));
    d.menu(2, 1, "moveAll");
    EXPECT_EQ(d.cell(3, 2), "3") << "a cell without a number counts as 0";
    EXPECT_EQ(d.cell(4, 6), "2147483650") << "no wrap-around: OK refuses what does not fit";
}

TEST(ImportDxf, OkAsksChecksAndRewritesTheRecordKeyedFromOne)
{
    ImportDialog d(Drawing());
    d.put(4, 2, "999"); // an arc's own begin point takes no part
    d.prompts.answer(QMessageBox::Cancel).answer(QMessageBox::Ok);
    d.click("okButton");
    EXPECT_TRUE(d.dialog.isVisible()) << "Cancel keeps the dialog";
    EXPECT_EQ(d.config.segments, Drawing().segments);
    d.click("okButton");
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    SegmentMap expected;
    for (const auto &[key, s] : Drawing().segments)
        expected[key + 1] = PosSegment{key + 1, s.type, kCentrePoint, 0,      0,         0,
                                       0,       0,      s.endX,       s.endY, s.centreX, s.centreY};
    EXPECT_EQ(d.config.segments, expected);
}

TEST(ImportDxf, OkRefusesACellOrAnArcWithItSelected)
{
    const std::tuple<int, int, const char *, const char *> cases[] = {
        // clang-format off
        {3, 2, "5-", "[Segment No:2]BeginningX axis is invalid. Please input again"},
        {4, 6, "100", "[Segment No:3] The input data cannot generate an arc. Please input again."},
        // clang-format on
    };
    for (const auto &[row, col, text, message] : cases) {
        ImportDialog d(Drawing());
        d.put(row, col, text);
        d.prompts.answer(QMessageBox::Ok).answer(QMessageBox::Ok);
        d.click("okButton");
        EXPECT_EQ(d.prompts.last(), message);
        EXPECT_EQ(std::pair(d.grid->row(), d.grid->col()), std::pair(row, col));
        EXPECT_EQ(d.config.segments, Drawing().segments);
    }
}

TEST(ImportDxf, DeleteAsksAndRenumbersAndCancelLeavesTheRecordAsRead)
{
    ImportDialog d(Drawing());
    d.prompts.answer(QMessageBox::No).answer(QMessageBox::Yes);
    d.menu(3, 1, "deleteRow");
    EXPECT_EQ(d.grid->rows(), 6) << "No keeps the row";
    d.menu(3, 1, "deleteRow");
    EXPECT_EQ(d.column(0) + ' ' + d.column(5), "1|2|3 0|200|0");
    EXPECT_EQ(d.prompts.defaults(), std::vector(2, QMessageBox::No)) << "Enter keeps the row";
    d.click("cancelButton");
    EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(d.config.segments, Drawing().segments);
}

TEST(ImportDxf, InChinese)
{
    InChinese zh;
    ImportDialog d(Drawing());
    EXPECT_EQ(d.row(0).section('|', 2), "起点|起点|终点|终点|圆心|圆心");
    EXPECT_EQ(d.dialog.CreateContextMenu()->findChild<QAction *>("moveUp")->text(), "向上移动(&U)");
    d.prompts.answer(QMessageBox::Cancel);
    d.dialog.accept();
    EXPECT_EQ(d.prompts.last(), "导入后所有线段的起点坐标信息会被抛弃，是否确认操作？");
}

// --- the small dialogs ---------------------------------------------------------------

TEST(CoordinateMove, TakesWholeNumbersOfEightCharactersAtMost)
{
    const std::tuple<const char *, const char *, std::optional<QPoint>, const char *> cases[] = {
        // clang-format off
        {"10", "-5", QPoint(10, -5), nullptr},
        {" 7 ", "1.5", std::nullopt, "yEdit"},
        {"123456789", "-12345678", QPoint(12345678, -1234567), nullptr},
        // clang-format on
    };
    for (const auto &[x, y, taken, refused] : cases) {
        CCoordinateMove dialog;
        dialog.show();
        dialog.findChild<QLineEdit *>("xEdit")->setText(x);
        dialog.findChild<QLineEdit *>("yEdit")->setText(y);
        ScriptedPrompter prompts;
        if (refused)
            prompts.answer(QMessageBox::Ok);
        QTest::mouseClick(dialog.findChild<QPushButton *>("okButton"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), taken ? QDialog::Accepted : QDialog::Rejected) << x << y;
        EXPECT_EQ(QPoint(dialog.xDisplacement(), dialog.yDisplacement()), taken.value_or(QPoint()));
        EXPECT_TRUE(!refused || dialog.focusWidget() == dialog.findChild<QLineEdit *>(refused));
    }
}

TEST(SetSpeeds, TakesTheValuesWhenEachPassesTheNumberRule)
{
    CSetSpeeds dialog;
    dialog.setValues({1, 2, 3});
    dialog.show();
    dialog.findChild<QLineEdit *>("maxSpeedEdit")->setText("1e3");
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    QTest::mouseClick(dialog.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    EXPECT_EQ(prompts.last(), "Maximum speed (Hz) contains illegal character. Please input again.");
    EXPECT_EQ(dialog.focusWidget(), dialog.findChild<QLineEdit *>("maxSpeedEdit"));
    dialog.findChild<QLineEdit *>("accDecTimeEdit")->setText("100");
    dialog.findChild<QLineEdit *>("maxSpeedEdit")->setText("4294967295");
    QTest::mouseClick(dialog.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values(), (ui::SpeedsAndTime{100, 2, 4294967295u}));
}

TEST(SmallDialogs, InChinese)
{
    InChinese zh;
    EXPECT_EQ(CGraphicDisplay(0).windowTitle(), "轨迹图形显示");
    const CDrawingOptions options{dxf::Drawing{}};
    EXPECT_EQ(Field<QLabel>(&options, "drawingUnitValue")->text(), "未给出：按毫米处理");
    CCoordinateMove move;
    EXPECT_EQ(move.findChild<QLabel *>("xLabel")->text(), "X轴位移量：");
    CSetSpeeds speeds;
    speeds.findChild<QLineEdit *>("accDecTimeEdit")->clear();
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    speeds.accept();
    EXPECT_EQ(prompts.last(), "加/减速时间(ms)为空，请输入一个整数")
        << "the field named without its mnemonic and colon";
}
