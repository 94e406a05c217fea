#include "codegen/PouReader.h"

#include "codegen/GeneratePou.h"
#include "guide/ConfigJson.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

namespace pos {

namespace {

// Matches a whole line against a format whose only conversions are %d.
// Each %d takes an optional minus sign and at least one digit.
bool MatchFormat(std::string_view line, std::string_view format, std::vector<std::int64_t> &values)
{
    values.clear();
    std::size_t li = 0;
    for (std::size_t fi = 0; fi < format.size(); ++fi) {
        if (format[fi] == '%' && fi + 1 < format.size() && format[fi + 1] == 'd') {
            ++fi;
            const char *begin = line.data() + li;
            const char *end = line.data() + line.size();
            std::int64_t value = 0;
            const auto [ptr, ec] = std::from_chars(begin, end, value);
            if (ec != std::errc() || ptr == begin)
                return false;
            li += static_cast<std::size_t>(ptr - begin);
            values.push_back(value);
            continue;
        }
        if (li >= line.size() || line[li] != format[fi])
            return false;
        ++li;
    }
    return li == line.size();
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!(last && line.empty()))
            lines.push_back(line);
        if (last)
            break;
        start = end + 1;
    }
    return lines;
}

class Reader
{
public:
    Reader(std::vector<std::string_view> lines, Lang lang, std::size_t first)
        : m_lines(std::move(lines))
        , m_lang(lang)
        , m_pos(first)
    {}

    bool atEnd() const { return m_pos >= m_lines.size(); }

    // The next line must match format (with comment appended); fills values.
    bool expect(std::string_view format, std::string_view comment, const std::string &what)
    {
        if (atEnd())
            return fail(sid::PouEnd, {});
        const std::string full = std::string(format) + std::string(comment);
        if (!MatchFormat(m_lines[m_pos], full, m_values))
            return fail(sid::Expected, what);
        ++m_pos;
        return true;
    }

    bool fail(int reason, std::string detail) { return failAt(m_pos, reason, std::move(detail)); }

    // Fails on the line with the given 0-based index.
    bool failAt(std::size_t index, int reason, std::string what)
    {
        m_error = Diagnostic{.id = reason, .line = static_cast<long long>(index + 1)};
        if (!what.empty())
            m_error.args.emplace_back(std::move(what));
        return false;
    }

    // A value outside its field's domain on the line with the given index.
    bool failValue(std::size_t index, FieldKind kind)
    {
        m_error = ExpectedValue(kind);
        m_error.line = static_cast<long long>(index + 1);
        return false;
    }

    // Like fail() but for the line just read.
    bool failPrevious(int reason, std::string detail)
    {
        --m_pos;
        return fail(reason, std::move(detail));
    }

    std::size_t position() const { return m_pos; }
    const std::vector<std::int64_t> &values() const { return m_values; }
    Lang lang() const { return m_lang; }
    const Diagnostic &error() const { return m_error; }

private:
    std::vector<std::string_view> m_lines;
    Lang m_lang;
    std::size_t m_pos;
    std::vector<std::int64_t> m_values;
    Diagnostic m_error;
};

// Hosts may drop the blanks that end two of the English header lines.
std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted.append(text);
    quoted += '"';
    return quoted;
}

// Reads one segment's lines into segment; block is the expected first D
// element (0 when not known yet). Sets the shared fields on the first call.
struct Shared
{
    bool known = false;
    std::int64_t startD = 0;
    std::int64_t code = 0;
    std::array<std::int64_t, 4> ports{};
};

