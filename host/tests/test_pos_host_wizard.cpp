// pos-host's wizard commands in-process: new, modify and list on project
// files, with the real plug-in driven through its modal dialogs inside the
// test's QApplication.

#include "PosHost.h"
#include "WizardDriver.h"

#include "codegen/GeneratePou.h"
#include "codegen/PouReader.h"
#include "guide/ProjectJson.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace pos {
namespace {

namespace fs = std::filesystem;
using test::Answer;
using test::Child;
using test::Click;
using test::Driver;
using test::ExpectText;
using test::Fill;

const std::string kExamples = std::string(POS_TEST_DATA_DIR) + "/../examples";

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string &WorkedExampleText()
{
    static const std::string text
        = Read(std::string(POS_TEST_DATA_DIR) + "/pou/worked_example_en.il");
    return text;
}

const char kNoDisplay[] = "pos-host: there is no display for the wizard: set DISPLAY or "
                          "WAYLAND_DISPLAY (run it in a desktop session or under xvfb-run)\n";
const char kCancelled[] = "pos-host: the wizard was cancelled; nothing was stored\n";

struct Result
{
    int status = -1;
    std::string out;
    std::string err;
};

class PosHostWizardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
                / ("pos_host_wizard_" + std::to_string(::getpid()) + "_"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        for (const char *name :
             {"LC_ALL", "LANG", "LANGUAGE", "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            const char *value = std::getenv(name);
            m_env.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        // Messages in English unless a test asks for Chinese.
        ::setenv("LC_ALL", "C", 1);
    }

    void TearDown() override
    {
        fs::remove_all(m_dir);
        for (const auto &[name, value] : m_env) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

    std::string Path(const std::string &name) const { return (m_dir / name).string(); }

    std::string Write(const std::string &name, const std::string &text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }

    std::size_t EntryCount() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }

    // Runs a command while the driver plays its steps; every step must have
    // been played when the command returns. A command that must not open
    // the wizard gets an empty script: should it open, the driver's
    // watchdog closes it and the test fails.
    static Result Run(const std::vector<std::string> &args, Driver &driver)
    {
        std::ostringstream out;
        std::ostringstream err;
        driver.start();
        Result r;
        r.status = RunPosHost(args, out, err);
        driver.stop();
        EXPECT_TRUE(driver.finished()) << "the wizard closed before the script ended";
        EXPECT_FALSE(driver.timedOut());
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    static Result Run(const std::vector<std::string> &args)
    {
        Driver none;
        return Run(args, none);
    }

    static Project ReadProject(const std::string &path)
    {
        const auto project = ReadProjectJson(Read(path));
        EXPECT_TRUE(project) << path;
        return project.value_or(Project{});
    }

    // A copy of the bundled example project: ranges D 1000..7999, M 0..2047
    // and one subprogram, "Main".
    std::string ExampleProject() const
    {
        return Write("project.json", Read(kExamples + "/project.json"));
    }

    // A project holding the worked example as POS_EXE between two others.
    std::string ProjectWithWorkedExample() const
    {
        Project project;
        project.subprograms = {{"Main", "LD SM0\nCALL POS_EXE\n"},
                               {"POS_EXE", WorkedExampleText()},
                               {"Other", "LD SM0\n"}};
        return Write("project.json", WriteProjectJson(project));
    }

    fs::path m_dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_env;
};

// -------------------------------------------------------------------- new

TEST_F(PosHostWizardTest, NewStoresTheWorkedExampleInTheProjectAndPrintsIt)
{
    const std::string path = ExampleProject();
    const Project before = ReadProject(path);
    ASSERT_EQ(before.names(), std::vector<std::string>{"Main"});

    Driver d;
    test::EnterWorkedExample(d);
    test::CompleteWithOfferedName(d);
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, WorkedExampleText());
    EXPECT_EQ(r.err, path + ": subprogram \"POS_EXE\" stored\n");

    Project expected = before;
    expected.subprograms.push_back({"POS_EXE", WorkedExampleText()});
    EXPECT_EQ(ReadProject(path), expected);
    EXPECT_EQ(Read(path), WriteProjectJson(expected));
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file is left";
}

TEST_F(PosHostWizardTest, NewWithoutAProjectOnlyPrintsTheText)
{
    Driver d;
    test::EnterWorkedExample(d);
    test::CompleteWithOfferedName(d);
    const Result r = Run({"new", "--plugin", POS_PLUGIN_PATH, "--lang", "en"}, d);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.out, WorkedExampleText());
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(EntryCount(), 0u);
}

TEST_F(PosHostWizardTest, NewWithoutAProjectOffersTheDefaultRanges)
{
    // D up to 9999: a straight line's 12 elements from 9988 on reach beyond.
    std::string message;
    Driver d;
    d.then(Fill({{"startDEdit", QStringLiteral("9988")}}))
        .then(Click("nextButton"))
        .then(Fill({{"initialSpeedEdit", QStringLiteral("100")},
                    {"maxSpeedEdit", QStringLiteral("1000")},
                    {"accDecTimeEdit", QStringLiteral("100")},
                    {"endXEdit", QStringLiteral("500")},
                    {"endYEdit", QStringLiteral("0")}}))
        .then(Click("nextButton"))
        .then(Answer(QMessageBox::Ok, &message));
    test::CancelWizard(d);
    const Result r = Run({"new"}, d);
    EXPECT_EQ(r.status, kExitCancelled);
    EXPECT_EQ(message, "D element address number reached max address number [9999]. Please "
                       "input the starting address again.");
}

TEST_F(PosHostWizardTest, NewOffersTheProjectRanges)
{
    const std::string path = ExampleProject(); // D 1000..7999
    std::string message;
    Driver d;
    d.then(Fill({{"startDEdit", QStringLiteral("999")}}))
        .then(Click("nextButton"))
        .then(Answer(QMessageBox::Ok, &message));
    test::CancelWizard(d);
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitCancelled);
    EXPECT_EQ(message, "The start element address of D must range from [1000] to [7999]");
}

