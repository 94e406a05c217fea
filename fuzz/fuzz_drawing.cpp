// Feeds arbitrary text to the full-precision reader and the arranged import.
// The first byte chooses the options (scale, tolerance, order, fitting).
// Whatever the text, the import either fails with a reason or gives an
// outline that runs: continuous from the start, every arc passing the arc
// check where it begins, at most 256 segments in the configuration.
#include "geometry/ArcCheck.h"
#include "geometry/DrawingImport.h"
#include "geometry/DxfDrawing.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsReason(int id)
{
    switch (id) {
    case pos::sid::DxfCodeExpected:
    case pos::sid::DxfValueMissing:
    case pos::sid::DxfNotNumber:
    case pos::sid::DxfOutOfRange:
    case pos::sid::DxfBinary:
    case pos::sid::DxfNoEof:
    case pos::sid::DxfTooLarge:
    case pos::sid::ImportTooLarge:
    case pos::sid::ImportNesting:
    case pos::sid::ImportCoordinateTooLarge:
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned choice = data[0];
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);
    const pos::Result<pos::dxf::Drawing> drawing = pos::dxf::ReadDrawingText(text);
    if (!drawing) {
        Check(IsReason(drawing.error().id));
        return 0;
    }
    constexpr double kScales[] = {1.0, 100.0, 0.001, 1e6};
    constexpr double kTolerances[] = {0.01, 1.0, 1e-9, 100.0};
    pos::ArrangeOptions options;
    options.pulsesPerMm = kScales[choice & 3];
    options.toleranceMm = kTolerances[(choice >> 2) & 3];
    options.order = !(choice & 16);
    options.fit = !(choice & 32);
    options.startMm = {(choice & 64) ? 12.5 : 0.0, (choice & 128) ? -3.0 : 0.0};
    options.maxCurves = 1 << 15; // the limit's path, reached in a fuzzer's time
    const pos::Result<pos::ArrangedDrawing> arranged = pos::ArrangeDrawing(*drawing, options);
    if (!arranged) {
        Check(IsReason(arranged.error().id));
        for (const pos::Lang lang : {pos::Lang::En, pos::Lang::Zh})
            Check(!pos::Describe(arranged.error(), lang).empty());
        return 0;
    }
    const pos::ArrangedDrawing &a = *arranged;
    Check(a.config.actionMode == 1 && a.config.segments.size() <= pos::kMaxSegments);
    Check(a.segments.size() <= a.report.segments && a.segments.size() <= options.keep);
    std::int32_t x = 0, y = 0;
    for (const pos::PosSegment &s : a.segments) {
        if (&s != &a.segments.front()) {
            Check(s.beginX == x && s.beginY == y);
            if (s.isArc())
                Check(pos::CheckSegmentArc(x, y, s).result == pos::kArcOk);
        }
        Check(s.travel ? s.type == pos::kTypeLine : true);
        x = s.endX;
        y = s.endY;
    }
    Check(!pos::DescribeReport(a.report, pos::Lang::Zh).empty());
    return 0;
}
