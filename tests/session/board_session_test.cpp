// The lab board wired to a session: the ports' lines reach it, its drive reaches the input pins
// and the timer's input capture, its time is the cycle counter's, and its state goes back with
// reverse step and snapshots.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/shows.h"
#include "engine/machine.h"
#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/journal.h"
#include "session/scenario.h"
#include "tests/session/boardstate.h"
#include "tests/session/sourcelines.h"

namespace {

std::string ExampleBoardText(const std::string& name) {
    std::ifstream in(std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class BoardSessionTest : public ::testing::Test {
protected:
    BoardSessionTest() { session.Machine().Random.Seed(99); }

    void SetBoard(const std::string& parts) {
        const TBoardRead read = session.SetBoardText("{\"name\": \"Test\", \"parts\": [" + parts + "]}");
        ASSERT_TRUE(read.Ok()) << read.Message();
    }
    // Assembles and loads `text`; the program starts at START.
    void Load(const std::string& text) {
        lines = Source("       org $1000\n" + text + "       org $fffe\n       fdb start\n       end\n");
        ASSERT_TRUE(session.LoadProgram(lines).Ok) << text;
    }
    void Steps(int n) {
        for (int i = 0; i < n; ++i)
            session.StepOnce();
    }
    const TBoardPart& Part(const std::string& name) const {
        for (const TBoardPart& p : session.Board()->Parts())
            if (p.Name == name) return p;
        ADD_FAILURE() << "no part " << name;
        return session.Board()->Parts().front();
    }
    std::string Shows(const std::string& name) const {
        return PartShowsText(*session.Board(), Part(name), session.BoardNowNs());
    }
    TBoardInput Input(const std::string& name, TLabBoard::TInputUse use) {
        std::string error;
        const auto input = session.FindBoardInput(name, use, error);
        EXPECT_TRUE(input) << error;
        return input.value_or(TBoardInput{});
    }

    TSession session{ORLEK_PROGRAM_DIR, false};
    std::vector<std::string> lines;
};

} // namespace

// A switch on an input pin is what the program reads; on an output pin it fights the processor:
// the output keeps its level, the conflict is reported and the lamp there is not guessed.
TEST_F(BoardSessionTest, DriveReachesOnlyInputPinsAndAFightIsReported) {
    SetBoard(R"({"type": "switch", "name": "S0", "pin": "1.0", "on": true},
                {"type": "switch", "name": "S1", "pin": "1.1", "on": true},
                {"type": "led", "name": "L1", "pin": "1.1"})");
    Load("start  ldaa #$02\n"
         "       staa $00\n" // P11 an output, P10 an input
         "       clr $02\n"
         "       ldaa $02\n"
         "       staa $80\n"
         "loop   bra loop\n");
    Steps(5);
    EXPECT_EQ(session.PeekValue(0x80), 0x01);
    const std::vector<TBoardConflict> conflicts = session.Board()->Conflicts();
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(conflicts[0].Pins, (TPin{1, 1}.Mask()));
    EXPECT_NE(conflicts[0].Text.find("1.1"), std::string::npos) << conflicts[0].Text;
    EXPECT_EQ(Shows("L1"), "off");
    // Switched off, the input pin follows at once, between two steps.
    session.SetBoardSwitch(Input("S0", TLabBoard::TInputUse::Switch), false);
    EXPECT_EQ(session.Machine().Port1.PinLevel(0), 0);
}

// The timer's output compare drives P21 by writing Port 2: the lamp there lights at the match.
TEST_F(BoardSessionTest, OutputCompareOnP21ReachesTheBoard) {
    SetBoard(R"({"type": "led", "name": "L", "pin": "2.1"})");
    Load("start  ldaa #$02\n"
         "       staa $01\n" // P21 an output at 0
         "       ldaa #$01\n"
         "       staa $08\n" // OLVL = 1
         "       ldd $09\n"
         "       addd #8\n"
         "       std $0b\n" // a match 8 ticks on
         "loop   bra loop\n");
    TScenario scenario(session);
    scenario.Clock = {1, 0, 1};
    scenario.Advance(6);
    EXPECT_EQ(Shows("L"), "off");
    scenario.Advance(20);
    EXPECT_EQ(Shows("L"), "on");
}

// In the chip model a lamp on P24 follows the SCI's Tx line: lit through the preamble, dark
// through the start bit and the eight zero bits of $00, lit again at the stop bit and after.
TEST_F(BoardSessionTest, SerialLineOnP24ReachesTheBoardInTheChipModel) {
    session.SetModel(TProcessorModel::Chip);
    SetBoard(R"({"type": "led", "name": "L", "pin": "2.4"})");
    Load("start  ldaa #$02\n"
         "       staa $11\n" // TE at E/16: bits of 16 cycles, frames of 160
         "       ldaa $11\n"
         "       clra\n"
         "       staa $13\n"
         "loop   bra loop\n");
    const auto shownAt = [&](uint64_t cycles) {
        while (session.Cycles() < cycles)
            session.StepOnce();
        return Shows("L");
    };
    EXPECT_EQ(shownAt(100), "on");  // the preamble
    EXPECT_EQ(shownAt(200), "off"); // start bit and data from cycle 5 + 160
    EXPECT_EQ(shownAt(300), "off");
    EXPECT_EQ(shownAt(330), "on"); // the stop bit from cycle 5 + 160 + 144
    EXPECT_EQ(shownAt(600), "on");
}

// A button on P20 makes the edges the input capture waits for; pressed while P20 is an output,
// it changes nothing the timer sees.
TEST_F(BoardSessionTest, ButtonOnP20CapturesTheCounter) {
    SetBoard(R"({"type": "button", "name": "T0", "pin": "2.0"})");
    Load("start  ldaa #$02\n"
         "       staa $08\n" // IEDG: capture on a change to 1
         "loop   bra loop\n");
    Steps(3);
    const TTimer& timer = session.Machine().Timer;
    EXPECT_FALSE(timer.St.TCSR & TTimer::TCSR_ICF);
    session.Machine().Timer.St.Counter = 0x1234;
    EXPECT_TRUE(session.PressOnBoard(Input("T0", TLabBoard::TInputUse::Press)));
    EXPECT_TRUE(timer.St.TCSR & TTimer::TCSR_ICF);
    EXPECT_EQ(timer.St.InputCapture, 0x1234);
    EXPECT_EQ(session.Machine().Port2.PinLevel(0), 1);
}

// A bouncing contact changes the pin by time alone: the program sees the bounce while the
// cycles of 5 ms go by, and then the settled level; nothing is due any more.
TEST_F(BoardSessionTest, BounceIsSeenInCycleTimeAndSettles) {
    SetBoard(R"({"type": "button", "name": "T0", "pin": "2.0", "active": "low", "bounce_ms": 5})");
    Load("start  clr $01\n"
         "loop   ldaa $03\n"
         "       bra loop\n");
    Steps(10);
    EXPECT_EQ(session.BoardDueCycles(), UINT64_MAX);
    EXPECT_EQ(session.Machine().Port2.PinLevel(0), 1); // the resistor pulls the released pin up
    const uint64_t pressedAt = session.Cycles();
    session.PressOnBoard(Input("T0", TLabBoard::TInputUse::Press));
    EXPECT_LT(session.BoardDueCycles(), UINT64_MAX);
    const uint64_t bounceCycles = NsToCyclesUp(5'000'000);
    int seenHigh = 0;
    while (session.Cycles() < pressedAt + bounceCycles) {
        Steps(1);
        seenHigh += session.Cpu().A & 1;
    }
    Steps(2);
    EXPECT_GT(seenHigh, 0) << "the contact opened again while it bounced";
    EXPECT_EQ(session.Cpu().A & 1, 0);
    EXPECT_EQ(session.BoardDueCycles(), UINT64_MAX);
}

// The load switches the power on: what an LCD showed is gone, a switch keeps its position.
TEST_F(BoardSessionTest, LoadPowersTheBoardOn) {
    ASSERT_TRUE(session.SetBoardText(ExampleBoardText("tipkovnica.json")).Ok());
    const std::vector<std::string> program = Source(ExampleBoardText("tipkovnica.asm"));
    ASSERT_TRUE(session.LoadProgram(program).Ok);
    TScenario scenario(session);
    scenario.Advance(20000);
    EXPECT_EQ(Shows("LCD"), "\"Pritisni tipko\" \"Tipka:\"");
    session.Stop();
    ASSERT_TRUE(session.LoadProgram(program).Ok);
    EXPECT_EQ(Shows("LCD"), "\"\" \"\"");
    EXPECT_TRUE(THd44780::Busy(session.Board()->Lcd(Part("LCD")), session.BoardNowNs()));
}

// A wrong board names the line, the part and the field, and the board in use stays.
TEST_F(BoardSessionTest, WrongBoardFileChangesNothing) {
    SetBoard(R"({"type": "led", "name": "L0", "pin": "1.0"})");
    const TBoardRead read = session.SetBoardText(
        "{\"name\": \"X\", \"parts\": [\n {\"type\": \"led\", \"name\": \"L9\", \"pin\": \"3.0\"}]}");
    ASSERT_FALSE(read.Ok());
    EXPECT_NE(read.Message().find("vrstica 2"), std::string::npos) << read.Message();
    EXPECT_NE(read.Message().find("L9"), std::string::npos) << read.Message();
    EXPECT_NE(read.Message().find("pin"), std::string::npos) << read.Message();
    ASSERT_TRUE(session.HasBoard());
    EXPECT_EQ(session.Board()->Parts()[0].Name, "L0");
    const TBoardRead missing = session.LoadBoardFile(std::string(ORLEK_SOURCE_DIR) + "/ni-plosce.json");
    ASSERT_FALSE(missing.Ok());
    EXPECT_NE(missing.Message().find("ni mogoče odpreti"), std::string::npos) << missing.Message();
    EXPECT_EQ(session.Board()->Parts()[0].Name, "L0");
    EXPECT_EQ(session.BoardFile(), "");
    const std::string file = std::string(ORLEK_SOURCE_DIR) + "/examples/boards/lucke.json";
    ASSERT_TRUE(session.LoadBoardFile(file).Ok());
    EXPECT_EQ(session.BoardFile(), file);
    EXPECT_EQ(session.Board()->Config().Name, "Lučke in stikala");
}

// Each shipped board with its program, in both processor models: N steps forward (with the
// user's hand on the board) and N back give the earlier board, the lab board's parts included; a
// snapshot puts it back too.
TEST_F(BoardSessionTest, StepBackAndSnapshotTakeTheLabBoardBack) {
    const struct {
        const char* name;
        const char* input; // pressed at the start of the steps taken back, or a switch set
        bool isSwitch;
    } cases[] = {
        {"lucke", "S2", true},
        {"prikazovalnik", nullptr, false},
        {"tipkovnica", "5", false},
        {"semafor", "ZAHTEVA", false},
    };
    for (const TProcessorModel model : {TProcessorModel::Classic, TProcessorModel::Chip})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(ModelName(model)));
            TSession s(ORLEK_PROGRAM_DIR, false);
            s.SetModel(model);
            s.Machine().Random.Seed(5);
            ASSERT_TRUE(s.SetBoardText(ExampleBoardText(std::string(c.name) + ".json")).Ok());
            ASSERT_TRUE(s.LoadProgram(Source(ExampleBoardText(std::string(c.name) + ".asm"))).Ok);
            TScenario scenario(s);
            scenario.Advance(15000);
            s.Pause();
            const TObservedBoard earlier = TObservedBoard::Of(s);
            ASSERT_TRUE(earlier.Board.LabBoard.has_value());
            std::string error;
            if (c.input) {
                const auto input = s.FindBoardInput(
                    c.input, c.isSwitch ? TLabBoard::TInputUse::Switch : TLabBoard::TInputUse::Press, error);
                ASSERT_TRUE(input) << error;
                scenario.Add(scenario.Steps() + 1, c.isSwitch ? TStimulusAction{TBoardSwitch{*input, true}}
                                                              : TBoardPress{*input, true});
            }
            scenario.Advance(20000);
            s.Pause();
            EXPECT_FALSE(s.Capture().LabBoard == earlier.Board.LabBoard) << "the board changed on the way";
            const TBoardState later = s.Capture();
            for (int k = 0; k < 20000; ++k)
                ASSERT_TRUE(s.StepBack()) << k;
            ExpectSameBoard(TObservedBoard::Of(s), earlier);
            s.Restore(later);
            EXPECT_TRUE(s.Capture() == later);
        }
}

