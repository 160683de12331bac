#include "session/boardlink.h"

#include <limits>

#include "engine/machine.h"

namespace {
TPortLines Lines(const TPort& port) { return {port.St.Direction, port.St.Level}; }
} // namespace

TBoardLink::TBoardLink(TMachine& machine, const uint64_t& cycles, const uint64_t& base, uint64_t& due,
                       const uint64_t& hz, TBoardConfig config)
    : machine_(machine), cycles_(cycles), base_(base), due_(due), hz_(hz), board_(std::move(config)) {
    machine_.Port1.onChanged = [this] { PortsTouched(); };
    machine_.Port2.onChanged = [this] { PortsTouched(); };
    PortsTouched();
}

TBoardLink::~TBoardLink() {
    machine_.Port1.onChanged = nullptr;
    machine_.Port2.onChanged = nullptr;
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
}

void TBoardLink::Update(bool driveChanged) {
    if (driveChanged) Apply();
    UpdateDue();
}

void TBoardLink::PortsTouched() {
    if (Muted) return;
    board_.PortsChanged(NowNs(), Lines(machine_.Port1), Lines(machine_.Port2));
    // Also when the board's drive stayed: a click may have changed a pin the board holds.
    Update(true);
}

void TBoardLink::Advance() { Update(board_.Advance(NowNs())); }

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
    UpdateDue();
}
