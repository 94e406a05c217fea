#pragma once

// The commands of pos-host, the command-line stand-in for the host:
//   generate CONFIG.json [-o FILE] [--lang en|zh]
//   check CONFIG.json [--lang en|zh]
//   import-dxf FILE.dxf [-o CONFIG.json] [--raw] [--lang en|zh]
//   decode FILE.il [--name NAME] [-o CONFIG.json] [--lang en|zh]
//   new [PROJECT.json] [--lang en|zh] [--plugin PATH]
//   modify NAME PROJECT.json [--lang en|zh] [--plugin PATH]
//   list PROJECT.json [--lang en|zh]
// Every message is in the language of --lang, else of the locale. new and
// modify run the wizard plug-in (docs/host.md): --lang also chooses the
// wizard's language, through the locale variables the plug-in reads.

#include <iosfwd>
#include <string>
#include <vector>

namespace pos {

enum PosHostExit : int {
    kExitOk = 0,        // done (check: no problem found)
    kExitFailed = 1,    // the input was refused or a file could not be read or written
    kExitUsage = 2,     // the command line was wrong; the usage text was printed
    kExitCancelled = 3, // the user cancelled the wizard; nothing was stored
};

// Runs one command. args are the arguments after the program name. Products
// (the subprogram, a configuration, check's report, list's names) go to out
// unless -o names a file, which is then written whole or not at all;
// messages go to err. Sets the process language (SetLanguage). new and
// modify call the wizard on this thread and return when it closes; with a
// QApplication running, the wizard runs in it.
int RunPosHost(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace pos
