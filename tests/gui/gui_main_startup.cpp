// Start-up, the main strip's menus, window persistence and the "&Okna" menu.
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>

#include "tests/gui/gui_main_fixture.h"
#include "windows/registerpanels.h"
#include "workbench/commandtable.h"
#include "workbench/runcontrol.h"
#include "workbench/windowlist.h"

namespace {

// "caption|shortcut" of every item, "-" for a separator, submenus as "caption>".
QStringList Describe(QMenu* menu) {
    QStringList items;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) items << QStringLiteral("-");
        else if (a->menu()) items << a->text() + QLatin1Char('>');
        else items << a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
    }
    return items;
}

} // namespace

TEST_F(MainWindowTest, EmptyStoreShowsCodeWindowAtTop115Left5) {
    TfrmMain& w = Create();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Orlek"));
    EXPECT_TRUE(Koda().isVisible());
    EXPECT_EQ(Koda().pos(), QPoint(5, 115));
    EXPECT_EQ(w.Run().SlowInterval(), 400);
    EXPECT_EQ(w.Run().FastInterval(), 1);
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));
    // The sample program is the initial text and the document is unmodified.
    EXPECT_TRUE(Koda().Lines().at(1).startsWith(QStringLiteral("* Program, ki šteje")));
    EXPECT_FALSE(Koda().txtKoda->isModified());
    // The strip shows only the menu, the toolbar and Panel2.
    EXPECT_EQ(w.height(),
              w.menuBar()->sizeHint().height() + Part<QToolBar>("ToolBar1")->sizeHint().height() + 43);
    EXPECT_FALSE(Part<QWidget>("pnlgraf")->isVisible());
    // The register panels stay empty until the first load.
    TRegisterPanels* panels = Part<TRegisterPanels>("RegisterPanels");
    EXPECT_EQ(panels->Registers()->Cell(0, 0), QString());
    EXPECT_EQ(panels->Flags()->Cell(0, 0), QString());
}

TEST_F(MainWindowTest, PlacementAndVisibilitySurviveExitAndStart) {
    Create();
    Koda().move(300, 200);
    Koda().resize(640, 400);
    Close();
    {
        auto s = TfrmMain::OpenSettings();
        EXPECT_EQ(s->value("code").toInt(), 1);
        EXPECT_EQ(s->value("code/t").toInt(), 200);
        EXPECT_EQ(s->value("code/l").toInt(), 300);
        EXPECT_EQ(s->value("code/w").toInt(), 640);
        EXPECT_EQ(s->value("code/h").toInt(), 400);
        EXPECT_EQ(s->value("last file").toString(), QStringLiteral("Neimenovan"));
    }
    Create();
    EXPECT_EQ(Koda().pos(), QPoint(300, 200));
    EXPECT_EQ(Koda().size(), QSize(640, 400));
    EXPECT_TRUE(Koda().isVisible());

    // A hidden code window stays hidden at the next start.
    Action("mnuOkno_code")->trigger();
    Close();
    Create();
    EXPECT_FALSE(Koda().isVisible());
}

