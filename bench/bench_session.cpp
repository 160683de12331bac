// Run control without a user interface: the cost of one StepOnce (log record, step, breakpoint
// test, current line) and of the lean Step on the sample program, of formatting log lines, of a
// whole load, of a scenario run (steps with the device clocks ticking in between, as orlek-cli and
// the turbo run drive them, with and without the step history), of the shipped lab boards'
// programs in turbo with and without their boards, and of a step back.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "engine/machine.h"
#include "session/scenario.h"
#include "session/sciterminal.h"
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
        TStepOutcome r = session.StepOnce();
        benchmark::DoNotOptimize(r.Line);
        // Keep the log from growing without bound across repetitions.
        if (++steps % (1u << 20) == 0) session.Log.Clear();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_StepOnceNoLog(benchmark::State& state) { StepOnce(state, false, 0); }

// The lean step alone (TSession::Step: no history, no log, no texts): what a front end that
// steps one at a time without reverse step pays.
void BM_StepNoHistoryNoLog(benchmark::State& state) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = false;
    session.SetHistoryEnabled(false);
    std::vector<std::string> lines = SampleLines();
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("sample program does not load");
        return;
    }
    session.RunFast();
    for (auto _ : state) {
        TStepOutcome r = session.Step();
        benchmark::DoNotOptimize(r.Line);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
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

// Echo loop on the serial interface while the timer compare flag is polled.
const char* const kDeviceLoop = "       org $1000\n"
                                "start  ldaa #$0A\n" // RE|TE
                                "       staa $11\n"
                                "loop   ldaa $08\n"
                                "       anda #$40\n"
                                "       beq skip\n"
                                "       ldd $09\n" // OCF: re-arm the compare
                                "       std $0B\n"
                                "skip   ldaa $11\n"
                                "       bpl loop\n"
                                "       ldab $12\n"
                                "       stab $13\n"
                                "       bra loop\n"
                                "       org $fffe\n"
                                "       fdb start\n"
                                "       end\n";

// A scenario with the default clocks (timer every 5, SCI every 150 steps) and no log; a byte
// from the external system every 2000 steps keeps the receive path busy.
void BM_ScenarioDeviceLoop(benchmark::State& state) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = false;
    session.Machine().Random.Seed(1);
    TScenario scenario(session);
    std::vector<std::string> lines = SplitLines(kDeviceLoop);
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("device loop does not load");
        return;
    }
    session.SciTerminal().ExternalRate = session.Machine().Sci.ChipRate();
    constexpr uint64_t kChunk = 3000, kSendEvery = 2000;
    uint64_t nextSend = kSendEvery;
    for (auto _ : state) {
        for (; nextSend <= scenario.Steps() + kChunk; nextSend += kSendEvery)
            scenario.Add(nextSend, TSerialSend{{static_cast<uint8_t>(nextSend)}});
        if (scenario.Advance(kChunk) != ScenarioStop::Running) {
            state.SkipWithError("the device loop stopped");
            break;
        }
    }
    // An echo takes about 3000 steps (10 SCI ticks each way); judge only runs long enough.
    if (scenario.Steps() >= 30000 && session.SciTerminal().Received().empty())
        state.SkipWithError("nothing was echoed");
    state.SetItemsProcessed(static_cast<int64_t>(scenario.Steps()));
}

// The sample program driven by a scenario, as the turbo run and orlek-cli run drive it: the device
// clocks tick on the virtual clock; the history of steps (reverse step) on or off; the log off,
// or bounded as during turbo; the logic analyser recording every signal, or not; in either model.
void ScenarioSample(benchmark::State& state, bool history, bool logging, bool signals = false,
                    bool watch = false, TProcessorModel model = TProcessorModel::Classic) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.SetSignalRecording(signals);
    session.SetExecutionWatch(watch);
    session.Log.Enabled = logging;
    session.Log.SetLimit(1000000);
    session.SetHistoryEnabled(history);
    session.SetModel(model);
    TScenario scenario(session);
    // The chip model's devices count E cycles: no interface clocks.
    if (model == TProcessorModel::Chip) scenario.Clock.TimerEvery = scenario.Clock.SciEvery = 0;
    std::vector<std::string> lines = SampleLines();
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("sample program does not load");
        return;
    }
    constexpr uint64_t kChunk = 8192;
    for (auto _ : state)
        if (scenario.Advance(kChunk) != ScenarioStop::Running) {
            state.SkipWithError("the sample stopped");
            break;
        }
    state.SetItemsProcessed(static_cast<int64_t>(scenario.Steps()));
}

