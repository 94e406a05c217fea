#pragma once

// The grid's two header rows, painted as one horizontal header view so that
// they stay in view while the data rows scroll. The texts come from the
// model's headerData under CVSFlexGridModel::HeaderRow0Role and
// HeaderRow1Role. Equal neighbouring texts of a row with merging on show as
// one cell; a column with merging on whose two texts are equal shows one
// cell over both rows.
//
// Column 0 is the frozen column: while the header is scrolled sideways it
// stays at the left edge, over the columns that scroll beneath it, and it
// never merges with its neighbour.

#include <QColor>
#include <QHeaderView>

#include <set>
#include <vector>

class CVSFlexGridHeader final : public QHeaderView
{
    Q_OBJECT
public:
    explicit CVSFlexGridHeader(QWidget *parent = nullptr);

    // Height of one header row, in pixels.
    int rowHeight() const;
    // The header row (0 or 1) at y in the header's own pixels.
    int headerRowAt(int y) const;

    void setMergeRow(int row, bool merge);
    void setMergeCol(int col, bool merge);

    // Background of the header cells; the palette's button colour until set.
    QColor fixedColor() const;
    void setFixedColor(const QColor &color);

    QSize sizeHint() const override;

    // A cell as it is painted: the columns it covers, its header row (0 for
    // a cell over both rows), its rectangle in the viewport's pixels and
    // its text.
    struct Cell
    {
        int first = 0;
        int last = 0;
        int row = 0;
        bool bothRows = false;
        QRect rect;
        QString text;
    };
    // The cells in painting order, the frozen column's last.
    std::vector<Cell> cells() const;
    // The narrowest width that shows a cell's text whole: on one line in a
    // cell of one row, on two lines at most in a cell over both rows.
    int widthFor(const Cell &cell) const;
    // The width of column 0 while it is frozen (the header is scrolled),
    // else 0.
    int frozenWidth() const;
    // The column shown at x in the viewport's pixels; -1 beside the columns.
    int columnAt(int x) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text(int row, int col) const;
    bool spansBoth(int col) const;
    int left(int col) const;
    int right(int col) const;
    QRect textRect(const QRect &cell) const;
    void paintCell(QPainter &p, const QRect &r, const QString &label) const;

    bool m_mergeRow[2] = {false, false};
    std::set<int> m_mergeCols;
    QColor m_fixed;
};
