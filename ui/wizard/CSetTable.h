#pragma once

// The table segment page: every data row of the grid is one segment (grid
// row r is segment r - 1). The user picks a row's instruction type from a
// drop-down list, types speeds, time and points, inserts and deletes rows
// from the right-click menu, views the trajectory up to the current row or
// of all rows, or loads a DXF drawing: its import options first, then the
// arranged outline in the Import DXF dialog. Taking a drawing sets the
// absolute action mode (drawing coordinates are absolute); its travel moves
// stay marked rows.
//
// The grid is the page's only working copy of the table: the record's
// segments are rebuilt from it only by CommitTable, when the frame's Next or
// Previous leaves the page, and only when every filled row passes its checks.
//
// Every change of the grid made by the user is one step of undo and redo:
// an edit of a cell with what a type pick fills in, each command of the
// context menu, a paste, the rows a drawing brings, an end point taken from
// the arc chooser while the rows are checked. The history begins when the
// page is entered from the first page.
//
// Arcs after the first row are checked where they begin as the PLC sees it:
// at the end point of the row before in absolute mode, at (0, 0) in
// incremental mode (each point is relative to where its segment begins). A
// centre-point arc must end on its circle; a pass-through arc needs three
// distinct points that are not on one straight line.

#include "wizard/CBasePage.h"
#include "wizard/GridUndo.h"
#include "wizard/SegmentGrid.h"

#include "ui_CSetTable.h"

#include <QStringList>

#include <cstdint>
#include <memory>

class CSetTable : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1003;

    explicit CSetTable(QWidget *parent = nullptr);
    ~CSetTable() override;

    void OnInitDialog() override;

    // Called by the frame: refill the grid from a record when the page is
    // entered from the first page (its undo history starts anew); check
    // every filled row and rebuild the record's segments when the page is
    // left (allowEmpty for Previous).
    void FillGridFromRecord(const pos::PosConfig *record);
    bool CommitTable(bool allowEmpty);

    CVSFlexGrid *grid() const;
    pos::ui::GridUndo *gridUndo() const { return m_undo; }

    // The context menu for the current row, with its items greyed as the
    // row and the table allow; its commands act on this page.
    std::unique_ptr<QMenu> CreateContextMenu();

public slots:
    // Shows the context menu at a point in screen coordinates when the
    // point lies on the grid.
    void OnContextMenu(const QPoint &globalPos);
    void OnInsertSection();
    void OnAddEmptyRow();
    void OnDeleteRow();
    void ShowTableTrajectory(bool toCurrent);
    void OnLoadDxfFile();
    // Copies the selected rows as TAB-separated text.
    void OnCopyRows();
    // Pastes TAB-separated text into rows from the current one on, as if
    // each cell were typed: the editing rules apply, and the checks apply
    // when the page is left. Text that the rules refuse pastes nothing.
    void OnPasteRows();
    // Gives the selected filled rows the same speeds and time.
    void OnSetSpeedsAndTime();

private slots:
    void OnBeforeEditGrid(int row, int col, bool *cancel);
    void OnValidateEditGrid(int row, int col, bool *cancel);
    void OnMouseUpGrid(int button, int shift, double x, double y);

private:
    void FillRows(const pos::PosConfig &record);
    int ParseTypeCell(int row, int col) const;
    int ParseCentreModeCell(int type, int row, int col) const;
    void RenumberRows();
    bool RowsAboveFilled(int row) const;
    bool CanEditCell(int row, int col) const;
    void ApplyTypePick(int row, int pick);
    void InitNewRow(int row);
    bool ValidateTable(bool upToCurrent, bool allowEmpty);
    bool CheckTableRows(int last);
    bool CheckTableCapacity();
    std::int64_t CellValue(int row, int col) const;
    pos::PosSegment RowSegment(int row) const;
    // Opens the Import DXF dialog on an arranged outline (keyed from 1).
    void OpenImportDialog(const pos::PosConfig &arranged);
    void TakeAbsoluteMode();
    std::vector<int> SelectedFilledRows() const;

    Ui::CSetTable m_ui;
    pos::ui::GridUndo *m_undo;
    pos::ui::GridMenu *m_menu;
    std::unique_ptr<pos::PosConfig> m_imported; // the drawing while the import dialog is open
};
