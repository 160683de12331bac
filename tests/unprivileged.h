#pragma once
// Runs a piece of a test in a child process that has no root powers, so that permission checks
// (read-only files and folders) apply also when the suite runs as root.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Runs `body` in a forked child; as root the child first becomes the user and group "nobody"
// (65534). The body returns an empty text when its checks held, else what went wrong, which is
// returned here; an exception it throws is what went wrong too. The child always ends with
// _exit, so nothing of the test program runs on in it. Files the body uses must be reachable for
// that user (see TReachableCopy).
inline std::string RunUnprivileged(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string failure;
        try {
            if (::geteuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                failure = "cannot drop root";
            if (failure.empty()) failure = body();
        } catch (const std::exception& e) {
            failure = std::string("exception in the child: ") + e.what();
        } catch (...) {
            failure = "exception in the child";
        }
        ssize_t written = ::write(pipeFds[1], failure.data(), failure.size());
        ::_exit(written == static_cast<ssize_t>(failure.size()) ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string failure;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        failure.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return "the child ended with signal " + std::to_string(WTERMSIG(status));
    if (failure.empty() && WEXITSTATUS(status) != 0) return "the child could not report";
    return failure;
}

// Copies of files and folders in a fresh folder of the temporary directory that every user may
// enter and read, removed with the object. The unprivileged child cannot reach what lies below a
// folder only its owner may enter, as the build tree of a checkout in /root (mode 700) does.
class TReachableCopy {
public:
    explicit TReachableCopy(const std::vector<std::string>& sources) {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "orlek-reachable-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir_ = pattern;
        for (const std::string& source : sources)
            fs::copy(source, dir_ / fs::path(source).filename(), fs::copy_options::recursive);
        using P = fs::perms;
        const P everyone = P::others_read | P::group_read;
        fs::permissions(dir_, everyone | P::others_exec | P::group_exec, fs::perm_options::add);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir_))
            fs::permissions(entry.path(),
                            entry.is_directory() ? everyone | P::others_exec | P::group_exec : everyone,
                            fs::perm_options::add);
    }
    ~TReachableCopy() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TReachableCopy(const TReachableCopy&) = delete;
    TReachableCopy& operator=(const TReachableCopy&) = delete;

    // The copy of `name`, the last part of one of the sources' paths.
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};
