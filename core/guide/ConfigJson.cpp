#include "guide/ConfigJson.h"

#include "guide/JsonText.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace pos {

namespace {

using Json = nlohmann::ordered_json;
using json::Child;
using json::Element;
using json::Quoted;
using json::Scalar;

using Kind = FieldKind;

template<typename Record>
using Member = std::variant<std::uint32_t Record::*, std::int32_t Record::*,
                            std::uint16_t Record::*, bool Record::*>;

template<typename Record>
struct IntField
{
    const char *name;
    Kind kind;
    Member<Record> member;
};

// Record order. subprogramName, the only text field, stands between maxM
// and actionMode; it is read and written on its own.
const IntField<PosConfig> kConfigFields[] = {
    {"startD", Kind::U32, &PosConfig::startD},
    {"minD", Kind::U32, &PosConfig::minD},
    {"maxD", Kind::U32, &PosConfig::maxD},
    {"startM", Kind::U32, &PosConfig::startM},
    {"minM", Kind::U32, &PosConfig::minM},
    {"maxM", Kind::U32, &PosConfig::maxM},
    {"actionMode", Kind::Mode, &PosConfig::actionMode},
    {"pulseMode", Kind::Mode, &PosConfig::pulseMode},
    {"xPulsePort", Kind::XPulsePort, &PosConfig::xPulsePort},
    {"xDirPort", Kind::Port, &PosConfig::xDirPort},
    {"yPulsePort", Kind::Port, &PosConfig::yPulsePort},
    {"yDirPort", Kind::Port, &PosConfig::yDirPort},
};
constexpr std::size_t kFieldsBeforeName = 6;
constexpr const char *kNameKey = "subprogramName";
constexpr const char *kSegmentsKey = "segments";
constexpr const char *kRawKey = "key";

const IntField<PosSegment> kSegmentFields[] = {
    {"number", Kind::U32, &PosSegment::number},
    {"type", Kind::Type, &PosSegment::type},
    {"centreMode", Kind::CentreMode, &PosSegment::centreMode},
    {"initialSpeed", Kind::U32, &PosSegment::initialSpeed},
    {"maxSpeed", Kind::U32, &PosSegment::maxSpeed},
    {"accDecTime", Kind::U32, &PosSegment::accDecTime},
    {"beginX", Kind::I32, &PosSegment::beginX},
    {"beginY", Kind::I32, &PosSegment::beginY},
    {"endX", Kind::I32, &PosSegment::endX},
    {"endY", Kind::I32, &PosSegment::endY},
    {"centreX", Kind::I32, &PosSegment::centreX},
    {"centreY", Kind::I32, &PosSegment::centreY},
    {"travel", Kind::Flag, &PosSegment::travel},
};

const char *const kTypeNames[] = {"LIN", "CW", "CCW"};     // types 1, 2, 3
const char *const kCentreModeNames[] = {"centre", "pass"}; // modes 0, 1

template<typename Record>
std::int64_t Get(const Record &record, const Member<Record> &member)
{
    return std::visit([&record](auto m) -> std::int64_t { return record.*m; }, member);
}

template<typename Record>
void Set(Record &record, const Member<Record> &member, std::int64_t value)
{
    std::visit(
        [&record, value](auto m) {
            using Field = std::remove_reference_t<decltype(record.*m)>;
            record.*m = static_cast<Field>(value);
        },
        member);
}

// Reads the configuration from the parser's events (see EventReader).
class ConfigReader final : public json::EventReader
{
public:
    ConfigReader()
        : m_config(NewPageDefaults())
    {}

    Result<PosConfig> Read(std::string_view text)
    {
        if (Status status = Parse(text); !status)
            return std::move(status.error());
        return std::move(m_config);
    }

    bool start_object(std::size_t) override
    {
        if (Failed())
            return true;
        switch (m_where) {
        case Where::Start:
            m_where = Where::Root;
            return true;
        case Where::Segments:
            m_where = Where::Segment;
            m_segment = PosSegment{}; // all fields 0, type 1
            m_segmentSeen = 0;
            return true;
        default:
            return Value(Scalar{});
        }
    }

    bool end_object() override
    {
        if (Failed())
            return true;
        if (m_where == Where::Segment) {
            m_config.segments[static_cast<std::uint32_t>(m_index + 1)] = m_segment;
            ++m_index;
            m_where = Where::Segments;
        } else {
            m_where = Where::Done;
        }
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (Failed())
            return true;
        if (m_where == Where::Root && m_field.segments) {
            m_where = Where::Segments;
            m_config.segments.clear();
            m_index = 0;
            return true;
        }
        return Value(Scalar{});
    }

