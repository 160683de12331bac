#include "session/execwatch.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "assembler/labels.h"
#include "engine/machine.h"

namespace {

constexpr const char* kSourceNames[kWatchSources] = {"NMI", "IRQ", "SCI", "TOF", "OCF", "ICF", "SWI"};
constexpr uint16_t kVectors[kWatchSources] = {kVectorNmi, kVectorIrq, kVectorSci, kVectorTof,
                                              kVectorOcf, kVectorIcf, kVectorSwi};
// The request sources in Pending, in the panel's order (SWI has none).
constexpr InterruptSource kRequests[6] = {InterruptSource::NMI, InterruptSource::IRQ, InterruptSource::SCI,
                                          InterruptSource::TOF, InterruptSource::ICF, InterruptSource::OCF};
constexpr TWatchSource kRequestRows[6] = {TWatchSource::Nmi, TWatchSource::Irq, TWatchSource::Sci,
                                          TWatchSource::Tof, TWatchSource::Icf, TWatchSource::Ocf};

constexpr uint8_t kJsrDirect = 0x9D, kJsrIndexed = 0xAD, kJsrExtended = 0xBD, kBsr = 0x8D;
constexpr uint8_t kRts = 0x39, kRti = 0x3B, kSwi = 0x3F;

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%04X", value);
    return text;
}

uint16_t PeekWord(const TMachine& machine, uint16_t address) {
    return static_cast<uint16_t>(machine.Memory.Peek(address).Value << 8 |
                                 machine.Memory.Peek(static_cast<uint16_t>(address + 1)).Value);
}

} // namespace

const char* WatchSourceName(TWatchSource source) { return kSourceNames[static_cast<int>(source)]; }
uint16_t WatchSourceVector(TWatchSource source) { return kVectors[static_cast<int>(source)]; }

TExecutionWatch::TExecutionWatch() : lineCount_(kMaxLines), lineCycles_(kMaxLines), subIndex_(65536, -1) {}

void TExecutionWatch::Clear() {
    stack_.clear();
    fromStart_ = true;
    warnings_.clear();
    counts_ = {};
    timeline_.clear();
    undo_.clear();
    popped_.clear();
    latencies_.clear();
    ResetProfile();
}

void TExecutionWatch::ResetProfile() {
    ++revision_;
    std::fill(lineCount_.begin(), lineCount_.end(), 0);
    std::fill(lineCycles_.begin(), lineCycles_.end(), 0);
    total_ = mainExclusive_ = 0;
    for (uint16_t address : subAddress_)
        subIndex_[address] = -1;
    subAddress_.clear();
    subs_.clear();
    // The steps before cannot be taken back out of a profile that no longer holds them.
    undo_.clear();
    popped_.clear();
    latencies_.clear();
    begun_ = filed_ = false;
    // Frames still open count their cycles from here.
    for (TCallFrame& frame : stack_)
        frame.EnteredCycles = 0;
}

int TExecutionWatch::SubroutineIndex(uint16_t address) {
    int32_t& index = subIndex_[address];
    if (index < 0) {
        index = static_cast<int32_t>(subs_.size());
        subs_.emplace_back();
        subAddress_.push_back(address);
    }
    return index;
}

namespace {
// A step's record with nothing in it (its cycles, none, go to the main program).
constexpr int32_t kMainProgram = -1;
} // namespace

void TExecutionWatch::BeforeStep(const TMachine& machine, uint64_t time) {
    const TPending& pending = machine.Cpu.Pending;
    for (int s = 0; s < kWatchSources; ++s)
        requestedBefore_[s] = counts_[s].RequestedAt;
    open_ = TUndo{};
    open_.Exclusive = kMainProgram;
    begun_ = true;
    filed_ = false;
    for (int i = 0; i < 6; ++i) {
        std::optional<uint64_t>& at = counts_[static_cast<int>(kRequestRows[i])].RequestedAt;
        if (!pending.test(kRequests[i])) at.reset();
        else if (!at) at = time;
    }
}

