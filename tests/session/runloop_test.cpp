// The run loop of a scenario (steps in one go up to the next event) against the same rules taken
// one step at a time: stimuli before their step, the step, the device clocks after it. Breakpoints,
// the step limit, interrupts and a program that is left fall inside the loop's runs.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/scenario.h"
#include "tests/session/boardstate.h"
#include "tests/session/sourcelines.h"

namespace {

// Counts in a loop and reads Port 1, the timer's compare interrupt every 10 ticks, an IRQ handler;
// the NMI vector is not defined.
const char* const kProgram = "       org $1000\n"
                             "start  lds #$00FF\n"
                             "       ldaa #$08\n" // EOCI
                             "       staa $08\n"
                             "       ldd $09\n"
                             "       addd #10\n"
                             "       std $0B\n"
                             "       cli\n"
                             "loop   inc $81\n" // line 9
                             "       ldaa $02\n"
                             "       staa $82\n"
                             "       bra loop\n"
                             "       org $1020\n"
                             "ocf    inc $80\n" // line 14
                             "       ldd $0B\n"
                             "       addd #10\n"
                             "       std $0B\n"
                             "       rti\n"
                             "irq    inc $83\n" // line 19
                             "       rti\n"
                             "       org $fff4\n"
                             "       fdb ocf\n"
                             "       org $fff8\n"
                             "       fdb irq\n"
                             "       org $fffe\n"
                             "       fdb start\n"
                             "       end\n";

struct TCase {
    const char* name;
    bool history, log;
    std::vector<int> breakpoints;
    uint64_t limit;
    std::vector<std::pair<uint64_t, char>> stimuli; // 'I' IRQ, 'N' NMI, 'P' Port 1 pin 0
    int runs;                                       // calls of Run (a breakpoint ends one)
    uint64_t timerEvery = 5, sciEvery = 150;        // the device clocks' periods in steps
};

void Prepare(TSession& s, const TCase& c) {
    s.Machine().Random.Seed(7);
    s.SetHistoryEnabled(c.history);
    s.Log.Enabled = c.log;
    s.Log.SetLimit(c.log ? 100 : 0);
    for (int line : c.breakpoints)
        s.Breakpoints.Add(line);
    ASSERT_TRUE(s.LoadProgram(Source(kProgram)).Ok);
}

void Apply(TSession& s, char what) {
    if (what == 'I') s.RequestIrq();
    else if (what == 'N') s.RequestNmi();
    else s.Machine().Port1.TogglePin(0);
}

// A device clock as the scenario counted it step by step: a stop at a breakpoint skips the count
// of that step, so the ticks after it come one step later.
struct TStepCount {
    uint64_t period = 0, left = 0;
    bool Due(uint64_t p, uint64_t step) {
        if (p != period) period = p, left = p - (step - 1) % p;
        if (--left != 0) return false;
        left = p;
        return true;
    }
};

// The scenario's rules, one Step call at a time.
struct TOneByOne {
    TSession& s;
    const TCase& c;
    TVirtualClock clock;
    uint64_t step = 0;
    uint32_t ms = 0;
    std::vector<std::string> said;
    TStepCount timer, sci;

