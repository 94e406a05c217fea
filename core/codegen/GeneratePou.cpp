#include "codegen/GeneratePou.h"

#include <array>

namespace pos {

std::uint32_t SmFlagByPort(std::uint32_t xPulsePort)
{
    switch (xPulsePort) {
    case 0:
        return 82;
    case 4:
        return 274;
    case 5:
        return 275;
    case 6:
        return 276;
    case 7:
        return 277;
    default:
        return 0;
    }
}

namespace {

std::int64_t High(std::uint32_t v)
{
    return v >> 16;
}

std::int64_t Low(std::uint32_t v)
{
    return v & 0xFFFFu;
}

int TypeNameId(std::int32_t type)
{
    switch (type) {
    case kTypeLine:
        return sid::StraightLine;
    case kTypeCw:
        return sid::ClockwiseArc;
    default:
        return sid::CounterclockwiseArc;
    }
}

} // namespace

PouList GeneratePouLines(const PosConfig &config, Lang lang)
{
    PouList lines;
    lines.reserve(1 + config.segments.size() * 26);
    auto add = [&lines](std::string text) { lines.push_back(PouLine{0, 0, std::move(text)}); };

    add(std::string(Text(sid::PouHeader, lang)));

    const std::string_view mov = Text(sid::MovFormat, lang);
    const std::uint32_t code = config.configurationCode();
    std::uint64_t d = std::uint64_t{config.startD} + 2; // no wrap past 2^32 - 1
    std::int64_t step = 0;
    const std::size_t count = config.segments.size();
    for (std::uint32_t s = 1; s <= count; ++s) {
        const auto it = config.segments.find(s);
        if (it == config.segments.end() || it->second.isAllZero())
            continue;
        const PosSegment &seg = it->second;
        const bool line = seg.type == kTypeLine;

        add(Format(Text(sid::SegmentComment, lang), {std::int64_t{s}})
            + std::string(Text(TypeNameId(seg.type), lang)));
        add("LD SM0");

        const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
        // Values of the block in offset order; a comment id for the offsets that carry one.
        std::array<std::int64_t, 16> values = {line ? 0 : std::int64_t{seg.centreMode},
                                               code,
                                               High(seg.initialSpeed),
                                               Low(seg.initialSpeed),
                                               High(seg.maxSpeed),
                                               Low(seg.maxSpeed),
                                               High(seg.accDecTime),
                                               Low(seg.accDecTime),
                                               High(u(seg.endX)),
                                               Low(u(seg.endX)),
                                               High(u(seg.endY)),
                                               Low(u(seg.endY)),
                                               High(u(seg.centreX)),
                                               Low(u(seg.centreX)),
                                               High(u(seg.centreY)),
                                               Low(u(seg.centreY))};
        const std::uint64_t words = seg.words();
        for (std::uint64_t j = 0; j < words; ++j) {
            std::string text = Format(mov, {values[j], static_cast<std::int64_t>(d + j)});
            // Offsets 1, 2, 4, ..., 14 carry comments 4, 5, ..., 11.
            if (j == 1)
                text += Text(sid::CommentConfigCode, lang);
            else if (j >= 2 && j % 2 == 0)
                text += Text(sid::CommentConfigCode + static_cast<int>(j / 2), lang);
            add(std::move(text));
        }
        const std::uint64_t block = d;
        d += words;

        add(Format("LD= D%d %d", {std::int64_t{config.startD}, step}));
        ++step;

        const int format
            = line ? sid::LinFormat : (seg.type == kTypeCw ? sid::CwFormat : sid::CcwFormat);
        const int comment
            = line ? sid::LinComment : (seg.type == kTypeCw ? sid::CwComment : sid::CcwComment);
        add(Format(Text(format, lang),
                   {static_cast<std::int64_t>(block), std::int64_t{config.xPulsePort},
                    std::int64_t{config.xDirPort}, std::int64_t{config.yPulsePort},
                    std::int64_t{config.yDirPort}})
            + std::string(Text(comment, lang)));
        add(Format("AND SM%d", {std::int64_t{SmFlagByPort(config.xPulsePort)}}));
        add("ED");
        add(Format("INC D%d", {std::int64_t{config.startD}}));
    }
    return lines;
}

int GeneratePou(PosHostResult *result, const PosConfig *config)
{
    if (!result || !config)
        return 0;
    result->pouMap[config->subprogramName]
        = std::make_shared<PouList>(GeneratePouLines(*config, CurrentLanguage()));
    return 1;
}

std::string JoinPou(const PouList &lines)
{
    std::string text;
    std::size_t size = 0;
    for (const PouLine &line : lines)
        size += line.text.size() + 1;
    text.reserve(size);
    bool first = true;
    for (const PouLine &line : lines) {
        text += line.text;
        if (!first)
            text += '\n';
        first = false;
    }
    return text;
}

} // namespace pos
