#pragma once
// The lab board: lamps, switches, push buttons, seven-segment digits, multiplexed displays,
// key matrices and character LCDs wired to the port pins, as one model whose whole state is
// one value.
//
// The board knows nothing of the processor but its two ports' lines. After every write of a
// port register (and after the user changes something on the board) the caller hands it both
// ports' directions and output levels; the board answers with what it drives onto the pins
// (Drive): the levels that a read of the port must find on its input pins. The answer is
// combinational: a key matrix passes a row the program drives on to its column at once, so a
// read right after the write sees it. What changes with time alone (a bouncing contact, the
// LCD's busy flag while it is being read) is brought up to date by Advance, which has work to
// do only from NextEventNs() on.
//
// Time is simulated time in nanoseconds, as the caller counts it; it only grows (PowerOn and
// Restore may set it anew).
//
// Levels on a pin: a processor output drives it; otherwise a part may drive it firmly (a
// switch, a pressed button, a key joining it to an output, an LCD being read) or weakly
// (the pull-up of a key matrix line or of the LCD's data, RS and R/W inputs; a released
// button's resistor). A pin driven firmly by two at once (two parts, or a part and a
// processor output; also two outputs joined through held keys) is a conflict: it is reported
// (Conflicts) and its level is not guessed: the board drives nothing onto it, and lamps and
// digits see it as undriven. Lamps and segments light only on a pin that is driven firmly.
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/boardfile.h"
#include "board/hd44780.h"
#include "board/pins.h"
#include "board/sevenseg.h"

// Something the user's hand acts on: a push button, a switch, or one key of a keypad.
struct TBoardInput {
    int Part = -1; // index into the board's parts
    int Key = -1;  // for a keypad: the key, row by row
};

// A pin (or, for keys that short two outputs, a few pins) driven by two at once.
struct TBoardConflict {
    uint16_t Pins = 0; // board pin mask
    std::string Text;  // Slovenian, names the pin and the parts
};

class TLabBoard {
public:
    struct TButtonState {
        bool Held = false;
        // When it was last pressed or released, and bouncing began; the largest time for a
        // contact that has not changed since the power-on.
        uint64_t ChangedAt = std::numeric_limits<uint64_t>::max();
        uint32_t Presses = 0; // presses and releases so far: varies the bounce pattern
        bool operator==(const TButtonState&) const = default;
    };

    struct State {
        uint64_t Now = 0; // the time of the last change
        uint64_t NextEvent = std::numeric_limits<uint64_t>::max();
        std::array<TPortLines, 2> Ports{};
        // Derived from the rest (kept so that copies answer at once): what the board drives,
        // the pins driven firmly as lamps and digits see them, the conflicting pins.
        uint16_t Drive = 0, DriveLevel = 0;
        uint16_t Firm = 0, FirmLevel = 0;
        uint16_t Conflicts = 0;
        uint16_t ConflictsSeen = 0; // every pin that was in conflict since the power-on
        uint32_t Switches = 0;      // switch positions, by slot
        std::array<TButtonState, kMaxButtons> Buttons{};
        std::array<uint16_t, kMaxKeypads> Keys{}; // held keys, by keypad slot
        std::array<TPersistence::State, kMaxDisplays> Displays{};
        std::array<THd44780::State, kMaxLcds> Lcds{};
        bool operator==(const State&) const = default;
    };

    // The board as it is at power-on at time 0, its switches as the file sets them.
    explicit TLabBoard(TBoardConfig config);

    const TBoardConfig& Config() const { return config_; }
    const std::vector<TBoardPart>& Parts() const { return config_.Parts; }
    const State& Current() const { return s_; }
    // Puts the board back into a state taken from this board earlier.
    void Restore(const State& state) {
        s_ = state;
        ++revision_;
    }
    // Grows whenever the state may have changed (not part of the state): a copy taken at the
    // same revision is still the current state, without comparing the two.
    uint64_t Revision() const { return revision_; }
    // Recomputes the derived fields of a state whose other fields were set (read from a file).
    void Rederive(State& state) const;

    // Power is switched on at `now` (a program is loaded): the LCDs run their internal reset,
    // the displays are dark, the ports are inputs. Switches keep their positions, and what the
    // user holds stays held.
    void PowerOn(uint64_t now);

    // The ports' lines changed (or may have). Returns true when what the board drives changed.
    bool PortsChanged(uint64_t now, const TPortLines& port1, const TPortLines& port2);
    // From this time on, time alone may change what the board drives.
    uint64_t NextEventNs() const { return s_.NextEvent; }
    // Brings the time-driven parts up to `now`. Returns true when what the board drives changed.
    bool Advance(uint64_t now);
    // What the board drives onto port 1 or 2.
    TPortDrive Drive(int port) const { return {PortBits(s_.Drive, port), PortBits(s_.DriveLevel, port)}; }

    // The user's inputs. `name` is a button's or a switch's name, or a keypad's key ("5"; when
    // several keypads have it, or a part has that name, "KEY:5"). Nothing, and a Slovenian
    // message, for a name that names nothing of the kind: Press takes buttons and keys, Switch
    // takes switches.
    enum class TInputUse : uint8_t { Press, Switch };
    std::optional<TBoardInput> FindInput(std::string_view name, TInputUse use, std::string& error) const;
    // Each returns true when what the board drives changed.
    bool Press(uint64_t now, TBoardInput input);
    bool Release(uint64_t now, TBoardInput input);
    bool SetSwitch(uint64_t now, TBoardInput input, bool on);

    // What the parts are and show (the parts passed are this board's).
    bool LampLit(const TBoardPart& part) const;
    bool SwitchOn(const TBoardPart& part) const { return (s_.Switches >> part.Slot) & 1u; }
    bool ButtonHeld(const TBoardPart& part) const { return s_.Buttons[part.Slot].Held; }
    // Whether a button's contact is closed at `now` (it bounces for a while after a change).
    bool ButtonClosed(const TBoardPart& part, uint64_t now) const;
    uint16_t KeysHeld(const TBoardPart& part) const { return s_.Keys[part.Slot]; }
    // A digit's lit segments, or a display's digits as the eye sees them at `now`.
    uint8_t DigitPattern(const TBoardPart& part) const;
    TPersistence::TPatterns DisplayPatterns(const TBoardPart& part, uint64_t now) const;
    const THd44780::State& Lcd(const TBoardPart& part) const { return s_.Lcds[part.Slot]; }

    // The conflicts there are now.
    std::vector<TBoardConflict> Conflicts() const;

private:
    struct TDerived;
    TDerived Derive(const State& s, std::vector<uint16_t>* firmByPart) const;
    void Recompute(uint64_t now);
    uint8_t Segments(const State& s, const TBoardPart& part) const;
    TPersistence::TPatterns DisplayLit(const State& s, const TBoardPart& part) const;
    void LcdPins(State& s, const TBoardPart& part, uint64_t now, uint16_t known, uint16_t levels) const;

    TBoardConfig config_;
    // Indices of the parts by what the recomputation does with them.
    std::vector<size_t> drivers_;  // switches, buttons, keypads, LCDs
    std::vector<size_t> contacts_; // switches and buttons
    std::vector<size_t> lcds_, displays_;
    State s_;
    uint64_t revision_ = 0;
};
