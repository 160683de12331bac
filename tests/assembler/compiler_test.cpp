// The two passes: encodings against the data sheet, operand forms, directives, error statuses.
#include "tests/assembler/asm_fixture.h"

#include "base/encoding.h"

namespace {

using B = std::vector<uint8_t>;

// Opcode bytes written out from the MC6801/6803 data sheet (not from the shipped table).
TEST_F(AsmTest, InstructionBytesMatchTheDataSheet) {
    struct Case {
        const char* line;
        B bytes;
    } cases[] = {
        // inherent
        {" ABA", {0x1B}},
        {" ABX", {0x3A}},
        {" ASLD", {0x05}},
        {" LSRD", {0x04}},
        {" MUL", {0x3D}},
        {" NOP", {0x01}},
        {" PSHX", {0x3C}},
        {" PULX", {0x38}},
        {" RTI", {0x3B}},
        {" RTS", {0x39}},
        {" SWI", {0x3F}},
        {" WAI", {0x3E}},
        {" DAA", {0x19}},
        {" TAP", {0x06}},
        {" TPA", {0x07}},
        {" INX", {0x08}},
        {" DEX", {0x09}},
        {" CLV", {0x0A}},
        {" SEV", {0x0B}},
        {" CLC", {0x0C}},
        {" SEC", {0x0D}},
        {" CLI", {0x0E}},
        {" SEI", {0x0F}},
        {" SBA", {0x10}},
        {" CBA", {0x11}},
        {" TAB", {0x16}},
        {" TBA", {0x17}},
        {" TSX", {0x30}},
        {" INS", {0x31}},
        {" PULA", {0x32}},
        {" PULB", {0x33}},
        {" DES", {0x34}},
        {" TXS", {0x35}},
        {" PSHA", {0x36}},
        {" PSHB", {0x37}},
        {" NEGA", {0x40}},
        {" COMA", {0x43}},
        {" LSRA", {0x44}},
        {" RORA", {0x46}},
        {" ASRA", {0x47}},
        {" ASLA", {0x48}},
        {" ROLA", {0x49}},
        {" DECA", {0x4A}},
        {" INCA", {0x4C}},
        {" TSTA", {0x4D}},
        {" CLRA", {0x4F}},
        {" NEGB", {0x50}},
        {" COMB", {0x53}},
        {" LSRB", {0x54}},
        {" RORB", {0x56}},
        {" ASRB", {0x57}},
        {" ASLB", {0x58}},
        {" ROLB", {0x59}},
        {" DECB", {0x5A}},
        {" INCB", {0x5C}},
        {" TSTB", {0x5D}},
        {" CLRB", {0x5F}},
        // memory read-modify-write: indexed 6x, extended 7x (no direct forms)
        {" NEG 1,X", {0x60, 0x01}},
        {" COM $1234", {0x73, 0x12, 0x34}},
        {" LSR 2,X", {0x64, 0x02}},
        {" ROR $1234", {0x76, 0x12, 0x34}},
        {" ASR 0,X", {0x67, 0x00}},
        {" ASL $1234", {0x78, 0x12, 0x34}},
        {" ROL 3,X", {0x69, 0x03}},
        {" DEC $1234", {0x7A, 0x12, 0x34}},
        {" INC 4,X", {0x6C, 0x04}},
        {" TST $1234", {0x7D, 0x12, 0x34}},
        {" JMP 5,X", {0x6E, 0x05}},
        {" JMP $1234", {0x7E, 0x12, 0x34}},
        {" CLR 6,X", {0x6F, 0x06}},
        {" CLR $10", {0x7F, 0x00, 0x10}},
        // A side: immediate 8x, direct 9x, indexed Ax, extended Bx
        {" SUBA #$12", {0x80, 0x12}},
        {" CMPA $12", {0x91, 0x12}},
        {" SBCA 1,X", {0xA2, 0x01}},
        {" SUBD #$1234", {0x83, 0x12, 0x34}},
        {" SUBD $12", {0x93, 0x12}},
        {" ANDA $1234", {0xB4, 0x12, 0x34}},
        {" BITA #1", {0x85, 0x01}},
        {" LDAA #$12", {0x86, 0x12}},
        {" LDAA $12", {0x96, 0x12}},
        {" LDAA 18,X", {0xA6, 0x12}},
        {" LDAA $1234", {0xB6, 0x12, 0x34}},
        {" STAA $12", {0x97, 0x12}},
        {" STAA 0,X", {0xA7, 0x00}},
        {" STAA $1234", {0xB7, 0x12, 0x34}},
        {" EORA #1", {0x88, 0x01}},
        {" ADCA #1", {0x89, 0x01}},
        {" ORAA #1", {0x8A, 0x01}},
        {" ADDA #1", {0x8B, 0x01}},
        {" CPX #$1234", {0x8C, 0x12, 0x34}},
        {" CPX $12", {0x9C, 0x12}},
        {" JSR $12", {0x9D, 0x12}},
        {" JSR 1,X", {0xAD, 0x01}},
        {" JSR $1234", {0xBD, 0x12, 0x34}},
        {" LDS #$1234", {0x8E, 0x12, 0x34}},
        {" LDS $12", {0x9E, 0x12}},
        {" STS $12", {0x9F, 0x12}},
        {" STS $1234", {0xBF, 0x12, 0x34}},
        // B side: Cx Dx Ex Fx
        {" SUBB #1", {0xC0, 0x01}},
        {" CMPB #1", {0xC1, 0x01}},
        {" SBCB #1", {0xC2, 0x01}},
        {" ADDD #$1234", {0xC3, 0x12, 0x34}},
        {" ADDD $12", {0xD3, 0x12}},
        {" ADDD 1,X", {0xE3, 0x01}},
        {" ADDD $1234", {0xF3, 0x12, 0x34}},
        {" ANDB #1", {0xC4, 0x01}},
        {" BITB #1", {0xC5, 0x01}},
        {" LDAB #1", {0xC6, 0x01}},
        {" LDAB $12", {0xD6, 0x12}},
        {" STAB $12", {0xD7, 0x12}},
        {" STAB 1,X", {0xE7, 0x01}},
        {" EORB #1", {0xC8, 0x01}},
        {" ADCB #1", {0xC9, 0x01}},
        {" ORAB #1", {0xCA, 0x01}},
        {" ADDB #1", {0xCB, 0x01}},
        {" LDD #$1234", {0xCC, 0x12, 0x34}},
        {" LDD $12", {0xDC, 0x12}},
        {" LDD 1,X", {0xEC, 0x01}},
        {" LDD $1234", {0xFC, 0x12, 0x34}},
        {" STD $12", {0xDD, 0x12}},
        {" STD 1,X", {0xED, 0x01}},
        {" STD $1234", {0xFD, 0x12, 0x34}},
        {" LDX #$1234", {0xCE, 0x12, 0x34}},
        {" LDX $12", {0xDE, 0x12}},
        {" LDX 1,X", {0xEE, 0x01}},
        {" LDX $1234", {0xFE, 0x12, 0x34}},
        {" STX $12", {0xDF, 0x12}},
        {" STX 1,X", {0xEF, 0x01}},
        {" STX $1234", {0xFF, 0x12, 0x34}},
        // alternative spellings
        {" LSLD", {0x05}},
        {" LSLA", {0x48}},
        {" LSLB", {0x58}},
        {" LSL $1234", {0x78, 0x12, 0x34}},
        // lower case is upper-cased before the lookup
        {" ldaa #$12", {0x86, 0x12}},
    };
    for (const Case& c : cases) {
        CompileResult r;
        EXPECT_EQ(Bytes({c.line}, &r), c.bytes) << c.line;
        EXPECT_EQ(r, kOk) << c.line;
    }
    // Branches to themselves: displacement -2.
    struct Branch {
        const char* mnemonic;
        uint8_t opcode;
    } branches[] = {{"BRA", 0x20}, {"BRN", 0x21}, {"BHI", 0x22}, {"BLS", 0x23}, {"BCC", 0x24},
                    {"BHS", 0x24}, {"BCS", 0x25}, {"BLO", 0x25}, {"BNE", 0x26}, {"BEQ", 0x27},
                    {"BVC", 0x28}, {"BVS", 0x29}, {"BPL", 0x2A}, {"BMI", 0x2B}, {"BGE", 0x2C},
                    {"BLT", 0x2D}, {"BGT", 0x2E}, {"BLE", 0x2F}, {"BSR", 0x8D}};
    for (const Branch& b : branches) {
        std::string line = std::string("T ") + b.mnemonic + " T";
        EXPECT_EQ(Bytes({line}), (B{b.opcode, 0xFE})) << line;
    }
}

TEST_F(AsmTest, FieldScannerCutsCommentsAndKeepsQuotedText) {
    // Label, mnemonic, operand; the comment needs no space before the semicolon.
    EXPECT_EQ(Bytes({"STEVEC RMB 2", Utf8ToCp1250("zanka  ldaa stevec+1; prištevanje")}),
              (B{0xB6, 0x01, 0x01}));
    uint16_t v = 0;
    ASSERT_TRUE(compiler.FindLabel("ZANKA", v));
    EXPECT_EQ(v, 0x0102);
    // The asterisk starts a comment.
    EXPECT_EQ(Bytes({" LDAA #2*3"}), (B{0x86, 0x02}));
    // Between double quotes ";" "*" and spaces are text, and the case is kept.
    EXPECT_EQ(Bytes({" FCC \"a;b c\""}), (B{'a', ';', 'b', ' ', 'c'}));
    EXPECT_EQ(Bytes({" FCC \"*x\" trailing words are ignored"}), (B{'*', 'x'}));
    EXPECT_EQ(Bytes({" FCC \"\""}), B{});
    // Windows-1250 bytes pass through unchanged: "Šš" is 8A 9A.
    EXPECT_EQ(Bytes({Utf8ToCp1250(" fcc \"Šš\"")}), (B{0x8A, 0x9A}));
    EXPECT_EQ(Bytes({Utf8ToCp1250(" SM $200 \"š\""), " NOP"}), B{0x01});
    EXPECT_EQ(memory.Cells[0x200].Value, 0x9A);
    // Only spaces separate fields: a TAB belongs to its token.
    CompileResult r;
    Bytes({" \tNOP"}, &r);
    EXPECT_EQ(r, Result(5, Status::UnknownInstruction));
    Bytes({" NOP\t"}, &r);
    EXPECT_EQ(r, Result(5, Status::UnknownInstruction));
    // A label holding "+" is accepted but cannot be referenced with an offset.
    EXPECT_EQ(Bytes({"A+B NOP"}), B{0x01});
}

TEST_F(AsmTest, AddressingModeFollowsTheOperandShape) {
    EXPECT_EQ(Bytes({" LDAA $10"}), (B{0x96, 0x10}));
    EXPECT_EQ(Bytes({" LDAA $0010"}), (B{0x96, 0x10})); // the value decides, not the digits
    EXPECT_EQ(Bytes({" LDAA %11111111"}), (B{0x96, 0xFF}));
    EXPECT_EQ(Bytes({" LDAA 256"}), (B{0xB6, 0x01, 0x00}));
    EXPECT_EQ(Bytes({"TEN EQU $10", " LDAA TEN"}), (B{0xB6, 0x00, 0x10})); // labels never Direct
    EXPECT_EQ(Bytes({" LDAA 5,x"}), (B{0xA6, 0x05}));
    EXPECT_EQ(Bytes({" LDX #$1234"}), (B{0xCE, 0x12, 0x34}));
    EXPECT_EQ(Bytes({" LDAA #$1234"}), (B{0x86, 0x34}));
    EXPECT_EQ(Bytes({" LDAA #%10101"}), (B{0x86, 21}));
    EXPECT_EQ(Bytes({" LDAA #0x1f"}), (B{0x86, 31}));
    EXPECT_EQ(Bytes({" LDAA #-1"}), (B{0x86, 0xFF}));
    EXPECT_EQ(Bytes({" LDAA #'a'"}), (B{0x86, 'A'}));
    EXPECT_EQ(Bytes({" LDX #'a'"}), (B{0xCE, 0x00, 'A'}));
    EXPECT_EQ(Bytes({"COUNT EQU $1000", " LDX #COUNT+1"}), (B{0xCE, 0x10, 0x01}));
    EXPECT_EQ(Bytes({"COUNT EQU $1000", " LDAA COUNT+200"}), (B{0xB6, 0x0F, 0xC8}));
    EXPECT_EQ(Bytes({"ABCDEFGHIJKLMNOP EQU 1", "ABCDEFGHIJKLMNOQ EQU 2", " LDX #ABCDEFGHIJKLMNOX"}),
              (B{0xCE, 0x00, 0x01}));
    EXPECT_EQ(Bytes({" JMP FWD", "FWD FDB FWD"}), (B{0x7E, 0x01, 0x03, 0x01, 0x03}));
}

TEST_F(AsmTest, OperandErrors) {
    for (const char* line :
         {" LDAA ,X",  " LDAA OFF,X", " LDAA #5,X", " LDAA #%",     " LDAA %102",    " LDAA $",
          " LDAA #'A", " LDAA #'AB'", " LDAA #",    " LDAA 12Z",    " FCC \"abc",    " FCC abc",
          " FCC \"",   " FCB",        " RMB",       " RMB x1g",     " ORG",          " ORG +5",
          " ORG #1",   " FDB $",      " SM",        " SM $100 $1G", " SM $100 \"ab", " SM \"a\" 1"}) {
        std::vector<std::string> src = {line};
        CompileResult r = Asm(src);
        EXPECT_EQ(ResultStatus(r), Status::OperandError) << line;
        EXPECT_EQ(ResultLine(r), 2) << line;
    }
    // An offset that is not a number, even though the label exists.
    EXPECT_EQ(Asm({"COUNT EQU 1", " LDAA COUNT+1A"}), Result(3, Status::OperandError));
}

TEST_F(AsmTest, UnknownInstructionAndModesTheInstructionLacks) {
    for (const char* line : {" FOO", " BRA $2000", " NOP #1", " NOP $12", " STAA #1", " LDAA \"x\"",
                             " LDAA @1", " LDAAX", " LSRD 1,X"}) {
        EXPECT_EQ(Asm({line}), Result(2, Status::UnknownInstruction)) << line;
    }
    // An unknown mnemonic alone on line 1.
    EXPECT_EQ(Asm({"       lda #1"}), Result(2, Status::UnknownInstruction));
    // A malformed number keeps its OperandError even where the mnemonic is unknown.
    EXPECT_EQ(Asm({" FOO %102"}), Result(2, Status::OperandError));
}

TEST_F(AsmTest, RelativeDisplacementLimits) {
    // 127 bytes back from the next instruction is accepted, 128 is not (-128 is refused too).
    EXPECT_EQ(Bytes({"T RMB 125", " BRA T"}), (B{0x20, 0x81}));
    CompileResult r;
    Bytes({"T RMB 126", " BRA T"}, &r);
    EXPECT_EQ(r, Result(6, Status::BranchTooFar));
    // 127 forward is accepted, 128 is not.
    Bytes({" BRA T", " RMB 127", "T NOP"}, &r);
    EXPECT_EQ(r, kOk);
    EXPECT_EQ(memory.Cells[0x101].Value, 0x7F);
    Bytes({" BRA T", " RMB 128", "T NOP"}, &r);
    EXPECT_EQ(r, Result(5, Status::BranchTooFar));
    // Displacements wrap with the 16-bit address space.
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB $FFF0", " ORG $FFF0", " BRA T", " ORG $0020", "T NOP"}), kOk);
    EXPECT_EQ(memory.Cells[0xFFF1].Value, 0x2E); // $0020 - $FFF2
    // Offsets on branch targets.
    EXPECT_EQ(Bytes({"T NOP", " BRA T+1"}), (B{0x01, 0x20, 0xFE}));
}

TEST_F(AsmTest, DirectivesInBothPasses) {
    // A label on ORG gets the counter before the ORG; on EQU it gets the operand.
    ASSERT_EQ(Asm({" ORG $300", "HERE ORG $400", "VAL EQU $1234", " ORG $FFFE", " FDB HERE"}), kOk);
    uint16_t v = 0;
    ASSERT_TRUE(compiler.FindLabel("HERE", v));
    EXPECT_EQ(v, 0x300);
    ASSERT_TRUE(compiler.FindLabel("VAL", v));
    EXPECT_EQ(v, 0x1234);
    // ORG and EQU need labels defined earlier; instructions and FDB may look ahead.
    EXPECT_EQ(Asm({" ORG LATER", "LATER NOP"}), Result(2, Status::UndefinedLabel));
    EXPECT_EQ(Asm({"X EQU LATER", "LATER NOP"}), Result(2, Status::UndefinedLabel));
    EXPECT_EQ(Asm({"X EQU X"}), Result(2, Status::UndefinedLabel));
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB START", " ORG $100", "START NOP"}), kOk);
    EXPECT_EQ(memory.Cells[0xFFFE].Value, 0x01);
    EXPECT_EQ(memory.Cells[0xFFFE].Line, 2);
    EXPECT_EQ(memory.Cells[0x100].Line, 4);
    // RMB reserves without writing; FCB takes the low byte; SM writes preset bytes in place.
    EXPECT_EQ(Bytes({" FCB 1", " RMB 2", " FCB $1FF"}), (B{0x01}));
    EXPECT_EQ(memory.Cells[0x101].Line, NoLine);
    EXPECT_EQ(memory.Cells[0x103].Value, 0xFF);
    EXPECT_EQ(Bytes({" SM $200 1 \"a b\" $ff 0x10", " NOP"}), (B{0x01}));
    EXPECT_EQ(memory.Cells[0x200].Value, 1);
    EXPECT_EQ(memory.Cells[0x201].Value, 'a');
    EXPECT_EQ(memory.Cells[0x202].Value, ' ');
    EXPECT_EQ(memory.Cells[0x203].Value, 'b');
    EXPECT_EQ(memory.Cells[0x204].Value, 0xFF);
    EXPECT_EQ(memory.Cells[0x205].Value, 0x10);
    EXPECT_EQ(memory.Cells[0x205].Line, PresetLine);
    EXPECT_EQ(memory.Cells[0x206].Line, NoLine);
    // NAM is ignored; lines after END are never read.
    EXPECT_EQ(Bytes({" NAM whatever you like", " NOP", " END", " GARBAGE %%%"}), B{0x01});
    // ORG $FFFF then FDB: the high byte at $FFFF, the counter wraps to $0000.
    EXPECT_EQ(Asm({" ORG $FFFF", " FDB $1234", " RMB 2", "AFTER FCB 7", " ORG $FFFE"}),
              Result(0, Status::NoResetVector));
    EXPECT_EQ(memory.Cells[0xFFFF].Value, 0x12);
    ASSERT_TRUE(compiler.FindLabel("AFTER", v));
    EXPECT_EQ(v, 0x0003);
    // A bare label line takes the location counter.
    EXPECT_EQ(Asm({" ORG $40", "HERE", " ORG $FFFE", " FDB HERE"}), kOk);
    EXPECT_EQ(memory.Cells[0xFFFF].Value, 0x40);
}

TEST_F(AsmTest, ResetVectorDecidesSuccess) {
    EXPECT_EQ(Asm({}), Result(0, Status::NoResetVector));
    EXPECT_EQ(Asm({""}), Result(0, Status::NoResetVector));
    EXPECT_EQ(Asm({" ORG $100", " NOP"}), Result(0, Status::NoResetVector));
    // Only SM wrote it: preset bytes do not count.
    EXPECT_EQ(Asm({" SM $FFFE $01 $00"}), Result(0, Status::NoResetVector));
    EXPECT_EQ(memory.Cells[0xFFFE].Line, PresetLine);
    EXPECT_EQ(memory.Cells[0xFFFE].Value, 1);
}

TEST_F(AsmTest, SampleProgramAssembles) {
    // 23 lines: the line break after "end" ends that line (the editor shows an empty line 24).
    std::vector<std::string> lines = SplitLines(Utf8ToCp1250(SampleProgram()));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[22], "       end");
    EXPECT_EQ(lines[3].substr(0, 7), "       ");
    ASSERT_EQ(Asm(lines), kOk);
    EXPECT_EQ(memory.Cells[0xFFFE].Line, 8);
    EXPECT_EQ(memory.Cells[0xFFFE].Value, 0x20);
    EXPECT_EQ(memory.Cells[0xFFFF].Value, 0x00);
    B code;
    for (uint16_t a = 0x2000; memory.Cells[a].Line > 0; ++a)
        code.push_back(memory.Cells[a].Value);
    EXPECT_EQ(code, (B{0x7F, 0x10, 0x00, 0x7F, 0x10, 0x01, 0xB6, 0x10, 0x01, 0x8B, 0x01, 0x19, 0xB7,
                       0x10, 0x01, 0xB6, 0x10, 0x00, 0x89, 0x00, 0x19, 0xB7, 0x10, 0x00, 0x20, 0xEC}));
    EXPECT_EQ(memory.Cells[0x2000].Line, 11);
    EXPECT_EQ(memory.Cells[0x2018].Line, 22);
    uint16_t v = 0;
    ASSERT_TRUE(compiler.FindLabel("STEVEC+1", v));
    EXPECT_EQ(v, 0x1001);
    ASSERT_TRUE(compiler.FindLabel("ZANKA", v));
    EXPECT_EQ(v, 0x2006);
    ASSERT_EQ(compiler.Labels().Count(), 3u);
    EXPECT_EQ(compiler.Labels().Entries()[0].Name, "STEVEC");
    EXPECT_EQ(compiler.Labels().Entries()[2].Name, "ZANKA");
}

