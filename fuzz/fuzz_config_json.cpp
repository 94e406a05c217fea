// Feeds arbitrary text to the configuration file reader. Whatever it accepts
// must write back to a text that reads as the same configuration and writes
// the same text again; whatever it refuses must come with a reason in both
// languages.
#include "guide/ConfigJson.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto config = pos::ReadConfigJson(text);
    if (!config) {
        for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh})
            if (pos::Describe(config.error(), lang).empty())
                std::abort();
        return 0;
    }
    // A NUL byte is never JSON, inside a string or out: nothing after one
    // may be dropped silently.
    if (text.find('\0') != std::string_view::npos)
        std::abort();
    const std::string written = pos::WriteConfigJson(*config);
    const auto reread = pos::ReadConfigJson(written);
    if (!reread || !(*reread == *config) || pos::WriteConfigJson(*reread) != written)
        std::abort();
    (void)pos::WriteRawRecordJson(*config);
    return 0;
}
