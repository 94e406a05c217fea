#pragma once

// The summary page: names the subprogram the wizard is about to add, and
// tells the outline's total length and the estimated time of one run of it
// (see geometry/Motion.h), as the record stands when the page opens.

#include "wizard/CBasePage.h"

#include "ui_CFinalSet.h"

#include <memory>

class CFinalSet : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1005;

    explicit CFinalSet(QWidget *parent = nullptr);

    // The lines of the list: the subprogram, then the length and the time.
    QStringList items() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    Ui::CFinalSet m_ui;
};
