#include "workbench/frmmain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QThread>
#include <QToolBar>
#include <QWindow>
#include <Qsci/qsciscintilla.h>
#include <algorithm>

#include "assembler/compiler.h"
#include "base/files.h"
#include "base/syserror.h"
#include "board/boardfile.h"
#include "board/labboard.h"
#include "editor/frmkoda.h"
#include "editor/kodaeditor.h"
#include "engine/machine.h"
#include "isa/isa.h"
#include "session/addressview.h"
#include "session/session.h"
#include "session/symbols.h"
#include "session/watches.h"
#include "windows/displaystyle.h"
#include "windows/frmdiagram.h"
#include "windows/frmnaloga.h"
#include "windows/frmoznake.h"
#include "windows/frmplosca.h"
#include "windows/frmport.h"
#include "windows/frmprekinitve.h"
#include "windows/frmprofil.h"
#include "windows/frmsci.h"
#include "windows/frmsklad.h"
#include "windows/frmspomin.h"
#include "windows/frmspremenljivke.h"
#include "windows/frmtimer.h"
#include "windows/frmtrace.h"
#include "windows/logwindow.h"
#include "windows/prompt.h"
#include "windows/qtstrings.h"
#include "windows/registerpanels.h"
#include "windows/toolframe.h"
#include "windows/vnos.h"
#include "workbench/commandtable.h"
#include "workbench/documents.h"
#include "workbench/exercisecommand.h"
#include "workbench/findreplace.h"
#include "workbench/frmlisting.h"
#include "workbench/frmnastavitve.h"
#include "workbench/frmoprogramu.h"
#include "workbench/help.h"
#include "workbench/printing.h"
#include "workbench/runcontrol.h"
#include "workbench/settingsstore.h"
#include "workbench/statecommand.h"
#include "workbench/watchstore.h"
#include "workbench/windowlist.h"

namespace {

const QString kAppTitle = QStringLiteral("Orlek");
constexpr int kPanel2Height = 43;

// A window draws at run control's display frames.
template <typename Window> void DrawsFrames(TRunControl* run, Window* window) {
    QObject::connect(run, &TRunControl::displayFrame, window, &Window::DrawFrame);
}

// A window that changes the machine or its view asks for a display frame afterwards.
template <typename Window> void RequestsFrames(TRunControl* run, Window* window) {
    QObject::connect(window, &Window::refreshRequested, run, &TRunControl::RefreshDisplay);
}

// A tool window in the shared frame, as the window list persists it.
TToolWindow FrameWindow(const char* key, TToolFrame* frame, TToolWindow::Layout layout) {
    return {QLatin1String(key),
            frame,
            layout,
            [frame] { return frame->StayOnTop(); },
            [frame](bool on) { frame->SetStayOnTop(on); },
            [frame] { return frame->SavedHeight(); },
            [frame](int height) { frame->SetSavedHeight(height); }};
}

} // namespace

// ============================================================================ creation

TfrmMain::TfrmMain(const QString& dir, QWidget* parent) : QMainWindow(parent), programDir(dir) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setContextMenuPolicy(Qt::NoContextMenu);
    while (programDir.size() > 1 && programDir.endsWith(QLatin1Char('/')))
        programDir.chop(1);

    // The instruction tables; without them the workbench cannot work.
    try {
        session = std::make_unique<TSession>(QDir(programDir).absolutePath().toStdString());
    } catch (const std::exception& e) {
        startupError = QStringLiteral("Orlek se ne more zagnati: %1").arg(QString::fromUtf8(e.what()));
        session.reset();
        return;
    }

    run = new TRunControl(*session, this);
    run->setObjectName(QStringLiteral("run"));
    CreateToolWindows();
    const TCommandSet commands = BuildCommands(*this, CommandTable());
    ToolBar1 = commands.ToolBars.value(QStringLiteral("ToolBar1"));
    wideToolBar = ToolBar1->sizeHint().width() + 8;
    mnuRazveljavi = commands.Actions.value(QStringLiteral("mnuRazveljavi"));
    mnuUveljavi = commands.Actions.value(QStringLiteral("mnuUveljavi"));
    fileGroup = commands.Group(TCommand::FileGroup);
    exercise->SetAction(commands.Actions.value(QStringLiteral("mnuPreveriNalogo")));
    documents = new TDocuments(*frmKoda, *session, commands.Menus.value(QStringLiteral("mnuNedavno")), this);
    state = new TStateCommand(*run, *documents, *frmKoda, *watches, this);
    CreatePanel();

    // The editor font and the recent files from the store.
    {
        auto settings = OpenSettings();
        const QString font =
            settings->value(QStringLiteral("code/editor/Font name"), kFixedFontFamily).toString();
        frmKoda->SetEditorFont(font);
        frmListing->SetEditorFont(font);
        documents->Restore(*settings);
    }

    ConnectCodeWindow();
    ConnectRunControl();
    ConnectDisplayFrames();
    ConnectSymbolWindows();
    ConnectBoardWindow();
    FitHeight();
}

