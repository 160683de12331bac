// Exercise files: reading them (faults named with their line) and checking programs against them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/session.h"
#include "tests/session/sourcelines.h"

namespace {

TExercise Parse(const std::string& text) {
    const TExerciseRead read = ParseExercise(text);
    EXPECT_TRUE(read.Ok()) << read.Message();
    return read.Ok() ? *read.Exercise : TExercise{};
}

// Every fault of an exercise file is named in Slovenian with the line it stands on.
TEST(ExerciseReadTest, FaultsNameTheirLine) {
    const struct {
        const char* text;
        int line;
        const char* fragment;
    } cases[] = {
        {"{\n \"title\": \"x\",\n \"checks\": [\n  {\"steps\": 10 \"registers\": {}}\n ]\n}", 4,
         "napaka v zapisu JSON pri »\"registers\"«"},
        {"{\"title\": \"x\",\n  \"checks\": [}", 2, "napaka v zapisu JSON pri »}«"},
        {"{\"title\": \"x\",\n  \"checks\": tru}", 2, "pri »tru}«"},
        {"{\n \"title\": \"x\",\n \"checks\": [\n", 4, "nepričakovano konča"},
        {"{\"title\": \"x\",\n \"chekcs\": []}", 2, "neznan ključ \"chekcs\""},
        {"{\"checks\": [{\"steps\": 1, \"registers\": {\"A\": 1}}]}", 1, "nima naslova"},
        {"{\"title\": \"x\",\n \"checks\": [\n  {\"steps\": \"deset\"}]}", 3,
         "\"steps\" mora biti celo število"},
        {"{\"title\": \"x\", \"checks\": [{\"steps\": 5,\n \"registers\": {\n \"A\": 300}}]}", 3,
         "300 ni bajt"},
        {"{\"title\": \"x\", \"checks\": [{\"steps\": 5,\n \"registers\": {\"Q\": 1}}]}", 2,
         "neznan register"},
        {"{\"title\": \"x\", \"checks\": [{\"steps\": 5,\n \"pins\": {\"1.8\": 1}}]}", 2,
         "nožica \"1.8\" ne obstaja"},
        {"{\"title\": \"x\", \"checks\": [{\"steps\": 5, \"stays_in_code\": true},\n {\"steps\": 5, "
         "\"stays_in_code\": true}]}",
         2, "mora priti za tistim po 5 korakih"},
        {"{\"title\": \"x\", \"checks\": [\n {\"steps\": 5, \"at\": \"KONEC\"}]}", 2,
         "natanko enega od ključev \"at\""},
        {"{\"title\": \"x\",\n \"title\": \"y\", \"checks\": []}", 2,
         "ključ \"title\" je v istem objektu podan dvakrat"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\"}],\n \"stimuli\": [{\"step\": 3, \"send\": "
         "\"\u20ac\u263a\"}]}",
         2, "kodna tabela Windows-1250 nima"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\"}],\n \"stimuli\": [{\"step\": 3, \"irq\": true, "
         "\"nmi\": true}]}",
         2, "natanko enega od ključev \"irq\""},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"memory\": [{\"address\": \"$80\", \"bytes\": "
         "[1, \"T\"]}]}]}",
         2, "samo števila"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"memory\": [{\"address\": 1, \"bytes\": [1, "
         "2.5]}]}]}",
         2, "\"bytes[1]\" mora biti število"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"within\": 99999999999}]}", 2,
         "od 1 do 10000000"},
        {"[1, 2]", 1, "Naloga mora biti objekt"},
        // A label offset means what it means in an operand; what the assembler would read
        // otherwise than it looks is refused.
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"registers\": {\"X\": \"TABELA+200\"}}]}", 2,
         "ni desetiško število od -128 do 127"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"registers\": {\"X\": \"TABELA+$10\"}}]}", 2,
         "ni desetiško število od -128 do 127"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"registers\": {\"X\": \"TABELA+0\"}}]}", 2,
         "odmik 0"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"registers\": {\"X\": \"ZELODOLGAOZNAKA+1\"}}]}",
         2, "prvih 15 znakov"},
        // Grading and budgets.
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"points\": -1}]}", 2,
         "\"points\" mora biti število točk od 0 do 1000"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"points\": \"dve\"}]}", 2,
         "\"points\" mora biti število točk"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"hidden\": \"da\"}]}", 2,
         "\"hidden\" mora biti true ali false"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"max_code_bytes\": 70000}]}", 2,
         "\"max_code_bytes\": število 70000 ni od 0 do 65536"},
        {"{\"title\": \"x\", \"checks\": [{\"at\": \"K\",\n \"max_steps\": 1.5}]}", 2,
         "\"max_steps\" mora biti celo število"},
    };
    for (const auto& c : cases) {
        const TExerciseRead read = ParseExercise(c.text);
        ASSERT_FALSE(read.Ok()) << c.text;
        EXPECT_EQ(read.Line, c.line) << c.text << "\n" << read.Message();
        EXPECT_NE(read.Error.find(c.fragment), std::string::npos) << c.text << "\n" << read.Message();
        EXPECT_EQ(read.Message().rfind("vrstica " + std::to_string(c.line), 0), 0u) << read.Message();
    }
}

