#pragma once

// Configuration files: a PosConfig as a JSON object (docs/config-format.md).
//
// The object has the PosConfig field names (startD, minD, maxD, startM, minM,
// maxM, subprogramName, actionMode, pulseMode, xPulsePort, xDirPort,
// yPulsePort, yDirPort) and "segments", an array whose element i is segment
// number i + 1, each an object with the PosSegment field names. A field that
// is absent takes its value from NewPageDefaults(); an absent segment field
// is 0, except an absent type, which is 1 (straight line).

#include "guide/PosConfig.h"
#include "res/Diagnostic.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pos {

// The values a configuration field may hold, by kind. Both readers of a
// configuration (ReadConfigJson and the subprogram reader ParsePou) hold
// each value to these.
enum class FieldKind {
    U32,               // 0..4294967295
    I32,               // -2147483648..2147483647
    Mode,              // 0 or 1: actionMode, pulseMode
    Port,              // 0..7
    XPulsePort,        // 0, 4, 5, 6, 7
    Type,              // 1..3 (or "LIN", "CW", "CCW" in a file)
    CentreMode,        // 0, 1 (or "centre", "pass" in a file)
    Flag,              // true or false; written only when true
    ConfigurationCode, // 10 x actionMode + pulseMode: 0, 1, 10 or 11
};
bool InDomain(FieldKind kind, std::int64_t value);
// What a refused value should have been, without its place:
// "expected an integer from 0 to 7", "expected one of 0, 4, 5, 6 and 7", ...
Diagnostic ExpectedValue(FieldKind kind);

// Reads a configuration from the text of a file (UTF-8). Refuses, with the
// reason:
// - text that is not valid JSON, with the parser's position;
// - a key that is not a field, or a key given twice, with its JSON path
//   (e.g. "$.segments[2].endXX");
// - a value of the wrong kind or outside its field's width or domain, with
//   its path and what was expected: the unsigned 32-bit fields take
//   integers 0..4294967295, the signed ones -2147483648..2147483647;
//   actionMode and pulseMode 0 or 1; xPulsePort 0, 4, 5, 6 or 7; the other
//   ports 0..7; type 1, 2, 3 or "LIN", "CW", "CCW"; centreMode 0, 1 or
//   "centre", "pass"; subprogramName a string. A number with a fraction or
//   an exponent (2000.0), a boolean or a string is not an integer.
// Nothing is checked beyond the single fields: ranges, capacity, arcs and
// the subprogram name are CheckConfiguration's.
Result<PosConfig> ReadConfigJson(std::string_view text);

// Writes a configuration file: every field in record order, the segments in
// key order as the array (their keys are expected to be 1..n, as in every
// configuration), type and centreMode by name, one segment per line, ending
// in a line feed. ReadConfigJson gives the same configuration back.
std::string WriteConfigJson(const PosConfig &config);

// Writes a record as the DXF reader returns it: like WriteConfigJson, but
// each segment also carries its map key as "key" (the reader's keys start
// at 0). Meant to be looked at; ReadConfigJson refuses the "key" fields.
std::string WriteRawRecordJson(const PosConfig &record);

} // namespace pos
