// Run control on a real board: load, breakpoints, stepping, run states, interrupts, log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/machine.h"
#include "session/session.h"
#include "tests/session/sourcelines.h"
#include "tests/unprivileged.h"

namespace {

// Counts A from 1 to 5, then runs off the end at $2008.
const char* const kLoop = "* counting loop\n"  // 1
                          "       org $2000\n" // 2
                          "start  ldaa #1\n"   // 3  $2000
                          "       nop\n"       // 4  $2002
                          "loop   inca\n"      // 5  $2003
                          "       cmpa #5\n"   // 6  $2004
                          "       bne loop\n"  // 7  $2006
                          "       org $fffe\n" // 8
                          "       fdb start\n" // 9
                          "       end\n";      // 10

// Handler at $2006 for IRQ; interrupts are enabled by the CLI on line 4.
const char* const kIrq = "       org $2000\n"  // 1
                         "start  lds #$00FF\n" // 2  $2000
                         "       nop\n"        // 3  $2003
                         "       cli\n"        // 4  $2004
                         "       nop\n"        // 5  $2005
                         "irq    rti\n"        // 6  $2006
                         "       org $fff8\n"  // 7
                         "       fdb irq\n"    // 8
                         "       org $fffe\n"  // 9
                         "       fdb start\n"  // 10
                         "       end\n";       // 11

// No interrupt vectors at all.
const char* const kNoVectors = "       org $2000\n"
                               "start  cli\n"
                               "loop   nop\n"
                               "       bra loop\n"
                               "       org $fffe\n"
                               "       fdb start\n"
                               "       end\n";

class SessionTest : public ::testing::Test {
protected:
    SessionTest() : session(ORLEK_PROGRAM_DIR) {
        session.ListingPath.clear();
        session.TickCount = [this] { return clock; };
    }

    TLoadResult Load(const char* text) {
        lines = Source(text);
        return session.LoadProgram(lines);
    }
    // Steps until a step halts on a breakpoint or leaves the program (at most `limit` steps).
    TStepResult RunUntilStop(int limit = 1000) {
        TStepResult r;
        for (int i = 0; i < limit; ++i) {
            r = session.Describe(session.StepOnce());
            if (r.Breakpoint || r.Left || !r.Executed) break;
        }
        return r;
    }
    std::string LastLogLine() const { return session.Log.Format(session.Log.Size() - 1); }

    uint32_t clock = 0;
    TSession session;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(SessionTest, BreakpointOnCommentLineFailsTheLoadAndLeavesTheSourceAlone) {
    session.Breakpoints.Add(1);
    TLoadResult r = Load(kLoop);
    EXPECT_TRUE(r.Done);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Messages,
              (std::vector<std::string>{"Prekinitvena točka v napacni vrstici (napaka v vrstici 1)",
                                        "Simulatorja ne morem zagnati!"}));
    EXPECT_EQ(r.ErrorLine, 1);
    EXPECT_EQ(session.State(), RunState::Idle);
    EXPECT_FALSE(session.Loaded());
    EXPECT_EQ(lines, Source(kLoop));
    EXPECT_FALSE(session.StepOnce().Executed);
}

TEST_F(SessionTest, SourceIsUnchangedAfterEveryKindOfLoad) {
    // Breakpoints on instruction lines, one past the end, a line that already starts with "!",
    // and 8-bit text: the caller's lines come back byte for byte.
    std::string text = std::string(kLoop) + "\xE8\x9A\x9E tail after end\n";
    session.Breakpoints.Add(3);
    session.Breakpoints.Add(7);
    session.Breakpoints.Add(500);
    lines = Source(text);
    const std::vector<std::string> before = lines;
    TLoadResult ok = session.LoadProgram(lines);
    EXPECT_TRUE(ok.Ok);
    EXPECT_EQ(lines, before);
    session.Stop();

    session.Breakpoints.Add(2); // "org" line: the load fails
    EXPECT_FALSE(session.LoadProgram(lines).Ok);
    EXPECT_EQ(lines, before);
    EXPECT_EQ(session.Breakpoints.Count(), 4u);
}

TEST_F(SessionTest, UnknownInstructionMarksItsLineAndListsTheMessages) {
    TLoadResult r = Load("       org $2000\nstart  ldaa #1\n       frob\n       end\n");
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Outcome.Status, 3);
    EXPECT_EQ(r.ErrorLine, 3);
    EXPECT_EQ(r.Messages.front(), "Napaka: neznan ukaz (napaka v vrstici 3)");
    EXPECT_EQ(session.ExecutionLine(), 0);
}

