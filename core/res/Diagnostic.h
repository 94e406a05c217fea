#pragma once

// How the core reports a failure or a problem: as data, never as text. A
// Diagnostic names its message by string id, with the message's arguments
// and where it applies; the wizard's pages and the command line put it into
// words in their own language (Describe). Functions that can fail return a
// Result: the value, or the Diagnostic that tells why there is none.

#include "res/StringTable.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace pos {

// A text of the string table used as an argument ("an array", ...).
struct TextId
{
    int id = 0;
    friend bool operator==(TextId, TextId) = default;
};

using MessageArg = std::variant<std::int64_t, std::string, TextId>;

struct Diagnostic
{
    int id = 0;                   // the message's string id (sid::...)
    std::vector<MessageArg> args; // its arguments, in the order of its conversions
    // Text quoted from outside the system (a value as the file writes it, the
    // operating system's or the JSON parser's report): the message's last %s.
    std::string detail;

    // Where it applies; empty or 0 when it does not say.
    std::string file;          // not part of the words: each edge names files its own way
    long long line = 0;        // 1-based line of the file
    std::string path;          // where the value stands: a JSON path such as $.segments[2].endX
    std::uint32_t segment = 0; // segment number

    friend bool operator==(const Diagnostic &, const Diagnostic &) = default;
};

// The message alone, e.g. "\"1,5\" is not a number".
std::string MessageText(const Diagnostic &d, Lang lang);
// The message after its place: "line 12: \"1,5\" is not a number",
// "$.segments[0].endX: expected ...", "[Segment No:2] The input data ...".
// A segment's number stands on a line of its own before a message of
// several lines. The file is left to the caller.
std::string Describe(const Diagnostic &d, Lang lang);

// A value of type T, or the Diagnostic that says why there is none.
template<typename T>
class [[nodiscard]] Result
{
public:
    using value_type = T;

    Result() requires std::is_same_v<T, std::monostate>
    = default;
    Result(T value)
        : m_state(std::in_place_index<0>, std::move(value))
    {}
    Result(Diagnostic problem)
        : m_state(std::in_place_index<1>, std::move(problem))
    {}

    bool ok() const { return m_state.index() == 0; }
    bool has_value() const { return ok(); }
    explicit operator bool() const { return ok(); }

    T &value() { return std::get<0>(m_state); }
    const T &value() const { return std::get<0>(m_state); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }

    const Diagnostic &error() const { return std::get<1>(m_state); }
    Diagnostic &error() { return std::get<1>(m_state); }

private:
    std::variant<T, Diagnostic> m_state;
};

// Success or the Diagnostic of a failure, for work without a value.
using Status = Result<std::monostate>;

} // namespace pos
