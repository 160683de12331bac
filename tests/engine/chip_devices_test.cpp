// The timer, the SCI and the RAM control register in the chip model: times computed from the
// data sheet's cycle counts and bit rates.
#include "tests/engine/chip_fixture.h"

namespace {

// The counter advances with every E cycle and an instruction's register access falls in its last
// cycle: LDD $09 after two NOPs and an LDAA # reads 2 + 2 + 2 + 3; STAA $09 presets $FFF8 in its
// last cycle, and the LDD after it reads four cycles later.
TEST_F(ChipTest, CounterCountsECyclesAndPresetsOnWrite) {
    Load({0x01, 0x01, 0x86, 0x00, 0xDC, 0x09, 0x97, 0x09, 0xDC, 0x09});
    Steps(4);
    EXPECT_EQ(cpu.D, 9);
    Steps(2);
    EXPECT_EQ(cpu.D, 0xFFF8 + 4);
    EXPECT_EQ(board.Timer.St.Counter, 0xFFF8 + 5);
}

// Flags set at the cycle they occur, P21 follows OLVL, and each is cleared only by its sequence.
TEST_F(ChipTest, FlagsAtTheirCycleAndClearedByTheChipSequence) {
    Load({});
    Wr(0x01, 0x02); // P21 an output
    Wr(0x08, TTimer::TCSR_OLVL);
    Wr(0x0B, 0x00);
    Wr(0x0C, 0x40);
    Pass(0x3F);
    EXPECT_EQ(Rd(0x08) & TTimer::TCSR_OCF, 0);
    Pass(1);
    EXPECT_NE(Rd(0x08) & TTimer::TCSR_OCF, 0);
    EXPECT_EQ(board.Port2.PinLevel(1), 1);
    Wr(0x0C, 0x80); // TCSR was read with OCF set: the compare write clears it
    EXPECT_EQ(Rd(0x08) & TTimer::TCSR_OCF, 0);

    Wr(0x09, 0);
    Pass(8);
    EXPECT_EQ(board.Timer.St.TCSR & TTimer::TCSR_TOF, TTimer::TCSR_TOF);
    Rd(0x09); // without the TCSR read first: stays
    EXPECT_NE(board.Timer.St.TCSR & TTimer::TCSR_TOF, 0);
    Rd(0x08);
    Rd(0x09);
    EXPECT_EQ(board.Timer.St.TCSR & TTimer::TCSR_TOF, 0);
}

// A compare write inhibits the compare in the cycle after it.
TEST_F(ChipTest, CompareInhibitedTheCycleAfterItsWrite) {
    Load({});
    Pass(0x10);
    Wr(0x0B, 0x00);
    Wr(0x0C, 0x11); // the counter reaches $11 in the very next cycle
    Pass(1);
    EXPECT_EQ(board.Timer.St.TCSR & TTimer::TCSR_OCF, 0);
    Wr(0x0C, 0x20);
    Pass(0x10);
    EXPECT_NE(board.Timer.St.TCSR & TTimer::TCSR_OCF, 0);
}

// An edge on P20 latches the counter as it stands; reading ICR's high byte after TCSR clears ICF.
TEST_F(ChipTest, InputCaptureLatchesTheCounter) {
    Load({});
    Wr(0x08, TTimer::TCSR_IEDG);
    Pass(1234);
    board.Port2.TogglePin(0);
    EXPECT_EQ(board.Timer.St.InputCapture, 1234);
    EXPECT_NE(Rd(0x08) & TTimer::TCSR_ICF, 0);
    EXPECT_EQ(Rd(0x0D) << 8 | Rd(0x0E), 1234);
    EXPECT_EQ(board.Timer.St.TCSR & TTimer::TCSR_ICF, 0);
}

// A byte takes ten bit times at each RMCR rate, E/16 to E/4096, and leaves at that cycle; the
// first one after TE is set waits for the preamble, a frame of ones.
TEST_F(ChipTest, SciFrameTakesTenBitTimesAtEachRate) {
    for (uint8_t rate : {0, 1, 2, 3}) {
        static constexpr uint64_t kDividers[] = {16, 128, 1024, 4096};
        const uint64_t frame = 10 * kDividers[rate];
        Load({});
        std::vector<uint64_t> sentAt;
        board.Sci.onTransmit = [&](uint8_t) { sentAt.push_back(Now()); };
        Wr(0x10, rate);
        Wr(0x11, TSci::TRCSR_TE);
        Rd(0x11); // TDRE set: the sequence lets the write clear it
        Wr(0x13, 0x41);
        Pass(2 * frame - 1);
        EXPECT_TRUE(sentAt.empty()) << int(rate);
        Pass(1);
        ASSERT_EQ(sentAt.size(), 1u) << int(rate);
        EXPECT_EQ(sentAt[0], 2 * frame);
    }
}

// Received at the chip's rate: RDRF; at another: a framing error; RDRF and ORFE are cleared by
// TRCSR then RDR; with the wake-up bit a frame is let pass until the line idles for a frame.
TEST_F(ChipTest, SciReceiveErrorsClearingAndWakeUp) {
    Load({});
    const uint64_t frame = board.Sci.FrameCycles();
    Wr(0x11, TSci::TRCSR_RE);
    board.Sci.DeliverByte(0x55, true);
    Pass(frame);
    EXPECT_EQ(Rd(0x12), 0x55);
    EXPECT_NE(board.Sci.St.TRCSR & TSci::TRCSR_RDRF, 0); // RDR read without TRCSR first
    Rd(0x11);
    Rd(0x12);
    EXPECT_EQ(board.Sci.St.TRCSR & TSci::TRCSR_RDRF, 0);

    board.Sci.DeliverByte(0x66, false);
    Pass(frame);
    EXPECT_EQ(board.Sci.St.TRCSR & (TSci::TRCSR_RDRF | TSci::TRCSR_ORFE), TSci::TRCSR_ORFE);
    Rd(0x11);
    Rd(0x12);

    Wr(0x11, TSci::TRCSR_RE | TSci::TRCSR_WU);
    board.Sci.DeliverByte(0x77, true);
    Pass(frame);
    EXPECT_EQ(board.Sci.St.TRCSR & TSci::TRCSR_RDRF, 0);
    EXPECT_NE(board.Sci.St.TRCSR & TSci::TRCSR_WU, 0);
    Pass(frame);
    EXPECT_EQ(board.Sci.St.TRCSR & TSci::TRCSR_WU, 0);
    board.Sci.DeliverByte(0x78, true);
    Pass(frame);
    EXPECT_EQ(Rd(0x12), 0x78);
}

// $14 is the RAM control register in the chip model and a plain cell in the classic one.
TEST(ChipRamControl, RoutedOnlyInTheChipModel) {
    for (TProcessorModel model : {TProcessorModel::Classic, TProcessorModel::Chip}) {
        auto board = std::make_unique<TMachine>();
        board->SetModel(model);
        board->Memory.Write(0x14, MemoryCell{0x7F, 0}, false);
        const bool chip = model == TProcessorModel::Chip;
        EXPECT_EQ(board->Memory.Read(0x14, false).Value, chip ? 0x40 : 0x7F);
        EXPECT_EQ(board->Memory.Cells[0x14].Value, chip ? 0x00 : 0x7F);
    }
}

} // namespace

