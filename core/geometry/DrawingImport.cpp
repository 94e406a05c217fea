#include "geometry/DrawingImport.h"

#include "geometry/ArcCheck.h"
#include "geometry/CurveFit.h"
#include "geometry/DxfParser.h"
#include "geometry/Ocs.h"
#include "geometry/Rounding.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <set>
#include <string_view>
#include <unordered_map>

namespace pos {

namespace {

using geo::Curve;
using geo::Curves;
using geo::Vec;

constexpr double kPi = std::numbers::pi;
constexpr double kTurn = 2.0 * kPi;

// Block references nested deeper than this are refused with a message (as
// are expansions beyond ArrangeOptions::maxCurves).
constexpr int kMaxBlockDepth = 16;
// Pulses a coordinate may reach before rounding (a little beyond 32 bits, so
// that the rounding stage names the value that does not fit).
constexpr double kMaxCoordinate = 4294967296.0;

struct Unit
{
    int code;
    const char *name;
    double mm;
};

// The DXF unit table ($INSUNITS).
constexpr Unit kUnits[] = {
    {1, "in", 25.4},
    {2, "ft", 304.8},
    {3, "mi", 1609344.0},
    {4, "mm", 1.0},
    {5, "cm", 10.0},
    {6, "m", 1000.0},
    {7, "km", 1e6},
    {8, "uin", 25.4e-6},
    {9, "mil", 0.0254},
    {10, "yd", 914.4},
    {11, "angstrom", 1e-7},
    {12, "nm", 1e-6},
    {13, "um", 1e-3},
    {14, "dm", 100.0},
    {15, "dam", 1e4},
    {16, "hm", 1e5},
    {17, "Gm", 1e12},
    {18, "au", 1.495978707e14},
    {19, "ly", 9.4607304725808e18},
    {20, "pc", 3.0856775814913673e19},
    {21, "us-ft", 1200.0 / 3937.0 * 1000.0},
    {22, "us-in", 100.0 / 3937.0 * 1000.0},
    {23, "us-yd", 3600.0 / 3937.0 * 1000.0},
    {24, "us-mi", 6336000.0 / 3937.0 * 1000.0},
};

// A 2-D affine map: (x, y) -> (a x + c y + e, b x + d y + f).
struct Affine
{
    double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

    Vec map(Vec p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    Vec linear(Vec v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }
    // This map after r.
    Affine operator*(const Affine &r) const
    {
        return {a * r.a + c * r.b, b * r.a + d * r.b,     a * r.c + c * r.d,
                b * r.c + d * r.d, a * r.e + c * r.f + e, b * r.e + d * r.f + f};
    }
    double det() const { return a * d - b * c; }
    // Keeps circles circles: its columns are perpendicular and equally long.
    bool conformal() const
    {
        const double l1 = std::hypot(a, b);
        const double l2 = std::hypot(c, d);
        const double big = std::max(l1, l2);
        return big > 0.0 && std::fabs(a * c + b * d) <= 1e-9 * big * big
               && std::fabs(l1 - l2) <= 1e-9 * big;
    }

    static Affine Translate(double x, double y) { return {1.0, 0.0, 0.0, 1.0, x, y}; }
    static Affine Scale(double sx, double sy) { return {sx, 0.0, 0.0, sy, 0.0, 0.0}; }
    static Affine RotateDegrees(double degrees)
    {
        double s = 0.0;
        double c = 0.0;
        dxf::SinCosDegrees(degrees, s, c);
        return {c, s, -s, c, 0.0, 0.0};
    }
    // From an entity's own plane (with its elevation) to world X and Y.
    static Affine FromOcs(const std::array<double, 3> &n, double elevation)
    {
        const dxf::Ocs ocs(n[0], n[1], n[2]);
        Vec o, x, y;
        ocs.toWorld(0.0, 0.0, elevation, o.x, o.y);
        ocs.toWorld(1.0, 0.0, elevation, x.x, x.y);
        ocs.toWorld(0.0, 1.0, elevation, y.x, y.y);
        return {x.x - o.x, x.y - o.y, y.x - o.x, y.y - o.y, o.x, o.y};
    }
};

std::string Decimal(double v)
{
    char buffer[32];
    const auto [ptr, ec]
        = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("?");
}

// A stretch of curves that the drawing itself joins (a polyline's edges, the
// pieces of an approximated ellipse): chaining only looks at its two ends.
struct Run
{
    std::size_t first = 0;
    std::size_t count = 0;
};

// ------------------------------------------------------------------ expand

class Expander
{
public:
    Expander(const dxf::Drawing &drawing, double tolerance, std::size_t maxCurves,
             ImportReport &report)
        : m_drawing(drawing)
        , m_tol(tolerance)
        , m_maxCurves(maxCurves)
        , m_report(report)
    {}

    Status expand(const Affine &toPulses, const std::vector<std::string> &layers)
    {
        std::vector<bool> wanted(m_drawing.layers.size(), layers.empty());
        for (std::size_t i = 0; i < m_drawing.layers.size(); ++i)
            if (std::find(layers.begin(), layers.end(), m_drawing.layers[i]) != layers.end())
                wanted[i] = true;
        for (const dxf::Entity &e : m_drawing.entities) {
            if (!wanted[e.layer]) {
                ++m_report.skipped["other layers"];
                continue;
            }
            if (Status s = entity(e, toPulses, 0); !s)
                return s;
        }
        return {};
    }

    Curves curves;
    std::vector<Run> runs;
    std::optional<double> tooLarge; // the first coordinate that does not fit

private:
    Status entity(const dxf::Entity &e, const Affine &t, int depth)
    {
        if (++m_visits > 4 * m_maxCurves || curves.size() > m_maxCurves)
            return Diagnostic{.id = sid::ImportTooLarge,
                              .args = {static_cast<std::int64_t>(m_maxCurves)},
                              .line = e.line};
        const std::size_t before = curves.size();
        switch (e.type) {
        case dxf::EntityType::Line:
            count("LINE");
            beginRun();
            line(t.map({e.a[0], e.a[1]}), t.map({e.b[0], e.b[1]}));
            endRun();
            break;
        case dxf::EntityType::Arc:
        case dxf::EntityType::Circle: {
            const bool circle = e.type == dxf::EntityType::Circle;
            count(circle ? "CIRCLE" : "ARC");
            double sweep = circle ? 360.0 : std::fmod(e.end - e.start, 360.0);
            if (!(sweep > 0.0))
                sweep += 360.0;
            beginRun();
            arc(t * Affine::FromOcs(e.extrusion, e.elevation), {e.a[0], e.a[1]}, e.radius,
                circle ? 0.0 : e.start, sweep);
            endRun();
            break;
        }
        case dxf::EntityType::LwPolyline:
        case dxf::EntityType::Polyline:
            count(e.type == dxf::EntityType::Polyline ? "POLYLINE" : "LWPOLYLINE");
            polyline(e, t * Affine::FromOcs(e.extrusion, e.elevation));
            break;
        case dxf::EntityType::Ellipse:
            count("ELLIPSE");
            ellipse(e, t);
            break;
        case dxf::EntityType::Spline:
            count("SPLINE");
            spline(m_drawing.splines[e.first], t);
            break;
        case dxf::EntityType::Insert:
            if (depth == 0)
                count("INSERT");
            if (Status s = insert(e, t, depth); !s)
                return s;
            break;
        }
        if (depth > 0 && e.type != dxf::EntityType::Insert)
            m_report.expanded += curves.size() - before;
        return {};
    }

