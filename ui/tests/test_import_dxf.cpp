// The Import DXF dialog on real drawings, and the table page's way to it:
// the fill, the editing rules, the context menu with its greyed items, the
// commands (delete, move up and down, reverse, coordinate move, display),
// the checks and OK and Cancel.

#include "TablePageFixture.h"

#include "controls/CGraphicShow.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CImportDxf.h"
#include "geometry/DxfReader.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

using namespace pos;
using namespace pos::test;

namespace {

const QString kLine = QStringLiteral("Straight line");
const QString kCw = QStringLiteral("Clockwise arc");
const QString kCcw = QStringLiteral("Counterclockwise arc");

// A drawing of testdata/dxf, or of testdata/table for "table/NAME".
QString Drawing(const char *name)
{
    const QString file = QLatin1String(name);
    if (file.startsWith(QLatin1String("table/")))
        return QStringLiteral(POS_TEST_DATA_DIR "/") + file;
    return QStringLiteral(POS_TEST_DATA_DIR "/dxf/") + file;
}

std::unique_ptr<PosConfig> Read(const char *name)
{
    Result<PosConfig> record = CDxfReader().ReadDxfFile(Drawing(name).toStdString());
    EXPECT_TRUE(record) << name;
    return record ? std::make_unique<PosConfig>(*record) : nullptr;
}

// A record as the reader makes them (keys from 0, begin points filled).
PosConfig Record(const std::vector<PosSegment> &segments)
{
    PosConfig record;
    for (std::size_t k = 0; k < segments.size(); ++k)
        record.segments[static_cast<std::uint32_t>(k)] = segments[k];
    return record;
}

PosSegment Seg(int type, std::int32_t bx, std::int32_t by, std::int32_t ex, std::int32_t ey,
               std::int32_t cx = 0, std::int32_t cy = 0)
{
    PosSegment s;
    s.type = type;
    s.beginX = bx;
    s.beginY = by;
    s.endX = ex;
    s.endY = ey;
    s.centreX = cx;
    s.centreY = cy;
    return s;
}

// Five joined segments: a square's four sides and an arc back to the start.
PosConfig FiveSegments()
{
    return Record({Seg(kTypeLine, 0, 0, 100, 0), Seg(kTypeLine, 100, 0, 100, 100),
                   Seg(kTypeCcw, 100, 100, 0, 200, 0, 100), Seg(kTypeLine, 0, 200, 0, 150),
                   Seg(kTypeLine, 0, 150, 0, 0)});
}

struct ImportDialog
{
    explicit ImportDialog(PosConfig record)
        : config(std::move(record))
        , dialog(&config)
    {
        show();
    }
    explicit ImportDialog(std::unique_ptr<PosConfig> record)
        : config(record ? *record : PosConfig())
        , dialog(&config)
    {
        show();
    }

    void show()
    {
        dialog.resize(760, 420);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        grid()->setFocus();
    }

    CVSFlexGrid *grid() const { return dialog.grid(); }
    QString cell(int row, int col) const { return grid()->textMatrix(row, col); }
    QStringList row(int r) const { return RowTexts(grid(), r); }

    MenuState menuAt(int r, int c, const QStringList &path = {})
    {
        bool shown = false;
        MenuState state = UseMenu([&] { RightClickCell(grid(), r, c); }, path, &shown);
        EXPECT_TRUE(shown) << "no context menu at " << r << "," << c;
        return state;
    }
    MenuState menuOnHeader(const QStringList &path = {})
    {
        bool shown = false;
        MenuState state = UseMenu([&] { RightClickHeader(grid(), 1, 3); }, path, &shown);
        EXPECT_TRUE(shown);
        return state;
    }

    void clickOk()
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("okButton")),
                          Qt::LeftButton);
    }

    PosConfig config;
    CImportDxf dialog;
};

QStringList Numbers(std::initializer_list<std::int64_t> values)
{
    QStringList out;
    for (const std::int64_t v : values)
        out << QString::number(v);
    return out;
}

} // namespace

// --- the fill ------------------------------------------------------------------------------

class ImportFill : public ::testing::TestWithParam<const char *>
{};