bool ReadSegment(Reader &r, Shared &shared, std::int64_t &block, std::int64_t step,
                 PosSegment &segment)
{
    const Lang lang = r.lang();

    // "//Segment n: " and the type name decide the block's length.
    int type = 0;
    const std::string comment = std::string(Text(sid::SegmentComment, lang));
    for (const auto &[id, t] :
         {std::pair{sid::StraightLine, kTypeLine}, std::pair{sid::ClockwiseArc, kTypeCw},
          std::pair{sid::CounterclockwiseArc, kTypeCcw}}) {
        if (!r.atEnd() && r.expect(comment + std::string(Text(id, lang)), {}, {})) {
            type = t;
            break;
        }
    }
    if (type == 0)
        return r.fail(sid::Expected, Quoted(Format(comment, {std::int64_t{step + 1}})
                                            + std::string(Text(sid::StraightLine, lang))));
    segment = PosSegment{};
    segment.type = type;

    if (!r.expect("LD SM0", {}, Quoted("LD SM0")))
        return false;

    const std::string_view mov = Text(sid::MovFormat, lang);
    const std::uint32_t words = segment.words();
    std::array<std::uint32_t, 16> v{};
    const std::size_t firstMov = r.position();
    for (std::uint32_t j = 0; j < words; ++j) {
        std::string_view note;
        if (j == 1)
            note = Text(sid::CommentConfigCode, lang);
        else if (j >= 2 && j % 2 == 0)
            note = Text(sid::CommentConfigCode + static_cast<int>(j / 2), lang);
        const std::string what
            = block == 0
                  ? Quoted(Format(mov, {std::string("n"), std::string("n")}) + std::string(note))
                  : Quoted(Format(mov, {std::string("n"), block + std::int64_t{j}})
                           + std::string(note));
        if (!r.expect(mov, note, what))
            return false;
        const std::int64_t value = r.values()[0];
        const std::int64_t d = r.values()[1];
        if (block == 0 && j == 0) {
            if (d < 2 || d > std::int64_t{std::numeric_limits<std::uint32_t>::max()} + 2)
                return r.failPrevious(sid::Expected, what);
            block = d;
        }
        if (d != block + j || value < 0 || value > 0xFFFF)
            return r.failPrevious(sid::Expected, what);
        v[j] = static_cast<std::uint32_t>(value);
    }
    const auto join = [&v](std::uint32_t j) { return (v[j] << 16) | v[j + 1]; };
    segment.centreMode = static_cast<std::int32_t>(v[0]);
    segment.initialSpeed = join(2);
    segment.maxSpeed = join(4);
    segment.accDecTime = join(6);
    segment.endX = static_cast<std::int32_t>(join(8));
    segment.endY = static_cast<std::int32_t>(join(10));
    if (segment.isArc() && !InDomain(FieldKind::CentreMode, v[0]))
        return r.failValue(firstMov, FieldKind::CentreMode);
    if (!InDomain(FieldKind::ConfigurationCode, v[1]))
        return r.failValue(firstMov + 1, FieldKind::ConfigurationCode);
    if (segment.isArc()) {
        segment.centreX = static_cast<std::int32_t>(join(12));
        segment.centreY = static_cast<std::int32_t>(join(14));
    } else if (v[0] != 0) {
        return r.failAt(firstMov, sid::Expected, Quoted(Format(mov, {std::int64_t{0}, block})));
    }

    if (!shared.known) {
        shared.startD = block - 2;
        shared.code = v[1];
    } else if (v[1] != shared.code) {
        return r.failAt(firstMov + 1, sid::PouMixed,
                        std::string(Text(sid::CommentConfigCode, lang).substr(16)));
    }

    const std::string ld = Format("LD= D%d %d", {shared.startD, step});
    if (!r.expect(ld, {}, Quoted(ld)))
        return false;

    const int format = segment.type == kTypeLine ? sid::LinFormat
                       : segment.type == kTypeCw ? sid::CwFormat
                                                 : sid::CcwFormat;
    const int note = segment.type == kTypeLine ? sid::LinComment
                     : segment.type == kTypeCw ? sid::CwComment
                                               : sid::CcwComment;
    const std::string instruction
        = Format(Text(format, lang),
                 {block, std::string("n"), std::string("n"), std::string("n"), std::string("n")})
          + std::string(Text(note, lang));
    if (!r.expect(Text(format, lang), Text(note, lang), Quoted(instruction)))
        return false;
    const auto &ops = r.values();
    if (ops[0] != block)
        return r.failPrevious(sid::Expected, Quoted(instruction));
    for (std::size_t i = 0; i < 4; ++i)
        if (ops[i + 1] < 0 || ops[i + 1] > std::int64_t{std::numeric_limits<std::uint32_t>::max()})
            return r.failPrevious(sid::Expected, Quoted(instruction));
    const std::array<std::int64_t, 4> ports{ops[1], ops[2], ops[3], ops[4]};
    for (std::size_t i = 0; i < 4; ++i)
        if (!InDomain(i == 0 ? FieldKind::XPulsePort : FieldKind::Port, ports[i]))
            return r.failValue(r.position() - 1, i == 0 ? FieldKind::XPulsePort : FieldKind::Port);
    if (!shared.known) {
        shared.ports = ports;
        shared.known = true;
    } else if (ports != shared.ports) {
        return r.failPrevious(sid::PouMixed, "Y");
    }

    const std::string sm
        = Format("AND SM%d", {std::int64_t{SmFlagByPort(static_cast<std::uint32_t>(ports[0]))}});
    if (!r.expect(sm, {}, Quoted(sm)) || !r.expect("ED", {}, Quoted("ED")))
        return false;
    const std::string inc = Format("INC D%d", {shared.startD});
    if (!r.expect(inc, {}, Quoted(inc)))
        return false;
    block += words;
    return true;
}

} // namespace

