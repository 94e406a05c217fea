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
    pos::DxfError error;
    const auto config = reader.ReadDxfText(text, &error);

    long long lines = 1;
    for (const char c : text)
        lines += c == '\n';
    if (config) {
        Check(error.reasonId == 0);
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
        Check(IsReason(error.reasonId));
        Check(error.line >= 0 && error.line <= lines);
        Check(!error.message(pos::Lang::En).empty() && !error.message(pos::Lang::Zh).empty());
    }

    // The same text with CR LF line ends.
    std::string crlf;
    crlf.reserve(size + size / 4);
    for (const char c : text) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    pos::DxfError crlfError;
    const auto crlfConfig = reader.ReadDxfText(crlf, &crlfError);
    Check((config == nullptr) == (crlfConfig == nullptr));
    if (config)
        Check(*config == *crlfConfig);
    else
        Check(crlfError.reasonId == error.reasonId && crlfError.line == error.line
              && crlfError.detail == error.detail);
    return 0;
}
