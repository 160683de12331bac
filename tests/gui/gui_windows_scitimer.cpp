// The SCI, timer and trace windows over a board of their own: what the controls do to the
// models, what the windows show at the display frames and when they draw.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "engine/machine.h"
#include "session/sciterminal.h"
#include "tests/gui/scriptedprompt.h"
#include "windows/bitgrid.h"
#include "windows/frmport.h"
#include "windows/frmsci.h"
#include "windows/frmtimer.h"
#include "windows/frmtrace.h"
#include "windows/valuefield.h"

namespace {

constexpr uint8_t RE = TSci::TRCSR_RE, TE = TSci::TRCSR_TE;

class DeviceWindowTest : public ::testing::Test {
protected:
    DeviceWindowTest() {
        board.Random.Seed(99);
        board.loaded = true;
    }
    uint8_t Rd(uint16_t address) { return board.Memory.Read(address, false).Value; }
    void Wr(uint16_t address, uint8_t value) { board.Memory.Write(address, MemoryCell{value, 0}, false); }
    void SciTicks(int n) {
        for (int i = 0; i < n; ++i)
            board.Sci.SciTick();
    }
    // The program sends one byte and the line carries it out.
    void Transmit(uint8_t byte) {
        Wr(0x11, TE);
        Wr(0x13, byte);
        SciTicks(TSci::LineTicks);
    }
    // A window whose controls ask for a frame gets one at once, as run control gives it.
    template <typename Window> static void Framed(Window& w) {
        QObject::connect(&w, &Window::refreshRequested, &w, [&w] { w.DrawFrame(); });
    }
    static QString Bits(const TBitGrid* grid) {
        QString bits;
        for (int column = 0; column < grid->ColumnCount(); ++column)
            bits += grid->Cell(column, 1);
        return bits;
    }

