#include "dialogs/CImportDxf.h"

#include "controls/CVSFlexGrid.h"
#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/SegmentGrid.h"

#include <QMenu>

#include <algorithm>

using pos::ui::Str;
using pos::ui::StrF;

namespace {

// The columns: the segment number, the type, the begin point (shown only),
// the end point and the circle centre. Every coordinate may be negative; a
// number that does not fit 32 bits is refused like a misplaced minus sign.
constexpr int kColBeginX = 2;
constexpr int kColBeginY = 3;
constexpr pos::ui::SegmentColumns kColumns{kColBeginX, -1, 4, 6, 8};
constexpr int kColNumber = pos::ui::kNumberColumn;
constexpr int kColType = pos::ui::kTypeColumn;

using namespace pos::ui::commands;

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;
constexpr int kMaxSegments = static_cast<int>(pos::kMaxSegments);
const QColor kBeginColour(160, 160, 160); // the begin points take no part in any test

// The number a cell starts with (blanks, an optional sign, digits), 0 when
// it starts with none; saturates far beyond any coordinate.
std::int64_t LeadingNumber(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i)
        value = std::min(value * 10 + (t[i].unicode() - u'0'), kCap);
    return negative ? -value : value;
}

} // namespace

CImportDxf::CImportDxf(pos::PosConfig *config, QWidget *parent)
    : QDialog(parent)
    , m_pConfig(config)
{
    m_ui.setupUi(this);
    connect(m_ui.okButton, &QPushButton::clicked, this, &CImportDxf::accept);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &CImportDxf::reject);
    CVSFlexGrid *g = grid();
    // Before the dialog's own slot on validateEdit: an edit's step starts
    // before a type pick fills the row.
    m_undo = new pos::ui::GridUndo(g, this);
    m_menu = new pos::ui::GridMenu(this, g, [this] { return CreateContextMenu(); });
    connect(g, &CVSFlexGrid::beforeEdit, this, &CImportDxf::OnBeforeEditGrid);
    connect(g, &CVSFlexGrid::validateEdit, this,
            [this](int row, int col, bool *) { OnValidateEditGrid(row, col); });
    connect(g, &CVSFlexGrid::mouseUp, m_menu,
            [this](int button, int, double, double) { m_menu->mouseUp(button); });
    pos::ui::SetUpSegmentGrid(g, kColumns, pos::sid::ImportHeaderTop, pos::sid::ImportHeaderBottom,
                              {kColNumber, kColType}, {{kColType, 2000}});
    g->setRows(kFirstRow + 1);
    FillGrid();
}

CImportDxf::~CImportDxf()
{
    // An edit still open must not reach a dialog that is being destroyed.
    disconnect(grid(), nullptr, this, nullptr);
}

CVSFlexGrid *CImportDxf::grid() const
{
    return m_ui.grid;
}

void CImportDxf::FillGrid()
{
    if (!m_pConfig)
        return;
    CVSFlexGrid *g = grid();
    const std::size_t n = m_pConfig->segments.size();
    g->setRows(kFirstRow + static_cast<int>(std::min<std::size_t>(n, pos::kMaxSegments)));
    for (std::size_t k = 0; k < n; ++k) {
        const auto it = m_pConfig->segments.find(static_cast<std::uint32_t>(k));
        if (it == m_pConfig->segments.end())
            continue;
        if (k >= pos::kMaxSegments) {
            pos::ui::ShowOk(this, StrF(pos::sid::SegmentLimit, {std::int64_t{kMaxSegments}}));
            break;
        }
        const pos::PosSegment &s = it->second;
        const int r = static_cast<int>(k) + kFirstRow;
        g->setTextMatrix(r, kColNumber, QString::number(k + 1));
        // The reader gives clockwise arcs too: type 2 reads "Clockwise arc".
        g->setTextMatrix(r, kColType, pos::ui::TypeText(s.type));
        g->setTextMatrix(r, kColBeginX, QString::number(s.beginX));
        g->setTextMatrix(r, kColBeginY, QString::number(s.beginY));
        g->setTextMatrix(r, kColumns.endX, QString::number(s.endX));
        g->setTextMatrix(r, kColumns.endY(), QString::number(s.endY));
        pos::ui::WriteCircleCells(g, r, kColumns, s);
        g->setRowMarked(r, s.travel);
    }
    g->setCellForeColor(kFirstRow, kColBeginX, g->rows() - 1, kColBeginY, kBeginColour);
}