    // Entities read, those inside block references included.
    void count(const char *type) { ++m_report.read[type]; }

    void beginRun() { m_runStart = curves.size(); }
    void endRun()
    {
        if (curves.size() > m_runStart)
            runs.push_back({m_runStart, curves.size() - m_runStart});
    }

    void line(Vec a, Vec b) { push(Curve::Line(a, b)); }

    void add(const Curves &pieces)
    {
        for (const Curve &c : pieces)
            push(c);
        ++m_report.approximated;
    }

    // Coordinates beyond what a segment can hold are refused after the
    // expansion, with the first such value.
    void push(const Curve &c)
    {
        const auto fits = [](Vec v) {
            return std::fabs(v.x) <= kMaxCoordinate && std::fabs(v.y) <= kMaxCoordinate;
        };
        const auto finite = [](Vec v) { return std::isfinite(v.x) && std::isfinite(v.y); };
        if (!finite(c.begin) || !finite(c.end) || (c.arc && !finite(c.centre)))
            return; // what degenerate data leaves: no motion
        if (fits(c.begin) && fits(c.end) && (!c.arc || fits(c.centre))) {
            curves.push_back(c);
            return;
        }
        if (!tooLarge) {
            const Vec v = !fits(c.begin) ? c.begin : !fits(c.end) ? c.end : c.centre;
            tooLarge = std::fabs(v.x) > std::fabs(v.y) ? v.x : v.y;
        }
    }

    // A circular arc in an entity's plane: centre, radius, start angle and
    // counter-clockwise sweep in degrees (360 for a full turn), mapped by t.
    void arc(const Affine &t, Vec centre, double radius, double startDegrees, double sweepDegrees)
    {
        if (!(radius > 0.0) || !std::isfinite(radius))
            return;
        double s = 0.0;
        double c = 0.0;
        dxf::SinCosDegrees(startDegrees, s, c);
        const Vec begin = centre + radius * Vec{c, s};
        const bool full = sweepDegrees >= 360.0;
        dxf::SinCosDegrees(startDegrees + sweepDegrees, s, c);
        const Vec end = full ? begin : centre + radius * Vec{c, s};
        arcThrough(t, centre, radius, begin, end, startDegrees * kPi / 180.0,
                   sweepDegrees * kPi / 180.0);
    }

    // The arc from begin to end about centre turning by sweep radians
    // (negative: clockwise) from the angle start, in the entity's plane.
    void arcThrough(const Affine &t, Vec centre, double radius, Vec begin, Vec end, double start,
                    double sweep)
    {
        const bool full = std::fabs(sweep) >= kTurn;
        if (t.conformal()) {
            const Vec b = t.map(begin);
            const Vec e = full ? b : t.map(end);
            push(Curve::Arc(b, e, t.map(centre), (sweep > 0.0) == (t.det() > 0.0)));
            return;
        }
        // Scaled unevenly (or flattened), the circle is an ellipse.
        const Vec u = t.linear({radius, 0.0});
        Vec v = t.linear({0.0, radius});
        double t0 = start;
        if (sweep < 0.0) { // clockwise: the same points with the parameter run backwards
            v = -1.0 * v;
            t0 = -start;
        }
        Curves pieces
            = geo::ApproximateEllipse(t.map(centre), u, v, t0, t0 + std::fabs(sweep), m_tol);
        if (!pieces.empty()) {
            pieces.front().begin = t.map(begin);
            pieces.back().end = full ? pieces.front().begin : t.map(end);
        }
        add(pieces);
    }

    void polyline(const dxf::Entity &e, const Affine &t)
    {
        const dxf::Vertex *v = m_drawing.vertices.data() + e.first;
        const std::size_t n = e.count;
        const std::size_t edges = e.closed ? n : n - 1;
        beginRun();
        for (std::size_t i = 0; i < edges; ++i) {
            const dxf::Vertex &a = v[i];
            const dxf::Vertex &b = v[i + 1 < n ? i + 1 : 0];
            const Vec pa{a.x, a.y};
            const Vec pb{b.x, b.y};
            if (pa == pb)
                continue;
            if (a.bulge == 0.0 || !std::isfinite(a.bulge)) {
                line(t.map(pa), t.map(pb));
                continue;
            }
            // The bulge is tan(included angle / 4), positive counter-clockwise.
            const Vec d = pb - pa;
            const double f = (1.0 / a.bulge - a.bulge) / 4.0;
            const Vec centre{pa.x + d.x / 2.0 - d.y * f, pa.y + d.y / 2.0 + d.x * f};
            const double radius = geo::Distance(centre, pa);
            const double start = std::atan2(pa.y - centre.y, pa.x - centre.x);
            const double sweep = 4.0 * std::atan(a.bulge);
            if (!std::isfinite(radius) || radius > 1e6 * geo::Length(d)) {
                line(t.map(pa), t.map(pb)); // a bulge so slight that it is its chord
                continue;
            }
            arcThrough(t, centre, radius, pa, pb, start, sweep);
        }
        endRun();
    }

    // An ELLIPSE lies in world coordinates: centre, major axis end (relative,
    // with z) and the minor axis ratio; the minor axis is N x major.
    void ellipse(const dxf::Entity &e, const Affine &t)
    {
        const dxf::Ocs ocs(e.extrusion[0], e.extrusion[1], e.extrusion[2]);
        std::array<double, 3> n = e.extrusion;
        const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (!(len > 0.0))
            n = {0.0, 0.0, 1.0};
        else
            for (double &c : n)
                c /= len;
        const double mx = e.b[0], my = e.b[1], mz = e.elevation;
        const Vec minor{e.radius * (n[1] * mz - n[2] * my), e.radius * (n[2] * mx - n[0] * mz)};
        double t0 = e.start;
        double t1 = e.end;
        if (!std::isfinite(t0) || !std::isfinite(t1))
            return;
        while (t1 <= t0)
            t1 += kTurn;
        if (t1 - t0 > kTurn)
            t1 = t0 + kTurn;
        beginRun();
        add(geo::ApproximateEllipse(t.map({e.a[0], e.a[1]}), t.linear({mx, my}), t.linear(minor),
                                    t0, t1, m_tol));
        endRun();
    }

