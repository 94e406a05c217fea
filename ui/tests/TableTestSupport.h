#pragma once

// Driving the grid, its drop-down lists and the context menus the way a user
// does: clicks on cells and header cells, typed keys, picks from the list,
// right-clicks that pop a menu up.

#include "controls/CVSFlexGrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace pos::test {

inline QModelIndex CellIndex(const CVSFlexGrid *grid, int row, int col)
{
    return grid->model()->index(row - CVSFlexGrid::kFixedRows, col);
}

// Centre of a data cell in the grid's viewport, scrolled into view.
inline QPoint CellPoint(CVSFlexGrid *grid, int row, int col)
{
    const QModelIndex index = CellIndex(grid, row, col);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

// A point in header row 0 or 1 of a column, in the header's viewport.
inline QPoint HeaderPoint(CVSFlexGrid *grid, int headerRow, int col)
{
    QHeaderView *h = grid->horizontalHeader();
    const int x = h->sectionViewportPosition(col) + h->sectionSize(col) / 2;
    const int y = headerRow == 0 ? h->height() / 4 : h->height() * 3 / 4;
    return {x, y};
}

inline void ClickCell(CVSFlexGrid *grid, int row, int col,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellPoint(grid, row, col));
}

// The editor open on the current cell, or null.
inline QWidget *OpenEditor(const CVSFlexGrid *grid)
{
    return grid->indexWidget(grid->currentIndex());
}

// Processes posted events (a queued commit, a popup shown on the next turn).
inline void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Makes (row, col) current with a click, unless it already is (a second
// click on a selected cell would start an edit later on).
inline void GoToCell(CVSFlexGrid *grid, int row, int col)
{
    if (grid->row() != row || grid->col() != col || !grid->currentIndex().isValid())
        ClickCell(grid, row, col);
}

// Types text into the cell as a user does: the first key starts the edit,
// the others go to the editor, Enter ends it. Latin-1 only.
inline void TypeIntoCell(CVSFlexGrid *grid, int row, int col, const QString &text)
{
    GoToCell(grid, row, col);
    if (text.isEmpty()) {
        QTest::keyClick(grid, Qt::Key_F2);
        if (QWidget *editor = OpenEditor(grid)) {
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_Delete);
            QTest::keyClick(editor, Qt::Key_Return);
        }
        Settle();
        return;
    }
    QTest::keyClicks(grid, text.left(1));
    if (QWidget *editor = OpenEditor(grid)) {
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    Settle();
}

// Opens the drop-down list of the cell from the keyboard (F4); the list
// popup, or null when the edit was refused.
inline QComboBox *OpenList(CVSFlexGrid *grid, int row, int col)
{
    GoToCell(grid, row, col);
    QTest::keyClick(grid, Qt::Key_F4);
    Settle();
    return qobject_cast<QComboBox *>(OpenEditor(grid));
}

// Picks item `item` of the cell's drop-down list with a click in the list.
// False when no list opened.
inline bool PickFromList(CVSFlexGrid *grid, int row, int col, int item)
{
    QComboBox *combo = OpenList(grid, row, col);
    if (!combo || !combo->view()->isVisible())
        return false;
    QAbstractItemView *view = combo->view();
    const QRect r = view->visualRect(view->model()->index(item, 0));
    QTest::mouseMove(view->viewport(), r.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    Settle();
    return true;
}

// Whether an edit of the cell starts on a double-click (after a first click).
inline bool EditStarts(CVSFlexGrid *grid, int row, int col)
{
    GoToCell(grid, row, col);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellPoint(grid, row, col));
    Settle();
    QWidget *editor = OpenEditor(grid);
    const bool open = editor != nullptr;
    if (editor) {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->hidePopup();
        QTest::keyClick(editor, Qt::Key_Escape);
        Settle();
    }
    return open;
}

// The state of a menu: for each action with an object name, whether it is
// enabled, and the texts in order ("-" for a separator, submenus indented).
struct MenuState
{
    std::map<QString, bool> enabled;
    QStringList texts;
};

inline void ReadMenu(const QMenu *menu, MenuState &state, const QString &indent = {})
{
    for (QAction *a : menu->actions()) {
        if (a->isSeparator()) {
            state.texts << indent + QStringLiteral("-");
            continue;
        }
        state.texts << indent + a->text();
        if (!a->objectName().isEmpty())
            state.enabled[a->objectName()] = a->isEnabled();
        if (a->menu())
            ReadMenu(a->menu(), state, indent + QStringLiteral("  "));
    }
}

inline MenuState ReadMenu(const QMenu *menu)
{
    MenuState state;
    ReadMenu(menu, state);
    return state;
}

// Runs `open` (e.g. a right-click) and, while the popup menu it opens is
// shown, reads it and then chooses the item at `path` (object names of the
// submenu and the item), or closes it when path is empty. Returns the
// menu's state; `shown` tells whether a menu appeared at all.
inline MenuState UseMenu(const std::function<void()> &open, const QStringList &path, bool *shown)
{
    MenuState state;
    *shown = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll.stop();
        *shown = true;
        state = ReadMenu(menu);
        QMenu *in = menu;
        for (const QString &name : path) {
            QAction *found = nullptr;
            for (QAction *a : in->actions())
                if (a->objectName() == name)
                    found = a;
            if (!found)
                break;
            in->setActiveAction(found);
            QTest::keyClick(in, Qt::Key_Return);
            if (!found->menu())
                break;
            in = found->menu();
        }
        if (QWidget *still = QApplication::activePopupWidget())
            still->close();
        if (menu->isVisible())
            menu->close();
    });
    poll.start();
    open();
    poll.stop();
    Settle();
    return state;
}

// A right-click on a data cell.
inline void RightClickCell(CVSFlexGrid *grid, int row, int col)
{
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, CellPoint(grid, row, col));
}

inline void RightClickHeader(CVSFlexGrid *grid, int headerRow, int col)
{
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::RightButton, {},
                      HeaderPoint(grid, headerRow, col));
}

// The texts of a data row, columns 0..cols-1.
inline QStringList RowTexts(const CVSFlexGrid *grid, int row)
{
    QStringList out;
    for (int c = 0; c < grid->cols(); ++c)
        out << grid->textMatrix(row, c);
    return out;
}

} // namespace pos::test
