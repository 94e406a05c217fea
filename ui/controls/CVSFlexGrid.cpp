#include "controls/CVSFlexGrid.h"

#include "controls/CVSFlexGridDelegate.h"
#include "controls/CVSFlexGridHeader.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <numeric>
#include <set>

CVSFlexGrid::CVSFlexGrid(QWidget *parent)
    : QTableView(parent)
    , m_model(new CVSFlexGridModel(this))
    , m_header(new CVSFlexGridHeader(this))
{
    setHorizontalHeader(m_header);
    setModel(m_model);
    setItemDelegate(new CVSFlexGridDelegate(this));
    m_model->setEditHook([this](int modelRow, int col, const QString &text) {
        return acceptEdit(modelRow, col, text);
    });
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
    // By the pixel: a cell scrolled into view stops right beside the frozen column.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
    m_header->viewport()->installEventFilter(this);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, &CVSFlexGrid::fitColumns);
    connect(m_header, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
        const auto c = static_cast<std::size_t>(col);
        if (!m_fitting && col >= 0 && c < m_widths.size()) // the user's width
            m_widths[c] = std::max(size - (c < m_shares.size() ? m_shares[c] : 0), 1);
    });
}

CVSFlexGrid::~CVSFlexGrid()
{
    // An editor still open commits when it goes, after this part of the grid
    // is gone; its owner may be gone already.
    m_model->setEditHook({});
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
    m_widths.resize(static_cast<std::size_t>(cols), 0);
    fitColumns();
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
    return current.isValid() ? current.row() + kFixedRows : m_headerCurrentRow;
}

int CVSFlexGrid::col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_headerCurrentCol;
}

void CVSFlexGrid::setColComboList(int col, const QStringList &items)
{
    m_model->setComboList(col, items);
}

QStringList CVSFlexGrid::colComboList(int col) const
{
    return m_model->comboList(col);
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
        m_headerCurrentRow = row;
        m_headerCurrentCol = std::clamp(col, 0, std::max(cols() - 1, 0));
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
    fitColumns();
}

void CVSFlexGrid::setMergeCol(int col, bool merge)
{
    m_header->setMergeCol(col, merge);
    fitColumns();
}

namespace {

// The n-th of count parts of total, the first ones a pixel larger.
int Share(int total, std::size_t count, std::size_t n)
{
    const int parts = static_cast<int>(count);
    return total / parts + (static_cast<int>(n) < total % parts ? 1 : 0);
}

// The templates' dialog font: 15 twips a pixel, 13 pixels a line.
constexpr double kTwipsPerPixel = 15.0;
constexpr double kTemplateLineHeight = 13.0;

} // namespace

int CVSFlexGrid::twipsToPixels(int twips) const
{
    return qRound(twips / kTwipsPerPixel * fontMetrics().height() / kTemplateLineHeight);
}

void CVSFlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= cols() || twips < 0)
        return;
    m_widths[static_cast<std::size_t>(col)] = twipsToPixels(twips);
    fitColumns();
}

int CVSFlexGrid::listWidth(int col) const
{
    const QStringList items = colComboList(col);
    if (items.isEmpty())
        return 0;
    int widest = 0;
    for (const QString &item : items)
        widest = std::max(widest, fontMetrics().horizontalAdvance(item));
    // As wide as the drop-down list that edits the cell needs, arrow and all.
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.frame = false;
    return style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest, fontMetrics().height()),
                           this)
        .width();
}

