// orlek-cli check: a program against an exercise file, as a grading script would run it.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/cli/cli_process.h"

namespace {
const char* const kProgram = "       org $2000\n"
                             "start  ldaa #$31\n"
                             "       staa $80\n"
                             "konec  bra konec\n"
                             "       org $fffe\n"
                             "       fdb start\n";

std::string Write(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.Path(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
} // namespace

TEST(CliCheckTest, JsonReportsEveryExpectationWithItsActualValue) {
    TempDir dir;
    const std::string exercise = Write(dir, "n.json",
                                       R"({"title": "Trideset", "checks": [{"at": "KONEC", "name": "Konec",
                  "registers": {"A": "$31"}, "memory": [{"address": "$80", "byte": "$32"}]}]})");
    CliResult r = RunCli({"check", exercise, "-", "--json"}, kProgram);
    EXPECT_EQ(r.exit, 1) << r.err;
    const nlohmann::json report = ParseJson(r.out);
    EXPECT_EQ(report["title"], "Trideset");
    EXPECT_EQ(report["loaded"], true);
    EXPECT_EQ(report["passed"], false);
    EXPECT_EQ(report["passed_count"], 2);
    EXPECT_EQ(report["total"], 3);
    const nlohmann::json& check = report["checks"][0];
    EXPECT_EQ(check["where"], "pri oznaki KONEC");
    EXPECT_EQ(check["name"], "Konec");
    EXPECT_EQ(check["steps"], 2);
    EXPECT_EQ(check["results"][2],
              (nlohmann::json{
                  {"what", "bajt na $0080"}, {"expected", "$32"}, {"actual", "$31"}, {"passed", false}}));
}

TEST(CliCheckTest, BadExerciseRunsNothingAndExitsTwoWithTheLine) {
    TempDir dir;
    const std::string exercise = Write(
        dir, "bad.json", "{\n  \"title\": \"x\",\n  \"checks\": [{\"at\": \"KONEC\", \"regs\": {}}]\n}\n");
    CliResult r = RunCli({"check", exercise, "-"}, kProgram);
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("bad.json\": vrstica 3: neznan ključ \"regs\""), std::string::npos) << r.err;
}

TEST(CliCheckTest, ProgramThatDoesNotAssembleFails) {
    TempDir dir;
    const std::string exercise = Write(dir, "n.json", R"({"title": "x", "checks": [{"at": "KONEC"}]})");
    CliResult r = RunCli({"check", exercise, "-"}, "       org $2000\nstart  frob\n");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.out.find("Sporočilo: Simulatorja ne morem zagnati!\nProgram se ne prevede"),
              std::string::npos)
        << r.out;
}

TEST(CliCheckTest, CommandLineNeedsTheExerciseAndTheSource) {
    for (const auto& [args, fragment] :
         {std::pair<std::vector<std::string>, std::string>{{"check"}, "manjka datoteka z nalogo"},
          {{"check", "n.json"}, "manjka izvorna datoteka"},
          {{"check", "n.json", "a.asm", "--steps", "5"}, "--steps velja samo za ukaz run"},
          {{"check", "n.json", "a.asm", "--jobs", "0"}, "--jobs: število hkratnih preverjanj je od 1 do 256"},
          {{"check", "n.json", "a.asm", "--timeout", "1.2345"}, "--timeout: pričakujem sekunde"},
          {{"check", "n.json", "-", "a.asm"}, "standardni vhod (\"-\") je lahko le edini program"},
          {{"similar"}, "manjka mapa s programi"},
          {{"similar", "m", "--csv", "x"}, "--csv velja samo za ukaz check"}}) {
        CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, 2);
        EXPECT_NE(r.err.find(fragment), std::string::npos) << r.err;
    }
}
