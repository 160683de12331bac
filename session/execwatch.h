#pragma once
// What the program does over time, seen step by step: the call stack (subroutine calls and
// interrupt entries), each interrupt source's entries and latency, and the profile of cycles per
// source line and per subroutine.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class TMachine;
class TOznake;

// The interrupt sources as the panel lists them, in the processor's order of priority; SWI is
// the instruction.
enum class TWatchSource : uint8_t { Nmi, Irq, Sci, Tof, Ocf, Icf, Swi };
inline constexpr int kWatchSources = 7;
const char* WatchSourceName(TWatchSource source); // "NMI", "IRQ", ...
uint16_t WatchSourceVector(TWatchSource source);  // $FFFC, $FFF8, ...

// One frame of the call stack: a subroutine call (JSR/BSR) or an interrupt entry (a request or
// SWI).
struct TCallFrame {
    bool Interrupt = false;
    TWatchSource Source = TWatchSource::Irq; // for an interrupt
    uint16_t Target = 0;                     // the subroutine or the handler
    uint16_t Return = 0;                     // where it goes back to
    uint16_t StackPointer = 0;               // SP right after the entry stacked what it stacks
    uint16_t CallAt = 0;                     // the instruction that called (the interrupted one)
    uint64_t EnteredCycles = 0;
    uint64_t EnteredTime = 0;
    bool operator==(const TCallFrame&) const = default;
};

// One interrupt source's row of the panel as the counts stand (the rest is read from the
// machine: see InterruptRows).
struct TSourceCounts {
    uint64_t Entries = 0;
    std::optional<uint64_t> Latency;     // of the last entry, in the time base's units
    std::optional<uint64_t> RequestedAt; // when the request now pending was first seen
};

// An entry or a return on the small timeline of the interrupt panel.
struct TTimelineEvent {
    uint64_t Time = 0;
    TWatchSource Source = TWatchSource::Irq;
    bool Entry = true; // false: the RTI that returned
    uint8_t Depth = 0; // interrupt frames below it on the stack
    bool operator==(const TTimelineEvent&) const = default;
};

// A subroutine's line of the profile.
struct TSubroutineProfile {
    uint16_t Address = 0; // 0xFFFF-less: the main program has Main set
    bool Main = false;
    std::string Label; // the label at the address (Windows-1250), or "$XXXX"
    uint64_t Calls = 0;
    uint64_t Inclusive = 0;
    uint64_t Exclusive = 0;
};

class TExecutionWatch {
public:
    static constexpr size_t kMaxLines = 32768;
    static constexpr size_t kMaxUndo = 100000; // steps taken back at most, as the history keeps
    static constexpr size_t kMaxTimeline = 256;
    static constexpr size_t kMaxWarnings = 20;

    TExecutionWatch();

    // A new program: everything is forgotten, and the stack is followed from its start on.
    void Clear();
    // Whether the stack has been followed since the program's start (a watch switched on in the
    // middle of a run does not know the frames opened before; it does not warn about them).
    bool FromStart() const { return fromStart_; }
    // The profile starts again (with the cycle counter); the call stack stays.
    void ResetProfile();

    // Before a step at `pc` (the requests as they stand are noted with their time).
    void BeforeStep(const TMachine& machine, uint64_t time);
    // After the step that ran the instruction `opcode` at `pc` with `sp` before it; the line of
    // that instruction, the cycles the step took and the counter and time after it.
    void AfterStep(const TMachine& machine, uint16_t pc, uint8_t opcode, uint16_t sp, int line,
                   uint64_t stepCycles, uint64_t cycles, uint64_t time);
    // Takes back the last step (reverse step); `time` is the time after it.
    void StepBack(uint64_t time);
    // The step begun by the last BeforeStep raised an error: whatever the watch recorded of it
    // (the requests it noted, and all of AfterStep's record, or what AfterStep got through) is
    // taken back, so the stack, the counts and the profile stay as they were before it. The step
    // still holds its place among the steps, with nothing in it: a reverse step over it (the
    // history keeps a failed step) takes back nothing here.
    void StepFailed();

