#include "tests/engine/devices_fixture.h"

namespace {
constexpr uint8_t RE = TSci::TRCSR_RE, TE = TSci::TRCSR_TE, RDRF = TSci::TRCSR_RDRF, ORFE = TSci::TRCSR_ORFE,
                  TDRE = TSci::TRCSR_TDRE, RIE = TSci::TRCSR_RIE, TIE = TSci::TRCSR_TIE;
}

class SciTest : public BoardTest {
protected:
    TSci& sci = board.Sci;
    std::vector<uint8_t> transmitted; // what left the chip towards the external system
    SciTest() {
        board.loaded = true;
        sci.onTransmit = [this](uint8_t byte) { transmitted.push_back(byte); };
    }
    // The external system sends at the chip's rate unless a test says otherwise.
    bool Send(uint8_t byte, bool atChipRate = true) { return sci.DeliverByte(byte, atChipRate); }
};

TEST_F(SciTest, TransmitWithTeClearIsIgnored) {
    Wr(0x13, 0x41);
    EXPECT_EQ(sci.St.TDR, 0);
    EXPECT_EQ(sci.St.TxCount, 0);
    SciTicks(20);
    EXPECT_TRUE(transmitted.empty());
}

TEST_F(SciTest, TdreSetsAtFirstLoadedTickWithTe) {
    Wr(0x11, TE);
    EXPECT_EQ(sci.St.TRCSR & TDRE, 0);
    board.loaded = false;
    SciTicks(3);
    EXPECT_EQ(sci.St.TRCSR & TDRE, 0);
    board.loaded = true;
    sci.SciTick();
    EXPECT_EQ(sci.St.TRCSR & TDRE, TDRE);
    // A status write cannot touch the three status bits.
    Wr(0x11, 0xFF);
    EXPECT_EQ(sci.St.TRCSR, 0x3F);
}

TEST_F(SciTest, TransmitTakesTenTicksAndLeavesTheChip) {
    Wr(0x11, TE);
    Wr(0x13, 0x41);
    EXPECT_EQ(sci.St.TRCSR & TDRE, 0);
    SciTicks(9);
    EXPECT_TRUE(transmitted.empty());
    EXPECT_EQ(sci.St.TRCSR & TDRE, 0);
    sci.SciTick();
    EXPECT_EQ(transmitted, std::vector<uint8_t>{0x41});
    EXPECT_EQ(sci.St.TRCSR & TDRE, TDRE);
    Wr(0x13, 0x42);
    SciTicks(10);
    EXPECT_EQ(transmitted, (std::vector<uint8_t>{0x41, 0x42}));
    EXPECT_EQ(Rd(0x13), 0);
}

TEST_F(SciTest, TransmitterWaitsWhileTeClear) {
    Wr(0x11, TE);
    Wr(0x13, 0x55);
    SciTicks(4);
    Wr(0x11, 0);
    SciTicks(20);
    EXPECT_EQ(sci.St.TxCount, 6);
    Wr(0x11, TE);
    SciTicks(6);
    EXPECT_EQ(transmitted, std::vector<uint8_t>{0x55});
}

TEST_F(SciTest, ReceivedByteArrivesAfterTenTicks) {
    Wr(0x11, RE);
    EXPECT_TRUE(Send(0x37));
    SciTicks(9);
    EXPECT_EQ(sci.St.TRCSR & RDRF, 0);
    sci.SciTick();
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF);
    EXPECT_EQ(Rd(0x12), 0x37);
    EXPECT_EQ(sci.St.TRCSR & RDRF, 0);
    EXPECT_EQ(Rd(0x12), 0x37); // a second read returns the same byte
}

TEST_F(SciTest, ByteIsLostWhileReceiverDisabled) {
    EXPECT_FALSE(Send(0x37));
    Wr(0x11, RE);
    SciTicks(20);
    EXPECT_EQ(sci.St.TRCSR & RDRF, 0);
}

TEST_F(SciTest, SecondByteWithinTenTicksReplacesFirst) {
    Wr(0x11, RE);
    Send(0x11);
    SciTicks(5);
    Send(0x22);
    SciTicks(9);
    EXPECT_EQ(sci.St.TRCSR & RDRF, 0);
    sci.SciTick();
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF);
    EXPECT_EQ(sci.St.RDR, 0x22);
}

TEST_F(SciTest, ByteSentAtAnotherRateIsAFramingError) {
    EXPECT_STREQ(sci.ChipRate(), "76800");
    Wr(0x11, RE);
    Send(0x41, /*atChipRate=*/false);
    EXPECT_TRUE(sci.St.RateMismatch);
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), ORFE);
    // The error belongs to that byte: once the rates agree, a later byte arrives normally
    // (the receiver is not left broken until the next load).
    Rd(0x11);
    Rd(0x12);
    Wr(0x10, 0x01);
    EXPECT_STREQ(sci.ChipRate(), "9600");
    Send(0x42);
    EXPECT_FALSE(sci.St.RateMismatch);
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF);
    EXPECT_EQ(Rd(0x12), 0x42);
}

