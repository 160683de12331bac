#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/scenario.h"
#include "session/session.h"
#include "windows/registerpanels.h"

class QAction;
class QSettings;
class QTimer;

// Run control of the workbench: the step timer Koracno, the device clocks, the run commands as
// QActions enabled by the state table, and RefreshDisplay's register-panel half. The decisions
// (assembly, load, step, breakpoints, messages, states, log) are the session's; this class only
// turns them into timers, enabling and signals for the main window.
//
// Integration in the main window:
//   * the main window's command table places the actions: mnuPrevedi, mnuHitro, mnuTurbo,
//     mnuPocasno, mnuStart, mnuNaprej, mnuNazaj, mnuPavza, mnuStop, Breakpoint1 under
//     "&Izvajanje", the buttons on the toolbar (captions, shortcuts, hints and images are set
//     here);
//   * hooks: SourceLines (the editor text for the assembler), CaretLine (for F5),
//     RedrawAddressSpace (the address-space list);
//   * the panels: SetPanels(new TRegisterPanels(session, panel2)) and put them in Panel2;
//   * signals below: error list, execution line, read-only editor and file group, Undo,
//     breakpoint gutter marks;
//   * StartClocks() once the windows exist (the 5 ms timer and 150 ms SCI clocks).
class TRunControl : public QObject {
    Q_OBJECT
public:
    explicit TRunControl(TSession& session, QObject* parent = nullptr);

    TSession& Session() const { return session_; }

    // Menu items (caption, shortcut) and toolbar buttons (caption, hint) of the run commands.
    // The two forms of one command are always enabled together. The compile command has only
    // its menu item.
    QAction* mnuPrevedi;
    QAction* mnuStart;
    QAction* mnuNaprej;
    QAction* mnuPavza;
    QAction* mnuStop;
    QAction* mnuPocasno;
    QAction* mnuHitro;
    QAction* mnuTurbo;
    QAction* mnuNazaj;
    QAction* Breakpoint1;
    QAction* btnStart;
    QAction* btnNaprej;
    QAction* btnPavza;
    QAction* btnStop;
    QAction* btnPocasno;
    QAction* btnHitro;
    QAction* btnTurbo;
    QAction* btnNazaj;
    QAction* btnIRQ;
    QAction* btnNMI;

    // The step timer: enabled while running, one StepOnce per tick.
    QTimer* Koracno;
    // Device clocks: the timer model every 5 ms, the SCI every 150 ms (started by StartClocks).
    // A turbo run has its own virtual clock and holds them meanwhile.
    QTimer* TimerClock;
    QTimer* SciClock;
    // The turbo run: one slice of TurboSliceMs of steps whenever the event loop is free.
    QTimer* TurboClock;
    // Shows what the device clocks changed while no fast or turbo run draws frames: a tick
    // waits for this single-shot frame (FastRunFrameMs) instead of drawing its window at once,
    // so the timer window draws 25 times a second rather than at every 5 ms tick.
    QTimer* TickFrame;

    // Source lines for the assembler (8-bit text in the machine's code page).
    std::function<std::vector<std::string>()> SourceLines;
    // 1-based line of the editor's caret, for ToggleBreakpoint.
    std::function<int()> CaretLine;
    // The address-space half of RefreshDisplay: redraws the list from memoryTop and returns
    // false when it could not. Called only while the list is live (AddressSpaceLive); a failure
    // is shown as "Napaka pri izpisu" and the refresh goes on with the panels.
    std::function<bool()> RedrawAddressSpace;

    // The register panels the display refresh rewrites (not owned; may be null).
    void SetPanels(TRegisterPanels* panels);

    // Step intervals in ms ("Slow simulation" / "Fast simulation"); values <= 0 fall back to
    // 400 and 1. A change applies from the next run command on: a run in progress keeps its
    // pace.
    void SetSlowInterval(int ms);
    void SetFastInterval(int ms);
    int SlowInterval() const { return slowInterval_; }
    int FastInterval() const { return fastInterval_; }
    // Reads "Slow simulation" and then "Fast simulation" from the store; the first missing
    // value ends the reading and leaves the intervals as they are.
    void RestoreIntervals(QSettings& settings);

    // The breakpoint set follows the editor's marks (1-based lines).
    void SetBreakpoints(const QList<int>& lines);
    // Value of a label of the last assembly, offsets allowed ("STEVEC+1"); the name is taken as
    // the student wrote it.
    std::optional<uint16_t> FindLabel(const QString& name) const;

    RunState State() const { return session_.State(); }

    // The address-space list is drawn by the display refresh only from the first successful
    // load on (until then the memory holds nothing worth listing); it stays live until exit.
    bool AddressSpaceLive() const { return addressSpaceLive_; }

    // During a fast run the display (panels, current line, address space) is brought up to
    // date at most once per this many milliseconds instead of after every instruction; the
    // steps, the log and the processor state are not affected, and leaving the fast run (pause,
    // breakpoint, stop, slow run) shows the final state at once. 0 refreshes after every step.
    int FastRunFrameMs = 40;
    // Whether the display is being drawn once per frame now (a fast run with a frame limit, a
    // turbo run, a device clock's tick): windows that follow a device then draw at
    // displayRefreshed() instead of at every change. A window asks only when it has something
    // to draw, so a tick that is asked about is one that needs a tick frame.
    bool FrameLimited() const {
        if ((session_.State() == RunState::FastRun && FastRunFrameMs > 0) ||
            session_.State() == RunState::TurboRun)
            return true;
        if (inTick_ && FastRunFrameMs > 0) return tickWaits_ = true;
        return false;
    }

