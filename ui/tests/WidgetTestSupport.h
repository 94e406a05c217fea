#pragma once

// The screens of the wizard shown on their own for a test and driven the way
// a user drives them: the wizard without a modal loop, the table page and the
// Import DXF dialog with their grids (clicks, keys, picks from the drop-down
// lists, right-clicks); a switch to Chinese. Prompts go to `prompts`.

#include "ScriptedPrompter.h"

#include "controls/CVSFlexGrid.h"
#include "dialogs/CImportDxf.h"
#include "guide/PosGuide.h"
#include "res/StringTable.h"
#include "wizard/CSetTable.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

namespace pos::test {

// The record, the host's context and the prompts of a wizard under test.
struct WizardRecord
{
    explicit WizardRecord(PosConfig initial)
        : config(std::move(initial))
    {}
    ScriptedPrompter prompts;
    PosHostContext context;
    PosConfig config;
};

// A wizard as the plug-in builds it, shown without a modal loop so that a
// test can click through it.
struct Wizard : WizardRecord, ui::Wizard
{
    explicit Wizard(bool modify = false, PosConfig initial = PosConfig())
        : WizardRecord(std::move(initial))
        , ui::Wizard(&config, modify, &context)
    {
        config.maxD = config.maxM = 9999;
        frame.OnInitDialog();
        frame.show();
    }

    template<typename T = QLineEdit>
    T *find(const char *objectName) const
    {
        return frame.findChild<T *>(objectName);
    }
    void click(const char *b) const { QTest::mouseClick(find<QPushButton>(b), Qt::LeftButton); }
    void next() const { click("nextButton"); }
    void previous() const { click("previousButton"); }
    void end() const { click("endButton"); }
    int page() const { return frame.currentPage(); }

    void setText(const char *edit, const QString &text) const { find(edit)->setText(text); }
    void setText(const char *edit, std::int64_t n) const { setText(edit, QString::number(n)); }
    void pick(const char *combo, int i) const { find<QComboBox>(combo)->setCurrentIndex(i); }
    // The texts of widgets, the current item of a combo box: "a|b".
    QString text(std::initializer_list<const char *> objectNames) const
    {
        QStringList out;
        for (const char *n : objectNames) {
            const QWidget *w = find<QWidget>(n);
            out << w->property(qobject_cast<const QComboBox *>(w) ? "currentText" : "text")
                       .toString();
        }
        return out.join('|');
    }

    // The step page's type and points for one segment.
    void enterSegment(int type, std::int32_t endX, std::int32_t endY, std::int32_t cx = 0,
                      std::int32_t cy = 0) const
    {
        pick("typeCombo", type - 1);
        setText("endXEdit", endX);
        setText("endYEdit", endY);
        setText("circleXEdit", cx);
        setText("circleYEdit", cy);
    }
    // Straight lines to (10 i, 0) for segments 1..n, stored; the page then
    // shows segment n + 1.
    void enterLines(int n) const
    {
        for (int i = 1; i <= n; ++i) {
            enterSegment(kTypeLine, i * 10, 0);
            next();
        }
    }
    // The step page's segment and count, and a field: "2/3 20".
    QString sections(const char *field = "endXEdit")
    {
        return QString("%1/%2 ").arg(step().currentSection()).arg(step().totalSection())
               + text({field});
    }
};

// Centre of a data cell in the grid's viewport, scrolled into view.
inline QPoint CellPoint(CVSFlexGrid *grid, int row, int col)
{
    const QModelIndex index = grid->model()->index(row - CVSFlexGrid::kFixedRows, col);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

inline void ClickCell(CVSFlexGrid *grid, int row, int col, Qt::KeyboardModifiers mods = {})
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellPoint(grid, row, col));
}

// The editor open on the current cell, or null.
inline QWidget *OpenEditor(const CVSFlexGrid *grid)
{
    return grid->indexWidget(grid->currentIndex());
}

// Opens the cell's drop-down list from the keyboard (F4) and clicks item
// `item`; false when no list opened. A click first makes the cell current,
// unless it already is (a second click on it would start an edit later on).
inline bool PickFromList(CVSFlexGrid *grid, int row, int col, int item)
{
    if (grid->row() != row || grid->col() != col || !grid->currentIndex().isValid())
        ClickCell(grid, row, col);
    QTest::keyClick(grid, Qt::Key_F4);
    QCoreApplication::processEvents(); // the popup shows on the next turn
    auto *combo = qobject_cast<QComboBox *>(OpenEditor(grid));
    if (!combo || !combo->view()->isVisible())
        return false;
    QAbstractItemView *view = combo->view();
    const QPoint at = view->visualRect(view->model()->index(item, 0)).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QCoreApplication::processEvents(); // the queued commit
    return true;
}

// Which cells of a row the screen lets the grid edit, column by column: "0110".
inline QString Editable(CVSFlexGrid *grid, int row)
{
    QString out;
    for (int c = 0; c < grid->cols(); ++c) {
        bool cancel = false;
        emit grid->beforeEdit(row, c, &cancel);
        out += cancel ? '0' : '1';
    }
    return out;
}

// A screen with a grid, shown and active; its prompts go to `prompts`.
struct GridScreen
{
    void show(QWidget *w, CVSFlexGrid *g)
    {
        grid = g;
        w->resize(1000, 420);
        w->show();
        QApplication::setActiveWindow(w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        g->setFocus();
    }
    QString cell(int row, int col) const { return grid->textMatrix(row, col); }
    // The texts of a row: "1|Straight line||0".
    QString row(int r) const
    {
        QStringList out;
        for (int c = 0; c < grid->cols(); ++c)
            out << cell(r, c);
        return out.join('|');
    }
    // A column of the data rows: "1|2|3".
    QString column(int col) const
    {
        QStringList out;
        for (int r = CVSFlexGrid::kFixedRows; r < grid->rows(); ++r)
            out << cell(r, col);
        return out.join('|');
    }
    void put(int row, int col, const char *text) { grid->setTextMatrix(row, col, text); }
    // Right-clicks a cell and picks an item of the menu that opens.
    void menu(int row, int col, const char *item)
    {
        prompts.pickMenu(item);
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, CellPoint(grid, row, col));
    }
    template<typename T = QPushButton>
    T *child(const char *name) const
    {
        return grid->window()->findChild<T *>(name);
    }
    void click(const char *button) const { QTest::mouseClick(child(button), Qt::LeftButton); }

    ScriptedPrompter prompts;
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
inline PosConfig LinesRecord(std::uint32_t n, int actionMode = 0)
{
    PosConfig record = NewPageDefaults();
    record.actionMode = static_cast<std::uint16_t>(actionMode);
    for (std::uint32_t i = 1; i <= n; ++i)
        record.segments[i] = Segment(i, kTypeLine, static_cast<std::int32_t>(10 * i),
                                     -static_cast<std::int32_t>(i));
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