    std::string Run() {
        s.RunFast();
        bool quiet = false;
        for (;;) {
            if (step >= c.limit) return "limit";
            ++step;
            bool due = false;
            for (const auto& [at, what] : c.stimuli)
                due = due || at == step;
            if (due) {
                if (c.history) s.MarkCheckpoint(quiet);
                for (const auto& [at, what] : c.stimuli)
                    if (at == step) Apply(s, what);
            }
            ms = static_cast<uint32_t>(step * clock.MsPerStep);
            const TStepOutcome o = s.Step(quiet);
            quiet = true;
            if (o.Notable()) {
                for (const std::string& m : s.Describe(o).Messages)
                    said.push_back(std::to_string(step) + " " + m);
                if (o.Left) return "left";
                if (o.Breakpoint) return "breakpoint";
            }
            bool ticked = false;
            if (timer.Due(clock.TimerEvery, step)) s.Machine().Timer.TimerTick(), ticked = true;
            if (sci.Due(clock.SciEvery, step)) s.Machine().Sci.SciTick(), ticked = true;
            if (ticked) quiet = false;
        }
    }
};

TEST(RunLoopTest, RunsAsTheSameStepsOneByOne) {
    const std::vector<TCase> cases = {
        {"plain", false, false, {}, 3003, {}, 1},
        {"history", true, false, {}, 3003, {}, 1},
        {"history and bounded log", true, true, {}, 3003, {}, 1},
        {"log without history", false, true, {}, 1001, {}, 1},
        {"breakpoint in the handler", false, false, {14}, 5000, {}, 4},
        {"breakpoint with history", true, false, {14, 19}, 5000, {{700, 'I'}}, 5},
        {"stimuli, then NMI through no vector",
         false,
         false,
         {},
         100000,
         {{333, 'P'}, {500, 'I'}, {901, 'N'}},
         1},
        {"stimuli with history and log", true, true, {}, 100000, {{333, 'P'}, {500, 'I'}, {901, 'N'}}, 1},
        {"other clocks, breakpoints", false, false, {14}, 5000, {{700, 'I'}}, 4, 3, 7},
        {"other clocks with history and log", true, true, {14}, 5000, {{701, 'I'}}, 4, 7, 3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TSession loop(ORLEK_PROGRAM_DIR, false), single(ORLEK_PROGRAM_DIR, false);
        Prepare(loop, c);
        Prepare(single, c);
        TScenario scenario(loop);
        scenario.StepLimit = c.limit;
        scenario.Clock.TimerEvery = c.timerEvery;
        scenario.Clock.SciEvery = c.sciEvery;
        for (const auto& [at, what] : c.stimuli) {
            if (what == 'I') scenario.Add(at, TIrqRequest{});
            else if (what == 'N') scenario.Add(at, TNmiRequest{});
            else scenario.Add(at, TPinToggle{1, 0});
        }
        std::vector<std::string> said;
        scenario.onReport = [&](const TStepResult& r) {
            for (const std::string& m : r.Messages)
                said.push_back(std::to_string(scenario.Steps()) + " " + m);
        };
        TOneByOne reference{single, c};
        reference.clock = scenario.Clock;
        single.TickCount = [&reference] { return reference.ms; };
        for (int run = 0; run < c.runs; ++run) {
            SCOPED_TRACE("run " + std::to_string(run + 1));
            const std::string stop = ScenarioStopName(scenario.Run());
            EXPECT_EQ(stop, reference.Run());
            EXPECT_EQ(scenario.Steps(), reference.step);
            EXPECT_EQ(said, reference.said);
            ExpectSameBoard(TObservedBoard::Of(loop), TObservedBoard::Of(single));
            EXPECT_EQ(loop.State(), single.State());
            EXPECT_EQ(loop.HistoryDepth(), single.HistoryDepth());
            if (stop != "breakpoint") break;
        }
        // Going back gives the same earlier boards.
        for (int back = 0; back < 3 && loop.StepBack(); ++back) {
            ASSERT_TRUE(single.StepBack());
            ExpectSameBoard(TObservedBoard::Of(loop), TObservedBoard::Of(single));
        }
    }
}

// A timer tick between two steps of a run that raises (here the port the compare output drives)
// leaves the scenario after the step it followed, as the clock's own tick after that step would.
TEST(RunLoopTest, ATickThatRaisesLeavesAfterItsStep) {
    const char* const program = "       org $1000\n"
                                "start  ldaa #$02\n"
                                "       staa $01\n" // Port 2 pin 1 is an output
                                "       ldaa #$01\n"
                                "       staa $08\n" // OLVL
                                "       ldd $09\n"
                                "       addd #3\n"
                                "       std $0B\n"
                                "loop   bra loop\n"
                                "       org $fffe\n"
                                "       fdb start\n"
                                "       end\n";
    TSession s(ORLEK_PROGRAM_DIR, false);
    s.Machine().Random.Seed(1);
    ASSERT_TRUE(s.LoadProgram(Source(program)).Ok);
    TScenario scenario(s);
    scenario.StepLimit = 1000;
    ASSERT_EQ(scenario.Advance(7), ScenarioStop::Running); // up to the loop
    s.Machine().Port2.onChanged = [] { throw std::runtime_error("port"); };
    EXPECT_THROW(scenario.Run(), std::runtime_error);
    EXPECT_EQ(scenario.Steps(), 15u);
}

} // namespace
