#pragma once

// A prompter for tests: records the text of every prompt and answers it from
// a script, in order for each kind of prompt. A prompt the script does not
// answer fails the test at once and gets the answer Escape would give, so
// that no test ever waits on a real dialog; answers left over when the script
// goes out of scope fail it too. Without a script it is the strict prompter
// that every widget test runs under.

#include "guide/Prompter.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <ostream>
#include <variant>
#include <vector>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace pos::test {

class ScriptedPrompter : public ui::Prompter
{
public:
    ScriptedPrompter()
        : m_previous(ui::SetPrompter(this))
    {}
    ~ScriptedPrompter() override
    {
        ui::SetPrompter(m_previous);
        EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) not used";
    }

    ScriptedPrompter &answer(QMessageBox::StandardButton b) { return add(b); }
    // 0 or 1 a candidate, -1 "Input Again".
    ScriptedPrompter &chooseArc(int choice) { return add(choice); }
    ScriptedPrompter &openFile(const QString &path) { return add(path); }
    // OK with the values; nothing for Cancel.
    ScriptedPrompter &moveBy(std::optional<QPoint> by) { return add(by); }
    ScriptedPrompter &speeds(std::optional<ui::SpeedsAndTime> v) { return add(v); }
    // Picks the menu item with this object name, in a submenu too: it runs
    // when enabled; a greyed one does nothing, as in a real menu. An empty
    // name closes the menu.
    ScriptedPrompter &pickMenu(const char *item) { return add(QByteArray(item)); }

    // What each prompt showed: its text, the filter of a file dialog, the
    // values a speeds dialog offered ("time initial maximum"), a menu's
    // object name followed by its greyed items ("tableMenu copyRows").
    const QStringList &texts() const { return m_seen; }
    QString last() const { return m_seen.isEmpty() ? QString() : m_seen.last(); }
    // What each arc chooser was to draw.
    const std::vector<ui::ArcEndChoice> &arcs() const { return m_arcs; }
    // Runs as an arc chooser opens, before it is answered: what the screen
    // shows at that moment.
    std::function<void()> onArcChooser;

    // The default button of every message box, in order (NoButton: the
    // first offered).
    const std::vector<QMessageBox::StandardButton> &defaults() const { return m_defaults; }

    QMessageBox::StandardButton message(QWidget *, const QString &text,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon,
                                        QMessageBox::StandardButton defaultButton) override
    {
        m_defaults.push_back(defaultButton);
        const QMessageBox::StandardButton escape
            = buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
              : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                    : QMessageBox::Ok;
        const auto b = next(text, escape);
        EXPECT_TRUE(buttons.testFlag(b)) << "not a button of: " << text.toStdString();
        return b;
    }
    int chooseArcEnd(QWidget *, const QString &text, const ui::ArcEndChoice &arc) override
    {
        m_arcs.push_back(arc);
        if (onArcChooser)
            onArcChooser();
        return next(text, -1);
    }
    QString openFile(QWidget *, const QString &filter) override { return next(filter, QString()); }
    std::optional<QPoint> coordinateMove(QWidget *) override
    {
        return next<std::optional<QPoint>>(QStringLiteral("move"), {});
    }
    std::optional<ui::SpeedsAndTime> speedsAndTime(QWidget *, const ui::SpeedsAndTime &v) override
    {
        const QString seen
            = QStringLiteral("%1 %2 %3").arg(v.accDecTime).arg(v.initialSpeed).arg(v.maxSpeed);
        return next<std::optional<ui::SpeedsAndTime>>(seen, {});
    }
    QAction *popupMenu(QMenu *menu, const QPoint &) override
    {
        QStringList greyed;
        for (const QAction *a : menu->findChildren<QAction *>())
            if (!a->isEnabled() && !a->objectName().isEmpty())
                greyed << a->objectName();
        greyed.sort();
        greyed.prepend(menu->objectName());
        const QByteArray name = next(greyed.join(' '), QByteArray());
        QAction *item = name.isEmpty() ? nullptr : menu->findChild<QAction *>(name);
        EXPECT_TRUE(name.isEmpty() || item) << "no menu item " << name.toStdString();
        if (!item || !item->isEnabled())
            return nullptr;
        item->trigger();
        return item;
    }

private:
    // The kind of prompt an answer is for is the type it holds; a menu item
    // goes by its object name in bytes, unlike a file's path.
    using Answer = std::variant<QMessageBox::StandardButton, int, QString, std::optional<QPoint>,
                                std::optional<ui::SpeedsAndTime>, QByteArray>;

    ScriptedPrompter &add(Answer answer)
    {
        m_answers.push_back(std::move(answer));
        return *this;
    }
    // Records the prompt and takes the first answer scripted for its kind.
    template<typename T>
    T next(const QString &seen, T unscripted)
    {
        m_seen << seen;
        const auto it = std::find_if(m_answers.begin(), m_answers.end(),
                                     [](const Answer &a) { return std::holds_alternative<T>(a); });
        if (it == m_answers.end()) {
            ADD_FAILURE() << "unscripted prompt: " << seen.toStdString();
            return unscripted;
        }
        T value = std::get<T>(*it);
        m_answers.erase(it);
        return value;
    }

    ui::Prompter *m_previous;
    std::deque<Answer> m_answers;
    QStringList m_seen;
    std::vector<QMessageBox::StandardButton> m_defaults;
    std::vector<ui::ArcEndChoice> m_arcs;
};

} // namespace pos::test
