#pragma once
#include <cstdint>
#include <functional>

#include "engine/device.h"

class TSci;
class TTimer;

// What a pin's button shows: derived from its direction and level.
// The numbers are the image indices of the port windows' pin buttons.
enum class PinImageKind : uint8_t {
    OutputLow = 0,
    OutputHigh = 1,
    InputLow = 2,
    InputHigh = 3,
};

// One parallel port of the MC6803 as the processor and the user see it.
//
// Port 1 has eight pins (DDR at $00, DR at $02), Port 2 five (DDR at $01, DR at $03). Bit n of
// Direction and Level belongs to pin n; a direction bit of 1 makes the pin an output. Output pins
// hold what the processor last wrote; input pins hold the level the user set with TogglePin.
// The port windows display this state and call TogglePin; they keep no copy of their own.
class TPort final : public TRegisterDevice {
public:
    // Everything that changes: a plain value the history, the board's snapshot and the tests copy
    // and compare. No member initialisers (here and in the other devices' states), so that rings
    // of them can be reserved without being written; each device sets its own up.
    struct State {
        uint8_t Direction; // DDR bits; only the low PinCount bits are ever set
        uint8_t Level;     // DR bits; only the low PinCount bits are ever set
        bool operator==(const State&) const = default;
    };

    // pinCount 8 (Port 1) or 5 (Port 2); the two register addresses this port answers.
    TPort(int pinCount, uint16_t ddrAddress, uint16_t drAddress);

    const int PinCount;
    const uint16_t DdrAddress;
    const uint16_t DrAddress;

    State St{};
    // Calls so far that may have changed the state (register accesses, ticks, the user's and the
    // external system's doings, resets): while it stands still, only a direct write of St
    // has changed them. The step history's checkpoints look no further while it does.
    uint64_t Touches = 0;

    // Port 2 only: pin 0 feeds the timer's input capture. Set by the board.
    TTimer* CaptureTimer = nullptr;
    // Port 2 in the chip model only: the SCI takes pin 3 while its receiver is enabled and pin 4
    // while its transmitter is: DR reads the line's level there and writes do not drive them.
    const TSci* LineOwner = nullptr;
    // The pins the SCI has taken (none without LineOwner).
    uint8_t TakenPins() const;

    // Called after every change of direction or level (register writes, clears, toggles).
    std::function<void()> onChanged;

    uint8_t Mask() const { return static_cast<uint8_t>((1u << PinCount) - 1u); }
    bool IsOutput(int pin) const { return (St.Direction >> pin) & 1u; }
    uint8_t PinLevel(int pin) const { return (Levels() >> pin) & 1u; }
    // The levels of all pins: St.Level, and the line's levels on the pins the SCI has taken.
    uint8_t Levels() const { return LineOwner ? TakenLevels() : St.Level; }
    // What the pin's button shows; InputLow for a pin that does not exist.
    PinImageKind PinImage(int pin) const;

    // DDR: every pin's direction; DR: the level of every output pin (inputs keep theirs).
    // Other addresses are ignored.
    void WriteRegister(uint16_t address, uint8_t value) override;
    // DDR: the direction bits; DR: the levels of all pins. No side effects; other addresses read 0.
    uint8_t ReadRegister(uint16_t address) override { return Peek(address); }
    uint8_t Peek(uint16_t address) const override;

    // The user clicks a pin. An input pin's level is inverted (Port 2 pin 0 also reports the edge
    // to the timer); an output pin or a pin number out of range is left alone.
    // Returns true when a level changed.
    bool TogglePin(int pin);

private:
    uint8_t TakenLevels() const;
    void Changed() {
        if (onChanged) onChanged();
    }
};
