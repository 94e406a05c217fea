#pragma once

// The grid's data: the data rows only (grid row r is model row r - 2); the
// two header rows, and each column's drop-down list, are kept as header data.
//
// Edits come in through setData: an installed edit hook is asked before an
// edited text is stored, and may refuse it. The grid's own writes (setText)
// never go through the hook.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class CVSFlexGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Roles of headerData(col, Qt::Horizontal, role).
    enum Role {
        HeaderRow0Role = Qt::UserRole + 1, // text of header row 0
        HeaderRow1Role,                    // text of header row 1
        ComboListRole,                     // the column's drop-down list (QStringList)
    };

    // Asked with the model row, column and text before an edited text is
    // stored; false keeps the text the cell had.
    using EditHook = std::function<bool(int row, int col, const QString &text)>;

    explicit CVSFlexGridModel(QObject *parent = nullptr);

    void setEditHook(EditHook hook) { m_editHook = std::move(hook); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool insertRows(int row, int count, const QModelIndex &parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;
    bool insertColumns(int column, int count, const QModelIndex &parent = {}) override;
    bool removeColumns(int column, int count, const QModelIndex &parent = {}) override;

    // Cells outside the model read as empty and are never written.
    QString text(int row, int col) const;
    void setText(int row, int col, const QString &text);
    QString headerText(int headerRow, int col) const;
    void setHeaderText(int headerRow, int col, const QString &text);
    QStringList comboList(int col) const;
    void setComboList(int col, const QStringList &items);

    // Text colour; invalid where the view's colour applies.
    QColor fore(int row, int col) const;
    void setFore(int row1, int col1, int row2, int col2, const QColor &color);
    Qt::Alignment alignment(int col) const;
    void setAlignment(int col, Qt::Alignment alignment);

    // Every row's texts; setTexts replaces the rows' texts whole (a row
    // that stays keeps its mark).
    std::vector<QStringList> texts() const;
    void setTexts(const std::vector<QStringList> &rows);

    // A mark on a row that goes with the row when rows are inserted or
    // removed around it; a marked row shows in grey italics with the mark's
    // tooltip. New rows are unmarked.
    bool marked(int row) const;
    void setMarked(int row, bool marked);
    void setMarkToolTip(const QString &text) { m_markToolTip = text; }

private:
    struct Cell
    {
        QString text;
        QColor fore;
    };
    struct Column
    {
        QString header[2];
        QStringList comboList;
        Qt::Alignment alignment = Qt::AlignCenter;
    };

    bool isCell(int row, int col) const;
    std::vector<Cell> emptyRow() const;

    std::vector<std::vector<Cell>> m_rows;
    std::vector<bool> m_marks; // one per row
    QString m_markToolTip;
    std::vector<Column> m_columns;
    EditHook m_editHook;
};
