#pragma once

// Driving the grid the way a user does (clicks, typed keys, picks from the
// drop-down lists, right-clicks), the table page and the Import DXF dialog
// shown on their own, and a switch to Chinese.

#include "ScriptedPrompter.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CImportDxf.h"
#include "res/StringTable.h"
#include "wizard/CSetTable.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar> // for the grid's own tests
#include <QTest>
#include <QTranslator>

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
    return {h->sectionViewportPosition(col) + h->sectionSize(col) / 2,
            headerRow == 0 ? h->height() / 4 : h->height() * 3 / 4};
}

inline void ClickCell(CVSFlexGrid *grid, int row, int col,
                      Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellPoint(grid, row, col));
}

inline void RightClickCell(CVSFlexGrid *grid, int row, int col)
{
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, CellPoint(grid, row, col));
}

inline void RightClickHeader(CVSFlexGrid *grid, int headerRow, int col)
{
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::RightButton, {},
                      HeaderPoint(grid, headerRow, col));
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
// the others go to the editor, Enter ends it. Latin-1 only, not empty.
inline void TypeIntoCell(CVSFlexGrid *grid, int row, int col, const QString &text)
{
    GoToCell(grid, row, col);
    QTest::keyClicks(grid, text.left(1));
    if (QWidget *editor = OpenEditor(grid)) {
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
    }
    Settle();
}

// Opens the cell's drop-down list from the keyboard (F4); null when the
// edit was refused.
inline QComboBox *OpenList(CVSFlexGrid *grid, int row, int col)
{
    GoToCell(grid, row, col);
    QTest::keyClick(grid, Qt::Key_F4);
    Settle();
    return qobject_cast<QComboBox *>(OpenEditor(grid));
}

// Picks item `item` of the cell's drop-down list with a click in the list;
// false when no list opened.
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
    if (editor) {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->hidePopup();
        QTest::keyClick(editor, Qt::Key_Escape);
        Settle();
    }
    return editor != nullptr;
}

// Which cells of a row start an edit, column by column: "0110".
inline QString Editable(CVSFlexGrid *grid, int row)
{
    QString out;
    for (int c = 0; c < grid->cols(); ++c)
        out += EditStarts(grid, row, c) ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

// The texts of a row, columns 0..cols-1.
inline QStringList RowTexts(const CVSFlexGrid *grid, int row)
{
    QStringList out;
    for (int c = 0; c < grid->cols(); ++c)
        out << grid->textMatrix(row, c);
    return out;
}

// Texts of a row written compactly: "1|Straight line||0".
inline QStringList Cells(const char *texts)
{
    return QString::fromUtf8(texts).split(QLatin1Char('|'));
}

// A screen with a grid, shown and active; its prompts go to `prompts`.
struct GridScreen
{
    void show(QWidget *w, CVSFlexGrid *g)
    {
        widget = w;
        grid = g;
        w->resize(1000, 420);
        w->show();
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        g->setFocus();
    }
    QString cell(int row, int col) const { return grid->textMatrix(row, col); }
    QStringList row(int r) const { return RowTexts(grid, r); }
    // A column of the data rows: "1|2|3".
    QString column(int col) const
    {
        QStringList out;
        for (int r = CVSFlexGrid::kFixedRows; r < grid->rows(); ++r)
            out << cell(r, col);
        return out.join(QLatin1Char('|'));
    }
    void put(int row, int col, const char *text)
    {
        grid->setTextMatrix(row, col, QString::fromUtf8(text));
    }
    // Right-clicks a cell and picks an item of the menu that opens.
    void menu(int row, int col, const char *item)
    {
        prompts.pickMenu(QString::fromLatin1(item));
        RightClickCell(grid, row, col);
    }
    template<typename T>
    T *child(const char *name) const
    {
        return widget->findChild<T *>(QString::fromLatin1(name));
    }
    void click(const char *button) const
    {
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }

    ScriptedPrompter prompts;
    QWidget *widget = nullptr;
    CVSFlexGrid *grid = nullptr;
};

// The table page filled from a record; the record's segments are then
// cleared, as leaving the page rebuilds them from the grid.
struct TablePage : GridScreen
{
    explicit TablePage(PosConfig initial = NewPageDefaults())
        : config(std::move(initial))
    {
        page.SetContext(&config, false);
        page.OnInitDialog();
        config.segments.clear();
        show(&page, page.grid());
    }
    PosConfig config;
    CSetTable page;
};

// The Import DXF dialog on a record as the reader makes them.
struct ImportDialog : GridScreen
{
    explicit ImportDialog(PosConfig record)
        : config(std::move(record))
        , dialog(&config)
    {
        show(&dialog, dialog.grid());
    }
    PosConfig config;
    CImportDxf dialog;
};

// A segment as the table holds it: 10 ms, 100 and 1000 Hz.
inline PosSegment Segment(std::uint32_t n, int type, std::int32_t x, std::int32_t y,
                          std::int32_t cx = 0, std::int32_t cy = 0)
{
    return PosSegment{n, type, kCentrePoint, 100, 1000, 10, 0, 0, x, y, cx, cy};
}

// A record of n straight lines 1..n, line i ending at (10 i, -i).
inline PosConfig LinesRecord(int n)
{
    PosConfig record = NewPageDefaults();
    for (std::int32_t i = 1; i <= n; ++i)
        record.segments[static_cast<std::uint32_t>(i)]
            = Segment(static_cast<std::uint32_t>(i), kTypeLine, 10 * i, -i);
    return record;
}

// The forms and the numbered texts in Chinese while it lives.
struct InChinese
{
    InChinese()
    {
        EXPECT_TRUE(translator.load(QStringLiteral(":/i18n/pos_zh_CN.qm")));
        QCoreApplication::installTranslator(&translator);
        SetLanguage(Lang::Zh);
    }
    ~InChinese()
    {
        QCoreApplication::removeTranslator(&translator);
        SetLanguage(Lang::En);
    }
    QTranslator translator;
};

} // namespace pos::test
