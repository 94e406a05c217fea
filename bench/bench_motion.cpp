// The motion commands on a full outline of 256 segments, against the
// generator on the same outline in the same run: estimate (the model, and
// its table as the command prints it), render as SVG and, in the build with
// Qt, as PNG. Prints the medians and their ratios to generate.
#include "SvgRaster.h"
#include "codegen/GeneratePou.h"
#include "geometry/Motion.h"
#include "geometry/TrajectorySvg.h"

#ifdef POS_BENCH_PNG
#include <QGuiApplication>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

pos::PosConfig FullOutline()
{
    pos::PosConfig c = pos::NewPageDefaults();
    c.actionMode = 1;
    c.maxD = 100000;
    for (std::uint32_t i = 1; i <= pos::kMaxSegments; ++i) {
        pos::PosSegment s;
        s.type = (i % 2) ? pos::kTypeLine : pos::kTypeCcw;
        s.initialSpeed = 100 + i;
        s.maxSpeed = 70000 + 100 * i;
        s.accDecTime = 100;
        s.endX = static_cast<std::int32_t>(i * 1000);
        s.endY = -static_cast<std::int32_t>(i * 500);
        s.centreX = s.endX - 10;
        s.centreY = s.endY + 10;
        c.segments[i] = s;
    }
    return c;
}

volatile std::size_t g_sink = 0;

// Median microseconds of one call of fn, over batches of calls.
double Median(const std::function<std::size_t()> &fn, int batches, int calls)
{
    std::vector<double> times;
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            g_sink = g_sink + fn();
        const std::chrono::duration<double, std::micro> took
            = std::chrono::steady_clock::now() - start;
        times.push_back(took.count() / calls);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int batches = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const pos::PosConfig outline = FullOutline();
    const pos::SvgOptions picture;
    const double generate
        = Median([&] { return pos::JoinPou(pos::GeneratePouLines(outline, pos::Lang::En)).size(); },
                 batches, 20);
    const double estimate
        = Median([&] { return pos::EstimateMotion(outline).segments.size(); }, batches, 20);
    const double svg
        = Median([&] { return pos::TrajectorySvg(outline, picture).text.size(); }, batches, 20);
    std::printf("256 segments, median of %d batches   us per call   ratio to generate\n", batches);
    std::printf("generate (subprogram text)          %10.1f\n", generate);
    std::printf("estimate (the model)                %10.1f   %8.2f\n", estimate,
                estimate / generate);
    std::printf("render, SVG                         %10.1f   %8.2f\n", svg, svg / generate);
#ifdef POS_BENCH_PNG
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string text = pos::TrajectorySvg(outline, picture).text;
    const double png = Median(
        [&] {
            auto bytes = pos::RasterizeSvg(text, picture.width, picture.height);
            return bytes ? bytes->size() : 0;
        },
        batches, 2);
    std::printf("render, PNG (from the SVG)          %10.1f   %8.2f\n", png, png / generate);
#endif
    return 0;
}
