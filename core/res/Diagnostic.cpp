#include "res/Diagnostic.h"

namespace pos {

std::string MessageText(const Diagnostic &d, Lang lang)
{
    std::vector<FormatArg> args;
    args.reserve(d.args.size() + 1);
    for (const MessageArg &arg : d.args) {
        if (const auto *number = std::get_if<std::int64_t>(&arg))
            args.emplace_back(*number);
        else if (const auto *text = std::get_if<std::string>(&arg))
            args.emplace_back(*text);
        else
            args.emplace_back(std::string(Text(std::get<TextId>(arg).id, lang)));
    }
    if (!d.detail.empty())
        args.emplace_back(d.detail);
    return Format(Text(d.id, lang), args);
}

std::string Describe(const Diagnostic &d, Lang lang)
{
    const std::string message = MessageText(d, lang);
    std::string out;
    if (d.segment != 0) {
        out = Format(Text(sid::SegmentNo, lang), {std::int64_t{d.segment}});
        out += message.find('\n') == std::string::npos ? ' ' : '\n';
    }
    if (d.line != 0)
        out += Format(Text(sid::AtLine, lang), {std::int64_t{d.line}});
    if (!d.path.empty())
        out += Format(Text(sid::AtPath, lang), {d.path});
    return out + message;
}

} // namespace pos
