// Bad command lines, unreadable and binary files, the program directory. Command lines are parsed
// and run inside the test; only what needs standard input or an executable of its own starts
// orlek-cli.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/options.h"
#include "tests/cli/cli_process.h"

namespace {
void ExpectUsageError(const std::vector<std::string>& args, const std::string& fragment) {
    CliResult r = RunCliInProcess(args);
    EXPECT_EQ(r.exit, 2) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(fragment), std::string::npos) << "stderr: " << r.err;
}
} // namespace

TEST(CliArgsTest, BadCommandLinesExitTwoWithAMessage) {
    const std::string src = CliData("regs.asm");
    ExpectUsageError({}, "manjka ukaz");
    ExpectUsageError({"go", src}, "neznan ukaz");
    ExpectUsageError({"run"}, "manjka izvorna datoteka");
    ExpectUsageError({"run", src, src}, "več kot ena izvorna datoteka");
    ExpectUsageError({"run", src, "--frobnicate"}, "--frobnicate");
    ExpectUsageError({"run", src, "--steps"}, "manjka vrednost");
    ExpectUsageError({"run", src, "--steps", "-3"}, "--steps");
    ExpectUsageError({"run", src, "--steps", "99999999999999999999999"}, "preveliko");
    ExpectUsageError({"run", src, "--irq", "0"}, "od 1");
    ExpectUsageError({"run", src, "--break", "0"}, "--break");
    ExpectUsageError({"run", src, "--mem", "FFFF:2"}, "--mem");
    ExpectUsageError({"run", src, "--mem", "G000:2"}, "--mem");
    ExpectUsageError({"run", src, "--mem", "1000"}, "--mem");
    ExpectUsageError({"run", src, "--mem", "FFFF:18446744073709486081"}, "--mem"); // would wrap in 64 bits
    ExpectUsageError({"run", src, "--trace-limit", "-1"}, "--trace-limit");
    ExpectUsageError({"run", src, "--break", "NOWHERE"}, "oznake \"NOWHERE\" ni v izvoru");
    ExpectUsageError({"run", src, "--pin", "2.5@1"}, "--pin");
    ExpectUsageError({"run", src, "--pin", "3.0@1"}, "--pin");
    ExpectUsageError({"run", src, "--pin", "1.3"}, "@KORAK");
    ExpectUsageError({"run", src, "--send", "zz@1"}, "--send");
    ExpectUsageError({"run", src, "--send", "\"\"@1"}, "--send");
    ExpectUsageError({"run", src, "--trigger", "1000,x"}, "--trigger");
    ExpectUsageError({"run", src, "--qualifier", "12345,x,W"}, "--qualifier");
    ExpectUsageError({"run", src, "--seed", "4294967296"}, "--seed");
    ExpectUsageError({"run", src, "--timer-every", "0"}, "--timer-every");
    ExpectUsageError({"run", src, "--steps", "1", "--steps", "2"}, "več kot enkrat");
    ExpectUsageError({"run", src, "--symbols"}, "samo za ukaz asm");
    ExpectUsageError({"asm", src, "--steps", "5"}, "samo za ukaz run");
    ExpectUsageError({"run", src, "--json=yes"}, "ne sprejme vrednosti");
    // The executable reports the same way.
    const CliResult r = RunCli({"go", src});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("neznan ukaz"), std::string::npos) << r.err;
}

TEST(CliArgsTest, MistypedOptionIsUnknownNotMissingItsValue) {
    // A typo in the last option of a command line is named as unknown, not as an option missing its value.
    const std::string src = CliData("regs.asm");
    ExpectUsageError({"run", src, "--jsn"}, "neznana izbira \"--jsn\"");
    ExpectUsageError({"asm", src, "--version"}, "neznana izbira \"--version\"");
    ExpectUsageError({"run", src, "-j"}, "neznana izbira \"-j\"");
    // An unknown option never takes the source file as its value.
    ExpectUsageError({"run", "--verbose", src}, "neznana izbira \"--verbose\"");
}

