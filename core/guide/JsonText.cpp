#include "guide/JsonText.h"

#include <limits>

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

std::string WithoutId(const std::string &what)
{
    if (what.empty() || what.front() != '[')
        return what;
    const auto end = what.find("] ");
    return end == std::string::npos ? what : what.substr(end + 2);
}

Status EventReader::Parse(std::string_view text)
{
    try {
        nlohmann::json::sax_parse(text.begin(), text.end(), this,
                                  nlohmann::json::input_format_t::json, true, false);
    } catch (const nlohmann::json::exception &e) {
        if (m_syntax.empty())
            m_syntax = WithoutId(e.what());
    }
    if (!m_syntax.empty()) {
        return Diagnostic{.id = sid::JsonSyntax, .detail = Shortened(m_syntax)};
    }
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

bool EventReader::parse_error(std::size_t, const std::string &,
                              const nlohmann::detail::exception &e)
{
    m_syntax = WithoutId(e.what());
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
