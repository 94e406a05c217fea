#include "geometry/TrajectorySvg.h"

#include "geometry/Motion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace pos {

namespace {

constexpr double kMargin = 30.0;
constexpr double kLegendRoom = 120.0; // right of the picture, for the speed legend
constexpr const char *kSegment = "#3a6ea5";
constexpr const char *kTravel = "#8c8c8c";
constexpr const char *kStart = "#28a046";
constexpr const char *kLabel = "#5f5f5f";
constexpr const char *kAxis = "#afafaf";

std::string Num(double v)
{
    if (std::fabs(v) < 0.005)
        v = 0.0; // no "-0.00"
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    return buffer;
}

std::string Point(Vec2 p)
{
    return Num(p.x) + ' ' + Num(p.y);
}

// The path data of what p draws, in picture coordinates.
std::string PathData(const TrajectoryPrimitive &p, const ViewTransform &t)
{
    std::string d = "M " + Point(t.toView(p.start));
    if (p.kind == PrimitiveKind::Line || p.radius <= 0.0)
        return d + " L " + Point(t.toView(p.end));
    const std::string r = Num(p.radius * t.scale);
    // Counter-clockwise in the world stays counter-clockwise on the screen,
    // which is SVG's negative direction (sweep flag 0).
    const char sweepFlag = p.sweep < 0 ? '1' : '0';
    const auto arcTo = [&](double sweep, double angle) {
        const Vec2 to{p.centre.x + p.radius * std::cos(angle),
                      p.centre.y + p.radius * std::sin(angle)};
        const char large = std::fabs(sweep) > std::numbers::pi ? '1' : '0';
        d += " A " + r + ' ' + r + " 0 " + large + ' ' + sweepFlag + ' ' + Point(t.toView(to));
    };
    if (std::fabs(p.sweep) >= 2 * std::numbers::pi - 1e-9) {
        // SVG draws nothing for an arc that ends where it starts: two halves.
        arcTo(p.sweep / 2, p.startAngle + p.sweep / 2);
        arcTo(p.sweep / 2, p.startAngle + p.sweep);
    } else {
        arcTo(p.sweep, p.startAngle + p.sweep);
    }
    return d;
}

std::string Escape(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string SpeedColour(double speed, double low, double high)
{
    // Blue, cyan, green, yellow, red, evenly spaced.
    static constexpr std::array<std::array<double, 3>, 5> stops{
        {{40, 90, 200}, {30, 170, 200}, {50, 170, 70}, {230, 190, 30}, {215, 50, 40}}};
    double f = high > low ? (speed - low) / (high - low) : 1.0;
    f = std::clamp(std::isfinite(f) ? f : 0.0, 0.0, 1.0) * (stops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(f), stops.size() - 2);
    const double u = f - static_cast<double>(i);
    char buffer[8];
    std::array<int, 3> rgb{};
    for (std::size_t k = 0; k < 3; ++k)
        rgb[k] = static_cast<int>(std::lround(stops[i][k] * (1 - u) + stops[i + 1][k] * u));
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return buffer;
}

SvgPicture TrajectorySvg(const PosConfig &config, const SvgOptions &options)
{
    const double width = std::max(options.width, 16);
    const double height = std::max(options.height, 16);
    const std::vector<TrajectoryPrimitive> primitives = ConfigTrajectory(config);
    const MotionEstimate motion = EstimateMotion(config);
    const bool legend = options.speed && width > 2 * kLegendRoom;
    const double drawWidth = legend ? width - kLegendRoom : width;

    SvgPicture picture;
    picture.transform = FitView(TrajectoryBounds(primitives), drawWidth, height, kMargin);
    const ViewTransform &t = picture.transform;

    const SpeedRange range = ColouredSpeedRange(motion.segments);
    const double low = range.low, high = range.high;
    const bool anyTimed = range.any;

    std::string &s = picture.text;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\""
         + Num(height) + "\" viewBox=\"0 0 " + Num(width) + ' ' + Num(height) + "\">\n";
    s += "<rect width=\"" + Num(width) + "\" height=\"" + Num(height) + "\" fill=\"#fafaf7\"/>\n";
    // The origin's cross.
    const Vec2 o = t.toView({0, 0});
    s += "<path class=\"origin\" stroke=\"" + std::string(kAxis) + "\" d=\"M " + Num(o.x - 8) + ' '
         + Num(o.y) + " H " + Num(o.x + 8) + " M " + Num(o.x) + ' ' + Num(o.y - 8) + " V "
         + Num(o.y + 8) + "\"/>\n";

    std::vector<std::string> colours;
    for (std::size_t i = 0; i < primitives.size(); ++i) {
        const TrajectoryPrimitive &p = primitives[i];
        const SegmentMotion &m = motion.segments[i];
        std::string colour = p.travel ? kTravel : kSegment;
        if (options.speed && !p.travel)
            colour = m.timed() ? SpeedColour(m.peakSpeed, low, high) : "#000000";
        colours.push_back(colour);
        s += "<path data-segment=\"" + std::to_string(p.segment) + '"';
        if (options.speed && m.timed())
            s += " data-peak-hz=\"" + Num(m.peakSpeed) + '"';
        s += " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.6\"";
        if (p.travel)
            s += " stroke-dasharray=\"6 4\"";
        s += " d=\"" + PathData(p, t) + "\"/>\n";
    }

    // Arrows the way the machine moves, and the numbers beside them, on
    // segments long enough to carry them.
    for (std::size_t i = 0; i < primitives.size(); ++i) {
        const TrajectoryPrimitive &p = primitives[i];
        if (DrawnLength(p) * t.scale < 28.0)
            continue;
        const Vec2 mid = t.toView(PointAt(p, 0.5));
        const Vec2 dir = DirectionAt(p, 0.5); // world: Y upwards
        const Vec2 v{dir.x, -dir.y};
        const Vec2 n{-v.y, v.x};
        const Vec2 tip{mid.x + 5 * v.x, mid.y + 5 * v.y};
        const Vec2 a{mid.x - 4 * v.x + 4 * n.x, mid.y - 4 * v.y + 4 * n.y};
        const Vec2 b{mid.x - 4 * v.x - 4 * n.x, mid.y - 4 * v.y - 4 * n.y};
        s += "<polygon class=\"arrow\" fill=\"" + colours[i] + "\" points=\"" + Num(tip.x) + ','
             + Num(tip.y) + ' ' + Num(a.x) + ',' + Num(a.y) + ' ' + Num(b.x) + ',' + Num(b.y)
             + "\"/>\n";
        s += "<text class=\"number\" font-family=\"sans-serif\" font-size=\"11\" fill=\""
             + std::string(kLabel) + "\" text-anchor=\"middle\" x=\"" + Num(mid.x - 12 * n.x)
             + "\" y=\"" + Num(mid.y - 12 * n.y + 4) + "\">" + std::to_string(p.segment)
             + "</text>\n";
    }
    if (!primitives.empty()) {
        const Vec2 start = t.toView(primitives.front().start);
        s += "<circle class=\"start\" cx=\"" + Num(start.x) + "\" cy=\"" + Num(start.y)
             + "\" r=\"4.5\" fill=\"" + kStart + "\"/>\n";
    }

    if (legend && anyTimed) {
        // A bar from the lowest peak speed (bottom) to the highest (top).
        const double x = drawWidth + 10, top = kMargin + 16, bottom = height - kMargin;
        s += "<g class=\"legend\" font-family=\"sans-serif\" font-size=\"10\" fill=\""
             + std::string(kLabel) + "\">\n";
        s += "<text x=\"" + Num(x - 4) + "\" y=\"" + Num(kMargin) + "\">"
             + Escape(Text(sid::SvgSpeedLegend, options.lang)) + "</text>\n";
        constexpr int kSteps = 24;
        const double step = (bottom - top) / kSteps;
        for (int k = 0; k < kSteps; ++k) {
            const double f = (k + 0.5) / kSteps;
            s += "<rect x=\"" + Num(x) + "\" y=\"" + Num(bottom - (k + 1) * step)
                 + "\" width=\"12\"" + " height=\"" + Num(step + 0.5) + "\" fill=\""
                 + SpeedColour(low + f * (high - low), low, high) + "\"/>\n";
        }
        s += "<text x=\"" + Num(x + 16) + "\" y=\"" + Num(top + 8) + "\">"
             + std::to_string(std::llround(high)) + "</text>\n";
        s += "<text x=\"" + Num(x + 16) + "\" y=\"" + Num(bottom) + "\">"
             + std::to_string(std::llround(low)) + "</text>\n";
        s += "</g>\n";
    }
    s += "</svg>\n";
    return picture;
}

} // namespace pos
