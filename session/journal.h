#pragma once
// The history of a session for reverse step.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "board/labboard.h"
#include "engine/devices/ports.h"
#include "engine/devices/sci.h"
#include "engine/devices/timer.h"
#include "engine/memory.h"
#include "engine/random.h"
#include "session/sciterminal.h"
#include "session/session.h"

struct THistory;

// What each step changed, so that the steps can be taken back one by one, newest first.
//
// A checkpoint (Mark) notes the small state of the board: the registers, Pending, the ports, the
// timer, the serial interface with its terminal, the trace's trigger and row count, the random
// source, the cycle counter, the log's count and the session's display fields. The device part
// is stored again only when it differs from the last one noted (a quiet checkpoint, after
// nothing but a step without device accesses or trace rows, does not even look), the rest (32
// bytes) at every checkpoint. Stores into memory cells are recorded as they happen (the address
// space's cell log: address, old value, old line tag). A step commits the last checkpoint; taking it
// back restores that checkpoint and undoes every store made since, so whatever happened after
// the checkpoint (the step itself, device clock ticks, the user's changes) is undone with it.
//
// The lab board's state (when there is one) goes with the device part: when its revision has grown
// since it was last noted, the 8-byte words of the state that changed are logged with the values
// they had (the board's undo log), and the device part notes where the log ends; going back undoes
// the words logged since.
//
// Bounded: the last kMaxSteps steps, and the cell stores of those (kCellEntries, far more than
// that many steps can make; a full cell log drops the oldest steps). About 37 MB at most, reserved
// up front and used as the steps come. The board's undo log takes kBoardEntries words at most
// (4 MB), allocated as they are used; a full one drops the oldest steps too.
class TJournal {
public:
    static constexpr size_t kMaxSteps = 100000;
    static constexpr size_t kCellEntries = size_t{1} << 22;
    static constexpr size_t kDeviceSlotsBound = kMaxSteps + 2;
    static constexpr size_t kBoardEntries = size_t{1} << 18;

    explicit TJournal(TSession& session);
    ~TJournal();
    TJournal(const TJournal&) = delete;
    TJournal& operator=(const TJournal&) = delete;

    // Starts recording the stores into memory, or stops (and forgets everything).
    void Attach(bool on);

    // Forgets every step (a load, a cleared memory).
    void Reset();
    // Notes the state from which the next step starts (a later call before that step replaces
    // it). `quiet`: since the last checkpoint only steps ran (no device clock tick, no change by
    // hand), so the devices changed only if a step accessed their registers or the trace
    // recorded.
    void Mark(bool quiet = false);
    // The same in the caller's code, for the session's step and run loops.
    [[gnu::always_inline]] void MarkInLine(bool quiet = false);
    // A step is about to run: it is taken back to the last checkpoint (noted now if there is
    // none since the last step, `quiet` as for Mark).
    void BeginStep(bool quiet = false) {
        if (!pendingValid_) Mark(quiet);
        Commit();
    }
    // The same with the checkpoint in the caller's code, for the session's run loop.
    [[gnu::always_inline]] void BeginStepInLine(bool quiet) {
        if (!pendingValid_) MarkInLine(quiet);
        Commit();
    }

    // Steps that can be taken back.
    size_t Depth() const { return count_; }
    // Puts the board back as it was at the checkpoint of the last step and forgets that step.
    // Returns false when there is none.
    bool StepBack();

    // Bytes the journal holds for its rings at most.
    static size_t MaximumBytes();

    // The steps kept, as a snapshot carries them (session/journaljson.cpp).
    THistory Save() const;
    // What is wrong with a history read from a file (empty when nothing is), for a source of
    // `lines` lines, with a lab board or without one, taken in the chip model or not.
    static std::string Check(const THistory& history, size_t lines, bool board, bool chip);
    // Takes up a checked history for the board just put back, so that its steps can be taken back.
    void Load(const THistory& history);

private:
    // The device part of a checkpoint: compared with the last one, stored when it differs. (The
    // states have no member initialisers, nor has TFrame: the rings are reserved without being
    // written.) Ordered by alignment: 64 bytes.
    struct TDevices {
        TRandom::State Random;
        uint64_t TraceRows; // the trace's RowsRecorded
        TSciTerminal::TPosition Terminal;
        uint32_t Board; // where the board's undo log ended (its low 32 bits)
        // Chip model: the cycle counter's low 32 bits when noted; the timer's counter of a later
        // checkpoint without a device event since is this one's advanced by the cycles between.
        uint32_t Cycles;
        TTimer::State Timer;
        TSci::State Sci;
        TPort::State Port1, Port2;
        TTrace::State Trace;
        bool operator==(const TDevices&) const = default;
    };
    static_assert(sizeof(TDevices) <= 64);
    static_assert(std::is_trivially_copyable_v<TDevices>);
    // What only the chip model's devices keep besides (armed clearing sequences, the counter's
    // latch, the frames on the line, the RAM control register): noted beside the device part in
    // the slot of the same number, in the chip model only.
    struct TChipParts {
        TTimer::ChipState Timer;
        TSci::ChipState Sci;
        uint8_t RamControl;
    };
    static_assert(std::is_trivially_copyable_v<TChipParts>);
    // One checkpoint, half a cache line. Positions in the cell log and the log's count are kept
    // to 32 bits: a checkpoint still kept is never 2^32 entries behind.
    struct TFrame {
        uint64_t Cycles;
        uint32_t Cells;       // the cell log's end at the checkpoint
        uint32_t LogAppended; // the log's count at the checkpoint
        uint32_t Devices;     // slot in devices_ (17 bits), and the previous opcode + 1 above
        uint16_t PC, X, SP;
        int16_t ExecutionLine;
        uint8_t A, B, CCR, Pending;
    };
    static_assert(sizeof(TFrame) == 32);
    static constexpr int kPreviousShift = 17;
    static_assert(kDeviceSlotsBound < (1u << kPreviousShift));
    uint64_t CellsOf(const TFrame& frame) const {
        return cells_.End() - static_cast<uint32_t>(static_cast<uint32_t>(cells_.End()) - frame.Cells);
    }

