#include "dialogs/CImportDxf.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CGraphicDisplay.h"
#include "geometry/ArcCheck.h"
#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/Checks.h"

#include "ui_CImportDxf.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>
#include <limits>

using pos::ui::Str;
using pos::ui::StrF;

namespace {

enum Column {
    kColNumber = 0,
    kColType = 1,
    kColBeginX = 2,
    kColBeginY = 3,
    kColEndX = 4,
    kColEndY = 5,
    kColCentreX = 6,
    kColCentreY = 7,
    kColCount = 8,
};

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;
constexpr int kMaxSegments = static_cast<int>(pos::kMaxSegments);
const QColor kGridColour(196, 228, 255);
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

QStringList Pieces(int id)
{
    QStringList pieces = Str(id).split(QLatin1Char('|'));
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast(); // the list ends with a bar
    return pieces;
}

} // namespace

CImportDxf::CImportDxf(pos::PosConfig *config, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CImportDxf>())
    , m_pConfig(config)
{
    m_ui->setupUi(this);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CImportDxf::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CImportDxf::reject);
    CVSFlexGrid *g = grid();
    connect(g, &CVSFlexGrid::beforeEdit, this, &CImportDxf::OnBeforeEditGrid);
    connect(g, &CVSFlexGrid::validateEdit, this, &CImportDxf::OnValidateEditGrid);
    connect(g, &CVSFlexGrid::mouseUp, this, &CImportDxf::OnMouseUpGrid);
    SetUpGrid();
    FillGrid();
}

CImportDxf::~CImportDxf()
{
    // An edit still open must not reach a dialog that is being destroyed.
    disconnect(grid(), nullptr, this, nullptr);
}

CVSFlexGrid *CImportDxf::grid() const
{
    return m_ui->grid;
}

void CImportDxf::SetUpGrid()
{
    CVSFlexGrid *g = grid();
    g->setCols(kColCount);
    g->setRows(kFirstRow + 1);
    const QStringList top = Pieces(36);
    const QStringList bottom = Pieces(10042);
    for (int c = 0; c < kColCount && c < top.size(); ++c) {
        g->setTextMatrix(0, c, top[c]);
        g->setTextMatrix(1, c, c < bottom.size() ? bottom[c] : QString());
        g->setColAlignment(c, Qt::AlignCenter);
    }
    g->setMergeRow(0, true);
    g->setMergeCol(kColNumber, true);
    g->setMergeCol(kColType, true);
    g->setColWidth(kColType, 1500);
    g->setColComboList(kColType, Pieces(pos::sid::TypeList));
    g->setBackColor(kGridColour);
    g->setBackColorFixed(kGridColour);
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
        const int text = s.type == pos::kTypeLine ? pos::sid::StraightLine
                         : s.type == pos::kTypeCw ? pos::sid::ClockwiseArc
                                                  : pos::sid::CounterclockwiseArc;
        g->setTextMatrix(r, kColType, Str(text));
        g->setTextMatrix(r, kColBeginX, QString::number(s.beginX));
        g->setTextMatrix(r, kColBeginY, QString::number(s.beginY));
        g->setTextMatrix(r, kColEndX, QString::number(s.endX));
        g->setTextMatrix(r, kColEndY, QString::number(s.endY));
        if (s.type != pos::kTypeLine) {
            g->setTextMatrix(r, kColCentreX, QString::number(s.centreX));
            g->setTextMatrix(r, kColCentreY, QString::number(s.centreY));
        }
    }
    g->setCellForeColor(kFirstRow, kColBeginX, g->rows() - 1, kColBeginY, kBeginColour);
}

int CImportDxf::ParseType(int row) const
{
    const QString text = grid()->textMatrix(row, kColType);
    if (text == Str(pos::sid::StraightLine))
        return pos::kTypeLine;
    if (text == Str(pos::sid::ClockwiseArc))
        return pos::kTypeCw;
    if (text == Str(pos::sid::CounterclockwiseArc))
        return pos::kTypeCcw;
    return 0;
}

bool CImportDxf::HasNumber(int row) const
{
    return !grid()->textMatrix(row, kColNumber).isEmpty();
}