TEST(ExerciseReadTest, ReadsStimuliAndExpectationsInFileOrder) {
    const TExercise x = Parse(R"({
        // comments are allowed
        "title": "Odmev", "description": ["prva", "druga"], "seed": 7, "sci_every": 30,
        "stimuli": [{"step": 40, "pin": "P17"}, {"step": 20, "send": [65, "$42"]}, {"step": 9, "nmi": true}],
        "checks": [
          {"at": "konec", "hit": 2, "within": 500,
           "memory": [{"address": "tabela+2", "word": "%1010"}],
           "registers": {"pc": "Konec", "A": -1, "z": true}},
          {"steps": 900, "sci_out": "AB", "pins": {"2.1": 0}, "stays_in_code": true, "max_cycles": 50}
        ]})");
    EXPECT_EQ(x.Description, "prva\ndruga");
    EXPECT_EQ(x.Seed, 7u);
    EXPECT_EQ(x.Clock.SciEvery, 30u);
    EXPECT_EQ(x.Clock.TimerEvery, 5u);
    ASSERT_EQ(x.Stimuli.size(), 3u);
    EXPECT_EQ(std::get<TPinToggle>(x.Stimuli[0].Action).Bit, 7);
    EXPECT_EQ(std::get<TSerialSend>(x.Stimuli[1].Action).Bytes, (std::vector<uint8_t>{0x41, 0x42}));
    EXPECT_TRUE(std::holds_alternative<TNmiRequest>(x.Stimuli[2].Action));

    ASSERT_EQ(x.Checkpoints.size(), 2u);
    const TCheckpoint& at = x.Checkpoints[0];
    EXPECT_EQ(at.Label, "KONEC");
    EXPECT_EQ(at.Hit, 2u);
    EXPECT_EQ(at.Within, 500u);
    using K = TExpectation::Kind;
    ASSERT_EQ(at.Expectations.size(), 4u);
    EXPECT_EQ(at.Expectations[0].What, K::Word);
    EXPECT_EQ(at.Expectations[0].Address.Label, "TABELA");
    EXPECT_EQ(at.Expectations[0].Address.Number, 2);
    EXPECT_EQ(at.Expectations[0].Value.Number, 10);
    EXPECT_EQ(at.Expectations[1].Register, CpuRegister::PC);
    EXPECT_EQ(at.Expectations[1].Value.Label, "KONEC");
    EXPECT_EQ(at.Expectations[2].Value.Number, -1);
    EXPECT_EQ(at.Expectations[3].What, K::Flag);

    const TCheckpoint& steps = x.Checkpoints[1];
    EXPECT_EQ(steps.Steps, 900u);
    ASSERT_EQ(steps.Expectations.size(), 4u);
    EXPECT_EQ(steps.Expectations[0].What, K::SciOut);
    EXPECT_EQ(steps.Expectations[1].What, K::Pin);
    EXPECT_EQ(steps.Expectations[1].Port, 2);
    EXPECT_EQ(steps.Expectations[2].What, K::StaysInCode);
    EXPECT_EQ(steps.Expectations[3].Limit, 50u);
}

