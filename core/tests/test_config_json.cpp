// Configuration files: reading, refusals with their JSON paths, defaults,
// write-then-read, and the whole-or-nothing file helper.

#include "guide/ConfigJson.h"
#include "guide/FileIo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace pos {
namespace {

namespace fs = std::filesystem;

// Reads and expects success.
PosConfig ReadOk(const std::string &text)
{
    std::string error = "stale";
    const std::optional<PosConfig> config = ReadConfigJson(text, &error, Lang::En);
    EXPECT_TRUE(config.has_value()) << text << "\n" << error;
    EXPECT_EQ(error, "");
    return config.value_or(PosConfig{});
}

// Reads and expects a refusal; returns the reason.
std::string ReadError(const std::string &text, Lang lang = Lang::En)
{
    std::string error;
    const std::optional<PosConfig> config = ReadConfigJson(text, &error, lang);
    EXPECT_FALSE(config.has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
    return error;
}

// A configuration whose every field differs from NewPageDefaults() and from 0.
PosConfig Unusual()
{
    PosConfig config;
    config.startD = 4294967295u;
    config.minD = 7;
    config.maxD = 123456;
    config.startM = 3;
    config.minM = 1;
    config.maxM = 77;
    config.subprogramName = "Name \"quoted\" \\ 子程序\n";
    config.actionMode = 1;
    config.pulseMode = 1;
    config.xPulsePort = 7;
    config.xDirPort = 6;
    config.yPulsePort = 5;
    config.yDirPort = 4;
    PosSegment a;
    a.number = 4294967295u;
    a.type = kTypeCcw;
    a.centreMode = kPassPoint;
    a.initialSpeed = 1;
    a.maxSpeed = 4294967295u;
    a.accDecTime = 65536;
    a.beginX = -2147483647 - 1;
    a.beginY = 2147483647;
    a.endX = -1;
    a.endY = -5000;
    a.centreX = 12;
    a.centreY = -13;
    PosSegment b; // all zero: kept although the generator skips it
    PosSegment c;
    c.type = kTypeCw;
    c.endX = 30000;
    c.endY = 10000;
    c.centreX = 20000;
    c.centreY = 10000;
    config.segments = {{1, a}, {2, b}, {3, c}};
    return config;
}

// ---------------------------------------------------------------- defaults

TEST(ConfigJsonDefaults, EmptyObjectIsANewConfiguration)
{
    const PosConfig config = ReadOk("{}");
    EXPECT_EQ(config, NewPageDefaults());
    EXPECT_EQ(config.startD, 2000u);
    EXPECT_EQ(config.maxD, 9999u);
    EXPECT_EQ(config.maxM, 9999u);
    EXPECT_EQ(config.pulseMode, 0);
    EXPECT_EQ(config.actionMode, 0);
    EXPECT_EQ(config.subprogramName, "POS_EXE");
    EXPECT_EQ(config.xPulsePort, 0u);
    EXPECT_EQ(config.xDirPort, 1u);
    EXPECT_EQ(config.yPulsePort, 2u);
    EXPECT_EQ(config.yDirPort, 3u);
    EXPECT_TRUE(config.segments.empty());
}

TEST(ConfigJsonDefaults, AbsentSegmentFieldsAreZeroAndTypeIsLine)
{
    const PosConfig config = ReadOk(R"({"segments": [{}, {"type": "CW", "endX": 5}]})");
    ASSERT_EQ(config.segments.size(), 2u);
    PosSegment empty;
    empty.type = kTypeLine;
    EXPECT_EQ(config.segments.at(1), empty);
    EXPECT_EQ(config.segments.at(1).type, 1);
    EXPECT_EQ(config.segments.at(1).centreMode, 0);
    EXPECT_EQ(config.segments.at(1).number, 0u);
    EXPECT_EQ(config.segments.at(2).type, kTypeCw);
    EXPECT_EQ(config.segments.at(2).endX, 5);
    EXPECT_EQ(config.segments.at(2).centreX, 0);
}

TEST(ConfigJsonDefaults, GivenFieldsReplaceOnlyThemselves)
{
    const PosConfig config = ReadOk(R"({"startD": 100, "yDirPort": 7})");
    PosConfig expected = NewPageDefaults();
    expected.startD = 100;
    expected.yDirPort = 7;
    EXPECT_EQ(config, expected);
}

TEST(ConfigJsonDefaults, ElementIIsSegmentNumberIPlusOneWhateverItsNumberField)
{
    const PosConfig config = ReadOk(
        R"({"segments": [{"number": 9, "endX": 1}, {"endX": 2}, {"number": 1, "endX": 3}]})");
    ASSERT_EQ(config.segments.size(), 3u);
    EXPECT_EQ(config.segments.at(1).endX, 1);
    EXPECT_EQ(config.segments.at(1).number, 9u);
    EXPECT_EQ(config.segments.at(2).endX, 2);
    EXPECT_EQ(config.segments.at(3).endX, 3);
    EXPECT_EQ(config.segments.at(3).number, 1u);
}

// ------------------------------------------------------------ every field

TEST(ConfigJsonFields, EveryFieldIsReadIntoItsOwnPlace)
{
    const PosConfig config = ReadOk(R"({
        "startD": 11, "minD": 12, "maxD": 13, "startM": 14, "minM": 15, "maxM": 16,
        "subprogramName": "ABC", "actionMode": 1, "pulseMode": 1,
        "xPulsePort": 5, "xDirPort": 6, "yPulsePort": 7, "yDirPort": 0,
        "segments": [{"number": 21, "type": 3, "centreMode": 1, "initialSpeed": 22,
                      "maxSpeed": 23, "accDecTime": 24, "beginX": 25, "beginY": 26,
                      "endX": 27, "endY": 28, "centreX": 29, "centreY": 30}]})");
    PosConfig expected;
    expected.startD = 11;
    expected.minD = 12;
    expected.maxD = 13;
    expected.startM = 14;
    expected.minM = 15;
    expected.maxM = 16;
    expected.subprogramName = "ABC";
    expected.actionMode = 1;
    expected.pulseMode = 1;
    expected.xPulsePort = 5;
    expected.xDirPort = 6;
    expected.yPulsePort = 7;
    expected.yDirPort = 0;
    expected.segments[1] = PosSegment{21, 3, 1, 22, 23, 24, 25, 26, 27, 28, 29, 30};
    EXPECT_EQ(config, expected);
}

TEST(ConfigJsonFields, KeysMayComeInAnyOrder)
{
    const PosConfig a = ReadOk(R"({"segments": [{"endY": 2, "endX": 1}], "startD": 5})");
    const PosConfig b = ReadOk(R"({"startD": 5, "segments": [{"endX": 1, "endY": 2}]})");
    EXPECT_EQ(a, b);
}

// ------------------------------------------------- names and numbers

struct NameCase
{
    const char *segment;
    std::int32_t type;
    std::int32_t centreMode;
};

class ConfigJsonNames : public ::testing::TestWithParam<NameCase>
{};

TEST_P(ConfigJsonNames, NameAndNumberMeanTheSame)
{
    const NameCase &c = GetParam();
    const PosConfig config = ReadOk(std::string(R"({"segments": [)") + c.segment + "]}");
    ASSERT_EQ(config.segments.size(), 1u);
    EXPECT_EQ(config.segments.at(1).type, c.type);
    EXPECT_EQ(config.segments.at(1).centreMode, c.centreMode);
}

INSTANTIATE_TEST_SUITE_P(
    TypeAndCentreMode, ConfigJsonNames,
    ::testing::Values(NameCase{R"({"type": "LIN"})", 1, 0}, NameCase{R"({"type": 1})", 1, 0},
                      NameCase{R"({"type": "CW"})", 2, 0}, NameCase{R"({"type": 2})", 2, 0},
                      NameCase{R"({"type": "CCW"})", 3, 0}, NameCase{R"({"type": 3})", 3, 0},
                      NameCase{R"({"type": 2, "centreMode": "centre"})", 2, 0},
                      NameCase{R"({"type": 2, "centreMode": 0})", 2, 0},
                      NameCase{R"({"type": 3, "centreMode": "pass"})", 3, 1},
                      NameCase{R"({"type": 3, "centreMode": 1})", 3, 1}));

// -------------------------------------------------- refusals with paths

struct RefusalCase
{
    const char *name;
    std::string text;
    std::string message; // the whole English reason
};

class ConfigJsonRefusal : public ::testing::TestWithParam<RefusalCase>
{};

TEST_P(ConfigJsonRefusal, GivesThePathAndWhatWasExpected)
{
    EXPECT_EQ(ReadError(GetParam().text), GetParam().message);
}

constexpr const char *kU32 = "an integer from 0 to 4294967295";
constexpr const char *kI32 = "an integer from -2147483648 to 2147483647";

std::string Expect(const std::string &path, const std::string &what)
{
    return path + ": expected " + what;
}

INSTANTIATE_TEST_SUITE_P(
    Structure, ConfigJsonRefusal,
    ::testing::Values(
        RefusalCase{"UnknownTopKey", R"({"startd": 1})", "$.startd: unknown key"},
        RefusalCase{"UnknownSegmentKey", R"({"segments": [{}, {}, {"endXX": 1}]})",
                    "$.segments[2].endXX: unknown key"},
        RefusalCase{"RawKeyIsNotAField", R"({"segments": [{"key": 0}]})",
                    "$.segments[0].key: unknown key"},
        RefusalCase{"OddKeyIsQuotedInThePath", R"({"a b\"": 1})", "$[\"a b\\\"\"]: unknown key"},
        RefusalCase{"EmptyKey", R"({"": 1})", "$[\"\"]: unknown key"},
        RefusalCase{"RootArray", "[]", "$: expected an object"},
        RefusalCase{"RootNumber", "2000", "$: expected an object"},
        RefusalCase{"RootNull", "null", "$: expected an object"},
        RefusalCase{"SegmentsObject", R"({"segments": {}})", "$.segments: expected an array"},
        RefusalCase{"SegmentsNull", R"({"segments": null})", "$.segments: expected an array"},
        RefusalCase{"SegmentNotObject", R"({"segments": [{}, 5]})",
                    "$.segments[1]: expected an object"},
        RefusalCase{"SegmentArray", R"({"segments": [[]]})", "$.segments[0]: expected an object"},
        RefusalCase{"NameNumber", R"({"subprogramName": 5})",
                    "$.subprogramName: expected a string"},
        RefusalCase{"NameNull", R"({"subprogramName": null})",
                    "$.subprogramName: expected a string"},
        RefusalCase{"FirstErrorInDocumentOrder", R"({"maxD": -1, "startD": true})",
                    "$.maxD: expected an integer from 0 to 4294967295"}),
    [](const auto &testCase) { return std::string(testCase.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Values, ConfigJsonRefusal,
    ::testing::Values(
        RefusalCase{"Float", R"({"startD": 2000.0})", Expect("$.startD", kU32)},
        RefusalCase{"Exponent", R"({"startD": 2e3})", Expect("$.startD", kU32)},
        RefusalCase{"Bool", R"({"startD": true})", Expect("$.startD", kU32)},
        RefusalCase{"String", R"({"startD": "2000"})", Expect("$.startD", kU32)},
        RefusalCase{"Null", R"({"startD": null})", Expect("$.startD", kU32)},
        RefusalCase{"Object", R"({"startD": {}})", Expect("$.startD", kU32)},
        RefusalCase{"SegmentFieldPath", R"({"segments": [{}, {}, {"endX": 0.5}]})",
                    Expect("$.segments[2].endX", kI32)},
        RefusalCase{"AboveUint64", R"({"maxD": 18446744073709551616})", Expect("$.maxD", kU32)},
        RefusalCase{"Uint64Max", R"({"maxD": 18446744073709551615})", Expect("$.maxD", kU32)},
        RefusalCase{"Int64Min", R"({"segments": [{"beginY": -9223372036854775808}]})",
                    Expect("$.segments[0].beginY", kI32)},
        RefusalCase{"NegativeSpeed", R"({"segments": [{"initialSpeed": -1}]})",
                    Expect("$.segments[0].initialSpeed", kU32)},
        RefusalCase{"ActionMode2", R"({"actionMode": 2})",
                    "$.actionMode: expected an integer from 0 to 1"},
        RefusalCase{"PulseModeMinus", R"({"pulseMode": -1})",
                    "$.pulseMode: expected an integer from 0 to 1"},
        RefusalCase{"XPulsePort3", R"({"xPulsePort": 3})",
                    "$.xPulsePort: expected one of 0, 4, 5, 6 and 7"},
        RefusalCase{"YDirPort8", R"({"yDirPort": 8})",
                    "$.yDirPort: expected an integer from 0 to 7"},
        RefusalCase{"Type0", R"({"segments": [{"type": 0}]})",
                    "$.segments[0].type: expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\""},
        RefusalCase{"TypeLowerCase", R"({"segments": [{"type": "cw"}]})",
                    "$.segments[0].type: expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\""},
        RefusalCase{"TypeName", R"({"segments": [{"type": "Clockwise arc"}]})",
                    "$.segments[0].type: expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\""},
        RefusalCase{"CentreMode2", R"({"segments": [{"centreMode": 2}]})",
                    "$.segments[0].centreMode: expected 0, 1, \"centre\" or \"pass\""},
        RefusalCase{"CentreModeCenter", R"({"segments": [{"centreMode": "center"}]})",
                    "$.segments[0].centreMode: expected 0, 1, \"centre\" or \"pass\""},
        RefusalCase{"CentreModeBool", R"({"segments": [{"centreMode": false}]})",
                    "$.segments[0].centreMode: expected 0, 1, \"centre\" or \"pass\""}),
    [](const auto &testCase) { return std::string(testCase.param.name); });

// -------------------------------------------------- each domain's edges

struct EdgeCase
{
    const char *field; // top-level field, or "seg.X" for a segment field
    const char *value; // JSON text of the value
    bool accepted;
    std::int64_t read; // the value read when accepted
};

class ConfigJsonEdges : public ::testing::TestWithParam<EdgeCase>
{};

std::int64_t FieldOf(const PosConfig &config, const std::string &field)
{
    if (field == "startD")
        return config.startD;
    if (field == "maxD")
        return config.maxD;
    if (field == "maxM")
        return config.maxM;
    if (field == "actionMode")
        return config.actionMode;
    if (field == "pulseMode")
        return config.pulseMode;
    if (field == "xPulsePort")
        return config.xPulsePort;
    if (field == "xDirPort")
        return config.xDirPort;
    if (field == "yPulsePort")
        return config.yPulsePort;
    const PosSegment &s = config.segments.at(1);
    if (field == "seg.endX")
        return s.endX;
    if (field == "seg.centreY")
        return s.centreY;
    if (field == "seg.maxSpeed")
        return s.maxSpeed;
    if (field == "seg.number")
        return s.number;
    if (field == "seg.type")
        return s.type;
    ADD_FAILURE() << "no such field in the test: " << field;
    return 0;
}

TEST_P(ConfigJsonEdges, AcceptedOrRefused)
{
    const EdgeCase &c = GetParam();
    const std::string field = c.field;
    const std::string text = field.rfind("seg.", 0) == 0 ? R"({"segments": [{")" + field.substr(4)
                                                               + "\": " + c.value + "}]}"
                                                         : "{\"" + field + "\": " + c.value + "}";
    std::string error;
    const std::optional<PosConfig> config = ReadConfigJson(text, &error, Lang::En);
    ASSERT_EQ(config.has_value(), c.accepted) << text << "\n" << error;
    if (config)
        EXPECT_EQ(FieldOf(*config, field), c.read) << text;
    else
        EXPECT_NE(error.find(": expected "), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Domains, ConfigJsonEdges,
    ::testing::Values(
        EdgeCase{"xPulsePort", "0", true, 0}, EdgeCase{"xPulsePort", "1", false, 0},
        EdgeCase{"xPulsePort", "3", false, 0}, EdgeCase{"xPulsePort", "4", true, 4},
        EdgeCase{"xPulsePort", "7", true, 7}, EdgeCase{"xPulsePort", "8", false, 0},
        EdgeCase{"xPulsePort", "-1", false, 0}, EdgeCase{"xPulsePort", "4294967300", false, 0},
        EdgeCase{"xDirPort", "0", true, 0}, EdgeCase{"xDirPort", "7", true, 7},
        EdgeCase{"xDirPort", "8", false, 0}, EdgeCase{"yPulsePort", "-1", false, 0},
        EdgeCase{"actionMode", "1", true, 1}, EdgeCase{"actionMode", "65537", false, 0},
        EdgeCase{"pulseMode", "0", true, 0}, EdgeCase{"pulseMode", "2", false, 0},
        EdgeCase{"maxD", "4294967295", true, 4294967295}, EdgeCase{"maxD", "4294967296", false, 0},
        EdgeCase{"maxD", "0", true, 0}, EdgeCase{"maxD", "-0", true, 0},
        EdgeCase{"maxD", "-1", false, 0}, EdgeCase{"maxM", "4294967295", true, 4294967295},
        EdgeCase{"startD", "2000.0", false, 0}, EdgeCase{"startD", "true", false, 0},
        EdgeCase{"startD", "false", false, 0},
        EdgeCase{"seg.endX", "-2147483648", true, -2147483648LL},
        EdgeCase{"seg.endX", "-2147483649", false, 0},
        EdgeCase{"seg.endX", "2147483647", true, 2147483647},
        EdgeCase{"seg.endX", "2147483648", false, 0}, EdgeCase{"seg.endX", "2000.0", false, 0},
        EdgeCase{"seg.endX", "true", false, 0}, EdgeCase{"seg.endX", "-0.0", false, 0},
        EdgeCase{"seg.centreY", "-1", true, -1},
        EdgeCase{"seg.maxSpeed", "4294967295", true, 4294967295},
        EdgeCase{"seg.maxSpeed", "4294967296", false, 0}, EdgeCase{"seg.maxSpeed", "-1", false, 0},
        EdgeCase{"seg.number", "4294967295", true, 4294967295}, EdgeCase{"seg.type", "3", true, 3},
        EdgeCase{"seg.type", "4", false, 0}, EdgeCase{"seg.type", "-1", false, 0},
        EdgeCase{"seg.type", "\"CCW\"", true, 3}));

// -------------------------------------------------------- invalid JSON

struct SyntaxCase
{
    const char *name;
    std::string text;
};

class ConfigJsonSyntax : public ::testing::TestWithParam<SyntaxCase>
{};

TEST_P(ConfigJsonSyntax, GivesTheParsersPosition)
{
    const std::string error = ReadError(GetParam().text);
    EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error;
    EXPECT_NE(error.find("line "), std::string::npos) << error;
    EXPECT_EQ(error.find("[json.exception"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Texts, ConfigJsonSyntax,
                         ::testing::Values(SyntaxCase{"Empty", ""}, SyntaxCase{"Blank", "  \n "},
                                           SyntaxCase{"Unclosed", R"({"startD": 1)"},
                                           SyntaxCase{"TrailingComma", R"({"startD": 1,})"},
                                           SyntaxCase{"TrailingText", R"({"startD": 1} x)"},
                                           SyntaxCase{"Comment", "{// a comment\n}"},
                                           SyntaxCase{"SingleQuotes", "{'startD': 1}"},
                                           SyntaxCase{"BadUtf8", "{\"subprogramName\": \"\xff\"}"},
                                           SyntaxCase{"ControlCharInString",
                                                      "{\"subprogramName\": \"a\x01\"}"},
                                           SyntaxCase{"NaN", R"({"startD": NaN})"},
                                           SyntaxCase{"Nul", std::string("{\0}", 3)}),
                         [](const auto &testCase) { return std::string(testCase.param.name); });

TEST(ConfigJsonSyntaxDetail, NamesTheLineAndColumn)
{
    const std::string error = ReadError("{\n  \"startD\": 1,\n  \"maxD\": ]\n}");
    EXPECT_NE(error.find("line 3, column"), std::string::npos) << error;
}

TEST(ConfigJsonSyntaxDetail, AVeryLongTokenIsCutInTheMessage)
{
    const std::string error = ReadError("{\"subprogramName\": \"" + std::string(100000, 'a'));
    EXPECT_LT(error.size(), 1000u);
}

TEST(ConfigJsonSyntaxDetail, BytesThatAreNotUtf8AreNotEchoed)
{
    const std::string error = ReadError("{\"subprogramName\": \"ab\xff\xfe\"}");
    EXPECT_EQ(error.find('\xff'), std::string::npos) << error;
    EXPECT_NE(error.find("\xEF\xBF\xBD"), std::string::npos) << error;
}

TEST(ConfigJsonSyntaxDetail, DuplicateKeyIsRefusedWithItsPath)
{
    const std::string error = ReadError(R"({"startD": 1, "startD": 2})");
    EXPECT_NE(error.find("$.startD"), std::string::npos) << error;
    const std::string inSegment
        = ReadError(R"({"segments": [{}, {"endX": 1, "endY": 2, "endX": 3}]})");
    EXPECT_NE(inSegment.find("$.segments[1].endX"), std::string::npos) << inSegment;
    const std::string twoArrays = ReadError(R"({"segments": [{}], "segments": []})");
    EXPECT_NE(twoArrays.find("$.segments"), std::string::npos) << twoArrays;
}

TEST(ConfigJsonSyntaxDetail, TextThatIsNotJsonIsReportedAsSuchEvenAfterAWrongValue)
{
    const std::string error = ReadError(R"({"startD": true, "segments": [{"endX": 1}] x)");
    EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error;
}

TEST(ConfigJsonSyntaxDetail, SameKeyInDifferentObjectsIsFine)
{
    const PosConfig config = ReadOk(R"({"segments": [{"endX": 1}, {"endX": 2}]})");
    EXPECT_EQ(config.segments.size(), 2u);
}

TEST(ConfigJsonSyntaxDetail, Utf8ByteOrderMarkIsAccepted)
{
    EXPECT_EQ(ReadOk("\xEF\xBB\xBF{}"), NewPageDefaults());
}

TEST(ConfigJsonSyntaxDetail, DeepNestingIsRefusedNotCrashed)
{
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    EXPECT_EQ(ReadError(deep), "$: expected an object");
    const std::string inside = R"({"segments": [{"endX": )" + deep + "}]}";
    EXPECT_EQ(ReadError(inside), "$.segments[0].endX: " + std::string("expected ") + kI32);
}

// ------------------------------------------------- nothing half-read

TEST(ConfigJsonAllOrNothing, AnErrorAfterGoodFieldsGivesNoConfiguration)
{
    std::string error;
    const auto config = ReadConfigJson(R"({"startD": 5, "segments": [{"endX": 1}, {"endX": 1.5}]})",
                                       &error, Lang::En);
    EXPECT_FALSE(config.has_value());
    EXPECT_EQ(error, Expect("$.segments[1].endX", kI32));
}

TEST(ConfigJsonAllOrNothing, NullErrorPointerIsAllowed)
{
    EXPECT_FALSE(ReadConfigJson("{", nullptr, Lang::En).has_value());
    EXPECT_TRUE(ReadConfigJson("{}", nullptr, Lang::En).has_value());
}

// ------------------------------------------------------------ language

TEST(ConfigJsonLanguage, ChineseReasons)
{
    EXPECT_EQ(ReadError(R"({"xPulsePort": 3})", Lang::Zh), "$.xPulsePort：应为0、4、5、6、7之一");
    EXPECT_EQ(ReadError(R"({"segments": [{"endX": true}]})", Lang::Zh),
              "$.segments[0].endX：应为-2147483648到2147483647之间的整数");
    EXPECT_EQ(ReadError(R"({"x": 1})", Lang::Zh), "$.x：未知的键");
    EXPECT_EQ(ReadError("{", Lang::Zh).rfind("不是有效的JSON：", 0), 0u);
}

// ------------------------------------------------------ write and read

TEST(ConfigJsonWrite, WriteThenReadGivesTheSameConfiguration)
{
    PosConfig big = NewPageDefaults();
    for (std::uint32_t i = 1; i <= kMaxSegments; ++i) {
        PosSegment s;
        s.number = i;
        s.type = static_cast<std::int32_t>(1 + i % 3);
        s.centreMode = static_cast<std::int32_t>(i % 2);
        s.endX = static_cast<std::int32_t>(i) * -1000;
        s.endY = static_cast<std::int32_t>(i * 7);
        big.segments[i] = s;
    }
    PosConfig emptyName = NewPageDefaults();
    emptyName.subprogramName.clear();
    for (const PosConfig &config : {NewPageDefaults(), PosConfig{}, Unusual(), big, emptyName}) {
        const std::string text = WriteConfigJson(config);
        std::string error;
        const std::optional<PosConfig> back = ReadConfigJson(text, &error, Lang::En);
        ASSERT_TRUE(back.has_value()) << error << "\n" << text;
        EXPECT_EQ(*back, config) << text;
        EXPECT_EQ(WriteConfigJson(*back), text);
    }
}

TEST(ConfigJsonWrite, FieldsInRecordOrderWithNamesOneSegmentPerLine)
{
    PosConfig config = NewPageDefaults();
    config.actionMode = 1;
    config.segments[1] = PosSegment{1, kTypeLine, 0, 100, 100000, 100, 0, 0, 20000, 0, 0, 0};
    config.segments[2]
        = PosSegment{2, kTypeCw, kPassPoint, 100, 70000, 200, 0, 0, 30000, 10000, 20000, 10000};
    EXPECT_EQ(WriteConfigJson(config),
              "{\n"
              "  \"startD\": 2000,\n"
              "  \"minD\": 0,\n"
              "  \"maxD\": 9999,\n"
              "  \"startM\": 0,\n"
              "  \"minM\": 0,\n"
              "  \"maxM\": 9999,\n"
              "  \"subprogramName\": \"POS_EXE\",\n"
              "  \"actionMode\": 1,\n"
              "  \"pulseMode\": 0,\n"
              "  \"xPulsePort\": 0,\n"
              "  \"xDirPort\": 1,\n"
              "  \"yPulsePort\": 2,\n"
              "  \"yDirPort\": 3,\n"
              "  \"segments\": [\n"
              "    {\"number\": 1, \"type\": \"LIN\", \"centreMode\": \"centre\", "
              "\"initialSpeed\": 100, \"maxSpeed\": 100000, \"accDecTime\": 100, \"beginX\": 0, "
              "\"beginY\": 0, \"endX\": 20000, \"endY\": 0, \"centreX\": 0, \"centreY\": 0},\n"
              "    {\"number\": 2, \"type\": \"CW\", \"centreMode\": \"pass\", "
              "\"initialSpeed\": 100, \"maxSpeed\": 70000, \"accDecTime\": 200, \"beginX\": 0, "
              "\"beginY\": 0, \"endX\": 30000, \"endY\": 10000, \"centreX\": 20000, "
              "\"centreY\": 10000}\n"
              "  ]\n"
              "}\n");
}

TEST(ConfigJsonWrite, NoSegmentsIsAnEmptyArray)
{
    const std::string text = WriteConfigJson(NewPageDefaults());
    EXPECT_NE(text.find("\"segments\": []\n}\n"), std::string::npos) << text;
}

TEST(ConfigJsonWrite, ValuesOutsideTheDomainAreWrittenAsNumbersAndRefusedOnReading)
{
    PosConfig config = NewPageDefaults();
    PosSegment s;
    s.type = 7;
    config.segments[1] = s;
    const std::string text = WriteConfigJson(config);
    EXPECT_NE(text.find("\"type\": 7"), std::string::npos) << text;
    EXPECT_EQ(ReadError(text), "$.segments[0].type: expected 1, 2, 3, \"LIN\", \"CW\" or \"CCW\"");
}

TEST(ConfigJsonWrite, InvalidUtf8InTheNameStillGivesValidJson)
{
    PosConfig config = NewPageDefaults();
    config.subprogramName = "A\xff";
    const std::optional<PosConfig> back
        = ReadConfigJson(WriteConfigJson(config), nullptr, Lang::En);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->subprogramName, "A\xEF\xBF\xBD"); // U+FFFD
}

TEST(ConfigJsonWrite, RawRecordCarriesKeysFromZeroAndBeginPoints)
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
    EXPECT_NE(text.find("{\"key\": 1, \"number\": 0, \"type\": \"CCW\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"pulseMode\": 1,"), std::string::npos) << text;
    EXPECT_EQ(ReadError(text), "$.segments[0].key: unknown key");
}

// ------------------------------------------------------------ file helper

class FileIoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
                / ("pos_fileio_" + std::to_string(::getpid()) + "_"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char *name) const { return (m_dir / name).string(); }
    std::size_t EntryCount() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }
    static std::string Contents(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
};

TEST_F(FileIoTest, ReadsAWholeFileWithEveryByte)
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>(i % 251);
    std::ofstream(Path("a"), std::ios::binary) << bytes;
    std::string text;
    std::string reason;
    ASSERT_TRUE(ReadWholeFile(Path("a"), &text, &reason)) << reason;
    EXPECT_EQ(text, bytes);
}