TEST_F(AsmTest, BreakpointsBelongOnInstructionLines) {
    // Accepted on instruction lines, with or without a label.
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB S", " ORG $100", "!S NOP", "!       NOP"}), kOk);
    EXPECT_EQ(memory.Cells[0x101].Line, 5);
    uint16_t v = 0;
    EXPECT_TRUE(compiler.FindLabel("S", v));
    // Refused on an empty, comment, label-only, directive or END line: the line is reported.
    for (const char* line : {"!", "!* comment", "!; comment", "!LABEL", "!       ORG $100", "!X EQU 1",
                             "!       FCB 1", "!       END"}) {
        EXPECT_EQ(Asm({" NOP", line, " NOP"}), Result(3, Status::MisplacedBreakpoint)) << line;
    }
    // The first error of a line is kept.
    EXPECT_EQ(Asm({"!1X NOP"}), Result(2, Status::UndefinedLabel));
}

TEST_F(AsmTest, ErrorLinesAndStateAfterFailure) {
    // Pass 1 failure: address space cleared, labels up to the failing line.
    EXPECT_EQ(Asm({" ORG $40", " NOP"}), Result(0, Status::NoResetVector));
    EXPECT_EQ(memory.Cells[0x40].Line, 2);
    EXPECT_EQ(Asm({" ORG $40", "A NOP", "", "B NOP", "* c", "1BAD NOP", "C NOP"}),
              Result(7, Status::UndefinedLabel));
    EXPECT_EQ(compiler.Labels().Count(), 2u);
    EXPECT_EQ(memory.Cells[0x40].Line, NoLine);
    // Pass 2 failure: bytes up to and including the failing line stay.
    EXPECT_EQ(Asm({" ORG $100", " NOP", "L FCB L", " NOP"}), Result(4, Status::OperandError));
    EXPECT_EQ(memory.Cells[0x100].Line, 2);
    EXPECT_EQ(memory.Cells[0x101].Line, NoLine);
    EXPECT_EQ(Asm({" ORG $100", " NOP", " SM $200 1 2 x", " NOP"}), Result(4, Status::OperandError));
    EXPECT_EQ(memory.Cells[0x201].Value, 2);
    EXPECT_EQ(memory.Cells[0x201].Line, PresetLine);
    EXPECT_EQ(Asm({" NOP", " JMP NOWHERE"}), Result(3, Status::UndefinedLabel));
    EXPECT_EQ(Asm({" NOP", " BRA NOWHERE"}), Result(3, Status::UndefinedLabel));
    EXPECT_EQ(Asm({" NOP", " LDAA #NOWHERE"}), Result(3, Status::UndefinedLabel));
    EXPECT_EQ(Asm({" EQU NOWHERE"}), Result(2, Status::UndefinedLabel)); // no label: found in pass 2
    // A new Compile starts from scratch.
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 1"}), kOk);
    EXPECT_EQ(compiler.Labels().Count(), 0u);
}