    void spline(const dxf::Spline &s, const Affine &t)
    {
        beginRun();
        Curves pieces;
        if (!s.control.empty()) {
            std::vector<Vec> control;
            control.reserve(s.control.size());
            for (const auto &p : s.control)
                control.push_back(t.map({p[0], p[1]}));
            pieces = geo::ApproximateNurbs(s.degree, s.knots, s.weights, control, m_tol);
        } else {
            std::vector<Vec> fit;
            for (const auto &p : s.fit)
                fit.push_back(t.map({p[0], p[1]}));
            pieces = geo::ApproximateThroughPoints(fit, m_tol);
        }
        if (pieces.empty())
            ++m_report.skipped["SPLINE without a curve"];
        else
            add(pieces);
        endRun();
    }

    // A block reference: the block's entities moved from its base point,
    // scaled, rotated and moved to the insertion point in the reference's
    // plane; MINSERT repeats it in rows and columns.
    Status insert(const dxf::Entity &e, const Affine &t, int depth)
    {
        const dxf::Insert &in = m_drawing.inserts[e.first];
        const dxf::Block &block = m_drawing.blocks[in.block];
        if (depth >= kMaxBlockDepth)
            return Diagnostic{.id = sid::ImportNesting,
                              .args = {std::int64_t{kMaxBlockDepth}, block.name},
                              .line = e.line};
        const Affine plane = t * Affine::FromOcs(e.extrusion, e.elevation);
        const Affine rotate = Affine::RotateDegrees(in.rotation);
        const Affine local = rotate * Affine::Scale(in.scale[0], in.scale[1])
                             * Affine::Translate(-block.base[0], -block.base[1]);
        for (std::uint32_t row = 0; row < in.rows; ++row) {
            for (std::uint32_t col = 0; col < in.columns; ++col) {
                const Vec offset = rotate.map({col * in.columnSpacing, row * in.rowSpacing});
                const Affine place
                    = plane * Affine::Translate(e.a[0] + offset.x, e.a[1] + offset.y) * local;
                for (const dxf::Entity &inner : block.entities)
                    if (Status s = entity(inner, place, depth + 1); !s)
                        return s;
                if (++m_visits > 4 * m_maxCurves)
                    return Diagnostic{.id = sid::ImportTooLarge,
                                      .args = {static_cast<std::int64_t>(m_maxCurves)},
                                      .line = e.line};
            }
        }
        return {};
    }

    const dxf::Drawing &m_drawing;
    const double m_tol;
    const std::size_t m_maxCurves;
    ImportReport &m_report;
    std::size_t m_runStart = 0;
    std::size_t m_visits = 0;
};

// ------------------------------------------------------------------- chain

// Contours as one list of runs: contour k holds items [start[k], start[k+1]),
// each a run index shifted left by one, with the low bit set when the run is
// taken backwards.
struct Contours
{
    std::vector<std::uint32_t> items;
    std::vector<std::uint32_t> start{0};
    std::vector<bool> closed;

    std::size_t size() const { return closed.size(); }
};

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Cells of the plane by their key, to the first node in the cell: open
// addressing in two flat arrays.
class CellTable
{
public:
    explicit CellTable(std::size_t expected)
    {
        std::size_t capacity = 16;
        while (capacity < expected + expected / 2)
            capacity *= 2;
        m_keys.assign(capacity, 0);
        m_heads.assign(capacity, kNone);
        m_mask = capacity - 1;
    }

    std::uint32_t find(std::uint64_t key) const
    {
        for (std::size_t i = hash(key);; i = (i + 1) & m_mask) {
            if (m_heads[i] == kNone)
                return kNone;
            if (m_keys[i] == key)
                return m_heads[i];
        }
    }

    // The head of the cell's list, which the caller may change.
    std::uint32_t &head(std::uint64_t key)
    {
        for (std::size_t i = hash(key);; i = (i + 1) & m_mask) {
            if (m_heads[i] == kNone) {
                m_keys[i] = key;
                return m_heads[i];
            }
            if (m_keys[i] == key)
                return m_heads[i];
        }
    }

private:
    std::size_t hash(std::uint64_t key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 20) & m_mask;
    }

    std::vector<std::uint64_t> m_keys;
    std::vector<std::uint32_t> m_heads;
    std::size_t m_mask = 0;
};

// Joins runs whose ends meet within the tolerance into contours. From each
// run not yet taken, in drawing order, the contour is followed forward from
// its end and then backward from its begin; at a point where several runs
// meet, the first in drawing order is taken, so the result depends on the
// drawing alone.
class Chainer
{
public:
    Chainer(const Curves &curves, const std::vector<Run> &runs, double tol)
        : m_curves(curves)
        , m_runs(runs)
        , m_tol(tol)
        , m_cell(std::max(tol, 4.0))
        , m_cells(2 * runs.size())
    {}

    Contours chain()
    {
        const std::size_t n = m_runs.size();
        m_node.resize(2 * n);
        for (std::size_t i = 0; i < n; ++i) {
            const Run &r = m_runs[i];
            m_node[2 * i] = nodeAt(m_curves[r.first].begin);
            m_node[2 * i + 1] = nodeAt(m_curves[r.first + r.count - 1].end);
        }
        // The ends at each node, in drawing order.
        m_start.assign(m_nodes.size() + 1, 0);
        for (const std::uint32_t node : m_node)
            ++m_start[node + 1];
        for (std::size_t k = 1; k < m_start.size(); ++k)
            m_start[k] += m_start[k - 1];
        m_ends.resize(2 * n);
        std::vector<std::uint32_t> fill(m_start.begin(), m_start.end() - 1);
        for (std::size_t k = 0; k < 2 * n; ++k)
            m_ends[fill[m_node[k]]++] = static_cast<std::uint32_t>(k);
        m_cursor.assign(m_start.begin(), m_start.end() - 1);
        m_used.assign(n, false);

        Contours out;
        std::vector<std::uint32_t> back;
        for (std::size_t i = 0; i < n; ++i) {
            if (m_used[i])
                continue;
            m_used[i] = true;
            const std::size_t first = out.items.size();
            out.items.push_back(static_cast<std::uint32_t>(i << 1));
            const std::uint32_t begin = m_node[2 * i];
            if (m_node[2 * i + 1] != begin)
                follow(out.items, m_node[2 * i + 1], begin, false);
            const std::uint32_t end = endNode(out.items.back());
            back.clear();
            if (end != begin)
                follow(back, begin, end, true);
            out.items.insert(out.items.begin() + static_cast<std::ptrdiff_t>(first), back.rbegin(),
                             back.rend());
            out.closed.push_back(beginNode(out.items[first]) == endNode(out.items.back()));
            out.start.push_back(static_cast<std::uint32_t>(out.items.size()));
        }
        return out;
    }

private:
    std::uint32_t beginNode(std::uint32_t item) const { return m_node[(item & ~1u) | (item & 1u)]; }
    std::uint32_t endNode(std::uint32_t item) const { return m_node[(item & ~1u) | (~item & 1u)]; }