TEST_F(PosHostWizardTest, NewCancelledLeavesTheProjectByteIdentical)
{
    const std::string path = ExampleProject();
    const std::string before = Read(path);
    const fs::file_time_type written = fs::last_write_time(path);
    Driver d;
    d.then(Click("nextButton"))
        .then(Click("cancelButton"))
        .then(Answer(QMessageBox::No)) // stays
        .then(Click("cancelButton"))
        .then(Answer(QMessageBox::Yes));
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitCancelled);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kCancelled);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(fs::last_write_time(path), written);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(PosHostWizardTest, TheNamePageRefusesANameTheProjectHolds)
{
    Project project;
    project.subprograms = {{"pos_exe", "LD SM0\n"}}; // the offered POS_EXE, ignoring case
    const std::string path = Write("project.json", WriteProjectJson(project));

    std::string message;
    Driver d;
    test::EnterWorkedExample(d);
    d.then(Click("nextButton"))
        .then(Answer(QMessageBox::Ok, &message))
        .then(Fill({{"nameEdit", QStringLiteral("POS_TWO")}}))
        .then(Click("nextButton"))
        .then(Click("nextButton"));
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(message, "Subprogram \"POS_EXE\" exists in the current project. Please input again.");
    EXPECT_EQ(r.out, WorkedExampleText());
    EXPECT_EQ(r.err, path + ": subprogram \"POS_TWO\" stored\n");
    EXPECT_EQ(ReadProject(path).subprograms,
              (std::vector<ProjectSubprogram>{{"pos_exe", "LD SM0\n"},
                                              {"POS_TWO", WorkedExampleText()}}));
}

TEST_F(PosHostWizardTest, AProjectFileChangedMeanwhileIsNotOverwritten)
{
    const std::string path = ExampleProject();
    const std::string edited = R"({"subprograms": [{"name": "Edited", "text": ""}]})";
    Driver d;
    d.then([&](QWidget *) { Write("project.json", edited); }); // someone else saves it
    test::EnterWorkedExample(d);
    test::CompleteWithOfferedName(d);
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.err, path + " changed while the wizard was open\n" + path
                         + " was not written; the subprogram is printed on standard output\n");
    EXPECT_EQ(r.out, WorkedExampleText()) << "the user's work is not lost";
    EXPECT_EQ(Read(path), edited);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(PosHostWizardTest, AProjectFileRemovedMeanwhileIsNotWritten)
{
    const std::string path = ExampleProject();
    Driver d;
    d.then([&](QWidget *) { fs::remove(path); });
    test::EnterWorkedExample(d);
    test::CompleteWithOfferedName(d);
    const Result r = Run({"new", path}, d);
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.out, WorkedExampleText());
    EXPECT_NE(r.err.find(path + " changed while the wizard was open\n"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(path));
}

