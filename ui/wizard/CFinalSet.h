#pragma once

// The summary page: names the subprogram the wizard is about to add.

#include "wizard/CBasePage.h"

#include <memory>

namespace Ui {
class CFinalSet;
}

class CFinalSet : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1005;

    explicit CFinalSet(QWidget *parent = nullptr);
    ~CFinalSet() override;

    QStringList items() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    std::unique_ptr<Ui::CFinalSet> m_ui;
};
