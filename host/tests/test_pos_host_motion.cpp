// The motion commands: estimate's table and JSON, render's pictures.
#include "PosHostTest.h"

#include "geometry/Trajectory.h"
#include "geometry/TrajectorySvg.h"
#include "guide/ConfigJson.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <numbers>
#include <regex>

using namespace pos;
using namespace pos::test;

namespace {

const std::string kExample = std::string(POS_SOURCE_DIR) + "/examples/worked_example.json";

// The worked example by hand: a line of 20000 pulses that reaches 100000 Hz,
// three quarters of a circle of radius 10000 that reaches 70000 Hz.
const double kArc = 15000 * std::numbers::pi;
const double kTime = 0.2999 + 0.4 + (kArc - 14020) / 70000;

} // namespace

TEST_F(PosHostTest, EstimateGivesEachSegmentAndTheCycleTime)
{
    const auto [status, out, err] = RunCommand({"estimate", kExample, "--json"});
    ASSERT_EQ(status, 0) << err;
    const auto json = nlohmann::json::parse(out);
    ASSERT_EQ(json["segments"].size(), 2u);
    EXPECT_NEAR(json["segments"][1]["length"].get<double>(), kArc, 1e-6);
    EXPECT_NEAR(json["segments"][1]["peakSpeed"].get<double>(), 70000, 1e-9);
    EXPECT_NEAR(json["total"]["time"].get<double>(), kTime, 1e-9);
    EXPECT_TRUE(json["total"]["complete"].get<bool>());

    const auto [tableStatus, table, tableErr] = RunCommand({"estimate", kExample});
    EXPECT_EQ(tableStatus, 0) << tableErr;
    EXPECT_NE(table.find("1\t20000.00\t0.2999\t100000\n"), std::string::npos) << table;
    EXPECT_NE(table.find("cycle time 1.1728 s"), std::string::npos) << table;
}

TEST_F(PosHostTest, EstimateSaysWhichSegmentsHaveNoTime)
{
    Write("slow.json", R"({"actionMode": 1, "segments": [
        {"type": 1, "initialSpeed": 500, "maxSpeed": 400, "endX": 100},
        {"type": 1, "endX": 200}]})");
    for (const char *lang : {"en", "zh"}) {
        const auto [status, out, err] = RunCommand({"estimate", "slow.json", "--lang", lang});
        EXPECT_EQ(status, 0) << err;
        EXPECT_NE(out.find(lang == std::string("en")
                               ? "1\t100.00\t-\t-\tthe maximum speed is below the initial speed"
                               : "2\t100.00\t-\t-\t最高速度为0"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find(lang == std::string("en") ? "at least 0.0000 s: the time of 2 segment"
                                                     : "周期时间至少0.0000秒：2段"),
                  std::string::npos)
            << out;
    }
}

TEST_F(PosHostTest, RenderDrawsOnePathPerSegmentFromEndToEnd)
{
    const auto [status, out, err]
        = RunCommand({"render", kExample, "-o", "example.svg", "--speed", "--size", "640x480"});
    ASSERT_EQ(status, 0) << err;
    const std::string svg = Read("example.svg");
    const std::optional<PosConfig> config = [] {
        auto read = ReadConfigJson(Read(kExample));
        return read ? std::optional(*read) : std::nullopt;
    }();
    ASSERT_TRUE(config);
    SvgOptions options{640, 480, true, Lang::En};
    const ViewTransform t = TrajectorySvg(*config, options).transform;
    // Each path: its number, where it starts and where it ends, in the
    // picture's coordinates.
    const std::regex path(
        R"re(<path data-segment="(\d+)"[^>]* d="M ([-\d.]+) ([-\d.]+) [LA][^"]* ([-\d.]+) ([-\d.]+)"/>)re");
    const Vec2 ends[] = {{0, 0}, {20000, 0}, {30000, 10000}};
    int n = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), path); it != std::sregex_iterator();
         ++it, ++n) {
        const std::smatch &m = *it;
        ASSERT_LT(n, 2);
        EXPECT_EQ(std::stoi(m[1]), n + 1);
        const Vec2 from = t.toView(ends[n]), to = t.toView(ends[n + 1]);
        EXPECT_NEAR(std::stod(m[2]), from.x, 0.01);
        EXPECT_NEAR(std::stod(m[3]), from.y, 0.01);
        EXPECT_NEAR(std::stod(m[4]), to.x, 0.01);
        EXPECT_NEAR(std::stod(m[5]), to.y, 0.01);
    }
    EXPECT_EQ(n, 2);
    // Three quarters clockwise: the large arc, clockwise on the screen too.
    EXPECT_TRUE(std::regex_search(svg, std::regex(R"( A ([\d.]+) \1 0 1 1 )"))) << svg;
    EXPECT_NE(svg.find("class=\"legend\""), std::string::npos);
    EXPECT_NE(svg.find("Speed reached (Hz)"), std::string::npos);
}

TEST_F(PosHostTest, RenderWritesPngOrSvgWholeAndRefusesOtherNames)
{
    const auto [pngStatus, pngOut, pngErr] = RunCommand({"render", kExample, "-o", "example.png"});
    if (pngErr.find("this build writes no PNG pictures") != std::string::npos) {
        EXPECT_EQ(pngStatus, 1); // a build without Qt
        EXPECT_FALSE(std::filesystem::exists("example.png"));
    } else {
        ASSERT_EQ(pngStatus, 0) << pngErr;
        EXPECT_EQ(Read("example.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    }
    const auto [status, out, err] = RunCommand({"render", kExample, "-o", "example.txt"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "example.txt: a picture is written to a .svg or a .png file\n");
    EXPECT_FALSE(std::filesystem::exists("example.txt"));
    const auto [usage, usageOut, usageErr] = RunCommand({"render", kExample});
    EXPECT_EQ(usage, 2);
    const auto [size, sizeOut, sizeErr]
        = RunCommand({"render", kExample, "-o", "a.svg", "--size", "9x9"});
    EXPECT_EQ(size, 2) << "a picture of 16 pixels or more";
}
