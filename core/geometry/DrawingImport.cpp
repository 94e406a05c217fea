#include "geometry/DrawingImport.h"

// Placeholder while the stages are written: every LINE of the drawing in
// file order, unscaled.

namespace pos {

std::optional<double> UnitMillimetres(int unitCode)
{
    return unitCode == 4 ? std::optional<double>(1.0) : std::nullopt;
}

std::optional<int> UnitFromName(const std::string &name)
{
    return name == "mm" ? std::optional<int>(4) : std::nullopt;
}

std::string UnitName(int)
{
    return "mm";
}

Result<ArrangedDrawing> ArrangeDrawing(const dxf::Drawing &drawing, const ArrangeOptions &)
{
    ArrangedDrawing out;
    out.config = NewPageDefaults();
    out.config.actionMode = 1;
    std::uint32_t n = 0;
    for (const dxf::Entity &e : drawing.entities) {
        if (e.type != dxf::EntityType::Line || n == kMaxSegments)
            continue;
        PosSegment s;
        s.number = ++n;
        s.endX = static_cast<std::int32_t>(e.b[0]);
        s.endY = static_cast<std::int32_t>(e.b[1]);
        s.travel = n == 1;
        out.config.segments[n] = s;
        out.path.push_back(geo::Curve::Line({e.a[0], e.a[1]}, {e.b[0], e.b[1]}, n == 1));
    }
    out.report.segments = n;
    return out;
}

std::vector<std::string> DescribeReport(const ImportReport &report, Lang)
{
    return {std::to_string(report.segments) + " segments"};
}

} // namespace pos
