#include "wizard/CPNameSet.h"

#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/Checks.h"

using pos::ui::Str;

CPNameSet::CPNameSet(QWidget *parent)
    : CBasePage(kTemplateId, parent)
{
    m_ui.setupUi(this);
    m_ui.nameEdit->setMaxLength(static_cast<int>(pos::kMaxNameLength));
}

void CPNameSet::SetProjectNames(const pos::PosHostContext *context)
{
    m_context = context;
}

void CPNameSet::OnInitDialog()
{
    m_ui.nameEdit->setReadOnly(m_bModify);
    if (m_bModify) {
        // A name that cannot be changed does not look like a field to type in.
        QPalette look = m_ui.nameEdit->palette();
        look.setBrush(QPalette::Base, look.brush(QPalette::Window));
        m_ui.nameEdit->setPalette(look);
    }
    m_strName = m_bModify && m_pConfig ? QString::fromStdString(m_pConfig->subprogramName)
                                       : QStringLiteral("POS_EXE");
    m_ui.nameEdit->setText(m_strName);
}

void CPNameSet::refuse(const QString &text)
{
    m_ui.nameEdit->setFocus();
    pos::ui::ShowOk(this, text);
    m_ui.nameEdit->setFocus();
}

bool CPNameSet::SavePage()
{
    if (m_bModify)
        return true; // the existing subprogram keeps its name
    if (!m_pConfig)
        return false;
    m_strName = m_ui.nameEdit->text();
    const std::string name = m_strName.toStdString();
    const pos::Status valid = pos::CheckNewSubprogramName(
        name, m_context ? m_context->subprogramNames : std::vector<std::string>());
    if (!valid) {
        refuse(pos::ui::Say(valid.error()));
        return false;
    }
    m_pConfig->subprogramName = name;
    return true;
}
