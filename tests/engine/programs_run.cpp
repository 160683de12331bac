// Whole programs, hand-assembled, running on the board with the device clocks ticking between
// instructions the way the command line's virtual clock does it.
#include <functional>
#include <vector>

#include "tests/engine/devices_fixture.h"

namespace {
struct Placed {
    uint16_t address;
    std::vector<uint8_t> bytes;
};
} // namespace

class ProgramTest : public BoardTest {
protected:
    int timerEvery = 5;
    int sciEvery = 150;
    int steps = 0;
    int16_t lastLine = 0;
    // Called before each step with its 1-based number (user actions between instructions).
    std::function<void(int)> beforeStep;

    // Places code (every byte tagged with a positive source line) and sets the reset vector.
    void Load(std::initializer_list<Placed> blocks, uint16_t start = 0x1000) {
        int16_t line = 1;
        for (const Placed& block : blocks) {
            uint16_t a = block.address;
            for (uint8_t b : block.bytes)
                board.Memory.Write(a++, MemoryCell{b, line++}, false);
        }
        Vector(0xFFFE, start);
        board.ResetForRun();
        board.loaded = true;
    }
    void Vector(uint16_t at, uint16_t target) {
        board.Memory.Write(at, MemoryCell{static_cast<uint8_t>(target >> 8), 1}, false);
        board.Memory.Write(static_cast<uint16_t>(at + 1), MemoryCell{static_cast<uint8_t>(target), 1}, false);
    }
    // Steps until the program is left (negative line) or the limit; returns true when left.
    bool Run(int limit) {
        for (steps = 1; steps <= limit; ++steps) {
            if (beforeStep) beforeStep(steps);
            uint8_t status = 0;
            lastLine = board.Cpu.Step(status);
            EXPECT_EQ(status, 0) << "step " << steps;
            if (steps % timerEvery == 0) board.Timer.TimerTick();
            if (steps % sciEvery == 0) board.Sci.SciTick();
            if (lastLine < 0) return true;
        }
        return false;
    }
    uint8_t Peek(uint16_t address) { return board.Memory.Cells[address].Value; }
};

TEST_F(ProgramTest, PollsTimerForOutputCompare) {
    Load({{0x1000,
           {
               0xDC, 0x09,       // LDD  $09        counter
               0xC3, 0x00, 0x14, // ADDD #20
               0xDD, 0x0B,       // STD  $0B        compare = counter + 20, OCF cleared
               0x96, 0x08,       // loop: LDAA $08
               0x84, 0x40,       // ANDA #$40       OCF
               0x27, 0xFA,       // BEQ  loop
               0x86, 0xAA,       // LDAA #$AA
               0x97, 0x80,       // STAA $80
           }}});
    uint16_t start = board.Timer.Counter;
    ASSERT_TRUE(Run(10000));
    EXPECT_EQ(Peek(0x80), 0xAA);
    EXPECT_EQ(board.Timer.OutputCompare, static_cast<uint16_t>(start + 20));
    EXPECT_LE(static_cast<uint16_t>(board.Timer.Counter - board.Timer.OutputCompare), 1);
    EXPECT_GE(steps, 20 * timerEvery);
}

TEST_F(ProgramTest, TransmitsTwoBytes) {
    Load({{0x1000,
           {
               0x86, 0x02,       // LDAA #TE
               0x97, 0x11,       // STAA $11
               0xCE, 0x10, 0x20, // LDX  #text
               0xE6, 0x00,       // next: LDAB 0,X
               0x27, 0x0C,       // BEQ  done
               0x96, 0x11,       // wait: LDAA $11
               0x84, 0x20,       // ANDA #TDRE
               0x27, 0xFA,       // BEQ  wait
               0xD7, 0x13,       // STAB $13
               0x08,             // INX
               0x20, 0xF1,       // BRA  next
               0x01,             // NOP
               0x96, 0x11,       // done: LDAA $11
               0x84, 0x20,       // ANDA #TDRE     until the last byte has left
               0x27, 0xFA,       // BEQ  done
           }},
          {0x1020, {'A', 'B', 0}}});
    board.Sci.DisplayMode = SciDisplayMode::Hex;
    ASSERT_TRUE(Run(100000));
    EXPECT_EQ(board.Sci.Transmitted, (std::vector<uint8_t>{'A', 'B'}));
    EXPECT_EQ(board.Sci.Output(), "42 41 ");
}