TEST_P(ImportFill, ShowsEverySegmentOfTheDrawing)
{
    const std::unique_ptr<PosConfig> record = Read(GetParam());
    ASSERT_TRUE(record);
    ImportDialog d(std::make_unique<PosConfig>(*record));
    const std::size_t n = record->segments.size();
    ASSERT_EQ(d.grid()->rows(), static_cast<int>(n) + 2);
    for (std::size_t k = 0; k < n; ++k) {
        const PosSegment &s = record->segments.at(static_cast<std::uint32_t>(k));
        const int r = static_cast<int>(k) + 2;
        const QString type = s.type == kTypeLine ? kLine : s.type == kTypeCw ? kCw : kCcw;
        QStringList expected = QStringList{QString::number(k + 1), type}
                               + Numbers({s.beginX, s.beginY, s.endX, s.endY});
        if (s.type == kTypeLine)
            expected << QString() << QString();
        else
            expected << Numbers({s.centreX, s.centreY});
        EXPECT_EQ(d.row(r), expected) << GetParam() << " row " << r;
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(d.grid()->cellForeColor(r, c),
                      (c == 2 || c == 3) ? QColor(160, 160, 160) : QColor())
                << "begin columns grey, row " << r << " column " << c;
    }
    EXPECT_EQ(d.config.segments, record->segments) << "the record is untouched until OK";
}

// Drawings of LINEs, of LINEs and ARCs (mirrored: clockwise arcs), of
// bulged polylines, and a lone arc in its own plane.
INSTANTIATE_TEST_SUITE_P(Drawings, ImportFill,
                         ::testing::Values("cadman_no_header.dxf", "ac1003_lines_arcs.dxf",
                                           "ezdxf_exploded_mirror.dxf", "librecad_lwpoly_bulge.dxf",
                                           "arc_ocs_entities_only.dxf"));

TEST(ImportDxf, ClockwiseArcsReadAsClockwise)
{
    ImportDialog d(Read("ezdxf_exploded_mirror.dxf"));
    // Key 7 is a clockwise arc from (-50, 30) to (-50, 40) about (-50, 35).
    EXPECT_EQ(d.row(9),
              (QStringList{QStringLiteral("8"), kCw} + Numbers({-50, 30, -50, 40, -50, 35})));
    EXPECT_EQ(d.cell(3, 1), kCcw);
}

TEST(ImportDxf, HeaderRowsAndList)
{
    ImportDialog d(FiveSegments());
    EXPECT_EQ(d.dialog.windowTitle(), QStringLiteral("Import DXF File"));
    EXPECT_EQ(RowTexts(d.grid(), 0),
              (QStringList{QStringLiteral("Segment No."), QStringLiteral("Instruction Type"),
                           QStringLiteral("Beginning"), QStringLiteral("Beginning"),
                           QStringLiteral("End"), QStringLiteral("End"),
                           QStringLiteral("Circle center"), QStringLiteral("Circle center")}));
    EXPECT_EQ(RowTexts(d.grid(), 1),
              (QStringList{QStringLiteral("Segment No."), QStringLiteral("Instruction Type"),
                           QStringLiteral("X axis"), QStringLiteral("Y axis"),
                           QStringLiteral("X axis"), QStringLiteral("Y axis"),
                           QStringLiteral("X axis"), QStringLiteral("Y axis")}));
    EXPECT_EQ(d.grid()->colComboList(1), (QStringList{kLine, kCw, kCcw}));
    EXPECT_EQ(d.grid()->columnWidth(1), d.grid()->twipsToPixels(1500));
}

TEST(ImportDxf, MoreThan256SegmentsAreCutWithAMessage)
{
    std::vector<PosSegment> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(Seg(kTypeLine, i, 0, i + 1, 0));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    ImportDialog d(Record(many));
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("The number of the segment has reached the upper limit "
                                         "[256], new step cannot be added.")});
    EXPECT_EQ(d.grid()->rows(), 258);
    EXPECT_EQ(d.cell(257, 0), QStringLiteral("256"));
    EXPECT_EQ(d.cell(257, 5), QStringLiteral("0"));
}

TEST(ImportDxf, EmptyOrMissingRecordShowsOnlyTheHeader)
{
    ImportDialog d(PosConfig{});
    EXPECT_EQ(d.grid()->rows(), 2);
    CImportDxf none(nullptr);
    EXPECT_EQ(none.grid()->rows(), 3) << "the set-up's one empty row";
}

// --- editing rules --------------------------------------------------------------------------

