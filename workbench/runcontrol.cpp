#include "workbench/runcontrol.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <exception>
#include <new>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "engine/machine.h"
#include "windows/paintedicon.h"
#include "windows/prompt.h"
#include "windows/qtstrings.h"
#include "windows/registerpanels.h"

namespace {

// Listing write errors do not change the assembly's outcome. They are told once the workbench
// shows that outcome, so after a load the commands are already enabled for the new state while
// the message box is open. Each error's number is followed by where the listing could not be
// written and why; when no listing location is usable at all, only that is told.
void TellListingErrors(const TLoadResult& result) {
    const QString problem = QString::fromStdString(result.ListingProblem);
    for (int code : result.ListingErrors) {
        QString text = QString::fromStdString(ListingErrorMessage(code));
        if (!problem.isEmpty()) text += QLatin1Char('\n') + problem;
        Prompt().ShowMessage(QStringLiteral("Orlek"), text);
    }
    if (result.ListingErrors.empty() && !problem.isEmpty())
        Prompt().ShowMessage(QStringLiteral("Orlek"), problem);
}

// The run commands: a menu item and a toolbar button each, running the same slot. The compile
// command, the breakpoint toggle and the interrupt requests have only one of the two forms.
struct TMenuItem {
    QAction* TRunControl::*field;
    const char* name;
    const char* caption;
    QKeySequence shortcut;
    void (TRunControl::*slot)();
};
struct TButton {
    QAction* TRunControl::*field;
    const char* name;
    const char* caption;
    const char* hint;
    QStyle::StandardPixmap image; // SP_CustomBase: none
    void (TRunControl::*slot)();
};

const TMenuItem kMenuItems[] = {
    {&TRunControl::mnuPrevedi, "mnuPrevedi", "Prevedi", QKeySequence(Qt::Key_F6), &TRunControl::Compile},
    {&TRunControl::mnuStart, "mnuStart", "Naloži", QKeySequence(Qt::Key_F9), &TRunControl::Load},
    {&TRunControl::mnuNaprej, "mnuNaprej", "Naslednji korak", QKeySequence(Qt::Key_F7),
     &TRunControl::StepOnce},
    {&TRunControl::mnuNazaj, "mnuNazaj", "Korak nazaj", QKeySequence(Qt::SHIFT | Qt::Key_F7),
     &TRunControl::StepBack},
    {&TRunControl::mnuPavza, "mnuPavza", "Pavza", QKeySequence(Qt::Key_F2), &TRunControl::Pause},
    {&TRunControl::mnuStop, "mnuStop", "Stop", QKeySequence(Qt::CTRL | Qt::Key_F2), &TRunControl::Stop},
    {&TRunControl::mnuPocasno, "mnuPocasno", "Počasi izvajaj", QKeySequence(Qt::CTRL | Qt::Key_F9),
     &TRunControl::RunSlow},
    {&TRunControl::mnuHitro, "mnuHitro", "Hitro izvajaj", QKeySequence(Qt::SHIFT | Qt::Key_F9),
     &TRunControl::RunFast},
    {&TRunControl::mnuTurbo, "mnuTurbo", "Turbo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F9),
     &TRunControl::RunTurbo},
    {&TRunControl::Breakpoint1, "Breakpoint1", "Prekinitvena točka", QKeySequence(Qt::Key_F5),
     &TRunControl::ToggleBreakpoint},
};

const TButton kButtons[] = {
    {&TRunControl::btnStart, "btnStart", "Naloži", "Naloži (F9)", QStyle::SP_ArrowDown, &TRunControl::Load},
    {&TRunControl::btnNaprej, "btnNaprej", "Korak", "Naslednji korak (F7)", QStyle::SP_MediaSkipForward,
     &TRunControl::StepOnce},
    {&TRunControl::btnNazaj, "btnNazaj", "Korak nazaj", "Korak nazaj (Shift+F7)",
     QStyle::SP_MediaSkipBackward, &TRunControl::StepBack},
    {&TRunControl::btnPavza, "btnPavza", "Pavza", "Pavza (F2)", QStyle::SP_MediaPause, &TRunControl::Pause},
    {&TRunControl::btnStop, "btnStop", "Stop", "Ustavi simulacijo (Ctrl+F2)", QStyle::SP_MediaStop,
     &TRunControl::Stop},
    {&TRunControl::btnPocasno, "btnPocasno", "Počasno", "Počasno izvajanje (Ctrl+F9)", QStyle::SP_MediaPlay,
     &TRunControl::RunSlow},
    {&TRunControl::btnHitro, "btnHitro", "Hitro", "Hitro izvajanje (Shift+F9)", QStyle::SP_MediaSeekForward,
     &TRunControl::RunFast},
    {&TRunControl::btnTurbo, "btnTurbo", "Turbo", "Turbo izvajanje (Ctrl+Shift+F9)", QStyle::SP_CustomBase,
     &TRunControl::RunTurbo},
    {&TRunControl::btnIRQ, "btnIRQ", "IRQ", "Zahteva za prekinitev IRQ", QStyle::SP_CustomBase,
     &TRunControl::RequestIrq},
    {&TRunControl::btnNMI, "btnNMI", "NMI", "Zahteva za prekinitev NMI", QStyle::SP_CustomBase,
     &TRunControl::RequestNmi},
};

} // namespace

