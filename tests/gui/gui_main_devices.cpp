// The address-space and port windows in the workbench: wiring to the run, the "&Okna" items and
// their saved placement.
#include <QTest>
#include <QToolButton>

#include "board/labboard.h"
#include "session/addressview.h"
#include "tests/gui/gui_main_fixture.h"
#include "windows/frmplosca.h"
#include "windows/frmport.h"
#include "windows/frmspomin.h"

TEST_F(MainWindowTest, AddressSpaceFollowsTheRunUntilFrozenAndPinClicksRefreshIt) {
    TfrmMain& w = Create();
    auto* spomin = Part<TfrmSpomin>("frmSpomin");
    auto* port1 = Part<TfrmPort>("frmPort1");
    EXPECT_TRUE(spomin->isVisible()); // first start: the code and address-space windows
    EXPECT_FALSE(port1->isVisible());
    EXPECT_EQ(spomin->List()->RowCount(), 0); // nothing listed before the first load
    EXPECT_TRUE(spomin->Widget2()->ShowHint());
    EXPECT_FALSE(spomin->Widget1()->ShowHint());
    EXPECT_EQ(port1->Widget2()->Glyph(), QLatin1Char('t'));

    w.Run().Load();
    EXPECT_TRUE(spomin->List()->RowText(0).startsWith("2000 : (7F)"));
    w.Run().StepOnce(); // clr stevec
    EXPECT_TRUE(spomin->List()->RowText(0).startsWith("2003 : (7F)"));
    // The editor's jump moves the list and freezes nothing.
    Koda().SetCaret(4, 13); // "$1000"
    Koda().JumpToMemory();
    EXPECT_EQ(spomin->List()->RowText(0), "1000 : [00]");
    w.Run().StepOnce();
    EXPECT_TRUE(spomin->List()->RowText(0).startsWith("2006 : (B6)"));

    // Frozen: a step leaves the list where it is.
    QTest::mouseClick(spomin->FreezeButton(), Qt::LeftButton);
    Koda().JumpToMemory();
    w.Run().StepOnce();
    EXPECT_EQ(w.AddressView().MemoryTop(), 0x1000);
    EXPECT_EQ(spomin->List()->RowText(0), "1000 : [00]");

    // A pin click refreshes the display: the listed data register shows the new level.
    Action("mnuOkno_port1")->trigger();
    EXPECT_TRUE(port1->isVisible());
    w.AddressView().SetMemoryTop(0);
    QTest::mouseClick(port1->PinButton(0), Qt::LeftButton);
    EXPECT_EQ(spomin->List()->RowText(2), "0002 : <01>");
}

TEST_F(MainWindowTest, DeviceWindowsKeepCollapseAndStayOnTopAcrossStarts) {
    Create();
    auto* spomin = Part<TfrmSpomin>("frmSpomin");
    spomin->resize(230, 312);
    spomin->ToggleCollapse();
    Part<TfrmPort>("frmPort2")->ToggleStayOnTop();
    Action("mnuOkno_port2")->trigger();
    Close();
    {
        auto s = TfrmMain::OpenSettings();
        EXPECT_EQ(s->value("memory/h").toInt(), 20);
        EXPECT_EQ(s->value("memory/hb").toInt(), 312);
        EXPECT_EQ(s->value("memory/w").toInt(), 230);
        EXPECT_EQ(s->value("port2/always on top").toInt(), 0);
        EXPECT_EQ(s->value("port2").toInt(), 1);
        EXPECT_EQ(s->value("port1").toInt(), 0);
    }
    Create();
    spomin = Part<TfrmSpomin>("frmSpomin");
    auto* port2 = Part<TfrmPort>("frmPort2");
    EXPECT_TRUE(spomin->Collapsed());
    spomin->ToggleCollapse();
    EXPECT_EQ(spomin->height(), 312);
    EXPECT_TRUE(port2->isVisible());
    EXPECT_FALSE(port2->StayOnTop());
    EXPECT_FALSE(port2->Widget2()->Down());
    EXPECT_FALSE(Part<TfrmPort>("frmPort1")->isVisible());
}

