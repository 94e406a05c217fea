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

namespace pos::test {

struct Step
{
    const char *dialog; // class name of the modal dialog the step acts on
    std::function<void(QWidget *)> act;
};

class Driver
{
public:
    // Ticks a modal dialog may stay up once the script is played out: time
    // for the dialog of the last step to go by itself.
    static constexpr int kStrayTicks = 20;

    ~Driver() { stop(); }

    Driver &then(Step step)
    {
        m_steps.push_back(std::move(step));
        return *this;
    }

    // Starts playing; needs the QApplication the wizard will run in.
    void start()
    {
        m_timer = std::make_unique<QTimer>();
        m_timer->setInterval(5);
        QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
        m_timer->start();
    }

    // Stops playing (before the QApplication goes).
    void stop()
    {
        m_timer.reset(); // drops the posted step calls with it
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
    // posted call of its own and the timer keeps ticking meanwhile.
    void tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            m_strayTicks = 0;
        } else if (m_failed) {
            Close(modal);
        } else if (m_steps.empty()) {
            if (++m_strayTicks >= kStrayTicks)
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

template<typename T>
T *Child(QWidget *w, const QString &name)
{
    T *child = w->findChild<T *>(name);
    EXPECT_NE(child, nullptr) << name.toStdString() << " is not on " << qPrintable(w->objectName());
    return child;
}

// A step on the wizard's frame.
inline Step OnFrame(std::function<void(QWidget *)> act)
{
    return {"CPosWizardDlg", std::move(act)};
}

inline Step Click(const char *button)
{
    return OnFrame([button](QWidget *w) {
        if (auto *b = Child<QPushButton>(w, QLatin1String(button)))
            QTest::mouseClick(b, Qt::LeftButton);
    });
}

// Fills the frame's fields in order: "startDEdit=2000 actionCombo=1" types
// 2000 into the line edit and picks the combo box's item 1.
inline Step Fill(const char *fields)
{
    return OnFrame([fields](QWidget *w) {
        for (const QString &field : QString::fromUtf8(fields).split(QLatin1Char(' '))) {
            const QStringList nameValue = field.split(QLatin1Char('='));
            if (auto *combo = w->findChild<QComboBox *>(nameValue[0]))
                combo->setCurrentIndex(nameValue[1].toInt());
            else if (auto *edit = Child<QLineEdit>(w, nameValue[0]))
                edit->setText(nameValue[1]);
        }
    });
}

// Answers a message box with the given button, expecting its text when given.
inline Step Answer(QMessageBox::StandardButton button, const char *text = nullptr)
{
    return {"QMessageBox", [button, text](QWidget *w) {
                auto *box = static_cast<QMessageBox *>(w);
                if (text) {
                    EXPECT_EQ(box->text().toStdString(), text);
                }
                QTest::mouseClick(box->button(button), Qt::LeftButton);
            }};
}

// The worked example's two segments entered step by step, from the output
// configuration page to the name page: absolute, PLS+SIGN, a line to
// (20000, 0), then a clockwise arc about (20000, 10000) to (30000, 10000).
inline void EnterWorkedExample(Driver &d)
{
    d.then(Fill("actionCombo=1 pulseCombo=0 startDEdit=2000"))
        .then(Click("nextButton"))
        .then(Fill("typeCombo=0 initialSpeedEdit=100 maxSpeedEdit=100000 accDecTimeEdit=100 "
                   "endXEdit=20000 endYEdit=0"))
        .then(Click("nextButton"))
        .then(Fill("typeCombo=1 centreModeCombo=0 initialSpeedEdit=100 maxSpeedEdit=70000 "
                   "accDecTimeEdit=200 endXEdit=30000 endYEdit=10000 circleXEdit=20000 "
                   "circleYEdit=10000"))
        .then(Click("endButton"));
}

// From the name page: the name as it stands, then "Complete" on the summary.
inline void Complete(Driver &d)
{
    d.then(Click("nextButton")).then(Click("nextButton"));
}

// Cancels and confirms.
inline void Cancel(Driver &d)
{
    d.then(Click("cancelButton")).then(Answer(QMessageBox::Yes));
}

} // namespace pos::test
