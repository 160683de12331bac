#pragma once
// The cycle counter as the main strip shows it.
#include <cstdint>
#include <string>

// The E clock of the board the simulator stands for: 1.2288 MHz (a 4.9152 MHz crystal).
inline constexpr uint64_t kEClockHz = 1228800;

// "Cikli: 1234": the count after its label.
std::string CycleCountText(uint64_t cycles);
// How long `cycles` take on the chip, in UTF-8 with a decimal comma: below a millisecond in
// microseconds with one decimal ("813,8 µs"), below a second in milliseconds with three
// ("12,345 ms"), below a minute in seconds with three ("5,321 s"), from there on in minutes and
// seconds with one decimal, the minutes grouped by dots ("1 min 5,3 s", "1.440 min 0,0 s").
std::string CycleTimeText(uint64_t cycles);
