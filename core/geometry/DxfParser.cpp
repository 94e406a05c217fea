#include "geometry/DxfParser.h"

#include "geometry/DxfNumber.h"
#include "guide/FileRead.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <numbers>
#include <system_error>

// A DXF file is a sequence of group pairs: a line with an integer group code,
// then a line with its value. The parser walks the pairs once over the text in
// memory, keeps views into that text instead of copies, and converts only the
// values of the groups it uses. Entities begin and end at group code 0, so an
// entity's missing groups keep their DXF defaults and never take values of the
// entity after it. The first failure stops the walk: it is recorded and the
// rest of the text is skipped.

namespace pos::dxf {

namespace {

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr std::size_t kMaxQuoted = 40; // bytes of a bad line quoted in a message

// R12 POLYLINE flags.
constexpr long long kPolylineClosed = 1;
constexpr long long kPolyline3d = 8;
constexpr long long kPolygonMesh = 16;
constexpr long long kPolyfaceMesh = 64;
// VERTEX flag of a spline frame control point, which is not on the curve.
constexpr long long kVertexFrame = 16;

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

enum class State { Outside, SectionName, OtherSection, Header, Blocks, BlockHeader, Entities };

// Copied rather than value-initialised: compilers zero a new element with a
// slow string instruction, which showed in the profile.
const ParsedVertex kNewVertex{};

} // namespace

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

// The angle is reduced exactly to a quarter turn plus a rest in [-45, 45]
// degrees, so that whole quarter turns give exact 0 and 1 (the plain
// cos(270 * pi / 180) is -1.8e-16, which moves a point on a half unit to the
// wrong side when it is rounded).
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

class DxfParser::Impl
{
public:
    Impl(std::string_view text, const ParseOptions &options, EntityHandler &handler)
        : m_p(text.data())
        , m_end(text.data() + text.size())
        , m_full(options.full)
        , m_handler(handler)
    {}

