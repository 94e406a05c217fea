#pragma once

// The wizard's frame: the picture, the pages in one place, and the four
// buttons Previous, Next, End and Cancel that drive the page sequence
// output configuration -> segments (step by step or table) -> subprogram
// name -> summary.

#include "guide/PosConfig.h"

#include "ui_CPosWizardDlg.h"

#include <QDialog>

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

    // Appends a page (not owned) and gives it the record and the modify flag.
    void AddPage(CBasePage *page, int templateId);
    // Places the pages, runs their initialisation, shows the first page and
    // sets the title. exec() runs it once when it has not run yet.
    void OnInitDialog();
    int exec() override;

    void ShowPage(int index);
    int currentPage() const { return m_nCurPage; }

public slots:
    void OnPrevious();
    void OnOK();
    void OnEnd();
    void OnCancel();

protected:
    void reject() override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    CBasePage *page(int index) const;
    void finish(int result);

    Ui::CPosWizardDlg m_ui;
    pos::PosConfig *m_pConfig; // not owned
    int m_nCurPage = 0;
    int m_nSegmentPage = 0; // 1 step page, 2 table page; 0 until page 0 is left
    bool m_bModify;
    bool m_initialised = false;
    std::vector<CBasePage *> m_pages; // owned by whoever runs the wizard
    std::vector<int> m_pageIds;
};
