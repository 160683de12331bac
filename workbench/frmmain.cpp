#include "workbench/frmmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QToolBar>
#include <Qsci/qsciscintilla.h>
#include <algorithm>

#include "assembler/compiler.h"
#include "assembler/encoding.h"
#include "editor/frmkoda.h"
#include "isa/isa.h"
#include "session/session.h"
#include "windows/logwindow.h"
#include "windows/prompt.h"
#include "windows/registerpanels.h"
#include "windows/vnos.h"
#include "workbench/findreplace.h"
#include "workbench/frmlisting.h"
#include "workbench/runcontrol.h"

namespace {

const QString kAppTitle = QStringLiteral("Orlek");
const QString kOpenFilter = QStringLiteral("Assembler (*.asm *.s07);;Vse daototeke (*)");
const QString kSaveFilter = QStringLiteral("Assembler (*.asm);;(*.s07);;Vse datoteke (*)");
constexpr int kPanel2Height = 43;

QStringList ToQStringList(const std::vector<std::string>& words) {
    QStringList list;
    for (const std::string& w : words)
        list << QString::fromStdString(w);
    return list;
}

QString DirectoryWithSeparator(const QString& path) {
    QString dir = QFileInfo(path).absolutePath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

QAction* MakeAction(QObject* parent, const QString& name, const QString& text,
                    const QKeySequence& shortcut = {},
                    Qt::ShortcutContext context = Qt::ApplicationShortcut) {
    auto* action = new QAction(text, parent);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(context);
    }
    return action;
}

} // namespace

// ============================================================================ creation

TfrmMain::TfrmMain(const QString& dir, QWidget* parent) : QMainWindow(parent), programDir(dir) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
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
    CreateMenus();
    CreateToolBar();
    CreatePanel();

    // Tool windows, created once in a fixed order and only shown or hidden from now on.
    frmKoda = new TfrmKoda(this);
    frmKoda->programDir = programDir;
    frmKoda->SetKeywords(ToQStringList(IsaKeywords()), ToQStringList(IsaCompletionWords()));
    frmKoda->SetSource(QString::fromStdString(SampleProgram()));
    frmKoda->FindLabel = [this](const QString& name) { return FindLabel(name); };
    frmKoda->JumpToAddress = [this](uint16_t address) {
        memoryTop = address;
        RefreshDisplay();
    };
    frmVnos = new TfrmVnos(this);
    SetValueDialog(frmVnos);
    frmLog = new TfrmLog(session->Log, this);
    frmLog->setWindowFlags(Qt::Window | Qt::Tool);
    frmLog->move(600, TWindowList::DefaultTop); // beside the code window
    frmListing = new TfrmListing(this);
    frmListing->SetKeywords(ToQStringList(IsaKeywords()));
    findDialog = new TFindDialog(TFindDialog::Kind::Find, this);
    replaceDialog = new TFindDialog(TFindDialog::Kind::Replace, this);
    connect(findDialog, &TFindDialog::findRequested, this, &TfrmMain::FindRequest);
    connect(replaceDialog, &TFindDialog::findRequested, this, &TfrmMain::FindRequest);
    connect(replaceDialog, &TFindDialog::replaceRequested, this, &TfrmMain::ReplaceRequest);

    windows = new TWindowList(mnuOkna);
    windows->Add({QStringLiteral("code"),
                  QStringLiteral("&Koda"),
                  frmKoda,
                  TToolWindow::Layout::Code,
                  {},
                  {},
                  {},
                  {}});
    windows->Add({QStringLiteral("log"),
                  QStringLiteral("&Dnevnik"),
                  frmLog,
                  TToolWindow::Layout::HeightFirst,
                  {},
                  {},
                  {},
                  {}});
    connect(mnuOkna, &QMenu::aboutToShow, this, [this] { windows->UpdateChecks(); });

    // The editor font from the store.
    {
        auto settings = OpenSettings();
        const QString font =
            settings->value(QStringLiteral("code/editor/Font name"), QStringLiteral("Courier New"))
                .toString();
        frmKoda->SetEditorFont(font);
        frmListing->SetEditorFont(font);
        hl->Load(*settings);
    }

    // The code window's own items call the main menu's.
    connect(frmKoda->mnuKopiraj, &QAction::triggered, mnuKopiraj, &QAction::trigger);
    connect(frmKoda->mnuIzrezi, &QAction::triggered, mnuIzrezi, &QAction::trigger);
    connect(frmKoda->mnuPrilepi, &QAction::triggered, mnuPrilepi, &QAction::trigger);
    connect(frmKoda->Najdi1, &QAction::triggered, mnuNajdi, &QAction::trigger);
    connect(frmKoda->mnuZamenjaj, &QAction::triggered, mnuZamenjaj, &QAction::trigger);
    connect(frmKoda->Prekinitvenatoka1, &QAction::triggered, run, &TRunControl::ToggleBreakpoint);
    connect(frmKoda, &TfrmKoda::breakpointsChanged, this, [this] { SyncBreakpoints(); });
    connect(frmKoda, &TfrmKoda::textEdited, this, [this] {
        if (session->Loaded()) return;
        mnuRazveljavi->setEnabled(frmKoda->txtKoda->isUndoAvailable());
        mnuUveljavi->setEnabled(frmKoda->txtKoda->isRedoAvailable());
    });

    ConnectRunControl();
    session->ProgressStep = [this] {
        const int value = progres->value() + 1;
        progres->setValue(value);
        // Paint the bar about a hundred times per assembly, not once per line.
        const int step = std::max(1, progres->maximum() / 100);
        if (value % step == 0 && pnlgraf->isVisible()) pnlgraf->repaint();
    };
    FitHeight();
}

