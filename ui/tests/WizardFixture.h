#pragma once

// A wizard as the plug-in builds it, shown without a modal loop so that a
// test can click through it; its prompts go to `prompts`.

#include "ScriptedPrompter.h"

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

namespace pos::test {

struct Wizard
{
    explicit Wizard(bool modify = false, PosConfig initial = PosConfig())
        : config(std::move(initial))
        , frame(&config, modify)
    {
        context.minD = config.minD = 0;
        context.maxD = config.maxD = 9999;
        context.minM = config.minM = 0;
        context.maxM = config.maxM = 9999;
        name.SetProjectNames(&context);
        frame.AddPage(&items, CItemSet::kTemplateId);
        frame.AddPage(&step, CSetStep::kTemplateId);
        frame.AddPage(&table, CSetTable::kTemplateId);
        frame.AddPage(&name, CPNameSet::kTemplateId);
        frame.AddPage(&final, CFinalSet::kTemplateId);
        frame.OnInitDialog();
        frame.show();
    }

    template<typename T = QLineEdit>
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
    int page() const { return frame.currentPage(); }

    void setText(const char *edit, const QString &text) const { find(edit)->setText(text); }
    void setText(const char *edit, std::int64_t n) const { setText(edit, QString::number(n)); }
    void pick(const char *combo, int index) const
    {
        find<QComboBox>(combo)->setCurrentIndex(index);
    }
    // The texts of line edits, combo boxes (the current item) and labels: "a|b".
    QString text(std::initializer_list<const char *> objectNames) const
    {
        QStringList out;
        for (const char *objectName : objectNames) {
            const QWidget *w = find<QWidget>(objectName);
            if (const auto *combo = qobject_cast<const QComboBox *>(w))
                out << combo->currentText();
            else if (const auto *label = qobject_cast<const QLabel *>(w))
                out << label->text();
            else
                out << qobject_cast<const QLineEdit *>(w)->text();
        }
        return out.join(QLatin1Char('|'));
    }
    QString text(const char *objectName) const { return text({objectName}); }

    // The step page's type and points for one segment; centreMode 0 is the
    // centre point.
    void enterSegment(int type, std::int32_t endX, std::int32_t endY, std::int32_t cx = 0,
                      std::int32_t cy = 0, int centreMode = 0) const
    {
        pick("typeCombo", type - 1);
        pick("centreModeCombo", centreMode);
        setText("endXEdit", endX);
        setText("endYEdit", endY);
        setText("circleXEdit", cx);
        setText("circleYEdit", cy);
    }
    // Straight lines to (10 i, 0) for segments 1..n, stored; the page then
    // shows segment n + 1.
    void enterLines(int n) const
    {
        for (int i = 1; i <= n; ++i) {
            enterSegment(kTypeLine, i * 10, 0);
            next();
        }
    }

    int current() const { return step.currentSection(); }
    int total() const { return step.totalSection(); }

    ScriptedPrompter prompts;
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
