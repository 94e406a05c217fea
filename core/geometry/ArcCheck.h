#pragma once

// The arc end-point check. An arc is given by its begin point, its end point
// and a circle point, which is either the circle's centre (centre mode 0) or
// a point the arc passes through (centre mode 1).

#include "guide/PosConfig.h"
#include "res/Diagnostic.h"

#include <array>
#include <cstdint>

namespace pos {

enum ArcResult : int {
    kArcOk = 1,         // the end point lies on the arc
    kArcCandidates = 2, // the end point is off the circle; two corrected end points offered
    kArcImpossible = 3, // no arc can be formed
};

// Centre-point check. Before the call both elements of xs hold the entered
// end X and both elements of ys the entered end Y. Returns 1, 2 or 3; on 2,
// element 0 of xs/ys is the first candidate and element 1 the second. The
// two candidates are where the line through the centre and the entered end
// point crosses the circle through the begin point; the first one always
// lies on the side of greater X (the upper one when the end point is
// straight above or below the centre). A candidate that does not fit a
// signed 32-bit integer gives 3.
int CheckArcEnd(std::int32_t beginX, std::int32_t beginY, std::int32_t xs[2], std::int32_t ys[2],
                std::int32_t centreX, std::int32_t centreY);

// Pass-through check: an arc through three points exists when they do not
// lie on one straight line (two equal points always do). Exact for every
// coordinate below 2^62 in magnitude.
bool PassThroughArcExists(std::int64_t beginX, std::int64_t beginY, std::int64_t passX,
                          std::int64_t passY, std::int64_t endX, std::int64_t endY);

// The check of an arc segment that begins at (beginX, beginY), by its centre
// mode: centre mode 1 uses the pass-through check (result 1 or 3), any other
// mode the centre-point check.
struct ArcCheck
{
    int result = kArcOk;
    std::array<std::int32_t, 2> xs{}; // candidates when result is 2
    std::array<std::int32_t, 2> ys{};
};
ArcCheck CheckSegmentArc(std::int32_t beginX, std::int32_t beginY, const PosSegment &segment);

// The problem of a check that failed: 10027 for result 3; for result 2,
// 10025 with the centre, the begin point, the entered end point and both
// candidates. The segment number is the caller's to add.
Diagnostic ArcDiagnostic(const ArcCheck &check, std::int32_t beginX, std::int32_t beginY,
                         const PosSegment &segment);

} // namespace pos
