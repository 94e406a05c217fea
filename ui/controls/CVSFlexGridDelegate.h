#pragma once

// The grid's editors: a drop-down list for a column that has one (the
// model's headerData under CVSFlexGridModel::ComboListRole; a pick ends the
// edit at once), a line edit for every other column. The edited text goes to
// the model through setData; a list closed without a pick writes nothing.

#include <QStyledItemDelegate>

class CVSFlexGridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CVSFlexGridDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