// A shipped lab board's program as turbo runs it (history on, the log bounded), on its board
// (state.range(1) = 1) or on bare ports (0): what the board costs a turbo run. The keypad program
// has a key held, so its scan finds one.
const char* const kBoardPrograms[] = {"lucke", "prikazovalnik", "tipkovnica", "semafor"};

std::string ExampleBoardText(const std::string& name) {
    std::ifstream in(std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void BM_TurboBoardProgram(benchmark::State& state) {
    const std::string name = kBoardPrograms[state.range(0)];
    const bool board = state.range(1) != 0;
    state.SetLabel(name + (board ? " on its board" : " without a board"));
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = true;
    session.Log.SetLimit(1000000);
    if (board) {
        const TBoardRead read = session.SetBoardText(ExampleBoardText(name + ".json"));
        if (!read.Ok()) {
            state.SkipWithError(read.Message().c_str());
            return;
        }
    }
    TScenario scenario(session);
    std::vector<std::string> lines = SplitLines(Utf8ToCp1250(ExampleBoardText(name + ".asm")));
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("the program does not load");
        return;
    }
    session.RunTurbo();
    std::string error;
    if (board && name == "tipkovnica")
        session.PressOnBoard(*session.FindBoardInput("5", TLabBoard::TInputUse::Press, error));
    constexpr uint64_t kChunk = 8192;
    for (auto _ : state)
        if (scenario.Advance(kChunk) != ScenarioStop::Running) {
            state.SkipWithError("the program stopped");
            break;
        }
    state.SetItemsProcessed(static_cast<int64_t>(scenario.Steps()));
}

void BM_ScenarioSample(benchmark::State& state) { ScenarioSample(state, false, false); }
void BM_ScenarioSampleHistory(benchmark::State& state) { ScenarioSample(state, true, false); }
void BM_ScenarioSampleHistoryLog(benchmark::State& state) { ScenarioSample(state, true, true); }
// The same in the chip model: as orlek-cli runs it, and as turbo does (history, bounded log).
void BM_ScenarioSampleChip(benchmark::State& state) {
    ScenarioSample(state, false, false, false, false, TProcessorModel::Chip);
}
void BM_ScenarioSampleChipHistoryLog(benchmark::State& state) {
    ScenarioSample(state, true, true, false, false, TProcessorModel::Chip);
}
void BM_ScenarioSampleSignals(benchmark::State& state) { ScenarioSample(state, false, false, true); }
void BM_ScenarioSampleHistorySignals(benchmark::State& state) { ScenarioSample(state, true, false, true); }
void BM_ScenarioSampleHistoryLogSignals(benchmark::State& state) { ScenarioSample(state, true, true, true); }
// As the workbench runs turbo: the signals recorded and the execution watched.
void BM_ScenarioSampleHistoryLogSignalsWatch(benchmark::State& state) {
    ScenarioSample(state, true, true, true, true);
}

// Reverse step: the device loop (stores, device registers, ticks) runs 1000 steps forward (not
// timed), then goes back all of them.
void BM_StepBack(benchmark::State& state) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = false;
    TScenario scenario(session);
    std::vector<std::string> lines = SplitLines(kDeviceLoop);
    if (!session.LoadProgram(lines).Ok) {
        state.SkipWithError("device loop does not load");
        return;
    }
    constexpr int kSteps = 1000;
    for (auto _ : state) {
        state.PauseTiming();
        scenario.Advance(kSteps);
        session.Pause();
        state.ResumeTiming();
        for (int k = 0; k < kSteps; ++k)
            benchmark::DoNotOptimize(session.StepBack());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kSteps);
}

} // namespace

BENCHMARK(BM_StepBack);
BENCHMARK(BM_ScenarioSample);
BENCHMARK(BM_ScenarioSampleHistory);
BENCHMARK(BM_ScenarioSampleHistoryLog);
BENCHMARK(BM_ScenarioSampleChip);
BENCHMARK(BM_ScenarioSampleChipHistoryLog);
BENCHMARK(BM_ScenarioSampleSignals);
BENCHMARK(BM_ScenarioSampleHistorySignals);
BENCHMARK(BM_ScenarioSampleHistoryLogSignals);
BENCHMARK(BM_ScenarioSampleHistoryLogSignalsWatch);
BENCHMARK(BM_StepOnceNoLog);
BENCHMARK(BM_StepNoHistoryNoLog);
BENCHMARK(BM_StepOnceWithLog);
BENCHMARK(BM_StepOnceWithLogAnd20Breakpoints);
BENCHMARK(BM_FormatLogLine);
BENCHMARK(BM_LoadSample);
BENCHMARK(BM_ScenarioDeviceLoop);
BENCHMARK(BM_TurboBoardProgram)->ArgsProduct({{0, 1, 2, 3}, {0, 1}});
