#include "CVSFlexGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <limits>
#include <set>

namespace {

int ToInt(qsizetype n)
{
    return static_cast<int>(std::min<qsizetype>(n, std::numeric_limits<int>::max()));
}

} // namespace

// ---------------------------------------------------------------------------
// The model: data rows only (grid row r is model row r - 2); the two header
// rows are kept as header data under HeaderRow0Role and HeaderRow1Role.

class CVSFlexGridModel final : public QAbstractTableModel
{
public:
    explicit CVSFlexGridModel(QObject *parent)
        : QAbstractTableModel(parent)
    {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : ToInt(static_cast<qsizetype>(m_rows.size()));
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : m_nCols;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Cell &cell = m_rows[Size(index.row())][Size(index.column())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return cell.text;
        case Qt::ForegroundRole:
            return cell.fore.isValid() ? QVariant(QBrush(cell.fore)) : QVariant();
        case Qt::TextAlignmentRole:
            return static_cast<int>(alignment(index.column()));
        default:
            return {};
        }
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::EditRole && role != Qt::DisplayRole)
            return false;
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return false;
        setText(index.row(), index.column(), value.toString());
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        // Every cell may be edited as far as the model goes; the grid's
        // owner refuses edits through beforeEdit.
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable
               | Qt::ItemNeverHasChildren;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_nCols)
            return {};
        const QString &top = m_header[0][Size(section)];
        const QString &bottom = m_header[1][Size(section)];
        switch (role) {
        case CVSFlexGrid::HeaderRow0Role:
            return top;
        case CVSFlexGrid::HeaderRow1Role:
            return bottom;
        case Qt::DisplayRole:
            return top == bottom ? top : top + QLatin1Char(' ') + bottom;
        case Qt::TextAlignmentRole:
            return static_cast<int>(Qt::AlignCenter);
        default:
            return {};
        }
    }

    bool insertRows(int row, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || row < 0 || row > rowCount() || count <= 0)
            return false;
        beginInsertRows({}, row, row + count - 1);
        m_rows.insert(m_rows.begin() + row, Size(count), emptyRow());
        endInsertRows();
        return true;
    }

    bool removeRows(int row, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
            return false;
        beginRemoveRows({}, row, row + count - 1);
        m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
        endRemoveRows();
        return true;
    }

    bool insertColumns(int column, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || column < 0 || column > m_nCols || count <= 0)
            return false;
        beginInsertColumns({}, column, column + count - 1);
        for (std::vector<Cell> &r : m_rows)
            r.insert(r.begin() + column, Size(count), Cell{});
        for (std::vector<QString> &h : m_header)
            h.insert(h.begin() + column, Size(count), QString());
        m_alignment.insert(m_alignment.begin() + column, Size(count), Qt::AlignCenter);
        m_nCols += count;
        endInsertColumns();
        return true;
    }

    bool removeColumns(int column, int count, const QModelIndex &parent = {}) override
    {
        if (parent.isValid() || column < 0 || count <= 0 || column + count > m_nCols)
            return false;
        beginRemoveColumns({}, column, column + count - 1);
        for (std::vector<Cell> &r : m_rows)
            r.erase(r.begin() + column, r.begin() + column + count);
        for (std::vector<QString> &h : m_header)
            h.erase(h.begin() + column, h.begin() + column + count);
        m_alignment.erase(m_alignment.begin() + column, m_alignment.begin() + column + count);
        m_nCols -= count;
        endRemoveColumns();
        return true;
    }

    QString text(int row, int col) const
    {
        if (row < 0 || row >= rowCount() || col < 0 || col >= m_nCols)
            return {};
        return m_rows[Size(row)][Size(col)].text;
    }

    void setText(int row, int col, const QString &text)
    {
        if (row < 0 || row >= rowCount() || col < 0 || col >= m_nCols)
            return;
        QString &cell = m_rows[Size(row)][Size(col)].text;
        if (cell == text)
            return;
        cell = text;
        const QModelIndex i = index(row, col);
        emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    }

    QString headerText(int headerRow, int col) const
    {
        if (headerRow < 0 || headerRow > 1 || col < 0 || col >= m_nCols)
            return {};
        return m_header[Size(headerRow)][Size(col)];
    }

    void setHeaderText(int headerRow, int col, const QString &text)
    {
        if (headerRow < 0 || headerRow > 1 || col < 0 || col >= m_nCols)
            return;
        m_header[Size(headerRow)][Size(col)] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }

    QColor fore(int row, int col) const
    {
        if (row < 0 || row >= rowCount() || col < 0 || col >= m_nCols)
            return {};
        return m_rows[Size(row)][Size(col)].fore;
    }

    void setFore(int row1, int col1, int row2, int col2, const QColor &color)
    {
        row1 = std::max(row1, 0);
        col1 = std::max(col1, 0);
        row2 = std::min(row2, rowCount() - 1);
        col2 = std::min(col2, m_nCols - 1);
        if (row1 > row2 || col1 > col2)
            return;
        for (int r = row1; r <= row2; ++r)
            for (int c = col1; c <= col2; ++c)
                m_rows[Size(r)][Size(c)].fore = color;
        emit dataChanged(index(row1, col1), index(row2, col2), {Qt::ForegroundRole});
    }

    Qt::Alignment alignment(int col) const
    {
        return col >= 0 && col < m_nCols ? m_alignment[Size(col)] : Qt::Alignment(Qt::AlignCenter);
    }

    void setAlignment(int col, Qt::Alignment a)
    {
        if (col < 0 || col >= m_nCols || rowCount() < 0)
            return;
        m_alignment[Size(col)] = a;
        if (rowCount() > 0)
            emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
    }

    std::vector<QStringList> texts() const
    {
        std::vector<QStringList> out;
        out.reserve(m_rows.size());
        for (const std::vector<Cell> &r : m_rows) {
            QStringList line;
            line.reserve(m_nCols);
            for (const Cell &c : r)
                line << c.text;
            out.push_back(line);
        }
        return out;
    }

    void setTexts(const std::vector<QStringList> &rows)
    {
        beginResetModel();
        m_rows.assign(rows.size(), emptyRow());
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < m_nCols && c < rows[r].size(); ++c)
                m_rows[r][Size(c)].text = rows[r][c];
        endResetModel();
    }

