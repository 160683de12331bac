// Where the listing and the S-records land when the target path is not a plain new file:
// a symbolic link is written through (the link stays a link), a named pipe or device is
// written to directly (it is never replaced by a regular file). The output file itself is
// tested in tests/base.
#include "tests/assembler/asm_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "assembler/srecord.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kProgram = {" ORG $FFFE", " FDB $0100", " ORG $0100", " NOP"};

// Drains a named pipe opened for reading without blocking.
std::string ReadAvailable(int fd) {
    std::string data;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        data.append(buffer, static_cast<size_t>(n));
    return data;
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
    compiler.onProgressStep = [&] {
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

} // namespace
