// pos-host's wizard commands as the program itself runs them: no
// QApplication in the process, so the plug-in makes one for each call, after
// --lang has set the locale that its QLocale reads. The driver starts when
// that QApplication is made and stops before it goes.
//
// The language the wizard picks is fixed for the process once Qt has read
// the locale, so every call here speaks Chinese.

#include "PosHostTest.h"
#include "WizardDriver.h"

#include <QCoreApplication>

namespace pos::test {
namespace {

Driver *g_driver = nullptr; // of the call in progress
int g_applications = 0;     // QApplications made so far

void StopDriver()
{
    g_driver->stop();
}

void ApplicationMade()
{
    ++g_applications;
    g_driver->start();
    qAddPostRoutine(StopDriver); // run once, when this QApplication goes
}

// Runs a command while the driver plays its script, all of which is played,
// in the one QApplication the command makes.
Result RunWithOwnApplication(const std::vector<std::string> &args, Driver &driver)
{
    [[maybe_unused]] static const bool registered = (qAddPreRoutine(ApplicationMade), true);
    g_driver = &driver;
    const int before = g_applications;
    const Result r = RunCommand(args);
    g_driver = nullptr;
    EXPECT_EQ(g_applications - before, 1);
    EXPECT_EQ(QCoreApplication::instance(), nullptr) << "the plug-in's QApplication is gone";
    EXPECT_TRUE(driver.finished());
    return r;
}

TEST_F(PosHostTest, EachWizardCallRunsInAQApplicationOfItsOwn)
{
    Driver d;
    EnterWorkedExample(d);
    Complete(d);
    const Result created = RunWithOwnApplication({"new", "--lang", "zh"}, d);
    EXPECT_EQ(created.status, kExitOk) << created.err;
    EXPECT_EQ(created.out, Read(POS_TEST_DATA_DIR "/pou/worked_example_zh.il"));
    EXPECT_EQ(created.err, "");
    EXPECT_STREQ(std::getenv("LC_ALL"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANG"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANGUAGE"), "zh_CN");

    Driver again;
    Cancel(again);
    const Result cancelled = RunWithOwnApplication({"new", "--lang", "zh"}, again);
    EXPECT_EQ(cancelled.status, kExitCancelled);
    EXPECT_EQ(cancelled.err, "pos-host: 向导已取消，未保存任何内容\n");
}

} // namespace
} // namespace pos::test
