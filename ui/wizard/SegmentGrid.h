#pragma once

// What the screens that show segments share: the grids of the table page and
// of the Import DXF dialog (their look, their cells, their context menu and
// the checks of their rows), and the arc check with its chooser, which the
// step page makes too.
//
// In a segment grid, data row r (from row 2) is segment r - 1; column 0 is
// the segment number, column 1 the instruction type. A row marked in the
// grid is a travel move (PosSegment::travel).

#include "guide/PosConfig.h"
#include "wizard/Checks.h"

#include <QMessageBox>
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CGraphicDisplay;
class CVSFlexGrid;
class QAction;
class QMenu;

namespace pos::ui {

constexpr int kNumberColumn = 0;
constexpr int kTypeColumn = 1;

// The pieces of a list text of the string table ("a|b|c|").
QStringList Pieces(int id);

// The instruction type that a cell names with one of the exact texts of
// strings 30, 28 and 29 (1, 2, 3); 0 for any other text.
int TypeFromText(const QString &text);
// The text of a type: "Clockwise arc" for 2, "Counterclockwise arc" for 3,
// "Straight line" for any other.
QString TypeText(int type);

// Where a grid keeps the numbers of a segment. The number columns run from
// firstNumber to centreX + 1: unsigned up to lastUnsigned, signed after it;
// endX + 1 and centreX + 1 hold the Y values.
struct SegmentColumns
{
    int firstNumber = 0;
    int lastUnsigned = -1; // -1: every number column is signed
    int endX = 0;
    int centreX = 0;
    int count = 0; // columns of the grid

    constexpr int endY() const { return endX + 1; }
    constexpr int centreY() const { return centreX + 1; }
    NumberField field(int col) const
    {
        return col <= lastUnsigned ? NumberField::Unsigned32 : NumberField::Signed32;
    }
};

// Sets up a segment grid as the wizard shows them: its colour, the two
// header rows from the lists topList and bottomList (the first merged where
// neighbouring texts repeat), the columns whose two header texts show as one
// cell, column widths in twips, the type column's drop-down list, the
// tooltip of travel rows.
void SetUpSegmentGrid(CVSFlexGrid *grid, const SegmentColumns &columns, int topList, int bottomList,
                      const std::vector<int> &mergedColumns,
                      const std::vector<std::pair<int, int>> &widths);

// The value of a number cell when the number rule takes it, else 0.
std::int64_t CellValue(const CVSFlexGrid *grid, int row, int col, NumberField field);
// Whether the row holds a segment: its number cell is filled.
bool HasNumber(const CVSFlexGrid *grid, int row);
// The first row from row 2 on that holds no segment, looking no further
// than last.
int FilledEnd(const CVSFlexGrid *grid, int last);
// Numbers the rows from 1 down to the first row without a type.
void Renumber(CVSFlexGrid *grid);
// A cell as messages name it: "[Segment No:n]" and the column's title.
QString CellName(const CVSFlexGrid *grid, int row, int col);
// Fills an arc's circle cells, or empties them for a straight line.
void WriteCircleCells(CVSFlexGrid *grid, int row, const SegmentColumns &columns,
                      const PosSegment &segment);

// The context menu of a grid, served for the widget that holds it. A right
// click first makes the cell under the mouse current (a selection that holds
// it stays, so that commands on several rows see them all); then the menu
// that create() builds opens there. A menu asked for elsewhere on the owner
// does not open. The menu opens through the prompt seam.
class GridMenu : public QObject
{
public:
    GridMenu(QWidget *owner, CVSFlexGrid *grid, std::function<std::unique_ptr<QMenu>()> create);

    // Opens the menu at a point in screen coordinates when it lies on the grid.
    void popup(const QPoint &globalPos);
    // What a mouse-up over the grid does: a right click selects the cell under the mouse.
    void mouseUp(int button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_owner;
    CVSFlexGrid *m_grid;
    std::function<std::unique_ptr<QMenu>()> m_create;
};

// Command ids of the grids' context menus (menus 1014 and 1013), kept as the
// actions' data; the last three are the table page's own additions.
namespace commands {
enum Command {
    IdInsertSection = 32778,
    IdAddEmptyRow = 32779,
    IdDeleteRow = 32780,
    IdMoveUp = 32783,
    IdMoveDown = 32784,
    IdShowToCurrent = 32785,
    IdShowAll = 32786,
    IdReverseCurrent = 32787,
    IdReverseAll = 32788,
    IdMoveCurrent = 32791,
    IdMoveAll = 32792,
    IdCopyRows = 40001,
    IdPasteRows = 40002,
    IdSetSpeeds = 40003,
};
} // namespace commands

// A menu item that calls slot; its command id is kept as the action's data,
// its name as the object name (for GreyCommands and for tests).
template<typename Receiver, typename Slot>
QAction *AddCommand(QMenu *menu, const QString &text, int id, const char *name, Receiver *receiver,
                    Slot slot);
// A submenu, named like its item.
QMenu *AddSubmenu(QMenu *menu, const QString &title, const char *name);
// Greys the items of a menu and of its submenus whose command ids are listed.
void GreyCommands(QMenu *menu, const std::vector<int> &commands);

// How a page shows the problem of an arc.
struct ArcPrompt
{
    QWidget *parent = nullptr;
    std::uint32_t segment = 0; // named before the message; 0 for none
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::function<void()> locate;                            // brings the arc into view first
    std::function<void(std::int32_t, std::int32_t)> takeEnd; // writes a chosen end point
};

// The arc check of a segment that begins at (beginX, beginY), as every page
// makes it. True when the arc is right. Otherwise tells the user and returns
// false: an arc that cannot be formed is refused with message 10027; an end
// point off its circle opens the chooser, whose pick goes to takeEnd (the
// user then confirms the corrected end point again).
bool ConfirmArc(const ArcPrompt &prompt, std::int32_t beginX, std::int32_t beginY,
                const PosSegment &segment);

// Checks the rows of a grid from row 2 to last (all filled): each number
// cell by the number rule (an arc's circle cells may be empty on a straight
// line), naming the cell "[Segment No:n]" and its column title and selecting
// it; then each arc after the first row, where it begins by the action mode.
// segment(row) gives a row's segment.
bool CheckRows(QWidget *parent, CVSFlexGrid *grid, int last, const SegmentColumns &columns,
               int actionMode, const std::function<PosSegment(int)> &segment);

// An arranged drawing's outline (keyed from 1) as the Import DXF dialog
// takes a record: keyed from 0, as the DXF reader keys them.
PosConfig KeyedFromZero(const PosConfig &arranged);

// Opens a trajectory display of the segments beside parent, for the action
// mode; it deletes itself when closed.
CGraphicDisplay *ShowSegments(QWidget *parent, const std::vector<PosSegment> &segments,
                              int actionMode);

} // namespace pos::ui

#include <QAction>
#include <QMenu>

template<typename Receiver, typename Slot>
QAction *pos::ui::AddCommand(QMenu *menu, const QString &text, int id, const char *name,
                             Receiver *receiver, Slot slot)
{
    QAction *action = menu->addAction(text);
    action->setData(id);
    action->setObjectName(QLatin1String(name));
    QObject::connect(action, &QAction::triggered, receiver, slot);
    return action;
}
