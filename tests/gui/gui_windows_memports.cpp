// The address-space window and the two port windows as the user drives them, over a real board.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "engine/machine.h"
#include "session/addressview.h"
#include "session/session.h"
#include "tests/gui/scriptedprompt.h"
#include "windows/frmport.h"
#include "windows/frmspomin.h"

namespace {

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

class DeviceWindowsTest : public ::testing::Test {
protected:
    DeviceWindowsTest() : session(ORLEK_PROGRAM_DIR, false), view(session) {}

    TMachine& Board() { return session.Machine(); }
    void Load() {
        const std::vector<std::string> lines = {"       org $2000", "start  ldaa #$41", "       nop",
                                                "       org $fffe", "       fdb start", "       end"};
        ASSERT_TRUE(session.LoadProgram(lines).Ok);
    }

    TSession session;
    TAddressView view;
    TScriptedPrompt prompt;
};

// ---------------------------------------------------------------------------- ports

TEST_F(DeviceWindowsTest, InputPinsToggleByButtonOrDrCellAndOutputsIgnoreClicks) {
    TfrmPort1 port1(Board().Port1);
    TfrmPort2 port2(Board().Port2);
    // A toggled pin asks for a frame, which draws it.
    QSignalSpy refreshRequests(&port1, &TfrmPort::refreshRequested);
    const auto refreshes = [&] { return refreshRequests.count(); };
    for (TfrmPort* port : {static_cast<TfrmPort*>(&port1), static_cast<TfrmPort*>(&port2)})
        QObject::connect(port, &TfrmPort::refreshRequested, port, [port] { port->DrawFrame(); });
    port1.show();
    port2.show();
    EXPECT_EQ(port1.DdrGrid()->Cell(0, 0), "b7");
    EXPECT_EQ(port2.DrGrid()->Cell(0, 0), "b4");
    EXPECT_EQ(port1.PinButton(7)->objectName(), "b7");
    EXPECT_EQ(port1.PinButton(0)->Image(), PinImageKind::InputLow);

    // An input pin: by its button, then back by its DR cell (either row).
    QTest::mouseClick(port1.PinButton(3), Qt::LeftButton);
    EXPECT_EQ(Board().Port1.St.Level, 0x08);
    EXPECT_EQ(port1.DrGrid()->Cell(port1.ColumnOfPin(3), 1), "1");
    EXPECT_EQ(port1.PinButton(3)->Image(), PinImageKind::InputHigh);
    EXPECT_EQ(refreshes(), 1);
    QTest::mouseClick(port1.DrGrid(), Qt::LeftButton, {}, port1.DrGrid()->CellCentre(4, 0));
    EXPECT_EQ(Board().Port1.St.Level, 0x00);
    // The DDR grid is only shown.
    QTest::mouseClick(port1.DdrGrid(), Qt::LeftButton, {}, port1.DdrGrid()->CellCentre(4, 1));
    EXPECT_EQ(Board().Port1.St.Level, 0x00);

    // The program makes every pin an output: pictures follow, clicks change nothing.
    Board().Memory.Write(0x00, {0xFF, 0}, false);
    Board().Memory.Write(0x02, {0x0F, 0}, false);
    port1.DrawFrame();
    EXPECT_EQ(port1.DdrGrid()->Cell(0, 1), "1");
    EXPECT_EQ(port1.PinButton(0)->Image(), PinImageKind::OutputHigh);
    EXPECT_EQ(port1.PinButton(7)->Image(), PinImageKind::OutputLow);
    QTest::mouseClick(port1.PinButton(0), Qt::LeftButton);
    QTest::mouseClick(port1.DrGrid(), Qt::LeftButton, {}, port1.DrGrid()->CellCentre(0, 1));
    EXPECT_EQ(Board().Port1.St.Level, 0x0F);
    EXPECT_EQ(refreshes(), 2);

    // Port 2 pin 0 by its DR cell feeds the timer's input capture (IEDG = 1: rising edge).
    Board().Timer.St.TCSR = TTimer::TCSR_IEDG;
    Board().Timer.St.Counter = 0x1234;
    QTest::mouseClick(port2.DrGrid(), Qt::LeftButton, {},
                      port2.DrGrid()->CellCentre(port2.ColumnOfPin(0), 1));
    EXPECT_EQ(Board().Port2.St.Level, 0x01);
    EXPECT_EQ(port2.PinButton(0)->Image(), PinImageKind::InputHigh);
    EXPECT_EQ(Board().Timer.St.InputCapture, 0x1234);
    EXPECT_TRUE(Board().Timer.St.TCSR & TTimer::TCSR_ICF);
}

TEST_F(DeviceWindowsTest, PortDrawsOncePerFrame) {
    TfrmPort1 port1(Board().Port1);
    port1.show();
    QCoreApplication::processEvents();
    TPaintCounter paints(port1.DdrGrid());
    for (int i = 0; i < 50; ++i)
        Board().Port1.WriteRegister(0x00, static_cast<uint8_t>(i));
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 0);
    port1.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 1);
    port1.DrawFrame(); // nothing new: nothing drawn
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 1);
    // The next change is drawn at the next frame's paint.
    Board().Port1.WriteRegister(0x00, 0xFF);
    port1.DrawFrame();
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 2);
}

