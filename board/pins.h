#pragma once
// The port pins the lab board's parts are wired to, and the two directions in which levels
// cross between the processor and the board.
//
// Port 1 has the pins P10-P17, Port 2 the pins P20-P24. Inside the board a set of pins is one
// 16-bit mask: bits 0-7 are Port 1's pins 0-7, bits 8-12 Port 2's pins 0-4.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One port as the processor drives it: its data-direction bits (1 = output) and its output
// levels (only the bits of output pins mean anything).
struct TPortLines {
    uint8_t Direction = 0;
    uint8_t Level = 0;
    bool operator==(const TPortLines&) const = default;
};

// What the board drives onto one port's pins: the pins it drives (Mask) and their levels.
struct TPortDrive {
    uint8_t Mask = 0;
    uint8_t Level = 0;
    bool operator==(const TPortDrive&) const = default;
};

// A pin: port 1 or 2 and its bit (0-7 on Port 1, 0-4 on Port 2).
struct TPin {
    uint8_t Port = 1;
    uint8_t Bit = 0;
    bool operator==(const TPin&) const = default;

    // The pin's bit in a board pin mask.
    int Index() const { return (Port - 1) * 8 + Bit; }
    uint16_t Mask() const { return static_cast<uint16_t>(1u << Index()); }
    static TPin FromIndex(int index) {
        return {static_cast<uint8_t>(index / 8 + 1), static_cast<uint8_t>(index % 8)};
    }
};

// The pins that exist, as a board pin mask.
inline constexpr uint16_t kBoardPins = 0x1FFF;

// "1.0"-"1.7" and "2.0"-"2.4", or the same pins as "P10"-"P24"; nothing for anything else.
std::optional<TPin> ParsePin(std::string_view text);
// "1.0": the form the board file and the messages use.
std::string PinText(TPin pin);

// Both ports' lines or drives as one board pin mask and back.
inline uint16_t BoardMask(uint8_t port1, uint8_t port2) {
    return static_cast<uint16_t>(port1 | ((port2 & 0x1Fu) << 8));
}
inline uint8_t PortBits(uint16_t boardMask, int port) {
    return static_cast<uint8_t>(port == 1 ? boardMask & 0xFFu : (boardMask >> 8) & 0x1Fu);
}
