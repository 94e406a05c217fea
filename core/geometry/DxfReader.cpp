#include "geometry/DxfReader.h"

#include "geometry/DxfNumber.h"
#include "geometry/Ocs.h"
#include "geometry/Rounding.h"

#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <numbers>
#include <string>
#include <system_error>
#include <vector>

// A DXF file is a sequence of group pairs: a line with an integer group code,
// then a line with its value. The reader walks the pairs once over the text in
// memory, keeps views into that text instead of copies, and converts only the
// values of the groups it uses. Entities begin and end at group code 0, so an
// entity's missing groups keep their DXF defaults and never take values of the
// entity after it. The first failure stops the walk: it is recorded and the
// rest of the text is skipped.

namespace pos {

namespace {

using dxf::IsDigit;
using dxf::Ocs;

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr std::size_t kMaxQuoted = 40;                   // bytes of a bad line quoted in a message
constexpr std::size_t kMaxGrowth = std::size_t{1} << 30; // buffer limit for a file of unknown size

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// The text of a bad line for a message: at most kMaxQuoted bytes, cut at a
// UTF-8 character boundary, control characters shown as '?'.
std::string Quote(std::string_view text)
{
    std::size_t cut = text.size();
    bool shortened = false;
    if (cut > kMaxQuoted) {
        cut = kMaxQuoted;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u)
            --cut;
        shortened = true;
    }
    std::string out;
    out.reserve(cut + 3);
    for (std::size_t i = 0; i < cut; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20u || c == 0x7Fu) ? '?' : text[i];
    }
    if (shortened)
        out += "...";
    return out;
}

// An integer as DXF writes it, with an optional sign; false when the text is
// not one.
bool ParseInteger(std::string_view text, long long &value)
{
    const char *first = text.data();
    const char *last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    return first != last && ptr == last && ec == std::errc();
}

// The first line feed in [p, end), or null. Most DXF lines are short: the
// first eight bytes are searched in place, the rest with memchr.
const char *FindLineFeed(const char *p, const char *end)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (end - p >= 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, p, 8);
            const std::uint64_t x = chunk ^ 0x0A0A0A0A0A0A0A0Au;
            // The lowest marked byte is the first zero byte of x, exactly.
            const std::uint64_t zero = (x - 0x0101010101010101u) & ~x & 0x8080808080808080u;
            if (zero)
                return p + (std::countr_zero(zero) >> 3);
            p += 8;
        }
    }
    return static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
}

// A coordinate as read: its value, its text and its line, for messages.
struct Coord
{
    double value = 0.0;
    std::string_view text = "0";
    long long line = 0;
};

std::string NumberText(double v)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

// Sine and cosine of an angle in degrees. The angle is reduced exactly to a
// quarter turn plus a rest in [-45, 45] degrees, so that whole quarter turns
// give exact 0 and 1 (the plain cos(270 * pi / 180) is -1.8e-16, which moves a
// point on a half unit to the wrong side when it is rounded).
void SinCosDegrees(double degrees, double &sine, double &cosine)
{
    double a = std::fmod(degrees, 360.0); // exact
    if (a < 0.0)
        a += 360.0;
    const double quarter = std::floor(a / 90.0 + 0.5);    // 0 to 4
    const double rest = (a - quarter * 90.0) * kDegToRad; // the subtraction is exact
    const double s = std::sin(rest);
    const double c = std::cos(rest);
    switch (static_cast<int>(quarter) & 3) {
    case 0:
        sine = s;
        cosine = c;
        return;
    case 1:
        sine = c;
        cosine = -s;
        return;
    case 2:
        sine = -s;
        cosine = -c;
        return;
    default:
        sine = -c;
        cosine = s;
        return;
    }
}

enum class Kind { None, Line, Arc, Polyline };
enum class State { Outside, SectionName, OtherSection, Entities };

struct Vertex
{
    Coord x;
    Coord y;
    double bulge = 0.0;
    long long bulgeLine = 0;
    bool hasY = false;
    std::int32_t wx = 0; // world coordinates, rounded
    std::int32_t wy = 0;
};

// Copied rather than value-initialised: compilers zero a new element with a
// slow string instruction, which showed in the profile.
const Vertex kNewVertex{};

class Parser
{
public:
    explicit Parser(std::string_view text)
        : m_p(text.data())
        , m_end(text.data() + text.size())
    {}

