#pragma once

// The POS instruction wizard plug-in: what a host calls.
//
// The host builds a PosHostContext (its subprogram names and the D and M
// element ranges it allows) and a PosHostResult, and calls Instruction to
// create a configuration or ModifyPOS to change one it holds. Each call runs
// the wizard modally on the calling (user-interface) thread; when the user
// completes it, the generated subprogram is stored in result->pouMap under
// the subprogram name. The calls are not re-entrant.
//
// The wizard runs in the host's QApplication when there is one, else in one
// of its own for the time of the call. Its language follows QLocale's
// default (the host may set it), else the system locale: Chinese for zh*,
// English otherwise.

#include "guide/PosConfig.h"

#include <cstdint>

#if defined(_WIN32)
#define POS_EXPORT extern "C" __declspec(dllexport)
#else
#define POS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Always 4: the kind of guide this library is.
POS_EXPORT std::int32_t GetGuideID();

// Creates a configuration. The second argument is not read. Returns 1 when
// the user completed the wizard: the subprogram is then in result->pouMap (a
// null result receives nothing). Returns 0 when the user cancelled (result
// is then unchanged) or the call failed.
POS_EXPORT std::int32_t Instruction(pos::PosHostContext *context, void *unused,
                                    pos::PosHostResult *result);

// Modifies the host's configuration in place (its element ranges are first
// overwritten with the context's). Returns 1 when completed (generated as
// Instruction does), 0 when cancelled or failed; the record then holds what
// the pages stored before.
POS_EXPORT std::int32_t ModifyPOS(pos::PosHostContext *context, pos::PosConfig *config,
                                  pos::PosHostResult *result);
