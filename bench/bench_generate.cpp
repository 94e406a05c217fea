// The generator and its reader on a full outline of 256 segments.
#include "codegen/GeneratePou.h"
#include "codegen/PouReader.h"
#include "wizard/Checks.h"

#include <benchmark/benchmark.h>

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
        s.maxSpeed = 70000 + i;
        s.accDecTime = 100;
        s.endX = static_cast<std::int32_t>(i * 1000);
        s.endY = -static_cast<std::int32_t>(i * 500);
        s.centreX = s.endX - 10;
        s.centreY = s.endY + 10;
        c.segments[i] = s;
    }
    return c;
}

void GenerateLines(benchmark::State &state)
{
    const pos::PosConfig c = FullOutline();
    for (auto _ : state)
        benchmark::DoNotOptimize(pos::GeneratePouLines(c, pos::Lang::En));
}
BENCHMARK(GenerateLines)->Unit(benchmark::kMicrosecond);

void GenerateText(benchmark::State &state)
{
    const pos::PosConfig c = FullOutline();
    for (auto _ : state)
        benchmark::DoNotOptimize(pos::JoinPou(pos::GeneratePouLines(c, pos::Lang::Zh)));
}
BENCHMARK(GenerateText)->Unit(benchmark::kMicrosecond);

void ReadBack(benchmark::State &state)
{
    const pos::PosConfig c = FullOutline();
    const std::string text = pos::JoinPou(pos::GeneratePouLines(c, pos::Lang::En));
    for (auto _ : state)
        benchmark::DoNotOptimize(pos::ParsePou(text, "POS_EXE", pos::NewPageDefaults()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ReadBack)->Unit(benchmark::kMicrosecond);

void CheckAll(benchmark::State &state)
{
    const pos::PosConfig c = FullOutline();
    for (auto _ : state)
        benchmark::DoNotOptimize(pos::CheckConfiguration(c, {}));
}
BENCHMARK(CheckAll)->Unit(benchmark::kMicrosecond);

} // namespace
