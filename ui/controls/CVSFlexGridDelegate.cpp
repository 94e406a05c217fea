#include "controls/CVSFlexGridDelegate.h"

#include "controls/CVSFlexGridModel.h"

#include <QComboBox>
#include <QLineEdit>

CVSFlexGridDelegate::CVSFlexGridDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{}

QWidget *CVSFlexGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                           const QModelIndex &index) const
{
    const QStringList items
        = index.model()
              ->headerData(index.column(), Qt::Horizontal, CVSFlexGridModel::ComboListRole)
              .toStringList();
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

void CVSFlexGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
    else if (auto *edit = qobject_cast<QLineEdit *>(editor))
        edit->setText(text);
}

void CVSFlexGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                       const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        if (combo->currentIndex() >= 0)
            model->setData(index, combo->currentText(), Qt::EditRole);
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        model->setData(index, edit->text(), Qt::EditRole);
    }
}
