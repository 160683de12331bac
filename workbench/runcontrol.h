#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/session.h"

class QAction;
class QTimer;
#include "windows/registerpanels.h"

// Run control of the workbench: the step timer Koracno, the device clocks, the run commands as
// QActions enabled by the state table, and RefreshDisplay's register-panel half. The decisions
// (load, step, breakpoints, messages, states, log) are the session's; this class only turns
// them into timers, enabling and signals for the main window.
//
// Integration in the main window:
//   * menu "&Izvajanje": mnuStart, mnuNaprej, mnuPavza, mnuStop, mnuPocasno, mnuHitro,
//     separator, Breakpoint1 (captions and shortcuts set here; the main window adds the compile
//     item mnuPrevedi itself and enables it from controlsChanged().Compile);
//   * toolbar: btnStart, btnNaprej, btnPavza, btnStop, separator, btnPocasno, btnHitro,
//     separator, btnIRQ, btnNMI (captions and hints set here);
//   * hooks: SourceLines (the editor text for the assembler), CaretLine (for F5);
//   * the panels: SetPanels(new TRegisterPanels(session.Cpu(), panel2)) and put them in Panel2;
//   * signals below: error list, execution line, read-only editor and file group, Undo,
//     breakpoint gutter marks, address-space redraw;
//   * StartClocks() once the windows exist (the 5 ms timer and 150 ms SCI clocks).
class TRunControl : public QObject {
    Q_OBJECT
public:
    explicit TRunControl(TSession& session, QObject* parent = nullptr);

    TSession& Session() const { return session_; }

    // Menu items (caption, shortcut) and toolbar buttons (caption, hint) of the run commands.
    // The two forms of one command are always enabled together.
    QAction* mnuStart;
    QAction* mnuNaprej;
    QAction* mnuPavza;
    QAction* mnuStop;
    QAction* mnuPocasno;
    QAction* mnuHitro;
    QAction* Breakpoint1;
    QAction* btnStart;
    QAction* btnNaprej;
    QAction* btnPavza;
    QAction* btnStop;
    QAction* btnPocasno;
    QAction* btnHitro;
    QAction* btnIRQ;
    QAction* btnNMI;

    // The step timer: enabled while running, one StepOnce per tick.
    QTimer* Koracno;
    // Device clocks: the timer model every 5 ms, the SCI every 150 ms (started by StartClocks).
    QTimer* TimerClock;
    QTimer* SciClock;

    // Source lines for the assembler (8-bit text in the machine's code page).
    std::function<std::vector<std::string>()> SourceLines;
    // 1-based line of the editor's caret, for ToggleBreakpoint.
    std::function<int()> CaretLine;

    // The register panels the display refresh rewrites (not owned; may be null).
    void SetPanels(TRegisterPanels* panels);
    TRegisterPanels* Panels() const { return panels_; }

    // Step intervals in ms ("Slow simulation" / "Fast simulation"); values <= 0 fall back to
    // 400 and 1. A change applies at once when the run of that speed is going.
    void SetSlowInterval(int ms);
    void SetFastInterval(int ms);
    int SlowInterval() const { return slowInterval_; }
    int FastInterval() const { return fastInterval_; }

    RunState State() const { return session_.State(); }

    // The address-space list is drawn by the display refresh only from the first successful
    // load on (until then the memory holds nothing worth listing); it stays live until exit.
    bool AddressSpaceLive() const { return addressSpaceLive_; }

    // During a fast run the display (panels, current line, address space) is brought up to
    // date at most once per this many milliseconds instead of after every instruction; the
    // steps, the log and the processor state are not affected, and leaving the fast run (pause,
    // breakpoint, stop, slow run) shows the final state at once. 0 refreshes after every step.
    int FastRunFrameMs = 40;

    void StartClocks();
    void StopClocks();

public slots:
    // The commands.
    void Load();
    void StepOnce();
    void Pause();
    void Stop();
    void RunSlow();
    void RunFast();
    void ToggleBreakpoint();
    void RequestIrq();
    void RequestNmi();

    // Re-applies the enabling and the step timer from the session's run state (for callers that
    // changed the session directly, e.g. a Stop before opening a document).
    void SyncState();

    // Brings the register panels and the current line up to date and asks for the address
    // space redraw. Schedules repaints only.
    void RefreshDisplay();

    // Timer handlers (tests call them to tick by hand).
    void KoracnoTimer();
    void TimerClockTick();
    void SciClockTick();

signals:
    // Enabling changed: apply Compile (mnuPrevedi), FileGroup and ReadOnly (editor) from it.
    void controlsChanged(const TControlStates& controls);
    // Undo ("&Razveljavi") off after a successful load, on after Stop.
    void undoEnabled(bool enabled);
    // Load begins: clear the error list and hide its panel; show the progress panel with
    // maximum 2 x lineCount (the session's ProgressStep advances it).
    void loadStarting(int lineCount);
    // The assembly is over (hide the progress panel); ok tells whether the program is loaded.
    // On success: hide the error mark and put the execution mark on the gutter; the refresh
    // that follows moves it with showExecutionLine.
    void loadFinished(bool ok);
    // A failed load: the error list's new contents, and the line for ShowErrorLine (0: none).
    // The error panel is to be shown.
    void loadFailed(const QStringList& messages, int errorLine);
    // Lines to add to the error list during a run; showPanel: show the error panel.
    void errorMessages(const QStringList& messages, bool showPanel);
    // ShowExecutionLine(line): scroll to it and mark it as the current line (0: none).
    void showExecutionLine(int line);
    // Just before a refresh after a load or a step: the address-space window sets memoryTop =
    // PC when it follows the program counter.
    void programCounterMoved(uint16_t pc);
    // The address-space half of RefreshDisplay: redraw the list from memoryTop. Emitted only
    // while the list is live (AddressSpaceLive). A receiver that fails throws; the refresh then
    // shows "Napaka pri izpisu" and goes on with the panels.
    void refreshAddressSpace();
    // A breakpoint was set (on) or removed on a line: add or remove its gutter mark.
    void breakpointToggled(int line, bool on);

private:
    void ApplyState();
    void Refresh(bool afterStep);
    void ReportStep(const TStepResult& result);

    TSession& session_;
    QPointer<TRegisterPanels> panels_; // not owned; cleared when the panels go
    int slowInterval_ = 400;
    int fastInterval_ = 1;
    bool inStep_ = false;
    bool addressSpaceLive_ = false;
    bool displayDirty_ = false; // a fast-run step has not been shown yet
    QElapsedTimer lastRefresh_; // when the display was last brought up to date
};

Q_DECLARE_METATYPE(TControlStates)
