#include "wizard/Checks.h"

#include "geometry/ArcCheck.h"

#include <limits>

namespace pos {

namespace {

Diagnostic Message(int id, std::vector<MessageArg> args = {})
{
    return Diagnostic{.id = id, .args = std::move(args)};
}

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

} // namespace

Result<std::int64_t> ValidateNumberField(std::string_view text, NumberField field)
{
    if (text.empty())
        return Message(sid::FieldEmpty);
    if (text.find_first_not_of("1234567890-") != std::string_view::npos)
        return Message(sid::FieldIllegalChar);
    const bool negative = text.front() == '-';
    if (negative && field == NumberField::Unsigned32)
        return Message(sid::FieldNegative);
    if (text.find('-', 1) != std::string_view::npos)
        return Message(sid::FieldInvalid); // "5-", "--5"

    // The characters pass; the text must now be a number that fits the field.
    const std::int64_t limit
        = field == NumberField::Unsigned32
              ? std::int64_t{std::numeric_limits<std::uint32_t>::max()}
              : (negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                          : std::int64_t{std::numeric_limits<std::int32_t>::max()});
    std::int64_t magnitude = 0;
    for (const char ch : text.substr(negative ? 1 : 0)) {
        magnitude = magnitude * 10 + (ch - '0');
        if (magnitude > limit)
            return Message(sid::FieldInvalid);
    }
    return negative ? -magnitude : magnitude; // "-" alone is 0
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned lead = byte(i);
        std::size_t length = 0;
        unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong form
            high = lead == 0xED ? 0x9F : 0xBF; // no surrogate
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong form
            high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
        } else {
            return false;
        }
        if (text.size() - i < length || byte(i + 1) < low || byte(i + 1) > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((byte(i + k) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

bool CheckSubprogramName(std::string_view name)
{
    if (!IsValidUtf8(name) || name.find_first_of("*|\\:\"<>?/., ") != std::string_view::npos)
        return false;
    for (std::size_t i = 0; i < name.size();) {
        // The code point at i (the text is valid UTF-8).
        const auto lead = static_cast<unsigned char>(name[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3Fu);
        i += length;
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        const bool blank = c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028
                           || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000
                           || c == 0xFEFF;
        if (control || blank)
            return false;
    }
    return true;
}

std::string FoldNameCase(std::string_view name)
{
    std::string folded(name);
    for (char &c : folded)
        c = FoldAscii(c);
    return folded;
}

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

Status CheckSubprogramNameRule(std::string_view name)
{
    if (name.empty())
        return Message(sid::NameEmpty);
    if (CharacterCount(name) > kMaxNameLength)
        return Message(sid::TooLong, {std::int64_t{kMaxNameLength}});
    if (!CheckSubprogramName(name))
        return Message(sid::NameIllegal);
    return {};
}

Status CheckNewSubprogramName(std::string_view name, const std::vector<std::string> &projectNames)
{
    if (Status rule = CheckSubprogramNameRule(name); !rule)
        return rule;
    if (NameExistsInProject(name, projectNames))
        return Message(sid::NameExists, {std::string(name)});
    return {};
}

Status CheckStartAddress(const PosConfig &config)
{
    if (config.minD <= config.startD && config.startD <= config.maxD)
        return {};
    return Message(sid::StartRange,
                   {std::string("D"), std::int64_t{config.minD}, std::int64_t{config.maxD}});
}

Status CheckAddressCapacity(const PosConfig &config, std::uint32_t last)
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
    if (config.startD + words > config.maxD)
        return Message(sid::Capacity, {std::string("D"), std::int64_t{config.maxD}});
    if (count >= 1 && config.startM + count - 1 > config.maxM)
        return Message(sid::Capacity, {std::string("M"), std::int64_t{config.maxM}});
    return {};
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

std::vector<Diagnostic> CheckOutline(const PosConfig &config)
{
    std::vector<Diagnostic> problems;
    for (Status status : {CheckStartAddress(config), CheckAddressCapacity(config, 0)})
        if (!status)
            problems.push_back(std::move(status.error()));
    if (config.segments.size() > kMaxSegments)
        problems.push_back(Message(sid::MaxStep, {std::int64_t{kMaxSegments}}));

    for (const auto &[number, segment] : config.segments) {
        if (number < 2 || !segment.isArc())
            continue; // the first segment is never arc-checked
        std::int32_t bx = 0, by = 0;
        SegmentBeginPoint(config, number, bx, by);
        const ArcCheck check = CheckSegmentArc(bx, by, segment);
        if (check.result != kArcOk) {
            problems.push_back(ArcDiagnostic(check, bx, by, segment));
            problems.back().segment = number;
        }
    }
    return problems;
}

std::vector<Diagnostic> CheckConfiguration(const PosConfig &config,
                                           const std::vector<std::string> &projectNames)
{
    std::vector<Diagnostic> problems = CheckOutline(config);
    if (Status name = CheckNewSubprogramName(config.subprogramName, projectNames); !name)
        problems.push_back(std::move(name.error()));
    return problems;
}

} // namespace pos
