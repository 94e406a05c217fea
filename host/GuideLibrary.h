#pragma once

// The wizard plug-in as the host sees it: the library POS with its three
// entry points of C linkage (PosWizard.h), loaded at run time. Nothing here
// needs Qt; the library brings its own.

#include "PosWizard.h"
#include "res/Diagnostic.h"

#include <string>

namespace pos {

// The entry points of a loaded wizard library.
struct GuideLibrary
{
    decltype(&GetGuideID) getGuideId = nullptr;
    decltype(&Instruction) instruction = nullptr;
    decltype(&ModifyPOS) modify = nullptr;
};

// The guide ID of the POS instruction wizard.
constexpr std::int32_t kPosGuideId = 4;

// Loads the library at path (dlopen, LoadLibrary on Windows; a bare file
// name is a file in the working directory), resolves the three entry points
// and checks that GetGuideID() is 4. Refuses, with the reason, a library
// that cannot be loaded, lacks an entry point or has another guide ID. A library once loaded stays
// loaded until the process ends, as a host keeps its guides: the lists the
// wizard hands back and the resources it registers with Qt live in it.
Result<GuideLibrary> LoadGuide(const std::string &path);

// The library to load when the command line names none: the POS built
// together with this program when that file exists, else POS.so (POS.dll on
// Windows) in the executable's directory.
std::string DefaultGuidePath();

// False when the wizard could open no window: on X11 and Wayland systems,
// when neither DISPLAY nor WAYLAND_DISPLAY is set and QT_QPA_PLATFORM does
// not choose a platform either. Qt would abort the process there.
bool HasDisplay();

// Makes the wizard speak the language: sets LC_ALL, LANG and LANGUAGE to
// zh_CN.UTF-8 or en_US.UTF-8 (LANGUAGE zh_CN or en_US). The wizard takes its
// language from QLocale, which reads these when the library creates its
// QApplication; call it before the first wizard call of the process.
void SetWizardLocale(Lang lang);

} // namespace pos
