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

// Bounds on what a drawing may make the import do: block references nested
// deeper than this, or expanding to more curves or entity visits than this,
// are refused with a message.
constexpr int kMaxBlockDepth = 16;
constexpr std::size_t kMaxCurves = std::size_t{1} << 22; // 4,194,304
constexpr std::size_t kMaxVisits = std::size_t{1} << 22;

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
        return {a * r.a + c * r.b, b * r.a + d * r.b, a * r.c + c * r.d,
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

bool Finite(Vec v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

std::string Decimal(double v)
{
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6);
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
    Expander(const dxf::Drawing &drawing, double tolerance, ImportReport &report)
        : m_drawing(drawing)
        , m_tol(tolerance)
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

private:
    Status entity(const dxf::Entity &e, const Affine &t, int depth)
    {
        if (++m_visits > kMaxVisits || curves.size() > kMaxCurves)
            return Diagnostic{.id = sid::ImportTooLarge, .args = {std::int64_t{kMaxCurves}},
                              .line = e.line};
        const std::size_t before = curves.size();
        switch (e.type) {
        case dxf::EntityType::Line:
            count("LINE", depth);
            beginRun();
            line(t.map({e.a[0], e.a[1]}), t.map({e.b[0], e.b[1]}));
            endRun();
            break;
        case dxf::EntityType::Arc:
        case dxf::EntityType::Circle: {
            const bool circle = e.type == dxf::EntityType::Circle;
            count(circle ? "CIRCLE" : "ARC", depth);
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
            count(e.type == dxf::EntityType::Polyline ? "POLYLINE" : "LWPOLYLINE", depth);
            polyline(e, t * Affine::FromOcs(e.extrusion, e.elevation));
            break;
        case dxf::EntityType::Ellipse:
            count("ELLIPSE", depth);
            ellipse(e, t);
            break;
        case dxf::EntityType::Spline:
            count("SPLINE", depth);
            spline(m_drawing.splines[e.first], t);
            break;
        case dxf::EntityType::Insert:
            if (depth == 0)
                count("INSERT", depth);
            if (Status s = insert(e, t, depth); !s)
                return s;
            break;
        }
        if (depth > 0 && e.type != dxf::EntityType::Insert)
            m_report.expanded += curves.size() - before;
        return {};
    }

    void count(const char *type, int depth)
    {
        if (depth == 0 || m_countNested)
            ++m_report.read[type];
    }

    void beginRun() { m_runStart = curves.size(); }
    void endRun()
    {
        if (curves.size() > m_runStart)
            runs.push_back({m_runStart, curves.size() - m_runStart});
    }

    void line(Vec a, Vec b)
    {
        if (Finite(a) && Finite(b))
            curves.push_back(Curve::Line(a, b));
    }

    void add(const Curves &pieces)
    {
        curves.insert(curves.end(), pieces.begin(), pieces.end());
        ++m_report.approximated;
    }

    // A circular arc in an entity's plane: centre, radius, start angle and
    // counter-clockwise sweep in degrees (360 for a full turn), mapped by t.
    void arc(const Affine &t, Vec centre, double radius, double startDegrees, double sweepDegrees)
    {
        if (!(radius > 0.0) || !std::isfinite(radius) || !Finite(centre))
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
            if (Finite(b) && Finite(e))
                curves.push_back(Curve::Arc(b, e, t.map(centre), (sweep > 0.0) == (t.det() > 0.0)));
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
        Curves pieces = geo::ApproximateEllipse(t.map(centre), u, v, t0, t0 + std::fabs(sweep), m_tol);
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
        const bool saved = m_countNested;
        m_countNested = true;
        for (std::uint32_t row = 0; row < in.rows; ++row) {
            for (std::uint32_t col = 0; col < in.columns; ++col) {
                const Vec offset = rotate.map({col * in.columnSpacing, row * in.rowSpacing});
                const Affine place
                    = plane * Affine::Translate(e.a[0] + offset.x, e.a[1] + offset.y) * local;
                for (const dxf::Entity &inner : block.entities)
                    if (Status s = entity(inner, place, depth + 1); !s)
                        return s;
                if (++m_visits > kMaxVisits)
                    return Diagnostic{.id = sid::ImportTooLarge,
                                      .args = {std::int64_t{kMaxCurves}},
                                      .line = e.line};
            }
        }
        m_countNested = saved;
        return {};
    }

    const dxf::Drawing &m_drawing;
    const double m_tol;
    ImportReport &m_report;
    std::size_t m_runStart = 0;
    std::size_t m_visits = 0;
    bool m_countNested = false;
};

// ------------------------------------------------------------------- chain

// A contour: runs in order, each possibly reversed.
struct Contour
{
    std::vector<std::pair<std::size_t, bool>> runs; // run index, reversed
    bool closed = false;
};

struct Link
{
    std::size_t run;
    bool atEnd; // the run's end point is at the node
};

class Chainer
{
public:
    Chainer(const Curves &curves, const std::vector<Run> &runs, double tol)
        : m_curves(curves)
        , m_runs(runs)
        , m_tol(tol)
    {}

    std::vector<Contour> chain()
    {
        const std::size_t n = m_runs.size();
        m_node.assign(2 * n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            m_node[2 * i] = nodeAt(begin(i));
            m_node[2 * i + 1] = nodeAt(end(i));
        }
        // Links per node, in run order.
        std::vector<std::size_t> start(m_nodes.size() + 1, 0);
        for (std::size_t k = 0; k < 2 * n; ++k)
            ++start[m_node[k] + 1];
        for (std::size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        m_links.resize(2 * n);
        std::vector<std::size_t> fill(start.begin(), start.end() - 1);
        for (std::size_t k = 0; k < 2 * n; ++k)
            m_links[fill[m_node[k]]++] = {k / 2, (k & 1) != 0};
        m_start = std::move(start);
        m_cursor.assign(m_nodes.size(), 0);
        m_used.assign(n, false);

        std::vector<Contour> contours;
        for (std::size_t i = 0; i < n; ++i) {
            if (m_used[i])
                continue;
            m_used[i] = true;
            Contour c;
            c.runs.push_back({i, false});
            const std::size_t first = m_node[2 * i];
            // Forward from the run's end, then backward from its begin.
            std::size_t at = m_node[2 * i + 1];
            if (at != first || !selfClosed(i))
                extend(c.runs, at, first, false);
            std::vector<std::pair<std::size_t, bool>> back;
            at = first;
            const std::size_t last = endNode(c.runs.back());
            if (last != first)
                extend(back, at, last, true);
            if (!back.empty()) {
                std::reverse(back.begin(), back.end());
                back.insert(back.end(), c.runs.begin(), c.runs.end());
                c.runs = std::move(back);
            }
            c.closed = beginNode(c.runs.front()) == endNode(c.runs.back());
            contours.push_back(std::move(c));
        }
        return contours;
    }

private:
    Vec begin(std::size_t run) const { return m_curves[m_runs[run].first].begin; }
    Vec end(std::size_t run) const
    {
        return m_curves[m_runs[run].first + m_runs[run].count - 1].end;
    }
    bool selfClosed(std::size_t run) const { return m_node[2 * run] == m_node[2 * run + 1]; }
    std::size_t beginNode(std::pair<std::size_t, bool> r) const
    {
        return m_node[2 * r.first + (r.second ? 1 : 0)];
    }
    std::size_t endNode(std::pair<std::size_t, bool> r) const
    {
        return m_node[2 * r.first + (r.second ? 0 : 1)];
    }

    // Follows unused runs from node at until none is left or the contour's
    // other end (stop) is reached. Backward, the runs are collected in the
    // order they are found, each reversed relative to the walk.
    void extend(std::vector<std::pair<std::size_t, bool>> &out, std::size_t at, std::size_t stop,
                bool backward)
    {
        for (;;) {
            const Link *next = nullptr;
            std::size_t &cursor = m_cursor[at];
            for (std::size_t k = m_start[at] + cursor; k < m_start[at + 1]; ++k, ++cursor) {
                if (!m_used[m_links[k].run]) {
                    next = &m_links[k];
                    break;
                }
            }
            if (!next)
                return;
            m_used[next->run] = true;
            // Walking forward the run must begin at the node: reversed when it
            // ends there. Walking backward the run must end at the node.
            const bool reversed = backward ? !next->atEnd : next->atEnd;
            out.push_back({next->run, reversed});
            at = backward ? beginNode(out.back()) : endNode(out.back());
            if (at == stop)
                return;
        }
    }

    // The node of a point: an existing one within the tolerance, else a new
    // one. Cells are the tolerance's size, so a match lies in the 3 x 3 cells
    // around the point.
    std::size_t nodeAt(Vec p)
    {
        const auto cx = static_cast<std::int64_t>(std::floor(p.x / m_tol));
        const auto cy = static_cast<std::int64_t>(std::floor(p.y / m_tol));
        const double tol2 = m_tol * m_tol;
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                const auto it = m_cells.find(key(cx + dx, cy + dy));
                if (it == m_cells.end())
                    continue;
                for (std::size_t id = it->second; id != kNone; id = m_nextInCell[id]) {
                    const Vec q = m_nodes[id];
                    const double ex = q.x - p.x;
                    const double ey = q.y - p.y;
                    if (ex * ex + ey * ey <= tol2)
                        return id;
                }
            }
        }
        const std::size_t id = m_nodes.size();
        m_nodes.push_back(p);
        auto [it, inserted] = m_cells.try_emplace(key(cx, cy), id);
        m_nextInCell.push_back(inserted ? kNone : it->second);
        it->second = id;
        return id;
    }

    static std::uint64_t key(std::int64_t x, std::int64_t y)
    {
        return (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15u) ^ static_cast<std::uint64_t>(y);
    }

    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

    const Curves &m_curves;
    const std::vector<Run> &m_runs;
    const double m_tol;
    std::vector<Vec> m_nodes;
    std::vector<std::size_t> m_nextInCell;
    std::unordered_map<std::uint64_t, std::size_t> m_cells;
    std::vector<std::size_t> m_node; // per run end: 2 i begin, 2 i + 1 end
    std::vector<std::size_t> m_start;
    std::vector<Link> m_links;
    std::vector<std::size_t> m_cursor;
    std::vector<bool> m_used;
};

// The curves of a contour in its direction of travel.
Curves Flatten(const Contour &c, const Curves &curves, const std::vector<Run> &runs)
{
    Curves out;
    for (const auto &[index, reversed] : c.runs) {
        const Run &r = runs[index];
        if (!reversed) {
            out.insert(out.end(), curves.begin() + static_cast<std::ptrdiff_t>(r.first),
                       curves.begin() + static_cast<std::ptrdiff_t>(r.first + r.count));
        } else {
            for (std::size_t k = r.first + r.count; k-- > r.first;)
                out.push_back(curves[k].reversed());
        }
    }
    return out;
}

// ------------------------------------------------------------------- order

// Points to start contours from, found by a grid of cells with about one
// point each; a used contour's points are taken out.
class EntryIndex
{
public:
    struct Entry
    {
        Vec p;
        std::uint32_t contour;
        std::uint32_t joint; // index of the curve that begins there; for an
                             // open contour's far end, the curve count
    };

    explicit EntryIndex(std::vector<Entry> entries)
        : m_entries(std::move(entries))
    {
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
        bool first = true;
        for (const Entry &e : m_entries) {
            if (first) {
                x0 = x1 = e.p.x;
                y0 = y1 = e.p.y;
                first = false;
            }
            x0 = std::min(x0, e.p.x);
            y0 = std::min(y0, e.p.y);
            x1 = std::max(x1, e.p.x);
            y1 = std::max(y1, e.p.y);
        }
        const double side = std::max({x1 - x0, y1 - y0, 1e-9});
        m_n = std::clamp<std::size_t>(
            static_cast<std::size_t>(std::sqrt(static_cast<double>(m_entries.size()))), 1, 2048);
        m_x0 = x0;
        m_y0 = y0;
        m_cell = side / static_cast<double>(m_n) * (1.0 + 1e-12);
        std::vector<std::size_t> count(m_n * m_n + 1, 0);
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

    // The nearest entry of a contour not yet used.
    const Entry *nearest(Vec p, const std::vector<bool> &used)
    {
        const auto clampCell = [this](double v) {
            return static_cast<std::int64_t>(
                std::clamp(std::floor(v / m_cell), 0.0, static_cast<double>(m_n - 1)));
        };
        const std::int64_t cx = clampCell(p.x - m_x0);
        const std::int64_t cy = clampCell(p.y - m_y0);
        const Entry *best = nullptr;
        double bestD = std::numeric_limits<double>::infinity();
        const auto n = static_cast<std::int64_t>(m_n);
        for (std::int64_t ring = 0; ring < n; ++ring) {
            // A point in ring r lies at least r - 1 cells away.
            if (best && static_cast<double>(ring - 1) * m_cell > bestD)
                break;
            bool any = false;
            for (std::int64_t y = cy - ring; y <= cy + ring; ++y) {
                if (y < 0 || y >= n)
                    continue;
                const bool edgeRow = y == cy - ring || y == cy + ring;
                for (std::int64_t x = cx - ring; x <= cx + ring; x += edgeRow ? 1 : 2 * ring) {
                    if (x >= 0 && x < n) {
                        any = true;
                        scan(static_cast<std::size_t>(y) * m_n + static_cast<std::size_t>(x), p,
                             used, best, bestD);
                    }
                    if (ring == 0)
                        break;
                }
            }
            if (!any)
                break;
        }
        return best;
    }

private:
    std::size_t cellOf(Vec p) const
    {
        const auto c = [this](double v) {
            return static_cast<std::size_t>(
                std::clamp(std::floor(v / m_cell), 0.0, static_cast<double>(m_n - 1)));
        };
        return c(p.y - m_y0) * m_n + c(p.x - m_x0);
    }

    // The entries of a used contour are moved to the front of their cell and
    // passed over from then on.
    void scan(std::size_t cell, Vec p, const std::vector<bool> &used, const Entry *&best,
              double &bestD)
    {
        std::size_t &live = m_firstLive[cell];
        for (std::size_t k = live; k < m_begin[cell + 1]; ++k) {
            const Entry &entry = m_entries[m_order[k]];
            if (used[entry.contour]) {
                std::swap(m_order[k], m_order[live]);
                ++live;
                continue;
            }
            const double d = geo::Distance(p, entry.p);
            if (d < bestD) {
                bestD = d;
                best = &entry;
            }
        }
    }

    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_order;  // entry indices by cell
    std::vector<std::size_t> m_begin;    // per cell, into m_order
    std::vector<std::size_t> m_firstLive; // per cell
    std::size_t m_n = 1;
    double m_x0 = 0.0, m_y0 = 0.0, m_cell = 1.0;
};

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


namespace {

// -------------------------------------------------------------- the stages

struct Ordered
{
    Curves path;                    // in pulses, travel moves included
    std::vector<Run> pieces;        // the contours' stretches of path, travel excluded
};

// Orders the contours by nearest neighbour from the start, entering a closed
// contour at its joint nearest to where the machine stands (a lone circle at
// its nearest point) and an open one from its nearer end; a straight travel
// move leads to each contour that does not begin where the last one ended.
Ordered Order(const std::vector<Contour> &contours, const Curves &curves,
              const std::vector<Run> &runs, Vec start, double tol, ImportReport &report)
{
    std::vector<Curves> flat;
    flat.reserve(contours.size());
    std::vector<EntryIndex::Entry> entries;
    for (std::size_t i = 0; i < contours.size(); ++i) {
        flat.push_back(Flatten(contours[i], curves, runs));
        const Curves &c = flat.back();
        const auto ci = static_cast<std::uint32_t>(i);
        if (contours[i].closed) {
            ++report.closedContours;
            for (std::size_t k = 0; k < c.size(); ++k)
                entries.push_back({c[k].begin, ci, static_cast<std::uint32_t>(k)});
        } else {
            ++report.openContours;
            entries.push_back({c.front().begin, ci, 0});
            entries.push_back({c.back().end, ci, static_cast<std::uint32_t>(c.size())});
        }
    }
    Ordered out;
    EntryIndex index(std::move(entries));
    std::vector<bool> used(contours.size(), false);
    Vec at = start;
    while (const EntryIndex::Entry *entry = index.nearest(at, used)) {
        used[entry->contour] = true;
        Curves &c = flat[entry->contour];
        if (contours[entry->contour].closed) {
            if (c.size() == 1 && c.front().fullTurn()) {
                Curve &circle = c.front();
                const Vec d = at - circle.centre;
                const double len = geo::Length(d);
                if (len > 0.0)
                    circle.begin = circle.end = circle.centre + (circle.radius() / len) * d;
            } else {
                std::rotate(c.begin(), c.begin() + entry->joint, c.end());
            }
        } else if (entry->joint != 0) {
            std::reverse(c.begin(), c.end());
            for (Curve &k : c)
                k = k.reversed();
        }
        if (geo::Distance(at, c.front().begin) > tol) {
            out.path.push_back(Curve::Line(at, c.front().begin, true));
            ++report.travelMoves;
        }
        out.pieces.push_back({out.path.size(), c.size()});
        out.path.insert(out.path.end(), c.begin(), c.end());
        at = c.back().end;
        Curves().swap(c);
    }
    return out;
}

// Drawing order: each run as it stands, with a travel move over each gap.
Ordered InDrawingOrder(const Curves &curves, const std::vector<Run> &runs, Vec start, double tol,
                       ImportReport &report)
{
    Ordered out;
    Vec at = start;
    for (const Run &r : runs) {
        const Vec begin = curves[r.first].begin;
        if (geo::Distance(at, begin) > tol) {
            out.path.push_back(Curve::Line(at, begin, true));
            ++report.travelMoves;
        }
        out.pieces.push_back({out.path.size(), r.count});
        out.path.insert(out.path.end(), curves.begin() + static_cast<std::ptrdiff_t>(r.first),
                        curves.begin() + static_cast<std::ptrdiff_t>(r.first + r.count));
        at = curves[r.first + r.count - 1].end;
        (curves[r.first].begin == at && r.count > 0) ? ++report.closedContours
                                                      : ++report.openContours;
    }
    return out;
}

// Each curve begins exactly where the one before it ended (the chaining
// joins ends that are only within the tolerance).
void Snap(Curves &path)
{
    for (std::size_t k = 1; k < path.size(); ++k) {
        const bool full = path[k].fullTurn();
        path[k].begin = path[k - 1].end;
        if (full)
            path[k].end = path[k].begin;
    }
}

// Thins each contour's stretch; travel moves stay as they are.
Curves Simplified(const Ordered &ordered, double tol, geo::SimplifyCounts &counts)
{
    Curves out;
    out.reserve(ordered.path.size());
    std::size_t next = 0;
    for (const Run &piece : ordered.pieces) {
        out.insert(out.end(), ordered.path.begin() + static_cast<std::ptrdiff_t>(next),
                   ordered.path.begin() + static_cast<std::ptrdiff_t>(piece.first));
        Curves run(ordered.path.begin() + static_cast<std::ptrdiff_t>(piece.first),
                   ordered.path.begin() + static_cast<std::ptrdiff_t>(piece.first + piece.count));
        geo::SimplifyRun(run, tol, counts);
        out.insert(out.end(), run.begin(), run.end());
        next = piece.first + piece.count;
    }
    out.insert(out.end(), ordered.path.begin() + static_cast<std::ptrdiff_t>(next),
               ordered.path.end());
    return out;
}

struct IntPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(IntPoint, IntPoint) = default;
};

// Rounds the path to whole pulses along the chain: each segment begins at
// the rounded end of the one before; an arc's end is put on the circle
// through its rounded begin point about its rounded centre, at the nearest
// whole point that the arc check takes.
class Rounder
{
public:
    Rounder(IntPoint start, ImportReport &report)
        : m_at(start)
        , m_report(report)
    {}

    Status add(const Curve &c)
    {
        IntPoint end;
        if (!round(c.end, end))
            return tooLarge(c.end);
        if (!c.arc) {
            if (end == m_at) {
                ++m_report.droppedZero;
                return {};
            }
            push(kTypeLine, end, {}, c.travel);
            return {};
        }
        IntPoint centre;
        if (!round(c.centre, centre))
            return tooLarge(c.centre);
        const double bx = static_cast<double>(m_at.x) - centre.x;
        const double by = static_cast<double>(m_at.y) - centre.y;
        const double r = std::hypot(bx, by);
        const std::int32_t type = c.ccw ? kTypeCcw : kTypeCw;
        if (r == 0.0) { // the begin point on the centre: no circle
            if (end == m_at)
                ++m_report.droppedZero;
            else
                push(kTypeLine, end, {}, c.travel);
            return {};
        }
        if (c.fullTurn()) {
            push(type, m_at, centre, false);
            return {};
        }
        const Vec dir = c.end - c.centre;
        const double len = geo::Length(dir);
        const Vec ideal = len > 0.0 ? Vec{centre.x + r * dir.x / len, centre.y + r * dir.y / len}
                                    : Vec{static_cast<double>(end.x), static_cast<double>(end.y)};
        if (!round(ideal, end))
            return tooLarge(ideal);
        if (end == m_at) {
            // The ends met in rounding: a near-full arc stays a full turn, a
            // tiny one has no length.
            if (c.sweep() > kPi)
                push(type, m_at, centre, false);
            else
                ++m_report.droppedZero;
            return {};
        }
        if (!passes(end, centre, type) && !nearestPassing(ideal, centre, type, end)) {
            push(kTypeLine, end, {}, false); // no whole point on that circle: its chord
            return {};
        }
        push(type, end, centre, false);
        return {};
    }

    std::vector<PosSegment> segments;

private:
    static bool round(Vec v, IntPoint &out) { return RoundToInt32(v.x, out.x) && RoundToInt32(v.y, out.y); }

    static Diagnostic tooLarge(Vec v)
    {
        return Diagnostic{.id = sid::ImportCoordinateTooLarge,
                          .args = {Decimal(std::fabs(v.x) > std::fabs(v.y) ? v.x : v.y)}};
    }

    bool passes(IntPoint end, IntPoint centre, std::int32_t type) const
    {
        PosSegment s;
        s.type = type;
        s.endX = end.x;
        s.endY = end.y;
        s.centreX = centre.x;
        s.centreY = centre.y;
        return CheckSegmentArc(m_at.x, m_at.y, s).result == kArcOk;
    }

    bool nearestPassing(Vec ideal, IntPoint centre, std::int32_t type, IntPoint &out) const
    {
        double best = std::numeric_limits<double>::infinity();
        const auto x0 = static_cast<std::int64_t>(std::floor(ideal.x));
        const auto y0 = static_cast<std::int64_t>(std::floor(ideal.y));
        for (std::int64_t y = y0 - 1; y <= y0 + 2; ++y) {
            for (std::int64_t x = x0 - 1; x <= x0 + 2; ++x) {
                IntPoint p;
                if (!RoundToInt32(static_cast<double>(x), p.x) || !RoundToInt32(static_cast<double>(y), p.y) || p == m_at)
                    continue;
                const double d = std::hypot(static_cast<double>(x) - ideal.x, static_cast<double>(y) - ideal.y);
                if (d < best && passes(p, centre, type)) {
                    best = d;
                    out = p;
                }
            }
        }
        return std::isfinite(best);
    }

    void push(std::int32_t type, IntPoint end, IntPoint centre, bool travel)
    {
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
        m_at = end;
    }

    IntPoint m_at;
    ImportReport &m_report;
};

std::size_t SegmentCount(const Curves &path)
{
    return static_cast<std::size_t>(std::count_if(path.begin(), path.end(), [](const Curve &c) {
        return c.arc || c.begin != c.end;
    }));
}

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

} // namespace

Result<ArrangedDrawing> ArrangeDrawing(const dxf::Drawing &drawing, const ArrangeOptions &options)
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
    const double tol = tolMm * ppm; // in pulses
    const Vec start = ppm * options.startMm;

    // Half the tolerance for approximating curves, half for thinning runs.
    Expander expander(drawing, tol / 2.0, report);
    if (Status s = expander.expand(Affine::Scale(report.pulsesPerUnit, report.pulsesPerUnit),
                                   options.layers);
        !s)
        return std::move(s.error());

    Ordered ordered;
    if (options.order) {
        const std::vector<Contour> contours
            = Chainer(expander.curves, expander.runs, tol).chain();
        ordered = Order(contours, expander.curves, expander.runs, start, tol, report);
    } else {
        ordered = InDrawingOrder(expander.curves, expander.runs, start, tol, report);
    }
    Curves().swap(expander.curves);
    Snap(ordered.path);

    if (options.fit) {
        geo::SimplifyCounts counts;
        out.path = Simplified(ordered, tol / 2.0, counts);
        report.mergedLines = counts.mergedLines;
        report.fittedArcs = counts.fittedArcs;
        report.fittedLines = counts.fittedLines;
    } else {
        out.path = ordered.path;
    }

    IntPoint startPoint;
    if (!RoundToInt32(start.x, startPoint.x) || !RoundToInt32(start.y, startPoint.y))
        return Diagnostic{.id = sid::ImportCoordinateTooLarge, .args = {Decimal(start.x)}};
    Rounder rounder(startPoint, report);
    for (const Curve &c : out.path)
        if (Status s = rounder.add(c); !s)
            return std::move(s.error());
    report.segments = rounder.segments.size();

    // Over the limit: the smallest tolerance (of a few steps up to 100 times
    // the one given) whose thinning brings the outline under it.
    if (report.segments > kMaxSegments && options.fit && report.segments <= 100 * kMaxSegments) {
        for (const double factor : {2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
            geo::SimplifyCounts ignored;
            if (SegmentCount(Simplified(ordered, factor * tol / 2.0, ignored)) <= kMaxSegments) {
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

std::vector<std::string> DescribeReport(const ImportReport &r, Lang lang)
{
    std::vector<std::string> lines;
    const auto add = [&](int id, std::initializer_list<FormatArg> args) {
        lines.push_back(Format(Text(id, lang), args));
    };
    add(sid::ReportRead,
        {r.read.empty() ? std::string("-") : Counts(r.read, lang), std::int64_t(r.expanded)});
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
        add(sid::ReportOverLimit, {std::int64_t(r.segments), std::int64_t(r.segments - kMaxSegments),
                                   std::int64_t{kMaxSegments}});
    return lines;
}

} // namespace pos
