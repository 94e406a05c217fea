#include "geometry/CurveFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace pos::geo {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTurn = 2.0 * kPi;
constexpr double kInf = std::numeric_limits<double>::infinity();
// The share of tol a fit may use on its samples; the rest covers what lies
// between them.
constexpr double kAccept = 0.9;
// Samples of the curve per span: at least, per polynomial piece covered, at
// most. A span that covers more pieces is halved before it is fitted.
constexpr int kMinSamples = 24;
constexpr int kSamplesPerPiece = 8;
constexpr int kMaxSamples = 256;
// Gauss-Newton steps of the search for the foot on the curve of a point of
// a fit.
constexpr int kFootSteps = 6;
// Tangent lengths at the start of the biarcs tried, against that of the
// biarc with equal tangent lengths.
constexpr std::array<double, 5> kBiarcRatios{1.0, 0.5, 2.0, 0.25, 4.0};
// Polyline segments looked at past the nearest one without finding a nearer.
constexpr int kLookAhead = 8;
// A tol finer than this share of the curve's size is raised to it.
constexpr double kFinestTol = 1.0e-9;
// A span of parameter shorter than this share of its end values is not
// halved.
constexpr double kFinestParam = 1.0e-11;
// A derivative below this share of the mean speed over a span is taken for
// zero.
constexpr double kVanishing = 1.0e-9;

