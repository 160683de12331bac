#include "session/session.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>
#include <type_traits>

#include "assembler/compiler.h"
#include "assembler/ukazi.h"
#include "base/encoding.h"
#include "base/files.h"
#include "base/syserror.h"
#include "base/system.h"
#include "engine/machine.h"
#include "isa/isa.h"
#include "session/boardlink.h"
#include "session/journal.h"
#include "session/sciterminal.h"

namespace {

uint32_t SteadyMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// What a failure raised inside a step was, for the user: Slovenian where the system knows it.
std::string FailureText(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e)) return "zmanjkalo je pomnilnika";
    return e.what();
}

// 0 when files may be created in `dir`, else the reason (an errno value).
int DirectoryProblem(const std::filesystem::path& dir) { return FolderWriteProblem(PathToUtf8(dir)); }

// A program directory takes the listing only when it is the user's own: the build tree (CMake's
// cache beside it) or a copy owned by the user who runs it. An installed one stays untouched even
// where it could be written, as by root, who owns the system's folders.
bool OwnProgramDirectory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (std::filesystem::exists(dir / ".." / "CMakeCache.txt", ec)) return true;
    return OwnedByUser(PathToUtf8(dir));
}

} // namespace

const char* RunStateName(RunState state) {
    switch (state) {
    case RunState::Idle:
        return "Idle";
    case RunState::Halted:
        return "Halted";
    case RunState::SlowRun:
        return "SlowRun";
    case RunState::FastRun:
        return "FastRun";
    case RunState::TurboRun:
        return "TurboRun";
    }
    return "";
}

bool Allowed(SessionCommand command, RunState state) {
    const bool running =
        state == RunState::SlowRun || state == RunState::FastRun || state == RunState::TurboRun;
    switch (command) {
    case SessionCommand::Load:
    case SessionCommand::Compile:
    case SessionCommand::EditSource:
        return state == RunState::Idle;
    case SessionCommand::Step:
    case SessionCommand::StepBack:
        return state == RunState::Halted;
    case SessionCommand::Pause:
        return running;
    case SessionCommand::Stop:
        return state != RunState::Idle;
    // Each run is entered from the halted state and from the other runs.
    case SessionCommand::SlowRun:
        return state != RunState::Idle && state != RunState::SlowRun;
    case SessionCommand::FastRun:
        return state != RunState::Idle && state != RunState::FastRun;
    case SessionCommand::Turbo:
        return state != RunState::Idle && state != RunState::TurboRun;
    }
    return false;
}

TControlStates ControlsFor(RunState state) {
    using C = SessionCommand;
    return {Allowed(C::Load, state),    Allowed(C::Step, state),       Allowed(C::Pause, state),
            Allowed(C::Stop, state),    Allowed(C::SlowRun, state),    Allowed(C::FastRun, state),
            Allowed(C::Compile, state), Allowed(C::EditSource, state), !Allowed(C::EditSource, state)};
}

TSession::TSession(const std::string& programDir, bool defaultListing)
    : machine_(std::make_unique<TMachine>()), cells_(machine_->Memory.Cells.data()),
      sciTerminal_(std::make_unique<TSciTerminal>(machine_->Sci)) {
    compiler_ = std::make_unique<TCompiler>(machine_->Memory, programDir);
    ukazi_ = std::make_unique<TUkazi>((std::filesystem::path(programDir) / "bin" / "ukazi.dat").string());
    for (int op = 0; op < 256; ++op) {
        std::string name(ukazi_->GetOpcodeText(static_cast<uint8_t>(op)).View());
        UpperCase1250(name);
        hasName_[op] = !name.empty();
        opcodeNames_[op] = std::move(name);
    }
    for (const IsaEntry& entry : IsaTable())
        cycleTable_[entry.Opcode] = entry.Cycles;
    Log.SetOpcodeNames(&opcodeNames_);
    journal_ = std::make_unique<TJournal>(*this);
    SetHistoryEnabled(true);
    // Nothing recorded about the cells before a clear applies after it.
    machine_->Memory.onCleared = [this] { journal_->Reset(); };
    if (defaultListing) ListingPath = DefaultListingPath(programDir, &listingUnavailable_);
}

