#pragma once
// The HD44780 dot-matrix LCD controller as a program sees it on its pins.
//
// The controller takes a transfer at the falling edge of E, with RS, R/W and DB7-DB0 as they
// stood while E was high; while E is high with R/W = 1 it puts the busy flag and address
// counter (RS = 0) or its data register (RS = 1) on DB7-DB0. With the 4-bit interface (DL = 0)
// every byte takes two transfers on DB7-DB4, the high half first; a module wired for 4 bits
// has DB3-DB0 unconnected, and the controller's pull-ups read them as 1.
//
// Timing is the data sheet's for an oscillator of 270 kHz. Every instruction and data
// transfer keeps the controller busy for 37 µs, "clear display" and "return home" for 1.52 ms;
// reading the busy flag takes no time. After a data read or write the address counter shows
// its new value 1.5 oscillator periods (5.6 µs) after the busy flag has dropped. While busy,
// the controller takes nothing but the busy-flag read: an instruction or a data byte sent then
// is lost. At power on the internal reset runs for 10 ms (busy), and leaves: display cleared,
// 8-bit interface, one line, 5x8 font, display, cursor and blinking off, increment, no shift.
//
// DDRAM holds 80 characters: with one line at addresses $00-$4F, with two lines at $00-$27
// and $40-$67. Addresses between those hold nothing (a write there is lost). CGRAM holds the
// eight user characters, 64 bytes. The model is a set of functions on a plain State value.
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

class THd44780 {
public:
    static constexpr uint64_t kInstructionNs = 37'000;  // 37 µs at 270 kHz
    static constexpr uint64_t kHomeNs = 1'520'000;      // clear display, return home: 1.52 ms
    static constexpr uint64_t kPowerOnNs = 10'000'000;  // the internal reset: 10 ms
    static constexpr uint64_t kAddressUpdateNs = 5'556; // 1.5 / 270 kHz
    static constexpr uint64_t kBlinkNs = 379'259'259;   // blink phase: 409.6 ms at 250 kHz, scaled

    // Instruction bits (RS = 0).
    static constexpr uint8_t CLEAR = 0x01, HOME = 0x02, ENTRY = 0x04, ENTRY_ID = 0x02, ENTRY_S = 0x01,
                             CONTROL = 0x08, CONTROL_D = 0x04, CONTROL_C = 0x02, CONTROL_B = 0x01,
                             SHIFT = 0x10, SHIFT_SC = 0x08, SHIFT_RL = 0x04, FUNCTION = 0x20,
                             FUNCTION_DL = 0x10, FUNCTION_N = 0x08, FUNCTION_F = 0x04, SET_CGRAM = 0x40,
                             SET_DDRAM = 0x80, BUSY_FLAG = 0x80;

    struct State {
        std::array<uint8_t, 80> Ddram{}; // by cell: line 2 starts at cell 40 (address $40)
        std::array<uint8_t, 64> Cgram{};
        uint8_t Ac = 0;            // address counter: 7 bits for DDRAM, 6 for CGRAM
        bool AcCgram = false;      // the counter addresses CGRAM (after "set CGRAM address")
        uint8_t Dr = 0;            // data register: what a data read returns
        uint8_t Shift = 0;         // display shift, 0-79: how many places the display moved left
        bool Increment = true;     // I/D
        bool ShiftOnWrite = false; // S
        bool DisplayOn = false;    // D
        bool CursorOn = false;     // C
        bool Blink = false;        // B
        bool EightBit = true;      // DL
        bool TwoLines = false;     // N
        bool Font5x10 = false;     // F
        bool SecondHalf = false;   // 4-bit interface: the next transfer is a byte's low half
        uint8_t FirstHalf = 0;     // ... whose high half, in bits 3-0, is this
        uint64_t BusyUntil = 0;    // busy while now < BusyUntil
        uint64_t AcShownFrom = 0;  // before this, a busy-flag read shows AcBefore
        uint8_t AcBefore = 0;
        // The pins as they stood while E was high, latched at its falling edge.
        bool Enable = false;
        bool LatchedRs = false;
        bool LatchedRw = false;
        uint8_t LatchedBus = 0;
        bool operator==(const State&) const = default;
    };

    // The state after the internal reset that starts at `now` (busy for 10 ms). CGRAM is
    // undefined on the chip; here it is all zeros.
    static State PowerOn(uint64_t now);

    // The pins E, RS, R/W and DB7-DB0 as they are now (`bus`: DB7 is bit 7). Takes the
    // transfer when E falls, then notes the pins while E is high.
    static void Pins(State& s, uint64_t now, bool e, bool rs, bool rw, uint8_t bus);
    // What the controller drives onto DB7-DB0 while E is high with R/W = 1: the busy flag and
    // address counter (RS = 0) or the data register (RS = 1); with the 4-bit interface, the
    // half due next on DB7-DB4 (DB3-DB0 then carry nothing).
    static uint8_t Output(const State& s, uint64_t now, bool rs);
    // Whether the controller drives DB7-DB0 now (E high, R/W = 1, as latched).
    static bool Driving(const State& s) { return s.Enable && s.LatchedRw; }

    // One whole transfer, as the interface hands it on: an instruction (RS = 0) or a data
    // write, and a data read (its value is what Output showed). Ignored while busy.
    static void Write(State& s, uint64_t now, bool rs, uint8_t value);
    static void ReadDone(State& s, uint64_t now);
    // BF and the address counter as a busy-flag read returns them.
    static uint8_t StatusByte(const State& s, uint64_t now);
    static bool Busy(const State& s, uint64_t now) { return now < s.BusyUntil; }
    // When something a read would show changes by time alone (the busy flag drops, the address
    // counter catches up); UINT64_MAX when nothing is pending.
    static uint64_t NextChange(const State& s, uint64_t now);

    // What the glass shows, for a module of `rows` x `cols` characters: the character code at a
    // place, or nothing for a dark place (display off; a row with no line in one-line mode).
    static std::optional<uint8_t> CharAt(const State& s, int rows, int cols, int row, int col);
    // Where the address counter stands on the glass, when it addresses DDRAM and that place is
    // shown; nothing otherwise.
    static std::optional<std::pair<int, int>> CursorPlace(const State& s, int rows, int cols);
    // Whether the blinking cursor's cell is dark-filled at `now` (half of each blink period).
    static bool BlinkPhaseOn(uint64_t now) { return (now / kBlinkNs) % 2 == 0; }

    // The DDRAM cell of an address, or -1 for an address that holds nothing.
    static int Cell(const State& s, uint8_t address);
};
