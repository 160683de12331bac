#pragma once
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "workbench/documentfile.h"
#include "workbench/historylist.h"
#include "workbench/windowlist.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QSettings;
class QToolBar;
class TFindDialog;
class TfrmKoda;
class TfrmListing;
class TfrmLog;
class TfrmVnos;
class TRegisterPanels;
class TRunControl;
class TSession;

// The workbench's main window: a strip at the top of the screen with the main menu, the
// toolbar and the register panels. It owns the session (board, assembler, breakpoints), the
// tool windows, the documents and the settings store.
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

    // --- owned objects
    QString programDir;
    std::unique_ptr<TSession> session;
    TRunControl* run = nullptr;
    TfrmKoda* frmKoda = nullptr;
    TfrmListing* frmListing = nullptr;
    TfrmLog* frmLog = nullptr;
    TfrmVnos* frmVnos = nullptr;
    TRegisterPanels* panels = nullptr;
    TWindowList* windows = nullptr;
    THistoryList* hl = nullptr;
    TFindDialog* findDialog = nullptr;
    TFindDialog* replaceDialog = nullptr;
    uint16_t memoryTop = 0;
    int slowInterval = 400;
    int fastInterval = 1;

    // --- layout
    QToolBar* ToolBar1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* pnlgraf = nullptr;
    QProgressBar* progres = nullptr;

    // --- menu items
    QMenu* mnuDatoteke = nullptr;
    QMenu* mnuUrejanje = nullptr;
    QMenu* mnuIzvajanje = nullptr;
    QMenu* mnuOrodja = nullptr;
    QMenu* mnuOkna = nullptr;
    QMenu* mnuPomoc = nullptr;
    QMenu* mnuNedavno = nullptr;
    QAction* mnuNova = nullptr;
    QAction* mnuOdpri = nullptr;
    QAction* mnuShrani = nullptr;
    QAction* mnuShraniKot = nullptr;
    QAction* mnuHtml = nullptr;
    QAction* mnuNatisni = nullptr;
    QAction* mnuPredogled = nullptr;
    QAction* mnuIzhod = nullptr;
    QAction* mnuRazveljavi = nullptr;
    QAction* mnuUveljavi = nullptr;
    QAction* mnuNajdi = nullptr;
    QAction* mnuZamenjaj = nullptr;
    QAction* mnuKopiraj = nullptr;
    QAction* mnuIzrezi = nullptr;
    QAction* mnuPrilepi = nullptr;
    QAction* mnuIzberiVse = nullptr;
    QAction* mnuPrevedi = nullptr;
    QAction* mnuNastavitve = nullptr;
    QAction* Listing1 = nullptr;
    QAction* mnuKazalo = nullptr;
    QAction* mnuSeznamUkazov = nullptr;
    QAction* mnuOPomoci = nullptr;
    QAction* mnuOProgramu = nullptr;
    QAction* btnNew = nullptr;
    QAction* btnOpen = nullptr;
    QAction* btnSave = nullptr;

    // --- documents
    void NewDocument();
    void OpenCommand();
    // Returns false when nothing was opened (cancelled, unreadable).
    bool OpenDocument(const QString& path);
    bool SaveDocument();
    bool SaveDocumentAs();
    // Unsaved changes: false when the calling operation must not go on.
    bool AskToSave();
    QString SaveDialogFileName() const { return saveDialogFileName; }
    const TTextFormat& DocumentFormat() const { return format; }

    // --- compile command and the editor's view of the session
    void mnuPrevediClick();
    void ShowErrorLine(int line);
    void ShowExecutionLine(int line);
    void RefreshDisplay();
    // Loads the last listing into the listing window and shows it; false when unreadable.
    bool ShowListing();
    // Find and replace requests of the two dialogs.
    void FindRequest(TFindDialog* dialog);
    // Shows the find or replace dialog with the focus in its search field.
    void ShowSearchDialog(TFindDialog* dialog);
    void ReplaceRequest(TFindDialog* dialog, bool all);

    // The settings store ("Trivel", "Orlek").
    static std::unique_ptr<QSettings> OpenSettings();
    void SaveSettings();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreatePanel();
    void ConnectRunControl();
    void ApplyControls(bool fileGroup, bool readOnly, bool compile);
    void SyncBreakpoints();
    void ResetDocumentState();
    bool WriteDocument(const QString& path);
    void FitHeight();
    void ShowCodeWindow();
    std::optional<uint16_t> FindLabel(const QString& name) const;

    QString startupError;
    QString saveDialogFileName = QStringLiteral("Neimenovana");
    TTextFormat format;
    bool fileGroupEnabled = true;
    bool userReadOnly = false; // "Samo za branje" as the student left it before a load
    bool closing = false;
};
