#include "wizard/Checks.h"

#include "geometry/ArcCheck.h"

#include <limits>

namespace pos {

NumberCheck ValidateNumberField(std::string_view text, NumberField field)
{
    NumberCheck check;
    if (text.empty()) {
        check.messageId = sid::FieldEmpty;
        return check;
    }
    if (text.find_first_not_of("1234567890-") != std::string_view::npos) {
        check.messageId = sid::FieldIllegalChar;
        return check;
    }
    const std::size_t minus = text.find('-');
    if (minus == 0 && field == NumberField::Unsigned32) {
        check.messageId = sid::FieldNegative;
        return check;
    }
    if (minus != std::string_view::npos && minus != 0) {
        check.messageId = sid::FieldInvalid;
        return check;
    }

    // The characters pass; the text must now be a number that fits the field.
    const bool negative = minus == 0;
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.find('-') != std::string_view::npos) {
        check.messageId = sid::FieldInvalid; // "--5"
        return check;
    }
    const std::int64_t limit
        = field == NumberField::Unsigned32
              ? std::int64_t{std::numeric_limits<std::uint32_t>::max()}
              : (negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                          : std::int64_t{std::numeric_limits<std::int32_t>::max()});
    std::int64_t magnitude = 0;
    for (const char ch : digits) {
        magnitude = magnitude * 10 + (ch - '0');
        if (magnitude > limit) {
            check.messageId = sid::FieldInvalid;
            return check;
        }
    }
    check.value = negative ? -magnitude : magnitude; // "-" alone is 0
    return check;
}

bool CheckSubprogramName(std::string_view name)
{
    return name.find_first_of("*|\\:\"<>?/., ") == std::string_view::npos;
}

namespace {

char FoldAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

Problem MakeProblem(int id, std::uint32_t segment, std::string text)
{
    return Problem{id, segment, std::move(text)};
}

// "[Segment No:n]" before a segment's message, as the table pages show it.
std::string SegmentPrefix(std::uint32_t n, Lang lang)
{
    return Format(Text(sid::SegmentNo, lang), {std::int64_t{n}});
}

} // namespace

bool NameExistsInProject(std::string_view name, const std::vector<std::string> &projectNames)
{
    for (const std::string &existing : projectNames)
        if (EqualIgnoringCase(name, existing))
            return true;
    return false;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char ch : text)
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool CheckStartAddress(const PosConfig &config, Problem *problem, Lang lang)
{
    if (config.minD <= config.startD && config.startD <= config.maxD)
        return true;
    if (problem)
        *problem = MakeProblem(
            sid::StartRange, 0,
            Format(Text(sid::StartRange, lang),
                   {std::string("D"), std::int64_t{config.minD}, std::int64_t{config.maxD}}));
    return false;
}

bool CheckAddressCapacity(const PosConfig &config, std::uint32_t last, Problem *problem, Lang lang)
{
    std::uint64_t words = 0;
    std::uint64_t count = 0;
    for (const auto &[number, segment] : config.segments) {
        if (last != 0 && number > last)
            break;
        if (number == 0)
            continue;
        words += segment.words();
        ++count;
    }
    auto fail = [&](const char *element, std::uint32_t max) {
        if (problem)
            *problem = MakeProblem(
                sid::Capacity, 0,
                Format(Text(sid::Capacity, lang), {std::string(element), std::int64_t{max}}));
        return false;
    };
    if (config.startD + words > config.maxD)
        return fail("D", config.maxD);
    if (count >= 1 && config.startM + count - 1 > config.maxM)
        return fail("M", config.maxM);
    return true;
}

void SegmentBeginPoint(const PosConfig &config, std::uint32_t n, std::int32_t &x, std::int32_t &y)
{
    x = 0;
    y = 0;
    if (config.actionMode != 1 || n < 2)
        return;
    const auto it = config.segments.find(n - 1);
    if (it != config.segments.end()) {
        x = it->second.endX;
        y = it->second.endY;
    }
}

std::vector<Problem> CheckConfiguration(const PosConfig &config,
                                        const std::vector<std::string> &projectNames, Lang lang)
{
    std::vector<Problem> problems;
    Problem problem;
    if (!CheckStartAddress(config, &problem, lang))
        problems.push_back(problem);
    if (!CheckAddressCapacity(config, 0, &problem, lang))
        problems.push_back(problem);
    if (config.segments.size() > kMaxSegments)
        problems.push_back(MakeProblem(
            sid::MaxStep, 0, Format(Text(sid::MaxStep, lang), {std::int64_t{kMaxSegments}})));

    for (const auto &[number, segment] : config.segments) {
        if (number < 2 || !segment.isArc())
            continue; // the first segment is never arc-checked
        std::int32_t bx = 0, by = 0;
        SegmentBeginPoint(config, number, bx, by);
        const ArcCheck check = CheckSegmentArc(bx, by, segment);
        if (check.result == kArcImpossible)
            problems.push_back(MakeProblem(sid::NoArc, number,
                                           SegmentPrefix(number, lang) + " "
                                               + std::string(Text(sid::NoArc, lang))));
        else if (check.result == kArcCandidates)
            problems.push_back(MakeProblem(sid::ArcEndChoice, number,
                                           SegmentPrefix(number, lang) + "\n"
                                               + ArcChoiceMessage(check, bx, by, segment, lang)));
    }

    const std::string &name = config.subprogramName;
    if (name.empty())
        problems.push_back(MakeProblem(sid::NameEmpty, 0, std::string(Text(sid::NameEmpty, lang))));
    else if (CharacterCount(name) > kMaxNameLength)
        problems.push_back(MakeProblem(
            sid::TooLong, 0, Format(Text(sid::TooLong, lang), {std::int64_t{kMaxNameLength}})));
    else if (!CheckSubprogramName(name))
        problems.push_back(
            MakeProblem(sid::NameIllegal, 0, std::string(Text(sid::NameIllegal, lang))));
    else if (NameExistsInProject(name, projectNames))
        problems.push_back(
            MakeProblem(sid::NameExists, 0, Format(Text(sid::NameExists, lang), {name})));
    return problems;
}

} // namespace pos