// ----------------------------------------------------------------- modify

TEST_F(PosHostWizardTest, ModifyChangesAValueAndReplacesTheTextInPlace)
{
    const std::string path = ProjectWithWorkedExample();
    Driver d;
    d.then([](QWidget *w) { ExpectText(w, "startDEdit", QStringLiteral("2000")); })
        .then(Click("nextButton"))
        .then([](QWidget *w) {
            // Segment 1 as the stored text holds it.
            ExpectText(w, "endXEdit", QStringLiteral("20000"));
            ExpectText(w, "maxSpeedEdit", QStringLiteral("100000"));
            if (auto *edit = Child<QLineEdit>(w, "maxSpeedEdit"))
                edit->setText(QStringLiteral("90000"));
        })
        .then(Click("nextButton"))
        .then([](QWidget *w) { ExpectText(w, "circleXEdit", QStringLiteral("20000")); })
        .then(Click("endButton"))
        .then([](QWidget *w) {
            ExpectText(w, "nameEdit", QStringLiteral("POS_EXE"));
            if (auto *edit = Child<QLineEdit>(w, "nameEdit")) {
                EXPECT_TRUE(edit->isReadOnly());
            }
        });
    test::CompleteWithOfferedName(d);
    // The name is found ignoring case and keeps the project's spelling.
    const Result r = Run({"modify", "pos_exe", path}, d);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.err, path + ": subprogram \"POS_EXE\" stored\n");

    // The worked example with 90000 Hz as the line's maximum speed.
    auto config = ParsePou(WorkedExampleText(), "POS_EXE", NewPageDefaults());
    ASSERT_TRUE(config.has_value());
    config->segments.at(1).maxSpeed = 90000;
    const std::string expected = JoinPou(GeneratePouLines(*config, Lang::En));
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(r.out.find("MOV 24464    D2007\n"), std::string::npos); // 90000 = 1 x 65536 + 24464
    EXPECT_EQ(ReadProject(path).subprograms,
              (std::vector<ProjectSubprogram>{{"Main", "LD SM0\nCALL POS_EXE\n"},
                                              {"POS_EXE", expected},
                                              {"Other", "LD SM0\n"}}));
}

TEST_F(PosHostWizardTest, ModifyCancelledLeavesTheProjectByteIdentical)
{
    const std::string path = ProjectWithWorkedExample();
    const std::string before = Read(path);
    Driver d;
    d.then(Click("nextButton"))
        .then(Fill({{"endXEdit", QStringLiteral("600")}}))
        .then(Click("nextButton")) // the pages store into the record on the way
        .then(Click("cancelButton"))
        .then(Answer(QMessageBox::Yes));
    const Result r = Run({"modify", "POS_EXE", path}, d);
    EXPECT_EQ(r.status, kExitCancelled);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, kCancelled);
    EXPECT_EQ(Read(path), before);
}

TEST_F(PosHostWizardTest, ModifyRefusesAnUnknownName)
{
    const std::string path = ProjectWithWorkedExample();
    const std::string before = Read(path);
    const Result r = Run({"modify", "POS_EX", path});
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, path + ": no subprogram named \"POS_EX\"\n");
    EXPECT_EQ(Read(path), before);
}

TEST_F(PosHostWizardTest, ModifyRefusesATextTheWizardDidNotWrite)
{
    const std::string path = ProjectWithWorkedExample();
    const std::string before = Read(path);
    const Result r = Run({"modify", "Main", path});
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, path
                         + ": the subprogram \"Main\" cannot be modified: line 1: this is not the "
                           "header of a subprogram generated by the POS instruction wizard\n");
    EXPECT_EQ(Read(path), before);

    // A generated text cut short: the reader's reason, with its line.
    Project project = ReadProject(path);
    std::string &text = project.find("POS_EXE")->text;
    text.erase(text.find("LD= D2000 1"));
    const std::string cut = Write("cut.json", WriteProjectJson(project));
    const Result c = Run({"modify", "POS_EXE", cut, "--lang", "zh"});
    EXPECT_EQ(c.status, kExitFailed);
    EXPECT_EQ(c.err, cut + ": 无法修改子程序“POS_EXE”：第42行：线段尚未结束，文本已结束\n");
}