    void Capture(TFrame& frame, bool quiet);
    // Whether a device may have changed since the part was last noted, by what a quiet
    // checkpoint can see: a register access, a device event, the trace, the lab board.
    bool DevicesMayHaveChanged() const;
    // Whether the lab board's state has changed since it was last noted (there is a board).
    bool BoardMoved() const;
    // Notes the device part when the devices no longer stand as in the last one.
    void NoteDevices();
    // What the devices' own counts said when the part was last noted (the classic model without a
    // lab board): while none has moved, the devices stand as in that part, whatever happened
    // since the last checkpoint. The parts that keep no count are read as they are.
    struct TWitness {
        uint64_t Timer, Sci, Port1, Port2;
        uint64_t Random, TraceRows;
        TSciTerminal::TPosition Terminal;
        bool Triggered;
    };
    TWitness Witness() const;
    bool Unmoved() const;
    // Notes in `devices` how the devices stand now (the board's log position as last noted).
    void CaptureDevices(TDevices& devices) const;
    // Whether the devices stand as in `devices`.
    bool SameDevices(const TDevices& devices) const;
    // Logs the words of the lab board's state that changed since it was last noted.
    void CaptureBoard();
    void LogBoardWord(uint64_t old, uint32_t word) {
        if (boardEnd_ - boardBegin_ >= kBoardEntries) [[unlikely]]
            BoardLogFull();
        boardLog_[boardEnd_++ & (kBoardEntries - 1)] = {old, word};
    }
    void BoardLogFull();
    uint64_t BoardEndOf(const TFrame& frame) const;
    void RestoreDevices(const TDevices& devices);
    // The words of a board's state its parts can change, as ranges [first, end) of word indices.
    static std::vector<std::pair<uint32_t, uint32_t>> LiveWords(const TLabBoard& board);
    // The chip model: whether its parts stand as noted beside `devices`; putting them back.
    bool SameChipParts(const TDevices& devices) const;
    void RestoreChipParts(const TChipParts& parts, uint32_t since);
    // The pending checkpoint becomes the newest step's.
    void Commit() {
        // A full history gives up its oldest step (once full, at every step).
        if (count_ == kMaxSteps) DropOldest();
        ++count_;
        pendingValid_ = pendingPushed_ = false;
    }
    void DropOldest() {
        if (count_ == 0) return;
        if (++first_ == kFrameSlots) first_ = 0;
        --count_;
        // The cell log keeps the stores before the oldest checkpoint until it needs the room.
    }
    void CellLogFull();

