#pragma once

// A DXF drawing read in double precision: the entities of the ENTITIES
// section and of every block, with their layers, and the header values the
// import uses. Plain data; the reader knows DXF and nothing about PLCs.
//
// Coordinates are as the file writes them: LINE points, ELLIPSE and SPLINE
// points in world coordinates; ARC, CIRCLE, LWPOLYLINE, POLYLINE and INSERT
// in the entity's own plane (extrusion and elevation given), angles in
// degrees.

#include "geometry/PodVector.h"
#include "res/Diagnostic.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pos::dxf {

enum class EntityType : std::uint8_t {
    Line,
    Arc,
    Circle,
    LwPolyline, // vertices with bulges
    Polyline,   // R12 2-D POLYLINE with its VERTEX entities
    Ellipse,
    Spline,
    Insert, // INSERT and MINSERT
};

struct Vertex
{
    double x = 0.0;
    double y = 0.0;
    double bulge = 0.0;
};

struct Spline
{
    int degree = 3;
    bool closed = false;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<std::array<double, 2>> control;
    std::vector<std::array<double, 2>> fit;
};

struct Insert
{
    std::uint32_t block = 0; // index into Drawing::blocks
    std::array<double, 3> scale{1.0, 1.0, 1.0};
    double rotation = 0.0; // degrees
    std::uint32_t columns = 1;
    std::uint32_t rows = 1;
    double columnSpacing = 0.0;
    double rowSpacing = 0.0;
};

struct Entity
{
    EntityType type = EntityType::Line;
    bool closed = false;     // polylines; SPLINE flag 1
    std::uint32_t layer = 0; // index into Drawing::layers
    long long line = 0;      // line of the entity's type name
    std::array<double, 3> extrusion{0.0, 0.0, 1.0};
    double elevation = 0.0; // z of the entity's plane (ARC, CIRCLE, polylines, INSERT);
                            // ELLIPSE: z of the major axis end
    // LINE: a, b. ARC, CIRCLE: a = centre. ELLIPSE: a = centre, b = major
    // axis end relative to the centre. INSERT: a = insertion point.
    std::array<double, 2> a{};
    std::array<double, 2> b{};
    double radius = 0.0; // ARC, CIRCLE; ELLIPSE: minor to major ratio
    double start = 0.0;  // ARC: degrees; ELLIPSE: parameter (radians)
    double end = 0.0;
    std::uint32_t first = 0; // polylines: first vertex in Drawing::vertices;
                             // SPLINE: index into splines; INSERT: into inserts
    std::uint32_t count = 0; // polylines: number of vertices
};

struct Block
{
    std::string name;
    std::array<double, 2> base{};
    PodVector<Entity> entities;
};

struct Drawing
{
    int insUnits = 0; // $INSUNITS, 0 when absent
    std::vector<std::string> layers;
    PodVector<Entity> entities; // model space of the ENTITIES section, in file order
    std::vector<Block> blocks;
    PodVector<Vertex> vertices;
    std::vector<Spline> splines;
    std::vector<Insert> inserts;
    // What was passed over: entity type name (or a reason such as
    // "paper space", "3-D polyline") -> count.
    std::map<std::string, std::size_t> skipped;

    // Top-level model-space entities per layer, for choosing layers.
    std::map<std::string, std::size_t> layerCounts() const;
};

// Limits on what a drawing may make the reader hold.
constexpr std::size_t kMaxDrawingVertices = std::size_t{1} << 26;
constexpr std::size_t kMaxSplineData = std::size_t{1} << 22;

// Reads a drawing. Fails as CDxfReader does, with the line of the problem.
Result<Drawing> ReadDrawingText(std::string_view text);
// Reads the file at path (failures carry the file).
Result<Drawing> ReadDrawingFile(const std::string &path);

} // namespace pos::dxf