TEST_F(SciTest, ReceiverRecoversAfterAnOverrunHasBeenRead) {
    Wr(0x11, RE);
    Send(0x01);
    SciTicks(10);
    Send(0x02); // arrives while 0x01 is unread
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF | ORFE);
    Rd(0x11);
    Rd(0x12); // the program takes the status and the data: the overrun is acknowledged
    // The next byte is neither lost nor reported as an error.
    Send(0x03);
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF);
    EXPECT_EQ(Rd(0x12), 0x03);
}

TEST_F(SciTest, LoopbackArrivalIsNotAFramingErrorAfterAMismatchedByte) {
    Wr(0x11, RE | TE);
    Send(0x41, /*atChipRate=*/false);
    SciTicks(10);
    Rd(0x11);
    Rd(0x12);
    // The chip talks to itself at its own rate.
    sci.Loopback = true;
    Wr(0x13, 0x5A);
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF);
    EXPECT_EQ(Rd(0x12), 0x5A);
}

TEST_F(SciTest, ArrivalBeforeReadIsAnOverrun) {
    Wr(0x11, RE);
    Send(0x01);
    SciTicks(10);
    Send(0x02);
    SciTicks(10);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), RDRF | ORFE);
    EXPECT_TRUE(sci.St.OverrunSeen);
    Rd(0x12);
    EXPECT_EQ(sci.St.TRCSR & (RDRF | ORFE), 0);
}

TEST_F(SciTest, LoopbackDeliversToReceiverAfterTenTicks) {
    sci.Loopback = true;
    Wr(0x11, RE | TE);
    Wr(0x13, 0x5A);
    EXPECT_EQ(sci.St.TxCount, 5);
    SciTicks(9);
    EXPECT_EQ(sci.St.TRCSR & RDRF, 0);
    sci.SciTick();
    EXPECT_EQ(sci.St.TRCSR & RDRF, RDRF);
    EXPECT_EQ(Rd(0x12), 0x5A);
    EXPECT_TRUE(transmitted.empty());
}

TEST_F(SciTest, LoopbackDecidedWhenTheByteLeaves) {
    Wr(0x11, RE | TE);
    Wr(0x13, 0x5A);
    EXPECT_EQ(sci.St.TxCount, 10);
    sci.Loopback = true;
    SciTicks(10);
    EXPECT_EQ(sci.St.RxByte, 0x5A);
    EXPECT_EQ(sci.St.RxCount, 5);
    EXPECT_TRUE(transmitted.empty());
}

TEST_F(SciTest, RequestFollowsConditionAtEveryTick) {
    Wr(0x11, TE | TIE);
    sci.SciTick();
    EXPECT_TRUE(Pending(InterruptSource::SCI));
    Wr(0x13, 0x00); // TDRE cleared: the request is withdrawn at the next tick
    sci.SciTick();
    EXPECT_FALSE(Pending(InterruptSource::SCI));
    Wr(0x11, RE | RIE);
    Send(0x10);
    SciTicks(10);
    EXPECT_TRUE(Pending(InterruptSource::SCI));
    Rd(0x12);
    sci.SciTick();
    EXPECT_FALSE(Pending(InterruptSource::SCI));
    // Without a program the line stands still and the request set is left alone.
    board.Cpu.Pending.set(InterruptSource::SCI);
    board.loaded = false;
    sci.SciTick();
    EXPECT_TRUE(Pending(InterruptSource::SCI));
}

TEST_F(SciTest, ResetClearsChipAndLineTellsTheExternalSideAndKeepsLoopback) {
    sci.Loopback = true;
    Wr(0x10, 3);
    Wr(0x11, RE | TE);
    Wr(0x13, 0x41);
    Send(0x42);
    std::string calls;
    sci.onReset = [&] { calls += "reset "; };
    sci.ResetSci();
    EXPECT_EQ(calls, "reset ");
    EXPECT_EQ(sci.St.RMCR, 0);
    EXPECT_EQ(sci.St.TRCSR, 0);
    EXPECT_EQ(sci.St.TDR, 0);
    EXPECT_EQ(sci.St.TxCount, 0);
    EXPECT_EQ(sci.St.RxCount, 0);
    EXPECT_EQ(sci.St.RxByte, 0);
    EXPECT_TRUE(sci.St.RdrTaken);
    EXPECT_FALSE(sci.St.RateMismatch);
    EXPECT_TRUE(sci.Loopback);
}
