#include "PosWizard.h"

#include "codegen/GeneratePou.h"
#include "guide/PosGuide.h"

namespace {

// Ends the call's set-up whichever way the call leaves.
struct CallScope
{
    explicit CallScope(pos::PosHostContext *context)
    {
        pos::ui::Guide().m_context = context;
        pos::ui::BeginCall();
    }
    ~CallScope() { pos::ui::EndCall(); }
    CallScope(const CallScope &) = delete;
    CallScope &operator=(const CallScope &) = delete;
};

// Runs the wizard and generates on completion: 1 when the user completed it
// (whatever the generator made of the pointers it was given), 0 otherwise.
std::int32_t Run(pos::PosHostContext *context, pos::PosConfig *config, bool modify,
                 pos::PosHostResult *result) noexcept
{
    return pos::ui::Guarded([&]() -> std::int32_t {
        CallScope scope(context);
        if (!pos::ui::RunWizard(config, modify, context))
            return 0;
        pos::GeneratePou(result, config);
        return 1;
    });
}

} // namespace

std::int32_t GetGuideID()
{
    return 4;
}

std::int32_t Instruction(pos::PosHostContext *context, void *, pos::PosHostResult *result)
{
    pos::PosConfig config; // a new record; gone when the call returns
    return Run(context, &config, false, result);
}

std::int32_t ModifyPOS(pos::PosHostContext *context, pos::PosConfig *config,
                       pos::PosHostResult *result)
{
    if (!config)
        return 0;
    return Run(context, config, true, result);
}
