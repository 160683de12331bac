#include "assembler/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Follows symbolic links by hand, so a link whose target does not exist yet still leads to
// where the file is to be created. A loop or an unreadable link ends the walk; opening the
// result then reports what is wrong.
fs::path FollowLinks(fs::path p) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::error_code ec;
        fs::path target = fs::read_symlink(p, ec);
        if (ec) return p;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p;
}

unsigned DefaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

} // namespace

TOutputFile::~TOutputFile() { Discard(); }

bool TOutputFile::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = path;
    direct_ = false;
    if (path.empty()) {
        error = "Ime izhodne datoteke je prazno";
        return false;
    }

    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = "Ne morem pisati v " + Quoted(path) + ": to je mapa";
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        // A pipe or device. Opened without waiting, so a pipe with no reader is an error
        // rather than a hang; then switched back to ordinary blocking writes.
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            int e = errno;
            error = "Ne morem pisati v " + Quoted(path) + ": " +
                    (e == ENXIO ? std::string("cevi nihče ne bere") : std::string(std::strerror(e)));
            return false;
        }
        int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            int e = errno;
            ::close(fd);
            error = "Ne morem pisati v " + Quoted(path) + ": " + std::strerror(e);
            return false;
        }
        direct_ = true;
        return true;
    }

    // The file this process's standard output or error goes to (e.g. "/dev/stdout" while the
    // output is redirected into a file): written through that stream's own descriptor, so the
    // text lands where the shell put the stream, in order, and the file is not replaced under it.
    if (exists) {
        for (int stream : {STDOUT_FILENO, STDERR_FILENO}) {
            struct stat own {};
            if (::fstat(stream, &own) != 0 || own.st_dev != st.st_dev || own.st_ino != st.st_ino) continue;
            int fd = ::fcntl(stream, F_DUPFD_CLOEXEC, 3);
            if (fd >= 0 && (file_ = ::fdopen(fd, "wb")) != nullptr) {
                std::fflush(stream == STDOUT_FILENO ? stdout : stderr);
                direct_ = true;
                return true;
            }
            if (fd >= 0) ::close(fd);
        }
    }

    // A regular file or a new one: a temporary file beside the real file, renamed at the end.
    fs::path target = FollowLinks(path);
    mode_ = exists ? (st.st_mode & 07777u) : DefaultMode();
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error = "Ne morem ustvariti datoteke " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    ::fchmod(fd, static_cast<mode_t>(mode_));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int e = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        error = "Ne morem ustvariti datoteke " + Quoted(path) + ": " + std::strerror(e);
        return false;
    }
    target_ = target.string();
    temp_ = pattern;
    return true;
}

bool TOutputFile::Commit(std::string& error) {
    if (!file_) {
        error = "Datoteka " + Quoted(path_) + " ni odprta";
        return false;
    }
    int e = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) e = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && e == 0) e = errno ? errno : EIO;
    file_ = nullptr;
    if (!direct_) {
        if (e == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) e = errno;
        if (e != 0) ::unlink(temp_.c_str());
        temp_.clear();
    }
    if (e != 0) {
        error = "Napaka pri pisanju datoteke " + Quoted(path_) + ": " + std::strerror(e);
        return false;
    }
    return true;
}

void TOutputFile::Discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    if (!direct_) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}
