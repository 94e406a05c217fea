// Feeds arbitrary text to the project file reader of pos-host. Whatever it
// accepts must write back to a text that reads as the same project and
// writes the same text again; whatever it refuses must come with a reason.
#include "guide/ProjectJson.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto project = pos::ReadProjectJson(text);
    if (!project) {
        for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh})
            if (pos::Describe(project.error(), lang).empty())
                std::abort();
        return 0;
    }
    // A NUL byte is never JSON, inside a string or out: nothing after one
    // may be dropped silently.
    if (text.find('\0') != std::string_view::npos)
        std::abort();
    const std::string written = pos::WriteProjectJson(*project);
    const auto reread = pos::ReadProjectJson(written);
    if (!reread || !(*reread == *project) || pos::WriteProjectJson(*reread) != written)
        std::abort();
    for (const pos::ProjectSubprogram &subprogram : project->subprograms)
        if (project->find(subprogram.name) != &subprogram)
            std::abort();
    return 0;
}