TEST(ImportDxf, EditingRules)
{
    ImportDialog d(FiveSegments());
    CVSFlexGrid *g = d.grid();
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(EditStarts(g, 2, c), c < 6 && c != 0) << "straight line, column " << c;
        EXPECT_EQ(EditStarts(g, 4, c), c != 0) << "arc, column " << c;
    }
    ASSERT_TRUE(PickFromList(g, 4, 1, 0)); // the arc becomes a straight line
    EXPECT_EQ(d.row(4).mid(6), (QStringList{QString(), QString()}));
    ASSERT_TRUE(PickFromList(g, 4, 1, 1)); // and a clockwise arc again
    EXPECT_EQ(d.row(4).mid(6), (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    TypeIntoCell(g, 4, 6, QStringLiteral("7"));
    ASSERT_TRUE(PickFromList(g, 4, 1, 2));
    EXPECT_EQ(d.row(4).mid(6), (QStringList{QStringLiteral("7"), QStringLiteral("0")}));
    TypeIntoCell(g, 3, 2, QStringLiteral("-9"));
    EXPECT_EQ(d.cell(3, 2), QStringLiteral("-9")) << "the begin columns may be edited";
}

// --- context menu -------------------------------------------------------------------------

TEST(ImportDxf, ContextMenuReadsAsTheImportMenu)
{
    ImportDialog d(FiveSegments());
    EXPECT_EQ(
        d.menuAt(3, 3).texts,
        (QStringList{QStringLiteral("&Delete Row"), QStringLiteral("-"),
                     QStringLiteral("Coordinate &Move"), QStringLiteral("  &Current Line"),
                     QStringLiteral("  &All Lines"), QStringLiteral("&Reverse Graphic"),
                     QStringLiteral("  &Current Line"), QStringLiteral("  &All Lines"),
                     QStringLiteral("-"), QStringLiteral("Move &Up"), QStringLiteral("Move D&own"),
                     QStringLiteral("-"), QStringLiteral("&Graphic Locus Display"),
                     QStringLiteral("  To &Current Row"), QStringLiteral("  &All Rows")}));
    const std::unique_ptr<QMenu> menu = d.dialog.CreateContextMenu();
    std::map<QString, int> ids;
    for (QAction *a : menu->findChildren<QAction *>())
        if (a->data().isValid())
            ids[a->objectName()] = a->data().toInt();
    EXPECT_EQ(ids, (std::map<QString, int>{{QStringLiteral("deleteRow"), 32780},
                                           {QStringLiteral("moveCurrent"), 32791},
                                           {QStringLiteral("moveAll"), 32792},
                                           {QStringLiteral("reverseCurrent"), 32787},
                                           {QStringLiteral("reverseAll"), 32788},
                                           {QStringLiteral("moveUp"), 32783},
                                           {QStringLiteral("moveDown"), 32784},
                                           {QStringLiteral("showToCurrent"), 32785},
                                           {QStringLiteral("showAll"), 32786}}));
}

TEST(ImportDxf, ContextMenuGreysWhatCannotApply)
{
    const QStringList all = {QStringLiteral("deleteRow"),  QStringLiteral("moveCurrent"),
                             QStringLiteral("moveAll"),    QStringLiteral("reverseCurrent"),
                             QStringLiteral("reverseAll"), QStringLiteral("moveUp"),
                             QStringLiteral("moveDown"),   QStringLiteral("showToCurrent"),
                             QStringLiteral("showAll")};
    struct Case
    {
        const char *state;
        int segments; // of FiveSegments, from the first
        int clickRow; // 1: on the header
        QStringList grey;
    } cases[] = {
        {"only the header rows", 0, 1, all},
        {"first row", 5, 2, {QStringLiteral("moveUp")}},
        {"middle row", 5, 4, {}},
        {"last row", 5, 6, {QStringLiteral("moveDown")}},
        {"a single row", 1, 2, {QStringLiteral("moveUp"), QStringLiteral("moveDown")}},
    };
    for (const Case &c : cases) {
        PosConfig record = FiveSegments();
        while (static_cast<int>(record.segments.size()) > c.segments)
            record.segments.erase(std::prev(record.segments.end()));
        ImportDialog d(record);
        const MenuState state = c.clickRow >= 2 ? d.menuAt(c.clickRow, 3) : d.menuOnHeader();
        for (const QString &name : all)
            EXPECT_EQ(state.enabled.at(name), !c.grey.contains(name))
                << c.state << ": " << name.toStdString();
    }
}

TEST(ImportDxf, AnEmptyTypeInTheFirstRowGreysTheRowCommands)
{
    ImportDialog d(FiveSegments());
    d.grid()->setTextMatrix(2, 1, QString());
    const MenuState state = d.menuAt(3, 3);
    for (const char *name :
         {"showToCurrent", "showAll", "reverseCurrent", "reverseAll", "moveCurrent", "moveAll"})
        EXPECT_FALSE(state.enabled.at(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(state.enabled.at(QStringLiteral("deleteRow")));
}

// --- commands -----------------------------------------------------------------------------

TEST(ImportDxf, DeletingTheThirdOfFiveRenumbersTheRest)
{
    ImportDialog d(FiveSegments());
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::No).answer(QMessageBox::Yes);
    d.menuAt(4, 1, {QStringLiteral("deleteRow")});
    EXPECT_EQ(d.grid()->rows(), 7) << "No keeps the row";
    d.menuAt(4, 1, {QStringLiteral("deleteRow")});
    ASSERT_EQ(d.grid()->rows(), 6);
    EXPECT_EQ(prompts.last().text, QStringLiteral("Are you sure to remove this row?"));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(prompts.last().icon, QMessageBox::Question);
    const QStringList ends
        = {QStringLiteral("0"), QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("0")};
    for (int r = 2; r < 6; ++r) {
        EXPECT_EQ(d.cell(r, 0), QString::number(r - 1));
        EXPECT_EQ(d.cell(r, 5), ends[r - 2]) << "order kept, row " << r;
    }
}

TEST(ImportDxf, ReverseSwapsBeginAndEndAndTheDirection)
{
    ImportDialog d(
        Record({Seg(kTypeLine, 0, 0, 150, 100), Seg(kTypeCcw, 150, 100, 100, 150, 100, 100)}));
    const QStringList arc = d.row(3);
    d.menuAt(3, 2, {QStringLiteral("reverseMenu"), QStringLiteral("reverseCurrent")});
    EXPECT_EQ(d.row(3),
              (QStringList{QStringLiteral("2"), kCw} + Numbers({100, 150, 150, 100, 100, 100})));
    d.menuAt(3, 2, {QStringLiteral("reverseMenu"), QStringLiteral("reverseCurrent")});
    EXPECT_EQ(d.row(3), arc) << "twice restores the row";
    d.menuAt(2, 2, {QStringLiteral("reverseMenu"), QStringLiteral("reverseAll")});
    EXPECT_EQ(d.row(2), (QStringList{QStringLiteral("1"), kLine} + Numbers({150, 100, 0, 0})
                         + QStringList{QString(), QString()}));
    EXPECT_EQ(d.row(3),
              (QStringList{QStringLiteral("2"), kCw} + Numbers({100, 150, 150, 100, 100, 100})))
        << "all lines reversed, rows in the same order";
}

TEST(ImportDxf, CoordinateMoveShiftsPointsAndArcCentres)
{
    ImportDialog d(
        Record({Seg(kTypeLine, 0, 0, 150, 100), Seg(kTypeCcw, 150, 100, 100, 150, 100, 100),
                Seg(kTypeCw, 100, 150, 50, 100, 100, 100)}));
    ScriptedPrompter prompts;
    prompts.cancelMove().moveBy(10, -5).moveBy(-1, 2);
    const std::vector<QStringList> before = d.grid()->dataRows();
    d.menuAt(2, 1, {QStringLiteral("moveMenu"), QStringLiteral("moveAll")});
    EXPECT_EQ(d.grid()->dataRows(), before) << "Cancel changes nothing";
    d.menuAt(2, 1, {QStringLiteral("moveMenu"), QStringLiteral("moveAll")});
    EXPECT_EQ(d.row(2), (QStringList{QStringLiteral("1"), kLine} + Numbers({10, -5, 160, 95})
                         + QStringList{QString(), QString()}));
    EXPECT_EQ(d.row(3),
              (QStringList{QStringLiteral("2"), kCcw} + Numbers({160, 95, 110, 145, 110, 95})));
    EXPECT_EQ(d.row(4),
              (QStringList{QStringLiteral("3"), kCw} + Numbers({110, 145, 60, 95, 110, 95})));
    d.menuAt(3, 1, {QStringLiteral("moveMenu"), QStringLiteral("moveCurrent")});
    EXPECT_EQ(d.row(3),
              (QStringList{QStringLiteral("2"), kCcw} + Numbers({159, 97, 109, 147, 109, 97})));
    EXPECT_EQ(d.row(2).mid(2, 4), Numbers({10, -5, 160, 95})) << "only the current line";
    EXPECT_EQ(prompts.seen().size(), 3u);
    EXPECT_EQ(prompts.last().kind, ScriptedPrompter::Kind::CoordinateMove);
}

TEST(ImportDxf, CoordinateMoveCountsCellsWithoutANumberAsZero)
{
    ImportDialog d(Record({Seg(kTypeLine, 0, 0, 1, 1), Seg(kTypeCcw, 1, 1, 2, 2, 0, 0)}));
    d.grid()->setTextMatrix(2, 2, QString());
    d.grid()->setTextMatrix(2, 3, QStringLiteral("x7"));
    d.grid()->setTextMatrix(2, 4, QStringLiteral("12abc"));
    d.grid()->setTextMatrix(3, 6, QStringLiteral("2147483647"));
    ScriptedPrompter prompts;
    prompts.moveBy(3, 4);
    d.menuAt(2, 1, {QStringLiteral("moveMenu"), QStringLiteral("moveAll")});
    EXPECT_EQ(d.row(2).mid(2, 3), Numbers({3, 4, 15}));
    EXPECT_EQ(d.cell(3, 6), QStringLiteral("2147483650")) << "no wrap-around";
    // The check refuses what no longer fits.
    prompts.answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    d.clickOk();
    EXPECT_EQ(prompts.last().text,
              QStringLiteral("[Segment No:2]Circle centerX axis is invalid. Please input again"));
}

TEST(ImportDxf, MoveUpAndDownSwapRowsButNotTheirNumbers)
{
    ImportDialog d(FiveSegments());
    const QStringList second = d.row(3);
    const QStringList third = d.row(4);
    d.menuAt(4, 5, {QStringLiteral("moveUp")});
    EXPECT_EQ(d.row(3).mid(1), third.mid(1));
    EXPECT_EQ(d.row(4).mid(1), second.mid(1));
    EXPECT_EQ(d.cell(3, 0), QStringLiteral("2"));
    EXPECT_EQ(d.cell(4, 0), QStringLiteral("3"));
    EXPECT_EQ(d.grid()->row(), 3) << "the moved row stays selected";
    EXPECT_EQ(d.grid()->col(), 5);
    d.menuAt(3, 2, {QStringLiteral("moveDown")});
    EXPECT_EQ(d.row(3), second);
    EXPECT_EQ(d.row(4), third);
    EXPECT_EQ(d.grid()->row(), 4);
    EXPECT_EQ(d.grid()->cellForeColor(3, 2), QColor(160, 160, 160))
        << "colours stay with the cells";
}

// --- checks and OK -----------------------------------------------------------------------------

TEST(ImportDxf, OkDropsTheBeginPointsAndRebuildsTheSegments)
{
    ImportDialog d(FiveSegments());
    // Begin points that do not join count for nothing.
    d.grid()->setTextMatrix(5, 2, QStringLiteral("999"));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Cancel).answer(QMessageBox::Ok);
    d.clickOk();
    EXPECT_TRUE(d.dialog.isVisible()) << "Cancel keeps the dialog";
    EXPECT_EQ(d.config.segments, FiveSegments().segments);
    d.clickOk();
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(d.dialog.isVisible());
    EXPECT_EQ(prompts.texts(), (QStringList(2, QStringLiteral("All start points will be discarded "
                                                              "after import, are you sure?"))));
    EXPECT_EQ(prompts.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    SegmentMap expected;
    const PosConfig five = FiveSegments();
    for (const auto &[key, s] : five.segments) {
        PosSegment e;
        e.number = key + 1;
        e.type = s.type;
        e.endX = s.endX;
        e.endY = s.endY;
        e.centreX = s.centreX;
        e.centreY = s.centreY;
        expected[key + 1] = e;
    }
    EXPECT_EQ(d.config.segments, expected);
}

TEST(ImportDxf, DestroyedWhileACellIsEdited)
{
    auto d = std::make_unique<ImportDialog>(FiveSegments());
    ClickCell(d->grid(), 3, 4);
    QTest::keyClicks(d->grid(), QStringLiteral("9"));
    ASSERT_NE(OpenEditor(d->grid()), nullptr);
    d.reset();
}

TEST(ImportDxf, CancelLeavesTheRecordAsRead)
{
    ImportDialog d(FiveSegments());
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Yes);
    d.menuAt(2, 1, {QStringLiteral("deleteRow")});
    d.menuAt(2, 1, {QStringLiteral("reverseMenu"), QStringLiteral("reverseAll")});
    QTest::mouseClick(d.dialog.findChild<QPushButton *>(QStringLiteral("cancelButton")),
                      Qt::LeftButton);
    EXPECT_EQ(d.dialog.result(), QDialog::Rejected);
    EXPECT_EQ(d.config.segments, FiveSegments().segments);
}

struct ImportCheckCase
{
    const char *name;
    int row, col;
    const char *text;
    const char *message; // null: accepted
};

void PrintTo(const ImportCheckCase &c, std::ostream *os)
{
    *os << c.name;
}

class ImportChecks : public ::testing::TestWithParam<ImportCheckCase>
{};

TEST_P(ImportChecks, OkChecksEveryRow)
{
    const ImportCheckCase c = GetParam();
    ImportDialog d(FiveSegments());
    if (c.row >= 2)
        d.grid()->setTextMatrix(c.row, c.col, QString::fromUtf8(c.text));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    if (c.message)
        prompts.answer(QMessageBox::Ok);
    d.clickOk();
    if (!c.message) {
        EXPECT_EQ(d.dialog.result(), QDialog::Accepted) << c.name;
        return;
    }
    EXPECT_TRUE(d.dialog.isVisible());
    EXPECT_EQ(prompts.last().text, QString::fromUtf8(c.message));
    EXPECT_EQ(d.grid()->row(), c.row) << "the cell at fault is selected";
    EXPECT_EQ(d.grid()->col(), c.col);
    EXPECT_EQ(d.config.segments, FiveSegments().segments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportChecks,
    ::testing::Values(
        ImportCheckCase{"MinusAlone", 3, 2, "-", nullptr},
        ImportCheckCase{"NegativeBegin", 3, 3, "-12", nullptr},
        ImportCheckCase{"DigitThenMinus", 3, 2, "5-",
                        "[Segment No:2]BeginningX axis is invalid. Please input again"},
        ImportCheckCase{
            "Blank", 5, 3, "1 2",
            "[Segment No:4]BeginningY axis contains illegal character. Please input again."},
        ImportCheckCase{"EmptyBegin", 2, 2, "",
                        "[Segment No:1]BeginningX axis is null. Please input an integer"},
        ImportCheckCase{"EmptyEnd", 6, 5, "",
                        "[Segment No:5]EndY axis is null. Please input an integer"},
        ImportCheckCase{"EmptyCentreOfAnArc", 4, 7, "",
                        "[Segment No:3]Circle centerY axis is null. Please input an integer"},
        ImportCheckCase{"TooLarge", 2, 4, "2147483648",
                        "[Segment No:1]EndX axis is invalid. Please input again"},
        ImportCheckCase{"Smallest", 6, 2, "-2147483648", nullptr},
        // The arc of row 4 is checked against the end of row 3, not against
        // its own begin columns.
        ImportCheckCase{"ArcIgnoresItsOwnBegin", 4, 2, "-7777", nullptr},
        ImportCheckCase{
            "ArcCentreOnThePreviousEnd", 4, 6, "100",
            "[Segment No:3] The input data cannot generate an arc. Please input again."}),
    [](const ::testing::TestParamInfo<ImportCheckCase> &param) {
        return std::string(param.param.name);
    });

TEST(ImportDxf, ArcOffItsCircleOffersTheChooser)
{
    // Row 3 ends at (100, 100); the arc about (0, 100) is entered to (0, 150).
    PosConfig record = FiveSegments();
    record.segments[2].endY = 150;
    ImportDialog d(record);
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok).chooseArc(1);
    d.clickOk();
    EXPECT_TRUE(d.dialog.isVisible());
    ASSERT_EQ(prompts.seen().size(), 2u);
    EXPECT_EQ(prompts.last().kind, ScriptedPrompter::Kind::ArcChoice);
    EXPECT_EQ(
        prompts.last().text,
        QStringLiteral("[Segment No:3]\nCenter(0, 100)  Beginning(100, 100)  End(0, 150)\nThe "
                       "end point does not exist on the specified arc. Please choose one from "
                       "the following two options, or input again\n[End(X) = 0, End(Y) = "
                       "200]\n[End(X) = 0, End(Y) = 0]"));
    EXPECT_EQ(d.row(4).mid(4, 2), Numbers({0, 0})) << "the second candidate";
    EXPECT_EQ(d.config.segments, record.segments);
    prompts.answer(QMessageBox::Ok);
    d.clickOk();
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
}

TEST(ImportDxf, AnArcInTheFirstRowIsNeverChecked)
{
    ImportDialog d(Record({Seg(kTypeCw, 5, 5, 9, 9, 5, 5), Seg(kTypeLine, 9, 9, 0, 0)}));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    d.clickOk();
    EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
}

TEST(ImportDxf, OkOnAnEmptyTableSaysSo)
{
    ImportDialog d(PosConfig{});
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok).answer(QMessageBox::Ok);
    d.clickOk();
    EXPECT_EQ(prompts.last().text, QStringLiteral("No data in the table, Please input again"));
    EXPECT_TRUE(d.dialog.isVisible());
}

