#pragma once
#include <QList>
#include <QMainWindow>
#include <QMargins>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QProgressBar;
class QSettings;
class QToolBar;
class TAddressView;
class TDocuments;
class TExerciseCommand;
class TLabBoard;
class TFindReplace;
class THelp;
class TPrinting;
class TRegisterPanels;
class TRunControl;
class TStateCommand;
class TSession;
class TSymbolTable;
class TWatchList;
class TWindowList;
class TfrmKoda;
class TfrmListing;
class TfrmLog;
class TfrmNaloga;
class TfrmPort;
class TfrmSpomin;
class TfrmNastavitve;
class TfrmOProgramu;
class TfrmOznake;
class TfrmPlosca;
class TfrmCasovniDiagram;
class TfrmPrekinitve;
class TfrmSkladKlicev;
class TfrmProfil;
class TfrmSpremenljivke;
class TfrmVnos;
class TfrmSCI;
class TfrmTimer;
class TfrmTrace;
struct TCommand;
struct TDisplayFrame;

// The workbench's main window: a strip at the top of the screen with the main menu, the
// toolbar and the register panels. It owns the session (board, assembler, breakpoints), the
// tool windows, the controllers (run control, documents, find and replace, help) and the
// settings store, and wires them together: the menus and the toolbar are one table
// (CommandTable), what the commands do is the controllers' and the session's business.
//
// Its parts are found by object name: the menus ("mnuDatoteke", "mnuNedavno", ...), the menu
// items and toolbar buttons ("mnuNova", "btnNew", "mnuOkno_code", ...; run control's own
// "mnuStart", "btnStart", ...), "ToolBar1", "Panel2", the progress panel "pnlgraf" with its bar
// "progres", the register panels "RegisterPanels", the windows "frmKoda", "frmListing",
// "frmLog", the dialogs "FindDialog1" and "ReplaceDialog1".
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Creation step: the program directory, the instruction tables and the windows. When the
    // tables cannot be read, StartupError() says why and the window must not be shown.
    explicit TfrmMain(const QString& programDir, QWidget* parent = nullptr);
    ~TfrmMain() override;

    bool Ok() const { return session != nullptr; }
    QString StartupError() const { return startupError; }

    // Show step: the strip across the screen, window placement and visibility from the store,
    // then the document to open (the command-line path, else "last file").
    void Start(const QString& commandLineDocument = QString());

    // The objects the windows and controllers share.
    TSession& Session() const { return *session; }
    TRunControl& Run() const { return *run; }
    TDocuments& Documents() const { return *documents; }
    TWindowList& Windows() const { return *windows; }
    // The address-space window's view: memoryTop (which the editor's jump to a label moves too)
    // and the follow state.
    TAddressView& AddressView() const { return *addressView; }
    THelp& Help() const { return *help; }
    // The labels of the last successful assembly and the watched variables of the document.
    TSymbolTable& Symbols() const { return *symbols; }
    TWatchList& Watches() const { return *watches; }

    // The settings store ("Trivel", "Orlek").
    static std::unique_ptr<QSettings> OpenSettings();
    // Exit: "last file", the recent files and every tool window's placement and visibility.
    void SaveSettings();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<TCommand> CommandTable();
    std::vector<TCommand> MenuRows();
    std::vector<TCommand> ToolBarRows();
    TCommand WindowItem(const char* name, const QString& caption, const QString& key);
    void CreateToolWindows();
    void CreatePanel();
    void ConnectCodeWindow();
    void ConnectRunControl();
    void ConnectDisplayFrames();
    void DrawExecutionLine(const TDisplayFrame& frame);
    // The code window's profile column: executions and cycles of the lines in view.
    void DrawProfileMargin();
    // The execution watch costs every step: it runs while a window that shows it (or the
    // profile column) is open, and stops when the last of them is closed.
    void WatchWhileShown();
    void ConnectSymbolWindows();
    void ConnectBoardWindow();
    // "Odpri ploščo ...": a board file read into the board window, or its fault shown there.
    void OpenBoard();
    // Reads a board file into the session and shows it, or its fault, in the board window.
    void ShowBoardFile(const QString& path);
    // The symbol window's double-click: the label's line in the code window, its value at the
    // top of the frozen address-space list.
    void ShowSymbol(uint16_t value, int line);
    void LoadWatches();
    void StoreWatches(QSettings& settings);
    // The lab board's file, kept with the document.
    void StoreBoard(QSettings& settings);
    void EditSettings();
    void SelectAll();
    void ApplyControls(bool fileGroup, bool readOnly);
    void ShowProgress(int lineCount);
    void StepProgress();
    void FitHeight();
    // The screen's area for windows, the margins of the window manager's frame (none without
    // one; every window is taken to get the same), and where the strip's frame ends.
    QRect AvailableArea() const;
    QMargins FrameMargins() const;
    int StripBottom() const;
    // "Razporedi okna": the shown windows laid out anew below the strip.
    void ArrangeWindows();

    QString programDir;
    QString startupError;
    std::unique_ptr<TSession> session;
    TRunControl* run = nullptr;
    TDocuments* documents = nullptr;
    TFindReplace* findReplace = nullptr;
    std::unique_ptr<THelp> help;
    TPrinting* printing = nullptr;
    TExerciseCommand* exercise = nullptr;
    TStateCommand* state = nullptr;
    std::unique_ptr<TWindowList> windows;
    std::unique_ptr<TSymbolTable> symbols;
    std::unique_ptr<TWatchList> watches;
    std::unique_ptr<TAddressView> addressView;

    TfrmKoda* frmKoda = nullptr;
    TfrmListing* frmListing = nullptr;
    TfrmLog* frmLog = nullptr;
    TfrmNaloga* frmNaloga = nullptr;
    TfrmVnos* frmVnos = nullptr;
    TfrmSpomin* frmSpomin = nullptr;
    TfrmPort* frmPort1 = nullptr;
    TfrmPort* frmPort2 = nullptr;
    TfrmOProgramu* frmOProgramu = nullptr;
    TfrmNastavitve* frmNastavitve = nullptr;
    TfrmOznake* frmOznake = nullptr;
    TfrmSpremenljivke* frmSpremenljivke = nullptr;
    TRegisterPanels* panels = nullptr;
    TfrmSCI* frmSCI = nullptr;
    TfrmTimer* frmTimer = nullptr;
    TfrmTrace* frmTrace = nullptr;
    TfrmPlosca* frmPlosca = nullptr;
    TfrmCasovniDiagram* frmDiagram = nullptr;
    TfrmPrekinitve* frmPrekinitve = nullptr;
    TfrmSkladKlicev* frmSklad = nullptr;
    TfrmProfil* frmProfil = nullptr;
    QToolBar* ToolBar1 = nullptr;
    int wideToolBar = 0; // the toolbar's width with every caption
    QWidget* Panel2 = nullptr;
    QWidget* pnlgraf = nullptr;
    QProgressBar* progres = nullptr;
    QAction* mnuRazveljavi = nullptr;
    QAction* mnuUveljavi = nullptr;
    QList<QAction*> fileGroup;                   // the table's file group: off while a program is loaded
    QList<QPointer<QWidget>> minimisedWithStrip; // the tool windows the strip took along
};
