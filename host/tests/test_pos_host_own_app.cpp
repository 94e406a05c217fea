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

void ApplicationMade()
{
    g_driver->start();
    qAddPostRoutine([] { g_driver->stop(); }); // run once, when this QApplication goes
}
Q_COREAPP_STARTUP_FUNCTION(ApplicationMade)

// Runs a command while the driver plays the whole script in the QApplication
// the command makes, which is gone when the command returns.
Result RunWithOwnApplication(const std::vector<std::string> &args, const Script &script)
{
    Driver driver(script);
    g_driver = &driver;
    const Result r = RunCommand(args);
    g_driver = nullptr;
    EXPECT_EQ(QCoreApplication::instance(), nullptr) << "the plug-in's QApplication is gone";
    EXPECT_TRUE(driver.finished());
    return r;
}

TEST_F(PosHostTest, EachWizardCallRunsInAQApplicationOfItsOwn)
{
    const std::string zh = Read(POS_TEST_DATA_DIR "/pou/worked_example_zh.il");
    EXPECT_EQ(RunWithOwnApplication({"new", "--lang", "zh"}, kEnterWorkedExample + kComplete),
              (Result{0, zh, ""}));
    EXPECT_STREQ(std::getenv("LC_ALL"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANG"), "zh_CN.UTF-8");
    EXPECT_STREQ(std::getenv("LANGUAGE"), "zh_CN");
    EXPECT_EQ(RunWithOwnApplication({"new", "--lang", "zh"}, kCancel),
              (Result{3, "", "pos-host: 向导已取消，未保存任何内容\n"}));
}

} // namespace
} // namespace pos::test
