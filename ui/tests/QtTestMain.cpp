// Test main of the widget tests: a QApplication on the offscreen platform
// unless another one is asked for, in English unless a test switches.
#include "res/StringTable.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    pos::SetLanguage(pos::Lang::En);
    return RUN_ALL_TESTS();
}