TEST_F(SessionTest, SuccessfulLoadResetsAndMarksTheFirstInstruction) {
    TLoadResult r = Load(kLoop);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.Messages.empty());
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_TRUE(session.Loaded());
    EXPECT_EQ(session.Cpu().PC, 0x2000);
    EXPECT_EQ(session.ExecutionLine(), 3);
    EXPECT_EQ(session.PreviousInstruction(), "");
    EXPECT_EQ(session.NextInstruction().rfind("LDAA", 0), 0u);
    ASSERT_EQ(session.Log.Size(), 1u);
    EXPECT_TRUE(session.Log.Record(0).Header);
    // A second load while loaded does nothing, nor does the compile command.
    EXPECT_FALSE(session.LoadProgram(lines).Done);
    EXPECT_FALSE(session.Compile(lines).Done);
    EXPECT_EQ(session.Log.Size(), 1u);
}

TEST_F(SessionTest, CompileCommandAssemblesWithoutLoading) {
    lines = Source(kLoop);
    TLoadResult r = session.Compile(lines);
    EXPECT_TRUE(r.Ok);
    EXPECT_FALSE(session.Loaded());
    EXPECT_EQ(session.State(), RunState::Idle);
    EXPECT_EQ(session.Memory().Cells[0x2000].Line, 3);
    EXPECT_EQ(session.Log.Size(), 0u);
}

TEST_F(SessionTest, FastRunHaltsBeforeTheBreakpointLineAndSlowRunExecutesItFirst) {
    session.Breakpoints.Add(6); // cmpa #5
    ASSERT_TRUE(Load(kLoop).Ok);
    session.RunFast();
    EXPECT_EQ(session.State(), RunState::FastRun);
    TStepResult r = RunUntilStop();
    ASSERT_TRUE(r.Breakpoint);
    EXPECT_EQ(r.Line, 6);
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_EQ(session.Cpu().PC, 0x2004); // the breakpoint line's instruction is not yet executed
    EXPECT_EQ(session.Cpu().A, 2);
    EXPECT_EQ(session.ExecutionLine(), 6);
    EXPECT_EQ(session.PreviousInstruction().rfind("INCA", 0), 0u);

    session.RunSlow();
    r = session.Describe(session.StepOnce()); // executes cmpa: no halt on line 7
    EXPECT_FALSE(r.Breakpoint);
    EXPECT_EQ(r.Line, 7);
    EXPECT_EQ(session.State(), RunState::SlowRun);
    r = RunUntilStop();
    ASSERT_TRUE(r.Breakpoint);
    EXPECT_EQ(session.Cpu().A, 3);
}

TEST_F(SessionTest, SteppingPastTheEndSaysWhereNowAndStopsWithRegistersKept) {
    ASSERT_TRUE(Load(kLoop).Ok);
    session.RunFast();
    TStepResult r = RunUntilStop();
    ASSERT_TRUE(r.Left);
    EXPECT_FALSE(r.Failed);
    EXPECT_EQ(r.Line, -1);
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"Kam pa sedaj?"}));
    EXPECT_TRUE(r.ShowPanel);
    EXPECT_EQ(session.State(), RunState::Idle);
    EXPECT_FALSE(session.Loaded());
    EXPECT_EQ(session.Cpu().A, 5);
    EXPECT_EQ(session.Cpu().PC, 0x2008);
    EXPECT_FALSE(session.StepOnce().Executed);
}

