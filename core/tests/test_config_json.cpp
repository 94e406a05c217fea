// Configuration files: every field read into its place, the refusals with
// their JSON paths, the defaults, and write-then-read.
#include "guide/ConfigJson.h"
#include "guide/ProjectJson.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace pos;

namespace {

PosConfig ReadOk(const std::string &text)
{
    const Result<PosConfig> config = ReadConfigJson(text);
    EXPECT_TRUE(config) << text << "\n" << (config ? "" : Describe(config.error(), Lang::En));
    return config ? *config : PosConfig{};
}

std::string Refusal(const std::string &text, Lang lang = Lang::En)
{
    const Result<PosConfig> config = ReadConfigJson(text);
    EXPECT_FALSE(config) << text;
    return config ? std::string() : Describe(config.error(), lang);
}

// A configuration whose every field differs from NewPageDefaults() and from 0.
PosConfig Unusual()
{
    PosConfig c;
    c.startD = 4294967295u;
    c.minD = 7;
    c.maxD = 123456;
    c.startM = 3;
    c.minM = 1;
    c.maxM = 77;
    c.subprogramName = "Name \"quoted\" \\ 子程序\n";
    c.actionMode = 1;
    c.pulseMode = 1;
    c.xPulsePort = 7;
    c.xDirPort = 6;
    c.yPulsePort = 5;
    c.yDirPort = 4;
    c.segments[1] = PosSegment{4294967295u,     kTypeCcw,   kPassPoint, 1,     4294967295u, 65536,
                               -2147483647 - 1, 2147483647, -1,         -5000, 12,          -13};
    c.segments[2] = PosSegment{}; // all zero: kept although the generator skips it
    c.segments[3] = test::Arc(kTypeCw, 30000, 10000, 20000, 10000);
    c.segments[4].travel = true; // a move between contours of an imported drawing
    return c;
}

} // namespace

TEST(ConfigJson, AbsentFieldsTakeTheNewPageDefaultsAndSegmentsZero)
{
    EXPECT_EQ(ReadOk("{}"), NewPageDefaults());
    EXPECT_EQ(ReadOk("\xEF\xBB\xBF{}"), NewPageDefaults()) << "a byte order mark is allowed";
    EXPECT_EQ(ReadOk(R"({"startD": -0})").startD, 0u);
    PosConfig expected = NewPageDefaults();
    expected.startD = 100;
    expected.segments[1] = PosSegment{};
    expected.segments[2] = PosSegment{9, kTypeCw, kCentrePoint, 0, 0, 0, 0, 0, 5, 0, 0, 0};
    // Element i is segment i + 1, whatever its number field says.
    EXPECT_EQ(
        ReadOk(R"({"segments": [{}, {"endX": 5, "number": 9, "type": "CW"}], "startD": 100})"),
        expected);
}

TEST(ConfigJson, EveryFieldReadsIntoItsPlaceAndWritesBackTheSame)
{
    const PosConfig read = ReadOk(R"({
        "startD": 11, "minD": 12, "maxD": 13, "startM": 14, "minM": 15, "maxM": 16,
        "subprogramName": "ABC", "actionMode": 1, "pulseMode": 1,
        "xPulsePort": 5, "xDirPort": 6, "yPulsePort": 7, "yDirPort": 0,
        "segments": [{"number": 21, "type": 3, "centreMode": 1, "initialSpeed": 22,
                      "maxSpeed": 23, "accDecTime": 24, "beginX": 25, "beginY": 26,
                      "endX": 27, "endY": 28, "centreX": 29, "centreY": 30}]})");
    PosConfig expected{11, 12, 13, 14, 15, 16, "ABC", 1, 1, 5, 6, 7, 0, {}};
    expected.segments[1] = PosSegment{21, 3, 1, 22, 23, 24, 25, 26, 27, 28, 29, 30};
    EXPECT_EQ(read, expected);

    PosConfig emptyName = NewPageDefaults();
    emptyName.subprogramName.clear();
    for (const PosConfig &c : {NewPageDefaults(), PosConfig{}, Unusual(), expected, emptyName}) {
        const std::string text = WriteConfigJson(c);
        EXPECT_EQ(ReadOk(text), c) << text;
        EXPECT_EQ(WriteConfigJson(ReadOk(text)), text);
    }
}

