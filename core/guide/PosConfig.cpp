#include "guide/PosConfig.h"

namespace pos {

bool PosSegment::isAllZero() const
{
    return initialSpeed == 0 && maxSpeed == 0 && accDecTime == 0 && beginX == 0 && beginY == 0
           && endX == 0 && endY == 0 && centreX == 0 && centreY == 0;
}

std::uint64_t PosConfig::segmentWords() const
{
    std::uint64_t words = 0;
    for (const auto &[number, segment] : segments)
        words += segment.words();
    return words;
}

PosConfig NewPageDefaults()
{
    PosConfig config;
    config.startD = 2000;
    config.maxD = 9999;
    config.maxM = 9999;
    config.pulseMode = 0;
    config.subprogramName = "POS_EXE";
    return config;
}

} // namespace pos
