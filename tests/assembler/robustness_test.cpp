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

TEST_F(AsmTest, AMillionLinesAreRefusedWithoutBeingRead) {
    // A full-sized source with 10,000 labels assembles; far more lines are refused at once,
    // before any line is read, and leave no labels behind.
    std::vector<std::string> lines = {" ORG $FFFE", " FDB START", " ORG $100", "START NOP"};
    for (int i = 0; lines.size() < TCompiler::MaxSourceLines; ++i) {
        lines.push_back("* comment");
        lines.push_back("");
        lines.push_back("V" + std::to_string(i) + " EQU " + std::to_string(i));
    }
    lines.resize(TCompiler::MaxSourceLines);
    EXPECT_EQ(Asm(lines), kOk);
    EXPECT_EQ(compiler.Labels().Count(), 1u + 10'921u);
    int steps = 0;
    compiler.onProgressStep = [&] { ++steps; };
    lines.resize(1'000'000, "L NOP");
    EXPECT_EQ(Asm(lines), Result(32769, Status::ProgramTooLong));
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(compiler.Labels().Count(), 0u);
}

} // namespace