    // Takes unused runs from node `at` on until none is left or the other end
    // of the contour (`stop`) is reached. Forward, a run must begin at the
    // node (it is reversed when it ends there); backward, it must end there.
    void follow(std::vector<std::uint32_t> &out, std::uint32_t at, std::uint32_t stop,
                bool backward)
    {
        for (;;) {
            std::uint32_t end = kNone;
            for (std::uint32_t &k = m_cursor[at]; k < m_start[at + 1]; ++k) {
                if (!m_used[m_ends[k] >> 1]) {
                    end = m_ends[k];
                    break;
                }
            }
            if (end == kNone)
                return;
            const std::uint32_t run = end >> 1;
            const bool atRunEnd = (end & 1u) != 0;
            m_used[run] = true;
            const std::uint32_t item = (run << 1) | ((backward ? !atRunEnd : atRunEnd) ? 1u : 0u);
            out.push_back(item);
            at = backward ? beginNode(item) : endNode(item);
            if (at == stop)
                return;
        }
    }

    // The node of a point: the first one within the tolerance, else a new
    // one. Cells are at least the tolerance wide, so a match lies in the 3 x 3
    // cells around the point.
    std::uint32_t nodeAt(Vec p)
    {
        const auto cx = static_cast<std::int64_t>(std::floor(p.x / m_cell));
        const auto cy = static_cast<std::int64_t>(std::floor(p.y / m_cell));
        const double tol2 = m_tol * m_tol;
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                for (std::uint32_t id = m_cells.find(key(cx + dx, cy + dy)); id != kNone;
                     id = m_nextInCell[id]) {
                    const double ex = m_nodes[id].x - p.x;
                    const double ey = m_nodes[id].y - p.y;
                    if (ex * ex + ey * ey <= tol2)
                        return id;
                }
            }
        }
        const auto id = static_cast<std::uint32_t>(m_nodes.size());
        m_nodes.push_back(p);
        std::uint32_t &head = m_cells.head(key(cx, cy));
        m_nextInCell.push_back(head);
        head = id;
        return id;
    }

    // Cell coordinates stay within 31 bits: coordinates are below 2^32
    // pulses and cells at least 4 pulses wide.
    static std::uint64_t key(std::int64_t x, std::int64_t y)
    {
        return (static_cast<std::uint64_t>(x + (std::int64_t{1} << 31)) << 32)
               | static_cast<std::uint32_t>(y + (std::int64_t{1} << 31));
    }

    const Curves &m_curves;
    const std::vector<Run> &m_runs;
    const double m_tol;
    const double m_cell;
    CellTable m_cells;
    std::vector<Vec> m_nodes;
    std::vector<std::uint32_t> m_nextInCell;
    std::vector<std::uint32_t> m_node;  // per run end: 2 i its begin, 2 i + 1 its end
    std::vector<std::uint32_t> m_start; // per node, into m_ends
    std::vector<std::uint32_t> m_ends;
    std::vector<std::uint32_t> m_cursor; // per node: ends before it are used
    std::vector<bool> m_used;
};

// Appends the curves of contour k in its direction of travel.
void Flatten(const Contours &contours, std::size_t k, const Curves &curves,
             const std::vector<Run> &runs, Curves &out)
{
    for (std::uint32_t i = contours.start[k]; i < contours.start[k + 1]; ++i) {
        const std::uint32_t item = contours.items[i];
        const Run &r = runs[item >> 1];
        if (!(item & 1u)) {
            out.insert(out.end(), curves.begin() + static_cast<std::ptrdiff_t>(r.first),
                       curves.begin() + static_cast<std::ptrdiff_t>(r.first + r.count));
        } else {
            for (std::size_t c = r.first + r.count; c-- > r.first;)
                out.push_back(curves[c].reversed());
        }
    }
}

// ------------------------------------------------------------------- order

// Points to start contours from, found by a grid of cells with about one
// point each. The entries of a used contour are moved to the front of their
// cell and passed over from then on.
class EntryIndex
{
public:
    struct Entry
    {
        Vec p;
        std::uint32_t contour;
        std::uint32_t joint; // the curve that begins there; an open
                             // contour's far end: kNone
    };

    explicit EntryIndex(std::vector<Entry> entries)
        : m_entries(std::move(entries))
    {
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
        if (!m_entries.empty()) {
            x0 = x1 = m_entries.front().p.x;
            y0 = y1 = m_entries.front().p.y;
        }
        for (const Entry &e : m_entries) {
            x0 = std::min(x0, e.p.x);
            y0 = std::min(y0, e.p.y);
            x1 = std::max(x1, e.p.x);
            y1 = std::max(y1, e.p.y);
        }
        m_n = std::clamp<std::size_t>(
            static_cast<std::size_t>(std::sqrt(static_cast<double>(m_entries.size()))), 1, 2048);
        m_x0 = x0;
        m_y0 = y0;
        m_cell = std::max({x1 - x0, y1 - y0, 1.0}) / static_cast<double>(m_n) * (1.0 + 1e-9);
        std::vector<std::uint32_t> count(m_n * m_n + 1, 0);
        for (const Entry &e : m_entries)
            ++count[cellOf(e.p) + 1];
        for (std::size_t k = 1; k < count.size(); ++k)
            count[k] += count[k - 1];
        m_begin = count;
        m_firstLive.assign(count.begin(), count.end() - 1);
        m_order.resize(m_entries.size());
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            m_order[count[cellOf(m_entries[i].p)]++] = static_cast<std::uint32_t>(i);
    }

    // The nearest entry of a contour not yet used and not waiting for the
    // contours inside it; ties go to the entry listed first. Where entries
    // pile up (a block repeated in one place), the search takes the nearest
    // of the first few dozen it looks at, so that a pile of n entries costs
    // n searches of bounded work, not n times n.
    const Entry *nearest(Vec p, const std::vector<bool> &used,
                         const std::vector<std::uint32_t> &waiting)
    {
        const std::int64_t cx = clampedCell(p.x - m_x0);
        const std::int64_t cy = clampedCell(p.y - m_y0);
        const Entry *best = nullptr;
        double bestD = std::numeric_limits<double>::infinity();
        std::size_t looked = 0;
        const auto n = static_cast<std::int64_t>(m_n);
        for (std::int64_t ring = 0; ring < n; ++ring) {
            // A point in ring r lies at least r - 1 cells away.
            if (best && (static_cast<double>(ring - 1) * m_cell > bestD || looked >= kEnough))
                break;
            for (std::int64_t y = std::max<std::int64_t>(cy - ring, 0);
                 y <= std::min(cy + ring, n - 1); ++y) {
                const bool edgeRow = y == cy - ring || y == cy + ring;
                const std::int64_t step = edgeRow || ring == 0 ? 1 : 2 * ring;
                for (std::int64_t x = cx - ring; x <= cx + ring; x += step)
                    if (x >= 0 && x < n)
                        scan(static_cast<std::size_t>(y) * m_n + static_cast<std::size_t>(x), p,
                             used, waiting, best, bestD, looked);
            }
        }
        return best;
    }

private:
    std::int64_t clampedCell(double v) const
    {
        return static_cast<std::int64_t>(
            std::clamp(std::floor(v / m_cell), 0.0, static_cast<double>(m_n - 1)));
    }

