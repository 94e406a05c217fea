#pragma once

// The instruction-list generator: turns a completed configuration into the
// subprogram that loads it into the PLC's D elements and runs it.
//
// D element layout: startD is the step counter, startD + 1 is unused, and
// the segment blocks follow from startD + 2, 12 elements for a straight
// line and 16 for an arc. Each 32-bit value takes two elements, high half
// first, both printed as unsigned 16-bit numbers.

#include "guide/PosConfig.h"
#include "res/StringTable.h"

#include <cstdint>
#include <string>

namespace pos {

// SM flag tested after the interpolation instruction, by X pulse port.
std::uint32_t SmFlagByPort(std::uint32_t xPulsePort);

// The lines of the subprogram in the given language: the header block
// first (its line feeds included), then one line per element.
PouList GeneratePouLines(const PosConfig &config, Lang lang);

// Stores a new list under config->subprogramName in result->pouMap (a list
// that stood there before is replaced). Returns 0 and does nothing when
// either pointer is null, else 1. Uses the current language.
int GeneratePou(PosHostResult *result, const PosConfig *config);

// The subprogram as one text: the header as it stands, then each further
// line followed by a line feed.
std::string JoinPou(const PouList &lines);

} // namespace pos