// "Odpri ploščo ...": a board file opens in the board window, shown; a wrong one shows its fault
// there; the hand on the board acts on it, and the window's place and visibility are kept.
TEST_F(MainWindowTest, OpenBoardShowsTheBoardOrTheFaultOfItsFile) {
    Create();
    auto* plosca = Part<TfrmPlosca>("frmPlosca");
    EXPECT_FALSE(plosca->isVisible());
    prompt.OpenFiles = {
        File("slaba.json", R"({"name": "x", "parts": [{"type": "lcd", "name": "LCD", "size": "9x9",
        "data": ["1.4", "1.5", "1.6", "1.7"], "rs": "2.0", "e": "2.2"}]})"),
        QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards/lucke.json")};
    Action("mnuOdpriPlosco")->trigger();
    EXPECT_TRUE(plosca->isVisible());
    EXPECT_EQ(plosca->Board(), nullptr);
    EXPECT_TRUE(plosca->MessageText().contains(QStringLiteral("slaba.json")))
        << plosca->MessageText().toStdString();
    EXPECT_TRUE(plosca->MessageText().contains(QStringLiteral("\"LCD\"")))
        << plosca->MessageText().toStdString();

    Action("mnuOdpriPlosco")->trigger();
    ASSERT_NE(plosca->Board(), nullptr);
    EXPECT_EQ(plosca->Board()->Config().Name, "Lučke in stikala");
    const TBoardPart& s0 = plosca->Board()->Parts()[4];
    ASSERT_EQ(s0.Name, "S0");
    QTest::mouseClick(plosca->View(), Qt::LeftButton, {}, plosca->View()->PartRect(4).center().toPoint());
    EXPECT_TRUE(plosca->Board()->SwitchOn(s0));
    EXPECT_TRUE(plosca->View()->Shown().Parts[4].On); // the frame after the click drew it

    Action("mnuOkno_board")->trigger();
    EXPECT_FALSE(plosca->isVisible());
    Action("mnuOkno_board")->trigger();
    plosca->move(300, 200);
    Close();
    auto s = TfrmMain::OpenSettings();
    EXPECT_EQ(s->value("board").toInt(), 1);
    EXPECT_EQ(s->value("board/l").toInt(), 300);
}

// The board opened for a program comes back with the program, at the next start too; a program
// that has none keeps the board shown.
TEST_F(MainWindowTest, TheBoardIsKeptWithTheProgram) {
    const QString path =
        File("lucke.asm", Bytes(QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards/lucke.asm")));
    const QString board = QStringLiteral(ORLEK_SOURCE_DIR "/examples/boards/lucke.json");
    Create();
    ASSERT_TRUE(Docs().OpenDocument(path));
    prompt.OpenFiles = {board};
    Action("mnuOdpriPlosco")->trigger();
    ASSERT_TRUE(main->Session().HasBoard());
    Close();

    Create(); // reopens lucke.asm
    ASSERT_TRUE(main->Session().HasBoard());
    EXPECT_EQ(QString::fromStdString(main->Session().BoardFile()), QFileInfo(board).absoluteFilePath());
    EXPECT_EQ(Part<TfrmPlosca>("frmPlosca")->Board(), main->Session().Board());
    Docs().NewDocument();
    EXPECT_TRUE(main->Session().HasBoard());
}

// The execution watch costs every step: it runs while one of the windows that show it, or the
// code window's profile column, is open, and stops with the last of them.
TEST_F(MainWindowTest, TheExecutionWatchRunsWhileAWindowShowsIt) {
    TfrmMain& w = Create();
    EXPECT_EQ(w.Session().Watch(), nullptr);
    Action("mnuOkno_interrupts")->trigger();
    Action("mnuOkno_profile")->trigger();
    EXPECT_NE(w.Session().Watch(), nullptr);
    Action("mnuOkno_interrupts")->trigger();
    EXPECT_NE(w.Session().Watch(), nullptr) << "the profile is still open";
    Action("mnuOkno_profile")->trigger();
    EXPECT_EQ(w.Session().Watch(), nullptr);
    Action("mnuProfilVRobu")->trigger();
    EXPECT_NE(w.Session().Watch(), nullptr);
    Action("mnuProfilVRobu")->trigger();
    EXPECT_EQ(w.Session().Watch(), nullptr);
}