// ------------------------------------------------------------------- list

TEST_F(PosHostWizardTest, ListPrintsTheNamesOnePerLine)
{
    const Result r = Run({"list", ProjectWithWorkedExample()});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, "Main\nPOS_EXE\nOther\n");
    EXPECT_EQ(r.err, "");
    const Result empty = Run({"list", Write("empty.json", "{}")});
    EXPECT_EQ(empty.status, kExitOk);
    EXPECT_EQ(empty.out, "");
    const Result example = Run({"list", kExamples + "/project.json"});
    EXPECT_EQ(example.out, "Main\n");
}

// -------------------------------------------------------- bad project files

struct BadProjectCase
{
    const char *name;
    std::string contents; // empty: no file at all
    std::string message;  // after "PATH: "
};

class PosHostBadProject :
    public PosHostWizardTest,
    public ::testing::WithParamInterface<BadProjectCase>
{};

TEST_P(PosHostBadProject, EveryCommandSaysWhyAndWritesNothing)
{
    const BadProjectCase &c = GetParam();
    const std::string path
        = c.contents.empty() ? Path("missing.json") : Write("project.json", c.contents);
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"new", path}, std::vector<std::string>{"modify", "Main", path},
          std::vector<std::string>{"list", path}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, kExitFailed) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
        EXPECT_EQ(r.err, path + ": " + c.message + "\n") << args[0];
        if (!c.contents.empty()) {
            EXPECT_EQ(Read(path), c.contents) << args[0];
        } else {
            EXPECT_FALSE(fs::exists(path)) << args[0];
        }
    }
    EXPECT_EQ(EntryCount(), c.contents.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PosHostBadProject,
    ::testing::Values(
        BadProjectCase{"Missing", "", "the file cannot be opened: No such file or directory"},
        BadProjectCase{"NotJson", "{\"subprograms\": [}",
                       "not valid JSON: parse error at line 1, column 18: syntax error while "
                       "parsing value - unexpected '}'; expected '[', '{', or a literal"},
        BadProjectCase{"WrongType", R"({"maxD": "9999"})",
                       "$.maxD: expected an integer from 0 to 4294967295"},
        BadProjectCase{"UnknownKey", R"({"subprograms": [{"name": "Main", "txt": ""}]})",
                       "$.subprograms[0].txt: unknown key"},
        BadProjectCase{
            "DuplicateName",
            R"({"subprograms": [{"name": "Main", "text": ""}, {"name": "MAIN", "text": ""}]})",
            "$.subprograms[1].name: a subprogram named \"MAIN\" is already in the "
            "project"}),
    [](const auto &testCase) { return std::string(testCase.param.name); });

TEST_F(PosHostWizardTest, ADirectoryIsNotAProject)
{
    for (const char *command : {"new", "list"}) {
        const Result r = Run({command, m_dir.string()});
        EXPECT_EQ(r.status, kExitFailed);
        EXPECT_EQ(r.err, m_dir.string() + ": the file cannot be opened: Is a directory\n");
    }
}

// ---------------------------------------------------------------- display

TEST_F(PosHostWizardTest, WithoutADisplayTheWizardCommandsRefuse)
{
    const std::string path = ProjectWithWorkedExample();
    const std::string before = Read(path);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"new"}, std::vector<std::string>{"new", path},
          std::vector<std::string>{"modify", "POS_EXE", path}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, kExitFailed);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, kNoDisplay);
    }
    EXPECT_EQ(Read(path), before);
    // list needs none.
    EXPECT_EQ(Run({"list", path}).status, kExitOk);
}

TEST_F(PosHostWizardTest, AnyOfTheDisplayVariablesLetsTheWizardOpen)
{
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        ::setenv(variable, "x", 1); // the test's own QApplication runs offscreen all the same
        Driver d;
        test::CancelWizard(d);
        EXPECT_EQ(Run({"new"}, d).status, kExitCancelled) << variable;
    }
}

// ---------------------------------------------------------------- plug-in