// --- display ------------------------------------------------------------------------------------

TEST(ImportDxf, DisplayShowsTheDrawingInAbsoluteCoordinates)
{
    ImportDialog d(FiveSegments());
    for (const auto &[item, count] : {std::pair{"showToCurrent", 3}, std::pair{"showAll", 5}}) {
        d.menuAt(4, 1, {QStringLiteral("graphicMenu"), QString::fromLatin1(item)});
        auto *display = d.dialog.findChild<CGraphicDisplay *>(QStringLiteral("graphicDisplay"));
        ASSERT_NE(display, nullptr) << item;
        EXPECT_TRUE(display->isModal());
        ASSERT_EQ(display->count(), count);
        const CGraphicDisplay::Arrays &a = display->arrays();
        EXPECT_EQ(a.type[2], kTypeCcw);
        EXPECT_EQ(a.centreX[2], 0);
        EXPECT_EQ(a.centreY[2], 100);
        EXPECT_EQ(a.beginX, std::vector<std::int32_t>(static_cast<std::size_t>(count), 0));
        const auto &drawn = display->display()->primitives();
        ASSERT_EQ(drawn.size(), static_cast<std::size_t>(count));
        EXPECT_EQ(drawn[2].end.x, 0.0);
        EXPECT_EQ(drawn[2].end.y, 200.0) << "absolute: the end point as drawn";
        EXPECT_EQ(drawn[2].kind, PrimitiveKind::Arc);
        display->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// --- from the table page ----------------------------------------------------------------------

TEST(TableImport, LoadsADrawingIntoTheGridAfterOk)
{
    TablePage t;
    ScriptedPrompter prompts;
    prompts.openFile(Drawing("table/line_and_arcs.dxf"));
    QTest::mouseClick(t.page.findChild<QPushButton *>(QStringLiteral("loadDxfButton")),
                      Qt::LeftButton);
    ASSERT_EQ(prompts.seen().size(), 1u);
    EXPECT_EQ(prompts.last().kind, ScriptedPrompter::Kind::OpenFile);
    EXPECT_EQ(prompts.last().text, QStringLiteral("DXF Files (*.DXF *.dxf)"));
    auto *import = t.page.findChild<CImportDxf *>(QStringLiteral("importDxf"));
    ASSERT_NE(import, nullptr);
    EXPECT_TRUE(import->isVisible());
    EXPECT_TRUE(import->isModal());
    EXPECT_EQ(t.grid()->rows(), 6) << "nothing taken over yet";
    prompts.answer(QMessageBox::Ok);
    import->accept();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(t.page.findChild<CImportDxf *>(), nullptr);
    ASSERT_EQ(t.grid()->rows(), 6);
    const QString zero = QStringLiteral("0");
    const QString centre = QStringLiteral("Designate center point");
    EXPECT_EQ(t.row(2), (QStringList{QStringLiteral("1"), kLine, QString(), zero, zero, zero}
                         + Numbers({100, 0}) + QStringList{QString(), QString()}));
    EXPECT_EQ(t.row(3), (QStringList{QStringLiteral("2"), kCcw, centre, zero, zero, zero}
                         + Numbers({100, 100, 100, 50})));
    EXPECT_EQ(t.row(4), (QStringList{QStringLiteral("3"), kCw, centre, zero, zero, zero}
                         + Numbers({100, 200, 100, 150})));
    EXPECT_EQ(t.row(5), (QStringList{QStringLiteral("4"), kLine, QString(), zero, zero, zero}
                         + Numbers({0, 200}) + QStringList{QString(), QString()}));
    EXPECT_TRUE(t.config.segments.empty()) << "the wizard's record waits for the page to be left";
}

TEST(TableImport, CancelLeavesTheGridAlone)
{
    TablePage t(LinesRecord(2));
    const std::vector<QStringList> before = t.grid()->dataRows();
    ScriptedPrompter prompts;
    prompts.openFile(Drawing("cadman_no_header.dxf"));
    t.page.OnLoadDxfFile();
    auto *import = t.page.findChild<CImportDxf *>(QStringLiteral("importDxf"));
    ASSERT_NE(import, nullptr);
    import->reject();
    EXPECT_EQ(t.grid()->dataRows(), before);
    // A cancelled file dialog does nothing at all.
    prompts.openFile(QString());
    t.page.OnLoadDxfFile();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(t.page.findChild<CImportDxf *>(), nullptr);
    EXPECT_EQ(t.grid()->dataRows(), before);
}

TEST(TableImport, UnreadableDrawingsAreReportedWithTheirPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("missing.dxf"));
    const QString binary = dir.filePath(QStringLiteral("binary.dxf"));
    QFile file(binary);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("AutoCAD Binary DXF\r\n\x1a\x00", 22));
    file.close();
    const QString garbage = dir.filePath(QStringLiteral("garbage.dxf"));
    QFile text(garbage);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n0\nENDSEC\n0\nEOF\n");
    text.close();
    for (const QString &path : {missing, binary, garbage, dir.path()}) {
        TablePage t(LinesRecord(1));
        ScriptedPrompter prompts;
        prompts.openFile(path).answer(QMessageBox::Ok);
        t.page.OnLoadDxfFile();
        EXPECT_EQ(prompts.last().text,
                  QStringLiteral("Reading of %1 file failed. Is it already opened or damaged?")
                      .arg(QDir::toNativeSeparators(path)));
        EXPECT_EQ(t.page.findChild<CImportDxf *>(), nullptr);
        EXPECT_EQ(t.grid()->rows(), 3);
    }
}

