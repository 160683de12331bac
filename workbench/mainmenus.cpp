// The menus and the toolbar of the main window as data: what each command is called, its key,
// its group and what it does; CommandTable builds the actions from these rows.
#include "workbench/frmmain.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>
#include <Qsci/qsciscintilla.h>

#include "editor/frmkoda.h"
#include "editor/kodaeditor.h"
#include "session/session.h"
#include "session/symbols.h"
#include "session/watches.h"
#include "windows/prompt.h"
#include "workbench/commandtable.h"
#include "workbench/documents.h"
#include "workbench/exercisecommand.h"
#include "workbench/findreplace.h"
#include "workbench/frmlisting.h"
#include "workbench/help.h"
#include "workbench/printing.h"
#include "workbench/runcontrol.h"
#include "workbench/statecommand.h"
#include "workbench/windowlist.h"

std::vector<TCommand> TfrmMain::CommandTable() {
    std::vector<TCommand> rows = MenuRows();
    for (TCommand& row : ToolBarRows())
        rows.push_back(std::move(row));
    return rows;
}

std::vector<TCommand> TfrmMain::MenuRows() {
    using C = TCommand;
    const unsigned file = C::FileGroup, windowKeys = C::WindowShortcut, off = C::StartsDisabled;
    QsciScintilla* ed = frmKoda->txtKoda;
    TRunControl* r = run;
    return {
        C::Menu("mnuDatoteke", "&Datoteke"),
        C::Item(
            "mnuNova", "&Nova", Qt::CTRL | Qt::Key_N, [this] { documents->NewDocument(); }, file),
        C::Item(
            "mnuOdpri", "&Odpri", Qt::CTRL | Qt::Key_O, [this] { documents->OpenCommand(); }, file),
        C::Item(
            "mnuOdpriPlosco", "Odpri ploščo ...", {}, [this] { OpenBoard(); }, file),
        C::Item("mnuShrani", "&Shrani", Qt::CTRL | Qt::Key_S, [this] { documents->SaveDocument(); }),
        C::Item("mnuShraniKot", "Shrani kot", {}, [this] { documents->SaveDocumentAs(); }),
        // The whole session: available while a program runs (saving pauses it, opening stops it).
        C::Item("mnuShraniStanje", "Shrani stanje ...", {}, [this] { state->SaveCommand(); }),
        C::Item("mnuOdpriStanje", "Odpri stanje ...", {}, [this] { state->OpenCommand(); }),
        C::SubMenu("mnuNedavno", "N&edavno odprto"), // filled by the recent-files list
        C::EndSubMenu(),
        C::SubMenu("mnuIzvoz", "Izvoz"),
        C::Item("mnuHtml", "HTML datoteka", {}, [this] { printing->ExportHtml(); }),
        C::EndSubMenu(),
        C::Separator(),
        C::Item("mnuNatisni", "&Natisni ...", Qt::CTRL | Qt::Key_P, [this] { printing->PrintDocument(); }),
        C::Item("mnuPredogled", "Predogled tiskanja", {}, [this] { printing->PreviewDocument(); }),
        C::Separator(),
        C::Item("mnuIzhod", "I&zhod", Qt::CTRL | Qt::Key_K, [this] { close(); }),

        // Forwarded to the editor. The clipboard keys stay the editor's own inside the code
        // window, so they are bound only while the main window has the focus.
        C::Menu("mnuUrejanje", "&Urejanje"),
        C::Item(
            "mnuRazveljavi", "&Razveljavi", Qt::CTRL | Qt::Key_Z, [ed] { ed->undo(); }, windowKeys | off),
        C::Item(
            "mnuUveljavi", "&Uveljavi", Qt::SHIFT | Qt::CTRL | Qt::Key_Z, [ed] { ed->redo(); },
            windowKeys | off),
        C::Separator(),
        C::Item("mnuNajdi", "&Najdi", Qt::Key_F3, [this] { findReplace->ShowFind(); })
            .TriggeredBy(frmKoda->Najdi1),
        C::Item(
            "mnuZamenjaj", "Zamenjaj", Qt::CTRL | Qt::Key_R, [this] { findReplace->ShowReplace(); }, file)
            .TriggeredBy(frmKoda->mnuZamenjaj),
        C::Separator(),
        C::Item(
            "mnuKopiraj", "Kopiraj", Qt::CTRL | Qt::Key_C, [ed] { ed->copy(); }, windowKeys)
            .TriggeredBy(frmKoda->mnuKopiraj),
        C::Item(
            "mnuIzrezi", "Izreži", Qt::CTRL | Qt::Key_X, [ed] { ed->cut(); }, file | windowKeys)
            .TriggeredBy(frmKoda->mnuIzrezi),
        C::Item(
            "mnuPrilepi", "Prilepi", Qt::CTRL | Qt::Key_V, [ed] { ed->paste(); }, file | windowKeys)
            .TriggeredBy(frmKoda->mnuPrilepi),
        C::Item(
            "mnuIzberiVse", "Izberi vse", Qt::CTRL | Qt::Key_A, [this] { SelectAll(); }, windowKeys),

        // The compile and run commands are run control's.
        C::Menu("mnuIzvajanje", "&Izvajanje"),
        C::Place(r->mnuPrevedi),
        C::Place(r->mnuHitro),
        C::Place(r->mnuTurbo),
        C::Place(r->mnuPocasno),
        C::Place(r->mnuStart),
        C::Place(r->mnuNaprej),
        C::Place(r->mnuNazaj),
        C::Place(r->mnuPavza),
        C::Place(r->mnuStop),
        C::Separator(),
        C::Place(r->Breakpoint1).TriggeredBy(frmKoda->Prekinitvenatoka1),

        C::Menu("mnuOrodja", "O&rodja"),
        C::Item("mnuNastavitve", "&Nastavitve okolja", {}, [this] { EditSettings(); }),
        C::Item("Listing1", "Listing", {},
                [this] {
                    frmListing->ShowListing(QString::fromStdString(session->ListingPath),
                                            QString::fromStdString(session->ListingUnavailable()));
                }),
        C::Item("mnuPreveriNalogo", "Preveri nalogo ...", {}, [this] { exercise->Run(); }),

        C::Menu("mnuOkna", "&Okna"),
        WindowItem("mnuOkno_code", "&Koda", "code"),
        WindowItem("mnuOkno_memory", "&Naslovni prostor", "memory"),
        WindowItem("mnuOkno_port1", "Port&1", "port1"),
        WindowItem("mnuOkno_port2", "Port&2", "port2"),
        WindowItem("mnuOkno_sci", "&SCI", "sci"),
        WindowItem("mnuOkno_timer", "Timer", "timer"),
        WindowItem("mnuOkno_trace", "&Trace", "trace"),
        C::Separator(),
        WindowItem("mnuOkno_board", "&Plošča", "board"),
        WindowItem("mnuOkno_symbols", "&Oznake", "symbols"),
        WindowItem("mnuOkno_watches", "Spremen&ljivke", "watches"),
        WindowItem("mnuOkno_diagram", "Č&asovni diagram", "diagram"),
        WindowItem("mnuOkno_interrupts", "Pr&ekinitve", "interrupts"),
        WindowItem("mnuOkno_callstack", "Sklad kl&icev", "callstack"),
        WindowItem("mnuOkno_profile", "Pro&fil", "profile"),
        C::Toggle(
            QStringLiteral("mnuProfilVRobu"), QStringLiteral("Profil v ro&bu kode"),
            [this] {
                TKodaEditor& editor = *frmKoda->txtKoda;
                editor.SetProfileMarginShown(!editor.ProfileMarginShown());
                WatchWhileShown();
                DrawProfileMargin();
            },
            [this] { return frmKoda->txtKoda->ProfileMarginShown(); }),
        WindowItem("mnuOkno_log", "&Dnevnik", "log"),
        C::Separator(),
        C::Item("mnuRazporedi", "&Razporedi okna", {}, [this] { ArrangeWindows(); }),

        C::Menu("mnuPomoc", "&Pomoč"),
        C::Item("mnuKazalo", "&Kazalo", {}, [this] { help->ShowManual(); }),
        C::Item("mnuSeznamUkazov", "&Seznam ukazov", {}, [this] { help->ShowCommandList(); }),
        C::Item("mnuOPomoci", "&O pomoči", {}, [this] { help->AboutHelp(); }),
        C::Separator(),
        C::Item("mnuOProgramu", "O &programu", {}, [this] { help->AboutProgram(); }),
    };
}

