#pragma once
// The cycle counter as the main strip shows it.
#include <cstdint>
#include <string>

// The E clock of the board the simulator stands for: 1.2288 MHz (a 4.9152 MHz crystal).
inline constexpr uint64_t kEClockHz = 1228800;

// Simulated time is counted in E-clock cycles; the lab board counts it in nanoseconds. One
// cycle is 78125/96 ns (1e9 / kEClockHz in lowest terms), so both conversions are exact up to
// their rounding and never overflow on the way.
inline constexpr uint64_t kNsPerCycleNum = 78125;
inline constexpr uint64_t kNsPerCycleDen = 96;
static_assert(kEClockHz * kNsPerCycleNum == 1'000'000'000 * kNsPerCycleDen);

// The time `cycles` take, in nanoseconds, rounded down.
constexpr uint64_t CyclesToNs(uint64_t cycles) {
    return cycles / kNsPerCycleDen * kNsPerCycleNum +
           cycles % kNsPerCycleDen * kNsPerCycleNum / kNsPerCycleDen;
}
// The first cycle count whose time reaches `ns` (UINT64_MAX stays UINT64_MAX: never).
constexpr uint64_t NsToCyclesUp(uint64_t ns) {
    if (ns == UINT64_MAX) return UINT64_MAX;
    const uint64_t whole = ns / kNsPerCycleNum, rest = ns % kNsPerCycleNum;
    return whole * kNsPerCycleDen + (rest * kNsPerCycleDen + kNsPerCycleNum - 1) / kNsPerCycleNum;
}
// The same at another E clock (the chip model's setting), in hz; at kEClockHz as above.
uint64_t CyclesToNs(uint64_t cycles, uint64_t hz);
uint64_t NsToCyclesUp(uint64_t ns, uint64_t hz);
// Whole microseconds of `cycles` at `hz`, rounded down.
uint64_t CyclesToUs(uint64_t cycles, uint64_t hz);

// "Cikli: 1234": the count after its label.
std::string CycleCountText(uint64_t cycles);
// How long `cycles` take on the chip (an E clock of `hz`), in UTF-8 with a decimal comma: below a millisecond
// in microseconds with one decimal ("813,8 µs"), below a second in milliseconds with three
// ("12,345 ms"), below a minute in seconds with three ("5,321 s"), from there on in minutes and
// seconds with one decimal, the minutes grouped by dots ("1 min 5,3 s", "1.440 min 0,0 s").
std::string CycleTimeText(uint64_t cycles, uint64_t hz = kEClockHz);