TEST_F(SessionTest, IrqIsIgnoredWhenIdleShownInTheLogAndTakenAfterCli) {
    session.RequestIrq();
    EXPECT_TRUE(session.Cpu().Pending.none());

    ASSERT_TRUE(Load(kIrq).Ok);
    session.StepOnce(); // lds
    session.RequestIrq();
    session.Cpu().Pending.set(InterruptSource::OCF); // members 6 and 7 never show in the log
    session.StepOnce();                              // nop, I still set: nothing taken
    EXPECT_EQ(LastLogLine().substr(LastLogLine().rfind('\t')), "\t3");
    EXPECT_EQ(session.Cpu().PC, 0x2004);
    session.Cpu().Pending.reset(InterruptSource::OCF);

    TStepResult r = session.Describe(session.StepOnce()); // cli: the IRQ is entered at the end of this step
    EXPECT_EQ(LastLogLine().substr(LastLogLine().rfind('\t')), "\t3");
    EXPECT_EQ(r.Status, 0);
    EXPECT_TRUE(r.Messages.empty());
    EXPECT_EQ(session.Cpu().PC, 0x2006);
    EXPECT_TRUE(session.Cpu().I);
    // The stacked return address is the instruction after CLI.
    EXPECT_EQ(session.Memory().Cells[0xFE].Value, 0x20);
    EXPECT_EQ(session.Memory().Cells[0xFF].Value, 0x05);
    session.StepOnce(); // rti
    EXPECT_EQ(session.Cpu().PC, 0x2005);
    EXPECT_EQ(LastLogLine().substr(LastLogLine().rfind('\t')), "\t");
}

TEST_F(SessionTest, InterruptThroughUndefinedVectorListsItsMessageThenWhereNow) {
    ASSERT_TRUE(Load(kNoVectors).Ok);
    session.StepOnce(); // cli
    session.RequestIrq();
    TStepResult r = session.Describe(session.StepOnce());
    EXPECT_EQ(r.Status, 3);
    EXPECT_EQ(r.Line, -2); // entered at $0000, a port register
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"IRQ vektor ni definiran!", "Kam pa sedaj?"}));
    EXPECT_EQ(session.State(), RunState::Idle);

    ASSERT_TRUE(session.LoadProgram(lines).Ok);
    session.RequestNmi(); // taken whatever I says
    r = session.Describe(session.StepOnce());
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"NMI vektor ni definiran!", "Kam pa sedaj?"}));
}

TEST_F(SessionTest, RunStatesFollowTheTransitionTableWithoutExecutingAnything) {
    session.RunSlow(); // Idle: ignored
    session.RunFast();
    session.Pause();
    EXPECT_EQ(session.State(), RunState::Idle);

    ASSERT_TRUE(Load(kLoop).Ok);
    const uint16_t pc = session.Cpu().PC;
    const size_t logged = session.Log.Size();
    session.RunSlow();
    EXPECT_EQ(session.State(), RunState::SlowRun);
    session.RunFast();
    EXPECT_EQ(session.State(), RunState::FastRun);
    session.RunSlow();
    EXPECT_EQ(session.State(), RunState::SlowRun);
    session.Pause();
    EXPECT_EQ(session.State(), RunState::Halted);
    session.Pause();
    EXPECT_EQ(session.State(), RunState::Halted);
    EXPECT_EQ(session.Cpu().PC, pc);
    EXPECT_EQ(session.Log.Size(), logged);

    session.StepOnce();
    session.RunFast();
    session.Stop();
    EXPECT_EQ(session.State(), RunState::Idle);
    EXPECT_EQ(session.Cpu().PC, 0x2002); // registers and current line survive Stop
    EXPECT_EQ(session.ExecutionLine(), 4);
    session.RequestNmi();
    EXPECT_TRUE(session.Cpu().Pending.none());
}

