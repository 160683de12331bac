// Whole programs run through orlek-cli: registers, memory, serial output, trace rows, the log.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "tests/cli/cli_process.h"

using Lines = std::vector<std::string>;

TEST(CliRunTest, ProgramThatRunsOffItsEndReportsRegistersAndStopLine) {
    CliResult r = RunCli({"run", CliData("regs.asm"), "--mem", "1000:2"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(SplitLinesLf(r.out),
              (Lines{"Kam pa sedaj?", "A=12 B=34 D=1234 X=0000 PC=200D SP=0000 CCR=11010000",
                     "steps=5 stop=left line=-1 cycles=15", "1000: 12 34", "sci-out:"}));
}

TEST(CliRunTest, StepLimitBreakpointAndMemoryRowsOfSixteen) {
    CliResult r = RunCli({"run", CliData("counter.asm"), "--steps", "20", "--mem", "0FF8:20"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 5u) << r.out;
    EXPECT_EQ(lines[0], "A=00 B=00 D=0000 X=0006 PC=200B SP=00FF CCR=11000000");
    EXPECT_EQ(lines[1], "steps=20 stop=limit line=8 cycles=71");
    EXPECT_EQ(lines[2], "0FF8: 00 00 00 00 00 00 00 00 00 06 00 00 00 00 00 00");
    EXPECT_EQ(lines[3], "1008: 00 00 00 00");

    // Halts before the instruction of line 7 (stx), which has not run yet.
    r = RunCli({"run", CliData("counter.asm"), "--break", "7", "--mem", "1000:2"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(SplitLinesLf(r.out),
              (Lines{"A=00 B=00 D=0000 X=0001 PC=2008 SP=00FF CCR=11000000",
                     "steps=4 stop=breakpoint line=7 cycles=11", "1000: 00 00", "sci-out:"}));
}

TEST(CliRunTest, IrqBeforeAStepRunsTheHandler) {
    CliResult r = RunCli({"run", CliData("counter.asm"), "--steps", "20", "--irq", "10", "--mem", "1002:1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\n1002: AA\n"), std::string::npos) << r.out;
}

TEST(CliRunTest, UndefinedVectorMessagesComeBeforeTheReport) {
    CliResult r = RunCli({"run", CliData("novector.asm"), "--irq", "4"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines lines = SplitLinesLf(r.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "IRQ vektor ni definiran!");
    EXPECT_EQ(lines[1], "Kam pa sedaj?");
    EXPECT_EQ(lines[3], "steps=4 stop=left line=-2 cycles=21");

    r = RunCli({"run", CliData("novector.asm"), "--nmi", "1"});
    EXPECT_EQ(SplitLinesLf(r.out)[0], "NMI vektor ni definiran!");
}

TEST(CliRunTest, SerialTransmitterSendsBytesInOrder) {
    CliResult r = RunCli({"run", CliData("sci_tx.asm")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\nsci-out: 41 42\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("stop=left"), std::string::npos);
}

TEST(CliRunTest, SentBytesAreReceivedAndEchoedIncludingQuotedText) {
    CliResult r = RunCli({"run", CliData("echo.asm"), "--send", "41@10", "--mem", "1000:1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\n1000: 41\nsci-out: 42\n"), std::string::npos) << r.out;

    r = RunCli({"run", CliData("echo.asm"), "--send=\"Z\"@10", "--mem", "1000:1"});
    EXPECT_NE(r.out.find("\n1000: 5A\nsci-out: 5B\n"), std::string::npos) << r.out;

    // Sent before the receiver is enabled: lost on the line, nothing comes back.
    r = RunCli({"run", CliData("echo.asm"), "--send", "41@1", "--steps", "5000"});
    EXPECT_NE(r.out.find("stop=limit"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nsci-out:\n"), std::string::npos) << r.out;
}

TEST(CliRunTest, LoopbackKeepsTransmittedBytesOnTheChip) {
    CliResult r = RunCli({"run", CliData("sci_tx.asm"), "--loopback"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\nsci-out:\n"), std::string::npos) << r.out;
}

TEST(CliRunTest, TogglingAnInputPinIsSeenByTheProgram) {
    CliResult r = RunCli({"run", CliData("pins.asm"), "--steps", "10", "--pin", "1.3@5", "--mem", "1000:1"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("\n1000: 08\n"), std::string::npos) << r.out;
    r = RunCli({"run", CliData("pins.asm"), "--steps", "10", "--mem", "1000:1"});
    EXPECT_NE(r.out.find("\n1000: 00\n"), std::string::npos) << r.out;
}

TEST(CliRunTest, TraceRecordsQualifiedAccessesAfterTheTrigger) {
    CliResult r = RunCli({"run", CliData("regs.asm"), "--trigger", "1000,x,W", "--qualifier", "10xx,x,W"});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines lines = SplitLinesLf(r.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "trace: 1000 12 W");
    EXPECT_EQ(lines[lines.size() - 1], "trace: 1001 34 W");
    EXPECT_EQ(r.err, "");

    // One list without the other records nothing, as in the trace window; the run says so
    // instead of leaving an empty trace unexplained.
    r = RunCli({"run", CliData("regs.asm"), "--qualifier", "10xx,x,W"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.find("trace:"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("opozorilo: brez --trigger"), std::string::npos) << r.err;
    r = RunCli({"run", CliData("regs.asm"), "--trigger", "1000,x,W", "--json"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(ParseJson(r.out)["trace"].size(), 0u);
    EXPECT_NE(r.err.find("opozorilo: brez --qualifier"), std::string::npos) << r.err;
}

TEST(CliRunTest, LogFileHasTheHeaderAndOneRecordPerStep) {
    TempDir dir;
    CliResult r = RunCli({"run", CliData("regs.asm"), "--log", dir.Path("run.log")});
    EXPECT_EQ(r.exit, 0) << r.err;
    Lines log = SplitLinesLf(ReadFile(dir.Path("run.log")));
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0], "PC\tVRSTA\tOPK\tIUKAZ\tA\tB\tD\tX\tSP\t  HINZVC\tCAS\tIRQ");
    EXPECT_EQ(log[1].substr(0, 10), "2000\t3\t86\t");
    EXPECT_EQ(log[5].substr(0, 10), "200A\t7\tF7\t");
    EXPECT_EQ(log[5].substr(log[5].find("\t12\t34\t")), "\t12\t34\t1234\t0000\t0000\t11010000\t1\t");

    // A log that cannot be created stops before the run.
    r = RunCli({"run", CliData("regs.asm"), "--log", dir.Path("missing/run.log")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("missing/run.log"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    // A long run streams its log: every step is there, in order, and no temporary file is left.
    r = RunCli({"run", CliData("counter.asm"), "--steps", "10000", "--log", dir.Path("long.log")});
    EXPECT_EQ(r.exit, 0) << r.err;
    log = SplitLinesLf(ReadFile(dir.Path("long.log")));
    ASSERT_EQ(log.size(), 10001u);
    EXPECT_EQ(log[10000].substr(0, 5), "2007\t"); // steps 4, 7, ..., 10000 are the inx
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Dir()))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST(CliRunTest, JsonOutputCarriesTheSameFacts) {
    CliResult r = RunCli({"run", CliData("regs.asm"), "--json", "--mem", "1000:2", "--trigger", "1000,x,W",
                          "--qualifier", "1000,12,W"});
    EXPECT_EQ(r.exit, 0) << r.err;
    nlohmann::json j = ParseJson(r.out);
    EXPECT_TRUE(j["loaded"].get<bool>());
    ASSERT_EQ(j["messages"].size(), 1u);
    EXPECT_EQ(j["messages"][0], "Kam pa sedaj?");
    EXPECT_EQ(j["registers"]["A"], 0x12);
    EXPECT_EQ(j["registers"]["D"], 0x1234);
    EXPECT_EQ(j["registers"]["PC"], 0x200D);
    EXPECT_EQ(j["registers"]["CCR"], "11010000");
    EXPECT_EQ(j["steps"], 5);
    EXPECT_EQ(j["stop"], "left");
    EXPECT_EQ(j["line"], -1);
    EXPECT_EQ(j["cycles"], 15);
    EXPECT_EQ(j["memory"][0]["address"], 0x1000);
    EXPECT_EQ(j["memory"][0]["bytes"][1], 0x34);
    EXPECT_TRUE(j["sci_out"].empty());
    ASSERT_EQ(j["trace"].size(), 1u);
    EXPECT_EQ(j["trace"][0]["rw"], "W");
    EXPECT_EQ(j["trace"][0]["data"], 0x12);

    r = RunCli({"run", CliData("sci_tx.asm"), "--json"});
    j = ParseJson(r.out);
    ASSERT_EQ(j["sci_out"].size(), 2u);
    EXPECT_EQ(j["sci_out"][1], 0x42);
}

TEST(CliRunTest, FailedLoadExitsOneWithTheCodeWindowMessages) {
    CliResult r = RunCli({"run", CliData("badop.asm")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Napaka: neznan ukaz (napaka v vrstici 3)\nSimulatorja ne morem zagnati!\n");

    r = RunCli({"run", CliData("counter.asm"), "--break", "1", "--json"}); // breakpoint on a comment
    EXPECT_EQ(r.exit, 1);
    nlohmann::json j = ParseJson(r.out);
    EXPECT_FALSE(j["loaded"].get<bool>());
    EXPECT_EQ(j["messages"][0], "Prekinitvena točka v napacni vrstici (napaka v vrstici 1)");
    EXPECT_FALSE(j.contains("registers"));
}

TEST(CliRunTest, Utf8AndWindows1250SourcesAssembleToTheSameBytes) {
    // ldaa #'č' in UTF-8 with BOM and CR LF, and in Windows-1250: both load Č ($C8).
    for (const char* file : {"utf8_crlf.asm", "cp1250.asm"}) {
        CliResult r = RunCli({"run", CliData(file)});
        EXPECT_EQ(r.exit, 0) << file << r.err;
        EXPECT_NE(r.out.find("A=C8 "), std::string::npos) << file << r.out;
    }
    // The same source on standard input.
    CliResult r = RunCli({"run", "-"}, ReadFile(CliData("regs.asm")));
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("steps=5 stop=left line=-1"), std::string::npos);
}

TEST(CliRunTest, SameSeedGivesTheSameRun) {
    // The timer's start value is random; with a seed two runs agree.
    CliResult a = RunCli({"run", CliData("counter.asm"), "--steps", "50", "--seed", "7", "--mem", "0009:2"});
    CliResult b = RunCli({"run", CliData("counter.asm"), "--steps", "50", "--seed", "7", "--mem", "0009:2"});
    EXPECT_EQ(a.exit, 0);
    EXPECT_EQ(a.out, b.out);
}

TEST(CliRunTest, BreakOnALabelAndABoundedTrace) {
    CliResult r = RunCli({"run", CliData("counter.asm"), "--break", "loop"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("steps=3 stop=breakpoint line=6"), std::string::npos) << r.out;

    // Every access matches: the recorder keeps the first three and says how many it dropped.
    r = RunCli({"run", CliData("counter.asm"), "--steps", "100", "--trigger", "xxxx,x,R", "--qualifier",
                "xxxx,x,R", "--qualifier", "xxxx,x,W", "--trace-limit", "3"});
    EXPECT_EQ(r.exit, 0) << r.err;
    size_t rows = 0;
    for (const std::string& line : SplitLinesLf(r.out))
        rows += line.rfind("trace: ", 0) == 0;
    EXPECT_EQ(rows, 3u);
    EXPECT_NE(r.err.find("sled je polna: posnetih je 3 dostopov, nadaljnjih "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" ni posnetih (--trace-limit)"), std::string::npos) << r.err;
}

// Ctrl+C or SIGTERM during a run removes the temporary log, and the process still ends by
// that signal.
TEST(CliRunTest, ASignalRemovesTheTemporaryLog) {
    TempDir dir;
    const std::string program = ORLEK_CLI, source = CliData("counter.asm"), log = dir.Path("run.log");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::freopen("/dev/null", "w", stdout);
        ::execl(program.c_str(), program.c_str(), "run", source.c_str(), "--steps", "100000000000", "--log",
                log.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    auto temporaries = [&] {
        size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Dir()))
            n += entry.path().filename().string().rfind(".orlek-", 0) == 0;
        return n;
    };
    for (int i = 0; i < 500 && temporaries() == 0; ++i)
        ::usleep(10'000);
    ASSERT_EQ(temporaries(), 1u) << "the run never started its log";
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(temporaries(), 0u);
    EXPECT_FALSE(std::filesystem::exists(log));
}

// --back N: the report, the memory rows, the serial output and the log are those of the same run
// stopped N steps earlier (after a run that left the program too); the stop reads "back".
TEST(CliRunTest, BackGivesTheRunStoppedThatManyStepsEarlier) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("orlek_cli_back_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct TCase {
        const char* file;
        int steps, back;
    } cases[] = {{"echo.asm", 3000, 1500}, {"counter.asm", 200, 37}, {"regs.asm", 5, 5}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<std::string> common = {"--send", "\"Hi\"@10", "--seed", "5", "--mem", "0000:20"};
        std::vector<std::string> back = {
            "run",    CliData(c.file),        "--steps", std::to_string(c.steps),
            "--back", std::to_string(c.back), "--log",   (dir / "back.log").string()};
        std::vector<std::string> shorter = {"run",     CliData(c.file),
                                            "--steps", std::to_string(c.steps - c.back),
                                            "--log",   (dir / "short.log").string()};
        back.insert(back.end(), common.begin(), common.end());
        shorter.insert(shorter.end(), common.begin(), common.end());
        CliResult a = RunCli(back), b = RunCli(shorter);
        ASSERT_EQ(a.exit, 0) << a.err;
        // The messages printed while the run went on stay; the reports after them agree but for
        // the stop.
        auto report = [](const std::string& out) {
            std::string text = out.substr(out.find("A="));
            const size_t stop = text.find(" stop=");
            return text.erase(stop, text.find(" line=") - stop);
        };
        EXPECT_EQ(report(a.out), report(b.out));
        EXPECT_NE(a.out.find(" stop=back "), std::string::npos);
        EXPECT_TRUE(ReadFile((dir / "back.log").string()) == ReadFile((dir / "short.log").string()));
    }
    fs::remove_all(dir);

    // More than the run took: as far as it goes, and a message.
    CliResult r = RunCli({"run", CliData("regs.asm"), "--back", "9"});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.out.find("steps=0 stop=back"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("le 5 korakov"), std::string::npos) << r.err;
    for (const char* bad : {"0", "100001"})
        EXPECT_EQ(RunCli({"run", CliData("regs.asm"), "--back", bad}).exit, 2) << bad;
}