private:
    struct Cell
    {
        QString text;
        QColor fore; // invalid: the view's text colour
    };

    static std::size_t Size(int n) { return static_cast<std::size_t>(std::max(n, 0)); }
    std::vector<Cell> emptyRow() const { return std::vector<Cell>(Size(m_nCols)); }

    std::vector<std::vector<Cell>> m_rows;
    std::vector<QString> m_header[2];
    std::vector<Qt::Alignment> m_alignment;
    int m_nCols = 0;
};

// ---------------------------------------------------------------------------
// The two header rows, painted as one header view so that they stay in view
// while the data rows scroll. Equal neighbouring texts of a row with merging
// on show as one cell; a column with merging on whose two texts are equal
// shows one cell over both rows.

class CVSFlexGridHeader final : public QHeaderView
{
public:
    explicit CVSFlexGridHeader(QWidget *parent)
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

    int rowHeight() const { return fontMetrics().height() + 8; }
    int headerRowAt(int y) const { return y < rowHeight() ? 0 : 1; }

    void setMergeRow(int row, bool merge)
    {
        if (row == 0 || row == 1) {
            m_bMergeRow[row] = merge;
            viewport()->update();
        }
    }
    void setMergeCol(int col, bool merge)
    {
        if (merge)
            m_mergeCols.insert(col);
        else
            m_mergeCols.erase(col);
        viewport()->update();
    }

    QColor fixedColor() const
    {
        return m_fixed.isValid() ? m_fixed : palette().color(QPalette::Button);
    }
    void setFixedColor(const QColor &color)
    {
        m_fixed = color;
        viewport()->update();
    }