bool Finite(Vec p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

Vec Unit(Vec v)
{
    const double len = Length(v);
    return len > 0.0 && std::isfinite(len) ? (1.0 / len) * v : Vec{};
}

double SegmentDistance(Vec a, Vec b, Vec p)
{
    const Vec d = b - a;
    const double len2 = Dot(d, d);
    const double t = len2 > 0.0 ? std::clamp(Dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
    return Distance(p, a + t * d);
}

// A line or a circular arc while it is being fitted, its turning known.
struct Piece
{
    Vec a;
    Vec b;
    Vec c;
    double r = 0.0;
    double sweep = 0.0; // radians, positive, arcs only
    bool arc = false;
    bool ccw = true;

    double length() const { return arc ? r * sweep : Distance(a, b); }

    Vec at(double f) const
    {
        if (!arc)
            return a + f * (b - a);
        const double ang = (ccw ? f : -f) * sweep;
        const double cs = std::cos(ang);
        const double sn = std::sin(ang);
        const Vec ra = a - c;
        return c + Vec{cs * ra.x - sn * ra.y, sn * ra.x + cs * ra.y};
    }

    double distanceTo(Vec p) const
    {
        if (!arc)
            return SegmentDistance(a, b, p);
        const Vec ra = a - c;
        const Vec rp = p - c;
        double ang = std::atan2(ccw ? Cross(ra, rp) : -Cross(ra, rp), Dot(ra, rp));
        if (ang < 0.0)
            ang += kTurn;
        if (ang <= sweep)
            return std::fabs(Length(rp) - r);
        return std::min(Distance(p, a), Distance(p, b));
    }

    Curve curve() const { return arc ? Curve::Arc(a, b, c, ccw) : Curve::Line(a, b); }
};

Piece LinePiece(Vec a, Vec b)
{
    Piece p;
    p.a = a;
    p.b = b;
    return p;
}

// The arc that leaves a in the unit direction t and ends at b; a line when b
// lies on the tangent or the radius would be absurd against the chord.
Piece ArcFrom(Vec a, Vec t, Vec b)
{
    const Vec chord = b - a;
    const double len2 = Dot(chord, chord);
    const Vec n{-t.y, t.x};
    const double den = 2.0 * Dot(n, chord);
    const double len = std::sqrt(len2);
    if (!(len > 0.0) || !(std::fabs(den) > 0.0))
        return LinePiece(a, b);
    const double s = len2 / den;
    if (!(std::fabs(s) <= kFitMaxRadiusRatio * 100.0 * len))
        return LinePiece(a, b);
    Piece p;
    p.a = a;
    p.b = b;
    p.c = a + s * n;
    p.r = std::fabs(s);
    p.arc = true;
    p.ccw = s > 0.0;
    const Vec ra = a - p.c;
    const Vec rb = b - p.c;
    double ang = std::atan2(p.ccw ? Cross(ra, rb) : -Cross(ra, rb), Dot(ra, rb));
    if (ang <= 0.0)
        ang += kTurn;
    p.sweep = ang;
    return p;
}

// The arc from a that arrives at b in the unit direction t.
Piece ArcTo(Vec a, Vec b, Vec t)
{
    Piece p = ArcFrom(b, -1.0 * t, a);
    std::swap(p.a, p.b);
    p.ccw = !p.ccw;
    return p;
}

// The biarc from p0 leaving along t0 to p1 arriving along t1 whose tangent
// length at p0 is ratio times that of the biarc with equal tangent lengths
// at both ends; false when there is none (the chord is zero or the ends
// turn away from each other).
bool MakeBiarc(Vec p0, Vec t0, Vec p1, Vec t1, double ratio, std::array<Piece, 2> &out)
{
    const Vec v = p1 - p0;
    const double vv = Dot(v, v);
    if (!(vv > 0.0) || Length(t0) == 0.0 || Length(t1) == 0.0)
        return false;
    const double vt = Dot(v, t0 + t1);
    const double k = 2.0 * (1.0 - Dot(t0, t1));
    const double root = std::sqrt(std::max(0.0, vt * vt + k * vv));
    double d = 0.0;
    if (vt >= 0.0) {
        if (!(vt + root > 0.0))
            return false;
        d = vv / (vt + root);
    } else {
        if (!(k > 0.0))
            return false;
        d = (root - vt) / k;
    }
    // The two tangent lengths sum to the distance between their far ends.
    const double d0 = ratio * d;
    const double d1
        = ratio == 1.0 ? d : (0.5 * vv - d0 * Dot(v, t0)) / (Dot(v, t1) - d0 * (Dot(t0, t1) - 1.0));
    if (!(d0 > 0.0) || !(d1 > 0.0) || !std::isfinite(d0) || !std::isfinite(d1))
        return false;
    const Vec joint = (1.0 / (d0 + d1)) * (d1 * (p0 + d0 * t0) + d0 * (p1 - d1 * t1));
    out[0] = ArcFrom(p0, t0, joint);
    out[1] = ArcTo(joint, p1, t1);
    return true;
}

// Fits lines and biarcs to a smooth curve given by an evaluator with
//   Vec point(double t, bool fromLeft)
//   Vec derivative(double t, bool fromLeft, Vec &point): also sets the point
//   int pieces(double ta, double tb): polynomial pieces the range covers.
// fromLeft picks the piece before t where t is a break between pieces.
class BiarcFitter
{
public:
    BiarcFitter(double tol, double scale, Curves &out)
        : m_tol(std::max(tol, kFinestTol * scale))
        , m_out(out)
    {}

    // Appends the curve from ta to tb; pa and pb are its end points as the
    // caller wants them (exactly those end the result).
    template<class Eval>
    void fit(const Eval &ev, double ta, Vec pa, double tb, Vec pb)
    {
        std::array<Span, kFitMaxDepth + 2> stack;
        std::size_t top = 0;
        const double chord = Distance(pa, pb);
        stack[top++] = {ta,
                        tb,
                        pa,
                        pb,
                        direction(ev, ta, false, tb - ta, chord),
                        direction(ev, tb, true, tb - ta, chord),
                        0};
        while (top > 0) {
            const Span s = stack[--top];
            // Halves beyond the resolution of the parameter would not differ.
            const bool last = s.depth >= kFitMaxDepth || m_out.size() >= kFitMaxCurves
                              || s.tb - s.ta <= kFinestParam * (std::fabs(s.ta) + std::fabs(s.tb));
            if (!last && fitSpan(ev, s, false))
                continue;
            if (last) {
                fitSpan(ev, s, true);
                continue;
            }
            const double tm = 0.5 * (s.ta + s.tb);
            const Vec pm = ev.point(tm, false);
            const double h = 0.5 * (s.tb - s.ta);
            stack[top++]
                = {tm,   s.tb,       pm, s.pb, direction(ev, tm, false, h, Distance(pm, s.pb)),
                   s.db, s.depth + 1};
            stack[top++]
                = {s.ta,       tm, s.pa, pm, s.da, direction(ev, tm, true, h, Distance(s.pa, pm)),
                   s.depth + 1};
        }
    }

private:
    struct Span
    {
        double ta;
        double tb;
        Vec pa;
        Vec pb;
        Vec da; // unit directions at the ends, zero when unknown
        Vec db;
        int depth;
    };

    // The unit direction of travel at t at an end of a span of parameter
    // length h and the given chord. Where the derivative vanishes against
    // the span's mean speed (a cusp, repeated control points) it is the chord
    // of a short step into the span.
    template<class Eval>
    Vec direction(const Eval &ev, double t, bool fromLeft, double h, double chord) const
    {
        Vec pt;
        const Vec d = ev.derivative(t, fromLeft, pt);
        if (Length(d) * h > kVanishing * chord)
            return Unit(d);
        const double step = h / 64.0;
        return Unit(fromLeft ? ev.point(t, true) - ev.point(t - step, true)
                             : ev.point(t + step, false) - ev.point(t, false));
    }

    // Emits a fit of the span and returns true, or returns false when the
    // span must be halved first. With force set, emits the best it has.
    template<class Eval>
    bool fitSpan(const Eval &ev, const Span &s, bool force)
    {
        const int pieces = ev.pieces(s.ta, s.tb);
        if (!force && pieces > kMaxSamples / kSamplesPerPiece)
            return false;
        const int n = std::clamp(kSamplesPerPiece * pieces, kMinSamples, kMaxSamples);
        m_samples[0] = s.pa;
        m_samples[std::size_t(n)] = s.pb;
        for (int i = 1; i < n; ++i)
            m_samples[std::size_t(i)] = ev.point(param(s, i, n), false);

        if (s.pa == s.pb) {
            // A closed span fits nothing but a point.
            for (int i = 1; i < n; ++i)
                if (!(Distance(m_samples[std::size_t(i)], s.pa) <= kAccept * m_tol))
                    return false;
            return true;
        }
        const Piece line = LinePiece(s.pa, s.pb);
        if (within(ev, s, &line, 1, n)) {
            emit(line);
            return true;
        }
        // The biarcs differ in where their arcs meet: try a few, keep the one
        // nearest the samples.
        std::array<Piece, 2> biarc;
        std::array<Piece, 2> best;
        double bestDeviation = kInf;
        for (double ratio : kBiarcRatios) {
            if (MakeBiarc(s.pa, s.da, s.pb, s.db, ratio, biarc)) {
                const double d = sampleDeviation(biarc.data(), 2, n, bestDeviation);
                if (d < bestDeviation) {
                    bestDeviation = d;
                    best = biarc;
                }
            }
        }
        if (bestDeviation < kInf && (force || within(ev, s, best.data(), 2, n))) {
            emit(best[0]);
            emit(best[1]);
            return true;
        }
        if (force)
            emit(line);
        return force;
    }

    static double param(const Span &s, double i, int n) { return s.ta + (s.tb - s.ta) * i / n; }

    // Whether the pieces and the span of the curve (samples 0..n) lie within
    // tol of each other both ways: each sample near a piece, each point of
    // the pieces near the curve.
    template<class Eval>
    bool within(const Eval &ev, const Span &s, const Piece *pieces, int count, int n) const
    {
        const double limit = kAccept * m_tol;
        if (!(sampleDeviation(pieces, count, n, limit) <= limit))
            return false;
        double total = 0.0;
        for (int k = 0; k < count; ++k)
            total += pieces[k].length();
        int j = 0;
        for (int k = 0; k < count; ++k) {
            const double share = total > 0.0 ? pieces[k].length() / total : 1.0;
            const int m = std::max(4, int(std::ceil(n * share)));
            for (int i = 1; i <= m; ++i)
                if (!near(ev, s, n, pieces[k].at(double(i) / m), j, limit))
                    return false;
        }
        return true;
    }

    // The distance of the samples 1..n-1 furthest from the pieces, or
    // infinity once it exceeds bound.
    double sampleDeviation(const Piece *pieces, int count, int n, double bound) const
    {
        double worst = 0.0;
        for (int i = 1; i < n; ++i) {
            double d = kInf;
            for (int k = 0; k < count; ++k)
                d = std::min(d, pieces[k].distanceTo(m_samples[std::size_t(i)]));
            if (!(d <= bound))
                return kInf;
            worst = std::max(worst, d);
        }
        return worst;
    }

    // Whether p lies within limit of the span of the curve. The nearest
    // segment of the polyline through the samples is searched forward from
    // segment j (which moves to it); from the point of the curve there
    // Gauss-Newton steps move towards the foot of p. Every
    // distance taken is to a point of the curve, so it never errs towards
    // yes.
    template<class Eval>
    bool near(const Eval &ev, const Span &s, int n, Vec p, int &j, double limit) const
    {
        const auto along = [&](int k, double &f) {
            const Vec a = m_samples[std::size_t(k)];
            const Vec d = m_samples[std::size_t(k + 1)] - a;
            const double len2 = Dot(d, d);
            f = len2 > 0.0 ? std::clamp(Dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
            return Distance(p, a + f * d);
        };
        double f = 0.0;
        double nearest = along(j, f);
        double fNearest = f;
        int misses = 0;
        for (int k = j + 1; k < n && misses < kLookAhead; ++k) {
            const double d = along(k, f);
            if (d < nearest) {
                nearest = d;
                fNearest = f;
                j = k;
                misses = 0;
            } else {
                ++misses;
            }
        }
        if (std::min(Distance(p, m_samples[std::size_t(j)]),
                     Distance(p, m_samples[std::size_t(j + 1)]))
            <= limit)
            return true;
        const double lo = param(s, std::max(j - 1, 0), n);
        const double hi = param(s, std::min(j + 2, n), n);
        double t = param(s, j + fNearest, n);
        for (int step = 0; step < kFootSteps; ++step) {
            Vec pt;
            const Vec d = ev.derivative(t, false, pt);
            if (Distance(p, pt) <= limit)
                return true;
            const double dd = Dot(d, d);
            if (!(dd > 0.0))
                return false;
            const double next = std::clamp(t - Dot(pt - p, d) / dd, lo, hi);
            if (!(std::fabs(next - t) * Length(d) > 0.05 * limit))
                return false; // settled further away than limit
            t = next;
        }
        return false;
    }

    void emit(const Piece &p)
    {
        if (!(p.a == p.b))
            m_out.push_back(p.curve());
    }

    double m_tol;
    Curves &m_out;
    std::array<Vec, kMaxSamples + 1> m_samples{};
};

// --- The ellipse -------------------------------------------------------------

struct EllipseEval
{
    Vec c;
    Vec u;
    Vec v;

    Vec point(double t, bool) const { return c + std::cos(t) * u + std::sin(t) * v; }
    Vec derivative(double t, bool, Vec &pt) const
    {
        const double cs = std::cos(t);
        const double sn = std::sin(t);
        pt = c + cs * u + sn * v;
        return cs * v - sn * u;
    }
    int pieces(double, double) const { return 1; }
};

// --- NURBS -------------------------------------------------------------------

class NurbsEval
{
public:
    NurbsEval(std::size_t degree, const std::vector<double> &knots,
              const std::vector<double> &weights, const std::vector<Vec> &control)
        : m_p(degree)
        , m_n(control.size())
        , m_knots(knots)
        , m_weights(weights)
        , m_control(control)
    {}

    Vec point(double t, bool fromLeft) const
    {
        // Clamped ends are the end control points themselves.
        if (t == m_knots[m_p] && m_knots[0] == m_knots[m_p] && m_knots[m_p] < m_knots[m_p + 1])
            return m_control.front();
        if (t == m_knots[m_n] && m_knots[m_n] == m_knots[m_n + m_p]
            && m_knots[m_n - 1] < m_knots[m_n])
            return m_control.back();
        Vec pt;
        evaluate(t, fromLeft, pt, nullptr);
        return pt;
    }

    Vec derivative(double t, bool fromLeft, Vec &pt) const
    {
        Vec d;
        evaluate(t, fromLeft, pt, &d);
        return d;
    }

    int pieces(double ta, double tb) const
    {
        return std::max(1, int(span(tb, true)) - int(span(ta, false)) + 1);
    }

private:
    struct Hom
    {
        double x;
        double y;
        double w;
    };

    // The knot span [knot k, knot k+1) holding t (or (k, k+1] from the left),
    // never an empty one, k from p to n - 1.
    std::size_t span(double t, bool fromLeft) const
    {
        const auto at = [&](std::size_t i) { return m_knots.begin() + std::ptrdiff_t(i); };
        const auto it = fromLeft ? std::lower_bound(at(m_p + 1), at(m_n + 1), t)
                                 : std::upper_bound(at(m_p), at(m_n), t);
        std::size_t k = std::size_t(it - m_knots.begin());
        k = std::clamp(k > 0 ? k - 1 : 0, m_p, m_n - 1);
        while (k > m_p && !(m_knots[k] < m_knots[k + 1]))
            --k;
        while (k < m_n - 1 && !(m_knots[k] < m_knots[k + 1]))
            ++k;
        return k;
    }

    // de Boor in homogeneous coordinates; the derivative comes from the two
    // points of the last but one level.
    void evaluate(double t, bool fromLeft, Vec &pt, Vec *deriv) const
    {
        const std::size_t k = span(t, fromLeft);
        std::array<Hom, kNurbsMaxDegree + 1> d;
        for (std::size_t j = 0; j <= m_p; ++j) {
            const std::size_t i = k - m_p + j;
            const double w = m_weights.empty() ? 1.0 : m_weights[i];
            d[j] = {w * m_control[i].x, w * m_control[i].y, w};
        }
        Hom diff{0.0, 0.0, 0.0};
        for (std::size_t r = 1; r <= m_p; ++r) {
            if (r == m_p) {
                const double f = double(m_p) / (m_knots[k + 1] - m_knots[k]);
                diff = {f * (d[m_p].x - d[m_p - 1].x), f * (d[m_p].y - d[m_p - 1].y),
                        f * (d[m_p].w - d[m_p - 1].w)};
            }
            for (std::size_t j = m_p; j >= r; --j) {
                const std::size_t i = j + k - m_p;
                const double a = (t - m_knots[i]) / (m_knots[i + m_p + 1 - r] - m_knots[i]);
                d[j] = {(1.0 - a) * d[j - 1].x + a * d[j].x, (1.0 - a) * d[j - 1].y + a * d[j].y,
                        (1.0 - a) * d[j - 1].w + a * d[j].w};
            }
        }
        const Hom &h = d[m_p];
        pt = {h.x / h.w, h.y / h.w};
        if (deriv)
            *deriv = (1.0 / h.w) * (Vec{diff.x, diff.y} - diff.w * pt);
    }

    std::size_t m_p;
    std::size_t m_n;
    const std::vector<double> &m_knots;
    const std::vector<double> &m_weights;
    const std::vector<Vec> &m_control;
};

bool ValidNurbs(int degree, const std::vector<double> &knots, const std::vector<double> &weights,
                const std::vector<Vec> &control, double tol)
{
    if (degree < 1 || degree > kNurbsMaxDegree || !(tol > 0.0) || !std::isfinite(tol))
        return false;
    const std::size_t p = std::size_t(degree);
    const std::size_t n = control.size();
    if (n < p + 1 || knots.size() != n + p + 1)
        return false;
    if (!weights.empty() && weights.size() != n)
        return false;
    for (double w : weights)
        if (!(w > 0.0) || !std::isfinite(w))
            return false;
    for (Vec c : control)
        if (!Finite(c))
            return false;
    for (std::size_t i = 0; i < knots.size(); ++i)
        if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1]))
            return false;
    return knots[p] < knots[n];
}

