// Reverse step: the history of the steps takes the whole board back, devices included, and going
// back N steps gives the state of the same run stopped N steps earlier.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/machine.h"
#include "isa/isa.h"
#include "session/journal.h"
#include "session/scenario.h"
#include "tests/session/boardstate.h"
#include "tests/session/sourcelines.h"

namespace {

// Everything the outside world can do, at the given steps (those after step `past` only: a
// scenario taking up a run at that step).
void AddStimuli(TScenario& scenario, uint64_t from, uint64_t every, uint64_t until, uint64_t past = 0) {
    const auto add = [&](uint64_t step, TStimulusAction action) {
        if (step > past) scenario.Add(step, std::move(action));
    };
    for (uint64_t step = from; step < until; step += every) {
        add(step, TIrqRequest{});
        add(step + every / 4, TPinToggle{2, 0});
        add(step + every / 3, TSerialSend{{static_cast<uint8_t>(step), 0x41}});
        add(step + every / 2, TNmiRequest{});
        add(step + every / 2, TPinToggle{1, 3});
    }
}

// The trace records every write to the direct page once a read of $0008 armed it.
void TraceDirectPageWrites(TSession& session) {
    TTrace& trace = session.Machine().Memory.Trace;
    trace.Triggers.Add(*ParseCondition("0008", "x", "R"));
    trace.Qualifiers.Add(*ParseCondition("00xx", "x", "W"));
    session.Machine().Memory.TraceEnabled = true;
}

class HistoryTest : public ::testing::Test {
protected:
    void Load(TSession& session, const std::vector<std::string>& program, uint32_t seed) {
        session.Machine().Random.Seed(seed);
        lines = program;
        ASSERT_TRUE(session.LoadProgram(lines).Ok);
    }
    std::vector<std::string> lines;
};

} // namespace

// N steps forward and N back, from different points of a run, with the line looped back or not
// and in both processor models: every field of the board is as before, through interrupts,
// compare matches, transfers both ways, trace rows and stimuli; going forward again from there
// gives the board of the run straight ahead.
TEST_F(HistoryTest, ForwardAndBackAgainGivesTheEarlierBoard) {
    struct TCase {
        uint64_t before, forward;
        bool loopback;
        TProcessorModel model;
    } cases[] = {
        {0, 1, false, TProcessorModel::Classic},      {0, 3000, false, TProcessorModel::Classic},
        {1234, 5000, true, TProcessorModel::Classic}, {20000, 40000, false, TProcessorModel::Classic},
        {0, 3000, false, TProcessorModel::Chip},      {1234, 5000, true, TProcessorModel::Chip},
        {20000, 40000, false, TProcessorModel::Chip}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << "+" << c.forward << (c.loopback ? " loopback " : " ")
                                        << ModelName(c.model));
        TSession session(ORLEK_PROGRAM_DIR, false);
        session.SetModel(c.model);
        Load(session, TestProgram("session/devices.asm"), 7);
        session.Machine().Sci.Loopback = c.loopback;
        TraceDirectPageWrites(session);
        const auto advance = [&](uint64_t from, uint64_t steps) {
            TScenario scenario(session);
            scenario.Clock = {3, 20, 1};
            scenario.ContinueFrom(from);
            AddStimuli(scenario, 100, 900, c.before + c.forward, from);
            ASSERT_EQ(scenario.Advance(steps), ScenarioStop::Running);
            session.Pause();
        };
        advance(0, c.before);
        const TObservedBoard earlier = TObservedBoard::Of(session);
        advance(c.before, c.forward);
        const TObservedBoard ahead = TObservedBoard::Of(session);
        // The trace is armed by the compare interrupt: the chip's compare comes round once every
        // 65536 cycles.
        if (c.forward >= (c.model == TProcessorModel::Chip ? 40000u : 1000u))
            EXPECT_GT(session.Machine().Memory.Trace.Rows().size(), 0u);
        for (uint64_t k = 0; k < c.forward; ++k)
            ASSERT_TRUE(session.StepBack()) << k;
        ExpectSameBoard(TObservedBoard::Of(session), earlier);
        EXPECT_EQ(session.HistoryDepth(), c.before);
        advance(c.before, c.forward);
        ExpectSameBoard(TObservedBoard::Of(session), ahead);
    }
    // The run did what the test is about: compare matches, transfers and interrupts.
    TSession session(ORLEK_PROGRAM_DIR, false);
    Load(session, TestProgram("session/devices.asm"), 7);
    TScenario scenario(session);
    scenario.Clock = {3, 20, 1};
    AddStimuli(scenario, 100, 900, 20000);
    scenario.Advance(20000);
    for (uint16_t counter : {0x81, 0x83, 0x84, 0x85})
        EXPECT_GT(session.PeekValue(counter), 0) << counter;
    EXPECT_FALSE(session.SciTerminal().Received().empty());
}

