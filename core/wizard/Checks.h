#pragma once

// The checks that the wizard pages make on what the user entered, as pure
// functions: the number rule of the input fields, the subprogram name rules
// and the checks of a whole configuration.

#include "guide/PosConfig.h"
#include "res/StringTable.h"

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

struct NumberCheck
{
    int messageId = 0;      // 0 when the text is accepted, else 10013, 10015, 10016 or 10017
    std::int64_t value = 0; // the value when accepted ("-" alone is 0)
    bool ok() const { return messageId == 0; }
};

// The number rule: empty text 10013; a character other than digits and "-"
// 10016; a leading "-" where negatives are not allowed 10015; a "-" later
// on, or a number that does not fit the field, 10017.
NumberCheck ValidateNumberField(std::string_view text, NumberField field);

constexpr std::size_t kMaxNameLength = 20; // characters of a subprogram name

// True when the name holds none of * | \ : " < > ? / . , and the blank.
bool CheckSubprogramName(std::string_view name);
// True when the name equals one of the project's names, ignoring the case of
// Latin letters.
bool NameExistsInProject(std::string_view name, const std::vector<std::string> &projectNames);
// Characters of a UTF-8 text (what the name length limit counts).
std::size_t CharacterCount(std::string_view text);

// One problem found in a configuration: its message id, the segment it
// concerns (0 for the whole configuration) and the message text.
struct Problem
{
    int messageId = 0;
    std::uint32_t segment = 0;
    std::string text;
};

// minD <= startD <= maxD, else message 10039.
bool CheckStartAddress(const PosConfig &config, Problem *problem, Lang lang);

// The D and M capacity of segments 1..last (all segments when last is 0):
// startD + words > maxD gives 10024 with "D", else startM + count - 1 > maxM
// gives 10024 with "M". Returns true when the segments fit.
bool CheckAddressCapacity(const PosConfig &config, std::uint32_t last, Problem *problem, Lang lang);

// Where the arc of segment n begins, as the step page takes it: the end
// point of segment n - 1 in absolute mode, (0, 0) in incremental mode.
void SegmentBeginPoint(const PosConfig &config, std::uint32_t n, std::int32_t &x, std::int32_t &y);

// Every check the pages make before a configuration can be generated:
// start D range, capacity, at most 256 segments, each arc after the first,
// and the subprogram name (empty 19, illegal 20, longer than 20 characters,
// already in the project 21). All problems are listed, in that order.
std::vector<Problem> CheckConfiguration(const PosConfig &config,
                                        const std::vector<std::string> &projectNames, Lang lang);

} // namespace pos
