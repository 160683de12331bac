#include "base/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <istream>

#include "base/system.h"

namespace {

// Hands `check` the bytes read in blocks of kBlock, as a stream read would see them (a last
// shorter block, or an empty one when the bytes end at the end of a block), so where a check or
// the limit ends the reading does not depend on how the bytes arrived.
class TBlocks {
public:
    static constexpr size_t kBlock = size_t{1} << 16;

    TBlocks(TFileRead& read, size_t limit, const TBlockCheck& check)
        : read_(read), limit_(limit), check_(check) {}

    // Checks the blocks read so far: the bytes end at `have`, and `end` says that no more come.
    // True when the reading is over: a check ended it (Cut), the limit was passed (TooLarge) or
    // the end was checked.
    bool Take(size_t have, bool end) {
        while (have - checked_ >= kBlock || (end && !last_)) {
            const size_t got = std::min(kBlock, have - checked_);
            last_ = got < kBlock;
            const size_t keep =
                check_ ? check_(std::string_view(read_.Data.data() + checked_, got), checked_) : got;
            if (keep < got) {
                read_.Data.resize(checked_ + keep);
                cut_ = true;
                return true;
            }
            checked_ += got;
            if (checked_ > limit_) {
                read_.Data.resize(checked_);
                read_.Failure = ReadFailure::TooLarge;
                return true;
            }
        }
        return end;
    }
    bool Cut() const { return cut_; }
    // The most that is ever read: the block that passes the limit ends the reading.
    size_t Most() const { return (limit_ / kBlock + 1) * kBlock; }

private:
    TFileRead& read_;
    const size_t limit_;
    const TBlockCheck& check_;
    size_t checked_ = 0;
    bool last_ = false; // the last block, shorter than kBlock, has been checked
    bool cut_ = false;
};

} // namespace

TFileRead ReadStreamCapped(std::istream& in, size_t limit, const TBlockCheck& check) {
    TFileRead read;
    TBlocks blocks(read, limit, check);
    size_t have = 0;
    // A stream that has already failed gives nothing to check.
    for (bool end = !in; !end;) {
        read.Data.resize(have + TBlocks::kBlock);
        in.read(read.Data.data() + have, TBlocks::kBlock);
        have += static_cast<size_t>(in.gcount());
        end = !in;
        read.Data.resize(have);
        if (blocks.Take(have, end)) break;
    }
    // A check or the limit that ended the reading comes first; else a failed read is a failure.
    if (in.bad() && read.Ok() && !blocks.Cut()) {
        read.Failure = ReadFailure::Read;
        read.Error = errno;
    }
    return read;
}

TFileRead ReadFileCapped(const std::string& path, size_t limit, const TBlockCheck& check) {
    TFileRead read;
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    if (std::filesystem::is_directory(file, ec)) {
        read.Failure = ReadFailure::Directory;
        return read;
    }
    errno = 0;
    std::FILE* in = OpenFile(path, "rb");
    if (!in) {
        read.Failure = ReadFailure::Open;
        read.Error = errno;
        return read;
    }
    // A file is read in one go into a buffer of its size and one byte more (to see that it ends
    // there); what has no size (a device, a pipe) grows block by block, so an endless stream is
    // checked at its first block rather than after the limit.
    TBlocks blocks(read, limit, check);
    const auto size = std::filesystem::file_size(file, ec);
    size_t want = std::min(ec || size == 0 ? TBlocks::kBlock : static_cast<size_t>(size) + 1, blocks.Most());
    size_t have = 0;
    int error = 0;
    for (bool end = false;;) {
        read.Data.resize(want);
        while (!end && have < want) {
            have += std::fread(read.Data.data() + have, 1, want - have, in);
            end = have < want;
        }
        if (end && std::ferror(in)) error = errno;
        read.Data.resize(have);
        if (blocks.Take(have, end)) break;
        want = std::min(std::max(want * 2, have + TBlocks::kBlock), blocks.Most());
    }
    std::fclose(in);
    // A check or the limit that ended the reading comes first; else a failed read is a failure.
    if (error != 0 && read.Ok() && !blocks.Cut()) {
        read.Failure = ReadFailure::Read;
        read.Error = error;
    }
    return read;
}

std::string ExecutableDirectory() {
    const std::string exe = ExecutablePath();
    return exe.empty() ? exe : PathToUtf8(PathFromUtf8(exe).parent_path());
}
