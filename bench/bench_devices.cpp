// The board at work: trace recording with conditions, and the bare cost of the device ticks.
// (Steps with the device clocks ticking in between are the scenario's, in bench_session.)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/machine.h"

namespace {

constexpr uint16_t kOrigin = 0x1000;

// Fills $2000-$20FF with a running byte, forever: one write per three instructions.
const std::vector<uint8_t> kFill = {
    0xCE, 0x20, 0x00, // 1000 LDX  #$2000
    0xA7, 0x00,       // 1003 STAA 0,X
    0x4C,             // 1005 INCA
    0x08,             // 1006 INX
    0x8C, 0x21, 0x00, // 1007 CPX  #$2100
    0x26, 0xF7,       // 100A BNE  $1003
    0x20, 0xF2,       // 100C BRA  $1000
};

std::unique_ptr<TMachine> Board(const std::vector<uint8_t>& program) {
    auto m = std::make_unique<TMachine>();
    m->Random.Seed(1);
    uint16_t address = kOrigin;
    int16_t line = 1;
    for (uint8_t b : program)
        m->Memory.Write(address++, MemoryCell{b, line++}, false);
    m->Memory.Write(0xFFFE, MemoryCell{static_cast<uint8_t>(kOrigin >> 8), 0}, false);
    m->Memory.Write(0xFFFF, MemoryCell{static_cast<uint8_t>(kOrigin), 0}, false);
    m->ResetForRun();
    m->loaded = true;
    return m;
}

// Trace armed at once, four qualifiers of which the last (newest-first order: walked last)
// takes every write. Rows are emptied now and then so memory stays bounded.
void TraceRecording(benchmark::State& state) {
    auto m = Board(kFill);
    TTrace& trace = m->Memory.Trace;
    trace.Triggers.Add(*ParseCondition("xxxx", "xx", "R"));
    trace.Qualifiers.Add(*ParseCondition("xxxx", "xx", "W"));
    trace.Qualifiers.Add(*ParseCondition("30xx", "xx", "W"));
    trace.Qualifiers.Add(*ParseCondition("0012", "xx", "R"));
    trace.Qualifiers.Add(*ParseCondition("FFxx", "x", "R"));
    m->Memory.TraceEnabled = true;
    uint8_t status = 0;
    int64_t steps = 0;
    size_t rows = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i)
            benchmark::DoNotOptimize(m->Cpu.Step(status));
        steps += 1000;
        if (trace.Rows().size() > (1u << 20)) {
            rows += trace.Rows().size();
            trace.ClearRows();
        }
    }
    rows += trace.Rows().size();
    if (rows == 0) state.SkipWithError("nothing was recorded");
    state.SetItemsProcessed(steps);
    state.counters["rows/step"] = static_cast<double>(rows) / static_cast<double>(steps);
}

void Ticks(benchmark::State& state) {
    auto m = Board(kFill);
    m->Memory.Write(0x11, MemoryCell{0x0A, 0}, false);
    m->Memory.Write(0x08, MemoryCell{0x1C, 0}, false);
    for (auto _ : state) {
        m->Timer.TimerTick();
        m->Sci.SciTick();
    }
    benchmark::DoNotOptimize(m->Cpu.Pending);
}

} // namespace

BENCHMARK(TraceRecording);
BENCHMARK(Ticks);
