#include "wizard/CFinalSet.h"

#include "geometry/Motion.h"
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
    // Always the name as the name page has just stored it, then how long
    // the outline is and how long it takes as the record now stands.
    m_ui.itemList->clear();
    if (!m_pConfig)
        return;
    m_ui.itemList->addItem(pos::ui::StrF(pos::sid::SubprogramCaption, {m_pConfig->subprogramName}));
    if (m_pConfig->segments.empty())
        return;
    const pos::MotionEstimate motion = pos::EstimateMotion(*m_pConfig);
    const QString length = QString::number(motion.length, 'f', 2);
    if (motion.travelLength > 0.0)
        //: The summary: the path length of the outline in pulses, and how much of
        //: it moves between contours without cutting.
        m_ui.itemList->addItem(tr("Total length: %1 pulses, of which travel %2")
                                   .arg(length, QString::number(motion.travelLength, 'f', 2)));
    else
        m_ui.itemList->addItem(tr("Total length: %1 pulses").arg(length));
    const QString time = QString::number(motion.time, 'f', 4);
    if (motion.complete()) {
        m_ui.itemList->addItem(tr("Estimated cycle time: %1 s").arg(time));
        return;
    }
    //: The summary: the time of the segments that have one; others have none.
    m_ui.itemList->addItem(tr("Estimated cycle time: at least %1 s").arg(time));
    auto *untimed = new QListWidgetItem(
        tr("Segments whose time cannot be computed: %1").arg(motion.untimed), m_ui.itemList);
    untimed->setToolTip(tr("Their maximum speed is 0 or below their initial speed."));
}
