// Instruction throughput of Tsimulator::Step and of its run loop on three hand-assembled programs,
// with bus trace recording off and on (on = TraceEnabled with no conditions: every access reaches the
// recorder, which records nothing).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/machine.h"
#include "engine/simulator.h"

namespace {

constexpr uint16_t kOrigin = 0x2000;

// BCD counter at $1000:$1001.
//   CLR $1000; CLR $1001
//   loop: LDAA $1001; ADDA #1; DAA; STAA $1001; LDAA $1000; ADCA #0; DAA; STAA $1000; BRA loop
const std::vector<uint8_t> kBcdCounter = {
    0x7F, 0x10, 0x00, // 2000 CLR  $1000
    0x7F, 0x10, 0x01, // 2003 CLR  $1001
    0xB6, 0x10, 0x01, // 2006 LDAA $1001
    0x8B, 0x01,       // 2009 ADDA #1
    0x19,             // 200B DAA
    0xB7, 0x10, 0x01, // 200C STAA $1001
    0xB6, 0x10, 0x00, // 200F LDAA $1000
    0x89, 0x00,       // 2012 ADCA #0
    0x19,             // 2014 DAA
    0xB7, 0x10, 0x00, // 2015 STAA $1000
    0x20, 0xEC,       // 2018 BRA  $2006
};

// Block copy of 64 bytes from $4000 to $5000 with both pointers kept in the direct page,
// restarted forever.
const std::vector<uint8_t> kBlockCopy = {
    0xCC, 0x40, 0x00, // 2000 LDD  #$4000
    0xDD, 0x80,       // 2003 STD  $80      source pointer
    0xCC, 0x50, 0x00, // 2005 LDD  #$5000
    0xDD, 0x82,       // 2008 STD  $82      destination pointer
    0xC6, 0x40,       // 200A LDAB #64
    0xDE, 0x80,       // 200C LDX  $80
    0xA6, 0x00,       // 200E LDAA 0,X
    0x08,             // 2010 INX
    0xDF, 0x80,       // 2011 STX  $80
    0xDE, 0x82,       // 2013 LDX  $82
    0xA7, 0x00,       // 2015 STAA 0,X
    0x08,             // 2017 INX
    0xDF, 0x82,       // 2018 STX  $82
    0x5A,             // 201A DECB
    0x26, 0xEF,       // 201B BNE  $200C
    0x20, 0xE1,       // 201D BRA  $2000
};

// 16 x 16 -> 32-bit multiply of $90:$91 by $92:$93 into $94..$97 from four MUL partial
// products; the low multiplier byte is bumped after each product so the operands vary.
const std::vector<uint8_t> kMultiply = {
    0x4F,             // 2000 CLRA
    0x5F,             // 2001 CLRB
    0xDD, 0x94,       // 2002 STD  $94
    0xDD, 0x96,       // 2004 STD  $96
    0x96, 0x91,       // 2006 LDAA $91      low x low
    0xD6, 0x93,       // 2008 LDAB $93
    0x3D,             // 200A MUL
    0xDD, 0x96,       // 200B STD  $96
    0x96, 0x90,       // 200D LDAA $90      high x high
    0xD6, 0x92,       // 200F LDAB $92
    0x3D,             // 2011 MUL
    0xDD, 0x94,       // 2012 STD  $94
    0x96, 0x91,       // 2014 LDAA $91      low x high
    0xD6, 0x92,       // 2016 LDAB $92
    0x3D,             // 2018 MUL
    0xD3, 0x95,       // 2019 ADDD $95
    0xDD, 0x95,       // 201B STD  $95
    0x24, 0x03,       // 201D BCC  $2022
    0x7C, 0x00, 0x94, // 201F INC  $94
    0x96, 0x90,       // 2022 LDAA $90      high x low
    0xD6, 0x93,       // 2024 LDAB $93
    0x3D,             // 2026 MUL
    0xD3, 0x95,       // 2027 ADDD $95
    0xDD, 0x95,       // 2029 STD  $95
    0x24, 0x03,       // 202B BCC  $2030
    0x7C, 0x00, 0x94, // 202D INC  $94
    0x7C, 0x00, 0x91, // 2030 INC  $91
    0x20, 0xCB,       // 2033 BRA  $2000
};
constexpr uint16_t kMultiplyDone = 0x2030;

struct Machine {
    std::unique_ptr<TMemory> memory = std::make_unique<TMemory>();
    Tsimulator cpu{*memory};