// A board whose state changes widely at every port write fills the board's undo log before the
// history is full: the oldest steps go, and what is kept still goes back to the right state.
TEST_F(BoardSessionTest, FullBoardLogGivesUpTheOldestSteps) {
    const std::string board =
        R"({"name": "D", "parts": [{"type": "display", "name": "D",
             "segments": ["1.0", "1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7"],
             "digits": ["2.0", "2.1", "2.2", "2.3", "2.4"], "persistence_ms": 1}]})";
    const std::vector<std::string> program = Source("       org $1000\n"
                                                    "start  ldaa #$ff\n"
                                                    "       staa $00\n"
                                                    "       staa $01\n"
                                                    "loop   inca\n"
                                                    "       staa $02\n"
                                                    "       comb\n"
                                                    "       stab $03\n"
                                                    "       bra loop\n"
                                                    "       org $fffe\n"
                                                    "       fdb start\n");
    const uint64_t total = TJournal::kMaxSteps;
    const auto run = [&](TSession& s, uint64_t steps) {
        s.Log.Enabled = false;
        s.Machine().Random.Seed(3);
        ASSERT_TRUE(s.SetBoardText(board).Ok());
        ASSERT_TRUE(s.LoadProgram(program).Ok);
        TScenario scenario(s);
        scenario.Advance(steps);
        s.Pause();
    };
    TSession s(ORLEK_PROGRAM_DIR, false);
    run(s, total);
    const size_t depth = s.HistoryDepth();
    EXPECT_LT(depth, total);
    EXPECT_GT(depth, total / 10);
    for (size_t k = 0; k < depth; ++k)
        ASSERT_TRUE(s.StepBack()) << k;
    EXPECT_FALSE(s.StepBack());
    TSession fresh(ORLEK_PROGRAM_DIR, false);
    run(fresh, total - depth);
    ExpectSameBoard(TObservedBoard::Of(s), TObservedBoard::Of(fresh));
}