// Random programs, with random stimuli and dense device clocks: going back the steps a run took
// gives the board it started from, and going back N steps gives the board of the same run stopped
// N steps earlier (also when the run ended by leaving the program). Every byte of the memory is an
// opcode the processor executes (WAI aside), so wherever a jump, a return or an interrupt vector
// leads, the program goes on: it writes all over the memory, enables interrupts and takes them.
// A third of the bytes are also addresses of the ports, the timer or the serial interface
// ($01, $04-$11), so direct operands reach the devices often.
TEST_F(HistoryTest, RandomProgramsGoBackExactly) {
    std::vector<uint8_t> opcodes;
    for (const IsaEntry& entry : IsaTable())
        if (entry.Opcode != 0x3E) opcodes.push_back(entry.Opcode);
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        auto runs = [&](TSession& session, TScenario& scenario) {
            std::mt19937 r(seed); // the same program and stimuli for every session
            Load(session, Source("start nop\n       org $fffe\n       fdb start\n       end\n"), seed);
            for (uint32_t address = 0x20; address <= 0xFFFF; ++address)
                session.Memory().Cells[address] =
                    MemoryCell{r() % 3 == 0 ? static_cast<uint8_t>(r() % 2 ? 0x01 : 0x04 + r() % 14)
                                            : opcodes[r() % opcodes.size()],
                               static_cast<int16_t>(1 + address % 97)};
            session.Cpu().PC = static_cast<uint16_t>(0x20 + r() % 0xFF00);
            session.Cpu().SP = static_cast<uint16_t>(r());
            session.Cpu().I = false;
            session.Machine().Sci.Loopback = r() % 2 == 0;
            TTrace& trace = session.Machine().Memory.Trace;
            trace.Triggers.Add(*ParseCondition("x", "x", "R"));
            trace.Qualifiers.Add(*ParseCondition("00xx", "x", "W"));
            session.Machine().Memory.TraceEnabled = true;
            scenario.Clock = {1 + r() % 4, 2 + r() % 10, 1};
            for (int k = 0; k < 40; ++k) {
                const uint64_t step = 1 + r() % 3000;
                switch (r() % 5) {
                case 0:
                    scenario.Add(step, TIrqRequest{});
                    break;
                case 1:
                    scenario.Add(step, TNmiRequest{});
                    break;
                case 2:
                    scenario.Add(step, TPinToggle{1, static_cast<int>(r() % 8)});
                    break;
                case 3:
                    scenario.Add(step, TPinToggle{2, static_cast<int>(r() % 5)});
                    break;
                default:
                    scenario.Add(step, TSerialSend{{static_cast<uint8_t>(r()), static_cast<uint8_t>(r())}});
                }
            }
        };
        TSession a(ORLEK_PROGRAM_DIR, false);
        TScenario sa(a);
        runs(a, sa);
        const TObservedBoard start = TObservedBoard::Of(a);
        sa.Advance(1 + random() % 3000);
        a.Pause();
        const uint64_t done = sa.Steps();
        ASSERT_GT(done, 0u);
        const uint64_t back = 1 + random() % done;
        for (uint64_t k = 0; k < back; ++k)
            ASSERT_TRUE(a.StepBack());

        TSession b(ORLEK_PROGRAM_DIR, false);
        TScenario sb(b);
        runs(b, sb);
        if (done - back > 0) ASSERT_EQ(sb.Advance(done - back), ScenarioStop::Running);
        b.Pause();
        ExpectSameBoard(TObservedBoard::Of(a), TObservedBoard::Of(b));

        for (uint64_t k = back; k < done; ++k)
            ASSERT_TRUE(a.StepBack());
        EXPECT_FALSE(a.StepBack());
        ExpectSameBoard(TObservedBoard::Of(a), start);
    }
}

// Stepping by hand: what happens between two steps (clock ticks, edits, pin clicks, requests)
// is taken back with the step that follows it; a new step after going back drops the future;
// a load, a cleared memory and a stop end the history.
TEST_F(HistoryTest, StepsByHandTakeBackWhatPrecededThem) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    Load(session, TestProgram("session/devices.asm"), 3);
    EXPECT_FALSE(session.CanStepBack()); // nothing to go back to right after a load
    const TObservedBoard loaded = TObservedBoard::Of(session);
    for (int k = 0; k < 20; ++k)
        session.StepOnce();
    const TObservedBoard twenty = TObservedBoard::Of(session);

    TMachine& m = session.Machine();
    m.Timer.TimerTick();
    m.Sci.SciTick();
    m.Port2.TogglePin(0);
    session.RequestNmi();
    session.SetRegister(CpuRegister::X, 0x1234);
    session.Memory().Write(0x0090, MemoryCell{0x55, 0}, false);
    session.SciTerminal().SendByte(0x42);
    session.SciTerminal().SetOutput("edited by hand");
    m.Timer.AdvanceCounter(0x100);
    session.StepOnce();
    EXPECT_EQ(session.HistoryDepth(), 21u);
    ASSERT_TRUE(session.StepBack());
    ExpectSameBoard(TObservedBoard::Of(session), twenty);

    // The undone step is gone once a new one is taken.
    session.StepOnce();
    EXPECT_EQ(session.HistoryDepth(), 21u);
    while (session.StepBack()) {
    }
    ExpectSameBoard(TObservedBoard::Of(session), loaded);

    // A stop by hand ends it; a step that leaves the program does not (the session halts
    // again where that step began); a cleared memory and a load forget it.
    session.StepOnce();
    session.Stop();
    EXPECT_FALSE(session.CanStepBack());
    Load(session, Source("start  nop\n       org $fffe\n       fdb start\n       end\n"), 3);
    EXPECT_EQ(session.HistoryDepth(), 0u);
    ASSERT_TRUE(session.StepOnce().Left);
    ASSERT_TRUE(session.StepBack());
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_TRUE(session.Loaded());
    session.StepOnce();
    session.Memory().Clear();
    EXPECT_FALSE(session.StepBack());
}

