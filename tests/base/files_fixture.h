#pragma once
// Files and folders for the tests of the file layer and of the assembler's output.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

inline bool IsFifo(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_fifo(std::filesystem::symlink_status(p, ec));
}

inline size_t EntriesIn(const std::filesystem::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}