TEST(ExerciseReadTest, BadJsonNamesTheColumnOfItsToken) {
    const TExerciseRead read =
        ParseExercise("{\n \"title\": \"x\",\n \"checks\": [\n  {\"steps\": 10 \"registers\": {}}]}");
    EXPECT_EQ(read.Message(),
              "vrstica 4, stolpec 16: napaka v zapisu JSON pri »\"registers\"« (manjka vejica, "
              "narekovaj ali zaklepaj?)");
}

TEST(ExerciseReadTest, OversizedAndDeeplyNestedTextsAreRefused) {
    EXPECT_EQ(ParseExercise(std::string(300'000, ' ')).Message(), "naloga je prevelika (več kot 256 KiB)");
    const TExerciseRead deep = ParseExercise("{\"title\": \"x\",\n \"checks\": " + std::string(100, '[') +
                                             std::string(100, ']') + "}");
    EXPECT_EQ(deep.Message(), "vrstica 2: naloga je pregloboko gnezdena (več kot 32 ravni)");
}

TEST(ExerciseReadTest, UnreadableFilesAreRefused) {
    TExerciseRead read = ReadExerciseFile("/nonexistent/naloga.json");
    EXPECT_FALSE(read.Ok());
    EXPECT_EQ(read.Message().rfind("datoteke ni mogoče odpreti (", 0), 0u) << read.Message();
    read = ReadExerciseFile(ORLEK_TEST_DATA);
    EXPECT_EQ(read.Message(), "to je mapa, ne datoteka z nalogo");
}

class ExerciseCheckTest : public ::testing::Test {
protected:
    ExerciseCheckTest() : session(ORLEK_PROGRAM_DIR, false) { session.Machine().Random.Seed(1); }

    TExerciseResult Check(const std::string& program, const std::string& exercise) {
        return CheckProgram(session, Parse(exercise), Source(program));
    }

    TSession session;
};

// P21 goes high, an 'O' is sent, B counts down three times, D ends as $0034, and the program then
// waits in KONEC.
const char* const kProgram = "        org $1000\n"
                             "start   lds #$00ff\n"
                             "        ldaa #$02          P21 is an output\n"
                             "        staa $01\n"
                             "        staa $03\n"
                             "        staa $11           TE\n"
                             "        ldaa #'O'\n"
                             "        staa $13\n"
                             "        ldab #3\n"
                             "zanka   decb\n"
                             "        bne zanka\n"
                             "        ldd #$1234\n"
                             "        std vrednost\n"
                             "        clra\n"
                             "konec   bra konec\n"
                             "vrednost fdb 0\n"
                             "        org $fffe\n"
                             "        fdb start\n";

TEST_F(ExerciseCheckTest, EveryKindOfExpectationPassesAndFailsWithItsActualValue) {
    const TExerciseResult r = Check(kProgram, R"({"title": "t", "checks": [
        {"at": "ZANKA", "hit": 3, "registers": {"B": 1, "PC": "zanka"}},
        {"at": "KONEC", "registers": {"A": 0, "D": "$0034", "Z": 1, "X": 5, "C": 1},
         "memory": [{"address": "vrednost", "word": "$1234"}, {"address": "vrednost+1", "byte": "$34"},
                    {"address": "vrednost", "bytes": [18, 52]}, {"address": "$1000", "byte": 0},
                    {"address": "manjka", "byte": 0}],
         "pins": {"P21": 1, "2.2": 1}, "stays_in_code": true},
        {"steps": 5000, "sci_out": "O"},
        {"steps": 5001, "sci_out": "OK"}]})");
    ASSERT_TRUE(r.Loaded);
    const struct {
        size_t checkpoint, index;
        bool passed;
        const char* actual;
    } expected[] = {
        {0, 0, true, "da, v koraku 12"},
        {0, 1, true, "$01"},
        {0, 2, true, "$1011"},
        {1, 0, true, "da"},
        {1, 1, true, "$00"},
        {1, 2, true, "$0034"},
        {1, 3, true, "1"},
        {1, 4, false, "$0000"},
        {1, 5, false, "0"},
        {1, 6, true, "$1234"},
        {1, 7, true, "$34"},
        {1, 8, true, "12 34"},
        {1, 9, false, "$8E"},
        {1, 10, false, "ni preverjeno"},
        {1, 11, true, "1"},
        {1, 12, false, "0"},
        {1, 13, true, "da"},
        {2, 0, true, "4F (\"O\")"},
        {3, 0, false, "4F (\"O\")"},
    };
    ASSERT_EQ(r.Checkpoints.size(), 4u);
    for (const auto& e : expected) {
        ASSERT_LT(e.index, r.Checkpoints[e.checkpoint].Results.size());
        const TExpectationResult& got = r.Checkpoints[e.checkpoint].Results[e.index];
        EXPECT_EQ(got.Passed, e.passed) << got.What;
        EXPECT_EQ(got.Actual.rfind(e.actual, 0), 0u) << got.What << ": " << got.Actual;
    }
    EXPECT_EQ(r.Checkpoints[1].Results[10].What, "bajt na manjka (program nima te oznake)");
    EXPECT_EQ(r.Total(), 19u);
    EXPECT_EQ(r.PassedCount(), 13u);
    EXPECT_FALSE(r.Passed());
    // The state stays for inspection: halted in KONEC, the run not logged.
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_EQ(session.Cpu().PC, 0x101B);
    EXPECT_EQ(r.Steps, 5001u);
}

TEST_F(ExerciseCheckTest, CheckpointsNotReachedLeaveTheirExpectationsUnchecked) {
    const TExerciseResult r = Check(kProgram, R"({"title": "t", "checks": [
        {"at": "nikjer", "registers": {"A": 0}},
        {"at": "start", "within": 100, "registers": {"A": 0}},
        {"at": "zanka", "hit": 4, "within": 50},
        {"steps": 20, "registers": {"A": 0}}]})");
    ASSERT_EQ(r.Checkpoints.size(), 4u);
    EXPECT_EQ(r.Checkpoints[0].Results[0].Actual, "ne: program nima te oznake");
    EXPECT_EQ(r.Checkpoints[1].Results[0].Actual, "ne v 100 korakih");
    EXPECT_EQ(r.Checkpoints[1].Results[1].Actual, "ni preverjeno");
    // The loop passes ZANKA only three times, all of them within the 100 steps above.
    EXPECT_EQ(r.Checkpoints[2].Results[0].Actual, "ne v 50 korakih");
    // The checkpoints at labels took the run past step 20.
    EXPECT_EQ(r.Checkpoints[3].Results[0].Actual, "ne: program je že v koraku 150");
    EXPECT_EQ(r.Checkpoints[3].Results[1].Actual, "ni preverjeno");
    EXPECT_EQ(r.PassedCount(), 0u);
}

