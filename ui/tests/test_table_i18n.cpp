// The table page, the Import DXF dialog and their dialogs in Chinese: the
// forms' and menus' texts through the translation, the numbered texts from
// the string table of the same language.

#include "TablePageFixture.h"

#include "dialogs/CCoordinateMove.h"
#include "dialogs/CGraphicDisplay.h"
#include "dialogs/CImportDxf.h"
#include "dialogs/CSetSpeeds.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>

using namespace pos;
using namespace pos::test;

namespace {

class Chinese : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_translator.load(QStringLiteral(":/i18n/pos_zh_CN.qm")));
        QCoreApplication::installTranslator(&m_translator);
        SetLanguage(Lang::Zh);
    }
    void TearDown() override
    {
        QCoreApplication::removeTranslator(&m_translator);
        SetLanguage(Lang::En);
    }

    QTranslator m_translator;
};

} // namespace

TEST_F(Chinese, TablePageAndItsMenu)
{
    TablePage t(LinesRecord(2));
    EXPECT_EQ(t.page.findChild<QPushButton *>(QStringLiteral("loadDxfButton"))->text(),
              QStringLiteral("从&DXF文件导入"));
    EXPECT_EQ(RowTexts(t.grid(), 0),
              (QStringList{QStringLiteral("段号"), QStringLiteral("指令类型"),
                           QStringLiteral("圆心确定方式"), QStringLiteral("加/减速时间(ms)"),
                           QStringLiteral("速度(Hz)"), QStringLiteral("速度(Hz)"),
                           QStringLiteral("终点"), QStringLiteral("终点"),
                           QStringLiteral("圆心(经过位置)"), QStringLiteral("圆心(经过位置)")}));
    EXPECT_EQ(
        RowTexts(t.grid(), 1).mid(4),
        (QStringList{QStringLiteral("初始值"), QStringLiteral("最高值"), QStringLiteral("X值"),
                     QStringLiteral("Y值"), QStringLiteral("X值"), QStringLiteral("Y值")}));
    EXPECT_EQ(t.cell(2, 1), QStringLiteral("直线"));
    EXPECT_EQ(t.grid()->colComboList(2),
              (QStringList{QStringLiteral("经过位置指定"), QStringLiteral("中心位置指定")}));
    EXPECT_EQ(t.menuAt(2, 3).texts,
              (QStringList{QStringLiteral("插入线段(&I)"), QStringLiteral("增加空行(&A)"),
                           QStringLiteral("删除行(&D)"), QStringLiteral("-"),
                           QStringLiteral("轨迹图形查看(&G)"), QStringLiteral("  截至当前(&C)"),
                           QStringLiteral("  全部(&A)"), QStringLiteral("-"),
                           QStringLiteral("复制行(&C)"), QStringLiteral("粘贴行(&P)"),
                           QStringLiteral("设置速度和时间(&S)...")}));
}

TEST_F(Chinese, TablePageTypesAndMessages)
{
    TablePage t;
    ASSERT_TRUE(PickFromList(t.grid(), 2, 1, 2));
    EXPECT_EQ(t.cell(2, 1), QStringLiteral("逆时针圆弧"));
    EXPECT_EQ(t.cell(2, 2), QStringLiteral("经过位置指定"));
    t.grid()->setTextMatrix(2, 4, QStringLiteral("-1"));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    EXPECT_FALSE(t.page.CommitTable(false));
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("[ 段号1 ]速度(Hz)初始值不允许输入负值，请重新输入")});
    t.grid()->setTextMatrix(2, 4, QStringLiteral("1"));
    ASSERT_TRUE(t.page.CommitTable(false));
    EXPECT_EQ(t.config.segments.at(1).type, kTypeCcw) << "Chinese type texts map to their codes";
    EXPECT_EQ(t.config.segments.at(1).centreMode, kPassPoint);
}

TEST_F(Chinese, ImportDialogAndItsMenu)
{
    PosConfig record;
    record.segments[0].type = kTypeCw;
    record.segments[1].type = kTypeLine;
    CImportDxf dialog(&record);
    dialog.resize(700, 400);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("导入DXF文件"));
    EXPECT_EQ(dialog.grid()->textMatrix(2, 1), QStringLiteral("顺时针圆弧"));
    EXPECT_EQ(
        RowTexts(dialog.grid(), 0).mid(2),
        (QStringList{QStringLiteral("起点"), QStringLiteral("起点"), QStringLiteral("终点"),
                     QStringLiteral("终点"), QStringLiteral("圆心"), QStringLiteral("圆心")}));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("okButton"))->text(),
              QStringLiteral("确定"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("cancelButton"))->text(),
              QStringLiteral("取消"));
    const std::unique_ptr<QMenu> menu = dialog.CreateContextMenu();
    EXPECT_EQ(ReadMenu(menu.get()).texts,
              (QStringList{QStringLiteral("删除行(&D)"), QStringLiteral("-"),
                           QStringLiteral("轨迹平移(&M)"), QStringLiteral("  当前(&C)"),
                           QStringLiteral("  全部(&A)"), QStringLiteral("图形反转(&R)"),
                           QStringLiteral("  当前(&C)"), QStringLiteral("  全部(&A)"),
                           QStringLiteral("-"), QStringLiteral("向上移动(&U)"),
                           QStringLiteral("向下移动(&O)"), QStringLiteral("-"),
                           QStringLiteral("轨迹图形查看(&G)"), QStringLiteral("  截至当前(&C)"),
                           QStringLiteral("  全部(&A)")}));
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Cancel);
    dialog.accept();
    EXPECT_EQ(prompts.texts(),
              QStringList{QStringLiteral("导入后所有线段的起点坐标信息会被抛弃，是否确认操作？")});
}

TEST_F(Chinese, SmallDialogs)
{
    CGraphicDisplay display(0);
    EXPECT_EQ(display.windowTitle(), QStringLiteral("轨迹图形显示"));
    EXPECT_EQ(display.findChild<QPushButton *>(QStringLiteral("closeButton"))->text(),
              QStringLiteral("关闭"));
    CCoordinateMove move;
    EXPECT_EQ(move.windowTitle(), QStringLiteral("轨迹平移"));
    EXPECT_EQ(move.findChild<QLabel *>(QStringLiteral("xLabel"))->text(),
              QStringLiteral("X轴位移量："));
    CSetSpeeds speeds;
    speeds.show();
    QLineEdit *time = speeds.findChild<QLineEdit *>(QStringLiteral("accDecTimeEdit"));
    time->clear();
    ScriptedPrompter prompts;
    prompts.answer(QMessageBox::Ok);
    speeds.accept();
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("加/减速时间(ms)为空，请输入一个整数")})
        << "the field named without its mnemonic and colon";
}
