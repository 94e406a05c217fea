#pragma once

// Helpers shared by the readers of the configuration and project files:
// JSON paths for messages, quoting, and parser messages kept readable.

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
// A parser message that quotes the input, kept readable: at most about 300
// bytes, and bytes that are not UTF-8 shown as U+FFFD.
std::string Shortened(std::string_view text);
// A parser message without its "[json.exception.parse_error.101] " id.
std::string WithoutId(const std::string &what);

// One scalar value as the parser hands it over.
struct Scalar
{
    enum class What { Integer, Text, Other } what = What::Other;
    std::int64_t integer = 0;          // What::Integer
    const std::string *text = nullptr; // What::Text
};

} // namespace pos::json