TfrmMain::~TfrmMain() {
    if (frmVnos && ValueDialog() == frmVnos) SetValueDialog(nullptr);
    // Everything that refers to the session goes before the session itself; the remaining
    // child widgets are destroyed afterwards by QWidget.
    if (run) run->StopClocks();
    delete run;
    run = nullptr;
    delete frmLog;
    frmLog = nullptr;
    delete panels;
    panels = nullptr;
    if (frmKoda) {
        frmKoda->disconnect(this);
        frmKoda->FindLabel = nullptr;
        frmKoda->JumpToAddress = nullptr;
    }
    session.reset();
    delete windows;
}

std::unique_ptr<QSettings> TfrmMain::OpenSettings() {
    return std::make_unique<QSettings>(QStringLiteral("Trivel"), QStringLiteral("Orlek"));
}

void TfrmMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    // --- &Datoteke
    mnuDatoteke = bar->addMenu(QStringLiteral("&Datoteke"));
    mnuNova = MakeAction(this, "mnuNova", QStringLiteral("&Nova"), QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOdpri = MakeAction(this, "mnuOdpri", QStringLiteral("&Odpri"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuShrani = MakeAction(this, "mnuShrani", QStringLiteral("&Shrani"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuShraniKot = MakeAction(this, "mnuShraniKot", QStringLiteral("Shrani kot"));
    mnuDatoteke->addAction(mnuNova);
    mnuDatoteke->addAction(mnuOdpri);
    mnuDatoteke->addAction(mnuShrani);
    mnuDatoteke->addAction(mnuShraniKot);
    mnuNedavno = mnuDatoteke->addMenu(QStringLiteral("N&edavno odprto"));
    hl = new THistoryList(mnuNedavno, this);
    QMenu* izvoz = mnuDatoteke->addMenu(QStringLiteral("Izvoz"));
    mnuHtml = MakeAction(this, "mnuHtml", QStringLiteral("HTML datoteka"));
    izvoz->addAction(mnuHtml);
    mnuDatoteke->addSeparator();
    mnuNatisni =
        MakeAction(this, "mnuNatisni", QStringLiteral("&Natisni ..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPredogled = MakeAction(this, "mnuPredogled", QStringLiteral("Predogled tiskanja"));
    mnuDatoteke->addAction(mnuNatisni);
    mnuDatoteke->addAction(mnuPredogled);
    mnuDatoteke->addSeparator();
    mnuIzhod = MakeAction(this, "mnuIzhod", QStringLiteral("I&zhod"), QKeySequence(Qt::CTRL | Qt::Key_K));
    mnuDatoteke->addAction(mnuIzhod);
    // Printing and HTML export are not available yet.
    mnuHtml->setEnabled(false);
    mnuNatisni->setEnabled(false);
    mnuPredogled->setEnabled(false);
    connect(mnuNova, &QAction::triggered, this, &TfrmMain::NewDocument);
    connect(mnuOdpri, &QAction::triggered, this, &TfrmMain::OpenCommand);
    connect(mnuShrani, &QAction::triggered, this, [this] { SaveDocument(); });
    connect(mnuShraniKot, &QAction::triggered, this, [this] { SaveDocumentAs(); });
    connect(mnuIzhod, &QAction::triggered, this, &QWidget::close);
    connect(hl, &THistoryList::fileChosen, this, [this](const QString& path) { OpenDocument(path); });

    // --- &Urejanje: forwarded to the editor. The clipboard keys stay the editor's own inside
    // the code window, so they are bound only while the main window has the focus.
    mnuUrejanje = bar->addMenu(QStringLiteral("&Urejanje"));
    mnuRazveljavi = MakeAction(this, "mnuRazveljavi", QStringLiteral("&Razveljavi"),
                               QKeySequence(Qt::CTRL | Qt::Key_Z), Qt::WindowShortcut);
    mnuUveljavi = MakeAction(this, "mnuUveljavi", QStringLiteral("&Uveljavi"),
                             QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_Z), Qt::WindowShortcut);
    mnuNajdi = MakeAction(this, "mnuNajdi", QStringLiteral("&Najdi"), QKeySequence(Qt::Key_F3));
    mnuZamenjaj =
        MakeAction(this, "mnuZamenjaj", QStringLiteral("Zamenjaj"), QKeySequence(Qt::CTRL | Qt::Key_R));
    mnuKopiraj = MakeAction(this, "mnuKopiraj", QStringLiteral("Kopiraj"), QKeySequence(Qt::CTRL | Qt::Key_C),
                            Qt::WindowShortcut);
    mnuIzrezi = MakeAction(this, "mnuIzrezi", QStringLiteral("Izreži"), QKeySequence(Qt::CTRL | Qt::Key_X),
                           Qt::WindowShortcut);
    mnuPrilepi = MakeAction(this, "mnuPrilepi", QStringLiteral("Prilepi"), QKeySequence(Qt::CTRL | Qt::Key_V),
                            Qt::WindowShortcut);
    mnuIzberiVse = MakeAction(this, "mnuIzberiVse", QStringLiteral("Izberi vse"),
                              QKeySequence(Qt::CTRL | Qt::Key_A), Qt::WindowShortcut);
    mnuRazveljavi->setEnabled(false);
    mnuUveljavi->setEnabled(false);
    mnuUrejanje->addAction(mnuRazveljavi);
    mnuUrejanje->addAction(mnuUveljavi);
    mnuUrejanje->addSeparator();
    mnuUrejanje->addAction(mnuNajdi);
    mnuUrejanje->addAction(mnuZamenjaj);
    mnuUrejanje->addSeparator();
    mnuUrejanje->addAction(mnuKopiraj);
    mnuUrejanje->addAction(mnuIzrezi);
    mnuUrejanje->addAction(mnuPrilepi);
    mnuUrejanje->addAction(mnuIzberiVse);
    connect(mnuRazveljavi, &QAction::triggered, this, [this] { frmKoda->txtKoda->undo(); });
    connect(mnuUveljavi, &QAction::triggered, this, [this] { frmKoda->txtKoda->redo(); });
    connect(mnuKopiraj, &QAction::triggered, this, [this] { frmKoda->txtKoda->copy(); });
    connect(mnuIzrezi, &QAction::triggered, this, [this] { frmKoda->txtKoda->cut(); });
    connect(mnuPrilepi, &QAction::triggered, this, [this] { frmKoda->txtKoda->paste(); });
    connect(mnuIzberiVse, &QAction::triggered, this, [this] { frmKoda->txtKoda->selectAll(); });
    connect(mnuNajdi, &QAction::triggered, this, [this] { ShowSearchDialog(findDialog); });
    connect(mnuZamenjaj, &QAction::triggered, this, [this] { ShowSearchDialog(replaceDialog); });

    // --- &Izvajanje: the compile command here, the run commands from run control.
    mnuIzvajanje = bar->addMenu(QStringLiteral("&Izvajanje"));
    mnuPrevedi = MakeAction(this, "mnuPrevedi", QStringLiteral("Prevedi"), QKeySequence(Qt::Key_F6));
    connect(mnuPrevedi, &QAction::triggered, this, &TfrmMain::mnuPrevediClick);
    mnuIzvajanje->addAction(mnuPrevedi);
    for (QAction* a :
         {run->mnuHitro, run->mnuPocasno, run->mnuStart, run->mnuNaprej, run->mnuPavza, run->mnuStop}) {
        a->setShortcutContext(Qt::ApplicationShortcut);
        mnuIzvajanje->addAction(a);
    }
    mnuIzvajanje->addSeparator();
    run->Breakpoint1->setShortcutContext(Qt::ApplicationShortcut);
    mnuIzvajanje->addAction(run->Breakpoint1);

    // --- O&rodja
    mnuOrodja = bar->addMenu(QStringLiteral("O&rodja"));
    mnuNastavitve = MakeAction(this, "mnuNastavitve", QStringLiteral("&Nastavitve okolja"));
    mnuNastavitve->setEnabled(false); // the settings dialog is not available yet
    Listing1 = MakeAction(this, "Listing1", QStringLiteral("Listing"));
    mnuOrodja->addAction(mnuNastavitve);
    mnuOrodja->addAction(Listing1);
    connect(Listing1, &QAction::triggered, this, [this] { ShowListing(); });

    // --- &Okna: filled by the window list.
    mnuOkna = bar->addMenu(QStringLiteral("&Okna"));

    // --- &Pomoč
    mnuPomoc = bar->addMenu(QStringLiteral("&Pomoč"));
    mnuKazalo = MakeAction(this, "mnuKazalo", QStringLiteral("&Kazalo"));
    mnuSeznamUkazov = MakeAction(this, "mnuSeznamUkazov", QStringLiteral("&Seznam ukazov"));
    mnuOPomoci = MakeAction(this, "mnuOPomoci", QStringLiteral("&O pomoči"));
    mnuOProgramu = MakeAction(this, "mnuOProgramu", QStringLiteral("O &programu"));
    mnuPomoc->addAction(mnuKazalo);
    mnuPomoc->addAction(mnuSeznamUkazov);
    mnuPomoc->addAction(mnuOPomoci);
    mnuPomoc->addSeparator();
    mnuPomoc->addAction(mnuOProgramu);
    auto openHelp = [this](const QString& name) {
        const QString path = programDir + QStringLiteral("/help/") + name;
        if (!QFileInfo::exists(path)) {
            Prompt().ShowMessage(
                kAppTitle, QStringLiteral("Datoteke s pomočjo ni: %1").arg(QDir::toNativeSeparators(path)));
            return;
        }
        frmKoda->OpenExternal(path);
    };
    connect(mnuKazalo, &QAction::triggered, this, [openHelp] { openHelp(QStringLiteral("manual.htm")); });
    connect(mnuSeznamUkazov, &QAction::triggered, this,
            [openHelp] { openHelp(QStringLiteral("commands.htm")); });
    connect(mnuOPomoci, &QAction::triggered, this, [] {
        Prompt().ShowMessage(QStringLiteral("O pomoči"),
                             QStringLiteral("Kazalo odpre priročnik, Seznam ukazov pa seznam ukazov MC6803.\n"
                                            "Tipka F1 v oknu s kodo odpre opis ukaza pod kazalcem."));
    });
    connect(mnuOProgramu, &QAction::triggered, this, [] {
        Prompt().ShowMessage(QStringLiteral("O programu"),
                             QStringLiteral("Orlek\nUčno okolje za mikrokrmilnik Motorola MC6803."));
    });
}

void TfrmMain::CreateToolBar() {
    ToolBar1 = new QToolBar(QStringLiteral("ToolBar1"), this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    QStyle* s = style();
    btnNew = new QAction(s->standardIcon(QStyle::SP_FileIcon), QStringLiteral("Nov"), this);
    btnNew->setToolTip(QStringLiteral("Nova (Ctrl+N)"));
    btnOpen = new QAction(s->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Odpri"), this);
    btnOpen->setToolTip(QStringLiteral("Odpri (Ctrl+O)"));
    btnSave = new QAction(s->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Shrani"), this);
    btnSave->setToolTip(QStringLiteral("Shrani (Ctrl+S)"));
    connect(btnNew, &QAction::triggered, mnuNova, &QAction::trigger);
    connect(btnOpen, &QAction::triggered, mnuOdpri, &QAction::trigger);
    connect(btnSave, &QAction::triggered, mnuShrani, &QAction::trigger);
    ToolBar1->addAction(btnNew);
    ToolBar1->addAction(btnOpen);
    ToolBar1->addAction(btnSave);
    ToolBar1->addSeparator();

    const std::pair<QAction*, QStyle::StandardPixmap> runButtons[] = {
        {run->btnStart, QStyle::SP_ArrowDown},   {run->btnNaprej, QStyle::SP_MediaSkipForward},
        {run->btnPavza, QStyle::SP_MediaPause},  {run->btnStop, QStyle::SP_MediaStop},
        {run->btnPocasno, QStyle::SP_MediaPlay}, {run->btnHitro, QStyle::SP_MediaSeekForward},
    };
    for (int i = 0; i < 6; ++i) {
        if (runButtons[i].first->icon().isNull())
            runButtons[i].first->setIcon(s->standardIcon(runButtons[i].second));
        ToolBar1->addAction(runButtons[i].first);
        if (i == 3) ToolBar1->addSeparator();
    }
    ToolBar1->addSeparator();
    ToolBar1->addAction(run->btnIRQ);
    ToolBar1->addAction(run->btnNMI);
}

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
    run->SetPanels(panels);
}

void TfrmMain::ConnectRunControl() {
    run->SourceLines = [this] {
        std::vector<std::string> lines;
        for (const QString& line : frmKoda->Lines())
            lines.push_back(Utf8ToCp1250(line.toStdString()));
        // A breakpoint on the editor's empty last line (after the final line end) is still a
        // breakpoint on an empty line, and the assembler must say so.
        for (int line : frmKoda->BreakpointLines())
            while (static_cast<int>(lines.size()) < line &&
                   static_cast<int>(lines.size()) < frmKoda->LineCount())
                lines.emplace_back();
        return lines;
    };
    run->CaretLine = [this] { return frmKoda->CaretLine(); };
    connect(run, &TRunControl::controlsChanged, this, [this](const TControlStates& c) {
        mnuPrevedi->setEnabled(c.Compile);
        ApplyControls(c.FileGroup, c.ReadOnly, c.Compile);
    });
    connect(run, &TRunControl::undoEnabled, this, [this](bool on) { mnuRazveljavi->setEnabled(on); });
    connect(run, &TRunControl::loadStarting, this, [this](int lineCount) {
        frmKoda->ClearMessages();
        frmKoda->ShowMessages(false);
        frmKoda->ClearOrdinaryMarks();
        progres->setMaximum(std::max(1, 2 * lineCount));
        progres->setValue(0);
        pnlgraf->show();
    });
    connect(run, &TRunControl::loadFinished, this, [this](bool ok) {
        pnlgraf->hide();
        if (ok) frmKoda->HideErrorMark();
    });
    connect(run, &TRunControl::loadFailed, this, [this](const QStringList& messages, int errorLine) {
        frmKoda->ClearMessages();
        for (const QString& m : messages)
            frmKoda->AddMessage(m);
        ShowCodeWindow();
        if (errorLine > 0) ShowErrorLine(errorLine);
        frmKoda->ShowMessages(true);
    });
    connect(run, &TRunControl::errorMessages, this, [this](const QStringList& messages, bool showPanel) {
        for (const QString& m : messages)
            frmKoda->AddMessage(m);
        if (showPanel) {
            ShowCodeWindow();
            frmKoda->ShowMessages(true);
        }
    });
    connect(run, &TRunControl::showExecutionLine, this, [this](int line) { ShowExecutionLine(line); });
    connect(run, &TRunControl::breakpointToggled, this,
            [this](int line, bool on) { frmKoda->SetBreakpoint(line, on); });
    // The address-space window joins through programCounterMoved (memoryTop follows PC) and
    // refreshAddressSpace (its list redraw).
}

// ============================================================================ show step

void TfrmMain::FitHeight() {
    // The strip never shows more than the menu, the toolbar and Panel2.
    const int height = menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() + kPanel2Height;
    setFixedHeight(height);
}

void TfrmMain::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

void TfrmMain::Start(const QString& commandLineDocument) {
    if (!Ok()) return;
    FitHeight();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    move(area.topLeft());
    resize(area.width(), height());
    show();

    auto settings = OpenSettings();
    windows->RestorePlacements(*settings, screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768));
    if (windows->RestoreVisibility(*settings)) {
        bool ok = false;
        const QVariant slow = settings->value(QStringLiteral("Slow simulation"));
        if (slow.isValid()) {
            const int v = slow.toInt(&ok);
            slowInterval = (!ok || v <= 0) ? 400 : v;
            const QVariant fast = settings->value(QStringLiteral("Fast simulation"));
            if (fast.isValid()) {
                const int f = fast.toInt(&ok);
                fastInterval = (!ok || f <= 0) ? 1 : f;
            }
        }
    }
    run->SetSlowInterval(slowInterval);
    run->SetFastInterval(fastInterval);
    // The panels show the processor's state from the start, not empty cells until the first load.
    panels->Refresh(true);
    activateWindow();
    raise();

    if (!commandLineDocument.isEmpty()) {
        // The path keeps its case: file names are case-sensitive here.
        const QString path = QFileInfo(commandLineDocument).absoluteFilePath();
        saveDialogFileName = path;
        if (QFileInfo(path).isFile()) OpenDocument(path);
        else
            Prompt().ShowMessage(
                kAppTitle, QStringLiteral("Datoteka ne obstaja: %1").arg(QDir::toNativeSeparators(path)));
    } else {
        const QString last = settings->value(QStringLiteral("last file")).toString();
        if (!last.isEmpty() && last != TfrmKoda::Untitled && QFileInfo(last).isAbsolute() &&
            QFileInfo(last).isFile())
            OpenDocument(last);
    }
    run->StartClocks();
}

// ============================================================================ exit

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (!Ok()) {
        event->accept();
        return;
    }
    if (!AskToSave()) {
        event->ignore();
        return;
    }
    SaveSettings();
    run->Stop();
    run->StopClocks();
    for (const TToolWindow& w : windows->Windows())
        if (w.window) w.window->hide();
    findDialog->hide();
    replaceDialog->hide();
    frmListing->hide();
    event->accept();
    closing = true;
    QCoreApplication::quit();
}

void TfrmMain::SaveSettings() {
    auto settings = OpenSettings();
    settings->setValue(QStringLiteral("last file"), frmKoda->DocumentName());
    windows->Save(*settings);
    hl->Save(*settings);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        Prompt().ShowError(kAppTitle, QStringLiteral("Nastavitev ni bilo mogoče shraniti v %1.")
                                          .arg(QDir::toNativeSeparators(settings->fileName())));
}

// ============================================================================ enabling

void TfrmMain::ApplyControls(bool fileGroup, bool readOnly, bool) {
    for (QAction* a : {btnNew, btnOpen, mnuNova, mnuOdpri, mnuZamenjaj, mnuIzrezi, mnuPrilepi,
                       frmKoda->mnuZamenjaj, frmKoda->mnuIzrezi, frmKoda->mnuPrilepi})
        a->setEnabled(fileGroup);
    hl->SetEnabled(fileGroup);
    // "Samo za branje" is checked and locked while a program is loaded; afterwards it returns to
    // the student's own choice, which a load (or a failed one) must not undo.
    QAction* samoZaBranje = frmKoda->mnuSamoZaBranje;
    if (!fileGroup && fileGroupEnabled) userReadOnly = samoZaBranje->isChecked();
    if (!fileGroup) samoZaBranje->setChecked(true);
    else if (!fileGroupEnabled) samoZaBranje->setChecked(userReadOnly);
    samoZaBranje->setEnabled(fileGroup);
    fileGroupEnabled = fileGroup;
    frmKoda->txtKoda->setReadOnly(readOnly || samoZaBranje->isChecked());
    if (!fileGroup) replaceDialog->hide();
}

// ============================================================================ editor and session

std::optional<uint16_t> TfrmMain::FindLabel(const QString& name) const {
    std::string reference = Utf8ToCp1250(name.toStdString());
    UpperCase1250(reference);
    uint16_t value = 0;
    if (session->Compiler().FindLabel(reference, value)) return value;
    return std::nullopt;
}

void TfrmMain::SyncBreakpoints() {
    // The editor's marks follow their lines through every edit; the session's set follows them.
    session->Breakpoints.Clear();
    for (int line : frmKoda->BreakpointLines())
        session->Breakpoints.Add(line);
}

void TfrmMain::ShowCodeWindow() {
    // Messages the student must see: a hidden code window comes back to show them.
    if (!frmKoda->isVisible()) {
        frmKoda->show();
        windows->UpdateChecks();
    }
}

void TfrmMain::ShowErrorLine(int line) { frmKoda->ShowErrorLine(line); }

void TfrmMain::ShowExecutionLine(int line) {
    frmKoda->ScrollToLine(line);
    frmKoda->SetExecutionLine(line);
}

void TfrmMain::RefreshDisplay() { run->RefreshDisplay(); }

void TfrmMain::mnuPrevediClick() {
    if (session->Loaded()) return;
    frmKoda->ShowMessages(false);
    frmKoda->ClearOrdinaryMarks();
    std::vector<std::string> lines = run->SourceLines();
    progres->setMaximum(std::max(1, int(2 * lines.size())));
    progres->setValue(0);
    pnlgraf->show();
    SyncBreakpoints();
    const TLoadResult result = session->Compile(lines);
    pnlgraf->hide();
    // Listing write errors: each kind once.
    for (int code : result.ListingErrors)
        Prompt().ShowMessage(kAppTitle, QString::fromStdString(ListingErrorMessage(code)));
    if (!result.Done) return;
    if (result.Ok) {
        frmKoda->HideErrorMark();
    } else {
        frmKoda->ClearMessages();
        for (const std::string& m : result.Messages)
            frmKoda->AddMessage(QString::fromStdString(m));
        ShowCodeWindow();
        if (result.ErrorLine > 0) ShowErrorLine(result.ErrorLine);
        frmKoda->ShowMessages(true);
    }
    frmKoda->RepaintMarks();
}

bool TfrmMain::ShowListing() {
    QString error;
    if (!frmListing->LoadListing(QString::fromStdString(session->ListingPath), error)) {
        Prompt().ShowError(kAppTitle, error);
        return false;
    }
    QCoreApplication::processEvents();
    if (!frmListing->property("placed").toBool()) {
        // First showing: centred on the screen.
        if (const QScreen* screen = this->screen())
            frmListing->move(screen->availableGeometry().center() - frmListing->rect().center());
        frmListing->setProperty("placed", true);
    }
    frmListing->show();
    frmListing->raise();
    frmListing->activateWindow();
    return true;
}

void TfrmMain::ShowSearchDialog(TFindDialog* dialog) {
    if (!dialog->property("placed").toBool()) {
        // First showing: over the lower part of the code window, whose text it searches, rather
        // than over the strip at the top of the screen.
        dialog->adjustSize();
        const QRect code = frmKoda->frameGeometry();
        QPoint at(code.center().x() - dialog->width() / 2, code.top() + code.height() * 2 / 3);
        if (const QScreen* screen = frmKoda->screen() ? frmKoda->screen() : this->screen()) {
            const QRect area = screen->availableGeometry();
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - dialog->width())));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - dialog->height())));
        }
        dialog->move(at);
        dialog->setProperty("placed", true);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->txtFind->setFocus();
    dialog->txtFind->selectAll();
}