// A program that leaves the devices alone, and one change from outside between two single steps:
// the checkpoint after the step that follows it holds the change, so going back over the next
// step gives the board with it, and one step further the board without it.
TEST_F(HistoryTest, ChangeBetweenQuietStepsIsKeptByTheNextCheckpoint) {
    const std::string program = "       org $1000\n"
                                "start  ldaa #$08\n"
                                "       staa $11\n" // the receiver on
                                "loop   inc $80\n"
                                "       bra loop\n"
                                "       org $fffe\n"
                                "       fdb start\n"
                                "       end\n";
    const std::pair<const char*, void (*)(TSession&)> changes[] = {
        {"timer tick", [](TSession& s) { s.Machine().Timer.TimerTick(); }},
        {"counter advanced", [](TSession& s) { s.Machine().Timer.AdvanceCounter(0x100); }},
        {"compare written", [](TSession& s) { s.Machine().Timer.WriteRegister(0x0B, 0x12); }},
        {"capture edge", [](TSession& s) { s.Machine().Port2.TogglePin(0); }},
        {"port 1 pin", [](TSession& s) { s.Machine().Port1.TogglePin(3); }},
        {"SCI register", [](TSession& s) { s.Machine().Sci.WriteRegister(0x10, 0x01); }},
        {"byte received", [](TSession& s) { s.SciTerminal().SendByte(0x42); }},
        {"terminal text", [](TSession& s) { s.SciTerminal().SetOutput("edited"); }},
        {"random source", [](TSession& s) { s.Machine().Random.Seed(9); }},
        {"memory register",
         [](TSession& s) {
             s.Memory().Write(0x01, MemoryCell{0x02, 0}, false);
         }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        TSession session(ORLEK_PROGRAM_DIR, false);
        Load(session, Source(program), 3);
        for (int k = 0; k < 4; ++k)
            session.StepOnce();
        const TObservedBoard before = TObservedBoard::Of(session);
        change(session);
        session.StepOnce();
        const TObservedBoard after = TObservedBoard::Of(session);
        session.StepOnce();
        ASSERT_TRUE(session.StepBack());
        ExpectSameBoard(TObservedBoard::Of(session), after);
        ASSERT_TRUE(session.StepBack());
        ExpectSameBoard(TObservedBoard::Of(session), before);
    }
}

// The history keeps the last TJournal::kMaxSteps steps; they all go back exactly.
TEST_F(HistoryTest, KeepsTheLastHundredThousandSteps) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    session.Log.Enabled = false;
    Load(session, TestProgram("session/devices.asm"), 5);
    TScenario scenario(session);
    ASSERT_EQ(scenario.Advance(5), ScenarioStop::Running);
    const TObservedBoard five = TObservedBoard::Of(session);
    ASSERT_EQ(scenario.Advance(TJournal::kMaxSteps), ScenarioStop::Running);
    session.Pause();
    EXPECT_EQ(session.HistoryDepth(), TJournal::kMaxSteps);
    for (size_t k = 0; k < TJournal::kMaxSteps; ++k)
        ASSERT_TRUE(session.StepBack()) << k;
    EXPECT_FALSE(session.StepBack());
    ExpectSameBoard(TObservedBoard::Of(session), five);
    EXPECT_LT(TJournal::MaximumBytes(), 64u << 20);
}

// The board as one value: put back into a session, it runs on exactly as it did from the moment
// it was captured (the terminal and the cycle counter included), and the history before it is
// gone. The captures fall on steps where both device clocks have just ticked, so the clocks tick
// at the same steps after the restore.
TEST_F(HistoryTest, ARestoredBoardRunsOnAsTheCapturedOne) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    Load(session, TestProgram("session/devices.asm"), 9);
    TScenario scenario(session);
    scenario.Clock = {3, 20, 1};
    ASSERT_EQ(scenario.Advance(2040), ScenarioStop::Running);
    const TBoardState captured = session.Capture();
    ASSERT_EQ(scenario.Advance(3000), ScenarioStop::Running);
    const TBoardState later = session.Capture();
    EXPECT_FALSE(later.Machine == captured.Machine);
    EXPECT_FALSE(later.Terminal == captured.Terminal);
    EXPECT_NE(later.Cycles, captured.Cycles);

    session.Restore(captured);
    EXPECT_TRUE(session.Capture() == captured);
    EXPECT_EQ(session.HistoryDepth(), 0u);
    ASSERT_EQ(scenario.Advance(3000), ScenarioStop::Running);
    EXPECT_TRUE(session.Capture() == later);
}
