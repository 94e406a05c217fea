#pragma once

// The trajectory of a configuration as a picture in SVG, drawn as the
// wizard's views draw it: to scale with equal axes, Y upwards, the origin's
// cross, a start marker, one path per segment (travel moves dashed), an
// arrow the way the machine moves and the segment's number beside it. With
// speed colouring, each segment takes the colour of the highest speed it
// reaches, and a legend gives the scale.

#include "geometry/Trajectory.h"
#include "guide/PosConfig.h"
#include "res/StringTable.h"

#include <string>

namespace pos {

struct SvgOptions
{
    int width = 800; // pixels
    int height = 600;
    bool speed = false; // colour by the speed reached, with a legend
    Lang lang = Lang::En;
};

struct SvgPicture
{
    std::string text;        // the whole SVG document
    ViewTransform transform; // world (pulses) to the picture's coordinates
};

// Each segment is one <path> with data-segment="n" (its number) and, with
// speed colouring, data-peak-hz. Arcs are SVG arcs; a full circle is two.
SvgPicture TrajectorySvg(const PosConfig &config, const SvgOptions &options);

// The colour of a speed between low and high (blue through green and yellow
// to red), as "#rrggbb".
std::string SpeedColour(double speed, double low, double high);

} // namespace pos