void CVSFlexGrid::fitColumns()
{
    if (m_fitting)
        return; // a view resized by the widths set here
    const auto n = static_cast<std::size_t>(cols());
    m_widths.resize(n, 0);
    std::vector<int> widths(n);
    for (std::size_t c = 0; c < n; ++c)
        widths[c] = std::max(m_widths[c] > 0 ? m_widths[c] : m_header->defaultSectionSize(),
                             listWidth(static_cast<int>(c)));
    const std::vector<CVSFlexGridHeader::Cell> cells = m_header->cells();
    for (const auto &cell : cells)
        if (cell.first == cell.last) {
            int &width = widths[static_cast<std::size_t>(cell.first)];
            width = std::max(width, m_header->widthFor(cell));
        }
    // A text over several columns: what it lacks, shared out evenly.
    for (const auto &cell : cells) {
        const auto first = static_cast<std::size_t>(cell.first);
        const auto span = static_cast<std::size_t>(cell.last - cell.first + 1);
        if (span < 2)
            continue;
        int lack = m_header->widthFor(cell);
        for (std::size_t c = first; c < first + span; ++c)
            lack -= widths[c];
        for (std::size_t c = first; lack > 0 && c < first + span; ++c)
            widths[c] += Share(lack, span, c - first);
    }
    // The room the columns leave in the view goes to them, the number
    // column aside: no empty strip beside the last column.
    m_shares.assign(n, 0);
    const int room = viewport()->width() - std::accumulate(widths.begin(), widths.end(), 0);
    for (std::size_t c = 1; room > 0 && c < n; ++c) {
        m_shares[c] = Share(room, n - 1, c - 1);
        widths[c] += m_shares[c];
    }
    bool changed = false;
    m_fitting = true;
    for (std::size_t c = 0; c < n; ++c)
        if (columnWidth(static_cast<int>(c)) != widths[c]) {
            setColumnWidth(static_cast<int>(c), widths[c]);
            changed = true;
        }
    if (changed)
        updateGeometries(); // the scroll range now, for a cell selected next
    m_fitting = false;
}

void CVSFlexGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
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

bool CVSFlexGrid::isRowMarked(int row) const
{
    return m_model->marked(row - kFixedRows);
}

void CVSFlexGrid::setRowMarked(int row, bool marked)
{
    m_model->setMarked(row - kFixedRows, marked);
}

void CVSFlexGrid::setRowMarkToolTip(const QString &text)
{
    m_model->setMarkToolTip(text);
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
    const int c = std::clamp(m_headerCurrentCol, 0, m_model->columnCount() - 1);
    selectionModel()->setCurrentIndex(m_model->index(0, c), QItemSelectionModel::NoUpdate);
}

// --- the frozen column ------------------------------------------------------------

QModelIndex CVSFlexGrid::indexAt(const QPoint &pos) const
{
    if (pos.x() >= 0 && pos.x() < m_header->frozenWidth()) {
        const int r = rowAt(pos.y());
        return r < 0 ? QModelIndex() : m_model->index(r, 0);
    }
    return QTableView::indexAt(pos);
}

QRect CVSFlexGrid::visualRect(const QModelIndex &index) const
{
    QRect rect = QTableView::visualRect(index);
    if (index.isValid() && index.column() == 0 && m_header->frozenWidth() > 0)
        rect.moveLeft(0);
    return rect;
}

void CVSFlexGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // The rows scroll as the view scrolls them; sideways the cell comes out
    // from under the frozen column, which is always in view itself.
    QScrollBar *bar = horizontalScrollBar();
    const int before = bar->value();
    QTableView::scrollTo(index, hint);
    if (!index.isValid() || cols() < 2)
        return;
    bar->setValue(before);
    const int col = index.column();
    if (col == 0)
        return;
    const int right = columnViewportPosition(col) + columnWidth(col);
    if (right > viewport()->width())
        bar->setValue(bar->value() + right - viewport()->width());
    const int hiddenBy = columnWidth(0) - columnViewportPosition(col);
    if (hiddenBy > 0)
        bar->setValue(bar->value() - hiddenBy);
}

void CVSFlexGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0) {
        // The frozen column moved with what was scrolled: draw it again.
        viewport()->update();
        m_header->viewport()->update();
        updateEditorGeometries();
    }
}

QRegion CVSFlexGrid::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region = QTableView::visualRegionForSelection(selection);
    if (const int frozen = m_header->frozenWidth(); frozen > 0)
        for (const QItemSelectionRange &range : selection)
            if (range.left() == 0)
                region += QRect(0, 0, frozen, viewport()->height());
    return region;
}

