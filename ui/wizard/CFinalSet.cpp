#include "wizard/CFinalSet.h"

#include "res/UiText.h"

CFinalSet::CFinalSet(QWidget *parent)
    : CBasePage(kTemplateId, parent)
{
    m_ui.setupUi(this);
}

QStringList CFinalSet::items() const
{
    QStringList out;
    for (int i = 0; i < m_ui.itemList->count(); ++i)
        out << m_ui.itemList->item(i)->text();
    return out;
}

void CFinalSet::showEvent(QShowEvent *event)
{
    CBasePage::showEvent(event);
    refresh();
}

void CFinalSet::hideEvent(QHideEvent *event)
{
    CBasePage::hideEvent(event);
    refresh();
}

void CFinalSet::refresh()
{
    // Always the name as the name page has just stored it, and only that.
    m_ui.itemList->clear();
    if (m_pConfig)
        m_ui.itemList->addItem(
            pos::ui::StrF(pos::sid::SubprogramCaption, {m_pConfig->subprogramName}));
}