TRunControl::TRunControl(TSession& session, QObject* parent) : QObject(parent), session_(session) {
    CreateActions();

    Koracno = new QTimer(this);
    Koracno->setObjectName("Koracno");
    Koracno->setTimerType(Qt::PreciseTimer);
    Koracno->setInterval(slowInterval_);
    connect(Koracno, &QTimer::timeout, this, &TRunControl::KoracnoTimer);

    TimerClock = new QTimer(this);
    TimerClock->setObjectName("TimerClock");
    TimerClock->setTimerType(Qt::PreciseTimer);
    TimerClock->setInterval(5);
    connect(TimerClock, &QTimer::timeout, this, &TRunControl::TimerClockTick);

    SciClock = new QTimer(this);
    SciClock->setObjectName("SciClock");
    SciClock->setInterval(150);
    connect(SciClock, &QTimer::timeout, this, &TRunControl::SciClockTick);

    TickFrame = new QTimer(this);
    TickFrame->setObjectName("TickFrame");
    TickFrame->setSingleShot(true);
    connect(TickFrame, &QTimer::timeout, this, &TRunControl::displayRefreshed);

    TurboClock = new QTimer(this);
    TurboClock->setObjectName("TurboClock");
    TurboClock->setInterval(0);
    connect(TurboClock, &QTimer::timeout, this, &TRunControl::TurboSlice);

    ApplyState();
}

void TRunControl::CreateActions() {
    for (const TMenuItem& m : kMenuItems) {
        auto* action = new QAction(QString::fromUtf8(m.caption), this);
        action->setObjectName(QString::fromLatin1(m.name));
        action->setShortcut(m.shortcut);
        connect(action, &QAction::triggered, this, m.slot);
        this->*m.field = action;
    }
    // Toolbar buttons: captions beside the images, hints as tool tips. Images only where there
    // is an application style to take them from.
    QStyle* style = nullptr;
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) style = app->style();
    for (const TButton& b : kButtons) {
        auto* action = new QAction(QString::fromUtf8(b.caption), this);
        action->setObjectName(QString::fromLatin1(b.name));
        action->setToolTip(QString::fromUtf8(b.hint));
        if (style && b.image != QStyle::SP_CustomBase) action->setIcon(style->standardIcon(b.image));
        connect(action, &QAction::triggered, this, b.slot);
        this->*b.field = action;
    }
    // Turbo: three arrowheads, one more than fast run's two.
    if (style)
        btnTurbo->setIcon(PaintedIcon([](QPainter& p, const QRectF& r) {
            p.setBrush(p.pen().color());
            const qreal w = r.width() / 3.0, top = r.top() + r.height() * 0.2,
                        bottom = r.bottom() - r.height() * 0.2;
            for (int k = 0; k < 3; ++k) {
                const qreal x = r.left() + k * w;
                const QPointF head[] = {{x, top}, {x + w, (top + bottom) / 2}, {x, bottom}};
                p.drawPolygon(head, 3);
            }
        }));
}

void TRunControl::SetPanels(TRegisterPanels* panels) {
    if (panels_) disconnect(panels_, nullptr, this, nullptr);
    panels_ = panels;
    if (!panels_) return;
    panels_->FitInstructionColumn();
    // A register or flag changed by hand: refresh everything (PC may have moved the line).
    connect(panels_, &TRegisterPanels::changed, this, &TRunControl::RefreshDisplay);
}

