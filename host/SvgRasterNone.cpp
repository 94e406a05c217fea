#include "SvgRaster.h"

#include "res/StringTable.h"

namespace pos {

Result<std::string> RasterizeSvg(std::string_view, int, int)
{
    return Diagnostic{.id = sid::RenderNoPng};
}

} // namespace pos
