#pragma once
// A scripted run of a loaded session: timed stimuli and a virtual clock.
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <variant>
#include <vector>

#include "session/session.h"

// What the outside world does to the board between two instructions.
struct TIrqRequest {}; // the IRQ button
struct TNmiRequest {}; // the NMI button
struct TPinToggle {    // a port window's pin button (an input pin changes its level)
    int Port = 1;      // 1 or 2
    int Bit = 0;       // 0..7 for Port 1, 0..4 for Port 2
};
struct TSerialSend { // the external system sends these bytes, one after the other
    std::vector<uint8_t> Bytes;
};
struct TBoardPress {   // a lab board's button or key is pressed (Down) or let go
    TBoardInput Input; // as the session's FindBoardInput gives it
    bool Down = true;
};
struct TBoardSwitch { // a lab board's switch is set
    TBoardInput Input;
    bool On = true;
};
using TStimulusAction =
    std::variant<TIrqRequest, TNmiRequest, TPinToggle, TSerialSend, TBoardPress, TBoardSwitch>;

// A stimulus happens just before the step with the given 1-based number (counted from the start
// of the scenario), or, with kAtCycle added to the number, just before the first step that
// begins with the session's cycle counter at that count or beyond. Stimuli of one step happen
// in the order they were added.
inline constexpr uint64_t kAtCycle = uint64_t{1} << 63;
struct TStimulus {
    uint64_t Step = 1;
    TStimulusAction Action;
};

// The virtual clock: instruction steps stand for time. The device clocks tick after every
// TimerEvery-th and every SciEvery-th step (0: never), and each step advances the log's
// millisecond counter by MsPerStep. The defaults are the workbench's clocks against its 1 ms
// fast run: timer 5 ms, SCI 150 ms.
struct TVirtualClock {
    uint64_t TimerEvery = 5;
    uint64_t SciEvery = 150;
    uint32_t MsPerStep = 1;
};

// Why a scenario stopped.
enum class ScenarioStop : uint8_t {
    Running,    // the step budget of Advance ran out; the scenario can go on
    Limit,      // StepLimit steps have been executed
    Breakpoint, // a step ended on a breakpoint line (the run is halted)
    Left,       // the program was left or a step failed (the session stopped)
    NotLoaded,  // there is no program to run
};
const char* ScenarioStopName(ScenarioStop stop); // "running", "limit", "breakpoint", "left", ...

// Drives a TSession step by step as a fast run with a virtual clock, applying stimuli at given
// steps: the command line's run, whole-program tests, benchmarks, and later a turbo run of the
// workbench and self-checking exercises (stimuli plus expectations about the end state).
//
// Serial bytes are sent through the session's SCI terminal, at its rate, paced like a patient
// external system: the next byte goes on the line once the previous one has arrived (the
// receiver's count ran out, or would have: one line time of SCI ticks has passed).
//
// While it runs, the scenario's clock is the session's millisecond counter; the previous one
// comes back when the scenario is destroyed. Not thread-safe, like the session.
class TScenario {
public:
    explicit TScenario(TSession& session);
    ~TScenario();
    TScenario(const TScenario&) = delete;
    TScenario& operator=(const TScenario&) = delete;

    TVirtualClock Clock;
    uint64_t StepLimit = std::numeric_limits<uint64_t>::max();
    // Called after a step whose result has something to tell: messages (a vector message,
    // "Kam pa sedaj?"), a failure or a breakpoint. Quiet steps call nothing, so a long run does
    // not pay for it.
    std::function<void(const TStepResult&)> onReport;

    // Schedules a stimulus; one for a step already past happens before the next step.
    void Add(uint64_t step, TStimulusAction action);
    void Add(const TStimulus& stimulus) { Add(stimulus.Step, stimulus.Action); }

