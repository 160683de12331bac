// Whole programs run by a scenario: the device clocks tick between instructions on the virtual
// clock, and stimuli arrive at given steps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/scenario.h"
#include "session/sciterminal.h"
#include "tests/session/sourcelines.h"

namespace {

class ScenarioTest : public ::testing::Test {
protected:
    ScenarioTest() : session(ORLEK_PROGRAM_DIR, false) {
        session.Machine().Random.Seed(1234);
        // No interrupt in these programs goes through an undefined vector.
        scenario.onReport = [this](const TStepResult& r) {
            EXPECT_EQ(r.Status, 0) << "step " << scenario.Steps();
        };
    }
    // Assembles and loads `text` (lines end with '\n'); the program starts at START.
    void Load(const std::string& text) {
        lines = Source(text + "       org $fffe\n       fdb start\n       end\n");
        ASSERT_TRUE(session.LoadProgram(lines).Ok) << text;
    }
    uint8_t Peek(uint16_t address) const { return session.PeekValue(address); }

    TSession session;
    TScenario scenario{session};
    std::vector<std::string> lines;
};

} // namespace

TEST_F(ScenarioTest, PollsTimerForOutputCompare) {
    Load("       org $1000\n"
         "start  ldd $09\n"    // counter
         "       addd #20\n"   //
         "       std $0B\n"    // compare = counter + 20, OCF cleared
         "loop   ldaa $08\n"   //
         "       anda #$40\n"  // OCF
         "       beq loop\n"   //
         "       ldaa #$AA\n"  //
         "       staa $80\n"); // then off the end of the program
    const TTimer& timer = session.Machine().Timer;
    const uint16_t start = timer.St.Counter;
    scenario.StepLimit = 10000;
    ASSERT_EQ(scenario.Run(), ScenarioStop::Left);
    EXPECT_EQ(Peek(0x80), 0xAA);
    EXPECT_EQ(timer.St.OutputCompare, static_cast<uint16_t>(start + 20));
    EXPECT_LE(static_cast<uint16_t>(timer.St.Counter - timer.St.OutputCompare), 1);
    EXPECT_GE(scenario.Steps(), 20 * scenario.Clock.TimerEvery);
}

TEST_F(ScenarioTest, TransmitsTwoBytes) {
    Load("       org $1000\n"
         "start  ldaa #$02\n"  // TE
         "       staa $11\n"   //
         "       ldx #text\n"  //
         "next   ldab 0,x\n"   //
         "       beq done\n"   //
         "wait   ldaa $11\n"   //
         "       anda #$20\n"  // TDRE
         "       beq wait\n"   //
         "       stab $13\n"   //
         "       inx\n"        //
         "       bra next\n"   //
         "done   ldaa $11\n"   //
         "       anda #$20\n"  // until the last byte has left
         "       beq done\n"   //
         "       org $1020\n"  //
         "text   fcc \"AB\"\n" //
         "       fcb 0\n");
    TSciTerminal& terminal = session.SciTerminal();
    terminal.DisplayMode = SciDisplayMode::Hex;
    scenario.StepLimit = 100000;
    ASSERT_EQ(scenario.Run(), ScenarioStop::Left);
    EXPECT_EQ(terminal.Received(), (std::vector<uint8_t>{'A', 'B'}));
    EXPECT_EQ(terminal.Output(), "42 41 ");
}

TEST_F(ScenarioTest, EchoesAByteSentByTheExternalSystem) {
    Load("       org $1000\n"
         "start  ldaa #1\n"   // 9600, as the external system
         "       staa $10\n"  //
         "       ldaa #$0A\n" // RE|TE
         "       staa $11\n"  //
         "rx     ldaa $11\n"  //
         "       bpl rx\n"    // RDRF is bit 7
         "       ldab $12\n"  //
         "tx     ldaa $11\n"  //
         "       anda #$20\n" //
         "       beq tx\n"    //
         "       stab $13\n"  //
         "w      ldaa $11\n"  //
         "       anda #$20\n" //
         "       beq w\n");
    scenario.Add(500, TSerialSend{{'Z'}});
    scenario.StepLimit = 100000;
    ASSERT_EQ(scenario.Run(), ScenarioStop::Left);
    EXPECT_EQ(session.Cpu().B, 'Z');
    EXPECT_EQ(session.SciTerminal().Received(), std::vector<uint8_t>{'Z'});
    EXPECT_EQ(session.SciTerminal().Output(), "Z");
    EXPECT_FALSE(session.Machine().Sci.St.TRCSR & TSci::TRCSR_ORFE);
}

TEST_F(ScenarioTest, BlinksOutputsAndReadsAnInputPin) {
    Load("       org $1000\n"
         "start  ldaa #$0F\n" //
         "       staa $00\n"  // pins 3-0 outputs
         "       ldab #5\n"   //
         "       ldaa #$05\n" //
         "loop   staa $02\n"  //
         "       coma\n"      //
         "       decb\n"      //
         "       bne loop\n"  //
         "       ldaa $02\n"  //
         "       anda #$80\n" // pin 7, an input
         "       staa $80\n");
    TPort& port = session.Machine().Port1;
    std::vector<uint8_t> levels;
    port.onChanged = [&] { levels.push_back(port.St.Level); };
    scenario.Add(1, TPinToggle{1, 7}); // the user sets the switch on pin 7
    scenario.StepLimit = 1000;
    ASSERT_EQ(scenario.Run(), ScenarioStop::Left);
    // The switch, the direction write, then five data writes; pin 7 keeps the user's level.
    EXPECT_EQ(levels, (std::vector<uint8_t>{0x80, 0x80, 0x85, 0x8A, 0x85, 0x8A, 0x85}));
    EXPECT_EQ(Peek(0x80), 0x80);
    for (int pin = 0; pin < 4; ++pin)
        EXPECT_LE(port.PinImage(pin), PinImageKind::OutputHigh);
    EXPECT_EQ(port.PinImage(7), PinImageKind::InputHigh);
}