// Each command takes effect exactly in the run states that allow it, leading where the run-state
// transitions lead, and is ignored elsewhere; the workbench's enabling (ControlsFor) is the same.
TEST_F(SessionTest, CommandsTakeEffectExactlyWhereTheRunStateAllowsThem) {
    using C = SessionCommand;
    const struct {
        C command;
        RunState to; // where the command leads when it takes effect
        bool TControlStates::*control;
    } commands[] = {
        {C::Load, RunState::Halted, &TControlStates::Load},
        {C::Compile, RunState::Idle, &TControlStates::Compile},
        {C::Pause, RunState::Halted, &TControlStates::Pause},
        {C::Stop, RunState::Idle, &TControlStates::Stop},
        {C::SlowRun, RunState::SlowRun, &TControlStates::SlowRun},
        {C::FastRun, RunState::FastRun, &TControlStates::FastRun},
        {C::Turbo, RunState::TurboRun, nullptr},
    };
    for (RunState from :
         {RunState::Idle, RunState::Halted, RunState::SlowRun, RunState::FastRun, RunState::TurboRun}) {
        for (const auto& c : commands) {
            SCOPED_TRACE(testing::Message() << RunStateName(from) << ", command " << int(c.command));
            TSession s(ORLEK_PROGRAM_DIR, false);
            const std::vector<std::string> program = Source(kLoop);
            if (from != RunState::Idle) ASSERT_TRUE(s.LoadProgram(program).Ok);
            if (from == RunState::SlowRun) s.RunSlow();
            if (from == RunState::FastRun) s.RunFast();
            if (from == RunState::TurboRun) s.RunTurbo();
            ASSERT_EQ(s.State(), from);
            bool done = false;
            switch (c.command) {
            case C::Load:
                done = s.LoadProgram(program).Done;
                break;
            case C::Compile:
                done = s.Compile(program).Done;
                break;
            case C::Pause:
                s.Pause();
                break;
            case C::Stop:
                s.Stop();
                break;
            case C::SlowRun:
                s.RunSlow();
                break;
            case C::FastRun:
                s.RunFast();
                break;
            default:
                s.RunTurbo();
                break;
            }
            const bool effect = done || s.State() != from;
            EXPECT_EQ(effect, Allowed(c.command, from));
            EXPECT_EQ(s.State(), effect ? c.to : from);
            if (c.control) EXPECT_EQ(ControlsFor(from).*c.control, effect);
        }
        // The source may be edited exactly where it may be assembled.
        EXPECT_EQ(ControlsFor(from).FileGroup, Allowed(C::Compile, from));
        EXPECT_EQ(ControlsFor(from).ReadOnly, !Allowed(C::Compile, from));
        EXPECT_EQ(ControlsFor(from).Step, Allowed(C::Step, from));
    }
}

TEST_F(SessionTest, RegisterEditsKeepTheWidthAndDInStepOnlyWhileLoaded) {
    // Without a program nothing changes: an edit confirmed after the run ended is dropped.
    EXPECT_FALSE(session.SetRegister(CpuRegister::A, 0x12));
    EXPECT_FALSE(session.ToggleFlag(CpuFlag::C));
    EXPECT_EQ(session.Cpu().A, 0);
    EXPECT_FALSE(session.Cpu().C);

    ASSERT_TRUE(Load(kLoop).Ok);
    session.Cpu().B = 0x80;
    session.Cpu().JoinD();
    const struct {
        CpuRegister reg;
        int32_t value;
        uint8_t a, b;
        uint16_t d;
    } edits[] = {
        {CpuRegister::A, 0x1F, 0x1F, 0x80, 0x1F80},   // A:B joins into D
        {CpuRegister::B, 300, 0x1F, 0x2C, 0x1F2C},    // 300 truncated to 8 bits
        {CpuRegister::D, 0x1234, 0x12, 0x34, 0x1234}, // D splits into A and B
        {CpuRegister::A, 0x1FF, 0xFF, 0x34, 0xFF34},
    };
    for (const auto& e : edits) {
        EXPECT_TRUE(session.SetRegister(e.reg, e.value));
        EXPECT_EQ(session.Cpu().A, e.a) << e.value;
        EXPECT_EQ(session.Cpu().B, e.b) << e.value;
        EXPECT_EQ(session.Cpu().D, e.d) << e.value;
    }
    EXPECT_TRUE(session.SetRegister(CpuRegister::X, 0x12345));
    EXPECT_EQ(session.Cpu().X, 0x2345);
    EXPECT_TRUE(session.SetRegister(CpuRegister::SP, -1));
    EXPECT_EQ(session.Cpu().SP, 0xFFFF);

    // Toggling I drops the requests not yet taken, whichever way it goes; other flags keep them.
    for (int round = 0; round < 2; ++round) {
        const bool before = session.Cpu().I;
        session.RequestIrq();
        session.RequestNmi();
        EXPECT_TRUE(session.ToggleFlag(CpuFlag::I));
        EXPECT_EQ(session.Cpu().I, !before);
        EXPECT_TRUE(session.Cpu().Pending.none());
    }
    session.RequestIrq();
    EXPECT_TRUE(session.ToggleFlag(CpuFlag::C));
    EXPECT_TRUE(session.Cpu().C);
    EXPECT_TRUE(session.Cpu().Pending.test(InterruptSource::IRQ));

    session.Stop();
    EXPECT_FALSE(session.SetRegister(CpuRegister::A, 1));
    EXPECT_EQ(session.Cpu().A, 0xFF);
}

