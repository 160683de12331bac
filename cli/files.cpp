#include "cli/files.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "base/syserror.h"

namespace {

// The position of the first byte below $20 (a control byte or a line end) from text[i] on, or
// the end: sources are mostly printable, so the scan goes eight bytes at a time.
size_t NextControlByte(std::string_view text, size_t i) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= text.size(); i += 8) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            // A byte below $20 borrows in the subtraction and sets its top bit (bytes of $80 and
            // more are left out). A borrow only marks bytes above the first such byte, so the
            // lowest mark is a byte below $20.
            const uint64_t marks = (word - 0x2020202020202020ull) & ~word & 0x8080808080808080ull;
            if (marks != 0) return i + static_cast<size_t>(std::countr_zero(marks)) / 8;
        }
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x20)
        ++i;
    return i;
}

// Refuses binary content: NUL and the other control bytes besides tab, line and page ends.
// `offset` is the position of text[0] in the file, for the message.
void CheckText(std::string_view text, size_t offset, const std::string& shown) {
    for (size_t i = NextControlByte(text, 0); i < text.size(); i = NextControlByte(text, i + 1)) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X", c);
            throw FileError("Datoteka " + shown + " ni besedilna (kontrolni bajt $" + hex + " na odmiku " +
                            std::to_string(offset + i) + "); pričakujem izvorno kodo v zbirniku");
        }
    }
}

// Counts line ends as SplitLines does (CR LF is one) across the blocks of a file.
class TLineEndCounter {
public:
    // Counts the ends in `text`; returns the offset just past the end that made the count exceed
    // `limit`, or npos while it does not.
    size_t Add(std::string_view text, size_t limit) {
        size_t from = 0;
        for (size_t i; (i = NextControlByte(text, from)) < text.size(); from = i + 1) {
            // The bytes passed are no line ends, nor a CR.
            if (i != from) afterCr_ = false;
            const char c = text[i];
            if (c == '\r' || (c == '\n' && !afterCr_)) ++count_;
            afterCr_ = c == '\r';
            if (count_ > limit) return i + 1;
        }
        if (from != text.size()) afterCr_ = false;
        return std::string_view::npos;
    }

private:
    size_t count_ = 0;
    bool afterCr_ = false;
};

std::string Shown(const std::string& path) {
    return path == "-" ? std::string("(standardni vhod)") : "\"" + path + "\"";
}

} // namespace

std::string ReadInput(const std::string& path, size_t limit, const std::string& whenFolder,
                      const std::string& whenTooLarge, const TBlockCheck& check) {
    const std::string shown = Shown(path);
    TFileRead read =
        path == "-" ? ReadStreamCapped(std::cin, limit, check) : ReadFileCapped(path, limit, check);
    switch (read.Failure) {
    case ReadFailure::None:
        break;
    case ReadFailure::Directory:
        throw FileError("Datoteka " + shown + " " + whenFolder);
    case ReadFailure::Open:
        throw FileError("Ne morem odpreti datoteke " + shown + ": " + SystemErrorText(read.Error));
    case ReadFailure::Read:
        throw FileError("Napaka pri branju datoteke " + shown);
    case ReadFailure::TooLarge:
        throw FileError("Datoteka " + shown + " " + whenTooLarge);
    }
    return std::move(read.Data);
}

namespace {

// Whether every byte is below 0x80, eight at a time.
bool IsAscii(std::string_view text) {
    uint64_t high = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i)
        high |= static_cast<uint8_t>(text[i]);
    return (high & 0x8080808080808080ull) == 0;
}

} // namespace

TSourceText ReadSource(const std::string& path) {
    // Each block is checked as it arrives, so an endless binary stream (a device, a pipe) is
    // refused at its first bytes rather than after the size limit. A source longer than the
    // assembler takes is read only up to the first line past the limit: that much is enough for
    // the assembler to refuse it, and the rest would only cost memory.
    const std::string shown = Shown(path);
    TLineEndCounter lineEnds;
    const std::string data = ReadInput(path, kMaxSourceBytes, "je mapa, ne izvorna koda",
                                       "je prevelika (več kot " + std::to_string(kMaxSourceBytes >> 20) +
                                           " MiB), ne more biti izvorna koda",
                                       [&](std::string_view block, size_t offset) {
                                           CheckText(block, offset, shown);
                                           const size_t cut = lineEnds.Add(block, TCompiler::MaxSourceLines);
                                           return cut == std::string_view::npos ? block.size() : cut;
                                       });

    TSourceText source;
    const TSourceBytes bytes = DetectEncoding(data);
    if (bytes.Encoding == TextEncoding::Utf8 && IsAscii(bytes.Body)) {
        // The same bytes in both encodings: nothing to convert, nothing lost.
        source.WasUtf8 = true;
        source.Lines = SplitLines(bytes.Body);
    } else if (bytes.Encoding == TextEncoding::Utf8) {
        source.WasUtf8 = true;
        std::string text = Utf8ToCp1250(bytes.Body);
        source.Lossy = Cp1250ToUtf8(text) != bytes.Body;
        source.Lines = SplitLines(text);
    } else {
        source.Lines = SplitLines(bytes.Body);
    }
    return source;
}

TAtomicFile::TAtomicFile(const std::string& path) {
    std::string error;
    if (!out_.Open(path, error)) throw FileError(error);
}

void TAtomicFile::Commit() {
    std::string error;
    if (!out_.Commit(error)) throw FileError(error);
}

void WriteFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write) {
    TAtomicFile file(path);
    write(file.Stream());
    file.Commit();
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status sa = fs::status(a, ec), sb = fs::status(b, ec);
    bool existsA = fs::exists(sa), existsB = fs::exists(sb);
    if (existsA && existsB) return fs::is_regular_file(sa) && fs::equivalent(a, b, ec) && !ec;
    if (existsA || existsB) return false;
    fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && ca == cb;
}
