// Tests of the DXF reader: real drawings against their reference geometry,
// the group-code/value pairing, arcs, bulges, extrusion, and malformed input.

#include "geometry/DxfDrawing.h"
#include "geometry/DxfReader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace pos {
namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

// A drawing whose ENTITIES section holds the given group pairs: pair i has
// its code on line 5 + 2i and its value on line ValueLine(i) = 6 + 2i.
std::string Drawing(const Pairs &body)
{
    std::string text = "0\nSECTION\n2\nENTITIES\n";
    for (const auto &[code, value] : body)
        text += std::to_string(code) + "\n" + value + "\n";
    return text + "0\nENDSEC\n0\nEOF\n";
}

long long ValueLine(int pairIndex)
{
    return 6 + 2LL * pairIndex;
}

PosSegment Seg(std::int32_t type, std::int32_t bx, std::int32_t by, std::int32_t ex,
               std::int32_t ey, std::int32_t cx = 0, std::int32_t cy = 0)
{
    return PosSegment{0, type, 0, 0, 0, 0, bx, by, ex, ey, cx, cy};
}

// The segments of a read in key order; fails the test when the read fails or
// the keys are not 0..n-1.
std::vector<PosSegment> Segments(const Result<PosConfig> &config)
{
    std::vector<PosSegment> out;
    if (!config) {
        ADD_FAILURE() << "read failed: " << Describe(config.error(), Lang::En);
        return out;
    }
    for (const auto &[key, segment] : config->segments) {
        EXPECT_EQ(key, out.size());
        out.push_back(segment);
    }
    return out;
}

std::vector<PosSegment> Read(const std::string &text)
{
    return Segments(CDxfReader().ReadDxfText(text));
}

std::int32_t Round(double v)
{
    return static_cast<std::int32_t>(std::floor(v + 0.5));
}

std::string DataPath(const std::string &name)
{
    return std::string(POS_TEST_DATA_DIR) + "/dxf/" + name;
}

// ---------------------------------------------------------------------------
// Real drawings: our segments are ezdxf's world geometry, rounded.

// An arc that is not a full turn but whose ends round to one point is read
// as a straight line of no length: as an arc the PLC would run a full circle.
PosSegment FromRefArc(const nlohmann::json &start, const nlohmann::json &end,
                      const nlohmann::json &centre, bool ccw, bool fullTurn)
{
    const PosSegment arc = Seg(ccw ? kTypeCcw : kTypeCw, Round(start[0]), Round(start[1]),
                               Round(end[0]), Round(end[1]), Round(centre[0]), Round(centre[1]));
    if (fullTurn || arc.beginX != arc.endX || arc.beginY != arc.endY)
        return arc;
    return Seg(kTypeLine, arc.beginX, arc.beginY, arc.endX, arc.endY);
}

std::vector<PosSegment> ExpectedFromReference(const nlohmann::json &ref)
{
    std::vector<PosSegment> out;
    for (const auto &e : ref.at("entities")) {
        const std::string type = e.at("type");
        const auto &w = e.at("wcs");
        if (type == "LINE") {
            out.push_back(Seg(kTypeLine, Round(w["start"][0]), Round(w["start"][1]),
                              Round(w["end"][0]), Round(w["end"][1])));
        } else if (type == "ARC") {
            const double turns
                = (e.at("end_angle").get<double>() - e.at("start_angle").get<double>()) / 360.0;
            out.push_back(FromRefArc(w["start_point"], w["end_point"], w["center"],
                                     w["ccw_seen_from_plus_z"], turns == std::floor(turns)));
        } else if (type == "LWPOLYLINE") {
            for (const auto &s : w.at("segments")) {
                if (s.at("type") == "line")
                    out.push_back(Seg(kTypeLine, Round(s["start"][0]), Round(s["start"][1]),
                                      Round(s["end"][0]), Round(s["end"][1])));
                else
                    out.push_back(FromRefArc(s["start"], s["end"], s["center"],
                                             s["ccw_seen_from_plus_z"], false));
            }
        } // R12 POLYLINE and the rest are not read
    }
    return out;
}

