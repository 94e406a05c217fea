// Tests of the DXF reader: real drawings against their reference geometry,
// the group-code/value pairing, arcs, bulges, extrusion, and malformed input.

#include "geometry/DxfReader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace pos {

// Readable failure output for segment comparisons.
void PrintTo(const PosSegment &s, std::ostream *os)
{
    *os << "{type " << s.type << ", begin (" << s.beginX << ", " << s.beginY << "), end (" << s.endX
        << ", " << s.endY << "), centre (" << s.centreX << ", " << s.centreY << "), number "
        << s.number << ", centreMode " << s.centreMode << ", speeds " << s.initialSpeed << "/"
        << s.maxSpeed << "/" << s.accDecTime << "}";
}

namespace {

using Pairs = std::vector<std::pair<int, std::string>>;

// Group pairs as a DXF writer puts them: each code, then its value.
std::string Text(const Pairs &pairs)
{
    std::string text;
    for (const auto &[code, value] : pairs)
        text += std::to_string(code) + "\n" + value + "\n";
    return text;
}

// A drawing whose ENTITIES section holds the given pairs. Pair i of the body
// has its code on line 5 + 2i and its value on line 6 + 2i.
std::string Drawing(const Pairs &body)
{
    return "0\nSECTION\n2\nENTITIES\n" + Text(body) + "0\nENDSEC\n0\nEOF\n";
}

long long ValueLine(int pairIndex)
{
    return 6 + 2LL * pairIndex;
}

PosSegment Seg(std::int32_t type, std::int32_t bx, std::int32_t by, std::int32_t ex,
               std::int32_t ey, std::int32_t cx = 0, std::int32_t cy = 0)
{
    PosSegment s;
    s.type = type;
    s.beginX = bx;
    s.beginY = by;
    s.endX = ex;
    s.endY = ey;
    s.centreX = cx;
    s.centreY = cy;
    return s;
}

// The segments of a successful read in key order; fails the test when the
// keys are not 0..n-1.
std::vector<PosSegment> Segments(const PosConfig &config)
{
    std::vector<PosSegment> out;
    std::uint32_t expectedKey = 0;
    for (const auto &[key, segment] : config.segments) {
        EXPECT_EQ(key, expectedKey++);
        out.push_back(segment);
    }
    return out;
}

std::vector<PosSegment> Read(const std::string &text)
{
    CDxfReader reader;
    DxfError error;
    const auto config = reader.ReadDxfText(text, &error);
    if (!config) {
        ADD_FAILURE() << "read failed: " << error.message(Lang::En);
        return {};
    }
    return Segments(*config);
}

DxfError ReadError(const std::string &text)
{
    CDxfReader reader;
    DxfError error;
    const auto config = reader.ReadDxfText(text, &error);
    EXPECT_EQ(config, nullptr) << "the read should have failed";
    return error;
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

class ReferenceDrawing : public testing::TestWithParam<const char *>
{};

TEST_P(ReferenceDrawing, MatchesEzdxfWorldGeometry)
{
    const std::string name = GetParam();
    std::ifstream refFile(DataPath(name + ".ref.json"));
    ASSERT_TRUE(refFile) << name;
    const nlohmann::json ref = nlohmann::json::parse(refFile);
    ASSERT_TRUE(ref.at("values_reliable").get<bool>()) << name;
    const std::vector<PosSegment> expected = ExpectedFromReference(ref);
    ASSERT_FALSE(expected.empty());

    CDxfReader reader;
    DxfError error;
    const auto config = reader.ReadDxfFile(DataPath(name + ".dxf"), &error);
    ASSERT_NE(config, nullptr) << error.message(Lang::En);
    const std::vector<PosSegment> got = Segments(*config);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << name << ", segment " << i;
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
INSTANTIATE_TEST_SUITE_P(
    Dxf, ReferenceDrawing,
    testing::Values("ac1003_lines_arcs", "arc_ocs_entities_only", "ezdxf_exploded_mirror",
                    "librecad_lwpoly_bulge", "archicad_r2004_bulges_crlf", "acad2004_lwpoly_m_crlf",
                    "r12_crlf_mirrored", "r13_duplicate_handles", "cadman_no_header"),
    [](const testing::TestParamInfo<const char *> &row) { return std::string(row.param); });

// ---------------------------------------------------------------------------
// The record the reader builds.

TEST(DxfRecord, NewConfigurationFieldsAndPlainSegments)
{
    CDxfReader reader;
    const auto config = reader.ReadDxfText(Drawing({{0, "LINE"},
                                                    {10, "1"},
                                                    {20, "2"},
                                                    {11, "3"},
                                                    {21, "4"},
                                                    {0, "ARC"},
                                                    {10, "0"},
                                                    {20, "0"},
                                                    {40, "5"},
                                                    {50, "0"},
                                                    {51, "90"}}));
    ASSERT_NE(config, nullptr);
    PosConfig expected;
    expected.segments = config->segments;
    EXPECT_EQ(*config, expected); // every other field as in a new record
    for (const auto &[key, s] : config->segments) {
        EXPECT_EQ(s.number, 0u);
        EXPECT_EQ(s.centreMode, kCentrePoint);
        EXPECT_EQ(s.initialSpeed, 0u);
        EXPECT_EQ(s.maxSpeed, 0u);
        EXPECT_EQ(s.accDecTime, 0u);
    }
    EXPECT_EQ(config->segments.at(0), Seg(kTypeLine, 1, 2, 3, 4));
}

TEST(DxfRecord, NothingToReadGivesAnEmptyRecord)
{
    const std::string cases[] = {
        "",
        "0\nEOF\n",
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n",
        Drawing({}),
        Drawing({{0, "CIRCLE"}, {10, "1"}, {20, "1"}, {40, "3"}, {0, "TEXT"}, {1, "LINE"}}),
        "\n\n  \n",
    };
    for (const std::string &text : cases) {
        CDxfReader reader;
        DxfError error;
        const auto config = reader.ReadDxfText(text, &error);
        ASSERT_NE(config, nullptr) << text << error.message(Lang::En);
        EXPECT_TRUE(config->segments.empty()) << text;
        EXPECT_EQ(error.reasonId, 0);
    }
}

// ---------------------------------------------------------------------------
// Coordinates and arcs.

struct ShapeCase
{
    const char *name;
    Pairs body;
    std::vector<PosSegment> expected;
};

void PrintTo(const ShapeCase &c, std::ostream *os)
{
    *os << c.name;
}

class DxfShapes : public testing::TestWithParam<ShapeCase>
{};

TEST_P(DxfShapes, Segments)
{
    EXPECT_EQ(Read(Drawing(GetParam().body)), GetParam().expected);
}

// clang-format off
const ShapeCase kShapes[] = {
    {"LineRoundsHalvesUp",
     {{0, "LINE"}, {10, "0.4"}, {20, "0.5"}, {11, "10.5"}, {21, "-3.5"}},
     {Seg(kTypeLine, 0, 1, 11, -3)}},
    {"LineNegativeHalves",
     {{0, "LINE"}, {10, "-2.5"}, {20, "-2.51"}, {11, "2.5"}, {21, "-0.5"}},
     {Seg(kTypeLine, -2, -3, 3, 0)}},
    {"NumbersBelowDoubleRangeAreZero",
     {{0, "LINE"}, {10, "1e-400"}, {20, "-2.5e-330"}, {11, "0.000000000000000000000000001"},
      {21, "7e-1"}},
     {Seg(kTypeLine, 0, 0, 0, 1)}},
    {"ArcQuarter",
     {{0, "ARC"}, {10, "100"}, {20, "100"}, {40, "50"}, {50, "0"}, {51, "90"}},
     {Seg(kTypeCcw, 150, 100, 100, 150, 100, 100)}},
    {"ArcCrossingZero",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1000"}, {50, "350"}, {51, "10"}},
     {Seg(kTypeCcw, 985, -174, 985, 174)}},
    {"ArcNegativeStart",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1000"}, {50, "-90"}, {51, "0"}},
     {Seg(kTypeCcw, 0, -1000, 1000, 0)}},
    {"ArcAnglesAboveOneTurn",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1000"}, {50, "450"}, {51, "900"}},
     {Seg(kTypeCcw, 0, 1000, -1000, 0)}},
    {"ArcEqualAnglesFullTurn",
     {{0, "ARC"}, {10, "10"}, {20, "20"}, {40, "100"}, {50, "45"}, {51, "45"}},
     {Seg(kTypeCcw, 81, 91, 81, 91, 10, 20)}},
    // Angles are not rounded to whole degrees: 0.6 degrees would become 1.
    {"ArcFractionalAngles",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "10000"}, {50, "0.6"}, {51, "89.4"}},
     {Seg(kTypeCcw, 9999, 105, 105, 9999)}},
    // Full-precision pi: with pi taken as 3.141593 the end X would be -2.
    {"ArcFullPrecisionPi",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "10000000"}, {50, "0"}, {51, "90"}},
     {Seg(kTypeCcw, 10000000, 0, 0, 10000000)}},
    // Quarter turns are exact: a point on a half unit must not slip below it.
    {"ArcQuarterTurnsOnHalfUnits",
     {{0, "ARC"}, {10, "2"}, {20, "0.5"}, {40, "0.5"}, {50, "270"}, {51, "0"}},
     {Seg(kTypeCcw, 2, 0, 3, 1, 2, 1)}},
    // cos(270 degrees) is -1.8e-16 when taken plainly: X would round to 0.
    {"ArcQuarterTurnsExactAtHalves",
     {{0, "ARC"}, {10, "0.5"}, {20, "0.5"}, {40, "1"}, {50, "270"}, {51, "180"}},
     {Seg(kTypeCcw, 1, 0, 0, 1, 1, 1)}},
    {"ArcMissingEndAngleIsZero",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "10"}, {50, "90"}},
     {Seg(kTypeCcw, 0, 10, 10, 0)}},
    // Bulges: tan(included angle / 4), the edge's start vertex carries it.
    {"BulgePositiveIsCounterClockwise",
     {{0, "LWPOLYLINE"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"},
      {20, "0"}},
     {Seg(kTypeCcw, 0, 0, 10, 0, 5, 0)}},
    {"BulgeNegativeIsClockwise",
     {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "-1"}, {10, "10"}, {20, "0"}},
     {Seg(kTypeCw, 0, 0, 10, 0, 5, 0)}},
    {"BulgeHalfCentreLeftOfChord",
     {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "0.5"}, {10, "10"}, {20, "0"}},
     {Seg(kTypeCcw, 0, 0, 10, 0, 5, 4)}}, // centre (5, 3.75)
    {"BulgeAboveOneCentreRightOfChord",
     {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "2"}, {10, "10"}, {20, "0"}},
     {Seg(kTypeCcw, 0, 0, 10, 0, 5, -4)}}, // centre (5, -3.75)
    {"BulgeOnClosingEdgeFromLastVertex",
     {{0, "LWPOLYLINE"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {10, "10"},
      {20, "10"}, {42, "-1"}},
     {Seg(kTypeLine, 0, 0, 10, 0), Seg(kTypeLine, 10, 0, 10, 10),
      Seg(kTypeCw, 10, 10, 0, 0, 5, 5)}},
    {"BulgeOnZeroLengthEdgeStaysStraight",
     {{0, "LWPOLYLINE"}, {10, "3"}, {20, "4"}, {42, "1"}, {10, "3"}, {20, "4"}},
     {Seg(kTypeLine, 3, 4, 3, 4)}},
    // Bowing out by less than half a unit: the rounded arc is its chord (its
    // centre, 2.5e11 away here, would not fit 32 bits).
    {"BulgeTooSmallToShowStaysStraight",
     {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "1e-9"}, {10, "1000"}, {20, "0"}},
     {Seg(kTypeLine, 0, 0, 1000, 0)}},
    // Ends that round to one point would make the PLC run a full circle.
    {"ArcWhoseEndsRoundTogetherIsALine",
     {{0, "ARC"}, {10, "10"}, {20, "10"}, {40, "0.3"}, {50, "0"}, {51, "90"}},
     {Seg(kTypeLine, 10, 10, 10, 10)}},
    {"BulgedEdgeWhoseEndsRoundTogetherIsALine",
     {{0, "LWPOLYLINE"}, {10, "0.1"}, {20, "0"}, {42, "-1"}, {10, "0.3"}, {20, "0"}},
     {Seg(kTypeLine, 0, 0, 0, 0)}},
    {"BulgeOnLastVertexOfOpenPolylineIsUnused",
     {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {10, "10"}, {20, "0"}, {42, "1"}},
     {Seg(kTypeLine, 0, 0, 10, 0)}},
    // Extrusion (0, 0, -1): X negated, arcs turn the other way; LINE is world.
    {"MirroredArc",
     {{0, "ARC"}, {10, "30"}, {20, "35"}, {40, "3"}, {210, "0"}, {220, "0"}, {230, "-1"},
      {50, "0"}, {51, "90"}},
     {Seg(kTypeCw, -33, 35, -30, 38, -30, 35)}},
    {"MirroredBulgedPolyline",
     {{0, "LWPOLYLINE"}, {70, "0"}, {10, "10"}, {20, "30"}, {10, "50"}, {20, "30"}, {42, "1"},
      {10, "50"}, {20, "40"}, {230, "-1.0"}},
     {Seg(kTypeLine, -10, 30, -50, 30), Seg(kTypeCw, -50, 30, -50, 40, -50, 35)}},
    {"MirroredLineStaysInWorldCoordinates",
     {{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}, {210, "0"}, {220, "0"},
      {230, "-1"}},
     {Seg(kTypeLine, 1, 2, 3, 4)}},
    // Rounded after the transform: -2.5 in world coordinates gives -2, not -3.
    {"MirroredRoundsInWorldCoordinates",
     {{0, "LWPOLYLINE"}, {10, "2.5"}, {20, "0"}, {10, "7.5"}, {20, "0"}, {230, "-1"}},
     {Seg(kTypeLine, -2, 0, -7, 0)}},
    // Arbitrary axis, N = (1, 0, 0): Ax = Wz x N = (0, 1, 0), Ay = N x Ax =
    // (0, 0, 1), so a plane point (x, y) at elevation z is world (z, x, y).
    {"ArbitraryAxisAlongX",
     {{0, "LWPOLYLINE"}, {38, "7"}, {10, "10"}, {20, "20"}, {10, "30"}, {20, "40"},
      {210, "1"}, {220, "0"}, {230, "0"}},
     {Seg(kTypeLine, 7, 10, 7, 30)}},
    // N = (0, 1, 1) / sqrt 2: Ax = (-1, 0, 0), Ay = (0, -1, 1) / sqrt 2; the
    // plane faces +Z, so its arcs stay counter-clockwise.
    {"ArbitraryAxisTiltedArc",
     {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "100"}, {50, "0"}, {51, "90"}, {210, "0"},
      {220, "1"}, {230, "1"}},
     {Seg(kTypeCcw, -100, 0, 0, -71, 0, 0)}},
    {"ExtrusionNotOfUnitLength",
     {{0, "ARC"}, {10, "30"}, {20, "35"}, {40, "3"}, {230, "-2"}, {50, "0"}, {51, "90"}},
     {Seg(kTypeCw, -33, 35, -30, 38, -30, 35)}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Dxf, DxfShapes, testing::ValuesIn(kShapes),
                         [](const testing::TestParamInfo<ShapeCase> &row) {
                             return std::string(row.param.name);
                         });

