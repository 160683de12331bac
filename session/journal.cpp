#include "session/journal.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "engine/machine.h"
#include "session/boardlink.h"
#include "session/session.h"

// The board's state is logged and put back as words.
static_assert(std::is_trivially_copyable_v<TLabBoard::State>);

TJournal::TJournal(TSession& session)
    : session_(session), cells_(kCellEntries), frames_(std::make_unique_for_overwrite<TFrame[]>(kFrameSlots)),
      devices_(std::make_unique_for_overwrite<TDevices[]>(kDeviceSlots)) {
    cells_.onFull = [this] { CellLogFull(); };
}

TJournal::~TJournal() {
    TMemory& memory = session_.machine_->Memory;
    if (memory.History == &cells_) memory.History = nullptr;
}

size_t TJournal::MaximumBytes() {
    return kFrameSlots * sizeof(TFrame) + kDeviceSlots * (sizeof(TDevices) + sizeof(TChipParts)) +
           kCellEntries * sizeof(TCellLog::Entry) + kBoardEntries * sizeof(TBoardWord);
}

void TJournal::Attach(bool on) {
    session_.machine_->Memory.History = on ? &cells_ : nullptr;
    Reset();
}

void TJournal::Reset() {
    witnessValid_ = false;
    first_ = count_ = 0;
    pendingValid_ = pendingPushed_ = false;
    haveDevices_ = false;
    haveBoard_ = false;
    boardBegin_ = boardEnd_ = 0;
    cells_.Reset();
}

// The fields of the whole board and the slots of the buttons, displays and LCDs it has.
std::vector<std::pair<uint32_t, uint32_t>> TJournal::LiveWords(const TLabBoard& board) {
    using S = TLabBoard::State;
    size_t buttons = 0, displays = 0, lcds = 0;
    for (const TBoardPart& p : board.Parts()) {
        if (p.Kind == TPartKind::Button) buttons = std::max<size_t>(buttons, p.Slot + 1u);
        if (p.Kind == TPartKind::Display) displays = std::max<size_t>(displays, p.Slot + 1u);
        if (p.Kind == TPartKind::Lcd) lcds = std::max<size_t>(lcds, p.Slot + 1u);
    }
    const std::pair<size_t, size_t> bytes[] = {
        {0, offsetof(S, Buttons)},
        {offsetof(S, Buttons), offsetof(S, Buttons) + buttons * sizeof(TLabBoard::TButtonState)},
        {offsetof(S, Keys), offsetof(S, Displays)},
        {offsetof(S, Displays), offsetof(S, Displays) + displays * sizeof(TPersistence::State)},
        {offsetof(S, Lcds), offsetof(S, Lcds) + lcds * sizeof(THd44780::State)},
    };
    std::vector<std::pair<uint32_t, uint32_t>> words;
    for (const auto& [from, to] : bytes) {
        if (to <= from) continue;
        const auto first = static_cast<uint32_t>(from / 8), end = static_cast<uint32_t>((to + 7) / 8);
        if (!words.empty() && first <= words.back().second)
            words.back().second = std::max(words.back().second, end);
        else words.emplace_back(first, end);
    }
    return words;
}

namespace {

uint64_t WordAt(const unsigned char* bytes, size_t word) {
    uint64_t w;
    std::memcpy(&w, bytes + word * 8, 8);
    return w;
}

} // namespace

