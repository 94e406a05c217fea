#pragma once

// Reads the LINE, ARC and LWPOLYLINE entities of the ENTITIES section of an
// ASCII DXF drawing into segments with integer coordinates.
//
// Coordinates are taken in drawing units as they stand (no unit scaling)
// and rounded as floor(v + 0.5). Entities in their own plane (extrusion
// other than (0, 0, 1)) are brought into world coordinates by the
// arbitrary-axis rule and then seen from +Z; a mirrored plane (0, 0, -1)
// reverses an arc's direction. Bulged LWPOLYLINE edges become arcs:
// counter-clockwise (type 3) for a positive bulge, clockwise (type 2) for a
// negative one. Every other entity kind is passed over.

#include "guide/PosConfig.h"
#include "res/StringTable.h"

#include <memory>
#include <string>
#include <string_view>

namespace pos {

// Why a drawing could not be read: a string id of the reader's reasons
// (sid::DxfCodeExpected ...), the 1-based line it concerns (0 when none) and
// the text it quotes.
struct DxfError
{
    int reasonId = 0;
    long long line = 0;
    std::string detail;

    // The reason in the given language, e.g. "line 12: "1,5" is not a number".
    std::string message(Lang lang) const;
};

class CDxfReader
{
public:
    virtual ~CDxfReader() = default;

    // Reads the file at path. Returns the new record (keys 0..n-1 in drawing
    // order, begin points filled, all other record fields as a new
    // configuration has them), or null with the reason in error.
    std::unique_ptr<PosConfig> ReadDxfFile(const std::string &path, DxfError *error = nullptr);

    // Same for the contents of a file already in memory.
    std::unique_ptr<PosConfig> ReadDxfText(std::string_view text, DxfError *error = nullptr);
};

} // namespace pos