void CVSFlexGrid::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (m_header->frozenWidth() > 0) {
        QPainter painter(viewport());
        paintFrozenColumn(painter);
    }
}

void CVSFlexGrid::paintFrozenColumn(QPainter &painter)
{
    // Column 0 once more at the left edge, as the view paints its cells.
    const int frozen = m_header->frozenWidth();
    const int height = viewport()->height();
    painter.setClipRect(0, 0, frozen, height);
    painter.fillRect(0, 0, frozen, height, palette().brush(QPalette::Base));
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor lines = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const bool focus = hasFocus() || viewport()->hasFocus();
    for (int r = std::max(rowAt(0), 0); r < m_model->rowCount(); ++r) {
        const int y = rowViewportPosition(r);
        if (y >= height)
            break;
        const QModelIndex index = m_model->index(r, 0);
        QStyleOptionViewItem cell = option;
        cell.rect = visualRect(index);
        if (selectionModel()->isSelected(index))
            cell.state |= QStyle::State_Selected;
        if (focus && index == currentIndex())
            cell.state |= QStyle::State_HasFocus;
        style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &cell, &painter, this);
        itemDelegateForIndex(index)->paint(&painter, cell, index);
        if (showGrid()) {
            painter.setPen(QPen(lines, 1, gridStyle()));
            painter.drawLine(0, y + rowHeight(r) - 1, frozen - 1, y + rowHeight(r) - 1);
        }
    }
    if (showGrid()) {
        painter.setPen(QPen(lines, 1, gridStyle()));
        painter.drawLine(frozen - 1, 0, frozen - 1, height);
    }
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

bool CVSFlexGrid::acceptEdit(int modelRow, int col, const QString &text)
{
    // A list column takes only one of its items.
    const QStringList items = colComboList(col);
    const int pick = static_cast<int>(items.indexOf(text));
    if (!items.isEmpty() && pick < 0)
        return false;
    bool cancel = false;
    m_comboIndex = pick;
    emit validateEdit(modelRow + kFixedRows, col, &cancel);
    m_comboIndex = -1;
    return !cancel;
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

void CVSFlexGrid::commitData(QWidget *editor)
{
    QTableView::commitData(editor);
    emit editCommitted();
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
    // A text cut short by its column shows whole as a tooltip, and a marked
    // row tells what its mark means.
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = visualRect(index);
        QStringList tips;
        if (index.isValid() && fontMetrics().horizontalAdvance(text) + 8 > cell.width())
            tips << text;
        if (const QString mark = index.data(Qt::ToolTipRole).toString(); !mark.isEmpty())
            tips << mark;
        if (tips.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tips.join(QLatin1Char('\n')), viewport(), cell);
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
        m_mouseRow = m_header->headerRowAt(inHeader.y());
        m_mouseCol = m_header->columnAt(inHeader.x());
        return;
    }
    const QPoint inCells = viewport()->mapFrom(this, gridPos);
    if (viewport()->rect().contains(inCells)) {
        const int r = rowAt(inCells.y());
        m_mouseRow = r < 0 ? -1 : r + kFixedRows;
        m_mouseCol = m_header->columnAt(inCells.x());
        return;
    }
    m_mouseRow = -1;
    m_mouseCol = -1;
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
    case QEvent::Resize:
        if (source == viewport())
            fitColumns();
        break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *me = static_cast<QMouseEvent *>(event);
        trackMouse(source->mapTo(this, me->position().toPoint()));
        // The right button neither selects nor starts an edit: the owner's
        // mouse-up handler decides which cell its menu acts on.
        if (event->type() != QEvent::MouseMove && me->button() == Qt::RightButton)
            return true;
        // The edges over the frozen header cell belong to columns scrolled
        // beneath it: no resizing there.
        if (source == m_header->viewport()
            && me->position().toPoint().x() < m_header->frozenWidth())
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