void TfrmMain::FindRequest(TFindDialog* dialog) {
    const QString text = dialog->FindText();
    if (text.isEmpty()) return;
    QsciScintilla* ed = frmKoda->txtKoda;
    const bool down = dialog->kind() == TFindDialog::Kind::Find ? dialog->Down() : true;
    int line = 0, index = 0;
    if (ed->hasSelectedText()) {
        int l1 = 0, i1 = 0, l2 = 0, i2 = 0;
        ed->getSelection(&l1, &i1, &l2, &i2);
        line = down ? l2 : l1;
        index = down ? i2 : i1;
    } else {
        ed->getCursorPosition(&line, &index);
    }
    if (!ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, down, line, index))
        QApplication::beep();
}

void TfrmMain::ReplaceRequest(TFindDialog* dialog, bool all) {
    const QString text = dialog->FindText();
    if (text.isEmpty() || frmKoda->txtKoda->isReadOnly()) return;
    QsciScintilla* ed = frmKoda->txtKoda;
    const QString replacement = dialog->ReplaceText();
    if (!all) {
        int line = 0, index = 0;
        if (ed->hasSelectedText()) {
            int l2 = 0, i2 = 0;
            ed->getSelection(&line, &index, &l2, &i2);
        } else {
            ed->getCursorPosition(&line, &index);
        }
        if (ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, true, line, index))
            ed->replace(replacement);
        else QApplication::beep();
        return;
    }
    ed->beginUndoAction();
    int count = 0;
    if (ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, true, 0, 0)) {
        do {
            ed->replace(replacement);
        } while (++count < 1000000 && ed->findNext());
    }
    ed->endUndoAction();
    if (count == 0) QApplication::beep();
}

