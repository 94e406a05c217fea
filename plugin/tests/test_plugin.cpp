// End to end through the plug-in's exported functions: the wizard is driven
// as a user would, through its real modal dialogs.
#include "PosWizard.h"
#include "WizardDriver.h"

#include "codegen/GeneratePou.h"

#include "codegen/PouReader.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLibrary>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

using namespace pos;
using namespace pos::test;

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
    CompleteWithOfferedName(d);
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
    CompleteWithOfferedName(d);
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

namespace {

// Page 0 with the table chosen; absolute, PLS+SIGN, D2000.
void ChooseTable(Driver &d)
{
    d.then(Fill({{"startDEdit", QStringLiteral("2000")}}, {{"actionCombo", 1}, {"pulseCombo", 0}}))
        .then([](QWidget *w) { Child<QRadioButton>(w, "tableRadio")->setChecked(true); })
        .then(Click("nextButton"));
}

// Pastes TAB-separated rows into the table from its first data row on.
Driver::Step PasteRows(QString rows)
{
    return [rows](QWidget *w) {
        auto *grid = Child<QTableView>(w, "grid");
        QGuiApplication::clipboard()->setText(rows);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    };
}

} // namespace

TEST(Plugin, TheWorkedExampleInTheTableGivesTheSameTextAsStepByStep)
{
    Plugin p;
    PosHostContext context = Context();
    PosHostResult result;
    Driver d;
    ChooseTable(d);
    d.then(PasteRows(QStringLiteral("1\tStraight line\t\t100\t100\t100000\t20000\t0\t\t\n"
                                    "2\tClockwise arc\tDesignate center point\t200\t100\t70000\t"
                                    "30000\t10000\t20000\t10000\n")))
        .then(Click("nextButton"))  // the table is checked and committed
        .then(Click("nextButton"))  // name page: POS_EXE
        .then(Click("nextButton")); // summary: Complete
    d.start();
    ASSERT_EQ(p.instruction(&context, nullptr, &result), 1);
    EXPECT_TRUE(d.finished());
    EXPECT_EQ(JoinPou(*result.pouMap.at("POS_EXE")), ReadFile("pou/worked_example_en.il"));
}

TEST(Plugin, AnImportedDrawingCompletedDecodesToTheDrawing)
{
    // A line, a counter-clockwise half circle about (100, 50) and a line back.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("outline.dxf"));
    {
        std::ofstream out(path.toStdString());
        out << "0\nSECTION\n2\nENTITIES\n"
               "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n100\n21\n0\n"
               "0\nARC\n8\n0\n10\n100\n20\n50\n40\n50\n50\n270\n51\n90\n"
               "0\nLINE\n8\n0\n10\n100\n20\n100\n11\n0\n21\n100\n"
               "0\nENDSEC\n0\nEOF\n";
    }
    Plugin p;
    PosHostContext context = Context();
    PosHostResult result;
    Driver d;
    ChooseTable(d);
    d.then(Click("loadDxfButton"))
        .then([path](QWidget *w) {
            auto *files = qobject_cast<QFileDialog *>(w);
            ASSERT_NE(files, nullptr) << "expected the file dialog";
            // The dialog lists its folder in the background: type the path.
            Child<QLineEdit>(files, "fileNameEdit")->setText(path);
            QMetaObject::invokeMethod(files, "accept");
        })
        .then(Click("okButton"))       // the Import DXF dialog
        .then(Answer(QMessageBox::Ok)) // begin points are dropped
        .then(Click("nextButton"))
        .then(Click("nextButton"))
        .then(Click("nextButton"));
    d.start();
    ASSERT_EQ(p.instruction(&context, nullptr, &result), 1);
    EXPECT_TRUE(d.finished());
    const auto decoded
        = ParsePou(JoinPou(*result.pouMap.at("POS_EXE")), "POS_EXE", NewPageDefaults());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->actionMode, 1);
    ASSERT_EQ(decoded->segments.size(), 3u);
    const auto &s = decoded->segments;
    EXPECT_EQ(s.at(1).type, kTypeLine);
    EXPECT_EQ(std::pair(s.at(1).endX, s.at(1).endY), std::pair(100, 0));
    EXPECT_EQ(s.at(2).type, kTypeCcw);
    EXPECT_EQ(s.at(2).centreMode, kCentrePoint);
    EXPECT_EQ(std::pair(s.at(2).endX, s.at(2).endY), std::pair(100, 100));
    EXPECT_EQ(std::pair(s.at(2).centreX, s.at(2).centreY), std::pair(100, 50));
    EXPECT_EQ(s.at(3).type, kTypeLine);
    EXPECT_EQ(std::pair(s.at(3).endX, s.at(3).endY), std::pair(0, 100));
}
