#pragma once

// Project files of the stand-in host (docs/host.md): the element ranges the
// project allows and the subprograms it holds, each a name and its text.
//
//   {"minD": 0, "maxD": 9999, "minM": 0, "maxM": 9999,
//    "subprograms": [{"name": "Main", "text": "LD SM0\n..."}]}
//
// An absent range takes the default below; absent "subprograms" is an empty
// project. Subprogram names are unique, ignoring the case of Latin letters,
// as the wizard's name page compares them.

#include "guide/PosConfig.h"
#include "res/Diagnostic.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pos {

// One subprogram of a project: its name and its instruction-list text (UTF-8,
// line feeds, as JoinPou gives it for a generated one).
struct ProjectSubprogram
{
    std::string name;
    std::string text;

    friend bool operator==(const ProjectSubprogram &, const ProjectSubprogram &) = default;
};

struct Project
{
    std::uint32_t minD = 0;                     // lowest start D element
    std::uint32_t maxD = 9999;                  // highest D element
    std::uint32_t minM = 0;                     // lowest M element
    std::uint32_t maxM = 9999;                  // highest M element
    std::vector<ProjectSubprogram> subprograms; // in file order

    // The names, in file order.
    std::vector<std::string> names() const;
    // The subprogram called name: the one spelt exactly so, else the one
    // equal to it ignoring case (there is at most one); null when none.
    const ProjectSubprogram *find(std::string_view name) const;
    ProjectSubprogram *find(std::string_view name);
    // What the host hands the wizard: the names and the four ranges.
    PosHostContext context() const;

    friend bool operator==(const Project &, const Project &) = default;
};

// True when name can be a subprogram of a project file: not empty and
// without control characters (one name per line in a listing).
bool IsProjectName(std::string_view name);

// Reads a project from the text of a file (UTF-8). Refuses, with the reason:
// - text that is not valid JSON (including strings that are not UTF-8), with
//   the parser's position;
// - a key that is not one of the above or a key given twice, with its JSON
//   path (e.g. "$.subprograms[1].nmae");
// - a value of the wrong kind, with its path and what was expected: the
//   ranges integers 0..4294967295, "subprograms" an array of objects,
//   "name" and "text" strings;
// - a subprogram without its "name" or its "text";
// - a name that is empty or holds a control character, or one that an
//   earlier subprogram already has (ignoring case).
Result<Project> ReadProjectJson(std::string_view text);

// Writes a project file: the four ranges, then the subprograms one per line,
// ending in a line feed. ReadProjectJson gives the same project back when
// its names are as it demands.
std::string WriteProjectJson(const Project &project);

} // namespace pos
