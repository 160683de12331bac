#pragma once
// Jobs run in worker processes: each job in a process of its own, forked from the caller, so
// that a job that loops, crashes or exhausts its memory never holds up or damages another or
// the caller. Grading a class uses it: one program per job. On POSIX systems they are
// forked processes (base/system.cpp); on Windows, threads of the caller (base/workers.cpp), where
// a time limit is reported but cannot stop a job, and a crash is not contained.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How one job ended.
struct TWorkerResult {
    enum class End : uint8_t {
        Done,     // the job returned; Output is what it returned
        Failed,   // the job threw, or its process ended without a result (Reason says how)
        Crashed,  // its process was ended by a signal (Reason names it)
        TimedOut, // it ran longer than the time limit and was killed
    };
    End How = End::Done;
    std::string Output;
    std::string Reason; // Slovenian (UTF-8) when How is not Done

    bool Ok() const { return How == End::Done; }
};

struct TWorkerOptions {
    unsigned Parallel = 1; // processes at a time (at least 1)
    // Wall time one job may take from its start; zero: no limit.
    std::chrono::milliseconds Timeout{0};
};

// Runs job(0) .. job(count - 1), each in a new child process, at most `options.Parallel` at a
// time, and returns their results in job order. What a job returns travels back through a pipe;
// an exception it throws becomes Failed with the exception's text. The job runs in a copy of the
// caller's memory: it must not write to the caller's standard output (the child ends with _exit,
// so buffered output of the caller is not written twice) and changes nothing the caller sees.
// A process that cannot be started is Failed with the system's reason; the other jobs go on.
// `onEnd` (optional) is called in the caller as each job ends, in the order they end.
std::vector<TWorkerResult>
RunInWorkers(size_t count, const TWorkerOptions& options, const std::function<std::string(size_t job)>& job,
             const std::function<void(size_t job, const TWorkerResult&)>& onEnd = {});

// The processors the system lets this process use (at least 1).
unsigned ProcessorCount();