TEST_F(ExerciseCheckTest, LeavingTheCodeEndsTheRunAndFailsStaysInCode) {
    const TExerciseResult r =
        Check("        org $1000\nstart   ldab #3\n        nop\n        org $fffe\n        fdb start\n",
              R"({"title": "t", "checks": [
        {"steps": 100, "registers": {"B": 3}, "stays_in_code": true},
        {"at": "start", "registers": {"B": 3}}]})");
    ASSERT_EQ(r.Checkpoints.size(), 2u);
    EXPECT_EQ(r.Checkpoints[0].Steps, 2u);
    EXPECT_TRUE(r.Checkpoints[0].Results[0].Passed);
    EXPECT_EQ(r.Checkpoints[0].Results[1].Actual, "ne: v koraku 2 je skočil na $1003");
    EXPECT_EQ(r.Checkpoints[1].Results[0].Actual, "ne: program je zapustil kodo v koraku 2");
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"Kam pa sedaj?"}));
    EXPECT_EQ(session.State(), RunState::Idle);
}

TEST_F(ExerciseCheckTest, CyclesAreCountedFromTheInstructionTable) {
    // LDAB # 2 cycles, then three times DECB 2 and BNE 3: 17 cycles up to KONEC.
    const std::string program = "        org $1000\nstart   ldab #3\nzanka   decb\n        bne zanka\n"
                                "konec   bra konec\n        org $fffe\n        fdb start\n";
    for (const auto& [limit, passed] : {std::pair{17, true}, std::pair{16, false}}) {
        session.Stop();
        const TExerciseResult r =
            Check(program, R"({"title": "t", "checks": [{"at": "konec", "max_cycles": )" +
                               std::to_string(limit) + "}]}");
        ASSERT_EQ(r.Checkpoints.size(), 1u);
        EXPECT_EQ(r.Checkpoints[0].Results[1].Actual, "17");
        EXPECT_EQ(r.Checkpoints[0].Results[1].Passed, passed) << limit;
    }
}