    bool end_array() override
    {
        if (!Failed())
            m_where = Where::Root; // only the segment array gets here
        return true;
    }

    bool key(string_t &key) override
    {
        if (Failed())
            return true;
        if (m_where == Where::Root) {
            m_path = Child("$", key);
            m_field = RootField{};
            std::size_t bit = 0;
            if (key == kNameKey) {
                m_field.name = true;
                bit = std::size(kConfigFields);
            } else if (key == kSegmentsKey) {
                m_field.segments = true;
                bit = std::size(kConfigFields) + 1;
            } else if (const auto *field = FindField(kConfigFields, key)) {
                m_field.integer = field;
                bit = static_cast<std::size_t>(field - kConfigFields);
            } else {
                return UnknownKey(m_path);
            }
            return FirstTime(m_rootSeen, bit);
        }
        // In a segment.
        m_path = Child(Element("$.segments", m_index), key);
        m_segmentField = FindField(kSegmentFields, key);
        if (!m_segmentField)
            return UnknownKey(m_path);
        return FirstTime(m_segmentSeen, static_cast<std::size_t>(m_segmentField - kSegmentFields));
    }

private:
    enum class Where {
        Start,    // before the root value
        Root,     // in the root object
        Segments, // in the segment array, between elements
        Segment,  // in a segment object
        Done,     // after the root object
    };

    // The root key whose value comes next.
    struct RootField
    {
        bool name = false;
        bool segments = false;
        const IntField<PosConfig> *integer = nullptr;
    };

    template<typename Record, std::size_t N>
    static const IntField<Record> *FindField(const IntField<Record> (&fields)[N],
                                             const std::string &key)
    {
        for (const IntField<Record> &field : fields)
            if (key == field.name)
                return &field;
        return nullptr;
    }

    bool FirstTime(std::uint32_t &seen, std::size_t bit)
    {
        const std::uint32_t mask = std::uint32_t{1} << bit;
        if (seen & mask)
            return KeyTwice(m_path);
        seen |= mask;
        return true;
    }

    // An integer, or one of the names (name i stands for first + i).
    static std::optional<std::int64_t> IntegerOrName(const Scalar &value, const char *const *names,
                                                     std::size_t count, std::int64_t first)
    {
        if (value.what == Scalar::What::Integer)
            return value.integer;
        if (value.what == Scalar::What::Text)
            for (std::size_t i = 0; i < count; ++i)
                if (*value.text == names[i])
                    return first + static_cast<std::int64_t>(i);
        return std::nullopt;
    }

    // Checks a value against its field's kind: true with out set when it
    // fits, else the refusal is recorded.
    bool Fits(const Scalar &value, Kind kind, std::int64_t &out)
    {
        std::optional<std::int64_t> v;
        if (kind == Kind::Type)
            v = IntegerOrName(value, kTypeNames, std::size(kTypeNames), kTypeLine);
        else if (kind == Kind::CentreMode)
            v = IntegerOrName(value, kCentreModeNames, std::size(kCentreModeNames), kCentrePoint);
        else if (kind == Kind::Flag ? value.what == Scalar::What::Boolean
                                    : value.what == Scalar::What::Integer)
            v = value.integer;
        if (v && InDomain(kind, *v)) {
            out = *v;
            return true;
        }
        Diagnostic expected = ExpectedValue(kind);
        Refuse(m_path, expected.id, std::move(expected.args));
        return false;
    }

    // A value (a scalar, or an object or array where none belongs).
    bool Value(const Scalar &value) override
    {
        if (Failed())
            return true;
        std::int64_t v = 0;
        switch (m_where) {
        case Where::Start:
            return Expected("$", sid::JsonObject);
        case Where::Root:
            if (m_field.name) {
                if (value.what != Scalar::What::Text)
                    return Expected(m_path, sid::JsonString);
                m_config.subprogramName = *value.text;
            } else if (m_field.segments) {
                return Expected(m_path, sid::JsonArray);
            } else if (Fits(value, m_field.integer->kind, v)) {
                Set(m_config, m_field.integer->member, v);
            }
            return true;
        case Where::Segments:
            return Expected(Element("$.segments", m_index), sid::JsonObject);
        case Where::Segment:
            if (Fits(value, m_segmentField->kind, v))
                Set(m_segment, m_segmentField->member, v);
            return true;
        case Where::Done:
            return true; // the parser refuses anything after the root
        }
        return true;
    }

