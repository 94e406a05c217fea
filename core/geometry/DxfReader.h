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
#include "res/Diagnostic.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pos {

class CDxfReader
{
public:
    virtual ~CDxfReader() = default;

    // Reads the file at path. Returns the new record (keys 0..n-1 in drawing
    // order, begin points filled, all other record fields as a new
    // configuration has them), or why the drawing cannot be read: the
    // reader's reasons (sid::DxfCodeExpected ...) with their line, or 50106,
    // always with the file.
    Result<PosConfig> ReadDxfFile(const std::string &path);

    // Same for the contents of a file already in memory (without the file).
    Result<PosConfig> ReadDxfText(std::string_view text);

    // Keeps only the first `keep` segments in the record; the rest of the
    // drawing is still read and checked. Every segment by default.
    void SetKeep(std::size_t keep) { m_keep = keep; }
    // Segments the last read found, those it did not keep included.
    std::size_t SegmentsRead() const { return m_read; }

private:
    std::size_t m_keep = static_cast<std::size_t>(-1);
    std::size_t m_read = 0;
};

} // namespace pos
