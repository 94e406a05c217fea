#pragma once

// Base of the wizard's five pages: gives each page the configuration record
// and the modify flag, keeps Enter and Escape inside a page from closing
// anything, and lets the frame ask a page to check and store its input.

#include "guide/PosConfig.h"

#include <QWidget>

class CBasePage : public QWidget
{
    Q_OBJECT
public:
    CBasePage(int templateId, QWidget *parent = nullptr);

    void SetContext(pos::PosConfig *config, bool modify);
    int templateId() const { return m_templateId; }

    // Runs once when the frame opens, after SetContext.
    virtual void OnInitDialog() {}
    // Checks and stores the page's input when the user leaves it; false keeps
    // the user on the page (the page has told why).
    virtual bool SavePage() { return true; }
    // Puts the focus in the page's first field, as Tab would coming from
    // before the page; the frame calls it whenever the page opens.
    void FocusFirstField();

protected:
    void keyPressEvent(QKeyEvent *event) override;

    pos::PosConfig *m_pConfig = nullptr; // not owned
    bool m_bModify = false;

private:
    int m_templateId;
};
