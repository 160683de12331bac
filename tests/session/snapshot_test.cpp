// Snapshots: the session written to a file and read back exactly, a run continued from one ends
// on the board of a run that was never interrupted, and files that are damaged, foreign, newer
// or do not fit together are refused with a message.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "session/scenario.h"
#include "session/snapshot.h"
#include "tests/session/boardstate.h"
#include "tests/session/sourcelines.h"

namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TSnapshotCase {
    const char* Name;
    std::string Program; // a file
    std::string Board;   // a board file, or none
    uint64_t Split, Total;
    TProcessorModel Model = TProcessorModel::Classic;
};

const TSnapshotCase kCases[] = {
    {"devices", std::string(ORLEK_TEST_DATA) + "/session/devices.asm", "", 733, 2000},
    {"board", std::string(ORLEK_SOURCE_DIR) + "/examples/boards/lucke.asm",
     std::string(ORLEK_SOURCE_DIR) + "/examples/boards/lucke.json", 301, 900},
    {"chip", std::string(ORLEK_TEST_DATA) + "/session/devices.asm", "", 733, 2000, TProcessorModel::Chip},
};

// A session running the case's program with a trace, stimuli on every device and a fixed seed.
class TRun {
public:
    explicit TRun(const TSnapshotCase& c) : c_(c) {
        session.Machine().Random.Seed(7);
        session.Log.Enabled = false;
        session.SetModel(c.Model);
        if (!c.Board.empty()) {
            EXPECT_TRUE(session.LoadBoardFile(c.Board).Ok());
        }
    }
    void Load() {
        ASSERT_TRUE(session.LoadProgram(TestLines()).Ok);
        session.Machine().Memory.TraceEnabled = true;
        session.Machine().Memory.Trace.Triggers.Add({0x0080, 0, 0xFFFF, 0, 1});
        session.Machine().Memory.Trace.Qualifiers.Add({0x0000, 0, 0xFFE0, 0, 1});
    }
    std::vector<std::string> TestLines() const { return Source(FileText(c_.Program)); }
    // Runs up to step `until` (counted from the load), from step `from` on.
    void Run(uint64_t from, uint64_t until) {
        TScenario scenario(session);
        scenario.ContinueFrom(from);
        scenario.StepLimit = until;
        for (uint64_t step : {uint64_t{400}, uint64_t{1500}})
            if (step > from) scenario.Add(step, TIrqRequest{});
        if (from < 800) scenario.Add(800, TNmiRequest{});
        if (from < 650) scenario.Add(650, TPinToggle{1, 5});
        if (!c_.Board.empty() && from < 500) {
            std::string error;
            const auto input = session.FindBoardInput("S1", TLabBoard::TInputUse::Switch, error);
            ASSERT_TRUE(input) << error;
            scenario.Add(500, TBoardSwitch{*input, true});
        }
        scenario.Run();
    }

    TSession session{ORLEK_PROGRAM_DIR, false};

private:
    const TSnapshotCase& c_;
};

class SnapshotTest : public ::testing::TestWithParam<TSnapshotCase> {};

TEST_P(SnapshotTest, ContinuedRunEndsOnTheBoardOfAnUninterruptedOne) {
    const TSnapshotCase& c = GetParam();
    TRun whole(c), first(c), second(c);
    whole.Load();
    whole.Run(0, c.Total);
    first.Load();
    first.Run(0, c.Split);

    TSnapshot taken = CaptureSnapshot(first.session);
    taken.Source = FileText(c.Program);
    taken.Steps = c.Split;
    taken.Watches = {{"$0080", WatchSize::Byte}, {"START", WatchSize::Word}};
    const TSnapshotRead read = ParseSnapshot(SnapshotToJson(taken));
    ASSERT_TRUE(read.Ok()) << read.Error;
    EXPECT_TRUE(*read.Snapshot == taken) << "the file gives back what was written";

    // The snapshot brings its model; the setting for later loads stays as it was.
    second.session.SetModel(TProcessorModel::Classic);
    std::string error;
    ASSERT_TRUE(ApplySnapshot(second.session, *read.Snapshot, error)) << error;
    EXPECT_EQ(second.session.LoadedModel(), c.Model);
    EXPECT_EQ(second.session.Model(), TProcessorModel::Classic);
    EXPECT_EQ(second.session.State(), RunState::Halted);
    EXPECT_TRUE(second.session.Capture() == first.session.Capture());
    EXPECT_EQ(second.session.PreviousInstruction(), first.session.PreviousInstruction());
    second.Run(c.Split, c.Total);
    ExpectSameBoard(TObservedBoard::Of(whole.session), TObservedBoard::Of(second.session));
}

