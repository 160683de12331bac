#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/sourcelines.h"
#include "board/boardfile.h"
#include "board/labboard.h"
#include "engine/machine.h"
#include "session/breakpoint.h"
#include "session/cycles.h"
#include "session/execwatch.h"
#include "session/log.h"
#include "session/messages.h"
#include "session/registers.h"
#include "session/sciterminal.h"
#include "session/signals.h"

class TBoardLink;
class TCompiler;
class TJournal;
struct THistory;
class TUkazi;

// The run state of a session, derived from `loaded` and whether the step clock runs.
enum class RunState : uint8_t {
    Idle,     // no program loaded; the source may be edited
    Halted,   // program loaded, waiting between instructions
    SlowRun,  // one instruction per slow tick
    FastRun,  // one instruction per fast tick
    TurboRun, // as many instructions as the machine allows, on a virtual clock
};
const char* RunStateName(RunState state);

// The commands whose availability follows the run state. EditSource is the file group and the
// editor's writing: the source may change only while no program is loaded.
enum class SessionCommand : uint8_t {
    Load,
    Compile,
    Step,
    StepBack,
    Pause,
    Stop,
    SlowRun,
    FastRun,
    Turbo,
    EditSource
};

// Whether `command` is allowed in `state`: the run-state rules, kept here once. The session's
// transitions ignore a command its state does not allow, and the workbench enables by the same
// rules (TSession::Allowed adds what the state alone does not tell: StepBack needs history).
bool Allowed(SessionCommand command, RunState state);

// The enabling of the controls in a run state, as Allowed gives it, and whether the editor is
// read-only: one value for the workbench's signal.
struct TControlStates {
    bool Load, Step, Pause, Stop, SlowRun, FastRun, Compile, FileGroup, ReadOnly;
    bool operator==(const TControlStates&) const = default;
};
TControlStates ControlsFor(RunState state);

// Outcome of an assembly run (the compile command or a load).
struct TLoadResult {
    bool Done = false; // false: nothing happened because a program is loaded
    bool Ok = false;   // the assembly succeeded (and, for a load, the program is loaded)
    TCompileOutcome Outcome;
    int ErrorLine = 0; // 1-based line to mark as the error line, 0 for none
    // The error list's new contents, in order (it is emptied first). Empty on success.
    std::vector<std::string> Messages;
    // Listing write errors of this run: kind 1 (create), 2 (write), 3 (close), each once.
    // The assembly result does not depend on them; see ListingErrorMessage.
    std::vector<int> ListingErrors;
    // Where the listing could not be written and why (Slovenian, UTF-8); empty when it was
    // written or none was asked for. That no listing location is usable at all is told once,
    // at the first assembly.
    std::string ListingProblem;
    // The assembler's warnings ("Opozorilo: ...", UTF-8) in the order of their lines, the first
    // 20 of them and then how many more there were; they do not change the outcome.
    std::vector<std::string> Warnings;
};

// The facts of one step, without any text: what the lean path of a long run looks at.
struct TStepOutcome {
    bool Executed = false;   // false: no program was loaded, nothing happened
    int16_t Line = 0;        // Line of the cell at the new PC (-1 after a failed step)
    uint8_t Status = 0;      // 0 or the interrupt source whose vector was zero
    bool Failed = false;     // the step raised an error (TSession::FailureText says what)
    bool Breakpoint = false; // the step ended on a breakpoint line: the run is halted
    bool Left = false;       // the program was left (or the step failed): the session stopped
    // Something for the user: a vector message, "Kam pa sedaj?", a failure or a breakpoint.
    bool Notable() const { return Status != 0 || Left || Failed || Breakpoint; }
};

// The facts of a run of steps (TSession::Run).
struct TRunOutcome {
    uint64_t Steps = 0; // steps executed, a failed one included
    TStepOutcome Last;  // the outcome of the last of them (Executed false when there was none)
};

// The timer's clock ticked by a run between its steps (a scenario's virtual clock): after the
// step `Left` steps into the run and then after every `Every`-th, but never after the run's last
// step (the caller's clocks tick after that one). A tick that raises ends the run after its step;
// what it raised is kept in Failure for the caller to raise where its own tick would have.
struct TRunTicks {
    uint64_t Every = 0;
    uint64_t Left = 0;
    std::exception_ptr Failure;
};