void TRunControl::RestoreIntervals(QSettings& settings) {
    const QVariant slow = settings.value(QStringLiteral("Slow simulation"));
    if (!slow.isValid()) return;
    SetSlowInterval(slow.toInt()); // a damaged value reads as 0 and falls back
    const QVariant fast = settings.value(QStringLiteral("Fast simulation"));
    if (fast.isValid()) SetFastInterval(fast.toInt());
}

void TRunControl::SetBreakpoints(const QList<int>& lines) {
    session_.Breakpoints.Clear();
    for (int line : lines)
        session_.Breakpoints.Add(line);
}

std::optional<uint16_t> TRunControl::FindLabel(const QString& name) const {
    std::string reference = Utf8ToCp1250(name.toStdString());
    UpperCase1250(reference);
    uint16_t value = 0;
    if (session_.Compiler().FindLabel(reference, value)) return value;
    return std::nullopt;
}

void TRunControl::SetSlowInterval(int ms) { slowInterval_ = ms <= 0 ? 400 : ms; }

void TRunControl::SetFastInterval(int ms) { fastInterval_ = ms <= 0 ? 1 : ms; }

void TRunControl::StartClocks() {
    clocksOn_ = true;
    if (turbo_) return; // the turbo run's virtual clock stands in for them until it ends
    TimerClock->start();
    SciClock->start();
}

void TRunControl::StopClocks() {
    clocksOn_ = false;
    TimerClock->stop();
    SciClock->stop();
    TurboClock->stop();
}

void TRunControl::ApplyState() {
    const RunState state = session_.State();
    // Both forms of a command are enabled together, as the session allows it.
    using C = SessionCommand;
    const struct {
        C command;
        QAction* menu;
        QAction* button; // null: the command has only its menu item
    } enabling[] = {
        {C::Compile, mnuPrevedi, nullptr}, {C::Load, mnuStart, btnStart},
        {C::Step, mnuNaprej, btnNaprej},   {C::Pause, mnuPavza, btnPavza},
        {C::Stop, mnuStop, btnStop},       {C::SlowRun, mnuPocasno, btnPocasno},
        {C::FastRun, mnuHitro, btnHitro},  {C::Turbo, mnuTurbo, btnTurbo},
        {C::StepBack, mnuNazaj, btnNazaj},
    };
    for (const auto& e : enabling) {
        const bool on = session_.Allowed(e.command);
        e.menu->setEnabled(on);
        if (e.button) e.button->setEnabled(on);
    }

    if (state != RunState::TurboRun && turbo_) EndTurbo();

    // The timer runs exactly in the two run states. Its interval is set by the run commands
    // (RunSlow, RunFast) only, so a run keeps its pace until the next run command even when
    // the settings change meanwhile.
    // A fast or turbo run that ends shows its last step.
    const bool framed = state == RunState::FastRun || state == RunState::TurboRun;
    if (!framed && displayDirty_) Refresh(true);
    if (!framed) emit displayRefreshed();

    switch (state) {
    case RunState::SlowRun:
    case RunState::FastRun:
        if (!Koracno->isActive()) Koracno->start();
        break;
    case RunState::TurboRun:
        Koracno->stop();
        if (!TurboClock->isActive()) TurboClock->start();
        break;
    case RunState::Idle:
    case RunState::Halted:
        Koracno->stop();
        break;
    }
    emit controlsChanged(ControlsFor(state));
}

// "Korak nazaj" is there while halted with history.
void TRunControl::ApplyStepBackEnabled() {
    for (QAction* a : {mnuNazaj, btnNazaj})
        a->setEnabled(session_.Allowed(SessionCommand::StepBack));
}

TLoadResult TRunControl::Assemble(bool load) {
    std::vector<std::string> lines = SourceLines ? SourceLines() : std::vector<std::string>{};
    emit loadStarting(static_cast<int>(lines.size()));
    const TLoadResult result = load ? session_.LoadProgram(lines) : session_.Compile(lines);
    emit loadFinished(result.Ok);
    // The assembler's warnings follow in the same list ("Napaka/Opozorilo"): after the messages
    // of a failure, which stay in view, or on their own after a success.
    if (result.Done && !result.Ok)
        emit loadFailed(ToQStringList(result.Messages) + ToQStringList(result.Warnings), result.ErrorLine);
    else if (result.Done && !result.Warnings.empty())
        emit errorMessages(ToQStringList(result.Warnings), true);
    return result;
}

void TRunControl::Compile() {
    if (session_.Loaded()) return;
    TellListingErrors(Assemble(false));
}