TEST_F(MainWindowTest, MissingValuesFallBackAndLeftEdgeBeyondScreenBecomes10) {
    {
        auto s = TfrmMain::OpenSettings();
        s->setValue("code/t", 50);
        s->setValue("code/l", 99999);
        s->setValue("code/h", 300);
        s->setValue("code/w", 500);
        s->setValue("code", 1);
        // The intervals are read only after every window's visibility flag.
        for (const char* key : {"memory", "port1", "port2", "sci", "trace", "timer"})
            s->setValue(key, 0);
        s->setValue("Slow simulation", 0);
        s->setValue("Fast simulation", 25);
    }
    Create();
    EXPECT_EQ(Koda().pos(), QPoint(10, 50));
    EXPECT_EQ(Koda().size(), QSize(500, 300));
    EXPECT_EQ(main->Run().SlowInterval(), 400); // zero or less falls back
    EXPECT_EQ(main->Run().FastInterval(), 25);
    Discard();

    // A top edge below the desktop is as unreachable as a left edge beyond it.
    TfrmMain::OpenSettings()->setValue("code/t", 99999);
    Create();
    EXPECT_EQ(Koda().pos(), QPoint(10, 115));
    Discard();

    // Damaged values: above the desktop, far off its left edge, larger than the desktop.
    {
        auto s = TfrmMain::OpenSettings();
        s->setValue("code/t", -500);
        s->setValue("code/l", -99999);
        s->setValue("code/w", 99999);
        s->setValue("code/h", 99999);
    }
    Create();
    // The window is brought wholly onto the screen.
    EXPECT_TRUE(Koda().screen()->availableGeometry().contains(Koda().frameGeometry()));
    Discard();

    // A key missing its height: the values read stay, the top becomes 115 and the left 5.
    TfrmMain::OpenSettings()->remove("code/h");
    Create();
    EXPECT_EQ(Koda().pos(), QPoint(5, 115));
}

TEST_F(MainWindowTest, DamagedTablesAreReportedByName) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("bin");
    TfrmMain missing(dir.path());
    EXPECT_FALSE(missing.Ok());
    EXPECT_TRUE(missing.StartupError().contains("ukazi")) << missing.StartupError().toStdString();

    // A table of the wrong size is as bad as a missing one.
    QFile::copy(QStringLiteral(ORLEK_PROGRAM_DIR "/bin/ukazi.red"), dir.filePath("bin/ukazi.red"));
    QFile dat(dir.filePath("bin/ukazi.dat"));
    ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
    dat.write("short");
    dat.close();
    TfrmMain broken(dir.path());
    EXPECT_FALSE(broken.Ok());
    EXPECT_TRUE(broken.StartupError().contains("ukazi.dat")) << broken.StartupError().toStdString();
}