TEST_F(AsmTest, LongLinesAreRefusedNotCut) {
    std::string body(240, 'A');
    std::string fcc = " FCC \"" + body + "\"";
    EXPECT_EQ(Asm({fcc}), Result(2, Status::OperandError)); // operand over 100 characters
    std::string sm = " SM $100";
    while (sm.size() < 255)
        sm += " 1";
    sm.resize(255);
    EXPECT_EQ(Asm({sm}), Result(0, Status::NoResetVector));       // exactly 255: fine
    EXPECT_EQ(Asm({sm + " 2"}), Result(2, Status::OperandError)); // more data than a line holds
    // A long comment is harmless.
    EXPECT_EQ(Asm({" NOP ; " + std::string(100000, 'x')}), Result(0, Status::NoResetVector));
    // Fields: a long label is significant to 15 characters.
    EXPECT_EQ(Asm({std::string(40, 'L') + " NOP", " ORG $FFFE", " FDB " + std::string(15, 'L')}), kOk);
}

TEST_F(AsmTest, LongRemarkAfterTheFieldsIsIgnoredLikeAComment) {
    // Text after the operand is ignored, so a remark written without ";" may run past the
    // 255-character limit: cutting it would lose nothing the assembler reads.
    const std::string remark = " " + std::string(300, 'r');
    EXPECT_EQ(Asm({" NOP" + std::string(3, ' ') + "NOP" + remark}), Result(2, Status::UnknownInstruction));
    EXPECT_EQ(Asm({" ORG $100", " LDAA #1" + remark, " ORG $FFFE", " FDB 0"}), kOk);
    EXPECT_EQ(memory.Cells[0x101].Value, 0x01);
    EXPECT_EQ(Asm({"LBL EQU $1234" + remark, " ORG $FFFE", " FDB LBL"}), kOk);
    EXPECT_EQ(memory.Cells[0xFFFE].Value, 0x12);
    // A field that reaches beyond the limit would be cut: refused.
    EXPECT_EQ(Asm({" NOP" + std::string(300, ' ') + "X"}), Result(2, Status::OperandError));
    EXPECT_EQ(Asm({std::string(300, 'L') + " NOP"}), Result(2, Status::OperandError));
    // SM reads every token of the line: data past the limit is refused, trailing blanks are not.
    std::string sm = " SM $100 1 2 3";
    EXPECT_EQ(Asm({sm + std::string(300, ' ')}), Result(0, Status::NoResetVector));
    EXPECT_EQ(Asm({sm + std::string(300, ' ') + "4"}), Result(2, Status::OperandError));
}