    // Counts every change to what the watch holds (a step, a step taken back, a clear): a view
    // that finds the revision it drew from has nothing new to draw.
    uint64_t Revision() const { return revision_; }

    const std::vector<TCallFrame>& Stack() const { return stack_; }
    // What the call stack could not follow (the stack pointer moved by hand, a return address
    // changed), newest last, UTF-8.
    const std::vector<std::string>& Warnings() const { return warnings_; }
    const TSourceCounts& Counts(TWatchSource source) const { return counts_[static_cast<int>(source)]; }
    const std::vector<TTimelineEvent>& Timeline() const { return timeline_; }

    // Executions and cycles of a 1-based source line.
    uint64_t LineCount(int line) const { return line > 0 && size_t(line) < kMaxLines ? lineCount_[line] : 0; }
    uint64_t LineCycles(int line) const {
        return line > 0 && size_t(line) < kMaxLines ? lineCycles_[line] : 0;
    }
    // The cycles of every line: the cycle counter since the profile's start.
    uint64_t TotalCycles() const { return total_; }
    // The subroutines by inclusive cycles, most first; the main program is the first row and
    // holds the cycles of no frame. Frames still open count up to `cycles`.
    std::vector<TSubroutineProfile> Subroutines(const TOznake* labels, uint64_t cycles) const;

private:
    struct TSubroutine {
        uint64_t Calls = 0, Inclusive = 0, Exclusive = 0;
    };
    // What a step changed, to take it back.
    struct TUndo {
        int16_t Line;
        uint8_t Pushed, Popped; // frames
        uint8_t Entered;        // interrupt sources entered, as bits
        uint8_t Timeline;       // timeline events added
        uint8_t Warned;         // warnings added
        uint32_t Cycles;
        int32_t Exclusive; // subroutine index the cycles went to, -1 for the main program
    };
    struct TPopped {
        TCallFrame Frame;
        uint64_t Inclusive; // what its return added to the subroutine's inclusive count
    };

    void Push(const TCallFrame& frame, TUndo& undo);
    void Pop(uint64_t cycles, TUndo& undo);
    void Warn(std::string text, TUndo& undo);
    void Enter(TWatchSource source, uint16_t target, uint16_t ret, uint16_t sp, uint16_t at, uint64_t cycles,
               uint64_t time, TUndo& undo);
    int SubroutineIndex(uint16_t address);
    // Files a step's record (the oldest go beyond kMaxUndo); takes back what one says it did.
    void File(const TUndo& undo);
    void Undo(const TUndo& undo);

    std::vector<TCallFrame> stack_;
    bool fromStart_ = false;
    std::vector<std::string> warnings_;
    std::array<TSourceCounts, kWatchSources> counts_{};
    std::vector<TTimelineEvent> timeline_;
    std::vector<uint64_t> lineCount_, lineCycles_;
    uint64_t total_ = 0;
    uint64_t mainExclusive_ = 0;
    std::vector<uint16_t> subAddress_;
    std::vector<TSubroutine> subs_;
    std::vector<int32_t> subIndex_; // address -> index into subs_, -1 for none
    // Reverse step: one record a step, oldest first, and beside it in step order the frames
    // popped and the latencies an entry replaced.
    std::deque<TUndo> undo_;
    std::deque<TPopped> popped_;
    std::deque<std::optional<uint64_t>> latencies_;
    // The step in progress: the requests as BeforeStep found them, the record AfterStep builds
    // (kept here while it is built, so a failure half-way can be taken back), and whether the
    // record was filed in undo_.
    std::array<std::optional<uint64_t>, kWatchSources> requestedBefore_{};
    TUndo open_{};
    bool begun_ = false, filed_ = false;
    uint64_t revision_ = 0;
};