Result<PosConfig> ParsePou(std::string_view text, const std::string &subprogramName,
                           const PosConfig &base)
{
    std::vector<std::string_view> lines = SplitLines(text);

    // The header tells the language.
    std::optional<Lang> lang;
    std::size_t headerLines = 0;
    for (const Lang candidate : {Lang::En, Lang::Zh}) {
        const std::vector<std::string_view> header = SplitLines(Text(sid::PouHeader, candidate));
        if (lines.size() >= header.size()
            && std::equal(header.begin(), header.end(), lines.begin(),
                          [](std::string_view a, std::string_view b) {
                              return TrimRight(a) == TrimRight(b);
                          })) {
            lang = candidate;
            headerLines = header.size();
            break;
        }
    }
    if (!lang) {
        return Diagnostic{.id = sid::PouNotHeader, .line = 1};
    }

    PosConfig config = base;
    config.subprogramName = subprogramName;
    config.segments.clear();

    Reader reader(std::move(lines), *lang, headerLines);
    Shared shared;
    std::int64_t block = 0;
    std::int64_t step = 0;
    while (!reader.atEnd()) {
        if (static_cast<std::size_t>(step) == kMaxSegments)
            return Diagnostic{.id = sid::PouTooManySegments,
                              .args = {std::int64_t{kMaxSegments}},
                              .line = static_cast<long long>(reader.position() + 1)};
        PosSegment segment;
        if (!ReadSegment(reader, shared, block, step, segment))
            return reader.error();
        ++step;
        config.segments.emplace(static_cast<std::uint32_t>(step), segment);
    }
    if (shared.known) {
        config.startD = static_cast<std::uint32_t>(shared.startD);
        config.actionMode = static_cast<std::uint16_t>(shared.code / 10);
        config.pulseMode = static_cast<std::uint16_t>(shared.code % 10);
        config.xPulsePort = static_cast<std::uint32_t>(shared.ports[0]);
        config.xDirPort = static_cast<std::uint32_t>(shared.ports[1]);
        config.yPulsePort = static_cast<std::uint32_t>(shared.ports[2]);
        config.yDirPort = static_cast<std::uint32_t>(shared.ports[3]);
    }
    return config;
}

} // namespace pos
