#include "controls/CVSFlexGridHeader.h"

#include "controls/CVSFlexGridModel.h"

#include <QPainter>

CVSFlexGridHeader::CVSFlexGridHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultAlignment(Qt::AlignCenter);
    viewport()->setMouseTracking(true);
    // A merged cell spans neighbouring sections: repaint all of it.
    connect(this, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
}

int CVSFlexGridHeader::rowHeight() const
{
    return fontMetrics().height() + 8;
}

int CVSFlexGridHeader::headerRowAt(int y) const
{
    return y < rowHeight() ? 0 : 1;
}

void CVSFlexGridHeader::setMergeRow(int row, bool merge)
{
    if (row == 0 || row == 1) {
        m_mergeRow[row] = merge;
        viewport()->update();
    }
}

void CVSFlexGridHeader::setMergeCol(int col, bool merge)
{
    if (merge)
        m_mergeCols.insert(col);
    else
        m_mergeCols.erase(col);
    viewport()->update();
}

QColor CVSFlexGridHeader::fixedColor() const
{
    return m_fixed.isValid() ? m_fixed : palette().color(QPalette::Button);
}

void CVSFlexGridHeader::setFixedColor(const QColor &color)
{
    m_fixed = color;
    viewport()->update();
}

QSize CVSFlexGridHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(2 * rowHeight());
    return s;
}

void CVSFlexGridHeader::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const int n = count();
    const int top = rowHeight();
    const int bottom = viewport()->height();
    // Row 0, and the cells that span both rows.
    for (int c = 0; c < n;) {
        if (isSectionHidden(c)) {
            ++c;
            continue;
        }
        const bool both = spansBoth(c);
        int last = c;
        if (m_mergeRow[0])
            while (last + 1 < n && !isSectionHidden(last + 1) && spansBoth(last + 1) == both
                   && text(0, last + 1) == text(0, c))
                ++last;
        paintCell(p, QRect(QPoint(left(c), 0), QPoint(right(last) - 1, (both ? bottom : top) - 1)),
                  text(0, c));
        c = last + 1;
    }
    // Row 1.
    for (int c = 0; c < n;) {
        if (isSectionHidden(c) || spansBoth(c)) {
            ++c;
            continue;
        }
        int last = c;
        if (m_mergeRow[1])
            while (last + 1 < n && !isSectionHidden(last + 1) && !spansBoth(last + 1)
                   && text(1, last + 1) == text(1, c))
                ++last;
        paintCell(p, QRect(QPoint(left(c), top), QPoint(right(last) - 1, bottom - 1)), text(1, c));
        c = last + 1;
    }
}

QString CVSFlexGridHeader::text(int row, int col) const
{
    if (!model())
        return {};
    const int role = row == 0 ? CVSFlexGridModel::HeaderRow0Role : CVSFlexGridModel::HeaderRow1Role;
    return model()->headerData(col, Qt::Horizontal, role).toString();
}

bool CVSFlexGridHeader::spansBoth(int col) const
{
    return m_mergeCols.count(col) != 0 && text(0, col) == text(1, col);
}

int CVSFlexGridHeader::left(int col) const
{
    return sectionViewportPosition(col);
}

int CVSFlexGridHeader::right(int col) const
{
    return sectionViewportPosition(col) + sectionSize(col);
}

void CVSFlexGridHeader::paintCell(QPainter &p, const QRect &r, const QString &label) const
{
    p.fillRect(r, fixedColor());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(r.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, label);
}