TEST_F(ScenarioTest, TraceTriggeredByVariableWriteRecordsWrites) {
    Load("       org $1000\n"
         "start  lds #$00FF\n" //
         "       ldaa #$11\n"  //
         "       staa $A0\n"   // before the trigger
         "       ldaa #$22\n"  //
         "       staa $90\n"   // the variable: trigger
         "       ldaa $A0\n"   // a read: not qualified
         "       inca\n"       //
         "       staa $A1\n"   //
         "       psha\n"       //
         "       pula\n");
    TTrace& trace = session.Memory().Trace;
    trace.Triggers.Add(*ParseCondition("0090", "x", "W"));
    trace.Qualifiers.Add(*ParseCondition("xxxx", "xx", "Write"));
    session.Memory().TraceEnabled = true;
    scenario.StepLimit = 100;
    ASSERT_EQ(scenario.Run(), ScenarioStop::Left);
    std::vector<std::string> rows;
    for (const TraceRow& row : trace.Rows()) {
        TraceColumns t = FormatTraceRow(row);
        rows.push_back(t.Address + " " + t.Data + " " + t.Direction);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"0090 22 W", "00A1 12 W", "00FF 12 W"}));
}

TEST_F(ScenarioTest, OutputCompareInterruptRepeats) {
    Load("       org $1000\n"
         "start  lds #$00FF\n" //
         "       ldaa #$08\n"  // EOCI
         "       staa $08\n"   //
         "       ldd $09\n"    //
         "       addd #10\n"   //
         "       std $0B\n"    //
         "       cli\n"        //
         "self   bra self\n"   //
         "       org $1020\n"  //
         "ocf    inc $80\n"    //
         "       ldd $0B\n"    //
         "       addd #10\n"   //
         "       std $0B\n"    // next compare, OCF cleared
         "       rti\n"        //
         "       org $fff4\n"  //
         "       fdb ocf\n");
    scenario.StepLimit = 1000;
    EXPECT_EQ(scenario.Run(), ScenarioStop::Limit);
    // 200 ticks, one interrupt every 10 of them.
    EXPECT_GE(Peek(0x80), 18);
    EXPECT_LE(Peek(0x80), 20);
    EXPECT_EQ(session.Cpu().SP, 0x00FF);
}

// Counts A up forever; no interrupt vectors.
const char* const kCounter = "       org $2000\n"
                             "start  inca\n" // line 2
                             "       nop\n"  // line 3
                             "       bra start\n";

TEST_F(ScenarioTest, StimuliHappenBeforeTheirStepAndLateOnesBeforeTheNext) {
    Load(kCounter);
    std::vector<std::string> messages;
    scenario.onReport = [&](const TStepResult& r) {
        for (const std::string& m : r.Messages)
            messages.push_back(std::to_string(scenario.Steps()) + " " + m);
    };
    scenario.Add(4, TNmiRequest{}); // taken at the end of step 4, through a zero vector
    EXPECT_EQ(scenario.Advance(2), ScenarioStop::Running);
    scenario.Add(1, TIrqRequest{}); // step 1 is past: before step 3
    EXPECT_EQ(scenario.Run(), ScenarioStop::Left);
    EXPECT_EQ(scenario.Steps(), 4u);
    EXPECT_EQ(messages, (std::vector<std::string>{"4 NMI vektor ni definiran!", "4 Kam pa sedaj?"}));
    EXPECT_TRUE(session.Log.Records().back().Pending & (1 << 3)); // the IRQ waited, masked
    EXPECT_EQ(scenario.Advance(1), ScenarioStop::NotLoaded);
}

TEST_F(ScenarioTest, VirtualClockTicksTheDevicesAndTimesTheLog) {
    Load(kCounter);
    scenario.Clock = {4, 0, 3};
    const uint16_t counter = session.Machine().Timer.St.Counter;
    EXPECT_EQ(scenario.Advance(10), ScenarioStop::Running);
    EXPECT_EQ(session.Machine().Timer.St.Counter, static_cast<uint16_t>(counter + 2));
    EXPECT_EQ(scenario.Milliseconds(), 30u);
    EXPECT_EQ(session.Log.Records().back().Elapsed, 3u);
    // A new period counts from the step where it is set.
    scenario.Clock.TimerEvery = 3;
    EXPECT_EQ(scenario.Advance(2), ScenarioStop::Running);
    EXPECT_EQ(session.Machine().Timer.St.Counter, static_cast<uint16_t>(counter + 3));
}

TEST_F(ScenarioTest, BreakpointHaltsAndTheRunGoesOnFromThere) {
    session.Breakpoints.Add(3);
    Load(kCounter);
    scenario.StepLimit = 5;
    EXPECT_EQ(scenario.Run(), ScenarioStop::Breakpoint);
    EXPECT_EQ(scenario.Steps(), 1u);
    EXPECT_EQ(scenario.Line(), 3);
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_EQ(scenario.Run(), ScenarioStop::Breakpoint);
    EXPECT_EQ(scenario.Steps(), 4u);
    EXPECT_EQ(scenario.Run(), ScenarioStop::Limit);
    EXPECT_EQ(scenario.Steps(), 5u);
    EXPECT_EQ(session.Cpu().A, 2);
}