    QSize sizeHint() const override
    {
        QSize s = QHeaderView::sizeHint();
        s.setHeight(2 * rowHeight());
        return s;
    }

protected:
    void paintEvent(QPaintEvent *) override
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
            if (m_bMergeRow[0])
                while (last + 1 < n && !isSectionHidden(last + 1) && spansBoth(last + 1) == both
                       && text(0, last + 1) == text(0, c))
                    ++last;
            paintCell(p,
                      QRect(QPoint(left(c), 0), QPoint(right(last) - 1, (both ? bottom : top) - 1)),
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
            if (m_bMergeRow[1])
                while (last + 1 < n && !isSectionHidden(last + 1) && !spansBoth(last + 1)
                       && text(1, last + 1) == text(1, c))
                    ++last;
            paintCell(p, QRect(QPoint(left(c), top), QPoint(right(last) - 1, bottom - 1)),
                      text(1, c));
            c = last + 1;
        }
    }

private:
    QString text(int row, int col) const
    {
        if (!model())
            return {};
        return model()
            ->headerData(col, Qt::Horizontal,
                         row == 0 ? CVSFlexGrid::HeaderRow0Role : CVSFlexGrid::HeaderRow1Role)
            .toString();
    }
    bool spansBoth(int col) const
    {
        return m_mergeCols.count(col) != 0 && text(0, col) == text(1, col);
    }
    int left(int col) const { return sectionViewportPosition(col); }
    int right(int col) const { return sectionViewportPosition(col) + sectionSize(col); }

    void paintCell(QPainter &p, const QRect &r, const QString &label) const
    {
        p.fillRect(r, fixedColor());
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(r.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, label);
    }

    bool m_bMergeRow[2] = {false, false};
    std::set<int> m_mergeCols;
    QColor m_fixed;
};

// ---------------------------------------------------------------------------
// Editors: a drop-down list for a column with choices (a pick ends the edit
// at once), a line edit for every other column.

class CVSFlexGridDelegate final : public QStyledItemDelegate
{
public:
    explicit CVSFlexGridDelegate(CVSFlexGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        const QStringList items = m_grid->colComboList(index.column());
        if (!items.isEmpty()) {
            auto *combo = new QComboBox(parent);
            combo->setObjectName(QStringLiteral("gridCombo"));
            combo->setFrame(false);
            combo->addItems(items);
            auto *self = const_cast<CVSFlexGridDelegate *>(this);
            connect(combo, &QComboBox::activated, self, [self, combo] {
                emit self->commitData(combo);
                emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            });
            return combo;
        }
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("gridEdit"));
        edit->setFrame(false);
        return edit;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        const QString text = index.data(Qt::EditRole).toString();
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
        else if (auto *edit = qobject_cast<QLineEdit *>(editor))
            edit->setText(text);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *,
                      const QModelIndex &index) const override
    {
        m_grid->commitEditor(editor, index);
    }

private:
    CVSFlexGrid *m_grid;
};

// ---------------------------------------------------------------------------

CVSFlexGrid::CVSFlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new CVSFlexGridModel(this))
    , m_header(new CVSFlexGridHeader(this))
{
    setHorizontalHeader(m_header);
    setModel(m_model);
    setItemDelegate(new CVSFlexGridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_header->setDefaultSectionSize(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10);
    m_header->setMinimumSectionSize(8);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
    m_header->viewport()->installEventFilter(this);
}

CVSFlexGrid::~CVSFlexGrid()
{
    // An editor still open commits when it goes; its owner may be gone already.
    blockSignals(true);
}

int CVSFlexGrid::rows() const
{
    return m_model->rowCount() + kFixedRows;
}

void CVSFlexGrid::setRows(int rows)
{
    const int wanted = std::max(rows, kFixedRows) - kFixedRows;
    const int now = m_model->rowCount();
    if (wanted > now)
        m_model->insertRows(now, wanted - now);
    else if (wanted < now)
        m_model->removeRows(wanted, now - wanted);
    ensureCurrentCell();
}

int CVSFlexGrid::cols() const
{
    return m_model->columnCount();
}

void CVSFlexGrid::setCols(int cols)
{
    cols = std::max(cols, 0);
    const int now = m_model->columnCount();
    if (cols > now)
        m_model->insertColumns(now, cols - now);
    else if (cols < now)
        m_model->removeColumns(cols, now - cols);
    m_comboLists.resize(static_cast<std::size_t>(cols));
    ensureCurrentCell();
}

bool CVSFlexGrid::isDataRow(int row) const
{
    return row >= kFixedRows && row < rows();
}

QString CVSFlexGrid::textMatrix(int row, int col) const
{
    if (row < kFixedRows)
        return m_model->headerText(row, col);
    return m_model->text(row - kFixedRows, col);
}

void CVSFlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    if (row < 0)
        return;
    if (row < kFixedRows)
        m_model->setHeaderText(row, col, text);
    else
        m_model->setText(row - kFixedRows, col, text);
}

