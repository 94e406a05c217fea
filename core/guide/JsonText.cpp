#include "guide/JsonText.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace pos::json {

using Json = nlohmann::ordered_json;

std::string Quoted(const std::string &text)
{
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

static bool IsIdentifier(const std::string &key)
{
    if (key.empty())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

std::string Child(const std::string &path, const std::string &key)
{
    return IsIdentifier(key) ? path + "." + key : path + "[" + Quoted(key) + "]";
}

std::string Element(const std::string &path, std::size_t index)
{
    return path + "[" + std::to_string(index) + "]";
}

// Length of the valid UTF-8 sequence at text[i], or 0 when there is none.
static std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&text](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

std::string Shortened(std::string_view text)
{
    constexpr std::size_t kMax = 300;
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (out.size() >= kMax)
            return out + "...";
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

namespace {

// 1-based line and column (in bytes) of the byte at offset.
std::pair<std::int64_t, std::int64_t> LineAndColumn(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const auto line = static_cast<std::int64_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column
        = lineStart == std::string_view::npos ? offset : offset - lineStart - 1;
    return {line + 1, static_cast<std::int64_t>(column) + 1};
}

bool IsWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
           || c == '-' || c == '+' || c == '.';
}

// A syntax error in our words: where it is and what stands there.
Diagnostic SyntaxError(std::string_view text, std::size_t offset, int reason,
                       std::string_view token = {})
{
    const auto [line, column] = LineAndColumn(text, offset);
    if (reason != 0)
        return Diagnostic{.id = sid::JsonSyntaxAt, .args = {line, column, TextId{reason}}};
    return Diagnostic{.id = sid::JsonUnexpectedAt,
                      .args = {line, column},
                      .detail = Quoted(Shortened(token.substr(0, 40)))};
}

} // namespace

Status EventReader::Parse(std::string_view text)
{
    // The parser takes a NUL byte for the end of the text: it is parsed up
    // to the first one, which is then the error unless one comes before.
    const std::size_t nul = text.find('\0');
    const std::string_view parsed = text.substr(0, nul);
    try {
        nlohmann::json::sax_parse(parsed.begin(), parsed.end(), this,
                                  nlohmann::json::input_format_t::json, true, false);
    } catch (const nlohmann::json::exception &) {
        if (!m_syntaxFound) {
            m_syntaxFound = true;
            m_syntaxOffset = parsed.size();
            m_syntaxReason = 0;
        }
    }
    if (m_syntaxFound) {
        if (m_syntaxOffset >= parsed.size())
            return SyntaxError(text, nul,
                               nul == std::string_view::npos ? sid::JsonEndsEarly : sid::JsonNul);
        if (m_syntaxReason != 0)
            return SyntaxError(text, m_syntaxOffset, m_syntaxReason);
        // The word the failing byte ends, such as "tru}" or "x".
        std::size_t start = m_syntaxOffset;
        while (start > 0 && m_syntaxOffset - start < 20 && IsWordByte(text[start - 1]))
            --start;
        return SyntaxError(text, start, 0, text.substr(start, m_syntaxOffset + 1 - start));
    }
    if (nul != std::string_view::npos)
        return SyntaxError(text, nul, sid::JsonNul);
    if (m_failed)
        return m_error;
    return {};
}

bool EventReader::null()
{
    return Value(Scalar{});
}

bool EventReader::boolean(bool value)
{
    return Value(Scalar{Scalar::What::Boolean, value ? 1 : 0, nullptr});
}

bool EventReader::number_integer(number_integer_t value)
{
    return Value(Scalar{Scalar::What::Integer, value, nullptr});
}

bool EventReader::number_unsigned(number_unsigned_t value)
{
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return Value(Scalar{}); // beyond every field's width
    return Value(Scalar{Scalar::What::Integer, static_cast<std::int64_t>(value), nullptr});
}

bool EventReader::number_float(number_float_t, const string_t &)
{
    return Value(Scalar{});
}

bool EventReader::string(string_t &value)
{
    return Value(Scalar{Scalar::What::Text, 0, &value});
}

bool EventReader::binary(binary_t &)
{
    return Value(Scalar{});
}

bool EventReader::parse_error(std::size_t position, const std::string &,
                              const nlohmann::detail::exception &e)
{
    // position counts the bytes read, the one that failed included. The
    // lexer's own words tell a bad string or number from a misplaced token.
    m_syntaxFound = true;
    m_syntaxOffset = position == 0 ? 0 : position - 1;
    const std::string_view what = e.what();
    m_syntaxReason = what.find("invalid string") != std::string_view::npos   ? sid::JsonBadString
                     : what.find("invalid number") != std::string_view::npos ? sid::JsonBadNumber
                                                                             : 0;
    return false;
}

bool EventReader::Refuse(const std::string &path, int id, std::vector<MessageArg> args)
{
    m_failed = true;
    m_error = Diagnostic{.id = id, .args = std::move(args), .path = path};
    return true;
}

bool EventReader::Expected(const std::string &path, int expectationId)
{
    return Refuse(path, sid::Expected, {TextId{expectationId}});
}

bool EventReader::ExpectedRange(const std::string &path, std::int64_t low, std::int64_t high)
{
    return Refuse(path, sid::ExpectedRange, {low, high});
}

bool EventReader::UnknownKey(const std::string &path)
{
    return Refuse(path, sid::JsonUnknownKey);
}

bool EventReader::KeyTwice(const std::string &path)
{
    return Refuse(path, sid::JsonDuplicateKey);
}

} // namespace pos::json