    TSession& session_;
    TCellLog cells_;
    // Ring of kFrameSlots frames: count_ (at most kMaxSteps) of them from first_ on, then the
    // pending checkpoint (in the next slot, noted in place).
    static constexpr size_t kFrameSlots = kMaxSteps + 1;
    std::unique_ptr<TFrame[]> frames_;
    size_t first_ = 0;
    size_t count_ = 0;
    // Device parts: a ring one slot larger than the steps plus the pending checkpoint can refer
    // to, so a new part never overwrites one that is still referred to.
    static constexpr uint32_t kDeviceSlots = kDeviceSlotsBound;
    std::unique_ptr<TDevices[]> devices_;
    // The chip parts of the device parts (allocated with the first one noted in the chip model).
    std::unique_ptr<TChipParts[]> chipParts_;
    uint32_t lastDevices_ = 0; // slot of the device part noted last
    bool haveDevices_ = false;
    uint64_t accessesSeen_ = 0;  // the memory's device access count when it was noted
    uint64_t rowsSeen_ = 0;      // the trace's RowsRecorded then
    uint64_t eventsSeen_ = 0;    // the chip model's device events then
    bool triggeredSeen_ = false; // and its trigger
    TWitness witness_{};
    bool witnessValid_ = false;
    bool pendingValid_ = false;
    // The pending checkpoint stored a new device part; before it, these were the last one.
    bool pendingPushed_ = false;
    uint32_t lastBeforePending_ = 0;
    bool haveBeforePending_ = false;
    // The lab board's state as it was last noted (as words, padding included), and its undo log:
    // a ring of kBoardEntries (reserved, not written, until a board is used), from boardBegin_ to
    // boardEnd_ (positions that only grow, but for a step back).
    static constexpr size_t kBoardWords = sizeof(TLabBoard::State) / 8;
    static_assert(sizeof(TLabBoard::State) % 8 == 0 && alignof(TLabBoard::State) <= 8);
    struct TBoardWord {
        uint64_t Old;
        uint32_t Word;
    };
    std::array<uint64_t, kBoardWords> boardShadow_{};
    // The words the board's parts can change (the state has room for parts the board lacks):
    // ranges [first, end) of word indices.
    std::vector<std::pair<uint32_t, uint32_t>> boardLive_;
    std::unique_ptr<TBoardWord[]> boardLog_;
    uint64_t boardBegin_ = 0, boardEnd_ = 0;
    bool haveBoard_ = false;     // boardShadow_ holds the board's state
    uint64_t boardRevision_ = 0; // the board's Revision() when it was noted
};

// The common path of a checkpoint, inline in the session's step and run loops: the frame, and the
// devices' tests that tell whether their part must be noted.

inline bool TJournal::Unmoved() const {
    const TMachine& m = *session_.machine_;
    const TWitness& w = witness_;
    return w.Timer == m.Timer.Touches && w.Sci == m.Sci.Touches && w.Port1 == m.Port1.Touches &&
           w.Port2 == m.Port2.Touches && w.Random == m.Random.Save().Position &&
           w.TraceRows == m.Memory.Trace.RowsRecorded() && w.Triggered == m.Memory.Trace.Triggered &&
           w.Terminal == session_.sciTerminal_->Position();
}

inline bool TJournal::DevicesMayHaveChanged() const {
    const TMachine& m = *session_.machine_;
    const TMemory& memory = m.Memory;
    return memory.DeviceAccesses != accessesSeen_ || m.Cpu.Clock.Events != eventsSeen_ ||
           memory.Trace.RowsRecorded() != rowsSeen_ || memory.Trace.Triggered != triggeredSeen_ ||
           (session_.boardLink_ && BoardMoved());
}

// Inline in MarkInLine, its one caller.
[[gnu::always_inline]] inline void TJournal::Capture(TFrame& f, bool quiet) {
    // Between steps that touch no device register the trace is the one part that may change,
    // and only by recording a row or by its trigger; the lab board may change by time alone.
    // In the chip model a device changes by time alone at its events.
    if (!quiet || !haveDevices_ || DevicesMayHaveChanged())
        if (!witnessValid_ || !Unmoved()) NoteDevices();
    // Everything is read before the frame is written: a byte stored may alias any field, and
    // each would have to be read again after it.
    const TSession& s = session_;
    const Tsimulator& cpu = s.machine_->Cpu;
    const uint64_t cycles = s.cycles_;
    const auto appended = static_cast<uint32_t>(s.Log.Appended());
    const auto cells = static_cast<uint32_t>(cells_.End());
    const uint32_t devices = lastDevices_ | static_cast<uint32_t>(s.previousOpcode_ + 1) << kPreviousShift;
    const uint16_t pc = cpu.PC, x = cpu.X, sp = cpu.SP;
    const auto line = static_cast<int16_t>(s.executionLine_);
    const uint8_t a = cpu.A, b = cpu.B;
    // CCR as PackCCR gives it, but bit 6 (which always reads 1) cleared notes the chip model's
    // wait.
    const auto ccr = static_cast<uint8_t>(cpu.PackCCR() - (unsigned{cpu.Waiting} << 6));
    // Only the six interrupt sources (2..7) are ever requested.
    const uint8_t pending = cpu.Pending.LowByte();
    f.Cycles = cycles;
    f.Cells = cells;
    f.LogAppended = appended;
    f.Devices = devices;
    f.PC = pc;
    f.X = x;
    f.SP = sp;
    f.ExecutionLine = line;
    f.A = a;
    f.B = b;
    f.CCR = ccr;
    f.Pending = pending;
}

inline void TJournal::MarkInLine(bool quiet) {
    // A checkpoint noted again before any step replaces the earlier one, device part included.
    if (pendingValid_ && pendingPushed_) [[unlikely]] {
        witnessValid_ = false;
        lastDevices_ = lastBeforePending_;
        haveDevices_ = haveBeforePending_;
        quiet = false;
    }
    // The checkpoint goes into the free slot after the newest frame.
    pendingPushed_ = false;
    size_t at = first_ + count_;
    if (at >= kFrameSlots) at -= kFrameSlots;
    Capture(frames_[at], quiet);
    pendingValid_ = true;
}
