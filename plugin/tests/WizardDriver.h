#pragma once

// Drives the wizard through its real modal dialogs while a call waits for it:
// a timer plays a script of steps, one per tick, each on the kind of modal
// dialog it names, as a user would click and type. A dialog the script does
// not expect never leaves the call waiting: the test fails, naming the
// dialog, and the driver closes every modal dialog until the call returns.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pos::test {

struct Step
{
    const char *dialog; // class name of the modal dialog the step acts on
    std::function<void(QWidget *)> act;
};

using Script = std::vector<Step>;

inline Script operator+(Script a, const Script &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Driver
{
public:
    explicit Driver(const Script &script = {})
        : m_steps(script.begin(), script.end())
    {}
    ~Driver() { stop(); }

    // Starts playing; needs the QApplication the wizard will run in.
    void start()
    {
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
        m_timer->start(5);
    }

    // Stops playing (before the QApplication goes), dropping the posted step calls.
    void stop()
    {
        m_timer.reset();
        m_dispatched = false;
    }

    bool finished() const { return m_steps.empty(); }

    // Makes a call while playing; the whole script must be played.
    template<typename Call>
    auto play(Call call)
    {
        start();
        auto returned = call();
        stop();
        EXPECT_TRUE(finished()) << "the wizard closed before the script ended";
        return returned;
    }

private:
    // A step that opens a dialog blocks in the dialog's own loop; the timer
    // does not fire again while its own slot runs, so each step runs from a
    // posted call of its own and the timer keeps ticking meanwhile. A dialog
    // may stay up for 20 ticks once the script is played out: time for the
    // dialog of the last step to go by itself.
    void tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            m_strayTicks = 0;
        } else if (m_failed) {
            Close(modal);
        } else if (m_steps.empty()) {
            if (++m_strayTicks >= 20)
                fail(modal, "no step left for");
        } else if (!m_dispatched) {
            m_dispatched = true;
            QTimer::singleShot(0, m_timer.get(), [this] { playNext(); });
        }
    }

    void playNext()
    {
        m_dispatched = false;
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || m_steps.empty() || m_failed)
            return;
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (modal->inherits(step.dialog))
            step.act(modal);
        else
            fail(modal, std::string("a step for ") + step.dialog + " found");
    }

    void fail(QWidget *modal, const std::string &why)
    {
        const auto *box = qobject_cast<QMessageBox *>(modal);
        ADD_FAILURE() << why << " " << modal->metaObject()->className()
                      << (box ? " \"" + box->text().toStdString() + "\"" : std::string())
                      << "; steps not played: " << m_steps.size();
        m_failed = true;
        m_steps.clear();
        Close(modal);
    }

    static void Close(QWidget *modal)
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->QDialog::done(QDialog::Rejected); // past any question on closing
        else
            modal->close();
    }

    std::deque<Step> m_steps;
    std::unique_ptr<QTimer> m_timer;
    bool m_dispatched = false;
    bool m_failed = false;
    int m_strayTicks = 0;
};

// A step on the wizard's frame, and the frame's child of that name.
inline Step OnFrame(std::function<void(QWidget *)> act)
{
    return {"CPosWizardDlg", std::move(act)};
}

template<typename T>
T *Child(QWidget *w, const QString &name)
{
    T *child = w->findChild<T *>(name);
    EXPECT_NE(child, nullptr) << name.toStdString() << " is not on " << qPrintable(w->objectName());
    return child;
}

// Acts on the frame's widgets in order: "startDEdit=2000 actionCombo=1 nextButton" types 2000
// into the line edit, picks the combo box's item 1 and clicks the button. A click that may open
// a dialog comes last: the step waits in that dialog until a later step closes it.
inline Step Do(const char *actions)
{
    return OnFrame([actions](QWidget *w) {
        for (const QString &action : QString::fromUtf8(actions).split(QLatin1Char(' '))) {
            const QStringList nameValue = action.split(QLatin1Char('='));
            if (nameValue.size() == 1) {
                if (auto *button = Child<QPushButton>(w, action))
                    QTest::mouseClick(button, Qt::LeftButton);
            } else if (auto *combo = w->findChild<QComboBox *>(nameValue[0])) {
                combo->setCurrentIndex(nameValue[1].toInt());
            } else if (auto *edit = Child<QLineEdit>(w, nameValue[0])) {
                edit->setText(nameValue[1]);
            }
        }
    });
}

// Answers a message box with the given button, expecting the text in its own.
inline Step Answer(QMessageBox::StandardButton button, const char *text = "")
{
    return {"QMessageBox", [button, text](QWidget *w) {
                auto *box = static_cast<QMessageBox *>(w);
                EXPECT_TRUE(box->text().contains(QString::fromUtf8(text)))
                    << box->text().toStdString();
                QTest::mouseClick(box->button(button), Qt::LeftButton);
            }};
}

// The worked example's two segments entered step by step, from the output
// configuration page to the name page: absolute, PLS+SIGN, a line to
// (20000, 0), then a clockwise arc about (20000, 10000) to (30000, 10000).
inline const Script kEnterWorkedExample = {
    Do("actionCombo=1 pulseCombo=0 startDEdit=2000 nextButton"),
    Do("typeCombo=0 initialSpeedEdit=100 maxSpeedEdit=100000 accDecTimeEdit=100 endXEdit=20000 "
       "endYEdit=0 nextButton"),
    Do("typeCombo=1 centreModeCombo=0 initialSpeedEdit=100 maxSpeedEdit=70000 accDecTimeEdit=200 "
       "endXEdit=30000 endYEdit=10000 circleXEdit=20000 circleYEdit=10000 endButton")};

// From the name page: the name as it stands, then "Complete" on the summary.
inline const Script kComplete = {Do("nextButton"), Do("nextButton")};

// Cancels and confirms.
inline const Script kCancel = {Do("cancelButton"), Answer(QMessageBox::Yes)};

} // namespace pos::test
