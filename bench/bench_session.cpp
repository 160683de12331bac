// Run control without a user interface: the cost of one StepOnce (log record, step, breakpoint
// test, current line) on the sample program, of formatting log lines, and of a whole load.
#include <benchmark/benchmark.h>

#include "assembler/compiler.h"
#include "assembler/encoding.h"
#include "session/session.h"

namespace {

std::vector<std::string> SampleLines() { return SplitLines(Utf8ToCp1250(SampleProgram())); }

// The sample counts forever, so a loaded session can step as long as the benchmark wants.
void StepOnce(benchmark::State& state, bool logging, int breakpoints) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = logging;
    // Breakpoints on lines that are never reached: the test after every step still runs.
    for (int i = 0; i < breakpoints; ++i)
        session.Breakpoints.Add(1000 + i);
    std::vector<std::string> lines = SampleLines();
    session.Breakpoints.Clear();
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("sample program does not load");
        return;
    }
    for (int i = 0; i < breakpoints; ++i)
        session.Breakpoints.Add(1000 + i);
    session.RunFast();
    size_t steps = 0;
    for (auto _ : state) {
        TStepResult r = session.StepOnce();
        benchmark::DoNotOptimize(r.Line);
        // Keep the log from growing without bound across repetitions.
        if (++steps % (1u << 20) == 0) session.Log.Clear();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_StepOnceNoLog(benchmark::State& state) { StepOnce(state, false, 0); }
void BM_StepOnceWithLog(benchmark::State& state) { StepOnce(state, true, 0); }
void BM_StepOnceWithLogAnd20Breakpoints(benchmark::State& state) { StepOnce(state, true, 20); }

void BM_FormatLogLine(benchmark::State& state) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    std::vector<std::string> lines = SampleLines();
    session.LoadProgram(lines);
    for (int i = 0; i < 1000; ++i)
        session.StepOnce();
    std::string out;
    size_t i = 1;
    for (auto _ : state) {
        out.clear();
        session.Log.FormatTo(session.Log.Record(i), out);
        benchmark::DoNotOptimize(out.data());
        if (++i == session.Log.Size()) i = 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_LoadSample(benchmark::State& state) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    std::vector<std::string> lines = SampleLines();
    for (auto _ : state) {
        TLoadResult r = session.LoadProgram(lines);
        benchmark::DoNotOptimize(r.Ok);
        session.Stop();
        session.Log.Clear();
    }
}

} // namespace

BENCHMARK(BM_StepOnceNoLog);
BENCHMARK(BM_StepOnceWithLog);
BENCHMARK(BM_StepOnceWithLogAnd20Breakpoints);
BENCHMARK(BM_FormatLogLine);
BENCHMARK(BM_LoadSample);
