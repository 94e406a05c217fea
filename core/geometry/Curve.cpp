#include "geometry/Curve.h"

#include <algorithm>
#include <numbers>

namespace pos::geo {

namespace {

constexpr double kTurn = 2.0 * std::numbers::pi;

} // namespace

double Curve::sweep() const
{
    if (!arc)
        return 0.0;
    if (fullTurn())
        return kTurn;
    const double a0 = std::atan2(begin.y - centre.y, begin.x - centre.x);
    const double a1 = std::atan2(end.y - centre.y, end.x - centre.x);
    double s = ccw ? a1 - a0 : a0 - a1;
    while (s <= 0.0)
        s += kTurn;
    while (s > kTurn)
        s -= kTurn;
    return s;
}

double Curve::length() const
{
    return arc ? radius() * sweep() : Distance(begin, end);
}

Curve Curve::reversed() const
{
    Curve r = *this;
    r.begin = end;
    r.end = begin;
    r.ccw = !ccw;
    return r;
}

Vec Curve::at(double t) const
{
    if (!arc)
        return begin + t * (end - begin);
    const double a0 = std::atan2(begin.y - centre.y, begin.x - centre.x);
    const double a = a0 + (ccw ? 1.0 : -1.0) * t * sweep();
    const double r = radius();
    return {centre.x + r * std::cos(a), centre.y + r * std::sin(a)};
}

double Curve::distanceTo(Vec p) const
{
    if (!arc) {
        const Vec d = end - begin;
        const double len2 = Dot(d, d);
        const double t = len2 > 0.0 ? std::clamp(Dot(p - begin, d) / len2, 0.0, 1.0) : 0.0;
        return Distance(p, begin + t * d);
    }
    const double r = radius();
    const Vec v = p - centre;
    const double toEnds = std::min(Distance(p, begin), Distance(p, end));
    if (fullTurn())
        return std::fabs(Length(v) - r);
    // Is the direction of p inside the swept range?
    const double a0 = std::atan2(begin.y - centre.y, begin.x - centre.x);
    const double ap = std::atan2(v.y, v.x);
    double s = ccw ? ap - a0 : a0 - ap;
    while (s < 0.0)
        s += kTurn;
    while (s >= kTurn)
        s -= kTurn;
    if (s <= sweep())
        return std::fabs(Length(v) - r);
    return toEnds;
}

} // namespace pos::geo
