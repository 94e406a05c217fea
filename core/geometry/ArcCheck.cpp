#include "geometry/ArcCheck.h"

#include "geometry/Rounding.h"

#include <cmath>

namespace pos {

namespace {

double Diff(std::int32_t a, std::int32_t b)
{
    // Exact: the difference of two 32-bit values fits a double.
    return static_cast<double>(std::int64_t{a} - std::int64_t{b});
}

} // namespace

int CheckArcEnd(std::int32_t beginX, std::int32_t beginY, std::int32_t xs[2], std::int32_t ys[2],
                std::int32_t centreX, std::int32_t centreY)
{
    const double bx = Diff(beginX, centreX);
    const double by = Diff(beginY, centreY);
    const double r = std::sqrt(bx * bx + by * by);
    if (r == 0.0)
        return kArcImpossible;

    // Direction of the entered end point seen from the centre, from the
    // one-argument arctangent of the slope: c is never negative, so the
    // first candidate always lies on the side of greater X.
    double c = 0.0;
    double s = 1.0;
    if (xs[0] != centreX) {
        const double q = Diff(centreY, ys[0]) / Diff(centreX, xs[0]);
        const double theta = std::atan(q);
        c = std::cos(theta);
        s = std::sin(theta);
    }
    const double dx = r * c;
    const double dy = r * s;

    // The tolerance is a square: under 1.0 in X and, separately, in Y.
    const double p1x = centreX + dx;
    const double p1y = centreY + dy;
    if (std::fabs(p1x - xs[0]) < 1.0 && std::fabs(p1y - ys[0]) < 1.0)
        return kArcOk;
    const double p2x = centreX - dx;
    const double p2y = centreY - dy;
    if (std::fabs(p2x - xs[1]) < 1.0 && std::fabs(p2y - ys[1]) < 1.0)
        return kArcOk;

    std::int32_t c1x = 0, c1y = 0, c2x = 0, c2y = 0;
    if (!RoundToInt32(p1x, c1x) || !RoundToInt32(p1y, c1y) || !RoundToInt32(p2x, c2x)
        || !RoundToInt32(p2y, c2y))
        return kArcImpossible; // a candidate the PLC could not take
    xs[0] = c1x;
    ys[0] = c1y;
    xs[1] = c2x;
    ys[1] = c2y;
    return kArcCandidates;
}

bool PassThroughArcExists(std::int64_t beginX, std::int64_t beginY, std::int64_t passX,
                          std::int64_t passY, std::int64_t endX, std::int64_t endY)
{
    // Cross product of (pass - begin) and (end - begin), exact in 128 bits.
    __extension__ using Wide = __int128;
    const Wide ax = Wide{passX} - beginX;
    const Wide ay = Wide{passY} - beginY;
    const Wide bx = Wide{endX} - beginX;
    const Wide by = Wide{endY} - beginY;
    return ax * by - ay * bx != 0;
}

ArcCheck CheckSegmentArc(std::int32_t beginX, std::int32_t beginY, const PosSegment &segment)
{
    ArcCheck check;
    check.xs = {segment.endX, segment.endX};
    check.ys = {segment.endY, segment.endY};
    if (segment.centreMode == kPassPoint) {
        check.result = PassThroughArcExists(beginX, beginY, segment.centreX, segment.centreY,
                                            segment.endX, segment.endY)
                           ? kArcOk
                           : kArcImpossible;
        return check;
    }
    check.result = CheckArcEnd(beginX, beginY, check.xs.data(), check.ys.data(), segment.centreX,
                               segment.centreY);
    return check;
}

Diagnostic ArcDiagnostic(const ArcCheck &check, std::int32_t beginX, std::int32_t beginY,
                         const PosSegment &segment)
{
    if (check.result != kArcCandidates)
        return Diagnostic{.id = sid::NoArc};
    Diagnostic d{.id = sid::ArcEndChoice};
    for (const std::int32_t v : {segment.centreX, segment.centreY, beginX, beginY, segment.endX,
                                 segment.endY, check.xs[0], check.ys[0], check.xs[1], check.ys[1]})
        d.args.emplace_back(std::int64_t{v});
    return d;
}

} // namespace pos