int CVSFlexGrid::row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + kFixedRows : m_nHeaderCurrentRow;
}

int CVSFlexGrid::col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_nHeaderCurrentCol;
}

void CVSFlexGrid::setColComboList(int col, const QStringList &items)
{
    if (col < 0 || col >= cols())
        return;
    m_comboLists[static_cast<std::size_t>(col)] = items;
}

QStringList CVSFlexGrid::colComboList(int col) const
{
    if (col < 0 || static_cast<std::size_t>(col) >= m_comboLists.size())
        return {};
    return m_comboLists[static_cast<std::size_t>(col)];
}

void CVSFlexGrid::addItem(const QString &text, int index)
{
    if (index < kFixedRows || index > rows())
        return;
    const int r = index - kFixedRows;
    m_model->insertRows(r, 1);
    if (!text.isEmpty()) {
        const QStringList cells = text.split(QLatin1Char('\t'));
        for (int c = 0; c < cols() && c < cells.size(); ++c)
            m_model->setText(r, c, cells[c]);
    }
    ensureCurrentCell();
}

void CVSFlexGrid::removeItem(int index)
{
    if (!isDataRow(index))
        return;
    m_model->removeRows(index - kFixedRows, 1);
}

void CVSFlexGrid::select(int row, int col, int rowSel, int colSel)
{
    if (rowSel < 0)
        rowSel = row;
    if (colSel < 0)
        colSel = col;
    if (row >= 0 && row < kFixedRows) {
        // A header row: no data cell is current or selected.
        selectionModel()->clearSelection();
        selectionModel()->clearCurrentIndex();
        m_nHeaderCurrentRow = row;
        m_nHeaderCurrentCol = std::clamp(col, 0, std::max(cols() - 1, 0));
        return;
    }
    if (!isDataRow(row) || col < 0 || col >= cols())
        return;
    const int r2 = std::clamp(rowSel, kFixedRows, rows() - 1);
    const int c2 = std::clamp(colSel, 0, cols() - 1);
    const QModelIndex current = m_model->index(row - kFixedRows, col);
    const QItemSelection range(m_model->index(std::min(row, r2) - kFixedRows, std::min(col, c2)),
                               m_model->index(std::max(row, r2) - kFixedRows, std::max(col, c2)));
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selectionModel()->select(range, QItemSelectionModel::ClearAndSelect);
    scrollTo(current);
}

void CVSFlexGrid::setCurrentCell(int row, int col)
{
    if (!isDataRow(row) || col < 0 || col >= cols())
        return;
    const QModelIndex current = m_model->index(row - kFixedRows, col);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    scrollTo(current);
}

void CVSFlexGrid::selectUnderMouse()
{
    const int row = std::min(std::max(mouseRow(), kFixedRows), rows() - 1);
    const int col = std::min(std::max(mouseCol(), 0), cols() - 1);
    if (isCellSelected(row, col))
        setCurrentCell(row, col);
    else
        select(row, col);
}

