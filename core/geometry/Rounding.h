#pragma once

// The one rounding rule for coordinates: floor(v + 0.5), so that halves
// round towards plus infinity (2.5 gives 3, -2.5 gives -2).

#include <cmath>
#include <cstdint>

namespace pos {

// floor(v + 0.5) when it fits a signed 32-bit integer; false otherwise,
// also for NaN.
inline bool RoundToInt32(double v, std::int32_t &out)
{
    const double r = std::floor(v + 0.5);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return false;
    out = static_cast<std::int32_t>(r);
    return true;
}

} // namespace pos
