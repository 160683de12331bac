// Run control: the state and enabling table, breakpoints, the end of a program, interrupts,
// switching speeds. Timers are ticked by hand.
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTest>
#include <functional>
#include <new>
#include <stdexcept>

#include "engine/devices/timer.h"
#include "session/addressview.h"
#include "tests/gui/gui_run_fixture.h"
#include "windows/frmspomin.h"
#include "windows/frmtimer.h"
#include "windows/valuefield.h"

class RunControlTest : public RunFixture {
protected:
    // Checks both forms of every command, the step timer and the signalled editor state.
    void ExpectState(RunState state) {
        SCOPED_TRACE(RunStateName(state));
        ASSERT_EQ(run->State(), state);
        // Both forms of every command are enabled exactly where the session allows it (the
        // session's tests check what the commands do in each state).
        const struct {
            SessionCommand command;
            QAction* menu;
            QAction* button;
        } commands[] = {{SessionCommand::Load, run->mnuStart, run->btnStart},
                        {SessionCommand::Step, run->mnuNaprej, run->btnNaprej},
                        {SessionCommand::Pause, run->mnuPavza, run->btnPavza},
                        {SessionCommand::Stop, run->mnuStop, run->btnStop},
                        {SessionCommand::SlowRun, run->mnuPocasno, run->btnPocasno},
                        {SessionCommand::FastRun, run->mnuHitro, run->btnHitro},
                        {SessionCommand::Turbo, run->mnuTurbo, run->btnTurbo},
                        {SessionCommand::StepBack, run->mnuNazaj, run->btnNazaj}};
        for (const auto& c : commands) {
            const bool allowed = session->Allowed(c.command);
            EXPECT_EQ(c.menu->isEnabled(), allowed) << c.menu->objectName().toStdString();
            EXPECT_EQ(c.button->isEnabled(), allowed) << c.button->objectName().toStdString();
        }
        // A single step by hand is given between runs; during one the step timer steps.
        EXPECT_EQ(run->mnuNaprej->isEnabled(), state == RunState::Halted);
        EXPECT_EQ(run->mnuPrevedi->isEnabled(), state == RunState::Idle);
        EXPECT_TRUE(run->Breakpoint1->isEnabled());
        EXPECT_TRUE(run->btnIRQ->isEnabled());
        EXPECT_TRUE(run->btnNMI->isEnabled());
        const bool running = state == RunState::SlowRun || state == RunState::FastRun;
        EXPECT_EQ(run->Koracno->isActive(), running);
        EXPECT_EQ(run->TurboClock->isActive(), state == RunState::TurboRun);
        // Reverse step only while halted, and only with history.
        if (state != RunState::Halted || session->HistoryDepth() == 0)
            EXPECT_FALSE(run->mnuNazaj->isEnabled());
        if (state == RunState::SlowRun) {
            EXPECT_EQ(run->Koracno->interval(), run->SlowInterval());
        }
        if (state == RunState::FastRun) {
            EXPECT_EQ(run->Koracno->interval(), run->FastInterval());
        }
        ASSERT_FALSE(controls->isEmpty());
        const auto c = controls->last().at(0).value<TControlStates>();
        EXPECT_EQ(c.ReadOnly, state != RunState::Idle);
        EXPECT_EQ(c.FileGroup, state == RunState::Idle);
        EXPECT_EQ(c.Compile, state == RunState::Idle);
    }

    size_t Steps() const {
        size_t n = 0;
        for (const TLogRecord& r : session->Log.Records())
            n += r.Header ? 0 : 1;
        return n;
    }

    void SetUp() override {
        qRegisterMetaType<TControlStates>("TControlStates");
        RunFixture::SetUp();
        controls = std::make_unique<QSignalSpy>(run.get(), &TRunControl::controlsChanged);
        run->SetSlowInterval(400);
        run->SetFastInterval(1);
    }

    void TearDown() override {
        controls.reset();
        RunFixture::TearDown();
    }

    std::unique_ptr<QSignalSpy> controls;
};

