#include "base/outfile.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/syserror.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// ---- temporary files removed on a signal ----------------------------------------------------
// The handler may only use async-signal-safe calls, so the paths live in static buffers and a
// slot is marked in use only after its path is complete.

constexpr int kTempSlots = 8;
char gTempPaths[kTempSlots][PATH_MAX];
volatile sig_atomic_t gTempInUse[kTempSlots];

int RegisterTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kTempSlots; ++i) {
        if (gTempInUse[i]) continue;
        std::memcpy(gTempPaths[i], path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        gTempInUse[i] = 1;
        return i;
    }
    return -1;
}

void UnregisterTemporary(int slot) {
    if (slot >= 0) gTempInUse[slot] = 0;
}

extern "C" void RemoveTemporariesAndDie(int signal) {
    const int saved = errno;
    for (int i = 0; i < kTempSlots; ++i)
        if (gTempInUse[i]) ::unlink(gTempPaths[i]);
    errno = saved;
    // The default action ends the process with the signal, as if nothing had been installed.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

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

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndDie;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the caller chose to ignore (e.g. nohup) stays ignored.
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
}

TOutputFile::~TOutputFile() { Discard(); }

// A pipe or device. Opened without waiting, so a pipe with no reader is an error rather than
// a hang; then switched back to ordinary blocking writes.
bool TOutputFile::OpenDirect(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        error = "Ne morem pisati v " + Quoted(path) + ": " +
                (e == ENXIO ? std::string("cevi nihče ne bere") : SystemErrorText(e));
        return false;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int e = errno;
        ::close(fd);
        error = "Ne morem pisati v " + Quoted(path) + ": " + SystemErrorText(e);
        return false;
    }
    direct_ = true;
    return true;
}

bool TOutputFile::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = path;
    direct_ = false;
    fallback_ = false;
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
    if (exists && !S_ISREG(st.st_mode)) return OpenDirect(path, error);

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

    // A file we may not write is refused, as the shell refuses "> file": replacing it through
    // a temporary file would get round its permissions.
    fs::path target = FollowLinks(path);
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        const int e = errno;
        error = "Ne morem pisati v " + Quoted(path) + ": " +
                (e == EACCES ? std::string("datoteka je samo za branje") : SystemErrorText(e));
        return false;
    }

    // A regular file or a new one: a temporary file beside the real file, renamed at the end.
    mode_ = exists ? (st.st_mode & 07777u) : DefaultMode();
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ".orlek-XXXXXX").string();
    // The file and its entry in the table of temporary files come into being together: a signal
    // in between would leave the file behind.
    sigset_t stopping, previous;
    sigemptyset(&stopping);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopping, signal);
    ::pthread_sigmask(SIG_BLOCK, &stopping, &previous);
    int fd = ::mkstemp(pattern.data());
    const int made = errno;
    if (fd >= 0) slot_ = RegisterTemporary(pattern);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        const int e = made;
        if (exists && (e == EACCES || e == EPERM)) {
            // The folder takes no new file but the file itself may be written: write it in place.
            fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
            if (fd >= 0 && (file_ = ::fdopen(fd, "wb")) != nullptr) {
                direct_ = fallback_ = true;
                return true;
            }
            const int e2 = errno;
            if (fd >= 0) ::close(fd);
            error = "Ne morem pisati v " + Quoted(path) + ": " + SystemErrorText(e2);
            return false;
        }
        error = "Ne morem ustvariti datoteke " + Quoted(path) + ": " + SystemErrorText(e);
        return false;
    }
    ::fchmod(fd, static_cast<mode_t>(mode_));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        int e = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        UnregisterTemporary(slot_);
        slot_ = -1;
        error = "Ne morem ustvariti datoteke " + Quoted(path) + ": " + SystemErrorText(e);
        return false;
    }
    target_ = target.string();
    temp_ = pattern;
    return true;
}

void TOutputFile::ForgetTemporary() {
    UnregisterTemporary(slot_);
    slot_ = -1;
    temp_.clear();
}

bool TOutputFile::Commit(std::string& error) {
    if (!file_) {
        error = "Datoteka " + Quoted(path_) + " ni odprta";
        return false;
    }
    int e = 0;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) e = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && e == 0) e = errno ? errno : EIO;
    file_ = nullptr;
    if (!direct_) {
        if (e == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) e = errno;
        if (e != 0) ::unlink(temp_.c_str());
        ForgetTemporary();
    }
    if (e != 0) {
        error = "Napaka pri pisanju datoteke " + Quoted(path_) + ": " + SystemErrorText(e);
        if (fallback_)
            error += " (mapa ne dovoli začasne datoteke, zato je bila datoteka pisana neposredno in je "
                     "morda nepopolna)";
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
        ForgetTemporary();
    }
}
