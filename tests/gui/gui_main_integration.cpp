// The main window with run control: the editor, the panels and the enabling follow the run.
#include <QListWidget>
#include <QMenu>

#include "tests/gui/gui_main_fixture.h"
#include "windows/logwindow.h"
#include "windows/registerpanels.h"
#include "windows/toolframe.h"
#include "workbench/windowlist.h"

TEST_F(MainWindowTest, LoadStepAndStopDriveTheEditor) {
    TfrmMain& w = Create();
    w.Run().Load();
    ASSERT_TRUE(w.Session().Loaded());
    // Loaded: the editor is read-only, the file group off, compile off, Undo off.
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    EXPECT_FALSE(Action("mnuNova")->isEnabled());
    EXPECT_FALSE(Action("btnOpen")->isEnabled());
    EXPECT_FALSE(Menu("mnuNedavno")->isEnabled());
    EXPECT_FALSE(Action("mnuPrilepi")->isEnabled());
    EXPECT_FALSE(Koda().mnuZamenjaj->isEnabled());
    EXPECT_TRUE(Part<QAction>("mnuSamoZaBranje")->isChecked());
    EXPECT_FALSE(Part<QAction>("mnuSamoZaBranje")->isEnabled());
    EXPECT_FALSE(Action("mnuPrevedi")->isEnabled());
    EXPECT_FALSE(Action("mnuRazveljavi")->isEnabled());
    EXPECT_TRUE(Action("mnuShrani")->isEnabled());
    // The first instruction is the current line, and the panels show the processor.
    EXPECT_EQ(Koda().ExecutionLine(), 11);
    EXPECT_EQ(Part<TRegisterPanels>("RegisterPanels")->Registers()->Cell(2, 0), QStringLiteral("PC: $2000"));
    w.Run().StepOnce();
    EXPECT_EQ(Koda().ExecutionLine(), 12);
    // New and Open do nothing while loaded, even when called directly.
    Action("mnuNova")->trigger();
    Docs().NewDocument();
    EXPECT_FALSE(Koda().Source().isEmpty());

    w.Run().Stop();
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
    EXPECT_TRUE(Action("mnuNova")->isEnabled());
    EXPECT_TRUE(Menu("mnuNedavno")->isEnabled());
    EXPECT_FALSE(Part<QAction>("mnuSamoZaBranje")->isChecked());
    EXPECT_TRUE(Action("mnuPrevedi")->isEnabled());
    EXPECT_TRUE(Action("mnuRazveljavi")->isEnabled());
    // The current line stays until the text changes.
    EXPECT_EQ(Koda().ExecutionLine(), 12);
}

TEST_F(MainWindowTest, FailedLoadListsTheErrorAndMarksTheLine) {
    TfrmMain& w = Create();
    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb start\n"));
    w.Run().Load();
    EXPECT_FALSE(w.Session().Loaded());
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages().last(), QStringLiteral("Simulatorja ne morem zagnati!"));
    EXPECT_EQ(Koda().ErrorLine(), 2);
    EXPECT_FALSE(Part<QWidget>("pnlgraf")->isVisible());
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, ReadOnlyChoiceSurvivesLoadsAndFailedLoads) {
    TfrmMain& w = Create();
    Part<QAction>("mnuSamoZaBranje")->trigger();
    ASSERT_TRUE(Koda().txtKoda->isReadOnly());
    // A load that fails leaves the student's read-only choice alone.
    const QString sample = Koda().Source();
    Koda().SetSource(QStringLiteral("       bogus\n"));
    w.Run().Load();
    ASSERT_FALSE(w.Session().Loaded());
    EXPECT_TRUE(Part<QAction>("mnuSamoZaBranje")->isChecked());
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    // A run locks it and gives it back at the stop.
    Koda().SetSource(sample);
    w.Run().Load();
    ASSERT_TRUE(w.Session().Loaded());
    w.Run().Stop();
    EXPECT_TRUE(Part<QAction>("mnuSamoZaBranje")->isChecked());
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    Part<QAction>("mnuSamoZaBranje")->trigger();
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, LeavingTheProgramStopsWithKamPaSedaj) {
    TfrmMain& w = Create();
    Koda().SetSource(QStringLiteral("       org $2000\nzac    nop\n       org $fffe\n       fdb zac\n"));
    w.Run().Load();
    ASSERT_TRUE(w.Session().Loaded());
    w.Run().StepOnce();
    EXPECT_FALSE(w.Session().Loaded());
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages().last(), QStringLiteral("Kam pa sedaj?"));
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, BreakpointHaltsTheRunOnItsLine) {
    TfrmMain& w = Create();
    Koda().SetCaret(17, 1);
    w.Run().Breakpoint1->trigger();
    w.Run().Load();
    w.Run().RunFast();
    for (int i = 0; i < 20 && w.Run().State() == RunState::FastRun; ++i)
        w.Run().KoracnoTimer();
    EXPECT_EQ(w.Run().State(), RunState::Halted);
    EXPECT_EQ(Koda().ExecutionLine(), 17);
    EXPECT_EQ(Koda().barve->LineColourOf(16), LineColour::Breakpoint);
    w.Run().Stop();
}

TEST_F(MainWindowTest, LogWindowIsOfferedUnderOkna) {
    Create();
    QAction* log = Action("mnuOkno_log");
    // The last window item, before "Razporedi okna".
    const QList<QAction*> items = Menu("mnuOkna")->actions();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(items[items.size() - 3], log);
    EXPECT_EQ(log->text(), QStringLiteral("&Dnevnik"));
    EXPECT_FALSE(Part<QWidget>("frmLog")->isVisible());
    log->trigger();
    EXPECT_TRUE(Part<QWidget>("frmLog")->isVisible());
}

TEST_F(MainWindowTest, SciTimerAndTraceWindowsAreOfferedUnderOknaAndRestored) {
    {
        // Saved collapsed and not on top; the device windows list the height before the width.
        auto s = TfrmMain::OpenSettings();
        for (const char* key : {"sci", "timer", "trace"}) {
            const QString k = QLatin1String(key);
            s->setValue(k + "/always on top", 0);
            s->setValue(k + "/t", 200);
            s->setValue(k + "/l", 300);
            s->setValue(k + "/h", 20);
            s->setValue(k + "/w", 450);
            s->setValue(k + "/hb", 312);
        }
    }
    Create();

    const struct {
        const char* key;
        const char* name;
        char glyph;
        bool hintShown;
    } windows[] = {
        {"sci", "frmSCI", 't', true}, {"timer", "frmTimer", 't', true}, {"trace", "frmTrace", '5', false}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.key);
        auto* frame = Part<TToolFrame>(w.name);
        ASSERT_NE(frame, nullptr);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_FALSE(frame->StayOnTop());
        EXPECT_EQ(frame->Widget2()->Glyph(), QLatin1Char(w.glyph));
        EXPECT_EQ(frame->Widget2()->ShowHint(), w.hintShown);
        EXPECT_EQ(frame->Widget2()->Hint(), QStringLiteral("Vedno na vrhu"));
        EXPECT_EQ(frame->width(), 450);
        Action((std::string("mnuOkno_") + w.key).c_str())->trigger();
        EXPECT_TRUE(frame->isVisible());
        EXPECT_TRUE(frame->Collapsed());
        frame->ToggleCollapse();
        EXPECT_EQ(frame->height(), 312);
    }
}
