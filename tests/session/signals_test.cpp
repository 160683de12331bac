// The logic analyser's recorder: changes only, bounded, rewound by reverse step; the signal
// names; the Value Change Dump read back.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "session/session.h"
#include "session/signals.h"
#include "tests/session/sourcelines.h"

namespace {

// The edges of one signal in a VCD text: the times at which its value changed, after the first.
std::vector<uint64_t> VcdEdges(const std::string& vcd, const std::string& name) {
    std::istringstream in(vcd);
    std::string line, id;
    uint64_t time = 0;
    bool dumping = false;
    std::vector<uint64_t> edges;
    while (std::getline(in, line)) {
        if (line.rfind("$var wire 1 ", 0) == 0) {
            std::istringstream var(line.substr(12));
            std::string varId, varName;
            var >> varId >> varName;
            if (varName == name) id = varId;
        } else if (line == "$dumpvars") {
            dumping = true;
        } else if (line == "$end") {
            dumping = false;
        } else if (!line.empty() && line[0] == '#') {
            time = std::stoull(line.substr(1));
        } else if (!dumping && line.size() > 1 && (line[0] == '0' || line[0] == '1') &&
                   line.substr(1) == id) {
            edges.push_back(time);
        }
    }
    return edges;
}

std::string SquareWave(int nops) {
    std::string text = "       org $1000\n"
                       "start  ldaa #$01\n"
                       "       staa $00\n"
                       "       clrb\n"
                       "loop   eorb #$01\n"
                       "       stab $02\n";
    for (int i = 0; i < nops; ++i)
        text += "       nop\n";
    return text + "       bra loop\n       org $fffe\n       fdb start\n       end\n";
}

class SignalsTest : public ::testing::Test {
protected:
    SignalsTest() : session(ORLEK_PROGRAM_DIR, false) { session.Machine().Random.Seed(7); }
    void Load(const std::string& text) {
        session.SetSignalRecording(true);
        ASSERT_TRUE(session.LoadProgram(Source(text)).Ok);
    }
    TSession session;
};

} // namespace

TEST(SignalRecorderTest, KeepsChangesOnly) {
    struct Case {
        std::vector<std::pair<uint64_t, uint32_t>> samples;
        std::vector<std::pair<uint64_t, uint32_t>> kept;
    };
    const Case cases[] = {
        {{{0, 1}, {1, 1}, {2, 1}}, {{0, 1}}}, // no change after the first
        {{{0, 0}, {3, 1}, {4, 1}, {9, 0}}, {{0, 0}, {3, 1}, {9, 0}}},
        {{{0, 0}, {5, 1}, {5, 2}}, {{0, 0}, {5, 2}}}, // the same time: the last one wins
        {{{0, 0}, {5, 1}, {5, 0}}, {{0, 0}}},         // and a change taken back is none
    };
    for (const Case& c : cases) {
        TSignalRecorder recorder;
        for (auto [time, levels] : c.samples)
            recorder.Sample(time, levels);
        std::vector<std::pair<uint64_t, uint32_t>> kept;
        for (size_t i = 0; i < recorder.Count(); ++i)
            kept.emplace_back(recorder.At(i).Time, recorder.At(i).Levels);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(recorder.Now(), c.samples.back().first);
    }
}

TEST(SignalRecorderTest, BoundedKeepsTheNewestAndCountsTheDropped) {
    TSignalRecorder recorder(4);
    for (uint32_t t = 0; t < 10; ++t)
        recorder.Sample(t, t);
    EXPECT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.Dropped(), 6u);
    EXPECT_EQ(recorder.At(0).Time, 6u);
    EXPECT_EQ(recorder.LevelsAt(8), 8u);
    // Rewinding a full ring and going on keeps the order.
    recorder.Rewind(8, 8);
    recorder.Sample(9, 1);
    EXPECT_EQ(recorder.Count(), 4u);
    EXPECT_EQ(recorder.At(3).Levels, 1u);
}

TEST(SignalRecorderTest, FindsEdgesOfOneSignal) {
    TSignalRecorder recorder;
    for (auto [time, levels] : std::vector<std::pair<uint64_t, uint32_t>>{{0, 0}, {4, 2}, {6, 3}, {10, 1}})
        recorder.Sample(time, levels);
    EXPECT_EQ(recorder.NextEdge(0, 0), 6u);
    EXPECT_EQ(recorder.NextEdge(1, 4), 10u);
    EXPECT_EQ(recorder.NextEdge(0, 6), std::nullopt);
    EXPECT_EQ(recorder.PreviousEdge(1, 10), 4u);
    EXPECT_EQ(recorder.PreviousEdge(0, 6), std::nullopt);
}

