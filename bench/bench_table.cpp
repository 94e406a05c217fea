// The table page with a full outline: filling the grid with 256 segments
// and committing them (every check included), against filling a plain
// QTableWidget with the same texts in the same run. The goal is one frame
// (16 ms) for fill and commit; the ratio tells what the page's own grid and
// checks cost over Qt's simplest table.

#include "controls/CVSFlexGrid.h"
#include "guide/PosConfig.h"
#include "res/StringTable.h"
#include "wizard/CSetTable.h"

#include <QApplication>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// 256 segments that pass every check: straight lines and pass-through arcs,
// incremental, with speeds and times.
pos::PosConfig FullOutline()
{
    pos::PosConfig c = pos::NewPageDefaults();
    c.actionMode = 0;
    c.maxD = 100000;
    for (std::uint32_t i = 1; i <= pos::kMaxSegments; ++i) {
        pos::PosSegment s;
        s.number = i;
        s.type = (i % 2) ? pos::kTypeLine : pos::kTypeCcw;
        s.centreMode = s.type == pos::kTypeLine ? pos::kCentrePoint : pos::kPassPoint;
        s.initialSpeed = 100 + i;
        s.maxSpeed = 70000 + i;
        s.accDecTime = 100;
        s.endX = 1000;
        s.endY = static_cast<std::int32_t>(i);
        s.centreX = s.type == pos::kTypeLine ? 0 : 500;
        s.centreY = s.type == pos::kTypeLine ? 0 : 500;
        c.segments[i] = s;
    }
    return c;
}

void TablePageFillAndCommit(benchmark::State &state)
{
    const pos::PosConfig outline = FullOutline();
    pos::PosConfig config = outline;
    CSetTable page;
    page.SetContext(&config, false);
    page.OnInitDialog();
    page.resize(700, 330);
    page.show();
    for (auto _ : state) {
        page.grid()->setRows(CVSFlexGrid::kFixedRows); // every fill writes new rows
        page.FillGridFromRecord(&outline);
        if (!page.CommitTable(false))
            state.SkipWithError("the outline did not pass the checks");
    }
    if (config.segments != outline.segments)
        state.SkipWithError("the commit did not give the outline back");
}
BENCHMARK(TablePageFillAndCommit)->Unit(benchmark::kMillisecond);

void PlainTableWidgetFill(benchmark::State &state)
{
    // The texts the page shows, computed once: only the filling is timed.
    CSetTable reference;
    const pos::PosConfig outline = FullOutline();
    pos::PosConfig scratch = outline;
    reference.SetContext(&scratch, false);
    reference.OnInitDialog();
    const std::vector<QStringList> texts = reference.grid()->dataRows();

    QTableWidget table;
    table.setColumnCount(10);
    table.resize(700, 330);
    table.show();
    for (auto _ : state) {
        table.setRowCount(0);
        table.setRowCount(static_cast<int>(texts.size()));
        for (std::size_t r = 0; r < texts.size(); ++r)
            for (int c = 0; c < texts[r].size(); ++c)
                table.setItem(static_cast<int>(r), c, new QTableWidgetItem(texts[r][c]));
    }
}
BENCHMARK(PlainTableWidgetFill)->Unit(benchmark::kMillisecond);

// Prints the runs as usual and keeps their times for the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                milliseconds[run.benchmark_name()]
                    = run.real_accumulated_time * 1e3 / static_cast<double>(run.iterations);
    }
    std::map<std::string, double> milliseconds;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    pos::SetLanguage(pos::Lang::En);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto page = reporter.milliseconds.find("TablePageFillAndCommit");
    const auto plain = reporter.milliseconds.find("PlainTableWidgetFill");
    if (page != reporter.milliseconds.end() && plain != reporter.milliseconds.end()
        && plain->second > 0) {
        std::printf("\nfill and commit of 256 segments: %.2f ms (goal: under 16 ms), "
                    "%.2f times a plain QTableWidget fill (%.2f ms)\n",
                    page->second, page->second / plain->second, plain->second);
    }
    benchmark::Shutdown();
    return 0;
}