TEST_F(ExerciseCheckTest, CheckpointsEarnTheirPointsAndBudgetsBoundStepsAndSize) {
    // 17 steps and 31 bytes of code (the vector not counted) up to KONEC.
    const TExercise x = Parse(R"({"title": "t", "checks": [
        {"at": "zanka", "points": 0.5, "registers": {"B": 3}},
        {"at": "konec", "points": 2, "hidden": true, "max_steps": 17, "max_code_bytes": 31},
        {"at": "konec", "within": 1, "max_steps": 17},
        {"steps": 100, "max_code_bytes": 30, "registers": {"A": 0}}]})");
    EXPECT_TRUE(x.Scored);
    EXPECT_EQ(x.MaxPoints(), 4.5);
    const TExerciseResult r = CheckProgram(session, x, Source(kProgram));
    ASSERT_EQ(r.Checkpoints.size(), 4u);
    const bool passed[] = {true, true, false, false};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(r.Checkpoints[i].Passed(), passed[i]) << i;
    EXPECT_TRUE(r.Checkpoints[1].Hidden);
    EXPECT_EQ(r.Checkpoints[1].Results[1].Actual, "17");
    EXPECT_EQ(r.Checkpoints[1].Results[2].Actual, "31");
    EXPECT_EQ(r.Checkpoints[2].Results[1].Actual, "18");
    EXPECT_EQ(r.CheckpointsPassed(), 2u);
    EXPECT_EQ(r.Points(), 2.5);
    EXPECT_EQ(PointsSummary(x, r), "Točke: 2,5 od 4,5.");
}

TEST_F(ExerciseCheckTest, LimitsEndTheRunAndSaySo) {
    TCheckLimits limits;
    limits.MaxSteps = 10;
    const TExerciseResult r = CheckProgram(
        session,
        Parse(R"({"title": "t", "checks": [{"at": "konec"}, {"steps": 500, "registers": {"A": 0}}]})"),
        Source(kProgram), limits);
    ASSERT_EQ(r.Checkpoints.size(), 2u);
    EXPECT_EQ(r.Checkpoints[0].Results[0].Actual, "ne: preverjanje je doseglo mejo 10 korakov");
    EXPECT_FALSE(r.Checkpoints[1].Reached);
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"Preverjanje je doseglo mejo 10 korakov."}));
}

