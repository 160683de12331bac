// Hostile input: binary bytes, NULs, huge lines and huge sources never crash or hang.
#include "tests/assembler/asm_fixture.h"

#include <random>

namespace {

TEST_F(AsmTest, BinaryDataAndNulBytes) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> lines(1 + rng() % 40);
        for (std::string& l : lines) {
            l.resize(rng() % 120);
            for (char& c : l)
                c = static_cast<char>(rng());
        }
        CompileResult r = Asm(lines);
        const Status status = ResultStatus(r);
        EXPECT_TRUE((status >= Status::Ok && status <= Status::BranchTooFar) ||
                    status == Status::UnknownError)
            << static_cast<int>(status);
        EXPECT_LE(ResultLine(r), static_cast<int>(lines.size()) + 1);
    }
    // NULs are ordinary bytes inside tokens.
    EXPECT_EQ(Asm({std::string(" NOP\0", 5)}), Result(2, Status::UnknownInstruction));
    EXPECT_EQ(Asm({std::string("L\0 EQU 1", 8), " ORG $FFFE", std::string(" FDB L\0", 7)}), kOk);
    // Mixed, plausible-looking garbage.
    for (const char* line : {"\"",     "\"\"\"",  " \"",  ",X",       " LDAA ,X,X",  " LDAA #,X", "!",
                             "!!",     "!!X NOP", " SM",  " SM 1 \"", " FCC \"\"\"", " LDAA #'",  " LDAA #''",
                             " ORG -", " EQU",    " BRA", " BRA +",   " JMP -1",     "       "}) {
        CompileResult r = Asm({line});
        EXPECT_GE(ResultStatus(r), Status::Ok) << line;
    }
}

TEST_F(AsmTest, OneMegabyteLine) {
    std::string big(1 << 20, 'A');
    EXPECT_EQ(Asm({big}), Result(2, Status::OperandError));
    EXPECT_EQ(Asm({" " + big}), Result(2, Status::OperandError));
    EXPECT_EQ(Asm({" NOP " + big}), Result(2, Status::OperandError));
    EXPECT_EQ(Asm({"* " + big}), Result(0, Status::NoResetVector));
    std::string quoted = " FCC \"" + big;
    EXPECT_EQ(Asm({quoted}), Result(2, Status::OperandError));
}

TEST_F(AsmTest, AMillionLines) {
    std::vector<std::string> lines;
    lines.reserve(1'000'000);
    lines.push_back(" ORG $FFFE");
    lines.push_back(" FDB START");
    lines.push_back(" ORG $100");
    lines.push_back("START NOP");
    for (int i = 0; lines.size() < 1'000'000; ++i) {
        lines.push_back("* comment");
        lines.push_back("");
        lines.push_back("V" + std::to_string(i) + " EQU " + std::to_string(i));
    }
    EXPECT_EQ(Asm(lines), kOk);
    EXPECT_EQ(compiler.Labels().Count(), 1u + 333'332u);
    uint16_t v = 0;
    ASSERT_TRUE(compiler.FindLabel("V333331", v));
    EXPECT_EQ(v, 333331 & 0xFFFF);
    // Instructions past the taggable range stop with a reported error, not a wrong tag.
    lines.push_back(" NOP");
    EXPECT_EQ(Asm(lines), Result(1'000'002, Status::UnknownError));
}

} // namespace
