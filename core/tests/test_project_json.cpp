// Project files of the stand-in host: reading, defaults, refusals with their
// JSON paths, names compared as the name page compares them, write-then-read.
#include "guide/ProjectJson.h"

#include <gtest/gtest.h>

using namespace pos;

namespace {

Project ReadOk(const std::string &text)
{
    const Result<Project> project = ReadProjectJson(text);
    EXPECT_TRUE(project) << text;
    return project ? *project : Project{};
}

std::string Refusal(const std::string &text, Lang lang = Lang::En)
{
    const Result<Project> project = ReadProjectJson(text);
    EXPECT_FALSE(project) << text;
    return project ? std::string() : Describe(project.error(), lang);
}

} // namespace

TEST(ProjectJson, ReadsWhatItWritesAndTakesDefaults)
{
    Project project;
    project.minD = 7;
    project.maxD = 4294967295u;
    project.minM = 1;
    project.maxM = 0;
    project.subprograms = {{"Main", "LD SM0\nCALL POS_EXE\n"},
                           {"子程序", "//注释 \"quoted\" \\ back\r\n\ttab\n"},
                           {"Empty", ""},
                           {"with \"quotes\" and \\", std::string("nul \0 inside", 12)}};
    const std::string text = WriteProjectJson(project);
    EXPECT_EQ(ReadOk(text), project);
    EXPECT_EQ(WriteProjectJson(ReadOk(text)), text);
    EXPECT_EQ(ReadOk("{}"), Project{});
    EXPECT_EQ(WriteProjectJson(Project{}), "{\n  \"minD\": 0,\n  \"maxD\": 9999,\n  \"minM\": 0,\n"
                                           "  \"maxM\": 9999,\n  \"subprograms\": []\n}\n");
    Project two;
    two.subprograms = {{"Main", "LD SM0\n"}, {"POS_EXE", "//x\n"}};
    EXPECT_NE(WriteProjectJson(two).find("  \"subprograms\": [\n"
                                         "    {\"name\": \"Main\", \"text\": \"LD SM0\\n\"},\n"
                                         "    {\"name\": \"POS_EXE\", \"text\": \"//x\\n\"}\n"
                                         "  ]\n}\n"),
              std::string::npos);

    const PosHostContext context = project.context();
    EXPECT_EQ(context.subprogramNames,
              (std::vector<std::string>{"Main", "子程序", "Empty", "with \"quotes\" and \\"}));
    EXPECT_EQ(context.minD, 7u);
    EXPECT_EQ(context.maxD, 4294967295u);
    EXPECT_EQ(context.minM, 1u);
    EXPECT_EQ(context.maxM, 0u);
}

TEST(ProjectJson, RefusesWithThePathAndWhatWasExpected)
{
    const std::string u32 = "expected an integer from 0 to 4294967295";
    const std::string name = "expected a name that is not empty and holds no control characters";
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::pair<std::string, std::string> cases[] = {
        {"[]", "$: expected an object"},
        {deep, "$: expected an object"},
        {R"({"mind": 1})", "$.mind: unknown key"},
        {R"({"max D": 1})", "$[\"max D\"]: unknown key"},
        {R"({"maxD": 1, "maxD": 2})", "$.maxD: key given twice"},
        {R"({"subprograms": [], "subprograms": []})", "$.subprograms: key given twice"},
        {R"({"minD": -1})", "$.minD: " + u32},
        {R"({"maxM": 4294967296})", "$.maxM: " + u32},
        {R"({"maxD": 9999.0})", "$.maxD: " + u32},
        {R"({"subprograms": {}})", "$.subprograms: expected an array"},
        {R"({"subprograms": [{"name": "A", "text": ""}, "B"]})",
         "$.subprograms[1]: expected an object"},
        {R"({"subprograms": [{"name": "A", "text": "", "nmae": "B"}]})",
         "$.subprograms[0].nmae: unknown key"},
        {R"({"subprograms": [{"name": "A", "name": "B", "text": ""}]})",
         "$.subprograms[0].name: key given twice"},
        {R"({"subprograms": [{"name": )" + deep + "}]}",
         "$.subprograms[0].name: expected a string"},
        {R"({"subprograms": [{"name": "A", "text": ["LD SM0"]}]})",
         "$.subprograms[0].text: expected a string"},
        {R"({"subprograms": [{"text": "LD SM0\n"}]})", "$.subprograms[0]: \"name\" is missing"},
        {R"({"subprograms": [{"name": "A"}, {"name": "B"}]})",
         "$.subprograms[0]: \"text\" is missing"},
        {R"({"subprograms": [{"name": "", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "A\u007fB", "text": ""}]})",
         "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "pos_exe", "text": "a"}, {"name": "Main", "text": "b"},
                             {"name": "POS_Exe", "text": "c"}]})",
         "$.subprograms[2].name: a subprogram named \"POS_Exe\" is already in the project"},
        {R"({"minD": "x", "mind": 1})", "$.minD: " + u32}, // the first refusal
    };
    for (const auto &[text, message] : cases)
        EXPECT_EQ(Refusal(text), message) << text.substr(0, 80);
    EXPECT_EQ(Refusal(R"({"subprograms": [{"name": "a", "text": ""}, {"name": "A", "text": ""}]})",
                      Lang::Zh),
              "$.subprograms[1].name：项目中已有名为“A”的子程序");
    EXPECT_EQ(Refusal(R"({"subprograms": [{"name": "a"}]})", Lang::Zh),
              "$.subprograms[0]：缺少“text”");

    // A syntax error beats an earlier refusal; stray bytes are not passed on.
    EXPECT_TRUE(Refusal(R"({"mind": 1,})").starts_with("not valid JSON: parse error at line 1"));
    const std::string notUtf8
        = Refusal(std::string(R"({"subprograms": [{"name": "A", "text": "ab)") + "\xC3\x28\"}]}");
    EXPECT_TRUE(notUtf8.starts_with("not valid JSON: "));
    EXPECT_EQ(notUtf8.find('\xC3'), std::string::npos);
    EXPECT_LT(
        Refusal(R"({"subprograms": [{"name": "A", "text": ")" + std::string(1 << 20, 'x')).size(),
        400u);
}

TEST(ProjectJson, NamesCompareAsTheNamePageCompares)
{
    // Only Latin letters fold: "Ä1" and "ä1" are two names.
    EXPECT_EQ(ReadOk(R"({"subprograms": [{"name": "Ä1", "text": ""}, {"name": "ä1", "text": ""}]})")
                  .subprograms.size(),
              2u);

    Project project;
    project.subprograms = {{"Main", "1"}, {"POS_EXE", "2"}};
    EXPECT_EQ(project.find("pos_exe")->name, "POS_EXE");
    EXPECT_EQ(project.find("POS"), nullptr);
    // A project built in memory may hold two spellings; the exact one wins.
    project.subprograms.push_back({"main", "3"});
    EXPECT_EQ(project.find("main")->text, "3");
    EXPECT_EQ(project.find("MAIN")->text, "1");
    project.find("pos_exe")->text = "changed";
    EXPECT_EQ(project.subprograms[1].text, "changed");

    for (const auto &[name, ok] : {std::pair<std::string, bool>{"Main", true},
                                   {"子程序 1", true},
                                   {"", false},
                                   {"a\tb", false},
                                   {"a\x7f", false},
                                   {std::string("a\0b", 3), false}})
        EXPECT_EQ(IsProjectName(name), ok) << name;
}
