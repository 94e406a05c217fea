#include "wizard/CSetTable.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CDrawingOptions.h"
#include "dialogs/CImportDxf.h"
#include "geometry/DxfDrawing.h"
#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/Checks.h"
#include "wizard/SegmentGrid.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

using pos::ui::Str;
using pos::ui::StrF;

namespace {

enum Column {
    kColNumber = pos::ui::kNumberColumn,
    kColType = pos::ui::kTypeColumn,
    kColCentreMode = 2,
    kColAccDecTime = 3,
    kColInitialSpeed = 4,
    kColMaxSpeed = 5,
    kColEndX = 6,
    kColEndY = 7,
    kColCentreX = 8,
    kColCentreY = 9,
    kColCount = 10,
};

constexpr pos::ui::SegmentColumns kColumns{kColAccDecTime, kColMaxSpeed, kColEndX, kColCentreX,
                                           kColCount};

using namespace pos::ui::commands;

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;
constexpr int kInitialRows = kFirstRow + 4;
constexpr int kMaxSegments = static_cast<int>(pos::kMaxSegments);
constexpr int kMaxRows = kFirstRow + kMaxSegments;

bool IsArcOnlyColumn(int col)
{
    return col == kColCentreMode || col == kColCentreX || col == kColCentreY;
}

// The item of a list column that a pasted text names: the same text, else
// the same text in other letter case; -1 for none.
int ListIndex(const QStringList &items, const QString &text)
{
    const auto exact = items.indexOf(text);
    if (exact >= 0)
        return static_cast<int>(exact);
    for (qsizetype i = 0; i < items.size(); ++i)
        if (items[i].compare(text, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

} // namespace

CSetTable::CSetTable(QWidget *parent)
    : CBasePage(kTemplateId, parent)
{
    m_ui.setupUi(this);
    CVSFlexGrid *g = grid();
    // Before the page's own slot on validateEdit: an edit's step starts
    // before a type pick fills the row.
    m_undo = new pos::ui::GridUndo(g, this);
    m_menu = new pos::ui::GridMenu(this, g, [this] { return CreateContextMenu(); });
    connect(g, &CVSFlexGrid::beforeEdit, this, &CSetTable::OnBeforeEditGrid);
    connect(g, &CVSFlexGrid::validateEdit, this, &CSetTable::OnValidateEditGrid);
    connect(g, &CVSFlexGrid::mouseUp, this, &CSetTable::OnMouseUpGrid);
    connect(g, &CVSFlexGrid::pasteRequested, this, &CSetTable::OnPasteRows);
    connect(m_ui.loadDxfButton, &QPushButton::clicked, this, &CSetTable::OnLoadDxfFile);
}

CSetTable::~CSetTable()
{
    // An edit still open must not reach a page that is being destroyed.
    disconnect(grid(), nullptr, this, nullptr);
}

CVSFlexGrid *CSetTable::grid() const
{
    return m_ui.grid;
}

void CSetTable::OnInitDialog()
{
    CVSFlexGrid *g = grid();
    pos::ui::SetUpSegmentGrid(
        g, kColumns, pos::sid::TableHeaderTop, pos::sid::TableHeaderBottom,
        {kColNumber, kColType, kColCentreMode, kColAccDecTime},
        {{kColNumber, 600}, {kColType, 1200}, {kColCentreMode, 1300}, {kColAccDecTime, 1500}});
    g->setRows(kInitialRows);
    g->setColComboList(kColCentreMode, pos::ui::Pieces(pos::sid::CentreModeList));
    FillGridFromRecord(m_pConfig);
}

// --- cells --------------------------------------------------------------------

int CSetTable::ParseTypeCell(int row, int col) const
{
    return pos::ui::TypeFromText(grid()->textMatrix(row, col));
}

int CSetTable::ParseCentreModeCell(int type, int row, int col) const
{
    if (type != pos::kTypeCw && type != pos::kTypeCcw)
        return pos::kCentrePoint;
    // By the single texts, never by the position in the list.
    return grid()->textMatrix(row, col) == Str(pos::sid::PassThroughPoint) ? pos::kPassPoint
                                                                           : pos::kCentrePoint;
}

std::int64_t CSetTable::CellValue(int row, int col) const
{
    return pos::ui::CellValue(grid(), row, col, kColumns.field(col));
}

pos::PosSegment CSetTable::RowSegment(int row) const
{
    pos::PosSegment s;
    s.number = grid()->textMatrix(row, kColNumber).toUInt();
    s.type = ParseTypeCell(row, kColType);
    s.centreMode = ParseCentreModeCell(s.type, row, kColCentreMode);
    s.accDecTime = static_cast<std::uint32_t>(CellValue(row, kColAccDecTime));
    s.initialSpeed = static_cast<std::uint32_t>(CellValue(row, kColInitialSpeed));
    s.maxSpeed = static_cast<std::uint32_t>(CellValue(row, kColMaxSpeed));
    s.endX = static_cast<std::int32_t>(CellValue(row, kColEndX));
    s.endY = static_cast<std::int32_t>(CellValue(row, kColEndY));
    s.centreX = static_cast<std::int32_t>(CellValue(row, kColCentreX));
    s.centreY = static_cast<std::int32_t>(CellValue(row, kColCentreY));
    s.travel = grid()->isRowMarked(row);
    return s; // no begin point: the table has none
}

void CSetTable::FillGridFromRecord(const pos::PosConfig *record)
{
    // Entered from the first page: the record may have changed on the pages
    // before, and what was done to the grid earlier is no step back from it.
    m_undo->clear();
    if (record)
        FillRows(*record);
}

void CSetTable::FillRows(const pos::PosConfig &record)
{
    const int n = static_cast<int>(std::min(record.segments.size(), pos::kMaxSegments));
    if (n < 1)
        return;
    CVSFlexGrid *g = grid();
    g->setRows(n + kFirstRow);
    for (int r = kFirstRow; r < n + kFirstRow; ++r) {
        const auto it = record.segments.find(static_cast<std::uint32_t>(r - 1));
        if (it == record.segments.end())
            continue;
        const pos::PosSegment &s = it->second;
        g->setTextMatrix(r, kColNumber, QString::number(r - 1));
        g->setTextMatrix(r, kColType, pos::ui::TypeText(s.type));
        // A straight line keeps its arc cells empty, also over a row that
        // held an arc before.
        QString mode;
        if (s.isArc() && s.centreMode == pos::kCentrePoint)
            mode = Str(pos::sid::CentrePoint);
        else if (s.isArc() && s.centreMode == pos::kPassPoint)
            mode = Str(pos::sid::PassThroughPoint);
        g->setTextMatrix(r, kColCentreMode, mode);
        g->setTextMatrix(r, kColAccDecTime, QString::number(s.accDecTime));
        g->setTextMatrix(r, kColInitialSpeed, QString::number(s.initialSpeed));
        g->setTextMatrix(r, kColMaxSpeed, QString::number(s.maxSpeed));
        g->setTextMatrix(r, kColEndX, QString::number(s.endX));
        g->setTextMatrix(r, kColEndY, QString::number(s.endY));
        pos::ui::WriteCircleCells(g, r, kColumns, s);
        g->setRowMarked(r, s.travel);
    }
}

// --- editing rules --------------------------------------------------------------

bool CSetTable::RowsAboveFilled(int row) const
{
    if (row < kFirstRow)
        return false;
    for (int r = kFirstRow; r < row; ++r)
        if (!pos::ui::HasNumber(grid(), r))
            return false;
    return true;
}

bool CSetTable::CanEditCell(int row, int col) const
{
    if (col == kColNumber)
        return false;
    if (col == kColType)
        return RowsAboveFilled(row);
    const QString type = grid()->textMatrix(row, kColType);
    if (type.isEmpty())
        return false;
    return !(IsArcOnlyColumn(col)
             && type.compare(Str(pos::sid::StraightLine), Qt::CaseInsensitive) == 0);
}

void CSetTable::OnBeforeEditGrid(int row, int col, bool *cancel)
{
    if (!CanEditCell(row, col))
        *cancel = true;
}

void CSetTable::ApplyTypePick(int row, int pick)
{
    CVSFlexGrid *g = grid();
    if (pick == 0) {
        for (const int c : {kColCentreMode, kColCentreX, kColCentreY})
            g->setTextMatrix(row, c, QString());
    } else {
        // A new arc starts with the pass-through point; its check then
        // needs three distinct points not on one line.
        if (g->textMatrix(row, kColCentreMode).isEmpty())
            g->setTextMatrix(row, kColCentreMode, Str(pos::sid::PassThroughPoint));
        for (const int c : {kColCentreX, kColCentreY})
            if (g->textMatrix(row, c).isEmpty())
                g->setTextMatrix(row, c, QString::number(0));
    }
    if (!pos::ui::HasNumber(g, row)) { // a new segment
        g->setTextMatrix(row, kColNumber, QString::number(row - 1));
        RenumberRows();
        for (int c = kColAccDecTime; c <= kColEndY; ++c)
            g->setTextMatrix(row, c, QString::number(0));
    }
}

void CSetTable::OnValidateEditGrid(int row, int col, bool *)
{
    if (col != kColType)
        return;
    const int pick = grid()->comboIndex();
    if (pick >= 0)
        ApplyTypePick(row, pick);
}

void CSetTable::RenumberRows()
{
    pos::ui::Renumber(grid());
}

void CSetTable::OnMouseUpGrid(int button, int, double, double)
{
    m_menu->mouseUp(button);
}

// --- context menu -------------------------------------------------------------

std::unique_ptr<QMenu> CSetTable::CreateContextMenu()
{
    using pos::ui::AddCommand;
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("tableMenu"));
    QMenu *m = menu.get();
    m_undo->addTo(m);
    AddCommand(m, tr("&Insert Section"), IdInsertSection, "insertSection", this,
               &CSetTable::OnInsertSection);
    AddCommand(m, tr("&Add Empty Row"), IdAddEmptyRow, "addEmptyRow", this,
               &CSetTable::OnAddEmptyRow);
    AddCommand(m, tr("&Delete Row"), IdDeleteRow, "deleteRow", this, &CSetTable::OnDeleteRow);
    m->addSeparator();
    QMenu *show = pos::ui::AddSubmenu(m, tr("&Graphic Locus Display"), "graphicMenu");
    AddCommand(show, tr("To &Current Row"), IdShowToCurrent, "showToCurrent", this,
               [this] { ShowTableTrajectory(true); });
    AddCommand(show, tr("&All Rows"), IdShowAll, "showAll", this,
               [this] { ShowTableTrajectory(false); });
    m->addSeparator();
    QAction *copy
        = AddCommand(m, tr("&Copy Rows"), IdCopyRows, "copyRows", this, &CSetTable::OnCopyRows);
    QAction *paste
        = AddCommand(m, tr("&Paste Rows"), IdPasteRows, "pasteRows", this, &CSetTable::OnPasteRows);
    AddCommand(m, tr("Set &Speeds and Time..."), IdSetSpeeds, "setSpeeds", this,
               &CSetTable::OnSetSpeedsAndTime);
    // The keys are the grid's; the menu only shows them.
    copy->setShortcut(QKeySequence::Copy);
    paste->setShortcut(QKeySequence::Paste);
    for (QAction *a : {copy, paste})
        a->setShortcutContext(Qt::WidgetShortcut);

    const CVSFlexGrid *g = grid();
    std::vector<int> grey;
    if (g->row() < kFirstRow || !pos::ui::HasNumber(g, kFirstRow))
        grey.insert(grey.end(), {IdShowToCurrent, IdShowAll});
    if (g->rows() <= kFirstRow)
        grey.insert(grey.end(), {IdDeleteRow, IdCopyRows});
    if (QGuiApplication::clipboard()->text().isEmpty())
        grey.push_back(IdPasteRows);
    if (SelectedFilledRows().empty())
        grey.push_back(IdSetSpeeds);
    pos::ui::GreyCommands(m, grey);
    return menu;
}

void CSetTable::OnContextMenu(const QPoint &globalPos)
{
    m_menu->popup(globalPos);
}

// --- commands -------------------------------------------------------------------

void CSetTable::InitNewRow(int row)
{
    CVSFlexGrid *g = grid();
    g->setTextMatrix(row, kColType, Str(pos::sid::StraightLine));
    for (const int c : {kColCentreMode, kColCentreX, kColCentreY})
        g->setTextMatrix(row, c, QString());
    for (int c = kColAccDecTime; c <= kColEndY; ++c)
        g->setTextMatrix(row, c, QString::number(0));
}

void CSetTable::OnInsertSection()
{
    const pos::ui::GridUndo::Step step(m_undo);
    CVSFlexGrid *g = grid();
    const int cur = g->row();
    if (!RowsAboveFilled(cur))
        return;
    if (g->rows() - 1 > kMaxSegments) {
        pos::ui::ShowOk(this, StrF(pos::sid::SegmentLimit, {std::int64_t{kMaxSegments}}));
        return;
    }
    g->addItem(QString(), cur);
    InitNewRow(cur);
    RenumberRows();
}

void CSetTable::OnAddEmptyRow()
{
    const pos::ui::GridUndo::Step step(m_undo);
    CVSFlexGrid *g = grid();
    if (g->rows() - 1 > kMaxSegments) {
        pos::ui::ShowOk(this, StrF(pos::sid::SegmentLimit, {std::int64_t{kMaxSegments}}));
        return;
    }
    g->addItem(QString(), g->rows());
}

void CSetTable::OnDeleteRow()
{
    const pos::ui::GridUndo::Step step(m_undo);
    CVSFlexGrid *g = grid();
    const int cur = g->row();
    if (cur < kFirstRow || cur >= g->rows())
        return;
    if (pos::ui::AskDestructive(this, Str(pos::sid::RemoveRow), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    g->removeItem(cur);
    RenumberRows();
}

void CSetTable::ShowTableTrajectory(bool toCurrent)
{
    grid()->finishEditing();
    if (!ValidateTable(toCurrent, false))
        return;
    const CVSFlexGrid *g = grid();
    const int end = pos::ui::FilledEnd(g, toCurrent ? g->row() : g->rows() - 1);
    std::vector<pos::PosSegment> segments;
    for (int r = kFirstRow; r < end; ++r)
        segments.push_back(RowSegment(r));
    pos::ui::ShowSegments(this, segments, m_pConfig ? m_pConfig->actionMode : 0);
}

void CSetTable::OnLoadDxfFile()
{
    const QString path = pos::ui::Prompts().openFile(this, tr("DXF Files (*.DXF *.dxf)"));
    if (path.isEmpty())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    pos::Result<pos::dxf::Drawing> drawing
        = pos::dxf::ReadDrawingFile(QFile::encodeName(path).toStdString());
    QGuiApplication::restoreOverrideCursor();
    if (!drawing) {
        // The message names the file; the line below says where and why.
        pos::ui::ShowOk(
            this, StrF(pos::sid::DxfReadFailed, {QDir::toNativeSeparators(path).toStdString()})
                      + QLatin1Char('\n') + pos::ui::Say(drawing.error()));
        return;
    }
    // First the options of the import, then the arranged outline in the
    // Import DXF dialog; Cancel in either leaves the page as it was.
    auto *options = new CDrawingOptions(std::move(*drawing), this);
    options->setObjectName(QStringLiteral("drawingOptions"));
    options->setAttribute(Qt::WA_DeleteOnClose);
    connect(options, &QDialog::accepted, this, [this, options] {
        if (const pos::ArrangedDrawing *arranged = options->arranged())
            OpenImportDialog(arranged->config);
    });
    options->open();
}

void CSetTable::OpenImportDialog(const pos::PosConfig &arranged)
{
    // The dialog works on a record keyed from 0, as the DXF reader made
    // them; the grid takes it over only after OK, and the wizard's record
    // only when the page is left.
    m_imported = std::make_unique<pos::PosConfig>(pos::ui::KeyedFromZero(arranged));
    auto *dialog = new CImportDxf(m_imported.get(), this);
    dialog->setObjectName(QStringLiteral("importDxf"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted && m_imported) {
            const pos::ui::GridUndo::Step step(m_undo);
            FillRows(*m_imported);
            TakeAbsoluteMode();
        }
        m_imported.reset();
    });
    dialog->open();
}

void CSetTable::TakeAbsoluteMode()
{
    // A drawing's coordinates are absolute.
    if (!m_pConfig || m_pConfig->actionMode == 1)
        return;
    m_pConfig->actionMode = 1;
    pos::ui::ShowOk(this, Str(pos::sid::ActionModeSetAbsolute), QMessageBox::Information);
}

// --- checks and commit ------------------------------------------------------------

bool CSetTable::ValidateTable(bool upToCurrent, bool allowEmpty)
{
    const int end = pos::ui::FilledEnd(grid(), upToCurrent ? grid()->row() : grid()->rows() - 1);
    if (end <= kFirstRow) {
        if (allowEmpty)
            return true;
        pos::ui::ShowOk(this, Str(pos::sid::TableEmpty));
        return false;
    }
    return CheckTableRows(end - 1);
}

bool CSetTable::CheckTableRows(int last)
{
    // An end point taken from the arc chooser is a step.
    const pos::ui::GridUndo::Step step(m_undo);
    return pos::ui::CheckRows(this, grid(), last, kColumns, m_pConfig ? m_pConfig->actionMode : 0,
                              [this](int row) { return RowSegment(row); });
}

bool CSetTable::CheckTableCapacity()
{
    if (!m_pConfig)
        return false;
    pos::PosConfig table;
    table.startD = m_pConfig->startD;
    table.maxD = m_pConfig->maxD;
    table.startM = m_pConfig->startM;
    table.maxM = m_pConfig->maxM;
    for (int r = kFirstRow; r < grid()->rows() && pos::ui::HasNumber(grid(), r); ++r)
        table.segments[static_cast<std::uint32_t>(r - 1)].type = ParseTypeCell(r, kColType);
    const pos::Status fits = pos::CheckAddressCapacity(table, 0);
    if (fits)
        return false;
    pos::ui::ShowOk(this, pos::ui::Say(fits.error()));
    return true;
}

bool CSetTable::CommitTable(bool allowEmpty)
{
    grid()->finishEditing();
    if (!ValidateTable(false, allowEmpty))
        return false;
    if (CheckTableCapacity())
        return false;
    if (!m_pConfig)
        return true;
    m_pConfig->segments.clear();
    for (int r = kFirstRow; r < grid()->rows() && pos::ui::HasNumber(grid(), r); ++r) {
        const pos::PosSegment s = RowSegment(r);
        m_pConfig->segments[s.number] = s;
    }
    return true;
}

// --- copy, paste, many rows at once ---------------------------------------------

std::vector<int> CSetTable::SelectedFilledRows() const
{
    std::vector<int> out;
    for (const int r : grid()->selectedRows())
        if (pos::ui::HasNumber(grid(), r))
            out.push_back(r);
    return out;
}

void CSetTable::OnCopyRows()
{
    grid()->copySelectedRows();
}

void CSetTable::OnPasteRows()
{
    const pos::ui::GridUndo::Step step(m_undo); // the whole block, or nothing
    QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && (lines.last().isEmpty() || lines.last() == QLatin1String("\r")))
        lines.removeLast();
    if (lines.isEmpty())
        return;
    CVSFlexGrid *g = grid();
    const std::vector<int> selected = g->selectedRows();
    const int startRow = std::max(selected.empty() ? g->row() : selected.front(), kFirstRow);
    if (lines.size() > kMaxRows - startRow) {
        pos::ui::ShowOk(this, StrF(pos::sid::SegmentLimit, {std::int64_t{kMaxSegments}}));
        return;
    }
    std::vector<QStringList> block;
    qsizetype width = 0;
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        block.push_back(line.split(QLatin1Char('\t')));
        width = std::max(width, block.back().size());
    }
    // Whole rows (as copied) line up with the grid's columns; a narrower
    // block starts at the current column, as in a spreadsheet.
    const int startCol = width == kColCount ? kColNumber : std::max(g->col(), 0);
    if (startCol + width > kColCount) {
        pos::ui::ShowOk(this, tr("The pasted text has more columns than the table has from the "
                                 "current column on. Nothing was pasted."));
        return;
    }

    const std::vector<QStringList> before = g->dataRows();
    auto refuse = [&](int row, int col, const QString &message) {
        g->setDataRows(before); // nothing half-pasted
        if (row < g->rows())
            g->select(row, col);
        pos::ui::ShowOk(this, message);
    };
    const int rowsNeeded = startRow + static_cast<int>(block.size());
    if (rowsNeeded > g->rows())
        g->setRows(rowsNeeded);
    for (std::size_t i = 0; i < block.size(); ++i) {
        const int r = startRow + static_cast<int>(i);
        for (qsizetype j = 0; j < block[i].size(); ++j) {
            const int c = startCol + static_cast<int>(j);
            const QString &cell = block[i][j];
            if (c == kColNumber)
                continue; // numbers are the page's
            const QString now = g->textMatrix(r, c);
            const bool list = c == kColType || c == kColCentreMode;
            if (list && cell.isEmpty())
                continue; // a list cell is never emptied
            if (!CanEditCell(r, c)) {
                if (cell.isEmpty() || cell == now)
                    continue;
                QString why;
                if (c == kColType)
                    why = tr("%1 can be chosen only when every row above it holds a segment. "
                             "Nothing was pasted.");
                else if (g->textMatrix(r, kColType).isEmpty())
                    why = tr("%1 cannot be filled in before the row's instruction type is "
                             "chosen. Nothing was pasted.");
                else
                    why = tr("%1 stays empty on a straight line. Nothing was pasted.");
                refuse(r, c, why.arg(pos::ui::CellName(g, r, c)));
                return;
            }
            if (!list) {
                g->setTextMatrix(r, c, cell);
                continue;
            }
            const QStringList items = g->colComboList(c);
            const int pick = ListIndex(items, cell);
            if (pick < 0) {
                refuse(r, c,
                       tr("%1: \"%2\" is not one of the choices of this column. Nothing was "
                          "pasted.")
                           .arg(pos::ui::CellName(g, r, c), cell));
                return;
            }
            if (c == kColType)
                ApplyTypePick(r, pick);
            g->setTextMatrix(r, c, items[pick]);
        }
    }
    g->select(startRow, std::max(startCol, int{kColType}), rowsNeeded - 1,
              startCol + static_cast<int>(width) - 1);
}

void CSetTable::OnSetSpeedsAndTime()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const std::vector<int> rows = SelectedFilledRows();
    if (rows.empty())
        return;
    pos::ui::SpeedsAndTime initial;
    initial.accDecTime = static_cast<std::uint32_t>(CellValue(rows.front(), kColAccDecTime));
    initial.initialSpeed = static_cast<std::uint32_t>(CellValue(rows.front(), kColInitialSpeed));
    initial.maxSpeed = static_cast<std::uint32_t>(CellValue(rows.front(), kColMaxSpeed));
    const auto values = pos::ui::Prompts().speedsAndTime(this, initial);
    if (!values)
        return;
    CVSFlexGrid *g = grid();
    for (const int r : rows) {
        g->setTextMatrix(r, kColAccDecTime, QString::number(values->accDecTime));
        g->setTextMatrix(r, kColInitialSpeed, QString::number(values->initialSpeed));
        g->setTextMatrix(r, kColMaxSpeed, QString::number(values->maxSpeed));
    }
}
