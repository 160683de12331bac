#pragma once
// The logic analyser's recorder: the levels of the port pins, the interrupt request lines, the
// timer's and the serial interface's flags and the lab board's signals over time, kept as
// changes only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/boardfile.h"

class TMachine;

// The recorded signals of the chip, as bits of one level word: Port 1's pins 0-7, Port 2's pins
// 0-4, the IRQ and NMI request lines, the timer's flags TOF, OCF and ICF and the serial
// interface's RDRF and TDRE. A lab board's signals are names for port pins; they are read from
// the pins' bits.
enum TChipSignal : uint8_t {
    kSignalP10 = 0,
    kSignalP20 = 8,
    kSignalIrq = 13,
    kSignalNmi,
    kSignalTof,
    kSignalOcf,
    kSignalIcf,
    kSignalRdrf,
    kSignalTdre,
    kChipSignals, // 20
};
inline constexpr uint32_t kAllChipSignals = (uint32_t{1} << kChipSignals) - 1;

// The chip's signal names in bit order ("P10" ... "TDRE").
const char* ChipSignalName(int bit);

// The level word of the machine as it is now.
uint32_t SampleSignals(const TMachine& machine);

// How the recorder's time is counted: a function that tells "now" and the frequency of one unit.
// With Hz 0 the unit is one step (the classic model); otherwise it is one cycle of a clock of Hz.
struct TTimeBase {
    std::function<uint64_t()> Now;
    uint64_t Hz = 0;
};

// One recorded signal: a chip signal, or a lab board part's signal (NAME.SIGNAL) that is one of
// the port pins under another name.
struct TSignal {
    std::string Name; // as the VCD file and the window call it
    uint8_t Bit = 0;  // its bit in the level word
};

// The signals there are: the chip's, then each board part's pins as NAME.SIGNAL (an LCD's E, RS,
// RW and D0-D7, a display's DIG0.., SEGA.., a keypad's ROW0.. and COL0.., a lamp's, switch's or
// button's PIN).
std::vector<TSignal> AvailableSignals(const TBoardConfig* board);
// The signals a list names, in its order: names separated by commas, case ignored; "P1" and "P2"
// stand for a port's pins, "*" or an empty list for every signal. Nothing, and a Slovenian
// message, when a name is unknown.
std::optional<std::vector<TSignal>> SelectSignals(std::string_view list, const TBoardConfig* board,
                                                  std::string& error);

// One change: the time it was seen at and the chip's level word from then on.
struct TSignalChange {
    uint64_t Time;
    uint32_t Levels;
};

// Records the level word whenever it changes, at the time the session tells. Bounded: the last
// Capacity changes are kept, older ones are counted as dropped. Rewinds with reverse step
// (Rewind forgets what was seen after a time).
class TSignalRecorder {
public:
    static constexpr size_t kDefaultCapacity = size_t{1} << 20; // 16 MB of changes at most

    explicit TSignalRecorder(size_t capacity = kDefaultCapacity);

    // Starts a new recording (a load): what was recorded is forgotten.
    void Clear();
    // Notes the levels at `time`; a change is recorded when they differ from the last ones.
    void Sample(uint64_t time, uint32_t levels) {
        if (levels == last_ && count_ != 0) [[likely]] {
            now_ = time;
            return;
        }
        Append(time, levels);
    }
    // Time has gone back to `time` (reverse step): changes seen after it are forgotten, and the
    // levels then are noted as they are now.
    void Rewind(uint64_t time, uint32_t levels);

    // The changes kept, oldest first: index 0 .. Count()-1.
    size_t Count() const { return count_; }
    const TSignalChange& At(size_t i) const { return ring_[(first_ + i) % ring_.size()]; }
    // Changes dropped because the recorder was full (the oldest go first).
    uint64_t Dropped() const { return dropped_; }
    // The last time a sample was taken at: the recording reaches up to here.
    uint64_t Now() const { return now_; }
    // The first time with a known level (the oldest change kept), 0 when empty.
    uint64_t Start() const { return count_ ? At(0).Time : 0; }
    size_t Capacity() const { return capacity_; }

    // The levels at `time` (those of the last change at or before it; the first change's before
    // the recording starts).
    uint32_t LevelsAt(uint64_t time) const;
    // The index of the last change at or before `time`; 0 when there is none.
    size_t IndexAt(uint64_t time) const;
    // The time of the next change of `bit` after `time`, if the recording has one.
    std::optional<uint64_t> NextEdge(int bit, uint64_t time) const;
    // The time of the last change of `bit` before `time`, if the recording has one.
    std::optional<uint64_t> PreviousEdge(int bit, uint64_t time) const;

private:
    void Append(uint64_t time, uint32_t levels);

    std::vector<TSignalChange> ring_; // grows up to capacity_, then wraps
    size_t capacity_;
    size_t first_ = 0, count_ = 0;
    uint64_t dropped_ = 0;
    uint32_t last_ = 0;
    uint64_t now_ = 0;
};

// A span of the recorder's time as the window shows it: "60 korakov" (steps), or "60 ciklov =
// 48,8 µs" with a clock of `hz` (UTF-8, Slovenian plural, decimal comma).
std::string TimeSpanText(uint64_t units, uint64_t hz);

// The recording as a Value Change Dump (IEEE 1364): one 1-bit wire per signal in `chosen`,
// named as they are, the initial levels in $dumpvars and a time stamp for each change of one of
// them. The time unit is the time base's: one step (a comment says so) or one clock cycle when
// the clock's period is a whole 1, 10 or 100 of a unit VCD knows, else nanoseconds; the comment
// gives the frequency. The recording's last time closes the file.
std::string VcdText(const TSignalRecorder& recorder, const std::vector<TSignal>& chosen, uint64_t hz);
// Writes it atomically; false with a Slovenian message.
bool WriteVcd(const std::string& path, const TSignalRecorder& recorder, const std::vector<TSignal>& chosen,
              uint64_t hz, std::string& error);
