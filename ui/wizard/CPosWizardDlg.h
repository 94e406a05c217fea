#pragma once

// The wizard's frame: the picture, the pages in one place, and the four
// buttons Previous, Next, End and Cancel that drive the page sequence
// output configuration -> segments (step by step or table) -> subprogram
// name -> summary.

#include "guide/PosConfig.h"

#include "ui_CPosWizardDlg.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class CBasePage;

class CPosWizardDlg : public QDialog
{
    Q_OBJECT
public:
    enum PageIndex { ItemPage = 0, StepPage = 1, TablePage = 2, NamePage = 3, FinalPage = 4 };

    CPosWizardDlg(pos::PosConfig *config, bool modify, QWidget *parent = nullptr);
    ~CPosWizardDlg() override;

    // Makes a page when the frame first needs it; the page is not owned by
    // the frame.
    using PageMaker = std::function<CBasePage *()>;

    // Appends a page (not owned) and gives it the record and the modify flag.
    void AddPage(CBasePage *page, int templateId);
    // Appends a page that is made, given the record and the modify flag, and
    // initialised when it is first shown or asked for. A wizard opens faster
    // when only its first page is built.
    void AddPage(PageMaker make, int templateId);
    // Places the pages, runs the initialisation of those already made, shows
    // the first page and sets the title. exec() runs it once when it has not
    // run yet.
    void OnInitDialog();
    int exec() override;

    void ShowPage(int index);
    int currentPage() const { return m_nCurPage; }
    // The page at an index, made and initialised now if it was not yet;
    // null for an index without a page.
    CBasePage *page(int index);

public slots:
    void OnPrevious();
    void OnOK();
    void OnEnd();
    void OnCancel();

protected:
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void finish(int result);
    // Puts a page into its place in the stack and runs its initialisation.
    void placePage(std::size_t index);

    Ui::CPosWizardDlg m_ui;
    pos::PosConfig *m_pConfig; // not owned
    int m_nCurPage = 0;
    int m_nSegmentPage = 0; // 1 step page, 2 table page; 0 until page 0 is left
    bool m_bModify;
    bool m_initialised = false;
    std::vector<CBasePage *> m_pages; // owned by whoever runs the wizard; null until made
    std::vector<PageMaker> m_makers;  // for the pages not made yet
    std::vector<bool> m_placed;       // in the stack and initialised
    std::vector<int> m_pageIds;
};