// --- Fit points ----------------------------------------------------------------

// A centripetal Catmull-Rom spline through the points, the parameter running
// from i to i + 1 between points i and i + 1.
class CatmullRomEval
{
public:
    explicit CatmullRomEval(const std::vector<Vec> &points)
        : m_p(points)
    {}

    Vec point(double t, bool fromLeft) const
    {
        const double s = load(t, fromLeft);
        const double q = 1.0 - s;
        return q * q * q * m_b[0] + 3.0 * q * q * s * m_b[1] + 3.0 * q * s * s * m_b[2]
               + s * s * s * m_b[3];
    }

    Vec derivative(double t, bool fromLeft, Vec &pt) const
    {
        pt = point(t, fromLeft);
        const double s = load(t, fromLeft);
        const double q = 1.0 - s;
        return 3.0
               * (q * q * (m_b[1] - m_b[0]) + 2.0 * q * s * (m_b[2] - m_b[1])
                  + s * s * (m_b[3] - m_b[2]));
    }

    int pieces(double ta, double tb) const
    {
        return std::max(1, int(segment(tb, true)) - int(segment(ta, false)) + 1);
    }

private:
    std::size_t segment(double t, bool fromLeft) const
    {
        const double last = double(m_p.size() - 2);
        const double f = fromLeft ? std::ceil(t) - 1.0 : std::floor(t);
        return std::size_t(std::clamp(f, 0.0, last));
    }

