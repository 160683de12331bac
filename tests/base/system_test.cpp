// The system layer where it differs between POSIX and Windows: UTF-8 paths with drive letters
// and backslashes, replacing an existing file in one step, and the program's own location.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "base/files.h"
#include "base/outfile.h"
#include "base/system.h"

namespace {

namespace fs = std::filesystem;

// A folder for the test, named as a Slovenian user's home would be: on Windows the literal path
// C:\Uporabniki\Žiga, as a student's would be; elsewhere under a temporary folder of this test
// process (the cases run in processes of their own, at the same time). OwnRoot goes at the end.
#ifdef _WIN32
fs::path OwnRoot() { return PathFromUtf8("C:\\Uporabniki\\\xC5\xBDiga"); }
std::string StudentFolder() { return "C:\\Uporabniki\\\xC5\xBDiga"; }
#else
fs::path OwnRoot() {
    static const std::string own = "orlek-system-test-" + std::to_string(std::random_device{}());
    return fs::temp_directory_path() / own;
}
std::string StudentFolder() { return PathToUtf8(OwnRoot() / "Uporabniki" / "\xC5\xBDiga"); }
#endif

bool Write(const std::string& path, const std::string& text) {
    TOutputFile out;
    std::string error;
    if (!out.Open(path, error)) return false;
    std::fputs(text.c_str(), out.Stream());
    return out.Commit(error);
}

struct TReplaceCase {
    const char* Name;
    bool TargetExists;
};

class SystemReplaceTest : public ::testing::TestWithParam<TReplaceCase> {};

// An output replaces the file it names (or creates it), leaving no temporary file behind, on a
// path with non-ASCII letters.
TEST_P(SystemReplaceTest, OutputReplacesTheFileAtAUtf8Path) {
    const std::string folder = StudentFolder();
    std::error_code ec;
    fs::remove_all(PathFromUtf8(folder), ec);
    ASSERT_TRUE(fs::create_directories(PathFromUtf8(folder)));
    const std::string path = PathToUtf8(PathFromUtf8(folder) / "naloga.asm");
    if (GetParam().TargetExists) ASSERT_TRUE(Write(path, "staro\n"));

    ASSERT_TRUE(Write(path, "novo\n"));
    const TFileRead read = ReadFileCapped(path, 100);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read.Data, "novo\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(PathFromUtf8(folder)), fs::directory_iterator()), 1);
    fs::remove_all(OwnRoot(), ec);
}

INSTANTIATE_TEST_SUITE_P(Targets, SystemReplaceTest,
                         ::testing::Values(TReplaceCase{"New", false}, TReplaceCase{"Existing", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The UTF-8 text of a path survives the trip to the file system's path and back.
TEST(SystemTest, Utf8PathsRoundTrip) {
    for (const std::string path :
         {StudentFolder() + "/naloga.asm", std::string("\xC4\x8D\xC5\xA1\xC5\xBE.lst")})
        EXPECT_EQ(PathToUtf8(PathFromUtf8(path)), path);
}

// The program's folder is that of the running executable, where its data lives.
TEST(SystemTest, ExecutableDirectoryHoldsTheRunningProgram) {
    const fs::path exe = PathFromUtf8(ExecutablePath());
    EXPECT_EQ(exe.stem(), "base_tests");
    EXPECT_EQ(PathFromUtf8(ExecutableDirectory()), exe.parent_path());
}

} // namespace