// ============================================================================ documents

bool TfrmMain::AskToSave() {
    if (!frmKoda->txtKoda->isModified()) return true;
    switch (Prompt().AskYesNoCancel(QStringLiteral("Shranim spremenjeno?"),
                                    QStringLiteral("Ali želite shraniti spremembe v ") +
                                        frmKoda->DocumentName())) {
    case TPrompt::Answer::Cancel:
        return false;
    case TPrompt::Answer::No:
        return true;
    case TPrompt::Answer::Yes:
        // Only a save that happened lets the operation go on; otherwise the changes would be lost.
        return SaveDocument();
    }
    return false;
}

void TfrmMain::ResetDocumentState() {
    frmKoda->ClearBreakpoints();
    frmKoda->ClearOrdinaryMarks();
    frmKoda->ShowMessages(false);
    frmKoda->SetCaret(1, 1);
    frmKoda->txtKoda->setFirstVisibleLine(0);
    frmKoda->RepaintMarks();
    SyncBreakpoints();
    mnuRazveljavi->setEnabled(false);
    mnuUveljavi->setEnabled(false);
}

void TfrmMain::NewDocument() {
    if (session->Loaded() || !AskToSave()) return;
    frmKoda->SetSource(QString());
    frmKoda->SetDocumentName(TfrmKoda::Untitled);
    format = TTextFormat{};
    saveDialogFileName = QStringLiteral("Neimenovana");
    ResetDocumentState();
}

