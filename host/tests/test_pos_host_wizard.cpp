// pos-host's wizard commands in-process, with the real plug-in driven
// through its modal dialogs inside the test's QApplication: what new and
// modify do with the project file, their refusals and the display.

#include "PosHostTest.h"
#include "WizardDriver.h"

#include "guide/FileLock.h"
#include "guide/ProjectJson.h"

namespace pos::test {
namespace {

const char kCancelled[] = "pos-host: the wizard was cancelled; nothing was stored\n";
const std::string kWorkedExample = Read(POS_TEST_DATA_DIR "/pou/worked_example_en.il");

// The project every case starts from: the worked example as POS_EXE between
// two other subprograms, D elements 1000 to 7999.
const Project kStart{
    .minD = 1000,
    .maxD = 7999,
    .subprograms
    = {{"Main", "LD SM0\nCALL POS_EXE\n"}, {"POS_EXE", kWorkedExample}, {"Other", "LD SM0\n"}}};

// The worked example completed under the name POS_NEW: the name offered,
// POS_EXE, is the project's already (the wizard knows its names).
Script AsPosNew()
{
    return kEnterWorkedExample
           + Script{Do("nextButton"), Answer(QMessageBox::Ok, "\"POS_EXE\" exists"),
                    Do("nameEdit=POS_NEW")}
           + kComplete;
}

struct Case
{
    std::vector<std::string> args;
    Result result;
    Script script = {};                             // none: the wizard must not open
    std::string project = WriteProjectJson(kStart); // the file afterwards
    const char *display = "QT_QPA_PLATFORM";        // the one display variable set
};

// Runs each case on a fresh start project. No case gives --lang: the locale
// stays as it is.
void Check(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        Write("project.json", WriteProjectJson(kStart));
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
        if (c.display) // the test's QApplication stays offscreen all the same
            ::setenv(c.display, "offscreen", 1);
        const Result r = Driver(c.script).play([&] { return RunCommand(c.args); });
        EXPECT_EQ(std::make_tuple(r, Read("project.json")), std::make_tuple(c.result, c.project))
            << ::testing::PrintToString(c.args);
        EXPECT_STREQ(std::getenv("LC_ALL"), "C") << "the locale is left as it is";
    }
}

TEST_F(PosHostTest, CompletingStoresTheSubprogramAndCancellingDoesNot)
{
    const Script asPosNew = AsPosNew();
    Project added = kStart;
    added.subprograms.push_back({"POS_NEW", kWorkedExample});
    // The line's maximum speed: 90000 Hz = 1 x 65536 + 24464.
    const Script speedUp = {Do("nextButton"), Do("maxSpeedEdit=90000 nextButton"), Do("endButton")};
    std::string modified = kWorkedExample;
    modified.replace(modified.find("MOV 34464    D2007"), 18, "MOV 24464    D2007");
    Project replaced = kStart;
    replaced.subprograms[1].text = modified;
    // The wizard works in the project's ranges.
    const Script outOfRange
        = {Do("startDEdit=999 nextButton"), Answer(QMessageBox::Ok, "from [1000] to [7999]")};
    const std::string edited = R"({"subprograms": [{"name": "Edited", "text": ""}]})";
    const Step edit = OnFrame([&](QWidget *) { Write("project.json", edited); });
    const std::string unchanged = WriteProjectJson(kStart);
    std::filesystem::create_symlink("project.json", "link.json");
    Check({
        {{"new", "project.json"},
         {0, kWorkedExample, "project.json: subprogram \"POS_NEW\" stored\n"},
         asPosNew,
         WriteProjectJson(added)},
        // Through a link: the project at its end is written; the link stays.
        {{"new", "link.json"},
         {0, kWorkedExample, "link.json: subprogram \"POS_NEW\" stored\n"},
         asPosNew,
         WriteProjectJson(added)},
        // Found ignoring case; kept under the project's spelling, in place.
        {{"modify", "pos_exe", "project.json"},
         {0, modified, "project.json: subprogram \"POS_EXE\" stored\n"},
         speedUp + kComplete,
         WriteProjectJson(replaced)},
        {{"new", "project.json"}, {3, "", kCancelled}, outOfRange + kCancel},
        // Saved by someone else meanwhile: left as it is, the text printed all the same.
        {{"new", "project.json"},
         {1, kWorkedExample,
          "project.json changed while the wizard was open\nproject.json was not written; the "
          "subprogram is printed on standard output\n"},
         Script{edit} + asPosNew,
         edited},
        // Any display variable lets the wizard open.
        {{"new"}, {3, "", kCancelled}, kCancel, unchanged, "DISPLAY"},
        {{"new"}, {3, "", kCancelled}, kCancel, unchanged, "WAYLAND_DISPLAY"},
    });
    EXPECT_TRUE(std::filesystem::is_symlink("link.json"));
}

TEST_F(PosHostTest, AProjectAnotherRunIsWritingIsLeftAndTheTextPrinted)
{
    // Another run holds the project's lock for longer than this one waits.
    const pos::Result<FileLock> held = FileLock::Acquire("project.json.lock", 0);
    ASSERT_TRUE(held);
    Check({{{"new", "project.json"},
            {1, kWorkedExample,
             "project.json is being written by another run; gave up after 2 seconds\n"
             "project.json was not written; the subprogram is printed on standard output\n"},
            AsPosNew()}});
}

TEST_F(PosHostTest, RefusalsOpenNoWizardAndLeaveTheProject)
{
    Write("bad.json", R"({"subprograms": [{"name": "Main", "txt": ""}]})");
    std::filesystem::copy_file(FAKE_GUIDE_OTHER_ID, "other.so");
    Check({
        {{"modify", "POS_EX", "project.json"},
         {1, "", "project.json: no subprogram named \"POS_EX\"\n"}},
        {{"modify", "Main", "project.json"},
         {1, "",
          "project.json: the subprogram \"Main\" cannot be modified: line 1: this is not the "
          "header of a subprogram generated by the POS instruction wizard\n"}},
        {{"new", "bad.json"}, {1, "", "bad.json: $.subprograms[0].txt: unknown key\n"}},
        {{"new", "--plugin", "none.so"},
         {1, "",
          "pos-host: the wizard cannot be loaded from none.so: cannot open shared object file: No "
          "such file or directory\n"}},
        {{"new", "project.json", "--plugin", FAKE_GUIDE_PARTIAL},
         {1, "",
          std::string("pos-host: ") + FAKE_GUIDE_PARTIAL + " does not export Instruction\n"}},
        // A bare file name is a file in the working directory.
        {{"modify", "POS_EXE", "project.json", "--plugin", "other.so"},
         {1, "",
          "pos-host: other.so is not the POS instruction wizard: its guide ID is 7, not 4\n"}},
    });
}

} // namespace
} // namespace pos::test