// What each drawing shows: half units at quarter angles and LINE groups in
// the order 10, 11, 20, 21 (ac1003); an ARC in a mirrored plane, no final
// line feed (arc_ocs); mirrored LWPOLYLINE and ARC with bulges (exploded
// mirror); negative bulges, bulges above 1 and bulged closing edges
// (librecad, archicad); CRLF and flags 128/129 (archicad, acad2004); LINE
// with extrusion (0, 0, -1) in world coordinates next to mirrored ARCs, and
// CIRCLE, DIMENSION, INSERT and R12 POLYLINE passed over (r12_crlf_mirrored);
// handles that read "1", "10", "21", "40", "70" (r13); empty handles and no
// HEADER (cadman).
TEST(DxfReader, RealDrawingsGiveTheReferenceWorldGeometryRounded)
{
    for (const std::string name :
         {"ac1003_lines_arcs", "arc_ocs_entities_only", "ezdxf_exploded_mirror",
          "librecad_lwpoly_bulge", "archicad_r2004_bulges_crlf", "acad2004_lwpoly_m_crlf",
          "r12_crlf_mirrored", "r13_duplicate_handles", "cadman_no_header"}) {
        std::ifstream refFile(DataPath(name + ".ref.json"));
        const nlohmann::json ref = nlohmann::json::parse(refFile);
        ASSERT_TRUE(ref.at("values_reliable").get<bool>()) << name;
        const std::vector<PosSegment> expected = ExpectedFromReference(ref);
        ASSERT_FALSE(expected.empty()) << name;
        EXPECT_EQ(Segments(CDxfReader().ReadDxfFile(DataPath(name + ".dxf"))), expected) << name;
    }
}

// ---------------------------------------------------------------------------
// The record the reader builds.

