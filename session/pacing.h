#pragma once
// Pacing a run by simulated time: the chip model's "Hitro" runs at the chip's speed.
#include <cstdint>
#include <functional>

// Which cycle count a run should have reached by now, so that E-clock cycles pass at
// EHz x 1/Divisor per second of wall time. The clock is injected (nanoseconds, steady); the
// workbench gives it the system's steady clock, the tests a hand-moved one. A run that falls
// further behind than MaxLagNs (a slow machine, a dialog held the event loop) does not race to
// make the time up: the time beyond the lag is let go.
// The system's steady clock in nanoseconds.
uint64_t SteadyClockNs();

class TRealTimePacer {
public:
    explicit TRealTimePacer(std::function<uint64_t()> nowNs = SteadyClockNs) : nowNs_(std::move(nowNs)) {}

    uint64_t EHz = 1228800; // the E clock
    uint32_t Divisor = 1;   // the speed factor 1/Divisor: 1, 10, 100 or 1000
    uint64_t MaxLagNs = 100'000'000;

    // The run starts (or goes on after a pause) with the counter at `cycles`.
    void Start(uint64_t cycles);
    // The count the run should have reached now, the counter standing at `cycles`.
    uint64_t Target(uint64_t cycles);
    // Cycles that pass in `ns` nanoseconds at the paced rate (rounded down).
    uint64_t CyclesIn(uint64_t ns) const;

private:
    std::function<uint64_t()> nowNs_;
    uint64_t startNs_ = 0;
    uint64_t startCycles_ = 0;
};

// The speed factors offered beside the speed: 1, 1/10, 1/100, 1/1000 as their divisors.
inline constexpr uint32_t kSpeedDivisors[] = {1, 10, 100, 1000};