int CImportDxf::ParseType(int row) const
{
    return pos::ui::TypeFromText(grid()->textMatrix(row, kColType));
}

std::int32_t CImportDxf::CellValue(int row, int col) const
{
    return static_cast<std::int32_t>(
        pos::ui::CellValue(grid(), row, col, pos::NumberField::Signed32));
}

// The row's segment as the table page takes it over: the begin point, the
// centre mode (0: the circle point is the centre), the speeds and the time
// stay 0; a travel row stays one.
pos::PosSegment CImportDxf::RowSegment(int row) const
{
    pos::PosSegment s;
    s.number = grid()->textMatrix(row, kColNumber).toUInt();
    s.type = ParseType(row);
    s.endX = CellValue(row, kColumns.endX);
    s.endY = CellValue(row, kColumns.endY());
    s.centreX = CellValue(row, kColumns.centreX);
    s.centreY = CellValue(row, kColumns.centreY());
    s.travel = grid()->isRowMarked(row);
    return s;
}

// --- grid events ------------------------------------------------------------

void CImportDxf::OnBeforeEditGrid(int row, int col, bool *cancel)
{
    if (col == kColNumber) {
        *cancel = true;
        return;
    }
    if (col == kColumns.centreX || col == kColumns.centreY()) {
        const QString type = grid()->textMatrix(row, kColType);
        if (type.isEmpty() || type.compare(Str(pos::sid::StraightLine), Qt::CaseInsensitive) == 0)
            *cancel = true;
    }
}

void CImportDxf::OnValidateEditGrid(int row, int col)
{
    if (col != kColType)
        return;
    CVSFlexGrid *g = grid();
    const int pick = g->comboIndex();
    if (pick < 0)
        return;
    for (const int c : {kColumns.centreX, kColumns.centreY()}) {
        if (pick == 0)
            g->setTextMatrix(row, c, QString());
        else if (g->textMatrix(row, c).isEmpty())
            g->setTextMatrix(row, c, QString::number(0));
    }
}

// --- context menu -----------------------------------------------------------

