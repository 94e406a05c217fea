#include "codegen/GeneratePou.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pos;
using pos::test::Arc;
using pos::test::Line;
using pos::test::WorkedExample;

namespace {

std::vector<std::string> Lines(const PosConfig &c, Lang lang = Lang::En)
{
    std::vector<std::string> out;
    for (const PouLine &l : GeneratePouLines(c, lang))
        out.push_back(l.text);
    return out;
}

} // namespace

TEST(GeneratePou, WorkedExampleByteForByteInBothLanguages)
{
    EXPECT_EQ(JoinPou(GeneratePouLines(WorkedExample(), Lang::En)),
              test::ReadTestFile("pou/worked_example_en.il"));
    EXPECT_EQ(JoinPou(GeneratePouLines(WorkedExample(), Lang::Zh)),
              test::ReadTestFile("pou/worked_example_zh.il"));
    // The header is one line of the list, with its own line feeds.
    const PouList lines = GeneratePouLines(WorkedExample(), Lang::En);
    ASSERT_EQ(lines.size(), 43u);
    EXPECT_EQ(std::count(lines[0].text.begin(), lines[0].text.end(), '\n'), 4);
}

TEST(GeneratePou, StoresUnderTheNameAndReplacesAnEarlierList)
{
    PosHostResult result;
    PosConfig c = WorkedExample();
    EXPECT_EQ(GeneratePou(&result, &c), 1);
    const std::shared_ptr<PouList> first = result.pouMap.at("POS_EXE");
    ASSERT_EQ(first->size(), 43u);

    c.segments.erase(2);
    EXPECT_EQ(GeneratePou(&result, &c), 1);
    EXPECT_EQ(result.pouMap.size(), 1u);
    EXPECT_EQ(result.pouMap.at("POS_EXE")->size(), 1u + 19u);
    EXPECT_EQ(first->size(), 43u) << "a list the host still holds stays intact";

    c.subprogramName = "pos_exe"; // keys compare case-sensitively
    GeneratePou(&result, &c);
    EXPECT_EQ(result.pouMap.size(), 2u);
}

TEST(GeneratePou, NullArgumentsGenerateNothingAndNoSegmentsTheHeaderOnly)
{
    PosHostResult result;
    PosConfig c = WorkedExample();
    EXPECT_EQ(GeneratePou(nullptr, &c), 0);
    EXPECT_EQ(GeneratePou(&result, nullptr), 0);
    EXPECT_TRUE(result.pouMap.empty());
    c.segments.clear();
    GeneratePou(&result, &c);
    EXPECT_EQ(result.pouMap.at("POS_EXE")->size(), 1u);
}

TEST(GeneratePou, ALineBlockHasTwelveElementsWithoutCentreOrModeAnArcSixteen)
{
    PosConfig c = WorkedExample();
    c.segments.erase(2);
    c.segments[1].centreMode = 1; // a straight line writes neither
    c.segments[1].centreX = 77;
    auto lines = Lines(c);
    ASSERT_EQ(lines.size(), 1u + 19);
    EXPECT_EQ(lines[3], "MOV 0    D2002");
    EXPECT_EQ(lines[14], "MOV 0    D2013");
    c.segments[1] = Arc(kTypeCcw, 10, 0, 5, 0, kPassPoint);
    lines = Lines(c);
    ASSERT_EQ(lines.size(), 1u + 23);
    EXPECT_EQ(lines[3], "MOV 1    D2002");
    EXPECT_EQ(lines[18], "MOV 0    D2017");
    EXPECT_EQ(lines[20], "CCW               D2002 Y0 Y1 Y2 Y3                //Counter-clockwise "
                         "Interpolation instruction");
}

TEST(GeneratePou, ConfigurationCodeAndSmFlagFollowTheOutputPage)
{
    for (const auto &[action, pulse, code] : {std::tuple{0, 0, "0"}, std::tuple{0, 1, "1"},
                                              std::tuple{1, 0, "10"}, std::tuple{1, 1, "11"}}) {
        PosConfig c = WorkedExample();
        c.actionMode = static_cast<std::uint16_t>(action);
        c.pulseMode = static_cast<std::uint16_t>(pulse);
        EXPECT_EQ(Lines(c)[4],
                  std::string("MOV ") + code + "    D2003                //Configuration code");
    }
    // clang-format off
    for (const auto &[port, flag] : {std::pair{0u, "AND SM82"}, {4u, "AND SM274"}, {5u, "AND SM275"}, {6u, "AND SM276"}, {7u, "AND SM277"}, {1u, "AND SM0"}, {3u, "AND SM0"}}) {
        // clang-format on
        PosConfig c = WorkedExample();
        c.xPulsePort = port;
        EXPECT_EQ(Lines(c)[17], flag) << port;
    }
}

TEST(GeneratePou, NegativeAndLargeValuesSplitIntoUnsignedHalves)
{
    PosConfig c = WorkedExample();
    c.segments.erase(2);
    c.segments[1] = Line(-5000, -1, 0xFFFFFFFFu, 65536, 65535);
    const auto lines = Lines(c);
    const char *halves[]
        = {"65535", "65535", "1", "0", "0", "65535", "65535", "60536", "65535", "65535"};
    for (std::size_t i = 0; i < std::size(halves); ++i)
        EXPECT_TRUE(lines[5 + i].starts_with(std::string("MOV ") + halves[i] + "    D"
                                             + std::to_string(2004 + i)))
            << lines[5 + i];
}

TEST(GeneratePou, AllZeroSegmentIsSkippedAndStepsStayDense)
{
    PosConfig c = WorkedExample();
    c.segments[3] = c.segments[2];
    c.segments[2] = PosSegment{};
    c.segments[2].type = kTypeCw; // whatever its type
    const auto lines = Lines(c);
    ASSERT_EQ(lines.size(), 1u + 19 + 23);
    EXPECT_EQ(lines[20], "//Segment 3: Clockwise arc");
    EXPECT_EQ(lines[22], "MOV 0    D2014") << "block follows segment 1's directly";
    EXPECT_EQ(lines[38], "LD= D2000 1");
}

TEST(GeneratePou, AnyNonZeroFieldKeepsASegment)
{
    const auto keeps = [](auto field, auto value) {
        PosConfig c = WorkedExample();
        c.segments.erase(2);
        c.segments[1] = PosSegment{};
        c.segments[1].*field = value;
        return Lines(c).size() == 1u + 19;
    };
    for (auto field : {&PosSegment::beginX, &PosSegment::beginY, &PosSegment::endX,
                       &PosSegment::endY, &PosSegment::centreX, &PosSegment::centreY})
        EXPECT_TRUE(keeps(field, -1));
    for (auto field : {&PosSegment::initialSpeed, &PosSegment::maxSpeed, &PosSegment::accDecTime})
        EXPECT_TRUE(keeps(field, 1u));
}

TEST(GeneratePou, HighStartElementDoesNotWrapAndKeysBeyondTheCountAreNotEmitted)
{
    PosConfig c = WorkedExample();
    c.segments[5] = c.segments[1]; // keys 1, 2 and 5: the walk runs 1..3
    c.startD = 0xFFFFFFFFu;
    const auto lines = Lines(c);
    EXPECT_EQ(lines[3], "MOV 0    D4294967297");
    EXPECT_EQ(lines[15], "LD= D4294967295 0");
    EXPECT_EQ(lines.size(), 43u);
}