TEST_F(SessionTest, FailingStepIsTreatedAsLeavingTheProgram) {
    ASSERT_TRUE(Load(kLoop).Ok);
    session.RunFast();
    session.TickCount = []() -> uint32_t { throw std::runtime_error("clock broken"); };
    TStepResult r = session.Describe(session.StepOnce());
    EXPECT_TRUE(r.Failed);
    EXPECT_EQ(r.Failure, "clock broken"); // what was raised, for the report
    EXPECT_TRUE(r.Left);
    EXPECT_EQ(r.Line, -1);
    EXPECT_EQ(r.Messages, (std::vector<std::string>{"Kam pa sedaj?"}));
    EXPECT_EQ(session.State(), RunState::Idle);
}

TEST_F(SessionTest, ElapsedColumnMeasuresFromThePreviousStep) {
    ASSERT_TRUE(Load(kLoop).Ok);
    clock = 1000;
    session.RunSlow(); // the run starts its clock here
    clock = 1400;
    session.StepOnce();
    clock = 1800;
    session.StepOnce();
    const TLogRecord& first = session.Log.Record(1);
    const TLogRecord& second = session.Log.Record(2);
    EXPECT_EQ(first.Elapsed, 400u);
    EXPECT_EQ(second.Elapsed, 400u);
    EXPECT_EQ(session.Log.Format(1).substr(0, 9), "2000\t3\t86");
}

TEST_F(SessionTest, FirstStepAfterALoadMeasuresFromTheLoad) {
    // A single step right after the load: no run started the clock, and the system has been up
    // for a long time.
    clock = 7000000;
    ASSERT_TRUE(Load(kLoop).Ok);
    clock = 7000250;
    session.StepOnce();
    EXPECT_EQ(session.Log.Record(1).Elapsed, 250u);

    // A new load after a stop measures from that load, not from the last step of the old run.
    session.Stop();
    clock = 9000000;
    ASSERT_TRUE(Load(kLoop).Ok);
    clock = 9000030;
    session.StepOnce();
    EXPECT_EQ(session.Log.Record(session.Log.Size() - 1).Elapsed, 30u);
}

TEST_F(SessionTest, ProgressIsReportedForBothPasses) {
    int calls = 0;
    session.onProgressStep = [&] { ++calls; };
    ASSERT_TRUE(Load(kLoop).Ok);
    EXPECT_EQ(calls, 2 * 10);
}

// The listing goes beside the program only in a program directory of the user's own: the build
// tree, or a folder the user (not root) owns; an installed one, even writable, as to root, leaves
// it to the per-user data directory, as does a missing one.
TEST(SessionListingTest, ListingGoesToTheProgramDirectoryOrThePerUserDirectory) {
    namespace fs = std::filesystem;
    fs::path base = fs::temp_directory_path() / ("orlek-session-" + std::to_string(::getpid()));
    fs::create_directories(base / "prog");
    std::ofstream(base / "CMakeCache.txt") << "# a build tree\n";
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    std::string saved = oldXdg ? oldXdg : "";
    ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    const std::string perUser = (base / "data" / "orlek" / "list.lst").string();

    EXPECT_EQ(TSession::DefaultListingPath((base / "prog").string()), (base / "prog" / "list.lst").string());
    EXPECT_EQ(TSession::DefaultListingPath((base / "missing").string()), perUser);
    EXPECT_TRUE(fs::is_directory(base / "data" / "orlek"));
    // A writable folder owned by root, as /usr/lib/orlek is to root and /tmp to everyone.
    EXPECT_EQ(TSession::DefaultListingPath("/tmp"), perUser);
    // A copy in a folder of the user's own (as root: a folder of the user nobody's own).
    fs::permissions(base, fs::perms::all);
    const std::string failure = RunUnprivileged([&]() -> std::string {
        const fs::path own = base / ("own-" + std::to_string(::getpid()));
        fs::create_directory(own);
        const std::string path = TSession::DefaultListingPath(own.string());
        fs::remove(own);
        return path == (own / "list.lst").string() ? "" : "own folder: " + path;
    });
    EXPECT_EQ(failure, "");

    if (oldXdg) ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(base);
}

