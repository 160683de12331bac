// The shipped boards with their worked programs: what the parts show while the program runs,
// with time counted by E-clock cycles and by steps of 1 ms.
#include "board/shows.h"
#include "tests/board/program_on_board.h"

namespace {

constexpr uint64_t kMs = 1'000'000;

class ProgramsTest : public ::testing::TestWithParam<TTimeBase> {
protected:
    // A span of simulated time, given for each time base: a step of 1 ms is about a thousand
    // times longer than an instruction's cycles.
    uint64_t Span(uint64_t cyclesMs, uint64_t stepsMs) const {
        return (GetParam() == TTimeBase::Cycles ? cyclesMs : stepsMs) * kMs;
    }
};

std::string Shows(const TProgramOnBoard& run, const std::string& part) {
    return PartShowsText(run.board, run.Part(part), run.Now());
}

// Runs until a part shows `text`, for at most `limit` ns more.
bool RunUntilShows(TProgramOnBoard& run, const std::string& part, const std::string& text, uint64_t limit) {
    const uint64_t end = run.Now() + limit;
    while (Shows(run, part) != text && run.Now() < end)
        run.Run(1);
    return Shows(run, part) == text;
}

TEST_P(ProgramsTest, LampsFollowTheSwitchesAndTheButtonInvertsThem) {
    TProgramOnBoard run("lucke.asm", "lucke.json", GetParam());
    run.Run(50);
    EXPECT_EQ(BoardShowsText(run.board, run.Now())[0], "board L0: off");
    run.Switch("S0", true);
    run.Switch("S2", true);
    run.Run(50);
    EXPECT_EQ(Shows(run, "L0") + Shows(run, "L1") + Shows(run, "L2") + Shows(run, "L3"), "onoffonoff");
    run.Press("T0");
    run.Run(50);
    EXPECT_EQ(Shows(run, "L0") + Shows(run, "L1") + Shows(run, "L2") + Shows(run, "L3"), "offonoffon");
    EXPECT_TRUE(run.board.Conflicts().empty());
}

TEST_P(ProgramsTest, MultiplexedDisplayShowsASteadyNumber) {
    TProgramOnBoard run("prikazovalnik.asm", "prikazovalnik.json", GetParam());
    // Whenever it is looked at, the display shows the whole number: no digit dark, no ghost.
    const uint64_t start = Span(1, 200);
    for (int look = 0; look < 40; ++look) {
        run.RunUntil(start + look * Span(1, 37) / 3);
        ASSERT_EQ(Shows(run, "DISP"), "\"1234\"") << "look " << look << " at " << run.Now();
    }
    // After 1024 rounds the number counts up (the window of the eye being 100 ms, the 4 and
    // the 5 are seen together for a while).
    ASSERT_TRUE(RunUntilShows(run, "DISP", "\"1235\"", Span(600, 100000)));
}

TEST_P(ProgramsTest, KeypadKeyAppearsOnTheLcd) {
    TProgramOnBoard run("tipkovnica.asm", "tipkovnica.json", GetParam());
    ASSERT_TRUE(RunUntilShows(run, "LCD", "\"Pritisni tipko\" \"Tipka:\"", Span(60, 5000)));
    run.Run(200);
    EXPECT_EQ(PartShowsJson(run.board, run.Part("LCD"), run.Now())["cursor"].dump(), "[1,6]");
    run.Press("5");
    EXPECT_TRUE(RunUntilShows(run, "LCD", "\"Pritisni tipko\" \"Tipka: 5\"", Span(10, 2000)));
    run.Release("5");
    run.Run(300);
    run.Press("#");
    EXPECT_TRUE(RunUntilShows(run, "LCD", "\"Pritisni tipko\" \"Tipka: #\"", Span(10, 2000)));
    EXPECT_EQ(Shows(run, "KEY"), "\"#\"");
    EXPECT_EQ(run.board.Current().ConflictsSeen, 0);
}

TEST_P(ProgramsTest, TrafficLightLetsPedestriansCrossAfterARequest) {
    TProgramOnBoard run("semafor.asm", "semafor.json", GetParam());
    const uint64_t unit = Span(1, 405); // a little more than one delay unit
    run.RunUntil(10 * unit);
    EXPECT_EQ(Shows(run, "ZELENA") + Shows(run, "PESCI_STOJ") + Shows(run, "CAS"), "onon\" \"");
    run.Press("ZAHTEVA");
    ASSERT_TRUE(RunUntilShows(run, "RUMENA", "on", 3 * unit));
    run.Release("ZAHTEVA");
    ASSERT_TRUE(RunUntilShows(run, "PESCI_POJDI", "on", 5 * unit));
    run.Run(4);
    EXPECT_EQ(Shows(run, "RDECA") + Shows(run, "CAS"), "on\"9\" abcdfg");
    ASSERT_TRUE(RunUntilShows(run, "CAS", "\"0\" abcdef", 12 * unit));
    ASSERT_TRUE(RunUntilShows(run, "ZELENA", "on", 5 * unit));
    EXPECT_EQ(Shows(run, "PESCI_STOJ") + Shows(run, "CAS"), "on\" \"");
    // Without a request the cars keep their green.
    run.RunUntil(run.Now() + 20 * unit);
    EXPECT_EQ(Shows(run, "ZELENA"), "on");
}

INSTANTIATE_TEST_SUITE_P(BothTimeBases, ProgramsTest, ::testing::Values(TTimeBase::Cycles, TTimeBase::Steps),
                         [](const auto& info) {
                             return info.param == TTimeBase::Cycles ? "Cycles" : "Steps";
                         });

} // namespace
