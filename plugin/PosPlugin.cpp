#include "PosWizard.h"

#include "codegen/GeneratePou.h"
#include "guide/PosGuide.h"

namespace {

// Ends the call's set-up whichever way the call leaves.
struct CallScope
{
    explicit CallScope(pos::PosHostContext *context)
    {
        pos::ui::Guide().m_pContext = context;
        pos::ui::BeginCall();
    }
    ~CallScope() { pos::ui::EndCall(); }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;
};

} // namespace

std::int32_t GetGuideID()
{
    return 4;
}

std::int32_t Instruction(pos::PosHostContext *context, void *, pos::PosHostResult *result)
{
    CallScope scope(context);
    pos::PosConfig config; // a new record; gone when the call returns
    if (!pos::ui::RunWizard(&config, false, context))
        return 0;
    pos::GeneratePou(result, &config);
    return 1;
}

std::int32_t ModifyPOS(pos::PosHostContext *context, pos::PosConfig *config,
                       pos::PosHostResult *result)
{
    CallScope scope(context);
    if (!config || !pos::ui::RunWizard(config, true, context))
        return 0;
    pos::GeneratePou(result, config);
    return 1;
}
