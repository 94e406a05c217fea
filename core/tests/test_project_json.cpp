// Project files of the stand-in host: reading, defaults, refusals with their
// JSON paths, names compared as the name page compares them, write-then-read.

#include "guide/ProjectJson.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace pos {
namespace {

Project ReadOk(const std::string &text)
{
    std::string error = "stale";
    const std::optional<Project> project = ReadProjectJson(text, &error, Lang::En);
    EXPECT_TRUE(project.has_value()) << text << "\n" << error;
    EXPECT_EQ(error, "");
    return project.value_or(Project{});
}

std::string ReadError(const std::string &text, Lang lang = Lang::En)
{
    std::string error;
    const std::optional<Project> project = ReadProjectJson(text, &error, lang);
    EXPECT_FALSE(project.has_value()) << text;
    return error;
}

// A project whose ranges differ from the defaults and whose texts need every
// kind of escaping.
Project Unusual()
{
    Project project;
    project.minD = 7;
    project.maxD = 4294967295u;
    project.minM = 1;
    project.maxM = 0;
    project.subprograms = {
        {"Main", "LD SM0\nCALL POS_EXE\n"},
        {"子程序", "//注释 \"quoted\" \\ back\r\n\ttab\n"},
        {"Empty", ""},
        {"with \"quotes\" and \\", std::string("nul \0 inside", 12)},
    };
    return project;
}

TEST(ProjectJson, ReadsRangesAndSubprogramsInFileOrder)
{
    const Project project = ReadOk(R"({
        "minD": 100, "maxD": 8000, "minM": 5, "maxM": 300,
        "subprograms": [
            {"name": "Main", "text": "LD SM0\n"},
            {"text": "x\n", "name": "POS_EXE"}
        ]})");
    EXPECT_EQ(project.minD, 100u);
    EXPECT_EQ(project.maxD, 8000u);
    EXPECT_EQ(project.minM, 5u);
    EXPECT_EQ(project.maxM, 300u);
    ASSERT_EQ(project.subprograms.size(), 2u);
    EXPECT_EQ(project.subprograms[0], (ProjectSubprogram{"Main", "LD SM0\n"}));
    EXPECT_EQ(project.subprograms[1], (ProjectSubprogram{"POS_EXE", "x\n"}));
}

TEST(ProjectJson, AbsentRangesTakeTheDefaults)
{
    for (const char *text : {"{}", R"({"subprograms": []})", " { } \n"}) {
        const Project project = ReadOk(text);
        EXPECT_EQ(project.minD, 0u) << text;
        EXPECT_EQ(project.maxD, 9999u) << text;
        EXPECT_EQ(project.minM, 0u) << text;
        EXPECT_EQ(project.maxM, 9999u) << text;
        EXPECT_TRUE(project.subprograms.empty()) << text;
    }
    const Project some = ReadOk(R"({"maxD": 20000})");
    EXPECT_EQ(some.minD, 0u);
    EXPECT_EQ(some.maxD, 20000u);
    EXPECT_EQ(some.maxM, 9999u);
}

TEST(ProjectJson, RangesTakeTheWholeUnsignedWidth)
{
    const Project project = ReadOk(R"({"minD": 0, "maxD": 4294967295})");
    EXPECT_EQ(project.maxD, 4294967295u);
}

TEST(ProjectJson, WriteThenReadGivesTheSameProject)
{
    const Project project = Unusual();
    EXPECT_EQ(ReadOk(WriteProjectJson(project)), project);
    EXPECT_EQ(ReadOk(WriteProjectJson(Project{})), Project{});
}

TEST(ProjectJson, WritesRangesThenOneSubprogramPerLine)
{
    Project project;
    project.maxD = 5000;
    project.subprograms = {{"Main", "LD SM0\nCALL POS_EXE\n"}, {"POS_EXE", "//x\n"}};
    EXPECT_EQ(WriteProjectJson(project), "{\n"
                                         "  \"minD\": 0,\n"
                                         "  \"maxD\": 5000,\n"
                                         "  \"minM\": 0,\n"
                                         "  \"maxM\": 9999,\n"
                                         "  \"subprograms\": [\n"
                                         "    {\"name\": \"Main\", \"text\": \"LD SM0\\nCALL "
                                         "POS_EXE\\n\"},\n"
                                         "    {\"name\": \"POS_EXE\", \"text\": \"//x\\n\"}\n"
                                         "  ]\n"
                                         "}\n");
    EXPECT_EQ(WriteProjectJson(Project{}), "{\n"
                                           "  \"minD\": 0,\n"
                                           "  \"maxD\": 9999,\n"
                                           "  \"minM\": 0,\n"
                                           "  \"maxM\": 9999,\n"
                                           "  \"subprograms\": []\n"
                                           "}\n");
}

struct RefusalCase
{
    const char *name;
    std::string text;
    std::string message;
};

// Names the case in test listings.
void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProjectJsonRefusal : public ::testing::TestWithParam<RefusalCase>
{};