    Machine(const std::vector<uint8_t>& program, bool trace) {
        uint16_t address = kOrigin;
        int16_t line = 1;
        for (uint8_t b : program)
            memory->Write(address++, MemoryCell{b, line++}, false);
        memory->Write(0xFFFE, MemoryCell{static_cast<uint8_t>(kOrigin >> 8), 0}, false);
        memory->Write(0xFFFF, MemoryCell{static_cast<uint8_t>(kOrigin), 0}, false);
        cpu.Reset();
        memory->TraceEnabled = trace;
    }
    void Poke(uint16_t address, uint8_t value) { memory->Write(address, MemoryCell{value, 0}, false); }
    uint8_t Peek(uint16_t address) { return memory->Cells[address].Value; }
};

// Argument "loop" 0: one Step call per instruction; 1: Run, the engine's own loop, 1000 steps at
// a time (as the run loops of the session drive it).
void RunProgram(benchmark::State& state, Machine& m) {
    uint8_t status = 0;
    int64_t steps = 0;
    const bool loop = state.range(1) != 0;
    TRunProgress progress;
    for (auto _ : state) {
        // A batch per iteration keeps the loop overhead of the framework out of the figure.
        if (loop) {
            m.cpu.Run(1000, TRunStops{}, progress);
            benchmark::DoNotOptimize(progress.Line);
        } else {
            for (int i = 0; i < 1000; ++i) {
                int16_t line = m.cpu.Step(status);
                benchmark::DoNotOptimize(line);
            }
        }
        steps += 1000;
    }
    state.SetItemsProcessed(steps);
}

void BcdCounter(benchmark::State& state) {
    Machine m(kBcdCounter, state.range(0) != 0);
    RunProgram(state, m);
    // The counter must hold a valid BCD number after the run.
    for (uint16_t a : {uint16_t{0x1000}, uint16_t{0x1001}})
        if ((m.Peek(a) & 0x0F) > 9 || (m.Peek(a) >> 4) > 9) state.SkipWithError("counter is not BCD");
}

void BlockCopy(benchmark::State& state) {
    Machine m(kBlockCopy, state.range(0) != 0);
    for (int i = 0; i < 64; ++i)
        m.Poke(static_cast<uint16_t>(0x4000 + i), static_cast<uint8_t>(i * 7 + 1));
    RunProgram(state, m);
    for (int i = 0; i < 32; ++i) // the first half is copied within the first few hundred steps
        if (m.Peek(static_cast<uint16_t>(0x5000 + i)) != static_cast<uint8_t>(i * 7 + 1))
            state.SkipWithError("block copy went wrong");
}

void Multiply(benchmark::State& state) {
    // Check the routine once before timing: $1234 x $5678 = $06260060.
    {
        Machine check(kMultiply, false);
        check.Poke(0x90, 0x12);
        check.Poke(0x91, 0x34);
        check.Poke(0x92, 0x56);
        check.Poke(0x93, 0x78);
        uint8_t status = 0;
        for (int i = 0; i < 100 && check.cpu.PC != kMultiplyDone; ++i)
            check.cpu.Step(status);
        const uint32_t product = static_cast<uint32_t>(check.Peek(0x94)) << 24 | check.Peek(0x95) << 16 |
                                 check.Peek(0x96) << 8 | check.Peek(0x97);
        if (check.cpu.PC != kMultiplyDone || product != 0x06260060u) {
            state.SkipWithError("multiply routine gives a wrong product");
            return;
        }
    }
    Machine m(kMultiply, state.range(0) != 0);
    m.Poke(0x90, 0xBE);
    m.Poke(0x91, 0xEF);
    m.Poke(0x92, 0xCA);
    m.Poke(0x93, 0xFE);
    RunProgram(state, m);
}

// An output-compare interrupt every 1000 E cycles beside a counting loop: the chip model's timer
// at work.
//   LDS #$0FFF; LDAA #EOCI; STAA TCSR; CLI; loop: INCB; BRA loop
//   handler: LDAA TCSR; LDD OCR; ADDD #1000; STD OCR; RTI
const std::vector<uint8_t> kCompareLoop = {
    0x8E, 0x0F, 0xFF, // 2000 LDS  #$0FFF
    0x86, 0x08,       // 2003 LDAA #EOCI
    0x97, 0x08,       // 2005 STAA $08
    0x0E,             // 2007 CLI
    0x5C,             // 2008 INCB
    0x20, 0xFD,       // 2009 BRA  $2008
};
const std::vector<uint8_t> kCompareHandler = {
    0x96, 0x08,       // 2100 LDAA $08
    0xDC, 0x0B,       // 2102 LDD  $0B
    0xC3, 0x03, 0xE8, // 2104 ADDD #1000
    0xDD, 0x0B,       // 2107 STD  $0B
    0x3B,             // 2109 RTI
};

// The same programs on a whole board in the chip model: every instruction's cycles on the clock,
// the timer counting each of them. Argument: 0 BCD counter, 1 block copy, 2 multiply, 3 compare
// interrupts (the first match comes at $FFFF, after 65535 cycles).
void ChipModel(benchmark::State& state) {
    auto board = std::make_unique<TMachine>();
    board->SetModel(TProcessorModel::Chip);
    const std::vector<uint8_t>* programs[] = {&kBcdCounter, &kBlockCopy, &kMultiply, &kCompareLoop};
    auto put = [&](uint16_t address, const std::vector<uint8_t>& bytes) {
        int16_t line = 1;
        for (uint8_t b : bytes)
            board->Memory.Write(address++, MemoryCell{b, line++}, false);
    };
    put(kOrigin, *programs[state.range(0)]);
    put(0x2100, kCompareHandler);
    put(0xFFF4, {0x21, 0x00});
    put(0xFFFE, {static_cast<uint8_t>(kOrigin >> 8), static_cast<uint8_t>(kOrigin)});
    board->ResetForRun();
    board->loaded = true;
    TRunProgress progress;
    int64_t steps = 0;
    for (auto _ : state) {
        board->Cpu.Run(1000, TRunStops{}, progress);
        benchmark::DoNotOptimize(progress.Line);
        steps += 1000;
    }
    state.SetItemsProcessed(steps);
    state.counters["cycles/step"] =
        static_cast<double>(progress.Cycles) / static_cast<double>(progress.Steps);
    if (state.range(0) == 3 && progress.Cycles > 0x20000 && board->Timer.St.OutputCompare == 0xFFFF)
        state.SkipWithError("no compare interrupt was taken");
}

} // namespace

BENCHMARK(ChipModel)->ArgName("program")->DenseRange(0, 3);
BENCHMARK(BcdCounter)->ArgNames({"trace", "loop"})->ArgsProduct({{0, 1}, {0, 1}});
BENCHMARK(BlockCopy)->ArgNames({"trace", "loop"})->ArgsProduct({{0, 1}, {0, 1}});
BENCHMARK(Multiply)->ArgNames({"trace", "loop"})->ArgsProduct({{0, 1}, {0, 1}});
