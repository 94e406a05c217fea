#pragma once

// What the picture programs share: finding a named child, and filling the
// step page's fields for one segment.

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include <utility>

namespace shots {

template<typename T>
T *Child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QString::fromLatin1(name));
}

inline void Fill(QWidget *w, int type, int endX, int endY, int cx, int cy, int v0, int v1, int t)
{
    Child<QComboBox>(w, "typeCombo")->setCurrentIndex(type - 1);
    const std::pair<const char *, int> fields[] = {
        {"initialSpeedEdit", v0}, {"maxSpeedEdit", v1}, {"accDecTimeEdit", t}, {"endXEdit", endX},
        {"endYEdit", endY},       {"circleXEdit", cx},  {"circleYEdit", cy}};
    for (const auto &[name, value] : fields)
        Child<QLineEdit>(w, name)->setText(QString::number(value));
}

} // namespace shots
