#include "controls/CVSFlexGridHeader.h"

#include "controls/CVSFlexGridModel.h"

#include <QPainter>

#include <algorithm>

namespace {

// Where a cell's text may go: inside its borders by these many pixels, and
// a column is made wide enough to keep kAir more on either side.
constexpr int kInsetX = 2;
constexpr int kInsetY = 1;
constexpr int kAir = 2;

} // namespace

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
    for (const Cell &cell : cells())
        paintCell(p, cell.rect, cell.text);
}

std::vector<CVSFlexGridHeader::Cell> CVSFlexGridHeader::cells() const
{
    std::vector<Cell> out;
    std::vector<Cell> frozen;
    const int n = count();
    const int top = rowHeight();
    const int bottom = std::max(viewport()->height(), 2 * top);
    const auto add = [&](int first, int last, int row, bool both) {
        const QRect rect(QPoint(left(first), row == 0 ? 0 : top),
                         QPoint(right(last) - 1, (row == 0 && !both ? top : bottom) - 1));
        Cell cell{first, last, row, both, rect, text(row, first)};
        (first == 0 && frozenWidth() > 0 ? frozen : out).push_back(std::move(cell));
    };
    // Row 0, and the cells over both rows.
    for (int c = 0; c < n;) {
        if (isSectionHidden(c)) {
            ++c;
            continue;
        }
        const bool both = spansBoth(c);
        int last = c;
        if (m_mergeRow[0] && c > 0)
            while (last + 1 < n && !isSectionHidden(last + 1) && spansBoth(last + 1) == both
                   && text(0, last + 1) == text(0, c))
                ++last;
        add(c, last, 0, both);
        c = last + 1;
    }
    // Row 1.
    for (int c = 0; c < n;) {
        if (isSectionHidden(c) || spansBoth(c)) {
            ++c;
            continue;
        }
        int last = c;
        if (m_mergeRow[1] && c > 0)
            while (last + 1 < n && !isSectionHidden(last + 1) && !spansBoth(last + 1)
                   && text(1, last + 1) == text(1, c))
                ++last;
        add(c, last, 1, false);
        c = last + 1;
    }
    out.insert(out.end(), frozen.begin(), frozen.end());
    return out;
}

int CVSFlexGridHeader::widthFor(const Cell &cell) const
{
    const QFontMetrics fm = fontMetrics();
    // The text keeps a few pixels off the cell's borders.
    constexpr int padding = 2 * (kInsetX + kAir);
    const int oneLine = fm.horizontalAdvance(cell.text) + padding;
    if (!cell.bothRows || cell.text.isEmpty())
        return oneLine;
    // At most a line a row.
    const int height
        = std::min(textRect(QRect(0, 0, 1, 2 * rowHeight())).height(), 2 * fm.lineSpacing());
    const auto fits = [&](int width) {
        const QRect room(0, 0, width - padding, height);
        const QRect used = fm.boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, cell.text);
        return room.contains(used);
    };
    int lo = padding + 1;
    int hi = std::max(oneLine, lo);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (fits(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

int CVSFlexGridHeader::frozenWidth() const
{
    return offset() > 0 && count() > 1 && !isSectionHidden(0) ? sectionSize(0) : 0;
}

int CVSFlexGridHeader::columnAt(int x) const
{
    if (x >= 0 && x < frozenWidth())
        return 0;
    return logicalIndexAt(x);
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
    return col == 0 && frozenWidth() > 0 ? 0 : sectionViewportPosition(col);
}

int CVSFlexGridHeader::right(int col) const
{
    return left(col) + sectionSize(col);
}

QRect CVSFlexGridHeader::textRect(const QRect &cell) const
{
    return cell.adjusted(kInsetX, kInsetY, -kInsetX, -kInsetY);
}

void CVSFlexGridHeader::paintCell(QPainter &p, const QRect &r, const QString &label) const
{
    p.fillRect(r, fixedColor());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(textRect(r), Qt::AlignCenter | Qt::TextWordWrap, label);
}
