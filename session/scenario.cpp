#include "session/scenario.h"

#include <algorithm>

#include "engine/machine.h"
#include "session/sciterminal.h"

const char* ScenarioStopName(ScenarioStop stop) {
    switch (stop) {
    case ScenarioStop::Running:
        return "running";
    case ScenarioStop::Limit:
        return "limit";
    case ScenarioStop::Breakpoint:
        return "breakpoint";
    case ScenarioStop::Left:
        return "left";
    case ScenarioStop::NotLoaded:
        return "not-loaded";
    }
    return "";
}

TScenario::TScenario(TSession& session) : session_(session), previousClock_(session.TickCount) {
    session_.TickCount = [this] { return clockMs_; };
    line_ = session_.PeekLine(session_.Cpu().PC);
}

TScenario::~TScenario() { session_.TickCount = previousClock_; }

void TScenario::Add(uint64_t step, TStimulusAction action) {
    if (step & kAtCycle) {
        const uint64_t cycle = step & ~kAtCycle;
        auto at = std::upper_bound(cycleStimuli_.begin() + static_cast<std::ptrdiff_t>(nextCycle_),
                                   cycleStimuli_.end(), cycle,
                                   [](uint64_t c, const TStimulus& stimulus) { return c < stimulus.Step; });
        cycleStimuli_.insert(at, TStimulus{cycle, std::move(action)});
        return;
    }
    // A step already past means "before the next step".
    step = std::max(step, step_ + 1);
    auto at = std::upper_bound(stimuli_.begin(), stimuli_.end(), step,
                               [](uint64_t s, const TStimulus& stimulus) { return s < stimulus.Step; });
    stimuli_.insert(at, TStimulus{step, std::move(action)});
}

ScenarioStop TScenario::Advance(uint64_t budget) {
    if (!session_.Loaded()) return ScenarioStop::NotLoaded;
    if (!started_) {
        started_ = true;
        line_ = session_.PeekLine(session_.Cpu().PC);
    }
    // A turbo run is a fast run too; any other state becomes one.
    if (session_.State() != RunState::FastRun && session_.State() != RunState::TurboRun) session_.RunFast();
    const bool history = session_.HistoryEnabled();
    // Whether only steps ran since the last checkpoint; not known at the start (the user may
    // have changed something between two calls). A checkpoint the workbench noted after its
    // last step stays: what happened since is taken back with the first step here.
    bool quiet = false;
    uint64_t done = 0;
    while (done < budget) {
        if (step_ >= StepLimit) return ScenarioStop::Limit;
        // Reverse step takes a step back to before the stimuli of the step: the device ticks
        // after the step before stay, so going back N steps gives the state of the same run
        // stopped N steps earlier. Most steps have no stimulus due and nothing to send; they
        // run in one go up to the next event, and each step notes its checkpoint itself.
        const bool stimulus =
            (next_ < stimuli_.size() && stimuli_[next_].Step <= step_ + 1) || CycleStimulusDue();
        uint64_t steps = 1;
        if (stimulus || !sendQueue_.empty()) [[unlikely]] {
            if (history) session_.MarkCheckpoint(quiet);
            if (stimulus) ApplyDue(step_ + 1);
            if (!sendQueue_.empty()) FeedSerialLine();
        } else {
            steps = StepsBeforeEvent(budget - done);
        }
        const uint64_t periodTimer = Clock.TimerEvery, periodSci = Clock.SciEvery;
        clockMs_ = static_cast<uint32_t>((step_ + 1) * Clock.MsPerStep);
        // The timer's ticks before the run's last step are the run's own.
        TRunTicks ticks;
        ticks.Every = periodTimer;
        ticks.Left = timerClock_.Left(periodTimer, step_);
        const TRunOutcome run = session_.Run(steps, quiet, &clockMs_, Clock.MsPerStep, &ticks);
        // Nothing ran (the program is no longer loaded): the step counts all the same.
        const uint64_t ran = std::max<uint64_t>(run.Steps, 1);
        step_ += ran;
        done += ran;
        quiet = true;
        line_ = run.Last.Line;
        // The steps before the last were no SCI tick's.
        timerClock_.Pass(periodTimer, ran - 1);
        sciClock_.Skip(periodSci, ran - 1);
        // Quiet steps build no result.
        if (run.Last.Notable()) [[unlikely]] {
            if (onReport) onReport(session_.Describe(run.Last));
            if (run.Last.Left) return ScenarioStop::Left;
            if (run.Last.Breakpoint) return ScenarioStop::Breakpoint;
        }
        // A tick in the run that raised: raised here, as the clock's own tick after the step.
        if (ticks.Failure) [[unlikely]] {
            timerClock_.Due(periodTimer, step_);
            std::rethrow_exception(ticks.Failure);
        }
        if (TickDevices()) quiet = false;
    }
    return step_ >= StepLimit ? ScenarioStop::Limit : ScenarioStop::Running;
}

