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

// How a field's value is read and what it may hold.
enum class Kind {
    U32,        // 0..4294967295
    I32,        // -2147483648..2147483647
    Mode,       // 0 or 1
    Port,       // 0..7
    XPulsePort, // 0, 4, 5, 6, 7
    Type,       // 1..3 or "LIN", "CW", "CCW"
    CentreMode, // 0, 1 or "centre", "pass"
    Flag,       // true or false; written only when true
};

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
        constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();
        constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();
        constexpr std::int64_t kU32Max = std::numeric_limits<std::uint32_t>::max();
        const bool integer = value.what == Scalar::What::Integer;
        const std::int64_t v = value.integer;
        bool fits = false;
        switch (kind) {
        case Kind::U32:
            if (!(fits = integer && v >= 0 && v <= kU32Max))
                ExpectedRange(m_path, 0, kU32Max);
            break;
        case Kind::I32:
            if (!(fits = integer && v >= kI32Min && v <= kI32Max))
                ExpectedRange(m_path, kI32Min, kI32Max);
            break;
        case Kind::Mode:
            if (!(fits = integer && v >= 0 && v <= 1))
                ExpectedRange(m_path, 0, 1);
            break;
        case Kind::Port:
            if (!(fits = integer && v >= 0 && v <= 7))
                ExpectedRange(m_path, 0, 7);
            break;
        case Kind::XPulsePort:
            if (!(fits = integer && (v == 0 || (v >= 4 && v <= 7))))
                Expected(m_path, sid::JsonXPulsePort);
            break;
        case Kind::Type: {
            const auto t = IntegerOrName(value, kTypeNames, std::size(kTypeNames), kTypeLine);
            if ((fits = t && *t >= kTypeLine && *t <= kTypeCcw))
                out = *t;
            else
                Expected(m_path, sid::JsonType);
            return fits;
        }
        case Kind::Flag:
            if ((fits = value.what == Scalar::What::Boolean))
                out = value.integer;
            else
                Expected(m_path, sid::JsonBoolean);
            return fits;
        case Kind::CentreMode: {
            const auto m
                = IntegerOrName(value, kCentreModeNames, std::size(kCentreModeNames), kCentrePoint);
            if ((fits = m && *m >= kCentrePoint && *m <= kPassPoint))
                out = *m;
            else
                Expected(m_path, sid::JsonCentreMode);
            return fits;
        }
        }
        if (fits)
            out = v;
        return fits;
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