std::unique_ptr<QMenu> CImportDxf::CreateContextMenu()
{
    using pos::ui::AddCommand;
    using pos::ui::AddSubmenu;
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("importMenu"));
    QMenu *m = menu.get();
    m_undo->addTo(m);
    AddCommand(m, tr("&Delete Row"), IdDeleteRow, "deleteRow", this, &CImportDxf::OnDeleteRow);
    m->addSeparator();
    QMenu *move = AddSubmenu(m, tr("Coordinate &Move"), "moveMenu");
    AddCommand(move, tr("&Current Line"), IdMoveCurrent, "moveCurrent", this,
               &CImportDxf::OnMoveCurrentLine);
    AddCommand(move, tr("&All Lines"), IdMoveAll, "moveAll", this, &CImportDxf::OnMoveAllLines);
    QMenu *reverse = AddSubmenu(m, tr("&Reverse Graphic"), "reverseMenu");
    AddCommand(reverse, tr("&Current Line"), IdReverseCurrent, "reverseCurrent", this,
               &CImportDxf::OnReverseCurrentLine);
    AddCommand(reverse, tr("&All Lines"), IdReverseAll, "reverseAll", this,
               &CImportDxf::OnReverseAllLines);
    m->addSeparator();
    AddCommand(m, tr("Move &Up"), IdMoveUp, "moveUp", this, &CImportDxf::OnMoveUp);
    AddCommand(m, tr("Move D&own"), IdMoveDown, "moveDown", this, &CImportDxf::OnMoveDown);
    m->addSeparator();
    QMenu *show = AddSubmenu(m, tr("&Graphic Locus Display"), "graphicMenu");
    AddCommand(show, tr("To &Current Row"), IdShowToCurrent, "showToCurrent", this,
               &CImportDxf::OnShowToCurrentRow);
    AddCommand(show, tr("&All Rows"), IdShowAll, "showAll", this, &CImportDxf::OnShowAllRows);

    // Greying: an item greyed by any rule stays greyed.
    const CVSFlexGrid *g = grid();
    const int cur = g->row();
    const int rows = g->rows();
    const bool filled = pos::ui::HasNumber(g, cur);
    std::vector<int> grey;
    if (cur >= kFirstRow && g->textMatrix(kFirstRow, kColType).isEmpty())
        grey.insert(grey.end(), {IdShowToCurrent, IdShowAll, IdReverseCurrent, IdReverseAll,
                                 IdMoveCurrent, IdMoveAll});
    if (cur < kFirstRow)
        grey.insert(grey.end(), {IdShowToCurrent, IdShowAll, IdReverseCurrent, IdMoveCurrent});
    if (rows < kFirstRow + 1)
        grey.insert(grey.end(), {IdDeleteRow, IdReverseAll, IdMoveAll});
    if (!(cur > kFirstRow && filled))
        grey.push_back(IdMoveUp);
    if (!(cur != rows - 1 && filled))
        grey.push_back(IdMoveDown);
    pos::ui::GreyCommands(m, grey);
    return menu;
}

void CImportDxf::OnContextMenu(const QPoint &globalPos)
{
    m_menu->popup(globalPos);
}

// --- commands -----------------------------------------------------------------

void CImportDxf::OnDeleteRow()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const int cur = grid()->row();
    if (cur < kFirstRow)
        return;
    if (pos::ui::AskDestructive(this, Str(pos::sid::RemoveRow), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    grid()->removeItem(cur);
    pos::ui::Renumber(grid());
}

void CImportDxf::ShiftRow(int row, std::int64_t dx, std::int64_t dy)
{
    CVSFlexGrid *g = grid();
    auto shift = [g, row](int col, std::int64_t by) {
        g->setTextMatrix(row, col, QString::number(LeadingNumber(g->textMatrix(row, col)) + by));
    };
    shift(kColBeginX, dx);
    shift(kColumns.endX, dx);
    shift(kColBeginY, dy);
    shift(kColumns.endY(), dy);
    const int type = ParseType(row);
    if (type == pos::kTypeCw || type == pos::kTypeCcw) {
        shift(kColumns.centreX, dx);
        shift(kColumns.centreY(), dy);
    }
}

void CImportDxf::OnMoveCurrentLine()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const int cur = grid()->row();
    if (cur < kFirstRow || !pos::ui::HasNumber(grid(), cur))
        return;
    if (const auto move = pos::ui::Prompts().coordinateMove(this))
        ShiftRow(cur, move->x(), move->y());
}

void CImportDxf::OnMoveAllLines()
{
    const pos::ui::GridUndo::Step step(m_undo);
    if (grid()->rows() <= kFirstRow)
        return;
    const auto move = pos::ui::Prompts().coordinateMove(this);
    if (!move)
        return;
    for (int r = kFirstRow; r < grid()->rows(); ++r)
        if (pos::ui::HasNumber(grid(), r))
            ShiftRow(r, move->x(), move->y());
}

void CImportDxf::ReverseRow(int row)
{
    CVSFlexGrid *g = grid();
    for (const auto &[a, b] :
         {std::pair{kColBeginX, kColumns.endX}, std::pair{kColBeginY, kColumns.endY()}}) {
        const QString first = g->textMatrix(row, a);
        g->setTextMatrix(row, a, g->textMatrix(row, b));
        g->setTextMatrix(row, b, first);
    }
    const int type = ParseType(row);
    if (type == pos::kTypeCcw)
        g->setTextMatrix(row, kColType, Str(pos::sid::ClockwiseArc));
    else if (type == pos::kTypeCw)
        g->setTextMatrix(row, kColType, Str(pos::sid::CounterclockwiseArc));
}