    Result<PosConfig> run()
    {
        PosConfig config;
        m_segments = &config.segments;
        int code = 0;
        while (readCode(code)) {
            const long long codeLine = m_line;
            if (m_p == m_end) {
                fail(sid::DxfValueMissing, codeLine);
                break;
            }
            if (!group(code))
                break;
            if (m_line == codeLine)
                skipValue(); // a value nobody needs
        }
        if (m_failed)
            return std::move(m_error);
        finishEntity();
        if (m_failed)
            return std::move(m_error);
        return config;
    }

private:
    // Reads a group code line: blanks, an optional minus sign, at most nine
    // digits, blanks. Returns false at the end of the text (blank lines at
    // the end included).
    bool readCode(int &code)
    {
        if (m_p == m_end)
            return false;
        // Most writers right-align codes in three columns ("  0", " 10", "330"):
        // those are read without a loop.
        if (m_end - m_p >= 5) {
            const char c0 = m_p[0];
            const char c1 = m_p[1];
            const char c2 = m_p[2];
            const int length = m_p[3] == '\n' ? 4 : (m_p[3] == '\r' && m_p[4] == '\n') ? 5 : 0;
            if (length && IsDigit(c2) && (IsDigit(c1) || (c1 == ' ' && c0 == ' '))
                && (IsDigit(c0) || c0 == ' ')) {
                code = (c0 == ' ' ? 0 : (c0 - '0') * 100) + (c1 == ' ' ? 0 : (c1 - '0') * 10)
                       + (c2 - '0');
                m_p += length;
                ++m_line;
                return true;
            }
        }
        const char *p = m_p;
        while (p != m_end && (*p == ' ' || *p == '\t'))
            ++p;
        const bool negative = p != m_end && *p == '-';
        if (negative)
            ++p;
        const char *digits = p;
        int value = 0;
        for (; p != m_end && IsDigit(*p) && p - digits < 9; ++p)
            value = value * 10 + (*p - '0');
        if (p != digits) {
            while (p != m_end && IsBlank(*p))
                ++p;
            if (p == m_end || *p == '\n') {
                m_p = p == m_end ? p : p + 1;
                ++m_line;
                code = negative ? -value : value;
                return true;
            }
        }
        const std::string_view line = takeLine();
        if (!(Trim(line).empty() && restIsBlank()))
            fail(sid::DxfCodeExpected, m_line, Quote(Trim(line)));
        return false;
    }

    // Records the first failure and skips the rest of the text.
    void fail(int id, long long line, std::string detail = {})
    {
        if (m_failed)
            return;
        m_failed = true;
        m_error = Diagnostic{.id = id, .detail = std::move(detail), .line = line};
        m_p = m_end;
    }

    std::string_view takeLine()
    {
        const char *nl = FindLineFeed(m_p, m_end);
        const char *stop = nl ? nl : m_end;
        const std::string_view line(m_p, static_cast<std::size_t>(stop - m_p));
        m_p = nl ? nl + 1 : m_end;
        ++m_line;
        return line;
    }

    bool restIsBlank() const
    {
        for (const char *p = m_p; p != m_end; ++p)
            if (!IsBlank(*p) && *p != '\n')
                return false;
        return true;
    }

    // The value of the current group. Each group's value line is taken once:
    // by one of these, or skipped by run() when the group is not used.
    void skipValue() { takeLine(); }
    std::string_view takeText() { return Trim(takeLine()); }

    // A real value; text is the number as written, for messages. Most values
    // are plain decimal numbers followed by the line end: they are read in
    // place, without looking for the line end first.
    double takeReal(std::string_view &text)
    {
        const char *p = m_p;
        while (p != m_end && (*p == ' ' || *p == '\t'))
            ++p;
        double value = 0.0;
        if (const char *end = dxf::ScanSimpleReal(p, m_end, value)) {
            const char *q = end;
            while (q != m_end && IsBlank(*q))
                ++q;
            if (q == m_end || *q == '\n') {
                text = std::string_view(p, static_cast<std::size_t>(end - p));
                m_p = q == m_end ? q : q + 1;
                ++m_line;
                return value;
            }
        }
        text = takeText();
        switch (dxf::ParseReal(text, value)) {
        case dxf::RealStatus::Ok:
            return value;
        case dxf::RealStatus::OutOfRange:
            fail(sid::DxfOutOfRange, m_line, Quote(text));
            return 0.0;
        case dxf::RealStatus::NotNumber:
            break;
        }
        fail(sid::DxfNotNumber, m_line, Quote(text));
        return 0.0;
    }

    double takeReal()
    {
        std::string_view text;
        return takeReal(text);
    }

