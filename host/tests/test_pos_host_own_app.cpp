// pos-host's wizard commands as the program itself runs them: no
// QApplication in the process, so the plug-in makes one for each call, after
// --lang has set the locale that its QLocale reads. The driver starts when
// that QApplication is made and stops before it goes.
//
// The language the wizard picks is fixed for the process once Qt has read
// the locale, so every test here speaks Chinese.

#include "PosHost.h"
#include "WizardDriver.h"

#include "guide/ProjectJson.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace pos {
namespace {

namespace fs = std::filesystem;
using test::Child;
using test::Click;
using test::Driver;

std::string Read(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The driver of the call in progress, started by the plug-in's QApplication.
Driver *g_driver = nullptr;

void StopDriver()
{
    if (g_driver)
        g_driver->stop();
}

void StartDriver()
{
    if (!g_driver)
        return;
    g_driver->start();
    qAddPostRoutine(StopDriver); // run once, when this QApplication goes
}

struct Result
{
    int status = -1;
    std::string out;
    std::string err;
    int applications = 0; // QApplications made during the command
};

int g_applications = 0;

void CountApplication()
{
    ++g_applications;
    StartDriver();
}

Result RunWithOwnApplication(const std::vector<std::string> &args, Driver &driver)
{
    static const bool registered = [] {
        qAddPreRoutine(CountApplication);
        return true;
    }();
    EXPECT_TRUE(registered);
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    g_driver = &driver;
    const int before = g_applications;
    std::ostringstream out;
    std::ostringstream err;
    Result r;
    r.status = RunPosHost(args, out, err);
    g_driver = nullptr;
    r.applications = g_applications - before;
    r.out = out.str();
    r.err = err.str();
    EXPECT_EQ(QCoreApplication::instance(), nullptr) << "the plug-in's QApplication is gone";
    EXPECT_TRUE(driver.finished());
    EXPECT_FALSE(driver.timedOut());
    return r;
}

TEST(PosHostOwnApplication, NewAndModifyInChinese)
{
    const fs::path dir
        = fs::temp_directory_path() / ("pos_host_own_app_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "project.json").string();
    std::ofstream(path) << Read(std::string(POS_TEST_DATA_DIR) + "/../examples/project.json");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("LC_ALL", "C", 1);

    const std::string chinese = Read(std::string(POS_TEST_DATA_DIR) + "/pou/worked_example_zh.il");
    Driver d;
    test::EnterWorkedExample(d);
    test::CompleteWithOfferedName(d);
    const Result r = RunWithOwnApplication({"new", path, "--lang", "zh"}, d);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.applications, 1);
    EXPECT_EQ(r.out, chinese);
    EXPECT_EQ(r.err, path + "：已保存子程序“POS_EXE”\n");

    // A second call makes a new QApplication; the stored Chinese text is
    // read back and modified.
    Driver m;
    m.then(Click("nextButton"))
        .then([](QWidget *w) {
            test::ExpectText(w, "accDecTimeEdit", QStringLiteral("100"));
            if (auto *edit = Child<QLineEdit>(w, "accDecTimeEdit"))
                edit->setText(QStringLiteral("150"));
        })
        .then(Click("nextButton"))
        .then(Click("endButton"));
    test::CompleteWithOfferedName(m);
    const Result modified = RunWithOwnApplication({"modify", "POS_EXE", path, "--lang", "zh"}, m);
    EXPECT_EQ(modified.status, kExitOk) << modified.err;
    EXPECT_EQ(modified.applications, 1);
    std::string expected = chinese;
    const std::string before = "MOV 100    D2009\n";
    ASSERT_NE(expected.find(before), std::string::npos);
    expected.replace(expected.find(before), before.size(), "MOV 150    D2009\n");
    EXPECT_EQ(modified.out, expected);

    const auto project = ReadProjectJson(Read(path));
    ASSERT_TRUE(project);
    EXPECT_EQ(project->names(), (std::vector<std::string>{"Main", "POS_EXE"}));
    EXPECT_EQ(project->find("POS_EXE")->text, expected);
    fs::remove_all(dir);
}

} // namespace
} // namespace pos