TSession::~TSession() {
    machine_->Memory.onCleared = nullptr;
    boardLink_.reset();
    journal_.reset();
}

Tsimulator& TSession::Cpu() { return machine_->Cpu; }
TMemory& TSession::Memory() { return machine_->Memory; }
bool TSession::Loaded() const { return machine_->loaded; }

bool TSession::Allowed(SessionCommand command) const {
    if (command == SessionCommand::StepBack)
        return HistoryDepth() > 0 &&
               (::Allowed(command, state_) || (state_ == RunState::Idle && stoppedByStep_));
    return ::Allowed(command, state_);
}

uint32_t TSession::Now() const { return TickCount ? TickCount() : SteadyMilliseconds(); }

std::string TSession::DefaultListingPath(const std::string& programDir, std::string* why) {
    namespace fs = std::filesystem;
    std::vector<std::string> refused; // "mapo X (reason)" for every place that was tried
    if (!programDir.empty()) {
        const int problem = DirectoryProblem(programDir);
        if (problem == 0 && OwnProgramDirectory(programDir))
            return (fs::path(programDir) / "list.lst").string();
        if (problem != 0)
            refused.push_back("mapo programa " + programDir + " (" + SystemErrorText(problem) + ")");
    }
    fs::path dataDir;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        dataDir = fs::path(xdg) / "orlek";
    else if (const char* home = std::getenv("HOME"); home && *home)
        dataDir = fs::path(home) / ".local" / "share" / "orlek";
    if (!dataDir.empty()) {
        std::error_code ec;
        fs::create_directories(dataDir, ec);
        const int problem = ec ? ec.value() : DirectoryProblem(dataDir);
        if (problem == 0) return (dataDir / "list.lst").string();
        refused.push_back("mapo " + dataDir.string() + " (" + SystemErrorText(problem) + ")");
    }
    if (why) {
        if (refused.size() == 2)
            *why = "Listinga ni mogoče zapisati ne v " + refused[0] + " ne v " + refused[1];
        else if (refused.size() == 1) *why = "Listinga ni mogoče zapisati v " + refused[0];
        else *why = "Listinga ni mogoče zapisati: ni mape programa in ne mape za podatke uporabnika";
        if (dataDir.empty()) *why += "; mapa za podatke uporabnika ni znana (HOME ni nastavljen)";
    }
    return {};
}

// --- assembly and load ------------------------------------------------------------------------

