#include "wizard/CPosWizardDlg.h"

#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/CBasePage.h"
#include "wizard/CItemSet.h"
#include "wizard/CSetStep.h"
#include "wizard/CSetTable.h"

#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>

#include <algorithm>
#include <utility>

using pos::ui::Str;

CPosWizardDlg::CPosWizardDlg(pos::PosConfig *config, bool modify, QWidget *parent)
    : QDialog(parent)
    , m_pConfig(config)
    , m_bModify(modify)
{
    m_ui.setupUi(this);
    // Enter and Escape are handled in keyPressEvent: no button is a default one.
    for (QPushButton *b :
         {m_ui.previousButton, m_ui.nextButton, m_ui.endButton, m_ui.cancelButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(m_ui.previousButton, &QPushButton::clicked, this, &CPosWizardDlg::OnPrevious);
    connect(m_ui.nextButton, &QPushButton::clicked, this, &CPosWizardDlg::OnOK);
    connect(m_ui.endButton, &QPushButton::clicked, this, &CPosWizardDlg::OnEnd);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &CPosWizardDlg::OnCancel);
}

CPosWizardDlg::~CPosWizardDlg()
{
    // The pages belong to whoever runs the wizard: take them out of the stack
    // so that the stack does not delete them.
    for (CBasePage *p : m_pages)
        if (p)
            p->setParent(nullptr);
}

void CPosWizardDlg::AddPage(CBasePage *page, int templateId)
{
    m_pages.push_back(page);
    m_makers.emplace_back();
    m_placed.push_back(false);
    m_pageIds.push_back(templateId);
    if (page)
        page->SetContext(m_pConfig, m_bModify);
}

void CPosWizardDlg::AddPage(PageMaker make, int templateId)
{
    m_pages.push_back(nullptr);
    m_makers.push_back(std::move(make));
    m_placed.push_back(false);
    m_pageIds.push_back(templateId);
}

CBasePage *CPosWizardDlg::page(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_pages.size())
        return nullptr;
    const auto i = static_cast<std::size_t>(index);
    if (!m_pages[i] && m_makers[i]) {
        m_pages[i] = std::exchange(m_makers[i], nullptr)();
        if (m_pages[i])
            m_pages[i]->SetContext(m_pConfig, m_bModify);
    }
    if (m_initialised && !m_placed[i])
        placePage(i);
    return m_pages[i];
}

void CPosWizardDlg::placePage(std::size_t i)
{
    // Until then an empty widget holds the page's place in the stack.
    m_placed[i] = true;
    CBasePage *p = m_pages[i];
    if (!p)
        return;
    const int at = static_cast<int>(i);
    QWidget *holder = m_ui.pageFrame->widget(at);
    m_ui.pageFrame->insertWidget(at, p);
    if (holder) {
        m_ui.pageFrame->removeWidget(holder);
        delete holder;
    }
    p->OnInitDialog();
    // The page area grows to what each page needs as it comes, and never
    // shrinks: a page never has less room than one shown before it. A page
    // is not narrowed below the width it prefers, so that its wrapped texts
    // need no more lines than they have there.
    QSize need = p->minimumSizeHint().expandedTo(QSize(p->sizeHint().width(), 0));
    if (QLayout *layout = p->layout(); layout && layout->hasHeightForWidth())
        need.setHeight(std::max(need.height(), layout->totalHeightForWidth(need.width())));
    m_ui.pageFrame->setMinimumSize(m_ui.pageFrame->minimumSize().expandedTo(need));
}

void CPosWizardDlg::OnInitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    if (!m_pages.empty()) {
        for (std::size_t i = 0; i < m_pages.size(); ++i)
            m_ui.pageFrame->addWidget(new QWidget);
        for (std::size_t i = 0; i < m_pages.size(); ++i)
            if (m_pages[i])
                placePage(i);
        ShowPage(ItemPage);
    }
    setWindowTitle(Str(m_bModify ? pos::sid::TitleModify : pos::sid::TitleCreate));
    m_ui.nextButton->setText(Str(pos::sid::Next));
    // The size the pages' layouts want, the largest page's included, with
    // the style's fonts and margins in place.
    ensurePolished();
    adjustSize();
}

