#include "session/boardlink.h"

#include <algorithm>
#include <limits>

#include "engine/machine.h"

namespace {
// The lines as the board meets them. Where the SCI has taken Port 2's pins (the chip model),
// P24 is its Tx output and P23 its Rx input, whatever DDR says, at the line's levels.
TPortLines Lines(const TPort& port) {
    const uint8_t taken = port.TakenPins();
    const uint8_t direction =
        static_cast<uint8_t>((port.St.Direction & ~taken) | (taken & 0x10u)); // P24 out, P23 in
    return {direction, port.Levels()};
}
} // namespace

TBoardLink::TBoardLink(TMachine& machine, const uint64_t& cycles, const uint64_t& base, uint64_t& due,
                       const uint64_t& hz, TBoardConfig config)
    : machine_(machine), cycles_(cycles), base_(base), due_(due), hz_(hz), board_(std::move(config)) {
    machine_.Port1.onChanged = [this] { PortsTouched(); };
    machine_.Port2.onChanged = [this] { PortsTouched(); };
    // The SCI's lines change without a port write: a look at the next step boundary.
    machine_.Sci.onLine = [this] { due_ = std::min(due_, cycles_); };
    PortsTouched();
}

TBoardLink::~TBoardLink() {
    machine_.Port1.onChanged = nullptr;
    machine_.Port2.onChanged = nullptr;
    machine_.Sci.onLine = nullptr;
    due_ = std::numeric_limits<uint64_t>::max();
}

void TBoardLink::Apply() {
    for (int n = 1; n <= 2; ++n) {
        TPort& port = n == 1 ? machine_.Port1 : machine_.Port2;
        const TPortDrive drive = board_.Drive(n);
        const uint8_t pins = drive.Mask & static_cast<uint8_t>(~port.St.Direction) & port.Mask();
        const uint8_t level = static_cast<uint8_t>((port.St.Level & ~pins) | (drive.Level & pins));
        const uint8_t changed = level ^ port.St.Level;
        port.St.Level = level;
        // Only input pins change here: an edge on P20 is the timer's input capture.
        if (n == 2 && (changed & 1u) && port.CaptureTimer) port.CaptureTimer->CaptureEdge(level & 1u);
    }
}

void TBoardLink::UpdateDue() {
    const uint64_t at = NsToCyclesUp(board_.NextEventNs(), hz_);
    due_ = at == std::numeric_limits<uint64_t>::max() ? at : at > base_ ? at - base_ : 0;
    // The next bit boundary of a serial frame on P23/P24, in the cycle counter's terms. Within
    // a step the counter still stands at the step's start while the clock has moved on, so the
    // boundary is at worst looked at early.
    if (machine_.Port2.TakenPins()) {
        const uint64_t line = machine_.Sci.NextLineChange();
        const uint64_t now = machine_.Cpu.Clock.Now;
        if (line != std::numeric_limits<uint64_t>::max() && line > now)
            due_ = std::min(due_, cycles_ + (line - now));
    }
}

void TBoardLink::Update(bool driveChanged) {
    if (driveChanged) Apply();
    UpdateDue();
}

void TBoardLink::PortsTouched() {
    if (Muted) return;
    lines1_ = Lines(machine_.Port1);
    lines2_ = Lines(machine_.Port2);
    board_.PortsChanged(NowNs(), lines1_, lines2_);
    // Also when the board's drive stayed: a click may have changed a pin the board holds.
    Update(true);
}

void TBoardLink::Advance() {
    bool changed = board_.Advance(NowNs());
    // A serial line may have moved on since the board last looked.
    if (!Muted && (Lines(machine_.Port1) != lines1_ || Lines(machine_.Port2) != lines2_)) {
        lines1_ = Lines(machine_.Port1);
        lines2_ = Lines(machine_.Port2);
        changed = board_.PortsChanged(NowNs(), lines1_, lines2_) || changed;
    }
    Update(changed);
}

void TBoardLink::PowerOn() {
    board_.PowerOn(NowNs());
    PortsTouched();
}

bool TBoardLink::Press(TBoardInput input) {
    const bool changed = board_.Press(NowNs(), input);
    Update(changed);
    return changed;
}

bool TBoardLink::Release(TBoardInput input) {
    const bool changed = board_.Release(NowNs(), input);
    Update(changed);
    return changed;
}

bool TBoardLink::SetSwitch(TBoardInput input, bool on) {
    const bool changed = board_.SetSwitch(NowNs(), input, on);
    Update(changed);
    return changed;
}

void TBoardLink::Restore(const TLabBoard::State& state) {
    board_.Restore(state);
    lines1_ = Lines(machine_.Port1);
    lines2_ = Lines(machine_.Port2);
    UpdateDue();
}