// The facts of a step and the texts for the user (TSession::Describe).
struct TStepResult : TStepOutcome {
    std::string Failure; // what the failed step raised (for a report), empty otherwise
    // Lines to add to the error list, in order (a vector message, "Kam pa sedaj?").
    std::vector<std::string> Messages;
    bool ShowPanel = false; // the error panel must be shown ("Kam pa sedaj?")
};

// The whole board as one value: the machine (processor, requests, cells, devices, the trace's
// trigger, the random source), the terminal at the other end of the serial line, the cycle
// counter and the lab board's parts on the ports (when there is a lab board). What a snapshot
// saves and the tests compare; a part added to the board (a processor model) adds its state to
// the machine's or here.
struct TBoardState {
    TMachine::State Machine;
    TSciTerminal::State Terminal;
    uint64_t Cycles = 0;
    std::optional<TLabBoard::State> LabBoard;
    bool operator==(const TBoardState&) const = default;
};

// One simulated MC6803 board with its assembler, breakpoints, run state and log: everything run
// control decides, without any user interface. The workbench adds timers and enabling, the
// command-line front end a loop. Not thread-safe; one thread drives it.
class TSession {
public:
    // Reads <programDir>/bin/ukazi.red (assembler) and <programDir>/bin/ukazi.dat (opcode names).
    // Throws the assembler's table error (a std::runtime_error naming the file) when either is
    // missing or broken. With `defaultListing` the listing goes to DefaultListingPath(), else
    // nowhere until ListingPath is set.
    explicit TSession(const std::string& programDir, bool defaultListing = true);

    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    TMachine& Machine() { return *machine_; }
    Tsimulator& Cpu();
    TMemory& Memory();
    TCompiler& Compiler() { return *compiler_; }
    // The external system at the other end of the serial line (the SCI window's terminal).
    TSciTerminal& SciTerminal() { return *sciTerminal_; }
    const TUkazi& Ukazi() const { return *ukazi_; }

    TBreakpoint Breakpoints;
    TLog Log;

    // Millisecond tick counter for the log's elapsed-time column; the system's steady clock by
    // default. The command line installs a virtual clock.
    std::function<uint32_t()> TickCount;
    // Called once per source line in each assembler pass (2 x line count calls in all).
    std::function<void()> onProgressStep;
    // Where assemblies write the listing; empty = no listing.
    std::string ListingPath;
    // Why there is no listing location when the default one was asked for and none is usable
    // (Slovenian, UTF-8); empty otherwise.
    const std::string& ListingUnavailable() const { return listingUnavailable_; }

    // --- run state -------------------------------------------------------------------------
    RunState State() const { return state_; }
    bool Loaded() const;
    // Whether the command may be given now: Allowed(command, State()), and for StepBack that
    // there is history (also right after a step that left the program, until a stop).
    bool Allowed(SessionCommand command) const;

    // The compile command: assembles `lines` (breakpoint lines get the "!" marker for the
    // assembler) without loading. Does nothing while a program is loaded. `lines` are 8-bit
    // text in the machine's code page; they are not modified.
    TLoadResult Compile(const TSourceLines& lines);
    TLoadResult Compile(const std::vector<std::string>& lines) { return Compile(TSourceLines(lines)); }
    // The load command: writes the log header, assembles as Compile does, and on success resets
    // the processor, the serial interface and the timer and enters Halted. Does nothing while a
    // program is loaded.
    TLoadResult LoadProgram(const TSourceLines& lines);
    TLoadResult LoadProgram(const std::vector<std::string>& lines) {
        return LoadProgram(TSourceLines(lines));
    }

    // Executes one instruction with all checks: log record, step, breakpoint test on the new
    // line, vector message, and "Kam pa sedaj?" with Stop when the program was left or the
    // step failed. Does nothing (Executed false) when no program is loaded. Afterwards a
    // checkpoint is noted for reverse step, so what happens before the next step (device clock
    // ticks, changes by hand) is taken back with that step. The facts of the step; Describe
    // gives the texts of a notable one.
    TStepOutcome StepOnce();
    // The same step as the lean path of long runs: the facts only, no checkpoint afterwards.
    // Without a checkpoint since the last step one is noted first (`quiet` as for
    // MarkCheckpoint).
    TStepOutcome Step(bool quietCheckpoint = false);
    // Up to `count` steps as that many Step calls make them (`quietCheckpoint` for the first,
    // the later ones quiet), stopping after the first step with a notable outcome or once the
    // program is no longer loaded: the lean path of long runs, in one loop that builds the
    // outcome of its last step only. With `clockMs`, the clock TickCount reads (a scenario's
    // virtual time), each step is given its time there before it runs: the time it holds for the
    // first step and `msPerStep` more for each further one. With `ticks`, the timer ticks in
    // between as told there (the checkpoint after a tick is not quiet).
    TRunOutcome Run(uint64_t count, bool quietCheckpoint = false, uint32_t* clockMs = nullptr,
                    uint32_t msPerStep = 0, TRunTicks* ticks = nullptr);
    // The texts for the outcome of a step (messages and failure text), with its facts.
    TStepResult Describe(const TStepOutcome& outcome) const;
    // What the last failed step raised, for a report.
    const std::string& FailureText() const { return failure_; }