TEST(SignalNamesTest, SelectsByListAndBoard) {
    TBoardConfig board;
    TBoardPart lcd;
    lcd.Kind = TPartKind::Lcd;
    lcd.Name = "LCD";
    lcd.E = {2, 2};
    lcd.Rs = {2, 3};
    lcd.Data = {{1, 4}, {1, 5}, {1, 6}, {1, 7}};
    board.Parts.push_back(lcd);
    struct Case {
        const char* list;
        std::vector<std::string> names; // empty: refused
    };
    const Case cases[] = {
        {"p10, irq,TDRE", {"P10", "IRQ", "TDRE"}},
        {"P2", {"P20", "P21", "P22", "P23", "P24"}},
        {"lcd.e,LCD.D7,P22", {"LCD.E", "LCD.D7", "P22"}},
        {"P18", {}},
        {"LCD.RW", {}}, // this LCD has no R/W line
    };
    for (const Case& c : cases) {
        std::string error;
        const auto chosen = SelectSignals(c.list, &board, error);
        std::vector<std::string> names;
        if (chosen)
            for (const TSignal& s : *chosen)
                names.push_back(s.Name);
        EXPECT_EQ(names, c.names) << c.list;
        EXPECT_EQ(error.empty(), chosen.has_value()) << c.list;
    }
    std::string error;
    const auto all = SelectSignals("", &board, error);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), size_t{kChipSignals} + 6);
    EXPECT_EQ(all->at(kChipSignals).Name, "LCD.E");
    EXPECT_EQ(all->at(kChipSignals).Bit, 10); // P22
}

TEST_F(SignalsTest, SquareWaveReadsBackWithItsPeriod) {
    for (int nops : {0, 1, 4}) {
        session.Stop();
        Load(SquareWave(nops));
        session.Run(200);
        const std::string vcd = VcdText(*session.Signals(), {{"P10", 0}, {"P11", 1}}, 0);
        const std::vector<uint64_t> edges = VcdEdges(vcd, "P10");
        ASSERT_GE(edges.size(), 10u) << vcd;
        for (size_t i = 1; i < edges.size(); ++i)
            EXPECT_EQ(edges[i] - edges[i - 1], uint64_t(3 + nops)) << "nops " << nops << " edge " << i;
        EXPECT_TRUE(VcdEdges(vcd, "P11").empty());
        EXPECT_NE(vcd.find("#200\n"), std::string::npos); // the recording goes on to the last step
    }
}

TEST_F(SignalsTest, ReverseStepRewindsTheRecording) {
    Load(SquareWave(2));
    std::vector<TSignal> p10{{"P10", 0}};
    session.Run(13);
    const std::string at13 = VcdText(*session.Signals(), p10, 0);
    session.Run(20);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(session.StepBack());
    EXPECT_EQ(session.Steps(), 13u);
    EXPECT_EQ(VcdText(*session.Signals(), p10, 0), at13);
}

TEST(SignalVcdTest, TimescaleFollowsTheClock) {
    TSignalRecorder recorder;
    recorder.Sample(0, 0);
    recorder.Sample(3, 1);
    const std::vector<TSignal> p10{{"P10", 0}};
    struct Case {
        uint64_t hz;
        const char* timescale;
        const char* lastStamp;
    };
    const Case cases[] = {
        {0, "$timescale 1 us $end", "#3\n"},         // steps
        {1'000'000, "$timescale 1 us $end", "#3\n"}, // one cycle a microsecond
        {10'000'000, "$timescale 100 ns $end", "#3\n"},
        {1'228'800, "$timescale 1 ns $end", "#2441\n"}, // 3 cycles of 813.8 ns
    };
    for (const Case& c : cases) {
        const std::string vcd = VcdText(recorder, p10, c.hz);
        EXPECT_NE(vcd.find(c.timescale), std::string::npos) << vcd;
        EXPECT_NE(vcd.find(c.lastStamp), std::string::npos) << vcd;
    }
}

TEST(SignalVcdTest, SpansInStepsOrCycles) {
    const std::pair<std::pair<uint64_t, uint64_t>, const char*> cases[] = {
        {{1, 0}, "1 korak"},
        {{2, 0}, "2 koraka"},
        {{4, 0}, "4 koraki"},
        {{11, 0}, "11 korakov"},
        {{102, 0}, "102 koraka"},
        {{60, 1'228'800}, "60 ciklov = 48,8 µs"},
        {{1, 1'000'000}, "1 cikel = 1,0 µs"},
    };
    for (const auto& [in, text] : cases)
        EXPECT_EQ(TimeSpanText(in.first, in.second), text);
}
