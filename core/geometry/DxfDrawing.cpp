#include "geometry/DxfDrawing.h"

#include "geometry/DxfParser.h"

#include <limits>
#include <unordered_map>
#include <utility>

namespace pos::dxf {

namespace {

// Keeps what the parser hands over, in double precision.
class Builder final : public EntityHandler
{
public:
    explicit Builder(Drawing &drawing)
        : m_drawing(drawing)
    {}

    void setParser(DxfParser &parser) { m_parser = &parser; }

    void OnEntity(const ParsedEntity &e, Section section) override
    {
        if (section == Section::Entities && e.paperSpace) {
            ++m_drawing.skipped["paper space"];
            return;
        }
        Entity out;
        out.type = e.type;
        out.layer = layerOf(e.layer);
        out.line = e.line;
        out.extrusion = e.extrusion;
        out.elevation = e.elevation;
        out.a = {e.a[0].value, e.a[1].value};
        out.b = {e.b[0].value, e.b[1].value};
        out.radius = e.radius;
        out.start = e.start;
        out.end = e.end;
        out.closed = (e.flags & 1) != 0;
        switch (e.type) {
        case EntityType::LwPolyline:
        case EntityType::Polyline:
            if (!takeVertices(e, out))
                return;
            break;
        case EntityType::Ellipse:
            out.elevation = e.bz;
            break;
        case EntityType::Spline:
            out.first = static_cast<std::uint32_t>(m_drawing.splines.size());
            out.closed = e.spline.closed;
            m_drawing.splines.push_back(e.spline);
            break;
        case EntityType::Insert: {
            Insert insert = e.insert;
            insert.block = blockOf(e.block);
            out.first = static_cast<std::uint32_t>(m_drawing.inserts.size());
            m_drawing.inserts.push_back(insert);
            break;
        }
        default:
            break;
        }
        target().push_back(out);
    }

    void OnBlockBegin(std::string_view name, double x, double y) override
    {
        m_block = blockOf(name);
        Block &block = m_drawing.blocks[m_block];
        block.base = {x, y};
        block.entities.clear(); // a name defined twice: the last definition holds
        m_inBlock = true;
    }

    void OnBlockEnd() override { m_inBlock = false; }

    void OnOtherEntity(std::string_view name, Section section, bool paperSpace) override
    {
        if (section == Section::Entities)
            ++m_drawing.skipped[paperSpace ? std::string("paper space") : std::string(name)];
    }

    void OnUnits(long long units) override
    {
        m_drawing.insUnits = units >= 0 && units <= 100 ? static_cast<int>(units) : 0;
    }

private:
    PodVector<Entity> &target()
    {
        return m_inBlock ? m_drawing.blocks[m_block].entities : m_drawing.entities;
    }

    bool takeVertices(const ParsedEntity &e, Entity &out)
    {
        if (e.vertices.size() < 2)
            return false;
        if (m_drawing.vertices.size() + e.vertices.size() > kMaxDrawingVertices) {
            m_parser->Fail(sid::DxfTooLarge, e.line, std::to_string(kMaxDrawingVertices));
            return false;
        }
        out.first = static_cast<std::uint32_t>(m_drawing.vertices.size());
        out.count = static_cast<std::uint32_t>(e.vertices.size());
        for (const ParsedVertex &v : e.vertices)
            m_drawing.vertices.push_back({v.x.value, v.y.value, v.bulge});
        return true;
    }

    std::uint32_t layerOf(std::string_view name)
    {
        if (m_lastLayer == name && !m_drawing.layers.empty())
            return m_lastLayerIndex;
        auto it = m_layers.find(std::string(name));
        if (it == m_layers.end()) {
            it = m_layers
                     .emplace(std::string(name),
                              static_cast<std::uint32_t>(m_drawing.layers.size()))
                     .first;
            m_drawing.layers.emplace_back(name);
        }
        m_lastLayer = name;
        m_lastLayerIndex = it->second;
        return it->second;
    }

    std::uint32_t blockOf(std::string_view name)
    {
        auto it = m_blocks.find(std::string(name));
        if (it == m_blocks.end()) {
            it = m_blocks
                     .emplace(std::string(name),
                              static_cast<std::uint32_t>(m_drawing.blocks.size()))
                     .first;
            m_drawing.blocks.push_back(Block{.name = std::string(name)});
        }
        return it->second;
    }

    Drawing &m_drawing;
    DxfParser *m_parser = nullptr;
    std::unordered_map<std::string, std::uint32_t> m_layers;
    std::unordered_map<std::string, std::uint32_t> m_blocks;
    std::string_view m_lastLayer;
    std::uint32_t m_lastLayerIndex = 0;
    std::uint32_t m_block = 0;
    bool m_inBlock = false;
};

} // namespace

std::map<std::string, std::size_t> Drawing::layerCounts() const
{
    std::map<std::string, std::size_t> counts;
    for (const Entity &e : entities)
        ++counts[layers[e.layer]];
    return counts;
}

Result<Drawing> ReadDrawingText(std::string_view text)
{
    const Result<std::string_view> body = DxfBody(text);
    if (!body)
        return body.error();
    Drawing drawing;
    Builder builder(drawing);
    DxfParser parser(*body, ParseOptions{.full = true}, builder);
    builder.setParser(parser);
    if (Status status = parser.Run(); !status)
        return std::move(status.error());
    return drawing;
}

Result<Drawing> ReadDrawingFile(const std::string &path)
{
    const Result<FileBytes> bytes = ReadDxfBytes(path);
    if (!bytes)
        return bytes.error();
    Result<Drawing> result = ReadDrawingText(bytes->view());
    if (!result)
        result.error().file = path;
    return result;
}

} // namespace pos::dxf