    double gap(std::size_t i) const { return std::sqrt(Distance(m_p[i], m_p[i + 1])); }

    // The derivative at point i against the centripetal parameter; at the
    // ends that of the parabola through the end point and its neighbour with
    // the neighbour's derivative.
    Vec tangent(std::size_t i) const
    {
        const std::size_t last = m_p.size() - 1;
        const auto inner = [&](std::size_t j) {
            const double d0 = gap(j - 1);
            const double d1 = gap(j);
            return (1.0 / d0) * (m_p[j] - m_p[j - 1])
                   - (1.0 / (d0 + d1)) * (m_p[j + 1] - m_p[j - 1])
                   + (1.0 / d1) * (m_p[j + 1] - m_p[j]);
        };
        if (last == 1)
            return (1.0 / gap(0)) * (m_p[1] - m_p[0]);
        if (i == 0)
            return (2.0 / gap(0)) * (m_p[1] - m_p[0]) - inner(1);
        if (i == last)
            return (2.0 / gap(last - 1)) * (m_p[last] - m_p[last - 1]) - inner(last - 1);
        return inner(i);
    }

    // Loads the Bezier form of the segment holding t; returns t within it.
    double load(double t, bool fromLeft) const
    {
        const std::size_t i = segment(t, fromLeft);
        if (i != m_loaded) {
            const double h = gap(i) / 3.0;
            m_b = {m_p[i], m_p[i] + h * tangent(i), m_p[i + 1] - h * tangent(i + 1), m_p[i + 1]};
            m_loaded = i;
        }
        return std::clamp(t - double(i), 0.0, 1.0);
    }