// ---------------------------------------------------------------------------
// LWPOLYLINE closed flag (bit 1 of group 70) and vertices.

TEST(DxfPolyline, ClosedFlagIsBitOne)
{
    // Group 70 value (none: the group is absent) and the edges of a square.
    const std::pair<const char *, std::size_t> cases[] = {
        {nullptr, 3}, {"0", 3},     {"1", 4},  {"128", 3},
        {"129", 4},   {"  129", 4}, {"+1", 4}, {"16", 3},
    };
    for (const auto &[flags, edges] : cases) {
        const char *shown = flags ? flags : "(none)";
        Pairs body = {{0, "LWPOLYLINE"}, {90, "4"}};
        if (flags)
            body.push_back({70, flags});
        for (const auto &[x, y] : {std::pair{"0", "0"}, {"10", "0"}, {"10", "10"}, {"0", "10"}}) {
            body.push_back({10, x});
            body.push_back({20, y});
        }
        const std::vector<PosSegment> got = Read(Drawing(body));
        ASSERT_EQ(got.size(), edges) << "flags " << shown;
        EXPECT_EQ(got[2], Seg(kTypeLine, 10, 10, 0, 10)) << shown;
        if (edges == 4) {
            EXPECT_EQ(got[3], Seg(kTypeLine, 0, 10, 0, 0)) << shown;
        }
    }
}