// A snapshot with its history, opened in a fresh session, steps back past the snapshot's step
// through the same boards as the session it was taken from (interrupts, pin, switch included).
TEST_P(SnapshotTest, ReverseStepGoesOnPastTheSnapshotAsInTheOriginal) {
    const TSnapshotCase& c = GetParam();
    TRun first(c), opened(c), plain(c);
    first.Load();
    first.Run(0, c.Split);
    first.session.Pause();
    TSnapshot taken = CaptureSnapshot(first.session, true);
    taken.Source = FileText(c.Program);
    ASSERT_TRUE(taken.History);
    const TSnapshotRead read = ParseSnapshot(SnapshotToJson(taken));
    ASSERT_TRUE(read.Ok()) << read.Error;
    EXPECT_TRUE(*read.Snapshot == taken) << "the history is read back as written";
    std::string error;
    ASSERT_TRUE(ApplySnapshot(opened.session, *read.Snapshot, error)) << error;
    EXPECT_EQ(opened.session.HistoryDepth(), first.session.HistoryDepth());
    for (uint64_t back = 1; back < c.Split; ++back) {
        ASSERT_TRUE(first.session.StepBack());
        ASSERT_TRUE(opened.session.StepBack()) << "step back " << back;
        if (back % 97 == 1)
            ExpectSameBoard(TObservedBoard::Of(first.session), TObservedBoard::Of(opened.session));
    }
    ExpectSameBoard(TObservedBoard::Of(first.session), TObservedBoard::Of(opened.session));

    taken.History.reset();
    ASSERT_TRUE(ApplySnapshot(plain.session, taken, error)) << error;
    EXPECT_FALSE(plain.session.CanStepBack()) << "without its history a snapshot opens as before";
}

INSTANTIATE_TEST_SUITE_P(Programs, SnapshotTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// A good snapshot's text with one change, and what the reader must say about it.
struct TBadFile {
    const char* What;
    std::string From, To; // replaced once in the text; From empty: the text is To
    const char* Message;
};

TEST(SnapshotFileTest, DamagedForeignNewerAndInconsistentFilesAreRefused) {
    TRun run(kCases[0]);
    run.Load();
    run.Run(0, 100);
    TSnapshot s = CaptureSnapshot(run.session, true);
    s.Source = FileText(kCases[0].Program);
    const std::string good = SnapshotToJson(s);
    ASSERT_TRUE(ParseSnapshot(good).Ok());

    const std::vector<TBadFile> bad = {
        {"truncated", "", good.substr(0, good.size() / 2), "ni veljaven JSON"},
        {"empty", "", "", "ni veljaven JSON"},
        {"foreign JSON", "", "{\"name\": \"Plošča\", \"parts\": []}", "ni datoteka stanja"},
        {"newer", "\"version\": 1", "\"version\": 7", "novejša različica"},
        {"model", "\"model\": \"classic\"", "\"model\": \"z80\"", "\"z80\""},
        {"line tag", "\"lines\": [\n", "\"lines\": [\n[4096, 1, 9999],", "vrstica 9999 ni v izvornem"},
        {"breakpoint", "\"breakpoints\": []", "\"breakpoints\": [5000]", "prekinitvena točka"},
        {"memory", "\"memory\": [\n", "\"memory\": [\n\"00\",", "\"memory\" mora imeti 1024"},
        {"ccr", "\"ccr\": ", "\"ccr\": 1, \"x_\": ", "\"ccr\" mora imeti"},
        {"missing", "\"cycles\": ", "\"cycles_\": ", "manjka \"cycles\""},
        {"board", "\"board\": null", "\"board\": {\"file\": \"\", \"text\": \"{}\", \"state\": {}}",
         "opis plošče"},
        {"history length", "\"devices\": \"", "\"devices\": \"00", "niso cele dolžine"},
        {"history board", "\"board_shadow\": \"\"", "\"board_shadow\": \"00\"", "se ne ujema s ploščo"},
    };
    for (const TBadFile& b : bad) {
        std::string text = b.To;
        if (!b.From.empty()) {
            text = good;
            const size_t at = text.find(b.From);
            ASSERT_NE(at, std::string::npos) << b.What;
            text.replace(at, b.From.size(), b.To);
        }
        const TSnapshotRead read = ParseSnapshot(text);
        EXPECT_FALSE(read.Ok()) << b.What;
        EXPECT_NE(read.Error.find(b.Message), std::string::npos) << b.What << ": " << read.Error;
    }
}

TEST(SnapshotFileTest, ASourceThatNoLongerAssemblesLeavesTheSessionStopped) {
    TRun run(kCases[0]);
    run.Load();
    TSnapshot s = CaptureSnapshot(run.session);
    s.Source = "       org $1000\nstart  nonsense\n";
    s.Board.Machine.Cells.assign(s.Board.Machine.Cells.size(), MemoryCell{});
    run.session.Breakpoints.Add(3);
    std::string error;
    EXPECT_FALSE(ApplySnapshot(run.session, s, error));
    EXPECT_NE(error.find("se ne prevede"), std::string::npos) << error;
    EXPECT_EQ(run.session.State(), RunState::Idle);
    EXPECT_EQ(run.session.Breakpoints.Lines(), std::vector<int>{3});
}

} // namespace
