#pragma once

// The one walk over an ASCII DXF text that both readers share: the rounding
// reader (CDxfReader) and the full-precision reader (dxf::Drawing). The
// parser assembles each entity's groups and hands the finished entity to a
// handler; the handler keeps what it needs. Values are kept with their text
// and line, so that a handler can quote them in a message.

#include "geometry/DxfDrawing.h"
#include "res/Diagnostic.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pos::dxf {

// A coordinate as read: its value, its text and its line, for messages.
struct Coord
{
    double value = 0.0;
    std::string_view text = "0";
    long long line = 0;
};

struct ParsedVertex
{
    Coord x;
    Coord y;
    double bulge = 0.0;
    long long bulgeLine = 0;
    bool hasY = false;
};

// An entity with every group the readers use; groups the file leaves out
// keep their DXF defaults.
struct ParsedEntity
{
    EntityType type = EntityType::Line;
    long long line = 0;    // of the type name
    std::string_view name; // the type name as written
    std::string_view layer = "0";
    bool paperSpace = false; // group 67 = 1
    std::array<Coord, 2> a;  // LINE start, ARC/CIRCLE/ELLIPSE centre, INSERT point
    std::array<Coord, 2> b;  // LINE end, ELLIPSE major axis end (relative)
    double bz = 0.0;         // ELLIPSE major axis end z
    double elevation = 0.0;
    double radius = 0.0; // ARC, CIRCLE; ELLIPSE ratio
    double start = 0.0;  // ARC degrees; ELLIPSE parameter
    double end = 0.0;
    std::array<double, 3> extrusion{0.0, 0.0, 1.0};
    long long flags = 0;                // group 70
    std::vector<ParsedVertex> vertices; // LWPOLYLINE, POLYLINE (its VERTEX entities)
    Spline spline;
    std::string_view block; // INSERT
    Insert insert;          // INSERT without its block index
};

enum class Section { Header, Blocks, Entities };

class EntityHandler
{
public:
    virtual ~EntityHandler() = default;
    // A finished entity of the ENTITIES section or of a block.
    virtual void OnEntity(const ParsedEntity &entity, Section section) = 0;
    // A block definition begins; its entities follow until OnBlockEnd.
    virtual void OnBlockBegin(std::string_view, double, double) {}
    virtual void OnBlockEnd() {}
    // An entity the parser passed over: its type name, in the given section.
    virtual void OnOtherEntity(std::string_view, Section, bool /*paperSpace*/) {}
    // $INSUNITS.
    virtual void OnUnits(long long) {}
};

struct ParseOptions
{
    // Off: only LINE, ARC and LWPOLYLINE of the ENTITIES section, and only
    // the groups the rounding reader uses (a bad value elsewhere is not
    // looked at). On: every entity type of dxf::EntityType, the header and
    // the blocks.
    bool full = false;
};

class DxfParser
{
public:
    DxfParser(std::string_view text, const ParseOptions &options, EntityHandler &handler);
    ~DxfParser();
    DxfParser(const DxfParser &) = delete;
    DxfParser &operator=(const DxfParser &) = delete;

    // Walks the whole text. Returns the first failure, if any.
    Status Run();

    // Records a failure found by the handler (the first one counts) and
    // stops the walk.
    void Fail(int id, long long line, std::string detail = {});

private:
    class Impl;
    Impl *m_impl;
};

// The text of a bad line for a message: at most 40 bytes, cut at a UTF-8
// character boundary, control characters shown as '?'.
std::string Quote(std::string_view text);

// Sine and cosine of an angle in degrees, exact at whole quarter turns.
void SinCosDegrees(double degrees, double &sine, double &cosine);

// The text of a DXF drawing: a UTF-8 byte order mark removed; a binary DXF
// refused (50105).
Result<std::string_view> DxfBody(std::string_view text);

// A whole file in memory.
struct FileBytes
{
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::string_view view() const { return {data.get(), size}; }
};

// Drawings are read up to 1 GiB.
constexpr std::uint64_t kMaxDrawingBytes = std::uint64_t{1} << 30;

// Reads a whole drawing into memory, at most kMaxDrawingBytes, from a
// regular file or standard input (see InputFile). The failure carries the
// file.
Result<FileBytes> ReadDxfBytes(const std::string &path);

} // namespace pos::dxf
