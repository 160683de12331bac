// Jobs in worker processes: what each returns comes back in job order, and a job that throws,
// crashes or loops ends as such without touching the others or the caller.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "base/workers.h"

namespace {

int touched = 0; // a job's change to the caller's memory stays in its own process

std::string Job(size_t i) {
    ++touched;
    switch (i % 5) {
    case 1:
        throw std::runtime_error("ni šlo");
    case 2:
        std::abort();
    case 3:
        for (volatile bool forever = true; forever;) {
        }
        return {};
    case 4:
        return std::string(1 << 20, 'x'); // more than a pipe holds at once
    default:
        return "opravilo " + std::to_string(i);
    }
}

TEST(WorkersTest, EachJobEndsAsItDidAndTheOthersGoOn) {
    TWorkerOptions options;
    options.Parallel = 2;
    options.Timeout = std::chrono::milliseconds(300);
    std::vector<size_t> ended;
    const std::vector<TWorkerResult> results =
        RunInWorkers(10, options, Job, [&](size_t job, const TWorkerResult&) { ended.push_back(job); });
    ASSERT_EQ(results.size(), 10u);
    EXPECT_EQ(ended.size(), 10u);
    EXPECT_EQ(touched, 0);
    using E = TWorkerResult::End;
    for (size_t i = 0; i < 10; ++i) {
        const TWorkerResult& r = results[i];
        switch (i % 5) {
        case 0:
            EXPECT_EQ(r.How, E::Done);
            EXPECT_EQ(r.Output, "opravilo " + std::to_string(i));
            break;
        case 1:
            EXPECT_EQ(r.How, E::Failed);
            EXPECT_EQ(r.Reason, "ni šlo");
            break;
        case 2:
            EXPECT_EQ(r.How, E::Crashed);
            EXPECT_NE(r.Reason.find("signal 6"), std::string::npos) << r.Reason;
            break;
        case 3:
            EXPECT_EQ(r.How, E::TimedOut);
            EXPECT_NE(r.Reason.find("ustavljeno"), std::string::npos) << r.Reason;
            break;
        case 4:
            EXPECT_EQ(r.How, E::Done);
            EXPECT_EQ(r.Output.size(), size_t{1} << 20);
            break;
        }
    }
}

} // namespace
