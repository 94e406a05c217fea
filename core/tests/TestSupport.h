#pragma once

// Shared fixtures of the core tests.

#include "guide/PosConfig.h"

#include <fstream>
#include <sstream>
#include <string>

namespace pos::test {

inline PosSegment Line(std::int32_t x, std::int32_t y, std::uint32_t v0 = 100,
                       std::uint32_t v1 = 1000, std::uint32_t t = 100)
{
    PosSegment s;
    s.type = kTypeLine;
    s.initialSpeed = v0;
    s.maxSpeed = v1;
    s.accDecTime = t;
    s.endX = x;
    s.endY = y;
    return s;
}

inline PosSegment Arc(std::int32_t type, std::int32_t x, std::int32_t y, std::int32_t cx,
                      std::int32_t cy, std::int32_t mode = kCentrePoint)
{
    PosSegment s = Line(x, y);
    s.type = type;
    s.centreMode = mode;
    s.centreX = cx;
    s.centreY = cy;
    return s;
}

// The two-segment example: a line to (20000, 0), then a clockwise arc about
// (20000, 10000) to (30000, 10000); absolute, PLS+SIGN, ports Y0..Y3.
inline PosConfig WorkedExample()
{
    PosConfig c = NewPageDefaults();
    c.startD = 2000;
    c.actionMode = 1;
    c.pulseMode = 0;
    c.subprogramName = "POS_EXE";
    c.segments[1] = Line(20000, 0, 100, 100000, 100);
    PosSegment arc = Line(30000, 10000, 100, 70000, 200);
    arc.type = kTypeCw;
    arc.centreX = 20000;
    arc.centreY = 10000;
    c.segments[2] = arc;
    return c;
}

inline std::string ReadTestFile(const std::string &relative)
{
    std::ifstream in(std::string(POS_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace pos::test
