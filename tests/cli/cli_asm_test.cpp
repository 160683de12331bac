// orlek-cli asm: symbols, listing, S-records and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "tests/cli/cli_process.h"
#include "tests/unprivileged.h"

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
    EXPECT_EQ(r.err,
              "Napaka: ni oznake START\nNamig: začetni naslov programa je beseda na naslovu $FFFE (reset "
              "vektor); zapišite ga z vrsticama ORG $FFFE in FDB START, kjer je START oznaka prvega "
              "ukaza\nSimulatorja ne morem zagnati!\n");
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

// Sources on standard input that used to mislead: the final line break, a byte order mark in
// front of Windows-1250 text, an over-long source, a TAB between the fields or after a label, a
// an operand or FCC text over its limit, a wrapped label offset and bytes the S-records cannot hold. The
// messages and hints go to stderr; warnings do not change the exit code.
TEST(CliAsmTest, SourcesThatUsedToMisleadGetAClearAnswer) {
    const std::string prologue = "       org $fffe\n       fdb 0\n";
    const struct {
        std::string input;
        std::vector<std::string> extra;
        int exit;
        std::string out;
        std::vector<std::string> err; // fragments of stderr, or nothing at all when empty
    } cases[] = {
        {"\xEF\xBB\xBFstart  nop ; \x9A"
         "tevec\n" +
             prologue,
         {"--symbols"},
         0,
         "START $0000\n",
         {}},
        {std::string(40000, '\n'),
         {},
         1,
         "",
         {"Napaka: program je predolg, dovoljenih je največ 32767 vrstic (napaka v vrstici 32768)\n"}},
        {prologue + "\tldaa #1\n",
         {},
         1,
         "",
         {"Napaka: neznan ukaz (napaka v vrstici 3)\nNamig: vrstica vsebuje tabulator"}},
        {"       org $fffe\n       fdb start\n       org $100\nstart\tnop\n",
         {},
         1,
         "",
         {"Napaka v oznaki - oznaka ni definirana (napaka v vrstici 2)\nNamig: vrstica 4 vsebuje tabulator, "
          "zato oznaka ni START; oznako, ukaz in operand ločujejo samo presledki\nSimulatorja"}},
        {prologue + "       ldaa #" + std::string(120, '1') + "\n",
         {},
         1,
         "",
         {"Napaka v določilu operanda (napaka v vrstici 3)\nNamig: operand ima lahko največ 100 znakov, ta "
          "jih ima 121\n"}},
        {prologue + "       fcc \"" + std::string(99, 'a') + "\"\n",
         {},
         1,
         "",
         {"(napaka v vrstici 3)\nNamig: besedilo FCC ima lahko največ 98 znakov\nSimulatorja"}},
        {prologue + "       org $100\nt      fcb 0\n       ldaa t+200\n       org $08\n       fcb 1\n",
         {"--srec", "/dev/null"},
         0,
         "",
         {"Opozorilo: odmik +200 v \"T+200\" se bere kot bajt s predznakom, zato se prišteje -56 (vrstica "
          "5)\n",
          "opozorilo: zapisi S ne vsebujejo zlogov na naslovih registrov čipa: $0008 (vrstica 7)\n"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"asm", "-"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        CliResult r = RunCli(args, c.input);
        const std::string shown = c.input.substr(0, 40);
        EXPECT_EQ(r.exit, c.exit) << shown << r.err;
        EXPECT_EQ(r.out, c.out) << shown;
        if (c.err.empty()) {
            EXPECT_EQ(r.err, "") << shown;
        }
        for (const std::string& fragment : c.err)
            EXPECT_NE(r.err.find(fragment), std::string::npos) << shown << "\nstderr: " << r.err;
    }
}

// A final line break ends the last line: three lines without END list as four, the automatic
// END numbered 4; an empty source lists the END line alone.
TEST(CliAsmTest, AFinalLineBreakAddsNoLine) {
    TempDir dir;
    CliResult r =
        RunCli({"asm", "-", "--listing", dir.Path("x.lst")}, "       nop\n       nop\n       nop\n");
    EXPECT_EQ(r.exit, 1) << r.err; // no reset vector
    Lines listing = SplitLinesLf(ReadFile(dir.Path("x.lst")));
    ASSERT_EQ(listing.size(), 4u);
    EXPECT_EQ(listing[3], "    4                    END\r");
    // An empty source has no lines: its listing is the END line alone.
    r = RunCli({"asm", "-", "--listing", dir.Path("x.lst")}, "");
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(ReadFile(dir.Path("x.lst")), "    0                     END \r\n");
}

// The unprivileged child reports what went wrong, an exception included, and ends there: the
// rest of the test program never runs in it.
TEST(UnprivilegedChildTest, ReportsWhatWentWrongAndEndsThere) {
    const struct {
        std::function<std::string()> body;
        std::string failure;
    } cases[] = {
        {[] { return std::string(); }, ""},
        {[] { return std::string("read-only: no message"); }, "read-only: no message"},
        {[]() -> std::string { throw std::runtime_error("no such table"); },
         "exception in the child: no such table"},
        {[]() -> std::string { throw 42; }, "exception in the child"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunUnprivileged(c.body), c.failure);
}

// The output's own permissions decide, as for a shell redirection; a writable file in a folder
// that takes no new files is written in place; a name as long as the file system allows works.
TEST(CliAsmTest, OutputPermissionsAndLongNames) {
    TempDir dir;
    namespace fs = std::filesystem;
    using P = fs::perms;
    const std::string readOnly = dir.Path("ro.s19"), writable = dir.Path("rw.s19");
    const std::string longName = dir.Path(std::string(250, 'n') + ".s19");
    CliResult r = RunCli({"asm", CliData("regs.asm"), "--srec", longName});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(ReadFile(longName).substr(0, 2), "S0");
    fs::remove(longName);

    for (const std::string& path : {readOnly, writable}) {
        std::ofstream(path) << "old";
    }
    fs::permissions(readOnly, P::owner_read | P::group_read | P::others_read);
    fs::permissions(writable, P::owner_read | P::owner_write | P::group_read | P::group_write |
                                  P::others_read | P::others_write);
    fs::permissions(dir.Dir(), P::owner_read | P::owner_exec | P::group_read | P::group_exec |
                                   P::others_read | P::others_exec);
    // The child runs a copy of the program and its tables, which it can reach wherever the
    // checkout lies.
    const std::string programDir = std::filesystem::path(ORLEK_CLI).parent_path().string();
    const TReachableCopy copy({ORLEK_CLI, programDir + "/bin", CliData("regs.asm")});
    const std::string cli = copy.Path("orlek-cli"), source = copy.Path("regs.asm");
    const std::string failure = RunUnprivileged([&]() -> std::string {
        CliResult ro = RunCli({"asm", source, "--srec", readOnly}, {}, cli);
        if (ro.exit != 2 ||
            ro.err.find("\"" + readOnly + "\": datoteka je samo za branje") == std::string::npos)
            return "read-only: " + ro.err;
        CliResult rw = RunCli({"asm", source, "--srec", writable}, {}, cli);
        if (rw.exit != 0) return "writable: " + rw.err;
        return "";
    });
    fs::permissions(dir.Dir(), P::owner_all);
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadFile(readOnly), "old");
    EXPECT_EQ(ReadFile(writable).substr(0, 2), "S0");
}
