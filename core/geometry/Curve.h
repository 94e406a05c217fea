#pragma once

// The geometry that the drawing import works on after the drawing has been
// read: straight lines and circular arcs in double precision, in one plane
// with X to the right and Y upwards. Every stage after reading (scaling,
// chaining, ordering, fitting, rounding) sees only these two kinds.

#include <cmath>
#include <vector>

namespace pos::geo {

struct Vec
{
    double x = 0.0;
    double y = 0.0;

    friend Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
    friend Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
    friend Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }
    friend bool operator==(Vec, Vec) = default;
};

inline double Dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}
inline double Cross(Vec a, Vec b)
{
    return a.x * b.y - a.y * b.x;
}
inline double Length(Vec a)
{
    return std::hypot(a.x, a.y);
}
inline double Distance(Vec a, Vec b)
{
    return Length(b - a);
}

// A straight line from begin to end, or a circular arc from begin to end
// about centre, counter-clockwise when ccw is set. An arc whose end equals
// its begin is a full turn. Travel marks a move between contours that cuts
// nothing.
struct Curve
{
    Vec begin;
    Vec end;
    Vec centre; // arcs only
    bool arc = false;
    bool ccw = true; // arcs only
    bool travel = false;

    static Curve Line(Vec a, Vec b, bool travel = false) { return {a, b, {}, false, true, travel}; }
    static Curve Arc(Vec a, Vec b, Vec c, bool ccw) { return {a, b, c, true, ccw, false}; }

    bool fullTurn() const { return arc && begin == end; }
    double radius() const { return Distance(centre, begin); }
    // The angle the arc turns through, in radians: positive, up to 2 pi.
    double sweep() const;
    double length() const;
    // The same path run the other way.
    Curve reversed() const;
    // The point at fraction t (0..1) of the way along.
    Vec at(double t) const;
    // The shortest distance from p to the curve.
    double distanceTo(Vec p) const;
};

using Curves = std::vector<Curve>;

} // namespace pos::geo
