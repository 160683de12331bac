#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "assembler/sourcelines.h"
#include "base/files.h"
#include "base/outfile.h"

// A file could not be read or written; the message (UTF-8, Slovenian) names the file. Exit 2.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Two paths that lead to the same regular file, or to the same place where neither exists yet.
// Pipes and devices (e.g. /dev/stdout named twice) may be shared.
bool SameFile(const std::string& a, const std::string& b);

// A source file read as bytes and made ready for the assembler: its text in Windows-1250, every
// line end one byte (CR LF became LF), and where the lines start.
struct TSourceText {
    std::string Text;
    std::vector<uint32_t> Starts; // the lines' starts and one past the last line (see TSourceLines)
    bool WasUtf8 = false;
    bool Lossy = false; // some characters have no Windows-1250 form and became '?'

    TSourceLines Lines() const {
        return TSourceLines(Text.data(), Starts.data(), Starts.empty() ? 0 : Starts.size() - 1);
    }
    // The text of separate lines (e.g. a saved state's source).
    static TSourceText FromLines(const std::vector<std::string>& lines);
};

// Reads a source file ("-" = standard input). A leading byte order mark is dropped; valid UTF-8
// is converted to Windows-1250, anything else is taken as Windows-1250 (DetectEncoding). Refuses
// unreadable files, files over kMaxSourceBytes and binary content (NUL and other control bytes
// besides tab, line and page ends) with a FileError. A source with more lines than the assembler
// takes is read only up to the first line past that limit (the assembler then refuses it).
TSourceText ReadSource(const std::string& path);

// The bytes of an input file ("-" = standard input) of at most `limit` bytes. Throws FileError
// naming the file; for a folder and for a file over the limit the message goes on with
// `whenFolder` ("je mapa, ne zapisi S") and `whenTooLarge`.
std::string ReadInput(const std::string& path, size_t limit, const std::string& whenFolder,
                      const std::string& whenTooLarge, const TBlockCheck& check = {});

// A file written through a temporary file beside the real file and renamed into place by
// Commit, so a failure never leaves a half-written file; a pipe or device (e.g. /dev/stdout)
// is written directly and a symbolic link stays a link (see TOutputFile). Without Commit the
// temporary file is removed. Throws FileError naming the file.
class TAtomicFile {
public:
    explicit TAtomicFile(const std::string& path);
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    std::FILE* Stream() const { return out_.Stream(); }
    void Write(const std::string& data) { std::fwrite(data.data(), 1, data.size(), out_.Stream()); }
    void Commit();

private:
    TOutputFile out_;
};

// Creates `path` through a temporary file in the same directory that is renamed into place at
// the end, so a failure never leaves a half-written file. `write` receives the open stream.
// Throws FileError.
void WriteFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write);
