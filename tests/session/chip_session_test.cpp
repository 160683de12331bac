// The chip model through the session: chosen per load, cycles on the processor's clock, stimuli
// at cycles, the SCI and the timer in E-clock time, exercises that fix the model, and the pacing
// of a run by simulated time on a hand-moved clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/cycles.h"
#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/pacing.h"
#include "session/scenario.h"
#include "tests/session/sourcelines.h"

namespace {

class ChipSessionTest : public ::testing::Test {
protected:
    ChipSessionTest() : session(ORLEK_PROGRAM_DIR, false) { session.Machine().Random.Seed(1234); }
    void Load(const std::string& text, TProcessorModel model = TProcessorModel::Chip) {
        session.SetModel(model);
        lines = Source(text + "       org $fffe\n       fdb start\n       end\n");
        ASSERT_TRUE(session.LoadProgram(lines).Ok) << text;
    }
    TSession session;
    std::vector<std::string> lines;
};

// The setting applies from the next load; the cycle counter is the processor's clock.
TEST_F(ChipSessionTest, ModelAppliesPerLoadAndCyclesAreTheClock) {
    const std::string program = "       org $1000\nstart  nop\n       wai\n       nop\n";
    Load(program, TProcessorModel::Classic);
    session.SetModel(TProcessorModel::Chip);
    EXPECT_EQ(session.LoadedModel(), TProcessorModel::Classic);
    session.Stop();
    ASSERT_TRUE(session.LoadProgram(lines).Ok);
    EXPECT_EQ(session.LoadedModel(), TProcessorModel::Chip);
    session.Step();
    session.Step();
    EXPECT_TRUE(session.Waiting());
    EXPECT_EQ(session.PreviousInstruction(), "WAI");
    session.Run(10);
    EXPECT_TRUE(session.Waiting());
    EXPECT_EQ(session.Cycles(), session.Cpu().Clock.Now);
    EXPECT_GT(session.Cycles(), 2u + 9u);
}

// Reverse step goes back over counting, compare events and a wait to the same registers and
// timer state as a run stopped there.
TEST_F(ChipSessionTest, StepBackRestoresTheCountingTimerAndTheWait) {
    Load("       org $1000\n"
         "start  ldd #$0040\n"
         "       std $0b\n" // compare at $0040
         "loop   inca\n"
         "       ldab $08\n"
         "       cmpa #30\n"
         "       bne loop\n"
         "       wai\n"
         "       nop\n");
    std::vector<std::pair<Tsimulator::State, TTimer::State>> states;
    for (int i = 0; i < 130; ++i) {
        states.emplace_back(session.Cpu().Save(), session.Machine().Timer.St);
        session.StepOnce();
    }
    ASSERT_TRUE(session.Waiting());
    for (int i = 129; i >= 0; --i) {
        ASSERT_TRUE(session.StepBack()) << i;
        EXPECT_EQ(session.Cpu().Save(), states[i].first) << i;
        EXPECT_EQ(session.Machine().Timer.St, states[i].second) << i;
    }
}

// A delay loop reads the counter the data sheet's cycles say: LDX #n; DEX; BNE: 3 + n x 6.
TEST_F(ChipSessionTest, DelayLoopTakesItsCycles) {
    Load("       org $1000\n"
         "start  ldx #100\n"
         "loop   dex\n"
         "       bne loop\n"
         "       ldd $09\n"
         "       std $80\n"
         "       swi\n");
    TScenario scenario(session);
    scenario.StepLimit = 204;
    scenario.Run();
    // LDD's read falls in its last cycle: 3 + 100 x (3 + 3) + 3 cycles before it, then its 3 more.
    EXPECT_EQ(session.PeekValue(0x80) << 8 | session.PeekValue(0x81), 3 + 600 + 3);
}

// The chip model's time is counted at the E clock set (the time beside the counter, the lab
// board's and the log's column, in simulated microseconds); the classic model's at 1.2288 MHz.
TEST_F(ChipSessionTest, TimeCountsAtTheEClock) {
    struct TCase {
        TProcessorModel model;
        uint64_t hz;
        const char* text;
        uint64_t ns;
        int64_t logUs; // the log's column summed (-1: wall-clock milliseconds, not checked)
    } cases[] = {{TProcessorModel::Chip, kEClockHz, "490,7 \u00b5s", 490722, 488},
                 {TProcessorModel::Chip, 2 * kEClockHz, "245,4 \u00b5s", 245361, 244},
                 {TProcessorModel::Classic, 2 * kEClockHz, "490,7 \u00b5s", 490722, -1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << ModelName(c.model) << " " << c.hz);
        session.Stop();
        session.SetEClockHz(c.hz);
        session.Log.Enabled = true;
        Load("       org $1000\nstart  ldx #100\nloop   dex\n       bne loop\n       swi\n", c.model);
        const size_t first = session.Log.Size();
        for (int i = 0; i < 201; ++i)
            session.StepOnce();
        ASSERT_EQ(session.Cycles(), 603u);
        EXPECT_EQ(CycleTimeText(session.Cycles(), session.TimeHz()), c.text);
        EXPECT_EQ(session.BoardNowNs(), c.ns);
        int64_t us = 0;
        for (size_t i = first; i < session.Log.Size(); ++i)
            us += session.Log.Record(i).Elapsed;
        if (c.logUs >= 0) EXPECT_EQ(us, c.logUs);
    }
}

// An IRQ placed at a cycle arrives before the first step that begins at or after it.
TEST_F(ChipSessionTest, StimulusAtACycle) {
    Load("       org $1000\n"
         "start  cli\n"
         "loop   bra loop\n"
         "isr    ldd $09\n"
         "       std $80\n"
         "done   bra done\n"
         "       org $fff8\n"
         "       fdb isr\n");
    TScenario scenario(session);
    scenario.Add(5000 | kAtCycle, TIrqRequest{});
    scenario.StepLimit = 3000;
    scenario.Run();
    const unsigned counter = session.PeekValue(0x80) << 8 | session.PeekValue(0x81);
    // CLI (2), then BRA (3) each: the IRQ comes before the BRA that begins at the first boundary
    // at or after 5000; the entry (12) follows it, and LDD reads in its third cycle.
    EXPECT_GE(counter, 5000u + 3 + 12 + 3);
    EXPECT_LE(counter, 5002u + 3 + 12 + 3);
}

// The SCI sends at the rate RMCR selects: two bytes at E/128 take two frames of 1280 cycles.
TEST_F(ChipSessionTest, SciSendsAtTheChipRate) {
    Load("       org $1000\n"
         "start  ldaa #1\n"
         "       staa $10\n"  // E/128
         "       ldaa #$02\n" // TE
         "       staa $11\n"
         "       ldx #text\n"
         "next   ldab 0,x\n"
         "       beq done\n"
         "wait   ldaa $11\n"
         "       anda #$20\n" // TDRE
         "       beq wait\n"
         "       stab $13\n"
         "       inx\n"
         "       bra next\n"
         "done   ldaa $11\n" // until the shifter is empty too
         "       bra done\n"
         "text   fcc \"OK\"\n"
         "       fcb 0\n");
    TScenario scenario(session);
    scenario.StepLimit = 2000;
    scenario.Run();
    EXPECT_EQ(session.SciTerminal().Received(), (std::vector<uint8_t>{'O', 'K'}));
}

// An exercise that names the chip model is checked in it whatever the setting.
TEST_F(ChipSessionTest, ExerciseFixesTheModel) {
    const TExerciseRead read = ParseExercise(R"({"title": "T", "model": "chip",
        "checks": [{"steps": 3, "registers": {"PC": "$3000"}}]})");
    ASSERT_TRUE(read.Ok()) << read.Message();
    session.SetModel(TProcessorModel::Classic);
    // LDS; SEI; SWI: taken only by the chip.
    const std::vector<std::string> program =
        Source("       org $1000\nstart  lds #$0fff\n       sei\n       swi\n       org $3000\n       nop\n"
               "       org $fffa\n       fdb $3000\n       org $fffe\n       fdb start\n       end\n");
    const TExerciseResult result = CheckProgram(session, *read.Exercise, program, TCheckLimits{});
    EXPECT_TRUE(result.Passed());
    EXPECT_EQ(session.Model(), TProcessorModel::Classic);
    EXPECT_FALSE(ParseExercise(R"({"title": "T", "model": "z80", "checks": []})").Ok());
    const TExerciseRead atCycle = ParseExercise(R"({"title": "T", "stimuli": [{"cycle": 5000, "irq": true}],
        "checks": [{"steps": 1, "registers": {"A": 0}}]})");
    ASSERT_TRUE(atCycle.Ok()) << atCycle.Message();
    EXPECT_EQ(atCycle.Exercise->Stimuli[0].Step, 5000 | kAtCycle);
}