TEST(TableImport, ImportedDrawingCompletedAndCommitted)
{
    PosConfig initial = NewPageDefaults();
    initial.actionMode = 1; // drawing coordinates are absolute
    TablePage t(initial);
    ScriptedPrompter prompts;
    prompts.openFile(Drawing("cadman_no_header.dxf")).answer(QMessageBox::Ok);
    t.page.OnLoadDxfFile();
    auto *import = t.page.findChild<CImportDxf *>(QStringLiteral("importDxf"));
    ASSERT_NE(import, nullptr);
    import->accept();
    ASSERT_EQ(t.grid()->rows(), 10);
    // Speeds and time for all rows at once.
    t.grid()->select(2, 3, 9, 3);
    prompts.speeds({20, 500, 8000});
    t.page.OnSetSpeedsAndTime();
    ASSERT_TRUE(t.page.CommitTable(false));
    ASSERT_EQ(t.config.segments.size(), 8u);
    const std::unique_ptr<PosConfig> drawing = Read("cadman_no_header.dxf");
    for (std::uint32_t n = 1; n <= 8; ++n) {
        const PosSegment &s = t.config.segments.at(n);
        const PosSegment &from = drawing->segments.at(n - 1);
        EXPECT_EQ(s.number, n);
        EXPECT_EQ(s.type, from.type);
        EXPECT_EQ(s.endX, from.endX);
        EXPECT_EQ(s.endY, from.endY);
        EXPECT_EQ(s.beginX, 0);
        EXPECT_EQ(s.accDecTime, 20u);
        EXPECT_EQ(s.initialSpeed, 500u);
        EXPECT_EQ(s.maxSpeed, 8000u);
    }
}