int CPosWizardDlg::exec()
{
    OnInitDialog();
    return QDialog::exec();
}

void CPosWizardDlg::ShowPage(int index)
{
    if (CBasePage *p = page(index)) {
        m_nCurPage = index;
        m_ui.pageFrame->setCurrentIndex(index);
        p->FocusFirstField();
    }
    m_ui.previousButton->setEnabled(m_nCurPage != ItemPage);
    m_ui.endButton->setEnabled(m_nCurPage == StepPage);
}

void CPosWizardDlg::OnPrevious()
{
    if (m_nCurPage == FinalPage)
        m_ui.nextButton->setText(Str(pos::sid::Next));
    switch (m_nCurPage) {
    case StepPage:
        if (auto *step = qobject_cast<CSetStep *>(page(StepPage))) {
            const int from = step->currentSection();
            if (step->PreviousSegment() && from == 1)
                ShowPage(ItemPage);
        }
        break;
    case TablePage:
        if (auto *table = qobject_cast<CSetTable *>(page(TablePage)))
            if (table->CommitTable(true)) {
                if (auto *items = qobject_cast<CItemSet *>(page(ItemPage)); items && m_pConfig)
                    items->ShowActionMode(m_pConfig->actionMode);
                ShowPage(ItemPage);
            }
        break;
    case NamePage:
        if (m_nSegmentPage == StepPage || m_nSegmentPage == TablePage)
            ShowPage(m_nSegmentPage);
        break;
    case FinalPage:
        ShowPage(NamePage);
        break;
    default:
        break;
    }
}

void CPosWizardDlg::OnOK()
{
    switch (m_nCurPage) {
    case ItemPage: {
        auto *items = qobject_cast<CItemSet *>(page(ItemPage));
        if (!items || !items->SavePage())
            return;
        m_nSegmentPage = items->m_nInputMode + 1;
        if (m_nSegmentPage == StepPage) {
            ShowPage(StepPage);
            if (auto *step = qobject_cast<CSetStep *>(page(StepPage)))
                step->EnterPage();
        } else if (auto *table = qobject_cast<CSetTable *>(page(TablePage))) {
            ShowPage(TablePage);
            table->FillGridFromRecord(m_pConfig);
        }
        break;
    }
    case StepPage:
        if (auto *step = qobject_cast<CSetStep *>(page(StepPage)))
            step->NextSegment();
        break;
    case TablePage:
        if (auto *table = qobject_cast<CSetTable *>(page(TablePage)))
            if (table->CommitTable(false))
                ShowPage(NamePage);
        break;
    case NamePage:
        if (page(NamePage)->SavePage()) {
            ShowPage(FinalPage);
            m_ui.nextButton->setText(Str(pos::sid::Complete));
        }
        break;
    case FinalPage:
        finish(QDialog::Accepted);
        break;
    default:
        break;
    }
}

void CPosWizardDlg::OnEnd()
{
    if (m_nCurPage != StepPage)
        return;
    if (auto *step = qobject_cast<CSetStep *>(page(StepPage)))
        if (step->FinishSegments())
            ShowPage(NamePage);
}

void CPosWizardDlg::OnCancel()
{
    const auto answer
        = pos::ui::AskDestructive(this, Str(pos::sid::CancelQuestion),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
    if (answer == QMessageBox::Yes)
        finish(QDialog::Rejected);
}

void CPosWizardDlg::reject()
{
    OnCancel(); // the close box and Escape ask first
}

void CPosWizardDlg::finish(int result)
{
    for (CBasePage *p : m_pages)
        if (p)
            p->hide();
    done(result);
}

void CPosWizardDlg::keyPressEvent(QKeyEvent *event)
{
    QWidget *focus = focusWidget();
    const bool onFrameButton = focus == m_ui.previousButton || focus == m_ui.nextButton
                               || focus == m_ui.endButton || focus == m_ui.cancelButton;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (onFrameButton)
            static_cast<QPushButton *>(focus)->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        if (onFrameButton || !m_ui.pageFrame->isAncestorOf(focus))
            OnCancel();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
