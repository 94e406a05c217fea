#include "geometry/DxfReader.h"

#include <algorithm>
#include <array>
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
// entity after it.

namespace pos {

namespace {

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr std::size_t kMaxQuoted = 40;                   // bytes of a bad line quoted in a message
constexpr std::size_t kMaxGrowth = std::size_t{1} << 30; // buffer limit for a file of unknown size

// How a failed read reports itself inside the reader; ReadDxfText turns it
// into a DxfError and a null result.
struct ReadFailure
{
    int reasonId;
    long long line;
    std::string detail;
};

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

bool IsDigitOrPoint(char c)
{
    return c == '.' || (c >= '0' && c <= '9');
}

bool IsDigit(char c)
{
    return static_cast<unsigned>(c - '0') < 10u;
}

// The value of eight digits, 0 to 9 each, the first in the lowest byte.
std::uint64_t EightDigits(std::uint64_t x)
{
    x = (x * 10) + (x >> 8); // pairs
    x = (((x & 0x000000FF000000FFu) * 0x000F424000000064u)
         + (((x >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u))
        >> 32;
    return x;
}

// Appends the run of decimal digits at p to mantissa (which wraps when the run
// is too long; the caller counts the digits) and returns the end of the run.
// Where the machine is little-endian and eight bytes are left, they are
// taken at once: the run's length within them is found without a branch
// per digit, which keeps numbers of varying length from stalling the
// processor on mispredicted loop ends.
const char *TakeDigits(const char *p, const char *last, std::uint64_t &mantissa)
{
    if constexpr (std::endian::native == std::endian::little) {
        while (last - p >= 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, p, 8);
            const std::uint64_t x = chunk ^ 0x3030303030303030u; // digits become 0 to 9
            // A byte's high bit marks a non-digit; carries only reach bytes
            // after the first non-digit.
            const std::uint64_t other = ((x + 0x7676767676767676u) | x) & 0x8080808080808080u;
            const int n = other ? std::countr_zero(other) >> 3 : 8;
            if (n == 0)
                return p;
            // Move the n digits to the top; the zero bytes below them are
            // leading zeros.
            static constexpr std::uint64_t kScale[]
                = {1u, 10u, 100u, 1000u, 10000u, 100000u, 1000000u, 10000000u, 100000000u};
            mantissa = mantissa * kScale[n] + EightDigits(x << (8 * (8 - n)));
            p += n;
            if (n < 8)
                return p;
        }
    }
    for (; p != last && IsDigit(*p); ++p)
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    return p;
}

// The common case of a decimal number, at most 19 significant digits whose
// value is below 2^53 and a power of ten within 10^+-22: both are exact
// doubles, so one multiplication or division gives the correctly rounded
// value, the same that from_chars gives. Returns the end of the number, or
// null when the text at p does not start with such a number.
const char *ScanSimpleReal(const char *p, const char *last, double &value)
{
    static constexpr double kPow10[]
        = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = p != last && *p == '-';
    p += negative ? 1 : 0;
    const char *start = p;
    while (p != last && *p == '0')
        ++p;
    std::uint64_t mantissa = 0; // may wrap; then too many digits reject it below
    const char *digits = p;
    p = TakeDigits(p, last, mantissa);
    std::ptrdiff_t significant = p - digits;
    std::ptrdiff_t fraction = 0;
    bool anyDigit = p != start;
    if (p != last && *p == '.') {
        ++p;
        const char *fractionStart = p;
        if (mantissa == 0)
            while (p != last && *p == '0')
                ++p;
        digits = p;
        p = TakeDigits(p, last, mantissa);
        significant += p - digits;
        fraction = p - fractionStart;
        anyDigit = anyDigit || p != fractionStart;
    }
    if (!anyDigit || significant > 19 || fraction > 22)
        return nullptr;
    int exponent = -static_cast<int>(fraction);
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+'))
            ++p;
        const char *first = p;
        int e = 0;
        for (; p != last && IsDigit(*p) && e < 10000; ++p)
            e = e * 10 + (*p - '0');
        if (p == first)
            return nullptr;
        exponent += negativeExponent ? -e : e;
    }
    if (mantissa > (std::uint64_t{1} << 53) || exponent < -22 || exponent > 22)
        return nullptr;
    const auto m = static_cast<double>(mantissa);
    value = exponent < 0 ? m / kPow10[-exponent] : m * kPow10[exponent];
    if (negative)
        value = -value;
    return p;
}

// Whether a number that from_chars finds out of range is too large rather
// than too close to zero: its first significant digit stands at decimal
// position order (1 for the units), so it is about 10^(order + exponent).
bool TooLarge(const char *p, const char *last)
{
    if (p != last && *p == '-')
        ++p;
    long long order = 0;
    bool significant = false;
    for (; p != last && IsDigit(*p); ++p) {
        significant = significant || *p != '0';
        order += significant ? 1 : 0;
    }
    if (p != last && *p == '.')
        ++p;
    for (; p != last && IsDigit(*p); ++p) {
        if (!significant && *p == '0')
            --order;
        significant = significant || *p != '0';
    }
    long long exponent = 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negative = p != last && *p == '-';
        if (p != last && (*p == '-' || *p == '+'))
            ++p;
        for (; p != last && IsDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
        if (negative)
            exponent = -exponent;
    }
    return order + exponent > 0;
}

// A real number as DXF writes it: the whole trimmed text must be a decimal
// number with an optional sign. Texts such as "nan", "inf", "1,5" or "" are
// not numbers; a number beyond the range of double is out of range.
void ParseReal(std::string_view text, long long line, double &value)
{
    const char *first = text.data();
    const char *last = first + text.size();
    if (last - first > 1 && *first == '+' && IsDigitOrPoint(first[1]))
        ++first;
    if (ScanSimpleReal(first, last, value) == last)
        return;
    // from_chars also takes "inf" and "nan", which no DXF writer means.
    const char *body = (first != last && *first == '-') ? first + 1 : first;
    if (body != last && IsDigitOrPoint(*body)) {
        const auto [ptr, ec] = std::from_chars(first, last, value);
        if (ptr == last && ec == std::errc())
            return;
        if (ptr == last && ec == std::errc::result_out_of_range) {
            // Underflow is harmless (the value is about 0); overflow is not.
            if (TooLarge(first, last))
                throw ReadFailure{sid::DxfOutOfRange, line, Quote(text)};
            value = 0.0;
            return;
        }
    }
    throw ReadFailure{sid::DxfNotNumber, line, Quote(text)};
}

long long ParseInteger(std::string_view text, long long line)
{
    const char *first = text.data();
    const char *last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (first == last || ptr != last || ec != std::errc())
        throw ReadFailure{sid::DxfNotNumber, line, Quote(text)};
    return value;
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

// floor(v + 0.5) when it fits a signed 32-bit integer.
bool RoundToInt32(double v, std::int32_t &out)
{
    const double r = std::floor(v + 0.5);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) // also false for NaN
        return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

std::string NumberText(double v)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

// The object coordinate system of an entity with extrusion direction N, by
// the arbitrary-axis rule: Ax = Wy x N when N is within 1/64 of the world Z
// axis in X and Y, else Wz x N; Ay = N x Ax; both scaled to unit length. A
// point (x, y, z) of the entity's plane lies at x Ax + y Ay + z N in world
// coordinates; only its X and Y are used (the drawing seen from +Z).
class Ocs
{
public:
    void set(double nx, double ny, double nz)
    {
        const double scale = std::max({std::fabs(nx), std::fabs(ny), std::fabs(nz)});
        if (!(scale > 0.0)) {
            *this = Ocs(); // a zero direction is taken as the default +Z
            return;
        }
        nx /= scale;
        ny /= scale;
        nz /= scale;
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        nx /= length;
        ny /= length;
        nz /= length;
        if (nx == 0.0 && ny == 0.0 && nz > 0.0) {
            *this = Ocs();
            return;
        }
        m_identity = false;
        m_n = {nx, ny, nz};
        if (std::fabs(nx) < 1.0 / 64.0 && std::fabs(ny) < 1.0 / 64.0)
            m_ax = {nz, 0.0, -nx}; // Wy x N
        else
            m_ax = {-ny, nx, 0.0}; // Wz x N
        Normalise(m_ax);
        m_ay = {ny * m_ax[2] - nz * m_ax[1], nz * m_ax[0] - nx * m_ax[2],
                nx * m_ax[1] - ny * m_ax[0]}; // N x Ax
        Normalise(m_ay);
    }

    bool identity() const { return m_identity; }
    // Seen from +Z a plane whose normal points away from the viewer turns
    // its arcs the other way round.
    bool mirrored() const { return !m_identity && m_n[2] < 0.0; }

    void toWorld(double x, double y, double z, double &wx, double &wy) const
    {
        if (m_identity) {
            wx = x;
            wy = y;
            return;
        }
        wx = x * m_ax[0] + y * m_ay[0] + z * m_n[0];
        wy = x * m_ax[1] + y * m_ay[1] + z * m_n[1];
    }

private:
    using Vec = std::array<double, 3>;
    static void Normalise(Vec &v)
    {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (double &c : v)
            c /= length;
    }

    bool m_identity = true;
    Vec m_n{0.0, 0.0, 1.0};
    Vec m_ax{1.0, 0.0, 0.0};
    Vec m_ay{0.0, 1.0, 0.0};
};

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

    std::unique_ptr<PosConfig> run()
    {
        auto config = std::make_unique<PosConfig>();
        m_segments = &config->segments;
        int code = 0;
        while (readCode(code)) {
            const long long codeLine = m_line;
            if (m_p == m_end)
                throw ReadFailure{sid::DxfValueMissing, codeLine, {}};
            if (!group(code))
                break;
            if (m_line == codeLine)
                skipValue(); // a value nobody needs
        }
        finishEntity();
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
        if (Trim(line).empty() && restIsBlank())
            return false;
        throw ReadFailure{sid::DxfCodeExpected, m_line, Quote(Trim(line))};
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
        ParseReal(text, m_line, value);
        return value;
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
            m_closed = (ParseInteger(flags, m_line) & 1) != 0;
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
    std::int32_t world(const Coord &c, double worldValue, bool asWritten) const
    {
        std::int32_t out = 0;
        if (!RoundToInt32(worldValue, out)) {
            const long long line = c.line ? c.line : m_entityLine;
            throw ReadFailure{sid::DxfOutOfRange, line,
                              asWritten ? Quote(c.text) : NumberText(worldValue)};
        }
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
        Ocs ocs;
        ocs.set(m_extrusion[0], m_extrusion[1], m_extrusion[2]);
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
        if (!beginFits || !endFits)
            throw ReadFailure{sid::DxfBadArc, m_entityLine, {}};
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
        Ocs ocs;
        ocs.set(m_extrusion[0], m_extrusion[1], m_extrusion[2]);
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
    void bulgedEdge(PosSegment &s, const Vertex &a, const Vertex &b, const Ocs &ocs) const
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
            throw ReadFailure{sid::DxfBadArc, a.bulgeLine ? a.bulgeLine : m_entityLine, {}};
        }
        const bool ccw = a.bulge > 0.0;
        s.type = ccw != ocs.mirrored() ? kTypeCcw : kTypeCw;
    }

    const char *m_p;
    const char *m_end;
    long long m_line = 0; // number of the last line read, from 1
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

void SetError(DxfError *error, int reasonId, long long line, std::string detail)
{
    if (!error)
        return;
    error->reasonId = reasonId;
    error->line = line;
    error->detail = std::move(detail);
}

} // namespace

std::string DxfError::message(Lang lang) const
{
    const std::string_view format = Text(reasonId, lang);
    switch (reasonId) {
    case sid::DxfBinary:
        return std::string(format);
    case sid::FileCannotOpen:
        return Format(format, {detail});
    case sid::DxfValueMissing:
    case sid::DxfBadArc:
        return Format(format, {std::int64_t{line}});
    default:
        return Format(format, {std::int64_t{line}, detail});
    }
}

std::unique_ptr<PosConfig> CDxfReader::ReadDxfText(std::string_view text, DxfError *error)
{
    if (text.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        SetError(error, sid::DxfBinary, 0, {});
        return nullptr;
    }
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    try {
        Parser parser(text);
        auto config = parser.run();
        SetError(error, 0, 0, {});
        return config;
    } catch (const ReadFailure &failure) {
        SetError(error, failure.reasonId, failure.line, failure.detail);
        return nullptr;
    }
}

std::unique_ptr<PosConfig> CDxfReader::ReadDxfFile(const std::string &path, DxfError *error)
{
    // The whole file is read in one go, then parsed in memory.
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        SetError(error, sid::FileCannotOpen, 0, std::generic_category().message(errno));
        return nullptr;
    }
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
    if (readError) {
        SetError(error, sid::FileCannotOpen, 0, std::generic_category().message(readError));
        return nullptr;
    }
    return ReadDxfText(std::string_view(data.get(), size), error);
}

} // namespace pos
