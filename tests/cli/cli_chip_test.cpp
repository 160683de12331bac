// orlek-cli in the chip model: the model named in the report, the interface clocks refused,
// stimuli at cycles.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"

TEST(CliChipTest, ModelOptionAndCycleStimuli) {
    struct Row {
        std::vector<std::string> args;
        int exit;
        std::string inOut, inErr;
    } rows[] = {
        {{"--model", "chip", "--steps", "20"}, 0, " model=chip\n", ""},
        {{"--steps", "20"}, 0, "cycles=71\n", ""},
        {{"--model", "chip", "--steps", "40", "--irq", "60c", "--mem", "1002:1"}, 0, "\n1002: AA\n", ""},
        {{"--model", "z80"}, 2, "", "--model: model je \"classic\" ali \"chip\""},
        {{"--model", "chip", "--timer-every", "5"}, 2, "", "v modelu MC6803 ne veljata"},
        {{"--irq", "x5c"}, 2, "", "--irq"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"run", CliData("counter.asm")};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, row.exit) << row.args[0] << r.err;
        EXPECT_NE(r.out.find(row.inOut), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(row.inErr), std::string::npos) << r.err;
    }
    const CliResult json =
        RunCli({"run", CliData("counter.asm"), "--steps", "3", "--json", "--model", "chip"});
    EXPECT_EQ(nlohmann::json::parse(json.out)["model"], "chip");
}
