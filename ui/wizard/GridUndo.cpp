#include "wizard/GridUndo.h"

#include "controls/CVSFlexGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QUndoCommand>
#include <QUndoStack>

#include <utility>

namespace pos::ui {

namespace {

constexpr int kFirstRow = CVSFlexGrid::kFixedRows;

enum class UndoKey { None, Undo, Redo };

UndoKey KeyOf(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_Z && mods == Qt::ControlModifier)
        return UndoKey::Undo;
    if ((key == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))
        || (key == Qt::Key_Y && mods == Qt::ControlModifier))
        return UndoKey::Redo;
    if (event->matches(QKeySequence::Undo))
        return UndoKey::Undo;
    if (event->matches(QKeySequence::Redo))
        return UndoKey::Redo;
    return UndoKey::None;
}

} // namespace

GridState CaptureGrid(const CVSFlexGrid *grid)
{
    GridState state;
    state.texts = grid->dataRows();
    const int cols = grid->cols();
    for (int r = kFirstRow; r < grid->rows(); ++r) {
        std::vector<QColor> &colours = state.colours.emplace_back();
        colours.reserve(static_cast<std::size_t>(cols));
        for (int c = 0; c < cols; ++c)
            colours.push_back(grid->cellForeColor(r, c));
        state.marks.push_back(grid->isRowMarked(r));
    }
    state.row = grid->row();
    state.col = grid->col();
    return state;
}

void RestoreGrid(CVSFlexGrid *grid, const GridState &state)
{
    // Row by row rather than all at once: the model stays, and with it the
    // view's column widths and scroll position; only changed cells repaint.
    const int rows = static_cast<int>(state.texts.size());
    grid->setRows(kFirstRow + rows);
    const int cols = grid->cols();
    for (int i = 0; i < rows; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const int r = kFirstRow + i;
        const QStringList &texts = state.texts[k];
        const std::vector<QColor> &colours = state.colours[k];
        for (int c = 0; c < cols; ++c) {
            grid->setTextMatrix(r, c, c < texts.size() ? texts[c] : QString());
            const auto j = static_cast<std::size_t>(c);
            const QColor colour = j < colours.size() ? colours[j] : QColor();
            if (grid->cellForeColor(r, c) != colour)
                grid->setCellForeColor(r, c, r, c, colour);
        }
        grid->setRowMarked(r, state.marks[k]);
    }
    grid->select(state.row, state.col);
}

// --- steps ------------------------------------------------------------------

// A step: the grid before and after one action. When pushed, the grid shows
// the state after it already.
class GridUndo::Command : public QUndoCommand
{
public:
    Command(CVSFlexGrid *grid, std::shared_ptr<const GridState> before,
            std::shared_ptr<const GridState> after)
        : m_grid(grid)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {}

    void undo() override { RestoreGrid(m_grid, *m_before); }
    void redo() override
    {
        if (std::exchange(m_pushed, false))
            return;
        RestoreGrid(m_grid, *m_after);
    }

private:
    CVSFlexGrid *m_grid;
    std::shared_ptr<const GridState> m_before;
    std::shared_ptr<const GridState> m_after;
    bool m_pushed = true;
};

GridUndo::GridUndo(CVSFlexGrid *grid, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_stack(new QUndoStack(this))
    , m_undoAction(new QAction(this))
    , m_redoAction(new QAction(this))
{
    setObjectName(QStringLiteral("gridUndo"));
    m_stack->setUndoLimit(kStepLimit);

    // The keys are the grid's (see eventFilter); the menu only shows them.
    m_undoAction->setObjectName(QStringLiteral("undo"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction->setObjectName(QStringLiteral("redo"));
    m_redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *a : {m_undoAction, m_redoAction}) {
        a->setShortcutContext(Qt::WidgetShortcut);
        a->setEnabled(false);
    }
    connect(m_undoAction, &QAction::triggered, this, &GridUndo::undo);
    connect(m_redoAction, &QAction::triggered, this, &GridUndo::redo);
    connect(m_stack, &QUndoStack::canUndoChanged, m_undoAction, &QAction::setEnabled);
    connect(m_stack, &QUndoStack::canRedoChanged, m_redoAction, &QAction::setEnabled);

    connect(grid, &CVSFlexGrid::validateEdit, this, &GridUndo::editStarting);
    connect(grid, &CVSFlexGrid::editCommitted, this, &GridUndo::takeEdit);
    grid->installEventFilter(this);
}

GridUndo::Step::Step(GridUndo *undo)
    : m_undo(undo)
{
    m_undo->begin();
}

GridUndo::Step::~Step()
{
    m_undo->end();
}

void GridUndo::begin()
{
    if (m_depth == 0) {
        // An edit still open is a step of its own, before the action's.
        m_grid->finishEditing();
        takeEdit();
        m_before = std::make_shared<const GridState>(CaptureGrid(m_grid));
    }
    ++m_depth;
}

void GridUndo::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    record(std::exchange(m_before, nullptr));
}

void GridUndo::editStarting()
{
    // Inside a Step an edit is part of the action.
    if (m_depth == 0 && !m_editFrom)
        m_editFrom = std::make_shared<const GridState>(CaptureGrid(m_grid));
}

void GridUndo::takeEdit()
{
    if (m_editFrom)
        record(std::exchange(m_editFrom, nullptr));
}

void GridUndo::record(std::shared_ptr<const GridState> before)
{
    auto after = std::make_shared<const GridState>(CaptureGrid(m_grid));
    if (before->sameCells(*after))
        return;
    m_stack->push(new Command(m_grid, std::move(before), std::move(after)));
}

// --- undo and redo ------------------------------------------------------------

void GridUndo::clear()
{
    m_editFrom.reset();
    m_stack->clear();
}

bool GridUndo::canUndo() const
{
    return m_stack->canUndo();
}

bool GridUndo::canRedo() const
{
    return m_stack->canRedo();
}

void GridUndo::undo()
{
    if (m_depth > 0)
        return;
    m_grid->finishEditing();
    takeEdit();
    m_stack->undo();
}

void GridUndo::redo()
{
    if (m_depth > 0)
        return;
    m_grid->finishEditing();
    takeEdit();
    m_stack->redo();
}

void GridUndo::addTo(QMenu *menu)
{
    // The context is named: the translation tools do not see the class
    // inside this file's namespace.
    m_undoAction->setText(QCoreApplication::translate("GridUndo", "Undo"));
    m_redoAction->setText(QCoreApplication::translate("GridUndo", "Redo"));
    menu->addAction(m_undoAction);
    menu->addAction(m_redoAction);
    menu->addSeparator();
}

bool GridUndo::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched != m_grid || (type != QEvent::KeyPress && type != QEvent::ShortcutOverride))
        return QObject::eventFilter(watched, event);
    const UndoKey key = KeyOf(static_cast<QKeyEvent *>(event));
    if (key == UndoKey::None)
        return QObject::eventFilter(watched, event);
    // Accepting the override keeps the key from the window's and the host
    // program's shortcuts; it then comes back as a key press.
    event->accept();
    if (type == QEvent::KeyPress) {
        if (key == UndoKey::Undo)
            undo();
        else
            redo();
    }
    return true;
}

} // namespace pos::ui
