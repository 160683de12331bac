// The turbo run, reverse step and the cycle counter in the workbench's run control. Slices are
// run by hand through TurboSlice.
#include <QLabel>

#include "session/scenario.h"
#include "tests/gui/gui_run_fixture.h"
#include "tests/session/boardstate.h"
#include "tests/session/sourcelines.h"

namespace {

void AddStimuli(TScenario& scenario) {
    for (uint64_t step = 500; step < 100000; step += 1700) {
        scenario.Add(step, TIrqRequest{});
        scenario.Add(step + 300, TNmiRequest{});
        scenario.Add(step + 600, TPinToggle{2, 0});
        scenario.Add(step + 900, TSerialSend{{0x41, static_cast<uint8_t>(step)}});
    }
}

} // namespace

class TurboTest : public RunFixture {
protected:
    void LoadDevices(uint32_t seed) {
        session->Machine().Random.Seed(seed);
        source = TestProgram("session/devices.asm");
        run->Load();
        ASSERT_EQ(run->State(), RunState::Halted);
    }
    // Slices until the run is no longer turbo (or the budget of slices is spent).
    void RunSlices(int budget = 100000) {
        while (run->State() == RunState::TurboRun && budget-- > 0)
            run->TurboSlice();
    }
};

// The turbo run in slices of a millisecond ends in the same state as orlek-cli run of the same
// program with the same stimuli (a scenario on the same virtual clock): registers, memory, every
// device, the log.
TEST_F(TurboTest, EndsInTheStateOfTheSameRunOfOrlekCli) {
    constexpr uint64_t kSteps = 100000; // many slices, many chunks of steps
    run->TurboSliceMs = 1;
    LoadDevices(11);
    run->RunTurbo();
    ASSERT_NE(run->Turbo(), nullptr);
    run->Turbo()->StepLimit = kSteps;
    AddStimuli(*run->Turbo());
    RunSlices();
    EXPECT_EQ(run->State(), RunState::Halted); // halted at the scenario's limit
    EXPECT_EQ(run->Turbo(), nullptr);

    TSession cli(ORLEK_PROGRAM_DIR, false);
    TScenario scenario(cli);
    scenario.StepLimit = kSteps;
    cli.Machine().Random.Seed(11);
    ASSERT_TRUE(cli.LoadProgram(TestProgram("session/devices.asm")).Ok);
    AddStimuli(scenario);
    ASSERT_EQ(scenario.Run(), ScenarioStop::Limit);
    cli.Pause();
    ExpectSameBoard(TObservedBoard::Of(*session), TObservedBoard::Of(cli));
    for (uint16_t counter : {0x81, 0x83, 0x84, 0x85})
        EXPECT_GT(session->PeekValue(counter), 0) << counter;
}

// During turbo the device clocks wait, the display is drawn by frames, the log keeps its newest
// records up to the bound and the log window says how many it dropped; the IRQ button works
// between slices. Afterwards all is as before and the run can be taken back step by step.
TEST_F(TurboTest, HoldsClocksBoundsTheLogAndLeavesAHistory) {
    LoadDevices(3);
    TfrmLog log(session->Log);
    run->StartClocks();
    run->TurboLogLimit = 50;
    run->TurboSliceMs = 1;
    QSignalSpy frames(run.get(), &TRunControl::displayFrame);
    run->RunTurbo();
    run->Turbo()->StepLimit = 100000;
    EXPECT_FALSE(run->TimerClock->isActive());
    EXPECT_FALSE(run->SciClock->isActive());
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_TRUE(frames.last().at(0).value<TDisplayFrame>().Running);
    frames.clear();
    run->TurboSlice();
    run->RequestIrq();
    RunSlices();
    EXPECT_GT(session->PeekValue(0x84), 0); // the IRQ handler ran
    EXPECT_FALSE(frames.isEmpty());
    EXPECT_LE(session->Log.Size(), 50u);
    EXPECT_GT(session->Log.Dropped(), 99900u);
    log.Model()->Flush();
    EXPECT_TRUE(log.DroppedLabel()->isVisibleTo(&log));
    EXPECT_TRUE(log.DroppedLabel()->text().startsWith("Starejših zapisov, ki jih dnevnik ni obdržal: "));

    EXPECT_EQ(session->Log.Limit(), 0u);
    EXPECT_TRUE(run->TimerClock->isActive());
    EXPECT_TRUE(run->SciClock->isActive());
    const uint16_t pc = Cpu().PC;
    const uint64_t cycles = session->Cycles();
    ASSERT_TRUE(run->mnuNazaj->isEnabled());
    run->StepBack();
    EXPECT_NE(session->Cycles(), cycles);
    run->StepOnce();
    EXPECT_EQ(Cpu().PC, pc);
    EXPECT_EQ(session->Cycles(), cycles);
}

// Breakpoints halt a turbo run, and a program that leaves ends it with "Kam pa sedaj?".
TEST_F(TurboTest, BreakpointHaltsAndLeavingStops) {
    caret = 5; // ldab #$80
    run->ToggleBreakpoint();
    LoadProgram();
    run->RunTurbo();
    RunSlices();
    EXPECT_EQ(run->State(), RunState::Halted);
    EXPECT_EQ(Cpu().PC, 0x2002);
    QSignalSpy errors(run.get(), &TRunControl::errorMessages);
    run->RunTurbo();
    RunSlices();
    EXPECT_EQ(run->State(), RunState::Idle);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.last().at(0).toStringList(), QStringList{"Kam pa sedaj?"});
}

// The register panels show the cycles and the time beside the flags; a double-click resets them.
TEST_F(TurboTest, PanelsShowTheCyclesAndADoubleClickResetsThem) {
    LoadProgram();
    EXPECT_EQ(panels->Cycles()->Cell(0, 0), "Cikli: 0");
    run->StepOnce(); // ldaa #$1F
    run->StepOnce(); // ldab #$80
    EXPECT_EQ(panels->Cycles()->Cell(0, 0), "Cikli: 4");
    EXPECT_EQ(panels->Cycles()->Cell(0, 1), QString::fromUtf8("3,3 \u00b5s"));
    emit panels->Cycles()->cellDoubleClicked(0, 0);
    EXPECT_EQ(session->Cycles(), 0u);
    EXPECT_EQ(panels->Cycles()->Cell(0, 0), "Cikli: 0");
    run->StepBack();
    EXPECT_EQ(panels->Cycles()->Cell(0, 0), "Cikli: 2");
}
