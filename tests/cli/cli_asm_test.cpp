// orlek-cli asm: symbols, listing, S-records and failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/cli_process.h"

using Lines = std::vector<std::string>;

TEST(CliAsmTest, SymbolsInDefinitionOrder) {
    CliResult r = RunCli({"asm", CliData("counter.asm"), "--symbols"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "START $2000\nLOOP $2007\nIRQ $200D\n");
}

TEST(CliAsmTest, SuccessPrintsNothingAndWritesListingAndSRecords) {
    TempDir dir;
    CliResult r = RunCli(
        {"asm", CliData("regs.asm"), "--listing", dir.Path("regs.lst"), "--srec", dir.Path("regs.s19")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "");
    Lines listing = SplitLinesLf(ReadFile(dir.Path("regs.lst")));
    ASSERT_EQ(listing.size(), 10u);
    EXPECT_EQ(listing[2], "    3  2000 8612        start  ldaa #$12\r");
    Lines srec = SplitLinesLf(ReadFile(dir.Path("regs.s19")));
    ASSERT_GE(srec.size(), 3u);
    EXPECT_EQ(srec.front().substr(0, 2), "S0");
    EXPECT_EQ(srec.back().substr(0, 8), "S9032000");
}

TEST(CliAsmTest, FailureListsMessagesOnStderrAndExitsOne) {
    CliResult r = RunCli({"asm", CliData("badop.asm"), "--symbols"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Napaka: neznan ukaz (napaka v vrstici 3)\nSimulatorja ne morem zagnati!\n");

    r = RunCli({"asm", "-"}, "* no reset vector\n       org $2000\n       nop\n");
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, "Napaka: ni oznake START\nSimulatorja ne morem zagnati!\n");
}

TEST(CliAsmTest, UnwritableOutputFilesAreFileErrors) {
    TempDir dir;
    CliResult r = RunCli({"asm", CliData("regs.asm"), "--srec", dir.Path("no/such/dir.s19")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("dir.s19"), std::string::npos) << r.err;
    r = RunCli({"asm", CliData("regs.asm"), "--listing", dir.Path("no/such/dir.lst")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Integrna napaka pri pisanju listinga: 1"), std::string::npos) << r.err;
}

// Output paths that are not plain files: a symbolic link is written through and stays a link,
// and the standard streams can be named as outputs (the text then appears on that stream).
TEST(CliAsmTest, OutputsThroughLinksAndToTheStandardStreams) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("real"));
    std::filesystem::create_symlink(dir.Path("real/regs.s19"), dir.Path("link.s19"));
    std::filesystem::create_symlink("real/run.log", dir.Path("link.log"));
    CliResult r = RunCli({"asm", CliData("regs.asm"), "--srec", dir.Path("link.s19")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.s19")));
    EXPECT_EQ(ReadFile(dir.Path("real/regs.s19")).substr(0, 2), "S0");

    r = RunCli({"run", CliData("regs.asm"), "--log", dir.Path("link.log")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.log")));
    EXPECT_EQ(SplitLinesLf(ReadFile(dir.Path("real/run.log"))).size(), 6u);

    r = RunCli({"asm", CliData("counter.asm"), "--srec", "/dev/stdout", "--symbols"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines out = SplitLinesLf(r.out);
    ASSERT_GE(out.size(), 4u) << r.out;
    EXPECT_EQ(out.front().substr(0, 2), "S0");
    EXPECT_EQ(out[out.size() - 3], "START $2000");
    EXPECT_EQ(out.back(), "IRQ $200D");

    r = RunCli({"asm", CliData("regs.asm"), "--listing", "/dev/stderr"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("\r\n"), std::string::npos) << r.err;
}

// An output that names the source (or another output) would overwrite it: refused up front,
// the source left as it was.
TEST(CliAsmTest, OutputsThatWouldOverwriteTheSourceAreRefused) {
    TempDir dir;
    std::filesystem::copy_file(CliData("regs.asm"), dir.Path("regs.asm"));
    const std::string source = ReadFile(dir.Path("regs.asm"));
    std::filesystem::create_symlink("regs.asm", dir.Path("alias.asm"));
    for (const char* option : {"--listing", "--srec"}) {
        CliResult r = RunCli({"asm", dir.Path("regs.asm"), option, dir.Path("alias.asm")});
        EXPECT_EQ(r.exit, 2) << option;
        EXPECT_NE(r.err.find("alias.asm"), std::string::npos) << r.err;
        EXPECT_EQ(ReadFile(dir.Path("regs.asm")), source);
    }
    CliResult r = RunCli({"run", dir.Path("regs.asm"), "--log", dir.Path("regs.asm")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(dir.Path("regs.asm")), source);
    r = RunCli({"asm", dir.Path("regs.asm"), "--listing", dir.Path("out"), "--srec", dir.Dir() + "/./out"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
    // A relative path and an absolute one to the same new file.
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.Dir());
    r = RunCli({"asm", "regs.asm", "--listing", "new.lst", "--srec", dir.Path("new.lst")});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(r.exit, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("new.lst")));
}