    // Run-state transitions; each is ignored where its command is not Allowed. A stop also ends
    // the history after a step that left the program (the workbench stops then, as the source
    // can be edited again).
    void RunSlow();
    void RunFast();
    void RunTurbo();
    void Pause();
    void Stop();
    // The log's elapsed time counts from now again (after TickCount was replaced).
    void RestartStepClock();

    // Interrupt request buttons: add IRQ (3) / NMI (2) to Pending while loaded; else ignored.
    void RequestIrq();
    void RequestNmi();

    // --- processor model ----------------------------------------------------------------------
    // The model the next load gives the board (the setting); Classic by default.
    TProcessorModel Model() const { return model_; }
    void SetModel(TProcessorModel model) { model_ = model; }
    // The model of the board as it was loaded (what a snapshot stores).
    TProcessorModel LoadedModel() const { return machine_->Model(); }
    // The E clock of the chip model in hz (kEClockHz by default): the time beside the cycle
    // counter, the lab board's time and the log's time column count the cycles by it from the
    // next load (or restored snapshot) on, as the model applies; the classic model's time is
    // always at kEClockHz.
    void SetEClockHz(uint64_t hz);
    uint64_t EClockHz() const { return eHz_; }
    // The E clock the loaded board's time is counted at.
    uint64_t TimeHz() const { return timeHz_; }
    // Whether the processor waits in WAI (chip model).
    bool Waiting() const { return machine_->Cpu.Waiting; }

    // --- cycle counter -----------------------------------------------------------------------
    // E-clock cycles of the instructions executed since the load (or the last reset): each adds
    // its count from the instruction table, each interrupt entry IsaInterruptEntryCycles; in
    // the chip model the processor's clock counts them (the devices' time).
    uint64_t Cycles() const { return cycles_; }
    // Starts the count again from 0 (the lab board's time goes on as it was).
    void ResetCycles() {
        boardCycleBase_ += cycles_;
        cycles_ = logCycles_ = 0;
        if (watch_) watch_->ResetProfile();
    }

    // --- time and the logic analyser ------------------------------------------------------
    // Steps executed since the load: the time unit of the classic model.
    uint64_t Steps() const { return steps_; }
    // The recorder's time: steps since the load in the classic model, E cycles in the chip model.
    TTimeBase TimeBase() const {
        return {[this] { return SignalTime(); }, LoadedModel() == TProcessorModel::Chip ? timeHz_ : 0};
    }
    // Records the signals from now on (off by default: a run without it costs nothing), or stops
    // and forgets the recording. A load starts it anew; reverse step rewinds it.
    void SetSignalRecording(bool on, size_t capacity = TSignalRecorder::kDefaultCapacity);
    const TSignalRecorder* Signals() const { return signals_.get(); }
    // Notes the signals as they are now (after a clock tick or a change by hand, for a display).
    void NoteSignals() {
        if (signals_) [[unlikely]]
            signals_->Sample(SignalTime(), SampleSignals(*machine_));
    }

    // The call stack, the interrupt sources' entries and latencies and the profile, watched from
    // now on (off by default; the stack is known in whole from the next load on); reverse step
    // takes them back with the steps. Switching off forgets them.
    void SetExecutionWatch(bool on);
    const TExecutionWatch* Watch() const { return watch_.get(); }

