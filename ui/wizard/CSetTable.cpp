#include "wizard/CSetTable.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CImportDxf.h"
#include "geometry/ArcCheck.h"
#include "geometry/DxfReader.h"
#include "res/UiText.h"
#include "wizard/Checks.h"

#include "ui_CSetTable.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>

#include <algorithm>

using pos::ui::Str;
using pos::ui::StrF;

namespace {

enum Column {
    kColNumber = 0,
    kColType = 1,
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

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;
constexpr int kInitialRows = kFirstRow + 4;
constexpr int kMaxSegments = static_cast<int>(pos::kMaxSegments);
constexpr int kMaxRows = kFirstRow + kMaxSegments;
const QColor kGridColour(196, 228, 255);

QStringList Pieces(int id)
{
    QStringList pieces = Str(id).split(QLatin1Char('|'));
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast(); // the list ends with a bar
    return pieces;
}

bool IsArcOnlyColumn(int col)
{
    return col == kColCentreMode || col == kColCentreX || col == kColCentreY;
}

pos::NumberField FieldKind(int col)
{
    return col <= kColMaxSpeed ? pos::NumberField::Unsigned32 : pos::NumberField::Signed32;
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
    , m_ui(std::make_unique<Ui::CSetTable>())
{
    m_ui->setupUi(this);
    CVSFlexGrid *g = grid();
    connect(g, &CVSFlexGrid::beforeEdit, this, &CSetTable::OnBeforeEditGrid);
    connect(g, &CVSFlexGrid::validateEdit, this, &CSetTable::OnValidateEditGrid);
    connect(g, &CVSFlexGrid::mouseUp, this, &CSetTable::OnMouseUpGrid);
    connect(g, &CVSFlexGrid::pasteRequested, this, &CSetTable::OnPasteRows);
    connect(m_ui->loadDxfButton, &QPushButton::clicked, this, &CSetTable::OnLoadDxfFile);
}

CSetTable::~CSetTable()
{
    // An edit still open must not reach a page that is being destroyed.
    disconnect(grid(), nullptr, this, nullptr);
}

CVSFlexGrid *CSetTable::grid() const
{
    return m_ui->grid;
}

void CSetTable::OnInitDialog()
{
    CVSFlexGrid *g = grid();
    g->setBackColor(kGridColour);
    g->setBackColorFixed(kGridColour);
    g->setCols(kColCount);
    g->setRows(kInitialRows);
    const QStringList top = Pieces(1);
    const QStringList bottom = Pieces(10040);
    for (int c = 0; c < kColCount && c < top.size(); ++c) {
        g->setTextMatrix(0, c, top[c]);
        g->setTextMatrix(1, c, c < bottom.size() ? bottom[c] : QString());
        g->setColAlignment(c, Qt::AlignCenter);
    }
    g->setMergeRow(0, true);
    for (int c = kColNumber; c <= kColAccDecTime; ++c)
        g->setMergeCol(c, true);
    const int widths[] = {600, 1200, 1300, 1500};
    for (int c = 0; c < 4; ++c)
        g->setColWidth(c, widths[c]);
    g->setColComboList(kColType, Pieces(pos::sid::TypeList));
    g->setColComboList(kColCentreMode, Pieces(pos::sid::CentreModeList));
    FillGridFromRecord(m_pConfig);
}

// --- cells --------------------------------------------------------------------

int CSetTable::ParseTypeCell(int row, int col) const
{
    const QString text = grid()->textMatrix(row, col);
    if (text == Str(pos::sid::StraightLine))
        return pos::kTypeLine;
    if (text == Str(pos::sid::ClockwiseArc))
        return pos::kTypeCw;
    if (text == Str(pos::sid::CounterclockwiseArc))
        return pos::kTypeCcw;
    return 0;
}

int CSetTable::ParseCentreModeCell(int type, int row, int col) const
{
    if (type != pos::kTypeCw && type != pos::kTypeCcw)
        return pos::kCentrePoint;
    // By the single texts, never by the position in the list.
    return grid()->textMatrix(row, col) == Str(pos::sid::PassThroughPoint) ? pos::kPassPoint
                                                                           : pos::kCentrePoint;
}

bool CSetTable::HasNumber(int row) const
{
    return !grid()->textMatrix(row, kColNumber).isEmpty();
}

std::int64_t CSetTable::CellValue(int row, int col) const
{
    const pos::NumberCheck check
        = pos::ValidateNumberField(grid()->textMatrix(row, col).toStdString(), FieldKind(col));
    return check.ok() ? check.value : 0;
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
    return s; // no begin point: the table has none
}

QString CSetTable::FieldName(int row, int col) const
{
    return StrF(pos::sid::SegmentNo, {std::int64_t{row - 1}}) + grid()->columnTitle(col);
}

int CSetTable::FilledEnd(int last) const
{
    last = std::min(last, grid()->rows() - 1);
    int end = kFirstRow;
    while (end <= last && HasNumber(end))
        ++end;
    return end;
}

void CSetTable::FillGridFromRecord(const pos::PosConfig *record)
{
    if (!record)
        return;
    const int n = static_cast<int>(std::min(record->segments.size(), pos::kMaxSegments));
    if (n < 1)
        return;
    CVSFlexGrid *g = grid();
    g->setRows(n + kFirstRow);
    for (int r = kFirstRow; r < n + kFirstRow; ++r) {
        const auto it = record->segments.find(static_cast<std::uint32_t>(r - 1));
        if (it == record->segments.end())
            continue;
        const pos::PosSegment &s = it->second;
        g->setTextMatrix(r, kColNumber, QString::number(r - 1));
        const bool line = s.type == pos::kTypeLine;
        g->setTextMatrix(r, kColType,
                         Str(line                     ? pos::sid::StraightLine
                             : s.type == pos::kTypeCw ? pos::sid::ClockwiseArc
                                                      : pos::sid::CounterclockwiseArc));
        // A straight line keeps its arc cells empty, also over a row that
        // held an arc before.
        QString mode;
        if (!line && s.centreMode == pos::kCentrePoint)
            mode = Str(pos::sid::CentrePoint);
        else if (!line && s.centreMode == pos::kPassPoint)
            mode = Str(pos::sid::PassThroughPoint);
        g->setTextMatrix(r, kColCentreMode, mode);
        g->setTextMatrix(r, kColAccDecTime, QString::number(s.accDecTime));
        g->setTextMatrix(r, kColInitialSpeed, QString::number(s.initialSpeed));
        g->setTextMatrix(r, kColMaxSpeed, QString::number(s.maxSpeed));
        g->setTextMatrix(r, kColEndX, QString::number(s.endX));
        g->setTextMatrix(r, kColEndY, QString::number(s.endY));
        g->setTextMatrix(r, kColCentreX, line ? QString() : QString::number(s.centreX));
        g->setTextMatrix(r, kColCentreY, line ? QString() : QString::number(s.centreY));
    }
}

// --- editing rules --------------------------------------------------------------

bool CSetTable::RowsAboveFilled(int row) const
{
    if (row < kFirstRow)
        return false;
    for (int r = kFirstRow; r < row; ++r)
        if (!HasNumber(r))
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
    if (!HasNumber(row)) { // a new segment
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
    CVSFlexGrid *g = grid();
    for (int r = kFirstRow; r < g->rows(); ++r) {
        if (g->textMatrix(r, kColType).isEmpty())
            break;
        g->setTextMatrix(r, kColNumber, QString::number(r - 1));
    }
}

void CSetTable::OnMouseUpGrid(int button, int, double, double)
{
    if (button == CVSFlexGrid::RightButton)
        grid()->selectUnderMouse();
}

// --- context menu -------------------------------------------------------------

std::unique_ptr<QMenu> CSetTable::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("tableMenu"));
    auto add = [this](QMenu *into, const QString &text, Command id, const char *name, auto slot) {
        QAction *a = into->addAction(text);
        a->setData(static_cast<int>(id));
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add(menu.get(), tr("&Insert Section"), IdInsertSection, "insertSection",
        &CSetTable::OnInsertSection);
    add(menu.get(), tr("&Add Empty Row"), IdAddEmptyRow, "addEmptyRow", &CSetTable::OnAddEmptyRow);
    add(menu.get(), tr("&Delete Row"), IdDeleteRow, "deleteRow", &CSetTable::OnDeleteRow);
    menu->addSeparator();
    QMenu *show = menu->addMenu(tr("&Graphic Locus Display"));
    show->setObjectName(QStringLiteral("graphicMenu"));
    show->menuAction()->setObjectName(QStringLiteral("graphicMenu"));
    add(show, tr("To &Current Row"), IdShowToCurrent, "showToCurrent",
        [this] { ShowTableTrajectory(true); });
    add(show, tr("&All Rows"), IdShowAll, "showAll", [this] { ShowTableTrajectory(false); });
    menu->addSeparator();
    QAction *copy
        = add(menu.get(), tr("&Copy Rows"), IdCopyRows, "copyRows", &CSetTable::OnCopyRows);
    QAction *paste
        = add(menu.get(), tr("&Paste Rows"), IdPasteRows, "pasteRows", &CSetTable::OnPasteRows);
    QAction *speeds = add(menu.get(), tr("Set &Speeds and Time..."), IdSetSpeeds, "setSpeeds",
                          &CSetTable::OnSetSpeedsAndTime);
    // The keys are the grid's; the menu only shows them.
    copy->setShortcut(QKeySequence::Copy);
    paste->setShortcut(QKeySequence::Paste);
    for (QAction *a : {copy, paste})
        a->setShortcutContext(Qt::WidgetShortcut);

    const CVSFlexGrid *g = grid();
    const int cur = g->row();
    if (cur < kFirstRow || g->textMatrix(kFirstRow, kColNumber).isEmpty())
        for (QAction *a : show->actions())
            a->setEnabled(false);
    if (g->rows() <= kFirstRow) {
        menu->findChild<QAction *>(QStringLiteral("deleteRow"))->setEnabled(false);
        copy->setEnabled(false);
    }
    paste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
    speeds->setEnabled(!SelectedFilledRows().empty());
    return menu;
}

void CSetTable::OnContextMenu(const QPoint &globalPos)
{
    grid()->finishEditing();
    const QRect gridRect(grid()->mapTo(this, QPoint(0, 0)), grid()->size());
    if (!gridRect.contains(mapFromGlobal(globalPos)))
        return;
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    pos::ui::Prompts().popupMenu(menu.get(), globalPos);
}

void CSetTable::contextMenuEvent(QContextMenuEvent *event)
{
    OnContextMenu(event->globalPos());
    event->accept();
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
    CVSFlexGrid *g = grid();
    if (g->rows() - 1 > kMaxSegments) {
        pos::ui::ShowOk(this, StrF(pos::sid::SegmentLimit, {std::int64_t{kMaxSegments}}));
        return;
    }
    g->addItem(QString(), g->rows());
}

void CSetTable::OnDeleteRow()
{
    CVSFlexGrid *g = grid();
    const int cur = g->row();
    if (cur < kFirstRow || cur >= g->rows())
        return;
    if (pos::ui::Prompts().message(this, Str(pos::sid::RemoveRow),
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
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
    CVSFlexGrid *g = grid();
    const int end = FilledEnd(toCurrent ? g->row() : g->rows() - 1);
    auto *display = new CGraphicDisplay(end - kFirstRow, this);
    display->setObjectName(QStringLiteral("graphicDisplay"));
    display->setAttribute(Qt::WA_DeleteOnClose);
    CGraphicDisplay::Arrays &a = display->arrays();
    std::vector<std::int32_t> modes;
    for (int i = 0; i < display->count(); ++i) {
        const pos::PosSegment s = RowSegment(i + kFirstRow);
        const auto k = static_cast<std::size_t>(i);
        a.type[k] = s.type;
        a.endX[k] = s.endX;
        a.endY[k] = s.endY;
        a.centreX[k] = s.centreX;
        a.centreY[k] = s.centreY;
        modes.push_back(s.centreMode);
    }
    display->setActionMode(m_pConfig ? m_pConfig->actionMode : 0);
    display->setCentreModes(std::move(modes));
    display->open();
}

void CSetTable::OnLoadDxfFile()
{
    const QString path = pos::ui::Prompts().openFile(this, tr("DXF Files (*.DXF *.dxf)"));
    if (path.isEmpty())
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    pos::CDxfReader reader;
    std::unique_ptr<pos::PosConfig> record
        = reader.ReadDxfFile(QFile::encodeName(path).toStdString());
    QGuiApplication::restoreOverrideCursor();
    if (!record) {
        pos::ui::ShowOk(
            this, StrF(pos::sid::DxfReadFailed, {QDir::toNativeSeparators(path).toStdString()}));
        return;
    }
    // The dialog works on the drawing's own record; the grid takes it over
    // only after OK, and the wizard's record only when the page is left.
    m_pImported = std::move(record);
    auto *dialog = new CImportDxf(m_pImported.get(), this);
    dialog->setObjectName(QStringLiteral("importDxf"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted && m_pImported)
            FillGridFromRecord(m_pImported.get());
        m_pImported.reset();
    });
    dialog->open();
}

// --- checks and commit ------------------------------------------------------------

bool CSetTable::ValidateTable(bool upToCurrent, bool allowEmpty)
{
    const int last = upToCurrent ? grid()->row() : grid()->rows() - 1;
    const int end = FilledEnd(last);
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
    CVSFlexGrid *g = grid();
    // The rows checked so far, as the record will hold them: where an arc
    // begins follows the same rule as on the step page.
    pos::PosConfig checked;
    checked.actionMode = m_pConfig ? m_pConfig->actionMode : 0;
    for (int r = kFirstRow; r <= last; ++r) {
        const int type = ParseTypeCell(r, kColType);
        for (int c = kColAccDecTime; c <= kColCentreY; ++c) {
            const QString text = g->textMatrix(r, c);
            if (text.isEmpty() && (c == kColCentreX || c == kColCentreY) && type == pos::kTypeLine)
                continue;
            const pos::NumberCheck check
                = pos::ValidateNumberField(text.toStdString(), FieldKind(c));
            if (check.ok())
                continue;
            g->select(r, c);
            pos::ui::ShowOk(this, StrF(check.messageId, {FieldName(r, c).toStdString()}));
            return false;
        }
        const pos::PosSegment segment = RowSegment(r);
        const auto number = static_cast<std::uint32_t>(r - 1);
        checked.segments[number] = segment;
        if (r == kFirstRow || type == pos::kTypeLine)
            continue;
        std::int32_t bx = 0;
        std::int32_t by = 0;
        pos::SegmentBeginPoint(checked, number, bx, by);
        const pos::ArcCheck check = pos::CheckSegmentArc(bx, by, segment);
        if (check.result == pos::kArcOk)
            continue;
        const QString prefix = StrF(pos::sid::SegmentNo, {std::int64_t{r - 1}});
        if (check.result == pos::kArcImpossible) {
            g->select(r, kColCentreX);
            pos::ui::ShowOk(this, prefix + QLatin1Char(' ') + Str(pos::sid::NoArc));
            return false;
        }
        const QString text = prefix + QLatin1Char('\n')
                             + QString::fromStdString(pos::ArcChoiceMessage(
                                 check, bx, by, segment, pos::CurrentLanguage()));
        const int choice = pos::ui::Prompts().chooseArcEnd(this, text);
        if (choice == 0 || choice == 1) {
            const auto k = static_cast<std::size_t>(choice);
            g->setTextMatrix(r, kColEndX, QString::number(check.xs[k]));
            g->setTextMatrix(r, kColEndY, QString::number(check.ys[k]));
        }
        return false; // the user confirms the corrected end point again
    }
    return true;
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
    for (int r = kFirstRow; r < grid()->rows() && HasNumber(r); ++r)
        table.segments[static_cast<std::uint32_t>(r - 1)].type = ParseTypeCell(r, kColType);
    pos::Problem problem;
    if (pos::CheckAddressCapacity(table, 0, &problem, pos::CurrentLanguage()))
        return false;
    pos::ui::ShowOk(this, QString::fromStdString(problem.text));
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
    for (int r = kFirstRow; r < grid()->rows() && HasNumber(r); ++r) {
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
        if (HasNumber(r))
            out.push_back(r);
    return out;
}

void CSetTable::OnCopyRows()
{
    grid()->copySelectedRows();
}

void CSetTable::OnPasteRows()
{
    grid()->finishEditing();
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
                refuse(r, c, why.arg(FieldName(r, c)));
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
                           .arg(FieldName(r, c), cell));
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
    grid()->finishEditing();
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