TEST(ConfigJson, RefusesWithThePathAndWhatWasExpected)
{
    const std::string u32 = "expected an integer from 0 to 4294967295";
    const std::string i32 = "expected an integer from -2147483648 to 2147483647";
    const std::string type = "expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\"";
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::pair<std::string, std::string> cases[] = {
        {R"({"startd": 1})", "$.startd: unknown key"},
        {R"({"segments": [{}, {}, {"endXX": 1}]})", "$.segments[2].endXX: unknown key"},
        {R"({"segments": [{"key": 0}]})", "$.segments[0].key: unknown key"},
        {R"({"max_D": 1})", "$.max_D: unknown key"},
        {R"({"": 1})", "$[\"\"]: unknown key"},
        {R"({"startD": 1, "startD": 2})", "$.startD: key given twice"},
        {R"({"segments": [{}, {"endX": 1, "endX": 3}]})", "$.segments[1].endX: key given twice"},
        {"[]", "$: expected an object"},
        {deep, "$: expected an object"},
        {R"({"segments": {}})", "$.segments: expected an array"},
        {R"({"segments": [{}, 5]})", "$.segments[1]: expected an object"},
        {R"({"subprogramName": null})", "$.subprogramName: expected a string"},
        {R"({"maxD": -1, "startD": true})", "$.maxD: " + u32}, // the first in document order
        {R"({"startD": 2000.0})", "$.startD: " + u32},
        {R"({"maxD": 4294967296})", "$.maxD: " + u32},
        {R"({"segments": [{}, {"endX": 1.5}]})", "$.segments[1].endX: " + i32},
        {R"({"segments": [{"beginY": -2147483649}]})", "$.segments[0].beginY: " + i32},
        {R"({"segments": [{"endX": )" + deep + "}]}", "$.segments[0].endX: " + i32},
        {R"({"actionMode": 2})", "$.actionMode: expected an integer from 0 to 1"},
        {R"({"xPulsePort": 3})", "$.xPulsePort: expected one of 0, 4, 5, 6 and 7"},
        {R"({"xDirPort": 8})", "$.xDirPort: expected an integer from 0 to 7"},
        {R"({"segments": [{"type": 0}]})", "$.segments[0].type: " + type},
        {R"({"segments": [{"travel": 1}]})", "$.segments[0].travel: expected true or false"},
        {R"({"segments": [{"centreMode": "center"}]})",
         "$.segments[0].centreMode: expected 0, 1, \"centre\" or \"pass\""},
    };
    for (const auto &[text, message] : cases)
        EXPECT_EQ(Refusal(text), message) << text.substr(0, 80);
    EXPECT_EQ(Refusal(R"({"xPulsePort": 3})", Lang::Zh), "$.xPulsePort：应为0、4、5、6、7之一");
}

TEST(ConfigJson, TextThatIsNotJsonGivesTheParsersPositionReadably)
{
    for (const std::string &text :
         {std::string(), std::string("{\n  \"startD\": 1,\n  \"maxD\": ]\n}"),
          std::string(R"({"startD": 1,})"), std::string("{// a comment\n}"),
          std::string(R"({"startD": true} x)"), std::string("{\"subprogramName\": \"ab\xff\"}"),
          std::string("{\0}", 3)}) {
        const std::string message = Refusal(text);
        EXPECT_TRUE(message.starts_with("not valid JSON: ")) << message;
        EXPECT_NE(message.find("line "), std::string::npos) << message;
        EXPECT_EQ(message.find("[json.exception"), std::string::npos) << message;
        EXPECT_EQ(message.find('\xff'), std::string::npos) << "bytes that are not UTF-8 not echoed";
    }
    EXPECT_NE(Refusal("{\n  \"startD\": 1,\n  \"maxD\": ]\n}").find("line 3, column"),
              std::string::npos);
    EXPECT_LT(Refusal("{\"subprogramName\": \"" + std::string(100000, 'a')).size(), 1000u);
}

