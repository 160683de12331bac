// The external system of the serial line: output and input fields, modes, rate, resets.
#include "session/sciterminal.h"

#include "tests/engine/devices_fixture.h"

namespace {
constexpr uint8_t RE = TSci::TRCSR_RE, TE = TSci::TRCSR_TE, RDRF = TSci::TRCSR_RDRF, ORFE = TSci::TRCSR_ORFE;
}

class SciTerminalTest : public BoardTest {
protected:
    TSciTerminal terminal{board.Sci};
    SciTerminalTest() { board.loaded = true; }
    // The program transmits one byte and the line carries it out.
    void Transmit(uint8_t byte) {
        Wr(0x11, TE);
        Wr(0x13, byte);
        SciTicks(TSci::LineTicks);
    }
};

TEST_F(SciTerminalTest, ReceivedBytesFillTheOutputAsTheModeSays) {
    uint64_t revision = terminal.OutputRevision();
    Transmit('A');
    Transmit('B');
    EXPECT_EQ(terminal.Output(), "AB");
    EXPECT_NE(terminal.OutputRevision(), revision);
    EXPECT_EQ(terminal.Received(), (std::vector<uint8_t>{'A', 'B'}));

    terminal.SetOutput("");
    terminal.DisplayMode = SciDisplayMode::Hex;
    Transmit(0x41);
    Transmit(0x42);
    EXPECT_EQ(terminal.Output(), "42 41 "); // newest first
    // Switching modes: ASCII bytes go to the end, HEX bytes to the front, around a user edit.
    terminal.SetOutput("x");
    terminal.ToggleDisplayMode();
    EXPECT_STREQ(terminal.DisplayModeText(), "ASCII");
    Transmit('a');
    terminal.ToggleDisplayMode();
    Transmit(0x0F);
    EXPECT_EQ(terminal.Output(), "0F xa");
    EXPECT_EQ(terminal.OutputSize(), 5u);
}

TEST_F(SciTerminalTest, SendInputTakesBytesAsTheModeSays) {
    std::vector<uint8_t> received;
    terminal.ExternalRate = "76800"; // the chip's rate after reset
    Wr(0x11, RE);
    auto deliver = [&] {
        SciSendResult r = terminal.SendInput();
        SciTicks(TSci::LineTicks);
        received.push_back(Rd(0x12));
        return r;
    };
    terminal.DisplayMode = SciDisplayMode::Hex;
    terminal.Input = "41424";
    EXPECT_EQ(deliver(), SciSendResult::Sent);
    EXPECT_EQ(deliver(), SciSendResult::Sent);
    EXPECT_EQ(deliver(), SciSendResult::Sent);
    EXPECT_EQ(terminal.Input, "");
    EXPECT_EQ(received, (std::vector<uint8_t>{0x41, 0x42, 0x04}));
    terminal.Input = "zz";
    EXPECT_EQ(deliver(), SciSendResult::Invalid);
    EXPECT_EQ(received.back(), 0x00);
    EXPECT_EQ(terminal.Input, "");
    terminal.Input = "4g7";
    EXPECT_EQ(terminal.SendInput(), SciSendResult::Invalid);
    EXPECT_EQ(terminal.Input, "7");

    terminal.DisplayMode = SciDisplayMode::Ascii;
    terminal.Input = "Hi";
    EXPECT_EQ(terminal.SendInput(), SciSendResult::Sent);
    EXPECT_EQ(board.Sci.St.RxByte, 0x48);
    EXPECT_EQ(terminal.Input, "i");
    // An empty field sends nothing.
    terminal.Input.clear();
    uint8_t count = board.Sci.St.RxCount;
    EXPECT_EQ(terminal.SendInput(), SciSendResult::Empty);
    EXPECT_EQ(board.Sci.St.RxCount, count);
}

TEST_F(SciTerminalTest, DefaultRatesDifferSoTheFirstByteIsAFramingError) {
    EXPECT_EQ(terminal.ExternalRate, "9600"); // the window's initial rate; the chip starts at 76800
    EXPECT_FALSE(terminal.AtChipRate());
    Wr(0x11, RE);
    terminal.SendByte(0x41);
    SciTicks(TSci::LineTicks);
    EXPECT_EQ(board.Sci.St.TRCSR & (RDRF | ORFE), ORFE);
    Rd(0x12);
    Wr(0x10, 0x01); // the program selects 9600
    EXPECT_TRUE(terminal.AtChipRate());
    terminal.SendByte(0x42);
    SciTicks(TSci::LineTicks);
    EXPECT_EQ(Rd(0x12), 0x42);
}

TEST_F(SciTerminalTest, ChipResetEmptiesTheFieldsButKeepsModeAndRate) {
    // A memory clear (every assembly) and a load both reset the chip.
    for (int round = 0; round < 2; ++round) {
        Transmit('A');
        terminal.DisplayMode = SciDisplayMode::Hex;
        terminal.ExternalRate = "300";
        terminal.Input = "abc";
        if (round == 0) board.Memory.Clear();
        else board.ResetForRun();
        EXPECT_EQ(terminal.Input, "");
        EXPECT_EQ(terminal.Output(), "");
        EXPECT_TRUE(terminal.Received().empty());
        EXPECT_EQ(terminal.DisplayMode, SciDisplayMode::Hex);
        EXPECT_EQ(terminal.ExternalRate, "300");
        terminal.DisplayMode = SciDisplayMode::Ascii;
    }
}
