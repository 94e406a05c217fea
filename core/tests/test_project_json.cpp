// Project files of the stand-in host: reading, defaults, refusals with their
// JSON paths, names compared as the name page compares them, write-then-read,
// the checks before a write and the locked replacement of the file.
#include "guide/FileIo.h"
#include "guide/FileLock.h"
#include "guide/ProjectJson.h"

#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

using namespace pos;
namespace fs = std::filesystem;

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
    project.maxM = 1;
    project.subprograms = {{"Main", "LD SM0\nCALL POS_EXE\n"},
                           {"子程序", "//注释 \"quoted\" \\ back\r\n\ttab\n"},
                           {"Empty", ""},
                           {"Nul_Inside", std::string("nul \0 inside", 12)}};
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
              (std::vector<std::string>{"Main", "子程序", "Empty", "Nul_Inside"}));
    EXPECT_EQ(context.minD, 7u);
    EXPECT_EQ(context.maxD, 4294967295u);
    EXPECT_EQ(context.minM, 1u);
    EXPECT_EQ(context.maxM, 1u);
}

TEST(ProjectJson, RefusesWithThePathAndWhatWasExpected)
{
    const std::string u32 = "expected an integer from 0 to 4294967295";
    const std::string name = "expected a name of 1 to 20 characters in valid UTF-8, without "
                             "control characters, blanks or any of * | \\ : \" < > ? / . ,";
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
        // The name page's rule: no blank, NUL, line feed or C1 control, at most 20 characters.
        {R"({"subprograms": [{"name": "  ", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "A\u0000", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "A\nB", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "A\u0085", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "A.B", "text": ""}]})", "$.subprograms[0].name: " + name},
        {R"({"subprograms": [{"name": "ABCDEFGHIJKLMNOPQRSTU", "text": ""}]})",
         "$.subprograms[0].name: " + name},
        // Ranges that make sense, whatever order the keys come in.
        {R"({"maxD": 7999, "minD": 8000})", "$.minD: minD (8000) is greater than maxD (7999)"},
        {R"({"minM": 10000})", "$.minM: minM (10000) is greater than maxM (9999)"},
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
                                   {"子程序_1", true},
                                   {"子程序 1", false},
                                   {"a\nb", false},
                                   {"\xC3\x28", false},
                                   {"", false},
                                   {"a\tb", false},
                                   {"a\x7f", false},
                                   {std::string("a\0b", 3), false}})
        EXPECT_EQ(IsProjectName(name), ok) << name;
}

TEST(ProjectJson, ChecksBeforeWritingWhatTheReaderWouldRefuseOrChange)
{
    const auto refusal = [](void (*edit)(Project &)) {
        Project project;
        project.subprograms = {{"Main", "LD SM0\n"}, {"POS_EXE", "//x\n"}};
        edit(project);
        const Status status = CheckProject(project);
        if (status) { // what passes reads back unchanged
            EXPECT_EQ(ReadProjectJson(WriteProjectJson(project)).value_or({}), project);
        }
        return status ? std::string() : Describe(status.error(), Lang::En);
    };
    const std::string name = "expected a name of 1 to 20 characters in valid UTF-8, without "
                             "control characters, blanks or any of * | \\ : \" < > ? / . ,";
    EXPECT_EQ(refusal([](Project &) {}), "");
    EXPECT_EQ(refusal([](Project &p) { p.subprograms[1].name = "POS_\xFF"; }),
              "$.subprograms[1].name: " + name);
    EXPECT_EQ(refusal([](Project &p) { p.subprograms[0].name = "\xED\xA0\x80"; }), // a surrogate
              "$.subprograms[0].name: " + name);
    EXPECT_EQ(refusal([](Project &p) { p.subprograms[1].text = "LD \xC0\xAF\n"; }), // overlong
              "$.subprograms[1].text: expected text in valid UTF-8");
    EXPECT_EQ(refusal([](Project &p) { p.subprograms[1].name = "main"; }),
              "$.subprograms[1].name: a subprogram named \"main\" is already in the project");
    EXPECT_EQ(refusal([](Project &p) { p.minD = 10000; }),
              "$.minD: minD (10000) is greater than maxD (9999)");
    EXPECT_EQ(refusal([](Project &p) { p.subprograms[0].text = "注释 \xF4\x8F\xBF\xBF\n"; }), "");
}

