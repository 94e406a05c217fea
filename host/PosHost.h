#pragma once

// The commands of pos-host, the command-line stand-in for the host:
//   generate CONFIG.json [-o FILE] [--lang en|zh]
//   check CONFIG.json [--lang en|zh]
//   import-dxf FILE.dxf [-o CONFIG.json] [--raw] [--lang en|zh]
//   decode FILE.il [--name NAME] [-o CONFIG.json] [--lang en|zh]
// Every message is in the language of --lang, else of the locale.

#include <iosfwd>
#include <string>
#include <vector>

namespace pos {

enum PosHostExit : int {
    kExitOk = 0,     // done (check: no problem found)
    kExitFailed = 1, // the input was refused or a file could not be read or written
    kExitUsage = 2,  // the command line was wrong; the usage text was printed
};

// Runs one command. args are the arguments after the program name. Products
// (the subprogram, a configuration, check's report) go to out unless -o
// names a file, which is then written whole or not at all; messages go to
// err. Sets the process language (SetLanguage).
int RunPosHost(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace pos
