#pragma once

// The grid's two header rows, painted as one horizontal header view so that
// they stay in view while the data rows scroll. The texts come from the
// model's headerData under CVSFlexGridModel::HeaderRow0Role and
// HeaderRow1Role. Equal neighbouring texts of a row with merging on show as
// one cell; a column with merging on whose two texts are equal shows one
// cell over both rows.

#include <QColor>
#include <QHeaderView>

#include <set>

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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString text(int row, int col) const;
    bool spansBoth(int col) const;
    int left(int col) const;
    int right(int col) const;
    void paintCell(QPainter &p, const QRect &r, const QString &label) const;

    bool m_mergeRow[2] = {false, false};
    std::set<int> m_mergeCols;
    QColor m_fixed;
};