TEST(DxfPolyline, VerticesAreThePairsWhateverTheCountSays)
{
    // Group 90 says 5 and 1; the pairs rule. A two-vertex closed polyline
    // goes there and back.
    EXPECT_EQ(Read(Drawing({{0, "LWPOLYLINE"},
                            {90, "5"},
                            {10, "0"},
                            {20, "0"},
                            {10, "4"},
                            {20, "0"},
                            {10, "4"},
                            {20, "3"}})),
              (std::vector{Seg(kTypeLine, 0, 0, 4, 0), Seg(kTypeLine, 4, 0, 4, 3)}));
    EXPECT_EQ(
        Read(Drawing(
            {{0, "LWPOLYLINE"}, {90, "1"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, "4"}, {20, "0"}})),
        (std::vector{Seg(kTypeLine, 0, 0, 4, 0), Seg(kTypeLine, 4, 0, 0, 0)}));
}

TEST(DxfPolyline, SingleVertexGivesNothing)
{
    EXPECT_TRUE(Read(Drawing({{0, "LWPOLYLINE"}, {70, "1"}, {10, "5"}, {20, "5"}})).empty());
}

// ---------------------------------------------------------------------------
// Group pairing: a value is never a code or a keyword.

TEST(DxfPairing, ValuesThatLookLikeCodesOrKeywords)
{
    // Handle "21", layer "LINE", a text "ENDSEC", a layer "ARC" and a handle
    // "10": each is the value of its group.
    const std::vector<PosSegment> got = Read(Drawing({
        {0, "LINE"},   {5, "21"},     {8, "LINE"}, {10, "1"},   {20, "2"},  {11, "3"},
        {21, "4"},     {0, "TEXT"},   {5, "10"},   {8, "0"},    {10, "99"}, {20, "99"},
        {1, "ENDSEC"}, {0, "ARC"},    {5, "10"},   {8, "ARC"},  {10, "0"},  {20, "0"},
        {40, "10"},    {50, "0"},     {51, "90"},  {0, "TEXT"}, {1, "EOF"}, {8, "ENTITIES"},
        {0, "LINE"},   {8, "ENDSEC"}, {10, "5"},   {20, "6"},   {11, "7"},  {21, "8"},
    }));
    EXPECT_EQ(got, (std::vector{Seg(kTypeLine, 1, 2, 3, 4), Seg(kTypeCcw, 10, 0, 0, 10),
                                Seg(kTypeLine, 5, 6, 7, 8)}));
}