bool CVSFlexGrid::isCellSelected(int row, int col) const
{
    if (!isDataRow(row) || col < 0 || col >= cols())
        return false;
    return selectionModel()->isSelected(m_model->index(row - kFixedRows, col));
}

void CVSFlexGrid::setMergeRow(int row, bool merge)
{
    m_header->setMergeRow(row, merge);
}

void CVSFlexGrid::setMergeCol(int col, bool merge)
{
    m_header->setMergeCol(col, merge);
}

namespace {

// The templates' dialog font: 15 twips a pixel, 13 pixels a line.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kTemplateLineHeight = 13.0;

} // namespace

int CVSFlexGrid::twipsToPixels(int twips) const
{
    return qRound(twips / kTwipsPerPixel * fontMetrics().height() / kTemplateLineHeight);
}

int CVSFlexGrid::headerWordsWidth(int col) const
{
    int widest = 0;
    const QString top = textMatrix(0, col);
    // A header text that spans several columns does not widen one of them.
    const bool topSpans = textMatrix(0, col - 1) == top || textMatrix(0, col + 1) == top;
    for (const QString &text : {topSpans ? QString() : top, textMatrix(1, col)})
        for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, fontMetrics().horizontalAdvance(word));
    return widest > 0 ? widest + 8 : 0;
}

void CVSFlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols() || twips < 0)
        return;
    setColumnWidth(col, std::max(twipsToPixels(twips), headerWordsWidth(col)));
}

int CVSFlexGrid::colWidth(int col) const
{
    if (col < 0 || col >= cols())
        return 0;
    return qRound(columnWidth(col) * kTwipsPerPixel * kTemplateLineHeight / fontMetrics().height());
}

void CVSFlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    m_model->setAlignment(col, alignment);
}

void CVSFlexGrid::setCellForeColor(int row1, int col1, int row2, int col2, const QColor &color)
{
    m_model->setFore(std::min(row1, row2) - kFixedRows, std::min(col1, col2),
                     std::max(row1, row2) - kFixedRows, std::max(col1, col2), color);
}

QColor CVSFlexGrid::cellForeColor(int row, int col) const
{
    return m_model->fore(row - kFixedRows, col);
}

void CVSFlexGrid::setBackColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void CVSFlexGrid::setBackColorFixed(const QColor &color)
{
    m_header->setFixedColor(color);
}

QColor CVSFlexGrid::backColorFixed() const
{
    return m_header->fixedColor();
}

QString CVSFlexGrid::columnTitle(int col) const
{
    const QString top = textMatrix(0, col);
    const QString bottom = textMatrix(1, col);
    return bottom == top ? top : top + bottom;
}

std::vector<int> CVSFlexGrid::selectedRows() const
{
    std::set<int> rowSet;
    for (const QModelIndex &i : selectionModel()->selectedIndexes())
        rowSet.insert(i.row() + kFixedRows);
    if (rowSet.empty() && currentIndex().isValid())
        rowSet.insert(row());
    return {rowSet.begin(), rowSet.end()};
}

QString CVSFlexGrid::selectedRowsText() const
{
    QString out;
    for (const int r : selectedRows()) {
        QStringList cells;
        for (int c = 0; c < cols(); ++c)
            cells << textMatrix(r, c);
        out += cells.join(QLatin1Char('\t'));
        out += QLatin1Char('\n');
    }
    return out;
}

void CVSFlexGrid::copySelectedRows()
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

std::vector<QStringList> CVSFlexGrid::dataRows() const
{
    return m_model->texts();
}

void CVSFlexGrid::setDataRows(const std::vector<QStringList> &rows)
{
    m_model->setTexts(rows);
    ensureCurrentCell();
}

void CVSFlexGrid::ensureCurrentCell()
{
    if (currentIndex().isValid() || m_model->rowCount() == 0 || m_model->columnCount() == 0)
        return;
    const int c = std::clamp(m_nHeaderCurrentCol, 0, m_model->columnCount() - 1);
    selectionModel()->setCurrentIndex(m_model->index(0, c), QItemSelectionModel::NoUpdate);
}