// P23/P24 belong to the SCI while its receiver/transmitter is enabled (chip model only): Port 2's
// DR reads the line there (idle high; a frame's bits as they go by) and writes do not drive them.
TEST(ChipPortTest, SciTakesP23AndP24WhileEnabled) {
    struct TCase {
        TProcessorModel model;
        uint8_t trcsr;
        uint64_t after; // E cycles after a byte $01 is written to TDR (when TE is set)
        uint8_t pins;   // DR bits 4-3 with 0 written to all five output pins
    } cases[] = {
        {TProcessorModel::Classic, TSci::TRCSR_RE | TSci::TRCSR_TE, 0, 0x00},
        {TProcessorModel::Chip, 0, 0, 0x00},
        {TProcessorModel::Chip, TSci::TRCSR_RE, 0, 0x08},
        {TProcessorModel::Chip, TSci::TRCSR_RE | TSci::TRCSR_TE, 0, 0x18},   // the preamble
        {TProcessorModel::Chip, TSci::TRCSR_RE | TSci::TRCSR_TE, 160, 0x08}, // the start bit
        {TProcessorModel::Chip, TSci::TRCSR_RE | TSci::TRCSR_TE, 176, 0x18}, // data bit 0
        {TProcessorModel::Chip, TSci::TRCSR_RE | TSci::TRCSR_TE, 192, 0x08}, // data bit 1
        {TProcessorModel::Chip, TSci::TRCSR_RE | TSci::TRCSR_TE, 320, 0x18}, // sent: idle
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << ModelName(c.model) << " " << int(c.trcsr) << " +" << c.after);
        ChipBoard b(c.model);
        b.Load({});
        b.Wr(0x01, 0x1F);
        b.Wr(0x11, c.trcsr);
        if (c.trcsr & TSci::TRCSR_TE) {
            b.Rd(0x11);
            b.Wr(0x13, 0x01);
        }
        b.Pass(c.after);
        b.Wr(0x03, 0x00);
        EXPECT_EQ(b.Rd(0x03) & 0x18, c.pins);
        EXPECT_EQ(b.board.Port2.PinLevel(4), c.pins >> 4 & 1);
    }
}
