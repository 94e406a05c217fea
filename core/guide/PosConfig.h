#pragma once

// The configuration record that the whole wizard works on, and the records
// exchanged with the host. Everything here is plain data: coordinates,
// speeds and times are whole numbers without units (pulses, Hz, ms); the
// wizard never scales them.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pos {

// Instruction types of a segment.
enum SegmentType : std::int32_t {
    kTypeLine = 1, // straight line, instruction LIN
    kTypeCw = 2,   // clockwise arc, instruction CW
    kTypeCcw = 3,  // counter-clockwise arc, instruction CCW
};

// How the circle point of an arc is meant.
enum CentreMode : std::int32_t {
    kCentrePoint = 0, // (centreX, centreY) is the circle centre
    kPassPoint = 1,   // (centreX, centreY) is a point the arc passes through
};

constexpr std::size_t kMaxSegments = 256;
constexpr std::uint32_t kLineWords = 12; // D elements of a straight line's block
constexpr std::uint32_t kArcWords = 16;  // D elements of an arc's block

// One segment of the outline. Twelve 32-bit fields in a fixed order, and a mark.
// Arcs run from the begin point to the end point, clockwise (type 2) or
// counter-clockwise (type 3) as seen with X to the right and Y upwards.
struct PosSegment
{
    std::uint32_t number = 0;      // as the table and the import write it; the map key rules
    std::int32_t type = kTypeLine; // SegmentType
    std::int32_t centreMode = kCentrePoint;
    std::uint32_t initialSpeed = 0; // Hz
    std::uint32_t maxSpeed = 0;     // Hz
    std::uint32_t accDecTime = 0;   // ms
    std::int32_t beginX = 0;        // only the DXF reader fills the begin point
    std::int32_t beginY = 0;
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    std::int32_t centreX = 0; // centre or pass-through point (arcs only)
    std::int32_t centreY = 0;
    // A move between contours of an imported drawing that cuts nothing. Not
    // part of the twelve fields: the generator ignores it.
    bool travel = false;

    bool isArc() const { return type != kTypeLine; }
    // D elements the segment's block takes in the generated subprogram.
    std::uint32_t words() const { return type == kTypeLine ? kLineWords : kArcWords; }
    // True when every field from initialSpeed to centreY is 0: the generator skips it.
    bool isAllZero() const;

    friend bool operator==(const PosSegment &, const PosSegment &) = default;
};

// Segment number -> segment. The map owns its segments. In a configuration
// the keys are 1..n without gaps; the DXF reader's record keys them 0..n-1.
using SegmentMap = std::map<std::uint32_t, PosSegment>;

struct PosConfig
{
    std::uint32_t startD = 0; // step counter; segment blocks begin at startD + 2
    std::uint32_t minD = 0;   // lowest start D element the host allows
    std::uint32_t maxD = 0;   // highest D element the host allows
    std::uint32_t startM = 0;
    std::uint32_t minM = 0;
    std::uint32_t maxM = 0;
    std::string subprogramName;   // UTF-8
    std::uint16_t actionMode = 0; // 0 incremental, 1 absolute
    std::uint16_t pulseMode = 1;  // 0 PLS+SIGN, 1 two independent pulses
    std::uint32_t xPulsePort = 0; // Y output numbers: 0, 4, 5, 6 or 7
    std::uint32_t xDirPort = 1;   // 0..7
    std::uint32_t yPulsePort = 2; // 0..7
    std::uint32_t yDirPort = 3;   // 0..7
    SegmentMap segments;

    // 10 x actionMode + pulseMode, written into every segment block.
    std::uint32_t configurationCode() const { return 10u * actionMode + pulseMode; }
    // D elements the segment blocks take (12 per line, 16 per arc).
    std::uint64_t segmentWords() const;

    friend bool operator==(const PosConfig &, const PosConfig &) = default;
};

// A new configuration as the output configuration page shows it (start D
// element 2000, incremental, PLS+SIGN, ports Y0..Y3, name "POS_EXE"),
// inside the stand-in host's default ranges D 0..9999 and M 0..9999.
PosConfig NewPageDefaults();

// One generated line. The two leading words belong to the host.
struct PouLine
{
    std::uint32_t hostWord0 = 0;
    std::uint32_t hostWord1 = 0;
    std::string text; // one line without line end; the header is a block of lines
};

using PouList = std::vector<PouLine>;

// The host's project context, owned by the host.
struct PosHostContext
{
    std::vector<std::string> subprogramNames; // names already in the project
    std::uint32_t minD = 0;
    std::uint32_t maxD = 0;
    std::uint32_t minM = 0;
    std::uint32_t maxM = 0;
};

// The host's result object. The generator stores a new list under the
// subprogram name (case-sensitive key); a list that stood there before is
// released from the map but stays alive while the host holds it.
struct PosHostResult
{
    std::map<std::string, std::shared_ptr<PouList>> pouMap;
};

} // namespace pos