    // --- reverse step ------------------------------------------------------------------------
    // The history of the steps is kept while enabled (the default); disabling forgets it.
    void SetHistoryEnabled(bool on);
    bool HistoryEnabled() const;
    // Notes the state the next step starts from: what changes before that step is taken back
    // with it. StepOnce notes one after each step; a scenario notes one before each of its
    // steps, after the device clocks ticked. `quiet`: nothing but steps happened since the last
    // checkpoint (no clock tick, no change by hand), which makes the note cheaper.
    void MarkCheckpoint(bool quiet = false);
    // Whether StepBack can go back (Allowed(SessionCommand::StepBack)): there is history, and the
    // session is halted, or it stopped because the last step left the program.
    bool CanStepBack() const { return Allowed(SessionCommand::StepBack); }
    // Steps that can be taken back now.
    size_t HistoryDepth() const;
    // Takes back the last step: registers, memory with line tags, Pending, ports, timer, serial
    // interface and terminal output, the trace's trigger and rows, the random source, the cycle
    // counter, the log's last record and the current line are as they were before it (and
    // before the clock ticks and changes by hand that followed the step before). The session is
    // then halted. Returns false (changing nothing) when CanStepBack is false.
    bool StepBack();
    // The steps kept (none while the history is off), as a snapshot carries them; and such a
    // history taken up after Restore, so that reverse step goes back past it (ignored while the
    // history is off).
    THistory SaveHistory() const;
    void LoadHistory(const THistory& history);

    // --- the board as one value ------------------------------------------------------------
    TBoardState Capture() const;
    // Puts a captured board back. The history is forgotten (as after a load) and the current
    // line follows PC as after an edit by hand; the run state, the log, the breakpoints and the
    // trace's rows and conditions stay.
    void Restore(const TBoardState& board);

    // --- the lab board ---------------------------------------------------------------------
    // Lamps, switches, buttons, digits, displays, keypads and LCDs on the port pins. Every change
    // of the ports' lines reaches the board at once and what it drives is the level of the input
    // pins (see session/boardlink.h); its time is the cycle counter's (BoardNowNs). A load powers
    // it on. Setting or removing a board forgets the history of the steps, as a load does.
    //
    // A board from the text of a board file (UTF-8 JSON): the board is set and the result holds
    // its configuration, or nothing changes and the result's Message() says which line, part and
    // field are wrong (Slovenian).
    // `file`: the file the text was read from, for BoardFile (a snapshot keeps both).
    TBoardRead SetBoardText(std::string_view text, const std::string& file = {});
    // The same for a file; a file that cannot be read says why.
    TBoardRead LoadBoardFile(const std::string& path);
    // The file the board was read from (as LoadBoardFile was given it); empty for a board set
    // from a text or a configuration, or none.
    const std::string& BoardFile() const { return boardFile_; }
    // The text the board was read from (a board file's or SetBoardText's); empty for a board set
    // from a configuration, or none.
    const std::string& BoardText() const { return boardText_; }
    void SetBoard(TBoardConfig config);
    void RemoveBoard();
    bool HasBoard() const { return boardLink_ != nullptr; }
    // The board, for a window to draw: its parts with their places and labels (Config(),
    // Parts()), its state (Current(), Revision(): a frame redraws only when it grew) and what
    // it shows at BoardNowNs() (board/shows.h). nullptr without a board.
    const TLabBoard* Board() const;
    // Simulated time as the board counts it: the cycle counter in nanoseconds of the E clock.
    uint64_t BoardNowNs() const { return CyclesToNs(boardCycleBase_ + cycles_, timeHz_); }
    // The cycles counted before the counter was last reset by hand, and setting them (a snapshot
    // puts them back with the counter).
    uint64_t BoardCycleBase() const { return boardCycleBase_; }
    void SetBoardCycleBase(uint64_t cycles) { boardCycleBase_ = cycles; }
    // The user's hand on the board, now: a window calls one of these and then asks for a display
    // frame. The input pins follow at once; each returns true when what the board drives
    // changed (false also without a board). Between two steps the change is taken back with the
    // next step, as a click on a pin is.
    std::optional<TBoardInput> FindBoardInput(std::string_view name, TLabBoard::TInputUse use,
                                              std::string& error) const;
    bool PressOnBoard(TBoardInput input);
    bool ReleaseOnBoard(TBoardInput input);
    bool SetBoardSwitch(TBoardInput input, bool on);
    // The cycle count from which the board has work that time alone brings (a bouncing contact
    // settles, the LCD's busy flag drops while it is read); UINT64_MAX for none or no board.
    // Step brings the board up to date once the counter has got there; a run loop that runs up
    // to its next event counts this one among them and may call AdvanceBoard itself.
    uint64_t BoardDueCycles() const { return boardDue_; }
    void AdvanceBoard();