    std::size_t cellOf(Vec p) const
    {
        return static_cast<std::size_t>(clampedCell(p.y - m_y0)) * m_n
               + static_cast<std::size_t>(clampedCell(p.x - m_x0));
    }

    void scan(std::size_t cell, Vec p, const std::vector<bool> &used,
              const std::vector<std::uint32_t> &waiting, const Entry *&best, double &bestD,
              std::size_t &looked)
    {
        std::uint32_t &live = m_firstLive[cell];
        for (std::uint32_t k = live; k < m_begin[cell + 1] && !(best && looked >= kEnough); ++k) {
            const Entry &entry = m_entries[m_order[k]];
            if (used[entry.contour]) {
                std::swap(m_order[k], m_order[live]);
                ++live;
                continue;
            }
            ++looked;
            if (waiting[entry.contour])
                continue;
            const double d = geo::Distance(p, entry.p);
            if (d < bestD || (d == bestD && &entry < best)) {
                bestD = d;
                best = &entry;
            }
        }
    }

    static constexpr std::size_t kEnough = 64; // entries looked at, see nearest()

    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_order;     // entry indices by cell
    std::vector<std::uint32_t> m_begin;     // per cell, into m_order
    std::vector<std::uint32_t> m_firstLive; // per cell
    std::size_t m_n = 1;
    double m_x0 = 0.0, m_y0 = 0.0, m_cell = 1.0;
};

// Where the ordered outline goes, curve by curve.
using Sink = std::function<bool(const Curve &)>;

// Gives a contour's curves to the sink after a travel move to its first
// point when that is further than the tolerance (else the contour begins
// where the machine stands), each curve beginning exactly where the one
// before ended, thinned when fitting is on.
class Emitter
{
public:
    Emitter(Vec start, double tol, std::optional<double> fitTol, const Sink &sink,
            ImportReport *report)
        : m_at(start)
        , m_tol(tol)
        , m_fitTol(fitTol)
        , m_sink(sink)
        , m_report(report)
    {}

    bool emit(Curves &contour)
    {
        if (contour.empty())
            return true;
        if (geo::Distance(m_at, contour.front().begin) > m_tol) {
            if (m_report)
                ++m_report->travelMoves;
            if (!m_sink(Curve::Line(m_at, contour.front().begin, true)))
                return false;
        } else {
            snap(contour.front(), m_at);
        }
        for (std::size_t k = 1; k < contour.size(); ++k)
            snap(contour[k], contour[k - 1].end);
        if (m_fitTol) {
            geo::SimplifyCounts counts;
            geo::SimplifyRun(contour, *m_fitTol, counts);
            if (m_report) {
                m_report->mergedLines += counts.mergedLines;
                m_report->fittedArcs += counts.fittedArcs;
                m_report->fittedLines += counts.fittedLines;
            }
        }
        for (const Curve &c : contour)
            if (!m_sink(c))
                return false;
        m_at = contour.back().end;
        return true;
    }

    Vec at() const { return m_at; }

private:
    static void snap(Curve &c, Vec begin)
    {
        const bool full = c.fullTurn();
        c.begin = begin;
        if (full)
            c.end = begin;
    }

    Vec m_at;
    const double m_tol;
    const std::optional<double> m_fitTol;
    const Sink &m_sink;
    ImportReport *m_report;
};

// Points along a closed contour: each curve's begin point, and points along
// its arcs every sixteenth of a turn.
void Outline(const Curves &contour, std::vector<Vec> &out)
{
    out.clear();
    for (const Curve &c : contour) {
        out.push_back(c.begin);
        if (c.arc) {
            const int n = static_cast<int>(std::ceil(c.sweep() / (kPi / 8.0)));
            for (int k = 1; k < n; ++k)
                out.push_back(c.at(static_cast<double>(k) / n));
        }
    }
}

bool Inside(Vec p, const std::vector<Vec> &polygon)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Vec a = polygon[i];
        const Vec b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double Area(const std::vector<Vec> &polygon)
{
    double twice = 0.0;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++)
        twice += geo::Cross(polygon[j], polygon[i]);
    return std::fabs(twice) / 2.0;
}