void TExecutionWatch::Push(const TCallFrame& frame, TUndo& undo) {
    stack_.push_back(frame);
    ++undo.Pushed;
    if (!frame.Interrupt) ++subs_[SubroutineIndex(frame.Target)].Calls;
}

void TExecutionWatch::Pop(uint64_t cycles, TUndo& undo) {
    const TCallFrame frame = stack_.back();
    stack_.pop_back();
    uint64_t inclusive = 0;
    // Recursion counts a frame once: only the outermost open frame of a routine adds its time.
    const bool outer = std::none_of(stack_.begin(), stack_.end(), [&](const TCallFrame& f) {
        return f.Target == frame.Target && f.Interrupt == frame.Interrupt;
    });
    if (outer) {
        inclusive = cycles - std::min(cycles, frame.EnteredCycles);
        subs_[SubroutineIndex(frame.Target)].Inclusive += inclusive;
    }
    popped_.push_back({frame, inclusive});
    ++undo.Popped;
}

void TExecutionWatch::Warn(std::string text, TUndo& undo) {
    warnings_.push_back(std::move(text));
    if (warnings_.size() > kMaxWarnings) warnings_.erase(warnings_.begin());
    ++undo.Warned;
}

void TExecutionWatch::Enter(TWatchSource source, uint16_t target, uint16_t ret, uint16_t sp, uint16_t at,
                            uint64_t cycles, uint64_t time, TUndo& undo) {
    TSourceCounts& counts = counts_[static_cast<int>(source)];
    ++counts.Entries;
    latencies_.push_back(counts.Latency);
    // From the request to the first instruction of the handler (SWI: the instruction itself).
    counts.Latency = time - std::min(time, counts.RequestedAt.value_or(time));
    counts.RequestedAt.reset();
    undo.Entered = static_cast<uint8_t>(undo.Entered | 1u << static_cast<int>(source));
    uint8_t depth = 0;
    for (const TCallFrame& f : stack_)
        depth = static_cast<uint8_t>(depth + f.Interrupt);
    timeline_.push_back({time, source, true, depth});
    if (timeline_.size() > kMaxTimeline) timeline_.erase(timeline_.begin());
    ++undo.Timeline;
    Push({true, source, target, ret, sp, at, cycles, time}, undo);
}

