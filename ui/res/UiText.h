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

// A field's name as messages give it: its label's text without the
// mnemonic's "&" and without a closing colon.
inline QString FieldName(QString label)
{
    label.replace(QLatin1String("&&"), QLatin1String("\x01"));
    label.remove(QLatin1Char('&'));
    label.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    label = label.trimmed();
    while (label.endsWith(QLatin1Char(':')) || label.endsWith(QChar(0xFF1A)))
        label.chop(1);
    return label;
}

// A refusal of the number rule, naming the field it is about.
inline QString FieldMessage(Diagnostic d, const QString &field)
{
    d.args = {FieldName(field).toStdString()};
    return Say(d);
}

// A field whose text is not a whole number (of the field's sign), naming it.
inline QString ConversionMessage(bool allowNegative, const QString &field)
{
    return StrF(allowNegative ? sid::FieldEnterInteger : sid::FieldEnterUnsigned,
                {FieldName(field).toStdString()});
}

} // namespace pos::ui