    // --- registers ---------------------------------------------------------------------------
    TRegisterValues Registers() const;
    // A register edit by hand (the register panels): while a program is loaded, stores `value`
    // truncated to the register's width and keeps D and A:B in step. Without a program it
    // changes nothing and returns false, so an edit confirmed after the run ended is dropped.
    bool SetRegister(CpuRegister reg, int32_t value);
    bool FlagValue(CpuFlag flag) const;
    // Toggles a flag while a program is loaded; toggling I first drops every request not yet
    // taken. Without a program it changes nothing and returns false.
    bool ToggleFlag(CpuFlag flag);

    // --- display ---------------------------------------------------------------------------
    // Upper-case name of an opcode's instruction, empty for a byte that is no instruction.
    const std::string& InstructionName(uint8_t opcode) const { return opcodeNames_[opcode]; }
    // Name of the instruction at PC (the "Naslednji ukaz:" cell).
    std::string NextInstruction() const;
    // Name of the instruction executed by the last step (the "Prejšnji ukaz:" cell); empty
    // after a load.
    std::string PreviousInstruction() const;
    // The opcode behind it (-1: none since the load), and setting it (a snapshot puts it back).
    int PreviousOpcode() const { return previousOpcode_; }
    void SetPreviousOpcode(int opcode) { previousOpcode_ = opcode < 0 || opcode > 255 ? -1 : opcode; }
    // The current source line: the line of the instruction at PC, 0 for none. Kept by load,
    // step and Refresh; survives Stop.
    int ExecutionLine() const { return executionLine_; }
    // Recomputes ExecutionLine after registers or memory were changed by hand: when the byte
    // at PC is an instruction, its cell's line becomes the current line and is returned;
    // otherwise the current line stays and nothing is returned.
    std::optional<int> Refresh();

    // Cell at `address` as the displays see it: no trace, no side effects on the devices.
    int16_t PeekLine(uint16_t address) const { return machine_->Memory.Peek(address).Line; }
    uint8_t PeekValue(uint16_t address) const { return machine_->Memory.Peek(address).Value; }

    // The listing path for a program directory: <programDir>/list.lst when the directory is
    // writable and the user's own (the build tree, or owned by the user and not by root), else
    // list.lst in the per-user data directory ($XDG_DATA_HOME/orlek or ~/.local/share/orlek,
    // created on demand): an installed program never writes into its own directory. Empty when
    // neither is usable; `why` then says which places were tried and what was wrong with them.
    static std::string DefaultListingPath(const std::string& programDir, std::string* why = nullptr);

private:
    friend class TJournal;

    TLoadResult Assemble(const TSourceLines& lines);
    // Step with a program loaded: the plain step, or the observed one while the log, the recorder
    // or the watch takes part (out of the plain step's way).
    // The outcome as its bytes (see session.cpp).
    uint64_t StepBody(bool quietCheckpoint);
    TStepOutcome ObservedStep(bool quietCheckpoint);
    // The end of a plain step on `line` with `status` that may be notable: a breakpoint halts,
    // a negative line stops the session.
    TStepOutcome NotableStep(int16_t line, uint8_t status);
    // The outcome of a step that raised `e`: it counts as having left the program.
    TStepOutcome FailedStep(const std::exception& e);
    // The log record of the step about to run at `pc` (the clock read from `clockMs` when set).
    void LogStep(uint16_t pc, uint8_t opcode, const uint32_t* clockMs);
    // The end of a step or a run: a negative line stops the session; the outcome of the last step.
    TStepOutcome EndStep(int16_t line, uint8_t status, bool failed);
    // The session stops after a step that left the program.
    void Leave();
    // After a step of a run failed: the chip model's devices brought up to the clock, as far as
    // they let themselves.
    void SyncAfterFailure();
    static TStepOutcome Outcome(int16_t line, uint8_t status, bool failed, bool breakpoint) {
        TStepOutcome outcome;
        outcome.Executed = true;
        outcome.Line = line;
        outcome.Status = status;
        outcome.Failed = failed;
        outcome.Breakpoint = breakpoint;
        outcome.Left = line < 0;
        return outcome;
    }
    // After a step that ended at `pc`: the instruction there makes its line current.
    void FollowExecution(uint16_t pc) {
        if (InstructionAt(pc)) executionLine_ = std::max<int>(LineAt(pc), 0);
    }
    uint32_t Now() const;
    void StopInternal();
    // The cycles of the step just taken of `opcode`, begun with the processor's clock at
    // `clock`: the table's count and the entries' (classic), the clock's advance (chip).
    uint64_t StepCycles(uint8_t opcode, uint64_t clock) const;
    // The opcode a step while waiting belongs to: the WAI.
    static constexpr uint8_t kWaitOpcode = 0x3E;
    // The recorder's and the watch's time: steps in the classic model, E cycles since the load
    // in the chip model (a reset of the cycle counter by hand does not move it back).
    uint64_t SignalTime() const {
        return machine_->Model() == TProcessorModel::Chip ? boardCycleBase_ + cycles_ : steps_;
    }
    // PeekValue without its routing for the addresses above the on-chip registers.
    uint8_t OpcodeAt(uint16_t pc) const { return pc >= 0x20 ? cells_[pc].Value : PeekValue(pc); }
    // A tick of TRunTicks: false when it raised (kept in `ticks`).
    bool TickBetweenSteps(TRunTicks& ticks);
    int16_t LineAt(uint16_t pc) const { return pc >= 0x20 ? cells_[pc].Line : PeekLine(pc); }
    // The byte at `pc` is an instruction: then its cell's line is the current line.
    bool InstructionAt(uint16_t pc) const { return hasName_[OpcodeAt(pc)]; }

