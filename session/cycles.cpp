#include "session/cycles.h"

#include <algorithm>

namespace {

// Rounded quotient of cycles x scale / hz, in 128 bits so no count overflows.
uint64_t Scaled(uint64_t cycles, uint64_t scale, uint64_t hz) {
    const unsigned __int128 product = static_cast<unsigned __int128>(cycles) * scale + hz / 2;
    return static_cast<uint64_t>(product / hz);
}

// Saturated at UINT64_MAX.
uint64_t Narrow(unsigned __int128 value) {
    return value > UINT64_MAX ? UINT64_MAX : static_cast<uint64_t>(value);
}

// 1234567 as "1.234.567".
std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

std::string Fraction(uint64_t value, int digits) {
    std::string text = std::to_string(value);
    return std::string(static_cast<size_t>(digits) - std::min(text.size(), static_cast<size_t>(digits)),
                       '0') +
           text;
}

} // namespace

std::string CycleCountText(uint64_t cycles) { return "Cikli: " + std::to_string(cycles); }

uint64_t CyclesToNs(uint64_t cycles, uint64_t hz) {
    if (hz == kEClockHz) return CyclesToNs(cycles);
    return Narrow(static_cast<unsigned __int128>(cycles) * 1'000'000'000 / hz);
}

uint64_t NsToCyclesUp(uint64_t ns, uint64_t hz) {
    if (hz == kEClockHz || ns == UINT64_MAX) return NsToCyclesUp(ns);
    return Narrow((static_cast<unsigned __int128>(ns) * hz + 999'999'999) / 1'000'000'000);
}

uint64_t CyclesToUs(uint64_t cycles, uint64_t hz) {
    // The log asks at every step: in 64 bits while the product fits (hours of simulated time).
    if (cycles < UINT64_MAX / 1'000'000) [[likely]]
        return cycles * 1'000'000 / hz;
    return static_cast<uint64_t>(static_cast<unsigned __int128>(cycles) * 1'000'000 / hz);
}

std::string CycleTimeText(uint64_t cycles, uint64_t hz) {
    const uint64_t tenthsOfMicroseconds = Scaled(cycles, 10000000, hz);
    if (tenthsOfMicroseconds < 10000)
        return std::to_string(tenthsOfMicroseconds / 10) + "," + std::to_string(tenthsOfMicroseconds % 10) +
               " \u00b5s";
    const uint64_t microseconds = Scaled(cycles, 1000000, hz);
    if (microseconds < 1000000)
        return std::to_string(microseconds / 1000) + "," + Fraction(microseconds % 1000, 3) + " ms";
    const uint64_t milliseconds = Scaled(cycles, 1000, hz);
    if (milliseconds < 60000)
        return std::to_string(milliseconds / 1000) + "," + Fraction(milliseconds % 1000, 3) + " s";
    const uint64_t tenths = Scaled(cycles, 10, hz);
    return Grouped(tenths / 600) + " min " + std::to_string(tenths % 600 / 10) + "," +
           std::to_string(tenths % 10) + " s";
}
