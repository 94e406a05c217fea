#pragma once

// A word-wrapped label that remembers its heights for the widths asked.
// While a page is laid out, layouts ask a wrapped label's height for a
// handful of widths again and again, and each answer lays the whole text out
// anew.

#include <QHash>
#include <QLabel>

class CWrapLabel : public QLabel
{
public:
    using QLabel::QLabel;

    int heightForWidth(int width) const override
    {
        if (text() != m_text || font() != m_font) {
            m_heights.clear();
            m_text = text();
            m_font = font();
        }
        const auto it = m_heights.constFind(width);
        if (it != m_heights.cend())
            return *it;
        const int height = QLabel::heightForWidth(width);
        if (m_heights.size() > 64)
            m_heights.clear();
        m_heights.insert(width, height);
        return height;
    }

private:
    mutable QHash<int, int> m_heights;
    mutable QString m_text;
    mutable QFont m_font;
};
