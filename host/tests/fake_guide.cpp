// Libraries that a host could mistake for the wizard, for the refusals of
// pos-host's loader: built once with GetGuideID alone, and once with all
// three entry points but a guide ID of another kind of guide. The host
// refuses both before it calls anything else.
#include "PosWizard.h"

std::int32_t GetGuideID()
{
    return FAKE_GUIDE_ID;
}

#if defined(FAKE_GUIDE_ALL_ENTRY_POINTS)
std::int32_t Instruction(pos::PosHostContext *, void *, pos::PosHostResult *)
{
    return 0;
}

std::int32_t ModifyPOS(pos::PosHostContext *, pos::PosConfig *, pos::PosHostResult *)
{
    return 0;
}
#endif