TEST(DxfPairing, KeywordValuesOutsideEntitiesDoNotOpenTheSection)
{
    const std::string text = "0\nSECTION\n2\nHEADER\n9\n$PROJECTNAME\n1\nENTITIES\n9\n$X\n2\n"
                             "ENTITIES\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nLINE\n10\n1\n20\n1\n"
                             "11\n2\n21\n2\n0\nENDSEC\n0\nEOF\n";
    EXPECT_TRUE(Read(text).empty());
}

TEST(DxfPairing, LineGroupsInAnyOrder)
{
    EXPECT_EQ(Read(Drawing({{0, "LINE"}, {10, "1.5"}, {11, "2"}, {20, "-0.0000"}, {21, "7"}})),
              (std::vector{Seg(kTypeLine, 2, 0, 2, 7)}));
}

TEST(DxfPairing, IncompleteEntitiesTakeZeroAndNeverAbsorbTheNext)
{
    // A LINE without its end, an ARC without a radius, a polyline cut short
    // by a CIRCLE whose centre must not become a vertex, a LINE with no
    // groups.
    const std::vector<PosSegment> got = Read(Drawing({
        {0, "LINE"}, {10, "5"},         {20, "6"}, {0, "LWPOLYLINE"}, {90, "3"},  {10, "0"},
        {20, "0"},   {10, "1"},         {20, "1"}, {0, "CIRCLE"},     {10, "50"}, {20, "50"},
        {40, "5"},   {0, "ARC"},        {10, "7"}, {20, "8"},         {50, "0"},  {51, "90"},
        {0, "LINE"}, {0, "LWPOLYLINE"}, {20, "9"}, {10, "2"},         {20, "3"},
    }));
    EXPECT_EQ(got, (std::vector{Seg(kTypeLine, 5, 6, 0, 0), Seg(kTypeLine, 0, 0, 1, 1),
                                Seg(kTypeLine, 7, 8, 7, 8), Seg(kTypeLine, 0, 0, 0, 0),
                                Seg(kTypeLine, 0, 9, 2, 3)}));
}