TLoadResult TSession::Assemble(const TSourceLines& lines) {
    TLoadResult result;
    result.Done = true;

    // Breakpoints reach the assembler as a "!" in front of their lines. The marks go into a
    // copy, so the caller's text is never touched. Lines beyond the source are ignored.
    // Without breakpoints the lines go as they are.
    std::vector<std::string> marked;
    if (!Breakpoints.Empty()) marked = lines.Strings();
    for (int line : Breakpoints.Lines())
        if (line >= 1 && static_cast<size_t>(line) <= marked.size()) marked[line - 1].insert(0, 1, '!');

    compiler_->ListingPath = ListingPath;
    compiler_->onProgressStep = onProgressStep;
    // The assembler's stores are no steps: they are not recorded (the clear before them
    // forgets the history anyway).
    struct TDetached {
        TMemory& memory;
        TCellLog* history = memory.History;
        explicit TDetached(TMemory& m) : memory(m) { memory.History = nullptr; }
        ~TDetached() { memory.History = history; }
    };
    int code = 0;
    {
        TDetached detached(machine_->Memory);
        code = compiler_->Compile(Breakpoints.Empty() ? lines : TSourceLines(marked));
    }
    compiler_->onProgressStep = nullptr;

    result.Outcome = SplitCompileResult(code);
    result.Ok = result.Outcome.Ok();
    result.ListingErrors = compiler_->ListingErrors();
    result.ListingProblem = compiler_->ListingProblem();
    if (ListingPath.empty() && !listingUnavailable_.empty() && !listingUnavailableTold_) {
        result.ListingProblem = listingUnavailable_;
        listingUnavailableTold_ = true;
    }
    // A block assembled twice warns on every line of it: the first ones tell the story.
    constexpr size_t shownWarnings = 20;
    const std::vector<TAsmWarning>& warnings = compiler_->Warnings();
    for (size_t i = 0; i < warnings.size() && i < shownWarnings; ++i)
        result.Warnings.push_back(warnings[i].Text);
    if (warnings.size() > shownWarnings)
        result.Warnings.push_back("Nadaljnjih opozoril: " + std::to_string(warnings.size() - shownWarnings));
    if (!result.Ok) {
        result.Messages = CompileMessages(result.Outcome, compiler_->ErrorHints());
        result.ErrorLine = result.Outcome.ErrorLine();
        // Marking the error line takes the current-line mark away.
        if (result.ErrorLine != 0) executionLine_ = 0;
    }
    return result;
}

TLoadResult TSession::Compile(const TSourceLines& lines) {
    if (!Allowed(SessionCommand::Compile)) return {};
    return Assemble(lines);
}

void TSession::SetEClockHz(uint64_t hz) {
    if (hz > 0) eHz_ = hz;
}

TLoadResult TSession::LoadProgram(const TSourceLines& lines) {
    if (!Allowed(SessionCommand::Load)) return {};
    Log.AppendHeader();
    TLoadResult result = Assemble(lines);
    if (!result.Ok) return result;

    machine_->SetModel(model_);
    timeHz_ = LoadedModel() == TProcessorModel::Chip ? eHz_ : kEClockHz;
    machine_->ResetForRun();
    machine_->loaded = true;
    state_ = RunState::Halted;
    previousOpcode_ = -1;
    cycles_ = 0;
    logCycles_ = 0;
    steps_ = 0;
    boardCycleBase_ = 0;
    if (boardLink_) boardLink_->PowerOn();
    if (signals_) signals_->Clear();
    NoteSignals();
    if (watch_) watch_->Clear();
    stoppedByStep_ = false;
    failure_.clear();
    journal_->Reset();
    // The first record's elapsed time counts from the load, not from the system's start or from
    // the last step of an earlier program.
    try {
        lastStepTick_ = Now();
    } catch (const std::exception&) {
        // The clock failed; the first record then measures from zero.
        lastStepTick_ = 0;
    }
    Refresh();
    return result;
}

// --- stepping ---------------------------------------------------------------------------------

uint64_t TSession::StepCycles(uint8_t opcode, uint64_t clock) const {
    const Tsimulator& cpu = machine_->Cpu;
    if (cpu.Model == TProcessorModel::Chip) return cpu.Clock.Now - clock;
    return cycleTable_[opcode] + uint64_t{IsaInterruptEntryCycles} * cpu.Entries;
}

namespace {

// A step's outcome as the eight bytes it is returned in. Kept as a struct through a function with
// several ends, the compiler takes it apart into its fields and puts it together again where the
// ends meet; as one integer it stays in one register.
static_assert(sizeof(TStepOutcome) == 8 && std::is_trivially_copyable_v<TStepOutcome>);
uint64_t Packed(const TStepOutcome& outcome) {
    uint64_t bytes;
    std::memcpy(&bytes, &outcome, sizeof bytes);
    return bytes;
}
TStepOutcome Unpacked(uint64_t bytes) {
    TStepOutcome outcome;
    std::memcpy(static_cast<void*>(&outcome), &bytes, sizeof bytes);
    return outcome;
}
// The outcome of a step that ended on the line `line` (> 0) without anything notable.
uint64_t PlainOutcome(int16_t line) {
    static_assert(offsetof(TStepOutcome, Executed) == 0 && offsetof(TStepOutcome, Line) == 2);
    return 1 | uint64_t{static_cast<uint16_t>(line)} << 16;
}

} // namespace

