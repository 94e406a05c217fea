// Speed of the DXF reader on a generated drawing of 50 MB or more, against
// the floor of reading the same file into memory and counting its line feeds.
//
// Usage: bench_dxf [megabytes] [repetitions]
// (defaults: 64 MiB, 10). Prints MB/s of both and the ratio of their times
// (reader / floor); the best of the repetitions counts. The drawing is a mix
// of LINE, ARC and LWPOLYLINE entities as a CAD program writes them (handles,
// owner, layer and subclass groups, Z values, coordinates with ten decimals).

#include "BenchDrawing.h"
#include "geometry/DxfReader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void Generate(const std::string &path, std::size_t bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::exit(1);
    }
    bench::DrawingWriter w(file);
    w.pair("  0", "SECTION");
    w.pair("  2", "HEADER");
    w.pair("  9", "$ACADVER");
    w.pair("  1", "AC1015");
    w.pair("  9", "$INSUNITS");
    w.pair(" 70", "4");
    w.pair("  0", "ENDSEC");
    w.pair("  0", "SECTION");
    w.pair("  2", "ENTITIES");

    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> coordinate(-50000.0, 50000.0);
    std::uniform_real_distribution<double> angle(0.0, 360.0);
    std::uniform_real_distribution<double> radius(1.0, 5000.0);
    std::uniform_real_distribution<double> bulge(0.05, 1.5); // centres stay in range
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> vertices(3, 12);

    auto common = [&w](const char *type, const char *layer, const char *subclass) {
        w.pair("  0", type);
        w.handle();
        w.pair("330", "1F");
        w.pair("100", "AcDbEntity");
        w.pair("  8", layer);
        w.pair("100", subclass);
    };
    while (w.written() < bytes) {
        const int k = kind(random);
        if (k < 4) {
            common("LINE", "0", "AcDbLine");
            w.number(" 10", coordinate(random));
            w.number(" 20", coordinate(random));
            w.pair(" 30", "0.0");
            w.number(" 11", coordinate(random));
            w.number(" 21", coordinate(random));
            w.pair(" 31", "0.0");
        } else if (k < 6) {
            common("ARC", "Contour", "AcDbCircle");
            w.number(" 10", coordinate(random));
            w.number(" 20", coordinate(random));
            w.pair(" 30", "0.0");
            w.number(" 40", radius(random));
            w.pair("100", "AcDbArc");
            w.number(" 50", angle(random));
            w.number(" 51", angle(random));
        } else {
            common("LWPOLYLINE", "Outline", "AcDbPolyline");
            const int n = vertices(random);
            w.pair(" 90", std::to_string(n));
            w.pair(" 70", k % 2 ? "1" : "128");
            w.pair(" 43", "0.0");
            for (int i = 0; i < n; ++i) {
                w.number(" 10", coordinate(random));
                w.number(" 20", coordinate(random));
                if (i % 3 == 1)
                    w.number(" 42", (i % 2 ? 1.0 : -1.0) * bulge(random));
            }
        }
    }
    w.pair("  0", "ENDSEC");
    w.pair("  0", "EOF");
    w.flush();
    if (std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const std::string path = (std::filesystem::temp_directory_path()
                              / ("bench_dxf_" + std::to_string(::getpid()) + ".dxf"))
                                 .string();
    Generate(path, megabytes << 20);
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

    std::size_t segments = 0;
    std::size_t lines = 0;
    // Warm the page cache and check the drawing reads.
    lines = bench::CountLineFeeds(path);
    {
        pos::CDxfReader reader;
        const auto config = reader.ReadDxfFile(path);
        if (!config) {
            std::fprintf(stderr, "read failed: %s\n",
                         pos::Describe(config.error(), pos::Lang::En).c_str());
            std::filesystem::remove(path);
            return 1;
        }
        segments = config->segments.size();
    }

    // Floor and reader take turns, so that both see the same machine; the
    // best time of each counts. The record is freed outside the timed part:
    // that is its owner's work.
    double floorSeconds = 1e300;
    double readerSeconds = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(bench::CountLineFeeds(path));
        floorSeconds = std::min(floorSeconds, Seconds(Clock::now() - start));

        start = Clock::now();
        pos::CDxfReader reader;
        auto config = reader.ReadDxfFile(path);
        benchmark::DoNotOptimize(config);
        readerSeconds = std::min(readerSeconds, Seconds(Clock::now() - start));
    }
    std::filesystem::remove(path);

    std::printf("drawing: %.1f MB, %zu lines, %zu segments (best of %d runs)\n", mb, lines,
                segments, repetitions);
    std::printf("floor (read + count line feeds): %8.1f MB/s  %7.1f ms\n", mb / floorSeconds,
                floorSeconds * 1e3);
    std::printf("reader (ReadDxfFile):            %8.1f MB/s  %7.1f ms\n", mb / readerSeconds,
                readerSeconds * 1e3);
    std::printf("ratio reader/floor: %.2f (goal: 3 or less)\n", readerSeconds / floorSeconds);
    return 0;
}