void TfrmMain::OpenCommand() {
    if (session->Loaded()) return;
    auto settings = OpenSettings();
    const QString dir = settings->value(QStringLiteral("fileopen initialdir")).toString();
    QString path = Prompt().ChooseOpenFile(QStringLiteral("Odpri"), dir, kOpenFilter);
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path) && QFileInfo::exists(path + QStringLiteral(".asm")))
        path += QStringLiteral(".asm");
    OpenDocument(path);
}

bool TfrmMain::OpenDocument(const QString& path) {
    if (session->Loaded()) return false;
    // The save dialog takes the new name only once the file is open: a "Yes" to the question
    // below may open the save dialog for the old text, and offering the file about to be
    // opened there invites overwriting it.
    if (!AskToSave()) return false;
    QString text, error;
    TTextFormat newFormat;
    if (!TDocumentFile::Read(path, text, newFormat, error)) {
        Prompt().ShowError(kAppTitle, error);
        return false;
    }
    frmKoda->SetSource(text);
    frmKoda->SetDocumentName(path);
    saveDialogFileName = path;
    format = newFormat;
    hl->AddItem(path);
    ResetDocumentState();
    auto settings = OpenSettings();
    settings->setValue(QStringLiteral("fileopen initialdir"), DirectoryWithSeparator(path));
    return true;
}

