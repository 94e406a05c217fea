// The drawing import end to end, as a user runs it: `pos-host import-dxf` as
// a process, plain and with --arrange, on a generated drawing of 50 MB or
// more with a CAD program's mix (parts with rounded outlines as LWPOLYLINEs
// with bulges, holes as CIRCLEs, slots as LINE and ARC chains, bolt patterns
// as block references), against the floor of reading the file and counting
// its line feeds, in the same run.
//
// Usage: bench_import [megabytes] [repetitions] [KEEP.dxf]   (defaults: 64 MiB, 3)
// With KEEP.dxf the drawing is written there and kept, for profiling.
// Prints MB/s, the ratio to the floor (best of the repetitions) and the
// peak memory of each run against the file size.

#include "BenchDrawing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    w.pair("  9", "$INSUNITS");
    w.pair(" 70", "4");
    w.pair("  0", "ENDSEC");
    // A bolt pattern: four holes on a circle.
    w.pair("  0", "SECTION");
    w.pair("  2", "BLOCKS");
    w.pair("  0", "BLOCK");
    w.pair("  8", "0");
    w.pair("  2", "BOLTS");
    w.pair(" 70", "0");
    w.number(" 10", 0.0);
    w.number(" 20", 0.0);
    for (int i = 0; i < 4; ++i) {
        w.pair("  0", "CIRCLE");
        w.pair("  8", "0");
        w.number(" 10", 6.0 * std::cos(i * 1.5707963267948966));
        w.number(" 20", 6.0 * std::sin(i * 1.5707963267948966));
        w.number(" 40", 1.5);
    }
    w.pair("  0", "ENDBLK");
    w.pair("  0", "ENDSEC");
    w.pair("  0", "SECTION");
    w.pair("  2", "ENTITIES");

    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    const auto common = [&w](const char *type, const char *layer, const char *subclass) {
        w.pair("  0", type);
        w.handle();
        w.pair("330", "1F");
        w.pair("100", "AcDbEntity");
        w.pair("  8", layer);
        w.pair("100", subclass);
    };
    for (long part = 0; w.written() < bytes; ++part) {
        const double x = static_cast<double>(part % 400) * 60.0;
        const double y = static_cast<double>(part / 400) * 60.0;
        // Outline: a rectangle with rounded corners (quarter-circle bulges).
        common("LWPOLYLINE", "Outline", "AcDbPolyline");
        const double corners[8][2]
            = {{5, 0}, {45, 0}, {50, 5}, {50, 45}, {45, 50}, {5, 50}, {0, 45}, {0, 5}};
        w.pair(" 90", "8");
        w.pair(" 70", "1");
        for (int i = 0; i < 8; ++i) {
            w.number(" 10", x + corners[i][0] + (i ? 0.0 : jitter(random) * 0.01));
            w.number(" 20", y + corners[i][1]);
            if (i % 2 == 1)
                w.number(" 42", 0.41421356237309503);
        }
        // A hole and a bolt pattern.
        common("CIRCLE", "Holes", "AcDbCircle");
        w.number(" 10", x + 15.0 + jitter(random));
        w.number(" 20", y + 35.0);
        w.number(" 40", 4.0);
        common("INSERT", "Holes", "AcDbBlockReference");
        w.pair("  2", "BOLTS");
        w.number(" 10", x + 32.0);
        w.number(" 20", y + 32.0);
        // A slot: two lines and two half circles, in drawing order.
        const double sx = x + 10.0, sy = y + 12.0;
        common("LINE", "Slots", "AcDbLine");
        w.number(" 10", sx);
        w.number(" 20", sy);
        w.number(" 11", sx + 20.0);
        w.number(" 21", sy);
        common("ARC", "Slots", "AcDbCircle");
        w.number(" 10", sx + 20.0);
        w.number(" 20", sy + 3.0);
        w.number(" 40", 3.0);
        w.pair("100", "AcDbArc");
        w.number(" 50", 270.0);
        w.number(" 51", 90.0);
        common("LINE", "Slots", "AcDbLine");
        w.number(" 10", sx);
        w.number(" 20", sy + 6.0);
        w.number(" 11", sx + 20.0);
        w.number(" 21", sy + 6.0);
        common("ARC", "Slots", "AcDbCircle");
        w.number(" 10", sx);
        w.number(" 20", sy + 3.0);
        w.number(" 40", 3.0);
        w.pair("100", "AcDbArc");
        w.number(" 50", 90.0);
        w.number(" 51", 270.0);
    }
    w.pair("  0", "ENDSEC");
    w.pair("  0", "EOF");
    w.flush();
    if (std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

struct Run
{
    double seconds = 0.0;
    long peakKb = 0;
    int status = -1;
};

// Runs pos-host with the arguments, its output to /dev/null.
Run Host(const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(POS_HOST_PATH));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execv(POS_HOST_PATH, argv.data());
        std::_Exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const bool keep = argc > 3;
    const std::string path = keep ? std::string(argv[3])
                                  : (std::filesystem::temp_directory_path()
                                     / ("bench_import_" + std::to_string(::getpid()) + ".dxf"))
                                        .string();
    Generate(path, megabytes << 20);
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    bench::CountLineFeeds(path); // into the page cache

    double floor = 1e300;
    Run plain{1e300}, arranged{1e300};
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        bench::CountLineFeeds(path);
        floor = std::min(floor, std::chrono::duration<double>(Clock::now() - start).count());
        const Run p = Host({"import-dxf", path});
        const Run a = Host({"import-dxf", path, "--arrange"});
        if (p.status != 0 || a.status != 0) {
            std::fprintf(stderr, "pos-host failed: %d %d\n", p.status, a.status);
            if (!keep)
                std::filesystem::remove(path);
            return 1;
        }
        if (p.seconds < plain.seconds)
            plain = p;
        if (a.seconds < arranged.seconds)
            arranged = a;
    }
    if (!keep)
        std::filesystem::remove(path);

    std::printf("drawing: %.1f MB (best of %d runs)\n", mb, repetitions);
    std::printf("floor (read + count line feeds): %8.1f MB/s  %8.1f ms\n", mb / floor, floor * 1e3);
    for (const auto &[name, run, goal] : {std::tuple("import-dxf          ", plain, 3),
                                          std::tuple("import-dxf --arrange", arranged, 10)}) {
        std::printf("%s: %8.1f MB/s  %8.1f ms  ratio %.1f (goal %d or less)  peak %.0f MB "
                    "(%.2f x the file)\n",
                    name, mb / run.seconds, run.seconds * 1e3, run.seconds / floor, goal,
                    static_cast<double>(run.peakKb) / 1e3,
                    static_cast<double>(run.peakKb) * 1e3 / (mb * 1e6));
    }
    return 0;
}