TEST_P(ProjectJsonRefusal, SaysWhereAndWhat)
{
    EXPECT_EQ(ReadError(GetParam().text), GetParam().message);
}

const std::string kU32 = "an integer from 0 to 4294967295";

INSTANTIATE_TEST_SUITE_P(
    Files, ProjectJsonRefusal,
    ::testing::Values(
        RefusalCase{"Empty", "",
                    "not valid JSON: parse error at line 1, column 1: syntax error while parsing "
                    "value - unexpected end of input; expected '[', '{', or a literal"},
        RefusalCase{"TrailingComma", R"({"minD": 1,})",
                    "not valid JSON: parse error at line 1, column 12: syntax error while "
                    "parsing object key - unexpected '}'; expected string literal"},
        RefusalCase{"AfterTheRoot", "{} {}",
                    "not valid JSON: parse error at line 1, column 4: syntax error while parsing "
                    "value - unexpected '{'; expected end of input"},
        RefusalCase{"RootArray", "[]", "$: expected an object"},
        RefusalCase{"RootNumber", "12", "$: expected an object"},
        RefusalCase{"UnknownKey", R"({"mind": 1})", "$.mind: unknown key"},
        RefusalCase{"UnknownOddKey", R"({"max D": 1})", "$[\"max D\"]: unknown key"},
        RefusalCase{"RangeTwice", R"({"maxD": 1, "maxD": 2})", "$.maxD: key given twice"},
        RefusalCase{"SubprogramsTwice", R"({"subprograms": [], "subprograms": []})",
                    "$.subprograms: key given twice"},
        RefusalCase{"RangeNegative", R"({"minD": -1})", "$.minD: expected " + kU32},
        RefusalCase{"RangeTooLarge", R"({"maxM": 4294967296})", "$.maxM: expected " + kU32},
        RefusalCase{"RangeHuge", R"({"maxM": 18446744073709551615})", "$.maxM: expected " + kU32},
        RefusalCase{"RangeFraction", R"({"maxD": 9999.0})", "$.maxD: expected " + kU32},
        RefusalCase{"RangeString", R"({"minM": "0"})", "$.minM: expected " + kU32},
        RefusalCase{"RangeObject", R"({"minM": {}})", "$.minM: expected " + kU32},
        RefusalCase{"SubprogramsObject", R"({"subprograms": {}})",
                    "$.subprograms: expected an array"},
        RefusalCase{"SubprogramsNull", R"({"subprograms": null})",
                    "$.subprograms: expected an array"},
        RefusalCase{"SubprogramString", R"({"subprograms": [{"name": "A", "text": ""}, "B"]})",
                    "$.subprograms[1]: expected an object"},
        RefusalCase{"SubprogramArray", R"({"subprograms": [[]]})",
                    "$.subprograms[0]: expected an object"},
        RefusalCase{"SubprogramUnknownKey",
                    R"({"subprograms": [{"name": "A", "text": "", "nmae": "B"}]})",
                    "$.subprograms[0].nmae: unknown key"},
        RefusalCase{"NameTwice", R"({"subprograms": [{"name": "A", "name": "B", "text": ""}]})",
                    "$.subprograms[0].name: key given twice"},
        RefusalCase{"NameNumber", R"({"subprograms": [{"name": 1, "text": ""}]})",
                    "$.subprograms[0].name: expected a string"},
        RefusalCase{"TextArray", R"({"subprograms": [{"name": "A", "text": ["LD SM0"]}]})",
                    "$.subprograms[0].text: expected a string"},
        RefusalCase{"NameMissing", R"({"subprograms": [{"text": "LD SM0\n"}]})",
                    "$.subprograms[0]: \"name\" is missing"},
        RefusalCase{"TextMissing", R"({"subprograms": [{"name": "A"}, {"name": "B"}]})",
                    "$.subprograms[0]: \"text\" is missing"},
        RefusalCase{"NameEmpty", R"({"subprograms": [{"name": "", "text": ""}]})",
                    "$.subprograms[0].name: expected a name that is not empty and holds no "
                    "control characters"},
        RefusalCase{"NameLineFeed", R"({"subprograms": [{"name": "A\nB", "text": ""}]})",
                    "$.subprograms[0].name: expected a name that is not empty and holds no "
                    "control characters"},
        RefusalCase{
            "NameTwiceExactly",
            R"({"subprograms": [{"name": "Main", "text": ""}, {"name": "Main", "text": ""}]})",
            "$.subprograms[1].name: a subprogram named \"Main\" is already in the "
            "project"},
        RefusalCase{"NameTwiceIgnoringCase",
                    R"({"subprograms": [{"name": "pos_exe", "text": "a"},
                                        {"name": "Main", "text": "b"},
                                        {"name": "POS_Exe", "text": "c"}]})",
                    "$.subprograms[2].name: a subprogram named \"POS_Exe\" is already in the "
                    "project"},
        // The first refusal is the one reported; a syntax error beats it.
        RefusalCase{"FirstRefusalWins", R"({"minD": "x", "mind": 1})", "$.minD: expected " + kU32},
        RefusalCase{"SyntaxAfterRefusal", R"({"mind": 1,})",
                    "not valid JSON: parse error at line 1, column 12: syntax error while "
                    "parsing object key - unexpected '}'; expected string literal"}),
    [](const auto &testCase) { return std::string(testCase.param.name); });

