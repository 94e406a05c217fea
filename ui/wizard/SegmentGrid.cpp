#include "wizard/SegmentGrid.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CGraphicDisplay.h"
#include "geometry/ArcCheck.h"
#include "guide/Prompter.h"
#include "res/UiText.h"

#include <QContextMenuEvent>

#include <algorithm>

namespace pos::ui {

namespace {

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;
const QColor kGridColour(196, 228, 255);

} // namespace

QStringList Pieces(int id)
{
    QStringList pieces = Str(id).split(QLatin1Char('|'));
    if (!pieces.isEmpty() && pieces.last().isEmpty())
        pieces.removeLast(); // the list ends with a bar
    return pieces;
}

int TypeFromText(const QString &text)
{
    for (const int type : {kTypeLine, kTypeCw, kTypeCcw})
        if (text == TypeText(type))
            return type;
    return 0;
}

QString TypeText(int type)
{
    switch (type) {
    case kTypeCw:
        return Str(sid::ClockwiseArc);
    case kTypeCcw:
        return Str(sid::CounterclockwiseArc);
    default:
        return Str(sid::StraightLine);
    }
}

void SetUpSegmentGrid(CVSFlexGrid *grid, const SegmentColumns &columns, int topList, int bottomList,
                      const std::vector<int> &mergedColumns,
                      const std::vector<std::pair<int, int>> &widths)
{
    grid->setBackColor(kGridColour);
    grid->setBackColorFixed(kGridColour);
    grid->setCols(columns.count);
    const QStringList top = Pieces(topList);
    const QStringList bottom = Pieces(bottomList);
    for (int c = 0; c < columns.count && c < top.size(); ++c) {
        grid->setTextMatrix(0, c, top[c]);
        grid->setTextMatrix(1, c, c < bottom.size() ? bottom[c] : QString());
        grid->setColAlignment(c, Qt::AlignCenter);
    }
    grid->setMergeRow(0, true);
    for (const int c : mergedColumns)
        grid->setMergeCol(c, true);
    for (const auto &[c, twips] : widths)
        grid->setColWidth(c, twips);
    grid->setColComboList(kTypeColumn, Pieces(sid::TypeList));
    grid->setRowMarkToolTip(Str(sid::TravelMove));
}

std::int64_t CellValue(const CVSFlexGrid *grid, int row, int col, NumberField field)
{
    const Result<std::int64_t> value
        = ValidateNumberField(grid->textMatrix(row, col).toStdString(), field);
    return value ? *value : 0;
}

bool HasNumber(const CVSFlexGrid *grid, int row)
{
    return !grid->textMatrix(row, kNumberColumn).isEmpty();
}

int FilledEnd(const CVSFlexGrid *grid, int last)
{
    last = std::min(last, grid->rows() - 1);
    int end = kFirstRow;
    while (end <= last && HasNumber(grid, end))
        ++end;
    return end;
}

void Renumber(CVSFlexGrid *grid)
{
    for (int r = kFirstRow; r < grid->rows(); ++r) {
        if (grid->textMatrix(r, kTypeColumn).isEmpty())
            break;
        grid->setTextMatrix(r, kNumberColumn, QString::number(r - 1));
    }
}

QString CellName(const CVSFlexGrid *grid, int row, int col)
{
    return StrF(sid::SegmentNo, {std::int64_t{row - 1}}) + grid->columnTitle(col);
}

void WriteCircleCells(CVSFlexGrid *grid, int row, const SegmentColumns &columns,
                      const PosSegment &segment)
{
    const bool arc = segment.isArc();
    grid->setTextMatrix(row, columns.centreX, arc ? QString::number(segment.centreX) : QString());
    grid->setTextMatrix(row, columns.centreX + 1,
                        arc ? QString::number(segment.centreY) : QString());
}

// --- context menu -----------------------------------------------------------

GridMenu::GridMenu(QWidget *owner, CVSFlexGrid *grid,
                   std::function<std::unique_ptr<QMenu>()> create)
    : QObject(owner)
    , m_owner(owner)
    , m_grid(grid)
    , m_create(std::move(create))
{
    owner->installEventFilter(this);
}

void GridMenu::popup(const QPoint &globalPos)
{
    m_grid->finishEditing();
    const QRect gridRect(m_grid->mapTo(m_owner, QPoint(0, 0)), m_grid->size());
    if (!gridRect.contains(m_owner->mapFromGlobal(globalPos)))
        return;
    const std::unique_ptr<QMenu> menu = m_create();
    Prompts().popupMenu(menu.get(), globalPos);
}

void GridMenu::mouseUp(int button)
{
    if (button == CVSFlexGrid::RightButton)
        m_grid->selectUnderMouse();
}

bool GridMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && event->type() == QEvent::ContextMenu) {
        popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QMenu *AddSubmenu(QMenu *menu, const QString &title, const char *name)
{
    QMenu *sub = menu->addMenu(title);
    sub->setObjectName(QLatin1String(name));
    sub->menuAction()->setObjectName(QLatin1String(name));
    return sub;
}

void GreyCommands(QMenu *menu, const std::vector<int> &commands)
{
    for (QAction *a : menu->findChildren<QAction *>())
        if (a->data().isValid()
            && std::find(commands.begin(), commands.end(), a->data().toInt()) != commands.end())
            a->setEnabled(false);
}

// --- checks -------------------------------------------------------------------

bool ConfirmArc(const ArcPrompt &prompt, std::int32_t beginX, std::int32_t beginY,
                const PosSegment &segment)
{
    const ArcCheck check = CheckSegmentArc(beginX, beginY, segment);
    if (check.result == kArcOk)
        return true;
    Diagnostic problem = ArcDiagnostic(check, beginX, beginY, segment);
    problem.segment = prompt.segment;
    // Either prompt asks about the arc: it is brought into view first.
    if (prompt.locate)
        prompt.locate();
    if (check.result == kArcImpossible) {
        ShowOk(prompt.parent, Say(problem), prompt.icon);
        return false;
    }
    ArcEndChoice arc;
    arc.begin = QPoint(beginX, beginY);
    arc.centre = QPoint(segment.centreX, segment.centreY);
    arc.entered = QPoint(segment.endX, segment.endY);
    for (std::size_t k = 0; k < 2; ++k)
        arc.candidates[k] = QPoint(check.xs[k], check.ys[k]);
    arc.clockwise = segment.type == kTypeCw;
    const int choice = Prompts().chooseArcEnd(prompt.parent, Say(problem), arc);
    if (choice == 0 || choice == 1) {
        const auto k = static_cast<std::size_t>(choice);
        prompt.takeEnd(check.xs[k], check.ys[k]);
    }
    return false;
}

bool CheckRows(QWidget *parent, CVSFlexGrid *grid, int last, const SegmentColumns &columns,
               int actionMode, const std::function<PosSegment(int)> &segment)
{
    // The rows checked so far, as the record will hold them: where an arc
    // begins follows the same rule as on the step page.
    PosConfig checked;
    checked.actionMode = static_cast<std::uint16_t>(actionMode);
    for (int r = kFirstRow; r <= last; ++r) {
        const auto number = static_cast<std::uint32_t>(r - 1);
        const bool line = TypeFromText(grid->textMatrix(r, kTypeColumn)) == kTypeLine;
        for (int c = columns.firstNumber; c <= columns.centreX + 1; ++c) {
            const QString text = grid->textMatrix(r, c);
            if (text.isEmpty() && line && c >= columns.centreX)
                continue;
            const Result<std::int64_t> value
                = ValidateNumberField(text.toStdString(), columns.field(c));
            if (value)
                continue;
            grid->select(r, c);
            ShowOk(parent, FieldMessage(value.error(), CellName(grid, r, c)));
            return false;
        }
        const PosSegment s = segment(r);
        checked.segments[number] = s;
        if (r == kFirstRow || line)
            continue;
        std::int32_t bx = 0;
        std::int32_t by = 0;
        SegmentBeginPoint(checked, number, bx, by);
        ArcPrompt prompt;
        prompt.parent = parent;
        prompt.segment = number;
        prompt.locate = [grid, r, &columns] { grid->select(r, columns.centreX); };
        prompt.takeEnd = [grid, r, &columns](std::int32_t x, std::int32_t y) {
            grid->setTextMatrix(r, columns.endX, QString::number(x));
            grid->setTextMatrix(r, columns.endX + 1, QString::number(y));
        };
        if (!ConfirmArc(prompt, bx, by, s))
            return false;
    }
    return true;
}

PosConfig KeyedFromZero(const PosConfig &arranged)
{
    PosConfig record = arranged;
    record.segments.clear();
    for (const auto &[number, segment] : arranged.segments)
        if (number >= 1)
            record.segments[number - 1] = segment;
    return record;
}

CGraphicDisplay *ShowSegments(QWidget *parent, const std::vector<PosSegment> &segments,
                              int actionMode)
{
    auto *display = new CGraphicDisplay(static_cast<std::int32_t>(segments.size()), parent);
    display->setObjectName(QStringLiteral("graphicDisplay"));
    display->setAttribute(Qt::WA_DeleteOnClose);
    CGraphicDisplay::Arrays &a = display->arrays();
    std::vector<std::int32_t> modes;
    std::vector<bool> travel;
    std::vector<CGraphicShow::Speeds> speeds;
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const PosSegment &s = segments[k];
        a.type[k] = s.type;
        a.endX[k] = s.endX;
        a.endY[k] = s.endY;
        a.centreX[k] = s.centreX;
        a.centreY[k] = s.centreY;
        modes.push_back(s.centreMode);
        travel.push_back(s.travel);
        speeds.push_back({s.initialSpeed, s.maxSpeed, s.accDecTime});
    }
    display->setActionMode(actionMode);
    display->setCentreModes(std::move(modes));
    display->setTravelMarks(std::move(travel));
    display->setSpeeds(std::move(speeds));
    display->open();
    return display;
}

} // namespace pos::ui
