#pragma once

// A prompter for tests: records every prompt and answers it from a script,
// in order for each kind of prompt. A prompt the script does not answer
// fails the test at once and gets the answer Escape would give, so that no
// test ever waits on a real dialog; answers left over when the script goes
// out of scope fail it too. Without a script it is the strict prompter that
// every widget test runs under.

#include "guide/Prompter.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
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
    enum class Kind { Message, ArcChoice, OpenFile, CoordinateMove, SpeedsAndTime, Menu };
    struct Seen
    {
        Kind kind;
        QString text; // a menu's object name
        QMessageBox::StandardButtons buttons = {};
        QString greyed = {}; // a menu's disabled items by object name: "a b"
    };

    ScriptedPrompter()
        : m_previous(ui::SetPrompter(this))
    {}
    ~ScriptedPrompter() override
    {
        ui::SetPrompter(m_previous);
        EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " scripted answer(s) not used";
    }
    ScriptedPrompter(const ScriptedPrompter &) = delete;
    ScriptedPrompter &operator=(const ScriptedPrompter &) = delete;

    ScriptedPrompter &answer(QMessageBox::StandardButton b) { return add(Kind::Message, b); }
    // 0 or 1 a candidate, -1 "Input Again".
    ScriptedPrompter &chooseArc(int choice) { return add(Kind::ArcChoice, choice); }
    ScriptedPrompter &openFile(const QString &path) { return add(Kind::OpenFile, path); }
    // OK with the values; nothing for Cancel.
    ScriptedPrompter &moveBy(std::optional<QPoint> by) { return add(Kind::CoordinateMove, by); }
    ScriptedPrompter &speeds(std::optional<ui::SpeedsAndTime> v)
    {
        return add(Kind::SpeedsAndTime, v);
    }
    // Picks the menu item with this object name, in a submenu too: it runs
    // when enabled; a greyed one does nothing, as in a real menu. An empty
    // name closes the menu.
    ScriptedPrompter &pickMenu(const QString &item) { return add(Kind::Menu, item); }

    const Seen &last() const
    {
        static const Seen none{Kind::Message, QStringLiteral("(no prompt)")};
        EXPECT_FALSE(m_seen.empty()) << "no prompt yet";
        return m_seen.empty() ? none : m_seen.back();
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Seen &s : m_seen)
            out << s.text;
        return out;
    }

    QMessageBox::StandardButton message(QWidget *, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon) override
    {
        const QMessageBox::StandardButton escape
            = buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
              : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                    : QMessageBox::Ok;
        const auto b = next({Kind::Message, text, buttons}, escape);
        EXPECT_TRUE(buttons.testFlag(b)) << "not a button of: " << text.toStdString();
        return b;
    }
    int chooseArcEnd(QWidget *, const QString &text) override
    {
        return next({Kind::ArcChoice, text}, -1);
    }
    QString openFile(QWidget *, const QString &filter) override
    {
        return next({Kind::OpenFile, filter}, QString());
    }
    std::optional<QPoint> coordinateMove(QWidget *) override
    {
        return next<std::optional<QPoint>>({Kind::CoordinateMove, QStringLiteral("move")}, {});
    }
    // Seen as "time initial maximum" of the values offered.
    std::optional<ui::SpeedsAndTime> speedsAndTime(QWidget *, const ui::SpeedsAndTime &v) override
    {
        const QString what
            = QStringLiteral("%1 %2 %3").arg(v.accDecTime).arg(v.initialSpeed).arg(v.maxSpeed);
        return next<std::optional<ui::SpeedsAndTime>>({Kind::SpeedsAndTime, what}, {});
    }
    QAction *popupMenu(QMenu *menu, const QPoint &) override
    {
        QStringList greyed;
        for (const QAction *a : menu->findChildren<QAction *>())
            if (!a->isEnabled() && !a->objectName().isEmpty())
                greyed << a->objectName();
        greyed.sort();
        const QString name
            = next({Kind::Menu, menu->objectName(), {}, greyed.join(' ')}, QString());
        QAction *item = name.isEmpty() ? nullptr : menu->findChild<QAction *>(name);
        EXPECT_TRUE(name.isEmpty() || item) << "no menu item " << name.toStdString();
        if (!item || !item->isEnabled())
            return nullptr;
        item->trigger();
        return item;
    }

private:
    using Value = std::variant<QMessageBox::StandardButton, int, QString, std::optional<QPoint>,
                               std::optional<ui::SpeedsAndTime>>;
    struct Answer
    {
        Kind kind;
        Value value;
    };

    ScriptedPrompter &add(Kind kind, Value value)
    {
        m_answers.push_back({kind, std::move(value)});
        return *this;
    }
    // Records the prompt and takes the first answer scripted for its kind.
    template<typename T>
    T next(Seen seen, T unscripted)
    {
        m_seen.push_back(std::move(seen));
        const Kind kind = m_seen.back().kind;
        const auto it = std::find_if(m_answers.begin(), m_answers.end(),
                                     [kind](const Answer &a) { return a.kind == kind; });
        if (it == m_answers.end()) {
            ADD_FAILURE() << "unscripted prompt: " << m_seen.back().text.toStdString();
            return unscripted;
        }
        T value = std::get<T>(it->value);
        m_answers.erase(it);
        return value;
    }

    ui::Prompter *m_previous;
    std::deque<Answer> m_answers;
    std::vector<Seen> m_seen;
};

} // namespace pos::test
