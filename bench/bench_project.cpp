// Reading and writing a project file with many subprograms, as pos-host
// reads one before the wizard opens and writes it when the wizard completes.
//
// Usage: bench_project [subprograms] [repetitions]   (defaults: 100000, 5)
// Prints, for the large project and for one of 1,000, the time per
// subprogram of WriteProjectJson, ReadProjectJson and CheckProject (the
// check before every write), and the ratio of the large project's reading
// time per subprogram to the small one's: near 1 when reading is linear.
// The best of the repetitions counts.

#include "guide/ProjectJson.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A project of count subprograms with distinct names, each a short
// instruction list like a small generated one.
pos::Project MakeProject(std::size_t count)
{
    pos::Project project;
    project.subprograms.reserve(count);
    std::string text;
    for (int line = 0; line < 8; ++line)
        text += "MOV " + std::to_string(1000 * line) + "    D" + std::to_string(2000 + line)
                + "                //Configuration code\n";
    for (std::size_t i = 0; i < count; ++i)
        project.subprograms.push_back({"POS_" + std::to_string(i), text});
    return project;
}

struct Times
{
    double write = 1e300, read = 1e300, check = 1e300; // seconds per subprogram
};

template<typename Work>
double Best(int repetitions, std::size_t count, Work work)
{
    double best = 1e300;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        work();
        const std::chrono::duration<double> took = Clock::now() - start;
        best = std::min(best, took.count() / static_cast<double>(count));
    }
    return best;
}

Times Measure(std::size_t count, int repetitions)
{
    const pos::Project project = MakeProject(count);
    std::string text;
    Times t;
    t.write = Best(repetitions, count, [&] { text = pos::WriteProjectJson(project); });
    t.read = Best(repetitions, count, [&] {
        if (!pos::ReadProjectJson(text)) {
            std::fprintf(stderr, "the project written was not read back\n");
            std::exit(1);
        }
    });
    t.check = Best(repetitions, count, [&] {
        if (!pos::CheckProject(project)) {
            std::fprintf(stderr, "the project did not pass its check\n");
            std::exit(1);
        }
    });
    std::printf("%7zu subprograms (%5.1f MB): write %6.3f us, read %6.3f us, check %6.3f us per "
                "subprogram\n",
                count, static_cast<double>(text.size()) / 1e6, t.write * 1e6, t.read * 1e6,
                t.check * 1e6);
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    if (count < 1 || repetitions < 1) {
        std::fprintf(stderr, "usage: bench_project [subprograms] [repetitions]\n");
        return 2;
    }
    const Times small = Measure(1000, repetitions);
    const Times large = Measure(static_cast<std::size_t>(count), repetitions);
    std::printf("per subprogram, %ld against 1000: read %.2f, write %.2f, check %.2f\n", count,
                large.read / small.read, large.write / small.write, large.check / small.check);
    return 0;
}