void TJournal::CaptureBoard() {
    const TBoardLink* link = session_.boardLink_.get();
    if (!link) return;
    const TLabBoard& board = link->Board();
    if (haveBoard_ && board.Revision() == boardRevision_) return;
    boardRevision_ = board.Revision();
    const auto* now = reinterpret_cast<const unsigned char*>(&board.Current());
    if (!haveBoard_) {
        if (!boardLog_) boardLog_ = std::make_unique_for_overwrite<TBoardWord[]>(kBoardEntries);
        std::memcpy(boardShadow_.data(), now, sizeof(TLabBoard::State));
        boardLive_ = LiveWords(board);
        haveBoard_ = true;
        return;
    }
    // A change touches a few words; the rest is compared four at a time.
    for (const auto& [first, end] : boardLive_)
        for (uint32_t i = first; i < end; i += 4) {
            const uint32_t n = std::min<uint32_t>(4, end - i);
            uint64_t differ = 0;
            for (uint32_t k = i; k < i + n; ++k)
                differ |= WordAt(now, k) ^ boardShadow_[k];
            if (differ == 0) continue;
            for (uint32_t k = i; k < i + n; ++k)
                if (const uint64_t w = WordAt(now, k); w != boardShadow_[k]) {
                    LogBoardWord(boardShadow_[k], k);
                    boardShadow_[k] = w;
                }
        }
}

uint64_t TJournal::BoardEndOf(const TFrame& frame) const {
    const uint32_t noted = devices_[frame.Devices & ((1u << kPreviousShift) - 1)].Board;
    return boardEnd_ - static_cast<uint32_t>(static_cast<uint32_t>(boardEnd_) - noted);
}

// The board's undo log is full: the words before the oldest checkpoint go, and if that is not
// enough, the oldest steps with theirs (with no step kept, nothing is gone back to).
void TJournal::BoardLogFull() {
    auto oldest = [this] { return count_ > 0 ? BoardEndOf(frames_[first_]) : boardEnd_; };
    boardBegin_ = std::max(boardBegin_, oldest());
    while (count_ > 0 && boardEnd_ - boardBegin_ >= kBoardEntries) {
        DropOldest();
        boardBegin_ = std::max(boardBegin_, oldest());
    }
    if (boardEnd_ - boardBegin_ >= kBoardEntries) boardBegin_ = boardEnd_;
}

