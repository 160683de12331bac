#include "tests/engine/devices_fixture.h"

using PortTest = BoardTest;

TEST_F(PortTest, DataWriteChangesOnlyOutputPins) {
    // The user sets pins 7 and 4 (inputs) to 1.
    board.Port1.TogglePin(7);
    board.Port1.TogglePin(4);
    Wr(0x00, 0x0F);
    Wr(0x02, 0xAA);
    EXPECT_EQ(board.Port1.St.Level, 0x9A); // 1001 from the user, 1010 from the program
    EXPECT_EQ(Rd(0x02), 0x9A);
    EXPECT_EQ(Rd(0x00), 0x0F);
}

TEST_F(PortTest, Port2HasFivePins) {
    Wr(0x01, 0xFF);
    EXPECT_EQ(Rd(0x01), 0x1F);
    Wr(0x03, 0xFF);
    EXPECT_EQ(Rd(0x03), 0x1F);
    EXPECT_FALSE(board.Port2.TogglePin(5));
    EXPECT_FALSE(board.Port2.TogglePin(-1));
    EXPECT_EQ(board.Port2.PinImage(5), PinImageKind::InputLow);
}

TEST_F(PortTest, PinImagesFollowDirectionAndLevel) {
    for (int pin = 0; pin < 8; ++pin)
        EXPECT_EQ(board.Port1.PinImage(pin), PinImageKind::InputLow);
    board.Port1.TogglePin(1);
    Wr(0x00, 0x0C);
    Wr(0x02, 0x04);
    EXPECT_EQ(board.Port1.PinImage(0), PinImageKind::InputLow);
    EXPECT_EQ(board.Port1.PinImage(1), PinImageKind::InputHigh);
    EXPECT_EQ(board.Port1.PinImage(2), PinImageKind::OutputHigh);
    EXPECT_EQ(board.Port1.PinImage(3), PinImageKind::OutputLow);
}

TEST_F(PortTest, ToggleOfOutputPinChangesNothing) {
    int changed = 0;
    board.Port1.onChanged = [&] { ++changed; };
    Wr(0x00, 0x01);
    Wr(0x02, 0x01);
    changed = 0;
    EXPECT_FALSE(board.Port1.TogglePin(0));
    EXPECT_EQ(board.Port1.St.Level, 0x01);
    EXPECT_EQ(changed, 0);
    EXPECT_TRUE(board.Port1.TogglePin(1));
    EXPECT_EQ(board.Port1.St.Level, 0x03);
    EXPECT_EQ(changed, 1);
}

TEST_F(PortTest, Port2Pin0EdgeCapturesTimer) {
    Wr(0x08, TTimer::TCSR_IEDG);
    board.Timer.St.Counter = 0x1234;
    board.Port2.TogglePin(0); // 0 -> 1: rising edge, captured
    EXPECT_EQ(board.Timer.St.InputCapture, 0x1234);
    EXPECT_TRUE(board.Timer.St.TCSR & TTimer::TCSR_ICF);
    EXPECT_EQ(Rd(0x08) & TTimer::TCSR_ICF, TTimer::TCSR_ICF); // read clears ICF
    board.Timer.St.Counter = 0x5678;
    board.Port2.TogglePin(0); // 1 -> 0: not the selected edge
    EXPECT_EQ(board.Timer.St.InputCapture, 0x1234);
    EXPECT_FALSE(board.Timer.St.TCSR & TTimer::TCSR_ICF);
    // Port 1 pin 0 is not wired to the timer.
    board.Port1.TogglePin(0);
    EXPECT_EQ(board.Timer.St.InputCapture, 0x1234);
}
