#pragma once
// Grading programs against an exercise: each program checked in a worker process of its own,
// and what a course platform reads back (a summary table, CSV, JUnit XML, JSON).
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/submissions.h"
#include "session/exercisecheck.h"

// One program's grade.
struct TProgramGrade {
    std::string Name; // as the reports show it
    std::string File;
    // Why the program could not be checked at all (no program chosen, unreadable file, the
    // worker crashed or ran out of time), Slovenian; empty when it was checked.
    std::string Failure;
    std::vector<std::string> Warnings; // about the source (characters Windows-1250 lacks)
    TExerciseResult Result;

    bool Checked() const { return Failure.empty(); }
    bool Passed() const { return Checked() && Result.Passed(); }
};

struct TGradeOptions {
    unsigned Jobs = 1;
    TCheckLimits Limits;
    // A worker is killed this long after the check's own time limit would have stopped it.
    std::chrono::milliseconds Grace{2000};
};

// Checks one program in this process (a fresh board for it).
TProgramGrade GradeProgram(const TExercise& exercise, const TSubmission& submission,
                           const std::string& programDir, const TCheckLimits& limits);

// Checks every submission, each in a forked worker, `options.Jobs` at a time; the grades come
// back in the order of the submissions.
std::vector<TProgramGrade> GradePrograms(const TExercise& exercise,
                                         const std::vector<TSubmission>& submissions,
                                         const std::string& programDir, const TGradeOptions& options);

// A grade as JSON text and back, as the workers send them.
std::string GradeToJson(const TProgramGrade& grade);
TProgramGrade GradeFromJson(const std::string& text);
