#include "guide/ProjectJson.h"

#include "guide/FileIo.h"
#include "guide/FileLock.h"
#include "guide/JsonText.h"

#include "wizard/Checks.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <unordered_set>
#include <utility>

namespace pos {

namespace {

using Json = nlohmann::ordered_json;
using json::Child;
using json::Quoted;
using json::Scalar;

struct RangeField
{
    const char *name;
    std::uint32_t Project::*member;
};

const RangeField kRanges[] = {
    {"minD", &Project::minD},
    {"maxD", &Project::maxD},
    {"minM", &Project::minM},
    {"maxM", &Project::maxM},
};
constexpr const char *kSubprogramsKey = "subprograms";
constexpr const char *kNameKey = "name";
constexpr const char *kTextKey = "text";

std::string Element(std::size_t index)
{
    return json::Element("$.subprograms", index);
}

// The path of the first range whose low end is above its high end, with
// the message; empty when both are in order.
std::string ReversedRange(const Project &project, Diagnostic &problem)
{
    for (std::size_t low = 0; low < std::size(kRanges); low += 2) {
        const RangeField &min = kRanges[low];
        const RangeField &max = kRanges[low + 1];
        if (project.*(min.member) > project.*(max.member)) {
            problem
                = Diagnostic{.id = sid::RangeReversed,
                             .args = {std::string(min.name), std::int64_t{project.*(min.member)},
                                      std::string(max.name), std::int64_t{project.*(max.member)}}};
            return Child("$", min.name);
        }
    }
    return {};
}

// Reads the project from the parser's events (see EventReader).
class ProjectReader final : public json::EventReader
{
public:
    Result<Project> Read(std::string_view text)
    {
        if (Status status = Parse(text); !status)
            return std::move(status.error());
        return std::move(m_project);
    }

    bool start_object(std::size_t) override
    {
        if (Failed())
            return true;
        switch (m_where) {
        case Where::Start:
            m_where = Where::Root;
            return true;
        case Where::Subprograms:
            m_where = Where::Subprogram;
            m_current = ProjectSubprogram{};
            m_seenName = false;
            m_seenText = false;
            return true;
        default:
            return Value(Scalar{});
        }
    }

    bool end_object() override
    {
        if (Failed())
            return true;
        if (m_where != Where::Subprogram) {
            m_where = Where::Done;
            Diagnostic problem;
            if (const std::string path = ReversedRange(m_project, problem); !path.empty())
                return Refuse(path, problem.id, std::move(problem.args));
            return true;
        }
        if (!m_seenName || !m_seenText)
            return Refuse(Element(m_index), sid::KeyMissing,
                          {std::string(m_seenName ? kTextKey : kNameKey)});
        m_project.subprograms.push_back(std::move(m_current));
        ++m_index;
        m_where = Where::Subprograms;
        return true;
    }

    bool start_array(std::size_t) override
    {
        if (Failed())
            return true;
        if (m_where == Where::Root && m_key == Key::Subprograms) {
            m_where = Where::Subprograms;
            return true;
        }
        return Value(Scalar{});
    }

    bool end_array() override
    {
        if (!Failed())
            m_where = Where::Root; // only the subprogram array gets here
        return true;
    }

    bool key(string_t &key) override
    {
        if (Failed())
            return true;
        if (m_where == Where::Root) {
            m_path = Child("$", key);
            std::size_t bit = 0;
            m_range = nullptr;
            if (key == kSubprogramsKey) {
                m_key = Key::Subprograms;
                bit = std::size(kRanges);
            } else {
                for (const RangeField &range : kRanges)
                    if (key == range.name)
                        m_range = &range;
                if (!m_range)
                    return UnknownKey(m_path);
                m_key = Key::Range;
                bit = static_cast<std::size_t>(m_range - kRanges);
            }
            const unsigned mask = 1u << bit;
            if (m_rootSeen & mask)
                return KeyTwice(m_path);
            m_rootSeen |= mask;
            return true;
        }
        // In a subprogram.
        m_path = Child(Element(m_index), key);
        bool *seen = nullptr;
        if (key == kNameKey) {
            m_key = Key::Name;
            seen = &m_seenName;
        } else if (key == kTextKey) {
            m_key = Key::Text;
            seen = &m_seenText;
        } else {
            return UnknownKey(m_path);
        }
        if (*seen)
            return KeyTwice(m_path);
        *seen = true;
        return true;
    }

private:
    enum class Where {
        Start,       // before the root value
        Root,        // in the root object
        Subprograms, // in the subprogram array, between elements
        Subprogram,  // in a subprogram object
        Done,        // after the root object
    };

    // The key whose value comes next.
    enum class Key { Range, Subprograms, Name, Text };

    bool Name(const std::string &name)
    {
        if (!IsProjectName(name))
            return Expected(m_path, sid::ProjectName);
        if (!m_folded.insert(FoldNameCase(name)).second)
            return Refuse(m_path, sid::NameTaken, {name});
        m_current.name = name;
        return true;
    }

