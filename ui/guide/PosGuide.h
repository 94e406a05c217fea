#pragma once

// The guide object and the run of one wizard.

#include "guide/PosConfig.h"
#include "wizard/CFinalSet.h"
#include "wizard/CItemSet.h"
#include "wizard/CPNameSet.h"
#include "wizard/CPosWizardDlg.h"
#include "wizard/CSetStep.h"
#include "wizard/CSetTable.h"

#include <cstdint>
#include <memory>

namespace pos::ui {

// The library's single guide: holds the host context of the call in progress.
class CPosGuide
{
public:
    virtual ~CPosGuide() = default;
    const PosHostContext *m_context = nullptr;
};

CPosGuide &Guide();

// Makes the library ready for a call: a QApplication when the host runs
// none (owned by the library until EndCall), the resources, the language
// (the host's QLocale default, else the system locale) and its translations.
void BeginCall();
void EndCall();

// The wizard of one run: the frame with its five pages, on the record. Only
// the first page is built up front; the frame has the others built when they
// are first shown (or asked for here). The pages outlive the frame, which
// hands them back when it goes.
struct Wizard
{
    Wizard(PosConfig *config, bool modify, const PosHostContext *context);

    CItemSet items;

private:
    std::unique_ptr<CSetStep> m_step;
    std::unique_ptr<CSetTable> m_table;
    std::unique_ptr<CPNameSet> m_name;
    std::unique_ptr<CFinalSet> m_final;

public:
    CPosWizardDlg frame;

    CSetStep &step() { return Page<CSetStep>(CPosWizardDlg::StepPage); }
    CSetTable &table() { return Page<CSetTable>(CPosWizardDlg::TablePage); }
    CPNameSet &name() { return Page<CPNameSet>(CPosWizardDlg::NamePage); }
    CFinalSet & final() { return Page<CFinalSet>(CPosWizardDlg::FinalPage); }

private:
    template<typename T>
    T &Page(int index)
    {
        return *static_cast<T *>(frame.page(index));
    }
};

// Runs the wizard modally on the record: copies the context's element
// ranges into it, builds the frame and the five pages, and returns 1 when
// the user completed it, 0 when the user cancelled.
int RunWizard(PosConfig *config, bool modify, const PosHostContext *context);

// Runs one call of an entry point: fn's result, or 0 when anything at all is
// thrown (memory running out, say), so that no exception crosses into the
// host, which calls with C linkage.
template<typename Fn>
std::int32_t Guarded(Fn fn) noexcept
{
    try {
        return fn();
    } catch (...) {
        return 0;
    }
}

} // namespace pos::ui
