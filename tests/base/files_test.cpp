// Reading whole files with a bound: where a read ends and why.
#include <cerrno>
#include <string>

#include "base/files.h"
#include "tests/base/files_fixture.h"

namespace {

TEST(ReadFileTest, EndsAtTheLimitTheCheckOrTheEndAndSaysWhy) {
    TempDir dir;
    const std::filesystem::path file = dir.Path() / "ten.txt";
    WriteFileBytes(file, "0123456789");
    // Read in blocks of 64 KiB: the reading ends with the block that passes the limit.
    const std::filesystem::path big = dir.Path() / "big.txt";
    WriteFileBytes(big, std::string(200000, 'x'));
    const struct {
        std::string path;
        size_t limit;
        size_t keepOfFirstBlock; // SIZE_MAX: no check
        ReadFailure failure;
        std::string data;
        int error;
    } cases[] = {
        {file.string(), 10, SIZE_MAX, ReadFailure::None, "0123456789", 0},
        {file.string(), 9, SIZE_MAX, ReadFailure::TooLarge, "0123456789", 0},
        {file.string(), 9, 4, ReadFailure::None, "0123", 0}, // the check ends it before the limit
        {big.string(), 150000, SIZE_MAX, ReadFailure::TooLarge, std::string(196608, 'x'), 0},
        {big.string(), 200000, SIZE_MAX, ReadFailure::None, std::string(200000, 'x'), 0},
        {"/dev/zero", 100000, SIZE_MAX, ReadFailure::TooLarge, "", 0},
        {dir.Path().string(), 10, SIZE_MAX, ReadFailure::Directory, "", 0},
        {(dir.Path() / "none").string(), 10, SIZE_MAX, ReadFailure::Open, "", ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " limit " + std::to_string(c.limit));
        size_t calls = 0, seen = 0;
        const TBlockCheck check = [&](std::string_view block, size_t offset) {
            EXPECT_EQ(offset, seen); // every block is seen, in order
            ++calls;
            seen += block.size();
            return c.keepOfFirstBlock == SIZE_MAX ? block.size() : c.keepOfFirstBlock;
        };
        const TFileRead read = ReadFileCapped(c.path, c.limit, check);
        EXPECT_EQ(read.Failure, c.failure);
        EXPECT_EQ(read.Error, c.error);
        if (c.path != "/dev/zero") EXPECT_EQ(read.Data, c.data);
        else EXPECT_GT(read.Data.size(), c.limit);
        if (c.failure == ReadFailure::None || c.failure == ReadFailure::TooLarge) EXPECT_GE(calls, 1u);
    }
}

} // namespace
