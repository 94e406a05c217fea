#pragma once

// Undo and redo for a segment grid (the table page's and the Import DXF
// dialog's). One user action is one step, and a step holds the grid's whole
// state before and after the action: its data rows, every data cell's text
// and text colour, the travel marks and the current cell. Undo and redo put
// such a state back as it was. A grid holds at most 258 rows of 10 cells, so
// a whole copy is cheap, and a copy cannot miss a cell that an action
// touched on the side (a type pick fills and empties cells and renumbers).
//
// What makes a step:
// - everything between the construction and the end of a GridUndo::Step,
//   which the owner opens around each of its commands (a Step opened inside
//   another belongs to the outer one);
// - a cell edit, from the grid's validateEdit to its editCommitted, so that
//   what the owner's validateEdit slot fills in belongs to the edit. The
//   GridUndo must therefore be made before the owner connects its own slot
//   to validateEdit, to see the cells before that slot changes them.
// A step that leaves every text, colour, mark and the row count as they were
// is not kept: a moved current cell alone is no change.
//
// Keys on the grid: Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo (and the
// platform's own undo and redo keys). They are the grid's even when its
// window or the host program has shortcuts on them; an open cell editor has
// them first, for its own text. The context menus show undoAction() and
// redoAction(), greyed when there is nothing to undo or redo.

#include <QColor>
#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

class CVSFlexGrid;
class QAction;
class QMenu;
class QUndoStack;

namespace pos::ui {

// What a step restores of a grid.
struct GridState
{
    std::vector<QStringList> texts;           // one list per data row
    std::vector<std::vector<QColor>> colours; // the text colours, likewise
    std::vector<bool> marks;                  // one per data row
    int row = 0;                              // the current cell
    int col = 0;

    // The same rows, texts, colours and marks; the current cell aside.
    bool sameCells(const GridState &other) const
    {
        return texts == other.texts && marks == other.marks && colours == other.colours;
    }
};

GridState CaptureGrid(const CVSFlexGrid *grid);
// Puts the state back: the row count, the cells and marks, the current cell
// (selected alone).
void RestoreGrid(CVSFlexGrid *grid, const GridState &state);

class GridUndo : public QObject
{
    Q_OBJECT
public:
    // Steps kept; the oldest go first.
    static constexpr int kStepLimit = 100;

    // The grid and this object belong to the same screen and go with it.
    explicit GridUndo(CVSFlexGrid *grid, QObject *parent = nullptr);

    // Records what the grid goes through while it lives as one step. An
    // open cell editor is finished first, as a step of its own.
    class Step
    {
    public:
        explicit Step(GridUndo *undo);
        ~Step();
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;

    private:
        GridUndo *m_undo;
    };

    // Forgets every step: the grid's earlier history no longer applies.
    void clear();
    bool canUndo() const;
    bool canRedo() const;
    // Goes one step back or forward; an open cell editor is finished first
    // (its edit becomes the step that undo takes back). Nothing happens
    // while a Step is open.
    void undo();
    void redo();

    // "Undo" and "Redo" with their keys shown, greyed when there is nothing
    // to undo or redo; owned by this object, added to the menus.
    QAction *undoAction() const { return m_undoAction; }
    QAction *redoAction() const { return m_redoAction; }
    // Adds both to a context menu, in the current language.
    void addTo(QMenu *menu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Command;

    void begin();
    void end();
    void editStarting();
    void takeEdit();
    void record(std::shared_ptr<const GridState> before);

    CVSFlexGrid *m_grid;
    QUndoStack *m_stack;
    QAction *m_undoAction;
    QAction *m_redoAction;
    int m_depth = 0;                             // Steps open
    std::shared_ptr<const GridState> m_before;   // of the outermost Step
    std::shared_ptr<const GridState> m_editFrom; // of a cell edit under way
};

} // namespace pos::ui