TEST(DxfPairing, EntitiesEndAtEndOfSectionAndFileWithoutEof)
{
    // The last entity is complete when the section or the file ends.
    EXPECT_EQ(Read("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n2\n11\n3\n21\n4\n"),
              (std::vector{Seg(kTypeLine, 1, 2, 3, 4)}));
    EXPECT_EQ(Read("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n"
                   "0\nLINE\n10\n9\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n5\n0\nENDSEC"),
              (std::vector{Seg(kTypeLine, 1, 0, 0, 0), Seg(kTypeLine, 0, 0, 5, 0)}));
}

TEST(DxfPairing, NothingAfterEofIsRead)
{
    EXPECT_EQ(Read(Drawing({{0, "LINE"}, {11, "1"}}) + "garbage\n\x1a"),
              (std::vector{Seg(kTypeLine, 0, 0, 1, 0)}));
}

// ---------------------------------------------------------------------------
// Line ends and blanks as writers produce them.

TEST(DxfLayout, WritersLayouts)
{
    const std::vector<PosSegment> expected = {Seg(kTypeLine, 1, 2, 3, 4)};
    const std::string lf
        = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n  0\nENDSEC\n"
          "  0\nEOF\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string cases[] = {
        lf,
        crlf,
        lf.substr(0, lf.size() - 1),     // no final line feed
        crlf.substr(0, crlf.size() - 2), // nor CR LF
        "\xEF\xBB\xBF" + lf,             // UTF-8 byte order mark
        lf + "\n\n   \n",                // blank lines at the end
        "0\nSECTION\n2\nENTITIES\n\t0\nLINE\n10\n\t1\n20\n  2  \n11\n3\t\n21\n4\r\n0\nEOF",
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1.0E0\n20\n+2\n11\n3.\n21\n.4e1\n0\nEOF\n",
    };
    for (const std::string &text : cases)
        EXPECT_EQ(Read(text), expected) << testing::PrintToString(text);
}

