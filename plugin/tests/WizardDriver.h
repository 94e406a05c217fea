#pragma once

// Drives the wizard through its real modal dialogs while a pos-host command
// waits for it: a timer plays a script of steps on whatever modal dialog is
// up, one step per tick, as a user would click and type.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
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

class Driver
{
public:
    using Step = std::function<void(QWidget *)>;

    // A wizard still open this long after start() has gone wrong: the test
    // fails and every modal dialog is closed, so that the command returns.
    static constexpr int kWatchdogMs = 30000;

    Driver() = default;
    Driver(const Driver &) = delete;
    Driver &operator=(const Driver &) = delete;
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
        m_clock.start();
        m_timer->start();
    }

    // Stops playing (before the QApplication goes).
    void stop()
    {
        m_timer.reset(); // drops the posted step calls with it
        m_dispatched = false;
    }

    bool finished() const { return m_steps.empty(); }
    bool timedOut() const { return m_timedOut; }

private:
    // A step that opens a message box blocks in the box's own loop; the timer
    // does not fire again while its own slot runs, so each step runs from a
    // posted call of its own and the timer keeps ticking meanwhile.
    void tick()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (m_clock.elapsed() > kWatchdogMs) {
            if (!m_timedOut)
                ADD_FAILURE() << "the wizard was still open after " << kWatchdogMs << " ms with "
                              << m_steps.size() << " step(s) left";
            m_timedOut = true;
            m_steps.clear();
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->QDialog::done(QDialog::Rejected); // past any question on closing
            return;
        }
        if (m_dispatched || m_steps.empty())
            return;
        m_dispatched = true;
        QTimer::singleShot(0, m_timer.get(), [this] {
            m_dispatched = false;
            QWidget *now = QApplication::activeModalWidget();
            if (!now || m_steps.empty())
                return;
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(now);
        });
    }

    std::deque<Step> m_steps;
    std::unique_ptr<QTimer> m_timer;
    QElapsedTimer m_clock;
    bool m_dispatched = false;
    bool m_timedOut = false;
};

template<typename T>
T *Child(QWidget *w, const char *name)
{
    T *child = w ? w->findChild<T *>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(child, nullptr) << name << " is not on " << (w ? qPrintable(w->objectName()) : "-");
    return child;
}

inline Driver::Step Click(const char *button)
{
    return [button](QWidget *w) {
        if (auto *b = Child<QPushButton>(w, button))
            QTest::mouseClick(b, Qt::LeftButton);
    };
}

inline Driver::Step Fill(std::vector<std::pair<const char *, QString>> edits,
                         std::vector<std::pair<const char *, int>> combos = {})
{
    return [edits, combos](QWidget *w) {
        for (const auto &[name, index] : combos)
            if (auto *combo = Child<QComboBox>(w, name))
                combo->setCurrentIndex(index);
        for (const auto &[name, text] : edits)
            if (auto *edit = Child<QLineEdit>(w, name))
                edit->setText(text);
    };
}

// Expects the text of a line edit.
inline void ExpectText(QWidget *w, const char *name, const QString &text)
{
    if (auto *edit = Child<QLineEdit>(w, name)) {
        EXPECT_EQ(edit->text().toStdString(), text.toStdString()) << name;
    }
}

// Answers a message box with the given button; keeps its text in *text.
inline Driver::Step Answer(QMessageBox::StandardButton button, std::string *text = nullptr)
{
    return [button, text](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        EXPECT_NE(box, nullptr) << "expected a message box, found "
                                << qPrintable(w->metaObject()->className());
        if (!box)
            return;
        if (text)
            *text = box->text().toStdString();
        QTest::mouseClick(box->button(button), Qt::LeftButton);
    };
}

// The worked example's two segments entered step by step, from the output
// configuration page to the name page: a line to (20000, 0), then a
// clockwise arc about (20000, 10000) to (30000, 10000); absolute, PLS+SIGN.
inline void EnterWorkedExample(Driver &d)
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
        .then(Click("endButton"));
}

// The name page with the name it offers (POS_EXE), then "Complete".
inline void CompleteWithOfferedName(Driver &d)
{
    d.then(Click("nextButton")).then(Click("nextButton"));
}

// Cancels from the first page and confirms.
inline void CancelWizard(Driver &d)
{
    d.then(Click("cancelButton")).then(Answer(QMessageBox::Yes));
}

} // namespace pos::test
