#include "session/cycles.h"

#include <algorithm>

namespace {

// Rounded quotient of cycles x scale / kEClockHz, in 128 bits so no count overflows.
uint64_t Scaled(uint64_t cycles, uint64_t scale) {
    const unsigned __int128 product = static_cast<unsigned __int128>(cycles) * scale + kEClockHz / 2;
    return static_cast<uint64_t>(product / kEClockHz);
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

std::string CycleTimeText(uint64_t cycles) {
    const uint64_t tenthsOfMicroseconds = Scaled(cycles, 10000000);
    if (tenthsOfMicroseconds < 10000)
        return std::to_string(tenthsOfMicroseconds / 10) + "," + std::to_string(tenthsOfMicroseconds % 10) +
               " \u00b5s";
    const uint64_t microseconds = Scaled(cycles, 1000000);
    if (microseconds < 1000000)
        return std::to_string(microseconds / 1000) + "," + Fraction(microseconds % 1000, 3) + " ms";
    const uint64_t milliseconds = Scaled(cycles, 1000);
    if (milliseconds < 60000)
        return std::to_string(milliseconds / 1000) + "," + Fraction(milliseconds % 1000, 3) + " s";
    const uint64_t tenths = Scaled(cycles, 10);
    return Grouped(tenths / 600) + " min " + std::to_string(tenths % 600 / 10) + "," +
           std::to_string(tenths % 10) + " s";
}
