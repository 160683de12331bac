// orlek-cli dis: the listing, the source that assembles to the same bytes, and bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <string_view>

#include "assembler/srecord.h"
#include "engine/memory.h"
#include "isa/isa.h"
#include "tests/cli/cli_process.h"

namespace {

using Lines = std::vector<std::string>;

std::string SourceFile(const std::string& relative) { return std::string(ORLEK_SOURCE_DIR) + "/" + relative; }

void Write(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// The S-records without the S0 header, which names the source file.
std::string Body(const std::string& srec) { return srec.substr(srec.find('\n') + 1); }

// A program with one line per row of the instruction table: every opcode in its mode. Extended
// operands alternate between an address above $FF and a label for $12 (which must stay
// extended); each branch goes to itself.
std::string EveryOpcodeProgram() {
    std::string text =
        "MALA    EQU $12\n        ORG $FFFE\n        FDB START\n        ORG $2000\nSTART   NOP\n";
    int n = 0;
    for (const IsaEntry& e : IsaTable()) {
        std::string label, operand;
        switch (e.Mode) {
        case AddressingMode::Immediate:
            operand = e.Size == 3 ? "#$1234" : "#$12";
            break;
        case AddressingMode::Direct:
            operand = "$12";
            break;
        case AddressingMode::Indexed:
            operand = "$12,X";
            break;
        case AddressingMode::Extended:
            operand = ++n % 2 ? "$1234" : "MALA";
            break;
        case AddressingMode::Relative:
            label = "B" + std::to_string(++n);
            operand = label;
            break;
        case AddressingMode::Inherent:
        case AddressingMode::None:
            break;
        }
        text += label + std::string(8 - label.size(), ' ') + e.Mnemonic + " " + operand + "\n";
    }
    return text + "        END\n";
}

// S-records of cells set by hand: bytes the assembler would never choose by itself.
std::string ImageRecords(const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& runs) {
    TMemory memory;
    for (const auto& [address, bytes] : runs)
        for (size_t i = 0; i < bytes.size(); ++i)
            memory.Cells[static_cast<uint16_t>(address + i)] = MemoryCell{bytes[i], 1};
    return MakeSRecords(memory, "slika");
}

} // namespace

TEST(CliDisTest, ListsAddressBytesLabelAndInstruction) {
    TempDir dir;
    const std::string srec = dir.Path("sample.s19");
    ASSERT_EQ(RunCli({"asm", SourceFile("assembler/data/sample.asm"), "--srec", srec}).exit, 0);
    CliResult r = RunCli({"dis", srec});
    EXPECT_EQ(r.exit, 0) << r.err;
    const Lines lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 12u) << r.out;
    EXPECT_EQ(lines[0], "2000  7F 10 00  L2000   CLR  $1000");
    EXPECT_EQ(lines[2], "2006  B6 10 01  L2006   LDAA $1001");
    EXPECT_EQ(lines[3], "2009  8B 01             ADDA #$01");
    EXPECT_EQ(lines[10], "2018  20 EC             BRA  L2006");
    EXPECT_EQ(lines[11], "FFFE  20 00             FDB  L2000");

    r = RunCli({"dis", srec, "--from", "2006", "--count", "2"});
    EXPECT_EQ(SplitLinesLf(r.out),
              (Lines{"2006  B6 10 01          LDAA $1001", "2009  8B 01             ADDA #$01"}));
    r = RunCli({"dis", srec, "--from", "$3000", "--count", "2"});
    EXPECT_EQ(r.exit, 0);
    EXPECT_EQ(SplitLinesLf(r.out), (Lines{"FFFE  20 00             FDB  $2000"}));
}

TEST(CliDisTest, SourceAssemblesToTheSameBytesAtTheSameAddresses) {
    TempDir dir;
    // Programs the assembler wrote...
    Write(dir.Path("opcodes.asm"), EveryOpcodeProgram());
    std::vector<std::string> programs = {dir.Path("opcodes.asm"), SourceFile("assembler/data/sample.asm")};
    for (const char* example : {"kvadrat.asm", "primerjalnik.asm", "sprejem.asm", "utripanje.asm"})
        programs.push_back(SourceFile(std::string("examples/") + example));
    std::vector<std::string> records;
    for (const std::string& program : programs) {
        const std::string srec = dir.Path("p" + std::to_string(records.size()) + ".s19");
        const CliResult r = RunCli({"asm", program, "--srec", srec});
        ASSERT_EQ(r.exit, 0) << program << ": " << r.err;
        records.push_back(ReadFile(srec));
    }
    // ...and images it would not write: an extended address of $80, a branch back by 128 bytes
    // (both only as bytes), and a full address space of NOPs, too long for one line per
    // instruction.
    records.push_back(
        ImageRecords({{0x2000, {0xB6, 0x00, 0x80, 0x20, 0x80, 0x7E, 0x20, 0x00}}, {0xFFFE, {0x20, 0x00}}}));
    // (The on-chip registers below $20 keep no bytes: the assembler's writes go to the devices.)
    records.push_back(ImageRecords({{0x0020, std::vector<uint8_t>(0xFFDE, 0x01)}, {0xFFFE, {0x00, 0x20}}}));

    for (size_t i = 0; i < records.size(); ++i) {
        const std::string before = dir.Path("before.s19"), source = dir.Path("dis.asm"),
                          after = dir.Path("after.s19");
        Write(before, records[i]);
        CliResult r = RunCli({"dis", before, "--source"});
        ASSERT_EQ(r.exit, 0) << r.err;
        ASSERT_EQ(r.err, "");
        Write(source, r.out);
        r = RunCli({"asm", source, "--srec", after});
        ASSERT_EQ(r.exit, 0) << "program " << i << ": " << r.err << "\n" << ReadFile(source).substr(0, 2000);
        EXPECT_EQ(Body(ReadFile(after)), Body(records[i])) << "program " << i;
    }
}

TEST(CliDisTest, BadInputIsRefusedWithAMessage) {
    TempDir dir;
    const std::string broken = dir.Path("broken.s19");
    Write(broken, "S1130000\n");
    const std::string empty = dir.Path("empty.s19");
    Write(empty, "S9030000FC\n");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"dis"}, "manjka datoteka z zapisi S"},
        {{"dis", dir.Path("none.s19")}, "datoteka ali mapa ne obstaja"},
        {{"dis", dir.Dir()}, "je mapa"},
        {{"dis", broken}, "zapis S v vrstici 1: dolžina 19 se ne ujema z 2 bajti"},
        {{"dis", empty, "--from", "10000"}, "--from: naslov je večji od FFFF"},
        {{"dis", empty, "--count", "0"}, "--count"},
        {{"asm", broken, "--source"}, "--source velja samo za ukaz dis"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, 2) << message;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    // No bytes at all is no error, but it is said.
    const CliResult r = RunCli({"dis", empty});
    EXPECT_EQ(r.exit, 0);
    EXPECT_NE(r.err.find("nima bajtov"), std::string::npos) << r.err;
}