// For each contour, the closed contour it lies inside (the smallest around
// the middle of its first curve), or kNone. A contour inside another is cut
// first, so that a part stays held until its outline is cut. Ties of area go
// by drawing order, so no two contours wait for each other.
std::vector<std::uint32_t> Parents(const Contours &contours, const Curves &curves,
                                   const std::vector<Run> &runs)
{
    struct Shape
    {
        Vec low, high; // bounding box
        double area = 0.0;
    };
    const std::size_t n = contours.size();
    std::vector<std::uint32_t> closed; // contour of each shape
    std::vector<Shape> shapes;
    Curves buffer;
    std::vector<Vec> outline;
    Vec low{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    Vec high = -1.0 * low;
    for (std::size_t k = 0; k < n; ++k) {
        if (!contours.closed[k])
            continue;
        buffer.clear();
        Flatten(contours, k, curves, runs, buffer);
        Outline(buffer, outline);
        Shape s{outline.front(), outline.front()};
        for (const Vec v : outline) {
            s.low = {std::min(s.low.x, v.x), std::min(s.low.y, v.y)};
            s.high = {std::max(s.high.x, v.x), std::max(s.high.y, v.y)};
        }
        s.area = Area(outline);
        low = {std::min(low.x, s.low.x), std::min(low.y, s.low.y)};
        high = {std::max(high.x, s.high.x), std::max(high.y, s.high.y)};
        closed.push_back(static_cast<std::uint32_t>(k));
        shapes.push_back(s);
    }
    std::vector<std::uint32_t> parent(n, kNone);
    if (closed.empty())
        return parent;

    // Shapes by the cells of a grid their boxes cover (in one list, by cell);
    // a box over many cells is looked at for every point instead.
    const std::size_t g = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::sqrt(static_cast<double>(closed.size()))), 1, 512);
    const double cw = std::max((high.x - low.x) / static_cast<double>(g), 1e-9);
    const double ch = std::max((high.y - low.y) / static_cast<double>(g), 1e-9);
    const auto cell = [&](double v, double origin, double size) {
        return static_cast<std::size_t>(
            std::clamp(std::floor((v - origin) / size), 0.0, static_cast<double>(g - 1)));
    };
    std::vector<std::uint32_t> large;
    std::vector<std::uint32_t> start(g * g + 1, 0);
    std::vector<std::uint32_t> members;
    for (int fill = 0; fill < 2; ++fill) { // count, then place
        std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
        if (fill)
            members.resize(start.back());
        for (std::uint32_t i = 0; i < shapes.size(); ++i) {
            const Shape &s = shapes[i];
            const std::size_t x0 = cell(s.low.x, low.x, cw), x1 = cell(s.high.x, low.x, cw);
            const std::size_t y0 = cell(s.low.y, low.y, ch), y1 = cell(s.high.y, low.y, ch);
            if ((x1 - x0 + 1) * (y1 - y0 + 1) > 64) {
                if (fill)
                    large.push_back(i);
                continue;
            }
            for (std::size_t y = y0; y <= y1; ++y) {
                for (std::size_t x = x0; x <= x1; ++x) {
                    if (fill)
                        members[next[y * g + x]++] = i;
                    else
                        ++start[y * g + x + 1];
                }
            }
        }
        if (!fill)
            for (std::size_t c = 1; c < start.size(); ++c)
                start[c] += start[c - 1];
    }
    // Shape order: by area, then by drawing order.
    const auto before = [&](std::uint32_t a, std::uint32_t b) {
        return shapes[a].area < shapes[b].area || (shapes[a].area == shapes[b].area && a < b);
    };
    std::vector<std::uint32_t> shapeOf(n, kNone);
    for (std::uint32_t i = 0; i < closed.size(); ++i)
        shapeOf[closed[i]] = i;

    // Contours piled on one another (a block repeated in one place) would
    // make every contour test every other: each contour looks at no more than
    // kCandidates others, the outlines drawn for the tests hold at most a few
    // times the curves of the drawing, and contours left untested keep no
    // parent and go by distance alone.
    constexpr std::size_t kCandidates = 64;
    std::size_t budget = 8 * curves.size() + 4096;
    std::uint32_t shown = kNone; // the shape whose outline is in `outline`
    for (std::size_t k = 0; k < n; ++k) {
        // The middle of the contour's first curve (the same either way round).
        const std::uint32_t item = contours.items[contours.start[k]];
        const Run &r = runs[item >> 1];
        const Vec p = curves[item & 1u ? r.first + r.count - 1 : r.first].at(0.5);
        if (p.x < low.x || p.x > high.x || p.y < low.y || p.y > high.y)
            continue;
        const std::uint32_t self = shapeOf[k];
        std::uint32_t best = kNone;
        const auto consider = [&](std::uint32_t c) {
            const Shape &s = shapes[c];
            if (c == self || (self != kNone && before(c, self))
                || (best != kNone && before(best, c)) || p.x < s.low.x || p.x > s.high.x
                || p.y < s.low.y || p.y > s.high.y)
                return;
            if (shown != c) {
                buffer.clear();
                Flatten(contours, closed[c], curves, runs, buffer);
                if (buffer.size() > budget)
                    return;
                budget -= buffer.size();
                Outline(buffer, outline);
                shown = c;
            }
            if (Inside(p, outline))
                best = c;
        };
        const std::size_t at = cell(p.y, low.y, ch) * g + cell(p.x, low.x, cw);
        std::size_t looked = 0;
        for (std::uint32_t m = start[at]; m < start[at + 1] && looked < kCandidates; ++m, ++looked)
            consider(members[m]);
        for (std::size_t i = 0; i < large.size() && looked < kCandidates; ++i, ++looked)
            consider(large[i]);
        parent[k] = best == kNone ? kNone : closed[best];
    }
    return parent;
}

// Orders the contours by nearest neighbour from the start, each after the
// contours inside it: a closed contour is entered at its joint nearest to
// where the machine stands (a lone circle at its nearest point) and keeps
// its direction; an open one is entered from its nearer end.
bool Order(const Contours &contours, const Curves &curves, const std::vector<Run> &runs,
           Emitter &emitter, ImportReport *report)
{
    std::vector<EntryIndex::Entry> entries;
    Curves buffer;
    for (std::size_t k = 0; k < contours.size(); ++k) {
        buffer.clear();
        Flatten(contours, k, curves, runs, buffer);
        const auto ck = static_cast<std::uint32_t>(k);
        if (contours.closed[k]) {
            for (std::size_t j = 0; j < buffer.size(); ++j)
                entries.push_back({buffer[j].begin, ck, static_cast<std::uint32_t>(j)});
        } else {
            entries.push_back({buffer.front().begin, ck, 0});
            entries.push_back({buffer.back().end, ck, kNone});
        }
        if (report)
            ++(contours.closed[k] ? report->closedContours : report->openContours);
    }
    EntryIndex index(std::move(entries));
    const std::vector<std::uint32_t> parent = Parents(contours, curves, runs);
    std::vector<std::uint32_t> waiting(contours.size(), 0); // contours inside, not yet cut
    for (const std::uint32_t p : parent)
        if (p != kNone)
            ++waiting[p];
    std::vector<bool> used(contours.size(), false);
    while (const EntryIndex::Entry *entry = index.nearest(emitter.at(), used, waiting)) {
        used[entry->contour] = true;
        if (parent[entry->contour] != kNone)
            --waiting[parent[entry->contour]];
        buffer.clear();
        Flatten(contours, entry->contour, curves, runs, buffer);
        if (entry->joint == kNone) {
            std::reverse(buffer.begin(), buffer.end());
            for (Curve &c : buffer)
                c = c.reversed();
        } else if (buffer.size() == 1 && buffer.front().fullTurn()) {
            Curve &circle = buffer.front();
            const Vec d = emitter.at() - circle.centre;
            const double len = geo::Length(d);
            if (len > 0.0)
                circle.begin = circle.end = circle.centre + (circle.radius() / len) * d;
        } else {
            std::rotate(buffer.begin(), buffer.begin() + entry->joint, buffer.end());
        }
        if (!emitter.emit(buffer))
            return false;
    }
    return true;
}

// Drawing order: each run as it stands.
bool InDrawingOrder(const Curves &curves, const std::vector<Run> &runs, Emitter &emitter,
                    ImportReport *report)
{
    Curves buffer;
    for (const Run &r : runs) {
        buffer.assign(curves.begin() + static_cast<std::ptrdiff_t>(r.first),
                      curves.begin() + static_cast<std::ptrdiff_t>(r.first + r.count));
        if (report)
            ++(buffer.front().begin == buffer.back().end ? report->closedContours
                                                         : report->openContours);
        if (!emitter.emit(buffer))
            return false;
    }
    return true;
}

// ------------------------------------------------------------------- round

struct IntPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(IntPoint, IntPoint) = default;
};

bool RoundPoint(Vec v, IntPoint &out)
{
    return RoundToInt32(v.x, out.x) && RoundToInt32(v.y, out.y);
}