TEST_F(AsmTest, ASourceLongerThanLineNumbersCanTagIsRefusedAsTooLong) {
    // 32767 lines, the last one emitting code, fill the range of line tags exactly.
    std::vector<std::string> src(TCompiler::MaxSourceLines - 1, "* filler");
    src[0] = " ORG $FFFE";
    src[1] = " FDB $40";
    src[2] = " ORG $40";
    src.push_back(" NOP");
    ASSERT_EQ(src.size(), 32767u);
    EXPECT_EQ(Asm(src), kOk);
    EXPECT_EQ(memory.Cells[0x40].Line, 32767);
    // One line more, whatever it holds, and the source is refused at that line.
    src.push_back("");
    EXPECT_EQ(Asm(src), Result(32769, Status::ProgramTooLong));
    EXPECT_EQ(memory.Cells[0x40].Line, NoLine);
}

// A failure whose status points elsewhere gets explaining lines; the status stays as it was.
TEST_F(AsmTest, HintsExplainWhatTheStatusAloneDoesNot) {
    const std::string text98(98, 'a');
    const std::string tabs = "; oznako, ukaz in operand ločujejo samo presledki";
    const std::string vector = "Namig: začetni naslov programa je beseda na naslovu $FFFE (reset vektor); "
                               "zapišite ga z vrsticama ORG $FFFE in FDB START, kjer je START oznaka prvega "
                               "ukaza";
    const std::string reset = " ORG $FFFE";
    const struct {
        std::vector<std::string> source;
        CompileResult result;
        std::vector<std::string> hints;
    } cases[] = {
        {{" FCC \"" + text98 + "a\""},
         Result(2, Status::OperandError),
         {"Namig: besedilo FCC ima lahko največ 98 znakov"}},
        {{" ORG $100", "\tLDAA #1"},
         Result(3, Status::UnknownInstruction),
         {"Namig: vrstica vsebuje tabulator" + tabs}},
        // A line beginning with a TAB is a label up to its first space.
        {{"\tORG\t$FFFE", "\tFDB\t0"},
         Result(0, Status::NoResetVector),
         {vector, "Namig: vrstica 1 se začne s tabulatorjem, zato je vse do prvega presledka oznaka" + tabs}},
        {{" FCC \"" + text98 + "\"", " FOO"}, Result(3, Status::UnknownInstruction), {}},
        {{" FOO ;\ta remark may hold tabs"}, Result(2, Status::UnknownInstruction), {}},
        {{" FOO x remark\twith a tab"}, Result(2, Status::UnknownInstruction), {}},
        // A TAB after a label at its definition: the line that defines it is named, the one
        // whose name before the TAB is the missing one, wherever the use is.
        {{reset, " FDB START", " ORG $100", "LOOP\tDECA", "start\tNOP", " BRA LOOP"},
         Result(3, Status::UndefinedLabel),
         {"Namig: vrstica 5 vsebuje tabulator, zato oznaka ni START" + tabs}},
        {{" ORG $100", "zanka\tdeca", " bne zanka+2", reset, " FDB $100"},
         Result(4, Status::UndefinedLabel),
         {"Namig: vrstica 2 vsebuje tabulator, zato oznaka ni ZANKA" + tabs}},
        {{" ORG $100", "START\tNOP", " BRA START"},
         Result(4, Status::UndefinedLabel),
         {"Namig: vrstica 2 vsebuje tabulator, zato oznaka ni START" + tabs}},
        {{" ORG $100", "START\tNOP"},
         Result(0, Status::NoResetVector),
         {vector, "Namig: vrstica 2 vsebuje tabulator, zato oznaka ni START" + tabs}},
        {{" ORG $100", "START NOP"}, Result(0, Status::NoResetVector), {vector}},
        {{}, Result(0, Status::NoResetVector), {vector}},
        {{" SM $FFFE $01 $00"},
         Result(0, Status::NoResetVector),
         {"Namig: beseda na naslovu $FFFE je zapisana le z direktivo SM, ki ne določa začetka programa; "
          "zapišite jo z vrsticama ORG $FFFE in FDB START, kjer je START oznaka prvega ukaza"}},
        // Not for a label that starts with a digit, nor for other failures.
        {{"1\tNOP"}, Result(2, Status::UndefinedLabel), {"Namig: vrstica vsebuje tabulator" + tabs}},
        {{"L\tNOP", " FOO"}, Result(3, Status::UnknownInstruction), {}},
        // The limits a refused line passed, and by how much.
        {{" LDAA #" + std::string(120, '1')},
         Result(2, Status::OperandError),
         {"Namig: operand ima lahko največ 100 znakov, ta jih ima 121"}},
        {{" NOP" + std::string(300, ' ') + "X"},
         Result(2, Status::OperandError),
         {"Namig: vrstica ima lahko največ 255 znakov (brez opombe), ta jih ima 305"}},
        {{std::string(250, 'L') + " FCC \"" + text98 + "aa\""},
         Result(2, Status::OperandError),
         {"Namig: vrstica ima lahko največ 255 znakov (brez opombe), ta jih ima 357",
          "Namig: besedilo FCC ima lahko največ 98 znakov"}},
        {{" SM $100" + std::string(250, ' ') + "1"},
         Result(2, Status::OperandError),
         {"Namig: vrstica ima lahko največ 255 znakov (brez opombe), ta jih ima 259"}},
    };
    for (const auto& c : cases) {
        const std::string shown = c.source.empty() ? "(empty)" : c.source.back().substr(0, 40);
        EXPECT_EQ(Asm(c.source), c.result) << shown;
        EXPECT_EQ(compiler.ErrorHints(), c.hints) << shown;
    }
}

