#pragma once
// Runs a piece of a test in a child process that has no root powers, so that permission checks
// (read-only files and folders) apply also when the suite runs as root.
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

// Runs `body` in a forked child; as root the child first becomes the user and group "nobody"
// (65534). The body returns an empty text when its checks held, else what went wrong, which is
// returned here. Files the body uses must be reachable for that user.
inline std::string RunUnprivileged(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string failure;
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) failure = "cannot drop root";
        if (failure.empty()) failure = body();
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
    if (!WIFEXITED(status)) return "the child ended with signal " + std::to_string(WTERMSIG(status));
    return failure;
}