// Rounds the outline to whole pulses along the chain. Every segment begins
// at the rounded end of the one before and ends at its own rounded end
// point, so rounding errors never add up. An arc's centre is taken on the
// perpendicular bisector of those two rounded points, at the whole point
// nearest to the true centre that passes the arc check.
class Rounder
{
public:
    Rounder(IntPoint start, std::size_t keep, ImportReport &report)
        : m_at(start)
        , m_keep(keep)
        , m_report(report)
    {}

    bool add(const Curve &c)
    {
        IntPoint end;
        if (!RoundPoint(c.end, end))
            return tooLarge(c.end);
        if (!c.arc) {
            if (end == m_at)
                ++m_report.droppedZero;
            else
                push(kTypeLine, end, {}, c.travel);
            return true;
        }
        const std::int32_t type = c.ccw ? kTypeCcw : kTypeCw;
        IntPoint centre;
        if (c.fullTurn() || end == m_at) {
            // A full turn, or an arc whose ends met in rounding: a near-full
            // arc stays a full turn, a tiny one has no length.
            if (!c.fullTurn() && c.sweep() <= kPi) {
                ++m_report.droppedZero;
                return true;
            }
            if (!RoundPoint(c.centre, centre))
                return tooLarge(c.centre);
            if (centre == m_at)
                ++m_report.droppedZero;
            else
                push(type, m_at, centre, false);
            return true;
        }
        // Where the ends cannot both lie on a circle about a whole point (an
        // odd chord across a half circle), the end moves to a neighbour.
        if (centreFor(end, c.centre, type, centre)) {
            push(type, end, centre, false);
            return true;
        }
        double best = std::numeric_limits<double>::infinity();
        IntPoint chosen;
        IntPoint chosenCentre;
        for (double dy = -1.0; dy <= 1.0; dy += 1.0) {
            for (double dx = -1.0; dx <= 1.0; dx += 1.0) {
                const Vec v{end.x + dx, end.y + dy};
                IntPoint near;
                if ((dx == 0.0 && dy == 0.0) || !RoundPoint(v, near) || near == m_at)
                    continue;
                const double d = geo::Distance(v, c.end);
                if (d < best && centreFor(near, c.centre, type, centre)) {
                    best = d;
                    chosen = near;
                    chosenCentre = centre;
                }
            }
        }
        if (std::isfinite(best))
            push(type, chosen, chosenCentre, false);
        else
            push(kTypeLine, end, {}, false); // no circle at all: the chord
        return true;
    }

    std::vector<PosSegment> segments; // the first `keep` ones
    std::size_t total = 0;
    std::optional<Diagnostic> error;

private:
    bool tooLarge(Vec v)
    {
        error = Diagnostic{.id = sid::ImportCoordinateTooLarge,
                           .args = {Decimal(std::fabs(v.x) > std::fabs(v.y) ? v.x : v.y)}};
        return false;
    }

    bool passes(IntPoint end, IntPoint centre, std::int32_t type) const
    {
        if (centre == m_at)
            return false;
        PosSegment s;
        s.type = type;
        s.endX = end.x;
        s.endY = end.y;
        s.centreX = centre.x;
        s.centreY = centre.y;
        return CheckSegmentArc(m_at.x, m_at.y, s).result == kArcOk;
    }

    // A whole centre for an arc from where the machine stands to end: the
    // true centre projected onto the bisector of the two, rounded, or the
    // whole point nearest to that projection that the arc check takes.
    bool centreFor(IntPoint end, Vec trueCentre, std::int32_t type, IntPoint &centre) const
    {
        const Vec b{static_cast<double>(m_at.x), static_cast<double>(m_at.y)};
        const Vec e{static_cast<double>(end.x), static_cast<double>(end.y)};
        const Vec mid = 0.5 * (b + e);
        const Vec normal{-(e.y - b.y), e.x - b.x};
        const Vec ideal
            = mid + (geo::Dot(trueCentre - mid, normal) / geo::Dot(normal, normal)) * normal;
        return (RoundPoint(ideal, centre) && passes(end, centre, type))
               || nearestCentre(ideal, end, type, centre);
    }

    // The whole point nearest to ideal, within two pulses, that makes a
    // centre the arc check takes.
    bool nearestCentre(Vec ideal, IntPoint end, std::int32_t type, IntPoint &out) const
    {
        double best = std::numeric_limits<double>::infinity();
        const double x0 = std::floor(ideal.x);
        const double y0 = std::floor(ideal.y);
        for (double y = y0 - 2.0; y <= y0 + 3.0; y += 1.0) {
            for (double x = x0 - 2.0; x <= x0 + 3.0; x += 1.0) {
                IntPoint p;
                const double d = std::hypot(x - ideal.x, y - ideal.y);
                if (d < best && RoundPoint({x, y}, p) && passes(end, p, type)) {
                    best = d;
                    out = p;
                }
            }
        }
        return std::isfinite(best);
    }

    void push(std::int32_t type, IntPoint end, IntPoint centre, bool travel)
    {
        ++total;
        if (segments.size() < m_keep) {
            PosSegment s;
            s.type = type;
            s.beginX = m_at.x;
            s.beginY = m_at.y;
            s.endX = end.x;
            s.endY = end.y;
            s.centreX = centre.x;
            s.centreY = centre.y;
            s.travel = travel;
            segments.push_back(s);
        }
        m_at = end;
    }

    IntPoint m_at;
    const std::size_t m_keep;
    ImportReport &m_report;
};

// The number of curves of an entity's expansion, for reserving room; blocks
// counted once per reference.
class SizeEstimate
{
public:
    SizeEstimate(const dxf::Drawing &d, std::size_t cap)
        : m_drawing(d)
        , m_cap(cap)
        , m_blocks(d.blocks.size(), kNone)
    {}

    std::size_t of(const dxf::Entity &e, int depth = 0)
    {
        switch (e.type) {
        case dxf::EntityType::LwPolyline:
        case dxf::EntityType::Polyline:
            return e.count;
        case dxf::EntityType::Ellipse:
        case dxf::EntityType::Spline:
            return 16;
        case dxf::EntityType::Insert: {
            if (depth >= kMaxBlockDepth)
                return 0;
            const dxf::Insert &in = m_drawing.inserts[e.first];
            std::uint32_t &memo = m_blocks[in.block];
            if (memo == kNone) {
                std::size_t n = 0;
                for (const dxf::Entity &inner : m_drawing.blocks[in.block].entities)
                    n = std::min(n + of(inner, depth + 1), m_cap);
                memo = static_cast<std::uint32_t>(n);
            }
            return std::min<std::size_t>(std::size_t{memo} * in.rows * in.columns, m_cap);
        }
        default:
            return 1;
        }
    }

private:
    const dxf::Drawing &m_drawing;
    const std::size_t m_cap;
    std::vector<std::uint32_t> m_blocks;
};

std::string Counts(const std::map<std::string, std::size_t> &counts, Lang lang)
{
    std::string out;
    for (const auto &[name, n] : counts) {
        if (!out.empty())
            out += lang == Lang::Zh ? "，" : ", ";
        out += name;
        out += ' ';
        out += std::to_string(n);
    }
    return out;
}