    // Runs until a stop rule holds, or until `budget` more steps have been executed (then
    // Running). The first call enters fast run (a turbo run stays one); calling again after a
    // breakpoint goes on from there. With the session's history on, a checkpoint is noted before
    // each step's stimuli, so reverse step takes back a step together with the stimuli before
    // it and the device ticks after it.
    ScenarioStop Advance(uint64_t budget);
    ScenarioStop Run() { return Advance(std::numeric_limits<uint64_t>::max()); }

    // Takes up a run that has made `steps` steps already (one continued from a snapshot), before
    // the first Advance: step numbers, the step limit and the device clocks count on from there
    // as they would have in the run that made them.
    void ContinueFrom(uint64_t steps) {
        step_ = steps;
        clockMs_ = static_cast<uint32_t>(steps * Clock.MsPerStep);
    }
    // Steps executed so far (with ContinueFrom, those before it included).
    uint64_t Steps() const { return step_; }
    // The Line of the last step (before any step: the line of the cell at PC).
    int Line() const { return line_; }
    // The virtual time in milliseconds: Steps() x MsPerStep.
    uint32_t Milliseconds() const { return clockMs_; }

private:
    // Applies the stimuli due at step `step`.
    void ApplyDue(uint64_t step);
    void Apply(const TStimulusAction& action);
    void FeedSerialLine();
    // Ticks the clocks due after the current step; true when one ticked.
    bool TickDevices();
    // How many steps may run from here in one go before something else has to happen: the
    // budget, the step limit, the next stimulus and the SCI clock's next tick (the run ticks the
    // timer itself in between). An event source added to the scenario (or to the board it
    // drives) joins here with its own count.
    uint64_t StepsBeforeEvent(uint64_t budget);

    // Counts the steps to a device clock's next tick (a division per step would cost more than
    // the rest of the clock). Follows a change of the period at once.
    class TCountdown {
    public:
        static constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();
        // Whether the clock ticks after step `step` (1-based) with the given period (0: never).
        bool Due(uint64_t period, uint64_t step) {
            if (period == 0) return false;
            if (period != period_) Follow(period, step - 1);
            if (--left_ != 0) return false;
            left_ = period;
            return true;
        }
        // The steps after step `step` up to and including the one after which the clock ticks,
        // as Due will count them (kNever with period 0).
        uint64_t Left(uint64_t period, uint64_t step) {
            if (period == 0) return kNever;
            if (period != period_) Follow(period, step);
            return left_;
        }
        // `steps` steps ran that were no tick's (fewer than Left told, with the same period).
        void Skip(uint64_t period, uint64_t steps) {
            if (period != 0) left_ -= steps;
        }
        // `steps` steps ran, ticks included (the period as Left was last told).
        void Pass(uint64_t period, uint64_t steps) {
            if (period == 0) return;
            if (steps < left_) left_ -= steps;
            else left_ = period - (steps - left_) % period;
        }

    private:
        // The period changed after step `step`: the ticks fall on its multiples.
        void Follow(uint64_t period, uint64_t step) {
            period_ = period;
            left_ = period - step % period;
        }

        uint64_t period_ = 0;
        uint64_t left_ = 0;
    };

    TSession& session_;
    std::function<uint32_t()> previousClock_;
    std::vector<TStimulus> stimuli_; // kept sorted by step, stable
    size_t next_ = 0;                // first stimulus not yet applied
    // The stimuli placed at cycles, sorted by cycle (kAtCycle taken off), and the first not
    // yet applied.
    std::vector<TStimulus> cycleStimuli_;
    size_t nextCycle_ = 0;
    bool CycleStimulusDue() const {
        return nextCycle_ < cycleStimuli_.size() && session_.Cycles() >= cycleStimuli_[nextCycle_].Step;
    }
    uint64_t step_ = 0;
    int line_ = 0;
    uint32_t clockMs_ = 0;
    bool started_ = false;
    // Bytes the external system has still to send, and SCI ticks until the line is free.
    std::deque<uint8_t> sendQueue_;
    unsigned sendCooldown_ = 0;
    TCountdown timerClock_, sciClock_;
};