void TExecutionWatch::AfterStep(const TMachine& machine, uint16_t pc, uint8_t opcode, uint16_t sp, int line,
                                uint64_t stepCycles, uint64_t cycles, uint64_t time) {
    const Tsimulator& cpu = machine.Cpu;
    ++revision_;
    // The record is built in place, so that a failure before it is filed can be taken back.
    TUndo& undo = open_;
    undo = TUndo{};
    // The cycles of the step belong to the routine it ran in.
    undo.Exclusive = stack_.empty() ? kMainProgram : SubroutineIndex(stack_.back().Target);
    undo.Line = static_cast<int16_t>(line > 0 && size_t(line) < kMaxLines ? line : 0);
    undo.Cycles = static_cast<uint32_t>(stepCycles);
    lineCount_[undo.Line] += undo.Line != 0;
    lineCycles_[undo.Line] += stepCycles;
    total_ += stepCycles;
    if (undo.Exclusive < 0) mainExclusive_ += stepCycles;
    else subs_[undo.Exclusive].Exclusive += stepCycles;

    // Where the instruction itself went: its SP after is the final SP above the entries' stacking.
    const uint16_t spInstruction = static_cast<uint16_t>(cpu.SP + 7 * cpu.Entries);
    switch (opcode) {
    case kJsrDirect:
    case kJsrIndexed:
    case kBsr:
    case kJsrExtended: {
        const uint16_t ret = static_cast<uint16_t>(pc + (opcode == kJsrExtended ? 3 : 2));
        const uint16_t target = cpu.Entries ? PeekWord(machine, static_cast<uint16_t>(cpu.SP + 6)) : cpu.PC;
        // The call instruction is the caller's; the callee's time begins after it.
        Push({false, TWatchSource::Irq, target, ret, spInstruction, pc, cycles, time}, undo);
        break;
    }
    case kRts:
    case kRti: {
        const bool rti = opcode == kRti;
        const uint16_t stacked = PeekWord(machine, static_cast<uint16_t>(sp + (rti ? 6 : 1)));
        if (stack_.empty() && !fromStart_) break;
        if (stack_.empty() || stack_.back().Interrupt != rti) {
            Warn(std::string(rti ? "RTI" : "RTS") + " na " + Hex4(pc) + " se vrača na " + Hex4(stacked) +
                     (stack_.empty() ? ", a na skladu klicev ni " + std::string(rti ? "prekinitve" : "klica")
                                     : ", vrh sklada klicev pa je " +
                                           std::string(stack_.back().Interrupt ? "prekinitev" : "klic")),
                 undo);
            if (!stack_.empty()) Pop(cycles, undo);
            break;
        }
        const TCallFrame& top = stack_.back();
        if (sp != top.StackPointer)
            Warn("SP ob " + std::string(rti ? "RTI" : "RTS") + " na " + Hex4(pc) + " je " + Hex4(sp) +
                     ", ob vstopu v " + Hex4(top.Target) + " pa je bil " + Hex4(top.StackPointer) +
                     ": kazalec sklada je bil premaknjen ročno",
                 undo);
        else if (stacked != top.Return)
            Warn("povratni naslov na skladu je " + Hex4(stacked) + ", klic na " + Hex4(top.CallAt) +
                     " pa je shranil " + Hex4(top.Return) + ": povratni naslov je bil spremenjen",
                 undo);
        if (rti) {
            uint8_t depth = 0;
            for (size_t i = 0; i + 1 < stack_.size(); ++i)
                depth = static_cast<uint8_t>(depth + stack_[i].Interrupt);
            timeline_.push_back({time, top.Source, false, depth});
            if (timeline_.size() > kMaxTimeline) timeline_.erase(timeline_.begin());
            ++undo.Timeline;
        }
        Pop(cycles, undo);
        break;
    }
    case kSwi:
        if (cpu.Entries == 0) {
            counts_[static_cast<int>(TWatchSource::Swi)].RequestedAt = time - 1;
            Enter(TWatchSource::Swi, cpu.PC, static_cast<uint16_t>(pc + 1), cpu.SP, pc, cycles - stepCycles,
                  time, undo);
        }
        break;
    default:
        break;
    }

    // The requests entered after the instruction, outermost first: each stacked 7 bytes over the
    // one before, and the last one's handler is where PC stands.
    if (cpu.Entries != 0) [[unlikely]] {
        std::vector<TWatchSource> taken;
        for (int i = 0; i < 6 && taken.size() < cpu.Entries; ++i) {
            const TWatchSource row = kRequestRows[i];
            if (counts_[static_cast<int>(row)].RequestedAt && !cpu.Pending.test(kRequests[i]))
                taken.push_back(row);
        }
        // A request raised within the step itself was not seen before it.
        for (int i = 0; i < 6 && taken.size() < cpu.Entries; ++i)
            if (PeekWord(machine, kVectors[static_cast<int>(kRequestRows[i])]) == cpu.PC &&
                std::find(taken.begin(), taken.end(), kRequestRows[i]) == taken.end())
                taken.push_back(kRequestRows[i]);
        for (size_t k = 0; k < taken.size(); ++k) {
            const uint16_t frameSp = static_cast<uint16_t>(cpu.SP + 7 * (cpu.Entries - 1 - k));
            const uint16_t ret = PeekWord(machine, static_cast<uint16_t>(frameSp + 6));
            const uint16_t target =
                k + 1 == taken.size() ? cpu.PC : PeekWord(machine, static_cast<uint16_t>(frameSp - 7 + 6));
            Enter(taken[k], target, ret, frameSp, ret, cycles, time, undo);
        }
    }
    File(undo);
    filed_ = true;
}

