// The plug-in's entry points called as a host calls them, with the wizard
// driven through its real modal dialogs. What a completed call hands back
// is seen through pos-host (host/tests).
#include "PosWizard.h"
#include "WizardDriver.h"

#include <QLabel>
#include <QLibrary>
#include <QLocale>

#include <gtest/gtest.h>

#include <tuple>

namespace pos::test {
namespace {

class PluginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.load()) << m_library.errorString().toStdString();
        guideId = reinterpret_cast<decltype(guideId)>(m_library.resolve("GetGuideID"));
        instruction = reinterpret_cast<decltype(instruction)>(m_library.resolve("Instruction"));
        modify = reinterpret_cast<decltype(modify)>(m_library.resolve("ModifyPOS"));
        ASSERT_TRUE(guideId && instruction && modify);
    }

    QLibrary m_library{QStringLiteral(POS_PLUGIN_PATH)};
    decltype(&GetGuideID) guideId = nullptr;
    decltype(&Instruction) instruction = nullptr;
    decltype(&ModifyPOS) modify = nullptr;
    PosHostContext context{.subprogramNames = {}, .maxD = 9999, .maxM = 9999};
    PosHostResult result;
};

TEST_F(PluginTest, GuideIdIsFour)
{
    EXPECT_EQ(guideId(), 4);
}

TEST_F(PluginTest, ModifyEditsTheHostsRecordInTheContextsRanges)
{
    context.maxD = 5000;
    PosConfig record = NewPageDefaults();
    record.maxD = 1; // the context's range wins
    record.segments[1] = PosSegment{1, kTypeLine, 0, 100, 1000, 10, 0, 0, 500, 0, 0, 0};
    PosConfig expected = record;
    expected.maxD = 5000;
    expected.segments[1].endX = 600;
    const Step nameKept = OnFrame([](QWidget *w) {
        EXPECT_TRUE(Child<QLineEdit>(w, "nameEdit")->isReadOnly()) << "the name is kept";
    });
    Driver d(Script{Do("nextButton"), Do("endXEdit=600 endButton"), nameKept} + kComplete);
    EXPECT_EQ(d.play([&] { return modify(&context, &record, &result); }), 1);
    EXPECT_EQ(record, expected);
}

// Cancelled, or given what it cannot work on, a call returns 0 and leaves
// the result alone.
TEST_F(PluginTest, CancelledOrWithNullArgumentsNothingIsHandedBack)
{
    result.pouMap["POS_EXE"] = std::make_shared<PouList>();
    const auto before = result.pouMap;
    PosConfig record = NewPageDefaults();
    const std::tuple<const char *, std::function<std::int32_t()>, Script> cases[] = {
        {"cancelled", [&] { return instruction(&context, nullptr, &result); }, kCancel},
        {"no record", [&] { return modify(&context, nullptr, &result); }, {}},
        {"no context", [&] { return instruction(nullptr, nullptr, &result); }, kCancel},
        {"no context to modify in", [&] { return modify(nullptr, &record, &result); }, kCancel},
        {"no result", [&] { return instruction(&context, nullptr, nullptr); }, kCancel},
    };
    for (const auto &[name, call, script] : cases) {
        EXPECT_EQ(Driver(script).play(call), 0) << name;
        EXPECT_EQ(result.pouMap, before) << name;
    }
}

// In a Chinese locale the plug-in loads its own catalogue for the forms: the
// test installs no translator.
TEST_F(PluginTest, PluginLoadsItsOwnChineseCatalogue)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QString label;
    const Step read
        = OnFrame([&label](QWidget *w) { label = Child<QLabel>(w, "startLabel")->text(); });
    const std::int32_t status = Driver(Script{read} + kCancel).play([&] {
        return instruction(&context, nullptr, &result);
    });
    QLocale::setDefault(before);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(label.toStdString(), "起始元件(D)");
}

} // namespace
} // namespace pos::test