void TRunControl::Load() {
    if (session_.Loaded()) return;
    const TLoadResult result = Assemble(true);
    if (result.Done) {
        if (result.Ok) {
            addressSpaceLive_ = true;
            if (panels_) panels_->ClearInstructionCells();
            emit programCounterMoved(session_.Cpu().PC);
            Refresh(false);
            emit undoEnabled(false);
        }
        ApplyState();
    }
    TellListingErrors(result);
}

void TRunControl::StepOnce() {
    // A handler below may open a dialog whose event loop delivers another tick: never nest.
    if (inStep_ || !session_.Loaded()) return;
    inStep_ = true;
    const RunState before = session_.State();
    const TStepResult result = session_.StepOnce();
    if (result.Left) EndLeftProgram();
    if (result.Executed) {
        emit programCounterMoved(session_.Cpu().PC);
        if (session_.State() == RunState::FastRun && FastRunFrameMs > 0 && lastRefresh_.isValid() &&
            lastRefresh_.elapsed() < FastRunFrameMs)
            displayDirty_ = true; // shown by a later step of this run, or when it ends
        else Refresh(true);
        // The commands' enabling changes only when the step ended the run (a breakpoint, the
        // end of the program); the refresh has already set "Korak nazaj".
        if (session_.State() != before) ApplyState();
        if (result.Left) emit undoEnabled(true);
        ReportStep(result);
    }
    inStep_ = false;
}

// The program was left (or a step failed): the session has stopped, and the source may be edited
// again. The stop by hand that follows ends the history, so "Korak nazaj" cannot lead back into a
// program whose text may change meanwhile.
void TRunControl::EndLeftProgram() { session_.Stop(); }

void TRunControl::ReportStep(const TStepResult& result) {
    if (!result.Messages.empty() || result.ShowPanel)
        emit errorMessages(ToQStringList(result.Messages), result.ShowPanel);
}

void TRunControl::KoracnoTimer() {
    // A tick left over from a run that has ended, or a state changed behind our back: bring
    // the timer and the enabling in line instead of stepping.
    const RunState state = session_.State();
    if (state != RunState::SlowRun && state != RunState::FastRun) {
        SyncState();
        return;
    }
    StepOnce();
}

void TRunControl::SyncState() { ApplyState(); }

void TRunControl::Pause() {
    session_.Pause();
    ApplyState();
}

void TRunControl::Stop() {
    const bool wasLoaded = session_.Loaded();
    session_.Stop();
    ApplyState();
    if (wasLoaded) emit undoEnabled(true);
}

// Switching between the two runs changes only the interval (setInterval restarts the period,
// it never fires an extra tick).
void TRunControl::RunSlow() {
    session_.RunSlow();
    if (session_.State() == RunState::SlowRun && Koracno->interval() != slowInterval_)
        Koracno->setInterval(slowInterval_);
    ApplyState();
}

void TRunControl::RunFast() {
    session_.RunFast();
    if (session_.State() == RunState::FastRun && Koracno->interval() != fastInterval_)
        Koracno->setInterval(fastInterval_);
    ApplyState();
}

void TRunControl::RunTurbo() {
    if (!session_.Allowed(SessionCommand::Turbo)) return;
    // The scenario's virtual clock takes over the device clocks and the log's time column for
    // as long as the turbo run lasts; the run keeps its state when it starts and when it ends.
    turbo_ = std::make_unique<TScenario>(session_);
    turbo_->Clock = TVirtualClock{};
    turbo_->onReport = [this](const TStepResult& result) { ReportStep(result); };
    session_.RunTurbo();
    session_.Log.SetLimit(TurboLogLimit);
    TimerClock->stop();
    SciClock->stop();
    ApplyState();
}

void TRunControl::EndTurbo() {
    TurboClock->stop();
    turbo_.reset();
    session_.RestartStepClock();
    session_.Log.SetLimit(0);
    if (clocksOn_) {
        TimerClock->start();
        SciClock->start();
    }
}

