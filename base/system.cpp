// The one file of the Qt-free layers that talks to the operating system's own interface: the
// POSIX branch and the Windows branch of every call that base/system.h, base/workers.h and
// base/files.h promise.
#include "base/system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "base/files.h"
#include "base/syserror.h"
#include "base/workers.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <mutex>
#else
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// ---- paths ----------------------------------------------------------------------------------

fs::path PathFromUtf8(const std::string& path) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()));
}

std::string PathToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& path) { return PathFromUtf8(path).wstring(); }

// The errno value nearest to a Windows error code.
int ErrnoOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

// ---- temporary files removed on an interrupt --------------------------------------------
// The console's control handler runs on a thread of its own while the program goes on, so the
// table is guarded. The files are opened with FILE_SHARE_DELETE: removing one that is still open
// is allowed, and the system deletes it when the ending process closes it.
constexpr int kTempSlots = 8;
std::mutex gTempMutex;
std::wstring gTempPaths[kTempSlots];
bool gTempInUse[kTempSlots];

BOOL WINAPI RemoveTemporariesOnControl(DWORD) {
    std::lock_guard<std::mutex> lock(gTempMutex);
    for (int i = 0; i < kTempSlots; ++i)
        if (gTempInUse[i]) ::DeleteFileW(gTempPaths[i].c_str());
    return FALSE; // the default handler then ends the process
}

} // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return ::_wfopen(Wide(path).c_str(), PathFromUtf8(mode).wstring().c_str());
}

TFileStatus StatusOf(const std::string& path) {
    TFileStatus status;
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return status;
    status.Exists = true;
    status.Directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.Regular = !status.Directory && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    status.Mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
    return status;
}

std::string FollowLinks(const std::string& path) { return path; }

int WriteProblem(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrnoOf(::GetLastError());
    return (attributes & FILE_ATTRIBUTE_READONLY) ? EACCES : 0;
}

