// Where the listing and the S-records land when the target path is not a plain new file:
// a symbolic link is written through (the link stays a link), a named pipe or device is
// written to directly (it is never replaced by a regular file), an existing file keeps its
// permissions.
#include "tests/assembler/asm_fixture.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <stdexcept>

#include "assembler/outfile.h"
#include "assembler/srecord.h"
#include "tests/unprivileged.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kProgram = {" ORG $FFFE", " FDB $0100", " ORG $0100", " NOP"};

bool IsFifo(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// Drains a named pipe opened for reading without blocking.
std::string ReadAvailable(int fd) {
    std::string data;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        data.append(buffer, static_cast<size_t>(n));
    return data;
}

size_t EntriesIn(const fs::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir))
        ++n;
    return n;
}

TEST_F(AsmTest, ListingThroughASymbolicLinkKeepsTheLink) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    fs::path target = dir.Path() / "real" / "out.lst";
    fs::path link = dir.Path() / "list.lst";
    WriteFileBytes(target, "old");
    fs::create_symlink(target, link);

    compiler.ListingPath = link.string();
    ASSERT_EQ(Asm(kProgram), kOk);
    EXPECT_TRUE(compiler.ListingErrors().empty());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFileBytes(target).find(" NOP\r\n"), std::string::npos);
    // No temporary file is left beside the link or beside the target.
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
    EXPECT_EQ(EntriesIn(dir.Path() / "real"), 1u);

    // A dangling link is followed too: the file is created where it points.
    fs::remove(target);
    ASSERT_EQ(Asm(kProgram), kOk);
    EXPECT_TRUE(compiler.ListingErrors().empty());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_regular_file(target));
}

TEST_F(AsmTest, ListingIntoANamedPipeIsWrittenNotReplaced) {
    TempDir dir;
    fs::path fifo = dir.Path() / "list.lst";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    compiler.ListingPath = fifo.string();
    ASSERT_EQ(Asm(kProgram), kOk);
    EXPECT_TRUE(compiler.ListingErrors().empty());
    EXPECT_TRUE(IsFifo(fifo));
    EXPECT_NE(ReadAvailable(reader).find(" NOP\r\n"), std::string::npos);
    ::close(reader);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST_F(AsmTest, ListingWriteAndCloseErrorsAreReported) {
    // A device that takes no data: the lines cannot be written (error 2); the device stays.
    struct stat st {};
    if (::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode)) {
        compiler.ListingPath = "/dev/full";
        ASSERT_EQ(Asm(kProgram), kOk);
        EXPECT_EQ(compiler.ListingErrors(), std::vector<int>{ListingErrorCode(ListingError::Write)});
        ASSERT_EQ(::stat("/dev/full", &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode));
    }
    // The temporary file vanishes before it is put in place: error 3, the old listing stays.
    TempDir dir;
    fs::path path = dir.Path() / "list.lst";
    WriteFileBytes(path, "old");
    compiler.ListingPath = path.string();
    compiler.ProgressStep = [&] {
        for (const auto& e : fs::directory_iterator(dir.Path()))
            if (e.path().filename().string().rfind(".orlek-", 0) == 0) fs::remove(e.path());
    };
    ASSERT_EQ(Asm(kProgram), kOk);
    EXPECT_EQ(compiler.ListingErrors(), std::vector<int>{ListingErrorCode(ListingError::Close)});
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST_F(AsmTest, SRecordsThroughALinkAndIntoAPipe) {
    ASSERT_EQ(Asm(kProgram), kOk);
    const std::string s19 = MakeSRecords(memory, "t");
    TempDir dir;
    fs::path target = dir.Path() / "t.s19";
    fs::path link = dir.Path() / "link.s19";
    fs::create_symlink("t.s19", link); // relative, dangling until written
    WriteSRecords(link.string(), memory, "t");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), s19);

    fs::path fifo = dir.Path() / "pipe.s19";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    WriteSRecords(fifo.string(), memory, "t");
    EXPECT_TRUE(IsFifo(fifo));
    EXPECT_EQ(ReadAvailable(reader), s19);
    ::close(reader);
    EXPECT_EQ(EntriesIn(dir.Path()), 3u);
}

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