// The models hold nothing of the windows, so nothing has to go in any order; the windows are
// children and go after the members, without touching the session on their way.
TfrmMain::~TfrmMain() {
    if (frmVnos && ValueDialog() == frmVnos) SetValueDialog(nullptr);
    // The board window lets go of what the hand holds on its way out: not into a board that
    // is gone by then.
    if (frmPlosca) {
        disconnect(frmPlosca, nullptr, this, nullptr);
        frmPlosca->SetBoard(nullptr);
    }
}

std::unique_ptr<QSettings> TfrmMain::OpenSettings() { return OpenSettingsStore(); }

void TfrmMain::CreateToolWindows() {
    // Created once in a fixed order and only shown or hidden from now on.
    symbols = std::make_unique<TSymbolTable>();
    watches = std::make_unique<TWatchList>(*session, *symbols);
    addressView = std::make_unique<TAddressView>(*session);
    addressView->SetSymbols(symbols.get());
    frmSpomin = new TfrmSpomin(*addressView, this);
    frmKoda = new TfrmKoda(this);
    frmKoda->programDir = programDir;
    frmKoda->SetKeywords(ToQStringList(IsaKeywords()), ToQStringList(IsaCompletionWords()));
    frmKoda->SetSource(QString::fromStdString(SampleProgram()));
    frmVnos = new TfrmVnos(this);
    SetValueDialog(frmVnos);
    frmPort1 = new TfrmPort1(session->Machine().Port1, this);
    frmOProgramu = new TfrmOProgramu(this);
    frmPort2 = new TfrmPort2(session->Machine().Port2, this);
    frmNastavitve = new TfrmNastavitve(TfrmNastavitve::PrinterInstalled(), this);
    frmOznake = new TfrmOznake(*symbols, this);
    frmSpremenljivke = new TfrmSpremenljivke(*watches, this);
    frmLog = new TfrmLog(session->Log, this);
    frmLog->setWindowFlags(kToolWindowFlags);
    StandAlone(*frmLog);
    frmSCI = new TfrmSCI(session->Machine().Sci, session->SciTerminal(), this);
    frmTrace = new TfrmTrace(session->Memory(), this);
    printing = new TPrinting(*frmKoda, this);
    frmListing = new TfrmListing(this);
    frmListing->SetKeywords(ToQStringList(IsaKeywords()));
    connect(frmListing, &TfrmListing::printRequested, this,
            [this] { printing->PreviewListing(frmListing->Text()); });
    frmTimer = new TfrmTimer(session->Machine().Timer, this);
    findReplace = new TFindReplace(*frmKoda, this);
    frmNaloga = new TfrmNaloga(this);
    frmPlosca = new TfrmPlosca(this);
    // The logic analyser records from every load on, so that its window shows the past too.
    session->SetSignalRecording(true);
    frmDiagram = new TfrmCasovniDiagram(*session, this);
    frmPrekinitve = new TfrmPrekinitve(*session, this);
    frmSklad = new TfrmSkladKlicev(*session, this);
    frmProfil = new TfrmProfil(*session, this);
    exercise = new TExerciseCommand(*run, *frmNaloga, this);
    // Help documents open with the code window's opener, which tests replace; it tries the
    // desktop's program and falls back to the help viewer.
    help = std::make_unique<THelp>(
        programDir,
        [this](const QString& path) {
            if (frmKoda->OpenExternal) frmKoda->OpenExternal(path);
        },
        [this] { Prompt().ExecDialog(*frmOProgramu); });
    frmKoda->OpenExternal = [this](const QString& path) { help->OpenDocument(path); };

    windows = std::make_unique<TWindowList>();
    windows->Add({QStringLiteral("code"), frmKoda, TToolWindow::Layout::Code, {}, {}, {}, {}});
    windows->Add(FrameWindow("memory", frmSpomin, TToolWindow::Layout::WidthFirst));
    windows->Add(FrameWindow("port1", frmPort1, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("port2", frmPort2, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("symbols", frmOznake, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("watches", frmSpremenljivke, TToolWindow::Layout::HeightFirst));
    windows->Add({QStringLiteral("log"), frmLog, TToolWindow::Layout::HeightFirst, {}, {}, {}, {}});
    windows->Add(FrameWindow("sci", frmSCI, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("timer", frmTimer, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("trace", frmTrace, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("board", frmPlosca, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("diagram", frmDiagram, TToolWindow::Layout::WidthFirst));
    windows->Add(FrameWindow("interrupts", frmPrekinitve, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("callstack", frmSklad, TToolWindow::Layout::HeightFirst));
    windows->Add(FrameWindow("profile", frmProfil, TToolWindow::Layout::HeightFirst));
}

// The main menu and the toolbar, in the order they show. Items without a handler are not
// available yet and show disabled.
void TfrmMain::CreatePanel() {
    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(kPanel2Height);
    auto* layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(6);
    panels = new TRegisterPanels(*session, Panel2);
    layout->addWidget(panels);
    layout->addStretch(1);

    pnlgraf = new QWidget(Panel2);
    pnlgraf->setObjectName(QStringLiteral("pnlgraf"));
    auto* g = new QHBoxLayout(pnlgraf);
    g->setContentsMargins(0, 0, 0, 0);
    g->addWidget(new QLabel(QStringLiteral("Prevajam:"), pnlgraf));
    progres = new QProgressBar(pnlgraf);
    progres->setObjectName(QStringLiteral("progres"));
    progres->setRange(0, 100);
    progres->setFixedWidth(200);
    progres->setTextVisible(false);
    g->addWidget(progres);
    pnlgraf->hide();
    layout->addWidget(pnlgraf);
    setCentralWidget(Panel2);
}

// ============================================================================ wiring

void TfrmMain::WatchWhileShown() {
    // Open but minimised counts as shown: the watch goes on with the program meanwhile.
    const bool shown = frmPrekinitve->isVisible() || frmSklad->isVisible() || frmProfil->isVisible() ||
                       frmKoda->txtKoda->ProfileMarginShown();
    session->SetExecutionWatch(shown);
}

void TfrmMain::DrawProfileMargin() {
    TKodaEditor& editor = *frmKoda->txtKoda;
    if (!editor.ProfileMarginShown()) return;
    const TExecutionWatch* watch = session->Watch();
    const int first = editor.firstVisibleLine();
    const int shown = static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN)) + 1;
    for (int line = first; line < first + shown && line < editor.lines(); ++line) {
        const uint64_t count = watch ? watch->LineCount(line + 1) : 0;
        editor.SetProfileText(
            line, count ? QStringLiteral("%1× %2").arg(count).arg(watch->LineCycles(line + 1)) : QString());
    }
}

void TfrmMain::ConnectCodeWindow() {
    frmKoda->FindLabel = [this](const QString& name) { return run->FindLabel(name); };
    // The jump moves the list; it freezes nothing.
    connect(frmKoda, &TfrmKoda::addressJumpRequested, this, [this](uint16_t address) {
        addressView->SetMemoryTop(address);
        run->RefreshDisplay();
    });
    // The editor's marks follow their lines through every edit; the session's set follows them.
    connect(frmKoda, &TfrmKoda::breakpointsChanged, this,
            [this] { run->SetBreakpoints(frmKoda->BreakpointLines()); });
    connect(frmKoda, &TfrmKoda::textEdited, this, [this] {
        if (session->Loaded()) return;
        mnuRazveljavi->setEnabled(frmKoda->txtKoda->isUndoAvailable());
        mnuUveljavi->setEnabled(frmKoda->txtKoda->isRedoAvailable());
    });
    connect(documents, &TDocuments::documentReplaced, this, [this] {
        run->SetBreakpoints(frmKoda->BreakpointLines());
        mnuRazveljavi->setEnabled(false);
        mnuUveljavi->setEnabled(false);
    });
}

void TfrmMain::ConnectRunControl() {
    run->SourceLines = [this] { return frmKoda->AssemblerLines(); };
    run->CaretLine = [this] { return frmKoda->CaretLine(); };
    session->onProgressStep = [this] { StepProgress(); };
    connect(run, &TRunControl::controlsChanged, this,
            [this](const TControlStates& c) { ApplyControls(c.FileGroup, c.ReadOnly); });
    connect(run, &TRunControl::undoEnabled, mnuRazveljavi, &QAction::setEnabled);
    connect(run, &TRunControl::loadStarting, this, [this](int lineCount) {
        frmKoda->ClearMessages();
        frmKoda->ShowMessages(false);
        frmKoda->ClearOrdinaryMarks();
        ShowProgress(lineCount);
    });
    connect(run, &TRunControl::loadFinished, this, [this](bool ok) {
        pnlgraf->hide();
        if (ok) frmKoda->HideErrorMark();
        frmKoda->RepaintMarks();
    });
    connect(run, &TRunControl::loadFailed, frmKoda, &TfrmKoda::ReportErrors);
    connect(run, &TRunControl::errorMessages, frmKoda, &TfrmKoda::AddErrors);
    connect(run, &TRunControl::breakpointToggled, frmKoda, &TfrmKoda::SetBreakpoint);
}

// Every window draws at run control's display frame, in this order: first the address view
// follows the program counter, then the address list (whose failure is told before the rest is
// drawn), the panels, the code window's current line and the other windows.
void TfrmMain::ConnectDisplayFrames() {
    connect(run, &TRunControl::displayFrame, this, [this](const TDisplayFrame& frame) {
        if (frame.Stepped) addressView->ProgramCounterMoved(session->Cpu().PC);
    });
    DrawsFrames(run, frmSpomin);
    DrawsFrames(run, panels);
    connect(run, &TRunControl::displayFrame, this, &TfrmMain::DrawExecutionLine);
    DrawsFrames(run, frmPort1);
    DrawsFrames(run, frmPort2);
    DrawsFrames(run, frmSCI);
    DrawsFrames(run, frmTimer);
    DrawsFrames(run, frmTrace);
    DrawsFrames(run, frmOznake);
    DrawsFrames(run, frmSpremenljivke);
    DrawsFrames(run, frmLog);
    // The session may set or remove its board (an exercise is checked on its own board): the
    // window takes up the one the session holds before it draws the frame. A window that shows
    // a file's fault keeps it while the session has no board.
    connect(run, &TRunControl::displayFrame, this, [this] {
        if (frmPlosca->Board() != session->Board()) frmPlosca->SetBoard(session->Board());
    });
    DrawsFrames(run, frmPlosca);
    DrawsFrames(run, frmDiagram);
    DrawsFrames(run, frmPrekinitve);
    DrawsFrames(run, frmSklad);
    DrawsFrames(run, frmProfil);
    connect(run, &TRunControl::displayFrame, this, &TfrmMain::DrawProfileMargin);
    for (TToolFrame* frame : {static_cast<TToolFrame*>(frmPrekinitve), static_cast<TToolFrame*>(frmSklad),
                              static_cast<TToolFrame*>(frmProfil)})
        connect(frame, &TToolFrame::visibilityChanged, this, &TfrmMain::WatchWhileShown);
    connect(frmKoda->txtKoda->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TfrmMain::DrawProfileMargin);
    // A pin click, a typed byte, a register edit, the list moved: a frame at once.
    RequestsFrames(run, frmSpomin);
    RequestsFrames(run, panels);
    RequestsFrames(run, frmPort1);
    RequestsFrames(run, frmPort2);
    RequestsFrames(run, frmSCI);
}

// The code window marks the line of the instruction at PC while the frame shows the processor,
// and scrolls to it when the program moved or the line did; a byte that is no instruction leaves
// the mark where it was.
void TfrmMain::DrawExecutionLine(const TDisplayFrame& frame) {
    if (!frame.Processor() || session->NextInstruction().empty()) return;
    const int line = session->ExecutionLine();
    if (frame.Stepped || line != frmKoda->ExecutionLine()) frmKoda->ScrollToLine(line);
    frmKoda->SetExecutionLine(line);
}

void TfrmMain::ConnectSymbolWindows() {
    // Every assembly that succeeds replaces the labels; the frame that follows shows them and
    // the watches find their addresses anew.
    connect(run, &TRunControl::loadFinished, this,
            [this](bool ok) { symbols->AssemblyFinished(ok, session->Compiler().Labels()); });
    connect(frmOznake, &TfrmOznake::symbolActivated, this, &TfrmMain::ShowSymbol);
    connect(frmOznake, &TfrmOznake::watchRequested, this, [this](const QString& name, WatchSize size) {
        if (frmSpremenljivke->AddWatch(name, size) && !frmSpremenljivke->isVisible())
            windows->Toggle("watches");
    });
    // The watches are kept with the document: stored at every change, taken anew with another
    // document, carried over to the new name of a Save as.
    connect(frmSpremenljivke, &TfrmSpremenljivke::watchesChanged, this,
            [this] { StoreWatches(*OpenSettings()); });
    connect(documents, &TDocuments::documentReplaced, this, &TfrmMain::LoadWatches);
    connect(documents, &TDocuments::documentRenamed, this, [this] {
        auto settings = OpenSettings();
        StoreWatches(*settings);
        StoreBoard(*settings);
    });
}

void TfrmMain::ConnectBoardWindow() {
    // A hand on the board: the button, key or switch by its name, then a frame that shows it.
    const auto act = [this](const QString& name, TLabBoard::TInputUse use, auto action) {
        std::string error;
        if (const auto input = session->FindBoardInput(name.toStdString(), use, error)) {
            action(*session, *input);
            run->RefreshDisplay();
        }
    };
    connect(frmPlosca, &TfrmPlosca::pressed, this, [act](const QString& name) {
        act(name, TLabBoard::TInputUse::Press, [](TSession& s, TBoardInput in) { s.PressOnBoard(in); });
    });
    connect(frmPlosca, &TfrmPlosca::released, this, [act](const QString& name) {
        act(name, TLabBoard::TInputUse::Press, [](TSession& s, TBoardInput in) { s.ReleaseOnBoard(in); });
    });
    connect(frmPlosca, &TfrmPlosca::switchSet, this, [act](const QString& name, bool on) {
        act(name, TLabBoard::TInputUse::Switch,
            [on](TSession& s, TBoardInput in) { s.SetBoardSwitch(in, on); });
    });
    frmPlosca->Now = [this] { return session->BoardNowNs(); };
    // An opened snapshot brings its own board (a new one, even where the old one stood in
    // memory) and its trace.
    connect(state, &TStateCommand::opened, this, [this] {
        frmPlosca->SetBoard(nullptr);
        frmPlosca->SetBoard(session->Board());
        if (session->Board() && !frmPlosca->isVisible()) windows->Toggle(QStringLiteral("board"));
        frmTrace->Reload();
    });
}

void TfrmMain::OpenBoard() {
    auto settings = OpenSettings();
    QString dir = settings->value(QStringLiteral("board initialdir")).toString();
    // The shipped boards, where an installed program keeps its examples.
    const QString examples = programDir + QStringLiteral("/../../share/doc/orlek/examples/boards");
    if (dir.isEmpty() && QFileInfo(examples).isDir()) dir = QDir(examples).absolutePath();
    const QString path = Prompt().ChooseOpenFile(QStringLiteral("Odpri ploščo"), dir,
                                                 QStringLiteral("Plošče (*.json);;Vse datoteke (*)"));
    if (path.isEmpty()) return;
    settings->setValue(QStringLiteral("board initialdir"), QFileInfo(path).absolutePath() + QLatin1Char('/'));
    ShowBoardFile(QFileInfo(path).absoluteFilePath());
    // The board is kept with the program it was opened for.
    StoreBoard(*settings);
    run->RefreshDisplay();
}

void TfrmMain::ShowBoardFile(const QString& path) {
    frmPlosca->SetBoard(nullptr);
    const TBoardRead read = session->LoadBoardFile(QFile::encodeName(path).toStdString());
    // A wrong file leaves the session's board as it was; the window shows the fault.
    const QString error = read.Ok() ? QString()
                                    : QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(path),
                                                                   QString::fromStdString(read.Message()));
    frmPlosca->SetBoard(read.Ok() ? session->Board() : nullptr, error);
    if (!frmPlosca->isVisible()) windows->Toggle(QStringLiteral("board"));
}

void TfrmMain::ShowSymbol(uint16_t value, int line) {
    if (line > 0) {
        if (!frmKoda->isVisible()) windows->Toggle(QStringLiteral("code"));
        frmKoda->SetCaret(line);
        frmKoda->ScrollToLine(line);
    }
    // The list stays where it was put: a run must not move it away again.
    if (addressView->FollowPc()) addressView->ToggleFollow();
    addressView->SetMemoryTop(value);
    if (!frmSpomin->isVisible()) windows->Toggle(QStringLiteral("memory"));
    run->RefreshDisplay();
}

void TfrmMain::LoadWatches() {
    auto settings = OpenSettings();
    std::vector<std::string> lines;
    for (const QString& line : WatchStore::Read(*settings, frmKoda->DocumentName()))
        lines.push_back(line.toStdString());
    watches->Restore(lines);
    // The document's lab board comes with it; a document that has none keeps the board shown.
    const QStringList board = WatchStore::Read(*settings, frmKoda->DocumentName(), WatchStore::kBoards);
    if (!board.isEmpty() && QFileInfo(board.front()).isFile() &&
        board.front().toStdString() != session->BoardFile())
        ShowBoardFile(board.front());
    run->RefreshDisplay();
}

void TfrmMain::StoreWatches(QSettings& settings) {
    WatchStore::Write(settings, frmKoda->DocumentName(), ToQStringList(watches->Save()));
}

void TfrmMain::StoreBoard(QSettings& settings) {
    // Only a board read from a file is kept; an exercise's board (set while it is checked) is not.
    const std::string& board = session->BoardFile();
    if (!board.empty())
        WatchStore::Write(settings, frmKoda->DocumentName(), {QString::fromStdString(board)},
                          WatchStore::kBoards);
}

void TfrmMain::ApplyControls(bool fileGroupOn, bool readOnly) {
    for (QAction* a : fileGroup)
        a->setEnabled(fileGroupOn);
    documents->SetRecentEnabled(fileGroupOn);
    frmKoda->ApplyControls(fileGroupOn, readOnly);
    findReplace->SetReplaceEnabled(fileGroupOn);
}

// "Izberi vse" in the window that has the focus (the key reaches the strip from the tool windows
// too); the code window's text when the focus holds nothing to select.
void TfrmMain::SelectAll() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) line->selectAll();
    else if (auto* view = qobject_cast<QAbstractItemView*>(focus)) view->selectAll();
    else if (auto* text = qobject_cast<QsciScintilla*>(focus)) text->selectAll();
    else frmKoda->txtKoda->selectAll();
}

void TfrmMain::ShowProgress(int lineCount) {
    progres->setMaximum(std::max(1, 2 * lineCount));
    progres->setValue(0);
    pnlgraf->show();
}

void TfrmMain::StepProgress() {
    const int value = progres->value() + 1;
    progres->setValue(value);
    // Paint the bar about a hundred times per assembly, not once per line.
    const int step = std::max(1, progres->maximum() / 100);
    if (value % step == 0 && pnlgraf->isVisible()) pnlgraf->repaint();
}

// The settings dialog: the intervals go to run control, which uses them from its next run
// command on; everything else goes to the store only.
void TfrmMain::EditSettings() {
    auto settings = OpenSettings();
    int slow = run->SlowInterval(), fast = run->FastInterval();
    if (!frmNastavitve->EditSettings(*settings, slow, fast, frmKoda->barve->FontFamily())) return;
    run->SetSlowInterval(slow);
    run->SetFastInterval(fast);
    run->RestoreModelSettings(*settings);
}

// ============================================================================ show step

void TfrmMain::FitHeight() {
    // The strip never shows more than the menu, the toolbar and Panel2.
    const int height = menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() + kPanel2Height;
    setFixedHeight(height);
}

void TfrmMain::Start(const QString& commandLineDocument) {
    if (!Ok()) return;
    FitHeight();
    const QRect area = AvailableArea();
    move(area.topLeft());
    resize(area.width(), height());
    show();
    // The window manager frames the strip on its own time; the windows below it need to know
    // where the frame ends.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();

    auto settings = OpenSettings();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    TScreens screens;
    screens.desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
    for (const QScreen* s : QGuiApplication::screens())
        screens.areas << s->availableGeometry();
    screens.frame = FrameMargins();
    // A first start lays every window out on the screen at hand.
    screens.defaults = windows->Layout(TWindowList::LayoutOrder(), area, StripBottom(), screens.frame);
    windows->RestorePlacements(*settings, screens);
    // The intervals follow the visibility flags; a missing flag ends the reading before them.
    if (windows->RestoreVisibility(*settings)) run->RestoreIntervals(*settings);
    run->RestoreModelSettings(*settings);
    activateWindow();
    raise();

    // A document the student named (the desktop's "open with") is shown, whatever the store
    // says about the code window.
    if (documents->OpenAtStart(commandLineDocument, *settings) && !commandLineDocument.isEmpty()) {
        frmKoda->show();
        frmKoda->raise();
    }
    LoadWatches();
    run->StartClocks();
}

QRect TfrmMain::AvailableArea() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins TfrmMain::FrameMargins() const {
    const QRect frame = frameGeometry(), client = geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

int TfrmMain::StripBottom() const { return frameGeometry().bottom() + 1; }

void TfrmMain::ArrangeWindows() { windows->Arrange(AvailableArea(), StripBottom(), FrameMargins()); }

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // A narrow strip shows the pictures of the buttons that have one without their captions,
    // so every button (NMI at the end) stays in view.
    if (ToolBar1)
        ToolBar1->setToolButtonStyle(event->size().width() < wideToolBar ? Qt::ToolButtonIconOnly
                                                                         : Qt::ToolButtonTextBesideIcon);
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !windows) return;
    // The tool windows stand alone for the window manager: they go with the strip and come back
    // with it.
    if (isMinimized()) {
        for (const TToolWindow& w : windows->Windows())
            if (w.window && w.window->isVisible() && !w.window->isMinimized()) {
                minimisedWithStrip << w.window;
                w.window->showMinimized();
            }
    } else {
        for (const QPointer<QWidget>& w : std::as_const(minimisedWithStrip))
            if (w && w->isMinimized()) w->showNormal();
        minimisedWithStrip.clear();
    }
}

// ============================================================================ exit

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!Ok()) {
        event->accept();
        return;
    }
    if (!documents->AskToSave()) {
        event->ignore();
        return;
    }
    SaveSettings();
    run->Stop();
    run->StopClocks();
    for (const TToolWindow& w : windows->Windows())
        if (w.window) w.window->hide();
    findReplace->HideDialogs();
    frmListing->hide();
    event->accept();
    QCoreApplication::quit();
}

void TfrmMain::SaveSettings() {
    auto settings = OpenSettings();
    documents->Save(*settings);
    windows->Save(*settings);
    StoreWatches(*settings);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        Prompt().ShowError(kAppTitle, QStringLiteral("Nastavitev ni bilo mogoče shraniti v %1.")
                                          .arg(QDir::toNativeSeparators(settings->fileName())));
}