// The step, inline in Step and StepOnce: the outcome goes straight to where it is used. Without
// a log and a watcher the step has nothing to tell anybody but its outcome.
[[gnu::always_inline]] inline uint64_t TSession::StepBody(bool quietCheckpoint) {
    if (Log.Enabled || watched_) [[unlikely]]
        return Packed(ObservedStep(quietCheckpoint));
    Tsimulator& cpu = machine_->Cpu;
    try {
        if (history_) journal_->BeginStep(quietCheckpoint);
        const uint8_t opcode = cpu.Waiting ? kWaitOpcode : OpcodeAt(cpu.PC);
        const uint64_t clock = cpu.Clock.Now;
        uint8_t status = 0;
        const int16_t line = cpu.Step(status);
        ++steps_;
        cycles_ += StepCycles(opcode, clock);
        // The lab board's time-driven work, before the next instruction can see it.
        if (cycles_ >= boardDue_) [[unlikely]]
            boardLink_->Advance();
        // The grid's "next instruction" still names the instruction just executed.
        previousOpcode_ = opcode;
        // As Refresh: the instruction at the new PC, when it is one, makes its line current.
        FollowExecution(cpu.PC);
        if (line > 0 && status == 0 && !Breakpoints.Contains(line)) [[likely]]
            return PlainOutcome(line);
        return Packed(NotableStep(line, status));
    } catch (const std::exception& e) {
        return Packed(FailedStep(e));
    }
}

TStepOutcome TSession::ObservedStep(bool quietCheckpoint) {
    int16_t line = -1;
    uint8_t status = 0;
    bool breakpoint = false;
    Tsimulator& cpu = machine_->Cpu;
    try {
        if (history_) journal_->BeginStep(quietCheckpoint);
        NoteSignals();
        const uint16_t pc = cpu.PC;
        const uint8_t opcode = cpu.Waiting ? kWaitOpcode : OpcodeAt(pc);
        const TWatchedStep before = WatchBefore();
        if (Log.Enabled) LogStep(pc, opcode, nullptr);
        const uint64_t clock = cpu.Clock.Now;
        line = cpu.Step(status);
        ++steps_;
        cycles_ += StepCycles(opcode, clock);
        // The lab board's time-driven work, before the next instruction can see it.
        if (cycles_ >= boardDue_) [[unlikely]]
            boardLink_->Advance();
        NoteSignals();
        WatchAfter(before, pc, opcode);
        breakpoint = line > 0 && Breakpoints.Contains(line);
        if (breakpoint) [[unlikely]]
            state_ = RunState::Halted;
        // The grid's "next instruction" still names the instruction just executed.
        previousOpcode_ = opcode;
        // As Refresh: the instruction at the new PC, when it is one, makes its line current.
        FollowExecution(cpu.PC);
    } catch (const std::exception& e) {
        return FailedStep(e);
    }
    if (line < 0) [[unlikely]]
        Leave();
    return Outcome(line, status, false, breakpoint);
}

TStepOutcome TSession::NotableStep(int16_t line, uint8_t status) {
    const bool breakpoint = line > 0 && Breakpoints.Contains(line);
    if (breakpoint) state_ = RunState::Halted;
    if (line < 0) Leave();
    return Outcome(line, status, false, breakpoint);
}

TStepOutcome TSession::FailedStep(const std::exception& e) {
    // A failure anywhere in the step (the clock, the log, a device's observer) is treated as the
    // program having been left; the watch forgets what it saw of the step.
    failure_ = ::FailureText(e);
    if (watch_) watch_->StepFailed();
    Leave();
    return Outcome(-1, 0, true, false);
}

