#pragma once

// The Import DXF dialog: shows the segments that the DXF reader made of a
// drawing, one row per segment, and lets the user clean the path up before
// the table page takes it over: delete rows, move rows up and down, reverse
// one or all segments, shift one or all by a displacement, view the
// trajectory. OK checks the table and rewrites the record's segments from
// it; Cancel leaves the record as the reader built it. Travel moves of an
// arranged drawing are marked rows, and the mark goes with the row. Each
// edit of a cell and each command is one step of undo and redo, kept while
// the dialog lives.
//
// Coordinates here are absolute drawing coordinates: each arc is checked
// against the end point of the row before it, and the trajectory is shown in
// absolute mode.

#include "wizard/GridUndo.h"
#include "wizard/SegmentGrid.h"

#include "ui_CImportDxf.h"

#include <QDialog>

#include <cstdint>
#include <memory>

class CImportDxf : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1025;

    // config: the reader's record (keys from 0), not owned; may be null.
    explicit CImportDxf(pos::PosConfig *config, QWidget *parent = nullptr);
    ~CImportDxf() override;

    CVSFlexGrid *grid() const;
    pos::ui::GridUndo *gridUndo() const { return m_undo; }

    // The context menu for the current row, with its items greyed as the
    // row and the table allow; its commands act on this dialog.
    std::unique_ptr<QMenu> CreateContextMenu();

    // OK: asks whether the begin points may be dropped, checks every row,
    // rewrites the record's segments and closes the dialog.
    void accept() override;

public slots:
    // Shows the context menu at a point in screen coordinates when the
    // point lies on the grid.
    void OnContextMenu(const QPoint &globalPos);
    void OnDeleteRow();
    void OnMoveCurrentLine();
    void OnMoveAllLines();
    void OnReverseCurrentLine();
    void OnReverseAllLines();
    void OnMoveUp();
    void OnMoveDown();
    void OnShowToCurrentRow();
    void OnShowAllRows();

private:
    void OnBeforeEditGrid(int row, int col, bool *cancel);
    void OnValidateEditGrid(int row, int col);
    void FillGrid();
    int ParseType(int row) const;
    std::int32_t CellValue(int row, int col) const;
    pos::PosSegment RowSegment(int row) const;
    void SwapRows(int a, int b);
    void ShiftRow(int row, std::int64_t dx, std::int64_t dy);
    void ReverseRow(int row);
    bool CheckTable(int last);
    void ShowTrajectory(int count);

    Ui::CImportDxf m_ui;
    pos::ui::GridUndo *m_undo;
    pos::ui::GridMenu *m_menu;
    pos::PosConfig *m_pConfig; // not owned
};