// Without any usable listing location the first assembly says where the listing was tried and
// why; later assemblies do not repeat it.
TEST(SessionListingTest, NoUsableListingLocationIsToldOnceAtTheFirstAssembly) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("orlek-session-ro-" + std::to_string(::getpid()));
    const fs::path prog = base / "prog";
    fs::create_directories(prog);
    // A copy of the tables, which the unprivileged child reads wherever the build tree lies.
    fs::copy(fs::path(ORLEK_PROGRAM_DIR) / "bin", prog / "bin", fs::copy_options::recursive);
    using P = fs::perms;
    const P readOnly =
        P::owner_read | P::owner_exec | P::group_read | P::group_exec | P::others_read | P::others_exec;
    fs::permissions(base, readOnly | P::owner_write);
    fs::permissions(prog, readOnly);
    const std::string failure = RunUnprivileged([&]() -> std::string {
        ::setenv("XDG_DATA_HOME", "/dev/null", 1);
        TSession session(prog.string());
        if (!session.ListingPath.empty()) return "listing at " + session.ListingPath;
        const std::vector<std::string> lines = Source(kLoop);
        const TLoadResult first = session.Compile(lines);
        if (!first.Ok) return "the assembly failed";
        if (first.ListingProblem != "Listinga ni mogoče zapisati ne v mapo programa " + prog.string() +
                                        " (nimate dovoljenja) ne v mapo /dev/null/orlek (del poti ni mapa)")
            return first.ListingProblem;
        if (!session.Compile(lines).ListingProblem.empty()) return "told again";
        return "";
    });
    EXPECT_EQ(failure, "");
    fs::permissions(prog, P::owner_all);
    fs::remove_all(base);
}

TEST_F(SessionTest, HintsFollowTheStatusLineAndWarningsComeApart) {
    TLoadResult r = session.Compile({"       org $2000", "\tldaa #1"});
    EXPECT_EQ(r.Messages,
              (std::vector<std::string>{
                  "Napaka: neznan ukaz (napaka v vrstici 2)",
                  "Namig: vrstica vsebuje tabulator; oznako, ukaz in operand ločujejo samo presledki",
                  "Simulatorja ne morem zagnati!"}));
    r = session.Compile(
        Source("       org $2000\nstart  ldaa start+128\n       org $fffe\n       fdb start\n"));
    EXPECT_TRUE(r.Ok);
    EXPECT_TRUE(r.Messages.empty());
    EXPECT_EQ(r.Warnings,
              (std::vector<std::string>{"Opozorilo: odmik +128 v \"START+128\" se bere kot bajt s "
                                        "predznakom, zato se prišteje -128 (vrstica 2)"}));
    // The same block twice: twenty warnings are shown, the rest counted.
    std::vector<std::string> twice = {"       org $fffe", "       fdb $2000"};
    for (int block = 0; block < 2; ++block) {
        twice.push_back("       org $2000");
        twice.insert(twice.end(), 25, "       nop");
    }
    r = session.Compile(twice);
    ASSERT_EQ(r.Warnings.size(), 21u);
    EXPECT_EQ(r.Warnings[0], "Opozorilo: vrstica 30 zapiše na naslov $2000, ki ga je že zapolnila vrstica 4");
    EXPECT_EQ(r.Warnings[20], "Nadaljnjih opozoril: 5");
}

TEST(SessionTablesTest, MissingTablesAreRefusedWithTheFileName) {
    try {
        TSession session("/nonexistent/orlek");
        FAIL() << "constructed without tables";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("ukazi.red"), std::string::npos) << e.what();
    }
}
