// The arranged import, stage by stage on small drawings, and as a whole on
// real drawings: the motion it gives, simulated, is compared with the
// drawing's geometry as ezdxf sees it (testdata/arranged/*.ref.json).

#include "geometry/ArcCheck.h"
#include "geometry/DrawingImport.h"
#include "geometry/DxfReader.h"
#include "guide/ConfigJson.h"
#include "wizard/Checks.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <unordered_map>

namespace pos {
namespace {

using geo::Curve;
using geo::Curves;
using geo::Vec;

std::string Data(const std::string &path)
{
    return std::string(POS_TEST_DATA_DIR) + "/" + path;
}

// A drawing from entity texts: "0\nLINE\n10\n..." pieces.
std::string Dxf(const std::string &entities, const std::string &blocks = {},
                const std::string &header = {})
{
    return "0\nSECTION\n2\nHEADER\n" + header + "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n" + blocks
           + "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::string Line(double x0, double y0, double x1, double y1, const std::string &layer = "0")
{
    std::ostringstream s;
    s << "0\nLINE\n8\n"
      << layer << "\n10\n"
      << x0 << "\n20\n"
      << y0 << "\n11\n"
      << x1 << "\n21\n"
      << y1 << "\n";
    return s.str();
}

std::string Circle(double x, double y, double r)
{
    std::ostringstream s;
    s << "0\nCIRCLE\n8\n0\n10\n" << x << "\n20\n" << y << "\n40\n" << r << "\n";
    return s.str();
}

ArrangedDrawing Arrange(const std::string &text, ArrangeOptions options = {})
{
    const Result<dxf::Drawing> drawing = dxf::ReadDrawingText(text);
    EXPECT_TRUE(drawing.has_value()) << (drawing ? "" : Describe(drawing.error(), Lang::En));
    Result<ArrangedDrawing> arranged = ArrangeDrawing(drawing.value_or(dxf::Drawing{}), options);
    EXPECT_TRUE(arranged.has_value()) << (arranged ? "" : Describe(arranged.error(), Lang::En));
    return arranged ? std::move(*arranged) : ArrangedDrawing{};
}

Diagnostic ArrangeError(const std::string &text)
{
    const Result<dxf::Drawing> drawing = dxf::ReadDrawingText(text);
    if (!drawing)
        return drawing.error();
    Result<ArrangedDrawing> arranged = ArrangeDrawing(*drawing, {.maxCurves = 1000});
    EXPECT_FALSE(arranged.has_value());
    return arranged ? Diagnostic{} : arranged.error();
}

// ---------------------------------------------------------------- motion

// The motion of the segments as the machine runs them in absolute mode from
// start, in millimetres: arcs about their centre from where the machine is,
// to the direction of their end point, then on to the end point itself.
struct Motion
{
    Curves cut;
    Curves travel;
};

Motion Simulate(const std::vector<PosSegment> &segments, Vec start, double mmPerPulse)
{
    Motion m;
    Vec at = start;
    const auto mm = [mmPerPulse](Vec v) { return mmPerPulse * v; };
    for (const PosSegment &s : segments) {
        const Vec end{static_cast<double>(s.endX), static_cast<double>(s.endY)};
        Curves &to = s.travel ? m.travel : m.cut;
        if (s.type == kTypeLine) {
            to.push_back(Curve::Line(mm(at), mm(end)));
        } else {
            const Vec c{static_cast<double>(s.centreX), static_cast<double>(s.centreY)};
            const double r = geo::Distance(at, c);
            const double d = geo::Distance(end, c);
            const Vec onCircle = end == at ? at : c + (r / d) * (end - c);
            to.push_back(Curve::Arc(mm(at), mm(onCircle), mm(c), s.type == kTypeCcw));
            to.push_back(Curve::Line(mm(onCircle), mm(end)));
        }
        at = end;
    }
    return m;
}

// Curves found by position: a grid of cells, each holding the curves that
// pass within `limit` of it.
class Nearby
{
public:
    Nearby(const Curves &curves, double limit)
        : m_curves(curves)
        , m_limit(limit)
    {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        for (const Curve &c : curves)
            for (const Vec p : {c.begin, c.end, c.centre}) {
                x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
                x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
            }
        m_cell = std::max(limit, std::max(x1 - x0, y1 - y0) / 1024.0);
        for (std::size_t i = 0; i < curves.size(); ++i) {
            const Curve &c = curves[i];
            const int pieces = static_cast<int>(std::ceil(c.length() / m_cell)) + 1;
            for (int k = 0; k < pieces; ++k) {
                const Vec a = c.at(static_cast<double>(k) / pieces);
                const Vec b = c.at(static_cast<double>(k + 1) / pieces);
                const double m = limit + m_cell / 8.0; // and the bow of an arc piece
                for (std::int64_t y = key(std::min(a.y, b.y) - m); y <= key(std::max(a.y, b.y) + m);
                     ++y)
                    for (std::int64_t x = key(std::min(a.x, b.x) - m);
                         x <= key(std::max(a.x, b.x) + m); ++x) {
                        std::vector<std::size_t> &v = m_cells[cellKey(x, y)];
                        if (v.empty() || v.back() != i)
                            v.push_back(i);
                    }
            }
        }
    }

    // The distance from p to the nearest curve, when one lies within the
    // limit; else infinity.
    double distance(Vec p) const
    {
        const auto it = m_cells.find(cellKey(key(p.x), key(p.y)));
        double best = std::numeric_limits<double>::infinity();
        if (it != m_cells.end())
            for (std::size_t i : it->second)
                best = std::min(best, m_curves[i].distanceTo(p));
        return best <= m_limit ? best : std::numeric_limits<double>::infinity();
    }

private:
    std::int64_t key(double v) const { return static_cast<std::int64_t>(std::floor(v / m_cell)); }
    static std::uint64_t cellKey(std::int64_t x, std::int64_t y)
    {
        return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15u ^ static_cast<std::uint64_t>(y);
    }

    const Curves &m_curves;
    double m_limit;
    double m_cell = 1.0;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> m_cells;
};

// The largest distance from a point of `from` to the curves of `to`.
double Deviation(const Curves &from, const Nearby &to, double step)
{
    double worst = 0.0;
    for (const Curve &c : from) {
        const int n = static_cast<int>(std::clamp(c.length() / step, 1.0, 400.0));
        for (int k = 0; k <= n; ++k)
            worst = std::max(worst, to.distance(c.at(static_cast<double>(k) / n)));
    }
    return worst;
}

// The reference geometry of a drawing in millimetres.
Curves Reference(const nlohmann::json &ref)
{
    Curves out;
    for (const auto &l : ref["lines"])
        out.push_back(Curve::Line({l[0], l[1]}, {l[2], l[3]}));
    for (const auto &a : ref["arcs"]) {
        const Vec c{a[0], a[1]};
        const double r = a[2];
        const double from = a[3].get<double>() * std::numbers::pi / 180.0;
        const double to = a[4].get<double>() * std::numbers::pi / 180.0;
        const Vec b = c + r * Vec{std::cos(from), std::sin(from)};
        const bool full = to - from >= 2.0 * std::numbers::pi - 1e-12;
        out.push_back(Curve::Arc(b, full ? b : c + r * Vec{std::cos(to), std::sin(to)}, c, true));
    }
    for (const auto &p : ref["polylines"])
        for (std::size_t k = 2; k + 1 < p.size(); k += 2)
            out.push_back(Curve::Line({p[k - 2], p[k - 1]}, {p[k], p[k + 1]}));
    return out;
}

// ------------------------------------------------------------ real drawings

struct RealDrawing
{
    const char *name;
    std::uint64_t plainDigest; // of the plain import's record, as it has always been
};

const RealDrawing kRealDrawings[] = {
    {"ac1003_lines_arcs", 0xf84e5c87790dc8ebu},
    {"acad2000_architecture_m", 0x34aa6b7fa4cfdfebu},
    {"acad2004_lwpoly_m_crlf", 0x1ca7c2bf104495d8u},
    {"acad2013_edgeminer", 0x2ff5c8561606f15bu},
    {"acad2018_edgeminer", 0x992533a2d38fd314u},
    {"acad2018_text_crlf", 0x049460b186c70437u},
    {"arc_ocs_entities_only", 0x8f9634ee2bb37eb3u},
    {"archicad_r2004_bulges_crlf", 0x0985decf433b25a7u},
    {"cadman_no_header", 0x0acc98bf98a6ea79u},
    {"ezdxf_closed_loop", 0x7b0e7ae1cbdc62deu},
    {"ezdxf_exploded_mirror", 0x7891afb2e79e5b21u},
    {"leica_disto_r12", 0x8d27d08e1ba0eee3u},
    {"librecad_lwpoly_bulge", 0xd31b1fa232ec406du},
    {"openscad_export_noheader", 0x4295214e6831bf5bu},
    {"qcad3_r2010_entities", 0xc7958a94fec7c944u},
    {"qcad3_supported_entities", 0xabb830b39fc1740du},
    {"r12_crlf_mirrored", 0xf6d5504b8467258bu},
    {"r12_gear_polylines", 0xe7385fb31a61c595u},
    {"r12_issue1106", 0xc55619a73d3b99e4u},
    {"r13_duplicate_handles", 0x1776752d22225599u},
};

void PrintTo(const RealDrawing &d, std::ostream *os)
{
    *os << d.name;
}

std::uint64_t Fnv1a(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325u;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3u;
    }
    return h;
}

class RealDrawings : public testing::TestWithParam<RealDrawing>
{};

TEST_P(RealDrawings, PlainImportIsUnchanged)
{
    const Result<PosConfig> record
        = CDxfReader().ReadDxfFile(Data("dxf/") + GetParam().name + ".dxf");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(Fnv1a(WriteRawRecordJson(*record)), GetParam().plainDigest);
}

// At 100 pulses per millimetre with a tolerance of 0.01 mm, the motion
// (travel moves aside) stays within the tolerance of the drawing, plus two
// pulses for rounding to whole pulses, and leaves none of it out; every arc
// passes the arc check where the chain puts it.
TEST_P(RealDrawings, ArrangedMotionFollowsTheDrawing)
{
    const std::string name = GetParam().name;
    const Result<dxf::Drawing> drawing = dxf::ReadDrawingFile(Data("dxf/") + name + ".dxf");
    ASSERT_TRUE(drawing.has_value());
    const Result<ArrangedDrawing> arranged = ArrangeDrawing(*drawing, {.keep = SIZE_MAX});
    ASSERT_TRUE(arranged.has_value()) << Describe(arranged.error(), Lang::En);

    std::int32_t bx = 0, by = 0;
    for (const PosSegment &s : arranged->segments) {
        if (s.isArc()) {
            EXPECT_EQ(CheckSegmentArc(bx, by, s).result, kArcOk) << name << " segment " << s.number;
        }
        bx = s.endX;
        by = s.endY;
    }
    if (arranged->segments.size() <= kMaxSegments) {
        PosConfig config = arranged->config;
        for (auto &[n, s] : config.segments) {
            s.initialSpeed = 100;
            s.maxSpeed = 1000;
            s.accDecTime = 100;
        }
        EXPECT_TRUE(CheckConfiguration(config, {}).empty()) << name;
    }

    std::ifstream file(Data("arranged/") + name + ".ref.json");
    if (!file)
        GTEST_SKIP() << "ezdxf cannot read " << name;
    const Curves reference = Reference(nlohmann::json::parse(file));
    const Motion motion = Simulate(arranged->segments, {}, 0.01);
    constexpr double kLimit = 0.01 + 0.02;
    const double extra = Deviation(motion.cut, Nearby(reference, kLimit), kLimit / 4.0);
    const double missed = Deviation(reference, Nearby(motion.cut, kLimit), kLimit / 4.0);
    EXPECT_LE(extra, kLimit) << name << ": motion away from the drawing";
    EXPECT_LE(missed, kLimit) << name << ": drawing left out of the motion";
}

INSTANTIATE_TEST_SUITE_P(Drawings, RealDrawings, testing::ValuesIn(kRealDrawings),
                         [](const auto &p) { return std::string(p.param.name); });

// ------------------------------------------------------------------ stages

// A square drawn as four lines in no order, two of them backwards, becomes
// one closed contour entered from the corner nearest the start.
TEST(ArrangeStages, LinesInAnyOrderBecomeOneContour)
{
    const ArrangedDrawing a = Arrange(
        Dxf(Line(10, 0, 10, 10) + Line(0, 10, 0, 0) + Line(0, 0, 10, 0) + Line(0, 10, 10, 10)),
        {.startMm = {-3, 12}});
    ASSERT_EQ(a.segments.size(), 5u);
    EXPECT_TRUE(a.segments[0].travel);
    EXPECT_EQ(a.report.closedContours, 1u);
    EXPECT_EQ(a.report.travelMoves, 1u);
    EXPECT_EQ(std::pair(a.segments[0].endX, a.segments[0].endY), std::pair(0, 1000));
    for (std::size_t k = 1; k < a.segments.size(); ++k) {
        EXPECT_FALSE(a.segments[k].travel);
        EXPECT_EQ(a.segments[k].beginX, a.segments[k - 1].endX);
        EXPECT_EQ(a.segments[k].beginY, a.segments[k - 1].endY);
    }
    EXPECT_EQ(std::pair(a.segments[4].endX, a.segments[4].endY), std::pair(0, 1000));
}

// Circles are full turns entered at their point nearest the machine; the
// nearer circle comes first.
TEST(ArrangeStages, CirclesAreFullTurnsNearestFirst)
{
    const ArrangedDrawing a = Arrange(Dxf(Circle(100, 0, 5) + Circle(20, 0, 5)));
    ASSERT_EQ(a.segments.size(), 4u);
    EXPECT_EQ(a.segments[1].type, kTypeCcw);
    EXPECT_EQ(std::tuple(a.segments[1].endX, a.segments[1].endY, a.segments[1].centreX),
              std::tuple(1500, 0, 2000));
    EXPECT_EQ(std::tuple(a.segments[3].endX, a.segments[3].centreX), std::tuple(9500, 10000));
    EXPECT_EQ(a.report.read.at("CIRCLE"), 2u);
}

// What lies inside a closed contour is cut before it, innermost first, even
// when the outline is nearer; contours side by side go nearest first.
TEST(ArrangeStages, InnerContoursFirst)
{
    const std::string square
        = Line(0, 0, 10, 0) + Line(10, 0, 10, 10) + Line(10, 10, 0, 10) + Line(0, 10, 0, 0);
    const ArrangedDrawing a = Arrange(Dxf(square + Circle(5, 5, 3) + Circle(5, 5, 1)));
    ASSERT_EQ(a.segments.size(), 9u);
    EXPECT_EQ(std::tuple(a.segments[1].type, a.segments[1].centreX), std::tuple(kTypeCcw, 500));
    EXPECT_EQ(std::pair(a.segments[0].endX, a.segments[1].endX), std::pair(429, 429)); // r = 1
    EXPECT_EQ(a.segments[3].endX, 288);                                                // r = 3
    EXPECT_TRUE(a.segments[4].travel);
    EXPECT_EQ(std::pair(a.segments[4].endX, a.segments[4].endY), std::pair(0, 0));
}

// Units: $INSUNITS scales the drawing; none means millimetres, said so;
// the user's unit wins.
TEST(ArrangeStages, UnitsScaleBeforeRounding)
{
    const std::string inches = Dxf(Line(0, 0, 1, 0), {}, "9\n$INSUNITS\n70\n1\n");
    EXPECT_EQ(Arrange(inches).segments.back().endX, 2540);
    EXPECT_FALSE(Arrange(inches).report.unitAssumed);
    const ArrangedDrawing none = Arrange(Dxf(Line(0, 0, 0.005, 0)), {.pulsesPerMm = 1000});
    EXPECT_TRUE(none.report.unitAssumed);
    EXPECT_EQ(none.segments.back().endX, 5);
    EXPECT_EQ(Arrange(inches, {.unit = 6}).segments.back().endX, 100000);
}

// A block inserted mirrored and turned: its arc runs the other way, at the
// right place; MINSERT repeats it; a block that inserts itself is refused.
TEST(ArrangeStages, BlockReferences)
{
    const std::string block
        = "0\nBLOCK\n2\nB\n10\n1\n20\n0\n0\nARC\n10\n1\n20\n0\n40\n1\n50\n0\n51\n90\n0\nENDBLK\n";
    const ArrangedDrawing a
        = Arrange(Dxf("0\nINSERT\n2\nB\n10\n50\n20\n0\n41\n-1\n50\n90\n", block), {.order = false});
    ASSERT_EQ(a.segments.size(), 2u);
    // (2, 0) in the block: 1 right of the base; mirrored: 1 left; turned a
    // quarter: 1 down from (50, 0). (1, 1): mirrored (-0, 1), turned (-1, 0).
    EXPECT_EQ(std::tuple(a.segments[1].beginX, a.segments[1].beginY), std::tuple(5000, -100));
    EXPECT_EQ(std::tuple(a.segments[1].endX, a.segments[1].endY), std::tuple(4900, 0));
    EXPECT_EQ(a.segments[1].type, kTypeCw);
    EXPECT_EQ(a.report.expanded, 1u);

    const ArrangedDrawing grid
        = Arrange(Dxf("0\nMINSERT\n2\nB\n70\n3\n71\n2\n44\n10\n45\n10\n", block), {.order = false});
    EXPECT_EQ(grid.report.expanded, 6u);
    EXPECT_EQ(std::pair(grid.segments.back().endX, grid.segments.back().endY),
              std::pair(2000, 1100)); // the last copy: row 2, column 3

    const std::string self = "0\nBLOCK\n2\nS\n0\nINSERT\n2\nS\n0\nLINE\n11\n1\n0\nENDBLK\n";
    EXPECT_EQ(ArrangeError(Dxf("0\nINSERT\n2\nS\n", self)).id, sid::ImportNesting);
    EXPECT_EQ(ArrangeError(Dxf("0\nMINSERT\n2\nB\n70\n100000\n71\n100000\n", block)).id,
              sid::ImportTooLarge);
}

// An arc whose ends meet in rounding: a sliver has no length and is left
// out, a near-full arc stays a full turn.
TEST(ArrangeStages, ArcsWhoseEndsMeetInRounding)
{
    const std::string arc = "0\nARC\n10\n0\n20\n0\n40\n10\n50\n0\n51\n";
    const ArrangedDrawing sliver = Arrange(Dxf(Line(0, 0, 10, 0) + arc + "0.0001\n"));
    EXPECT_EQ(sliver.segments.size(), 1u);
    EXPECT_EQ(sliver.report.droppedZero, 1u);
    const ArrangedDrawing full = Arrange(Dxf(Line(0, 0, 10, 0) + arc + "359.9999\n"));
    ASSERT_EQ(full.segments.size(), 2u);
    EXPECT_EQ(std::tuple(full.segments[1].type, full.segments[1].endX, full.segments[1].endY),
              std::tuple(kTypeCcw, 1000, 0));
}

// A circle in a tilted plane is seen from above as an ellipse: the plane's
// X axis is world Y, its Y axis leans towards -X.
TEST(ArrangeStages, TiltedPlaneSeenFromAbove)
{
    const ArrangedDrawing a
        = Arrange(Dxf("0\nCIRCLE\n10\n0\n20\n5\n40\n2\n210\n0.6\n220\n0\n230\n0.8\n"));
    ASSERT_GT(a.segments.size(), 4u);
    EXPECT_EQ(a.report.approximated, 1u);
    for (std::size_t k = 1; k < a.segments.size(); ++k) {
        EXPECT_TRUE(a.segments[k].endX >= -561 && a.segments[k].endX <= -239) << k;
        EXPECT_TRUE(a.segments[k].endY >= -201 && a.segments[k].endY <= 201) << k;
    }
}

// Layers, paper space, R12 polylines with bulges, and meshes left out with a
// count.
TEST(ArrangeStages, WhatIsTaken)
{
    const std::string polyline = "0\nPOLYLINE\n66\n1\n70\n1\n0\nVERTEX\n10\n0\n20\n0\n42\n1\n"
                                 "0\nVERTEX\n10\n10\n20\n0\n0\nSEQEND\n";
    const std::string mesh = "0\nPOLYLINE\n70\n64\n0\nVERTEX\n10\n0\n20\n0\n0\nSEQEND\n";
    const std::string text = Dxf(Line(0, 0, 1, 0, "CUT") + Line(5, 5, 6, 5, "NOTES")
                                 + "0\nLINE\n67\n1\n11\n9\n" + polyline + mesh + "0\nTEXT\n1\nx\n");
    const ArrangedDrawing all = Arrange(text);
    EXPECT_EQ(all.report.read.at("POLYLINE"), 1u);
    EXPECT_EQ(all.report.skipped.at("paper space"), 1u);
    EXPECT_EQ(all.report.skipped.at("polyface mesh"), 1u);
    EXPECT_EQ(all.report.skipped.at("TEXT"), 1u);
    const auto arcs = std::count_if(all.segments.begin(), all.segments.end(),
                                    [](const PosSegment &s) { return s.isArc(); });
    EXPECT_EQ(arcs, 1); // the closing edge takes the last vertex's bulge: none

    const ArrangedDrawing cut = Arrange(text, {.layers = {"CUT"}});
    EXPECT_EQ(cut.segments.size(), 1u);
    EXPECT_EQ(cut.report.skipped.at("other layers"), 2u);
}

// More segments than the limit: the report says by how much, and which
// tolerance would do.
TEST(ArrangeStages, ReportTellsTheLimit)
{
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += Line(i, 0, i + 1, 0.00001 * (i % 2));
    const ArrangedDrawing a = Arrange(Dxf(lines), {.fit = false});
    EXPECT_EQ(a.report.segments, 300u);
    EXPECT_EQ(a.config.segments.size(), kMaxSegments);
    const std::vector<std::string> text = DescribeReport(a.report, Lang::En);
    EXPECT_EQ(text.back(),
              "Segments: 300, 44 more than the limit of 256; only the first ones are taken");
}

} // namespace
} // namespace pos