std::int32_t CImportDxf::CellValue(int row, int col) const
{
    const pos::NumberCheck check = pos::ValidateNumberField(
        grid()->textMatrix(row, col).toStdString(), pos::NumberField::Signed32);
    return check.ok() ? static_cast<std::int32_t>(check.value) : 0;
}

// --- grid events ------------------------------------------------------------

void CImportDxf::OnBeforeEditGrid(int row, int col, bool *cancel)
{
    if (col == kColNumber) {
        *cancel = true;
        return;
    }
    if (col == kColCentreX || col == kColCentreY) {
        const QString type = grid()->textMatrix(row, kColType);
        if (type.isEmpty() || type.compare(Str(pos::sid::StraightLine), Qt::CaseInsensitive) == 0)
            *cancel = true;
    }
}

void CImportDxf::OnValidateEditGrid(int row, int col, bool *)
{
    if (col != kColType)
        return;
    CVSFlexGrid *g = grid();
    const int pick = g->comboIndex();
    if (pick < 0)
        return;
    for (const int c : {kColCentreX, kColCentreY}) {
        if (pick == 0)
            g->setTextMatrix(row, c, QString());
        else if (g->textMatrix(row, c).isEmpty())
            g->setTextMatrix(row, c, QString::number(0));
    }
}

void CImportDxf::OnMouseUpGrid(int button, int, double, double)
{
    if (button == CVSFlexGrid::RightButton)
        grid()->selectUnderMouse();
}

// --- context menu -----------------------------------------------------------

std::unique_ptr<QMenu> CImportDxf::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("importMenu"));
    auto add = [this](QMenu *into, const QString &text, Command id, const char *name,
                      void (CImportDxf::*slot)()) {
        QAction *a = into->addAction(text);
        a->setData(static_cast<int>(id));
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto sub = [&menu](const QString &title, const char *name) {
        QMenu *m = menu->addMenu(title);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        return m;
    };
    add(menu.get(), tr("&Delete Row"), IdDeleteRow, "deleteRow", &CImportDxf::OnDeleteRow);
    menu->addSeparator();
    QMenu *move = sub(tr("Coordinate &Move"), "moveMenu");
    add(move, tr("&Current Line"), IdMoveCurrent, "moveCurrent", &CImportDxf::OnMoveCurrentLine);
    add(move, tr("&All Lines"), IdMoveAll, "moveAll", &CImportDxf::OnMoveAllLines);
    QMenu *reverse = sub(tr("&Reverse Graphic"), "reverseMenu");
    add(reverse, tr("&Current Line"), IdReverseCurrent, "reverseCurrent",
        &CImportDxf::OnReverseCurrentLine);
    add(reverse, tr("&All Lines"), IdReverseAll, "reverseAll", &CImportDxf::OnReverseAllLines);
    menu->addSeparator();
    add(menu.get(), tr("Move &Up"), IdMoveUp, "moveUp", &CImportDxf::OnMoveUp);
    add(menu.get(), tr("Move D&own"), IdMoveDown, "moveDown", &CImportDxf::OnMoveDown);
    menu->addSeparator();
    QMenu *show = sub(tr("&Graphic Locus Display"), "graphicMenu");
    add(show, tr("To &Current Row"), IdShowToCurrent, "showToCurrent",
        &CImportDxf::OnShowToCurrentRow);
    add(show, tr("&All Rows"), IdShowAll, "showAll", &CImportDxf::OnShowAllRows);

    // Greying: an item greyed by any rule stays greyed.
    const CVSFlexGrid *g = grid();
    const int cur = g->row();
    const int rows = g->rows();
    std::vector<int> grey;
    if (cur >= kFirstRow && g->textMatrix(kFirstRow, kColType).isEmpty())
        grey.insert(grey.end(), {IdShowToCurrent, IdShowAll, IdReverseCurrent, IdReverseAll,
                                 IdMoveCurrent, IdMoveAll});
    if (cur < kFirstRow)
        grey.insert(grey.end(), {IdShowToCurrent, IdShowAll, IdReverseCurrent, IdMoveCurrent});
    if (rows < kFirstRow + 1)
        grey.insert(grey.end(), {IdDeleteRow, IdReverseAll, IdMoveAll});
    if (!(cur > kFirstRow && HasNumber(cur)))
        grey.push_back(IdMoveUp);
    if (!(cur != rows - 1 && HasNumber(cur)))
        grey.push_back(IdMoveDown);
    for (QAction *a : menu->findChildren<QAction *>())
        if (a->data().isValid()
            && std::find(grey.begin(), grey.end(), a->data().toInt()) != grey.end())
            a->setEnabled(false);
    return menu;
}