TEST_F(ProgramTest, EchoesAReceivedByte) {
    Load({{0x1000,
           {
               0x86, 0x01, // LDAA #1        9600, as the external system
               0x97, 0x10, // STAA $10
               0x86, 0x0A, // LDAA #RE|TE
               0x97, 0x11, // STAA $11
               0x96, 0x11, // rx: LDAA $11
               0x2A, 0xFC, // BPL  rx        RDRF is bit 7
               0xD6, 0x12, // LDAB $12
               0x96, 0x11, // tx: LDAA $11
               0x84, 0x20, // ANDA #TDRE
               0x27, 0xFA, // BEQ  tx
               0xD7, 0x13, // STAB $13
               0x96, 0x11, // w: LDAA $11
               0x84, 0x20, // ANDA #TDRE
               0x27, 0xFA, // BEQ  w
           }}});
    beforeStep = [&](int step) {
        if (step == 500) board.Sci.DeliverByte('Z');
    };
    ASSERT_TRUE(Run(100000));
    EXPECT_EQ(board.Cpu.B, 'Z');
    EXPECT_EQ(board.Sci.Transmitted, std::vector<uint8_t>{'Z'});
    EXPECT_EQ(board.Sci.Output(), "Z");
    EXPECT_FALSE(board.Sci.TRCSR & TSci::TRCSR_ORFE);
}

TEST_F(ProgramTest, BlinksOutputsAndReadsAnInputPin) {
    Load({{0x1000,
           {
               0x86, 0x0F, // LDAA #$0F
               0x97, 0x00, // STAA $00       pins 3-0 outputs
               0xC6, 0x05, // LDAB #5
               0x86, 0x05, // LDAA #$05
               0x97, 0x02, // loop: STAA $02
               0x43,       // COMA
               0x5A,       // DECB
               0x26, 0xFA, // BNE  loop
               0x96, 0x02, // LDAA $02
               0x84, 0x80, // ANDA #$80      pin 7, an input
               0x97, 0x80, // STAA $80
           }}});
    std::vector<uint8_t> levels;
    board.Port1.onChanged = [&] { levels.push_back(board.Port1.Level); };
    board.Port1.TogglePin(7); // the user sets the switch on pin 7
    levels.clear();
    ASSERT_TRUE(Run(1000));
    // The direction write, then five data writes; pin 7 keeps the user's level throughout.
    EXPECT_EQ(levels, (std::vector<uint8_t>{0x80, 0x85, 0x8A, 0x85, 0x8A, 0x85}));
    EXPECT_EQ(Peek(0x80), 0x80);
    for (int pin = 0; pin < 4; ++pin)
        EXPECT_LE(board.Port1.PinImage(pin), PinImageKind::OutputHigh);
    EXPECT_EQ(board.Port1.PinImage(7), PinImageKind::InputHigh);
}

TEST_F(ProgramTest, TraceTriggeredByVariableWriteRecordsWrites) {
    Load({{0x1000,
           {
               0x8E, 0x00, 0xFF, // LDS  #$00FF
               0x86, 0x11,       // LDAA #$11
               0x97, 0xA0,       // STAA $A0       before the trigger
               0x86, 0x22,       // LDAA #$22
               0x97, 0x90,       // STAA $90       the variable: trigger
               0x96, 0xA0,       // LDAA $A0       a read: not qualified
               0x4C,             // INCA
               0x97, 0xA1,       // STAA $A1
               0x36,             // PSHA
               0x32,             // PULA
           }}});
    TTrace& trace = board.Memory.Trace;
    trace.Triggers.Add(*ParseCondition("0090", "x", "W"));
    trace.Qualifiers.Add(*ParseCondition("xxxx", "xx", "Write"));
    board.Memory.TraceEnabled = true;
    ASSERT_TRUE(Run(100));
    std::vector<std::string> rows;
    for (const TraceRow& row : trace.Rows()) {
        TraceColumns t = FormatTraceRow(row);
        rows.push_back(t.Address + " " + t.Data + " " + t.Direction);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"0090 22 W", "00A1 12 W", "00FF 12 W"}));
}

TEST_F(ProgramTest, OutputCompareInterruptRepeats) {
    Load({{0x1000,
           {
               0x8E, 0x00, 0xFF, // LDS  #$00FF
               0x86, 0x08,       // LDAA #EOCI
               0x97, 0x08,       // STAA $08
               0xDC, 0x09,       // LDD  $09
               0xC3, 0x00, 0x0A, // ADDD #10
               0xDD, 0x0B,       // STD  $0B
               0x0E,             // CLI
               0x20, 0xFE,       // BRA  *
           }},
          {0x1020,
           {
               0x7C, 0x00, 0x80, // INC  $80
               0xDC, 0x0B,       // LDD  $0B
               0xC3, 0x00, 0x0A, // ADDD #10
               0xDD, 0x0B,       // STD  $0B       next compare, OCF cleared
               0x3B,             // RTI
           }}});
    Vector(0xFFF4, 0x1020);
    EXPECT_FALSE(Run(1000));
    // 200 ticks, one interrupt every 10 of them.
    EXPECT_GE(Peek(0x80), 18);
    EXPECT_LE(Peek(0x80), 20);
    EXPECT_EQ(board.Cpu.SP, 0x00FF);
}
