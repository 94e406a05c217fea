#include "geometry/DxfDrawing.h"

// Placeholder while the reader is written: a square on layer "0".

namespace pos::dxf {

std::map<std::string, std::size_t> Drawing::layerCounts() const
{
    std::map<std::string, std::size_t> counts;
    for (const Entity &e : entities)
        ++counts[layers.at(e.layer)];
    return counts;
}

Result<Drawing> ReadDrawingText(std::string_view)
{
    Drawing d;
    d.layers = {"0"};
    const double pts[5][2] = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
    for (int i = 0; i < 4; ++i)
        d.entities.push_back(Entity{.a = {pts[i][0], pts[i][1]}, .b = {pts[i + 1][0], pts[i + 1][1]}});
    return d;
}

Result<Drawing> ReadDrawingFile(const std::string &path)
{
    return ReadDrawingText(path);
}

} // namespace pos::dxf
