// Feeds arbitrary text to the configuration file reader. Whatever it accepts
// must write back to a text that reads as the same configuration and writes
// the same text again; whatever it refuses must come with a reason.
#include "guide/ConfigJson.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh}) {
        std::string error;
        const auto config = pos::ReadConfigJson(text, &error, lang);
        if (!config) {
            if (error.empty())
                std::abort();
            continue;
        }
        if (!error.empty())
            std::abort();
        const std::string written = pos::WriteConfigJson(*config);
        const auto reread = pos::ReadConfigJson(written, &error, lang);
        if (!reread || !(*reread == *config) || pos::WriteConfigJson(*reread) != written)
            std::abort();
        (void)pos::WriteRawRecordJson(*config);
    }
    return 0;
}
