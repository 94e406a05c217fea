#pragma once

// Reads back a subprogram that the generator wrote, in either language, and
// rebuilds its configuration. The host needs it: a project keeps only the
// subprogram's text, and modifying the configuration later starts from it.

#include "guide/PosConfig.h"
#include "res/Diagnostic.h"

#include <string>
#include <string_view>

namespace pos {

// text: the header followed by each line and a line feed, as JoinPou gives
// it (CR LF line ends are accepted too). The rebuilt record holds startD,
// the action and pulse modes, the four ports and the segments, numbered 1..n
// in the order the subprogram runs them (segments the generator skipped are
// not in the text). The subprogram name is the given one; every other field
// takes its value from base. Refuses a text that is not such a subprogram,
// with the line where reading stopped and why; so are values that the
// configuration cannot hold (the domains of FieldKind: configuration codes
// 0, 1, 10 and 11, centre modes 0 and 1, the ports) and more than 256
// segments, so that whatever is read here the configuration reader takes.
Result<PosConfig> ParsePou(std::string_view text, const std::string &subprogramName,
                           const PosConfig &base);

} // namespace pos