TEST_F(PosHostWizardTest, ALibraryThatIsNotTheWizardIsRefused)
{
    const std::string path = ProjectWithWorkedExample();
    const std::string before = Read(path);
    const std::string missing = Path("none/POS.so");
    const struct
    {
        std::string plugin;
        std::string message;
    } cases[] = {
        {missing, "pos-host: the wizard cannot be loaded from " + missing
                      + ": cannot open shared object file: No such file or directory\n"},
        {FAKE_GUIDE_PARTIAL,
         std::string("pos-host: ") + FAKE_GUIDE_PARTIAL + " does not export Instruction\n"},
        {FAKE_GUIDE_OTHER_ID, std::string("pos-host: ") + FAKE_GUIDE_OTHER_ID
                                  + " is not the POS instruction wizard: its guide ID is 7, "
                                    "not 4\n"},
    };
    for (const auto &c : cases) {
        for (const std::vector<std::string> &args :
             {std::vector<std::string>{"new", path, "--plugin", c.plugin},
              std::vector<std::string>{"modify", "--plugin", c.plugin, "POS_EXE", path}}) {
            const Result r = Run(args);
            EXPECT_EQ(r.status, kExitFailed) << c.plugin;
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, c.message);
        }
    }
    EXPECT_EQ(Read(path), before);
}

TEST_F(PosHostWizardTest, ABareFileNameIsAFileInTheWorkingDirectory)
{
    const fs::path fake(FAKE_GUIDE_OTHER_ID);
    const fs::path before = fs::current_path();
    fs::current_path(fake.parent_path());
    const Result r = Run({"new", "--plugin", fake.filename().string()});
    fs::current_path(before);
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_EQ(r.err, "pos-host: " + fake.filename().string()
                         + " is not the POS instruction wizard: its guide ID is 7, not 4\n");
}

// --------------------------------------------------- language, command line

TEST_F(PosHostWizardTest, LangSetsTheWizardsLocaleAndSpeaksIt)
{
    const std::string path = ExampleProject();
    Driver d;
    test::CancelWizard(d);
    const Result r = Run({"new", path, "--lang", "zh"}, d);
    EXPECT_EQ(r.status, kExitCancelled);
    EXPECT_EQ(r.err, "pos-host: 向导已取消，未保存任何内容\n");
    EXPECT_STREQ(std::getenv("LC_ALL"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANG"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANGUAGE"), "zh_CN");

    Driver e;
    test::CancelWizard(e);
    EXPECT_EQ(Run({"new", "--lang", "en"}, e).status, kExitCancelled);
    EXPECT_STREQ(std::getenv("LC_ALL"), "en_US.UTF-8");
    EXPECT_STREQ(std::getenv("LANG"), "en_US.UTF-8");
}

TEST_F(PosHostWizardTest, WithoutLangTheLocaleIsLeftAlone)
{
    ::setenv("LC_ALL", "C", 1);
    ::unsetenv("LANG");
    Driver d;
    test::CancelWizard(d);
    EXPECT_EQ(Run({"new"}, d).status, kExitCancelled);
    EXPECT_STREQ(std::getenv("LC_ALL"), "C");
    EXPECT_EQ(std::getenv("LANG"), nullptr);
}

TEST_F(PosHostWizardTest, WrongCommandLinesPrintTheUsage)
{
    const std::string path = ProjectWithWorkedExample();
    for (const std::vector<std::string> &args : {
             std::vector<std::string>{"new", path, path},
             std::vector<std::string>{"modify", path},
             std::vector<std::string>{"modify", "a", "b", "c"},
             std::vector<std::string>{"list"},
             std::vector<std::string>{"list", path, "--plugin", POS_PLUGIN_PATH},
             std::vector<std::string>{"new", "--plugin"},
             std::vector<std::string>{"new", "--plugin", "a", "--plugin", "b"},
             std::vector<std::string>{"generate", path, "--plugin", POS_PLUGIN_PATH},
         }) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, kExitUsage) << args[0] << " " << args.size();
        EXPECT_NE(r.err.find("pos-host new [PROJECT.json] [--lang en|zh] [--plugin PATH]\n"),
                  std::string::npos)
            << r.err;
    }
    const Result help = Run({"help"});
    EXPECT_NE(help.out.find("  pos-host modify NAME PROJECT.json [--lang en|zh] [--plugin PATH]\n"),
              std::string::npos);
    EXPECT_NE(help.out.find("  pos-host list PROJECT.json [--lang en|zh]\n"), std::string::npos);
}

} // namespace
} // namespace pos