TEST(ConfigJson, SyntaxErrorsInOurWordsAtTheirLineAndColumn)
{
    const std::string at = "not valid JSON: parse error at line ";
    const std::pair<std::string, std::string> cases[] = {
        // The parser alone would stop at a NUL and drop what follows.
        {std::string("{\"startD\":2000}\0 garbage", 24),
         at + "1, column 16: a NUL byte, which JSON allows only as \\u0000 inside a string"},
        {std::string("{\"subprogramName\": \"a\0b\"}", 25),
         at + "1, column 22: a NUL byte, which JSON allows only as \\u0000 inside a string"},
        {std::string("{\"a\": tru}\0", 12), at + "1, column 7: unexpected \"tru}\""},
        {"{\n  \"maxD\": ]\n}", at + "2, column 11: unexpected \"]\""},
        {"{\"startD\": -}", at + "1, column 13: a malformed number"},
        {"{\"startD\": 1", at + "1, column 13: the text ends before the JSON value is complete"},
    };
    for (const auto &[text, message] : cases)
        EXPECT_EQ(Refusal(text), message) << text;
    EXPECT_EQ(Refusal("{\"a\": \"\x01\"}", Lang::Zh),
              "不是有效的JSON：第1行第8列有语法错误：字符串含有控制字符、错误的转义或非UTF-8字节");
    EXPECT_EQ(Describe(ReadProjectJson(std::string("{}\0", 3)).error(), Lang::En),
              at + "1, column 3: a NUL byte, which JSON allows only as \\u0000 inside a string");
}

TEST(ConfigJson, WritesFieldsInRecordOrderOneSegmentPerLine)
{
    PosConfig example = test::WorkedExample();
    example.segments[1].number = 1;
    example.segments[2].number = 2;
    EXPECT_EQ(WriteConfigJson(example), test::ReadTestFile("../examples/worked_example.json"));
    EXPECT_NE(WriteConfigJson(NewPageDefaults()).find("\"segments\": []\n}\n"), std::string::npos);

    PosConfig c = NewPageDefaults();
    c.subprogramName = "A\xff"; // still valid JSON, read back with U+FFFD
    c.segments[1].type = 7;     // outside the domain: written as it stands, refused on reading
    const std::string text = WriteConfigJson(c);
    EXPECT_EQ(Refusal(text), "$.segments[0].type: expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\"");
    c.segments.clear();
    EXPECT_EQ(ReadOk(WriteConfigJson(c)).subprogramName, "A\xEF\xBF\xBD");
}

TEST(ConfigJson, RawRecordCarriesKeysFromZeroAndBeginPoints)
{
    PosConfig record; // as the DXF reader makes it
    record.segments[0] = PosSegment{0, kTypeLine, 0, 0, 0, 0, 1, 2, 3, 4, 0, 0};
    record.segments[1] = PosSegment{0, kTypeCcw, 0, 0, 0, 0, 3, 4, 5, 6, 7, 8};
    const std::string text = WriteRawRecordJson(record);
    EXPECT_NE(text.find("    {\"key\": 0, \"number\": 0, \"type\": \"LIN\", \"centreMode\": "
                        "\"centre\", \"initialSpeed\": 0, \"maxSpeed\": 0, \"accDecTime\": 0, "
                        "\"beginX\": 1, \"beginY\": 2, \"endX\": 3, \"endY\": 4, \"centreX\": 0, "
                        "\"centreY\": 0},\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("{\"key\": 1, \"number\": 0, \"type\": \"CCW\""), std::string::npos);
    EXPECT_EQ(Refusal(text), "$.segments[0].key: unknown key");
}
