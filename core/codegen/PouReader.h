#pragma once

// Reads back a subprogram that the generator wrote, in either language, and
// rebuilds its configuration. The host needs it: a project keeps only the
// subprogram's text, and modifying the configuration later starts from it.

#include "guide/PosConfig.h"
#include "res/StringTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace pos {

struct PouReadError
{
    int reasonId = 0;   // sid::PouExpected ...
    long long line = 0; // 1-based line of the text
    std::string detail; // what was expected there
    std::string message(Lang lang) const;
};

// text: the header followed by each line and a line feed, as JoinPou gives
// it (CR LF line ends are accepted too). The rebuilt record holds startD,
// the action and pulse modes, the four ports and the segments, numbered 1..n
// in the order the subprogram runs them (segments the generator skipped are
// not in the text). The subprogram name is the given one; every other field
// takes its value from base. Returns nothing, with the reason, when the text
// is not such a subprogram.
std::optional<PosConfig> ParsePou(std::string_view text, const std::string &subprogramName,
                                  const PosConfig &base, PouReadError *error = nullptr);

} // namespace pos