    std::unique_ptr<TMachine> machine = std::make_unique<TMachine>();
    TMachine& board = *machine;
    TSciTerminal terminal{board.Sci};
    TScriptedPrompt prompt;
};

// ------------------------------------------------------------------------------------ SCI

TEST_F(DeviceWindowTest, SciSendTakesOneByteFromTheInputAsTheModeSays) {
    TfrmSCI w(board.Sci, terminal);
    Framed(w);
    w.show();
    terminal.ExternalRate = "76800"; // the chip's rate after reset: no framing error
    Wr(0x11, RE);
    const struct {
        bool hex;
        const char* input;
        int presses;
        std::vector<uint8_t> sent;
        const char* left;
        bool message;
    } cases[] = {
        {true, "41424", 3, {0x41, 0x42, 0x04}, "", false},
        {true, "zz", 1, {0x00}, "", true},
        {false, "Hi", 1, {0x48}, "i", false},
        {false, "", 1, {}, "", false},
    };
    for (const auto& c : cases) {
        if ((w.ModeButton()->text() == "HEX") != c.hex) QTest::mouseClick(w.ModeButton(), Qt::LeftButton);
        ASSERT_EQ(w.ModeButton()->text(), c.hex ? "HEX" : "ASCII");
        w.InputField()->selectAll();
        QTest::keyClick(w.InputField(), Qt::Key_Delete); // what the last case left
        QTest::keyClicks(w.InputField(), QString::fromLatin1(c.input));
        prompt.Messages.clear();
        std::vector<uint8_t> sent;
        for (int i = 0; i < c.presses; ++i) {
            QTest::mouseClick(w.SendButton(), Qt::LeftButton);
            if (board.Sci.St.RxCount == TSci::LineTicks) sent.push_back(board.Sci.St.RxByte);
            SciTicks(TSci::LineTicks); // delivered before the next press
            Rd(0x12);
        }
        EXPECT_EQ(sent, c.sent) << c.input;
        EXPECT_EQ(w.InputField()->text(), QLatin1String(c.left)) << c.input;
        EXPECT_EQ(prompt.Messages, c.message ? QStringList{"Napacni podatki"} : QStringList{}) << c.input;
    }
}

TEST_F(DeviceWindowTest, SciOutputAddsBytesToTheUsersTextAndResetEmptiesTheFields) {
    TfrmSCI w(board.Sci, terminal);
    Framed(w);
    w.show();
    Transmit('A');
    EXPECT_EQ(w.OutputField()->text(), ""); // drawn at the frame
    w.DrawFrame();
    EXPECT_EQ(w.OutputField()->text(), "A");
    // The user edits the output field; the next byte is added to the edited text.
    w.OutputField()->setFocus();
    QTest::keyClick(w.OutputField(), Qt::Key_Backspace);
    QTest::keyClicks(w.OutputField(), "ok ");
    Transmit('B');
    w.DrawFrame();
    EXPECT_EQ(w.OutputField()->text(), "ok B");
    QTest::mouseClick(w.ModeButton(), Qt::LeftButton);
    Transmit(0x41);
    w.DrawFrame();
    EXPECT_EQ(w.OutputField()->text(), "41 ok B"); // HEX: newest first
    // The rate box is the terminal's rate.
    EXPECT_EQ(w.RateBox()->currentText(), "9600");
    w.RateBox()->setEditText("1200");
    EXPECT_EQ(terminal.ExternalRate, "1200");

    QTest::keyClicks(w.InputField(), "abc");
    board.Memory.Clear(); // resets the SCI, as every assembly does
    w.DrawFrame();
    EXPECT_EQ(w.OutputField()->text(), "");
    EXPECT_EQ(w.InputField()->text(), "");
    EXPECT_EQ(terminal.Input, "");
    EXPECT_EQ(w.ModeButton()->text(), "HEX"); // the mode and the rate stay
    EXPECT_EQ(w.RateBox()->currentText(), "1200");
}

TEST_F(DeviceWindowTest, SciShowsRegistersAtEveryFrameAndTheLineCountsAfterTicks) {
    TfrmSCI w(board.Sci, terminal);
    Framed(w);
    w.show();
    EXPECT_EQ(w.ChipRateField()->text(), "76800");
    Wr(0x10, 0x02);
    Wr(0x11, TE | RE);
    w.DrawFrame();
    EXPECT_EQ(Bits(w.RmcrGrid()), "00000010");
    EXPECT_EQ(Bits(w.TrcsrGrid()), "00001010");
    EXPECT_EQ(w.RmcrGrid()->Cell(0, 0), "b7");
    EXPECT_EQ(w.ChipRateField()->text(), "1200");
    // A byte written to TDR: the counts show it from the next tick on.
    Wr(0x13, 0x41);
    w.DrawFrame();
    EXPECT_EQ(w.CountLabel(0)->text(), "0");
    SciTicks(1);
    w.DrawFrame();
    EXPECT_EQ(w.CountLabel(0)->text(), "9");
    EXPECT_EQ(w.CountLabel(1)->text(), "65");
    // Rx=Tx is the line's loopback; the picture draws the line down to Rx.
    QTest::mouseClick(w.LoopbackButton(), Qt::LeftButton);
    EXPECT_TRUE(board.Sci.Loopback);
    EXPECT_TRUE(w.LinePicture()->Loopback());
    SciTicks(9 + TSci::LoopbackTicks);
    EXPECT_EQ(Rd(0x12), 0x41);
    w.DrawFrame();
    EXPECT_EQ(w.OutputField()->text(), ""); // a looped-back byte never leaves the chip
}

// ------------------------------------------------------------------------------------ timer

TEST_F(DeviceWindowTest, TimerFieldsChangeOnlyAtFramesThatShowTheProcessor) {
    TfrmTimer w(board.Timer);
    w.show();
    board.loaded = false;
    board.Timer.St.Counter = 0x1234;
    board.Timer.TimerTick();
    QTest::mouseClick(w.Advance1000Button(), Qt::LeftButton);
    EXPECT_EQ(board.Timer.St.Counter, 0x2235);
    // No program: the counter counts, the fields stand still.
    w.DrawFrame({.Loaded = false});
    EXPECT_EQ(w.CounterField()->text(), "0000");
    EXPECT_EQ(w.CompareField()->text(), "0000");
    board.loaded = true;
    board.Timer.TimerTick();
    w.DrawFrame();
    EXPECT_EQ(w.CounterField()->text(), "2236");
    // A processor read of TCSR shows the flags as it left them: TOF and ICF cleared.
    board.Timer.St.TCSR = 0xE8;
    EXPECT_EQ(Rd(0x08), 0xE8);
    w.DrawFrame();
    EXPECT_EQ(Bits(w.TcsrGrid()), "01001000");
    Wr(0x0C, 0xAB);
    // The steps that ended the program are shown once more.
    w.DrawFrame({.Loaded = false, .Stepped = true});
    EXPECT_EQ(w.CompareField()->text(), "00AB");
    EXPECT_EQ(Bits(w.TcsrGrid()), "00001000"); // the compare write cleared OCF
    // So is the state a stop left: once, at the frame after it.
    board.Timer.St.Counter = 0x4321;
    w.DrawFrame({.Loaded = false, .WasLoaded = true});
    EXPECT_EQ(w.CounterField()->text(), "4321");
    board.Timer.St.Counter = 0x5555;
    w.DrawFrame({.Loaded = false});
    EXPECT_EQ(w.CounterField()->text(), "4321");
}

// The windows draw at the display's frames, not at every change; a hidden window when shown.
TEST_F(DeviceWindowTest, WindowsWaitForTheFrame) {
    TfrmTimer timer(board.Timer);
    TfrmTrace trace(board.Memory);
    timer.show();
    trace.show();
    trace.Pages()->setCurrentIndex(0);
    board.Memory.TraceEnabled = true;
    board.Memory.Trace.Triggers.Add(*ParseCondition("xxxx", "x", "w"));
    board.Memory.Trace.Qualifiers.Add(*ParseCondition("xxxx", "x", "w"));

    Wr(0x0B, 0x12);
    board.Memory.Write(0x80, MemoryCell{1, 0}, true);
    EXPECT_EQ(timer.CompareField()->text(), "0000");
    EXPECT_EQ(trace.Model()->rowCount(), 0);
    timer.DrawFrame({.Running = true});
    trace.DrawFrame({.Running = true});
    EXPECT_EQ(timer.CompareField()->text(), "1200");
    EXPECT_EQ(trace.Model()->rowCount(), 1);

    timer.hide();
    Wr(0x0C, 0x34);
    timer.DrawFrame();
    EXPECT_EQ(timer.CompareField()->text(), "1200");
    timer.show();
    EXPECT_EQ(timer.CompareField()->text(), "1234");
}

// ------------------------------------------------------------------------------------ trace

TEST_F(DeviceWindowTest, TraceConditionsRoundTripThroughTheList) {
    TfrmTrace w(board.Memory);
    w.show();
    EXPECT_EQ(w.Pages()->currentWidget(), w.QualifierPage());
    TConditionPage* page = w.TriggerPage();
    auto enter = [&](const char* address, const char* data, const char* direction) {
        page->AddressField()->setText(QString::fromLatin1(address));
        page->DataField()->setText(QString::fromLatin1(data));
        page->DirectionField()->setText(QString::fromLatin1(direction));
        QTest::mouseClick(page->AddButton(), Qt::LeftButton);
    };
    auto rows = [&] {
        QStringList out;
        for (int i = 0; i < page->List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = page->List()->topLevelItem(i);
            out << item->text(0) + ' ' + item->text(1) + ' ' + item->text(2);
        }
        return out;
    };
    // Bad entries are refused with the message and add nothing.
    for (auto [a, d, r] : {std::tuple{"12345", "00", "r"}, std::tuple{"12G4", "00", "r"},
                           std::tuple{"1234", "", "w"}, std::tuple{"1234", "00", "x"}})
        enter(a, d, r);
    EXPECT_EQ(prompt.Messages, QStringList(4, "Napacni podatki!"));
    EXPECT_TRUE(rows().isEmpty());

    enter("ffff", "x", "w");
    enter("ffff", "x", "w");
    enter("1x", "5", "Read");
    EXPECT_EQ(rows(), QStringList({"001x 05 Read", "FFFF xx Write", "FFFF xx Write"})); // newest first
    EXPECT_EQ(page->AddressField()->text(), "1x"); // the fields keep their text
    // Without a selection nothing goes; a selected row removes one equal condition.
    QTest::mouseClick(page->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(board.Memory.Trace.Triggers.Count(), 3u);
    page->List()->setCurrentItem(page->List()->topLevelItem(2));
    QTest::mouseClick(page->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(rows(), QStringList({"001x 05 Read", "FFFF xx Write"}));
    page->List()->setCurrentItem(page->List()->topLevelItem(0));
    QTest::mouseClick(page->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(rows(), QStringList({"FFFF xx Write"}));
    EXPECT_TRUE(board.Memory.Trace.Qualifiers.Empty());
    QTest::mouseClick(page->ClearButton(), Qt::LeftButton);
    EXPECT_TRUE(board.Memory.Trace.Triggers.Empty());
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(DeviceWindowTest, TraceSwitchRecordsAndBrisiTraceEmptiesOnlyTheRows) {
    TfrmTrace w(board.Memory);
    w.show();
    board.Memory.Trace.Triggers.Add(*ParseCondition("0", "x", "r"));
    board.Memory.Trace.Qualifiers.Add(*ParseCondition("xxxx", "x", "w"));
    EXPECT_FALSE(w.TraceSwitch()->isChecked());
    board.Memory.Read(0x0000, true);
    board.Memory.Write(0x2000, MemoryCell{0x41, 0}, true);
    w.DrawFrame();
    EXPECT_EQ(w.Model()->rowCount(), 0); // recording is off
    w.TraceSwitch()->click();
    EXPECT_TRUE(board.Memory.TraceEnabled);
    board.Memory.Write(0x2000, MemoryCell{0x41, 0}, true); // not armed yet
    board.Memory.Read(0x0000, true);
    board.Memory.Write(0x2001, MemoryCell{0x42, 0}, true);
    w.DrawFrame();
    ASSERT_EQ(w.Model()->rowCount(), 1);
    const QAbstractItemModel* m = w.TraceList()->model();
    EXPECT_EQ(m->index(0, 0).data().toString() + m->index(0, 1).data().toString() +
                  m->index(0, 2).data().toString(),
              "200142W");
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), "R/W");
    EXPECT_EQ(w.TraceList()->columnWidth(0), 70);
    // A full trace says so, and "Brisi Trace" makes room again.
    board.Memory.Trace.RowLimit = 1;
    board.Memory.Write(0x2002, MemoryCell{0x43, 0}, true);
    w.DrawFrame();
    const QLabel* full = w.findChild<QLabel*>("lblPolna");
    ASSERT_TRUE(full);
    EXPECT_FALSE(full->isHidden());
    EXPECT_EQ(full->text(), "Sled je polna: posnetih je 1 dostopov, nadaljnjih 1 ni posnetih.");
    QTest::mouseClick(w.ClearTraceButton(), Qt::LeftButton);
    EXPECT_EQ(w.Model()->rowCount(), 0);
    EXPECT_TRUE(full->isHidden());
    EXPECT_TRUE(board.Memory.Trace.Triggered);
    EXPECT_EQ(board.Memory.Trace.Triggers.Count(), 1u);
}

// A million recorded accesses are compact records announced in one batch, not a widget item each.
TEST_F(DeviceWindowTest, AMillionTraceRowsStayCompactRecords) {
    TfrmTrace w(board.Memory);
    w.resize(300, 300);
    w.show();
    w.Pages()->setCurrentIndex(0);
    board.Memory.TraceEnabled = true;
    board.Memory.Trace.Triggers.Add(*ParseCondition("xxxx", "x", "w"));
    board.Memory.Trace.Qualifiers.Add(*ParseCondition("xxxx", "xx", "w"));
    QSignalSpy inserted(w.Model(), &QAbstractItemModel::rowsInserted);
    constexpr int kRows = 1'000'000;
    for (int i = 0; i < kRows; ++i)
        board.Memory.Write(static_cast<uint16_t>(0x4000 + (i & 0xFFF)),
                           MemoryCell{static_cast<uint8_t>(i), 0}, true);
    w.DrawFrame({.Running = true});
    ASSERT_EQ(inserted.count(), 1);
    ASSERT_EQ(w.Model()->rowCount(), kRows);
    const auto& rows = board.Memory.Trace.Rows();
    EXPECT_LE(rows.capacity() * sizeof(TraceRow), size_t{8} * kRows);
    // Rows that land below the part in view wait a little during the run; its end shows them.
    board.Memory.Write(0x1234, MemoryCell{0xAB, 0}, true);
    w.DrawFrame({.Running = true});
    EXPECT_EQ(w.Model()->rowCount(), kRows);
    w.DrawFrame({.Running = false});
    ASSERT_EQ(w.Model()->rowCount(), kRows + 1);
    const QModelIndex last = w.Model()->index(kRows, 0);
    EXPECT_EQ(last.data().toString() + last.siblingAtColumn(1).data().toString(), "1234AB");
    // The newest rows can be scrolled to and drawn.
    w.TraceList()->scrollToBottom();
    EXPECT_GT(w.TraceList()->rowAt(w.TraceList()->viewport()->height() - 2), kRows - 40);
    EXPECT_FALSE(w.TraceList()->grab().isNull());
}

} // namespace

// The bit grids name their bits in tool tips; the captions stay "b7" ... "b0".
TEST_F(DeviceWindowTest, BitGridsNameTheirBitsInToolTips) {
    TfrmTimer timer(board.Timer);
    TfrmSCI sci(board.Sci, terminal);
    TfrmPort2 port(board.Port2);
    const struct {
        QWidget* window;
        const char* grid;
        int column;
        const char* hint;
    } cases[] = {
        {&timer, "gTCSR", 0, "b7 ICF"},
        {&timer, "gTCSR", 2, "b5 TOF"},
        {&timer, "gTCSR", 7, "b0 OLVL"},
        {&sci, "gTRCSR", 0, "b7 RDRF"},
        {&sci, "gTRCSR", 2, "b5 TDRE"},
        {&sci, "gTRCSR", 7, "b0 WU"},
        {&sci, "gRMCR", 4, "b3 CC1"},
        {&sci, "gRMCR", 7, "b0 SS0"},
        {&port, "gDDR", 4, "b0 – smer priključka P20"},
        {&port, "gDR", 0, "b4 – nivo priključka P24"},
    };
    for (const auto& c : cases) {
        auto* grid = c.window->findChild<TBitGrid*>(QLatin1String(c.grid));
        ASSERT_NE(grid, nullptr) << c.grid;
        EXPECT_TRUE(grid->BitHint(c.column).startsWith(QString::fromUtf8(c.hint)))
            << c.grid << " " << grid->BitHint(c.column).toStdString();
        EXPECT_EQ(grid->Cell(c.column, 0), QStringLiteral("b%1").arg(grid->ColumnCount() - 1 - c.column));
    }
}