TEST(ProjectJson, RefusalsSpeakChinese)
{
    EXPECT_EQ(
        ReadError(R"({"subprograms": [{"name": "a", "text": ""}, {"name": "A", "text": ""}]})",
                  Lang::Zh),
        "$.subprograms[1].name：项目中已有名为“A”的子程序");
    EXPECT_EQ(ReadError(R"({"subprograms": [{"name": "a"}]})", Lang::Zh),
              "$.subprograms[0]：缺少“text”");
    EXPECT_EQ(ReadError(R"({"minD": true})", Lang::Zh), "$.minD：应为0到4294967295之间的整数");
}

TEST(ProjectJson, OnlyLatinLettersAreComparedIgnoringCase)
{
    // As the name page compares: "Ä" and "ä" are different names.
    const Project project
        = ReadOk(R"({"subprograms": [{"name": "Ä1", "text": ""}, {"name": "ä1", "text": ""}]})");
    EXPECT_EQ(project.subprograms.size(), 2u);
}

TEST(ProjectJson, TextThatIsNotUtf8IsRefusedReadably)
{
    const std::string error = ReadError(std::string(R"({"subprograms": [{"name": "A", "text": "ab)")
                                        + "\xC3\x28" + R"("}]})");
    EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error;
    EXPECT_EQ(error.find('\xC3'), std::string::npos) << "the stray byte is not passed on";
}

TEST(ProjectJson, ALongBrokenTextGivesAShortMessage)
{
    const std::string text
        = R"({"subprograms": [{"name": "A", "text": ")" + std::string(1 << 20, 'x');
    const std::string error = ReadError(text);
    EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error.substr(0, 200);
    EXPECT_LT(error.size(), 400u);
}

TEST(ProjectJson, DeepNestingIsRefusedWithoutHarm)
{
    const std::size_t depth = 100000;
    EXPECT_EQ(ReadError(std::string(depth, '[') + std::string(depth, ']')),
              "$: expected an object");
    const std::string inName = R"({"subprograms": [{"name": )" + std::string(depth, '[')
                               + std::string(depth, ']') + "}]}";
    EXPECT_EQ(ReadError(inName), "$.subprograms[0].name: expected a string");
}

TEST(ProjectJson, WithoutAnErrorStringTheRefusalStillHolds)
{
    EXPECT_FALSE(ReadProjectJson("{\"x\": 1}", nullptr, Lang::En).has_value());
    EXPECT_TRUE(ReadProjectJson("{}", nullptr, Lang::En).has_value());
}

TEST(ProjectJson, FindPrefersTheExactSpellingThenIgnoresCase)
{
    Project project;
    project.subprograms = {{"Main", "1"}, {"POS_EXE", "2"}};
    ASSERT_NE(project.find("POS_EXE"), nullptr);
    EXPECT_EQ(project.find("POS_EXE")->text, "2");
    ASSERT_NE(project.find("pos_exe"), nullptr);
    EXPECT_EQ(project.find("pos_exe")->name, "POS_EXE");
    EXPECT_EQ(project.find("POS"), nullptr);
    EXPECT_EQ(project.find(""), nullptr);

    // A project built in memory may hold two spellings; the exact one wins.
    project.subprograms.push_back({"main", "3"});
    EXPECT_EQ(project.find("main")->text, "3");
    EXPECT_EQ(project.find("Main")->text, "1");
    EXPECT_EQ(project.find("MAIN")->text, "1");

    // The non-const overload hands out the same element, for changing it.
    project.find("pos_exe")->text = "changed";
    EXPECT_EQ(project.subprograms[1].text, "changed");
}

TEST(ProjectJson, ContextCarriesTheNamesAndRanges)
{
    const Project project = Unusual();
    const PosHostContext context = project.context();
    EXPECT_EQ(context.subprogramNames, project.names());
    EXPECT_EQ(context.subprogramNames,
              (std::vector<std::string>{"Main", "子程序", "Empty", "with \"quotes\" and \\"}));
    EXPECT_EQ(context.minD, 7u);
    EXPECT_EQ(context.maxD, 4294967295u);
    EXPECT_EQ(context.minM, 1u);
    EXPECT_EQ(context.maxM, 0u);
}

TEST(ProjectJson, ProjectNames)
{
    EXPECT_TRUE(IsProjectName("Main"));
    EXPECT_TRUE(IsProjectName("子程序 1"));
    EXPECT_FALSE(IsProjectName(""));
    EXPECT_FALSE(IsProjectName("a\tb"));
    EXPECT_FALSE(IsProjectName("a\x7f"));
    EXPECT_FALSE(IsProjectName(std::string("a\0b", 3)));
}

} // namespace
} // namespace pos
