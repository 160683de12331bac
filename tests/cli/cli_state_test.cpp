// run --save-state / --load-state: a run cut in two at a snapshot ends exactly where the same run
// without the cut ends, and a snapshot that cannot be used is refused with a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace {

using Args = std::vector<std::string>;

std::string Example(const std::string& name) { return std::string(ORLEK_SOURCE_DIR) + "/examples/" + name; }

struct TCutRun {
    const char* Name;
    std::string Program;
    Args Options; // the same for every part; --steps is added
    int Cut, Total;
};

TEST(CliStateTest, ARunCutAtASnapshotEndsWhereTheWholeRunEnds) {
    const std::vector<TCutRun> runs = {
        {"serial",
         CliData("echo.asm"),
         {"--send", "41@10", "--send", "42@3000", "--mem", "1000:1", "--trigger", "1000,x,W", "--qualifier",
          "xxxx,x,W"},
         1700,
         5000},
        {"devices",
         std::string(ORLEK_TEST_DATA) + "/session/devices.asm",
         {"--irq", "300", "--irq", "900", "--nmi", "1200", "--pin", "2.0@640", "--seed", "5", "--mem",
          "0080:6"},
         777,
         1500},
        {"board",
         Example("boards/lucke.asm"),
         {"--board", Example("boards/lucke.json"), "--switch", "S2=1@50", "--press", "T0@400", "--release",
          "T0@700"},
         333,
         1000},
    };
    TempDir dir;
    for (const TCutRun& run : runs) {
        const std::string state = dir.Path(std::string(run.Name) + ".json");
        const auto command = [&](Args head, int steps) {
            Args args = std::move(head);
            args.insert(args.end(), run.Options.begin(), run.Options.end());
            args.insert(args.end(), {"--steps", std::to_string(steps), "--json"});
            return args;
        };
        const CliResult whole = RunCliInProcess(command({"run", run.Program}, run.Total));
        ASSERT_EQ(whole.exit, 0) << run.Name << whole.err;
        const CliResult first =
            RunCliInProcess(command({"run", run.Program, "--save-state", state}, run.Cut));
        ASSERT_EQ(first.exit, 0) << run.Name << first.err;
        // The board comes with the snapshot.
        Args rest = command({"run", "--load-state", state}, run.Total);
        for (size_t i = 0; i + 1 < rest.size(); ++i)
            if (rest[i] == "--board")
                rest.erase(rest.begin() + static_cast<long>(i), rest.begin() + static_cast<long>(i) + 2);
        const CliResult second = RunCliInProcess(rest);
        ASSERT_EQ(second.exit, 0) << run.Name << second.err;
        // Messages are told by the part of the run that met them.
        nlohmann::json a = ParseJson(whole.out), b = ParseJson(second.out);
        a.erase("messages");
        b.erase("messages");
        EXPECT_EQ(a, b) << run.Name;
    }
}

// A run with --back writes the steps it kept: going on from the file, --back reaches behind the
// snapshot's step to the board the uncut run goes back to.
TEST(CliStateTest, ARunThatKeptItsStepsGoesBackPastTheSnapshot) {
    TempDir dir;
    const std::string state = dir.Path("back.json"),
                      program = std::string(ORLEK_TEST_DATA) + "/session/devices.asm";
    const Args options = {"--irq", "120", "--seed", "5", "--json"};
    const auto run = [&](Args args) {
        args.insert(args.end(), options.begin(), options.end());
        const CliResult result = RunCliInProcess(args);
        EXPECT_EQ(result.exit, 0) << result.err;
        nlohmann::json json = ParseJson(result.out);
        for (const char* key : {"messages", "steps", "back"})
            json.erase(key);
        return json;
    };
    const nlohmann::json whole = run({"run", program, "--steps", "300", "--back", "201"});
    run({"run", program, "--steps", "300", "--back", "1", "--save-state", state});
    EXPECT_EQ(run({"run", "--load-state", state, "--steps", "300", "--back", "201"}), whole);
}

TEST(CliStateTest, UnusableSnapshotsAndMixedSourcesAreRefused) {
    TempDir dir;
    const std::string state = dir.Path("s.json");
    ASSERT_EQ(RunCliInProcess({"run", CliData("counter.asm"), "--steps", "10", "--save-state", state}).exit,
              0);
    const std::string text = ReadFile(state);
    const struct {
        Args Arguments;
        std::string Message;
    } refused[] = {
        {{"run", "--load-state", dir.Path("none.json")}, "ni mogoče odpreti"},
        {{"run", "--load-state", CliData("counter.asm")}, "ni veljaven JSON"},
        {{"run", CliData("counter.asm"), "--load-state", state}, "izvorne datoteke"},
        {{"run", "--load-state", state, "--board", Example("boards/lucke.json")}, "--board ni mogoč"},
        {{"run", "--load-state", state, "--press", "T0@50"}, "ni plošče"},
    };
    for (const auto& r : refused) {
        const CliResult result = RunCliInProcess(r.Arguments);
        EXPECT_EQ(result.exit, 2) << r.Message;
        EXPECT_NE(result.err.find(r.Message), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadFile(state), text) << "a refused run leaves the snapshot as it was";
}

} // namespace