// Pacing: the target count follows the hand-moved clock at E x factor, and a run that fell far
// behind lets the time beyond the lag go.
TEST(RealTimePacer, TargetFollowsTheClockAtTheFactor) {
    struct Row {
        uint32_t divisor;
        uint64_t elapsedNs, target;
    } rows[] = {{1, 1'000'000'000, 1228800},
                {10, 1'000'000'000, 122880},
                {100, 10'000'000'000, 122880},
                {1000, 10'000'000'000, 12288},
                {1, 1'000'000, 1228}};
    for (const Row& row : rows) {
        uint64_t now = 0;
        TRealTimePacer pacer([&] { return now; });
        pacer.Divisor = row.divisor;
        pacer.MaxLagNs = UINT64_MAX / 2;
        pacer.Start(0);
        now = row.elapsedNs;
        EXPECT_EQ(pacer.Target(0), row.target) << row.divisor;
    }
    uint64_t now = 0;
    TRealTimePacer pacer([&] { return now; });
    pacer.Start(0);
    now = 5'000'000'000;
    EXPECT_EQ(pacer.Target(1000), 1000 + pacer.CyclesIn(pacer.MaxLagNs));
}

// A 1 Hz blink: a program that toggles P10 every 614411 cycles (half a second of E), run at the
// pacer's targets on a clock moved a millisecond a tick, toggles twenty times in ten seconds.
TEST_F(ChipSessionTest, BlinkPacedOnceASecond) {
    Load("       org $1000\n"
         "start  ldaa #1\n"
         "       staa $00\n" // P10 an output
         "       clra\n"
         "blink  eora #1\n"
         "       staa $02\n"
         "       ldx #$f000\n" // 61440 x 10 + 11 cycles: half a second
         "delay  nop\n"
         "       nop\n"
         "       dex\n"
         "       bne delay\n"
         "       bra blink\n");
    session.SetHistoryEnabled(false);
    uint64_t now = 0;
    TRealTimePacer pacer([&] { return now; });
    pacer.Start(session.Cycles());
    int toggles = 0;
    uint8_t level = session.Machine().Port1.St.Level & 1;
    for (int tick = 0; tick < 10000; ++tick) {
        now += 1'000'000;
        const uint64_t target = pacer.Target(session.Cycles());
        while (session.Cycles() < target)
            session.Run(std::max<uint64_t>(1, (target - session.Cycles()) / 12));
        const uint8_t l = session.Machine().Port1.St.Level & 1;
        if (l != level) ++toggles, level = l;
    }
    EXPECT_EQ(toggles, 20);
    EXPECT_NEAR(static_cast<double>(session.Cycles()), 10.0 * 1228800, 1228800 * 0.001);
}

} // namespace
