#pragma once
// Reading whole files with a bound on their size, and where the running program lives. Paths
// are UTF-8 (see base/system.h).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

// The most a source file may hold. The assembler takes at most 32,767 lines of which only the
// first 255 characters before a comment count, so a real program stays far below; the editor
// would stall on much more, and reading more only costs memory. One bound for the workbench,
// orlek-cli and everything else that reads a source.
inline constexpr size_t kMaxSourceBytes = size_t{16} << 20;

// How a read ended.
enum class ReadFailure : uint8_t {
    None,
    Directory, // the path names a folder
    Open,      // the file could not be opened (Error says why)
    Read,      // reading failed part way (Error says why, when the system told)
    TooLarge,  // more than the limit arrived
};

struct TFileRead {
    std::string Data;
    ReadFailure Failure = ReadFailure::None;
    int Error = 0; // the errno value of a failed open or read, 0 when there is none
    bool Ok() const { return Failure == ReadFailure::None; }
};

// Sees each block as it arrives (`offset`: the position of its first byte) and returns how many
// of its bytes to keep; keeping fewer than all ends the reading there, as a success (the rest is
// not wanted). It may throw to refuse the content; the exception passes through the reader.
using TBlockCheck = std::function<size_t(std::string_view block, size_t offset)>;

// Reads the whole file at `path` block by block, so an endless stream (a device, a pipe) ends
// at the limit or at the check rather than filling the memory: more than `limit` bytes is
// TooLarge.
TFileRead ReadFileCapped(const std::string& path, size_t limit, const TBlockCheck& check = {});
// The same for a stream that is already open (standard input).
TFileRead ReadStreamCapped(std::istream& in, size_t limit, const TBlockCheck& check = {});

// The folder of the running executable, symbolic links resolved; empty when the system does not
// tell.
std::string ExecutableDirectory();
