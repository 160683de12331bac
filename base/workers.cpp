#include "base/workers.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <new>

#include "base/syserror.h"

namespace {

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