TEST_F(MainWindowTest, MainMenuHasEveryItemCaptionAndShortcut) {
    TfrmMain& w = Create(false);
    QStringList titles;
    for (QAction* a : w.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"&Datoteke", "&Urejanje", "&Izvajanje", "O&rodja", "&Okna", "&Pomoč"}));
    EXPECT_EQ(
        Describe(Menu("mnuDatoteke")),
        QStringList({"&Nova|Ctrl+N", "&Odpri|Ctrl+O", "Odpri ploščo ...|", "&Shrani|Ctrl+S", "Shrani kot|",
                     "Shrani stanje ...|", "Odpri stanje ...|", "N&edavno odprto>", "Izvoz>", "-",
                     "&Natisni ...|Ctrl+P", "Predogled tiskanja|", "-", "I&zhod|Ctrl+K"}));
    EXPECT_EQ(
        Describe(Menu("mnuUrejanje")),
        QStringList({"&Razveljavi|Ctrl+Z", "&Uveljavi|Ctrl+Shift+Z", "-", "&Najdi|F3", "Zamenjaj|Ctrl+R", "-",
                     "Kopiraj|Ctrl+C", "Izreži|Ctrl+X", "Prilepi|Ctrl+V", "Izberi vse|Ctrl+A"}));
    EXPECT_EQ(
        Describe(Menu("mnuIzvajanje")),
        QStringList({"Prevedi|F6", "Hitro izvajaj|Shift+F9", "Turbo|Ctrl+Shift+F9", "Počasi izvajaj|Ctrl+F9",
                     "Naloži|F9", "Naslednji korak|F7", "Korak nazaj|Shift+F7", "Pavza|F2", "Stop|Ctrl+F2",
                     "-", "Prekinitvena točka|F5"}));
    EXPECT_EQ(Describe(Menu("mnuOrodja")),
              QStringList({"&Nastavitve okolja|", "Listing|", "Preveri nalogo ...|"}));
    EXPECT_EQ(Describe(Menu("mnuOkna")),
              QStringList({"&Koda|", "&Naslovni prostor|", "Port&1|", "Port&2|", "&SCI|", "Timer|", "&Trace|",
                           "-", "&Plošča|", "&Oznake|", "Spremen&ljivke|", "Č&asovni diagram|",
                           "Pr&ekinitve|", "Sklad kl&icev|", "Pro&fil|", "Profil v ro&bu kode|", "&Dnevnik|",
                           "-", "&Razporedi okna|"}));
    EXPECT_EQ(Describe(Menu("mnuPomoc")),
              QStringList({"&Kazalo|", "&Seznam ukazov|", "&O pomoči|", "-", "O &programu|"}));
    EXPECT_EQ(Describe(Menu("mnuIzvoz")), QStringList({"HTML datoteka|"}));
    EXPECT_FALSE(Action("mnuRazveljavi")->isEnabled());
    EXPECT_FALSE(Action("mnuUveljavi")->isEnabled());
    for (const char* name : {"mnuHtml", "mnuNatisni", "mnuPredogled", "mnuNastavitve", "mnuOProgramu"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    // Every key works in the whole workbench except the clipboard and undo keys, which the
    // editors keep for themselves while they have the focus.
    for (QAction* a : w.findChildren<QAction*>()) {
        if (a->shortcut().isEmpty() || a->parent() == &Koda()) continue;
        const bool editorKey = QStringList({"mnuRazveljavi", "mnuUveljavi", "mnuKopiraj", "mnuIzrezi",
                                            "mnuPrilepi", "mnuIzberiVse"})
                                   .contains(a->objectName());
        EXPECT_EQ(a->shortcutContext(), editorKey ? Qt::WindowShortcut : Qt::ApplicationShortcut)
            << a->objectName().toStdString();
    }

    QStringList buttons;
    for (QAction* a : Part<QToolBar>("ToolBar1")->actions())
        buttons << (a->isSeparator() ? QStringLiteral("-") : a->iconText());
    EXPECT_EQ(buttons, QStringList({"Nov", "Odpri", "Shrani", "-", "Naloži", "Korak", "Korak nazaj", "Pavza",
                                    "Stop", "-", "Počasno", "Hitro", "Turbo", "-", "IRQ", "NMI"}));
    EXPECT_EQ(Action("btnNew")->toolTip(), QStringLiteral("Nova (Ctrl+N)"));
    // In Idle only Load of the run commands is on.
    EXPECT_TRUE(w.Run().btnStart->isEnabled());
    EXPECT_FALSE(w.Run().btnNaprej->isEnabled());
    EXPECT_FALSE(w.Run().btnStop->isEnabled());
}

TEST_F(MainWindowTest, WindowMenuChecksFollowRealVisibility) {
    Create();
    QAction* koda = Action("mnuOkno_code");
    emit Menu("mnuOkna")->aboutToShow();
    EXPECT_TRUE(koda->isChecked());
    // Closed with its own close button: only hidden, and the check mark follows.
    Koda().close();
    EXPECT_FALSE(Koda().isVisible());
    emit Menu("mnuOkna")->aboutToShow();
    EXPECT_FALSE(koda->isChecked());
    koda->trigger();
    EXPECT_TRUE(Koda().isVisible());
    EXPECT_TRUE(koda->isChecked());
    koda->trigger();
    EXPECT_FALSE(Koda().isVisible());
}

TEST_F(MainWindowTest, CommandLineDocumentKeepsItsCase) {
    const QString path = File("MixedCase.ASM", " NOP\n");
    Create(true, path);
    EXPECT_EQ(Koda().DocumentName(), path);
    EXPECT_EQ(Koda().Lines(), QStringList({" NOP"}));
    EXPECT_EQ(Docs().SaveDialogFileName(), path);
    Discard();

    // A path that does not exist opens nothing and says so.
    Create(true, temp.filePath("missing.asm"));
    EXPECT_EQ(Koda().DocumentName(), QStringLiteral("Neimenovan"));
    ASSERT_EQ(prompt.Messages.size(), 1);
    EXPECT_TRUE(prompt.Messages[0].contains("missing.asm"));
}

TEST_F(MainWindowTest, ACommandLineDocumentShowsTheHiddenCodeWindow) {
    Create();
    Action("mnuOkno_code")->trigger(); // hidden, and saved so at exit
    Close();
    const QString path = File("shown.asm", " NOP\n");
    Create(true, path);
    EXPECT_TRUE(Koda().isVisible());
    EXPECT_EQ(Koda().DocumentName(), path);
}

TEST_F(MainWindowTest, LastFileIsReopenedAtStart) {
    const QString path = File("last.asm", " NOP\r\n END\r\n");
    Create();
    ASSERT_TRUE(Docs().OpenDocument(path));
    Close();
    Create();
    EXPECT_EQ(Koda().DocumentName(), path);
    EXPECT_EQ(Koda().Lines(), QStringList({" NOP", " END"}));
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenAreReportedAtExit) {
    Create();
    // A directory where the settings file belongs: the store cannot be written.
    const QString store = TfrmMain::OpenSettings()->fileName();
    QFile::remove(store);
    ASSERT_TRUE(QDir().mkpath(store));
    Close();
    QDir(store).removeRecursively();
    ASSERT_EQ(prompt.Messages.size(), 1);
    EXPECT_TRUE(prompt.Messages[0].contains("Orlek.conf")) << prompt.Messages[0].toStdString();
}

TEST_F(MainWindowTest, ExitWithUnsavedChangesCanBeRefused) {
    TfrmMain& w = Create();
    Koda().txtKoda->append(" NOP\n");
    prompt.Answers = {TPrompt::Answer::Cancel};
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    ASSERT_EQ(prompt.Questions.size(), 1);
    EXPECT_EQ(prompt.Questions[0],
              QStringLiteral("Shranim spremenjeno?|Ali želite shraniti spremembe v Neimenovan"));
    // Yes, but the save dialog is cancelled: nothing was saved, so the window stays.
    prompt.Answers = {TPrompt::Answer::Yes};
    EXPECT_FALSE(w.close());
    prompt.Answers = {TPrompt::Answer::No};
    EXPECT_TRUE(w.close());
    main.reset();
}

TEST(CommandTableTest, RowsBuildMenusToolbarsGroupsAndCheckMarks) {
    using C = TCommand;
    QMainWindow window;
    QAction placed(QStringLiteral("Placed")), popupItem(QStringLiteral("popup"));
    placed.setShortcut(QKeySequence(Qt::Key_F9));
    int runs = 0;
    bool shown = false;
    const TCommandSet set = BuildCommands(
        window, {
                    C::Menu("mnuA", "&A"),
                    C::Item(
                        "a1", "A1", Qt::CTRL | Qt::Key_1, [&] { ++runs; }, C::FileGroup | C::WindowShortcut)
                        .TriggeredBy(&popupItem),
                    C::SubMenu("mnuSub", "Sub"),
                    C::Item("s1", "S1"),
                    C::EndSubMenu(),
                    C::Separator(),
                    C::Place(&placed),
                    C::Menu("mnuB", "&B"),
                    C::Toggle(
                        "t", "T", [&] { shown = !shown; }, [&] { return shown; }),
                    C::ToolBar("tb"),
                    C::Button(
                        "b1", "B1", "hint", QStyle::SP_FileIcon, [&] { ++runs; }, C::FileGroup),
                    C::Separator(),
                    C::Place(&placed),
                });
    // Rows go into the menu opened last; a sub-menu ends at its end row.
    EXPECT_EQ(Describe(set.Menus["mnuA"]), QStringList({"A1|Ctrl+1", "Sub>", "-", "Placed|F9"}));
    EXPECT_EQ(Describe(set.Menus["mnuSub"]), QStringList({"S1|"}));
    QStringList buttons;
    for (QAction* a : set.ToolBars["tb"]->actions())
        buttons << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(buttons, QStringList({"b1", "-", ""}));
    EXPECT_EQ(set.ToolBars["tb"]->actions().last(), &placed);
    EXPECT_EQ(window.findChild<QAction*>("b1")->toolTip(), QStringLiteral("hint"));
    EXPECT_FALSE(window.findChild<QAction*>("b1")->icon().isNull());

    QAction* a1 = set.Actions["a1"];
    EXPECT_FALSE(set.Actions["s1"]->isEnabled()); // no handler: not available yet
    EXPECT_EQ(set.Group(C::FileGroup), QList<QAction*>({a1, set.Actions["b1"]}));
    EXPECT_EQ(a1->shortcutContext(), Qt::WindowShortcut);
    EXPECT_EQ(placed.shortcutContext(), Qt::ApplicationShortcut);
    // Another window's item runs the command, and like the command it does nothing while the
    // command is disabled.
    popupItem.trigger();
    EXPECT_EQ(runs, 1);
    a1->setEnabled(false);
    popupItem.trigger();
    EXPECT_EQ(runs, 1);
    // A check mark shows the state after the command ran and whenever its menu opens.
    QAction* t = set.Actions["t"];
    t->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(t->isChecked());
    t->trigger();
    EXPECT_FALSE(t->isChecked());
    shown = true;
    emit set.Menus["mnuB"]->aboutToShow();
    EXPECT_TRUE(t->isChecked());
}

TEST(WindowListTest, FramedWindowsRestoreStayOnTopAndSavedHeight) {
    QTemporaryDir dir;
    QSettings s(dir.filePath("o.ini"), QSettings::IniFormat);
    s.setValue("memory/always on top", 0);
    s.setValue("memory/t", 200);
    s.setValue("memory/l", 300);
    s.setValue("memory/w", 400); // memory lists the width first
    s.setValue("memory/h", 20);
    s.setValue("memory/hb", 312);
    s.setValue("port1/always on top", 1);
    s.setValue("port1/t", 40); // reading stops at the missing "l": the top becomes 115
    TWindowList list;
    QWidget memory, port1;
    bool memoryOnTop = true, port1OnTop = false;
    int memorySaved = 0;
    list.Add({"memory", &memory, TToolWindow::Layout::WidthFirst, [&] { return memoryOnTop; },
              [&](bool on) { memoryOnTop = on; }, [&] { return memorySaved; },
              [&](int h) { memorySaved = h; }});
    list.Add({"port1",
              &port1,
              TToolWindow::Layout::HeightFirst,
              [&] { return port1OnTop; },
              [&](bool on) { port1OnTop = on; },
              {},
              {}});
    list.RestorePlacements(s, TScreens{QRect(0, 0, 1600, 1000), {}, {}, {}});
    EXPECT_FALSE(memoryOnTop);
    EXPECT_EQ(memory.pos(), QPoint(300, 200));
    EXPECT_EQ(memory.size(), QSize(400, 20));
    EXPECT_EQ(memorySaved, 312);
    EXPECT_TRUE(port1OnTop);
    EXPECT_EQ(port1.pos().y(), 115);

    // Visibility: the first missing flag shows the code and address-space windows.
    EXPECT_FALSE(list.RestoreVisibility(s));
    EXPECT_TRUE(memory.isVisible());
    EXPECT_FALSE(port1.isVisible());

    QSettings out(dir.filePath("p.ini"), QSettings::IniFormat);
    list.Save(out);
    EXPECT_EQ(out.value("memory").toInt(), 1);
    EXPECT_EQ(out.value("port1").toInt(), 0);
    EXPECT_EQ(out.value("memory/always on top").toInt(), 0);
    EXPECT_EQ(out.value("memory/hb").toInt(), 312);
    EXPECT_EQ(out.value("port1/always on top").toInt(), 1);
}