// ---------------------------------------------------------------------------- address space

TEST_F(DeviceWindowsTest, ListIsDrawnFromTheFirstRedrawAndStopsAtFFFF) {
    TfrmSpomin w(view);
    w.resize(220, 400);
    w.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.List()->RowCount(), 0); // not live yet: left empty
    view.SetMemoryTop(0x2000);
    Load();
    ASSERT_TRUE(w.Redraw());
    const int fitting = w.List()->FittingRows();
    ASSERT_GT(fitting, 10);
    EXPECT_EQ(w.List()->RowCount(), fitting);
    EXPECT_EQ(w.List()->RowText(0), "2000 : (86)  †");
    EXPECT_EQ(w.List()->RowText(1), "2001 : (41)  A");
    EXPECT_EQ(w.List()->RowText(3), "2003 :  00 ");

    view.SetMemoryTop(0xFFF8);
    w.Redraw();
    EXPECT_EQ(w.List()->RowCount(), 8);
    EXPECT_EQ(w.List()->RowText(7), "FFFF : (00)");
    // Once live, a resize lists as many rows as fit.
    view.SetMemoryTop(0x0100);
    w.Redraw();
    w.resize(220, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.List()->RowCount(), w.List()->FittingRows());
    // A hidden list is not redrawn; it lists what is there when it is shown again.
    w.hide();
    view.SetMemoryTop(0x2000);
    w.Redraw();
    EXPECT_EQ(w.List()->RowText(0), "0100 :  00 ");
    w.show();
    EXPECT_EQ(w.List()->RowText(0), "2000 : (86)  †");
}

// A list that moves by a few rows (following the program counter) keeps the rows it shows and
// draws only the new and the changed ones: what it shows is what a full repaint shows.
TEST_F(DeviceWindowsTest, MovingListShowsWhatAFullRepaintShows) {
    TfrmSpomin w(view);
    w.resize(220, 400);
    w.show();
    Load();
    const auto shown = [&] {
        QCoreApplication::processEvents();
        return QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage();
    };
    view.SetMemoryTop(0x2000);
    w.Redraw();
    shown();
    TPaintCounter paints(w.List());
    for (const uint16_t top : {0x2003, 0x2001, 0x2001, 0x2040}) {
        view.SetMemoryTop(top);
        Board().Memory.Write(0x2004, {static_cast<uint8_t>(top), 0}, false); // a byte in view changes
        w.Redraw();
        const QImage moved = shown();
        w.List()->repaint();
        EXPECT_EQ(moved, shown()) << std::hex << top;
    }
    EXPECT_GT(paints.Count, 0);
}

