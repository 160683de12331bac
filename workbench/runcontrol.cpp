#include "workbench/runcontrol.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QTimer>

#include "assembler/compiler.h"
#include "engine/machine.h"
#include "windows/prompt.h"
#include "windows/registerpanels.h"

namespace {

QAction* MakeAction(QObject* parent, const char* name, const QString& text) {
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QStringList ToQt(const std::vector<std::string>& lines) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

} // namespace

TRunControl::TRunControl(TSession& session, QObject* parent) : QObject(parent), session_(session) {
    // Menu items under "&Izvajanje".
    mnuStart = MakeAction(this, "mnuStart", QStringLiteral("Naloži"));
    mnuStart->setShortcut(QKeySequence(Qt::Key_F9));
    mnuNaprej = MakeAction(this, "mnuNaprej", QStringLiteral("Naslednji korak"));
    mnuNaprej->setShortcut(QKeySequence(Qt::Key_F7));
    mnuPavza = MakeAction(this, "mnuPavza", QStringLiteral("Pavza"));
    mnuPavza->setShortcut(QKeySequence(Qt::Key_F2));
    mnuStop = MakeAction(this, "mnuStop", QStringLiteral("Stop"));
    mnuStop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    mnuPocasno = MakeAction(this, "mnuPocasno", QStringLiteral("Počasi izvajaj"));
    mnuPocasno->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
    mnuHitro = MakeAction(this, "mnuHitro", QStringLiteral("Htro izvajaj"));
    mnuHitro->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9));
    Breakpoint1 = MakeAction(this, "Breakpoint1", QStringLiteral("Prekinitvena točka"));
    Breakpoint1->setShortcut(QKeySequence(Qt::Key_F5));

    // Toolbar buttons: captions beside the images, hints as tool tips.
    btnStart = MakeAction(this, "btnStart", QStringLiteral("Naloži"));
    btnStart->setToolTip(QStringLiteral("Naloži (F9)"));
    btnNaprej = MakeAction(this, "btnNaprej", QStringLiteral("Korak"));
    btnNaprej->setToolTip(QStringLiteral("Naslednji korak (F7)"));
    btnPavza = MakeAction(this, "btnPavza", QStringLiteral("Pavza"));
    btnPavza->setToolTip(QStringLiteral("Pavza (F2)"));
    btnStop = MakeAction(this, "btnStop", QStringLiteral("Stop"));
    btnStop->setToolTip(QStringLiteral("Ustavi simulacijo (Ctrl+F2)"));
    btnPocasno = MakeAction(this, "btnPocasno", QStringLiteral("Počasno"));
    btnPocasno->setToolTip(QStringLiteral("Počasno izvajanje (Ctrl+F9)"));
    btnHitro = MakeAction(this, "btnHitro", QStringLiteral("Hitro"));
    btnHitro->setToolTip(QStringLiteral("Hitro izvajanje (Shift+F9)"));
    btnIRQ = MakeAction(this, "btnIRQ", QStringLiteral("IRQ"));
    btnIRQ->setToolTip(QStringLiteral("Zahteva za prekinitev IRQ"));
    btnNMI = MakeAction(this, "btnNMI", QStringLiteral("NMI"));
    btnNMI->setToolTip(QStringLiteral("Zahteva za prekinitev NMI"));

    // Images for the toolbar buttons (the toolbar shows the captions beside them).
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyle* style = app->style();
        btnStart->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
        btnNaprej->setIcon(style->standardIcon(QStyle::SP_MediaSkipForward));
        btnPavza->setIcon(style->standardIcon(QStyle::SP_MediaPause));
        btnStop->setIcon(style->standardIcon(QStyle::SP_MediaStop));
        btnPocasno->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
        btnHitro->setIcon(style->standardIcon(QStyle::SP_MediaSeekForward));
    }

    for (QAction* a : {mnuStart, btnStart})
        connect(a, &QAction::triggered, this, &TRunControl::Load);
    for (QAction* a : {mnuNaprej, btnNaprej})
        connect(a, &QAction::triggered, this, &TRunControl::StepOnce);
    for (QAction* a : {mnuPavza, btnPavza})
        connect(a, &QAction::triggered, this, &TRunControl::Pause);
    for (QAction* a : {mnuStop, btnStop})
        connect(a, &QAction::triggered, this, &TRunControl::Stop);
    for (QAction* a : {mnuPocasno, btnPocasno})
        connect(a, &QAction::triggered, this, &TRunControl::RunSlow);
    for (QAction* a : {mnuHitro, btnHitro})
        connect(a, &QAction::triggered, this, &TRunControl::RunFast);
    connect(Breakpoint1, &QAction::triggered, this, &TRunControl::ToggleBreakpoint);
    connect(btnIRQ, &QAction::triggered, this, &TRunControl::RequestIrq);
    connect(btnNMI, &QAction::triggered, this, &TRunControl::RequestNmi);

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

    ApplyState();
}

void TRunControl::SetPanels(TRegisterPanels* panels) {
    if (panels_) disconnect(panels_, nullptr, this, nullptr);
    panels_ = panels;
    if (!panels_) return;
    // The panels may outlive run control during tear-down: the hooks check that it is there.
    QPointer<TRunControl> self(this);
    panels_->IsLoaded = [self] { return self && self->session_.Loaded(); };
    panels_->InstructionName = [self](uint8_t opcode) {
        return self ? self->session_.InstructionName(opcode) : std::string();
    };
    panels_->PeekCell = [self](uint16_t address) {
        if (!self) return MemoryCell{};
        return MemoryCell{self->session_.PeekValue(address), self->session_.PeekLine(address)};
    };
    panels_->FitInstructionColumn();
    // A register or flag changed by hand: refresh everything (PC may have moved the line).
    connect(panels_, &TRegisterPanels::changed, this, &TRunControl::RefreshDisplay);
}