uint64_t TScenario::StepsBeforeEvent(uint64_t budget) {
    uint64_t steps = std::min(budget, StepLimit - step_);
    // The stimulus happens before its step; the steps before that one may run.
    if (next_ < stimuli_.size()) steps = std::min(steps, stimuli_[next_].Step - step_ - 1);
    // No step takes more cycles than this (an instruction with the interrupt entries after it,
    // or a waiting step): so many steps cannot pass a stimulus's cycle.
    constexpr uint64_t kMostCyclesPerStep = 80;
    if (nextCycle_ < cycleStimuli_.size())
        steps = std::min(steps, std::max<uint64_t>(1, (cycleStimuli_[nextCycle_].Step - session_.Cycles()) /
                                                          kMostCyclesPerStep));
    steps = std::min(steps, sciClock_.Left(Clock.SciEvery, step_));
    return steps;
}

void TScenario::ApplyDue(uint64_t step) {
    while (next_ < stimuli_.size() && stimuli_[next_].Step <= step)
        Apply(stimuli_[next_++].Action);
    while (CycleStimulusDue())
        Apply(cycleStimuli_[nextCycle_++].Action);
}

void TScenario::Apply(const TStimulusAction& action) {
    TMachine& machine = session_.Machine();
    if (std::holds_alternative<TIrqRequest>(action)) {
        session_.RequestIrq();
    } else if (std::holds_alternative<TNmiRequest>(action)) {
        session_.RequestNmi();
    } else if (const auto* pin = std::get_if<TPinToggle>(&action)) {
        (pin->Port == 1 ? machine.Port1 : machine.Port2).TogglePin(pin->Bit);
    } else if (const auto* send = std::get_if<TSerialSend>(&action)) {
        sendQueue_.insert(sendQueue_.end(), send->Bytes.begin(), send->Bytes.end());
    } else if (const auto* press = std::get_if<TBoardPress>(&action)) {
        if (press->Down) session_.PressOnBoard(press->Input);
        else session_.ReleaseOnBoard(press->Input);
    } else if (const auto* flip = std::get_if<TBoardSwitch>(&action)) {
        session_.SetBoardSwitch(flip->Input, flip->On);
    }
}

// One byte goes on the line when the previous one has arrived: nothing is on its way in and a
// line time has passed since the last byte (with the receiver off nothing is on its way in, so
// the line time alone paces the bytes).
void TScenario::FeedSerialLine() {
    const TSci& sci = session_.Machine().Sci;
    // The chip model's line times itself: the next byte goes once the frame before has arrived.
    if (sci.Chip()) {
        if (sendQueue_.empty() || sci.St.RxCount != 0) return;
        session_.SciTerminal().SendByte(sendQueue_.front());
        sendQueue_.pop_front();
        return;
    }
    if (sendQueue_.empty() || sendCooldown_ != 0 || session_.Machine().Sci.St.RxCount != 0) return;
    session_.SciTerminal().SendByte(sendQueue_.front());
    sendQueue_.pop_front();
    sendCooldown_ = TSci::LineTicks;
}

bool TScenario::TickDevices() {
    TMachine& machine = session_.Machine();
    bool ticked = false;
    if (timerClock_.Due(Clock.TimerEvery, step_)) {
        machine.Timer.TimerTick();
        ticked = true;
    }
    if (sciClock_.Due(Clock.SciEvery, step_)) {
        machine.Sci.SciTick();
        if (sendCooldown_ > 0) --sendCooldown_;
        ticked = true;
    }
    return ticked;
}
