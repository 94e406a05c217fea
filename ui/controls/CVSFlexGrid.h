#pragma once

// The grid of the table page and of the Import DXF dialog: a table view with
// two header rows that stay in view while the data rows scroll.
//
// Rows are counted as the pages count them: rows 0 and 1 are the two header
// rows, data rows start at row 2, and rows() includes the header rows (a grid
// with four empty data rows has rows() == 6). Columns count from 0.
//
// What the pages rely on:
// - cell text of header and data rows (textMatrix / setTextMatrix); a cell
//   outside the grid reads as empty and is never written;
// - the current cell (row(), col()) and the cell under the mouse
//   (mouseRow(), mouseCol(); -1 where there is no cell);
// - a drop-down list per column; while validateEdit is emitted for such a
//   column, comboIndex() tells which item was picked;
// - inserting and removing data rows, selecting a cell, merging equal header
//   texts, column widths in twips, the text colour of a range of cells;
// - the signals beforeEdit (a slot may refuse the edit), validateEdit (the
//   user's edit ends with a new text, stored after the signal unless
//   cancelled; the grid's own writes such as setTextMatrix never emit it)
//   and mouseUp (a mouse button was released over the grid).
//
// The grid is a view on a CVSFlexGridModel, with a CVSFlexGridHeader for the
// two header rows and a CVSFlexGridDelegate for the editors.
//
// Column 0 (the segment number) is frozen: once the grid is scrolled
// sideways it stays at the left edge, header and cells, over the columns
// that scroll beneath it. It is a cell like any other there: the mouse, the
// current cell, the selection, its editor and indexAt()/visualRect() see it
// where it shows, and bringing any other cell into view (select(), moving
// with the keys) scrolls it out from under column 0.
//
// Keyboard: typing starts editing the current cell; Tab and Enter move to the
// next cell; F2, F4 or Alt+Down opens the drop-down list of a list column;
// the copy key copies the selected rows as TAB-separated text; the paste key
// emits pasteRequested for the owner to decide what may be pasted.
//
// A right click emits mouseUp first and then a context-menu event for the
// grid's parent, so that the owner's menu always acts on the cell the
// mouse-up handler selected, whichever order the platform reports them in.

#include "controls/CVSFlexGridModel.h"

#include <QColor>
#include <QContextMenuEvent>
#include <QStringList>
#include <QTableView>

#include <vector>

class CVSFlexGridHeader;

class CVSFlexGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int kFixedRows = 2; // header rows 0 and 1

    // Roles under which the model answers headerData for the two header rows.
    enum HeaderRole {
        HeaderRow0Role = CVSFlexGridModel::HeaderRow0Role,
        HeaderRow1Role = CVSFlexGridModel::HeaderRow1Role
    };

    // Mouse buttons and shift state as mouseUp reports them.
    enum MouseButton { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum ShiftState { ShiftKey = 1, ControlKey = 2, AltKey = 4 };

    explicit CVSFlexGrid(QWidget *parent = nullptr);
    ~CVSFlexGrid() override;

    // Rows including the two header rows; setRows keeps at least the header
    // rows, drops rows beyond the count and appends empty ones.
    int rows() const;
    void setRows(int rows);
    int cols() const;
    void setCols(int cols);

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);

    // The current cell. Without data rows the current row is a header row
    // (1 unless select() chose row 0).
    int row() const;
    int col() const;
    // The cell under the mouse at the last mouse event over the grid: rows 0
    // and 1 over the header, -1 below the last row or beside the columns.
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

    // The choices offered when a cell of the column is edited (a drop-down
    // list that takes no typed text); an empty list makes it a text column.
    void setColComboList(int col, const QStringList &items);
    QStringList colComboList(int col) const;
    // While validateEdit is emitted for a list column: the index of the
    // picked text in colComboList(col). -1 at any other time. A list closed
    // without a pick ends the edit without validateEdit and keeps the text.
    int comboIndex() const { return m_comboIndex; }

    // Ends an edit in progress as leaving the cell does: the typed text is
    // validated and stored.
    void finishEditing();

    // Inserts a data row at grid row index (2..rows(); rows() appends);
    // TABs in text separate the new row's cells, empty text gives empty cells.
    void addItem(const QString &text, int index);
    void removeItem(int index);

    // Selects the cells from (row, col) to (rowSel, colSel) and makes
    // (row, col) current; -1 for rowSel/colSel selects the one cell.
    void select(int row, int col, int rowSel = -1, int colSel = -1);
    // Makes a data cell current and leaves the selection as it is.
    void setCurrentCell(int row, int col);
    // Makes the cell under the mouse current, for a context menu to act on:
    // the row raised to the first data row and lowered to the last row, the
    // column kept inside the grid. A cell inside the selection keeps the
    // selection, so that commands on several rows see them all.
    void selectUnderMouse();
    bool isCellSelected(int row, int col) const;

    // Equal neighbouring texts of a header row show as one cell; a column
    // whose two header texts are equal shows them as one cell.
    void setMergeRow(int row, bool merge);
    void setMergeCol(int col, bool merge);

    // Column width in twips as the dialog templates give them: 15 twips a
    // pixel at the templates' 8-point dialog font (13 pixels a line), scaled
    // with the grid's own font. Whatever width a column is given, the grid
    // keeps it wide enough for its header texts (on one line in a header
    // row, on two lines over both rows; a text over several columns widens
    // them evenly) and for the widest item of its drop-down list. Room the
    // columns leave in the view is shared out among them, column 0 aside.
    void setColWidth(int col, int twips);
    int colWidth(int col) const; // in the same twips
    int twipsToPixels(int twips) const;

    void setColAlignment(int col, Qt::Alignment alignment);

    // Text colour of the data cells from (row1, col1) to (row2, col2).
    void setCellForeColor(int row1, int col1, int row2, int col2, const QColor &color);
    QColor cellForeColor(int row, int col) const;

    // A mark on a data row (a travel move of an imported drawing) that goes
    // with the row when rows are inserted, removed or swapped; marked rows
    // show in grey italics with the tooltip text.
    bool isRowMarked(int row) const;
    void setRowMarked(int row, bool marked);
    void setRowMarkToolTip(const QString &text);

    // Background of the data cells and of the header rows.
    void setBackColor(const QColor &color);
    void setBackColorFixed(const QColor &color);
    QColor backColorFixed() const;

    // The column as the checks name a field: the text of header row 0
    // followed by that of row 1 when it differs, with no blank between.
    QString columnTitle(int col) const;

    // Data rows (grid rows from 2 on) that hold a selected cell, ascending;
    // the current row when no cell is selected (before the first click, or
    // after a Ctrl+click took the last cell out of the selection).
    std::vector<int> selectedRows() const;
    // Those rows as TAB-separated text, one line per row, every column.
    QString selectedRowsText() const;
    // Copies selectedRowsText() to the clipboard.
    void copySelectedRows();

    // Every data row's texts; setDataRows replaces the data rows' texts
    // whole (a row that stays keeps its mark).
    std::vector<QStringList> dataRows() const;
    void setDataRows(const std::vector<QStringList> &rows);

    // Aware of the frozen column.
    QModelIndex indexAt(const QPoint &pos) const override;
    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    // An edit of (row, col) is about to start; *cancel = true refuses it.
    void beforeEdit(int row, int col, bool *cancel);
    // An edit of (row, col) ends with a new text; the text is stored after
    // the signal unless *cancel is set. comboIndex() holds the pick.
    void validateEdit(int row, int col, bool *cancel);
    // A mouse button was released over the cells or the header; x and y in
    // the grid's own pixels.
    void mouseUp(int button, int shift, double x, double y);
    // The paste key was pressed.
    void pasteRequested();
    // An editor's text has gone to its cell, or was refused: whatever the
    // slots of validateEdit changed is done.
    void editCommitted();

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void commitData(QWidget *editor) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyboardSearch(const QString &search) override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void changeEvent(QEvent *event) override;

private:
    bool acceptEdit(int modelRow, int col, const QString &text);
    void trackMouse(const QPoint &gridPos);
    void mouseReleased(QMouseEvent *event, const QPoint &gridPos);
    void sendContextMenu(QContextMenuEvent::Reason reason, const QPoint &gridPos,
                         Qt::KeyboardModifiers modifiers);
    void moveToNextCell();
    void ensureCurrentCell();
    bool isDataRow(int row) const;
    int listWidth(int col) const;
    void fitColumns();
    void paintFrozenColumn(QPainter &painter);

    CVSFlexGridModel *m_model;
    CVSFlexGridHeader *m_header;
    int m_comboIndex = -1;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_headerCurrentRow = 1; // current row while no data row is current
    int m_headerCurrentCol = 0;
    std::vector<int> m_widths; // as given in setColWidth or by the user; 0 for the default
    std::vector<int> m_shares; // of the room the columns left in the view
    bool m_fitting = false;    // while fitColumns sets the widths
};
