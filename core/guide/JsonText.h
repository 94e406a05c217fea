#pragma once

// Helpers shared by the readers of the configuration and project files:
// JSON paths for messages, quoting, and parser messages kept readable.

#include "res/Diagnostic.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace pos::json {

// The text of a JSON string value, quoted and escaped.
std::string Quoted(const std::string &text);
// path.key, or path["key"] for a key that is not a plain name.
std::string Child(const std::string &path, const std::string &key);
// path[index].
std::string Element(const std::string &path, std::size_t index);
// A text that quotes the input, kept readable: at most about 300
// bytes, and bytes that are not UTF-8 shown as U+FFFD.
std::string Shortened(std::string_view text);

// One scalar value as the parser hands it over.
struct Scalar
{
    enum class What { Integer, Text, Boolean, Other } what = What::Other;
    std::int64_t integer = 0;          // What::Integer; What::Boolean: 0 or 1
    const std::string *text = nullptr; // What::Text
};

// Base of the readers that take a file straight from the parser's events,
// in document order, without building a tree: the first misplaced value or
// unknown key is the refusal, and whatever follows it is only checked for
// syntax, so that a text that is not JSON at all is reported as such. Deep
// nesting costs nothing beyond the parser's own bookkeeping. A reader gives
// the structural events; every scalar reaches Value().
class EventReader : public nlohmann::json_sax<nlohmann::json>
{
public:
    // Parses the text; the refusal when the syntax or the reader refused it.
    Status Parse(std::string_view text);

    bool null() override;
    bool boolean(bool) override;
    bool number_integer(number_integer_t value) override;
    bool number_unsigned(number_unsigned_t value) override;
    bool number_float(number_float_t, const string_t &) override;
    bool string(string_t &value) override;
    bool binary(binary_t &) override;
    bool parse_error(std::size_t, const std::string &,
                     const nlohmann::detail::exception &e) override;

protected:
    EventReader() = default;

    // A scalar value, or an object or array where none belongs.
    virtual bool Value(const Scalar &value) = 0;

    bool Failed() const { return m_failed; }
    // Records the first refusal of a value at path. Returns true: the parser
    // goes on, for its syntax errors.
    bool Refuse(const std::string &path, int id, std::vector<MessageArg> args = {});
    // "expected" a text of the table (sid::JsonArray, ...).
    bool Expected(const std::string &path, int expectationId);
    bool ExpectedRange(const std::string &path, std::int64_t low, std::int64_t high);
    bool UnknownKey(const std::string &path);
    bool KeyTwice(const std::string &path);

private:
    bool m_failed = false;
    Diagnostic m_error; // the first refusal
    // The parser's syntax error: the byte where it failed, and why when the
    // lexer tells it (a text id; 0 for a misplaced token).
    bool m_syntaxFound = false;
    std::size_t m_syntaxOffset = 0;
    int m_syntaxReason = 0;
};

} // namespace pos::json