void CImportDxf::OnReverseCurrentLine()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const int cur = grid()->row();
    if (cur >= kFirstRow)
        ReverseRow(cur);
}

void CImportDxf::OnReverseAllLines()
{
    const pos::ui::GridUndo::Step step(m_undo);
    if (grid()->rows() < kFirstRow + 1)
        return;
    for (int r = kFirstRow; r < grid()->rows(); ++r)
        ReverseRow(r);
}

void CImportDxf::SwapRows(int a, int b)
{
    CVSFlexGrid *g = grid();
    for (int c = kColType; c < kColumns.count; ++c) {
        const QString first = g->textMatrix(a, c);
        g->setTextMatrix(a, c, g->textMatrix(b, c));
        g->setTextMatrix(b, c, first);
    }
    const bool travel = g->isRowMarked(a);
    g->setRowMarked(a, g->isRowMarked(b));
    g->setRowMarked(b, travel);
}

void CImportDxf::OnMoveUp()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const int cur = grid()->row();
    if (cur <= kFirstRow || !pos::ui::HasNumber(grid(), cur - 1)
        || !pos::ui::HasNumber(grid(), cur))
        return;
    SwapRows(cur - 1, cur);
    grid()->select(cur - 1, grid()->col());
}

void CImportDxf::OnMoveDown()
{
    const pos::ui::GridUndo::Step step(m_undo);
    const int cur = grid()->row();
    if (cur < kFirstRow || cur >= grid()->rows() - 1 || !pos::ui::HasNumber(grid(), cur + 1)
        || !pos::ui::HasNumber(grid(), cur))
        return;
    SwapRows(cur, cur + 1);
    grid()->select(cur + 1, grid()->col());
}

// --- checks and display -------------------------------------------------------

bool CImportDxf::CheckTable(int last)
{
    const int end = pos::ui::FilledEnd(grid(), last);
    if (end == kFirstRow) {
        pos::ui::ShowOk(this, Str(pos::sid::TableEmpty));
        return false;
    }
    // Drawing coordinates are absolute: an arc begins where the row before
    // it ends; the row's own begin columns take no part. An end point taken
    // from the arc chooser is a step.
    const pos::ui::GridUndo::Step step(m_undo);
    return pos::ui::CheckRows(this, grid(), end - 1, kColumns, 1,
                              [this](int row) { return RowSegment(row); });
}

void CImportDxf::ShowTrajectory(int count)
{
    std::vector<pos::PosSegment> segments;
    for (int r = kFirstRow; r < kFirstRow + count; ++r)
        segments.push_back(RowSegment(r));
    pos::ui::ShowSegments(this, segments, 1); // drawing coordinates are absolute
}

void CImportDxf::OnShowToCurrentRow()
{
    const int cur = grid()->row();
    if (CheckTable(cur))
        ShowTrajectory(cur - 1);
}

void CImportDxf::OnShowAllRows()
{
    if (CheckTable(grid()->rows() - 1))
        ShowTrajectory(grid()->rows() - kFirstRow);
}

void CImportDxf::accept()
{
    grid()->finishEditing();
    if (pos::ui::Prompts().message(this, Str(pos::sid::DropBeginPoints),
                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon,
                                   QMessageBox::NoButton)
        != QMessageBox::Ok)
        return;
    if (!CheckTable(grid()->rows() - 1))
        return;
    if (m_pConfig) {
        m_pConfig->segments.clear();
        for (int r = kFirstRow; r < grid()->rows() && pos::ui::HasNumber(grid(), r); ++r) {
            const pos::PosSegment s = RowSegment(r);
            m_pConfig->segments[s.number] = s;
        }
    }
    QDialog::accept();
}