// --- editing ----------------------------------------------------------------

bool CVSFlexGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // Only an edit that would really open an editor is announced; a click on
    // a selected cell comes back here as AllEditTriggers once the double-click
    // time has passed.
    const bool opens = index.isValid() && state() != EditingState && !indexWidget(index)
                       && (m_model->flags(index) & Qt::ItemIsEditable) && trigger != SelectedClicked
                       && (trigger == AllEditTriggers || (trigger & editTriggers()));
    if (!opens)
        return QTableView::edit(index, trigger, event);
    bool cancel = false;
    emit beforeEdit(index.row() + kFixedRows, index.column(), &cancel);
    if (cancel || !QTableView::edit(index, trigger, event))
        return false;
    // A list opens at once, except when a typed key picks its item.
    if (trigger != AnyKeyPressed)
        if (auto *combo = qobject_cast<QComboBox *>(indexWidget(index)))
            QTimer::singleShot(0, combo, [combo] {
                if (combo->isVisible())
                    combo->showPopup();
            });
    return true;
}

void CVSFlexGrid::commitEditor(QWidget *editor, const QModelIndex &index)
{
    const QPersistentModelIndex target(index);
    QString text;
    int pick = -1;
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        pick = combo->currentIndex();
        text = pick >= 0 ? combo->itemText(pick) : m_model->text(index.row(), index.column());
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        text = line->text();
    } else {
        return;
    }
    bool cancel = false;
    m_nComboIndex = pick;
    emit validateEdit(index.row() + kFixedRows, index.column(), &cancel);
    m_nComboIndex = -1;
    if (!cancel && target.isValid())
        m_model->setText(target.row(), target.column(), text);
}

void CVSFlexGrid::finishEditing()
{
    if (state() != EditingState)
        return;
    QWidget *editor = indexWidget(currentIndex());
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void CVSFlexGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter ends the edit with SubmitModelCache: go on to the next cell, as
    // Tab does, without opening its editor.
    const bool enter = hint == QAbstractItemDelegate::SubmitModelCache;
    QTableView::closeEditor(editor, enter ? QAbstractItemDelegate::NoHint : hint);
    if (enter)
        moveToNextCell();
}

void CVSFlexGrid::moveToNextCell()
{
    const QModelIndex next = moveCursor(MoveNext, Qt::NoModifier);
    if (next.isValid())
        selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
}

bool CVSFlexGrid::viewportEvent(QEvent *event)
{
    // A text cut short by its column shows whole as a tooltip.
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = visualRect(index);
        if (index.isValid() && fontMetrics().horizontalAdvance(text) + 8 > cell.width())
            QToolTip::showText(help->globalPos(), text, viewport(), cell);
        else
            QToolTip::hideText();
        return true;
    }
    return QTableView::viewportEvent(event);
}

void CVSFlexGrid::keyboardSearch(const QString &)
{
    // A typed key edits the cell; it never jumps to another row.
}

