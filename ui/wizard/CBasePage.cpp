#include "wizard/CBasePage.h"

#include <QKeyEvent>

CBasePage::CBasePage(int templateId, QWidget *parent)
    : QWidget(parent)
    , m_templateId(templateId)
{}

void CBasePage::SetContext(pos::PosConfig *config, bool modify)
{
    m_pConfig = config;
    m_bModify = modify;
}

void CBasePage::FocusFirstField()
{
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this)
            && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
}

void CBasePage::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // neither finishes nor cancels the wizard
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
