// The register panels: texts, editing through the value dialog, flag toggles, idle behaviour.
#include <QTest>
#include <functional>
#include <optional>
#include <stdexcept>

#include "tests/gui/gui_run_fixture.h"

using PanelsTest = RunFixture;

TEST_F(PanelsTest, EmptyBeforeTheFirstLoadAndFilledAfterIt) {
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "");
    EXPECT_EQ(panels->Flags()->Cell(0, 0), "");
    EXPECT_EQ(panels->Instructions()->Cell(0, 0), "Prejšnji ukaz:");
    EXPECT_EQ(panels->Instructions()->Cell(0, 1), "Naslednji ukaz:");
    EXPECT_EQ(panels->Registers()->sizeHint().height(), 2 * (TTextGrid::kRowHeight + 1));
    EXPECT_EQ(panels->Instructions()->ColumnWidth(0), 130);
    EXPECT_GE(panels->Instructions()->ColumnWidth(1), 50);

    LoadProgram();
    EXPECT_EQ(panels->Registers()->Cell(2, 0), "PC: $2000");
    EXPECT_EQ(panels->Registers()->Cell(0, 0).left(4), "A: $");
    EXPECT_EQ(panels->Flags()->Cell(1, 0), "I");
    EXPECT_EQ(panels->Flags()->Cell(1, 1), Cpu().I ? "1" : "0");
    EXPECT_EQ(panels->Instructions()->Cell(1, 0), "");
    const QString ldaa = QString::fromStdString(session->InstructionName(0x86));
    const QString ldab = QString::fromStdString(session->InstructionName(0xC6));
    ASSERT_TRUE(ldaa.startsWith("LDAA"));
    // The whole name fits in its cell.
    EXPECT_LE(QFontMetrics(panels->Instructions()->font()).horizontalAdvance(ldaa) + 4,
              panels->Instructions()->ColumnWidth(1));
    EXPECT_EQ(panels->Instructions()->Cell(1, 1), ldaa);

    run->StepOnce();
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $1F");
    EXPECT_EQ(panels->Registers()->Cell(1, 0), "D: $1F00");
    EXPECT_EQ(panels->Instructions()->Cell(1, 0), ldaa);
    EXPECT_EQ(panels->Instructions()->Cell(1, 1), ldab);
}

// The edit rules themselves (widths, D and A:B) are the session's; the panels ask and show.
TEST_F(PanelsTest, RegisterEditAsksForTheCellsRegisterAndShowsTheResult) {
    LoadProgram();
    Cpu().B = 0x80;
    Cpu().JoinD();
    prompt.Values = {QString("$1F"), QString("$12345")};

    panels->EditRegister(0, 0);                                      // A
    ASSERT_EQ(prompt.Asked.value(0), "Vrednost registra A :|$0000"); // 8-bit offered as 4 digits
    EXPECT_EQ(Cpu().A, 0x1F);
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $1F");
    EXPECT_EQ(panels->Registers()->Cell(1, 0), "D: $1F80"); // the refresh followed the edit

    panels->EditRegister(1, 1); // X takes 16 bits
    EXPECT_EQ(prompt.Asked.value(1), "Vrednost registra X :|$0000");
    EXPECT_EQ(Cpu().X, 0x2345);
    EXPECT_EQ(panels->Registers()->Cell(1, 1), "X: $2345");
}

TEST_F(PanelsTest, CancelledOrInvalidEntryLeavesTheRegister) {
    LoadProgram();
    Cpu().SP = 0x00FF;
    prompt.Values = {QString(), QString("zzz")};
    panels->EditRegister(2, 1);
    panels->EditRegister(2, 1);
    EXPECT_EQ(Cpu().SP, 0x00FF);
    EXPECT_EQ(prompt.Asked.value(0), "Vrednost registra SP :|$00FF");
    EXPECT_EQ(prompt.Messages.size(), 1);
}

TEST_F(PanelsTest, EditingPcMovesTheCurrentLine) {
    LoadProgram();
    QSignalSpy frames(run.get(), &TRunControl::displayFrame);
    prompt.Values = {QString("$2004")};
    panels->EditRegister(2, 0);
    EXPECT_EQ(Cpu().PC, 0x2004);
    ASSERT_FALSE(frames.isEmpty()); // the edit asked for a frame, which shows the new line
    EXPECT_TRUE(frames.last().at(0).value<TDisplayFrame>().Processor());
    EXPECT_EQ(session->ExecutionLine(), 6);
    EXPECT_EQ(panels->Instructions()->Cell(1, 1), QString::fromStdString(session->InstructionName(0x01)));
}