// An "&Okna" item: shows or hides the window, checked while it is shown.
TCommand TfrmMain::WindowItem(const char* name, const QString& caption, const QString& key) {
    return TCommand::Toggle(
        QLatin1String(name), caption, [this, key] { windows->Toggle(key); },
        [this, key] { return windows->IsVisible(key); });
}

// The toolbar: the document buttons do what their menu items do; the run buttons are run
// control's.
std::vector<TCommand> TfrmMain::ToolBarRows() {
    using C = TCommand;
    TRunControl* r = run;
    return {
        C::ToolBar("ToolBar1"),
        C::Button(
            "btnNew", "Nov", "Nova (Ctrl+N)", QStyle::SP_FileIcon, [this] { documents->NewDocument(); },
            C::FileGroup),
        C::Button(
            "btnOpen", "Odpri", "Odpri (Ctrl+O)", QStyle::SP_DialogOpenButton,
            [this] { documents->OpenCommand(); }, C::FileGroup),
        C::Button("btnSave", "Shrani", "Shrani (Ctrl+S)", QStyle::SP_DialogSaveButton,
                  [this] { documents->SaveDocument(); }),
        C::Separator(),
        C::Place(r->btnStart),
        C::Place(r->btnNaprej),
        C::Place(r->btnNazaj),
        C::Place(r->btnPavza),
        C::Place(r->btnStop),
        C::Separator(),
        C::Place(r->btnPocasno),
        C::Place(r->btnHitro),
        C::Place(r->btnTurbo),
        C::Separator(),
        C::Place(r->btnIRQ),
        C::Place(r->btnNMI),
    };
}