    bool Value(const Scalar &value) override
    {
        if (Failed())
            return true;
        switch (m_where) {
        case Where::Start:
            return Expected("$", sid::JsonObject);
        case Where::Root:
            if (m_key == Key::Subprograms)
                return Expected(m_path, sid::JsonArray);
            if (value.what != Scalar::What::Integer || value.integer < 0
                || value.integer > std::int64_t{std::numeric_limits<std::uint32_t>::max()})
                return ExpectedRange(m_path, 0, std::numeric_limits<std::uint32_t>::max());
            m_project.*(m_range->member) = static_cast<std::uint32_t>(value.integer);
            return true;
        case Where::Subprograms:
            return Expected(Element(m_index), sid::JsonObject);
        case Where::Subprogram:
            if (value.what != Scalar::What::Text)
                return Expected(m_path, sid::JsonString);
            if (m_key == Key::Name)
                return Name(*value.text);
            m_current.text = *value.text;
            return true;
        case Where::Done:
            return true; // the parser refuses anything after the root
        }
        return true;
    }

    Project m_project;
    Where m_where = Where::Start;
    std::string m_path; // of the value that comes next
    Key m_key = Key::Range;
    const RangeField *m_range = nullptr; // when m_key is Key::Range
    unsigned m_rootSeen = 0;
    std::size_t m_index = 0; // the subprogram element being read
    ProjectSubprogram m_current;
    bool m_seenName = false;
    bool m_seenText = false;
    std::unordered_set<std::string> m_folded; // the names read so far, case-folded
};

} // namespace

std::vector<std::string> Project::names() const
{
    std::vector<std::string> out;
    out.reserve(subprograms.size());
    for (const ProjectSubprogram &subprogram : subprograms)
        out.push_back(subprogram.name);
    return out;
}

const ProjectSubprogram *Project::find(std::string_view name) const
{
    for (const ProjectSubprogram &subprogram : subprograms)
        if (subprogram.name == name)
            return &subprogram;
    for (const ProjectSubprogram &subprogram : subprograms)
        if (NameExistsInProject(name, {subprogram.name}))
            return &subprogram;
    return nullptr;
}

ProjectSubprogram *Project::find(std::string_view name)
{
    return const_cast<ProjectSubprogram *>(std::as_const(*this).find(name));
}

PosHostContext Project::context() const
{
    PosHostContext context;
    context.subprogramNames = names();
    context.minD = minD;
    context.maxD = maxD;
    context.minM = minM;
    context.maxM = maxM;
    return context;
}

void (*g_projectReplaceHook)() = nullptr;

bool IsProjectName(std::string_view name)
{
    return CheckSubprogramNameRule(name).ok();
}

Result<Project> ReadProjectJson(std::string_view text)
{
    return ProjectReader().Read(text);
}

Status CheckProject(const Project &project)
{
    const auto refuse = [](std::string path, Diagnostic problem) {
        problem.path = std::move(path);
        return problem;
    };
    Diagnostic problem;
    if (std::string path = ReversedRange(project, problem); !path.empty())
        return refuse(std::move(path), std::move(problem));
    std::unordered_set<std::string> folded;
    folded.reserve(project.subprograms.size());
    for (std::size_t i = 0; i < project.subprograms.size(); ++i) {
        const ProjectSubprogram &subprogram = project.subprograms[i];
        const std::string path = Element(i);
        if (!IsProjectName(subprogram.name))
            return refuse(Child(path, kNameKey),
                          {.id = sid::Expected, .args = {TextId{sid::ProjectName}}});
        if (!folded.insert(FoldNameCase(subprogram.name)).second)
            return refuse(Child(path, kNameKey), {.id = sid::NameTaken, .args = {subprogram.name}});
        if (!IsValidUtf8(subprogram.text))
            return refuse(Child(path, kTextKey),
                          {.id = sid::Expected, .args = {TextId{sid::ValidUtf8Text}}});
    }
    return {};
}

Status ReplaceProjectFile(const std::string &path, std::string_view read, std::string_view text,
                          int waitMs)
{
    const Diagnostic changed{.id = sid::ProjectChanged, .args = {path}};
    // The file at the end of any links: the one that was read, and the one
    // whose lock every run takes, however it reached the project.
    const std::string real = RealPath(path);
    if (real.empty())
        return changed; // gone meanwhile
    Result<FileLock> lock = FileLock::Acquire(real + ".lock", waitMs);
    if (!lock) {
        if (lock.error().id == sid::ProjectBusy)
            lock.error().args.front() = path;
        return std::move(lock.error());
    }
    if (const Result<std::string> now = ReadWholeFile(real); !now || *now != read)
        return changed;
    if (g_projectReplaceHook)
        g_projectReplaceHook();
    return WriteWholeFile(real, text);
}

std::string WriteProjectJson(const Project &project)
{
    const auto dump = [](const Json &value) {
        return value.dump(-1, ' ', false, Json::error_handler_t::replace);
    };
    std::string out = "{\n";
    for (const RangeField &range : kRanges)
        out += "  " + Quoted(range.name) + ": " + std::to_string(project.*(range.member)) + ",\n";
    out += "  " + Quoted(kSubprogramsKey) + ": [";
    if (project.subprograms.empty())
        return out + "]\n}\n";
    out += '\n';
    for (std::size_t i = 0; i < project.subprograms.size(); ++i) {
        const ProjectSubprogram &subprogram = project.subprograms[i];
        out += "    {" + Quoted(kNameKey) + ": " + dump(subprogram.name) + ", " + Quoted(kTextKey)
               + ": " + dump(subprogram.text) + "}";
        out += i + 1 < project.subprograms.size() ? ",\n" : "\n";
    }
    return out + "  ]\n}\n";
}

} // namespace pos
