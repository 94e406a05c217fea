#include "codegen/PouReader.h"

#include "TestSupport.h"
#include "codegen/GeneratePou.h"

#include <gtest/gtest.h>

using namespace pos;
using pos::test::Arc;
using pos::test::Line;
using pos::test::WorkedExample;

namespace {

std::string Generate(const PosConfig &c, Lang lang = Lang::En)
{
    return JoinPou(GeneratePouLines(c, lang));
}

Result<PosConfig> Read(const std::string &text)
{
    return ParsePou(text, "POS_EXE", NewPageDefaults());
}

// A configuration whose fields the subprogram carries in full.
PosConfig Varied()
{
    PosConfig c = NewPageDefaults();
    c.startD = 0;
    c.actionMode = 0;
    c.pulseMode = 1;
    c.xPulsePort = 7;
    c.xDirPort = 0;
    c.yPulsePort = 6;
    c.yDirPort = 5;
    c.segments[1] = Line(-1, 2147483647, 0xFFFFFFFFu, 65536, 65535);
    c.segments[2] = Arc(kTypeCcw, -2147483647 - 1, -5000, 12345, -12345, kPassPoint);
    c.segments[3] = Arc(kTypeCw, 0, 1, 0, 0, kCentrePoint);
    return c;
}

std::string ReplaceLine(std::string text, const std::string &from, const std::string &to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

} // namespace

TEST(PouReader, RoundTripsInBothLanguages)
{
    for (const PosConfig &c : {WorkedExample(), Varied()})
        for (const Lang lang : {Lang::En, Lang::Zh}) {
            const auto read = Read(Generate(c, lang));
            ASSERT_TRUE(read);
            EXPECT_EQ(*read, c);
        }
    for (const char *file : {"pou/worked_example_en.il", "pou/worked_example_zh.il"}) {
        const auto read = Read(test::ReadTestFile(file));
        ASSERT_TRUE(read) << file;
        EXPECT_EQ(*read, WorkedExample()) << file;
    }
}

TEST(PouReader, AcceptsCrLfAndTrimmedHeaderBlanks)
{
    std::string text = Generate(WorkedExample());
    std::string crlf;
    for (char ch : text) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    EXPECT_TRUE(Read(crlf));
    EXPECT_TRUE(Read(ReplaceLine(text, "Wizard. \n", "Wizard.\n")));
}

TEST(PouReader, SkippedSegmentsAreGoneAndTheRestRenumbered)
{
    PosConfig c = WorkedExample();
    c.segments[3] = c.segments[2];
    c.segments[2] = PosSegment{};
    const auto read = Read(Generate(c));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->segments.size(), 2u);
    EXPECT_EQ(read->segments.at(2), c.segments.at(3));
}

TEST(PouReader, HeaderOnlyKeepsTheBaseFields)
{
    PosConfig c = WorkedExample();
    c.segments.clear();
    PosConfig base = NewPageDefaults();
    base.startD = 1234;
    const auto read = ParsePou(Generate(c), "X", base);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->segments.empty());
    EXPECT_EQ(read->startD, 1234u);
    EXPECT_EQ(read->subprogramName, "X");
}

TEST(PouReader, RefusesAnyOtherTextWithTheLineAndWhy)
{
    struct Broken
    {
        std::string from, to;
        long long line;
        int id = sid::Expected;
    };
    // clang-format off
    const Broken cases[] = {
        {"//The POU", "//A POU", 1, sid::PouNotHeader},
        {"//Segment 2: Clockwise arc", "//Segment 2: Spiral", 24},
        {"MOV 100    D2005", "MOV 100    D2006", 10},                             // wrong D element
        {"MOV 100    D2005", "MOV 65536    D2005", 10},                           // above 16 bits
        {"MOV 100    D2005", "MOV -1    D2005", 10},
        {"MOV 10    D2003                //Configuration code", "MOV 10    D2003", 8}, // comment
        {"LD= D2000 1", "LD= D2000 2", 42},                                       // wrong step
        {"CW                 D2014", "CW                 D2002", 43},             // wrong operand
        {"D2014 Y0 Y1 Y2 Y3", "D2014 Y0 Y1 Y2 Y4", 43, sid::PouMixed},
        {"MOV 10    D2015", "MOV 11    D2015", 27, sid::PouMixed},
        {"AND SM82\nED\nINC D2000\n//Segment 2", "AND SM83\nED\nINC D2000\n//Segment 2", 21},
        {"ED\nINC D2000\n//Segment 2", "ED\n//Segment 2", 23},
        {"MOV 0    D2002", "MOV 1    D2002", 7},                                  // a line with a mode
        {"INC D2000\n//Segment 2", "INC D2000\nNOP\n//Segment 2", 24},
        // Values the configuration cannot hold, as its reader refuses them.
        {"MOV 10    D2003", "MOV 12    D2003", 8},                                // code 12
        {"MOV 0    D2014", "MOV 2    D2014", 26},                                 // centre mode 2
        {"D2002 Y0 Y1 Y2 Y3", "D2002 Y3 Y1 Y2 Y3", 20},                          // X pulse Y3
        {"D2002 Y0 Y1 Y2 Y3", "D2002 Y0 Y1 Y2 Y8", 20, sid::ExpectedRange},
    };
    // clang-format on
    for (const Broken &b : cases) {
        const auto read
            = Read(ReplaceLine(test::ReadTestFile("pou/worked_example_en.il"), b.from, b.to));
        ASSERT_FALSE(read) << b.to;
        EXPECT_EQ(read.error().line, b.line) << b.to << ": " << Describe(read.error(), Lang::En);
        EXPECT_EQ(read.error().id, b.id) << b.to;
    }
}

TEST(PouReader, RefusesTextThatEndsMidSegment)
{
    std::string text = test::ReadTestFile("pou/worked_example_en.il");
    text.resize(text.rfind("AND SM82"));
    const auto read = Read(text);
    ASSERT_FALSE(read);
    EXPECT_EQ(Describe(read.error(), Lang::En),
              "line 44: the text ends before the segment is complete");
}

TEST(PouReader, TakesWhatTheConfigurationHoldsAndNoMore)
{
    PosConfig c = WorkedExample();
    c.segments.clear();
    for (std::uint32_t n = 1; n <= kMaxSegments + 1; ++n)
        c.segments[n] = PosSegment{0, kTypeLine, 0, 1, 2, 3, 0, 0, 4, 5, 0, 0};
    const auto tooMany = Read(Generate(c));
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(Describe(tooMany.error(), Lang::En), "line 4869: more than 256 segments");
    c.segments.erase(kMaxSegments + 1);
    EXPECT_TRUE(Read(Generate(c)));

    const auto code = Read(ReplaceLine(test::ReadTestFile("pou/worked_example_zh.il"),
                                       "MOV 10    D2003", "MOV 2    D2003"));
    ASSERT_FALSE(code);
    EXPECT_EQ(Describe(code.error(), Lang::En),
              "line 8: expected a configuration code 0, 1, 10 or 11");
}
