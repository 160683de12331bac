#pragma once
// Shared helpers of the assembler tests: a compiler bound to the built program directory.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assembler/compiler.h"
#include "tests/base/files_fixture.h"

using Status = CompileStatus;
// The packed result of a successful assembly.
constexpr CompileResult kOk = 1;

class AsmTest : public ::testing::Test {
protected:
    TMemory memory;
    TCompiler compiler{memory, ORLEK_PROGRAM_DIR};

    CompileResult Asm(const std::vector<std::string>& lines) { return compiler.Compile(lines); }

    // Assembles lines after "ORG $0100" and an END, with a reset vector, and returns the bytes
    // of the first run of tagged cells from $0100 on (below the vector).
    std::vector<uint8_t> Bytes(const std::vector<std::string>& body, CompileResult* result = nullptr) {
        std::vector<std::string> src = {"       ORG $FFFE", "       FDB $0100", "       ORG $0100"};
        src.insert(src.end(), body.begin(), body.end());
        src.push_back("       END");
        CompileResult r = compiler.Compile(src);
        if (result) *result = r;
        std::vector<uint8_t> out;
        uint32_t a = 0x100;
        while (a < 0xFFFE && memory.Cells[a].Line <= 0)
            ++a;
        for (; a < 0xFFFE && memory.Cells[a].Line > 0; ++a)
            out.push_back(memory.Cells[a].Value);
        return out;
    }

    static CompileResult Result(int line, CompileStatus status) {
        return line * 256 + static_cast<int>(status);
    }
};