int FolderWriteProblem(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesW(Wide(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrnoOf(::GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ENOTDIR;
}

bool OwnedByUser(const std::string& folder) { return FolderWriteProblem(folder) == 0; }

std::FILE* OpenOwnStandardStream(const std::string&) { return nullptr; }

std::FILE* OpenDevice(const std::string& path, int& error) {
    std::FILE* file = OpenFile(path, "wb");
    if (!file) error = errno;
    return file;
}

std::FILE* OpenTruncated(const std::string& path, int& error) { return OpenDevice(path, error); }

TTemporaryFile CreateTemporaryFile(const std::string& folder, unsigned, int& error) {
    static std::atomic<unsigned> counter{0};
    TTemporaryFile temp;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned salt = ::GetCurrentProcessId() * 2654435761u + ::GetTickCount() + counter++ * 40503u;
        char name[16];
        std::snprintf(name, sizeof name, ".orlek-%06x", salt & 0xFFFFFFu);
        const std::string path = PathToUtf8(PathFromUtf8(folder) / name);
        HANDLE handle = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
            error = ErrnoOf(code);
            return temp;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
        temp.File = fd >= 0 ? ::_fdopen(fd, "wb") : nullptr;
        if (!temp.File) {
            error = errno ? errno : EIO;
            if (fd >= 0) ::_close(fd);
            else ::CloseHandle(handle);
            ::DeleteFileW(Wide(path).c_str());
            return temp;
        }
        temp.Path = path;
        std::lock_guard<std::mutex> lock(gTempMutex);
        for (int i = 0; i < kTempSlots; ++i) {
            if (gTempInUse[i]) continue;
            gTempPaths[i] = Wide(path);
            gTempInUse[i] = true;
            temp.Slot = i;
            break;
        }
        return temp;
    }
    error = EEXIST;
    return temp;
}

void UnregisterTemporaryFile(int slot) {
    if (slot < 0) return;
    std::lock_guard<std::mutex> lock(gTempMutex);
    gTempInUse[slot] = false;
}

unsigned DefaultFileMode() { return 0666u; }

// Unlike rename() on Windows, which refuses an existing target, this replaces it.
int ReplaceFileAtomically(const std::string& from, const std::string& to) {
    if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ErrnoOf(::GetLastError());
}

void RemoveFile(const std::string& path) { ::DeleteFileW(Wide(path).c_str()); }

void RemoveTemporaryFilesOnInterrupt() { ::SetConsoleCtrlHandler(RemoveTemporariesOnControl, TRUE); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(PathToUtf8(fs::path(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

// The console's code pages outlive the program (the shell would go on in UTF-8): they are put
// back when it ends.
namespace {
UINT gConsoleOutputCp = 0;
UINT gConsoleInputCp = 0;
} // namespace

void UseUtf8Console() {
    gConsoleOutputCp = ::GetConsoleOutputCP();
    gConsoleInputCp = ::GetConsoleCP();
    if (gConsoleOutputCp == 0) return; // no console: output goes to a file or a pipe as it is
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    std::atexit([] {
        ::SetConsoleOutputCP(gConsoleOutputCp);
        ::SetConsoleCP(gConsoleInputCp);
    });
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return PathToUtf8(fs::path(buffer));
        }
        if (buffer.size() > 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

#else // POSIX

namespace {

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

extern "C" void RemoveTemporariesAndDie(int signal) {
    const int saved = errno;
    for (int i = 0; i < kTempSlots; ++i)
        if (gTempInUse[i]) ::unlink(gTempPaths[i]);
    errno = saved;
    // The default action ends the process with the signal, as if nothing had been installed.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

TFileStatus StatusOf(const std::string& path) {
    TFileStatus status;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return status;
    status.Exists = true;
    status.Directory = S_ISDIR(st.st_mode);
    status.Regular = S_ISREG(st.st_mode);
    status.Mode = st.st_mode & 07777u;
    return status;
}

std::string FollowLinks(const std::string& path) {
    fs::path p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p.string();
        std::error_code ec;
        fs::path target = fs::read_symlink(p, ec);
        if (ec) return p.string();
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}

int WriteProblem(const std::string& path) { return ::access(path.c_str(), W_OK) == 0 ? 0 : errno; }

int FolderWriteProblem(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return ec ? ec.value() : ENOTDIR;
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

bool OwnedByUser(const std::string& folder) {
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && info.st_uid == ::geteuid() && info.st_uid != 0;
}

std::FILE* OpenOwnStandardStream(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return nullptr;
    for (int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat own {};
        if (::fstat(stream, &own) != 0 || own.st_dev != st.st_dev || own.st_ino != st.st_ino) continue;
        int fd = ::fcntl(stream, F_DUPFD_CLOEXEC, 3);
        if (fd < 0) continue;
        if (std::FILE* file = ::fdopen(fd, "wb")) {
            std::fflush(stream == STDOUT_FILENO ? stdout : stderr);
            return file;
        }
        ::close(fd);
    }
    return nullptr;
}

std::FILE* OpenDevice(const std::string& path, int& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        error = errno;
        ::close(fd);
    }
    return file;
}

std::FILE* OpenTruncated(const std::string& path, int& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        error = errno;
        if (fd >= 0) ::close(fd);
    }
    return file;
}

TTemporaryFile CreateTemporaryFile(const std::string& folder, unsigned mode, int& error) {
    TTemporaryFile temp;
    std::string pattern = (fs::path(folder) / ".orlek-XXXXXX").string();
    // The file and its entry in the table of temporary files come into being together: a signal
    // in between would leave the file behind.
    sigset_t stopping, previous;
    sigemptyset(&stopping);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopping, signal);
    ::pthread_sigmask(SIG_BLOCK, &stopping, &previous);
    int fd = ::mkstemp(pattern.data());
    const int made = errno;
    if (fd >= 0) temp.Slot = RegisterTemporary(pattern);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) {
        error = made;
        return temp;
    }
    ::fchmod(fd, static_cast<mode_t>(mode));
    temp.File = ::fdopen(fd, "wb");
    if (!temp.File) {
        error = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        UnregisterTemporaryFile(temp.Slot);
        temp.Slot = -1;
        return temp;
    }
    temp.Path = pattern;
    return temp;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0) gTempInUse[slot] = 0;
}

unsigned DefaultFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

int ReplaceFileAtomically(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

void RemoveTemporaryFilesOnInterrupt() {
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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void UseUtf8Console() {}

std::string ExecutablePath() {
    std::error_code ec;
    const fs::path exe = fs::canonical("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

namespace {

// ---- workers: each job in a forked child process -------------------------------------------

using Clock = std::chrono::steady_clock;

// Exit codes of a worker process.
constexpr int kExitDone = 0;
constexpr int kExitThrew = 3;

struct TRunning {
    size_t Job = 0;
    pid_t Pid = -1;
    int Fd = -1; // the read end of the job's pipe; -1 once its end was seen
    std::string Data;
    Clock::time_point Deadline = Clock::time_point::max();
};

void WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // the caller has gone; nobody reads the rest
        done += static_cast<size_t>(n);
    }
}

// The child's side: run the job and send its result. Never returns.
[[noreturn]] void RunChild(int fd, pid_t parent, const std::function<std::string(size_t)>& job,
                           size_t index) {
    // The caller's handlers (e.g. the one that removes its temporary files) are not the
    // child's business; a signal ends the child as it would end any program.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::signal(signal, SIG_DFL);
    // A worker does not outlive the caller, and a crash leaves no core file behind.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(kExitThrew);
    const struct rlimit noCore { 0, 0 };
    ::setrlimit(RLIMIT_CORE, &noCore);
    int code = kExitDone;
    std::string output;
    try {
        output = job(index);
    } catch (const std::bad_alloc&) {
        output = "zmanjkalo je pomnilnika";
        code = kExitThrew;
    } catch (const std::exception& e) {
        output = e.what();
        code = kExitThrew;
    }
    WriteAll(fd, output);
    ::close(fd);
    ::_exit(code);
}

// What a signal that ended a worker means, in words.
std::string SignalText(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "neveljaven dostop do pomnilnika";
    case SIGBUS:
        return "napaka vodila";
    case SIGABRT:
        return "proces se je prekinil sam";
    case SIGFPE:
        return "aritmetična napaka";
    case SIGILL:
        return "nedovoljen ukaz procesorja";
    case SIGKILL:
        return "proces je bil ubit";
    case SIGTERM:
    case SIGINT:
    case SIGHUP:
        return "proces je bil ustavljen";
    default:
        return "signal " + std::to_string(signal);
    }
}

TWorkerResult Finish(TRunning& r, bool timedOut, std::chrono::milliseconds timeout) {
    int status = 0;
    while (::waitpid(r.Pid, &status, 0) < 0 && errno == EINTR) {
    }
    TWorkerResult result;
    if (timedOut) {
        result.How = TWorkerResult::End::TimedOut;
        result.Reason = "delo je trajalo dlje od " + std::to_string((timeout.count() + 999) / 1000) +
                        " s in je bilo ustavljeno";
    } else if (WIFSIGNALED(status)) {
        result.How = TWorkerResult::End::Crashed;
        result.Reason = "proces se je nenadoma končal (signal " + std::to_string(WTERMSIG(status)) + ": " +
                        SignalText(WTERMSIG(status)) + ")";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitDone) {
        result.Output = std::move(r.Data);
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == kExitThrew) {
        result.How = TWorkerResult::End::Failed;
        result.Reason = r.Data.empty() ? "delo ni uspelo" : r.Data;
    } else {
        result.How = TWorkerResult::End::Failed;
        result.Reason = "proces se je končal s kodo " +
                        std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + " brez rezultata";
    }
    return result;
}

} // namespace

std::vector<TWorkerResult> RunInWorkers(size_t count, const TWorkerOptions& options,
                                        const std::function<std::string(size_t job)>& job,
                                        const std::function<void(size_t, const TWorkerResult&)>& onEnd) {
    std::vector<TWorkerResult> results(count);
    std::vector<TRunning> running;
    const unsigned parallel = std::max(1u, options.Parallel);
    const pid_t self = ::getpid();
    size_t next = 0;

    const auto end = [&](size_t index, TWorkerResult result) {
        results[index] = std::move(result);
        if (onEnd) onEnd(index, results[index]);
    };

    while (next < count || !running.empty()) {
        // Start jobs while there is room.
        while (next < count && running.size() < parallel) {
            int fds[2];
            if (::pipe(fds) != 0) {
                const int error = errno;
                if (!running.empty()) break; // out of descriptors for now: wait for one to end
                end(next++, {TWorkerResult::End::Failed,
                             {},
                             "delovnega procesa ni mogoče zagnati (" + SystemErrorText(error) + ")"});
                continue;
            }
            const pid_t pid = ::fork();
            if (pid < 0) {
                const int error = errno;
                ::close(fds[0]);
                ::close(fds[1]);
                if (!running.empty()) break;
                end(next++, {TWorkerResult::End::Failed,
                             {},
                             "delovnega procesa ni mogoče zagnati (" + SystemErrorText(error) + ")"});
                continue;
            }
            if (pid == 0) {
                // The child holds no read end: every pipe must end when its own worker ends.
                ::close(fds[0]);
                for (const TRunning& r : running)
                    ::close(r.Fd);
                RunChild(fds[1], self, job, next);
            }
            ::close(fds[1]);
            TRunning r;
            r.Job = next++;
            r.Pid = pid;
            r.Fd = fds[0];
            if (options.Timeout.count() > 0) r.Deadline = Clock::now() + options.Timeout;
            running.push_back(std::move(r));
        }
        if (running.empty()) continue;

        // Wait for output, an end, or the nearest deadline.
        Clock::time_point nearest = Clock::time_point::max();
        std::vector<pollfd> polled;
        for (const TRunning& r : running) {
            nearest = std::min(nearest, r.Deadline);
            polled.push_back({r.Fd, POLLIN, 0});
        }
        int wait = -1;
        if (nearest != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(nearest - Clock::now()).count();
            wait = static_cast<int>(std::clamp<long long>(left, 0, 1'000'000));
        }
        if (::poll(polled.data(), polled.size(), wait) < 0 && errno != EINTR) {
            // Nothing sensible is left to wait on; treat the running jobs as failed.
            for (TRunning& r : running) {
                ::kill(r.Pid, SIGKILL);
                ::close(r.Fd);
                TWorkerResult result = Finish(r, false, options.Timeout);
                result.How = TWorkerResult::End::Failed;
                result.Reason = "čakanje na delovni proces ni uspelo";
                end(r.Job, std::move(result));
            }
            running.clear();
            continue;
        }
        const Clock::time_point now = Clock::now();
        for (size_t i = 0; i < running.size();) {
            TRunning& r = running[i];
            bool ended = false, timedOut = false;
            if (polled[i].revents != 0) {
                char buffer[65536];
                const ssize_t n = ::read(r.Fd, buffer, sizeof buffer);
                if (n > 0) r.Data.append(buffer, static_cast<size_t>(n));
                else if (n == 0 || errno != EINTR) ended = true;
            }
            if (!ended && now >= r.Deadline) {
                ::kill(r.Pid, SIGKILL);
                ended = timedOut = true;
            }
            if (!ended) {
                ++i;
                continue;
            }
            ::close(r.Fd);
            TWorkerResult result = Finish(r, timedOut, options.Timeout);
            const size_t index = r.Job;
            // The polled list runs in step with `running`: keep the order.
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            polled.erase(polled.begin() + static_cast<std::ptrdiff_t>(i));
            end(index, std::move(result));
        }
    }
    return results;
}

unsigned ProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return static_cast<unsigned>(n);
    }
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1u;
}

#endif
