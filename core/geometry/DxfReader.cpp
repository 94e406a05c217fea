#include "geometry/DxfReader.h"

#include "geometry/DxfParser.h"
#include "geometry/Ocs.h"
#include "geometry/Rounding.h"

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

// The rounding reader: LINE, ARC and LWPOLYLINE of the ENTITIES section as
// the parser hands them over, brought into world coordinates and rounded to
// whole units, in file order.

namespace pos {

namespace {

using dxf::Coord;
using dxf::Ocs;
using dxf::ParsedEntity;
using dxf::ParsedVertex;
using dxf::Quote;
using dxf::SinCosDegrees;

std::string NumberText(double v)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

class Rounder final : public dxf::EntityHandler
{
public:
    Rounder(SegmentMap &segments, std::size_t keep)
        : m_segments(segments)
        , m_keep(keep)
    {}

    void setParser(dxf::DxfParser &parser) { m_parser = &parser; }
    std::size_t read() const { return m_read; }

    void OnEntity(const ParsedEntity &e, dxf::Section) override
    {
        m_entityLine = e.line;
        switch (e.type) {
        case dxf::EntityType::Line:
            finishLine(e);
            return;
        case dxf::EntityType::Arc:
            finishArc(e);
            return;
        case dxf::EntityType::LwPolyline:
            finishPolyline(e);
            return;
        default:
            return;
        }
    }

private:
    struct Point
    {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };

    void fail(int id, long long line, std::string detail = {})
    {
        m_failed = true;
        m_parser->Fail(id, line, std::move(detail));
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
        if (m_failed)
            return;
        ++m_read;
        if (m_nextKey >= m_keep)
            return;
        m_segments.emplace_hint(m_segments.end(), m_nextKey, segment);
        ++m_nextKey;
    }

    // LINE points are world coordinates whatever the entity's extrusion.
    void finishLine(const ParsedEntity &e)
    {
        PosSegment s;
        s.type = kTypeLine;
        s.beginX = world(e.a[0], e.a[0].value, true);
        s.beginY = world(e.a[1], e.a[1].value, true);
        s.endX = world(e.b[0], e.b[0].value, true);
        s.endY = world(e.b[1], e.b[1].value, true);
        store(s);
    }

    // An ARC runs counter-clockwise in its own plane from the start angle to
    // the end angle: the start taken into [0, 360), the end above it by at
    // most one turn, equal angles a full turn. Those angles differ from the
    // ones read by whole turns only, so the begin and end points are computed
    // from the angles as read, reduced exactly, in double precision; only the
    // resulting coordinates are rounded.
    void finishArc(const ParsedEntity &e)
    {
        const Ocs ocs(e.extrusion[0], e.extrusion[1], e.extrusion[2]);
        const double cx = e.a[0].value;
        const double cy = e.a[1].value;
        PosSegment s;
        s.type = ocs.mirrored() ? kTypeCw : kTypeCcw;
        double wx = 0.0;
        double wy = 0.0;
        ocs.toWorld(cx, cy, e.elevation, wx, wy);
        s.centreX = world(e.a[0], wx, ocs.identity());
        s.centreY = world(e.a[1], wy, ocs.identity());

        double sine = 0.0;
        double cosine = 0.0;
        SinCosDegrees(e.start, sine, cosine);
        ocs.toWorld(cx + cosine * e.radius, cy + sine * e.radius, e.elevation, wx, wy);
        const bool beginFits = RoundToInt32(wx, s.beginX) && RoundToInt32(wy, s.beginY);
        SinCosDegrees(e.end, sine, cosine);
        ocs.toWorld(cx + cosine * e.radius, cy + sine * e.radius, e.elevation, wx, wy);
        const bool endFits = RoundToInt32(wx, s.endX) && RoundToInt32(wy, s.endY);
        if (!beginFits || !endFits) {
            fail(sid::DxfBadArc, m_entityLine);
            return;
        }
        // An arc so small that its ends round to one point would run as a
        // full circle; it moves no further than a straight line of no length.
        const double sweep = std::fmod(e.end - e.start, 360.0);
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
    void finishPolyline(const ParsedEntity &e)
    {
        const std::size_t n = e.vertices.size();
        if (n < 2)
            return;
        const Ocs ocs(e.extrusion[0], e.extrusion[1], e.extrusion[2]);
        m_points.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const ParsedVertex &v = e.vertices[i];
            double wx = 0.0;
            double wy = 0.0;
            ocs.toWorld(v.x.value, v.y.value, e.elevation, wx, wy);
            m_points[i] = {world(v.x, wx, ocs.identity()), world(v.y, wy, ocs.identity())};
        }
        const bool closed = (e.flags & 1) != 0;
        const std::size_t edges = closed ? n : n - 1;
        for (std::size_t i = 0; i < edges; ++i) {
            const std::size_t j = i + 1 < n ? i + 1 : 0;
            const ParsedVertex &a = e.vertices[i];
            const ParsedVertex &b = e.vertices[j];
            PosSegment s;
            s.type = kTypeLine;
            s.beginX = m_points[i].x;
            s.beginY = m_points[i].y;
            s.endX = m_points[j].x;
            s.endY = m_points[j].y;
            const double dx = b.x.value - a.x.value;
            const double dy = b.y.value - a.y.value;
            if (a.bulge != 0.0 && (dx != 0.0 || dy != 0.0))
                bulgedEdge(s, e, a, b, ocs);
            store(s);
        }
    }

    // The bulge is tan(included angle / 4), positive counter-clockwise in the
    // entity's plane. The centre lies on the chord's perpendicular bisector,
    // (1 / bulge - bulge) / 4 chord lengths from the chord's midpoint, to the
    // left of the chord for a positive value.
    void bulgedEdge(PosSegment &s, const ParsedEntity &e, const ParsedVertex &a,
                    const ParsedVertex &b, const Ocs &ocs)
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
        ocs.toWorld(cx, cy, e.elevation, wx, wy);
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

    SegmentMap &m_segments;
    const std::size_t m_keep;
    dxf::DxfParser *m_parser = nullptr;
    std::uint32_t m_nextKey = 0;
    long long m_entityLine = 0;
    bool m_failed = false;
    std::size_t m_read = 0;      // segments, kept or not
    std::vector<Point> m_points; // LWPOLYLINE vertices, rounded
};

} // namespace

Result<PosConfig> CDxfReader::ReadDxfText(std::string_view text)
{
    const Result<std::string_view> body = dxf::DxfBody(text);
    if (!body)
        return body.error();
    PosConfig config;
    Rounder rounder(config.segments, m_keep);
    dxf::DxfParser parser(*body, dxf::ParseOptions{}, rounder);
    rounder.setParser(parser);
    const Status status = parser.Run();
    m_read = rounder.read();
    if (!status)
        return status.error();
    return config;
}

Result<PosConfig> CDxfReader::ReadDxfFile(const std::string &path)
{
    const Result<dxf::FileBytes> bytes = dxf::ReadDxfBytes(path);
    if (!bytes)
        return bytes.error();
    Result<PosConfig> result = ReadDxfText(bytes->view());
    if (!result)
        result.error().file = path;
    return result;
}

} // namespace pos
