// What the lab board costs a run: the answer to a port write, the check for time-driven work
// that every step makes, a copy of its state (reverse step), and a look at a display (drawing).
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "board/labboard.h"
#include "board/shows.h"

namespace {

TLabBoard Shipped(const char* name) {
    std::ifstream in(std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name);
    std::ostringstream text;
    text << in.rdbuf();
    const TBoardRead read = ParseBoard(text.str());
    if (!read.Ok()) throw std::runtime_error(read.Message());
    return TLabBoard(*read.Board);
}

// A port write every few instructions (about 3 µs apart on the chip).
constexpr uint64_t kWriteNs = 3'000;

// The keypad scan: rows driven one at a time low, one key held.
void BM_PortsChangedKeypadScan(benchmark::State& state) {
    TLabBoard board = Shipped("tipkovnica.json");
    std::string error;
    board.Press(0, *board.FindInput("5", TLabBoard::TInputUse::Press, error));
    uint64_t t = 20'000'000;
    const uint8_t rows[4] = {0xFE, 0xFD, 0xFB, 0xF7};
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(board.PortsChanged(t += kWriteNs, {0x0F, rows[i++ & 3]}, {0x07, 0x00}));
    }
}
BENCHMARK(BM_PortsChangedKeypadScan);

// Nibbles to the LCD: data, E high, E low.
void BM_PortsChangedLcdWrite(benchmark::State& state) {
    TLabBoard board = Shipped("tipkovnica.json");
    uint64_t t = 20'000'000;
    int i = 0;
    for (auto _ : state) {
        const int phase = i++ % 3;
        const uint8_t e = phase == 1 ? 0x04 : 0x00;
        benchmark::DoNotOptimize(
            board.PortsChanged(t += kWriteNs * 10, {0xF0, 0x40}, {0x07, static_cast<uint8_t>(0x01 | e)}));
    }
}
BENCHMARK(BM_PortsChangedLcdWrite);

// The four-digit display: selects off, segments, select on, digit after digit.
void BM_PortsChangedDisplay(benchmark::State& state) {
    TLabBoard board = Shipped("prikazovalnik.json");
    uint64_t t = 0;
    const uint8_t patterns[4] = {0x06, 0x5B, 0x4F, 0x66};
    int i = 0;
    for (auto _ : state) {
        const int digit = (i / 3) & 3, phase = i % 3;
        ++i;
        const uint8_t select = phase == 2 ? static_cast<uint8_t>(1u << digit) : 0;
        benchmark::DoNotOptimize(board.PortsChanged(t += kWriteNs, {0xFF, patterns[digit]}, {0x0F, select}));
    }
}
BENCHMARK(BM_PortsChangedDisplay);

// A write that leaves both ports as they were (most writes in a loop that refreshes a value).
void BM_PortsChangedSame(benchmark::State& state) {
    TLabBoard board = Shipped("semafor.json");
    uint64_t t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(board.PortsChanged(t += kWriteNs, {0x1F, 0x0C}, {0x1E, 0x1E}));
    }
}
BENCHMARK(BM_PortsChangedSame);

// The check every step makes: nothing is due.
void BM_AdvanceNothingDue(benchmark::State& state) {
    TLabBoard board = Shipped("semafor.json");
    uint64_t t = 0;
    for (auto _ : state) {
        t += 800;
        if (t >= board.NextEventNs()) benchmark::DoNotOptimize(board.Advance(t));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AdvanceNothingDue);

// A bouncing button: Advance at every step while the contact settles.
void BM_AdvanceBouncingButton(benchmark::State& state) {
    TLabBoard board = Shipped("semafor.json");
    std::string error;
    const TBoardInput button = *board.FindInput("ZAHTEVA", TLabBoard::TInputUse::Press, error);
    uint64_t t = 0;
    bool held = false;
    for (auto _ : state) {
        t += 800;
        if (t % 10'000'000 < 800) {
            held = !held;
            held ? board.Press(t, button) : board.Release(t, button);
        }
        if (t >= board.NextEventNs()) benchmark::DoNotOptimize(board.Advance(t));
    }
}
BENCHMARK(BM_AdvanceBouncingButton);

void BM_StateCopy(benchmark::State& state) {
    TLabBoard board = Shipped("tipkovnica.json");
    TLabBoard::State copy;
    for (auto _ : state) {
        copy = board.Current();
        benchmark::DoNotOptimize(copy);
    }
    state.counters["bytes"] = sizeof(TLabBoard::State);
}
BENCHMARK(BM_StateCopy);

void BM_StateCompare(benchmark::State& state) {
    TLabBoard board = Shipped("tipkovnica.json");
    const TLabBoard::State copy = board.Current();
    for (auto _ : state)
        benchmark::DoNotOptimize(copy == board.Current());
}
BENCHMARK(BM_StateCompare);

// A display frame's look at what the board shows.
void BM_ShowsFrame(benchmark::State& state) {
    TLabBoard board = Shipped("prikazovalnik.json");
    uint64_t t = 0;
    for (int i = 0; i < 4000; ++i)
        board.PortsChanged(t += kWriteNs, {0xFF, static_cast<uint8_t>(i)},
                           {0x0F, static_cast<uint8_t>(1u << (i & 3))});
    for (auto _ : state)
        benchmark::DoNotOptimize(BoardShowsJson(board, t));
}
BENCHMARK(BM_ShowsFrame);

} // namespace
