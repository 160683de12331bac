#include "base/files.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "base/system.h"

namespace {

// `expected`: the size the stream is likely to have (a file's), reserved up front so the data is
// not copied again as it grows.
TFileRead ReadCapped(std::istream& in, size_t limit, const TBlockCheck& check, size_t expected) {
    TFileRead read;
    if (expected > 0) read.Data.reserve(std::min(expected, limit + 1));
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        const size_t got = static_cast<size_t>(in.gcount());
        const size_t keep = check ? check(std::string_view(buffer, got), read.Data.size()) : got;
        if (keep < got) {
            read.Data.append(buffer, keep);
            return read;
        }
        read.Data.append(buffer, got);
        if (read.Data.size() > limit) {
            read.Failure = ReadFailure::TooLarge;
            return read;
        }
    }
    if (in.bad()) {
        read.Failure = ReadFailure::Read;
        read.Error = errno;
    }
    return read;
}

} // namespace

TFileRead ReadStreamCapped(std::istream& in, size_t limit, const TBlockCheck& check) {
    return ReadCapped(in, limit, check, 0);
}

TFileRead ReadFileCapped(const std::string& path, size_t limit, const TBlockCheck& check) {
    std::error_code ec;
    const std::filesystem::path file = PathFromUtf8(path);
    if (std::filesystem::is_directory(file, ec)) {
        TFileRead read;
        read.Failure = ReadFailure::Directory;
        return read;
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        TFileRead read;
        read.Failure = ReadFailure::Open;
        read.Error = errno;
        return read;
    }
    // A size that cannot be had (a device, a pipe) reserves nothing.
    const auto size = std::filesystem::file_size(file, ec);
    return ReadCapped(in, limit, check, ec ? 0 : static_cast<size_t>(size));
}

std::string ExecutableDirectory() {
    const std::string exe = ExecutablePath();
    return exe.empty() ? exe : PathToUtf8(PathFromUtf8(exe).parent_path());
}
