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

// Sees a source's blocks as they arrive: refuses binary content (NUL and the other control bytes
// besides tab, line and page ends), counts the line ends (CR LF is one) and notes where each line
// after one starts, up to the first line past the assembler's limit, where the reading is cut.
// Also notes whether any byte is $80 or more and whether any line ends with CR LF.
class TSourceScanner {
public:
    // Starts[0] is left for the start of the first line (after a byte order mark, if any). The
    // room for the most lines there can be is only address space until the lines fill it.
    explicit TSourceScanner(const std::string& shown) : shown_(shown) {
        Starts.reserve(TCompiler::MaxSourceLines + 2);
        Starts.push_back(0);
    }

    // `offset`: the position of block[0] in the file. Returns how many of the bytes to keep.
    size_t Block(std::string_view block, size_t offset) {
        size_t keep = block.size();
        size_t from = 0;
        for (size_t i; (i = Next(block, from)) < block.size(); from = i + 1) {
            // The bytes passed are no line ends, nor a CR.
            if (i != from) afterCr_ = false;
            const char c = block[i];
            if (c == '\n' || c == '\r') {
                if (keep == block.size()) Ended(c, offset + i + 1, keep, i + 1);
                afterCr_ = c == '\r';
            } else if (c == '\t' || c == '\f' || c == '\v') {
                afterCr_ = false;
            } else {
                Refuse(static_cast<unsigned char>(c), offset + i);
            }
        }
        if (from != block.size()) afterCr_ = false;
        return keep;
    }

    std::vector<uint32_t> Starts; // the first line's (0), then just past each line end, in order
    bool High = false;            // a byte of $80 or more
    bool CrLf = false;            // a line ends with CR LF

private:
    // A line end whose next line would start at `start`; past the assembler's limit the reading
    // is cut after it (`keep` becomes `cut`).
    void Ended(char c, size_t start, size_t& keep, size_t cut) {
        if (c == '\n' && afterCr_) {
            // The LF of a CR LF: the line after it starts one byte later.
            Starts.back() = static_cast<uint32_t>(start);
            CrLf = true;
            return;
        }
        Starts.push_back(static_cast<uint32_t>(start));
        if (Starts.size() > TCompiler::MaxSourceLines + 1) keep = cut;
    }

    [[noreturn]] void Refuse(unsigned char c, size_t at) const {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", c);
        throw FileError("Datoteka " + shown_ + " ni besedilna (kontrolni bajt $" + hex + " na odmiku " +
                        std::to_string(at) + "); pričakujem izvorno kodo v zbirniku");
    }

    // The position of the first byte below $20 (a control byte or a line end) from text[i] on, or
    // the end: sources are mostly printable, so the scan goes eight bytes at a time. Notes bytes
    // of $80 and more on the way.
    size_t Next(std::string_view text, size_t i) {
        if constexpr (std::endian::native == std::endian::little) {
            uint64_t high = 0;
            for (; i + 8 <= text.size(); i += 8) {
                uint64_t word;
                std::memcpy(&word, text.data() + i, 8);
                high |= word;
                // A byte below $20 borrows in the subtraction and sets its top bit (bytes of $80 and
                // more are left out). A borrow only marks bytes above the first such byte, so the
                // lowest mark is a byte below $20.
                const uint64_t marks = (word - 0x2020202020202020ull) & ~word & 0x8080808080808080ull;
                if (marks != 0) {
                    High = High || (high & 0x8080808080808080ull) != 0;
                    return i + static_cast<size_t>(std::countr_zero(marks)) / 8;
                }
            }
            High = High || (high & 0x8080808080808080ull) != 0;
        }
        for (; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c < 0x20) break;
            High = High || c >= 0x80;
        }
        return i;
    }

    const std::string& shown_;
    bool afterCr_ = false;
};

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

// Makes every line end of text[from...] one byte (the CR of each CR LF goes) and notes where the
// lines start: from, just past each line end, and for a last line without one, one past the
// text's end.
void IndexLines(std::string& text, size_t from, std::vector<uint32_t>& starts) {
    size_t to = from;
    for (size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        text[to++] = text[i];
    }
    text.resize(to);
    starts.clear();
    starts.push_back(static_cast<uint32_t>(from));
    for (size_t i = from; i < text.size(); ++i)
        if (text[i] == '\n' || text[i] == '\r') starts.push_back(static_cast<uint32_t>(i + 1));
    if (starts.back() != text.size()) starts.push_back(static_cast<uint32_t>(text.size() + 1));
}

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

TSourceText ReadSource(const std::string& path) {
    // Each block is checked as it arrives, so an endless binary stream (a device, a pipe) is
    // refused at its first bytes rather than after the size limit. A source longer than the
    // assembler takes is read only up to the first line past the limit: that much is enough for
    // the assembler to refuse it, and the rest would only cost memory.
    const std::string shown = Shown(path);
    TSourceScanner scanner(shown);
    TSourceText source;
    source.Text = ReadInput(
        path, kMaxSourceBytes, "je mapa, ne izvorna koda",
        "je prevelika (več kot " + std::to_string(kMaxSourceBytes >> 20) + " MiB), ne more biti izvorna koda",
        [&](std::string_view block, size_t offset) { return scanner.Block(block, offset); });

    // Without a byte of $80 or more the text is ASCII: no byte order mark, nothing to convert.
    TSourceBytes bytes;
    bytes.Body = source.Text;
    if (scanner.High) bytes = DetectEncoding(source.Text);
    const size_t body = static_cast<size_t>(bytes.Body.data() - source.Text.data());
    if (scanner.High && bytes.Encoding == TextEncoding::Utf8 && !IsAscii(bytes.Body)) {
        source.WasUtf8 = true;
        std::string text = Utf8ToCp1250(bytes.Body);
        source.Lossy = Cp1250ToUtf8(text) != bytes.Body;
        source.Text = std::move(text);
        IndexLines(source.Text, 0, source.Starts);
        return source;
    }
    // The bytes are the text (ASCII is the same in both encodings): the lines start where the
    // scanner saw them start, unless a CR LF has to become one byte.
    source.WasUtf8 = bytes.Encoding == TextEncoding::Utf8;
    if (scanner.CrLf) {
        IndexLines(source.Text, body, source.Starts);
        return source;
    }
    source.Starts = std::move(scanner.Starts);
    source.Starts[0] = static_cast<uint32_t>(body);
    if (source.Starts.back() != source.Text.size())
        source.Starts.push_back(static_cast<uint32_t>(source.Text.size() + 1));
    return source;
}

TSourceText TSourceText::FromLines(const std::vector<std::string>& lines) {
    TSourceText source;
    source.Starts.reserve(lines.size() + 1);
    source.Starts.push_back(0);
    for (const std::string& line : lines) {
        source.Text += line;
        source.Text += '\n';
        source.Starts.push_back(static_cast<uint32_t>(source.Text.size()));
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