    std::string listingUnavailable_;
    bool listingUnavailableTold_ = false;
    std::unique_ptr<TMachine> machine_;
    const MemoryCell* cells_; // the machine's memory cells
    std::unique_ptr<TSciTerminal> sciTerminal_;
    std::unique_ptr<TCompiler> compiler_;
    std::unique_ptr<TUkazi> ukazi_;
    std::array<std::string, 256> opcodeNames_;
    std::array<bool, 256> hasName_{};       // the opcode has an instruction name
    std::array<uint8_t, 256> cycleTable_{}; // E-clock cycles of each opcode, 0 for none
    std::unique_ptr<TJournal> journal_;     // after the machine: it lets go of the memory first
    std::unique_ptr<TBoardLink> boardLink_; // after the machine: it lets go of the ports first
    uint64_t boardDue_ = ~uint64_t{0};      // boardLink_'s DueCycles(), UINT64_MAX without one
    // The cycles counted before the count was last reset by hand (0 from the load on): the
    // board's time goes on from there.
    uint64_t boardCycleBase_ = 0;
    std::string boardFile_;
    std::string boardText_;
    RunState state_ = RunState::Idle;
    int executionLine_ = 0;
    uint32_t lastStepTick_ = 0;
    int previousOpcode_ = -1; // -1: none since the load
    uint64_t cycles_ = 0;
    uint64_t logCycles_ = 0; // chip model: the cycle counter when the last logged step began
    // The last count the log converted to microseconds, at which E clock, and the result.
    struct {
        uint64_t Cycles = UINT64_MAX, Hz = 0, Us = 0;
    } logUs_;
    TProcessorModel model_ = TProcessorModel::Classic;
    uint64_t eHz_ = kEClockHz;
    uint64_t timeHz_ = kEClockHz; // the E clock of the board as it was loaded or restored
    uint64_t steps_ = 0;
    std::unique_ptr<TSignalRecorder> signals_; // while the signals are recorded
    std::unique_ptr<TExecutionWatch> watch_;   // while the execution is watched
    bool watched_ = false;                     // signals_ or watch_: they see every step
    // The watch's view of one step: before it (the requests, SP and the counter), and after it.
    struct TWatchedStep {
        uint16_t SP;
        uint64_t Cycles;
    };
    TWatchedStep WatchBefore() {
        if (watch_) [[unlikely]] {
            watch_->BeforeStep(*machine_, SignalTime());
            return {machine_->Cpu.SP, cycles_};
        }
        return {};
    }
    void WatchAfter(const TWatchedStep& before, uint16_t pc, uint8_t opcode) {
        if (watch_) [[unlikely]]
            watch_->AfterStep(*machine_, pc, opcode, before.SP, LineAt(pc), cycles_ - before.Cycles, cycles_,
                              SignalTime());
    }
    bool stoppedByStep_ = false; // the last stop was a step that left the program
    bool history_ = false;       // the journal records the steps
    std::string failure_;
};
