#include "workbench/runcontrol.h"

#include <QAction>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "engine/machine.h"
#include "session/sciterminal.h"
#include "windows/paintedicon.h"
#include "windows/prompt.h"
#include "windows/qtstrings.h"

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

    frameTimer_ = new QTimer(this);
    frameTimer_->setObjectName("frameTimer");
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &TRunControl::ShowFrame);

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
    const TLoadResult result = Assemble(false);
    // The assembly cleared the memory and reset the devices.
    if (result.Done) ShowFrame();
    TellListingErrors(result);
}

void TRunControl::Load() {
    if (session_.Loaded()) return;
    const TLoadResult result = Assemble(true);
    if (result.Done) {
        if (result.Ok) {
            stepped_ = true; // the views that follow the program counter go to the reset vector's
            emit undoEnabled(false);
        }
        ApplyState();
        ShowFrame();
    }
    TellListingErrors(result);
}

void TRunControl::ProgramLoaded() {
    stepped_ = true;
    emit undoEnabled(false);
    ApplyState();
    ShowFrame();
}

void TRunControl::StepOnce() {
    // A handler below may open a dialog whose event loop delivers another tick: never nest.
    if (inStep_ || !session_.Loaded()) return;
    inStep_ = true;
    const RunState before = session_.State();
    const TStepResult result = session_.Describe(session_.StepOnce());
    if (result.Left) EndLeftProgram();
    if (result.Executed) {
        stepped_ = true;
        // The commands' enabling changes only when the step ended the run (a breakpoint, the
        // end of the program); the frame sets "Korak nazaj".
        const bool ended = session_.State() != before;
        if (ended) ApplyState();
        // A fast run draws a later step of the run, or the last one when it ends.
        if (ended || session_.State() != RunState::FastRun || FrameDue(RunFrameMs())) ShowFrame();
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
    if (state == RunState::FastRun && session_.LoadedModel() == TProcessorModel::Chip) {
        PacedTick();
        return;
    }
    StepOnce();
}

void TRunControl::PacedTick() {
    if (inStep_ || !session_.Loaded()) return;
    inStep_ = true;
    const uint64_t target = Pacer.Target(session_.Cycles());
    QElapsedTimer spent;
    spent.start();
    TStepOutcome last;
    // No step takes fewer than 2 cycles; a chunk of a sixth of the cycles left seldom passes
    // the target by much. The event loop is never held for more than a frame.
    while (session_.Cycles() < target && session_.State() == RunState::FastRun && session_.Loaded()) {
        const uint64_t steps = std::clamp<uint64_t>((target - session_.Cycles()) / 6, 1, 1 << 16);
        const TRunOutcome run = session_.Run(steps);
        if (run.Steps != 0) last = run.Last;
        if (last.Notable() || spent.elapsed() >= FastRunFrameMs) break;
    }
    inStep_ = false;
    stepped_ = true;
    const TStepResult result = session_.Describe(last);
    if (result.Left) EndLeftProgram();
    const bool ended = session_.State() != RunState::FastRun;
    if (ended) ApplyState();
    if (ended || FrameDue(RunFrameMs())) ShowFrame();
    if (result.Left) emit undoEnabled(true);
    ReportStep(result);
}

TModelSettings ReadModelSettings(QSettings& settings) {
    TModelSettings s;
    TProcessorModel model;
    if (ParseModelName(settings.value(QStringLiteral("Processor model")).toString().toStdString(), model))
        s.Model = model;
    bool ok = false;
    const int hz = settings.value(QStringLiteral("E clock")).toInt(&ok);
    if (ok && hz >= 100000 && hz <= 4000000) s.EHz = static_cast<uint64_t>(hz);
    const uint32_t divisor = settings.value(QStringLiteral("Speed factor")).toUInt(&ok);
    if (ok &&
        std::find(std::begin(kSpeedDivisors), std::end(kSpeedDivisors), divisor) != std::end(kSpeedDivisors))
        s.Divisor = divisor;
    return s;
}

void TRunControl::RestoreModelSettings(QSettings& settings) {
    const TModelSettings model = ReadModelSettings(settings);
    session_.SetModel(model.Model);
    Pacer.EHz = model.EHz;
    session_.SetEClockHz(model.EHz);
    Pacer.Divisor = model.Divisor;
}

void TRunControl::SyncState() {
    ApplyState();
    ShowFrame();
}

void TRunControl::Pause() {
    session_.Pause();
    ApplyState();
    ShowFrame();
}

void TRunControl::Stop() {
    const bool wasLoaded = session_.Loaded();
    session_.Stop();
    ApplyState();
    ShowFrame();
    if (wasLoaded) emit undoEnabled(true);
}

// Switching between the two runs changes only the interval (setInterval restarts the period,
// it never fires an extra tick).
void TRunControl::RunSlow() {
    session_.RunSlow();
    if (session_.State() == RunState::SlowRun && Koracno->interval() != slowInterval_)
        Koracno->setInterval(slowInterval_);
    ApplyState();
    ShowFrame();
}

void TRunControl::RunFast() {
    frameCostMs_ = 0;
    session_.RunFast();
    Pacer.Start(session_.Cycles());
    if (session_.State() == RunState::FastRun && Koracno->interval() != fastInterval_)
        Koracno->setInterval(fastInterval_);
    ApplyState();
    ShowFrame();
}

void TRunControl::RunTurbo() {
    if (!session_.Allowed(SessionCommand::Turbo)) return;
    // The scenario's virtual clock takes over the device clocks and the log's time column for
    // as long as the turbo run lasts; the run keeps its state when it starts and when it ends.
    turbo_ = std::make_unique<TScenario>(session_);
    turbo_->Clock = TVirtualClock{};
    // The chip model's devices count E cycles: no virtual interface clock.
    if (session_.LoadedModel() == TProcessorModel::Chip)
        turbo_->Clock.TimerEvery = turbo_->Clock.SciEvery = 0;
    turbo_->onReport = [this](const TStepResult& result) { ReportStep(result); };
    session_.RunTurbo();
    session_.Log.SetLimit(TurboLogLimit);
    TimerClock->stop();
    SciClock->stop();
    ApplyState();
    ShowFrame();
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
    stepped_ = true;

    // A scenario with a step limit (tests, benchmarks) halts the run when it is reached.
    if (stop == ScenarioStop::Limit) session_.Pause();
    if (stop == ScenarioStop::Left) EndLeftProgram();
    if (stop != ScenarioStop::Running) {
        ApplyState();
        ShowFrame();
        if (stop == ScenarioStop::Left) emit undoEnabled(true);
    } else if (FrameDue(TurboFrameMs)) {
        ShowFrame();
    }
}

void TRunControl::StepBack() {
    if (inStep_ || !session_.StepBack()) {
        ApplyStepBackEnabled();
        return;
    }
    stepped_ = true;
    ApplyState();
    ShowFrame();
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
    TMachine& board = session_.Machine();
    const uint8_t port2 = board.Port2.St.Level;
    board.Timer.TimerTick();
    // The timer's registers are shown only while a program is loaded, and then every tick moves
    // the counter; without a program only the output compare's pin can change what is shown.
    if (session_.Loaded() || board.Port2.St.Level != port2) TickChanged(false);
}

void TRunControl::SciClockTick() {
    session_.Machine().Sci.SciTick();
    // The SCI window shows the line's counts as a tick leaves them: a tick that finds the line
    // as the last one left it shows nothing new (without a program it only counts itself).
    const TSciLine line = SciLine();
    if (line == sciLine_) return;
    sciLine_ = line;
    // Drawn at once, so the counts are the tick's own; the SCI ticks far less often than a frame.
    TickChanged(true);
}

TRunControl::TSciLine TRunControl::SciLine() {
    const TSci& sci = session_.Machine().Sci;
    return {sci.St.RMCR,    sci.St.TRCSR,  sci.St.TxCount, sci.St.TDR,
            sci.St.RxCount, sci.St.RxByte, sci.Loopback,   session_.SciTerminal().OutputRevision()};
}

void TRunControl::TickChanged(bool now) {
    const RunState state = session_.State();
    if (state == RunState::FastRun || state == RunState::TurboRun) return;
    if (now) {
        ShowFrame();
    } else if (!frameTimer_->isActive()) {
        const qint64 since = lastFrame_.isValid() ? lastFrame_.elapsed() : FastRunFrameMs;
        frameTimer_->start(static_cast<int>(std::clamp<qint64>(FastRunFrameMs - since, 0, FastRunFrameMs)));
    }
}

bool TRunControl::FramePending() const { return frameTimer_->isActive(); }

bool TRunControl::FrameDue(int interval) const {
    return interval <= 0 || !lastFrame_.isValid() || lastFrame_.elapsed() >= interval;
}

void TRunControl::RefreshDisplay() { ShowFrame(); }

void TRunControl::StepsTaken(const QStringList& messages, bool showPanel) {
    if (!session_.Loaded()) EndLeftProgram();
    stepped_ = true;
    ApplyState();
    ShowFrame();
    if (!session_.Loaded()) emit undoEnabled(true);
    if (!messages.isEmpty() || showPanel) emit errorMessages(messages, showPanel);
}

void TRunControl::ShowFrame() {
    frameTimer_->stop();
    lastFrame_.start();
    const RunState state = session_.State();
    TDisplayFrame frame;
    frame.Loaded = session_.Loaded();
    frame.WasLoaded = loadedAtFrame_;
    frame.Stepped = stepped_;
    loadedAtFrame_ = frame.Loaded;
    frame.Running = state == RunState::FastRun || state == RunState::TurboRun;
    stepped_ = false;
    // A cleared memory forgets the history: the frame shows it.
    ApplyStepBackEnabled();
    // Registers or memory changed by hand may have moved the current line.
    if (frame.Processor()) session_.Refresh();
    if (state != RunState::FastRun) {
        emit displayFrame(frame);
        return;
    }
    QElapsedTimer cost;
    cost.start();
    emit displayFrame(frame);
    // The windows paint now rather than later in this pass of the event loop, so that the
    // frame's cost includes them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const double ms = static_cast<double>(cost.nsecsElapsed()) / 1e6;
    frameCostMs_ = frameCostMs_ == 0 ? ms : 0.75 * frameCostMs_ + 0.25 * ms;
}

int TRunControl::RunFrameMs() const {
    if (FastRunFrameMs <= 0 || !(FrameBudget > 0)) return FastRunFrameMs;
    const double ms = frameCostMs_ / FrameBudget;
    return static_cast<int>(
        std::clamp(ms, double(FastRunFrameMs), double(std::max(FastRunFrameMs, MaxRunFrameMs))));
}
