// The address-space and port windows in the workbench: wiring to the run, the "&Okna" items and
// their saved placement.
#include <QTest>
#include <QToolButton>

#include "session/addressview.h"
#include "tests/gui/gui_main_fixture.h"
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
