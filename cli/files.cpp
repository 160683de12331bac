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

#include "assembler/encoding.h"

namespace {

constexpr size_t kMaxSourceBytes = 256u << 20;

std::string Describe(int error) { return std::strerror(error); }

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

// Reads everything, checking each block as it arrives, so an endless binary stream (a device,
// a pipe) is refused at its first bytes rather than after the size limit.
std::string ReadAll(std::istream& in, const std::string& shown) {
    std::string data;
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        const size_t got = static_cast<size_t>(in.gcount());
        CheckText(std::string_view(buffer, got), data.size(), shown);
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
        if (!in) throw FileError("Ne morem odpreti datoteke " + shown + ": " + Describe(errno));
        data = ReadAll(in, shown);
    }

    TSourceText source;
    std::string text;
    if (IsValidUtf8(data)) {
        source.WasUtf8 = true;
        std::string_view utf8 = data;
        if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
        text = Utf8ToCp1250(utf8);
        source.Lossy = Cp1250ToUtf8(text) != utf8;
    } else {
        text = std::move(data);
    }
    source.Lines = SplitLines(text);
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
