// orlek-cli run with a lab board: the stimuli of the user's hand, what the board shows in the
// text and the JSON result, and the messages for wrong boards and names.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"

namespace {
std::string Board(const std::string& name) {
    return std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name;
}

std::vector<std::string> BoardLines(const std::string& out) {
    std::vector<std::string> lines;
    for (const std::string& line : SplitLinesLf(out))
        if (line.rfind("board ", 0) == 0) lines.push_back(line);
    return lines;
}
} // namespace

// The same in both processor models.
TEST(CliBoardTest, SwitchesAndAHeldButtonShowOnTheLamps) {
    for (const char* model : {"classic", "chip"}) {
        const CliResult r = RunCliInProcess({"run", Board("lucke.asm"), "--board", Board("lucke.json"),
                                             "--steps", "400", "--switch", "S0=1@10", "--switch", "S2=1@10",
                                             "--press", "T0@200", "--switch=S2=0@300", "--model", model});
        EXPECT_EQ(r.exit, 0) << model << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(BoardLines(r.out),
                  (std::vector<std::string>{"board L0: off", "board L1: on", "board L2: on", "board L3: on",
                                            "board S0: on", "board S1: off", "board S2: off", "board S3: off",
                                            "board T0: pressed"}))
            << model;
    }
}

// In both processor models the LCD's busy time is the cycles' time.
TEST(CliBoardTest, JsonCarriesTheBoardAsTheReportShowsIt) {
    for (const char* model : {"classic", "chip"}) {
        const CliResult r =
            RunCliInProcess({"run", Board("tipkovnica.asm"), "--board", Board("tipkovnica.json"), "--steps",
                             "30000", "--press", "5@20000", "--json", "--model", model});
        EXPECT_EQ(r.exit, 0) << model << r.err;
        const nlohmann::json report = nlohmann::json::parse(r.out);
        EXPECT_EQ(report["board"].dump(),
                  R"({"KEY":{"pressed":"5"},"LCD":{"cursor":[1,8],"lines":["Pritisni tipko","Tipka: 5"]}})")
            << model;
    }
    // The text has the same, one line a part, after the serial output.
    const CliResult text =
        RunCliInProcess({"run", Board("tipkovnica.asm"), "--board", Board("tipkovnica.json"), "--steps",
                         "30000", "--press", "5@20000"});
    EXPECT_EQ(BoardLines(text.out),
              (std::vector<std::string>{"board KEY: \"5\"", "board LCD: \"Pritisni tipko\" \"Tipka: 5\""}));
    // Without a board there is no "board" key.
    const CliResult none = RunCliInProcess({"run", Board("tipkovnica.asm"), "--steps", "10", "--json"});
    EXPECT_FALSE(nlohmann::json::parse(none.out).contains("board"));
}

// Two drivers on one pin are told on the error output, and the run goes on.
TEST(CliBoardTest, PinDrivenTwiceIsWarnedAbout) {
    TempDir temp;
    const std::string board = temp.Path("spor.json");
    std::ofstream(board) << R"({"name": "Spor", "parts": [{"type": "switch", "name": "S0", "pin": "1.0"}]})";
    const std::string program = temp.Path("izhod.asm");
    std::ofstream(program) << "       org $1000\nstart  ldaa #$01\n       staa $00\nloop   bra loop\n"
                              "       org $fffe\n       fdb start\n";
    const CliResult r = RunCliInProcess({"run", program, "--board", board, "--steps", "10"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("opozorilo: plošča: nožico 1.0 hkrati poganjata procesor (izhod) in stikalo \"S0\""),
              std::string::npos)
        << r.err;
}

TEST(CliBoardTest, WrongBoardsAndNamesExitTwoWithAMessage) {
    TempDir temp;
    const std::string bad = temp.Path("napacna.json");
    std::ofstream(bad)
        << "{\"name\": \"X\", \"parts\": [\n  {\"type\": \"led\", \"name\": \"L0\", \"pin\": \"1.9\"}]}";
    const std::string program = Board("lucke.asm"), board = Board("lucke.json");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--press", "T0@5"}, "--press: ni plošče (podajte --board DATOTEKA)"},
        {{"--board", board, "--switch", "S0=2@5"}, "--switch: stikalo je 0 (izklopljeno) ali 1 (vklopljeno)"},
        {{"--board", board, "--switch", "S0@5"}, "--switch: pričakujem IME=0|1@KORAK"},
        {{"--board", board, "--press", "@5"}, "--press: manjka ime tipke"},
        {{"--board", board, "--release", "T0"}, "--release: manjka \"@KORAK\""},
        {{"--board", board, "--press", "T9@5"},
         "--press T9@5: na plošči ni tipke ali tipke tipkovnice \"T9\""},
        {{"--board", board, "--switch", "T0=1@5"}, "--switch T0=1@5: \"T0\" je tipka, ne stikalo"},
        {{"--board", bad}, "plošča \"" + bad + "\": vrstica 2: "},
        {{"--board", temp.Path("ni.json")}, "ni mogoče odpreti"},
        {{"--board", board, "--board", board}, "--board je podan več kot enkrat"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"run", program};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult r = RunCliInProcess(args);
        EXPECT_EQ(r.exit, 2) << c.message;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

// Going back after the run takes the board back too: the same as the run stopped earlier.
TEST(CliBoardTest, BackTakesTheBoardBackWithTheRun) {
    const std::vector<std::string> common = {
        "run", Board("tipkovnica.asm"), "--board", Board("tipkovnica.json"), "--press", "5@20000", "--json"};
    std::vector<std::string> back = common, stopped = common;
    back.insert(back.end(), {"--steps", "24000", "--back", "3950"});
    stopped.insert(stopped.end(), {"--steps", "20050"});
    const CliResult a = RunCliInProcess(back), b = RunCliInProcess(stopped);
    ASSERT_EQ(a.exit, 0) << a.err;
    ASSERT_EQ(b.exit, 0) << b.err;
    nlohmann::json ja = nlohmann::json::parse(a.out), jb = nlohmann::json::parse(b.out);
    EXPECT_EQ(ja["board"], jb["board"]);
    EXPECT_EQ(ja["registers"], jb["registers"]);
    EXPECT_EQ(ja["cycles"], jb["cycles"]);
    EXPECT_NE(ja["board"]["LCD"]["lines"][1], "Tipka: 5") << "the key had not been shown yet";
}
