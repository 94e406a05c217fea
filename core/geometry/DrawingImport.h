#pragma once

// The arranged import: a drawing read in full precision becomes one
// continuous outline that a machine can run. The stages are
//   select (layers, model space) -> scale (drawing unit -> pulses; blocks
//   expanded; ellipses and splines as lines and arcs) -> chain (ends that
//   meet within the tolerance) -> order (nearest contour first, travel moves
//   between) -> fit (collinear lines merged, runs of short lines as arcs) ->
//   round (whole pulses, along the chain)
// and each adds its figures to the report.

#include "geometry/Curve.h"
#include "geometry/DxfDrawing.h"
#include "guide/PosConfig.h"
#include "res/Diagnostic.h"
#include "res/StringTable.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pos {

// Millimetres per drawing unit for a DXF unit code ($INSUNITS 1..24), or
// nothing for 0 (unitless) and unknown codes.
std::optional<double> UnitMillimetres(int unitCode);
// The unit code for a name as the command line takes it ("mm", "in", "m",
// "um", ... or the code's number), or nothing.
std::optional<int> UnitFromName(const std::string &name);
// The short name of a unit code ("mm", "in", ...).
std::string UnitName(int unitCode);

constexpr double kDefaultPulsesPerMm = 100.0;
constexpr double kDefaultToleranceMm = 0.01;

struct ArrangeOptions
{
    double pulsesPerMm = kDefaultPulsesPerMm; // > 0
    std::optional<int> unit;                  // overrides the drawing's $INSUNITS
    double toleranceMm = kDefaultToleranceMm; // > 0: joining ends and fitting
    geo::Vec startMm;                         // where the machine stands, in millimetres
    std::vector<std::string> layers;          // empty: every layer
    bool order = true;                        // chain and order; off keeps drawing order
    bool fit = true;                          // merge collinear lines, fit arcs
    std::size_t keep = kMaxSegments;          // segments kept; the rest are only counted
    // Curves the drawing may expand to (block references repeat their
    // contents) before it is refused; entity visits may be four times that.
    std::size_t maxCurves = std::size_t{1} << 22;
};

// What the import did, for the user to read.
struct ImportReport
{
    std::map<std::string, std::size_t> read;    // entity type -> count taken as motion
    std::map<std::string, std::size_t> skipped; // entity type or reason -> count left out
    int unitCode = 0;                           // the unit used
    bool unitAssumed = false;                   // the drawing gave none: millimetres assumed
    double pulsesPerUnit = 1.0;                 // scale applied to drawing coordinates
    std::size_t expanded = 0;     // curves from block references (counted in read too)
    std::size_t approximated = 0; // ellipses, splines and elliptical arcs turned into curves
    std::size_t closedContours = 0;
    std::size_t openContours = 0;
    std::size_t travelMoves = 0;
    std::size_t mergedLines = 0;
    std::size_t fittedArcs = 0;
    std::size_t fittedLines = 0;
    std::size_t droppedZero = 0;             // segments that rounding left without length
    std::size_t segments = 0;                // in the arranged outline, before any cut
    std::optional<double> toleranceForLimit; // mm that would bring segments under 256
};

// The arranged outline: segments in machining order, numbered from 1, with
// absolute coordinates in pulses (begin points filled), circle points as
// centres, speeds 0; travel moves have PosSegment::travel set.
// report.segments tells how many there were in all.
struct ArrangedDrawing
{
    PosConfig config;                 // the first 256 segments keyed 1..n; action mode absolute,
                                      // the rest as NewPageDefaults()
    std::vector<PosSegment> segments; // the first ArrangeOptions::keep segments
    ImportReport report;
};

// Runs the stages on a drawing. Fails (with a message) when a scaled
// coordinate does not fit a segment's 32-bit fields or when the expansion of
// block references exceeds its limits.
Result<ArrangedDrawing> ArrangeDrawing(const dxf::Drawing &drawing, const ArrangeOptions &options);
// The same, releasing the drawing as soon as it is no longer needed.
Result<ArrangedDrawing> ArrangeDrawing(dxf::Drawing &&drawing, const ArrangeOptions &options);

// The report as lines of text in a language, for the command line and the
// wizard.
std::vector<std::string> DescribeReport(const ImportReport &report, Lang lang);

} // namespace pos