TEST_F(FileIoTest, MissingFileAndDirectoryGiveTheSystemsReason)
{
    std::string text = "unchanged";
    std::string reason;
    EXPECT_FALSE(ReadWholeFile(Path("missing"), &text, &reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(text, "unchanged");
    EXPECT_FALSE(ReadWholeFile(m_dir.string(), &text, &reason));
    EXPECT_EQ(reason, "Is a directory");
}

TEST_F(FileIoTest, WriteCreatesAndReplacesWithoutLeavingTemporaryFiles)
{
    std::string reason;
    ASSERT_TRUE(WriteWholeFile(Path("out"), "first", &reason)) << reason;
    EXPECT_EQ(Contents(Path("out")), "first");
    ASSERT_TRUE(WriteWholeFile(Path("out"), std::string("se\0cond", 7), &reason)) << reason;
    EXPECT_EQ(Contents(Path("out")), std::string("se\0cond", 7));
    ASSERT_TRUE(WriteWholeFile(Path("empty"), "", &reason)) << reason;
    EXPECT_EQ(Contents(Path("empty")), "");
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(FileIoTest, ReplacedFileKeepsItsPermissions)
{
    std::ofstream(Path("p")) << "old";
    fs::permissions(Path("p"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteWholeFile(Path("p"), "new", nullptr));
    EXPECT_EQ(fs::status(Path("p")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileIoTest, MissingDirectoryFailsAndCreatesNothing)
{
    std::string reason;
    EXPECT_FALSE(WriteWholeFile(Path("no/such/dir/out"), "x", &reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(EntryCount(), 0u);
}

TEST_F(FileIoTest, ADirectoryIsNotReplaced)
{
    fs::create_directories(Path("d"));
    std::string reason;
    EXPECT_FALSE(WriteWholeFile(Path("d"), "x", &reason));
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_TRUE(fs::is_directory(Path("d")));
    EXPECT_EQ(EntryCount(), 1u);
}

// A write that fails halfway (here: the file size limit) leaves the old file
// as it was and no temporary file behind.
TEST_F(FileIoTest, FailedWriteLeavesTheOldFileUntouched)
{
    std::ofstream(Path("keep")) << "old contents";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string reason;
    const bool written = WriteWholeFile(Path("keep"), std::string(100000, 'x'), &reason);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(Contents(Path("keep")), "old contents");
    EXPECT_EQ(EntryCount(), 1u);
}

} // namespace
} // namespace pos
