#include "controls/CVSFlexGridModel.h"

#include <QBrush>
#include <QFont>
#include <QPersistentModelIndex>

#include <algorithm>
#include <limits>

namespace {

const QColor kMarkedColour(110, 110, 110);

std::size_t Size(int n)
{
    return static_cast<std::size_t>(std::max(n, 0));
}

int ToInt(std::size_t n)
{
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

} // namespace

CVSFlexGridModel::CVSFlexGridModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

int CVSFlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ToInt(m_rows.size());
}

int CVSFlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ToInt(m_columns.size());
}

bool CVSFlexGridModel::isCell(int row, int col) const
{
    return row >= 0 && row < rowCount() && col >= 0 && col < columnCount();
}

std::vector<CVSFlexGridModel::Cell> CVSFlexGridModel::emptyRow() const
{
    return std::vector<Cell>(m_columns.size());
}

QVariant CVSFlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Cell &cell = m_rows[Size(index.row())][Size(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell.text;
    case Qt::ForegroundRole:
        if (cell.fore.isValid())
            return QBrush(cell.fore);
        return marked(index.row()) ? QVariant(QBrush(kMarkedColour)) : QVariant();
    case Qt::FontRole:
        if (marked(index.row())) {
            QFont italic; // only the style: the rest comes from the view
            italic.setItalic(true);
            return italic;
        }
        return {};
    case Qt::ToolTipRole:
        return marked(index.row()) && !m_markToolTip.isEmpty() ? QVariant(m_markToolTip)
                                                               : QVariant();
    case Qt::TextAlignmentRole:
        return static_cast<int>(alignment(index.column()));
    default:
        return {};
    }
}

bool CVSFlexGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole && role != Qt::DisplayRole)
        return false;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const QString text = value.toString();
    // The hook may change the rows; the cell is found again afterwards.
    const QPersistentModelIndex target(index);
    const bool store = !m_editHook || m_editHook(index.row(), index.column(), text);
    if (!store || !target.isValid())
        return false;
    setText(target.row(), target.column(), text);
    return true;
}

Qt::ItemFlags CVSFlexGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Every cell may be edited as far as the model goes; the grid's owner
    // refuses edits through beforeEdit.
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

QVariant CVSFlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const Column &column = m_columns[Size(section)];
    const QString &top = column.header[0];
    const QString &bottom = column.header[1];
    switch (role) {
    case HeaderRow0Role:
        return top;
    case HeaderRow1Role:
        return bottom;
    case ComboListRole:
        return column.comboList;
    case Qt::DisplayRole:
        return top == bottom ? top : top + QLatin1Char(' ') + bottom;
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

bool CVSFlexGridModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count <= 0)
        return false;
    beginInsertRows({}, row, row + count - 1);
    m_rows.insert(m_rows.begin() + row, Size(count), emptyRow());
    m_marks.insert(m_marks.begin() + row, Size(count), false);
    endInsertRows();
    return true;
}

bool CVSFlexGridModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    m_marks.erase(m_marks.begin() + row, m_marks.begin() + row + count);
    endRemoveRows();
    return true;
}

bool CVSFlexGridModel::insertColumns(int column, int count, const QModelIndex &parent)
{
    if (parent.isValid() || column < 0 || column > columnCount() || count <= 0)
        return false;
    beginInsertColumns({}, column, column + count - 1);
    for (std::vector<Cell> &r : m_rows)
        r.insert(r.begin() + column, Size(count), Cell{});
    m_columns.insert(m_columns.begin() + column, Size(count), Column{});
    endInsertColumns();
    return true;
}

bool CVSFlexGridModel::removeColumns(int column, int count, const QModelIndex &parent)
{
    if (parent.isValid() || column < 0 || count <= 0 || column + count > columnCount())
        return false;
    beginRemoveColumns({}, column, column + count - 1);
    for (std::vector<Cell> &r : m_rows)
        r.erase(r.begin() + column, r.begin() + column + count);
    m_columns.erase(m_columns.begin() + column, m_columns.begin() + column + count);
    endRemoveColumns();
    return true;
}

