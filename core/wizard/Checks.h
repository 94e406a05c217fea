#pragma once

// The checks that the wizard pages make on what the user entered, as pure
// functions: the number rule of the input fields, the subprogram name rules
// and the checks of a whole configuration.

#include "guide/PosConfig.h"
#include "res/Diagnostic.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pos {

// Width and signedness of a number field.
enum class NumberField {
    Unsigned32, // speeds and times: no minus sign
    Signed32,   // coordinates: a leading minus sign allowed
};

// The number rule: empty text 10013; a character other than digits and "-"
// 10016; a leading "-" where negatives are not allowed 10015; a "-" later
// on, or a number that does not fit the field, 10017. Gives the value ("-"
// alone is 0), or the message without its argument, the field's name,
// which the caller adds.
Result<std::int64_t> ValidateNumberField(std::string_view text, NumberField field);

constexpr std::size_t kMaxNameLength = 20; // characters of a subprogram name

// True when text is well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);
// True when the name is valid UTF-8 and holds no control character (C0, DEL,
// C1), no blank of any kind (the space, the no-break and ideographic spaces,
// ...) and none of * | \ : " < > ? / . ,
bool CheckSubprogramName(std::string_view name);
// The name with its Latin letters in upper case: two names are the same
// subprogram when their folded forms are equal.
std::string FoldNameCase(std::string_view name);
// True when the name equals one of the project's names, ignoring the case of
// Latin letters.
bool NameExistsInProject(std::string_view name, const std::vector<std::string> &projectNames);
// Characters of a UTF-8 text (what the name length limit counts).
std::size_t CharacterCount(std::string_view text);
// The one rule for a subprogram name, wherever a name comes from (the name
// page, a configuration file, a project file): not empty (19), at most 20
// characters (50004), and what CheckSubprogramName demands (20).
Status CheckSubprogramNameRule(std::string_view name);
// The name of a new subprogram: CheckSubprogramNameRule, and not one of the
// project's names (21).
Status CheckNewSubprogramName(std::string_view name, const std::vector<std::string> &projectNames);

// minD <= startD <= maxD, else message 10039.
Status CheckStartAddress(const PosConfig &config);

// The D and M capacity of segments 1..last (all segments when last is 0):
// startD + words > maxD gives 10024 with "D", else startM + count - 1 > maxM
// gives 10024 with "M".
Status CheckAddressCapacity(const PosConfig &config, std::uint32_t last);

// Where the arc of segment n begins, as the step page takes it: the end
// point of segment n - 1 in absolute mode, (0, 0) in incremental mode.
void SegmentBeginPoint(const PosConfig &config, std::uint32_t n, std::int32_t &x, std::int32_t &y);

// The checks of the outline that the PLC will run: start D range, capacity,
// at most 256 segments, and each arc after the first where it begins by the
// action mode (with its segment number). All problems are listed, in that
// order.
std::vector<Diagnostic> CheckOutline(const PosConfig &config);

// Every check the pages make before a configuration can be generated: the
// outline's, then the subprogram name.
std::vector<Diagnostic> CheckConfiguration(const PosConfig &config,
                                           const std::vector<std::string> &projectNames);

} // namespace pos