TEST_F(ExerciseCheckTest, StimuliArriveAtTheirSteps) {
    // The IRQ handler counts in $80; the request comes before step 3 and is taken after it.
    const TExerciseResult r = Check("        org $1000\n"
                                    "start   lds #$00ff\n"
                                    "        cli\n"
                                    "zanka   bra zanka\n"
                                    "irq     inc $80\n"
                                    "        rti\n"
                                    "        org $fff8\n"
                                    "        fdb irq\n"
                                    "        org $fffe\n"
                                    "        fdb start\n",
                                    R"({"title": "t", "stimuli": [{"step": 3, "irq": true}], "checks": [
        {"steps": 2, "memory": [{"address": "$80", "byte": 0}]},
        {"at": "irq", "within": 1, "registers": {"I": 1}},
        {"steps": 50, "memory": [{"address": "$80", "byte": 1}]}]})");
    EXPECT_TRUE(r.Passed()) << r.PassedCount() << " of " << r.Total();
}

TEST_F(ExerciseCheckTest, AFailedAssemblyRunsNothing) {
    const TExerciseResult r =
        Check("        org $1000\nstart   frob\n", R"({"title": "t", "checks": [{"at": "x"}]})");
    EXPECT_FALSE(r.Loaded);
    EXPECT_FALSE(r.Passed());
    EXPECT_TRUE(r.Checkpoints.empty());
    ASSERT_FALSE(r.Messages.empty());
    EXPECT_EQ(r.Messages.back(), "Simulatorja ne morem zagnati!");
    EXPECT_EQ(session.State(), RunState::Idle);
}

} // namespace

// The check starts from the board a new session has, whatever the student did before: input
// pins clicked, another program that left its outputs set and ran for a while.
TEST(ExerciseStartTest, SameVerdictAfterPinsAndAnotherProgram) {
    const std::string program = "        org $1000\n"
                                "start   ldaa $02\n"
                                "        staa $80\n"
                                "        ldaa $03\n"
                                "        staa $81\n"
                                "konec   bra konec\n"
                                "        org $fffe\n"
                                "        fdb start\n";
    const TExercise exercise = Parse(R"({"title": "t", "seed": 7, "checks": [{"at": "KONEC",
        "memory": [{"address": "$80", "bytes": [0, 0]}],
        "pins": {"P13": 0, "P10": 0, "P22": 0}}]})");
    const auto actuals = [](const TExerciseResult& r) {
        std::vector<std::string> texts;
        for (const TCheckpointResult& c : r.Checkpoints)
            for (const TExpectationResult& e : c.Results)
                texts.push_back(e.What + " = " + e.Actual);
        return texts;
    };
    TSession fresh(ORLEK_PROGRAM_DIR, false);
    const TExerciseResult expected = CheckProgram(fresh, exercise, Source(program));
    ASSERT_TRUE(expected.Passed()) << expected.PassedCount() << " of " << expected.Total();

    TSession used(ORLEK_PROGRAM_DIR, false);
    used.Machine().Port1.TogglePin(3);
    used.Machine().Port2.TogglePin(2);
    ASSERT_TRUE(used.LoadProgram(Source("        org $1000\n"
                                        "start   ldaa #$ff\n"
                                        "        staa $00\n"
                                        "        staa $01\n"
                                        "        staa $02\n"
                                        "        staa $03\n"
                                        "konec   bra konec\n"
                                        "        org $fffe\n"
                                        "        fdb start\n"))
                    .Ok);
    for (int i = 0; i < 20; ++i)
        used.StepOnce();
    used.Stop();
    used.Machine().Port1.TogglePin(0);
    const TExerciseResult again = CheckProgram(used, exercise, Source(program));
    EXPECT_EQ(again.Passed(), expected.Passed());
    EXPECT_EQ(actuals(again), actuals(expected));
}