namespace {

// Two values of a state without padding are equal when their bytes are: a few wide compares in
// place of one per field.
template <typename T> bool SameBytes(const T& a, const T& b) {
    static_assert(std::has_unique_object_representations_v<T>);
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The timer's registers: the three counters as one run of bytes, then TCSR (a padding byte
// follows it).
bool SameTimer(const TTimer::State& a, const TTimer::State& b) {
    static_assert(offsetof(TTimer::State, Counter) == 0 && offsetof(TTimer::State, OutputCompare) == 2 &&
                  offsetof(TTimer::State, InputCapture) == 4 && offsetof(TTimer::State, TCSR) == 6);
    return std::memcmp(&a, &b, 6) == 0 && a.TCSR == b.TCSR;
}

} // namespace

bool TJournal::SameDevices(const TDevices& d) const {
    const TMachine& m = *session_.machine_;
    // Ordered by how often a part changes between checkpoints: the timer's counter ticks.
    return SameTimer(d.Timer, m.Timer.St) && SameBytes(d.Sci, m.Sci.St) && SameBytes(d.Port1, m.Port1.St) &&
           SameBytes(d.Port2, m.Port2.St) && d.Random.Position == m.Random.Save().Position &&
           d.TraceRows == m.Memory.Trace.RowsRecorded() && d.Trace.Triggered == m.Memory.Trace.Triggered &&
           d.Terminal == session_.sciTerminal_->Position() && d.Board == static_cast<uint32_t>(boardEnd_) &&
           (!m.Timer.Chip() || SameChipParts(d));
}

bool TJournal::SameChipParts(const TDevices& d) const {
    const TMachine& m = *session_.machine_;
    const TChipParts& c = chipParts_[&d - devices_.get()];
    return c.Timer == m.Timer.Cs && c.Sci == m.Sci.Cs && c.RamControl == m.RamControl.Value;
}

void TJournal::CaptureDevices(TDevices& d) const {
    const TMachine& m = *session_.machine_;
    // Zeroed first, so that the padding is not left undefined.
    std::memset(&d, 0, sizeof d);
    d.Random = m.Random.Save();
    d.TraceRows = m.Memory.Trace.RowsRecorded();
    d.Terminal = session_.sciTerminal_->Position();
    d.Board = static_cast<uint32_t>(boardEnd_);
    d.Cycles = m.Timer.Chip() ? static_cast<uint32_t>(session_.cycles_) : 0;
    d.Timer = m.Timer.St;
    d.Sci = m.Sci.St;
    d.Port1 = m.Port1.St;
    d.Port2 = m.Port2.St;
    d.Trace = m.Memory.Trace.Save();
    if (m.Timer.Chip()) {
        TChipParts& c = chipParts_[&d - devices_.get()];
        c.Timer = m.Timer.Cs;
        c.Sci = m.Sci.Cs;
        c.RamControl = m.RamControl.Value;
    }
}

bool TJournal::BoardMoved() const { return session_.boardLink_->Board().Revision() != boardRevision_; }

void TJournal::NoteDevices() {
    TMachine& m = *session_.machine_;
    // The chip model's devices count on between their events; they are brought up to the clock
    // before they are looked at.
    m.SyncDevices();
    if (m.Timer.Chip() && !chipParts_) [[unlikely]]
        chipParts_ = std::make_unique_for_overwrite<TChipParts[]>(kDeviceSlots);
    const TMemory& memory = m.Memory;
    accessesSeen_ = memory.DeviceAccesses;
    eventsSeen_ = m.Cpu.Clock.Events;
    rowsSeen_ = memory.Trace.RowsRecorded();
    triggeredSeen_ = memory.Trace.Triggered;
    if (session_.boardLink_) CaptureBoard();
    // The devices' State values compared with the part noted last.
    if (!haveDevices_ || !SameDevices(devices_[lastDevices_])) {
        // What a checkpoint noted again before the step goes back to.
        lastBeforePending_ = lastDevices_;
        haveBeforePending_ = haveDevices_;
        lastDevices_ = haveDevices_ ? (lastDevices_ + 1 == kDeviceSlots ? 0 : lastDevices_ + 1) : 0;
        // Noted in place (a copy from the stack would wait on the stores).
        CaptureDevices(devices_[lastDevices_]);
        haveDevices_ = true;
        pendingPushed_ = true;
    }
    // The chip model's devices change by time and the lab board drives the ports itself: there
    // the counts witness nothing.
    witnessValid_ = !m.Timer.Chip() && !session_.boardLink_;
    if (witnessValid_) witness_ = Witness();
}

TJournal::TWitness TJournal::Witness() const {
    const TMachine& m = *session_.machine_;
    return {m.Timer.Touches,
            m.Sci.Touches,
            m.Port1.Touches,
            m.Port2.Touches,
            m.Random.Save().Position,
            m.Memory.Trace.RowsRecorded(),
            session_.sciTerminal_->Position(),
            m.Memory.Trace.Triggered};
}

void TJournal::Mark(bool quiet) { MarkInLine(quiet); }

// The cell log is full: the stores before the oldest checkpoint go, and if that is not enough,
// the oldest steps with theirs. Stores made since the pending checkpoint alone cannot fill it in
// practice (hand edits between two steps); if they do, that checkpoint is given up too.
void TJournal::CellLogFull() {
    auto oldest = [this] { return count_ > 0 || pendingValid_ ? CellsOf(frames_[first_]) : cells_.End(); };
    cells_.Forget(oldest());
    while (count_ > 0 && cells_.End() - cells_.Begin() >= cells_.Capacity()) {
        DropOldest();
        cells_.Forget(oldest());
    }
    if (cells_.End() - cells_.Begin() >= cells_.Capacity()) {
        pendingValid_ = false;
        cells_.Reset();
    }
}

void TJournal::RestoreDevices(const TDevices& d) {
    TMachine& m = *session_.machine_;
    m.Random.Restore(d.Random);
    m.Memory.Trace.TakeBackRows(d.TraceRows);
    m.Memory.Trace.Restore(d.Trace);
    session_.sciTerminal_->TakeBack(d.Terminal);
    m.Timer.St = d.Timer;
    m.Port1.St = d.Port1;
    m.Port2.St = d.Port2;
    m.Sci.St = d.Sci;
    // The lab board is put back beside the ports rather than told of them.
    TBoardLink* link = session_.boardLink_.get();
    if (link && haveBoard_) {
        // The words logged since the checkpoint, newest first.
        const uint64_t end = boardEnd_ - static_cast<uint32_t>(static_cast<uint32_t>(boardEnd_) - d.Board);
        while (boardEnd_ > end) {
            const TBoardWord& w = boardLog_[static_cast<size_t>(--boardEnd_ & (kBoardEntries - 1))];
            boardShadow_[w.Word] = w.Old;
        }
        TLabBoard::State state;
        std::memcpy(static_cast<void*>(&state), boardShadow_.data(), sizeof state);
        link->Restore(state);
        boardRevision_ = link->Board().Revision();
    }
}

// The chip's parts as noted, advanced by the cycles between the noting and the checkpoint: with no
// device event between the two, the counter only counted and the line's frames only went on.
void TJournal::RestoreChipParts(const TChipParts& c, uint32_t since) {
    TMachine& m = *session_.machine_;
    m.Timer.Cs = c.Timer;
    m.Sci.Cs = c.Sci;
    m.RamControl.Value = c.RamControl;
    m.Timer.St.Counter = static_cast<uint16_t>(m.Timer.St.Counter + since);
    TSci::ChipState& line = m.Sci.Cs;
    const auto on = [since](uint16_t& left) { left = static_cast<uint16_t>(left - since); };
    if (line.IdleLeft && line.RxLeft == 0) on(line.IdleLeft);
    if (line.TxLeft) on(line.TxLeft);
    if (line.RxLeft) on(line.RxLeft);
}

bool TJournal::StepBack() {
    if (count_ == 0) return false;
    size_t at = first_ + count_ - 1;
    if (at >= kFrameSlots) at -= kFrameSlots;
    const TFrame f = frames_[at];
    --count_;
    witnessValid_ = false;
    pendingValid_ = pendingPushed_ = false;

    // The stores since the checkpoint, newest first.
    TMachine& m = *session_.machine_;
    const uint64_t cells = CellsOf(f);
    for (uint64_t position = cells_.End(); position > cells;) {
        const TCellLog::Entry& e = cells_.At(--position);
        m.Memory.Cells[e.Address] = MemoryCell{e.Value, e.Line};
    }
    cells_.Truncate(cells);

    Tsimulator& cpu = m.Cpu;
    cpu.A = f.A;
    cpu.B = f.B;
    cpu.JoinD();
    cpu.PC = f.PC;
    cpu.X = f.X;
    cpu.SP = f.SP;
    cpu.UnpackCCR(f.CCR);
    cpu.Waiting = (f.CCR & 0x40) == 0;
    cpu.Pending = TPending();
    for (size_t source = 0; source < 8; ++source)
        if (f.Pending >> source & 1) cpu.Pending.set(source);

    session_.cycles_ = f.Cycles;
    // The step before began at the checkpoint now newest (or, if none is kept, it is not known).
    session_.logCycles_ = count_ > 0 ? frames_[at == 0 ? kFrameSlots - 1 : at - 1].Cycles : f.Cycles;
    session_.executionLine_ = f.ExecutionLine;
    session_.previousOpcode_ = static_cast<int>(f.Devices >> kPreviousShift) - 1;
    const uint64_t appended = session_.Log.Appended();
    session_.Log.TakeBack(appended - static_cast<uint32_t>(static_cast<uint32_t>(appended) - f.LogAppended));

    // Later device parts belong to the steps just taken back: their slots are free again.
    lastDevices_ = f.Devices & ((1u << kPreviousShift) - 1);
    haveDevices_ = true;
    const TDevices& devices = devices_[lastDevices_];
    RestoreDevices(devices);
    if (m.Timer.Chip())
        RestoreChipParts(chipParts_[lastDevices_], static_cast<uint32_t>(f.Cycles) - devices.Cycles);
    m.Resync();
    return true;
}