    void takeCoord(Coord &c)
    {
        c.value = takeReal(c.text);
        c.line = m_line;
    }

    // One group pair whose code has been read. Returns false at the
    // end-of-file marker.
    bool group(int code)
    {
        if (m_state == State::Entities && code != 0) {
            entityGroup(code);
            return true;
        }
        if (code == 0) {
            const std::string_view value = takeText();
            if (m_state == State::Entities)
                finishEntity();
            if (value == "EOF")
                return false;
            if (value == "SECTION") {
                m_state = State::SectionName;
            } else if (value == "ENDSEC") {
                m_state = State::Outside;
            } else if (m_state == State::Entities) {
                beginEntity(value);
            } else if (m_state == State::SectionName) {
                m_state = State::OtherSection; // a section without a name
            }
            return true;
        }
        if (m_state == State::SectionName && code == 2)
            m_state = takeText() == "ENTITIES" ? State::Entities : State::OtherSection;
        return true;
    }

    void beginEntity(std::string_view name)
    {
        m_entityLine = m_line;
        if (name == "LINE") {
            m_kind = Kind::Line;
            m_p1[0] = m_p1[1] = m_p2[0] = m_p2[1] = Coord();
        } else if (name == "ARC") {
            m_kind = Kind::Arc;
            m_centre[0] = m_centre[1] = Coord();
            m_elevation = m_radius = m_startAngle = m_endAngle = 0.0;
            resetExtrusion();
        } else if (name == "LWPOLYLINE") {
            m_kind = Kind::Polyline;
            m_vertices.clear();
            m_elevation = 0.0;
            m_closed = false;
            resetExtrusion();
        } else {
            m_kind = Kind::None;
        }
    }

    void resetExtrusion()
    {
        m_extrusion[0] = m_extrusion[1] = 0.0;
        m_extrusion[2] = 1.0;
    }

    void entityGroup(int code)
    {
        switch (m_kind) {
        case Kind::None:
            return;
        case Kind::Line:
            lineGroup(code);
            return;
        case Kind::Arc:
            arcGroup(code);
            return;
        case Kind::Polyline:
            polylineGroup(code);
            return;
        }
    }

    void lineGroup(int code)
    {
        switch (code) {
        case 10:
            takeCoord(m_p1[0]);
            return;
        case 20:
            takeCoord(m_p1[1]);
            return;
        case 11:
            takeCoord(m_p2[0]);
            return;
        case 21:
            takeCoord(m_p2[1]);
            return;
        default:
            return;
        }
    }

    void arcGroup(int code)
    {
        switch (code) {
        case 10:
            takeCoord(m_centre[0]);
            return;
        case 20:
            takeCoord(m_centre[1]);
            return;
        case 30:
            m_elevation = takeReal();
            return;
        case 40:
            m_radius = takeReal();
            return;
        case 50:
            m_startAngle = takeReal();
            return;
        case 51:
            m_endAngle = takeReal();
            return;
        default:
            extrusionGroup(code);
            return;
        }
    }

    void extrusionGroup(int code)
    {
        if (code == 210 || code == 220 || code == 230)
            m_extrusion[static_cast<std::size_t>((code - 210) / 10)] = takeReal();
    }

    void polylineGroup(int code)
    {
        switch (code) {
        case 10:
            m_vertices.push_back(kNewVertex);
            takeCoord(m_vertices.back().x);
            return;
        case 20:
            if (m_vertices.empty() || m_vertices.back().hasY)
                m_vertices.push_back(kNewVertex); // a Y without its X: X is 0
            takeCoord(m_vertices.back().y);
            m_vertices.back().hasY = true;
            return;
        case 42: {
            const double bulge = takeReal();
            if (!m_vertices.empty()) {
                m_vertices.back().bulge = bulge;
                m_vertices.back().bulgeLine = m_line;
            }
            return;
        }
        case 38:
            m_elevation = takeReal();
            return;
        case 70: {
            const std::string_view flags = takeText();
            long long value = 0;
            if (!ParseInteger(flags, value))
                fail(sid::DxfNotNumber, m_line, Quote(flags));
            m_closed = (value & 1) != 0;
            return;
        }
        default:
            extrusionGroup(code);
            return;
        }
    }

    void finishEntity()
    {
        switch (m_kind) {
        case Kind::None:
            return;
        case Kind::Line:
            finishLine();
            break;
        case Kind::Arc:
            finishArc();
            break;
        case Kind::Polyline:
            finishPolyline();
            break;
        }
        m_kind = Kind::None;
    }