Result<ArrangedDrawing> Arrange(const dxf::Drawing &drawing, const ArrangeOptions &options,
                                dxf::Drawing *owned)
{
    ArrangedDrawing out;
    ImportReport &report = out.report;
    report.skipped = drawing.skipped;
    report.unitCode = options.unit.value_or(drawing.insUnits);
    std::optional<double> mm = UnitMillimetres(report.unitCode);
    if (!mm) {
        report.unitAssumed = true;
        report.unitCode = 4;
        mm = 1.0;
    }
    const double ppm = options.pulsesPerMm > 0.0 && std::isfinite(options.pulsesPerMm)
                           ? options.pulsesPerMm
                           : kDefaultPulsesPerMm;
    const double tolMm = options.toleranceMm > 0.0 && std::isfinite(options.toleranceMm)
                             ? options.toleranceMm
                             : kDefaultToleranceMm;
    report.pulsesPerUnit = *mm * ppm;
    const double tol = std::max(tolMm * ppm, 1e-6); // in pulses
    const Vec start = ppm * options.startMm;
    IntPoint startPoint;
    if (!RoundPoint(start, startPoint))
        return Diagnostic{.id = sid::ImportCoordinateTooLarge, .args = {Decimal(start.x)}};

    // Half the tolerance for approximating curves, half for thinning runs.
    const std::size_t maxCurves = std::min<std::size_t>(options.maxCurves, kNone / 4);
    Expander expander(drawing, tol / 2.0, maxCurves, report);
    {
        SizeEstimate estimate(drawing, maxCurves);
        std::size_t n = 0;
        for (const dxf::Entity &e : drawing.entities)
            n = std::min(n + estimate.of(e), maxCurves);
        expander.curves.reserve(n);
    }
    if (Status s = expander.expand(Affine::Scale(report.pulsesPerUnit, report.pulsesPerUnit),
                                   options.layers);
        !s)
        return std::move(s.error());
    if (expander.tooLarge)
        return Diagnostic{.id = sid::ImportCoordinateTooLarge,
                          .args = {Decimal(*expander.tooLarge)}};
    if (owned)
        *owned = dxf::Drawing{}; // what the rest needs is in the curves
    const Curves &curves = expander.curves;
    const std::vector<Run> &runs = expander.runs;

    Contours contours;
    if (options.order)
        contours = Chainer(curves, runs, tol).chain();
    // One pass over the ordered outline, at a thinning tolerance, into a sink.
    const auto pass = [&](std::optional<double> fitTol, const Sink &sink, ImportReport *r) {
        Emitter emitter(start, tol, fitTol, sink, r);
        return options.order ? Order(contours, curves, runs, emitter, r)
                             : InDrawingOrder(curves, runs, emitter, r);
    };

    Rounder rounder(startPoint, options.keep, report);
    const std::optional<double> fitTol = options.fit ? std::optional(tol / 2.0) : std::nullopt;
    if (!pass(
            fitTol, [&rounder](const Curve &c) { return rounder.add(c); }, &report))
        return std::move(*rounder.error);
    report.segments = rounder.total;

    // Over the limit: the smallest tolerance (of a few steps up to 100 times
    // the one given) whose thinning brings the outline under it.
    if (report.segments > kMaxSegments && options.fit && report.segments <= 100 * kMaxSegments) {
        for (const double factor : {2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
            std::size_t count = 0;
            pass(
                factor * tol / 2.0,
                [&count](const Curve &c) {
                    count += c.arc || c.begin != c.end;
                    return true;
                },
                nullptr);
            if (count <= kMaxSegments) {
                report.toleranceForLimit = factor * tolMm;
                break;
            }
        }
    }

    out.config = NewPageDefaults();
    out.config.actionMode = 1;
    std::uint32_t number = 0;
    for (PosSegment &s : rounder.segments) {
        s.number = ++number;
        if (number <= kMaxSegments)
            out.config.segments.emplace_hint(out.config.segments.end(), number, s);
    }
    out.segments = std::move(rounder.segments);
    return out;
}

} // namespace

std::optional<double> UnitMillimetres(int unitCode)
{
    for (const Unit &u : kUnits)
        if (u.code == unitCode)
            return u.mm;
    return std::nullopt;
}

std::optional<int> UnitFromName(const std::string &name)
{
    for (const Unit &u : kUnits)
        if (name == u.name || name == std::to_string(u.code))
            return u.code;
    return std::nullopt;
}

std::string UnitName(int unitCode)
{
    for (const Unit &u : kUnits)
        if (u.code == unitCode)
            return u.name;
    return std::to_string(unitCode);
}

Result<ArrangedDrawing> ArrangeDrawing(const dxf::Drawing &drawing, const ArrangeOptions &options)
{
    return Arrange(drawing, options, nullptr);
}

Result<ArrangedDrawing> ArrangeDrawing(dxf::Drawing &&drawing, const ArrangeOptions &options)
{
    return Arrange(drawing, options, &drawing);
}

std::vector<std::string> DescribeReport(const ImportReport &r, Lang lang)
{
    std::vector<std::string> lines;
    const auto add = [&](int id, std::initializer_list<FormatArg> args) {
        lines.push_back(Format(Text(id, lang), args));
    };
    const std::string read = r.read.empty() ? std::string("-") : Counts(r.read, lang);
    if (r.expanded)
        add(sid::ReportRead, {read, std::int64_t(r.expanded)});
    else
        add(sid::ReportReadPlain, {read});
    if (!r.skipped.empty())
        add(sid::ReportSkipped, {Counts(r.skipped, lang)});
    add(r.unitAssumed ? sid::ReportUnitAssumed : sid::ReportUnit,
        {UnitName(r.unitCode), Decimal(r.pulsesPerUnit)});
    add(sid::ReportContours, {std::int64_t(r.closedContours), std::int64_t(r.openContours),
                              std::int64_t(r.travelMoves)});
    add(sid::ReportFitting, {std::int64_t(r.mergedLines), std::int64_t(r.fittedArcs),
                             std::int64_t(r.fittedLines), std::int64_t(r.approximated)});
    if (r.droppedZero)
        add(sid::ReportDropped, {std::int64_t(r.droppedZero)});
    if (r.segments <= kMaxSegments)
        add(sid::ReportSegments, {std::int64_t(r.segments)});
    else if (r.toleranceForLimit)
        add(sid::ReportOverLimitTolerance,
            {std::int64_t(r.segments), std::int64_t(r.segments - kMaxSegments),
             std::int64_t{kMaxSegments}, Decimal(*r.toleranceForLimit)});
    else
        add(sid::ReportOverLimit,
            {std::int64_t(r.segments), std::int64_t(r.segments - kMaxSegments),
             std::int64_t{kMaxSegments}});
    return lines;
}

} // namespace pos