void TRunControl::SetSlowInterval(int ms) {
    slowInterval_ = ms <= 0 ? 400 : ms;
    if (session_.State() == RunState::SlowRun) Koracno->setInterval(slowInterval_);
}

void TRunControl::SetFastInterval(int ms) {
    fastInterval_ = ms <= 0 ? 1 : ms;
    if (session_.State() == RunState::FastRun) Koracno->setInterval(fastInterval_);
}

void TRunControl::StartClocks() {
    TimerClock->start();
    SciClock->start();
}

void TRunControl::StopClocks() {
    TimerClock->stop();
    SciClock->stop();
}

void TRunControl::ApplyState() {
    const RunState state = session_.State();
    const TControlStates c = ControlsFor(state);
    for (QAction* a : {mnuStart, btnStart})
        a->setEnabled(c.Load);
    for (QAction* a : {mnuNaprej, btnNaprej})
        a->setEnabled(c.Step);
    for (QAction* a : {mnuPavza, btnPavza})
        a->setEnabled(c.Pause);
    for (QAction* a : {mnuStop, btnStop})
        a->setEnabled(c.Stop);
    for (QAction* a : {mnuPocasno, btnPocasno})
        a->setEnabled(c.SlowRun);
    for (QAction* a : {mnuHitro, btnHitro})
        a->setEnabled(c.FastRun);

    // The timer runs exactly in the two run states; switching between them changes only the
    // interval (setInterval restarts the period, it never fires an extra tick).
    // A fast run that ends shows its last step.
    if (state != RunState::FastRun && displayDirty_) Refresh(true);

    switch (state) {
    case RunState::SlowRun:
        if (Koracno->interval() != slowInterval_) Koracno->setInterval(slowInterval_);
        if (!Koracno->isActive()) Koracno->start();
        break;
    case RunState::FastRun:
        if (Koracno->interval() != fastInterval_) Koracno->setInterval(fastInterval_);
        if (!Koracno->isActive()) Koracno->start();
        break;
    case RunState::Idle:
    case RunState::Halted:
        Koracno->stop();
        break;
    }
    emit controlsChanged(c);
}

void TRunControl::Load() {
    if (session_.Loaded()) return;
    std::vector<std::string> lines = SourceLines ? SourceLines() : std::vector<std::string>{};
    emit loadStarting(static_cast<int>(lines.size()));
    const TLoadResult result = session_.LoadProgram(lines);
    emit loadFinished(result.Ok);
    if (result.Done) {
        if (!result.Ok) {
            emit loadFailed(ToQt(result.Messages), result.ErrorLine);
        } else {
            addressSpaceLive_ = true;
            if (panels_) panels_->ClearInstructionCells();
            emit programCounterMoved(session_.Cpu().PC);
            Refresh(false);
            emit undoEnabled(false);
        }
        ApplyState();
    }
    // Listing write errors do not change the assembly's outcome. They are told once the
    // workbench shows that outcome, so the commands are already enabled for the new state
    // while the message box is open.
    for (int code : result.ListingErrors)
        Prompt().ShowMessage(QStringLiteral("Orlek"), QString::fromStdString(ListingErrorMessage(code)));
}

void TRunControl::StepOnce() {
    // A handler below may open a dialog whose event loop delivers another tick: never nest.
    if (inStep_ || !session_.Loaded()) return;
    inStep_ = true;
    const TStepResult result = session_.StepOnce();
    if (result.Executed) {
        emit programCounterMoved(session_.Cpu().PC);
        if (session_.State() == RunState::FastRun && FastRunFrameMs > 0 && lastRefresh_.isValid() &&
            lastRefresh_.elapsed() < FastRunFrameMs)
            displayDirty_ = true; // shown by a later step of this run, or when it ends
        else Refresh(true);
        ApplyState();
        if (result.Left) emit undoEnabled(true);
        ReportStep(result);
    }
    inStep_ = false;
}

void TRunControl::ReportStep(const TStepResult& result) {
    if (!result.Messages.empty() || result.ShowPanel)
        emit errorMessages(ToQt(result.Messages), result.ShowPanel);
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

void TRunControl::RunSlow() {
    session_.RunSlow();
    ApplyState();
}

void TRunControl::RunFast() {
    session_.RunFast();
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

void TRunControl::TimerClockTick() { session_.Machine().Timer.TimerTick(); }

void TRunControl::SciClockTick() { session_.Machine().Sci.SciTick(); }

void TRunControl::RefreshDisplay() { Refresh(false); }

void TRunControl::Refresh(bool afterStep) {
    displayDirty_ = false;
    lastRefresh_.start();
    if (addressSpaceLive_) {
        try {
            emit refreshAddressSpace();
        } catch (...) {
            // A list that cannot be drawn must not keep the panels from showing the processor.
            Prompt().ShowMessage(QStringLiteral("Orlek"), QStringLiteral("Napaka pri izpisu"));
        }
    }
    // The panels change only while loaded, except for the step that just ended the run: its
    // final state stays on the panels after the stop.
    if (!session_.Loaded() && !afterStep) return;
    if (panels_) {
        panels_->SetPreviousInstruction(QString::fromStdString(session_.PreviousInstruction()));
        panels_->Refresh(afterStep);
    }
    const bool hasInstruction = !session_.InstructionName(session_.PeekValue(session_.Cpu().PC)).empty();
    const int line = session_.Refresh();
    if (hasInstruction) emit showExecutionLine(line);
}
