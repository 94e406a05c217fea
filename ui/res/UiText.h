#pragma once

// String-table texts as QStrings, in the wizard's language.

#include "res/StringTable.h"

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

} // namespace pos::ui