void CImportDxf::OnContextMenu(const QPoint &globalPos)
{
    grid()->finishEditing();
    const QRect gridRect(grid()->mapTo(this, QPoint(0, 0)), grid()->size());
    if (!gridRect.contains(mapFromGlobal(globalPos)))
        return;
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    pos::ui::Prompts().popupMenu(menu.get(), globalPos);
}

void CImportDxf::contextMenuEvent(QContextMenuEvent *event)
{
    OnContextMenu(event->globalPos());
    event->accept();
}

// --- commands -----------------------------------------------------------------

void CImportDxf::Renumber()
{
    CVSFlexGrid *g = grid();
    for (int r = kFirstRow; r < g->rows(); ++r) {
        if (g->textMatrix(r, kColType).isEmpty())
            break;
        g->setTextMatrix(r, kColNumber, QString::number(r - 1));
    }
}

void CImportDxf::OnDeleteRow()
{
    const int cur = grid()->row();
    if (cur < kFirstRow)
        return;
    if (pos::ui::Prompts().message(this, Str(pos::sid::RemoveRow),
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    grid()->removeItem(cur);
    Renumber();
}

void CImportDxf::ShiftRow(int row, std::int64_t dx, std::int64_t dy)
{
    CVSFlexGrid *g = grid();
    auto shift = [g, row](int col, std::int64_t by) {
        g->setTextMatrix(row, col, QString::number(LeadingNumber(g->textMatrix(row, col)) + by));
    };
    shift(kColBeginX, dx);
    shift(kColEndX, dx);
    shift(kColBeginY, dy);
    shift(kColEndY, dy);
    const int type = ParseType(row);
    if (type == pos::kTypeCw || type == pos::kTypeCcw) {
        shift(kColCentreX, dx);
        shift(kColCentreY, dy);
    }
}

void CImportDxf::OnMoveCurrentLine()
{
    const int cur = grid()->row();
    if (cur < kFirstRow || !HasNumber(cur))
        return;
    if (const auto move = pos::ui::Prompts().coordinateMove(this))
        ShiftRow(cur, move->x(), move->y());
}

void CImportDxf::OnMoveAllLines()
{
    if (grid()->rows() <= kFirstRow)
        return;
    const auto move = pos::ui::Prompts().coordinateMove(this);
    if (!move)
        return;
    for (int r = kFirstRow; r < grid()->rows(); ++r)
        if (HasNumber(r))
            ShiftRow(r, move->x(), move->y());
}

void CImportDxf::ReverseRow(int row)
{
    CVSFlexGrid *g = grid();
    for (const auto &[a, b] : {std::pair{kColBeginX, kColEndX}, std::pair{kColBeginY, kColEndY}}) {
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
    const int cur = grid()->row();
    if (cur >= kFirstRow)
        ReverseRow(cur);
}

void CImportDxf::OnReverseAllLines()
{
    if (grid()->rows() < kFirstRow + 1)
        return;
    for (int r = kFirstRow; r < grid()->rows(); ++r)
        ReverseRow(r);
}

void CImportDxf::SwapRows(int a, int b)
{
    CVSFlexGrid *g = grid();
    for (int c = kColType; c < kColCount; ++c) {
        const QString first = g->textMatrix(a, c);
        g->setTextMatrix(a, c, g->textMatrix(b, c));
        g->setTextMatrix(b, c, first);
    }
}

void CImportDxf::OnMoveUp()
{
    const int cur = grid()->row();
    if (cur <= kFirstRow || !HasNumber(cur - 1) || !HasNumber(cur))
        return;
    SwapRows(cur - 1, cur);
    grid()->select(cur - 1, grid()->col());
}

void CImportDxf::OnMoveDown()
{
    const int cur = grid()->row();
    if (cur < kFirstRow || cur >= grid()->rows() - 1 || !HasNumber(cur + 1) || !HasNumber(cur))
        return;
    SwapRows(cur, cur + 1);
    grid()->select(cur + 1, grid()->col());
}

// --- checks and display -------------------------------------------------------

bool CImportDxf::CheckTable(int last)
{
    CVSFlexGrid *g = grid();
    last = std::min(last, g->rows() - 1);
    int end = kFirstRow;
    while (end <= last && HasNumber(end))
        ++end;
    if (end == kFirstRow) {
        pos::ui::ShowOk(this, Str(pos::sid::TableEmpty));
        return false;
    }
    for (int r = kFirstRow; r < end; ++r) {
        const int type = ParseType(r);
        for (int c = kColBeginX; c <= kColCentreY; ++c) {
            const QString text = g->textMatrix(r, c);
            if (text.isEmpty() && (c == kColCentreX || c == kColCentreY) && type == pos::kTypeLine)
                continue;
            // Every coordinate may be negative; a number that does not fit
            // 32 bits is refused like a misplaced minus sign.
            const pos::NumberCheck check
                = pos::ValidateNumberField(text.toStdString(), pos::NumberField::Signed32);
            if (check.ok())
                continue;
            const QString name
                = StrF(pos::sid::SegmentNo, {std::int64_t{r - 1}}) + g->columnTitle(c);
            g->select(r, c);
            pos::ui::ShowOk(this, StrF(check.messageId, {name.toStdString()}));
            return false;
        }
        if (type == pos::kTypeLine || r == kFirstRow)
            continue;
        // Drawing coordinates are absolute: the arc begins where the row
        // before it ends; the row's own begin columns take no part.
        const std::int32_t bx = CellValue(r - 1, kColEndX);
        const std::int32_t by = CellValue(r - 1, kColEndY);
        pos::PosSegment segment;
        segment.type = type;
        segment.centreMode = pos::kCentrePoint;
        segment.endX = CellValue(r, kColEndX);
        segment.endY = CellValue(r, kColEndY);
        segment.centreX = CellValue(r, kColCentreX);
        segment.centreY = CellValue(r, kColCentreY);
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
        return false; // the user repeats the command with the corrected end point
    }
    return true;
}

void CImportDxf::ShowTrajectory(int count)
{
    auto *display = new CGraphicDisplay(count, this);
    display->setObjectName(QStringLiteral("graphicDisplay"));
    display->setAttribute(Qt::WA_DeleteOnClose);
    CGraphicDisplay::Arrays &a = display->arrays();
    for (int i = 0; i < display->count(); ++i) {
        const int r = i + kFirstRow;
        const auto k = static_cast<std::size_t>(i);
        a.type[k] = ParseType(r);
        a.endX[k] = CellValue(r, kColEndX);
        a.endY[k] = CellValue(r, kColEndY);
        a.centreX[k] = CellValue(r, kColCentreX);
        a.centreY[k] = CellValue(r, kColCentreY);
    }
    display->setActionMode(1); // drawing coordinates are absolute
    display->open();
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
                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon)
        != QMessageBox::Ok)
        return;
    if (!CheckTable(grid()->rows() - 1))
        return;
    if (m_pConfig) {
        m_pConfig->segments.clear();
        const CVSFlexGrid *g = grid();
        for (int r = kFirstRow; r < g->rows() && HasNumber(r); ++r) {
            pos::PosSegment s;
            s.number = g->textMatrix(r, kColNumber).toUInt();
            s.type = ParseType(r);
            s.endX = CellValue(r, kColEndX);
            s.endY = CellValue(r, kColEndY);
            s.centreX = CellValue(r, kColCentreX);
            s.centreY = CellValue(r, kColCentreY);
            // Begin point, centre mode (0: the circle point is the centre),
            // speeds and time stay 0; the table page sets the speeds.
            m_pConfig->segments[s.number] = s;
        }
    }
    QDialog::accept();
}
