// The example programs under examples/ run through orlek-cli as a student would run them.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/cli/cli_process.h"

namespace {
using Lines = std::vector<std::string>;

std::string Example(const std::string& name) {
    return std::string(ORLEK_TEST_DATA) + "/../../examples/" + name;
}
} // namespace

TEST(CliExamplesTest, CompareInterruptTogglesThePinOncePerMatch) {
    // 2600 steps are 520 timer ticks: ten matches 50 ticks apart. The handler spans a tick, so a
    // request left over from inside it must not run the handler again for the same match: the level
    // would then be turned back at once and pin 1 of port 2 would never change.
    CliResult r = RunCli({"run", Example("primerjalnik.asm"), "--steps", "2600", "--seed", "7", "--mem",
                          "80:1", "--mem", "3:1", "--mem", "8:1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;
    EXPECT_EQ(lines[1], "steps=2600 stop=limit line=16 cycles=8084");
    EXPECT_EQ(lines[2], "0080: 0A"); // ten matches, each handled once
    EXPECT_EQ(lines[3], "0003: 02"); // the tenth match put the level 1 on P21
    EXPECT_EQ(lines[4], "0008: 08"); // OLVL back at 0 after an even number of toggles

    // 312 ticks: six matches, the even ones put 1 on the pin (the level starts at 0).
    r = RunCli({"run", Example("primerjalnik.asm"), "--steps", "1560", "--seed", "3", "--mem", "80:1",
                "--mem", "3:1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    lines = SplitLinesLf(r.out);
    ASSERT_GE(lines.size(), 4u) << r.out;
    EXPECT_EQ(lines[2], "0080: 06");
    EXPECT_EQ(lines[3], "0003: 02");
}

TEST(CliExamplesTest, ReceiveInterruptStoresEachByteOnce) {
    // The text is given in UTF-8 and arrives in the machine's Windows-1250: Ž is $8E.
    CliResult r = RunCli({"run", Example("sprejem.asm"), "--send", "\"Živijo\"@20", "--steps", "12000",
                          "--seed", "1", "--mem", "100:7", "--mem", "84:2"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[2], "0100: 8E 69 76 69 6A 6F 00");
    EXPECT_EQ(lines[3], "0084: 01 06");
}

TEST(CliExamplesTest, SubroutineKeepsItsArgumentOnTheStackAndRestoresRegisters) {
    CliResult r = RunCli({"run", Example("kvadrat.asm"), "--steps", "500", "--mem", "80:3", "--mem", "FC:4"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(SplitLinesLf(r.out), (Lines{"A=90 B=55 D=9055 X=0000 PC=2015 SP=00FF CCR=11110000",
                                          "steps=500 stop=limit line=12 cycles=1509", "0080: 31 90 55",
                                          // the saved B, then the return address of the second call
                                          "00FC: 00 55 20 11", "sci-out:"}));
}

TEST(CliExamplesTest, BlinkerTogglesItsLampsAndCopiesTheSwitch) {
    // A pass through the loop takes some 310 steps: between step 2000 and 2310 the lamp on P10 (and
    // P21 with it) goes out; P11 shows the switch on P17 only once it is on.
    const struct {
        const char* steps;
        bool switchOn;
        const char* ports;
    } cases[] = {
        {"2000", false, "0000: 0F 02 01 02"},
        {"2310", false, "0000: 0F 02 00 00"},
        {"2000", true, "0000: 0F 02 83 02"},
        {"2310", true, "0000: 0F 02 82 00"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"run", Example("utripanje.asm"), "--steps", c.steps, "--mem", "0:4"};
        if (c.switchOn) args.insert(args.end(), {"--pin", "1.7@500"});
        CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, 0) << r.err;
        Lines lines = SplitLinesLf(r.out);
        ASSERT_EQ(lines.size(), 4u) << r.out;
        EXPECT_EQ(lines[2], c.ports) << c.steps << (c.switchOn ? " with the switch on" : "");
    }
}

// Each exercise under examples/ passes with its example program and fails with a deliberately
// wrong variant of it.
TEST(CliExamplesTest, ExercisesPassWithTheExampleAndFailWithAWrongVariant) {
    const struct {
        const char* name;
        const char* correct; // a line of the example ...
        const char* wrong;   // ... and the mistake that replaces it
        const char* failure; // a line the report of the wrong variant shows
    } cases[] = {
        // The subroutine drops the saved B instead of restoring it.
        {"kvadrat", "        pulb\n", "        ins\n", "  NAPAKA  B: pričakovano $55, dejansko $00"},
        // The buffer pointer is never advanced: every byte lands on $0100.
        {"sprejem", "        INX\n", "        NOP\n",
         "  NAPAKA  beseda na KAZ = $0084: pričakovano $0106, dejansko $0100"},
        // P21 copies the lamp on P11 instead of the one on P10.
        {"utripanje", "        ASLA", "        NOP ", "  NAPAKA  nožica P21: pričakovano 0, dejansko 1"},
    };
    TempDir temp;
    for (const auto& c : cases) {
        const std::string exercise = Example(std::string(c.name) + ".json");
        const std::string program = Example(std::string(c.name) + ".asm");
        CliResult r = RunCli({"check", exercise, program});
        EXPECT_EQ(r.exit, 0) << c.name << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find("Izpolnjenih"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("NAPAKA"), std::string::npos) << r.out;

        std::string source = ReadFile(program);
        const size_t at = source.find(c.correct);
        ASSERT_NE(at, std::string::npos) << c.name;
        source.replace(at, std::string(c.correct).size(), c.wrong);
        const std::string variant = temp.Path(std::string(c.name) + ".asm");
        std::ofstream(variant, std::ios::binary) << source;
        r = RunCli({"check", exercise, variant});
        EXPECT_EQ(r.exit, 1) << c.name << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find(c.failure), std::string::npos) << c.name << "\n" << r.out;
    }
}