    Status run()
    {
        int code = 0;
        while (readCode(code)) {
            const long long codeLine = m_line;
            if (m_p == m_end) {
                fail(sid::DxfValueMissing, codeLine);
                break;
            }
            if (!group(code)) {
                m_endOfFile = true;
                break;
            }
            if (m_line == codeLine)
                skipValue(); // a value nobody needs
        }
        // A drawing cut short would lose entities, or whole sections, without
        // a sign: only its end-of-file marker shows that it is whole.
        if (!m_failed && !m_endOfFile)
            fail(sid::DxfNoEof, std::max(m_line, 1LL));
        if (!m_failed)
            finishEntity();
        if (!m_failed)
            finishPolyline();
        if (m_failed)
            return std::move(m_error);
        return {};
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
        if (const char *end = ScanSimpleReal(p, m_end, value)) {
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
        switch (ParseReal(text, value)) {
        case RealStatus::Ok:
            return value;
        case RealStatus::OutOfRange:
            fail(sid::DxfOutOfRange, m_line, Quote(text));
            return 0.0;
        case RealStatus::NotNumber:
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

    long long takeInteger()
    {
        const std::string_view text = takeText();
        long long value = 0;
        if (!ParseInteger(text, value))
            fail(sid::DxfNotNumber, m_line, Quote(text));
        return value;
    }

    // One group pair whose code has been read. Returns false at the
    // end-of-file marker.
    bool group(int code)
    {
        if (code != 0) {
            switch (m_state) {
            case State::Entities:
            case State::Blocks:
                if (m_active)
                    entityGroup(code);
                return true;
            case State::SectionName:
                if (code == 2)
                    m_state = sectionState(takeText());
                return true;
            case State::Header:
                headerGroup(code);
                return true;
            case State::BlockHeader:
                blockHeaderGroup(code);
                return true;
            default:
                return true;
            }
        }
        const std::string_view value = takeText();
        if (m_state == State::Entities || m_state == State::Blocks)
            finishEntity();
        if (m_state == State::BlockHeader) {
            m_handler.OnBlockBegin(m_blockName, m_blockBase[0], m_blockBase[1]);
            m_state = State::Blocks;
        }
        if (m_polylineOpen && value != "VERTEX")
            finishPolyline();
        if (value == "EOF")
            return false;
        if (value == "SECTION") {
            m_state = State::SectionName;
        } else if (value == "ENDSEC") {
            m_state = State::Outside;
        } else if (m_state == State::Entities || m_state == State::Blocks) {
            beginEntity(value);
        } else if (m_state == State::SectionName) {
            m_state = State::OtherSection; // a section without a name
        }
        return true;
    }

    State sectionState(std::string_view name) const
    {
        if (name == "ENTITIES")
            return State::Entities;
        if (m_full && name == "HEADER")
            return State::Header;
        if (m_full && name == "BLOCKS")
            return State::Blocks;
        return State::OtherSection;
    }

    Section section() const
    {
        return m_state == State::Entities ? Section::Entities : Section::Blocks;
    }

    void headerGroup(int code)
    {
        if (code == 9)
            m_insUnitsNext = takeText() == "$INSUNITS";
        else if (code == 70 && m_insUnitsNext)
            m_handler.OnUnits(takeInteger());
    }

    void blockHeaderGroup(int code)
    {
        if (code == 2)
            m_blockName = takeText();
        else if (code == 10)
            m_blockBase[0] = takeReal();
        else if (code == 20)
            m_blockBase[1] = takeReal();
    }

    void beginEntity(std::string_view name)
    {
        m_active = false;
        if (m_state == State::Blocks) {
            if (name == "BLOCK") {
                m_state = State::BlockHeader;
                m_blockName = {};
                m_blockBase[0] = m_blockBase[1] = 0.0;
                return;
            }
            if (name == "ENDBLK") {
                m_handler.OnBlockEnd();
                return;
            }
        }
        if (name == "VERTEX" && m_polylineOpen) {
            m_polyline.vertices.push_back(kNewVertex);
            m_vertexFlags = 0;
            m_inVertex = true;
            m_active = true;
            return;
        }
        if (name == "SEQEND")
            return;
        EntityType type{};
        if (!typeOf(name, type)) {
            if (m_full)
                m_other = name;
            m_entity.line = m_line;
            m_entity.paperSpace = false;
            m_active = m_full; // for group 67
            m_kind = Kind::Other;
            return;
        }
        ParsedEntity &e = type == EntityType::Polyline ? m_polyline : m_entity;
        e.type = type;
        e.name = name;
        e.line = m_line;
        e.layer = "0";
        e.paperSpace = false;
        e.a[0] = e.a[1] = e.b[0] = e.b[1] = Coord();
        e.bz = e.elevation = e.radius = e.start = e.end = 0.0;
        e.extrusion = {0.0, 0.0, 1.0};
        e.flags = 0;
        e.vertices.clear();
        if (type == EntityType::Ellipse) {
            e.radius = 1.0;
            e.end = 2.0 * std::numbers::pi;
        } else if (type == EntityType::Spline) {
            e.spline = Spline{};
        } else if (type == EntityType::Insert) {
            e.block = {};
            e.insert = Insert{};
        }
        m_kind = type == EntityType::Polyline ? Kind::PolylineHead : Kind::Known;
        if (type == EntityType::Polyline)
            m_polylineOpen = true;
        m_inVertex = false;
        m_active = true;
    }

    bool typeOf(std::string_view name, EntityType &type) const
    {
        if (name == "LINE")
            type = EntityType::Line;
        else if (name == "ARC")
            type = EntityType::Arc;
        else if (name == "LWPOLYLINE")
            type = EntityType::LwPolyline;
        else if (!m_full)
            return false;
        else if (name == "CIRCLE")
            type = EntityType::Circle;
        else if (name == "POLYLINE")
            type = EntityType::Polyline;
        else if (name == "ELLIPSE")
            type = EntityType::Ellipse;
        else if (name == "SPLINE")
            type = EntityType::Spline;
        else if (name == "INSERT" || name == "MINSERT")
            type = EntityType::Insert;
        else
            return false;
        return true;
    }

    void entityGroup(int code)
    {
        if (m_inVertex) {
            vertexGroup(code);
            return;
        }
        ParsedEntity &e = m_kind == Kind::PolylineHead ? m_polyline : m_entity;
        if (m_full) {
            if (code == 8) {
                e.layer = takeText();
                return;
            }
            if (code == 67) {
                e.paperSpace = takeInteger() == 1;
                return;
            }
            if (m_kind == Kind::Other)
                return;
        }
        switch (e.type) {
        case EntityType::Line:
            lineGroup(e, code);
            return;
        case EntityType::Arc:
        case EntityType::Circle:
            arcGroup(e, code);
            return;
        case EntityType::LwPolyline:
            lwPolylineGroup(e, code);
            return;
        case EntityType::Polyline:
            polylineGroup(e, code);
            return;
        case EntityType::Ellipse:
            ellipseGroup(e, code);
            return;
        case EntityType::Spline:
            splineGroup(e, code);
            return;
        case EntityType::Insert:
            insertGroup(e, code);
            return;
        }
    }

    void lineGroup(ParsedEntity &e, int code)
    {
        switch (code) {
        case 10:
            takeCoord(e.a[0]);
            return;
        case 20:
            takeCoord(e.a[1]);
            return;
        case 11:
            takeCoord(e.b[0]);
            return;
        case 21:
            takeCoord(e.b[1]);
            return;
        default:
            return;
        }
    }

    void arcGroup(ParsedEntity &e, int code)
    {
        switch (code) {
        case 10:
        case 20:
            lineGroup(e, code); // the centre, as a LINE's start
            return;
        case 30:
            e.elevation = takeReal();
            return;
        case 40:
            e.radius = takeReal();
            return;
        case 50:
            e.start = takeReal();
            return;
        case 51:
            e.end = takeReal();
            return;
        default:
            extrusionGroup(e, code);
            return;
        }
    }

    void extrusionGroup(ParsedEntity &e, int code)
    {
        if (code == 210 || code == 220 || code == 230)
            e.extrusion[static_cast<std::size_t>((code - 210) / 10)] = takeReal();
    }

    void lwPolylineGroup(ParsedEntity &e, int code)
    {
        switch (code) {
        case 10:
            e.vertices.push_back(kNewVertex);
            takeCoord(e.vertices.back().x);
            return;
        case 20:
            if (e.vertices.empty() || e.vertices.back().hasY)
                e.vertices.push_back(kNewVertex); // a Y without its X: X is 0
            takeCoord(e.vertices.back().y);
            e.vertices.back().hasY = true;
            return;
        case 42: {
            const double bulge = takeReal();
            if (!e.vertices.empty()) {
                e.vertices.back().bulge = bulge;
                e.vertices.back().bulgeLine = m_line;
            }
            return;
        }
        case 38:
            e.elevation = takeReal();
            return;
        case 70:
            e.flags = takeInteger();
            return;
        default:
            extrusionGroup(e, code);
            return;
        }
    }

    void polylineGroup(ParsedEntity &e, int code)
    {
        if (code == 70)
            e.flags = takeInteger();
        else if (code == 30)
            e.elevation = takeReal();
        else
            extrusionGroup(e, code);
    }

    void vertexGroup(int code)
    {
        ParsedVertex &v = m_polyline.vertices.back();
        switch (code) {
        case 8:
            return;
        case 10:
            takeCoord(v.x);
            return;
        case 20:
            takeCoord(v.y);
            v.hasY = true;
            return;
        case 42:
            v.bulge = takeReal();
            v.bulgeLine = m_line;
            return;
        case 70:
            m_vertexFlags = takeInteger();
            if (m_vertexFlags & kVertexFrame)
                m_polyline.vertices.pop_back();
            m_inVertex = !(m_vertexFlags & kVertexFrame);
            m_active = m_inVertex;
            return;
        default:
            return;
        }
    }

    // Centre (10, 20) and major axis end (11, 21) as a LINE's points.
    void ellipseGroup(ParsedEntity &e, int code)
    {
        switch (code) {
        case 10:
        case 20:
        case 11:
        case 21:
            lineGroup(e, code);
            return;
        case 31:
            e.bz = takeReal();
            return;
        case 40:
            e.radius = takeReal();
            return;
        case 41:
            e.start = takeReal();
            return;
        case 42:
            e.end = takeReal();
            return;
        default:
            extrusionGroup(e, code);
            return;
        }
    }

    // Knots, weights and points repeat their group codes; a spline holds at
    // most kMaxSplineData of them.
    void splineGroup(ParsedEntity &e, int code)
    {
        Spline &s = e.spline;
        const auto room = [&] {
            if (s.knots.size() + s.weights.size() + s.control.size() + s.fit.size()
                < kMaxSplineData)
                return true;
            fail(sid::DxfTooLarge, m_line, std::to_string(kMaxSplineData));
            return false;
        };
        switch (code) {
        case 70:
            e.flags = takeInteger();
            s.closed = (e.flags & 1) != 0;
            return;
        case 71:
            s.degree = static_cast<int>(std::clamp(takeInteger(), -1LL, 1000LL));
            return;
        case 40:
            if (room())
                s.knots.push_back(takeReal());
            return;
        case 41:
            if (room())
                s.weights.push_back(takeReal());
            return;
        case 10:
            if (room())
                s.control.push_back({takeReal(), 0.0});
            return;
        case 20:
            if (!s.control.empty())
                s.control.back()[1] = takeReal();
            return;
        case 11:
            if (room())
                s.fit.push_back({takeReal(), 0.0});
            return;
        case 21:
            if (!s.fit.empty())
                s.fit.back()[1] = takeReal();
            return;
        default:
            extrusionGroup(e, code);
            return;
        }
    }

    void insertGroup(ParsedEntity &e, int code)
    {
        Insert &in = e.insert;
        switch (code) {
        case 2:
            e.block = takeText();
            return;
        case 10:
        case 20:
            lineGroup(e, code); // the insertion point, as a LINE's start
            return;
        case 30:
            e.elevation = takeReal();
            return;
        case 41:
        case 42:
        case 43:
            in.scale[static_cast<std::size_t>(code - 41)] = takeReal();
            return;
        case 50:
            in.rotation = takeReal();
            return;
        case 70:
            in.columns = static_cast<std::uint32_t>(std::clamp(takeInteger(), 1LL, 0xFFFFFFFFLL));
            return;
        case 71:
            in.rows = static_cast<std::uint32_t>(std::clamp(takeInteger(), 1LL, 0xFFFFFFFFLL));
            return;
        case 44:
            in.columnSpacing = takeReal();
            return;
        case 45:
            in.rowSpacing = takeReal();
            return;
        default:
            extrusionGroup(e, code);
            return;
        }
    }

    void finishEntity()
    {
        const Kind kind = m_kind;
        m_kind = Kind::None;
        m_active = false;
        if (kind == Kind::Other)
            m_handler.OnOtherEntity(m_other, section(), m_entity.paperSpace);
        else if (kind == Kind::Known && !m_failed)
            m_handler.OnEntity(m_entity, section());
        // A POLYLINE's head is finished with its last VERTEX.
        if (kind == Kind::PolylineHead)
            m_polylineSection = section();
    }

    void finishPolyline()
    {
        if (!m_polylineOpen)
            return;
        m_polylineOpen = false;
        m_inVertex = false;
        if (m_failed)
            return;
        const long long flags = m_polyline.flags;
        if (flags & (kPolygonMesh | kPolyfaceMesh)) {
            m_handler.OnOtherEntity(flags & kPolyfaceMesh ? "polyface mesh" : "polygon mesh",
                                    m_polylineSection, m_polyline.paperSpace);
            return;
        }
        if (flags & kPolyline3d)
            m_polyline.extrusion = {0.0, 0.0, 1.0}; // world points
        m_polyline.flags = flags & kPolylineClosed;
        m_handler.OnEntity(m_polyline, m_polylineSection);
    }

    enum class Kind { None, Known, PolylineHead, Other };

    const char *m_p;
    const char *m_end;
    const bool m_full;
    EntityHandler &m_handler;
    long long m_line = 0; // number of the last line read, from 1
    bool m_failed = false;
    Diagnostic m_error; // the first failure
    State m_state = State::Outside;
    bool m_endOfFile = false; // the EOF marker was read
    bool m_insUnitsNext = false;
    std::string_view m_blockName;
    double m_blockBase[2] = {0.0, 0.0};

    Kind m_kind = Kind::None;
    bool m_active = false; // the current entity takes groups
    ParsedEntity m_entity;
    std::string_view m_other; // the name of an entity passed over
    ParsedEntity m_polyline;  // an R12 POLYLINE collecting its VERTEX entities
    bool m_polylineOpen = false;
    bool m_inVertex = false;
    long long m_vertexFlags = 0;
    Section m_polylineSection = Section::Entities;
};

DxfParser::DxfParser(std::string_view text, const ParseOptions &options, EntityHandler &handler)
    : m_impl(new Impl(text, options, handler))
{}

DxfParser::~DxfParser()
{
    delete m_impl;
}

Status DxfParser::Run()
{
    return m_impl->run();
}

void DxfParser::Fail(int id, long long line, std::string detail)
{
    m_impl->fail(id, line, std::move(detail));
}

Result<std::string_view> DxfBody(std::string_view text)
{
    if (text.substr(0, kBinarySentinel.size()) == kBinarySentinel)
        return Diagnostic{.id = sid::DxfBinary};
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    return text;
}

Result<FileBytes> ReadDxfBytes(const std::string &path)
{
    Result<InputFile> file = InputFile::Open(path, kMaxDrawingBytes);
    if (!file)
        return std::move(file.error());
    // The size is a hint only: the file may change while it is read, and
    // standard input has none.
    std::size_t capacity = static_cast<std::size_t>(file->sizeHint());
    FileBytes bytes;
    try {
        capacity += 1; // one byte more shows the end of the file without a second call
        bytes.data = std::make_unique_for_overwrite<char[]>(capacity);
        for (;;) {
            const Result<std::size_t> n
                = file->Read(bytes.data.get() + bytes.size, capacity - bytes.size);
            if (!n)
                return n.error();
            if (*n == 0)
                break;
            bytes.size += *n;
            if (bytes.size < capacity)
                continue;
            const std::size_t larger = std::min<std::size_t>(capacity * 2, kMaxDrawingBytes + 1);
            auto bigger = std::make_unique_for_overwrite<char[]>(larger);
            std::memcpy(bigger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(bigger);
            capacity = larger;
        }
    } catch (const std::bad_alloc &) {
        return file->Failure(ENOMEM);
    }
    return bytes;
}

} // namespace pos::dxf