TEST_F(RunControlTest, StateAndEnablingAfterEveryTransition) {
    run->Stop(); // harmless in Idle
    ExpectState(RunState::Idle);
    EXPECT_FALSE(run->mnuNaprej->isEnabled());

    QSignalSpy undo(run.get(), &TRunControl::undoEnabled);
    LoadProgram();
    ExpectState(RunState::Halted);
    ASSERT_EQ(undo.size(), 1);
    EXPECT_FALSE(undo.last().at(0).toBool());

    EXPECT_FALSE(run->mnuNazaj->isEnabled()); // no history right after a load
    run->StepOnce();
    ExpectState(RunState::Halted);
    EXPECT_TRUE(run->mnuNazaj->isEnabled());
    run->RunSlow();
    ExpectState(RunState::SlowRun);
    run->RunFast();
    ExpectState(RunState::FastRun);
    run->RunTurbo();
    ExpectState(RunState::TurboRun);
    run->RunSlow();
    ExpectState(RunState::SlowRun);
    run->RunTurbo();
    ExpectState(RunState::TurboRun);
    run->RunFast();
    ExpectState(RunState::FastRun);
    run->RunSlow();
    ExpectState(RunState::SlowRun);
    run->Pause();
    ExpectState(RunState::Halted);
    run->RunTurbo();
    run->Pause();
    ExpectState(RunState::Halted);
    run->RunFast();
    ExpectState(RunState::FastRun);
    run->Pause();
    ExpectState(RunState::Halted);
    run->RunFast();
    run->Stop();
    ExpectState(RunState::Idle);
    EXPECT_TRUE(undo.last().at(0).toBool());

    // Disabled commands change nothing when invoked anyway.
    run->RunFast();
    run->StepOnce();
    ExpectState(RunState::Idle);
    EXPECT_EQ(Steps(), 1u);

    // Loaded again, then Stop from a run.
    LoadProgram();
    run->RunSlow();
    run->Stop();
    ExpectState(RunState::Idle);
}

