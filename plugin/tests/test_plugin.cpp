// End to end through the plug-in's exported functions: the wizard is driven
// as a user would, through its real modal dialogs.
#include "PosWizard.h"

#include "codegen/GeneratePou.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLibrary>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

using namespace pos;

namespace {

using GetGuideIdFn = std::int32_t (*)();
using InstructionFn = std::int32_t (*)(PosHostContext *, void *, PosHostResult *);
using ModifyFn = std::int32_t (*)(PosHostContext *, PosConfig *, PosHostResult *);

struct Plugin
{
    Plugin()
        : library(QStringLiteral(POS_PLUGIN_PATH))
    {
        EXPECT_TRUE(library.load()) << library.errorString().toStdString();
        guideId = reinterpret_cast<GetGuideIdFn>(library.resolve("GetGuideID"));
        instruction = reinterpret_cast<InstructionFn>(library.resolve("Instruction"));
        modify = reinterpret_cast<ModifyFn>(library.resolve("ModifyPOS"));
    }
    QLibrary library;
    GetGuideIdFn guideId = nullptr;
    InstructionFn instruction = nullptr;
    ModifyFn modify = nullptr;
};

std::string ReadFile(const std::string &relative)
{
    std::ifstream in(std::string(POS_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Plays a script of steps on whatever modal dialog is up, one step per tick.
class Driver
{
public:
    using Step = std::function<void(QWidget *)>;

    Driver &then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // Starts playing; the steps run while the plug-in's modal loop runs.
    void start()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    bool finished() const { return m_steps.empty(); }

private:
    // A step that opens a message box blocks in the box's own loop; the timer
    // does not fire again while its own slot runs, so each step runs from a
    // posted call of its own and the timer keeps ticking meanwhile.
    void tick()
    {
        if (m_dispatched || m_steps.empty() || !QApplication::activeModalWidget())
            return;
        m_dispatched = true;
        QTimer::singleShot(0, [this] {
            m_dispatched = false;
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || m_steps.empty())
                return;
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(modal);
        });
    }

    std::deque<Step> m_steps;
    QTimer m_timer;
    bool m_dispatched = false;
};

template<typename T>
T *Child(QWidget *w, const char *name)
{
    T *child = w->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

Driver::Step Click(const char *button)
{
    return
        [button](QWidget *w) { QTest::mouseClick(Child<QPushButton>(w, button), Qt::LeftButton); };
}

Driver::Step Fill(std::vector<std::pair<const char *, QString>> edits,
                  std::vector<std::pair<const char *, int>> combos = {})
{
    return [edits, combos](QWidget *w) {
        for (const auto &[name, index] : combos)
            Child<QComboBox>(w, name)->setCurrentIndex(index);
        for (const auto &[name, text] : edits)
            Child<QLineEdit>(w, name)->setText(text);
    };
}

// Answers a message box with the button of the given role.
Driver::Step Answer(QMessageBox::StandardButton button)
{
    return [button](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr) << "expected a message box";
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    };
}

// The two-segment example entered step by step.
void EnterWorkedExample(Driver &d)
{
    d.then(Fill({{"startDEdit", QStringLiteral("2000")}}, {{"actionCombo", 1}, {"pulseCombo", 0}}))
        .then(Click("nextButton"))
        .then(Fill({{"initialSpeedEdit", QStringLiteral("100")},
                    {"maxSpeedEdit", QStringLiteral("100000")},
                    {"accDecTimeEdit", QStringLiteral("100")},
                    {"endXEdit", QStringLiteral("20000")},
                    {"endYEdit", QStringLiteral("0")}},
                   {{"typeCombo", 0}}))
        .then(Click("nextButton"))
        .then(Fill({{"initialSpeedEdit", QStringLiteral("100")},
                    {"maxSpeedEdit", QStringLiteral("70000")},
                    {"accDecTimeEdit", QStringLiteral("200")},
                    {"endXEdit", QStringLiteral("30000")},
                    {"endYEdit", QStringLiteral("10000")},
                    {"circleXEdit", QStringLiteral("20000")},
                    {"circleYEdit", QStringLiteral("10000")}},
                   {{"typeCombo", 1}, {"centreModeCombo", 0}}))
        .then(Click("endButton"))
        .then(Click("nextButton"))  // name page: POS_EXE
        .then(Click("nextButton")); // summary: Complete
}

PosHostContext Context()
{
    PosHostContext c;
    c.subprogramNames = {"Main"};
    c.minD = 0;
    c.maxD = 9999;
    c.minM = 0;
    c.maxM = 9999;
    return c;
}

} // namespace

TEST(Plugin, ExportsTheThreeEntryPointsAndGuideIdFour)
{
    Plugin p;
    ASSERT_NE(p.guideId, nullptr);
    ASSERT_NE(p.instruction, nullptr);
    ASSERT_NE(p.modify, nullptr);
    EXPECT_EQ(p.guideId(), 4);
}

TEST(Plugin, CompletingTheWorkedExampleGivesItsSubprogram)
{
    Plugin p;
    PosHostContext context = Context();
    PosHostResult result;
    Driver d;
    EnterWorkedExample(d);
    d.start();
    int unused = 0;
    ASSERT_EQ(p.instruction(&context, &unused, &result), 1);
    EXPECT_TRUE(d.finished());
    ASSERT_EQ(result.pouMap.count("POS_EXE"), 1u);
    EXPECT_EQ(JoinPou(*result.pouMap.at("POS_EXE")), ReadFile("pou/worked_example_en.il"));
}

TEST(Plugin, ChineseLocaleGivesTheChineseSubprogram)
{
    Plugin p;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    PosHostContext context = Context();
    PosHostResult result;
    Driver d;
    EnterWorkedExample(d);
    d.start();
    const int completed = p.instruction(&context, nullptr, &result);
    QLocale::setDefault(QLocale::c());
    ASSERT_EQ(completed, 1);
    EXPECT_EQ(JoinPou(*result.pouMap.at("POS_EXE")), ReadFile("pou/worked_example_zh.il"));
}

TEST(Plugin, CancelLeavesTheResultUnchanged)
{
    Plugin p;
    PosHostContext context = Context();
    PosHostResult result;
    auto earlier = std::make_shared<PouList>();
    result.pouMap["Main"] = earlier;
    Driver d;
    d.then(Click("nextButton"))
        .then(Click("cancelButton"))
        .then(Answer(QMessageBox::No))
        .then(Click("cancelButton"))
        .then(Answer(QMessageBox::Yes));
    d.start();
    EXPECT_EQ(p.instruction(&context, nullptr, &result), 0);
    EXPECT_TRUE(d.finished());
    ASSERT_EQ(result.pouMap.size(), 1u);
    EXPECT_EQ(result.pouMap.at("Main"), earlier);
}

TEST(Plugin, ModifyEditsTheHostRecordAndReplacesTheList)
{
    Plugin p;
    PosHostContext context = Context();
    context.maxD = 5000;
    PosConfig record;
    record.startD = 2000;
    record.actionMode = 1;
    record.maxD = 1; // the context's ranges win
    record.subprogramName = "POS_EXE";
    PosSegment line;
    line.type = kTypeLine;
    line.initialSpeed = 100;
    line.maxSpeed = 1000;
    line.accDecTime = 10;
    line.endX = 500;
    record.segments[1] = line;

    PosHostResult result;
    auto earlier = std::make_shared<PouList>(1, PouLine{7, 8, "old"});
    result.pouMap["POS_EXE"] = earlier;

    Driver d;
    d.then(Click("nextButton"))
        .then([](QWidget *w) {
            EXPECT_EQ(Child<QLineEdit>(w, "endXEdit")->text(), QStringLiteral("500"));
            Child<QLineEdit>(w, "endXEdit")->setText(QStringLiteral("600"));
        })
        .then(Click("endButton"))
        .then([](QWidget *w) {
            EXPECT_TRUE(Child<QLineEdit>(w, "nameEdit")->isReadOnly());
            QTest::mouseClick(Child<QPushButton>(w, "nextButton"), Qt::LeftButton);
        })
        .then(Click("nextButton"));
    d.start();
    ASSERT_EQ(p.modify(&context, &record, &result), 1);
    EXPECT_EQ(record.maxD, 5000u);
    EXPECT_EQ(record.segments.at(1).endX, 600);
    EXPECT_NE(result.pouMap.at("POS_EXE"), earlier);
    EXPECT_EQ(earlier->front().text, "old") << "the host's earlier list is left alone";
    const std::string text = JoinPou(*result.pouMap.at("POS_EXE"));
    EXPECT_NE(text.find("MOV 600    D2011"), std::string::npos);
}