// Every shipped board's program passes its exercise (examples/boards/NAME-naloga.json) in both
// processor models (the board's time is cycles / E in each), and a variant with one mistake
// fails it with the board check that shows the mistake.
TEST(BoardExerciseTest, ShippedProgramsPassTheirExercisesAndAWrongVariantFails) {
    const struct {
        const char* name;
        const char* correct; // a piece of the program ...
        const char* wrong;   // ... and the mistake that replaces it
        const char *what, *expected, *actual;
    } cases[] = {
        // The button no longer inverts the lamps.
        {"lucke", "EORA #$0F", "EORA #$00", "lučka \"L0\"", "ugasnjena", "prižgana"},
        // The first digit is selected on P21: every digit one place to the right.
        {"prikazovalnik", "LDAA #$01\n        STAA MESTO", "LDAA #$02\n        STAA MESTO",
         "večmestni prikazovalnik \"DISP\"", "\"1234\"", "\" 123\""},
        // The key goes to the ninth place of the second row.
        {"tipkovnica", "LDAA #$C7 ", "LDAA #$C8 ", "LCD \"LCD\", vrstica 2", "\"Tipka: 5\"", "\"Tipka:  5\""},
        // The countdown starts at 8.
        {"semafor", "LDAA #9 ", "LDAA #8 ", "sedemsegmentni prikazovalnik \"CAS\"", "\"9\"", "\"8\""},
    };
    for (const TProcessorModel model : {TProcessorModel::Classic, TProcessorModel::Chip})
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + std::string(ModelName(model)));
            const TExerciseRead read = ReadExerciseFile(std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" +
                                                        c.name + "-naloga.json");
            ASSERT_TRUE(read.Ok()) << read.Message();
            ASSERT_TRUE(read.Exercise->Board.has_value());
            std::string program = ExampleBoardText(std::string(c.name) + ".asm");
            TSession session(ORLEK_PROGRAM_DIR, false);
            session.SetModel(model);
            const TExerciseResult passed = CheckProgram(session, *read.Exercise, Source(program));
            EXPECT_TRUE(passed.Passed()) << passed.PassedCount() << " of " << passed.Total();
            for (const TCheckpointResult& checkpoint : passed.Checkpoints)
                EXPECT_TRUE(checkpoint.Reached) << checkpoint.Where;

            const size_t at = program.find(c.correct);
            ASSERT_NE(at, std::string::npos);
            program.replace(at, std::string(c.correct).size(), c.wrong);
            session.Stop();
            const TExerciseResult failed = CheckProgram(session, *read.Exercise, Source(program));
            EXPECT_TRUE(failed.Loaded);
            EXPECT_FALSE(failed.Passed());
            bool shown = false;
            for (const TCheckpointResult& checkpoint : failed.Checkpoints)
                for (const TExpectationResult& e : checkpoint.Results)
                    shown = shown || (!e.Passed && e.What == c.what && e.Expected == c.expected &&
                                      e.Actual == c.actual);
            EXPECT_TRUE(shown) << c.what << ": " << c.expected << " / " << c.actual;
        }
}

