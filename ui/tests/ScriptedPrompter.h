#pragma once

// A prompter for tests: records every prompt and answers it from a script.
// An unexpected prompt fails the test instead of blocking; answers left
// over when the script goes out of scope fail it too.

#include "guide/Prompter.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <variant>
#include <vector>

namespace pos::test {

class ScriptedPrompter : public ui::Prompter
{
public:
    enum class Kind { Message, ArcChoice, OpenFile, CoordinateMove, SpeedsAndTime };

    struct Seen
    {
        Kind kind;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
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

    // Queue the answers, in the order the prompts will come.
    ScriptedPrompter &answer(QMessageBox::StandardButton button)
    {
        m_answers.push_back(Answer{Kind::Message, button});
        return *this;
    }
    ScriptedPrompter &chooseArc(int choice)
    {
        m_answers.push_back(Answer{Kind::ArcChoice, choice});
        return *this;
    }
    ScriptedPrompter &openFile(const QString &path)
    {
        m_answers.push_back(Answer{Kind::OpenFile, path});
        return *this;
    }
    // The coordinate move answered with OK and a displacement, or cancelled.
    ScriptedPrompter &moveBy(int dx, int dy)
    {
        m_answers.push_back(Answer{Kind::CoordinateMove, std::optional<QPoint>(QPoint(dx, dy))});
        return *this;
    }
    ScriptedPrompter &cancelMove()
    {
        m_answers.push_back(Answer{Kind::CoordinateMove, std::optional<QPoint>()});
        return *this;
    }
    // The speeds-and-time prompt answered with OK and values, or cancelled.
    ScriptedPrompter &speeds(const ui::SpeedsAndTime &values)
    {
        m_answers.push_back(Answer{Kind::SpeedsAndTime, std::optional<ui::SpeedsAndTime>(values)});
        return *this;
    }
    ScriptedPrompter &cancelSpeeds()
    {
        m_answers.push_back(Answer{Kind::SpeedsAndTime, std::optional<ui::SpeedsAndTime>()});
        return *this;
    }

    const std::vector<Seen> &seen() const { return m_seen; }
    const Seen &last() const { return m_seen.back(); }
    QStringList texts() const
    {
        QStringList out;
        for (const Seen &s : m_seen)
            out << s.text;
        return out;
    }
    void clearSeen() { m_seen.clear(); }

    QMessageBox::StandardButton message(QWidget *, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon) override
    {
        m_seen.push_back({Kind::Message, text, buttons, icon});
        const Answer *a = next(Kind::Message, text);
        if (!a)
            return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
        const auto b = std::get<QMessageBox::StandardButton>(a->value);
        EXPECT_TRUE(buttons.testFlag(b))
            << "answered with a button the box does not offer: " << text.toStdString();
        m_answers.pop_front();
        return b;
    }

    int chooseArcEnd(QWidget *, const QString &text) override
    {
        m_seen.push_back({Kind::ArcChoice, text, {}, QMessageBox::NoIcon});
        const Answer *a = next(Kind::ArcChoice, text);
        if (!a)
            return -1;
        const int choice = std::get<int>(a->value);
        m_answers.pop_front();
        return choice;
    }

    QString openFile(QWidget *, const QString &filter) override
    {
        m_seen.push_back({Kind::OpenFile, filter, {}, QMessageBox::NoIcon});
        const Answer *a = next(Kind::OpenFile, filter);
        if (!a)
            return {};
        const QString path = std::get<QString>(a->value);
        m_answers.pop_front();
        return path;
    }

    std::optional<QPoint> coordinateMove(QWidget *) override
    {
        const QString what = QStringLiteral("coordinate move");
        m_seen.push_back({Kind::CoordinateMove, what, {}, QMessageBox::NoIcon});
        const Answer *a = next(Kind::CoordinateMove, what);
        if (!a)
            return std::nullopt;
        const auto move = std::get<std::optional<QPoint>>(a->value);
        m_answers.pop_front();
        return move;
    }

    // Seen as "time initial maximum" of the values offered.
    std::optional<ui::SpeedsAndTime> speedsAndTime(QWidget *,
                                                   const ui::SpeedsAndTime &initial) override
    {
        const QString what = QStringLiteral("%1 %2 %3")
                                 .arg(initial.accDecTime)
                                 .arg(initial.initialSpeed)
                                 .arg(initial.maxSpeed);
        m_seen.push_back({Kind::SpeedsAndTime, what, {}, QMessageBox::NoIcon});
        const Answer *a = next(Kind::SpeedsAndTime, what);
        if (!a)
            return std::nullopt;
        const auto values = std::get<std::optional<ui::SpeedsAndTime>>(a->value);
        m_answers.pop_front();
        return values;
    }

    // Menus still open for real here, for the tests that drive them.
    QAction *popupMenu(QMenu *menu, const QPoint &globalPos) override
    {
        return ui::QtPrompter().popupMenu(menu, globalPos);
    }

private:
    struct Answer
    {
        Kind kind;
        std::variant<QMessageBox::StandardButton, int, QString, std::optional<QPoint>,
                     std::optional<ui::SpeedsAndTime>>
            value;
    };

    const Answer *next(Kind kind, const QString &text)
    {
        if (m_answers.empty() || m_answers.front().kind != kind) {
            ADD_FAILURE() << "unexpected prompt: " << text.toStdString();
            return nullptr;
        }
        return &m_answers.front();
    }

    ui::Prompter *m_previous;
    std::deque<Answer> m_answers;
    std::vector<Seen> m_seen;
};

} // namespace pos::test
