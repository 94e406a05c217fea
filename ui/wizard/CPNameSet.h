#pragma once

// The subprogram name page: proposes "POS_EXE" for a new configuration and
// refuses a name that is empty, illegal or already in the project; shows the
// stored name read-only when a configuration is modified.

#include "wizard/CBasePage.h"

#include "ui_CPNameSet.h"

#include <memory>

namespace pos {
struct PosHostContext;
}

class CPNameSet : public CBasePage
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1009;

    explicit CPNameSet(QWidget *parent = nullptr);

    // The host's context (not owned); only its subprogram names are read.
    void SetProjectNames(const pos::PosHostContext *context);

    void OnInitDialog() override;
    bool SavePage() override;

    QString m_strName;

private:
    void refuse(const QString &text);

    Ui::CPNameSet m_ui;
    const pos::PosHostContext *m_context = nullptr;
};
