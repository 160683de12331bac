// The bus accesses of a step, in order, as the trace recorder sees them.
#include <vector>

#include "tests/engine/cpu_fixture.h"

// Comparison and printing for the recorder's rows; found by argument-dependent lookup, so they
// live beside TraceRow in the global namespace (internal linkage).
static bool operator==(const TraceRow& a, const TraceRow& b) {
    return a.Address == b.Address && a.Data == b.Data && a.Direction == b.Direction;
}
[[maybe_unused]] static void PrintTo(const TraceRow& r, std::ostream* os) {
    *os << std::hex << r.Address << ":" << int(r.Data) << (r.Direction ? "W" : "R");
}

namespace {

constexpr uint8_t R = 0, W = 1;

class BusTest : public CpuTest {
protected:
    void SetUp() override {
        // Armed at once and recording every read and write.
        memory->Trace.Triggers.Add(TraceCondition{0, 0, 0, 0, R});
        memory->Trace.Qualifiers.Add(TraceCondition{0, 0, 0, 0, R});
        memory->Trace.Qualifiers.Add(TraceCondition{0, 0, 0, 0, W});
        memory->TraceEnabled = true;
    }
    std::vector<TraceRow> Rows() { return memory->Trace.Rows(); }
};

TEST_F(BusTest, ReadModifyWriteFetchesTheAddressAgainForTheWrite) {
    Put(0x2000, {0x7C, 0x30, 0x00, 0x01}); // INC $3000; NOP
    Put(0x3000, {0x41});
    cpu.PC = 0x2000;
    Step();
    const std::vector<TraceRow> expected = {
        {0x2000, 0x7C, R}, {0x2001, 0x30, R}, {0x2002, 0x00, R}, {0x3000, 0x41, R},
        {0x2001, 0x30, R}, {0x2002, 0x00, R}, {0x3000, 0x42, W}, {0x2003, 0x01, R},
    };
    EXPECT_EQ(Rows(), expected);
}

TEST_F(BusTest, IndexedStoreWordAndTheFinalReadOfTheNextOpcode) {
    Put(0x2000, {0xEF, 0x10, 0x86}); // STX $10,X; then LDAA...
    cpu.X = 0x1234;
    cpu.PC = 0x2000;
    Step();
    const std::vector<TraceRow> expected = {
        {0x2000, 0xEF, R}, {0x2001, 0x10, R}, {0x1244, 0x12, W}, {0x1245, 0x34, W}, {0x2002, 0x86, R},
    };
    EXPECT_EQ(Rows(), expected);
}

TEST_F(BusTest, InterruptEntryStacksThenReadsTheVectorTwice) {
    Put(0x2000, {0x01});
    PutWord(0xFFF8, 0x5100);
    Put(0x5100, {0x3B});
    cpu.PC = 0x2000;
    cpu.SP = 0x01FF;
    cpu.A = 0xAA;
    cpu.B = 0xBB;
    cpu.JoinD();
    cpu.X = 0x1234;
    cpu.UnpackCCR(0);
    cpu.Pending.set(InterruptSource::IRQ);
    Step();
    const std::vector<TraceRow> expected = {
        {0x2000, 0x01, R}, {0xFFF8, 0x51, R}, {0xFFF9, 0x00, R}, // zero test
        {0x01FF, 0x01, W}, {0x01FE, 0x20, W}, {0x01FD, 0x34, W}, {0x01FC, 0x12, W}, {0x01FB, 0xAA, W},
        {0x01FA, 0xBB, W}, {0x01F9, 0xC0, W}, {0xFFF8, 0x51, R}, {0xFFF9, 0x00, R}, // entry
        {0x5100, 0x3B, R},
    };
    EXPECT_EQ(Rows(), expected);
}

TEST_F(BusTest, ResetReadsItsVectorThroughTheTrace) {
    PutWord(0xFFFE, 0x2000);
    cpu.Reset();
    const std::vector<TraceRow> expected = {{0xFFFE, 0x20, R}, {0xFFFF, 0x00, R}};
    EXPECT_EQ(Rows(), expected);
}

} // namespace
