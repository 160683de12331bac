// orlek-cli run --profile: the table in the text and the JSON report, and its sums.
#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"

TEST(CliProfileTest, ReportsLinesAndSubroutinesThatSumToTheCycles) {
    const CliResult json =
        RunCliInProcess({"run", CliData("klici.asm"), "--steps", "200", "--profile", "--json"});
    ASSERT_EQ(json.exit, 0) << json.err;
    const nlohmann::json report = ParseJson(json.out);
    uint64_t lineCycles = 0;
    for (const auto& line : report["profile"]["lines"])
        lineCycles += line["cycles"].get<uint64_t>();
    EXPECT_EQ(lineCycles, report["cycles"].get<uint64_t>());
    const auto& subs = report["profile"]["subroutines"];
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0]["label"], "ZUNANJI");
    EXPECT_EQ(subs[1]["label"], "NOTRANJI");
    EXPECT_EQ(subs[0]["inclusive"].get<uint64_t>(),
              subs[0]["exclusive"].get<uint64_t>() + subs[1]["inclusive"].get<uint64_t>());
    // The keys in their order.
    EXPECT_NE(json.out.find(R"({"label":"ZUNANJI","address":4112,"calls":)"), std::string::npos) << json.out;
    // The text has a line for each of them; without --profile there is none.
    const CliResult text = RunCliInProcess({"run", CliData("klici.asm"), "--steps", "200", "--profile"});
    EXPECT_NE(text.out.find("profile-sub: ZUNANJI 1010 calls="), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("profile-line: 3 count=1 cycles=3"), std::string::npos) << text.out;
    const CliResult plain = RunCliInProcess({"run", CliData("klici.asm"), "--steps", "200", "--json"});
    EXPECT_FALSE(ParseJson(plain.out).contains("profile"));
}