    // A coordinate in world units; the message quotes it as written when it
    // was taken as written, else as computed.
    std::int32_t world(const Coord &c, double worldValue, bool asWritten)
    {
        std::int32_t out = 0;
        if (!RoundToInt32(worldValue, out))
            fail(sid::DxfOutOfRange, c.line ? c.line : m_entityLine,
                 asWritten ? Quote(c.text) : NumberText(worldValue));
        return out;
    }

    void store(const PosSegment &segment)
    {
        m_segments->emplace_hint(m_segments->end(), m_nextKey, segment);
        ++m_nextKey;
    }

    // LINE points are world coordinates whatever the entity's extrusion.
    void finishLine()
    {
        PosSegment s;
        s.type = kTypeLine;
        s.beginX = world(m_p1[0], m_p1[0].value, true);
        s.beginY = world(m_p1[1], m_p1[1].value, true);
        s.endX = world(m_p2[0], m_p2[0].value, true);
        s.endY = world(m_p2[1], m_p2[1].value, true);
        store(s);
    }

    // An ARC runs counter-clockwise in its own plane from the start angle to
    // the end angle: the start taken into [0, 360), the end above it by at
    // most one turn, equal angles a full turn. Those angles differ from the
    // ones read by whole turns only, so the begin and end points are computed
    // from the angles as read, reduced exactly, in double precision; only the
    // resulting coordinates are rounded.
    void finishArc()
    {
        const Ocs ocs(m_extrusion[0], m_extrusion[1], m_extrusion[2]);
        const double cx = m_centre[0].value;
        const double cy = m_centre[1].value;
        PosSegment s;
        s.type = ocs.mirrored() ? kTypeCw : kTypeCcw;
        double wx = 0.0;
        double wy = 0.0;
        ocs.toWorld(cx, cy, m_elevation, wx, wy);
        s.centreX = world(m_centre[0], wx, ocs.identity());
        s.centreY = world(m_centre[1], wy, ocs.identity());

        double sine = 0.0;
        double cosine = 0.0;
        SinCosDegrees(m_startAngle, sine, cosine);
        ocs.toWorld(cx + cosine * m_radius, cy + sine * m_radius, m_elevation, wx, wy);
        const bool beginFits = RoundToInt32(wx, s.beginX) && RoundToInt32(wy, s.beginY);
        SinCosDegrees(m_endAngle, sine, cosine);
        ocs.toWorld(cx + cosine * m_radius, cy + sine * m_radius, m_elevation, wx, wy);
        const bool endFits = RoundToInt32(wx, s.endX) && RoundToInt32(wy, s.endY);
        if (!beginFits || !endFits) {
            fail(sid::DxfBadArc, m_entityLine);
            return;
        }
        // An arc so small that its ends round to one point would run as a
        // full circle; it moves no further than a straight line of no length.
        const double sweep = std::fmod(m_endAngle - m_startAngle, 360.0);
        if (s.beginX == s.endX && s.beginY == s.endY && sweep != 0.0) {
            s.type = kTypeLine;
            s.centreX = 0;
            s.centreY = 0;
        }
        store(s);
    }

    // The vertices are the (10, 20) pairs in order. An edge's bulge is that
    // of the vertex it starts from; the closing edge of a closed polyline
    // takes the last vertex's bulge.
    void finishPolyline()
    {
        const std::size_t n = m_vertices.size();
        if (n < 2)
            return;
        const Ocs ocs(m_extrusion[0], m_extrusion[1], m_extrusion[2]);
        for (Vertex &v : m_vertices) {
            double wx = 0.0;
            double wy = 0.0;
            ocs.toWorld(v.x.value, v.y.value, m_elevation, wx, wy);
            v.wx = world(v.x, wx, ocs.identity());
            v.wy = world(v.y, wy, ocs.identity());
        }
        const std::size_t edges = m_closed ? n : n - 1;
        for (std::size_t i = 0; i < edges; ++i) {
            const Vertex &a = m_vertices[i];
            const Vertex &b = m_vertices[i + 1 < n ? i + 1 : 0];
            PosSegment s;
            s.type = kTypeLine;
            s.beginX = a.wx;
            s.beginY = a.wy;
            s.endX = b.wx;
            s.endY = b.wy;
            const double dx = b.x.value - a.x.value;
            const double dy = b.y.value - a.y.value;
            if (a.bulge != 0.0 && (dx != 0.0 || dy != 0.0))
                bulgedEdge(s, a, b, ocs);
            store(s);
        }
    }