TEST_F(DeviceWindowsTest, BackAndForwardStepAndRepeatWhileHeld) {
    TfrmSpomin w(view);
    w.show();
    QSignalSpy refreshes(&w, &TfrmSpomin::refreshRequested);
    view.SetMemoryTop(0x10);
    QTest::mouseClick(w.ForwardButton(), Qt::LeftButton);
    EXPECT_EQ(view.MemoryTop(), 0x11);
    QTest::mouseClick(w.BackButton(), Qt::LeftButton);
    QTest::mouseClick(w.BackButton(), Qt::LeftButton);
    EXPECT_EQ(view.MemoryTop(), 0x0F);
    EXPECT_EQ(refreshes.count(), 3);

    // Held: every tick of the 100 ms timer steps once, and the release's click once more.
    QTest::mousePress(w.BackButton(), Qt::LeftButton);
    ASSERT_TRUE(w.RepeatTimer()->isActive());
    EXPECT_EQ(w.RepeatTimer()->interval(), 100);
    QMetaObject::invokeMethod(w.RepeatTimer(), "timeout");
    QMetaObject::invokeMethod(w.RepeatTimer(), "timeout");
    EXPECT_EQ(view.MemoryTop(), 0x0D);
    QTest::mouseRelease(w.BackButton(), Qt::LeftButton);
    EXPECT_FALSE(w.RepeatTimer()->isActive());
    EXPECT_EQ(view.MemoryTop(), 0x0C);
    // Any mouse button repeats; only the left one clicks.
    QTest::mousePress(w.ForwardButton(), Qt::RightButton);
    QMetaObject::invokeMethod(w.RepeatTimer(), "timeout");
    QTest::mouseRelease(w.ForwardButton(), Qt::RightButton);
    EXPECT_EQ(view.MemoryTop(), 0x0D);
    EXPECT_FALSE(w.RepeatTimer()->isActive());
}

TEST_F(DeviceWindowsTest, JumpFreezeAndClearThroughTheButtons) {
    TfrmSpomin w(view);
    w.show();
    QSignalSpy refreshes(&w, &TfrmSpomin::refreshRequested);
    QObject::connect(&w, &TfrmSpomin::refreshRequested, &w, [&w] { w.DrawFrame({.Loaded = false}); });
    view.SetMemoryTop(0x1234);
    prompt.Values = {"70000", "$12x", QString()};
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w.JumpButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.Asked,
              QStringList({"Na katero lokacijo naj skocim?|$1234", "Na katero lokacijo naj skocim?|$11170",
                           "Na katero lokacijo naj skocim?|$11170"}));
    EXPECT_EQ(view.MemoryTop(), 70000); // neither the bad entry nor the cancel changed it
    EXPECT_EQ(prompt.Messages.size(), 1);
    EXPECT_EQ(refreshes.count(), 1);

    EXPECT_EQ(w.FreezeButton()->text(), "X");
    QTest::mouseClick(w.FreezeButton(), Qt::LeftButton); // the frame it asks for shows it
    EXPECT_EQ(w.FreezeButton()->text(), "O");
    EXPECT_FALSE(view.FollowPc());
    EXPECT_EQ(w.FreezeButton()->toolTip(), "Zamrzni/odmrzni");
    EXPECT_EQ(refreshes.count(), 2);

    session.Memory().Cells[0x3000] = {0x55, 7};
    QTest::mouseClick(w.ClearButton(), Qt::LeftButton);
    EXPECT_EQ(session.PeekLine(0x3000), NoLine);
    EXPECT_EQ(refreshes.count(), 3);
}

TEST_F(DeviceWindowsTest, DoubleClickEditsTheRowsByteOnlyWhileLoaded) {
    TfrmSpomin w(view);
    w.resize(220, 300);
    w.show();
    view.SetMemoryTop(0x1FFF);
    Load();
    w.Redraw();
    session.Stop();
    QTest::mouseDClick(w.List(), Qt::LeftButton, {}, w.List()->RowCentre(1));
    EXPECT_TRUE(prompt.Asked.isEmpty());

    Load();
    w.Redraw();
    QSignalSpy refreshes(&w, &TfrmSpomin::refreshRequested);
    prompt.Values = {"300", "$7F", "abc"};
    QTest::mouseDClick(w.List(), Qt::LeftButton, {}, w.List()->RowCentre(1)); // $2000, code
    QTest::mouseDClick(w.List(), Qt::LeftButton, {}, w.List()->RowCentre(0)); // $1FFF, empty
    QTest::mouseDClick(w.List(), Qt::LeftButton, {}, w.List()->RowCentre(0));
    EXPECT_EQ(prompt.Asked,
              QStringList({"Vrednost pom. lokacije $2000 :|$86", "Vrednost pom. lokacije $1FFF :|$00",
                           "Vrednost pom. lokacije $1FFF :|$7F"}));
    EXPECT_EQ(session.PeekValue(0x2000), 0x2C);
    EXPECT_EQ(session.PeekLine(0x2000), 2);
    EXPECT_EQ(session.PeekLine(0x1FFF), 0);
    EXPECT_EQ(prompt.Messages.size(), 1);
    EXPECT_EQ(refreshes.count(), 2);
}

} // namespace