void TRunControl::TurboSlice() {
    if (session_.State() != RunState::TurboRun || !turbo_) {
        SyncState();
        return;
    }
    if (inStep_) return;
    inStep_ = true;
    // Steps in chunks until the slice is over; a chunk costs a fraction of a millisecond.
    constexpr uint64_t kChunk = 8192;
    QElapsedTimer slice;
    slice.start();
    const qint64 sliceNs = qint64{TurboSliceMs} * 1000000;
    ScenarioStop stop = ScenarioStop::Running;
    do {
        stop = turbo_->Advance(kChunk);
    } while (stop == ScenarioStop::Running && slice.nsecsElapsed() < sliceNs);
    inStep_ = false;

    // A scenario with a step limit (tests, benchmarks) halts the run when it is reached.
    if (stop == ScenarioStop::Limit) session_.Pause();
    if (stop == ScenarioStop::Left) EndLeftProgram();
    const bool ended = stop != ScenarioStop::Running;
    if (ended || !lastRefresh_.isValid() || lastRefresh_.elapsed() >= TurboFrameMs) {
        emit programCounterMoved(session_.Cpu().PC);
        Refresh(true);
    } else {
        displayDirty_ = true;
    }
    if (ended) {
        ApplyState();
        if (stop == ScenarioStop::Left) emit undoEnabled(true);
    }
}

void TRunControl::StepBack() {
    if (inStep_ || !session_.StepBack()) {
        ApplyStepBackEnabled();
        return;
    }
    emit programCounterMoved(session_.Cpu().PC);
    Refresh(false);
    ApplyState();
}

void TRunControl::ToggleBreakpoint() {
    const int line = CaretLine ? CaretLine() : 0;
    if (line <= 0) return;
    if (session_.Breakpoints.Contains(line)) {
        session_.Breakpoints.Remove(line);
        emit breakpointToggled(line, false);
    } else {
        session_.Breakpoints.Add(line);
        emit breakpointToggled(line, true);
    }
}

void TRunControl::RequestIrq() { session_.RequestIrq(); }

void TRunControl::RequestNmi() { session_.RequestNmi(); }

void TRunControl::TimerClockTick() {
    DeviceTick([this] { session_.Machine().Timer.TimerTick(); });
}

void TRunControl::SciClockTick() {
    DeviceTick([this] { session_.Machine().Sci.SciTick(); });
}

void TRunControl::DeviceTick(const std::function<void()>& tick) {
    inTick_ = true;
    tickWaits_ = false;
    tick();
    inTick_ = false;
    // A change a window put off is drawn by the next tick frame; a tick that changed nothing on
    // screen (no program loaded, a window hidden) starts none.
    if (tickWaits_ && !TickFrame->isActive()) TickFrame->start(FastRunFrameMs);
}

void TRunControl::RefreshDisplay() { Refresh(false); }

void TRunControl::StepsTaken(const QStringList& messages, bool showPanel) {
    if (!session_.Loaded()) EndLeftProgram();
    emit programCounterMoved(session_.Cpu().PC);
    Refresh(true);
    ApplyState();
    if (!session_.Loaded()) emit undoEnabled(true);
    if (!messages.isEmpty() || showPanel) emit errorMessages(messages, showPanel);
}

void TRunControl::Refresh(bool afterStep) {
    displayDirty_ = false;
    lastRefresh_.start();
    // A cleared memory forgets the history: the refresh that follows shows it.
    ApplyStepBackEnabled();
    if (addressSpaceLive_ && RedrawAddressSpace) RedrawAddressSpaceOrReport();
    // The panels change only while loaded, except for the step that just ended the run: its
    // final state stays on the panels after the stop.
    if (!session_.Loaded() && !afterStep) {
        emit displayRefreshed();
        return;
    }
    if (panels_) {
        panels_->SetPreviousInstruction(QString::fromStdString(session_.PreviousInstruction()));
        panels_->Refresh(afterStep);
    }
    if (const std::optional<int> line = session_.Refresh()) emit showExecutionLine(*line);
    emit displayRefreshed();
}

void TRunControl::RedrawAddressSpaceOrReport() {
    // A list that cannot be drawn must not keep the panels from showing the processor. The
    // list reports failure by its result; what drawing may still throw (running out of memory,
    // an error of the list's own code) is caught here, so that it never crosses the timer's or
    // a button's signal, and told with its reason.
    QString reason;
    try {
        if (RedrawAddressSpace()) return;
    } catch (const std::bad_alloc&) {
        reason = QStringLiteral("zmanjkalo je pomnilnika");
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    }
    Prompt().ShowMessage(QStringLiteral("Orlek"), reason.isEmpty()
                                                      ? QStringLiteral("Napaka pri izpisu")
                                                      : QStringLiteral("Napaka pri izpisu: ") + reason);
}