// ---------------------------------------------------------------------------
// Malformed input: null, and the reason with its line.

struct BadCase
{
    const char *name;
    std::string text;
    int reasonId;
    long long line;
    std::string detail;
};

void PrintTo(const BadCase &c, std::ostream *os)
{
    *os << c.name;
}

class DxfMalformed : public testing::TestWithParam<BadCase>
{};

TEST_P(DxfMalformed, FailsWithReasonAndLine)
{
    const BadCase &c = GetParam();
    const DxfError error = ReadError(c.text);
    EXPECT_EQ(error.reasonId, c.reasonId);
    EXPECT_EQ(error.line, c.line);
    EXPECT_EQ(error.detail, c.detail);
    EXPECT_FALSE(error.message(Lang::En).empty());
    EXPECT_FALSE(error.message(Lang::Zh).empty());
}

Pairs LineWith(int code, const char *value)
{
    Pairs body = {{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}};
    for (auto &pair : body)
        if (pair.first == code)
            pair.second = value;
    return body;
}

// clang-format off
const BadCase kBad[] = {
    {"DecimalComma", Drawing(LineWith(20, "1,5")), sid::DxfNotNumber, ValueLine(2), "1,5"},
    {"NotANumber", Drawing(LineWith(21, "nan")), sid::DxfNotNumber, ValueLine(4), "nan"},
    {"Infinity", Drawing(LineWith(10, "-inf")), sid::DxfNotNumber, ValueLine(1), "-inf"},
    {"EmptyCoordinate", Drawing(LineWith(11, "")), sid::DxfNotNumber, ValueLine(3), ""},
    {"HexNumber", Drawing(LineWith(11, "0x10")), sid::DxfNotNumber, ValueLine(3), "0x10"},
    {"TrailingText", Drawing(LineWith(11, "12mm")), sid::DxfNotNumber, ValueLine(3), "12mm"},
    {"Huge", Drawing(LineWith(10, "1e300")), sid::DxfOutOfRange, ValueLine(1), "1e300"},
    {"BeyondDouble", Drawing(LineWith(10, "1e400")), sid::DxfOutOfRange, ValueLine(1), "1e400"},
    {"JustAboveInt32", Drawing(LineWith(20, "2147483647.5")), sid::DxfOutOfRange, ValueLine(2),
     "2147483647.5"},
    {"JustBelowInt32", Drawing(LineWith(21, "-2147483648.6")), sid::DxfOutOfRange, ValueLine(4),
     "-2147483648.6"},
    {"BadRadius",
     Drawing({{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1,5"}}), sid::DxfNotNumber, ValueLine(3),
     "1,5"},
    {"BadFlags", Drawing({{0, "LWPOLYLINE"}, {70, "1.0"}}), sid::DxfNotNumber, ValueLine(1), "1.0"},
    {"BadBulge", Drawing({{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "x"}}),
     sid::DxfNotNumber, ValueLine(3), "x"},
    {"BadExtrusion", Drawing({{0, "ARC"}, {230, "-1,0"}}), sid::DxfNotNumber, ValueLine(1),
     "-1,0"},
    // The mirrored X of -2147483648.4 is 2147483648.4: out of range once in
    // world coordinates, and quoted as computed.
    {"MirroredOutOfRange",
     Drawing({{0, "LWPOLYLINE"}, {10, "-2147483648.4"}, {20, "0"}, {10, "0"}, {20, "0"},
              {230, "-1"}}),
     sid::DxfOutOfRange, ValueLine(1), "2147483648.4"},
    {"ArcEndsOutOfRange",
     Drawing({{0, "LINE"}, {0, "ARC"}, {10, "2147480000"}, {20, "0"}, {40, "10000"}, {50, "0"},
              {51, "180"}}),
     sid::DxfBadArc, ValueLine(1), ""},
    // A chord of 4000 bowing out 0.6 units near the top of the range: the
    // centre lies 3.3e6 further up, beyond 32 bits.
    {"BulgeCentreOutOfRange",
     Drawing({{0, "LWPOLYLINE"}, {10, "0"}, {20, "2147000000"}, {42, "0.0003"}, {10, "4000"},
              {20, "2147000000"}}),
     sid::DxfBadArc, ValueLine(3), ""},
    {"CodeNotANumber", "0\nSECTION\n2\nENTITIES\n0\nLINE\nLAYER\n0\n", sid::DxfCodeExpected, 7,
     "LAYER"},
    {"CodeWithInnerBlank", "  0\nSECTION\n1 0\nENTITIES\n", sid::DxfCodeExpected, 3, "1 0"},
    {"CodeAfterMinusBlank", "  0\r\nSECTION\r\n- 2\r\nENTITIES\r\n", sid::DxfCodeExpected, 3,
     "- 2"},
    {"CodeWithDecimals", "0\nSECTION\n2\nENTITIES\n10.0\n1\n", sid::DxfCodeExpected, 5, "10.0"},
    // A value line missing in the middle shifts the pairs: the next value
    // stands where a code must.
    {"ShiftedPairs", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n20\n2\n0\nEOF\n",
     sid::DxfCodeExpected, 11, "EOF"},
    {"BlankLineInTheMiddle", "0\nSECTION\n\n2\nENTITIES\n", sid::DxfCodeExpected, 3, ""},
    {"CodeInHeaderTooLong", "0\nSECTION\n2\nHEADER\n9999999999\n$X\n", sid::DxfCodeExpected, 5,
     "9999999999"},
    {"TruncatedAfterCode", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n1\n20\n", sid::DxfValueMissing,
     9, ""},
    {"TruncatedAfterCodeNoLineFeed", "0\nSECTION\n2\nENTITIES\n0", sid::DxfValueMissing, 5, ""},
    {"BinaryDxf", std::string("AutoCAD Binary DXF\r\n\x1a") + std::string(3, '\0') + "SECTION",
     sid::DxfBinary, 0, ""},
    {"ControlCharactersQuoted", "0\nSECTION\n\x01\x7f" "A\n", sid::DxfCodeExpected, 3, "??A"},
    {"LongLineQuotedShort", "0\nSECTION\n" + std::string(100, 'x') + "\n", sid::DxfCodeExpected,
     3, std::string(40, 'x') + "..."},
    {"LongLineCutAtCharacter", "0\nSECTION\n" + std::string(39, 'x') + "\xE4\xB8\xAD\n",
     sid::DxfCodeExpected, 3, std::string(39, 'x') + "..."},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Dxf, DxfMalformed, testing::ValuesIn(kBad),
                         [](const testing::TestParamInfo<BadCase> &row) {
                             return std::string(row.param.name);
                         });

TEST(DxfMalformedState, FailureAfterGoodEntitiesReturnsNothing)
{
    CDxfReader reader;
    DxfError error;
    Pairs body = LineWith(0, "LINE");
    const Pairs bad = LineWith(10, "1,5");
    body.insert(body.end(), bad.begin(), bad.end());
    EXPECT_EQ(reader.ReadDxfText(Drawing(body), &error), nullptr);
    EXPECT_EQ(error.reasonId, sid::DxfNotNumber);
    EXPECT_EQ(error.line, ValueLine(6));

    // The next read starts afresh and clears the reason.
    const auto config = reader.ReadDxfText(Drawing(LineWith(0, "LINE")), &error);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->segments.size(), 1u);
    EXPECT_EQ(error.reasonId, 0);
    EXPECT_EQ(error.line, 0);
    EXPECT_TRUE(error.detail.empty());
}

TEST(DxfMalformedState, ValuesOfGroupsNotReadAreNotChecked)
{
    // Z, thickness, colour and handles of the entities read, and every value
    // of other entities, may hold anything.
    EXPECT_EQ(Read(Drawing({{0, "LINE"},
                            {5, "1,5"},
                            {10, "1"},
                            {20, "2"},
                            {30, "nan"},
                            {39, "x"},
                            {62, "BYLAYER"},
                            {11, "3"},
                            {21, "4"},
                            {0, "CIRCLE"},
                            {10, "1,5"},
                            {40, "nan"}})),
              (std::vector{Seg(kTypeLine, 1, 2, 3, 4)}));
}

TEST(DxfMalformedState, NoErrorPointerNeeded)
{
    CDxfReader reader;
    EXPECT_EQ(reader.ReadDxfText(Drawing(LineWith(10, "1,5"))), nullptr);
    EXPECT_EQ(reader.ReadDxfFile(DataPath("no such file.dxf")), nullptr);
}

// ---------------------------------------------------------------------------
// Files.

TEST(DxfFile, MissingFileGivesTheSystemReason)
{
    CDxfReader reader;
    DxfError error;
    EXPECT_EQ(reader.ReadDxfFile(DataPath("no such file.dxf"), &error), nullptr);
    EXPECT_EQ(error.reasonId, sid::FileCannotOpen);
    EXPECT_EQ(error.detail, std::generic_category().message(ENOENT));
    EXPECT_EQ(error.message(Lang::En), "the file cannot be opened: " + error.detail);
}

TEST(DxfFile, DirectoryCannotBeRead)
{
    CDxfReader reader;
    DxfError error;
    EXPECT_EQ(reader.ReadDxfFile(DataPath(""), &error), nullptr);
    EXPECT_EQ(error.reasonId, sid::FileCannotOpen);
    EXPECT_FALSE(error.detail.empty());
}

TEST(DxfFile, EmptyFileGivesAnEmptyRecord)
{
    const std::string path = testing::TempDir() + "dxf_reader_empty.dxf";
    std::ofstream(path, std::ios::binary).close();
    CDxfReader reader;
    DxfError error;
    const auto config = reader.ReadDxfFile(path, &error);
    ASSERT_NE(config, nullptr) << error.message(Lang::En);
    EXPECT_TRUE(config->segments.empty());
    std::remove(path.c_str());
}

TEST(DxfFile, BinaryFileRefused)
{
    const std::string path = testing::TempDir() + "dxf_reader_binary.dxf";
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string("AutoCAD Binary DXF\r\n\x1a\0", 22) << std::string(64, '\0');
    }
    CDxfReader reader;
    DxfError error;
    EXPECT_EQ(reader.ReadDxfFile(path, &error), nullptr);
    EXPECT_EQ(error.reasonId, sid::DxfBinary);
    EXPECT_EQ(error.message(Lang::En), "this is a binary DXF file; save the drawing as ASCII DXF");
    std::remove(path.c_str());
}

// ---------------------------------------------------------------------------
// Messages in both languages.

TEST(DxfMessages, EnglishAndChinese)
{
    const DxfError notNumber{sid::DxfNotNumber, 12, "1,5"};
    EXPECT_EQ(notNumber.message(Lang::En), "line 12: \"1,5\" is not a number");
    EXPECT_EQ(notNumber.message(Lang::Zh), "第12行：“1,5”不是数值");
    const DxfError missing{sid::DxfValueMissing, 7, ""};
    EXPECT_EQ(missing.message(Lang::En),
              "line 7: the file ends after a group code, without its value");
    const DxfError range{sid::DxfOutOfRange, 9, "1e300"};
    EXPECT_EQ(range.message(Lang::En),
              "line 9: the coordinate 1e300 does not fit a signed 32-bit integer");
    const DxfError arc{sid::DxfBadArc, 30, ""};
    EXPECT_EQ(arc.message(Lang::Zh), "第30行：圆弧的端点超出32位有符号整数的范围");
    const DxfError code{sid::DxfCodeExpected, 3, "LAYER"};
    EXPECT_EQ(code.message(Lang::En), "line 3: a group code is expected here, found \"LAYER\"");
    EXPECT_EQ(DxfError{}.message(Lang::En), "");
}

} // namespace
} // namespace pos
