// Feeds arbitrary text to the DXF reader. Whatever the text, the reader
// returns either a well-formed record or a reason with its line; and a
// drawing reads the same with CR LF line ends as with LF.
#include "geometry/DxfReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool IsReason(int id)
{
    switch (id) {
    case pos::sid::DxfCodeExpected:
    case pos::sid::DxfValueMissing:
    case pos::sid::DxfNotNumber:
    case pos::sid::DxfOutOfRange:
    case pos::sid::DxfBinary:
    case pos::sid::DxfNoEof:
    case pos::sid::DxfBadArc:
        return true;
    default:
        return false;
    }
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    pos::CDxfReader reader;
    const pos::Result<pos::PosConfig> config = reader.ReadDxfText(text);

    long long lines = 1;
    for (const char c : text)
        lines += c == '\n';
    if (config) {
        Check(config->startD == 0 && config->pulseMode == 1 && config->subprogramName.empty());
        std::uint32_t key = 0;
        for (const auto &[number, s] : config->segments) {
            Check(number == key++);
            Check(s.type >= pos::kTypeLine && s.type <= pos::kTypeCcw);
            Check(s.number == 0 && s.centreMode == 0 && s.initialSpeed == 0 && s.maxSpeed == 0
                  && s.accDecTime == 0);
            Check(s.isArc() || (s.centreX == 0 && s.centreY == 0));
        }
    } else {
        const pos::Diagnostic &error = config.error();
        Check(IsReason(error.id));
        Check(error.line >= 0 && error.line <= lines);
        for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh})
            Check(!pos::Describe(error, lang).empty());
    }

    // The same text with CR LF line ends.
    std::string crlf;
    crlf.reserve(size + size / 4);
    for (const char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const pos::Result<pos::PosConfig> crlfConfig = reader.ReadDxfText(crlf);
    Check(config.ok() == crlfConfig.ok());
    if (config)
        Check(*config == *crlfConfig);
    else
        Check(crlfConfig.error() == config.error());
    return 0;
}