void CVSFlexGrid::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copySelectedRows();
        event->accept();
        return;
    }
    if (event == QKeySequence::Paste) {
        emit pasteRequested();
        event->accept();
        return;
    }
    if (state() != EditingState) {
        const QModelIndex current = currentIndex();
        const bool list = current.isValid() && !colComboList(current.column()).isEmpty();
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods == Qt::NoModifier) {
                moveToNextCell();
                event->accept();
                return;
            }
            break;
        case Qt::Key_F4:
            if (list && mods == Qt::NoModifier) {
                edit(current, EditKeyPressed, nullptr);
                event->accept();
                return;
            }
            break;
        case Qt::Key_Down:
            if (list && mods == Qt::AltModifier) {
                edit(current, EditKeyPressed, nullptr);
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void CVSFlexGrid::inputMethodEvent(QInputMethodEvent *event)
{
    // Text committed by an input method starts editing the current cell, as
    // a typed key does, and goes into the editor.
    if (state() != EditingState && !event->commitString().isEmpty()
        && event->preeditString().isEmpty()) {
        const QModelIndex current = currentIndex();
        if (!edit(current, AnyKeyPressed, nullptr)) {
            event->ignore();
            return;
        }
        if (QWidget *editor = indexWidget(current))
            QCoreApplication::sendEvent(editor, event);
        event->accept();
        return;
    }
    QTableView::inputMethodEvent(event);
}

// --- mouse and context menu ---------------------------------------------------

void CVSFlexGrid::trackMouse(const QPoint &gridPos)
{
    const QPoint inHeader = m_header->mapFrom(this, gridPos);
    if (m_header->isVisible() && m_header->rect().contains(inHeader)) {
        m_nMouseRow = m_header->headerRowAt(inHeader.y());
        m_nMouseCol = m_header->logicalIndexAt(inHeader.x());
        return;
    }
    const QPoint inCells = viewport()->mapFrom(this, gridPos);
    if (viewport()->rect().contains(inCells)) {
        const int r = rowAt(inCells.y());
        m_nMouseRow = r < 0 ? -1 : r + kFixedRows;
        m_nMouseCol = columnAt(inCells.x());
        return;
    }
    m_nMouseRow = -1;
    m_nMouseCol = -1;
}

void CVSFlexGrid::mouseReleased(QMouseEvent *event, const QPoint &gridPos)
{
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton:
        button = LeftButton;
        break;
    case Qt::RightButton:
        button = RightButton;
        break;
    case Qt::MiddleButton:
        button = MiddleButton;
        break;
    default:
        return;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= ShiftKey;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= ControlKey;
    if (event->modifiers() & Qt::AltModifier)
        shift |= AltKey;
    const QPointer<CVSFlexGrid> alive(this);
    emit mouseUp(button, shift, gridPos.x(), gridPos.y());
    if (alive && button == RightButton)
        sendContextMenu(QContextMenuEvent::Mouse, gridPos, event->modifiers());
}

void CVSFlexGrid::sendContextMenu(QContextMenuEvent::Reason reason, const QPoint &gridPos,
                                  Qt::KeyboardModifiers modifiers)
{
    QWidget *target = parentWidget();
    if (!target)
        return;
    QContextMenuEvent menuEvent(reason, mapTo(target, gridPos), mapToGlobal(gridPos), modifiers);
    QCoreApplication::sendEvent(target, &menuEvent);
}

void CVSFlexGrid::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse)
        return; // sent on to the parent after the mouse-up
    // From the keyboard: at the current cell.
    QPoint at = rect().center();
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        const QRect cell = visualRect(current);
        if (viewport()->rect().intersects(cell))
            at = viewport()->mapTo(this, cell.center());
    }
    trackMouse(at);
    sendContextMenu(event->reason(), at, event->modifiers());
}

bool CVSFlexGrid::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *source = nullptr;
    if (watched == viewport())
        source = viewport();
    else if (watched == m_header->viewport())
        source = m_header->viewport();
    if (!source)
        return QTableView::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(event);
        trackMouse(source->mapTo(this, me->position().toPoint()));
        // The right button neither selects nor starts an edit: the owner's
        // mouse-up handler decides which cell its menu acts on.
        if (event->type() != QEvent::MouseMove && me->button() == Qt::RightButton)
            return true;
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint pos = source->mapTo(this, me->position().toPoint());
        trackMouse(pos);
        if (me->button() == Qt::RightButton) {
            mouseReleased(me, pos);
            return true;
        }
        if (source == viewport()) {
            // Let the view finish its selection first, then report.
            const QPointer<CVSFlexGrid> alive(this);
            viewportEvent(event);
            if (alive)
                mouseReleased(me, pos);
            return true;
        }
        mouseReleased(me, pos);
        break;
    }
    case QEvent::ContextMenu:
        if (static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse) {
            event->accept();
            return true; // sent on to the parent after the mouse-up
        }
        break;
    default:
        break;
    }
    return QTableView::eventFilter(watched, event);
}