    const std::vector<Vec> &m_p;
    mutable std::size_t m_loaded = std::numeric_limits<std::size_t>::max();
    mutable std::array<Vec, 4> m_b{};
};

double Extent(const std::vector<Vec> &points)
{
    double lo[2] = {kInf, kInf};
    double hi[2] = {-kInf, -kInf};
    for (Vec p : points) {
        lo[0] = std::min(lo[0], p.x);
        lo[1] = std::min(lo[1], p.y);
        hi[0] = std::max(hi[0], p.x);
        hi[1] = std::max(hi[1], p.y);
    }
    return points.empty() ? 0.0 : std::max(hi[0] - lo[0], hi[1] - lo[1]);
}

} // namespace

Curves ApproximateEllipse(Vec centre, Vec u, Vec v, double t0, double t1, double tol)
{
    if (!Finite(centre) || !Finite(u) || !Finite(v) || !std::isfinite(t0) || !std::isfinite(t1)
        || !(t1 > t0) || !(tol > 0.0) || !std::isfinite(tol))
        return {};
    const bool full = t1 - t0 >= kTurn - 1e-9;
    if (full)
        t1 = t0 + kTurn;
    const EllipseEval ev{centre, u, v};
    const Vec start = ev.point(t0, false);
    const Vec end = full ? start : ev.point(t1, false);
    const double uu = Dot(u, u);
    const double vv = Dot(v, v);
    const double uv = Dot(u, v);
    const double major = std::sqrt(0.5 * (uu + vv + std::hypot(uu - vv, 2.0 * uv)));
    if (!(major > 0.0) || !std::isfinite(major))
        return {};
    Curves out;
    if (std::fabs(uu - vv) <= 1e-12 * (uu + vv) && std::fabs(uv) <= 1e-12 * (uu + vv)) {
        // A circle: exact arcs of at most a quarter turn.
        const int n = std::clamp(int(std::ceil((t1 - t0) / (0.5 * kPi) - 1e-9)), 1, 4);
        const bool ccw = Cross(u, v) > 0.0;
        Vec prev = start;
        for (int k = 1; k <= n; ++k) {
            const Vec next = k == n ? end : ev.point(t0 + (t1 - t0) * k / n, false);
            out.push_back(Curve::Arc(prev, next, centre, ccw));
            prev = next;
        }
        return out;
    }
    // Split at the vertices, where the curvature turns from growing to
    // shrinking: each quarter between them suits biarcs well.
    BiarcFitter fitter(tol, major, out);
    const double vertex = 0.5 * std::atan2(2.0 * uv, uu - vv);
    const double quarter = 0.5 * kPi;
    double ta = t0;
    Vec pa = start;
    double next = vertex + (std::floor((t0 - vertex) / quarter) + 1.0) * quarter;
    for (int i = 0; i < 6 && next < t1 - 1e-9; ++i, next += quarter) {
        if (next <= ta + 1e-9)
            continue;
        const Vec pb = ev.point(next, false);
        fitter.fit(ev, ta, pa, next, pb);
        ta = next;
        pa = pb;
    }
    fitter.fit(ev, ta, pa, t1, end);
    return out;
}