    PosConfig m_config;
    Where m_where = Where::Start;
    std::string m_path; // of the value that comes next
    RootField m_field;
    std::uint32_t m_rootSeen = 0;
    const IntField<PosSegment> *m_segmentField = nullptr;
    std::size_t m_index = 0; // the segment element being read
    PosSegment m_segment;
    std::uint32_t m_segmentSeen = 0;
};

// A flat object on one line: {"a": 1, "b": "x"}.
std::string OneLine(const Json &object)
{
    std::string out = "{";
    bool first = true;
    for (const auto &[key, value] : object.items()) {
        if (!first)
            out += ", ";
        first = false;
        out += Quoted(key);
        out += ": ";
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    out += '}';
    return out;
}

Json NamedOrNumber(std::int64_t value, const char *const *names, std::size_t count,
                   std::int64_t first)
{
    if (value >= first && value < first + static_cast<std::int64_t>(count))
        return names[value - first];
    return value; // outside the domain: written as it stands, refused on reading
}

Json SegmentObject(const PosSegment &segment, const std::uint32_t *key)
{
    Json object = Json::object();
    if (key)
        object[kRawKey] = *key;
    for (const IntField<PosSegment> &field : kSegmentFields) {
        const std::int64_t v = Get(segment, field.member);
        if (field.kind == Kind::Flag) {
            if (v)
                object[field.name] = true;
        } else if (field.kind == Kind::Type)
            object[field.name] = NamedOrNumber(v, kTypeNames, std::size(kTypeNames), kTypeLine);
        else if (field.kind == Kind::CentreMode)
            object[field.name]
                = NamedOrNumber(v, kCentreModeNames, std::size(kCentreModeNames), kCentrePoint);
        else
            object[field.name] = v;
    }
    return object;
}

std::string Write(const PosConfig &config, bool withKeys)
{
    std::string out = "{\n";
    auto member = [&out](const char *key, const Json &value) {
        out += "  ";
        out += Quoted(key);
        out += ": ";
        out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
        out += ",\n";
    };
    for (std::size_t i = 0; i < std::size(kConfigFields); ++i) {
        if (i == kFieldsBeforeName)
            member(kNameKey, config.subprogramName);
        member(kConfigFields[i].name, Get(config, kConfigFields[i].member));
    }
    out += "  ";
    out += Quoted(kSegmentsKey);
    if (config.segments.empty()) {
        out += ": []\n}\n";
        return out;
    }
    out += ": [\n";
    bool first = true;
    for (const auto &[key, segment] : config.segments) {
        if (!first)
            out += ",\n";
        first = false;
        out += "    ";
        out += OneLine(SegmentObject(segment, withKeys ? &key : nullptr));
    }
    out += "\n  ]\n}\n";
    return out;
}

} // namespace

bool InDomain(FieldKind kind, std::int64_t v)
{
    switch (kind) {
    case Kind::U32:
        return v >= 0 && v <= std::int64_t{std::numeric_limits<std::uint32_t>::max()};
    case Kind::I32:
        return v >= std::numeric_limits<std::int32_t>::min()
               && v <= std::numeric_limits<std::int32_t>::max();
    case Kind::Mode:
    case Kind::Flag:
        return v == 0 || v == 1;
    case Kind::Port:
        return v >= 0 && v <= 7;
    case Kind::XPulsePort:
        return v == 0 || (v >= 4 && v <= 7);
    case Kind::Type:
        return v >= kTypeLine && v <= kTypeCcw;
    case Kind::CentreMode:
        return v == kCentrePoint || v == kPassPoint;
    case Kind::ConfigurationCode:
        return v == 0 || v == 1 || v == 10 || v == 11;
    }
    return false;
}

Diagnostic ExpectedValue(FieldKind kind)
{
    const auto range = [](std::int64_t low, std::int64_t high) {
        return Diagnostic{.id = sid::ExpectedRange, .args = {low, high}};
    };
    const auto expected
        = [](int what) { return Diagnostic{.id = sid::Expected, .args = {TextId{what}}}; };
    switch (kind) {
    case Kind::U32:
        return range(0, std::numeric_limits<std::uint32_t>::max());
    case Kind::I32:
        return range(std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max());
    case Kind::Mode:
        return range(0, 1);
    case Kind::Port:
        return range(0, 7);
    case Kind::XPulsePort:
        return expected(sid::JsonXPulsePort);
    case Kind::Type:
        return expected(sid::JsonType);
    case Kind::CentreMode:
        return expected(sid::JsonCentreMode);
    case Kind::Flag:
        return expected(sid::JsonBoolean);
    case Kind::ConfigurationCode:
        return expected(sid::ConfigurationCodes);
    }
    return expected(sid::JsonType);
}

Result<PosConfig> ReadConfigJson(std::string_view text)
{
    return ConfigReader().Read(text);
}

std::string WriteConfigJson(const PosConfig &config)
{
    return Write(config, false);
}

std::string WriteRawRecordJson(const PosConfig &record)
{
    return Write(record, true);
}

} // namespace pos
