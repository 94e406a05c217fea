#pragma once

// The summary page: names the subprogram the wizard is about to add.

#include "wizard/CBasePage.h"

#include "ui_CFinalSet.h"

#include <memory>

class CFinalSet : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1005;

    explicit CFinalSet(QWidget *parent = nullptr);

    QStringList items() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    Ui::CFinalSet m_ui;
};