Curves ApproximateNurbs(int degree, const std::vector<double> &knots,
                        const std::vector<double> &weights, const std::vector<Vec> &control,
                        double tol)
{
    if (!ValidNurbs(degree, knots, weights, control, tol))
        return {};
    const std::size_t p = std::size_t(degree);
    const std::size_t n = control.size();
    const double scale = Extent(control);
    const NurbsEval ev(p, knots, weights, control);
    Curves out;
    BiarcFitter fitter(tol, scale, out);
    double ta = knots[p];
    Vec pa = ev.point(ta, false);
    // Interior knots of multiplicity p or more are corners; break there.
    for (std::size_t i = p + 1; i < n;) {
        std::size_t j = i;
        while (j + 1 < n && knots[j + 1] == knots[i])
            ++j;
        const double t = knots[i];
        const std::size_t mult = j - i + 1;
        i = j + 1;
        if (mult < p || !(t > ta) || !(t < knots[n]))
            continue;
        const Vec pb = ev.point(t, true);
        fitter.fit(ev, ta, pa, t, pb);
        Vec next = ev.point(t, false);
        if (!(Distance(next, pb) > kFinestTol * scale))
            next = pb;
        else
            out.push_back(Curve::Line(pb, next)); // the curve jumps: join the pieces
        ta = t;
        pa = next;
    }
    fitter.fit(ev, ta, pa, knots[n], ev.point(knots[n], true));
    return out;
}