TEST_F(RunControlTest, ActionsCarryTheirCaptionsShortcutsAndHints) {
    EXPECT_EQ(run->mnuStart->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(run->mnuNaprej->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(run->mnuPavza->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(run->mnuStop->shortcut(), QKeySequence("Ctrl+F2"));
    EXPECT_EQ(run->mnuPocasno->shortcut(), QKeySequence("Ctrl+F9"));
    EXPECT_EQ(run->mnuHitro->shortcut(), QKeySequence("Shift+F9"));
    EXPECT_EQ(run->mnuTurbo->shortcut(), QKeySequence("Ctrl+Shift+F9"));
    EXPECT_EQ(run->mnuNazaj->shortcut(), QKeySequence("Shift+F7"));
    EXPECT_EQ(run->btnTurbo->toolTip(), "Turbo izvajanje (Ctrl+Shift+F9)");
    EXPECT_EQ(run->btnNazaj->toolTip(), "Korak nazaj (Shift+F7)");
    EXPECT_EQ(run->Breakpoint1->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(run->mnuPrevedi->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(run->mnuHitro->text(), "Hitro izvajaj");
    EXPECT_EQ(run->btnHitro->text(), "Hitro");
    EXPECT_EQ(run->btnStop->toolTip(), "Ustavi simulacijo (Ctrl+F2)");
    EXPECT_EQ(run->btnIRQ->toolTip(), "Zahteva za prekinitev IRQ");
}

TEST_F(RunControlTest, FailedLoadStaysIdleAndReportsTheLine) {
    QSignalSpy failed(run.get(), &TRunControl::loadFailed);
    source = {"       org $fffe", "       fdb start", "       org $2000", "start  lda #1", "       end"};
    run->Load();
    ExpectState(RunState::Idle);
    ASSERT_EQ(failed.size(), 1);
    const QStringList messages = failed.last().at(0).toStringList();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.last(), "Simulatorja ne morem zagnati!");
    EXPECT_EQ(failed.last().at(1).toInt(), 4);
}

TEST_F(RunControlTest, BreakpointHaltsBeforeItsInstructionAndSlowRunExecutesItNext) {
    caret = 5;
    QSignalSpy marks(run.get(), &TRunControl::breakpointToggled);
    run->ToggleBreakpoint();
    ASSERT_TRUE(session->Breakpoints.Contains(5));
    ASSERT_EQ(marks.size(), 1);
    EXPECT_TRUE(marks.last().at(1).toBool());

    LoadProgram();
    QSignalSpy frames(run.get(), &TRunControl::displayFrame);
    run->RunFast();
    frames.clear();
    run->KoracnoTimer();
    ExpectState(RunState::Halted);
    EXPECT_EQ(Cpu().PC, 0x2002); // LDAB not yet executed
    EXPECT_EQ(Cpu().B, 0x00);
    ASSERT_FALSE(frames.isEmpty()); // the halt is drawn at once, with its line
    EXPECT_EQ(session->ExecutionLine(), 5);

    run->RunSlow();
    run->KoracnoTimer();
    EXPECT_EQ(Cpu().B, 0x80);
    EXPECT_EQ(Cpu().PC, 0x2004);
    ExpectState(RunState::SlowRun);

    // Toggling twice leaves no breakpoint.
    run->ToggleBreakpoint();
    EXPECT_FALSE(session->Breakpoints.Contains(5));
    EXPECT_FALSE(marks.last().at(1).toBool());
}

TEST_F(RunControlTest, LeavingTheProgramStopsWithRegistersStillShown) {
    LoadProgram();
    QSignalSpy errors(run.get(), &TRunControl::errorMessages);
    QSignalSpy undo(run.get(), &TRunControl::undoEnabled);
    run->RunFast();
    for (int i = 0; i < 3; ++i)
        run->KoracnoTimer(); // LDAA, LDAB, NOP: PC leaves the program
    ExpectState(RunState::Idle);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.last().at(0).toStringList(), QStringList{"Kam pa sedaj?"});
    EXPECT_TRUE(errors.last().at(1).toBool());
    EXPECT_TRUE(undo.last().at(0).toBool());
    // The final state of the processor is on the panels.
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2005");
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $1F");
    EXPECT_EQ(panels->Registers()->Cell(1, 0), "D: $1F80");
    EXPECT_EQ(panels->Instructions()->Cell(1, 0), QString::fromStdString(session->InstructionName(0x01)));
    // Further ticks (a stale timer event) do nothing.
    run->KoracnoTimer();
    EXPECT_EQ(Steps(), 3u);
    // The source may be edited again, so there is no way back into the program.
    EXPECT_FALSE(run->mnuNazaj->isEnabled());
    run->StepBack();
    ExpectState(RunState::Idle);
}

TEST_F(RunControlTest, IrqInIdleDoesNothingAndInHaltedShowsInTheNextRecord) {
    run->RequestIrq();
    run->RequestNmi();
    EXPECT_TRUE(Cpu().Pending.none());

    LoadProgram();
    run->RequestIrq();
    EXPECT_TRUE(Cpu().Pending.test(InterruptSource::IRQ));
    const size_t before = session->Log.Size();
    run->StepOnce();
    ASSERT_EQ(session->Log.Size(), before + 1);
    const std::string record = session->Log.Format(session->Log.Size() - 1);
    EXPECT_EQ(record.substr(record.rfind('\t') + 1), "3");
    EXPECT_EQ(record.substr(0, 4), "2000");
}

TEST_F(RunControlTest, SwitchingSpeedsNeverExecutesAnExtraInstruction) {
    // An endless loop so that the run never ends by itself.
    source = {"       org $fffe", "       fdb start", "       org $2000",
              "start  inca",      "       bra start", "       end"};
    run->Load();
    ASSERT_EQ(run->State(), RunState::Halted);
    run->RunSlow();
    for (int round = 0; round < 10; ++round) {
        const size_t steps = Steps();
        const uint16_t pc = Cpu().PC;
        if (round % 2 == 0) run->RunFast();
        else run->RunSlow();
        EXPECT_EQ(Steps(), steps);
        EXPECT_EQ(Cpu().PC, pc);
        ExpectState(round % 2 == 0 ? RunState::FastRun : RunState::SlowRun);
        run->KoracnoTimer();
        EXPECT_EQ(Steps(), steps + 1);
    }
    EXPECT_EQ(Cpu().A, 5);
}

TEST_F(RunControlTest, IntervalsFollowTheSettingsAndFallBack) {
    run->SetSlowInterval(0);
    run->SetFastInterval(-3);
    EXPECT_EQ(run->SlowInterval(), 400);
    EXPECT_EQ(run->FastInterval(), 1);
    LoadProgram();
    run->RunFast();
    // New intervals wait for the next run command: the run in progress keeps its pace.
    run->SetFastInterval(20);
    run->SetSlowInterval(250);
    EXPECT_EQ(run->Koracno->interval(), 1);
    run->StepOnce();
    EXPECT_EQ(run->Koracno->interval(), 1);
    run->RunSlow();
    EXPECT_EQ(run->Koracno->interval(), 250);
    run->RunFast();
    EXPECT_EQ(run->Koracno->interval(), 20);
}

TEST_F(RunControlTest, DeviceClocksTickTheModels) {
    LoadProgram();
    run->StartClocks();
    EXPECT_TRUE(run->TimerClock->isActive());
    EXPECT_EQ(run->TimerClock->interval(), 5);
    EXPECT_EQ(run->SciClock->interval(), 150);
    run->StopClocks();
    const uint16_t counter = session->Machine().Timer.St.Counter;
    run->TimerClockTick();
    EXPECT_EQ(session->Machine().Timer.St.Counter, static_cast<uint16_t>(counter + 1));
    run->SciClockTick(); // no byte in flight: nothing to check but that it runs
}

// Outside a fast run a device clock's tick is drawn by a frame shortly after it, not at the tick
// itself; what the program or the user does is drawn at once. Without a program the timer's
// ticks show nothing, so they ask for no frame.
TEST_F(RunControlTest, DeviceTicksAreDrawnAtTheNextTickFrame) {
    TTimer& timer = session->Machine().Timer;
    TfrmTimer window(timer);
    QObject::connect(run.get(), &TRunControl::displayFrame, &window, &TfrmTimer::DrawFrame);
    window.show();
    run->TimerClockTick();
    run->SciClockTick();
    EXPECT_FALSE(run->FramePending());
    LoadProgram();
    QSignalSpy frames(run.get(), &TRunControl::displayFrame);
    timer.St.Counter = 0x1233;
    run->TimerClockTick();
    run->TimerClockTick();
    EXPECT_EQ(frames.count(), 0);
    EXPECT_NE(window.CounterField()->text(), "1235");
    ASSERT_TRUE(run->FramePending());
    for (QDeadlineTimer deadline(5000); run->FramePending() && !deadline.hasExpired();)
        QTest::qWait(5);
    EXPECT_EQ(frames.count(), 1);
    EXPECT_FALSE(frames.last().at(0).value<TDisplayFrame>().Running);
    EXPECT_EQ(window.CounterField()->text(), "1235");
    session->Memory().Write(0x0B, MemoryCell{0x12, 0}, true); // a byte edit, say
    run->RefreshDisplay();
    EXPECT_EQ(window.CompareField()->text(), "1200");
}

TEST_F(RunControlTest, CostlyFramesOfAFastRunComeFurtherApart) {
    LoadProgram();
    // A window that takes 10 ms to draw: at 3 % of the run's time its frames come at the
    // longest interval; without the limit at the usual one.
    QObject::connect(run.get(), &TRunControl::displayFrame, [] {
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < 10) {
        }
    });
    run->RunFast();
    EXPECT_EQ(run->RunFrameMs(), run->MaxRunFrameMs);
    run->FrameBudget = 0;
    EXPECT_EQ(run->RunFrameMs(), run->FastRunFrameMs);
    run->FrameBudget = 0.03;
    run->FastRunFrameMs = 0; // every step drawn
    EXPECT_EQ(run->RunFrameMs(), 0);
    run->Stop();
}

TEST_F(RunControlTest, FastRunShowsItsLastStepWhenItEnds) {
    run->FastRunFrameMs = 60000; // no frame falls due during the test
    LoadProgram();
    QSignalSpy frames(run.get(), &TRunControl::displayFrame);
    run->RunFast();
    ASSERT_EQ(frames.count(), 1);
    EXPECT_TRUE(frames.last().at(0).value<TDisplayFrame>().Running);
    frames.clear();
    run->KoracnoTimer(); // LDAA: not drawn yet, and the device windows wait too
    EXPECT_EQ(Cpu().PC, 0x2002);
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2000");
    EXPECT_EQ(frames.count(), 0);
    run->Pause();
    ASSERT_GE(frames.count(), 1);
    EXPECT_FALSE(frames.last().at(0).value<TDisplayFrame>().Running);
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2002");
    EXPECT_EQ(session->ExecutionLine(), 5);

    run->RunFast();
    run->KoracnoTimer(); // LDAB
    run->Stop();
    EXPECT_EQ(panels->Registers()->Cell(0, 1), "B: $80");

    // With frames off every step is drawn.
    run->FastRunFrameMs = 0;
    LoadProgram();
    run->RunFast();
    run->KoracnoTimer();
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2002");
}

TEST_F(RunControlTest, EitherSideMayGoFirstAtTearDown) {
    LoadProgram();
    // Run control first: the panels ask the session, which still decides.
    run.reset();
    prompt.Values = {QString("$55")};
    panels->EditRegister(0, 0);
    EXPECT_EQ(session->Cpu().A, 0x55);
    // The log's owner first: the log window's model is not touched by a dying log, and a model
    // that died first is not called by the log.
    {
        auto log = std::make_unique<TLog>();
        auto window = std::make_unique<TfrmLog>(*log);
        log.reset();
    }
    TLog log;
    { TfrmLog window(log); }
    log.AppendHeader();
    EXPECT_EQ(log.Size(), 1u);
}

TEST_F(RunControlTest, AddressSpaceIsRedrawnFromTheFirstSuccessfulLoadOn) {
    TAddressView view(*session);
    TfrmSpomin list(view);
    view.SetMemoryTop(0x3000);
    QObject::connect(run.get(), &TRunControl::displayFrame, &list, &TfrmSpomin::DrawFrame);
    list.show();
    run->RefreshDisplay(); // nothing assembled yet: the list is not live
    source = {"       org $2000", "start  lda #1", "       end"};
    run->Load(); // fails: still not live
    run->Compile();
    EXPECT_EQ(list.List()->RowCount(), 0);
    EXPECT_FALSE(list.Live());

    LoadProgram();
    EXPECT_TRUE(list.Live());
    EXPECT_GE(list.List()->RowCount(), 1);
    run->Stop();
    session->Memory().Cells[view.Top()].Value = 0x5A;
    run->RefreshDisplay(); // live until exit, loaded or not
    EXPECT_TRUE(list.List()->RowText(0).contains("5A"));
}

TEST_F(RunControlTest, FailingAddressSpaceRedrawIsReportedAndThePanelsStillFollow) {
    // A list that reports failure, and one whose drawing throws: the refresh says so (with what
    // was thrown) and goes on with the panels; nothing escapes into the caller.
    const struct {
        std::function<bool()> redraw;
        const char* message;
    } cases[] = {
        {[] { return false; }, "Napaka pri izpisu"},
        {[]() -> bool { throw std::runtime_error("seznam"); }, "Napaka pri izpisu: seznam"},
        {[]() -> bool { throw std::bad_alloc(); }, "Napaka pri izpisu: zmanjkalo je pomnilnika"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        run->Stop();
        LoadProgram();
        prompt.Messages.clear();
        const QMetaObject::Connection list =
            QObject::connect(run.get(), &TRunControl::displayFrame, [&] { DrawOrTell(c.redraw); });
        run->StepOnce();
        QObject::disconnect(list);
        EXPECT_EQ(prompt.Messages, QStringList{c.message});
        EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $1F");
        EXPECT_EQ(run->State(), RunState::Halted);
    }
}

TEST_F(RunControlTest, CompileAssemblesWithoutLoadingThroughTheLoadSignals) {
    QSignalSpy failed(run.get(), &TRunControl::loadFailed);
    QSignalSpy finished(run.get(), &TRunControl::loadFinished);
    source = {"       org $2000", "start  lda #1", "       end"};
    run->mnuPrevedi->trigger();
    EXPECT_EQ(run->State(), RunState::Idle);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.last().at(0).toStringList().last(), "Simulatorja ne morem zagnati!");
    EXPECT_EQ(failed.last().at(1).toInt(), 2);

    source = Program();
    run->mnuPrevedi->trigger();
    EXPECT_EQ(run->State(), RunState::Idle); // assembled, not loaded
    EXPECT_TRUE(run->mnuPrevedi->isEnabled());
    EXPECT_EQ(failed.size(), 1);
    ASSERT_EQ(finished.size(), 2);
    EXPECT_TRUE(finished.last().at(0).toBool());
    EXPECT_EQ(session->PeekValue(0x2000), 0x86); // LDAA #

    // While a program is loaded there is nothing to compile.
    LoadProgram();
    run->Compile();
    EXPECT_EQ(finished.size(), 3);
}

TEST_F(RunControlTest, ListingErrorIsToldAfterTheLoadTookEffect) {
    // A message box answered while the workbench already shows the loaded program.
    struct TStatePrompt : TScriptedPrompt {
        std::function<bool()> LoadEnabled;
        QList<bool> LoadEnabledAtMessage;
        void ShowMessage(const QString& title, const QString& text) override {
            LoadEnabledAtMessage << LoadEnabled();
            TScriptedPrompt::ShowMessage(title, text);
        }
    } messages;
    messages.LoadEnabled = [this] { return run->mnuStart->isEnabled(); };
    session->ListingPath = "/nonexistent-orlek-dir/list.lst";
    LoadProgram();
    ASSERT_EQ(messages.Messages.size(), 1);
    EXPECT_EQ(messages.LoadEnabledAtMessage, QList<bool>{false});
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2000");
}