TStepOutcome TSession::Step(bool quietCheckpoint) {
    if (!Loaded()) return {};
    return Unpacked(StepBody(quietCheckpoint));
}

TStepOutcome TSession::StepOnce() {
    if (!Loaded()) return {};
    const uint64_t outcome = StepBody(false);
    if (history_ && machine_->loaded) journal_->MarkInLine();
    return Unpacked(outcome);
}

[[gnu::always_inline]] inline void TSession::LogStep(uint16_t pc, uint8_t opcode, const uint32_t* clockMs) {
    const Tsimulator& cpu = machine_->Cpu;
    const uint32_t now = clockMs ? *clockMs : Now();
    // Written in place: a bounded log overwrites its oldest record.
    TLogRecord& record = Log.AppendInPlace();
    if (machine_->Model() == TProcessorModel::Chip) {
        // Microseconds of simulated time, as whole microseconds of the two starts: the column's
        // sum is the time of the run.
        // The start of the step before is usually the one converted last time.
        const uint64_t nowUs = CyclesToUs(cycles_, timeHz_);
        const uint64_t lastUs =
            logUs_.Cycles == logCycles_ && logUs_.Hz == timeHz_ ? logUs_.Us : CyclesToUs(logCycles_, timeHz_);
        record.Elapsed = static_cast<uint32_t>(nowUs - lastUs);
        logCycles_ = cycles_;
        logUs_ = {cycles_, timeHz_, nowUs};
    } else {
        record.Elapsed = now - lastStepTick_;
    }
    record.PC = pc;
    record.Line = LineAt(pc);
    record.D = cpu.D;
    record.X = cpu.X;
    record.SP = cpu.SP;
    record.Opcode = opcode;
    record.A = cpu.A;
    record.B = cpu.B;
    record.CCR = cpu.PackCCR();
    // Sources 1..5 are listed.
    record.Pending = static_cast<uint8_t>(cpu.Pending.LowByte() & 0x3E);
    record.Header = false;
    Log.TellAppended(1);
    lastStepTick_ = clockMs ? *clockMs : Now();
}

TStepOutcome TSession::EndStep(int16_t line, uint8_t status, bool failed) {
    const bool breakpoint = !failed && line > 0 && Breakpoints.Contains(line);
    if (line < 0) Leave();
    return Outcome(line, status, failed, breakpoint);
}

void TSession::SyncAfterFailure() {
    try {
        machine_->SyncDevices();
    } catch (const std::exception&) {
        // The devices stay where the failed step left them.
    }
}

void TSession::Leave() {
    try {
        lastStepTick_ = Now();
    } catch (const std::exception&) {
        // The clock itself failed; the run ends all the same.
    }
    StopInternal();
    stoppedByStep_ = true;
}

bool TSession::TickBetweenSteps(TRunTicks& ticks) {
    try {
        machine_->Timer.TimerTick();
        return true;
    } catch (...) {
        ticks.Failure = std::current_exception();
        return false;
    }
}