TEST_F(PanelsTest, DoubleClicksEditAndToggleWhileLoaded) {
    LoadProgram();
    prompt.Values = {QString("$42")};
    QTest::mouseDClick(panels->Registers(), Qt::LeftButton, {}, panels->Registers()->CellCentre(0, 1));
    EXPECT_EQ(Cpu().B, 0x42);

    const bool carry = Cpu().C;
    QTest::mouseDClick(panels->Flags(), Qt::LeftButton, {}, panels->Flags()->CellCentre(5, 0));
    EXPECT_EQ(Cpu().C, !carry);
    EXPECT_EQ(panels->Flags()->Cell(5, 1), Cpu().C ? "1" : "0");
}

TEST_F(PanelsTest, TogglingIFromThePanelDropsPendingRequests) {
    LoadProgram();
    const bool before = Cpu().I;
    run->RequestIrq();
    panels->ToggleFlag(1);
    EXPECT_EQ(Cpu().I, !before);
    EXPECT_TRUE(Cpu().Pending.none());
    EXPECT_EQ(panels->Flags()->Cell(1, 1), Cpu().I ? "1" : "0");
}

TEST_F(PanelsTest, DoubleClicksInIdleDoNothing) {
    // Before any load, and after Stop with the last values still shown.
    for (int phase = 0; phase < 2; ++phase) {
        if (phase == 1) {
            LoadProgram();
            run->Stop();
        }
        const QString a = panels->Registers()->Cell(0, 0);
        const bool carry = Cpu().C;
        const uint8_t accumulator = Cpu().A;
        Cpu().Pending.set(InterruptSource::IRQ);
        prompt.Values = {QString("$55")};
        QTest::mouseDClick(panels->Registers(), Qt::LeftButton, {}, panels->Registers()->CellCentre(0, 0));
        QTest::mouseDClick(panels->Flags(), Qt::LeftButton, {}, panels->Flags()->CellCentre(5, 0));
        QTest::mouseDClick(panels->Flags(), Qt::LeftButton, {}, panels->Flags()->CellCentre(1, 0));
        EXPECT_TRUE(prompt.Asked.isEmpty());
        EXPECT_EQ(Cpu().A, accumulator);
        EXPECT_EQ(Cpu().C, carry);
        EXPECT_TRUE(Cpu().Pending.test(InterruptSource::IRQ));
        EXPECT_EQ(panels->Registers()->Cell(0, 0), a);
        Cpu().Pending.reset();
    }
}

TEST_F(PanelsTest, OpcodeWithoutInstructionShowsNoNameAndKeepsTheLine) {
    LoadProgram();
    ASSERT_EQ(session->ExecutionLine(), 4);
    session->Memory().Cells[0x2000].Value = 0x00; // not an instruction
    run->RefreshDisplay();
    EXPECT_EQ(panels->Instructions()->Cell(1, 1), "");
    EXPECT_EQ(session->ExecutionLine(), 4);
}

TEST_F(PanelsTest, FlagToggleDuringAFastRunTogglesTheFlagNotTheStaleDigit) {
    run->FastRunFrameMs = 60000;
    source = {"       org $fffe", "       fdb start", "       org $2000",
              "start  sec",       "       bra start", "       end"};
    run->Load();
    ASSERT_EQ(panels->Flags()->Cell(5, 1), "0");
    run->RunFast();
    run->KoracnoTimer(); // SEC: C = 1, not drawn yet
    ASSERT_TRUE(Cpu().C);
    ASSERT_EQ(panels->Flags()->Cell(5, 1), "0");
    panels->ToggleFlag(5);
    EXPECT_FALSE(Cpu().C);
    EXPECT_EQ(panels->Flags()->Cell(5, 1), "0");
}

namespace {
// Answers the value dialog like a user who confirms only after something else happened.
class TPromptWithPause : public TScriptedPrompt {
public:
    std::function<void()> WhileOpen;
    std::optional<QString> AskValue(const QString& caption, const QString& initial) override {
        if (WhileOpen) WhileOpen();
        return TScriptedPrompt::AskValue(caption, initial);
    }
};
} // namespace

TEST_F(PanelsTest, EditConfirmedAfterTheRunEndedChangesNothing) {
    TPromptWithPause late;
    LoadProgram();
    // The run overwrites A meanwhile: the confirmed value wins.
    late.Values = {QString("$42"), QString("$43")};
    late.WhileOpen = [this] { Cpu().A = 0x99; };
    panels->EditRegister(0, 0);
    EXPECT_EQ(Cpu().A, 0x42);
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $42");

    // The run leaves the program while the dialog is open: the edit is dropped and the panels
    // keep showing the processor as it was when the run ended.
    late.WhileOpen = [this] { run->Stop(); };
    panels->EditRegister(0, 0);
    EXPECT_EQ(Cpu().A, 0x42);
    EXPECT_EQ(panels->Registers()->Cell(0, 0), "A: $42");
}
