#include "files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include "assembler/encoding.h"

namespace {

constexpr size_t kMaxSourceBytes = 256u << 20;

std::string Describe(int error) { return std::strerror(error); }

std::string ReadAll(std::istream& in, const std::string& shown) {
    std::string data;
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        data.append(buffer, static_cast<size_t>(in.gcount()));
        if (data.size() > kMaxSourceBytes)
            throw FileError("Datoteka " + shown + " je prevelika (več kot 256 MiB), ne more biti izvorna koda");
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
        if (std::filesystem::is_directory(path, ec)) throw FileError("Datoteka " + shown + " je mapa, ne izvorna koda");
        std::ifstream in(path, std::ios::binary);
        if (!in) throw FileError("Ne morem odpreti datoteke " + shown + ": " + Describe(errno));
        data = ReadAll(in, shown);
    }

    for (size_t i = 0; i < data.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X", c);
            throw FileError("Datoteka " + shown + " ni besedilna (kontrolni bajt $" + hex + " na odmiku " +
                            std::to_string(i) + "); pričakujem izvorno kodo v zbirniku");
        }
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

TAtomicFile::TAtomicFile(const std::string& path) : path_(path) {
    namespace fs = std::filesystem;
    fs::path target(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) throw FileError("Ne morem pisati v \"" + path + "\": to je mapa");
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) throw FileError("Ne morem ustvariti datoteke \"" + path + "\": " + Describe(errno));
    temp_ = name.data();
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int e = errno;
        ::close(fd);
        ::unlink(temp_.c_str());
        throw FileError("Ne morem ustvariti datoteke \"" + path + "\": " + Describe(e));
    }
}

TAtomicFile::~TAtomicFile() {
    if (file_) {
        std::fclose(file_);
        ::unlink(temp_.c_str());
    }
}

void TAtomicFile::Commit() {
    bool ok = true;
    int error = 0;
    if (std::ferror(file_) || std::fflush(file_) != 0) {
        ok = false;
        error = errno;
    }
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        error = errno;
    }
    file_ = nullptr;
    // mkstemp creates the file private to the user; give it the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temp_.c_str(), 0666 & ~mask);
    if (ok && std::rename(temp_.c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temp_.c_str());
        throw FileError("Napaka pri pisanju datoteke \"" + path_ + "\": " + Describe(error ? error : EIO));
    }
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