QString CVSFlexGridModel::text(int row, int col) const
{
    return isCell(row, col) ? m_rows[Size(row)][Size(col)].text : QString();
}

void CVSFlexGridModel::setText(int row, int col, const QString &text)
{
    if (!isCell(row, col))
        return;
    QString &cell = m_rows[Size(row)][Size(col)].text;
    if (cell == text)
        return;
    cell = text;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

QString CVSFlexGridModel::headerText(int headerRow, int col) const
{
    if (headerRow < 0 || headerRow > 1 || col < 0 || col >= columnCount())
        return {};
    return m_columns[Size(col)].header[headerRow];
}

void CVSFlexGridModel::setHeaderText(int headerRow, int col, const QString &text)
{
    if (headerRow < 0 || headerRow > 1 || col < 0 || col >= columnCount())
        return;
    m_columns[Size(col)].header[headerRow] = text;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

QStringList CVSFlexGridModel::comboList(int col) const
{
    return col >= 0 && col < columnCount() ? m_columns[Size(col)].comboList : QStringList();
}

void CVSFlexGridModel::setComboList(int col, const QStringList &items)
{
    if (col < 0 || col >= columnCount())
        return;
    m_columns[Size(col)].comboList = items;
    emit headerDataChanged(Qt::Horizontal, col, col);
}

QColor CVSFlexGridModel::fore(int row, int col) const
{
    return isCell(row, col) ? m_rows[Size(row)][Size(col)].fore : QColor();
}

void CVSFlexGridModel::setFore(int row1, int col1, int row2, int col2, const QColor &color)
{
    row1 = std::max(row1, 0);
    col1 = std::max(col1, 0);
    row2 = std::min(row2, rowCount() - 1);
    col2 = std::min(col2, columnCount() - 1);
    if (row1 > row2 || col1 > col2)
        return;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            m_rows[Size(r)][Size(c)].fore = color;
    emit dataChanged(index(row1, col1), index(row2, col2), {Qt::ForegroundRole});
}

Qt::Alignment CVSFlexGridModel::alignment(int col) const
{
    return col >= 0 && col < columnCount() ? m_columns[Size(col)].alignment
                                           : Qt::Alignment(Qt::AlignCenter);
}

void CVSFlexGridModel::setAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= columnCount())
        return;
    m_columns[Size(col)].alignment = alignment;
    if (rowCount() > 0)
        emit dataChanged(index(0, col), index(rowCount() - 1, col), {Qt::TextAlignmentRole});
}

std::vector<QStringList> CVSFlexGridModel::texts() const
{
    std::vector<QStringList> out;
    out.reserve(m_rows.size());
    for (const std::vector<Cell> &r : m_rows) {
        QStringList line;
        line.reserve(columnCount());
        for (const Cell &c : r)
            line << c.text;
        out.push_back(line);
    }
    return out;
}

void CVSFlexGridModel::setTexts(const std::vector<QStringList> &rows)
{
    beginResetModel();
    m_rows.assign(rows.size(), emptyRow());
    m_marks.resize(rows.size(), false);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columnCount() && c < rows[r].size(); ++c)
            m_rows[r][Size(c)].text = rows[r][c];
    endResetModel();
}

bool CVSFlexGridModel::marked(int row) const
{
    return row >= 0 && row < rowCount() && m_marks[Size(row)];
}

void CVSFlexGridModel::setMarked(int row, bool marked)
{
    if (row < 0 || row >= rowCount() || m_marks[Size(row)] == marked)
        return;
    m_marks[Size(row)] = marked;
    if (columnCount() > 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1),
                         {Qt::ForegroundRole, Qt::FontRole, Qt::ToolTipRole});
}