TEST(DxfRecord, NewConfigurationFieldsAndPlainSegmentsOrNothing)
{
    // clang-format off
    const Result<PosConfig> config = CDxfReader().ReadDxfText(Drawing({{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {0, "ARC"}, {40, "5"}, {51, "90"}}));
    // clang-format on
    ASSERT_TRUE(config);
    PosConfig expected; // every other field as in a new record, speeds and modes 0
    expected.segments = {{0, Seg(kTypeLine, 1, 2, 3, 4)}, {1, Seg(kTypeCcw, 5, 0, 0, 5)}};
    EXPECT_EQ(*config, expected);

    for (const std::string &text :
         {std::string("0\nEOF\n"), Drawing({}),
          std::string("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n"),
          Drawing({{0, "CIRCLE"}, {10, "1"}, {20, "1"}, {40, "3"}, {0, "TEXT"}, {1, "LINE"}})})
        EXPECT_TRUE(Read(text).empty()) << text;
}

// ---------------------------------------------------------------------------
// Coordinates, arcs, bulges and planes.

struct ShapeCase
{
    const char *name;
    Pairs body;
    std::vector<PosSegment> expected;
};

// clang-format off
const ShapeCase kShapes[] = {
    {"LineRoundsHalvesUp", {{0, "LINE"}, {10, "0.4"}, {20, "0.5"}, {11, "10.5"}, {21, "-3.5"}}, {Seg(kTypeLine, 0, 1, 11, -3)}},
    {"LineNegativeHalvesAndGroupsInAnyOrder", {{0, "LINE"}, {11, "2.5"}, {10, "-2.5"}, {21, "-0.5"}, {20, "-2.51"}}, {Seg(kTypeLine, -2, -3, 3, 0)}},
    {"ArcQuarter", {{0, "ARC"}, {10, "100"}, {20, "100"}, {40, "50"}, {50, "0"}, {51, "90"}}, {Seg(kTypeCcw, 150, 100, 100, 150, 100, 100)}},
    {"ArcCrossingZero", {{0, "ARC"}, {40, "1000"}, {50, "350"}, {51, "10"}}, {Seg(kTypeCcw, 985, -174, 985, 174)}},
    {"ArcNegativeStart", {{0, "ARC"}, {40, "1000"}, {50, "-90"}, {51, "0"}}, {Seg(kTypeCcw, 0, -1000, 1000, 0)}},
    {"ArcEqualAnglesFullTurn", {{0, "ARC"}, {10, "10"}, {20, "20"}, {40, "100"}, {50, "45"}, {51, "45"}}, {Seg(kTypeCcw, 81, 91, 81, 91, 10, 20)}},
    // Angles are not rounded to whole degrees, and pi is not 3.141593.
    {"ArcFractionalAngles", {{0, "ARC"}, {40, "10000"}, {50, "0.6"}, {51, "89.4"}}, {Seg(kTypeCcw, 9999, 105, 105, 9999)}},
    {"ArcFullPrecisionPi", {{0, "ARC"}, {40, "10000000"}, {50, "0"}, {51, "90"}}, {Seg(kTypeCcw, 10000000, 0, 0, 10000000)}},
    // Quarter turns are exact: cos(270 degrees) taken plainly is -1.8e-16,
    // which would move a point on a half unit to the wrong side.
    {"ArcQuarterTurnsOnHalfUnits", {{0, "ARC"}, {10, "2"}, {20, "0.5"}, {40, "0.5"}, {50, "270"}, {51, "0"}}, {Seg(kTypeCcw, 2, 0, 3, 1, 2, 1)}},
    {"ArcQuarterTurnsExactAtHalves", {{0, "ARC"}, {10, "0.5"}, {20, "0.5"}, {40, "1"}, {50, "270"}, {51, "180"}}, {Seg(kTypeCcw, 1, 0, 0, 1, 1, 1)}},
    // Ends that round to one point would make the PLC run a full circle.
    {"ArcWhoseEndsRoundTogetherIsALine", {{0, "ARC"}, {10, "10"}, {20, "10"}, {40, "0.3"}, {50, "0"}, {51, "90"}}, {Seg(kTypeLine, 10, 10, 10, 10)}},
    // Bulges: tan(included angle / 4), carried by the edge's start vertex.
    {"BulgePositiveIsCounterClockwise", {{0, "LWPOLYLINE"}, {90, "2"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"}, {20, "0"}}, {Seg(kTypeCcw, 0, 0, 10, 0, 5, 0)}},
    {"BulgeNegativeIsClockwise", {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "-1"}, {10, "10"}, {20, "0"}}, {Seg(kTypeCw, 0, 0, 10, 0, 5, 0)}},
    {"BulgeAboveOneCentreRightOfChord", {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "2"}, {10, "10"}, {20, "0"}}, {Seg(kTypeCcw, 0, 0, 10, 0, 5, -4)}}, // centre (5, -3.75)
    {"BulgeOnClosingEdgeFromLastVertex", {{0, "LWPOLYLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {10, "10"}, {20, "10"}, {42, "-1"}}, {Seg(kTypeLine, 0, 0, 10, 0), Seg(kTypeLine, 10, 0, 10, 10), Seg(kTypeCw, 10, 10, 0, 0, 5, 5)}},
    {"BulgeOnLastVertexOfOpenPolylineIsUnused", {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {42, "1"}}, {Seg(kTypeLine, 0, 0, 10, 0)}},
    {"BulgeOnZeroLengthEdgeStaysStraight", {{0, "LWPOLYLINE"}, {10, "3"}, {20, "4"}, {42, "1"}, {10, "3"}, {20, "4"}}, {Seg(kTypeLine, 3, 4, 3, 4)}},
    {"BulgedEdgeWhoseEndsRoundTogetherIsALine", {{0, "LWPOLYLINE"}, {10, "0.1"}, {20, "0"}, {42, "-1"}, {10, "0.3"}, {20, "0"}}, {Seg(kTypeLine, 0, 0, 0, 0)}},
    // Bowing out by less than half a unit, with a centre beyond 32 bits: its chord.
    {"BulgeTooSmallToShowStaysStraight", {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "1e-9"}, {10, "1000"}, {20, "0"}}, {Seg(kTypeLine, 0, 0, 1000, 0)}},
    // Closed is bit 1 of group 70, whatever group 90 says; one vertex gives nothing.
    {"ClosedFlag129", {{0, "LWPOLYLINE"}, {90, "5"}, {70, "  129"}, {10, "0"}, {20, "0"}, {10, "4"}, {20, "0"}, {10, "4"}, {20, "3"}}, {Seg(kTypeLine, 0, 0, 4, 0), Seg(kTypeLine, 4, 0, 4, 3), Seg(kTypeLine, 4, 3, 0, 0)}},
    {"OpenFlag128", {{0, "LWPOLYLINE"}, {90, "1"}, {70, "128"}, {10, "0"}, {20, "0"}, {10, "4"}, {20, "0"}}, {Seg(kTypeLine, 0, 0, 4, 0)}},
    {"ClosedTwoVerticesGoThereAndBack", {{0, "LWPOLYLINE"}, {70, "+1"}, {10, "0"}, {20, "0"}, {10, "4"}, {20, "0"}}, {Seg(kTypeLine, 0, 0, 4, 0), Seg(kTypeLine, 4, 0, 0, 0)}},
    {"SingleVertexGivesNothing", {{0, "LWPOLYLINE"}, {70, "1"}, {10, "5"}, {20, "5"}}, {}},
    // Extrusion (0, 0, -1): X negated, arcs turn the other way; a LINE is in
    // world coordinates; rounding comes after the transform.
    {"MirroredArcExtrusionOfAnyLength", {{0, "ARC"}, {10, "30"}, {20, "35"}, {40, "3"}, {230, "-2"}, {50, "0"}, {51, "90"}}, {Seg(kTypeCw, -33, 35, -30, 38, -30, 35)}},
    {"MirroredBulgedPolyline", {{0, "LWPOLYLINE"}, {10, "10"}, {20, "30"}, {10, "50"}, {20, "30"}, {42, "1"}, {10, "50"}, {20, "40"}, {230, "-1.0"}}, {Seg(kTypeLine, -10, 30, -50, 30), Seg(kTypeCw, -50, 30, -50, 40, -50, 35)}},
    {"MirroredLineStaysInWorldCoordinates", {{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {230, "-1"}}, {Seg(kTypeLine, 1, 2, 3, 4)}},
    {"MirroredRoundsInWorldCoordinates", {{0, "LWPOLYLINE"}, {10, "2.5"}, {20, "0"}, {10, "7.5"}, {20, "0"}, {230, "-1"}}, {Seg(kTypeLine, -2, 0, -7, 0)}},
    // N = (1, 0, 0): Ax = Wz x N = (0, 1, 0), Ay = N x Ax = (0, 0, 1), so a
    // plane point (x, y) at elevation z is world (z, x, y).
    {"ArbitraryAxisAlongX", {{0, "LWPOLYLINE"}, {38, "7"}, {10, "10"}, {20, "20"}, {10, "30"}, {20, "40"}, {210, "1"}, {220, "0"}, {230, "0"}}, {Seg(kTypeLine, 7, 10, 7, 30)}},
    // N = (0, 1, 1) / sqrt 2 (near Z): Ax = Wy x N = (-1, 0, 0); facing +Z, arcs stay CCW.
    {"ArbitraryAxisTiltedArc", {{0, "ARC"}, {40, "100"}, {50, "0"}, {51, "90"}, {210, "0"}, {220, "1"}, {230, "1"}}, {Seg(kTypeCcw, -100, 0, 0, -71, 0, 0)}},
    // N = (0.01, 0.01, 1), within 1/64 of Z: Ax = Wy x N, Ay = N x Ax.
    {"ArbitraryAxisNearZ", {{0, "LWPOLYLINE"}, {10, "1000000"}, {20, "0"}, {10, "0"}, {20, "1000000"}, {210, "0.01"}, {220, "0.01"}, {230, "1"}}, {Seg(kTypeLine, 999950, 0, -100, 999950)}},
};
// clang-format on

TEST(DxfShapes, Segments)
{
    for (const ShapeCase &c : kShapes)
        EXPECT_EQ(Read(Drawing(c.body)), c.expected) << c.name;
}

// ---------------------------------------------------------------------------
// Group pairing: a value is never a code or a keyword; entities end at group 0.

TEST(DxfPairing, ValuesThatLookLikeCodesOrKeywords)
{
    // Handle "21", layer "LINE", a text "ENDSEC", a layer "ARC", a handle "10".
    EXPECT_EQ(
        Read(Drawing({
            {0, "LINE"},   {5, "21"},     {8, "LINE"}, {10, "1"},   {20, "2"},  {11, "3"},
            {21, "4"},     {0, "TEXT"},   {5, "10"},   {8, "0"},    {10, "99"}, {20, "99"},
            {1, "ENDSEC"}, {0, "ARC"},    {5, "10"},   {8, "ARC"},  {10, "0"},  {20, "0"},
            {40, "10"},    {50, "0"},     {51, "90"},  {0, "TEXT"}, {1, "EOF"}, {8, "ENTITIES"},
            {0, "LINE"},   {8, "ENDSEC"}, {10, "5"},   {20, "6"},   {11, "7"},  {21, "8"},
        })),
        (std::vector{Seg(kTypeLine, 1, 2, 3, 4), Seg(kTypeCcw, 10, 0, 0, 10),
                     Seg(kTypeLine, 5, 6, 7, 8)}));
    EXPECT_TRUE(Read("0\nSECTION\n2\nHEADER\n9\n$PROJECTNAME\n1\nENTITIES\n0\nENDSEC\n0\n"
                     "SECTION\n2\nBLOCKS\n0\nLINE\n10\n1\n20\n1\n11\n2\n21\n2\n0\nENDSEC\n0\nEOF\n")
                    .empty());
}

TEST(DxfPairing, IncompleteEntitiesTakeTheirDefaultsNeverTheEntityBefore)
{
    // A LINE without its end; a polyline cut short by a CIRCLE whose centre
    // must not become a vertex; an ARC, then an ARC without centre, radius or
    // start angle; a LINE with no groups.
    EXPECT_EQ(Read(Drawing({
                  {0, "LINE"}, {10, "5"},  {20, "6"},  {0, "LWPOLYLINE"}, {10, "0"},
                  {20, "0"},   {10, "1"},  {20, "1"},  {0, "CIRCLE"},     {10, "50"},
                  {20, "50"},  {0, "ARC"}, {10, "7"},  {20, "8"},         {40, "2"},
                  {50, "0"},   {51, "90"}, {0, "ARC"}, {51, "90"},        {0, "LINE"},
              })),
              (std::vector{Seg(kTypeLine, 5, 6, 0, 0), Seg(kTypeLine, 0, 0, 1, 1),
                           Seg(kTypeCcw, 9, 8, 7, 10, 7, 8), Seg(kTypeLine, 0, 0, 0, 0),
                           Seg(kTypeLine, 0, 0, 0, 0)}));
    // The last entity is complete when the section or the file ends; nothing
    // after EOF is read.
    EXPECT_EQ(Read("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n"
                   "0\nLINE\n10\n9\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n5\n0\nEOF"),
              (std::vector{Seg(kTypeLine, 1, 0, 0, 0), Seg(kTypeLine, 0, 0, 5, 0)}));
    EXPECT_EQ(Read(Drawing({{0, "LINE"}, {11, "1"}}) + "garbage\n\x1a"),
              (std::vector{Seg(kTypeLine, 0, 0, 1, 0)}));
}

TEST(DxfPairing, WritersLayoutsAndValuesOfGroupsNotRead)
{
    const std::vector<PosSegment> expected = {Seg(kTypeLine, 1, 2, 3, 4)};
    const std::string lf = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n1\n 20\n2\n 11\n3\n"
                           " 21\n4\n  0\nENDSEC\n  0\nEOF\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    // clang-format off
    for (const std::string &text : {
             lf, crlf, lf.substr(0, lf.size() - 1), crlf.substr(0, crlf.size() - 2), "\xEF\xBB\xBF" + lf, lf + "\n\n   \n",
             std::string("0\nSECTION\n2\nENTITIES\n\t0\nLINE\n10\n\t1\n20\n  2  \n11\n3\t\n21\n4\r\n0\nEOF"),
             std::string("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.0E0\n20\n+2\n11\n3.\n21\n.4e1\n0\nEOF\n"),
             // Z, thickness, colour and handles, and other entities' values, may hold anything.
             Drawing({{0, "LINE"}, {5, "1,5"}, {10, "1"}, {20, "2"}, {30, "nan"}, {62, "BYLAYER"}, {11, "3"}, {21, "4"}, {0, "CIRCLE"}, {10, "1,5"}})})
        // clang-format on
        EXPECT_EQ(Read(text), expected) << testing::PrintToString(text);
}

// ---------------------------------------------------------------------------
// Malformed input: the reason with its line.

Pairs LineWith(int code, const char *value)
{
    Pairs body = {{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}};
    for (auto &pair : body)
        if (pair.first == code)
            pair.second = value;
    return body;
}

TEST(DxfMalformed, FailsWithReasonLineAndQuote)
{
    struct BadCase
    {
        std::string text;
        int id;
        long long line;
        std::string detail;
    };
    // clang-format off
    const BadCase cases[] = {
        {Drawing(LineWith(20, "1,5")), sid::DxfNotNumber, ValueLine(2), "1,5"},
        {Drawing(LineWith(21, "nan")), sid::DxfNotNumber, ValueLine(4), "nan"},
        {Drawing(LineWith(11, "")), sid::DxfNotNumber, ValueLine(3), ""},
        {Drawing(LineWith(10, "1e400")), sid::DxfOutOfRange, ValueLine(1), "1e400"},
        {Drawing(LineWith(20, "2147483647.5")), sid::DxfOutOfRange, ValueLine(2), "2147483647.5"},
        // The first of several failures is the one reported.
        {Drawing({{0, "LWPOLYLINE"}, {10, "3e9"}, {20, "0"}, {10, "4e9"}, {20, "0"}}), sid::DxfOutOfRange, ValueLine(1), "3e9"},
        {Drawing(LineWith(21, "-2147483648.6")), sid::DxfOutOfRange, ValueLine(4), "-2147483648.6"},
        {Drawing({{0, "ARC"}, {40, "1,5"}}), sid::DxfNotNumber, ValueLine(1), "1,5"},
        {Drawing({{0, "LWPOLYLINE"}, {70, "1.0"}}), sid::DxfNotNumber, ValueLine(1), "1.0"},
        {Drawing({{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "x"}}), sid::DxfNotNumber, ValueLine(3), "x"},
        // Out of range only in world coordinates: quoted as computed.
        {Drawing({{0, "LWPOLYLINE"}, {10, "-2147483648.4"}, {20, "0"}, {10, "0"}, {20, "0"}, {230, "-1"}}),
         sid::DxfOutOfRange, ValueLine(1), "2147483648.4"},
        {Drawing({{0, "LINE"}, {0, "ARC"}, {10, "2147480000"}, {40, "10000"}, {50, "0"}, {51, "180"}}),
         sid::DxfBadArc, ValueLine(1), ""},
        // A chord bowing out 0.6 units near the top of the range: its centre lies beyond 32 bits.
        {Drawing({{0, "LWPOLYLINE"}, {10, "0"}, {20, "2147000000"}, {42, "0.0003"}, {10, "4000"}, {20, "2147000000"}}),
         sid::DxfBadArc, ValueLine(3), ""},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\nLAYER\n0\n", sid::DxfCodeExpected, 7, "LAYER"},
        {"  0\r\nSECTION\r\n- 2\r\nENTITIES\r\n", sid::DxfCodeExpected, 3, "- 2"},
        // A value line missing in the middle shifts the pairs.
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n20\n2\n0\nEOF\n", sid::DxfCodeExpected, 11, "EOF"},
        {"0\nSECTION\n\n2\nENTITIES\n", sid::DxfCodeExpected, 3, ""},
        {"0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n", sid::DxfValueMissing, 9, ""},
        {"0\nSECTION\n2\nENTITIES\n0", sid::DxfValueMissing, 5, ""},
        {std::string("AutoCAD Binary DXF\r\n\x1a") + std::string(3, '\0'), sid::DxfBinary, 0, ""},
        {"0\nSECTION\n\x01\x7f" "A\n", sid::DxfCodeExpected, 3, "??A"},
        {"0\nSECTION\n" + std::string(100, 'x') + "\n", sid::DxfCodeExpected, 3, std::string(40, 'x') + "..."},
        {"0\nSECTION\n" + std::string(39, 'x') + "\xE4\xB8\xAD\n", sid::DxfCodeExpected, 3, std::string(39, 'x') + "..."},
        // A drawing cut short, even after a closed section: no EOF marker.
        {"", sid::DxfNoEof, 1, ""},
        {"\n\n  \n", sid::DxfNoEof, 1, ""},
        {"0\nSECT\n", sid::DxfNoEof, 2, ""},
        {Drawing(LineWith(10, "1")).substr(0, 33), sid::DxfNoEof, 8, ""},
        {Drawing({}).substr(0, 30), sid::DxfNoEof, 6, ""},
        // A failure after good entities gives nothing.
        {Drawing({{0, "LINE"}, {0, "LINE"}, {10, "1,5"}}), sid::DxfNotNumber, ValueLine(2), "1,5"},
    };
    // clang-format on
    for (const BadCase &c : cases) {
        const Result<PosConfig> read = CDxfReader().ReadDxfText(c.text);
        ASSERT_FALSE(read) << testing::PrintToString(c.text);
        const Diagnostic &d = read.error();
        EXPECT_EQ(d.id, c.id) << testing::PrintToString(c.text);
        EXPECT_EQ(d.line, c.line) << testing::PrintToString(c.text);
        EXPECT_EQ(d.detail, c.detail) << testing::PrintToString(c.text);
    }
    EXPECT_EQ(Describe(CDxfReader().ReadDxfText(Drawing(LineWith(20, "1,5"))).error(), Lang::Zh),
              "第10行：“1,5”不是数值");
}

TEST(DxfFile, TheFileIsNamedInEveryFailure)
{
    const Result<PosConfig> missing = CDxfReader().ReadDxfFile(DataPath("no such file.dxf"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().file, DataPath("no such file.dxf"));
    EXPECT_EQ(Describe(missing.error(), Lang::En),
              "the file cannot be opened: " + std::generic_category().message(ENOENT));
    EXPECT_EQ(CDxfReader().ReadDxfFile(DataPath("")).error().id, sid::FileCannotOpen);

    const std::string binary = testing::TempDir() + "dxf_reader_binary.dxf";
    std::ofstream(binary, std::ios::binary) << std::string("AutoCAD Binary DXF\r\n\x1a\0", 22);
    const Result<PosConfig> refused = CDxfReader().ReadDxfFile(binary);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().file, binary);
    EXPECT_EQ(Describe(refused.error(), Lang::En),
              "this is a binary DXF file; save the drawing as ASCII DXF");
    std::ofstream(binary, std::ios::binary).close(); // empty: not a drawing
    EXPECT_EQ(CDxfReader().ReadDxfFile(binary).error().id, sid::DxfNoEof);
    std::remove(binary.c_str());
    // Neither a directory nor a device is read.
    EXPECT_EQ(Describe(CDxfReader().ReadDxfFile(testing::TempDir()).error(), Lang::Zh),
              "无法打开文件：是一个目录");
    EXPECT_EQ(CDxfReader().ReadDxfFile("/dev/zero").error().args,
              std::vector<MessageArg>{TextId{sid::FileNotRegular}});
}

// Every cut of a real drawing before its end is refused, by both readers.
TEST(DxfFile, EveryCutBeforeTheEndIsRefused)
{
    std::ifstream in(std::string(POS_TEST_DATA_DIR) + "/table/line_and_arcs.dxf", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t whole = text.rfind("EOF") + 3;
    ASSERT_TRUE(CDxfReader().ReadDxfText(text));
    for (std::size_t cut = 0; cut < whole; ++cut) {
        const Result<PosConfig> plain = CDxfReader().ReadDxfText(text.substr(0, cut));
        const Result<dxf::Drawing> full = dxf::ReadDrawingText(text.substr(0, cut));
        ASSERT_FALSE(plain) << cut;
        ASSERT_FALSE(full) << cut;
        EXPECT_EQ(full.error().line, plain.error().line) << cut;
    }
    EXPECT_TRUE(CDxfReader().ReadDxfText(text.substr(0, whole)));
}

} // namespace
} // namespace pos