Curves ApproximateThroughPoints(const std::vector<Vec> &points, double tol)
{
    if (!(tol > 0.0) || !std::isfinite(tol))
        return {};
    for (Vec p : points)
        if (!Finite(p))
            return {};
    const double scale = Extent(points);
    if (!(scale > 0.0))
        return {};
    // Points closer than the finest tol to the one before are the same point;
    // the last point is kept exactly.
    std::vector<Vec> kept;
    kept.reserve(points.size());
    for (Vec p : points) {
        if (kept.empty() || Distance(kept.back(), p) > kFinestTol * scale)
            kept.push_back(p);
    }
    kept.back() = points.back();
    if (kept.size() < 2 || kept[0] == kept[1])
        return {};
    Curves out;
    if (kept.size() == 2) {
        out.push_back(Curve::Line(kept[0], kept[1]));
        return out;
    }
    const CatmullRomEval ev(kept);
    BiarcFitter fitter(tol, scale, out);
    fitter.fit(ev, 0.0, kept.front(), double(kept.size() - 1), kept.back());
    return out;
}

// --- Thinning ------------------------------------------------------------------

namespace {

// The last e >= first for which ok(e) holds, by doubling steps and then
// halving; 0 when ok(first) fails or first > last.
template<class Ok>
std::size_t Longest(std::size_t first, std::size_t last, Ok ok)
{
    if (first > last || !ok(first))
        return 0;
    std::size_t good = first;
    std::size_t step = 1;
    while (good < last) {
        const std::size_t next = std::min(last, good + step);
        if (ok(next)) {
            good = next;
            step *= 2;
            continue;
        }
        std::size_t bad = next;
        while (bad - good > 1) {
            const std::size_t mid = good + (bad - good) / 2;
            (ok(mid) ? good : bad) = mid;
        }
        break;
    }
    return good;
}

struct FittedArc
{
    Vec centre;
    bool ccw = true;
};

} // namespace

