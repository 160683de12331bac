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

using Status = CompileStatus;
// The packed result of a successful assembly.
constexpr CompileResult kOk = 1;

inline std::string ReadFileBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh directory under the system temp dir, removed with the object.
class TempDir {
public:
    TempDir() {
        auto base = std::filesystem::temp_directory_path();
        std::string name =
            "orlek-asm-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-";
        for (int i = 0;; ++i) {
            path_ =
                base / (name + std::to_string(i) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

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