void TExecutionWatch::File(const TUndo& undo) {
    undo_.push_back(undo);
    if (undo_.size() > kMaxUndo) {
        const TUndo& old = undo_.front();
        popped_.erase(popped_.begin(), popped_.begin() + old.Popped);
        latencies_.erase(latencies_.begin(), latencies_.begin() + std::popcount(unsigned{old.Entered}));
        undo_.pop_front();
    }
}

void TExecutionWatch::StepBack(uint64_t time) {
    ++revision_;
    begun_ = false;
    if (undo_.empty()) return;
    const TUndo undo = undo_.back();
    undo_.pop_back();
    Undo(undo);
    // A request seen only after the time gone back to is seen again by the next step.
    for (TSourceCounts& counts : counts_)
        if (counts.RequestedAt && *counts.RequestedAt > time) counts.RequestedAt.reset();
}

void TExecutionWatch::StepFailed() {
    if (!begun_) return;
    ++revision_;
    begun_ = false;
    const TUndo undo = open_;
    if (filed_) undo_.pop_back();
    Undo(undo);
    for (int s = 0; s < kWatchSources; ++s)
        counts_[s].RequestedAt = requestedBefore_[s];
    TUndo empty{};
    empty.Exclusive = kMainProgram;
    File(empty);
}

void TExecutionWatch::Undo(const TUndo& undo) {
    for (int i = 0; i < undo.Pushed && !stack_.empty(); ++i) {
        const TCallFrame& frame = stack_.back();
        if (!frame.Interrupt) --subs_[SubroutineIndex(frame.Target)].Calls;
        stack_.pop_back();
    }
    for (int i = 0; i < undo.Popped && !popped_.empty(); ++i) {
        const TPopped& p = popped_.back();
        subs_[SubroutineIndex(p.Frame.Target)].Inclusive -= p.Inclusive;
        stack_.push_back(p.Frame);
        popped_.pop_back();
    }
    // The popped frames came back newest first: put them in their order again.
    std::reverse(stack_.end() - std::min<size_t>(undo.Popped, stack_.size()), stack_.end());
    for (int s = kWatchSources - 1; s >= 0; --s) {
        if (!((undo.Entered >> s) & 1u) || latencies_.empty()) continue;
        --counts_[s].Entries;
        counts_[s].Latency = latencies_.back();
        latencies_.pop_back();
    }
    for (int i = 0; i < undo.Warned && !warnings_.empty(); ++i)
        warnings_.pop_back();
    for (int i = 0; i < undo.Timeline && !timeline_.empty(); ++i)
        timeline_.pop_back();
    lineCount_[undo.Line] -= undo.Line != 0;
    lineCycles_[undo.Line] -= undo.Cycles;
    total_ -= undo.Cycles;
    if (undo.Exclusive < 0) mainExclusive_ -= undo.Cycles;
    else subs_[undo.Exclusive].Exclusive -= undo.Cycles;
}

std::vector<TSubroutineProfile> TExecutionWatch::Subroutines(const TOznake* labels, uint64_t cycles) const {
    std::vector<TSubroutineProfile> rows;
    rows.push_back({0, true, "(glavni program)", 1, total_, mainExclusive_});
    for (size_t i = 0; i < subs_.size(); ++i) {
        TSubroutineProfile row{subAddress_[i],    false, "", subs_[i].Calls, subs_[i].Inclusive,
                               subs_[i].Exclusive};
        // An open frame counts up to now (its outermost one only).
        for (const TCallFrame& frame : stack_)
            if (frame.Target == row.Address) {
                row.Inclusive += cycles - std::min(cycles, frame.EnteredCycles);
                break;
            }
        if (labels)
            for (const LabelEntry& entry : labels->Entries())
                if (entry.Value == row.Address) {
                    row.Label = entry.Name;
                    break;
                }
        if (row.Label.empty()) row.Label = Hex4(row.Address);
        rows.push_back(std::move(row));
    }
    std::stable_sort(
        rows.begin() + 1, rows.end(),
        [](const TSubroutineProfile& a, const TSubroutineProfile& b) { return a.Inclusive > b.Inclusive; });
    return rows;
}
