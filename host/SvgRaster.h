#pragma once

// A picture in SVG made into a PNG file's bytes, without a display. Only the
// build with Qt can; elsewhere the result says so.

#include "res/Diagnostic.h"

#include <string>
#include <string_view>

namespace pos {

Result<std::string> RasterizeSvg(std::string_view svg, int width, int height);

} // namespace pos
