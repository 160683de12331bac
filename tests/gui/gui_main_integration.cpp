// The main window with run control: the editor, the panels and the enabling follow the run.
#include <QListWidget>
#include <QMenu>

#include "tests/gui/gui_main_fixture.h"
#include "windows/logwindow.h"
#include "windows/registerpanels.h"
#include "workbench/windowlist.h"

TEST_F(MainWindowTest, LoadStepAndStopDriveTheEditor) {
    TfrmMain& w = Create();
    w.run->Load();
    ASSERT_TRUE(w.session->Loaded());
    // Loaded: the editor is read-only, the file group off, compile off, Undo off.
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    EXPECT_FALSE(w.mnuNova->isEnabled());
    EXPECT_FALSE(w.btnOpen->isEnabled());
    EXPECT_FALSE(w.mnuNedavno->isEnabled());
    EXPECT_FALSE(w.mnuPrilepi->isEnabled());
    EXPECT_FALSE(Koda().mnuZamenjaj->isEnabled());
    EXPECT_TRUE(Koda().mnuSamoZaBranje->isChecked());
    EXPECT_FALSE(Koda().mnuSamoZaBranje->isEnabled());
    EXPECT_FALSE(w.mnuPrevedi->isEnabled());
    EXPECT_FALSE(w.mnuRazveljavi->isEnabled());
    EXPECT_TRUE(w.mnuShrani->isEnabled());
    // The first instruction is the current line, and the panels show the processor.
    EXPECT_EQ(Koda().ExecutionLine(), 11);
    EXPECT_EQ(w.panels->Registers()->Cell(2, 0), QStringLiteral("PC: $2000"));
    w.run->StepOnce();
    EXPECT_EQ(Koda().ExecutionLine(), 12);
    // New and Open do nothing while loaded, even when called directly.
    w.NewDocument();
    EXPECT_FALSE(Koda().Source().isEmpty());

    w.run->Stop();
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
    EXPECT_TRUE(w.mnuNova->isEnabled());
    EXPECT_TRUE(w.mnuNedavno->isEnabled());
    EXPECT_FALSE(Koda().mnuSamoZaBranje->isChecked());
    EXPECT_TRUE(w.mnuPrevedi->isEnabled());
    EXPECT_TRUE(w.mnuRazveljavi->isEnabled());
    // The current line stays until the text changes.
    EXPECT_EQ(Koda().ExecutionLine(), 12);
}

TEST_F(MainWindowTest, FailedLoadListsTheErrorAndMarksTheLine) {
    TfrmMain& w = Create();
    Koda().SetSource(QStringLiteral("       org $fffe\n       fdb start\n"));
    w.run->Load();
    EXPECT_FALSE(w.session->Loaded());
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages().last(), QStringLiteral("Simulatorja ne morem zagnati!"));
    EXPECT_EQ(Koda().ErrorLine(), 2);
    EXPECT_FALSE(w.pnlgraf->isVisible());
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, ReadOnlyChoiceSurvivesLoadsAndFailedLoads) {
    TfrmMain& w = Create();
    Koda().mnuSamoZaBranje->trigger();
    ASSERT_TRUE(Koda().txtKoda->isReadOnly());
    // A load that fails leaves the student's read-only choice alone.
    const QString sample = Koda().Source();
    Koda().SetSource(QStringLiteral("       bogus\n"));
    w.run->Load();
    ASSERT_FALSE(w.session->Loaded());
    EXPECT_TRUE(Koda().mnuSamoZaBranje->isChecked());
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    // A run locks it and gives it back at the stop.
    Koda().SetSource(sample);
    w.run->Load();
    ASSERT_TRUE(w.session->Loaded());
    w.run->Stop();
    EXPECT_TRUE(Koda().mnuSamoZaBranje->isChecked());
    EXPECT_TRUE(Koda().txtKoda->isReadOnly());
    Koda().mnuSamoZaBranje->trigger();
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, LeavingTheProgramStopsWithKamPaSedaj) {
    TfrmMain& w = Create();
    Koda().SetSource(QStringLiteral("       org $2000\nzac    nop\n       org $fffe\n       fdb zac\n"));
    w.run->Load();
    ASSERT_TRUE(w.session->Loaded());
    w.run->StepOnce();
    EXPECT_FALSE(w.session->Loaded());
    EXPECT_TRUE(Koda().MessagesVisible());
    EXPECT_EQ(Koda().Messages().last(), QStringLiteral("Kam pa sedaj?"));
    EXPECT_FALSE(Koda().txtKoda->isReadOnly());
}

TEST_F(MainWindowTest, BreakpointHaltsTheRunOnItsLine) {
    TfrmMain& w = Create();
    Koda().SetCaret(17, 1);
    w.run->Breakpoint1->trigger();
    w.run->Load();
    w.run->RunFast();
    for (int i = 0; i < 20 && w.run->State() == RunState::FastRun; ++i)
        w.run->KoracnoTimer();
    EXPECT_EQ(w.run->State(), RunState::Halted);
    EXPECT_EQ(Koda().ExecutionLine(), 17);
    EXPECT_EQ(Koda().barve->LineColourOf(16), LineColour::Breakpoint);
    w.run->Stop();
}

TEST_F(MainWindowTest, LogWindowIsOfferedUnderOkna) {
    TfrmMain& w = Create();
    TToolWindow* log = w.windows->Find("log");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(w.mnuOkna->actions().last(), log->action);
    EXPECT_EQ(log->action->text(), QStringLiteral("&Dnevnik"));
    EXPECT_FALSE(w.frmLog->isVisible());
    log->action->trigger();
    EXPECT_TRUE(w.frmLog->isVisible());
}
