#include "cli/files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "assembler/compiler.h"
#include "assembler/encoding.h"
#include "assembler/syserror.h"

namespace {

constexpr size_t kMaxSourceBytes = 256u << 20;

// Refuses binary content: NUL and the other control bytes besides tab, line and page ends.
// `offset` is the position of text[0] in the file, for the message.
void CheckText(std::string_view text, size_t offset, const std::string& shown) {
    for (size_t i = 0; i < text.size(); ++i) {
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
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r' || (c == '\n' && !afterCr_)) ++count_;
            afterCr_ = c == '\r';
            if (count_ > limit) return i + 1;
        }
        return std::string_view::npos;
    }

private:
    size_t count_ = 0;
    bool afterCr_ = false;
};

// Reads everything, checking each block as it arrives, so an endless binary stream (a device,
// a pipe) is refused at its first bytes rather than after the size limit. A source longer than
// the assembler takes is read only up to the first line past the limit: that much is enough
// for the assembler to refuse it, and the rest would only cost memory.
std::string ReadAll(std::istream& in, const std::string& shown) {
    std::string data;
    char buffer[1 << 16];
    TLineEndCounter lineEnds;
    while (in) {
        in.read(buffer, sizeof buffer);
        const size_t got = static_cast<size_t>(in.gcount());
        CheckText(std::string_view(buffer, got), data.size(), shown);
        const size_t cut = lineEnds.Add(std::string_view(buffer, got), TCompiler::MaxSourceLines);
        if (cut != std::string_view::npos) {
            data.append(buffer, cut);
            return data;
        }
        data.append(buffer, got);
        if (data.size() > kMaxSourceBytes)
            throw FileError("Datoteka " + shown +
                            " je prevelika (več kot 256 MiB), ne more biti izvorna koda");
    }
    if (in.bad()) throw FileError("Napaka pri branju datoteke " + shown);
    return data;
}

} // namespace

TSourceText ReadSource(const std::string& path) {
    std::string data;
    std::string shown = path == "-" ? std::string("(standardni vhod)") : "\"" + path + "\"";
    if (path == "-") {
        data = ReadAll(std::cin, shown);
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            throw FileError("Datoteka " + shown + " je mapa, ne izvorna koda");
        std::ifstream in(path, std::ios::binary);
        if (!in) throw FileError("Ne morem odpreti datoteke " + shown + ": " + SystemErrorText(errno));
        data = ReadAll(in, shown);
    }

    TSourceText source;
    std::string_view body = data;
    // A byte order mark is never part of the first line, whatever encoding the rest is in.
    if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) body.remove_prefix(kUtf8Bom.size());
    if (IsValidUtf8(body)) {
        source.WasUtf8 = true;
        std::string text = Utf8ToCp1250(body);
        source.Lossy = Cp1250ToUtf8(text) != body;
        source.Lines = SplitLines(text);
    } else {
        source.Lines = SplitLines(body);
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

std::string ExecutableDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}
