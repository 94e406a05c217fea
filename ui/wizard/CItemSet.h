#pragma once

// First page: start D element, action mode, pulse output mode, the four
// output ports and how the segments will be entered.

#include "wizard/CBasePage.h"

#include "ui_CItemSet.h"

#include <cstdint>
#include <memory>

class CItemSet : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 103;

    explicit CItemSet(QWidget *parent = nullptr);

    void OnInitDialog() override;
    bool SavePage() override;
    // minD <= start D element <= maxD, else message 10039 with the focus on the field.
    bool CheckStartAddress();
    // Shows an action mode that a later page set (an imported drawing is absolute).
    void ShowActionMode(int mode);

    std::uint32_t m_nStartAddress = 0;
    int m_nInputMode = -1; // 0 step by step, 1 table

private slots:
    void OnSelchangePulseMode();

private:
    Ui::CItemSet m_ui;
};
