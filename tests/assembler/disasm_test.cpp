// The disassembler's lines and the S-record reader. The round trip source -> S-records ->
// disassembled source -> S-records runs through orlek-cli in tests/cli/cli_dis_test.cpp.
#include "tests/assembler/asm_fixture.h"

#include <map>

#include "assembler/disasm.h"
#include "assembler/srecord.h"
#include "engine/hex.h"

namespace {

std::string LineText(uint16_t address, const std::vector<uint8_t>& bytes) {
    const TDisLine line = DecodeLine(address, bytes);
    const TLabelOf labelOf = [](uint16_t value) {
        return value == 0x2000 ? std::string("ZACETI") : std::string();
    };
    const std::string operand = OperandText(line, labelOf);
    return MnemonicText(line) + (operand.empty() ? "" : " " + operand);
}

// One S-record with its count and checksum.
std::string Record(char type, uint16_t address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size() + 3), static_cast<uint8_t>(address >> 8),
                                  static_cast<uint8_t>(address)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string text = std::string("S") + type;
    for (uint8_t b : bytes) {
        sum += b;
        text += HexText(b, 2);
    }
    return text + HexText(static_cast<uint8_t>(~sum), 2) + "\n";
}

} // namespace

TEST(DisassemblerTest, WritesEveryFormAsTheAssemblerReadsIt) {
    struct Case {
        uint16_t address;
        std::vector<uint8_t> bytes;
        const char* text;
        uint8_t length;
    };
    const Case cases[] = {
        {0x2000, {0x01}, "NOP", 1},
        {0x2000, {0x86, 0x41}, "LDAA #$41", 2},
        {0x2000, {0xCE, 0x12, 0x34}, "LDX #$1234", 3},
        {0x2000, {0x96, 0x80}, "LDAA $80", 2},
        {0x2000, {0xA6, 0x05}, "LDAA $05,X", 2},
        {0x2000, {0x7E, 0x20, 0x00}, "JMP ZACETI", 3}, // an address with a label
        {0x2000, {0xB6, 0x12, 0x34}, "LDAA $1234", 3},
        {0x2000, {0x20, 0xFE}, "BRA ZACETI", 2}, // a branch to itself
        {0x2000, {0x26, 0x10}, "BNE $2012", 2},  // a target without a label
        {0x2000, {0x00}, "FCB $00", 1},          // no opcode
        {0x2000, {0xB6, 0x10}, "FCB $B6", 1},    // the operand is cut off
        {0xFFFE, {0x20, 0x00}, "FDB ZACETI", 2}, // the reset vector
        {0xFFF3, {0x20}, "FCB $20", 1},          // an odd byte among the vectors
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineText(c.address, c.bytes), c.text);
        EXPECT_EQ(DecodeLine(c.address, c.bytes).Length, c.length) << c.text;
    }
    // An instruction never runs past $FFFF, nor into the vectors.
    for (auto [address, window] :
         {std::pair<uint16_t, size_t>{0x2000, 3}, {0xFFEE, 2}, {0xFFEF, 1}, {0xFFF0, 2}, {0xFFFF, 1}})
        EXPECT_EQ(DecodeWindow(address), window) << std::hex << address;
    EXPECT_EQ(DisRowText(DecodeLine(0x2006, std::vector<uint8_t>{0xB6, 0x10, 0x01}), "ZANKA", "STEVEC+1"),
              "2006  B6 10 01  ZANKA   LDAA STEVEC+1");
}

TEST(DisassemblerTest, KnowsWhichLinesNeedALabelOrBytesToReassemble) {
    const auto line = [](std::vector<uint8_t> bytes) { return DecodeLine(0x2000, bytes); };
    EXPECT_TRUE(ExtendedNeedsLabel(line({0xB6, 0x00, 0x80})));  // LDAA $80 would be direct
    EXPECT_FALSE(ExtendedNeedsLabel(line({0xB6, 0x01, 0x00}))); // above $FF
    EXPECT_FALSE(ExtendedNeedsLabel(line({0x7E, 0x00, 0x80}))); // JMP has no direct form
    EXPECT_FALSE(Reassemblable(line({0x20, 0x80})));            // back by 128: refused by the assembler
    EXPECT_TRUE(Reassemblable(line({0x20, 0x81})));
}

TEST(SRecordReaderTest, ReadsWhatTheWriterWrote) {
    TMemory memory;
    TCompiler compiler(memory, ORLEK_PROGRAM_DIR);
    ASSERT_EQ(compiler.Compile({"       org $2000", "start  ldaa #$41", "       sm $3000 1 2",
                                "       org $fffe", "       fdb start"}),
              kOk);
    const TCodeImage image = ReadSRecords(MakeSRecords(memory, "prog.asm", 2));
    EXPECT_EQ(image.Name, "prog.asm");
    ASSERT_TRUE(image.Start.has_value());
    EXPECT_EQ(*image.Start, 0x2000);
    for (uint32_t a = 0; a < 0x10000; ++a) {
        const MemoryCell& cell = memory.Cells[a];
        ASSERT_EQ(image.Has(a), cell.Line > 0 || cell.Line == PresetLine) << a;
        if (image.Has(a)) {
            EXPECT_EQ(image.Bytes[a], cell.Value) << a;
        }
    }
    // Blank lines and CR line ends are fine.
    EXPECT_TRUE(ReadSRecords("\r\n" + Record('1', 0x10, {1}) + "\r\n").Has(0x10));
}

TEST(SRecordReaderTest, RefusesMalformedRecordsNamingTheLine) {
    std::string badSum = Record('1', 0x2000, {1, 2});
    badSum[badSum.size() - 2] = badSum[badSum.size() - 2] == '0' ? '1' : '0';
    const std::pair<std::string, std::string> cases[] = {
        {"X1030000FC\n", "vrstici 1: vrstica ni zapis S"},
        {Record('0', 0, {}) + "S1040000GG00\n", "vrstici 2: \"GG\" ni šestnajstiški bajt"},
        {"S1050000FF\n", "vrstici 1: dolžina 5 se ne ujema z 3 bajti"},
        {badSum, "vrstici 1: napačna kontrolna vsota"},
        {Record('2', 0x1234, {0, 0}), "vrstici 1: zapis S2 ima naslov, daljši od 16 bitov"},
        {Record('1', 0xFFFF, {1, 2}), "podatki segajo čez naslov $FFFF"},
        {Record('1', 0x2000, {1, 2}) + Record('1', 0x2001, {3}),
         "vrstici 2: naslov $2001 je zapisan že prej"},
    };
    for (const auto& [text, expected] : cases) {
        try {
            ReadSRecords(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const SRecordError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
}
