// pos-host's wizard commands in-process, with the real plug-in driven
// through its modal dialogs inside the test's QApplication: what new and
// modify do with the project file, their refusals and the display.

#include "PosHostTest.h"
#include "WizardDriver.h"

#include "guide/ProjectJson.h"
#include "res/StringTable.h"

namespace pos::test {
namespace {

const char kCancelled[] = "pos-host: the wizard was cancelled; nothing was stored\n";
const std::string kWorkedExample = Read(POS_TEST_DATA_DIR "/pou/worked_example_en.il");

// The project every case starts from: the worked example as POS_EXE between
// two other subprograms, D elements 1000 to 7999.
Project StartProject()
{
    Project project;
    project.minD = 1000;
    project.maxD = 7999;
    project.subprograms
        = {{"Main", "LD SM0\nCALL POS_EXE\n"}, {"POS_EXE", kWorkedExample}, {"Other", "LD SM0\n"}};
    return project;
}

struct Case
{
    std::vector<std::string> args;
    std::function<void(Driver &)> script; // none: the wizard must not open
    int status;
    std::string out;
    std::string err;
    std::string project = WriteProjectJson(StartProject()); // the file afterwards
    const char *display = "QT_QPA_PLATFORM";                // the one display variable set
};

Case Refused(std::vector<std::string> args, std::string err, int status = kExitFailed)
{
    return {std::move(args), {}, status, "", std::move(err)};
}

// Runs each case on a fresh start project. No case gives --lang: the locale
// stays as it is.
void Check(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        Write("project.json", WriteProjectJson(StartProject()));
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
        if (c.display) // the test's QApplication stays offscreen all the same
            ::setenv(c.display, "offscreen", 1);
        Driver d;
        if (c.script)
            c.script(d);
        const Result r = d.play([&] { return RunCommand(c.args); });
        const std::string line = ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, c.status) << line;
        EXPECT_EQ(r.out, c.out) << line;
        EXPECT_EQ(r.err, c.err) << line;
        EXPECT_EQ(Read("project.json"), c.project) << line;
        EXPECT_STREQ(std::getenv("LC_ALL"), "C") << "the locale is left as it is";
    }
}

TEST_F(PosHostTest, CompletingStoresTheSubprogramAndCancellingDoesNot)
{
    // The name offered, POS_EXE, is the project's already: the wizard knows its names.
    const auto enterAsPosNew = [](Driver &d) {
        EnterWorkedExample(d);
        d.then(Click("nextButton"))
            .then(Answer(QMessageBox::Ok, "Subprogram \"POS_EXE\" exists in the current project. "
                                          "Please input again."))
            .then(Fill("nameEdit=POS_NEW"));
        Complete(d);
    };
    Project added = StartProject();
    added.subprograms.push_back({"POS_NEW", kWorkedExample});
    // The line's maximum speed: 90000 Hz = 1 x 65536 + 24464.
    std::string modified = kWorkedExample;
    modified.replace(modified.find("MOV 34464    D2007"), 18, "MOV 24464    D2007");
    Project replaced = StartProject();
    replaced.subprograms[1].text = modified;
    const std::string edited = R"({"subprograms": [{"name": "Edited", "text": ""}]})";
    const std::string unchanged = WriteProjectJson(StartProject());
    Check({
        {{"new", "project.json"},
         enterAsPosNew,
         kExitOk,
         kWorkedExample,
         "project.json: subprogram \"POS_NEW\" stored\n",
         WriteProjectJson(added)},
        // Found ignoring case; kept under the project's spelling, in place.
        {{"modify", "pos_exe", "project.json"},
         [](Driver &d) {
             d.then(Click("nextButton"))
                 .then(Fill("maxSpeedEdit=90000"))
                 .then(Click("nextButton"))
                 .then(Click("endButton"));
             Complete(d);
         },
         kExitOk,
         modified,
         "project.json: subprogram \"POS_EXE\" stored\n",
         WriteProjectJson(replaced)},
        // The wizard works in the project's ranges.
        {{"new", "project.json"},
         [](Driver &d) {
             d.then(Fill("startDEdit=999"))
                 .then(Click("nextButton"))
                 .then(Answer(QMessageBox::Ok,
                              "The start element address of D must range from [1000] to [7999]"));
             Cancel(d);
         },
         kExitCancelled,
         "",
         kCancelled},
        // Saved by someone else meanwhile: left as it is, the text printed all the same.
        {{"new", "project.json"},
         [&](Driver &d) {
             d.then(OnFrame([&](QWidget *) { Write("project.json", edited); }));
             enterAsPosNew(d);
         },
         kExitFailed,
         kWorkedExample,
         "project.json changed while the wizard was open\nproject.json was not written; the "
         "subprogram is printed on standard output\n",
         edited},
        // Any display variable lets the wizard open.
        {{"new"}, Cancel, kExitCancelled, "", kCancelled, unchanged, "DISPLAY"},
        {{"new"}, Cancel, kExitCancelled, "", kCancelled, unchanged, "WAYLAND_DISPLAY"},
    });
}

TEST_F(PosHostTest, RefusalsOpenNoWizardAndLeaveTheProject)
{
    Write("bad.json", R"({"subprograms": [{"name": "Main", "txt": ""}]})");
    std::filesystem::copy_file(FAKE_GUIDE_OTHER_ID, "other.so");
    const std::string usage(Text(sid::CliUsage, Lang::En));
    Case noDisplay = Refused({"new", "project.json"},
                             "pos-host: there is no display for the wizard: set DISPLAY or "
                             "WAYLAND_DISPLAY (run it in a desktop session or under xvfb-run)\n");
    noDisplay.display = nullptr;
    Check({
        Refused({"modify", "POS_EX", "project.json"},
                "project.json: no subprogram named \"POS_EX\"\n"),
        Refused({"modify", "Main", "project.json"},
                "project.json: the subprogram \"Main\" cannot be modified: line 1: this is not "
                "the header of a subprogram generated by the POS instruction wizard\n"),
        Refused({"new", "bad.json"}, "bad.json: $.subprograms[0].txt: unknown key\n"),
        Refused({"modify", "Main", "bad.json"}, "bad.json: $.subprograms[0].txt: unknown key\n"),
        Refused({"new", "--plugin", "none.so"},
                "pos-host: the wizard cannot be loaded from none.so: cannot open shared object "
                "file: No such file or directory\n"),
        Refused({"new", "project.json", "--plugin", FAKE_GUIDE_PARTIAL},
                std::string("pos-host: ") + FAKE_GUIDE_PARTIAL + " does not export Instruction\n"),
        // A bare file name is a file in the working directory.
        Refused({"modify", "POS_EXE", "project.json", "--plugin", "other.so"},
                "pos-host: other.so is not the POS instruction wizard: its guide ID is 7, not 4\n"),
        noDisplay,
        Refused({"new", "a.json", "b.json"}, usage, kExitUsage),
        Refused({"modify", "a.json"}, usage, kExitUsage),
        Refused({"new", "--plugin"},
                "pos-host: unknown or incomplete option \"--plugin\"\n" + usage, kExitUsage),
    });
}

} // namespace
} // namespace pos::test