void SimplifyRun(Curves &run, double tol, SimplifyCounts &counts)
{
    if (!(tol > 0.0) || !std::isfinite(tol) || run.size() < 2)
        return;
    const auto plain = [](const Curve &c) { return !c.arc && !c.travel; };
    std::size_t w = 0;
    std::size_t i = 0;
    while (i < run.size()) {
        if (!plain(run[i])) {
            run[w++] = run[i++];
            continue;
        }
        // Lines i .. end - 1, joined end to begin; vertex k begins line k.
        std::size_t end = i + 1;
        while (end < run.size() && plain(run[end]) && run[end].begin == run[end - 1].end)
            ++end;
        const auto vertex
            = [&](std::size_t k) { return k < end ? run[k].begin : run[end - 1].end; };
        std::size_t s = i;
        const auto straight = [&](std::size_t e) {
            const Vec a = vertex(s);
            const Vec b = vertex(e);
            if (a == b)
                return false;
            for (std::size_t k = s + 1; k < e; ++k)
                if (!(SegmentDistance(a, b, vertex(k)) <= tol))
                    return false;
            return true;
        };
        FittedArc arc;
        const auto circular = [&](std::size_t e) {
            const Vec a = vertex(s);
            const Vec am = vertex((s + e) / 2) - a;
            const Vec ab = vertex(e) - a;
            const double den = 2.0 * Cross(am, ab);
            if (!(den != 0.0))
                return false;
            const double am2 = Dot(am, am);
            const double ab2 = Dot(ab, ab);
            const Vec rc{(ab.y * am2 - am.y * ab2) / den, (am.x * ab2 - ab.x * am2) / den};
            const double r = Length(rc);
            if (!(r <= kFitMaxRadiusRatio * std::sqrt(ab2)))
                return false;
            const Vec c = a + rc;
            const double sign = den > 0.0 ? 1.0 : -1.0;
            double turned = 0.0;
            for (std::size_t k = s; k < e; ++k) {
                const Vec p = vertex(k) - c;
                const Vec q = vertex(k + 1) - c;
                const double cr = sign * Cross(p, q);
                const double dt = Dot(p, q);
                if (!(std::fabs(Length(q) - r) <= tol)
                    || !(r - SegmentDistance(vertex(k), vertex(k + 1), c) <= tol) || cr < 0.0
                    || !(dt > 0.0))
                    return false;
                turned += std::atan2(cr, dt);
                if (!(turned <= kFitMaxSweep))
                    return false;
            }
            arc = {c, den > 0.0};
            return true;
        };
        while (s < end) {
            const std::size_t eLine = Longest(s + 2, end, straight);
            const std::size_t eArc = Longest(s + 3, end, circular);
            const Vec a = vertex(s);
            if (eArc > eLine) {
                circular(eArc); // the fit of the chosen end, not of the last tried
                run[w++] = Curve::Arc(a, vertex(eArc), arc.centre, arc.ccw);
                ++counts.fittedArcs;
                counts.fittedLines += eArc - s;
                s = eArc;
            } else if (eLine > 0) {
                run[w++] = Curve::Line(a, vertex(eLine));
                counts.mergedLines += eLine - s - 1;
                s = eLine;
            } else {
                run[w++] = run[s++];
            }
        }
        i = end;
    }
    run.resize(w);
}

} // namespace pos::geo