// The board of an exercise and what it names are checked when the exercise is read.
TEST(BoardExerciseTest, WrongBoardsAndPartsAreFaultsOfTheExercise) {
    const std::string dir = std::string(ORLEK_SOURCE_DIR) + "/examples/boards";
    const struct {
        const char* text;
        int line;
        const char* fragment;
    } cases[] = {
        {"{\"title\": \"x\", \"checks\": [{\"steps\": 5,\n \"board\": {\"L0\": {\"on\": true}}}]}", 2,
         "naloga nima plošče"},
        {"{\"title\": \"x\",\n \"board\": \"ni.json\", \"checks\": [{\"at\": \"K\"}]}", 2,
         "plošča \"ni.json\": datoteke plošče ni mogoče odpreti"},
        {"{\"title\": \"x\", \"board\": \"lucke.json\", \"checks\": [{\"steps\": 5,\n \"board\": {\"L9\": "
         "{}}}]}",
         2, "plošča nima dela \"L9\""},
        {"{\"title\": \"x\", \"board\": \"lucke.json\", \"checks\": [{\"steps\": 5, \"board\": {\"L0\":\n "
         "{\"text\": "
         "\"8\"}}}]}",
         2, "lučka \"L0\" nima ključa \"text\" (ima: \"on\")"},
        {"{\"title\": \"x\", \"board\": \"prikazovalnik.json\", \"checks\": [{\"steps\": 5, \"board\": "
         "{\"DISP\":\n "
         "{\"text\": \"123\"}}}]}",
         2, "ima 4 mest"},
        {"{\"title\": \"x\", \"board\": \"tipkovnica.json\", \"checks\": [{\"steps\": 5, \"board\": "
         "{\"LCD\":\n "
         "{\"cursor\": [2, 0]}}}]}",
         2, "od 0 do 1"},
        {"{\"title\": \"x\", \"board\": \"lucke.json\", \"checks\": [{\"at\": \"K\"}],\n \"stimuli\": "
         "[{\"step\": 3, "
         "\"press\": \"S0\"}]}",
         2, "\"S0\" je stikalo, ne tipka"},
        {"{\"title\": \"x\", \"board\": \"lucke.json\", \"checks\": [{\"at\": \"K\"}],\n \"stimuli\": "
         "[{\"step\": 3, "
         "\"switch\": \"S0\"}]}",
         2, "potrebuje ključ \"on\""},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\"}],\n \"stimuli\": [{\"step\": 3, \"release\": "
         "\"5\"}]}",
         2, "naloga nima plošče"},
    };
    for (const auto& c : cases) {
        const TExerciseRead read = ParseExercise(c.text, dir);
        ASSERT_FALSE(read.Ok()) << c.text;
        EXPECT_EQ(read.Line, c.line) << c.text << "\n" << read.Message();
        EXPECT_NE(read.Error.find(c.fragment), std::string::npos) << c.text << "\n" << read.Message();
    }
}
