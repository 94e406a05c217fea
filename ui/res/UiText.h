#pragma once

// String-table texts and the core's diagnostics as QStrings, in the wizard's
// language.

#include "res/Diagnostic.h"

#include <QString>

namespace pos::ui {

inline QString Str(int id)
{
    return QString::fromUtf8(Text(id));
}

inline QString StrF(int id, std::initializer_list<FormatArg> args)
{
    return QString::fromStdString(FormatId(id, args));
}

// A problem the core found, with its place, as the wizard shows it.
inline QString Say(const Diagnostic &d)
{
    return QString::fromStdString(Describe(d, CurrentLanguage()));
}

// A refusal of the number rule, naming the field it is about.
inline QString FieldMessage(Diagnostic d, const QString &field)
{
    d.args = {field.toStdString()};
    return Say(d);
}

} // namespace pos::ui