bool TfrmMain::WriteDocument(const QString& path) {
    QByteArray bytes;
    if (!TDocumentFile::Encode(frmKoda->Source(), format, bytes)) {
        // The text holds characters Windows-1250 cannot store: offer UTF-8 instead of losing them.
        if (!Prompt().AskYesNo(kAppTitle,
                               QStringLiteral("Besedilo vsebuje znake, ki jih kodna tabela Windows-1250 "
                                              "ne pozna. Ali naj datoteko shranim v kodiranju UTF-8?")))
            return false;
        format.encoding = TTextFormat::Encoding::Utf8;
        TDocumentFile::Encode(frmKoda->Source(), format, bytes);
    }
    QString error;
    if (!TDocumentFile::Write(path, bytes, error)) {
        Prompt().ShowError(kAppTitle, error);
        return false;
    }
    return true;
}

bool TfrmMain::SaveDocument() {
    const QString name = frmKoda->DocumentName();
    if (name == TfrmKoda::Untitled) return SaveDocumentAs();
    if (!WriteDocument(name)) return false;
    frmKoda->txtKoda->setModified(false);
    return true;
}

bool TfrmMain::SaveDocumentAs() {
    auto settings = OpenSettings();
    QString dir = settings->value(QStringLiteral("filesave initialdir")).toString();
    const QString start = QFileInfo(saveDialogFileName).isAbsolute()
                              ? saveDialogFileName
                              : (dir.isEmpty() ? saveDialogFileName : QDir(dir).filePath(saveDialogFileName));
    QString path = Prompt().ChooseSaveFile(QStringLiteral("Shrani kot"), start, kSaveFilter);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The default extension: the dialog confirmed the name without it, so an existing file
        // of the full name has not been asked about yet.
        path += QStringLiteral(".asm");
        if (QFileInfo::exists(path) &&
            !Prompt().AskYesNo(QStringLiteral("Shrani kot"),
                               QStringLiteral("Datoteka %1 že obstaja. Ali jo želite zamenjati?")
                                   .arg(QDir::toNativeSeparators(path))))
            return false;
    }
    if (!WriteDocument(path)) return false;
    frmKoda->SetDocumentName(path);
    saveDialogFileName = path;
    settings->setValue(QStringLiteral("filesave initialdir"), DirectoryWithSeparator(path));
    // The modified flag stays as it was: the question at exit still comes.
    return true;
}
