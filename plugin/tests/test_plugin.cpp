// The plug-in's entry points called as a host calls them, with the wizard
// driven through its real modal dialogs. What a completed Instruction hands
// back is seen through pos-host (host/tests).
#include "PosWizard.h"
#include "WizardDriver.h"

#include "codegen/GeneratePou.h"

#include <QLabel>
#include <QLibrary>
#include <QLocale>

#include <gtest/gtest.h>

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
        context.maxD = 9999;
        context.maxM = 9999;
    }

    QLibrary m_library{QStringLiteral(POS_PLUGIN_PATH)};
    decltype(&GetGuideID) guideId = nullptr;
    decltype(&Instruction) instruction = nullptr;
    decltype(&ModifyPOS) modify = nullptr;
    PosHostContext context;
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
    expected.maxM = 9999;
    expected.segments[1].endX = 600;
    Driver d;
    d.then(Click("nextButton"))
        .then(Fill("endXEdit=600"))
        .then(Click("endButton"))
        .then(OnFrame([](QWidget *w) {
            EXPECT_TRUE(Child<QLineEdit>(w, "nameEdit")->isReadOnly()) << "the name is kept";
        }));
    Complete(d);
    ASSERT_EQ(d.play([&] { return modify(&context, &record, &result); }), 1);
    EXPECT_EQ(record, expected);
    ASSERT_EQ(result.pouMap.count("POS_EXE"), 1u);
    EXPECT_EQ(JoinPou(*result.pouMap.at("POS_EXE")), JoinPou(GeneratePouLines(expected, Lang::En)));
}

// Cancelled, or given what it cannot work on, a call returns 0 and leaves
// the result alone.
TEST_F(PluginTest, CancelledOrWithNullArgumentsNothingIsHandedBack)
{
    const auto earlier = std::make_shared<PouList>();
    result.pouMap["POS_EXE"] = earlier;
    PosConfig record = NewPageDefaults();
    const struct
    {
        const char *name;
        std::function<std::int32_t()> call;
        bool opensTheWizard;
    } cases[] = {
        {"cancelled", [&] { return instruction(&context, nullptr, &result); }, true},
        {"no record", [&] { return modify(&context, nullptr, &result); }, false},
        {"no context", [&] { return instruction(nullptr, nullptr, &result); }, true},
        {"no context to modify in", [&] { return modify(nullptr, &record, &result); }, true},
        {"no result", [&] { return instruction(&context, nullptr, nullptr); }, true},
    };
    for (const auto &c : cases) {
        Driver d;
        if (c.opensTheWizard)
            Cancel(d);
        EXPECT_EQ(d.play(c.call), 0) << c.name;
        EXPECT_EQ(result.pouMap,
                  (std::map<std::string, std::shared_ptr<PouList>>{{"POS_EXE", earlier}}));
    }
}

// In a Chinese locale the plug-in loads its own catalogue for the forms: the
// test installs no translator.
TEST_F(PluginTest, PluginLoadsItsOwnChineseCatalogue)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QString label;
    Driver d;
    d.then(OnFrame([&label](QWidget *w) { label = Child<QLabel>(w, "startLabel")->text(); }));
    Cancel(d);
    const std::int32_t status = d.play([&] { return instruction(&context, nullptr, &result); });
    QLocale::setDefault(before);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(label.toStdString(), "起始元件(D)");
}

} // namespace
} // namespace pos::test
