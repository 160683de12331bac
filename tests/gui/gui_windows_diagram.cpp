// "Časovni diagram" over a session of its own: the rows, the cursors' difference, the jump to
// the next edge, following a run and the export; "Prekinitve" and "Sklad klicev" beside it.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "session/session.h"
#include "tests/gui/scriptedprompt.h"
#include "windows/frmdiagram.h"
#include "windows/frmprekinitve.h"
#include "windows/frmprofil.h"
#include "windows/frmsklad.h"
#include "windows/signalview.h"

namespace {

// P10 changes every 4 steps from step 5 on.
const std::vector<std::string> kSquareWave = {"       org $1000", "start  ldaa #$01", "       staa $00",
                                              "       clrb",      "loop   eorb #$01", "       stab $02",
                                              "       nop",       "       bra loop",  "       org $fffe",
                                              "       fdb start", "       end"};

class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++Count;
        return false;
    }
};

class DiagramWindowTest : public ::testing::Test {
protected:
    DiagramWindowTest() : session(ORLEK_PROGRAM_DIR, false), window(session) {
        session.SetSignalRecording(true);
        EXPECT_TRUE(session.LoadProgram(kSquareWave).Ok);
        window.show();
        window.View()->resize(800, 400);
    }
    TSession session;
    TScriptedPrompt prompt;
    TfrmCasovniDiagram window;
};

} // namespace

TEST_F(DiagramWindowTest, CursorsAndNextEdgeMeasureThePeriod) {
    session.Run(1000);
    window.DrawFrame({.Stepped = true});
    TSignalView& view = *window.View();
    EXPECT_EQ(view.Rows().size(), size_t{kChipSignals});
    EXPECT_EQ(view.Rows().front().Name, "P10");
    // Following the run puts the present step at the right edge.
    EXPECT_NEAR(view.TimeAt(view.width() - 8), 1000.0, view.Scale() + 1);
    view.SelectRow(0);
    view.SetCursors(std::nullopt, std::nullopt);
    window.NextEdgeButton()->click();
    EXPECT_EQ(view.CursorA(), 5u);
    const uint64_t first = *view.CursorA();
    window.NextEdgeButton()->click();
    view.SetCursors(first, view.CursorA());
    window.DrawFrame({});
    EXPECT_TRUE(window.InfoLabel()->text().contains(QStringLiteral("B−A: 4 koraki")))
        << window.InfoLabel()->text().toStdString();
    EXPECT_FALSE(window.FollowSwitch()->isChecked()); // the jump stops following
    // A click in the wave area sets cursor A where it points.
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(view.XOf(40), 100));
    EXPECT_EQ(view.CursorA(), 40u);
}

TEST_F(DiagramWindowTest, ExportsTheRowsShownAndRewindsWithReverseStep) {
    session.Run(30);
    for (int i = 0; i < 10; ++i)
        session.StepBack();
    window.DrawFrame({.Stepped = true});
    EXPECT_TRUE(window.InfoLabel()->text().startsWith(QStringLiteral("Zdaj: 20")));
    QTemporaryDir dir;
    prompt.SavePath = dir.filePath(QStringLiteral("p.vcd"));
    window.ExportButton()->click();
    QFile file(prompt.SavePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray vcd = file.readAll();
    EXPECT_TRUE(vcd.contains("$var wire 1 ! P10 $end"));
    EXPECT_TRUE(vcd.endsWith("#20\n")) << vcd.right(40).toStdString();
    // Nothing recorded: a message instead of a file.
    session.SetSignalRecording(false);
    window.DrawFrame({});
    window.ExportButton()->click();
    EXPECT_EQ(prompt.Messages.size(), 1);
}

TEST(InterruptAndStackWindowsTest, ShowTheWatchOnceShown) {
    TSession session(ORLEK_PROGRAM_DIR, false);
    TScriptedPrompt prompt;
    TfrmPrekinitve interrupts(session);
    TfrmSkladKlicev stack(session);
    TfrmProfil profile(session);
    EXPECT_EQ(session.Watch(), nullptr);
    interrupts.show(); // showing either window switches the watch on
    stack.show();
    ASSERT_NE(session.Watch(), nullptr);
    ASSERT_TRUE(session
                    .LoadProgram({"       org $1000", "start  lds #$00ff", "       sei", "       jsr sub",
                                  "sub    bra sub", "       org $fffe", "       fdb start", "       end"})
                    .Ok);
    session.Run(3);
    session.RequestIrq();
    interrupts.DrawFrame({});
    stack.DrawFrame({});
    const QTableWidget& table = *interrupts.Table();
    EXPECT_EQ(table.item(1, 0)->text(), QStringLiteral("IRQ"));
    EXPECT_EQ(table.item(1, 3)->text(), QStringLiteral("da")); // pending
    EXPECT_TRUE(table.item(1, 0)->toolTip().contains(QStringLiteral("Zastavica I")));
    ASSERT_EQ(stack.Frames()->rowCount(), 1);
    EXPECT_EQ(stack.Frames()->item(0, 1)->text(), QStringLiteral("SUB $1007"));
    EXPECT_EQ(stack.Frames()->item(0, 2)->text(), QStringLiteral("$1007"));
    // The profile lists the main program, then SUB, entered once.
    profile.show();
    profile.DrawFrame({});
    ASSERT_EQ(profile.Table()->rowCount(), 2);
    EXPECT_EQ(profile.Table()->item(1, 0)->text(), QStringLiteral("SUB"));
    EXPECT_EQ(profile.Table()->item(1, 2)->text(), QStringLiteral("1"));
}

// A display frame paints the rows only when the recording moved on since the last paint.
TEST_F(DiagramWindowTest, FrameWithNothingNewPaintsNothing) {
    session.Run(100);
    window.DrawFrame({.Stepped = true});
    QCoreApplication::processEvents();
    TPaintCounter paints(window.View());
    window.DrawFrame({});
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 0);
    session.Run(10);
    window.DrawFrame({.Running = true});
    QCoreApplication::processEvents();
    EXPECT_EQ(paints.Count, 1);
}
