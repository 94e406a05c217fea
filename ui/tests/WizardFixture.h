#pragma once

// A wizard as the plug-in builds it, shown without a modal loop so that a
// test can click through it.

#include "wizard/CFinalSet.h"
#include "wizard/CItemSet.h"
#include "wizard/CPNameSet.h"
#include "wizard/CPosWizardDlg.h"
#include "wizard/CSetStep.h"
#include "wizard/CSetTable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace pos::test {

struct Wizard
{
    explicit Wizard(bool modify = false, PosConfig initial = PosConfig())
        : config(std::move(initial))
        , frame(&config, modify)
    {
        context.minD = 0;
        context.maxD = 9999;
        context.minM = 0;
        context.maxM = 9999;
        config.minD = context.minD;
        config.maxD = context.maxD;
        config.minM = context.minM;
        config.maxM = context.maxM;
        name.SetProjectNames(&context);
        frame.AddPage(&items, CItemSet::kTemplateId);
        frame.AddPage(&step, CSetStep::kTemplateId);
        frame.AddPage(&table, CSetTable::kTemplateId);
        frame.AddPage(&name, CPNameSet::kTemplateId);
        frame.AddPage(&final, CFinalSet::kTemplateId);
        frame.OnInitDialog();
        frame.show();
    }

    template<typename T>
    T *find(const char *objectName) const
    {
        T *w = frame.findChild<T *>(QString::fromLatin1(objectName));
        EXPECT_NE(w, nullptr) << objectName;
        return w;
    }

    QPushButton *button(const char *objectName) const { return find<QPushButton>(objectName); }
    void click(const char *objectName) const
    {
        QTest::mouseClick(button(objectName), Qt::LeftButton);
    }
    void next() const { click("nextButton"); }
    void previous() const { click("previousButton"); }
    void end() const { click("endButton"); }

    void setText(const char *edit, const QString &text) const
    {
        find<QLineEdit>(edit)->setText(text);
    }
    QString text(const char *edit) const { return find<QLineEdit>(edit)->text(); }
    void pick(const char *combo, int index) const
    {
        find<QComboBox>(combo)->setCurrentIndex(index);
    }

    // The step page's fields for one segment; a straight line unless type says otherwise.
    void enterSegment(int type, std::int32_t endX, std::int32_t endY, std::int32_t cx = 0,
                      std::int32_t cy = 0, int centreMode = 0, std::uint32_t v0 = 100,
                      std::uint32_t v1 = 1000, std::uint32_t t = 100) const
    {
        pick("typeCombo", type - 1);
        pick("centreModeCombo", centreMode);
        setText("initialSpeedEdit", QString::number(v0));
        setText("maxSpeedEdit", QString::number(v1));
        setText("accDecTimeEdit", QString::number(t));
        setText("endXEdit", QString::number(endX));
        setText("endYEdit", QString::number(endY));
        setText("circleXEdit", QString::number(cx));
        setText("circleYEdit", QString::number(cy));
    }

    int current() const { return step.currentSection(); }
    int total() const { return step.totalSection(); }

    PosHostContext context;
    PosConfig config;
    // The pages outlive the frame, as in the plug-in.
    CItemSet items;
    CSetStep step;
    CSetTable table;
    CPNameSet name;
    CFinalSet final;
    CPosWizardDlg frame;
};

} // namespace pos::test