TEST(CliArgsTest, UnreadableAndBinarySourcesExitTwo) {
    ExpectUsageError({"run", CliData("does-not-exist.asm")}, "does-not-exist.asm");
    ExpectUsageError({"asm", CliData("")}, "mapa");
    ExpectUsageError({"run", CliData("binary.asm")}, "ni besedilna");
    CliResult r = RunCli({"asm", "-"}, std::string("       nop\n\0\0", 13));
    EXPECT_EQ(r.exit, 2);
    // An endless binary stream is recognised by its first bytes, not read up to the size limit.
    ExpectUsageError({"asm", "/dev/zero"}, "ni besedilna (kontrolni bajt $00 na odmiku 0)");
}

TEST(CliArgsTest, HelpDocumentsBothCommands) {
    CliResult r = RunCliInProcess({"--help"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_NE(r.out.find("orlek-cli asm IZVOR"), std::string::npos);
    EXPECT_NE(r.out.find("--qualifier"), std::string::npos);
    EXPECT_EQ(RunCliInProcess({"run", "x.asm", "-h"}).exit, 0);
}

TEST(CliArgsTest, TablesAreFoundBesideTheRealExecutableOnly) {
    namespace fs = std::filesystem;
    TempDir dir;
    // Through a symbolic link the program still finds its own bin/ directory.
    fs::create_symlink(ORLEK_CLI, dir.Path("linked-cli"));
    CliResult r = RunCli({"run", CliData("regs.asm")}, "", dir.Path("linked-cli"));
    EXPECT_EQ(r.exit, 0) << r.err;

    // A copy without bin/ beside it cannot assemble: the message names the missing table.
    fs::copy_file(ORLEK_CLI, dir.Path("copied-cli"));
    r = RunCli({"run", CliData("regs.asm")}, "", dir.Path("copied-cli"));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("ukazi.red"), std::string::npos) << r.err;

    // A broken table is refused as well.
    fs::create_directories(dir.Path("bin"));
    fs::copy_file(fs::path(ORLEK_CLI).parent_path() / "bin" / "ukazi.red", dir.Path("bin/ukazi.red"));
    { std::ofstream(dir.Path("bin/ukazi.dat")) << "short"; }
    r = RunCli({"asm", CliData("regs.asm")}, "", dir.Path("copied-cli"));
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("ukazi.dat"), std::string::npos) << r.err;
}

TEST(CliOptionsTest, ValuesAreParsedAndSendsOrderedByStep) {
    TCliOptions o = ParseCliOptions({"run", "p.asm", "--steps=0", "--send", "41,4@9", "--send", "\"Hi\"@3",
                                     "--pin", "2.4@7", "--mem", "$FFF0:16", "--seed", "0x10", "--break", "4",
                                     "--break", "4", "--trigger", "20xx,x,w"});
    EXPECT_EQ(o.Command, CliCommand::Run);
    EXPECT_EQ(o.Source, "p.asm");
    EXPECT_EQ(o.Steps, 0u);
    ASSERT_EQ(o.Sends.size(), 2u);
    EXPECT_EQ(o.Sends[0].Step, 3u);
    EXPECT_EQ(o.Sends[0].Bytes, (std::vector<uint8_t>{'H', 'i'}));
    EXPECT_EQ(o.Sends[1].Bytes, (std::vector<uint8_t>{0x41, 0x04}));
    EXPECT_EQ(o.Pins[0].Port, 2);
    EXPECT_EQ(o.Pins[0].Bit, 4);
    EXPECT_EQ(o.Mems[0].Address, 0xFFF0);
    EXPECT_EQ(o.Mems[0].Length, 16u);
    EXPECT_EQ(*o.Seed, 16u);
    EXPECT_EQ(o.Breaks, (std::vector<int>{4}));
    EXPECT_EQ(o.Triggers[0].AddressMask, 0xFF00);
    EXPECT_EQ(o.Triggers[0].Direction, 1);
    EXPECT_EQ(o.TimerEvery, 5u);
    EXPECT_EQ(o.SciEvery, 150u);
    // UTF-8 text is sent in the machine's code page.
    o = ParseCliOptions({"run", "p.asm", "--send", "\"\xC4\x8D\"@1"});
    EXPECT_EQ(o.Sends[0].Bytes, (std::vector<uint8_t>{0xE8}));
}

TEST(CliArgsTest, BreakpointPastTheEndOfTheSourceIsRefused) {
    CliResult r = RunCliInProcess({"run", CliData("regs.asm"), "--break", "500"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("500"), std::string::npos) << r.err;
}
