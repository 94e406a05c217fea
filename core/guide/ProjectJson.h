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

// True when name can be a subprogram of a project file: the subprogram name
// rule of the wizard's name page (CheckSubprogramNameRule), nothing else.
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
// - a name that IsProjectName refuses, or one that an earlier subprogram
//   already has (ignoring case);
// - minD above maxD or minM above maxM, at "$.minD" or "$.minM".
// Linear in the size of the text.
Result<Project> ReadProjectJson(std::string_view text);

// What ReadProjectJson demands of a project, checked on one in memory, with
// the JSON path its file would give: ranges in order, every name as
// IsProjectName demands and none twice, every text valid UTF-8. A project
// that passes is read back from WriteProjectJson unchanged.
Status CheckProject(const Project &project);

// Writes a project file: the four ranges, then the subprograms one per line,
// ending in a line feed. Only a project that passes CheckProject gives a
// file ReadProjectJson takes.
std::string WriteProjectJson(const Project &project);

// How long a run waits for another run's lock on the same project.
inline constexpr int kProjectLockWaitMs = 2000;

// Replaces the project file at path with text, but only when the file still
// holds read (the bytes it held when the project was read). Path may be a
// symbolic link: the file at its end is checked and replaced, and the link
// stays. From the check through the replacement the run holds an exclusive
// lock on "REAL.lock" beside the real file (created when missing and left
// there), so that two runs never both find the file unchanged and both
// replace it; a run that finds the lock taken tries again for waitMs.
// Refuses, leaving the file as it is: a file that changed or is gone
// (50433, naming path), a lock still taken after waitMs (50560), a lock
// file that cannot be used (50561), and what WriteWholeFile refuses.
Status ReplaceProjectFile(const std::string &path, std::string_view read, std::string_view text,
                          int waitMs = kProjectLockWaitMs);

// Test seam: when set, ReplaceProjectFile calls it with the lock held, after
// the check and before the file is replaced, so that a test can widen that
// window. Null in the product.
extern void (*g_projectReplaceHook)();

} // namespace pos
