#pragma once

// A table page on its own, shown and active, with helpers that fill rows the
// way a user does: pick the type from the list, pick the centre mode, type
// the numbers.

#include "ScriptedPrompter.h"
#include "TableTestSupport.h"

#include "controls/CVSFlexGrid.h"
#include "res/UiText.h"
#include "wizard/CSetTable.h"

#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace pos::test {

// One row as typed: the type (1, 2, 3), the centre mode item (for arcs:
// kPass picks "Designate pass-through point", kCentre "Designate center
// point") and the texts of columns 3 to 9 (time, initial and maximum speed,
// end X and Y, circle X and Y).
struct RowInput
{
    static constexpr int kPass = 0;   // item 0 of the centre mode list
    static constexpr int kCentre = 1; // item 1
    int type = kTypeLine;
    int mode = kCentre;
    QStringList numbers; // columns 3.. in order; fewer leaves the rest as they are
};

inline RowInput Line(std::int32_t x, std::int32_t y, int t = 100, int v0 = 100, int v1 = 1000)
{
    return {kTypeLine,
            RowInput::kCentre,
            {QString::number(t), QString::number(v0), QString::number(v1), QString::number(x),
             QString::number(y)}};
}

inline RowInput Arc(int type, int mode, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, int t = 100, int v0 = 100, int v1 = 1000)
{
    return {type,
            mode,
            {QString::number(t), QString::number(v0), QString::number(v1), QString::number(x),
             QString::number(y), QString::number(cx), QString::number(cy)}};
}

struct TablePage
{
    explicit TablePage(PosConfig initial = NewPageDefaults())
        : config(std::move(initial))
    {
        page.SetContext(&config, false);
        page.OnInitDialog();
        page.resize(1000, 420);
        page.show();
        QApplication::setActiveWindow(&page);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&page));
        grid()->setFocus();
    }

    CVSFlexGrid *grid() const { return page.grid(); }
    QString cell(int row, int col) const { return grid()->textMatrix(row, col); }
    QStringList row(int r) const { return RowTexts(grid(), r); }

    // Fills grid row r through the user interface.
    void enter(int r, const RowInput &in)
    {
        EXPECT_TRUE(PickFromList(grid(), r, 1, in.type - 1)) << "type in row " << r;
        if (in.type != kTypeLine) {
            EXPECT_TRUE(PickFromList(grid(), r, 2, in.mode)) << "centre mode in row " << r;
        }
        for (int i = 0; i < in.numbers.size(); ++i)
            TypeIntoCell(grid(), r, 3 + i, in.numbers[i]);
    }

    void enterRows(const std::vector<RowInput> &rows)
    {
        for (std::size_t i = 0; i < rows.size(); ++i)
            enter(static_cast<int>(i) + CVSFlexGrid::kFixedRows, rows[i]);
    }

    // Right-clicks a cell and uses the menu (see UseMenu).
    MenuState menuAt(int r, int c, const QStringList &path = {})
    {
        bool shown = false;
        MenuState state = UseMenu([&] { RightClickCell(grid(), r, c); }, path, &shown);
        EXPECT_TRUE(shown) << "no context menu at " << r << "," << c;
        return state;
    }

    PosConfig config;
    CSetTable page;
};

// A record of n straight lines 1..n for filling the grid quickly.
inline PosConfig LinesRecord(int n, PosConfig base = NewPageDefaults())
{
    for (int i = 1; i <= n; ++i) {
        PosSegment s;
        s.number = static_cast<std::uint32_t>(i);
        s.type = kTypeLine;
        s.accDecTime = 10;
        s.initialSpeed = 100;
        s.maxSpeed = 1000;
        s.endX = i * 10;
        s.endY = -i;
        base.segments[s.number] = s;
    }
    return base;
}

} // namespace pos::test