namespace {

class ProjectFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir);
        Put("project.json", m_start);
        // Where the system makes no links (Wine), both ways lead straight to
        // the file.
        m_linked = test::MakeSymlink("project.json", At("link.json"));
        m_link = m_linked ? "link.json" : "project.json";
    }
    void TearDown() override
    {
        g_projectReplaceHook = nullptr;
        fs::remove_all(m_dir);
    }

    std::string At(const std::string &name) const { return (m_dir / name).string(); }
    void Put(const std::string &name, const std::string &text) const
    {
        ASSERT_TRUE(WriteWholeFile(At(name), text));
    }
    std::string Get(const std::string &name) const { return ReadWholeFile(At(name)).value_or(""); }
    // The message of ReplaceProjectFile through name; empty when it wrote.
    std::string Replace(const std::string &name, const std::string &read, const std::string &text,
                        int waitMs = kProjectLockWaitMs) const
    {
        const Status status = ReplaceProjectFile(At(name), read, text, waitMs);
        return status ? std::string() : Describe(status.error(), Lang::En);
    }

    const fs::path m_dir
        = fs::temp_directory_path() / ("pos_project_" + std::to_string(::getpid()));
    bool m_linked = false;
    std::string m_link; // the link to project.json, or project.json itself
    const std::string m_start = WriteProjectJson(Project{.subprograms = {{"Main", "LD SM0\n"}}});
};

} // namespace

TEST_F(ProjectFile, TwoWritersAtOnceNeverLoseAnUpdateSilently)
{
    // The window between the check and the replacement held open: without
    // the lock both writers find the file unchanged and one update is lost.
    g_projectReplaceHook = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    for (int pair = 0; pair < 40; ++pair) {
        Put("project.json", m_start);
        // One writer reaches the project through the link, one directly:
        // both must take the same lock.
        const std::string via[2] = {m_link, "project.json"};
        std::string message[2];
        std::thread writers[2];
        for (int w = 0; w < 2; ++w) {
            Project mine = ReadProjectJson(m_start).value_or({});
            mine.subprograms.push_back({"Writer" + std::to_string(w), "//" + std::to_string(w)});
            writers[w] = std::thread([&, w, text = WriteProjectJson(mine)] {
                message[w] = Replace(via[w], m_start, text);
            });
        }
        for (std::thread &writer : writers)
            writer.join();
        const Project stored = ReadProjectJson(Get("project.json")).value_or({});
        int written = 0;
        for (int w = 0; w < 2; ++w) {
            if (message[w].empty()) {
                ++written;
                EXPECT_NE(stored.find("Writer" + std::to_string(w)), nullptr) << pair;
            } else {
                EXPECT_EQ(message[w], At(via[w]) + " changed while the wizard was open") << pair;
            }
        }
        ASSERT_EQ(written, 1) << pair << ": both read the same file; only the first may write";
    }
    EXPECT_EQ(test::IsSymlink(At(m_link)), m_linked);
}

TEST_F(ProjectFile, WritesAtTheLinksTargetOnlyWhatWasReadAndWaitsForTheLock)
{
    const std::string next = WriteProjectJson(Project{});
    // Through the link: the target is replaced, the link stays a link.
    EXPECT_EQ(Replace(m_link, m_start, next), "");
    EXPECT_EQ(test::IsSymlink(At(m_link)), m_linked);
    EXPECT_EQ(Get("project.json"), next);
    // Changed or gone meanwhile: left as it is, nothing created.
    EXPECT_EQ(Replace(m_link, m_start, m_start), At(m_link) + " changed while the wizard was open");
    EXPECT_EQ(Get("project.json"), next);
    fs::remove(At("project.json"));
    EXPECT_EQ(Replace(m_link, next, m_start), At(m_link) + " changed while the wizard was open");
    EXPECT_FALSE(fs::exists(At("project.json")));

    // Another run holds the lock (taken through the real path): this one gives up.
    Put("project.json", m_start);
    {
        const Result<FileLock> held = FileLock::Acquire(At("project.json.lock"), 0);
        ASSERT_TRUE(held);
        EXPECT_EQ(Replace(m_link, m_start, next, 20),
                  At(m_link) + " is being written by another run; gave up after 1 seconds");
        EXPECT_EQ(Get("project.json"), m_start);
    }
    EXPECT_EQ(Replace("project.json", m_start, next, 0), "") << "released with its holder";

    // A lock file that cannot be used.
    fs::remove(At("project.json.lock"));
    fs::create_directory(At("project.json.lock"));
    EXPECT_EQ(Replace("project.json", next, m_start), "the lock file "
                                                          + RealPath(At("project.json.lock"))
                                                          + " cannot be used: Is a directory");
    EXPECT_EQ(Get("project.json"), next);
}

// A project in a folder named in Chinese is checked, locked and replaced
// there like any other.
TEST_F(ProjectFile, WorksInAFolderNamedInChinese)
{
    const std::string folder = test::Utf8(m_dir) + "/项目";
    fs::create_directory(test::PathOf(folder));
    const std::string path = folder + "/工程.json";
    ASSERT_TRUE(WriteWholeFile(path, m_start));
    const std::string next = WriteProjectJson(Project{});
    const Status replaced = ReplaceProjectFile(path, m_start, next);
    EXPECT_TRUE(replaced) << (replaced ? "" : Describe(replaced.error(), Lang::En));
    EXPECT_EQ(ReadWholeFile(path).value_or(""), next);
    EXPECT_TRUE(fs::is_regular_file(test::PathOf(path + ".lock")));
}