// Warnings name their lines and change nothing that was assembled.
TEST_F(AsmTest, WarningsForWrappedOffsetsOverwrittenCodeAndRegisterBytes) {
    ASSERT_EQ(Asm({" ORG $FFFE", " FDB $100", " ORG $100", "TAB FCB 1", " LDAA TAB+200", " LDAA TAB+100",
                   " ORG $101", " NOP", " SM $08 1", " ORG $12", " FCB 2 ; RDR keeps its cell"}),
              kOk);
    ASSERT_EQ(compiler.Warnings().size(), 2u);
    EXPECT_EQ(compiler.Warnings()[0].Line, 5);
    EXPECT_EQ(compiler.Warnings()[0].Text, "Opozorilo: odmik +200 v \"TAB+200\" se bere kot bajt s "
                                           "predznakom, zato se prišteje -56 (vrstica 5)");
    EXPECT_EQ(compiler.Warnings()[1].Line, 8);
    EXPECT_EQ(compiler.Warnings()[1].Text,
              "Opozorilo: vrstica 8 zapiše na naslov $0101, ki ga je že zapolnila vrstica 5");
    EXPECT_EQ(memory.Cells[0x101].Value, 0x01); // NOP over the LDAA opcode, as before
    EXPECT_EQ(memory.Cells[0x103].Value, 0xC8); // TAB-56 = $00C8
    ASSERT_EQ(compiler.RegisterBytes().size(), 1u);
    EXPECT_EQ(compiler.RegisterBytes()[0].Address, 0x08);
    EXPECT_EQ(compiler.RegisterBytes()[0].Line, 9);
    // A clean program has none.
    ASSERT_EQ(Asm({" ORG $FFFE", " FDB $100", " ORG $100", " NOP"}), kOk);
    EXPECT_TRUE(compiler.Warnings().empty());
    EXPECT_TRUE(compiler.RegisterBytes().empty());
}

TEST_F(AsmTest, ProgressStepsOncePerLinePerPass) {
    int steps = 0;
    compiler.onProgressStep = [&] { ++steps; };
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 0", "", "* x"}), kOk);
    EXPECT_EQ(steps, 2 * 5); // four lines and the end marker, twice
    steps = 0;
    EXPECT_EQ(Asm({" NOP", " FOO", " NOP"}), Result(3, Status::UnknownInstruction));
    EXPECT_EQ(steps, 2);
}

} // namespace
