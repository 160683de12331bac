// The output file: a failure never leaves half a file, the target keeps its permissions and its
// nature (a pipe, a device), permissions decide as for a shell redirection.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "base/outfile.h"
#include "tests/base/files_fixture.h"
#include "tests/unprivileged.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputFileTest, ReplacingAFileKeepsItsPermissions) {
    TempDir dir;
    fs::path path = dir.Path() / "out.txt";
    WriteFileBytes(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TOutputFile out;
    std::string error;
    ASSERT_TRUE(out.Open(path.string(), error)) << error;
    std::fputs("new", out.Stream());
    ASSERT_TRUE(out.Commit(error)) << error;
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(OutputFileTest, UncommittedOrFailedOutputLeavesTheOldFile) {
    TempDir dir;
    fs::path path = dir.Path() / "out.txt";
    WriteFileBytes(path, "old");
    {
        TOutputFile out;
        std::string error;
        ASSERT_TRUE(out.Open(path.string(), error)) << error;
        std::fputs("half", out.Stream());
    } // destroyed without Commit
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    // A directory is refused with a message naming it; a missing directory likewise.
    TOutputFile out;
    std::string error;
    EXPECT_FALSE(out.Open(dir.Path().string(), error));
    EXPECT_NE(error.find(dir.Path().string()), std::string::npos) << error;
    EXPECT_FALSE(out.Open((dir.Path() / "no" / "x").string(), error));
    EXPECT_NE(error.find("no/x"), std::string::npos) << error;
}

// The file's own permissions decide, as for a shell redirection: a read-only file is refused
// (not replaced through a temporary file), a writable file in a folder that takes no new files
// is written in place, and an in-place write that fails says the file may be incomplete.
TEST(OutputFileTest, PermissionsOfTheFileAndOfItsFolder) {
    TempDir dir;
    const fs::path readOnly = dir.Path() / "ro.txt", writable = dir.Path() / "rw.txt";
    WriteFileBytes(readOnly, "old");
    WriteFileBytes(writable, "old");
    using P = fs::perms;
    fs::permissions(readOnly, P::owner_read | P::group_read | P::others_read);
    fs::permissions(writable, P::owner_read | P::owner_write | P::group_read | P::group_write |
                                  P::others_read | P::others_write);
    fs::permissions(dir.Path(), P::owner_read | P::owner_exec | P::group_read | P::group_exec |
                                    P::others_read | P::others_exec);
    const std::string failure = RunUnprivileged([&]() -> std::string {
        TOutputFile out;
        std::string error;
        if (out.Open(readOnly.string(), error)) return "a read-only file was opened";
        if (error != "Ne morem pisati v \"" + readOnly.string() + "\": datoteka je samo za branje")
            return error;
        if (out.Open((dir.Path() / "new.txt").string(), error)) return "a new file was made";
        if (error.find("nimate dovoljenja") == std::string::npos) return error;
        if (!out.Open(writable.string(), error) || !out.DirectFallback()) return "in place: " + error;
        std::fputs("new", out.Stream());
        if (!out.Commit(error)) return error;
        if (ReadFileBytes(writable) != "new") return "not written in place";
        // The disk takes two bytes only.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2, 2};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (!out.Open(writable.string(), error)) return error;
        std::fputs("longer text", out.Stream());
        if (out.Commit(error)) return "a failed write in place was committed";
        if (error.find("je morda nepopolna") == std::string::npos) return error;
        return "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadFileBytes(readOnly), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(OutputFileTest, ANameAsLongAsTheFileSystemTakesIsWritten) {
    TempDir dir;
    const fs::path path = dir.Path() / (std::string(250, 'n') + ".s19");
    TOutputFile out;
    std::string error;
    ASSERT_TRUE(out.Open(path.string(), error)) << error;
    std::fputs("x", out.Stream());
    ASSERT_TRUE(out.Commit(error)) << error;
    EXPECT_EQ(ReadFileBytes(path), "x");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(OutputFileTest, APipeThatNobodyReadsIsRefusedAtOnce) {
    TempDir dir;
    fs::path fifo = dir.Path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TOutputFile out;
    std::string error;
    EXPECT_FALSE(out.Open(fifo.string(), error));
    EXPECT_NE(error.find("nihče ne bere"), std::string::npos) << error;
    EXPECT_TRUE(IsFifo(fifo));
}

TEST(OutputFileTest, WritingToAFullDeviceFailsAtCommit) {
    struct stat st {};
    if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode)) GTEST_SKIP() << "no /dev/full";
    TOutputFile out;
    std::string error;
    ASSERT_TRUE(out.Open("/dev/full", error)) << error;
    std::string block(1 << 17, 'x');
    std::fwrite(block.data(), 1, block.size(), out.Stream());
    EXPECT_FALSE(out.Commit(error));
    EXPECT_NE(error.find("/dev/full"), std::string::npos) << error;
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device node is still a device";
}

} // namespace