    // The bulge is tan(included angle / 4), positive counter-clockwise in the
    // entity's plane. The centre lies on the chord's perpendicular bisector,
    // (1 / bulge - bulge) / 4 chord lengths from the chord's midpoint, to the
    // left of the chord for a positive value.
    void bulgedEdge(PosSegment &s, const Vertex &a, const Vertex &b, const Ocs &ocs)
    {
        const double ax = a.x.value;
        const double ay = a.y.value;
        const double dx = b.x.value - ax;
        const double dy = b.y.value - ay;
        // An edge whose ends round to one point would run as a full circle.
        if (s.beginX == s.endX && s.beginY == s.endY)
            return;
        const double f = (1.0 / a.bulge - a.bulge) / 4.0;
        const double cx = ax + dx / 2.0 - dy * f;
        const double cy = ay + dy / 2.0 + dx * f;
        double wx = 0.0;
        double wy = 0.0;
        ocs.toWorld(cx, cy, m_elevation, wx, wy);
        if (!RoundToInt32(wx, s.centreX) || !RoundToInt32(wy, s.centreY)) {
            // A bulge so slight that its centre lies beyond any coordinate
            // bows out by less than half a unit: rounded, it is its chord.
            if (std::fabs(a.bulge) * std::hypot(dx, dy) / 2.0 < 0.5) {
                s.centreX = 0;
                s.centreY = 0;
                return;
            }
            fail(sid::DxfBadArc, a.bulgeLine ? a.bulgeLine : m_entityLine);
            return;
        }
        const bool ccw = a.bulge > 0.0;
        s.type = ccw != ocs.mirrored() ? kTypeCcw : kTypeCw;
    }

    const char *m_p;
    const char *m_end;
    long long m_line = 0; // number of the last line read, from 1
    bool m_failed = false;
    Diagnostic m_error; // the first failure
    State m_state = State::Outside;
    SegmentMap *m_segments = nullptr;
    std::uint32_t m_nextKey = 0;

    // The entity being read.
    Kind m_kind = Kind::None;
    long long m_entityLine = 0; // line of its type name
    Coord m_p1[2];              // LINE
    Coord m_p2[2];
    Coord m_centre[2]; // ARC
    double m_radius = 0.0;
    double m_startAngle = 0.0;
    double m_endAngle = 0.0;
    double m_elevation = 0.0; // ARC group 30, LWPOLYLINE group 38
    double m_extrusion[3] = {0.0, 0.0, 1.0};
    std::vector<Vertex> m_vertices; // LWPOLYLINE
    bool m_closed = false;
};

} // namespace

Result<PosConfig> CDxfReader::ReadDxfText(std::string_view text)
{
    if (text.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        return Diagnostic{.id = sid::DxfBinary};
    }
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    return Parser(text).run();
}

Result<PosConfig> CDxfReader::ReadDxfFile(const std::string &path)
{
    const auto cannotOpen = [&path](int error) {
        return Diagnostic{.id = sid::FileCannotOpen,
                          .detail = std::generic_category().message(error),
                          .file = path};
    };
    // The whole file is read in one go, then parsed in memory.
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return cannotOpen(errno);
    // The size is a hint only: the file may change while it is read, and a
    // directory or a device has none.
    std::error_code sizeError;
    const std::uintmax_t hint = std::filesystem::file_size(path, sizeError);
    std::size_t capacity = sizeError ? 0 : static_cast<std::size_t>(hint);
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    int readError = 0;
    errno = 0;
    try {
        capacity += 1; // one byte more shows the end of the file without a second call
        data = std::make_unique_for_overwrite<char[]>(capacity);
        for (;;) {
            size += std::fread(data.get() + size, 1, capacity - size, file);
            if (size < capacity)
                break;
            if (capacity >= kMaxGrowth) { // a device that never ends
                readError = EFBIG;
                break;
            }
            auto bigger = std::make_unique_for_overwrite<char[]>(capacity * 2);
            std::memcpy(bigger.get(), data.get(), size);
            data = std::move(bigger);
            capacity *= 2;
        }
        if (!readError && std::ferror(file))
            readError = errno ? errno : EIO;
    } catch (const std::bad_alloc &) {
        readError = ENOMEM;
    }
    std::fclose(file);
    if (readError)
        return cannotOpen(readError);
    Result<PosConfig> result = ReadDxfText(std::string_view(data.get(), size));
    if (!result)
        result.error().file = path;
    return result;
}

} // namespace pos