TRunOutcome TSession::Run(uint64_t count, bool quietCheckpoint, uint32_t* clockMs, uint32_t msPerStep,
                          TRunTicks* ticks) {
    TRunOutcome run;
    if (!Loaded() || count == 0) return run;
    // The outcome is put together at the end from locals: written field by field into memory
    // and read back whole, it would stall the return of every step.
    int16_t line = -1;
    uint8_t status = 0;
    bool failed = false;
    uint64_t completed = 0; // steps that did not raise
    Tsimulator& cpu = machine_->Cpu;
    // A lab board has work that the port writes of a step may bring due within the run (the
    // LCD's busy time, a contact's bounce), so it takes the step-by-step path.
    const bool lean = !history_ && !Log.Enabled && !boardLink_ && !signals_ && !watch_;
    const uint32_t firstMs = clockMs ? *clockMs : 0;
    // The step (counted from 1 in this run) after which the timer ticks next.
    uint64_t nextTick = ticks && ticks->Every != 0 ? ticks->Left : UINT64_MAX;
    try {
        if (lean) {
            // Nothing to record per step: the engine's own loop, stopping where a step is
            // notable (a breakpoint line, a negative line, a status).
            const TRunStops stops{Breakpoints.Bitmap(), cycleTable_.data(), IsaInterruptEntryCycles,
                                  hasName_.data()};
            TRunProgress progress;
            auto settle = [&] {
                completed += progress.Steps;
                steps_ += progress.Steps;
                cycles_ += progress.Cycles;
                if (progress.Steps == 0) return;
                previousOpcode_ = progress.Opcode;
                if (progress.InstructionLine >= 0) executionLine_ = progress.InstructionLine;
                line = progress.Line;
                status = progress.Status;
            };
            // In pieces up to each tick of the timer.
            for (;;) {
                const uint64_t piece = std::min(count, nextTick) - completed;
                progress = TRunProgress{};
                try {
                    cpu.Run(piece, stops, progress);
                } catch (...) {
                    settle();
                    throw;
                }
                settle();
                // The engine stopped after a notable step, or the run is done.
                if (completed == count || progress.Steps < piece || line < 0 || status != 0 ||
                    (line > 0 && Breakpoints.Contains(line)))
                    break;
                if (!TickBetweenSteps(*ticks)) break;
                nextTick += ticks->Every;
            }
            // A step that left the program still shows the instruction it reached, if any, as
            // the one-step path does.
            if (line < 0) FollowExecution(cpu.PC);
            if (line > 0 && Breakpoints.Contains(line)) state_ = RunState::Halted;
        } else {
            bool ticked = false;
            // Without a watcher that looks at the devices after every step (the recorder, the
            // watch, the lab board), the chip model's devices catch up with the clock only when
            // they are looked at: by the step history's checkpoint and at the end of the run.
            const bool observed = signals_ || watch_ || boardLink_;
            NoteSignals();
            for (;;) {
                if (completed != 0 && clockMs) *clockMs += msPerStep;
                if (history_) journal_->BeginStepInLine(completed == 0 ? quietCheckpoint : !ticked);
                ticked = false;
                const uint16_t pc = cpu.PC;
                const uint8_t opcode = cpu.Waiting ? kWaitOpcode : OpcodeAt(pc);
                const TWatchedStep before = WatchBefore();
                if (Log.Enabled) LogStep(pc, opcode, clockMs);
                const uint64_t clock = cpu.Clock.Now;
                line = observed ? cpu.Step(status) : cpu.StepInRun(status);
                ++steps_;
                cycles_ += StepCycles(opcode, clock);
                // The lab board's time-driven work, before the next instruction can see it.
                if (cycles_ >= boardDue_) [[unlikely]]
                    boardLink_->Advance();
                NoteSignals();
                WatchAfter(before, pc, opcode);
                ++completed;
                // The grid's "next instruction" still names the instruction just executed.
                previousOpcode_ = opcode;
                // As Refresh: the instruction at the new PC, when it is one, makes its line current.
                FollowExecution(cpu.PC);
                if (line <= 0 || status != 0) [[unlikely]] {
                    if (line < 0 || status != 0) break;
                } else if (Breakpoints.Contains(line)) [[unlikely]] {
                    state_ = RunState::Halted;
                    break;
                }
                if (completed == count || !Loaded()) break;
                if (completed == nextTick) {
                    if (!TickBetweenSteps(*ticks)) break;
                    ticked = true;
                    nextTick += ticks->Every;
                }
            }
            // What is shown after the run is current (the engine's own loop does so itself).
            machine_->SyncDevices();
        }
    } catch (const std::exception& e) {
        // A failure anywhere in the step (the clock, the log, a device's observer) is treated
        // as the program having been left; the watch forgets what it saw of the step.
        failed = true;
        failure_ = ::FailureText(e);
        if (watch_) watch_->StepFailed();
        line = -1;
        status = 0;
        if (!lean) SyncAfterFailure();
    }

    run.Steps = completed + (failed ? 1 : 0);
    // The engine's loop gives the clock the time of its last step (the failed one's, if any) only
    // now, for a stop that reads it.
    if (lean && clockMs && run.Steps > 1)
        *clockMs = firstMs + static_cast<uint32_t>((run.Steps - 1) * msPerStep);
    run.Last = EndStep(line, status, failed);
    return run;
}