    // The turbo run executes steps for this many milliseconds at a time on the GUI thread, then
    // lets the event loop go on (commands, buttons, pin clicks, repaints), and brings the
    // display up to date once per TurboFrameMs. Device time is virtual as in orlek-cli: 1 ms
    // per step, the timer ticks every 5 steps, the SCI every 150. During turbo the log keeps
    // the last TurboLogLimit records.
    int TurboSliceMs = 4;
    int TurboFrameMs = 33;
    size_t TurboLogLimit = 1000000;
    // The scenario driving the turbo run while it lasts (tests add stimuli to it), else null.
    TScenario* Turbo() const { return turbo_.get(); }

    void StartClocks();
    void StopClocks();

public slots:
    // The commands. Compile assembles without loading; it reports through the same signals as
    // Load (loadStarting, loadFinished, loadFailed).
    void Compile();
    void Load();
    void StepOnce();
    void Pause();
    void Stop();
    void RunSlow();
    void RunFast();
    void RunTurbo();
    // Reverse step "Korak nazaj": takes the last step back while halted.
    void StepBack();
    void ToggleBreakpoint();
    void RequestIrq();
    void RequestNmi();

    // Re-applies the enabling and the step timer from the session's run state (for callers that
    // changed the session directly, e.g. a Stop before opening a document).
    void SyncState();

    // Brings the register panels and the current line up to date and asks for the address
    // space redraw. Schedules repaints only.
    void RefreshDisplay();

    // The session was stepped outside run control (an exercise check): the display and the
    // enabling catch up as after a step, `messages` go to the error list, and with `showPanel`
    // (the program left its code) the error panel is shown.
    void StepsTaken(const QStringList& messages, bool showPanel);

    // Timer handlers (tests call them to tick by hand).
    void KoracnoTimer();
    void TimerClockTick();
    void SciClockTick();
    // One slice of the turbo run.
    void TurboSlice();

signals:
    // Enabling changed: apply FileGroup and ReadOnly (editor) from it (the run commands and
    // mnuPrevedi are enabled here).
    void controlsChanged(const TControlStates& controls);
    // Undo ("&Razveljavi") off after a successful load, on after Stop.
    void undoEnabled(bool enabled);
    // An assembly (load or compile) begins: clear the error list and hide its panel, take the
    // execution and error marks off; show the progress panel with maximum 2 x lineCount (the
    // session's onProgressStep advances it).
    void loadStarting(int lineCount);
    // The assembly is over (hide the progress panel); ok tells whether it succeeded (and, for
    // a load, that the program is loaded). On success: hide the error mark; after a load the
    // refresh that follows puts the execution mark on with showExecutionLine.
    void loadFinished(bool ok);
    // A failed assembly: the error list's new contents (the messages, then the assembler's
    // warnings), and the line for ShowErrorLine (0: none). The error panel is to be shown.
    void loadFailed(const QStringList& messages, int errorLine);
    // Lines to add to the error list during a run, or the assembler's warnings after a
    // successful assembly; showPanel: show the error panel.
    void errorMessages(const QStringList& messages, bool showPanel);
    // ShowExecutionLine(line): scroll to it and mark it as the current line (0: none).
    void showExecutionLine(int line);
    // Just before a refresh after a load or a step: the address-space window sets memoryTop =
    // PC when it follows the program counter.
    void programCounterMoved(uint16_t pc);
    // A breakpoint was set (on) or removed on a line: add or remove its gutter mark.
    void breakpointToggled(int line, bool on);
    // The display was brought up to date (a refresh, or a run state without a frame limit was
    // entered): windows that wait for the next frame draw now.
    void displayRefreshed();

private:
    void CreateActions();
    void ApplyState();
    TLoadResult Assemble(bool load);
    void Refresh(bool afterStep);
    void RedrawAddressSpaceOrReport();
    void ReportStep(const TStepResult& result);
    void EndTurbo();
    void ApplyStepBackEnabled();
    void EndLeftProgram();
    void DeviceTick(const std::function<void()>& tick);

    TSession& session_;
    QPointer<TRegisterPanels> panels_; // not owned; cleared when the panels go
    int slowInterval_ = 400;
    int fastInterval_ = 1;
    bool inStep_ = false;
    bool inTick_ = false;            // a device clock's tick is being delivered
    mutable bool tickWaits_ = false; // a window put off drawing that tick's change
    bool addressSpaceLive_ = false;
    bool displayDirty_ = false; // a fast-run step has not been shown yet
    QElapsedTimer lastRefresh_; // when the display was last brought up to date
    bool clocksOn_ = false;     // the device clocks run (held during a turbo run)
    std::unique_ptr<TScenario> turbo_;
};

Q_DECLARE_METATYPE(TControlStates)
