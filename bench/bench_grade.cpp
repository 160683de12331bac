// Grading a class: a folder of kvadrat.asm submissions (correct, wrong, looping until the
// checkpoint's bound, not assembling, a quarter each) checked against examples/kvadrat.json,
// with one worker process at a time and with two. Wall time is what a teacher waits for (the
// work is done in the workers, so the caller's CPU time says nothing).
//   bench_grade --benchmark_filter=Class/40      the brief's figure: 40 programs
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/grade.h"
#include "cli/submissions.h"
#include "session/exercise.h"

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of `count` submissions, made once per size.
std::string ClassFolder(size_t count) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("orlek-bench-razred-" + std::to_string(count));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string good = Read(ORLEK_SOURCE_DIR "/examples/kvadrat.asm");
    std::string wrong = good;
    wrong.replace(wrong.find("        pulb\n"), 13, "        ins\n");
    // Never reaches KVADRAT: runs the checkpoint's million steps, then the next one's.
    std::string loop = good;
    loop.replace(loop.find("        jsr kvadrat\n"), 20, "zanka0  bra zanka0\n");
    const std::string broken = "        org $2000\nstart   frob\n";
    const std::string* kinds[] = {&good, &wrong, &loop, &broken};
    for (size_t i = 0; i < count; ++i) {
        std::ofstream(folder / ("student" + std::to_string(1000 + i) + ".asm"), std::ios::binary)
            << *kinds[i % 4];
    }
    return folder.string();
}

void Class(benchmark::State& state) {
    const size_t count = static_cast<size_t>(state.range(0));
    const TExerciseRead exercise = ReadExerciseFile(ORLEK_SOURCE_DIR "/examples/kvadrat.json");
    if (!exercise.Ok()) {
        state.SkipWithError(exercise.Message().c_str());
        return;
    }
    const std::string folder = ClassFolder(count);
    const std::vector<TSubmission> submissions = FindSubmissions({folder}, "kvadrat");
    TGradeOptions options;
    options.Jobs = static_cast<unsigned>(state.range(1));
    size_t passed = 0;
    for (auto _ : state) {
        const std::vector<TProgramGrade> grades =
            GradePrograms(*exercise.Exercise, submissions, ORLEK_PROGRAM_DIR, options);
        passed = 0;
        for (const TProgramGrade& g : grades)
            passed += g.Passed() ? 1 : 0;
    }
    // A quarter of the class is correct; anything else means the benchmark measured a fault.
    if (passed != (count + 3) / 4) state.SkipWithError("wrong grades");
    state.counters["programs/s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove_all(folder);
}
BENCHMARK(Class)
    ->ArgsProduct({{40, 300}, {1, 2}})
    ->ArgNames({"programs", "jobs"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
