// Feeds arbitrary text to the reader of generated subprograms; a text it
// accepts must generate back to a text it reads as the same configuration,
// and the configuration file reader must take it too.
#include "codegen/GeneratePou.h"
#include "codegen/PouReader.h"
#include "guide/ConfigJson.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto config = pos::ParsePou(text, "POS_EXE", pos::NewPageDefaults());
    if (!config)
        return 0;
    // Whatever the subprogram reader takes, the configuration reader takes.
    const auto fromFile = pos::ReadConfigJson(pos::WriteConfigJson(*config));
    if (!fromFile || !(*fromFile == *config))
        std::abort();
    // A hand-written block of zeros reads, but the generator never writes one.
    for (const auto &[number, segment] : config->segments)
        if (segment.isAllZero())
            return 0;
    for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh}) {
        // Generated, read back and generated again: the same configuration
        // and the same text; a generated input is reproduced byte for byte.
        const std::string again = pos::JoinPou(pos::GeneratePouLines(*config, lang));
        const auto reread = pos::ParsePou(again, "POS_EXE", pos::NewPageDefaults());
        if (!reread || !(*reread == *config))
            std::abort();
        if (pos::JoinPou(pos::GeneratePouLines(*reread, lang)) != again)
            std::abort();
    }
    return 0;
}
