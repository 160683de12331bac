#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/pacing.h"
#include "session/scenario.h"
#include "session/session.h"
#include "windows/displayframe.h"

class QAction;
class QSettings;
class QTimer;

// The processor model's settings as the store holds them; a missing or damaged value reads as
// its default (classic, 1.2288 MHz, factor 1).
struct TModelSettings {
    TProcessorModel Model = TProcessorModel::Classic;
    uint64_t EHz = kEClockHz;
    uint32_t Divisor = 1;
};
TModelSettings ReadModelSettings(QSettings& settings);

// Run control of the workbench: the step timer Koracno, the device clocks, the run commands as
// QActions enabled by the state table, and the display frames. The decisions (assembly, load,
// step, breakpoints, messages, states, log) are the session's; this class turns them into
// timers, enabling and signals for the main window.
//
// It is the one place that decides when the display is drawn: after every command (and every
// RefreshDisplay a window asks for after an edit), at most once per FastRunFrameMs while a fast
// run goes on (TurboFrameMs in turbo), and after a device clock's tick that changed what is
// shown outside those runs, at most once per FastRunFrameMs. It then emits displayFrame(), and
// every window redraws from the session what differs from what it shows. F7 is StepOnce:
// session.StepOnce(), then ShowFrame(), then displayFrame() reaches the panels, the code window,
// the address list, the device windows and the log.
//
// Integration in the main window:
//   * the main window's command table places the actions: mnuPrevedi, mnuHitro, mnuTurbo,
//     mnuPocasno, mnuStart, mnuNaprej, mnuNazaj, mnuPavza, mnuStop, Breakpoint1 under
//     "&Izvajanje", the buttons on the toolbar (captions, shortcuts, hints and images are set
//     here);
//   * services: SourceLines (the editor text for the assembler), CaretLine (for F5);
//   * displayFrame() to every window's DrawFrame, and every window's refreshRequested() to
//     RefreshDisplay();
//   * the other signals below: error list, read-only editor and file group, Undo, breakpoint
//     gutter marks;
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

    // Source lines for the assembler (8-bit text in the machine's code page).
    std::function<std::vector<std::string>()> SourceLines;
    // 1-based line of the editor's caret, for ToggleBreakpoint.
    std::function<int()> CaretLine;

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

    // Reads the processor model (for the next load), the E clock and the speed factor of the
    // chip model's fast run from the store (see TfrmNastavitve).
    void RestoreModelSettings(QSettings& settings);
    // The chip model's fast run keeps simulated time: each tick of Koracno runs the steps that
    // bring the cycle counter to where the chip would be by now (the E clock times the factor).
    TRealTimePacer Pacer;
    // The breakpoint set follows the editor's marks (1-based lines).
    void SetBreakpoints(const QList<int>& lines);
    // Value of a label of the last assembly, offsets allowed ("STEVEC+1"); the name is taken as
    // the student wrote it.
    std::optional<uint16_t> FindLabel(const QString& name) const;

    RunState State() const { return session_.State(); }

    // During a fast run the display is drawn at most once per this many milliseconds instead of
    // after every instruction; the steps, the log and the processor state are not affected, and
    // leaving the fast run (pause, breakpoint, stop, slow run) shows the final state at once.
    // Device clock ticks outside a fast or turbo run are drawn at most this often too. 0 draws
    // after every step and every tick.
    int FastRunFrameMs = 40;
    // A fast run keeps its pace whatever the display costs: a frame, the windows' painting
    // included, takes at most this share of the run's time. A costly display (many windows, a
    // large screen, a slow X server) gets its frames further apart than FastRunFrameMs, at most
    // MaxRunFrameMs apart. 0 keeps the frames FastRunFrameMs apart (as does a FastRunFrameMs of 0).
    double FrameBudget = 0.03;
    int MaxRunFrameMs = 150;
    // The interval of a fast run's frames now: FastRunFrameMs, or longer for costly frames.
    int RunFrameMs() const;
    // A frame for device clock ticks is waiting to be drawn.
    bool FramePending() const;

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
    // The session loaded a program outside run control (a snapshot was opened): Undo, the
    // enabling and the display follow as after Load.
    void ProgramLoaded();

    // A window changed the machine or its view (a pin click, a typed byte, a register edit, the
    // address list moved): a display frame now. Schedules repaints only.
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
    // One tick of the chip model's fast run (see Pacer).
    void PacedTick();

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
    // display frame that follows puts the execution mark on.
    void loadFinished(bool ok);
    // A failed assembly: the error list's new contents (the messages, then the assembler's
    // warnings), and the line for ShowErrorLine (0: none). The error panel is to be shown.
    void loadFailed(const QStringList& messages, int errorLine);
    // Lines to add to the error list during a run, or the assembler's warnings after a
    // successful assembly; showPanel: show the error panel.
    void errorMessages(const QStringList& messages, bool showPanel);
    // A breakpoint was set (on) or removed on a line: add or remove its gutter mark.
    void breakpointToggled(int line, bool on);
    // The display frame: every window draws from the session what changed since it last drew.
    void displayFrame(const TDisplayFrame& frame);

private:
    void CreateActions();
    void ApplyState();
    TLoadResult Assemble(bool load);
    void ReportStep(const TStepResult& result);
    void EndTurbo();
    void ApplyStepBackEnabled();
    void EndLeftProgram();
    // Draws a display frame now.
    void ShowFrame();
    // Whether a frame is due: none drawn yet, or the last one is `interval` ms old.
    bool FrameDue(int interval) const;
    // A device clock's tick changed what is shown: a frame within FastRunFrameMs of the last
    // one, unless a fast or turbo run draws the frames anyway.
    void TickChanged(bool now);

    // What of the serial line the SCI window shows, as one tick left it.
    struct TSciLine {
        uint8_t Rmcr = 0, Trcsr = 0, TxCount = 0, Tdr = 0, RxCount = 0, RxByte = 0;
        bool Loopback = false;
        uint64_t Output = 0; // the terminal's output revision
        bool operator==(const TSciLine&) const = default;
    };
    TSciLine SciLine();

    TSession& session_;
    int slowInterval_ = 400;
    int fastInterval_ = 1;
    bool inStep_ = false;
    bool stepped_ = false;       // steps ran, were taken back or a program was loaded since the last frame
    QElapsedTimer lastFrame_;    // when the last frame was drawn
    double frameCostMs_ = 0;     // the recent frames of the fast run, smoothed: what one costs
    bool loadedAtFrame_ = false; // a program was loaded at the last frame
    QTimer* frameTimer_;         // the frame for device clock ticks
    TSciLine sciLine_;           // the serial line as the last SCI tick left it
    bool clocksOn_ = false;      // the device clocks run (held during a turbo run)
    std::unique_ptr<TScenario> turbo_;
};

Q_DECLARE_METATYPE(TControlStates)