TStepResult TSession::Describe(const TStepOutcome& outcome) const {
    TStepResult result;
    if (!outcome.Executed) return result;
    static_cast<TStepOutcome&>(result) = outcome;
    if (outcome.Failed) result.Failure = failure_;
    if (outcome.Status != 0)
        if (const char* vector = VectorMessage(outcome.Status); *vector) result.Messages.emplace_back(vector);
    if (outcome.Left) {
        result.Messages.emplace_back(kWhereNowMessage);
        result.ShowPanel = true;
    }
    return result;
}

// --- run-state transitions --------------------------------------------------------------------

void TSession::RunSlow() {
    if (!Allowed(SessionCommand::SlowRun)) return;
    lastStepTick_ = Now();
    state_ = RunState::SlowRun;
}

void TSession::RunFast() {
    if (!Allowed(SessionCommand::FastRun)) return;
    lastStepTick_ = Now();
    state_ = RunState::FastRun;
}

void TSession::RunTurbo() {
    if (!Allowed(SessionCommand::Turbo)) return;
    lastStepTick_ = Now();
    state_ = RunState::TurboRun;
}

void TSession::Pause() {
    if (Allowed(SessionCommand::Pause)) state_ = RunState::Halted;
}

void TSession::Stop() {
    stoppedByStep_ = false;
    if (!Allowed(SessionCommand::Stop)) return;
    StopInternal();
}

void TSession::RestartStepClock() { lastStepTick_ = Now(); }

void TSession::StopInternal() {
    machine_->loaded = false;
    state_ = RunState::Idle;
}

void TSession::RequestIrq() {
    if (Loaded()) machine_->Raise(InterruptSource::IRQ);
}

void TSession::RequestNmi() {
    if (Loaded()) machine_->Raise(InterruptSource::NMI);
}

// --- registers --------------------------------------------------------------------------------

TRegisterValues TSession::Registers() const { return CaptureRegisters(machine_->Cpu); }

bool TSession::SetRegister(CpuRegister reg, int32_t value) {
    if (!Loaded()) return false;
    StoreRegister(machine_->Cpu, reg, value);
    return true;
}

bool TSession::FlagValue(CpuFlag flag) const { return ::FlagValue(machine_->Cpu, flag); }

bool TSession::ToggleFlag(CpuFlag flag) {
    if (!Loaded()) return false;
    Tsimulator& cpu = machine_->Cpu;
    if (flag == CpuFlag::I) cpu.Pending.reset();
    SetFlag(cpu, flag, !::FlagValue(cpu, flag));
    return true;
}

// --- display ----------------------------------------------------------------------------------

std::string TSession::NextInstruction() const { return opcodeNames_[PeekValue(machine_->Cpu.PC)]; }

std::string TSession::PreviousInstruction() const {
    return previousOpcode_ < 0 ? std::string() : opcodeNames_[previousOpcode_];
}

std::optional<int> TSession::Refresh() {
    const uint16_t pc = machine_->Cpu.PC;
    if (!InstructionAt(pc)) return std::nullopt;
    // A cell the program wrote itself (line 0) or one outside the program (negative) has no
    // source line: then no line is current.
    executionLine_ = std::max<int>(LineAt(pc), 0);
    return executionLine_;
}
