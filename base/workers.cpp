// Where the system cannot fork (Windows), the jobs run on threads; the forked workers of POSIX
// systems are in base/system.cpp with the rest of the system's interface.
#include "base/workers.h"

#ifdef _WIN32
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

// Windows has no fork: the jobs run on threads of this process, at most `Parallel` at a time.
// A thread cannot be stopped from outside, so a job is bounded by its own limits (a grading run
// by its step limit); one that ran longer than the time limit is reported as TimedOut when it
// ends. A job that crashes ends the whole program here.
std::vector<TWorkerResult> RunInWorkers(size_t count, const TWorkerOptions& options,
                                        const std::function<std::string(size_t job)>& job,
                                        const std::function<void(size_t, const TWorkerResult&)>& onEnd) {
    using Clock = std::chrono::steady_clock;
    std::vector<TWorkerResult> results(count);
    std::mutex mutex;
    std::condition_variable ended;
    std::deque<size_t> done;
    size_t next = 0;

    const auto work = [&] {
        for (;;) {
            size_t index;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (next >= count) return;
                index = next++;
            }
            TWorkerResult result;
            const Clock::time_point start = Clock::now();
            try {
                result.Output = job(index);
            } catch (const std::bad_alloc&) {
                result.How = TWorkerResult::End::Failed;
                result.Reason = "zmanjkalo je pomnilnika";
            } catch (const std::exception& e) {
                result.How = TWorkerResult::End::Failed;
                result.Reason = e.what();
            }
            if (options.Timeout.count() > 0 && Clock::now() - start > options.Timeout) {
                result = {};
                result.How = TWorkerResult::End::TimedOut;
                result.Reason = "delo je trajalo dlje od " +
                                std::to_string((options.Timeout.count() + 999) / 1000) +
                                " s in je bilo ustavljeno";
            }
            std::lock_guard<std::mutex> lock(mutex);
            results[index] = std::move(result);
            done.push_back(index);
            ended.notify_one();
        }
    };
    std::vector<std::thread> threads;
    const size_t parallel = std::min<size_t>(std::max(1u, options.Parallel), count);
    for (size_t i = 0; i < parallel; ++i)
        threads.emplace_back(work);
    for (size_t reported = 0; reported < count; ++reported) {
        std::unique_lock<std::mutex> lock(mutex);
        ended.wait(lock, [&] { return !done.empty(); });
        const size_t index = done.front();
        done.pop_front();
        lock.unlock();
        if (onEnd) onEnd(index, results[index]);
    }
    for (std::thread& t : threads)
        t.join();
    return results;
}

unsigned ProcessorCount() {
    const unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? n : 1u;
}

#endif
